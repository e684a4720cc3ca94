#include "list/StringGrid.h"

#include <gtest/gtest.h>

#include <vector>

namespace vimbrel {
namespace {

struct Recorder final : GridObserver {
  std::vector<GridChange> changes;
  void OnGridChanged(GridChange change, int, int) override { changes.push_back(change); }
};

TEST(StringGrid, StartsWithTwoRowsAndTheCurrentCellAtColumn1Row1) {
  StringGrid grid;
  EXPECT_EQ(grid.RowCount(), 2);
  EXPECT_EQ(grid.ColCount(), 4);
  EXPECT_EQ(grid.Col(), 1);
  EXPECT_EQ(grid.Row(), 1);
  for (int col = 0; col < 4; ++col) EXPECT_EQ(grid.ColWidth(col), 64);
}

TEST(StringGrid, NeverWrittenAndEmptyCellsReadTheSame) {
  StringGrid grid;
  EXPECT_EQ(grid.Cell(2, 1), "");
  grid.SetCell(2, 1, "x");
  grid.SetCell(2, 1, "");
  EXPECT_EQ(grid.Cell(2, 1), "");
  EXPECT_EQ(grid.Cell(9, 1), "");
  EXPECT_EQ(grid.Cell(1, 99), "");
  grid.SetCell(1, 99, "ignored");
  EXPECT_EQ(grid.RowCount(), 2);
}

TEST(StringGrid, KeepsTheCurrentCellOnOrdinaryCellsAndRows) {
  StringGrid grid;
  grid.SetRowCount(5);
  grid.SetCurrentCell(0, 0);
  EXPECT_EQ(grid.Col(), 1);
  EXPECT_EQ(grid.Row(), 1);
  grid.SetCurrentCell(3, 4);
  grid.SetRowCount(3);
  EXPECT_EQ(grid.Row(), 2);
  EXPECT_EQ(grid.Col(), 3);
  grid.SetRowCount(0);
  EXPECT_EQ(grid.RowCount(), 2);
}

TEST(StringGrid, DroppedRowsComeBackEmpty) {
  StringGrid grid;
  grid.SetRowCount(3);
  grid.SetCell(1, 2, "gone");
  grid.SetRowCount(2);
  grid.SetRowCount(3);
  EXPECT_EQ(grid.Cell(1, 2), "");
}

TEST(StringGrid, HoldsCellNotificationsUntilTheOutermostEndUpdate) {
  StringGrid grid;
  Recorder recorder;
  grid.SetObserver(&recorder);
  grid.SetCell(1, 1, "a");
  EXPECT_EQ(recorder.changes, std::vector<GridChange>{GridChange::Cell});
  recorder.changes.clear();
  {
    GridUpdateScope outer(grid);
    {
      GridUpdateScope inner(grid);
      grid.SetCell(1, 1, "b");
    }
    grid.SetCell(2, 1, "c");
    EXPECT_TRUE(recorder.changes.empty());
  }
  EXPECT_EQ(recorder.changes, std::vector<GridChange>{GridChange::AllCells});
  recorder.changes.clear();
  {
    GridUpdateScope hold(grid);
    grid.SetCell(1, 1, "b");  // unchanged
  }
  EXPECT_TRUE(recorder.changes.empty());
}

}  // namespace
}  // namespace vimbrel
