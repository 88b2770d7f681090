// Reading ahead: while the browse thread still lists folders, the search
// thread has little to do. It uses that time to read what the content
// comparison will need of files that already have a partner of their size:
// the sample from the middle of the content range and, for a range of at most
// kCrcLength bytes, the CRC32 of the range (CRC32 as the only method). What
// it learns goes into the entry (Ahead, AheadMiddle, AheadCrc); the comparison
// takes it from there instead of opening the file, and so finds the same sets
// with the same values, flags, steps and log lines. A file that cannot be
// read ahead is simply left to the comparison, which reads (and logs) it as
// ever. Nothing is posted or logged here.
#pragma once
#include <cstdint>
#include <memory>
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
  // How many files were read ahead (tests).
  size_t ReadCount() const { return read_; }

 private:
  void Read(TFileInfos& entry);

  TAdvContentOptions settings_;
  bool withCrc_;
  std::unordered_map<uint64_t, TFileInfos*> firstOfSize_;  // null once queued
  std::vector<TFileInfos*> work_;
  size_t next_ = 0;
  size_t read_ = 0;
  std::unique_ptr<uint8_t[]> buffer_;
};

}  // namespace zw
