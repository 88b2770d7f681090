// The status line of the checked files: count, size in kB, and the
// formatter's size where it helps (below 1 kB and from 1 MB on).
#include "app/results/checked_status.h"

#include <gtest/gtest.h>

#include "app/text/string_table.h"
#include "app/text_ids.h"
#include "platform/locale.h"

using namespace zw;

namespace {

// The formatter's text of `bytes` in brackets, where there is a formatter.
std::string Exact(uint64_t bytes) {
  return platform::HaveByteSizeFormatter() ? " (" + platform::ByteSizeText(bytes) + ")" : "";
}

TEST(CheckedStatus, CountAndSizeInTheirWords) {
  const struct {
    int32_t count;
    uint64_t size;
    std::string text;
  } cases[] = {
      {0, 0, "No files checked. (Click their icons to check the files you want to remove.)"},
      {1, 1024, "1 file with a size of 1 kB checked."},
      {1, 1048575, "1 file with a size of 1,023 kB checked."},
      {2, 500, "2 files with a total size of 0 kB" + Exact(500) + " checked."},
      {3, 210, "3 files with a total size of 0 kB" + Exact(210) + " checked."},
      {1234, 1048576, "1,234 files with a total size of 1,024 kB" + Exact(1048576) + " checked."},
  };
  for (const auto& c : cases) EXPECT_EQ(CheckedStatusText(c.count, c.size, TStringTable()), c.text);
}

TEST(CheckedStatus, FollowsTheStringTable) {
  TStringTable strings;
  strings.Set(strCheckedCount, "%.0n Dateien, %.0n kB%s");
  EXPECT_EQ(CheckedStatusText(3, 4096, strings), "3 Dateien, 4 kB");
}

}  // namespace
