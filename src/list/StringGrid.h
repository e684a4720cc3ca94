#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vimbrel {

// What a view of the grid is told. `Cell` names one cell; the others name the
// whole grid (or, for `CurrentCell`, the cell that is now current, and for
// `MarkedRow`, the row that was marked before).
enum class GridChange { Cell, AllCells, RowCount, ColWidth, CurrentCell, MarkedRow };

class GridObserver {
 public:
  virtual void OnGridChanged(GridChange change, int col, int row) = 0;

 protected:
  ~GridObserver() = default;
};

// The tour list in memory: the cells, the row count, the column widths and the
// current cell of the list grid. Row 0 and column 0 are fixed. A never-written
// cell and an empty one read the same.
class StringGrid {
 public:
  static constexpr int kColCount = 4;
  static constexpr int kFixedRows = 1;
  static constexpr int kFixedCols = 1;
  static constexpr int kDefaultColWidth = 64;
  static constexpr int kRowHeight = 24;

  StringGrid();

  int ColCount() const { return kColCount; }
  int RowCount() const { return static_cast<int>(rows_.size()); }
  // Never below 2 (the header and one data row). Dropping rows moves the
  // current cell onto the new last row when it was on a dropped one.
  void SetRowCount(int row_count);

  // Out-of-range cells read as empty; writes to them are ignored.
  const std::string& Cell(int col, int row) const;
  void SetCell(int col, int row, std::string_view text);
  // Empties every cell of `row`.
  void ClearRow(int row);

  int ColWidth(int col) const { return col_widths_.at(static_cast<std::size_t>(col)); }
  void SetColWidth(int col, int width);

  // The current cell, always an ordinary cell (row >= 1, col >= 1).
  int Col() const { return col_; }
  int Row() const { return row_; }
  void SetCurrentCell(int col, int row);

  // The row that a running tour is working on, which the view marks; 0 when
  // no tour runs. Only drawn: no cell, no current cell changes with it.
  int MarkedRow() const { return marked_row_; }
  void SetMarkedRow(int row);

  // Holds back change notifications; the outermost EndUpdate sends one
  // `AllCells` if any cell changed meanwhile.
  void BeginUpdate();
  void EndUpdate();

  void SetObserver(GridObserver* observer) { observer_ = observer; }

 private:
  using Cells = std::array<std::string, kColCount>;
  void Notify(GridChange change, int col, int row);

  std::vector<Cells> rows_;
  std::array<int, kColCount> col_widths_;
  int col_ = 1;
  int row_ = 1;
  int marked_row_ = 0;
  int update_depth_ = 0;
  bool changed_while_held_ = false;
  GridObserver* observer_ = nullptr;
};

// Holds a grid's change notifications for as long as it lives.
class GridUpdateScope {
 public:
  explicit GridUpdateScope(StringGrid& grid) : grid_(grid) { grid_.BeginUpdate(); }
  ~GridUpdateScope() { grid_.EndUpdate(); }
  GridUpdateScope(const GridUpdateScope&) = delete;
  GridUpdateScope& operator=(const GridUpdateScope&) = delete;

 private:
  StringGrid& grid_;
};

}  // namespace vimbrel
