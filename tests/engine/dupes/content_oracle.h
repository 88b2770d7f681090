// The content comparison done the plain way, as the reference the comparer is
// checked against: the head of the list is compared with every other entry in
// turn, each pair reading its two files anew. Slow, but short enough to check
// by eye:
//
//  - a library head sends the library entries behind the fresh ones; with no
//    fresh entry left the rest is dropped (one progress step);
//  - a lone head is dropped; otherwise it takes every entry equal to it, in
//    list order, and a set of two or more is handed on;
//  - a pair is unequal when either file is unreadable (flagged and logged
//    once); empty files equal only empty files (both then get CRC32 0 and
//    sample 0); ranges of different lengths are unequal; a file that knows
//    neither sample nor CRC32 is sampled (an archive entry cannot be:
//    unequal); known samples must agree; a range of at most 4 bytes is
//    decided by the samples unless CRC32 is a method; then byte-per-byte
//    (keeping the CRC32s read on the way when CRC32 is a method and the
//    files differ nowhere before their last 2048-byte piece), or CRC32
//    alone, or, with no method, the samples (entries with only a CRC32 agree
//    through equal CRC32 values).
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/common/crc32.h"
#include "engine/common/criteria_options.h"
#include "engine/common/file_infos.h"
#include "engine/common/messages.h"
#include "engine/common/text_ids.h"
#include "engine/dupes/content_comparer.h"
#include "engine/threads/status_server.h"
#include "platform/files.h"

namespace zwtest {

class ContentOracle : public zw::TResultManager {
 public:
  ContentOracle(zw::TResultManager* next, const zw::TAdvContentOptions& settings, zw::TZWStatusServer* status,
                zw::IMessenger* messenger)
      : next_(next), settings_(settings), status_(status), messenger_(messenger) {}

  void AddSet(zw::TFileInfos* first) override {
    std::vector<zw::TFileInfos*> list;
    for (zw::TFileInfos* e = first; e; e = e->Next) {
      list.push_back(e);
      if (!Archive(e)) e->Flags &= static_cast<uint8_t>(~(zw::fiflag::kCrcValid | zw::fiflag::kMiddleValid));
    }
    while (!list.empty()) {
      if (list[0]->IsLibrary()) {
        std::stable_partition(list.begin(), list.end(), [](zw::TFileInfos* e) { return !e->IsLibrary(); });
        if (list[0]->IsLibrary()) return Drop(list);
      }
      std::vector<zw::TFileInfos*> set{list[0]}, rest;
      for (size_t i = 1; i < list.size(); ++i) {
        if (Equal(list[0], list[i])) {
          set.push_back(list[i]);
          Step();
        } else {
          rest.push_back(list[i]);
        }
      }
      if (set.size() > 1) {
        for (size_t i = 0; i < set.size(); ++i) set[i]->Next = i + 1 < set.size() ? set[i + 1] : nullptr;
        next_->AddSet(set[0]);
      } else {
        zw::FreeFileInfos(set[0]);
      }
      Step();
      list = rest;
    }
  }

 private:
  static constexpr size_t kPiece = zw::TContentComparer::kSmallBufferSize;
  static bool Has(const zw::TFileInfos* e, uint8_t flag) { return (e->Flags & flag) != 0; }
  static bool Archive(const zw::TFileInfos* e) { return Has(e, zw::fiflag::kInArchive); }

  void Step() {
    if (status_) status_->Step();
  }
  void Drop(std::vector<zw::TFileInfos*>& list) {
    Step();
    for (zw::TFileInfos* e : list) zw::FreeFileInfos(e);
    list.clear();
  }
  bool Fail(zw::TFileInfos* e, zw::TMsgID id, int code) {
    if (messenger_) messenger_->LogMsg(id, {zw::TFmtArg(int64_t{code}), zw::TFmtArg(e->FullName())});
    e->Flags |= zw::fiflag::kIOError;
    return false;
  }

  // Up to `len` bytes of the file from `off` (fewer where it ends early,
  // the reason in readErr_); false when it cannot be opened (an archive
  // entry never is).
  bool Read(zw::TFileInfos* e, int64_t off, int64_t len, std::string& out) {
    out.clear();
    if (Archive(e)) return false;
    zw::platform::File f;
    zw::platform::OsError err;
    if (!f.OpenRead(e->FullName(), err)) return Fail(e, zw::logIOErrorOnOpen, err.code);
    out.resize(static_cast<size_t>(len));
    size_t got = 0;
    if (len > 0 && !f.ReadAt(static_cast<uint64_t>(off), out.data(), out.size(), got, err)) got = 0;
    readErr_ = err.code;
    out.resize(got);
    return true;
  }

  // The range as the settings give it, cut to the file (tested on its own).
  zw::TContentRange RangeOf(uint64_t fileSize) const { return zw::ContentRangeOf(settings_, fileSize); }

  bool Sample(zw::TFileInfos* e, const zw::TContentRange& r) {
    const int64_t at = r.length > 4 ? r.offset + r.length / 2 - 2 : r.offset;
    const int64_t want = std::min<int64_t>(r.length, 4);
    std::string bytes;
    if (!Read(e, at, want, bytes)) return false;
    if (static_cast<int64_t>(bytes.size()) < want) return Fail(e, zw::logIOErrorOnRead, readErr_);
    e->Middle = 0;
    std::memcpy(&e->Middle, bytes.data(), bytes.size());
    e->Flags |= zw::fiflag::kMiddleValid;
    return true;
  }

  bool Range(zw::TFileInfos* e, const zw::TContentRange& r, std::string& bytes) {
    if (!Read(e, r.offset, r.length, bytes)) return false;
    if (static_cast<int64_t>(bytes.size()) < r.length) return Fail(e, zw::logIOErrorOnRead, readErr_);
    return true;
  }
  void SetCrc(zw::TFileInfos* e, const std::string& bytes) {
    e->Crc = zw::Crc32(bytes.data(), bytes.size());
    e->Flags |= zw::fiflag::kCrcValid;
  }

  bool ByteByByte(zw::TFileInfos* a, zw::TFileInfos* b, const zw::TContentRange& ra, const zw::TContentRange& rb,
                  bool withCrc) {
    if (withCrc && Has(a, zw::fiflag::kCrcValid) && Has(b, zw::fiflag::kCrcValid) && a->Crc != b->Crc) return false;
    std::string x, y;  // both files open before either is read
    if (!Read(a, ra.offset, ra.length, x) || !Read(b, rb.offset, rb.length, y)) return false;
    if (static_cast<int64_t>(x.size()) < ra.length) return Fail(a, zw::logIOErrorOnRead, 0);
    for (size_t p = 0; p < x.size(); p += kPiece) {  // b is read piece by piece
      const size_t want = std::min(kPiece, x.size() - p);
      if (y.size() < p + want) return Fail(b, zw::logIOErrorOnRead, 0);
      if (std::memcmp(x.data() + p, y.data() + p, want) != 0) {
        if (withCrc && p + want == x.size()) Keep(a, b, x, y);
        return false;
      }
    }
    if (withCrc) Keep(a, b, x, y);
    return true;
  }
  void Keep(zw::TFileInfos* a, zw::TFileInfos* b, const std::string& x, const std::string& y) {
    if (!Has(a, zw::fiflag::kCrcValid)) SetCrc(a, x);
    if (!Has(b, zw::fiflag::kCrcValid)) SetCrc(b, y);
  }

  bool Equal(zw::TFileInfos* a, zw::TFileInfos* b) {
    const uint8_t methods = settings_.methods & (zw::acmCRC32 | zw::acmByteByByte);
    if (Has(a, zw::fiflag::kIOError) || Has(b, zw::fiflag::kIOError)) return false;
    if (a->Size == 0 || b->Size == 0) {
      if (a->Size != 0 || b->Size != 0) return false;
      for (zw::TFileInfos* e : {a, b}) {
        e->Crc = e->Middle = 0;
        e->Flags |= zw::fiflag::kCrcValid | zw::fiflag::kMiddleValid;
      }
      return true;
    }
    const zw::TContentRange ra = RangeOf(a->Size), rb = RangeOf(b->Size);
    if (ra.length != rb.length) return false;
    if (!Has(a, zw::fiflag::kCrcValid | zw::fiflag::kMiddleValid) && !Sample(a, ra)) return false;
    if (!Has(b, zw::fiflag::kCrcValid | zw::fiflag::kMiddleValid) && !Sample(b, rb)) return false;
    const bool samples = Has(a, zw::fiflag::kMiddleValid) && Has(b, zw::fiflag::kMiddleValid);
    if (samples && a->Middle != b->Middle) return false;
    if (ra.length <= 4 && !(methods & zw::acmCRC32) && samples) return true;
    if (methods & zw::acmByteByByte) return ByteByByte(a, b, ra, rb, (methods & zw::acmCRC32) != 0);
    if (methods & zw::acmCRC32) {
      std::string bytes;
      if (!Has(a, zw::fiflag::kCrcValid) && Range(a, ra, bytes)) SetCrc(a, bytes);
      if (!Has(a, zw::fiflag::kCrcValid)) return false;
      if (!Has(b, zw::fiflag::kCrcValid) && Range(b, rb, bytes)) SetCrc(b, bytes);
      if (!Has(b, zw::fiflag::kCrcValid)) return false;
      return a->Crc == b->Crc;
    }
    return samples || (Has(a, zw::fiflag::kCrcValid) && Has(b, zw::fiflag::kCrcValid) && a->Crc == b->Crc);
  }

  zw::TResultManager* next_;
  zw::TAdvContentOptions settings_;
  zw::TZWStatusServer* status_;
  zw::IMessenger* messenger_;
  int readErr_ = 0;
};

}  // namespace zwtest
