#include "engine/scan/mask.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using zw::EMaskError;
using zw::TLeadByteTable;
using zw::TMask;
using zw::TMaskList;
using zw::TMaskRow;

struct MatchCase {
  const char* mask;
  const char* name;
  bool matches;
};

void ExpectTable(const std::vector<MatchCase>& cases, const TLeadByteTable* lead = nullptr) {
  for (const MatchCase& c : cases) {
    TMask mask(c.mask, lead);
    EXPECT_EQ(mask.Matches(c.name), c.matches) << "mask '" << c.mask << "' name '" << c.name << "'";
  }
}

// --- syntax ---------------------------------------------------------------

TEST(MaskSyntax, LiteralsMustMatchTheWholeNameIgnoringAsciiCase) {
  ExpectTable({
      {"abc", "abc", true},
      {"abc", "ABC", true},
      {"ABC", "abc", true},
      {"abc", "abcd", false},
      {"abc", "ab", false},
      {"abc", "xabc", false},
      {"readme", "readme.txt", false},
      {"", "", true},
      {"", "a", false},
      {"a.b", "a.b", true},
      {"a.b", "axb", false},
  });
}

TEST(MaskSyntax, BytesOutsideAsciiLettersCompareExactly) {
  ExpectTable({
      {"\xC4rger", "\xE4rger", false},           // no case folding beyond ASCII
      {"\xC4rger", "\xC4RGER", true},            // but the ASCII letters still fold
      {"caf\xC3\xA9", "CAF\xC3\xA9", true},      // UTF-8 bytes pass through
      {"caf\xC3\xA9", "caf\xC3\x89", false},
      {"@", "`", false},                         // 0x40 / 0x60 are not letters
      {"^", "~", false},
  });
}

TEST(MaskSyntax, StarMatchesAnyRunIncludingNone) {
  ExpectTable({
      {"*", "", true},
      {"*", "anything.at.all", true},
      {"a*", "a", true},
      {"a*", "abc", true},
      {"a*", "ba", false},
      {"*a", "a", true},
      {"*a", "bca", true},
      {"*a", "ab", false},
      {"a*b", "ab", true},
      {"a*b", "axxb", true},
      {"a*b", "axxbc", false},
      {"a*b", "abab", true},
      {"*.txt", "readme.TXT", true},
      {"*.txt", ".txt", true},
      {"*.txt", "readme.txt.bak", false},
      {"a*b*c", "aXbYc", true},
      {"a*b*c", "acb", false},
      {"*ab*cd*", "xxabyycdzz", true},
      {"*ab*cd*", "xxcdyyab", false},
  });
}

TEST(MaskSyntax, StarDotStarNeedsADot) {
  ExpectTable({
      {"*.*", "abc", false},
      {"*.*", "abc.", true},
      {"*.*", ".x", true},
      {"*.*", "a.b.c", true},
      {"*.*", ".", true},
  });
}

TEST(MaskSyntax, SeveralStarsActAsOne) {
  ExpectTable({
      {"**", "", true},
      {"**a", "a", true},
      {"a***b", "ab", true},
      {"a***b", "a123b", true},
      {"***.txt", "x.txt", true},
  });
}

TEST(MaskSyntax, QuestionMarkTakesExactlyOneCharacter) {
  ExpectTable({
      {"?", "a", true},
      {"?", "", false},
      {"?", "ab", false},
      {"a?c", "abc", true},
      {"a?c", "ac", false},
      {"a?c", "abbc", false},
      {"??", "ab", true},
      {"??", "a", false},
      {"?*", "", false},
      {"?*", "a", true},
      {"*.??", "x.ab", true},
      {"*.??", "x.abc", false},
  });
}

TEST(MaskSyntax, QuestionMarkRightAfterAStarIsDropped) {
  ExpectTable({
      {"*?", "", true},         // "*?" is the same as "*"
      {"*?.txt", ".txt", true},
      {"a*?", "a", true},
      {"*?*?", "", true},       // both dropped: one star remains
      {"**?", "", true},
      // only the "?" directly after the star goes: the second one stays
      {"*??", "", false},
      {"*??", "a", true},
      {"*??", "abcdef", true},
      {"*??.x", ".x", false},
      {"*??.x", "a.x", true},
  });
}

TEST(MaskSyntax, SetsMatchOneCharacterOfTheSet) {
  ExpectTable({
      {"[abc]", "a", true},
      {"[abc]", "c", true},
      {"[abc]", "B", true},
      {"[ABC]", "b", true},
      {"[abc]", "d", false},
      {"[abc]", "", false},
      {"[abc]", "ab", false},
      {"x[ab]y", "xby", true},
      {"x[ab]y", "xcy", false},
      {"[*]", "*", true},
      {"[*]", "a", false},
      {"[?]", "?", true},
      {"[?]", "x", false},
      {"[[]", "[", true},
      {"a[.]b", "a.b", true},
      {"a[.]b", "axb", false},
  });
}

TEST(MaskSyntax, SetRangesAddEverythingBetweenTheirEnds) {
  ExpectTable({
      {"[a-c]x", "bx", true},
      {"[a-c]x", "Bx", true},
      {"[a-c]x", "dx", false},
      {"[0-9][0-9]", "42", true},
      {"[0-9][0-9]", "4a", false},
      {"[z-a]", "m", true},        // ends in either order
      {"[A-C]", "b", true},
      {"[a-z]", "_", false},       // folding adds no symbols between Z and a
      {"[a-z]", "`", false},
      {"[a-z]", "[", false},
      {"[_-z]", "B", true},        // the range holds b, which folds to B
      {"[Y-b]", "a", true},
      {"[Y-b]", "c", false},
      {"[Y-b]", "^", true},
      {"[a-]", "-", true},         // "-" before "]" is a member
      {"[a-]", "a", true},
      {"[a-]", "b", false},
      {"[a-c-e]", "d", true},      // a range's end starts the next range
      {"[a-c-e]", "f", false},
      {"[ax-z]", "y", true},
      {"[ax-z]", "b", false},
  });
}

TEST(MaskSyntax, ExclamationMarkRightAfterTheBracketNegatesTheSet) {
  ExpectTable({
      {"[!a-c]", "d", true},
      {"[!a-c]", "b", false},
      {"[!a-c]", "B", false},
      {"[!a-c]", "", false},       // a negated set still takes one character
      {"[!!]", "!", false},
      {"[!!]", "a", true},
      {"[a!]", "!", true},         // elsewhere "!" is a member
      {"[a!]", "b", false},
      {"*[!0-9]", "file1", false},
      {"*[!0-9]", "file1a", true},
  });
}

TEST(MaskSyntax, TextKeepsTheMaskAsGiven) {
  EXPECT_EQ(TMask("*.DLL").Text(), "*.DLL");
  EXPECT_TRUE(TMask("*.DLL").Matches("kernel32.dll"));
}

// --- invalid masks --------------------------------------------------------

struct BadMask {
  std::string mask;
  int position;
};

std::string Repeat(const std::string& part, int times) {
  std::string s;
  for (int i = 0; i < times; ++i) s += part;
  return s;
}

TEST(MaskErrors, EveryFaultReportsMaskAndOneBasedPosition) {
  const std::vector<BadMask> cases = {
      {"[abc", 5},        // not closed: one past the end
      {"[", 2},
      {"a[!", 4},
      {"[a-", 4},
      {"*.[ch", 6},
      {"[]", 2},          // empty: the closing bracket
      {"[!]", 3},
      {"x[]y", 3},
      {"[-a]", 2},        // "-" with nothing before it
      {"[!-a]", 3},
      {"ab[--z]", 4},
      {Repeat("*a", 31), 62},            // the 31st element after a star
      {Repeat("*[ab]", 31), 30 * 5 + 2},
      {Repeat("*x", 30) + "*[a-c]", 62},
  };
  for (const BadMask& c : cases) {
    try {
      TMask mask(c.mask);
      ADD_FAILURE() << "no error for '" << c.mask << "'";
    } catch (const EMaskError& e) {
      EXPECT_EQ(std::string(e.what()),
                "'" + c.mask + "' is an invalid mask at (" + std::to_string(c.position) + ")");
      EXPECT_EQ(e.Position(), c.position) << c.mask;
      EXPECT_EQ(e.Mask(), c.mask);
    }
    EXPECT_FALSE(TMask::IsValid(c.mask)) << c.mask;
  }
}

TEST(MaskErrors, ErrorIsARuntimeError) {
  EXPECT_THROW(TMask("[x"), std::runtime_error);
}

TEST(MaskErrors, ThirtyStarsAndUncountedElementsAreAccepted) {
  EXPECT_TRUE(TMask::IsValid(Repeat("*a", 30)));
  EXPECT_TRUE(TMask::IsValid(Repeat("*a", 30) + "*"));       // a final star is no element
  EXPECT_TRUE(TMask::IsValid(Repeat("*??", 40)));            // "?" is neither literal nor set
  EXPECT_TRUE(TMask::IsValid(Repeat("*?", 40)));
  EXPECT_TRUE(TMask::IsValid("*" + Repeat("a", 200)));        // only the first follows the star
  EXPECT_TRUE(TMask::IsValid(Repeat("[a-z]", 100)));
  TMask thirty(Repeat("*a", 30));
  EXPECT_TRUE(thirty.Matches(Repeat("a", 30)));
  EXPECT_TRUE(thirty.Matches(Repeat("ba", 30)));
  EXPECT_FALSE(thirty.Matches(Repeat("a", 29)));
}

TEST(MaskErrors, ValidMasksOfEveryKindPass) {
  for (const char* m : {"*", "", "?", "[a]", "[!a]", "[a-]", "*.*", "[*?]", "a]b", "!", "-"})
    EXPECT_TRUE(TMask::IsValid(m)) << m;
  EXPECT_TRUE(TMask("a]b").Matches("A]B"));
  EXPECT_TRUE(TMask("-").Matches("-"));
}

// --- speed safety ---------------------------------------------------------

TEST(MaskMatching, ManyStarsAgainstALongNameFinish) {
  const std::string name(5000, 'a');
  EXPECT_FALSE(TMask("*a*a*a*a*a*b").Matches(name));
  EXPECT_TRUE(TMask("*a*a*a*a*a*a").Matches(name));
  EXPECT_TRUE(TMask("*a*a*a*a*a*").Matches(name));
  EXPECT_FALSE(TMask(Repeat("*a", 29) + "*b").Matches(std::string(2000, 'a')));
  EXPECT_FALSE(TMask("*[!a]*a").Matches(name));
  EXPECT_TRUE(TMask("*[!a]*a").Matches(name + "ba"));
}

// Straightforward dynamic-programming matcher over tokens, as a reference.
struct RefToken {
  enum Kind { kStar, kLit, kAny, kSet } kind;
  char c = 0;
  std::string members;  // upper case
  bool negate = false;
};

char Up(char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; }

bool RefMatch(const std::vector<RefToken>& t, const std::string& s) {
  const size_t n = t.size(), m = s.size();
  std::vector<std::vector<char>> dp(n + 1, std::vector<char>(m + 1, 0));
  dp[n][m] = 1;
  for (size_t i = n; i-- > 0;) {
    for (size_t j = m + 1; j-- > 0;) {
      const RefToken& k = t[i];
      if (k.kind == RefToken::kStar) {
        dp[i][j] = dp[i + 1][j] || (j < m && dp[i][j + 1]);
        continue;
      }
      if (j == m) continue;
      bool one = false;
      if (k.kind == RefToken::kLit) one = Up(k.c) == Up(s[j]);
      if (k.kind == RefToken::kAny) one = true;
      if (k.kind == RefToken::kSet)
        one = (k.members.find(Up(s[j])) != std::string::npos) != k.negate;
      dp[i][j] = one && dp[i + 1][j + 1];
    }
  }
  return dp[0][0];
}

TEST(MaskMatching, AgreesWithAReferenceMatcherOnRandomMasks) {
  std::mt19937 rng(4711);
  auto pick = [&](int n) { return static_cast<int>(rng() % n); };
  const std::string nameChars = "abcAB.";
  for (int round = 0; round < 4000; ++round) {
    std::vector<RefToken> tokens;
    std::string text;
    const int count = pick(8);
    for (int k = 0; k < count; ++k) {
      const bool afterStar = !tokens.empty() && tokens.back().kind == RefToken::kStar;
      switch (pick(4)) {
        case 0:
          tokens.push_back({RefToken::kStar, 0, {}, false});
          text += '*';
          break;
        case 1: {
          const char c = "abAB."[pick(5)];
          tokens.push_back({RefToken::kLit, c, {}, false});
          text += c;
          break;
        }
        case 2:
          if (afterStar) break;  // that "?" would be dropped
          tokens.push_back({RefToken::kAny, 0, {}, false});
          text += '?';
          break;
        default: {
          static const struct {
            const char* text;
            const char* members;
            bool negate;
          } sets[] = {{"[ab]", "AB", false}, {"[!a]", "A", true}, {"[a-c]", "ABC", false},
                      {"[B.]", "B.", false}, {"[!.b]", ".B", true}};
          const auto& s = sets[pick(5)];
          tokens.push_back({RefToken::kSet, 0, s.members, s.negate});
          text += s.text;
        }
      }
    }
    TMask mask(text);
    for (int k = 0; k < 8; ++k) {
      std::string name;
      for (int len = pick(9); len > 0; --len) name += nameChars[pick(6)];
      ASSERT_EQ(mask.Matches(name), RefMatch(tokens, name)) << "mask '" << text << "' name '"
                                                            << name << "'";
    }
  }
}

// --- double-byte characters -----------------------------------------------

// A Shift-JIS-like code page: 0x81..0x9F start two-byte characters.
const TLeadByteTable* FakeDbcs() {
  static const TLeadByteTable table = [] {
    TLeadByteTable t{};
    for (int c = 0x81; c <= 0x9F; ++c) t[c] = true;
    return t;
  }();
  return &table;
}

TEST(MaskDoubleByte, LeadAndTrailByteAreOneCharacter) {
  const TLeadByteTable* dbcs = FakeDbcs();
  ExpectTable({
      {"?", "\x81\x40", true},           // "?" takes the pair
      {"??", "\x81\x40", false},
      {"?x", "\x81\x40x", true},
      {"*\x40", "\x81\x40", false},      // a trail byte is never a character of its own
      {"*\x40", "\x81\x40\x40", true},
      {"\x81*", "\x81*", true},          // a trail byte "*" is no wildcard
      {"\x81*", "\x81xyz", false},
      {"\x81" "a", "\x81" "A", false},   // the pair compares exactly
      {"\x81" "a", "\x81" "a", true},
      {"[\x81]x]", "x", true},           // trail byte "]" does not close the set
      {"[\x81]x]", "\x81]", true},
      {"[\x81]x]", "]", false},
      {"[!\x81\x40]", "\x81\x40", false},
      {"[!\x81\x40]", "\x82\x40", true},
      {"[!\x81\x40]", "a", true},
      {"[a-c\x81\x40]", "B", true},
      {"a\x81", "a\x81", true},          // a lead byte at the very end stands alone
  }, dbcs);
  // The same masks byte by byte, where no lead bytes exist.
  ExpectTable({
      {"?", "\x81\x40", false},
      {"*\x40", "\x81\x40", true},
      {"\x81*", "\x81xyz", true},
      {"\x81" "a", "\x81" "A", true},
      {"[\x81]x]", "x", false},
  });
}

TEST(MaskDoubleByte, DashAfterADoubleByteMemberHasNoCharacterBeforeIt) {
  try {
    TMask mask("[\x81\x40-a]", FakeDbcs());
    ADD_FAILURE() << "no error";
  } catch (const EMaskError& e) {
    EXPECT_EQ(e.Position(), 4);
  }
  // byte by byte it is the range 0x40..'a'
  EXPECT_TRUE(TMask("[\x81\x40-a]", nullptr).Matches("Z"));
}

TEST(MaskDoubleByte, SystemTableNeverMarksAscii) {
  const TLeadByteTable* table = zw::SystemLeadBytes();
#ifndef _WIN32
  EXPECT_EQ(table, nullptr);
#endif
  if (table) {
    for (int c = 0; c < 128; ++c) EXPECT_FALSE((*table)[c]) << c;
  }
  EXPECT_EQ(zw::SystemLeadBytes(), table);  // built once
}

// --- TMaskList ------------------------------------------------------------

TEST(MaskList, OnlyCheckedRowsTakePartInRowOrder) {
  const std::vector<TMaskRow> rows = {
      {"*.txt", false}, {"*.doc", true}, {"[", false}, {"a*", true}};
  TMaskList list(rows);
  ASSERT_EQ(list.Count(), 2u);
  EXPECT_EQ(list[0].Text(), "*.doc");
  EXPECT_EQ(list[1].Text(), "a*");
  EXPECT_FALSE(list.Empty());
  EXPECT_TRUE(list.Matches("x.DOC"));
  EXPECT_TRUE(list.Matches("abc.txt"));   // through "a*"
  EXPECT_FALSE(list.Matches("x.txt"));    // the unchecked row has no effect
}

TEST(MaskList, AllRowsUncheckedGivesAnEmptyList) {
  const std::vector<TMaskRow> rows = {{"*", false}, {"*.txt", false}};
  TMaskList list(rows);
  EXPECT_TRUE(list.Empty());
  EXPECT_FALSE(list.Matches("x.txt"));
  EXPECT_TRUE(TMaskList(std::vector<TMaskRow>{}).Empty());
}

TEST(MaskList, InvalidCheckedRowThrows) {
  const std::vector<TMaskRow> rows = {{"*.txt", true}, {"[]", true}};
  EXPECT_THROW(TMaskList list(rows), EMaskError);
}

}  // namespace
