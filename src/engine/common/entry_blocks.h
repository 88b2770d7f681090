// Where file entries and result entries live: blocks of one size, cut from
// large slabs, without the allocator's header in front of each (a million
// entries are 8 MB less), and handed out again last freed first. A search
// frees its file entries while it makes result entries of the same size, so
// the result list takes the blocks the search leaves, and the small strings
// made and freed in between cannot scatter them over the heap.
//
// Any thread may take and give blocks. When the last block is given back,
// the slabs but one go back to the system. Under the address sanitizer every block is
// an allocation of its own, so that a use after free is still caught.
#pragma once
#include <cstddef>
#include <new>

namespace zw {

class TEntryBlocks {
 public:
  static constexpr size_t kSize = sizeof(void*) == 8 ? 72 : 64;

  // A block of kSize bytes, aligned for any entry; throws std::bad_alloc.
  static void* Take();
  static void Give(void* block) noexcept;
  // Blocks taken and not given back (tests, benchmarks).
  static size_t InUse();
};

// Derive from it to be made in a block: objects that fit take one, anything
// larger (a test's derived entry) comes from the heap. No size, no members.
struct TInEntryBlock {
  static void* operator new(size_t n) {
    return n <= TEntryBlocks::kSize ? TEntryBlocks::Take() : ::operator new(n);
  }
  static void operator delete(void* p, size_t n) noexcept {
    if (n <= TEntryBlocks::kSize)
      TEntryBlocks::Give(p);
    else
      ::operator delete(p);
  }
};

}  // namespace zw
