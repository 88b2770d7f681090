// Reading ahead: while the browse thread still lists folders, the search
// thread has little to do. It uses that time to read what the content
// comparison will need of files that already have a partner of their size:
// the sample from the middle of the content range and, for a range of at most
// kCrcLength bytes, the CRC32 of the range (CRC32 as the only method). What
// it learns goes into the entry (Ahead, and Middle and Crc without their
// flags); the comparison takes it from there instead of opening the file,
// clears it, and so finds the same sets
// with the same values, flags, steps and log lines. A file that cannot be
// read ahead is simply left to the comparison, which reads (and logs) it as
// ever. Nothing is posted or logged here.
//
// When browsing is over, what is left of the list goes to a thread of its own
// (StartHelper), which reads it while the comparison runs. A left entry gets
// Ahead = kLeft and its slot's number in Crc; the thread reads the entry's
// folder, name and size only while it holds the slot (kBusy), and never
// writes to the entry. Whoever frees an entry or hands it on gives its slot
// back first with Take, which waits while the thread holds the slot, and
// either hands over what was read or, where the thread has not begun the
// file, takes it off the thread's list: the content comparison does so for
// every entry of a set it receives, the pool for every entry it drops.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "engine/common/criteria_options.h"
#include "engine/common/file_infos.h"

namespace zw {

class TReadAhead {
 public:
  static constexpr int64_t kCrcLength = 1 << 20;
  static constexpr size_t kBufferSize = 256 * 1024;

  explicit TReadAhead(const TAdvContentOptions& settings);
  ~TReadAhead();
  TReadAhead(const TReadAhead&) = delete;
  TReadAhead& operator=(const TReadAhead&) = delete;

  // A fresh entry the pool took (and keeps until the search ends).
  void Note(TFileInfos* entry);
  bool HasWork() const { return next_ < work_.size(); }
  // Reads the next noted file that has a partner.
  void ReadNext();
  // How many files were read ahead while browsing (tests).
  size_t ReadCount() const { return read_; }

  static constexpr uint8_t kLeft = 3;  // Ahead: left to the helper thread
  // Hands the files not read yet to a helper thread; `stop` is asked before
  // each file (it may wait while the search is paused).
  void StartHelper(std::function<bool()> stop);
  // Ends and joins the helper (also done on destruction).
  void StopHelper();
  // Waits until the helper has been through its whole list (tests).
  void WaitForHelper() {
    if (helper_.joinable()) helper_.join();
  }
  // For an entry with Ahead == kLeft: puts what the helper read into the
  // entry (Ahead 1 or 2) and returns true, or returns false with Ahead and
  // Crc 0 when the comparison has to read the file itself.
  bool Take(TFileInfos& entry);

 private:
  struct Fact {
    uint32_t middle = 0;
    uint32_t crc = 0;
    uint8_t kind = 0;  // 0 unreadable here, 1 sample, 2 sample and CRC32
  };
  Fact ReadFile(const std::string& path, uint64_t size, uint8_t* buffer);
  void Read(TFileInfos& entry);
  void HelperLoop(std::function<bool()> stop);

  enum SlotState : uint8_t { kQueued, kBusy, kDone, kTaken };
  // 16 bytes a file: a million of them must not weigh much. The entry is
  // needed until the file is read, what was read from then on: the two
  // share their place, and the state says which.
  struct Slot {
    union {
      TFileInfos* entry;   // kQueued, kBusy (and kTaken)
      struct {
        uint32_t middle;
        uint32_t crc;
      } read;              // kDone
    } u{nullptr};
    uint8_t kind = 0;
    std::atomic<uint8_t> state{kQueued};
  };
  static_assert(sizeof(Slot) <= 16);

  TAdvContentOptions settings_;
  bool withCrc_;
  std::unordered_map<uint64_t, TFileInfos*> firstOfSize_;  // null once queued
  std::vector<TFileInfos*> work_;
  size_t next_ = 0;
  size_t read_ = 0;
  std::unique_ptr<uint8_t[]> buffer_;
  std::unique_ptr<Slot[]> slots_;
  size_t slotCount_ = 0;
  std::atomic<bool> stopHelper_{false};
  std::thread helper_;
};

}  // namespace zw
