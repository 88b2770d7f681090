// Entry blocks: no two blocks taken overlap (even across slabs), none is
// handed out twice, and two threads taking and giving at once leave the count
// where it was.
#include "engine/common/entry_blocks.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

using zw::TEntryBlocks;

TEST(EntryBlocks, BlocksNeverOverlapAndNoneIsHandedOutTwice) {
  const size_t before = TEntryBlocks::InUse();
  // More than a slab's worth.
  constexpr size_t kCount = 40000;
  std::vector<unsigned char*> blocks;
  for (size_t i = 0; i < kCount; ++i) {
    auto* b = static_cast<unsigned char*>(TEntryBlocks::Take());
    ASSERT_EQ(reinterpret_cast<uintptr_t>(b) % 8, 0u);
    std::memset(b, static_cast<int>(i % 251), TEntryBlocks::kSize);
    blocks.push_back(b);
  }
  EXPECT_EQ(TEntryBlocks::InUse(), before + kCount);
  for (size_t i = 0; i < kCount; ++i)
    for (size_t k = 0; k < TEntryBlocks::kSize; ++k)
      ASSERT_EQ(blocks[i][k], i % 251) << i << " " << k;

  // Half of them go and come back; none is handed out twice.
  std::set<unsigned char*> live(blocks.begin(), blocks.end());
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

TEST(EntryBlocks, TwoThreadsTakeAndGiveAtOnce) {
  const size_t before = TEntryBlocks::InUse();
  auto churn = [] {
    std::vector<void*> mine;
    for (int round = 0; round < 20; ++round) {
      for (int i = 0; i < 5000; ++i) mine.push_back(TEntryBlocks::Take());
      for (void* b : mine) TEntryBlocks::Give(b);
      mine.clear();
    }
  };
  std::thread a(churn), b(churn);
  a.join();
  b.join();
  EXPECT_EQ(TEntryBlocks::InUse(), before);
}
