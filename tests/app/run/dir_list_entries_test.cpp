#include "app/run/dir_list_entries.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace zw;

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
  std::vector<uint8_t> out;
  for (int v : values) out.push_back(static_cast<uint8_t>(v));
  return out;
}

TEST(DirListEntries, EncodesTheLittleEndianPackedLayout) {
  const auto data = EncodeDirListEntries({{1, "C:\\a"}, {4, "x.zip"}});
  EXPECT_EQ(data, Bytes({2, 0, 0, 0,                                  // two entries
                         1, 0, 5, 0, 0, 0, 'C', ':', '\\', 'a', 0,     // state 1, "C:\a"
                         4, 0, 6, 0, 0, 0, 'x', '.', 'z', 'i', 'p', 0}));
  const auto back = DecodeDirListEntries(data);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, (std::vector<TDirListEntry>{{1, "C:\\a"}, {4, "x.zip"}}));
}

TEST(DirListEntries, RoundTripsEmptyAndLongPaths) {
  for (const auto& entries : std::vector<std::vector<TDirListEntry>>{
           {}, {{0, ""}}, {{0x1234, std::string(70000, 'p')}, {5, "\xC3\xA4\xE2\x82\xAC"}}}) {
    const auto back = DecodeDirListEntries(EncodeDirListEntries(entries));
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, entries);
  }
}

TEST(DirListEntries, RefusesMalformedData) {
  const auto good = EncodeDirListEntries({{1, "ab"}, {2, "cd"}});
  struct Case {
    const char* what;
    std::vector<uint8_t> data;
  };
  std::vector<Case> cases = {
      {"empty", {}},
      {"count cut short", Bytes({1, 0, 0})},
      {"count without entries", Bytes({1, 0, 0, 0})},
      {"huge count", Bytes({0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 1, 0, 0, 0, 0})},
      {"length cut short", Bytes({1, 0, 0, 0, 1, 0, 3, 0})},
      {"length zero", Bytes({1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0})},
      {"length beyond the data", Bytes({1, 0, 0, 0, 1, 0, 9, 0, 0, 0, 'a', 'b', 0})},
      {"huge length", Bytes({1, 0, 0, 0, 1, 0, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 0})},
      {"no NUL at the end", Bytes({1, 0, 0, 0, 1, 0, 2, 0, 0, 0, 'a', 'b', 0})},
      {"NUL inside the path", Bytes({1, 0, 0, 0, 1, 0, 3, 0, 0, 0, 'a', 0, 0})},
      {"second entry missing", std::vector<uint8_t>(good.begin(), good.end() - 9)},
      {"last byte missing", std::vector<uint8_t>(good.begin(), good.end() - 1)},
  };
  for (const Case& c : cases) {
    // A copy of exactly the case's size: reading past it is caught by the
    // sanitizers and by the checks above.
    std::vector<uint8_t> exact(c.data);
    EXPECT_FALSE(DecodeDirListEntries(exact)) << c.what;
  }
  // A block rounded up by the clipboard keeps its entries.
  std::vector<uint8_t> padded = good;
  padded.resize(good.size() + 16, 0xCC);
  ASSERT_TRUE(DecodeDirListEntries(padded));
  EXPECT_EQ(DecodeDirListEntries(padded)->size(), 2u);
}

TEST(DirListEntries, RightButtonStates) {
  const std::pair<uint16_t, uint16_t> table[] = {{0, 2}, {1, 2}, {2, 1}, {3, 3}, {4, 4}, {5, 5}};
  for (auto [in, out] : table) EXPECT_EQ(RightButtonDropState(in), out) << in;
}

TEST(DropEffects, KeysAllowedAndPreferred) {
  constexpr uint32_t all = kDropCopy | kDropMove | kDropLink;
  struct Case {
    bool ctrl, shift;
    uint32_t allowed, preferred, plain, folderList;
  };
  const Case cases[] = {
      {true, true, all, kDropCopy, kDropLink, kDropCopy},         // Ctrl+Shift links
      {true, true, kDropMove | kDropLink, kDropMove, kDropLink, kDropMove},
      {true, true, kDropCopy, kDropCopy, kDropCopy, kDropCopy},   // link not allowed
      {true, false, all, kDropMove, kDropCopy, kDropCopy},        // Ctrl copies
      {true, false, kDropMove, kDropMove, kDropMove, kDropMove},  // copy not allowed
      {false, true, all, kDropCopy, kDropMove, kDropMove},        // Shift moves
      {false, true, kDropCopy | kDropLink, kDropLink, kDropLink, kDropCopy},
      {false, false, all, kDropCopy, kDropCopy, kDropCopy},       // the preferred effect
      {false, false, all, kDropMove, kDropMove, kDropMove},
      {false, false, kDropCopy | kDropLink, kDropMove, kDropCopy, kDropCopy},
      {false, false, kDropLink, kDropCopy, kDropLink, kDropNone}, // folder lists never link
      {false, false, kDropNone, kDropCopy, kDropNone, kDropNone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.ctrl << c.shift << " allowed " << c.allowed
                                    << " preferred " << c.preferred);
    EXPECT_EQ(ChooseDropEffect(c.ctrl, c.shift, c.allowed, c.preferred), c.plain);
    EXPECT_EQ(FolderListDropEffect(c.ctrl, c.shift, c.allowed, c.preferred), c.folderList);
  }
  EXPECT_EQ(FolderListPreferredEffect(true, false), kDropMove);
  EXPECT_EQ(FolderListPreferredEffect(true, true), kDropCopy);
  EXPECT_EQ(FolderListPreferredEffect(false, false), kDropCopy);
}

// A source is never told of a move; only the lists' own rows move.
TEST(DropEffects, FolderListDropMovesOnlyItsOwnRows) {
  constexpr uint32_t all = kDropCopy | kDropMove | kDropLink;
  constexpr uint32_t own = kDropCopy | kDropLink;  // what a row's drag offers
  struct Case {
    bool ctrl, shift, ownRow, right;
    uint32_t allowed, action, reported;
  };
  const Case cases[] = {
      {false, true, false, false, all, kDropCopy, kDropCopy},  // a folder from a file manager, Shift
      {false, false, false, false, all, kDropCopy, kDropCopy},
      {false, false, false, false, kDropMove, kDropNone, kDropNone},  // a source that only moves
      {false, false, false, false, kDropLink, kDropNone, kDropNone},
      {false, false, true, false, own, kDropMove, kDropCopy},  // a row moves, told as a copy
      {false, true, true, true, own, kDropMove, kDropCopy},
      {false, false, true, true, own, kDropCopy, kDropCopy},   // right button copies
      {true, false, true, false, own, kDropCopy, kDropCopy},
      {true, true, true, false, own, kDropCopy, kDropCopy},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.ctrl << c.shift << c.ownRow << c.right << " allowed "
                                    << c.allowed);
    const TFolderListDrop d = DecideFolderListDrop(c.ctrl, c.shift, c.allowed, c.ownRow, c.right);
    EXPECT_EQ(d.action, c.action);
    EXPECT_EQ(d.reported, c.reported);
  }
}

TEST(DragOutcome, DecodedFromTheTargetsData) {
  const auto recycle = Bytes({0x40, 0xF0, 0x5F, 0x64, 0x81, 0x50, 0x1B, 0x10, 0x9F, 0x08, 0x00,
                              0xAA, 0x00, 0x2F, 0x95, 0x4E});
  auto other = recycle;
  other[15] ^= 1;
  const auto none = std::vector<uint8_t>{};
  const auto copy = Bytes({1, 0, 0, 0}), move = Bytes({2, 0, 0, 0}), link = Bytes({4, 0, 0, 0});
  const auto both = Bytes({3, 0, 0, 0}), shortMove = Bytes({2, 0});
  struct Case {
    const char* what;
    std::vector<uint8_t> clsid, logical, performed;
    TDragOutcome outcome;
  };
  const Case cases[] = {
      {"nothing", none, none, none, TDragOutcome::None},
      {"recycle bin", recycle, none, copy, TDragOutcome::Recycled},
      {"other class", other, none, copy, TDragOutcome::Copied},
      {"logical first", none, move, copy, TDragOutcome::Moved},
      {"performed without logical", none, none, move, TDragOutcome::Moved},
      {"linked", none, none, link, TDragOutcome::Linked},
      {"two bits", none, both, none, TDragOutcome::None},
      {"cut short logical", none, shortMove, copy, TDragOutcome::Copied},
      {"cut short performed", none, none, shortMove, TDragOutcome::None},
      {"cut short class", std::vector<uint8_t>(recycle.begin(), recycle.end() - 1), none, none,
       TDragOutcome::None},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DecodeDragOutcome(c.clsid, c.logical, c.performed), c.outcome) << c.what;
}

TEST(DragOutcome, WhenTheFilesMovedAway) {
  EXPECT_TRUE(DragMovedAway(true, TDragOutcome::Moved, kDropNone));
  EXPECT_TRUE(DragMovedAway(true, TDragOutcome::Recycled, kDropCopy));
  EXPECT_TRUE(DragMovedAway(true, TDragOutcome::None, kDropMove));
  // A target that reports a copy keeps the list, whatever effect came back.
  EXPECT_FALSE(DragMovedAway(true, TDragOutcome::Copied, kDropMove));
  EXPECT_FALSE(DragMovedAway(true, TDragOutcome::Linked, kDropMove));
  EXPECT_FALSE(DragMovedAway(true, TDragOutcome::None, kDropCopy | kDropLink));
  EXPECT_FALSE(DragMovedAway(false, TDragOutcome::Moved, kDropMove));
}

}  // namespace

namespace {

TEST(DirListEntries, RemovesTheDraggedRowOnlyWhileItIsThere) {
  TWindowModel model;
  model.library.rows = {{"/a", 1}, {"/b", 0}, {"/c", 4}};
  model.library.selected = 2;
  model.library.scrollTo = 1;
  // Another state or path: the row is not the one dragged.
  EXPECT_FALSE(RemoveDraggedFolderRow(model, TFolderList::Library, 1, {1, "/b"}));
  EXPECT_FALSE(RemoveDraggedFolderRow(model, TFolderList::Library, 1, {0, "/a"}));
  EXPECT_FALSE(RemoveDraggedFolderRow(model, TFolderList::Fresh, 1, {0, "/b"}));
  EXPECT_FALSE(RemoveDraggedFolderRow(model, TFolderList::Library, 3, {0, "/b"}));
  EXPECT_EQ(model.library.rows.size(), 3u);
  ASSERT_TRUE(RemoveDraggedFolderRow(model, TFolderList::Library, 1, {0, "/b"}));
  ASSERT_EQ(model.library.rows.size(), 2u);
  EXPECT_EQ(model.library.rows[1].caption, "/c");
  EXPECT_EQ(model.library.selected, 1);   // still on "/c"
  EXPECT_EQ(model.library.scrollTo, -1);  // its row is gone
}

}  // namespace
