// Name masks: what matches, what is refused and where, against a reference
// matcher on random masks, and with double-byte code pages.
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
  for (const MatchCase& c : cases)
    EXPECT_EQ(TMask(c.mask, lead).Matches(c.name), c.matches) << "mask '" << c.mask << "' name '" << c.name << "'";
}

std::string Repeat(const std::string& part, int times) {
  std::string s;
  for (int i = 0; i < times; ++i) s += part;
  return s;
}

TEST(MaskSyntax, WhatMatches) {
  ExpectTable({
      // Literals match the whole name, ASCII letters in any case, other bytes exactly.
      {"abc", "ABC", true}, {"abc", "abcd", false}, {"abc", "xabc", false}, {"", "", true}, {"", "a", false},
      {"a.b", "axb", false}, {"\xC4rger", "\xE4rger", false}, {"\xC4rger", "\xC4RGER", true},
      {"caf\xC3\xA9", "CAF\xC3\xA9", true}, {"caf\xC3\xA9", "caf\xC3\x89", false}, {"@", "`", false}, {"^", "~", false},
      // Stars take any run; "*.*" needs a dot; several stars act as one.
      {"*", "", true}, {"*.txt", "readme.TXT", true}, {"*.txt", "readme.txt.bak", false}, {"*ab*cd*", "xxcdyyab", false},
      {"*.*", "abc", false}, {"*.*", "abc.", true}, {"*.*", ".", true}, {"a***b", "ab", true},
      // "?" takes one character; right after a star it is dropped (only the first).
      {"?", "", false}, {"a?c", "abbc", false}, {"*?", "", true}, {"*?.txt", ".txt", true}, {"*?*?", "", true},
      {"*??", "", false}, {"*??", "a", true}, {"*??.x", ".x", false}, {"*??.x", "a.x", true},
      // Sets: one character of the set; "*" and "?" are members there.
      {"[abc]", "B", true}, {"[ABC]", "b", true}, {"[abc]", "d", false}, {"[abc]", "", false}, {"[*]", "*", true},
      {"[*]", "a", false}, {"[?]", "x", false}, {"[[]", "[", true}, {"a[.]b", "axb", false},
      // Ranges in either order; folding adds no symbols between Z and a.
      {"[a-c]x", "Bx", true}, {"[a-c]x", "dx", false}, {"[z-a]", "m", true}, {"[a-z]", "_", false}, {"[a-z]", "`", false},
      {"[_-z]", "B", true}, {"[Y-b]", "a", true}, {"[Y-b]", "c", false}, {"[Y-b]", "^", true},
      {"[a-]", "-", true}, {"[a-]", "b", false}, {"[a-c-e]", "d", true}, {"[a-c-e]", "f", false},
      // "!" right after the bracket negates; a negated set still takes one character.
      {"[!a-c]", "d", true}, {"[!a-c]", "B", false}, {"[!a-c]", "", false}, {"[!!]", "!", false}, {"[a!]", "!", true},
      {"*[!0-9]", "file1", false}, {"*[!0-9]", "file1a", true}, {"a]b", "A]B", true}, {"-", "-", true},
  });
  EXPECT_EQ(TMask("*.DLL").Text(), "*.DLL");
}

TEST(MaskErrors, EveryFaultReportsMaskAndOneBasedPosition) {
  const struct {
    std::string mask;
    int position;
  } cases[] = {
      {"[abc", 5}, {"[", 2}, {"a[!", 4}, {"[a-", 4}, {"*.[ch", 6},  // not closed: one past the end
      {"[]", 2}, {"[!]", 3}, {"x[]y", 3},                          // empty: the closing bracket
      {"[-a]", 2}, {"[!-a]", 3}, {"ab[--z]", 4},                    // "-" with nothing before it
      {Repeat("*a", 31), 62}, {Repeat("*[ab]", 31), 30 * 5 + 2}, {Repeat("*x", 30) + "*[a-c]", 62},  // the 31st after a star
  };
  for (const auto& c : cases) {
    try {
      TMask mask(c.mask);
      ADD_FAILURE() << "no error for '" << c.mask << "'";
    } catch (const EMaskError& e) {
      EXPECT_EQ(std::string(e.what()), "'" + c.mask + "' is an invalid mask at (" + std::to_string(c.position) + ")");
      EXPECT_EQ(e.Position(), c.position) << c.mask;
      EXPECT_EQ(e.Mask(), c.mask);
    }
    EXPECT_FALSE(TMask::IsValid(c.mask)) << c.mask;
  }
  for (const std::string& m : {Repeat("*a", 30), Repeat("*a", 30) + "*", Repeat("*??", 40), "*" + Repeat("a", 200),
                               Repeat("[a-z]", 100), std::string("[*?]"), std::string("!")})
    EXPECT_TRUE(TMask::IsValid(m)) << m;
  TMask thirty(Repeat("*a", 30));
  EXPECT_TRUE(thirty.Matches(Repeat("ba", 30)));
  EXPECT_FALSE(thirty.Matches(Repeat("a", 29)));
}

TEST(MaskMatching, ManyStarsAgainstALongNameEnd) {
  const std::string name(5000, 'a');
  EXPECT_FALSE(TMask("*a*a*a*a*a*b").Matches(name));
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
      } else if (j < m) {
        const bool one = k.kind == RefToken::kAny || (k.kind == RefToken::kLit && Up(k.c) == Up(s[j])) ||
                         (k.kind == RefToken::kSet && (k.members.find(Up(s[j])) != std::string::npos) != k.negate);
        dp[i][j] = one && dp[i + 1][j + 1];
      }
    }
  }
  return dp[0][0];
}

TEST(MaskMatching, AgreesWithAReferenceMatcherOnRandomMasks) {
  std::mt19937 rng(4711);
  auto pick = [&](int n) { return static_cast<int>(rng() % n); };
  const struct {
    const char* text;
    const char* members;
    bool negate;
  } sets[] = {{"[ab]", "AB", false}, {"[!a]", "A", true}, {"[a-c]", "ABC", false}, {"[B.]", "B.", false}, {"[!.b]", ".B", true}};
  for (int round = 0; round < 4000; ++round) {
    std::vector<RefToken> tokens;
    std::string text;
    for (int k = 0, count = pick(8); k < count; ++k) {
      const int kind = pick(4);
      if (kind == 0) {
        tokens.push_back({RefToken::kStar, 0, {}, false});
        text += '*';
      } else if (kind == 1) {
        const char c = "abAB."[pick(5)];
        tokens.push_back({RefToken::kLit, c, {}, false});
        text += c;
      } else if (kind == 2 && (tokens.empty() || tokens.back().kind != RefToken::kStar)) {  // else dropped
        tokens.push_back({RefToken::kAny, 0, {}, false});
        text += '?';
      } else if (kind == 3) {
        const auto& s = sets[pick(5)];
        tokens.push_back({RefToken::kSet, 0, s.members, s.negate});
        text += s.text;
      }
    }
    TMask mask(text);
    for (int k = 0; k < 8; ++k) {
      std::string name;
      for (int len = pick(9); len > 0; --len) name += "abcAB."[pick(6)];
      ASSERT_EQ(mask.Matches(name), RefMatch(tokens, name)) << "mask '" << text << "' name '" << name << "'";
    }
  }
}

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
  ExpectTable({
      {"?", "\x81\x40", true}, {"??", "\x81\x40", false}, {"?x", "\x81\x40x", true},
      {"*\x40", "\x81\x40", false}, {"*\x40", "\x81\x40\x40", true},  // a trail byte is never a character of its own
      {"\x81*", "\x81*", true}, {"\x81*", "\x81xyz", false},            // a trail byte "*" is no wildcard
      {"\x81" "a", "\x81" "A", false}, {"\x81" "a", "\x81" "a", true},  // the pair compares exactly
      {"[\x81]x]", "x", true}, {"[\x81]x]", "\x81]", true}, {"[\x81]x]", "]", false},  // nor does "]" close a set
      {"[!\x81\x40]", "\x81\x40", false}, {"[!\x81\x40]", "\x82\x40", true}, {"[a-c\x81\x40]", "B", true},
      {"a\x81", "a\x81", true},  // a lead byte at the very end stands alone
  }, FakeDbcs());
  // The same masks byte by byte, where no lead bytes exist.
  ExpectTable({{"?", "\x81\x40", false}, {"*\x40", "\x81\x40", true}, {"\x81*", "\x81xyz", true},
               {"\x81" "a", "\x81" "A", true}, {"[\x81]x]", "x", false}});
  try {
    TMask mask("[\x81\x40-a]", FakeDbcs());
    ADD_FAILURE() << "a dash after a double-byte member has no character before it";
  } catch (const EMaskError& e) {
    EXPECT_EQ(e.Position(), 4);
  }
  EXPECT_TRUE(TMask("[\x81\x40-a]", nullptr).Matches("Z"));  // byte by byte: the range 0x40..'a'
  const TLeadByteTable* system = zw::SystemLeadBytes();
#ifndef _WIN32
  EXPECT_EQ(system, nullptr);
#endif
  for (int c = 0; system && c < 128; ++c) EXPECT_FALSE((*system)[c]) << c;
}

TEST(MaskList, OnlyCheckedRowsTakePartAndAnInvalidCheckedOneThrows) {
  TMaskList list(std::vector<TMaskRow>{{"*.txt", false}, {"*.doc", true}, {"[", false}, {"a*", true}});
  ASSERT_EQ(list.Count(), 2u);
  EXPECT_EQ(list[1].Text(), "a*");
  EXPECT_TRUE(list.Matches("x.DOC"));
  EXPECT_TRUE(list.Matches("abc.txt"));  // through "a*"
  EXPECT_FALSE(list.Matches("x.txt"));   // the unchecked row has no effect
  TMaskList none(std::vector<TMaskRow>{{"*", false}});
  EXPECT_TRUE(none.Empty());
  EXPECT_FALSE(none.Matches("x.txt"));
  EXPECT_THROW(TMaskList(std::vector<TMaskRow>{{"*.txt", true}, {"[]", true}}), EMaskError);
}

}  // namespace
