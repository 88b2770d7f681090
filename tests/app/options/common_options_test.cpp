// The store-settings group of the common options: which controls the save
// box and the administrator rights enable, the "register file types" box
// and bit 0 of the wanted flags, the file-types dialog's preset and OK, and
// where that dialog opens.
#include "app/options/common_options.h"

#include <gtest/gtest.h>

#include "app/shell/file_types.h"

using namespace zw;

namespace {

TEST(StoreGroupTest, TheSaveBoxAndAdministratorRightsEnableTheGroup) {
  struct Case {
    bool save, admin, stored;
    bool pos, cols, types, del;
  };
  const Case cases[] = {
      {false, false, false, false, false, false, false},
      {false, true, false, false, false, false, false},  // unticked: all four off
      {true, false, false, true, true, false, false},    // no rights: no file types
      {true, true, false, true, true, true, false},
      {false, true, true, false, false, false, true},    // something stored: delete
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.save << c.admin << c.stored);
    TWindowModel m;
    m.saveSettings = c.save;
    m.store.delRegEnabled = c.stored;
    const TStoreGroupState s = StoreGroupState(m, c.admin);
    EXPECT_EQ(s.saveWindowPos, c.pos);
    EXPECT_EQ(s.saveResultListColumns, c.cols);
    EXPECT_EQ(s.regFiletypes, c.types);
    EXPECT_EQ(s.regFiletypesButton, c.types);
    EXPECT_EQ(s.deleteSettings, c.del);
  }
}

TEST(StoreGroupTest, TheRegisterBoxSwitchesOnlyBitZero) {
  TStoreOptions store;
  store.fileTypesWanted = ftOn | ftCatalogs | ftFolders;
  SetRegFiletypes(store, false);
  EXPECT_EQ(store.fileTypesWanted, ftCatalogs | ftFolders);
  EXPECT_FALSE(store.regFiletypes);
  SetRegFiletypes(store, true);
  EXPECT_EQ(store.fileTypesWanted, ftOn | ftCatalogs | ftFolders);
  EXPECT_TRUE(store.regFiletypes);
}

TEST(RegFiletypesDialogTest, ThePresetShowsTheWantedTypesOnlyWhileRegistrationIsOn) {
  TStoreOptions store;
  store.fileTypesWanted = ftOn | ftResultLists | ftFolders;
  EXPECT_EQ(RegFiletypesPreset(store), (TRegFiletypesChoice{true, false, true}));
  store.fileTypesWanted = ftResultLists | ftCatalogs | ftFolders;  // switched off
  EXPECT_EQ(RegFiletypesPreset(store), (TRegFiletypesChoice{}));
}

TEST(RegFiletypesDialogTest, OkSetsTheTypesOrSwitchesRegistrationOff) {
  struct Case {
    uint8_t before;
    TRegFiletypesChoice choice;
    uint8_t after;
  };
  const Case cases[] = {
      {ftOn | ftResultLists | ftCatalogs, {false, true, true}, ftOn | ftCatalogs | ftFolders},
      {ftResultLists, {true, false, false}, ftOn | ftResultLists},  // a type switches it on
      // No type: the types stay for later, registration goes off.
      {ftOn | ftResultLists | ftCatalogs, {}, ftResultLists | ftCatalogs},
      {0, {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.before));
    TStoreOptions store;
    store.fileTypesWanted = c.before;
    store.regFiletypes = (c.before & ftOn) != 0;
    store.fileTypesRegistered = 0x05;
    ApplyRegFiletypesChoice(store, c.choice);
    EXPECT_EQ(store.fileTypesWanted, c.after);
    EXPECT_EQ(store.regFiletypes, (c.after & ftOn) != 0);
    EXPECT_EQ(store.fileTypesRegistered, 0x05);  // nothing is registered now
  }
}

TEST(RegFiletypesDialogTest, TheDialogOpensBelowItsButtonAndStaysOnTheScreen) {
  const TScreenRect screen{0, 0, 1024, 768};
  struct Case {
    TScreenRect button;
    TScreenPoint at;
  };
  const Case cases[] = {
      {{100, 200, 120, 220}, {100, 220}},   // room enough: just below
      {{950, 200, 970, 220}, {824, 220}},   // moved left
      {{100, 700, 120, 720}, {100, 618}},   // moved up
      {{1000, 740, 1020, 760}, {824, 618}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button.left);
    EXPECT_EQ(PlaceBelow(c.button, 200, 150, screen), c.at);
  }
  // Larger than the screen: its top left corner stays on it.
  EXPECT_EQ(PlaceBelow({500, 500, 520, 520}, 2000, 1000, {-100, 10, 1024, 768}),
            (TScreenPoint{-100, 10}));
}

}  // namespace
