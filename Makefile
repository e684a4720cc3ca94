# The two commands a newcomer needs: `make run` and `make test`.
SHELL := /bin/bash
BUILD := build
NATIVE := $(BUILD)/native
WIN32_TREE := $(BUILD)/win32
WIN64_TREE := $(BUILD)/win64
THIRD := $(BUILD)/third_party
CMAKE_WIN = -G Ninja -DCMAKE_BUILD_TYPE=Release -Wno-dev

.PHONY: all test run deps native windows win64 dist bench fuzz fuzz-build soak format clean

all: native windows win64

deps:
	@tools/install-deps.sh

native:
	@cmake -S . -B $(NATIVE) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVIMBREL_SANITIZE=ON >/dev/null
	@cmake --build $(NATIVE)

$(THIRD)/libjpeg-%/lib/libjpeg.a:
	@tools/build-libjpeg.sh $* $(THIRD)

windows: $(THIRD)/libjpeg-i686/lib/libjpeg.a
	@cmake -S . -B $(WIN32_TREE) $(CMAKE_WIN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
	  -DVIMBREL_JPEG_ROOT=$(abspath $(THIRD)/libjpeg-i686) >/dev/null
	@cmake --build $(WIN32_TREE)

win64: $(THIRD)/libjpeg-x86_64/lib/libjpeg.a
	@cmake -S . -B $(WIN64_TREE) $(CMAKE_WIN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
	  -DVIMBREL_JPEG_ROOT=$(abspath $(THIRD)/libjpeg-x86_64) -DVIMBREL_TESTS=OFF >/dev/null
	@cmake --build $(WIN64_TREE)

test: deps
	@$(MAKE) --no-print-directory native windows win64 fuzz-build
	@tools/run-tests.sh

run: deps
	@$(MAKE) --no-print-directory windows
	@tools/run-program.sh $(WIN32_TREE)/src/app/win32/vimbrel.exe

dist: deps
	@$(MAKE) --no-print-directory windows win64
	@rm -rf $(BUILD)/dist && mkdir -p $(BUILD)/dist/vimbrel/x64
	@cp $(WIN32_TREE)/src/app/win32/vimbrel.exe README.md $(BUILD)/dist/vimbrel/
	@cp $(WIN64_TREE)/src/app/win32/vimbrel.exe $(BUILD)/dist/vimbrel/x64/
	@cd $(BUILD)/dist && zip -qr vimbrel-1.00.zip vimbrel
	@echo "dist: $(BUILD)/dist/vimbrel-1.00.zip"

# libFuzzer: `make fuzz` runs each target for FUZZ_SECONDS (default 600).
FUZZ_TREE := $(BUILD)/fuzz
FUZZ_SECONDS ?= 600
fuzz-build:
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_TREE) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DVIMBREL_FUZZ=ON -DVIMBREL_TESTS=OFF >/dev/null
	@cmake --build $(FUZZ_TREE)

fuzz: deps fuzz-build
	@tools/run-fuzzers.sh $(FUZZ_TREE) $(FUZZ_SECONDS)

soak: deps native
	@$(NATIVE)/tests/soak/tour_soak 1000000

BENCH_TREE := $(BUILD)/bench
bench: deps
	@cmake -S . -B $(BENCH_TREE) -G Ninja -DCMAKE_BUILD_TYPE=Release -DVIMBREL_TESTS=OFF -DVIMBREL_BENCH=ON >/dev/null
	@cmake --build $(BENCH_TREE)
	@$(MAKE) --no-print-directory windows
	@tools/run-bench.sh

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
