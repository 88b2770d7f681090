#include "app/file_filter.h"

namespace zw {

std::vector<TFilterEntry> SplitFilter(std::string_view filter) {
  std::vector<std::string_view> pieces;
  size_t start = 0;
  while (start <= filter.size()) {
    const size_t bar = filter.find('|', start);
    const size_t end = bar == std::string_view::npos ? filter.size() : bar;
    pieces.push_back(filter.substr(start, end - start));
    if (bar == std::string_view::npos) break;
    start = bar + 1;
  }
  std::vector<TFilterEntry> entries;
  for (size_t i = 0; i + 1 < pieces.size(); i += 2)
    if (!pieces[i + 1].empty()) entries.push_back({std::string(pieces[i]), std::string(pieces[i + 1])});
  return entries;
}

std::string FilterExtension(std::string_view filter, int index) {
  const std::vector<TFilterEntry> entries = SplitFilter(filter);
  if (index < 1 || static_cast<size_t>(index) > entries.size()) return {};
  std::string_view pattern = entries[static_cast<size_t>(index) - 1].pattern;
  pattern = pattern.substr(0, pattern.find(';'));
  if (pattern.size() < 3 || pattern.substr(0, 2) != "*.") return {};
  const std::string_view ext = pattern.substr(2);
  if (ext.find_first_of("*?.") != std::string_view::npos) return {};
  return std::string(ext);
}

}  // namespace zw
