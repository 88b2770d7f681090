#include "engine/threads/job_queue.h"

namespace zw {

TJobQueue::~TJobQueue() {
  std::lock_guard<std::mutex> lock(lock_);
  FreeFileInfosList(head_);
  head_ = tail_ = nullptr;
  closed_ = true;
}

void TJobQueue::Push(TFileInfos* entry) {
  bool wake;
  {
    std::lock_guard<std::mutex> lock(lock_);
    if (entry) {
      entry->Next = nullptr;
      if (tail_)
        tail_->Next = entry;
      else
        head_ = entry;
      tail_ = entry;
    } else {
      closed_ = true;
    }
    wake = waiting_;
    waiting_ = false;
  }
  if (wake) ready_.notify_one();
}

void TJobQueue::PushList(TFileInfos* head, TFileInfos* tail) {
  if (!head) return;
  bool wake;
  {
    std::lock_guard<std::mutex> lock(lock_);
    if (tail_)
      tail_->Next = head;
    else
      head_ = head;
    tail_ = tail;
    wake = waiting_;
    waiting_ = false;
  }
  if (wake) ready_.notify_one();
}

TFileInfos* TJobQueue::Pop() {
  std::unique_lock<std::mutex> lock(lock_);
  while (!head_ && !closed_) {
    waiting_ = true;
    ready_.wait(lock);
  }
  TFileInfos* entry = head_;
  if (entry) {
    head_ = entry->Next;
    if (!head_) tail_ = nullptr;
    entry->Next = nullptr;
  }
  return entry;
}

TFileInfos* TJobQueue::PopAll() {
  std::unique_lock<std::mutex> lock(lock_);
  while (!head_ && !closed_) {
    waiting_ = true;
    ready_.wait(lock);
  }
  TFileInfos* list = head_;
  head_ = tail_ = nullptr;
  return list;
}

TFileInfos* TJobQueue::TryPopAll(bool& closed) {
  std::lock_guard<std::mutex> lock(lock_);
  TFileInfos* list = head_;
  head_ = tail_ = nullptr;
  closed = closed_;
  return list;
}

bool TJobQueue::Closed() const {
  std::lock_guard<std::mutex> lock(lock_);
  return closed_;
}

}  // namespace zw
