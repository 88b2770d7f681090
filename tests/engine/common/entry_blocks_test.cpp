// Entry blocks: no two blocks taken overlap (even across slabs), none is
// handed out twice, and two threads taking and giving at once leave the count
// where it was.
#include "engine/common/entry_blocks.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

using zw::TEntryBlocks;

TEST(EntryBlocks, BlocksNeverOverlapAndNoneIsHandedOutTwice) {
  const size_t before = TEntryBlocks::InUse();
  // More than a slab's worth, twice: the second time after every block was
  // given back (when nothing else holds one, the slabs were reset then).
  constexpr size_t kCount = 40000;
  for (int round = 0; round < 2; ++round) {
    std::vector<unsigned char*> blocks;
    std::set<unsigned char*> live;
    for (size_t i = 0; i < kCount; ++i) {
      auto* b = static_cast<unsigned char*>(TEntryBlocks::Take());
      ASSERT_EQ(reinterpret_cast<uintptr_t>(b) % 8, 0u);
      ASSERT_TRUE(live.insert(b).second) << round << " " << i;
      std::memset(b, static_cast<int>(i % 251), TEntryBlocks::kSize);
      blocks.push_back(b);
    }
    EXPECT_EQ(TEntryBlocks::InUse(), before + kCount);
    for (size_t i = 0; i < kCount; ++i)
      for (size_t k = 0; k < TEntryBlocks::kSize; ++k)
        ASSERT_EQ(blocks[i][k], i % 251) << round << " " << i << " " << k;
    // Half of them go and come back; none is handed out twice.
    for (size_t i = 0; i < kCount; i += 2) {
      TEntryBlocks::Give(blocks[i]);
      live.erase(blocks[i]);
    }
    for (size_t i = 0; i < kCount; i += 2) {
      blocks[i] = static_cast<unsigned char*>(TEntryBlocks::Take());
      EXPECT_TRUE(live.insert(blocks[i]).second);
    }
    for (unsigned char* b : blocks) TEntryBlocks::Give(b);
    EXPECT_EQ(TEntryBlocks::InUse(), before);
  }
}

TEST(EntryBlocks, TwoThreadsTakeAndGiveAtOnce) {
  const size_t before = TEntryBlocks::InUse();
  // Each thread marks its blocks and finds its marks unchanged before it
  // gives them back, also when all blocks were given back in between and
  // the slabs were reset.
  std::atomic<int> wrong{0};
  auto churn = [&wrong](unsigned char mark) {
    std::vector<unsigned char*> mine;
    for (int round = 0; round < 40; ++round) {
      for (int i = 0; i < 2000 + round * 100; ++i) {
        auto* b = static_cast<unsigned char*>(TEntryBlocks::Take());
        std::memset(b, mark, TEntryBlocks::kSize);
        mine.push_back(b);
      }
      for (unsigned char* b : mine) {
        if (b[0] != mark || b[TEntryBlocks::kSize - 1] != mark) ++wrong;
        TEntryBlocks::Give(b);
      }
      mine.clear();
    }
  };
  std::thread a(churn, 0xA1), b(churn, 0xB2);
  a.join();
  b.join();
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(TEntryBlocks::InUse(), before);
}
