# The two commands a newcomer needs: `make run` and `make test`.
SHELL := /bin/bash
BUILD := build
NATIVE := $(BUILD)/native
WIN32_TREE := $(BUILD)/win32
WIN64_TREE := $(BUILD)/win64
THIRD := $(BUILD)/third_party
CMAKE_WIN = -G Ninja -DCMAKE_BUILD_TYPE=Release -DVIMBREL_TESTS=ON -Wno-dev --no-warn-unused-cli

.PHONY: all test run deps native windows win64 dist bench fuzz fuzz-build soak format clean

all: native windows win64

# No file of this Makefile is an intermediate one to be deleted.
.SECONDARY:

deps:
	@tools/install-deps.sh

native:
	@cmake -S . -B $(NATIVE) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVIMBREL_SANITIZE=ON >/dev/null \
	  || { echo "native: configuring $(NATIVE) failed (see above); try 'make clean' first" >&2; exit 1; }
	@cmake --build $(NATIVE) || { echo "native: the build failed (see above)" >&2; exit 1; }

$(THIRD)/libjpeg-%/lib/libjpeg.a:
	@tools/build-libjpeg.sh $* $(THIRD)

# The Windows trees: i686 (the release target) in build/win32, x86_64 in
# build/win64, each with its tests. program-BUILD builds only the program.
# (Pattern rules: these names must not be .PHONY, or make would not use them.)
WIN_TREE_i686 := $(WIN32_TREE)
WIN_TREE_x86_64 := $(WIN64_TREE)
windows: win-i686
win64: win-x86_64

configure-%: $(THIRD)/libjpeg-%/lib/libjpeg.a
	@cmake -S . -B $(WIN_TREE_$*) $(CMAKE_WIN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$*.cmake \
	  -DVIMBREL_JPEG_ROOT=$(abspath $(THIRD)/libjpeg-$*) >/dev/null \
	  || { echo "$*: configuring $(WIN_TREE_$*) failed (see above); try 'make clean' first" >&2; exit 1; }

win-%: configure-%
	@cmake --build $(WIN_TREE_$*) || { echo "$*: the Windows build failed (see above)" >&2; exit 1; }

program-%: configure-%
	@cmake --build $(WIN_TREE_$*) --target vimbrel || { echo "$*: building vimbrel.exe failed (see above)" >&2; exit 1; }

# The zip is packed too: its check that the readme names exactly the files
# it holds fails on a readme that names one it does not.
test: deps
	@$(MAKE) --no-print-directory native windows win64 fuzz-build
	@$(MAKE) --no-print-directory dist
	@tools/run-tests.sh

# Starts the 32-bit program where this machine runs it, the 64-bit one
# otherwise, and says which.
run: deps
	@tools/run-program.sh

# The zip for users: both programs, readme.txt and LICENSE.txt (cmake/Dist.cmake).
dist: deps
	@$(MAKE) --no-print-directory program-i686 program-x86_64
	@cmake -DPROGRAM_I686=$(WIN32_TREE)/src/app/win32/vimbrel.exe \
	  -DPROGRAM_X86_64=$(WIN64_TREE)/src/app/win32/vimbrel.exe -DDIST_DIR=$(BUILD)/dist -P cmake/Dist.cmake \
	  || { echo "dist: packing the zip failed (see above)" >&2; exit 1; }

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
	@tools/run-bench.sh

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
