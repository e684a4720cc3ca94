#include "list/RowText.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "list/StringGrid.h"
#include "support/Sjis.h"
#include "support/VectorItems.h"

namespace vimbrel {
namespace {

using testing::Sjis;

using testing::VectorItems;

const char* const kEmpty = nullptr;  // a cell that reads as empty
const char* const kSpace = " ";

using Cells = std::array<const char*, 4>;

void PutCells(StringGrid& grid, int row, const Cells& cells) {
  for (int col = 0; col < 4; ++col) {
    grid.SetCell(col, row,
                 cells[static_cast<std::size_t>(col)] ? cells[static_cast<std::size_t>(col)] : "");
  }
}

struct FormatCase {
  Cells cells;
  const char* row_text;
};

TEST(GetRowText, FormatsTheCellsOfARow) {
  const FormatCase cases[] = {
      {{"1", kSpace, kSpace, kSpace}, R"(1," "," "," ")"},
      {{"1", "page1.htm", "3", kSpace}, R"(1,page1.htm,3," ")"},
      {{"2", "my page.htm", kSpace, "2"}, R"(2,"my page.htm"," ",2)"},
      {{"3", "a,b.htm", "5", "0"}, R"(3,"a,b.htm",5,0)"},
      {{"4", "a\"b.htm", kEmpty, kEmpty}, R"(4,"a""b.htm",,)"},
      {{kEmpty, kEmpty, kEmpty, kEmpty}, ",,,"},
      {{"tab\there", "cr\rx", "\x01", "x"}, "\"tab\there\",\"cr\rx\",\"\x01\",x"},
  };
  for (const FormatCase& c : cases) {
    StringGrid grid;
    PutCells(grid, 1, c.cells);
    EXPECT_EQ(GetRowText(grid, 1), c.row_text) << c.row_text;
  }
}

TEST(GetRowText, NeverQuotesTheJapaneseHeader) {
  StringGrid grid;
  grid.SetCell(0, 0, "No");
  grid.SetCell(1, 0, "URL");
  grid.SetCell(2, 0, Sjis("タブ数"));
  grid.SetCell(3, 0, Sjis("逆タブ数"));
  EXPECT_EQ(GetRowText(grid, 0), Sjis("No,URL,タブ数,逆タブ数"));
}

TEST(GetRowText, TestsNoSecondByteOfADoubleByteCharacter) {
  StringGrid grid;
  // A lead byte followed by a comma, a quote and a blank: each pair is one
  // character, so nothing needs quotes.
  grid.SetCell(1, 1, "\x81,\x82\"\x83 ");
  EXPECT_EQ(GetRowText(grid, 1), ",\x81,\x82\"\x83 ,,");
  // Quoted for the real quote after them, and only the real quote is doubled.
  grid.SetCell(1, 1, "\x81\"\"");
  EXPECT_EQ(GetRowText(grid, 1), ",\"\x81\"\"\"\",,");
}

struct SetCase {
  const char* row_text;
  Cells cells;
  const char* read_back;
};

TEST(SetRowText, FillsTheRowAndReadsBack) {
  const SetCase cases[] = {
      {"1,,,,", {"1", kSpace, kSpace, kSpace}, R"(1," "," "," ")"},
      {R"(1," "," "," ")", {"1", kSpace, kSpace, kSpace}, R"(1," "," "," ")"},
      {",,,", {kSpace, kSpace, kSpace, kEmpty}, R"(" "," "," ",)"},
      {"a,b", {"a", "b", kEmpty, kEmpty}, "a,b,,"},
      {"a,b,,", {"a", "b", kSpace, kEmpty}, R"(a,b," ",)"},
      {"2,page 1.htm,3,0", {"2", "page", "1.htm", "3"}, "2,page,1.htm,3"},
      {R"(2,"page 1.htm",3,0)", {"2", "page 1.htm", "3", "0"}, R"(2,"page 1.htm",3,0)"},
      {"1,a,2,3,extra", {"1", "a", "2", "3"}, "1,a,2,3"},
      {R"("a"b)", {"a", "b", kEmpty, kEmpty}, "a,b,,"},
      {R"("")", {kSpace, kEmpty, kEmpty, kEmpty}, R"(" ",,,)"},
      {R"("""")", {"\"", kEmpty, kEmpty, kEmpty}, R"("""",,,)"},
      {R"(a"b)", {"a\"b", kEmpty, kEmpty, kEmpty}, R"("a""b",,,)"},
      {",a", {kSpace, "a", kEmpty, kEmpty}, R"(" ",a,,)"},
      // More cases: nothing, blanks only, blanks around items, quoted blanks.
      {"", {kEmpty, kEmpty, kEmpty, kEmpty}, ",,,"},
      {" \t\x01 ", {kEmpty, kEmpty, kEmpty, kEmpty}, ",,,"},
      {" 1 ,\ta\t, 2 ,3 ", {"1", "a", "2", "3"}, "1,a,2,3"},
      {"\"a b\",\"\tc\"", {"a b", "\tc", kEmpty, kEmpty}, "\"a b\",\"\tc\",,"},
      {R"("a" "b")", {"a", "b", kEmpty, kEmpty}, "a,b,,"},
      {"a\nb", {"a", "b", kEmpty, kEmpty}, "a,b,,"},
      // A quoted item that is never closed runs to the end.
      {R"(1,"abc""d)", {"1", "abc\"d", kEmpty, kEmpty}, R"(1,"abc""d",,)"},
  };
  for (const SetCase& c : cases) {
    StringGrid grid;
    PutCells(grid, 1, {"x", "x", "x", "x"});
    SetRowText(grid, 1, c.row_text);
    for (int col = 0; col < 4; ++col) {
      const char* expected = c.cells[static_cast<std::size_t>(col)];
      EXPECT_EQ(grid.Cell(col, 1), expected ? expected : "") << c.row_text << " column " << col;
    }
    EXPECT_EQ(GetRowText(grid, 1), c.read_back) << c.row_text;
  }
}

TEST(SetRowText, StopsAtTheFirstNulByte) {
  StringGrid grid;
  SetRowText(grid, 1, std::string("a,b\0c,d", 7));
  EXPECT_EQ(GetRowText(grid, 1), "a,b,,");
  SetRowText(grid, 1, std::string("\0a", 2));
  EXPECT_EQ(GetRowText(grid, 1), ",,,");
}

TEST(SetRowText, KeepsSecondBytesInsideTheirCharacter) {
  StringGrid grid;
  // 0x81 0x2C is one character, not a lead byte and a comma; so is 0x81 0x22.
  SetRowText(grid, 1, "a\x81,b,\"c\x81\"d\",e");
  EXPECT_EQ(grid.Cell(0, 1), "a\x81,b");
  EXPECT_EQ(grid.Cell(1, 1), "c\x81\"d");
  EXPECT_EQ(grid.Cell(2, 1), "e");
  // A lead byte as the very last byte stands alone.
  SetRowText(grid, 1, "a\x81");
  EXPECT_EQ(grid.Cell(0, 1), "a\x81");
}

TEST(SetRowText, RestoresTheHeaderFromItsRowText) {
  StringGrid grid;
  SetRowText(grid, 0, Sjis("No,URL,タブ数,逆タブ数"));
  EXPECT_EQ(grid.Cell(2, 0), Sjis("タブ数"));
  EXPECT_EQ(grid.Cell(3, 0), Sjis("逆タブ数"));
  SetRowText(grid, 0, "1,x");
  EXPECT_EQ(GetRowText(grid, 0), "1,x,,");
}

TEST(SetRowText, RepaintsTheGridOnceWhenSomethingChanged) {
  struct Counter final : GridObserver {
    int all = 0;
    int single = 0;
    void OnGridChanged(GridChange change, int, int) override {
      all += change == GridChange::AllCells;
      single += change == GridChange::Cell;
    }
  } counter;
  StringGrid grid;
  grid.SetObserver(&counter);
  SetRowText(grid, 1, "1,a,b,c");
  EXPECT_EQ(counter.all, 1);
  EXPECT_EQ(counter.single, 0);
  SetRowText(grid, 1, "1,a,b,c");  // clears and refills: the same cells in the end
  EXPECT_EQ(counter.all, 2);
  counter.all = 0;
  StringGrid empty;
  empty.SetObserver(&counter);
  SetRowText(empty, 1, "");  // nothing to clear and nothing placed
  EXPECT_EQ(counter.all, 0);
  grid.SetObserver(nullptr);
}

TEST(ParseItems, HasNoLimitOfItsOwnAndCountsCommas) {
  VectorItems items;
  ParseItems("1,,,,", items);
  EXPECT_EQ(items.items, (std::vector<std::string>{"1", "", "", ""}));
  ParseItems("a b c d e f", items);
  EXPECT_EQ(items.items.size(), 6u);
  ParseItems(",", items);
  EXPECT_EQ(items.items, (std::vector<std::string>{""}));
  ParseItems("a,", items);
  EXPECT_EQ(items.items, (std::vector<std::string>{"a"}));
}

TEST(FormatItems, WritesALoneEmptyItemAsTwoQuotes) {
  VectorItems items;
  items.items = {""};
  EXPECT_EQ(FormatItems(items), "\"\"");
  items.items = {};
  EXPECT_EQ(FormatItems(items), "");
  items.items = {"", ""};
  EXPECT_EQ(FormatItems(items), ",");
}

}  // namespace
}  // namespace vimbrel
