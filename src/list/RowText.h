#pragma once

#include <string>
#include <string_view>

namespace vimbrel {

class StringGrid;

// What the row text codec needs of a list of items.
class ItemList {
 public:
  virtual int Count() const = 0;
  virtual std::string_view Get(int index) const = 0;
  virtual void Clear() = 0;
  virtual void Add(std::string_view item) = 0;

 protected:
  ~ItemList() = default;
};

// The items joined by commas; an item holding a blank, a control byte, a double
// quote or a comma is written between double quotes with its quotes doubled.
std::string FormatItems(const ItemList& items);

// Clears `items`, then adds the items of `text` (which ends at its first NUL).
void ParseItems(std::string_view text, ItemList& items);

// The row text of one grid row, and filling a row from a row text. Filling
// places item k in column k, stores an empty item as a single space and drops
// items past the fourth; it repaints the grid once, not per cell.
std::string GetRowText(const StringGrid& grid, int row);
void SetRowText(StringGrid& grid, int row, std::string_view text);

}  // namespace vimbrel
