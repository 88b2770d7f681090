#include "engine/scan/zip_member.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_tree.h"
#include "support/zip_builder.h"

namespace {

using zw::TSameBytes;
using zwtest::Member;

// Compares a member with a file holding `expected`.
TSameBytes MemberAgainst(const zwtest::TempTree& tree, const std::string& zip,
                         const std::string& folder, const std::string& name,
                         const std::string& expected, bool* opened = nullptr) {
  const std::string file = tree.File("expected.bin", expected);
  zw::TZipMemberSource member;
  const bool open = member.Open(zip, folder, name);
  if (opened) *opened = open;
  if (!open) return TSameBytes::ReadFailed;
  zw::platform::File f;
  zw::platform::OsError err;
  if (!f.OpenRead(file, err)) return TSameBytes::ReadFailed;
  zw::TFileByteSource source(f);
  return zw::CompareByteSources(member, source, 4096);
}

std::string Big() {
  std::string s;
  for (int i = 0; i < 200000; ++i) s += static_cast<char>('a' + (i * 7919) % 26);
  return s;
}

TEST(ZipMember, StoredAndDeflatedMembersUnpackToTheirBytes) {
  zwtest::TempTree tree;
  const std::string sep(1, zw::platform::kPathSep);
  const auto zip = tree.File(
      "a.zip", zwtest::BuildZip({{"top.txt", "stored text"},
                                 {"docs/deep/big.bin", Big(), 0x20, 0, false, 0, true},
                                 {"docs/empty.txt", "", 0x20, 0, false, 0, true}})
                   .bytes);
  EXPECT_EQ(MemberAgainst(tree, zip, "", "top.txt", "stored text"), TSameBytes::Same);
  EXPECT_EQ(MemberAgainst(tree, zip, "docs" + sep + "deep" + sep, "big.bin", Big()),
            TSameBytes::Same);
  EXPECT_EQ(MemberAgainst(tree, zip, "docs" + sep, "empty.txt", ""), TSameBytes::Same);
  std::string other = Big();
  other[150000] ^= 1;
  EXPECT_EQ(MemberAgainst(tree, zip, "docs" + sep + "deep" + sep, "big.bin", other),
            TSameBytes::Different);
  bool opened = true;
  MemberAgainst(tree, zip, "", "big.bin", Big(), &opened);
  EXPECT_FALSE(opened) << "a member is found by its folder and its name";
}

TEST(ZipMember, DamagedDataNeverPassesForTheMember) {
  // Each damage keeps the central directory intact: only unpacking tells.
  struct Case {
    const char* what;
    bool deflate;
    int flipAt;  // offset into the member's packed data; -1: its last byte
  } cases[] = {
      {"a stored byte changed", false, 100},
      {"a deflated byte changed", true, 40},
      {"the last deflated byte changed", true, -1},
  };
  for (const Case& c : cases) {
    zwtest::TempTree tree;
    zwtest::Built built = zwtest::BuildZip({{"m.bin", Big(), 0x20, 0, false, 0, c.deflate}});
    const size_t dataStart = 30 + 5;  // local header and name
    const size_t at = c.flipAt >= 0 ? dataStart + static_cast<size_t>(c.flipAt) : built.cdOffset - 1;
    built.bytes[at] = static_cast<char>(built.bytes[at] ^ 0x55);
    const auto zip = tree.File("d.zip", built.bytes);
    EXPECT_NE(MemberAgainst(tree, zip, "", "m.bin", Big()), TSameBytes::Same) << c.what;
    if (!c.deflate) {
      // The very bytes the damaged member holds: its CRC32 still gives it away.
      std::string damaged = Big();
      damaged[100] = static_cast<char>(damaged[100] ^ 0x55);
      EXPECT_EQ(MemberAgainst(tree, zip, "", "m.bin", damaged), TSameBytes::ReadFailed);
    }
  }
}

TEST(ZipMember, MembersThatCannotBeUnpackedAreRefused) {
  zwtest::TempTree tree;
  // Encrypted (flag bit 0), and a local header that is not one.
  auto zip = tree.File("e.zip", zwtest::BuildZip({{"m.txt", "secret", 0x20, 0x0001}}).bytes);
  zw::TZipMemberSource member;
  EXPECT_FALSE(member.Open(zip, "", "m.txt"));
  zwtest::Built built = zwtest::BuildZip({{"m.txt", "plain"}});
  built.bytes[0] = 'X';
  zip = tree.File("l.zip", built.bytes);
  EXPECT_FALSE(member.Open(zip, "", "m.txt"));
  EXPECT_FALSE(member.Open(tree.File("not.zip", "no archive at all"), "", "m.txt"));
}

}  // namespace
