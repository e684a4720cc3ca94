// Throughput of the row text codec and of loading and saving a long list,
// each against the floor that any reader of the format pays: one pass over
// the bytes that only classifies each of them.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "list/ListFile.h"
#include "list/RowText.h"
#include "list/StringGrid.h"
#include "support/FakeFiles.h"

namespace vimbrel {
namespace {

constexpr int kRows = 100000;

// Row texts as a list holds them: a number, an address, counts; some quoted.
std::vector<std::string> TypicalRows() {
  std::vector<std::string> rows;
  rows.reserve(kRows);
  for (int i = 1; i <= kRows; ++i) {
    std::string row = std::to_string(i) + ",http://www.example.com/section" +
                      std::to_string(i % 97) + "/page" + std::to_string(i) + ".html," +
                      std::to_string(i % 7) + ",";
    row += (i % 5 == 0) ? "\" \"" : std::to_string(i % 3);
    if (i % 11 == 0) row = std::to_string(i) + ",\"http://example.com/a b?x=\"\"1\"\"\",2,0";
    rows.push_back(std::move(row));
  }
  return rows;
}

std::size_t TotalBytes(const std::vector<std::string>& rows) {
  std::size_t total = 0;
  for (const std::string& row : rows) total += row.size();
  return total;
}

// The floor: every byte looked at once and classified.
void ClassifyFloor(benchmark::State& state) {
  const std::vector<std::string> rows = TypicalRows();
  for (auto _ : state) {
    std::size_t counts[5] = {};
    for (const std::string& row : rows) {
      for (unsigned char byte : row) {
        int kind = byte <= 0x20                                       ? 0
                   : byte == '"'                                      ? 1
                   : byte == ','                                      ? 2
                   : ((byte >= 0x81 && byte <= 0x9F) || byte >= 0xE0) ? 3
                                                                      : 4;
        ++counts[kind];
      }
    }
    benchmark::DoNotOptimize(counts);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * TotalBytes(rows)));
}
BENCHMARK(ClassifyFloor)->Unit(benchmark::kMillisecond);

// SetRowText then GetRowText of every row: each byte is parsed and formatted.
void RowTextCodec(benchmark::State& state) {
  const std::vector<std::string> rows = TypicalRows();
  StringGrid grid;
  for (auto _ : state) {
    std::size_t written = 0;
    for (const std::string& row : rows) {
      SetRowText(grid, 1, row);
      written += GetRowText(grid, 1).size();
    }
    benchmark::DoNotOptimize(written);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * TotalBytes(rows)));
}
BENCHMARK(RowTextCodec)->Unit(benchmark::kMillisecond);

std::string ListBytes(const std::vector<std::string>& rows) {
  std::string bytes = "No,URL,x,y\r\n";
  for (const std::string& row : rows) bytes += row + "\r\n";
  return bytes;
}

void LoadList(benchmark::State& state) {
  testing::FakeFiles files;
  const Path path = u"C:\\Tools\\app.dat";
  const std::string bytes = ListBytes(TypicalRows());
  files.Put(path, bytes);
  for (auto _ : state) {
    StringGrid grid;
    LoadListFile(files, grid, path);
    benchmark::DoNotOptimize(grid.RowCount());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(LoadList)->Unit(benchmark::kMillisecond);

void SaveList(benchmark::State& state) {
  testing::FakeFiles files;
  const Path path = u"C:\\Tools\\app.dat";
  files.Put(path, ListBytes(TypicalRows()));
  StringGrid grid;
  LoadListFile(files, grid, path);
  for (auto _ : state) {
    SaveListFile(files, grid, path);
    files.read_blocks.clear();
    files.written_blocks.clear();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * files.Bytes(path).size()));
}
BENCHMARK(SaveList)->Unit(benchmark::kMillisecond);

// Keeps each benchmark's bytes per second, to print the ratios to the floor
// measured in the same run.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      auto found = run.counters.find("bytes_per_second");
      if (found != run.counters.end()) rates[run.benchmark_name()] = found->second.value;
    }
  }
  std::map<std::string, double> rates;
};

}  // namespace
}  // namespace vimbrel

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  vimbrel::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double floor = reporter.rates["ClassifyFloor"];
  if (floor > 0) {
    for (const char* name : {"RowTextCodec", "LoadList", "SaveList"}) {
      if (reporter.rates.count(name) == 0) continue;
      std::printf("%-14s %.3f of the classification floor (%.0f MB/s against %.0f MB/s)\n", name,
                  reporter.rates[name] / floor, reporter.rates[name] / 1e6, floor / 1e6);
    }
  }
  benchmark::Shutdown();
  return 0;
}
