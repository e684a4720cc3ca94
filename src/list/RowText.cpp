#include "list/RowText.h"

#include "list/StringGrid.h"
#include "platform/Cp932.h"

namespace vimbrel {

namespace {

constexpr bool IsBlank(unsigned char byte) { return byte >= 0x01 && byte <= 0x20; }

constexpr bool IsSpecial(unsigned char byte) { return IsBlank(byte) || byte == '"' || byte == ','; }

bool NeedsQuotes(std::string_view item) {
  for (std::size_t pos = 0; pos < item.size(); pos = cp932::NextChar(item, pos)) {
    if (IsSpecial(static_cast<unsigned char>(item[pos]))) return true;
  }
  return false;
}

void AppendQuoted(std::string& out, std::string_view item) {
  out.push_back('"');
  std::size_t pos = 0;
  while (pos < item.size()) {
    std::size_t next = cp932::NextChar(item, pos);
    if (item[pos] == '"') out.push_back('"');
    out.append(item.data() + pos, next - pos);
    pos = next;
  }
  out.push_back('"');
}

// A grid row seen as the codec's list of items.
class GridRowItems final : public ItemList {
 public:
  GridRowItems(StringGrid& grid, int row) : grid_(grid), row_(row) {}
  int Count() const override { return grid_.ColCount(); }
  std::string_view Get(int index) const override { return grid_.Cell(index, row_); }
  void Clear() override { grid_.ClearRow(row_); }
  void Add(std::string_view item) override {
    for (int col = 0; col < grid_.ColCount(); ++col) {
      if (grid_.Cell(col, row_).empty()) {
        grid_.SetCell(col, row_, item.empty() ? std::string_view(" ") : item);
        return;
      }
    }
  }

 private:
  StringGrid& grid_;
  int row_;
};

class ConstGridRowItems final : public ItemList {
 public:
  ConstGridRowItems(const StringGrid& grid, int row) : grid_(grid), row_(row) {}
  int Count() const override { return grid_.ColCount(); }
  std::string_view Get(int index) const override { return grid_.Cell(index, row_); }
  void Clear() override {}
  void Add(std::string_view) override {}

 private:
  const StringGrid& grid_;
  int row_;
};

}  // namespace

std::string FormatItems(const ItemList& items) {
  int count = items.Count();
  if (count == 1 && items.Get(0).empty()) return "\"\"";
  std::string out;
  for (int i = 0; i < count; ++i) {
    std::string_view item = items.Get(i);
    if (NeedsQuotes(item)) {
      AppendQuoted(out, item);
    } else {
      out.append(item);
    }
    if (i + 1 < count) out.push_back(',');
  }
  return out;
}

void ParseItems(std::string_view text, ItemList& items) {
  text = text.substr(0, text.find('\0'));
  const std::size_t end = text.size();
  auto skip_blanks = [&](std::size_t pos) {
    while (pos < end && IsBlank(static_cast<unsigned char>(text[pos]))) ++pos;
    return pos;
  };

  items.Clear();
  std::string quoted;
  std::size_t pos = skip_blanks(0);
  while (pos < end) {
    if (text[pos] == '"') {
      quoted.clear();
      ++pos;
      while (pos < end) {
        if (text[pos] == '"') {
          if (pos + 1 < end && text[pos + 1] == '"') {
            quoted.push_back('"');
            pos += 2;
            continue;
          }
          ++pos;  // the closing quote
          break;
        }
        std::size_t next = cp932::NextChar(text, pos);
        quoted.append(text.data() + pos, next - pos);
        pos = next;
      }
      items.Add(quoted);
    } else {
      std::size_t start = pos;
      while (pos < end) {
        unsigned char byte = static_cast<unsigned char>(text[pos]);
        if (IsBlank(byte) || byte == ',') break;
        pos = cp932::NextChar(text, pos);
      }
      items.Add(text.substr(start, pos - start));
    }
    pos = skip_blanks(pos);
    if (pos < end && text[pos] == ',') pos = skip_blanks(pos + 1);
  }
}

std::string GetRowText(const StringGrid& grid, int row) {
  return FormatItems(ConstGridRowItems(grid, row));
}

void SetRowText(StringGrid& grid, int row, std::string_view text) {
  GridUpdateScope hold(grid);
  GridRowItems items(grid, row);
  ParseItems(text, items);
}

}  // namespace vimbrel
