// The content comparison done the plain way, as the reference the comparer is
// checked against: the head of the list is compared with every other entry in
// turn, each pair opening and reading its two files. It is slow (a pass over
// the rest per head) but short enough to check by eye:
//
//  - a library head sends the library entries behind the fresh ones; with no
//    fresh entry left the rest is dropped (one progress step);
//  - a lone head is dropped; otherwise it takes every entry equal to it, in
//    list order, and a set of two or more is handed on;
//  - a pair is unequal when either file is unreadable; empty files equal only
//    empty files (both then get CRC32 0 and sample 0); ranges of different
//    lengths are unequal; a file that knows neither sample nor CRC32 is
//    sampled (an archive entry cannot be: unequal); known samples must agree;
//    a range of at most 4 bytes is decided by the samples unless CRC32 is a
//    method; then byte-per-byte (with the CRC32 in the same pass), or CRC32
//    alone, or, with no method, the samples (entries with only a CRC32 agree
//    through equal CRC32 values).
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "engine/common/crc32.h"
#include "engine/common/messages.h"
#include "engine/common/text_ids.h"
#include "engine/common/criteria_options.h"
#include "engine/dupes/result_manager.h"
#include "engine/common/file_infos.h"
#include "engine/threads/status_server.h"
#include "engine/threads/suspd_safe_thread.h"
#include "platform/files.h"

namespace zwtest {

class ContentOracle : public zw::TResultManager {
 public:
  static constexpr size_t kPiece = 2048;
  static constexpr size_t kBlock = 0xC00000;

  ContentOracle(zw::TResultManager* next, const zw::TAdvContentOptions& settings)
      : next_(next), settings_(settings), block_(new uint8_t[kBlock]) {}

  void SetOwner(zw::TSuspdSafeThread* owner) { owner_ = owner; }
  void SetStatus(zw::TZWStatusServer* status) { status_ = status; }
  void SetMessenger(zw::IMessenger* messenger) { messenger_ = messenger; }

  void AddSet(zw::TFileInfos* first) override {
    using zw::TFileInfos;
    for (TFileInfos* e = first; e; e = e->Next)
      if (!(e->Flags & zw::fiflag::kInArchive))
        e->Flags &= static_cast<uint8_t>(~(zw::fiflag::kCrcValid | zw::fiflag::kMiddleValid));
    TFileInfos* list = first;
    while (list && !Stop()) {
      if (list->IsLibrary()) {
        TFileInfos* freshHead = nullptr;
        TFileInfos** freshTail = &freshHead;
        TFileInfos* libHead = nullptr;
        TFileInfos** libTail = &libHead;
        for (TFileInfos* e = list; e;) {
          TFileInfos* next = e->Next;
          e->Next = nullptr;
          TFileInfos*** tail = e->IsLibrary() ? &libTail : &freshTail;
          **tail = e;
          *tail = &e->Next;
          e = next;
        }
        if (!freshHead) {
          Step();
          zw::FreeFileInfosList(libHead);
          return;
        }
        *freshTail = libHead;
        list = freshHead;
      }
      TFileInfos* head = list;
      TFileInfos* rest = head->Next;
      head->Next = nullptr;
      if (!rest) {
        zw::FreeFileInfos(head);
        Step();
        return;
      }
      TFileInfos* setTail = head;
      TFileInfos* keptHead = nullptr;
      TFileInfos** keptTail = &keptHead;
      for (TFileInfos* c = rest; c;) {
        TFileInfos* next = c->Next;
        c->Next = nullptr;
        if (Stop()) {
          zw::FreeFileInfosList(head);
          zw::FreeFileInfos(c);
          zw::FreeFileInfosList(next);
          zw::FreeFileInfosList(keptHead);
          return;
        }
        if (Equal(head, c)) {
          setTail->Next = c;
          setTail = c;
          Step();
        } else {
          *keptTail = c;
          keptTail = &c->Next;
        }
        c = next;
      }
      if (head->Next)
        next_->AddSet(head);
      else
        zw::FreeFileInfos(head);
      Step();
      list = keptHead;
    }
    zw::FreeFileInfosList(list);
  }

 private:
  struct Slot {
    zw::TFileInfos* e = nullptr;
    int64_t off = 0;
    int64_t len = 0;
    zw::platform::File file;
    bool open = false;
    std::string path;
  };

  bool Stop() { return owner_ && owner_->CheckStop(); }
  void Step() {
    if (status_) status_->Step();
  }
  void Log(zw::TMsgID id, int code, const std::string& path) {
    if (messenger_) messenger_->LogMsg(id, {zw::TFmtArg(int64_t{code}), zw::TFmtArg(path)});
  }
  static bool IO(const zw::TFileInfos* e) { return (e->Flags & zw::fiflag::kIOError) != 0; }
  static bool HasCrc(const zw::TFileInfos* e) { return (e->Flags & zw::fiflag::kCrcValid) != 0; }
  static bool HasSample(const zw::TFileInfos* e) { return (e->Flags & zw::fiflag::kMiddleValid) != 0; }
  static bool Archive(const zw::TFileInfos* e) { return (e->Flags & zw::fiflag::kInArchive) != 0; }

  // The range as the settings give it, then cut to the file.
  void SetRange(Slot& s) const {
    const int64_t size = static_cast<int64_t>(s.e->Size);
    const int64_t n = settings_.N < 0 ? 0 : settings_.N;
    const int64_t m = settings_.M < 0 ? 0 : settings_.M;
    int64_t off = 0, len = size;
    switch (settings_.range) {
      case zw::acBytesNToM: off = n; len = m - n + 1; break;
      case zw::acBytesNToMFromEnd: off = size - m - 1; len = m - n + 1; break;
      case zw::acFirstN: off = 0; len = n; break;
      case zw::acLastN: off = size - n; len = n; break;
      default: break;
    }
    int64_t end = off + (len < 0 ? 0 : len);
    off = std::clamp<int64_t>(off, 0, size);
    end = std::clamp<int64_t>(end, 0, size);
    s.off = off;
    s.len = end > off ? end - off : 0;
  }

  bool Open(Slot& s) {
    if (s.open) return true;
    if (Archive(s.e)) return false;
    zw::platform::OsError err;
    if (!s.file.OpenRead(s.path, err)) {
      Log(zw::logIOErrorOnOpen, err.code, s.path);
      s.e->Flags |= zw::fiflag::kIOError;
      return false;
    }
    s.open = true;
    return true;
  }
  bool ReadFailed(Slot& s, const zw::platform::OsError& err) {
    Log(zw::logIOErrorOnRead, err.code, s.path);
    s.e->Flags |= zw::fiflag::kIOError;
    return false;
  }

  bool Sample(Slot& s) {
    if (!Open(s)) return false;
    uint8_t bytes[4] = {0, 0, 0, 0};
    uint64_t at = static_cast<uint64_t>(s.off);
    size_t want = static_cast<size_t>(s.len);
    if (s.len > 4) {
      at = static_cast<uint64_t>(s.off + s.len / 2 - 2);
      want = 4;
    }
    size_t got = 0;
    zw::platform::OsError err;
    if (want > 0 && (!s.file.ReadAt(at, bytes, want, got, err) || got < want))
      return ReadFailed(s, err);
    std::memcpy(&s.e->Middle, bytes, 4);
    s.e->Flags |= zw::fiflag::kMiddleValid;
    return true;
  }

  bool Crc(Slot& s) {
    if (!Open(s)) return false;
    zw::platform::OsError err;
    if (!s.file.Seek(static_cast<uint64_t>(s.off), err)) return ReadFailed(s, err);
    uint8_t piece[kPiece];
    uint32_t crc = 0;
    for (int64_t left = s.len; left > 0;) {
      const size_t want = static_cast<size_t>(std::min<int64_t>(left, kPiece));
      size_t got = 0;
      if (!s.file.Read(piece, want, got, err) || got < want) return ReadFailed(s, err);
      crc = zw::Crc32Update(crc, piece, want);
      left -= static_cast<int64_t>(want);
    }
    s.e->Crc = crc;
    s.e->Flags |= zw::fiflag::kCrcValid;
    return true;
  }

  bool ByteByByte(Slot& a, Slot& b, bool withCrc) {
    if (withCrc && HasCrc(a.e) && HasCrc(b.e) && a.e->Crc != b.e->Crc) return false;
    if (!Open(a) || !Open(b)) return false;
    zw::platform::OsError err;
    if (!a.file.Seek(static_cast<uint64_t>(a.off), err)) return ReadFailed(a, err);
    if (!b.file.Seek(static_cast<uint64_t>(b.off), err)) return ReadFailed(b, err);
    const bool crcA = withCrc && !HasCrc(a.e);
    const bool crcB = withCrc && !HasCrc(b.e);
    uint32_t ca = 0, cb = 0;
    const int64_t len = a.len;
    const int64_t lastPiece = len == 0 ? 0 : ((len - 1) / static_cast<int64_t>(kPiece)) * kPiece;
    uint8_t piece[kPiece];
    auto keep = [&] {
      if (crcA) {
        a.e->Crc = ca;
        a.e->Flags |= zw::fiflag::kCrcValid;
      }
      if (crcB) {
        b.e->Crc = cb;
        b.e->Flags |= zw::fiflag::kCrcValid;
      }
    };
    for (int64_t pos = 0; pos < len;) {
      const size_t block = static_cast<size_t>(std::min<int64_t>(len - pos, kBlock));
      size_t got = 0;
      if (!a.file.Read(block_.get(), block, got, err) || got < block) return ReadFailed(a, err);
      if (crcA) ca = zw::Crc32Update(ca, block_.get(), block);
      for (size_t p = 0; p < block; p += kPiece) {
        const size_t want = std::min(kPiece, block - p);
        if (!b.file.Read(piece, want, got, err) || got < want) return ReadFailed(b, err);
        if (crcB) cb = zw::Crc32Update(cb, piece, want);
        if (std::memcmp(block_.get() + p, piece, want) != 0) {
          if (pos + static_cast<int64_t>(p) == lastPiece) keep();
          return false;
        }
      }
      pos += static_cast<int64_t>(block);
    }
    keep();
    return true;
  }

  bool Equal(zw::TFileInfos* ea, zw::TFileInfos* eb) {
    const uint8_t methods = settings_.methods & (zw::acmCRC32 | zw::acmByteByByte);
    if (IO(ea) || IO(eb)) return false;
    if (ea->Size == 0 || eb->Size == 0) {
      if (ea->Size != 0 || eb->Size != 0) return false;
      for (zw::TFileInfos* e : {ea, eb}) {
        e->Crc = 0;
        e->Middle = 0;
        e->Flags |= zw::fiflag::kCrcValid | zw::fiflag::kMiddleValid;
      }
      return true;
    }
    Slot a, b;
    a.e = ea;
    b.e = eb;
    a.path = ea->FullName();
    b.path = eb->FullName();
    SetRange(a);
    SetRange(b);
    if (a.len != b.len) return false;
    for (Slot* s : {&a, &b}) {
      if (HasCrc(s->e) || HasSample(s->e)) continue;
      if (!Sample(*s)) return false;
    }
    if (HasSample(ea) && HasSample(eb) && ea->Middle != eb->Middle) return false;
    if (a.len <= 4 && !(methods & zw::acmCRC32) && HasSample(ea) && HasSample(eb)) return true;
    if (methods & zw::acmByteByByte) return ByteByByte(a, b, (methods & zw::acmCRC32) != 0);
    if (methods & zw::acmCRC32) {
      for (Slot* s : {&a, &b}) {
        if (HasCrc(s->e)) continue;
        if (!Crc(*s)) return false;
      }
      return ea->Crc == eb->Crc;
    }
    if (HasSample(ea) && HasSample(eb)) return true;
    return HasCrc(ea) && HasCrc(eb) && ea->Crc == eb->Crc;
  }

  zw::TResultManager* next_;
  zw::TAdvContentOptions settings_;
  std::unique_ptr<uint8_t[]> block_;
  zw::TSuspdSafeThread* owner_ = nullptr;
  zw::TZWStatusServer* status_ = nullptr;
  zw::IMessenger* messenger_ = nullptr;
};

}  // namespace zwtest
