// The comparison options page's own rules: when a criterion's button and
// label are usable, and where an advanced dialog opens beside its button.
#include "app/options/criteria_page.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

using namespace zw;

namespace {

TEST(CriterionDetails, UsableOnlyWhileCheckedAndIdle) {
  TCompareSettings compare;  // factory: size and content checked
  struct Case {
    TCompCriteria box;
    bool busy;
    bool enabled;
  } const cases[] = {
      {ccFilename, false, false}, {ccSize, false, true},  {ccDate, false, false},
      {ccContent, false, true},   {ccSize, true, false},  {ccContent, true, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CriterionDetailsEnabled(compare, c.box, c.busy), c.enabled)
        << "box " << int{c.box} << " busy " << c.busy;

  compare.Set(ccFilename, true);
  compare.Set(ccSize, false);
  EXPECT_TRUE(CriterionDetailsEnabled(compare, ccFilename, false));
  EXPECT_FALSE(CriterionDetailsEnabled(compare, ccSize, false));
  // The content method flags do not count as a checked box.
  compare.checked = ccContentCRC | ccContentPartial;
  EXPECT_FALSE(CriterionDetailsEnabled(compare, ccContent, false));
}

struct PlaceCase {
  const char* name;
  TScreenRect button;
  int32_t width, height;
  TScreenRect screen;
  int32_t x, y;
};

class PlaceAtButtonTest : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(PlaceAtButtonTest, TopLeftAtTheButtonsTopRightWithinTheScreen) {
  const PlaceCase& c = GetParam();
  const TScreenPoint at = PlaceAtButton(c.button, c.width, c.height, c.screen);
  EXPECT_EQ(at.x, c.x);
  EXPECT_EQ(at.y, c.y);
}

constexpr TScreenRect kScreen{0, 0, 1024, 768};
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

INSTANTIATE_TEST_SUITE_P(
    Placement, PlaceAtButtonTest,
    ::testing::Values(
        PlaceCase{"fits", {300, 100, 380, 124}, 300, 200, kScreen, 380, 100},
        // Exactly touching the right and bottom edges still fits.
        PlaceCase{"touches", {600, 500, 724, 524}, 300, 268, kScreen, 724, 500},
        PlaceCase{"right", {800, 100, 880, 124}, 300, 200, kScreen, 724, 100},
        PlaceCase{"bottom", {300, 700, 380, 724}, 300, 200, kScreen, 380, 568},
        PlaceCase{"both", {900, 700, 980, 724}, 300, 200, kScreen, 724, 568},
        // Larger than the screen: the top-left corner stays on it.
        PlaceCase{"huge", {300, 100, 380, 124}, 2000, 1000, kScreen, 0, 0},
        // A monitor left of and above the primary one.
        PlaceCase{"negative", {-300, -200, -220, -176}, 300, 200, {-1280, -1024, 0, 0}, -300,
                  -200},
        PlaceCase{"negativeEdge", {-100, -50, -20, -26}, 300, 200, {-1280, -1024, 0, 0}, -300,
                  -200},
        // Coordinates at the end of the range do not wrap around.
        PlaceCase{"noWrap", {kMax - 10, kMax - 10, kMax, kMax}, 300, 200, {kMin, kMin, kMax, kMax},
                  kMax - 300, kMax - 200}),
    [](const ::testing::TestParamInfo<PlaceCase>& info) { return std::string(info.param.name); });

// A language's list items: pieces ended by a line break, English for the rest.
TEST(PackedListItems, PiecesEndedByALineBreakElseEnglish) {
  const std::vector<std::string> english = {"first", "last"};
  struct Case {
    const char* packed;
    std::vector<std::string> items;
  } const cases[] = {
      {"ersten\r\nletzten\r\n", {"ersten", "letzten"}},
      {"ersten\nletzten\n", {"ersten", "letzten"}},
      // A last piece without a line break is no item.
      {"ersten\r\nletzten", {"ersten", "last"}},
      {"", {"first", "last"}},
      {"nur eins", {"first", "last"}},
      // An empty piece keeps the English item; more pieces than items are
      // left over.
      {"\r\nletzten\r\n", {"first", "letzten"}},
      {"a\r\nb\r\nc\r\n", {"a", "b"}},
  };
  for (const Case& c : cases) EXPECT_EQ(PackedListItems(c.packed, english), c.items) << c.packed;
}

}  // namespace
