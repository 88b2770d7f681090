#include "app/results/result_drag.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/support/result_sets.h"
#include "support/temp_tree.h"

using namespace zw;
using namespace zwtest;

namespace {

// The selection in list order: "s" selected, "d" deselected for the drag,
// "." neither.
std::string Selection(const TResultList& list) {
  std::string out;
  for (const TResultEntry* e : list.Items())
    out += (e->Flags & reflag::kSelected) ? (e->Flags & kDragDeselected ? '?' : 's')
           : (e->Flags & kDragDeselected) ? 'd'
                                          : '.';
  return out;
}

class ResultDragTest : public ::testing::Test {
 protected:
  // Two sets: a1 a2 (a2 inside a ZIP file) and b1 b2 b3.
  void SetUp() override {
    AddSets(list, {{{"a1", 1}, {"a2", 1, "/z.zip\\", kZipped}},
                   {{"b1", 2}, {"b2", 2}, {"b3", 2}}});
  }
  TDragOutStart Begin(int32_t startRow, bool ctrl, const std::string& refuse = "") {
    names.clear();
    return BeginDragOut(list, startRow, ctrl, [&](const std::string& name) {
      if (!refuse.empty() && name.find(refuse) != std::string::npos) return false;
      names.push_back(name);
      return true;
    });
  }
  TResultList list;
  std::vector<std::string> names;
};

TEST_F(ResultDragTest, OneSelectedEntryIsTheOneUnderTheMouse) {
  Select(list, {2});
  EXPECT_EQ(Begin(2, false).files, 1);
  EXPECT_EQ(names, std::vector<std::string>{"/data/b1"});
  // An archived entry is never dragged, and nothing is deselected for it.
  list.Item(2)->Flags &= ~reflag::kSelected;
  Select(list, {1});
  const TDragOutStart start = Begin(1, false);
  EXPECT_EQ(start.files, 0);
  EXPECT_FALSE(start.someRefused);
  EXPECT_EQ(Selection(list), ".s...");
}

TEST_F(ResultDragTest, ArchivedAndRefusedEntriesAreDeselectedForTheDrag) {
  Select(list, {0, 1, 2, 3});
  const TDragOutStart start = Begin(0, false, "b2");
  EXPECT_EQ(start.files, 2);
  EXPECT_TRUE(start.someRefused);
  EXPECT_FALSE(start.tooMany);
  EXPECT_EQ(names, (std::vector<std::string>{"/data/a1", "/data/b1"}));
  EXPECT_EQ(Selection(list), "sdsd.");
  EndDragOut(list);
  EXPECT_EQ(Selection(list), "ssss.");
}

TEST(ResultDragLimit, MoreThanAThousandFilesNeedCtrl) {
  for (int32_t n : {1000, 1001}) {
    TResultList list;
    std::vector<F> set;
    for (int32_t i = 0; i < n; ++i) set.push_back({"f" + std::to_string(i)});
    AddSets(list, {set});
    for (TResultEntry* e : list.MutableItems()) e->Flags |= reflag::kSelected;
    int32_t offered = 0;
    const auto add = [&](const std::string&) { return ++offered, true; };
    const TDragOutStart plain = BeginDragOut(list, 0, false, add);
    EXPECT_EQ(plain.tooMany, n > 1000) << n;
    EXPECT_EQ(plain.files, n > 1000 ? 0 : n) << n;
    offered = 0;
    EXPECT_EQ(BeginDragOut(list, 0, true, add).files, n) << n;
    EXPECT_EQ(offered, n);
  }
}

TEST(ResultDragImage, RowsAndLimits) {
  EXPECT_EQ(DragImageRows(5, 0, 20, 100), 26);
  EXPECT_EQ(DragImageRows(-1, 40, 20, 100), 61);
  EXPECT_EQ(DragImageRows(90, 85, 20, 100), 100);
  EXPECT_EQ(DragImageRows(-1, 0, 20, 0), 0);
  EXPECT_TRUE(DragImageWanted(1499, 1));
  EXPECT_FALSE(DragImageWanted(1500, 1));
  EXPECT_TRUE(DragImageWanted(7499, 2));
  EXPECT_FALSE(DragImageWanted(7500, 2));
  EXPECT_FALSE(DragImageShowsCursor(1000));
  EXPECT_TRUE(DragImageShowsCursor(1001));
}

// Files on disk: only the entries of files that are really gone leave.
TEST(ResultDragMoved, OnlyEntriesOfFilesThatAreGoneLeave) {
  TempTree tree;
  std::vector<std::string> files;
  for (const char* name : {"a1", "a2", "b1", "b2", "b3"})
    files.push_back(tree.File(name, std::string("content ") + name[0]));
  TResultList list;
  AddSets(list, {{OnDisk(files[0]), OnDisk(files[1])},
                 {OnDisk(files[2]), OnDisk(files[3]), OnDisk(files[4])}});
  SetChecked(list, {0, 2, 3});
  // a1, b1 and b2 dragged; the target moved a1 and b1 but kept b2 (a
  // failed move); a2 is gone as well but was not dragged.
  Select(list, {0, 2, 3});
  for (int i : {0, 1, 2}) std::filesystem::remove(files[i]);
  EXPECT_EQ(RemoveMovedEntries(list), 2);
  EXPECT_EQ(Names(list), "a2 | b2 b3");
  EXPECT_EQ(Checked(list), ".|x.");
  EXPECT_TRUE(CountsHold(list));
  EXPECT_EQ(Selection(list), ".s.");
  // Nothing gone: nothing changes.
  EXPECT_EQ(RemoveMovedEntries(list), 0);
  EXPECT_EQ(Names(list), "a2 | b2 b3");
}

}  // namespace

namespace {

TEST_F(ResultDragTest, SelectedCountAndLastRow) {
  EXPECT_EQ(SelectedEntryCount(list), 0);
  EXPECT_EQ(LastSelectedRow(list), -1);
  Select(list, {0, 1, 3});
  EXPECT_EQ(SelectedEntryCount(list), 3);
  EXPECT_EQ(LastSelectedRow(list), 3);
  Begin(0, false, "b2");  // b2 (row 3) is deselected for the drag and still counts as last
  EXPECT_EQ(SelectedEntryCount(list), 1);
  EXPECT_EQ(LastSelectedRow(list), 3);
}

}  // namespace
