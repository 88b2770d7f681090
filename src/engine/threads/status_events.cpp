#include "engine/threads/status_events.h"

namespace zw {

TEventQueue::TEventQueue(Handler handler)
    : handler_(std::move(handler)), owner_(std::this_thread::get_id()) {}

TEventQueue::~TEventQueue() { Close(); }

void TEventQueue::Post(TStatusEvent ev) {
  std::lock_guard<std::mutex> lock(mu_);
  if (closed_) return;
  if (ev.kind == TStatusMsg::StatusText) {
    // A status text wakes no one: the owner shows the latest one when it
    // next looks (its wait ends within its tick anyway), and a text not yet
    // shown is replaced by a newer one right behind it. A worker reading
    // file after file would otherwise wake the owner for every file.
    if (!items_.empty() && !items_.back().sender && items_.back().ev.kind == TStatusMsg::StatusText)
      items_.back().ev = std::move(ev);
    else
      items_.push_back(Item{std::move(ev), nullptr, 0});
    return;
  }
  items_.push_back(Item{std::move(ev), nullptr, 0});
  arrived_.notify_one();
}

void TEventQueue::Send(TStatusEvent& ev) {
  if (std::this_thread::get_id() == owner_) {
    if (handler_) handler_(ev);
    return;
  }
  std::unique_lock<std::mutex> lock(mu_);
  if (closed_) return;
  uint64_t ticket = ++nextTicket_;
  items_.push_back(Item{ev, &ev, ticket});
  arrived_.notify_one();
  handled_.wait(lock, [&] { return closed_ || doneTicket_ >= ticket; });
}

size_t TEventQueue::DrainLocked(std::unique_lock<std::mutex>& lock) {
  size_t n = 0;
  while (!items_.empty()) {
    Item item = std::move(items_.front());
    items_.pop_front();
    lock.unlock();
    if (handler_) handler_(item.ev);
    lock.lock();
    if (item.sender) {
      // The sender is still blocked in Send, so its event is alive.
      *item.sender = std::move(item.ev);
      doneTicket_ = item.ticket;
      handled_.notify_all();
    }
    ++n;
  }
  return n;
}

size_t TEventQueue::DispatchPending() {
  std::unique_lock<std::mutex> lock(mu_);
  return DrainLocked(lock);
}

size_t TEventQueue::DispatchWait(std::chrono::milliseconds wait) {
  std::unique_lock<std::mutex> lock(mu_);
  arrived_.wait_for(lock, wait, [&] { return closed_ || !items_.empty(); });
  return DrainLocked(lock);
}

void TEventQueue::Close() {
  std::lock_guard<std::mutex> lock(mu_);
  closed_ = true;
  items_.clear();
  handled_.notify_all();
  arrived_.notify_all();
}

}  // namespace zw
