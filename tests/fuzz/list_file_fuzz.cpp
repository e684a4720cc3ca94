// A list file of any bytes, loaded through the in-memory files, saved and
// loaded again.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "list/ListFile.h"
#include "list/RowText.h"
#include "list/StringGrid.h"
#include "support/FakeFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vimbrel;
  const Path path = u"C:\\Tools\\app.dat";
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  testing::FakeFiles files;
  files.Put(path, bytes);

  StringGrid grid;
  FUZZ_CHECK(LoadListFile(files, grid, path));

  // One row per line (a line ends at CR; 0x1A ends the data); never fewer
  // than two rows.
  const std::string data_part = bytes.substr(0, bytes.find('\x1A'));
  std::size_t lines = 0;
  for (std::size_t pos = 0; pos < data_part.size();) {
    ++lines;
    std::size_t cr = data_part.find('\r', pos);
    if (cr == std::string::npos) break;
    pos = cr + 1;
    if (pos < data_part.size() && data_part[pos] == '\n') ++pos;
  }
  FUZZ_CHECK(grid.RowCount() == static_cast<int>(lines < 2 ? 2 : lines));
  for (int row = 0; row < grid.RowCount(); ++row) {
    for (int col = 0; col < grid.ColCount(); ++col) {
      const std::string& cell = grid.Cell(col, row);
      FUZZ_CHECK(cell.find_first_of(std::string("\r\x1A\0", 3)) == std::string::npos);
    }
  }
  for (std::size_t block : files.read_blocks) FUZZ_CHECK(block <= 128);

  // What is saved is one line per row, and loads back to the same rows once
  // it has been through the codec.
  FUZZ_CHECK(SaveListFile(files, grid, path));
  const std::string saved = files.Bytes(path);
  std::size_t line_ends = 0;
  for (std::size_t pos = saved.find("\r\n"); pos != std::string::npos;
       pos = saved.find("\r\n", pos + 2)) {
    ++line_ends;
  }
  FUZZ_CHECK(line_ends == static_cast<std::size_t>(grid.RowCount()));
  if (fuzz::IsWellFormedCp932(data_part)) {
    StringGrid again;
    FUZZ_CHECK(LoadListFile(files, again, path));
    FUZZ_CHECK(SaveListFile(files, again, path));
    const std::string resaved = files.Bytes(path);
    StringGrid third;
    FUZZ_CHECK(LoadListFile(files, third, path));
    FUZZ_CHECK(SaveListFile(files, third, path));
    FUZZ_CHECK(files.Bytes(path) == resaved);
  }
  return 0;
}
