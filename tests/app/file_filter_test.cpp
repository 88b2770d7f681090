// Filters of the file dialogs: their entries and the extension a chosen
// entry gives.
#include "app/file_filter.h"

#include <gtest/gtest.h>

using namespace zw;

namespace {

std::string Entries(std::string_view filter) {
  std::string out;
  for (const TFilterEntry& e : SplitFilter(filter)) out += "[" + e.text + "=" + e.pattern + "]";
  return out;
}

TEST(FileFilter, SplitsIntoTextAndPatternPairs) {
  const struct {
    const char* filter;
    const char* entries;
  } cases[] = {
      {"Text file (.txt)|*.txt|Binary file (.zwr), reimportable|*.zwr",
       "[Text file (.txt)=*.txt][Binary file (.zwr), reimportable=*.zwr]"},
      {"Pictures|*.jpg;*.png", "[Pictures=*.jpg;*.png]"},
      {"Text|*.txt|dangling", "[Text=*.txt]"},   // a text without its pattern
      {"Text|*.txt|", "[Text=*.txt]"},
      {"Empty||Text|*.txt", "[Text=*.txt]"},     // an empty pattern makes no entry
      {"", ""},
      {"|*.zwc", "[=*.zwc]"},
  };
  for (const auto& c : cases) EXPECT_EQ(Entries(c.filter), c.entries) << c.filter;
}

TEST(FileFilter, ExtensionOfTheChosenEntry) {
  const std::string filter = "Text file (.txt)|*.txt|Binary file (.zwr), reimportable|*.zwr";
  const struct {
    std::string filter;
    int index;
    const char* ext;
  } cases[] = {
      {filter, 1, "txt"},
      {filter, 2, "zwr"},
      {filter, 0, ""},
      {filter, 3, ""},
      {"All|*.*", 1, ""},
      {"All|*", 1, ""},
      {"Some|*.z?r", 1, ""},
      {"Pictures|*.jpeg;*.png", 1, "jpeg"},
      {"Archive|*.tar.gz", 1, ""},
      {"Catalog|*.zwc|", 1, "zwc"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FilterExtension(c.filter, c.index), c.ext) << c.filter << " #" << c.index;
}

}  // namespace
