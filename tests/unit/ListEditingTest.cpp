#include "list/ListEditing.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "list/StringGrid.h"

namespace vimbrel {
namespace {

using Row = std::array<std::string, 4>;

StringGrid GridOf(const std::vector<Row>& rows, int current_row) {
  StringGrid grid;
  grid.SetRowCount(static_cast<int>(rows.size()) + 1);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    for (int col = 0; col < 4; ++col) grid.SetCell(col, static_cast<int>(i) + 1, rows[i][col]);
  }
  grid.SetCurrentCell(2, current_row);
  return grid;
}

std::vector<Row> DataRows(const StringGrid& grid) {
  std::vector<Row> rows;
  for (int row = 1; row < grid.RowCount(); ++row) {
    rows.push_back({grid.Cell(0, row), grid.Cell(1, row), grid.Cell(2, row), grid.Cell(3, row)});
  }
  return rows;
}

TEST(ListEditing, AddsAndDeletesRows) {
  struct Case {
    const char* name;
    std::vector<Row> before;
    int current_row;
    void (*edit)(StringGrid&);
    std::vector<Row> after;
    int current_after;
  };
  const Row a = {"1", "a.htm", "1", "0"};
  const Row b = {"2", "b.htm", "2", "0"};
  const Row c = {"3", "c.htm", "3", "0"};
  const Case cases[] = {
      {"add on the start-up row",
       {{"1", " ", " ", " "}},
       1,
       AddRow,
       {{"1", " ", " ", " "}, {"2", " ", " ", " "}},
       1},
      {"add numbers by row index",
       {a, b, {"5", "e.htm", "5", "0"}},
       2,
       AddRow,
       {a, b, {"5", "e.htm", "5", "0"}, {"4", " ", " ", " "}},
       2},
      {"delete the middle row", {a, b, c}, 2, DeleteCurrentRow, {a, {"2", "c.htm", "3", "0"}}, 2},
      {"delete the first row",
       {a, b, c},
       1,
       DeleteCurrentRow,
       {{"1", "b.htm", "2", "0"}, {"2", "c.htm", "3", "0"}},
       1},
      {"delete the last row", {a, b, c}, 3, DeleteCurrentRow, {a, b}, 2},
      {"delete renumbers every row",
       {a, b, {"5", "e.htm", "5", "0"}, {"4", " ", " ", " "}},
       1,
       DeleteCurrentRow,
       {{"1", "b.htm", "2", "0"}, {"2", "e.htm", "5", "0"}, {"3", " ", " ", " "}},
       1},
      {"delete resets the only row", {a}, 1, DeleteCurrentRow, {{"1", " ", " ", " "}}, 1},
      // A row moves up through its row text: its first empty cell becomes a
      // single space and the second stays empty.
      {"a row with two empty cells moves up",
       {a, b, {"3", "c.htm", "", ""}},
       2,
       DeleteCurrentRow,
       {a, {"2", "c.htm", " ", ""}},
       2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StringGrid grid = GridOf(c.before, c.current_row);
    c.edit(grid);
    EXPECT_EQ(DataRows(grid), c.after);
    EXPECT_EQ(grid.Row(), c.current_after);
    EXPECT_EQ(grid.Col(), 2);
  }
}

}  // namespace
}  // namespace vimbrel
