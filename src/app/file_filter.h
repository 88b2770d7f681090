// Filters of the file dialogs, written as "text|pattern|text|pattern" (as
// the string table holds them): their entries, and the extension a chosen
// entry gives a typed name that has none.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace zw {

struct TFilterEntry {
  std::string text;     // "Binary file (.zwr), reimportable"
  std::string pattern;  // "*.zwr" (several separated by ";")
};

// The entries in order. A text without a pattern after it (an odd last
// piece, or an empty pattern) makes no entry.
std::vector<TFilterEntry> SplitFilter(std::string_view filter);

// The extension, without its dot, of the first pattern of entry `index`
// (1-based): "*.zwr" gives "zwr". Empty for an index outside the entries
// and for patterns that name no single extension ("*", "*.*", "*.z?r").
std::string FilterExtension(std::string_view filter, int index);

}  // namespace zw
