// The keys of the result list as one table: the state before, the keys
// pressed, the check marks, focus and top row after, and what the last key
// said it did.
#include "app/results/result_keys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <string>
#include <vector>

#include "app/support/result_sets.h"
#include "engine/scan/mask.h"
#include "support/recording_messenger.h"

using namespace zw;
using namespace zwtest;

namespace {

using K = TResultKeyCode;

// A key as the table writes it: Ins, Space, N0..N9 (numpad digits), * / .
// (numpad), Left, Right, Up, Down, or a digit or letter of the main
// keyboard; "^" in front holds Ctrl+Shift, "SL-" has Scroll Lock on.
TResultKey Key(std::string name) {
  TResultKey k;
  if (name.rfind("SL-", 0) == 0) {
    k.scrollLock = true;
    name.erase(0, 3);
  }
  if (name.size() > 1 && name[0] == '^') {
    k.ctrl = k.shift = true;
    name.erase(0, 1);
  }
  static const std::map<std::string, K> named = {
      {"Ins", K::Insert}, {"Space", K::Space}, {"*", K::NumpadMul}, {"/", K::NumpadDiv},
      {".", K::NumpadDecimal}, {"Left", K::Left}, {"Right", K::Right}, {"Up", K::Up},
      {"Down", K::Down}};
  if (const auto it = named.find(name); it != named.end()) {
    k.code = it->second;
  } else if (name.size() == 2 && name[0] == 'N') {
    k.code = K(int(K::Numpad0) + name[1] - '0');
  } else if (std::isdigit(static_cast<unsigned char>(name[0]))) {
    k.code = K::Digit;
    k.digit = name[0] - '0';
  } else {
    k.code = K::Letter;
    k.letter = name[0];
  }
  return k;
}

// What a key did: h handled, c checks changed, f focus moved, d dialog,
// t tab switched, !n the hint at row n.
std::string Did(const TKeyResult& r) {
  std::string s = std::string(r.handled ? "h" : "") + (r.checksChanged ? "c" : "") +
                  (r.focusMoved ? "f" : "") + (r.openCriteriaDialog ? "d" : "") +
                  (r.tabSwitched ? "t" : "");
  return r.hintRow >= 0 ? s + "!" + std::to_string(r.hintRow) : s;
}

constexpr int kSame = -9;
constexpr const char* kNone = "...|.|..........";

struct KeyCase {
  const char* keys;
  int focused = 0;
  int topRow = 0;
  bool uncheckTab = false;
  const char* before = kNone;
  std::vector<int> selected = {};
  const char* after = nullptr;  // nullptr: as before
  const char* did = "hc";       // by the last key
  int focusAfter = kSame;
  int topAfter = kSame;
};

// a1 a2 a3 | b1 | c0 .. c9, a2 inside an archive.
void AddKeySets(TResultList& list) {
  std::vector<F> ten;
  for (char digit = '0'; digit <= '9'; ++digit) ten.push_back({std::string{'c', digit}});
  AddSets(list, {{{"a1", 1, "/a/"}, {"a2", 2, "/z[1]/", kZipped}, {"a3", 4, "/b/"}},
                 {{"b1", 8, "/a/"}},
                 ten});
}

TEST(ResultKeys, CheckAndMoveAsTheKeysSay) {
  const KeyCase cases[] = {
      // toggles of the focused entry; an archive entry gets its hint instead
      {.keys = "Ins", .focused = 2, .after = "..x|.|.........."},
      {.keys = "Ins Ins", .focused = 2},
      {.keys = "Space", .focused = 1, .did = "h!1"},
      {.keys = "Ins", .focused = 1, .did = "h!1"},
      {.keys = "N2", .focused = 0, .did = "h!1"},
      // Space with several selected: all of them to the opposite of the focused entry
      {.keys = "Space", .before = "...|.|x.........", .selected = {0, 3, 4},
       .after = "x..|x|x........."},
      {.keys = "Space", .focused = 3, .before = "x..|x|x.........", .selected = {0, 3, 4},
       .after = kNone},
      // numpad digits toggle the n-th of the focused set, Ctrl+Shift digits the first to tenth
      {.keys = "N1 N9", .focused = 9, .after = "...|.|x.......x."},
      {.keys = "N1 N9 N1", .focused = 9, .after = "...|.|........x."},
      {.keys = "^0 ^2 ^N3", .focused = 4, .after = "...|.|.xx......x"},
      {.keys = "^5", .did = "h"},  // a set of three
      // plain digits and letters go to the list
      {.keys = "1", .did = ""},
      {.keys = "a", .did = ""},
      {.keys = "^Q", .did = ""},
      // numpad * and / check and uncheck the whole set
      {.keys = "*", .focused = 2, .after = "x.x|.|.........."},
      {.keys = "* /", .focused = 2},
      // Ctrl+Shift A all, D none, I inverts all or the selection of two or more
      {.keys = "^a", .after = "x.x|x|xxxxxxxxxx"},
      {.keys = "^a ^D"},
      {.keys = "^I", .before = "x..|.|..........", .selected = {3}, .after = "..x|x|xxxxxxxxxx"},
      {.keys = "^I", .before = "x..|.|..........", .selected = {0, 1, 3},
       .after = "...|x|.........."},
      // F first and L last of sets, G the focused set, by the tab; two selected: only they
      {.keys = "^F", .after = "x..|.|xxxxxxxxx."},
      {.keys = "^F", .uncheckTab = true, .before = "x..|.|xxxxxxxxx.", .selected = {5, 6},
       .after = "x..|.|x..xxxxxx."},
      {.keys = "^L", .before = "x..|.|x..xxxxxx.", .selected = {5, 6},
       .after = "x..|.|xxxxxxxxx."},
      {.keys = "^G", .focused = 3, .after = "...|x|.........."},
      {.keys = "^G", .focused = 3, .uncheckTab = true, .before = "...|x|..........",
       .after = kNone},
      // P the focused entry's folder (an archive's is matched, never checked)
      {.keys = "^P", .after = "x..|x|.........."},
      {.keys = "^P", .focused = 1},
      // S the selection (nothing selected: a message, no change), B the dialog, C the tab
      {.keys = "^S", .did = "h"},
      {.keys = "^S", .selected = {2}, .after = "..x|.|.........."},
      {.keys = "^B", .did = "hd"},
      {.keys = "^C", .did = "ht"},
      {.keys = "^C ^c", .did = "ht"},
      // Right / N0 / Ctrl+Shift+Down to the next set's first entry, Left / . / Ctrl+Shift+Up
      // to the set's first or the previous set's; the selection follows
      {.keys = "Right", .focused = 1, .selected = {0, 1, 2}, .did = "hf", .focusAfter = 3},
      {.keys = "Right N0", .focused = 1, .did = "hf", .focusAfter = 4},
      {.keys = "^Down", .focused = 4, .did = "h"},  // the last set
      {.keys = "Left", .focused = 8, .did = "hf", .focusAfter = 4},
      {.keys = ".", .focused = 4, .did = "hf", .focusAfter = 3},
      {.keys = "^Up", .focused = 3, .did = "hf", .focusAfter = 0},
      {.keys = "Left", .did = "h"},
      // Scroll Lock keeps the focused row in its place; without it Up/Down are the list's
      {.keys = "SL-Right", .did = "hf", .focusAfter = 3, .topAfter = 3},
      {.keys = "Down", .focused = 3, .did = ""},
      {.keys = "SL-Down", .focused = 3, .topRow = 3, .did = "hf", .focusAfter = 4, .topAfter = 4},
      {.keys = "SL-Up SL-Up", .focused = 4, .topRow = 4, .did = "hf", .focusAfter = 2,
       .topAfter = 2},
      // without a focused entry nothing is checked
      {.keys = "Ins", .focused = -1, .did = "h"},
      {.keys = "Space", .focused = -1, .did = "h"},
      {.keys = "N1", .focused = -1, .did = "h"},
      {.keys = "*", .focused = -1, .did = "h"},
      {.keys = "^G", .focused = -1, .did = "h"},
      {.keys = "Right", .focused = -1, .did = "hf", .focusAfter = 0},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(std::string(c.keys) + " on row " + std::to_string(c.focused));
    TResultList list;
    AddKeySets(list);
    SetChecked(list, c.before);
    Select(list, c.selected);
    TResultViewModel view;
    view.focused = c.focused;
    view.topRow = c.topRow;
    view.uncheckTab = c.uncheckTab;
    RecordingMessenger msgr;
    TKeyResult r;
    bool tab = c.uncheckTab;  // as the keys switched it
    std::string keys = c.keys;
    for (size_t at = 0, end; at < keys.size(); at = end + 1) {
      end = std::min(keys.find(' ', at), keys.size());
      r = HandleResultKey(list, view, Key(keys.substr(at, end - at)), msgr);
      tab = tab != r.tabSwitched;
    }
    EXPECT_EQ(view.uncheckTab, tab);
    EXPECT_EQ(Checked(list), c.after ? c.after : c.before);
    EXPECT_EQ(Did(r), c.did);
    EXPECT_EQ(view.focused, c.focusAfter == kSame ? c.focused : c.focusAfter);
    EXPECT_EQ(view.topRow, c.topAfter == kSame ? c.topRow : c.topAfter);
    for (int32_t i = 0; r.focusMoved && i < list.ItemCount(); ++i)
      EXPECT_EQ((list.Item(i)->Flags & reflag::kSelected) != 0, i == view.focused) << i;
    EXPECT_TRUE(CountsHold(list));
    EXPECT_FALSE(list.LockHeldByCaller());
  }
}

// Records whether the list was locked while a message box was up.
struct LockWatchingMessenger : RecordingMessenger {
  explicit LockWatchingMessenger(const TResultList& l) : list(l) {}
  int ShowMsg(TMsgID id, const TFmtArgs& args = {}) override {
    lockedDuringBox = lockedDuringBox || list.LockHeldByCaller();
    return RecordingMessenger::ShowMsg(id, args);
  }
  const TResultList& list;
  bool lockedDuringBox = false;
};

TEST(ResultKeys, NoFilesSelectedIsShownWithoutHoldingTheListsLock) {
  TResultList list;
  AddKeySets(list);
  TResultViewModel view;
  LockWatchingMessenger watcher(list);
  HandleResultKey(list, view, Key("^S"), watcher);
  EXPECT_TRUE(watcher.Has(msgNoFilesSelected));
  EXPECT_FALSE(watcher.lockedDuringBox);
}

TEST(ResultKeys, LiteralMaskMatchesExactlyThePathEvenWithWildcardCharacters) {
  EXPECT_EQ(LiteralMask("/e/[x]/"), "/e/[[]x]/");
  EXPECT_EQ(LiteralMask("/a*b?/"), "/a[*]b[?]/");
  TMask mask(LiteralMask("/e/[x]/"));
  EXPECT_TRUE(mask.Matches("/e/[x]/"));
  EXPECT_FALSE(mask.Matches("/e/x/"));
  EXPECT_FALSE(TMask(LiteralMask("/a*b/")).Matches("/aXb/"));
}

}  // namespace
