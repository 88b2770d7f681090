// The queue of file entries from the browse thread to the search thread:
// one producer, one consumer, linked through the entries' own Next field.
// A null entry is the end marker. The lock covers only the list; waiting
// happens outside it.
#pragma once
#include <condition_variable>
#include <mutex>

#include "engine/common/file_infos.h"

namespace zw {

class TJobQueue {
 public:
  TJobQueue() = default;
  ~TJobQueue();  // frees every entry still queued
  TJobQueue(const TJobQueue&) = delete;
  TJobQueue& operator=(const TJobQueue&) = delete;

  // Appends an entry (its Next is cleared); null closes the queue.
  void Push(TFileInfos* entry);
  // Appends a list linked through Next (tail->Next must be null) at once:
  // one lock and at most one wake-up for many entries.
  void PushList(TFileInfos* head, TFileInfos* tail);
  // Takes the first entry, waiting while the queue is empty and open. Null
  // means: closed and drained (at once, every time, from then on).
  TFileInfos* Pop();
  // Takes everything queued now as one list (waiting like Pop while empty
  // and open); null means closed and drained.
  TFileInfos* PopAll();
  // Takes everything queued now without waiting: null when nothing is, and
  // then `closed` tells whether anything can still come.
  TFileInfos* TryPopAll(bool& closed);

  bool Closed() const;

 private:
  mutable std::mutex lock_;
  std::condition_variable ready_;
  TFileInfos* head_ = nullptr;
  TFileInfos* tail_ = nullptr;
  bool closed_ = false;
  bool waiting_ = false;  // the consumer sleeps on ready_
};

}  // namespace zw
