#include "app/options/criteria_page.h"

#include <algorithm>

namespace zw {

bool CriterionDetailsEnabled(const TCompareSettings& compare, TCompCriteria box, bool busy) {
  return !busy && compare.On(box);
}

TScreenPoint PlaceAtButton(const TScreenRect& button, int32_t width, int32_t height,
                           const TScreenRect& screen) {
  TScreenPoint at{button.right, button.top};
  // 64-bit sums: a rectangle near the end of the coordinate range does not wrap.
  if (int64_t{at.x} + width > screen.right) at.x = static_cast<int32_t>(int64_t{screen.right} - width);
  if (int64_t{at.y} + height > screen.bottom)
    at.y = static_cast<int32_t>(int64_t{screen.bottom} - height);
  at.x = std::max(at.x, screen.left);
  at.y = std::max(at.y, screen.top);
  return at;
}

std::vector<std::string> PackedListItems(std::string_view packed,
                                         const std::vector<std::string>& english) {
  std::vector<std::string> items;
  size_t start = 0;
  for (size_t end; items.size() < english.size() &&
                   (end = packed.find('\n', start)) != std::string_view::npos;
       start = end + 1) {
    std::string_view piece = packed.substr(start, end - start);
    if (!piece.empty() && piece.back() == '\r') piece.remove_suffix(1);
    items.emplace_back(piece);
  }
  items.resize(english.size());
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i].empty()) items[i] = english[i];
  return items;
}

}  // namespace zw
