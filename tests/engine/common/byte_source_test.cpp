#include "engine/common/byte_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "support/temp_tree.h"

namespace {

using zw::TSameBytes;

// Hands out at most `step` bytes a read, as an unpacking source does.
class Trickle : public zw::IByteSource {
 public:
  Trickle(std::string bytes, size_t step, bool failAtEnd = false)
      : bytes_(std::move(bytes)), step_(step), failAtEnd_(failAtEnd) {}
  bool Read(void* buffer, size_t count, size_t& got) override {
    got = std::min({count, step_, bytes_.size() - at_});
    if (got == 0 && failAtEnd_) return false;
    std::memcpy(buffer, bytes_.data() + at_, got);
    at_ += got;
    return true;
  }

 private:
  std::string bytes_;
  size_t at_ = 0;
  size_t step_;
  bool failAtEnd_;
};

TEST(CompareByteSources, TellsSameDifferentAndUnreadableAtEveryPieceBoundary) {
  const std::string base(1000, 'a');
  std::string lastByte = base;
  lastByte.back() = 'b';
  struct Case {
    const char* what;
    std::string a, b;
    bool failB;
    TSameBytes want;
  } cases[] = {
      {"equal", base, base, false, TSameBytes::Same},
      {"both empty", "", "", false, TSameBytes::Same},
      {"one a prefix of the other", base, base.substr(0, 999), false, TSameBytes::Different},
      {"the last byte differs", base, lastByte, false, TSameBytes::Different},
      {"a source that fails at its end", base, base, true, TSameBytes::ReadFailed},
  };
  for (const Case& c : cases) {
    for (size_t piece : {1u, 7u, 500u, 1000u, 4096u}) {
      for (size_t step : {3u, 1000u}) {
        Trickle a(c.a, step), b(c.b, 11, c.failB);
        EXPECT_EQ(zw::CompareByteSources(a, b, piece), c.want)
            << c.what << ", piece " << piece << ", step " << step;
      }
    }
  }
}

TEST(CompareByteSources, ReadsFilesFromTheirStartWhateverTheirPosition) {
  zwtest::TempTree tree;
  const std::string a = tree.SizedFile("a", 300000, 7);
  const std::string b = tree.SizedFile("b", 300000, 7);
  zw::platform::File fa, fb;
  zw::platform::OsError err;
  ASSERT_TRUE(fa.OpenRead(a, err) && fb.OpenRead(b, err));
  ASSERT_TRUE(fa.Seek(1000, err));
  zw::TFileByteSource sa(fa), sb(fb);
  EXPECT_EQ(zw::CompareByteSources(sa, sb, 4096), TSameBytes::Same);
  tree.SizedFile("b", 300000, 8);
  zw::TFileByteSource again(fa), other(fb);
  EXPECT_EQ(zw::CompareByteSources(again, other), TSameBytes::Different);
}

}  // namespace
