#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "list/RowText.h"

namespace vimbrel::testing {

// A plain list of items for the row text codec, with no limit on their number.
class VectorItems final : public ItemList {
 public:
  std::vector<std::string> items;
  int Count() const override { return static_cast<int>(items.size()); }
  std::string_view Get(int index) const override { return items[static_cast<std::size_t>(index)]; }
  void Clear() override { items.clear(); }
  void Add(std::string_view item) override { items.emplace_back(item); }
};

}  // namespace vimbrel::testing
