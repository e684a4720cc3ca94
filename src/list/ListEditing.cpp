#include "list/ListEditing.h"

#include <string>

#include "list/RowText.h"
#include "list/StringGrid.h"

namespace vimbrel {

namespace {
std::string EmptyRowText(int number) { return std::to_string(number) + ",,,,"; }
}  // namespace

void AddRow(StringGrid& grid) {
  int row = grid.RowCount();
  grid.SetRowCount(row + 1);
  SetRowText(grid, row, EmptyRowText(row));
}

void DeleteCurrentRow(StringGrid& grid) {
  GridUpdateScope hold(grid);
  const int row_count = grid.RowCount();
  if (row_count <= 2) {
    SetRowText(grid, 1, EmptyRowText(1));
    return;
  }
  for (int row = grid.Row(); row <= row_count - 2; ++row) {
    SetRowText(grid, row, GetRowText(grid, row + 1));
  }
  grid.SetRowCount(row_count - 1);
  for (int row = 1; row <= row_count - 2; ++row) grid.SetCell(0, row, std::to_string(row));
}

}  // namespace vimbrel
