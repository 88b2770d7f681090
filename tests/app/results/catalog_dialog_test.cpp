#include "app/results/catalog_dialog.h"

#include <gtest/gtest.h>

#include <string>

#include "app/support/result_sets.h"
#include "app/support/test_host.h"

using namespace zw;
using zwtest::HostCall;
using zwtest::TestHost;

namespace {

// A list of one set of three entries.
class CatalogDialog : public ::testing::Test {
 protected:
  CatalogDialog() { zwtest::AddSets(list, {{{"a.jpg", 10, "/photos/"}, {"b.jpg", 10, "/photos/"},
                                            {"c.jpg", 10, "/photos/"}}}); }
  TResultList list;
  TestHost host;
  TCatalogDialogModel dlg;
};

TEST_F(CatalogDialog, DefaultsGiveEverythingAsFarAsNeededAfterTheSaveDialog) {
  dlg.Prepare(list);
  EXPECT_FALSE(dlg.selectedEnabled);
  EXPECT_FALSE(dlg.checkedEnabled);
  EXPECT_FALSE(dlg.BasePathEnabled());
  dlg.basePath = "/photos";  // typed, but not the chosen path kind
  host.files.push_back(std::string("/backup/disk 1"));
  TCatFileOptions out;
  ASSERT_TRUE(dlg.Accept(host, out));
  EXPECT_EQ(out.FileName, "/backup/disk 1.zwc");
  EXPECT_EQ(out.Entries, catentries::kAll);
  EXPECT_EQ(out.Data, catdata::kDirAttributes | catdata::kChecksums);
  EXPECT_EQ(out.Paths, catpaths::kAsNeeded);
  EXPECT_EQ(out.BasePath, "");
  const auto picks = host.CallsOf(HostCall::PickSaveFile);
  ASSERT_EQ(picks.size(), 1u);
  EXPECT_EQ(picks[0].text, "save catalog file to...");
  EXPECT_EQ(picks[0].caption, "Zwillo Catalog Files (.zwc)|*.zwc");
}

TEST_F(CatalogDialog, CancelledSaveDialogKeepsTheDialogOpenAndItsChoices) {
  dlg.destination = "";
  host.files.push_back(std::nullopt);
  TCatFileOptions out;
  out.FileName = "untouched";
  EXPECT_FALSE(dlg.Accept(host, out));
  EXPECT_EQ(out.FileName, "untouched");
  // "..." cancelled leaves a chosen file as it was; a chosen file is not asked again.
  dlg.destination = "/backup/old.zwc";
  host.files.push_back(std::nullopt);
  EXPECT_FALSE(dlg.Browse(host));
  EXPECT_EQ(dlg.destination, "/backup/old.zwc");
  ASSERT_TRUE(dlg.Accept(host, out));
  EXPECT_EQ(out.FileName, "/backup/old.zwc");
  EXPECT_EQ(host.Count(HostCall::PickSaveFile), 2u);
  // A name with an extension keeps it.
  host.files.push_back(std::string("/backup/list.cat"));
  ASSERT_TRUE(dlg.Browse(host));
  EXPECT_EQ(dlg.destination, "/backup/list.cat");
}

TEST_F(CatalogDialog, EntryChoicesFollowTheSelectionAndTheCheckMarks) {
  dlg.entries = catentries::kChecked;
  dlg.Prepare(list);
  EXPECT_EQ(dlg.entries, catentries::kAll);  // nothing checked: back to "all"

  list.Item(1)->Flags |= reflag::kSelected;
  list.Check(list.Item(2));
  dlg.entries = catentries::kChecked;
  dlg.Prepare(list);
  EXPECT_TRUE(dlg.selectedEnabled);
  EXPECT_TRUE(dlg.checkedEnabled);
  EXPECT_EQ(dlg.entries, catentries::kChecked);

  dlg.entries = catentries::kSelected;
  dlg.dirAttributes = false;
  dlg.paths = catpaths::kRelative;
  dlg.basePath = "/photos";
  EXPECT_TRUE(dlg.BasePathEnabled());
  dlg.destination = "/backup/sel.zwc";
  TCatFileOptions out;
  ASSERT_TRUE(dlg.Accept(host, out));
  EXPECT_EQ(out.Entries, catentries::kSelected);
  EXPECT_EQ(out.Data, catdata::kChecksums);
  EXPECT_EQ(out.Paths, catpaths::kRelative);
  EXPECT_EQ(out.BasePath, "/photos");
  EXPECT_EQ(CatalogEntryCount(list, out.Entries), 1);
}

}  // namespace
