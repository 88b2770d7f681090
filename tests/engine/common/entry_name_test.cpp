// Names at the edge of what fits in the object (15 bytes) and beyond keep
// their text, end in a zero and survive copies, moves and self-assignment.
#include "engine/common/entry_name.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using zw::TEntryName;

TEST(EntryName, KeepsTextOfEveryLengthThroughCopiesAndMoves) {
  const std::vector<std::string> texts = {"", "a", std::string(14, 'b'), std::string(15, 'c'),
                                          std::string(16, 'd'), std::string("n\0ul", 4),
                                          "\xC3\xA4pfel und Birnen, viele davon.txt", std::string(300, 'e')};
  for (const std::string& t : texts) {
    TEntryName n(t);
    EXPECT_EQ(n.view(), t);
    EXPECT_EQ(n.data()[t.size()], '\0') << t.size();
    TEntryName copy(n);
    TEntryName moved(std::move(n));
    EXPECT_EQ(copy.view(), t);
    EXPECT_EQ(moved.view(), t);
    EXPECT_TRUE(n.empty());
    // Over a name of the other kind, and over itself.
    TEntryName other(t.size() > 15 ? "short" : std::string(40, 'x'));
    other = copy;
    EXPECT_EQ(other.view(), t);
    other = other.view().substr(t.size() / 2);
    EXPECT_EQ(other.view(), t.substr(t.size() / 2));
    EXPECT_EQ(std::string("/dir/") + moved, "/dir/" + t);
  }
}
