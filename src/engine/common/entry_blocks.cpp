#include "engine/common/entry_blocks.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define ZW_BLOCKS_FROM_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZW_BLOCKS_FROM_HEAP 1
#endif
#endif

namespace zw {

namespace {

#ifndef ZW_BLOCKS_FROM_HEAP

// 1 MiB slabs: large enough to come straight from the system, and to be
// given back to it whole.
constexpr size_t kSlabBytes = size_t{1} << 20;
constexpr size_t kPerSlab = kSlabBytes / TEntryBlocks::kSize;

struct FreeBlock {
  FreeBlock* next;
};

struct Blocks {
  std::mutex lock;
  std::vector<char*> slabs;
  FreeBlock* free = nullptr;  // given back, last first
  size_t cut = kPerSlab;      // blocks cut from the newest slab
  size_t inUse = 0;
};

Blocks& TheBlocks() {
  static Blocks* blocks = new Blocks;  // lives as long as the process: entries may outlive statics
  return *blocks;
}

#endif

}  // namespace

#ifdef ZW_BLOCKS_FROM_HEAP

namespace {
std::atomic<size_t> inUse{0};
}  // namespace

void* TEntryBlocks::Take() {
  void* block = ::operator new(kSize);
  ++inUse;
  return block;
}
void TEntryBlocks::Give(void* block) noexcept {
  if (!block) return;
  --inUse;
  ::operator delete(block);
}
size_t TEntryBlocks::InUse() { return inUse; }

#else

void* TEntryBlocks::Take() {
  Blocks& b = TheBlocks();
  std::lock_guard<std::mutex> guard(b.lock);
  void* block;
  if (b.free) {
    block = b.free;
    b.free = b.free->next;
  } else {
    if (b.cut == kPerSlab) {
      b.slabs.reserve(b.slabs.size() + 1);  // may throw before the slab exists
      b.slabs.push_back(static_cast<char*>(::operator new(kSlabBytes)));
      b.cut = 0;
    }
    block = b.slabs.back() + b.cut++ * kSize;
  }
  ++b.inUse;
  return block;
}

void TEntryBlocks::Give(void* block) noexcept {
  if (!block) return;
  Blocks& b = TheBlocks();
  std::lock_guard<std::mutex> guard(b.lock);
  auto* f = static_cast<FreeBlock*>(block);
  f->next = b.free;
  b.free = f;
  if (--b.inUse > 0) return;
  // Nothing lives in the slabs any more: all but the first go (it stays
  // for the next blocks, so that one entry made and freed over and over
  // does not take and give back a slab each time).
  for (size_t i = 1; i < b.slabs.size(); ++i) ::operator delete(b.slabs[i]);
  if (b.slabs.size() > 1) b.slabs.erase(b.slabs.begin() + 1, b.slabs.end());
  b.free = nullptr;
  b.cut = 0;
}

size_t TEntryBlocks::InUse() {
  Blocks& b = TheBlocks();
  std::lock_guard<std::mutex> guard(b.lock);
  return b.inUse;
}

#endif

// Blocks follow each other in a slab: each stays aligned for 64-bit fields.
static_assert(TEntryBlocks::kSize % 8 == 0);

}  // namespace zw
