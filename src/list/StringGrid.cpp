#include "list/StringGrid.h"

#include <algorithm>

namespace vimbrel {

namespace {
const std::string kEmpty;
}

StringGrid::StringGrid() : rows_(2) { col_widths_.fill(kDefaultColWidth); }

void StringGrid::SetRowCount(int row_count) {
  row_count = std::max(row_count, kFixedRows + 1);
  if (row_count == RowCount()) return;
  rows_.resize(static_cast<std::size_t>(row_count));
  Notify(GridChange::RowCount, 0, 0);
  if (row_ >= row_count) SetCurrentCell(col_, row_count - 1);
}

const std::string& StringGrid::Cell(int col, int row) const {
  if (col < 0 || col >= kColCount || row < 0 || row >= RowCount()) return kEmpty;
  return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

void StringGrid::SetCell(int col, int row, std::string_view text) {
  if (col < 0 || col >= kColCount || row < 0 || row >= RowCount()) return;
  std::string& cell = rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
  if (cell == text) return;
  cell.assign(text.data(), text.size());
  Notify(GridChange::Cell, col, row);
}

void StringGrid::ClearRow(int row) {
  for (int col = 0; col < kColCount; ++col) SetCell(col, row, {});
}

void StringGrid::SetColWidth(int col, int width) {
  std::size_t index = static_cast<std::size_t>(col);
  if (col < 0 || col >= kColCount || col_widths_[index] == width) return;
  col_widths_[index] = std::max(width, 0);
  Notify(GridChange::ColWidth, col, 0);
}

void StringGrid::SetCurrentCell(int col, int row) {
  col = std::clamp(col, kFixedCols, kColCount - 1);
  row = std::clamp(row, kFixedRows, RowCount() - 1);
  if (col == col_ && row == row_) return;
  col_ = col;
  row_ = row;
  Notify(GridChange::CurrentCell, col, row);
}

void StringGrid::SetMarkedRow(int row) {
  if (row == marked_row_) return;
  const int before = marked_row_;
  marked_row_ = row;
  Notify(GridChange::MarkedRow, 0, before);
}

void StringGrid::BeginUpdate() { ++update_depth_; }

void StringGrid::EndUpdate() {
  if (update_depth_ == 0 || --update_depth_ > 0) return;
  if (changed_while_held_) {
    changed_while_held_ = false;
    Notify(GridChange::AllCells, 0, 0);
  }
}

void StringGrid::Notify(GridChange change, int col, int row) {
  if (update_depth_ > 0 && (change == GridChange::Cell || change == GridChange::AllCells)) {
    changed_while_held_ = true;
    return;
  }
  if (observer_ != nullptr) observer_->OnGridChanged(change, col, row);
}

}  // namespace vimbrel
