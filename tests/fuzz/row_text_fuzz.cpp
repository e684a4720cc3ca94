// Row text of any bytes, parsed into items and into a grid row and formatted
// again.
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "list/RowText.h"
#include "list/StringGrid.h"
#include "support/VectorItems.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vimbrel;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string_view before_nul = std::string_view(text).substr(0, text.find('\0'));

  // The parser never makes an item out of nothing and never goes past a NUL.
  testing::VectorItems items;
  ParseItems(text, items);
  std::size_t item_bytes = 0;
  for (const std::string& item : items.items) item_bytes += item.size();
  FUZZ_CHECK(item_bytes <= before_nul.size());
  FUZZ_CHECK(items.items.size() <= before_nul.size());

  // A grid row holds at most four cells, the items in order, empty ones as a space.
  StringGrid grid;
  SetRowText(grid, 1, text);
  for (int col = 0; col < grid.ColCount(); ++col) {
    std::size_t index = static_cast<std::size_t>(col);
    const std::string& cell = grid.Cell(col, 1);
    if (index < items.items.size()) {
      FUZZ_CHECK(cell == (items.items[index].empty() ? " " : items.items[index]));
    } else {
      FUZZ_CHECK(cell.empty());
    }
    FUZZ_CHECK(cell.find('\0') == std::string::npos);
  }

  // Formatting writes no CR unless a cell holds one, so a line stays a line.
  const std::string first = GetRowText(grid, 1);
  bool cells_hold_cr = false;
  for (int col = 0; col < grid.ColCount(); ++col) {
    cells_hold_cr |= grid.Cell(col, 1).find('\r') != std::string::npos;
  }
  FUZZ_CHECK(cells_hold_cr || first.find('\r') == std::string::npos);

  // Well-formed code page 932 text settles after one round trip.
  if (fuzz::IsWellFormedCp932(before_nul)) {
    SetRowText(grid, 1, first);
    const std::string second = GetRowText(grid, 1);
    SetRowText(grid, 1, second);
    FUZZ_CHECK(GetRowText(grid, 1) == second);
  }
  return 0;
}
