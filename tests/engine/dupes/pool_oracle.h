// The file pools' contract computed the plain way, as the reference the real
// pools are checked against: the fresh files are stable-sorted by the primary
// key and grouped by it, each group sorted by the secondary keys; a library
// file walks the groups for the first fresh file it matches; Finish cuts the
// groups into sets. It shares with the real pools only the comparison and
// bucket functions (they have tests of their own) and needs no speed.
//
// Files the keys cannot tell apart keep this order: the one that opened its
// run while it was the group's first file stays in front, the ones that came
// while it was the first follow it newest first, and the ones that came after
// a smaller file had taken the group's front go before it, newest first.
// A library file lies right behind the fresh file it joined, newest first.
#pragma once
#include <algorithm>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "engine/dupes/file_pool.h"

namespace zw::pooltest {

class TReferencePool {
 public:
  TReferencePool(const TSearchSettings& s, const TKeyChoice& k, const TPoolContext& c)
      : s_(s), k_(k), c_(c), kind_(PoolKindOf(k, s)) {
    for (TCompKey key : k.secondary)
      if (key != ckNone) sec_.push_back(CompareFuncOf(key));
    now_ = c.nowLocal ? c.nowLocal : platform::UtcToLocal(platform::NowUtc());
  }
  ~TReferencePool() {
    for (TFileInfos* e : pending_) Drop(e);
    for (auto& g : groups_)
      for (TFileInfos* e : g) Drop(e);
  }

  int64_t FileCount() const { return files_; }
  int64_t GroupCount() {
    if (kind_ == TPoolKind::Unsorted) return 1;
    if (kind_ == TPoolKind::PassThru) return files_;
    Sort();
    return static_cast<int64_t>(groups_.size());
  }
  bool HasLibraryFiles() const { return hasLibrary_; }

  void AddFresh(TFileInfos* e) {
    e->Next = nullptr;
    if (sorted_) return AddLibrary(e);
    ++files_;
    if (kind_ == TPoolKind::PassThru) return c_.results->AddSet(e);
    pending_.push_back(e);
  }

  void AddLibrary(TFileInfos* x) {
    x->Flags |= fiflag::kLibrary;
    x->Next = nullptr;
    if (kind_ == TPoolKind::PassThru || kind_ == TPoolKind::Unsorted) {
      hasLibrary_ = true;
      ++files_;
      if (kind_ == TPoolKind::PassThru) return c_.results->AddSet(x);
      return pending_.push_back(x);
    }
    Sort();
    for (size_t g = Start(*x); g < groups_.size(); ++g) {
      std::vector<TFileInfos*>& group = groups_[g];
      const int r = Primary(*x, *group[0], true);
      if (r < 0) break;
      if (r > 0) continue;
      int r2 = 1;
      for (size_t i = 0; i < group.size() && r2 > 0; ++i) {
        if (group[i]->IsLibrary()) continue;
        r2 = Secondary(*x, *group[i], true);
        if (r2 == 0) {
          group.insert(group.begin() + static_cast<std::ptrdiff_t>(i) + 1, x);
          ++files_;
          hasLibrary_ = true;
          return;
        }
      }
      if (r2 < 0) break;
    }
    Drop(x);
  }

  void Finish(TResultManager& results) {
    content_ = s_.contentOn;
    if (content_) {
      stage_ = c_.contentStage ? c_.contentStage(results, s_, c_) : MakeContentComparer(results, s_, c_);
      next_ = stage_.get();
    } else {
      next_ = &results;
    }
    const int64_t maximum = content_ ? files_ : GroupCount();
    if (c_.status) c_.status->SetMaximum(static_cast<int32_t>(std::min<int64_t>(maximum, INT32_MAX)));
    if (kind_ == TPoolKind::PassThru) return Step();
    if (kind_ == TPoolKind::Unsorted) {
      if (!pending_.empty()) Hand(pending_, 0, pending_.size());
      pending_.clear();
      return;
    }
    Sort();
    if (k_.tolerantPrimary) {
      // One list of all groups, split by {primary, first secondary}.
      std::vector<TFileInfos*> all;
      for (auto& g : groups_) {
        all.insert(all.end(), g.begin(), g.end());
        if (!content_) Step();
      }
      groups_.clear();
      sec_.insert(sec_.begin(), CompareFuncOf(k_.primary));
      sec_.resize(std::min<size_t>(sec_.size(), 2));
      return Split(all);
    }
    for (auto& g : groups_) {
      if (Stop()) return;  // the groups left are freed with the pool
      std::vector<TFileInfos*> list = std::move(g);
      g.clear();
      if (!sec_.empty()) {
        Split(list);
      } else if (list.size() == 1) {
        DropHead(list[0]);
      } else {
        Hand(list, 0, list.size());
      }
      if (!content_) Step();
    }
  }

 private:
  int Primary(TFileInfos& a, TFileInfos& b, bool tolerant) {
    return CompareFuncOf(k_.primary)(s_, a, b, tolerant);
  }
  int Secondary(TFileInfos& a, TFileInfos& b, bool tolerant) {
    for (TCompareFunc f : sec_)
      if (const int r = f(s_, a, b, tolerant)) return r;
    return 0;
  }

  // The fresh files into groups, once.
  void Sort() {
    if (sorted_) return;
    sorted_ = true;
    std::stable_sort(pending_.begin(), pending_.end(),
                     [&](TFileInfos* a, TFileInfos* b) { return Primary(*a, *b, false) < 0; });
    for (size_t from = 0, to; from < pending_.size(); from = to) {
      for (to = from + 1; to < pending_.size() && Primary(*pending_[from], *pending_[to], false) == 0;) ++to;
      // Rank of each file inside its run (see the top of this file), in
      // the order the files came.
      std::vector<std::pair<TFileInfos*, std::pair<int, int64_t>>> ranked;
      TFileInfos* front = pending_[from];
      for (size_t i = from; i < to; ++i) {
        TFileInfos* x = pending_[i];
        const int r = i == from ? -1 : Secondary(*x, *front, false);
        if (r < 0) front = x;
        ranked.push_back({x, {r < 0 ? 0 : r == 0 ? 1 : -1, r < 0 ? 0 : -static_cast<int64_t>(i)}});
      }
      std::stable_sort(ranked.begin(), ranked.end(), [&](const auto& a, const auto& b) {
        const int r = Secondary(*a.first, *b.first, false);
        return r != 0 ? r < 0 : a.second < b.second;
      });
      groups_.emplace_back();
      for (const auto& [e, rank] : ranked) groups_.back().push_back(e);
    }
    pending_.clear();
  }

  // Where a library file's walk starts: with a tolerant primary key, the
  // first group of its bucket (or the last group before it when the file
  // lies below that one), else the first group of the nearest bucket below,
  // else of the nearest above.
  size_t Start(TFileInfos& x) {
    if (!k_.tolerantPrimary) return 0;
    auto bucket = [&](const TFileInfos& e) {
      return k_.primary == ckSizeTolerant ? SizeBucket(e.Size) : DateAgeBucket(now_, e.Time);
    };
    const uint32_t b = bucket(x);
    size_t i = 0;
    while (i < groups_.size() && bucket(*groups_[i][0]) < b) ++i;
    if (i < groups_.size() && bucket(*groups_[i][0]) == b)
      return (i > 0 && Primary(x, *groups_[i][0], false) < 0) ? i - 1 : i;
    if (i == 0) return 0;
    size_t j = i - 1;
    while (j > 0 && bucket(*groups_[j - 1][0]) == bucket(*groups_[i - 1][0])) --j;
    return j;
  }

  // Cuts a sorted list into sets against each set's first file, the head;
  // a library file belongs to the fresh file before it.
  void Split(std::vector<TFileInfos*>& v) {
    auto matches = [&](size_t h, size_t e) { return Secondary(*v[h], *v[e], true) == 0; };
    auto library = [&](size_t i) { return i < v.size() && v[i]->IsLibrary(); };
    for (size_t h = 0, c = 0; h < v.size(); ++c) {
      if (Stop()) {
        for (; h < v.size(); ++h) Drop(v[h]);
        return;
      }
      // c runs over the library files behind the cursor, then over every
      // file that matches h; p is the file before the run's last fresh one.
      size_t p = h;
      while (library(c + 1)) ++c;
      for (; c + 1 < v.size() && matches(h, c + 1); ++c)
        if (!library(c + 1)) p = c;
      // A run that ends in front of a library file leaves its last fresh
      // file (whose library file that is) to open the next set.
      const size_t cut = library(c + 1) ? p : c;
      if (cut == h) {
        DropHead(v[h]);
      } else {
        Hand(v, h, cut + 1);
      }
      h = cut + 1;
    }
    v.clear();
  }

  void Hand(const std::vector<TFileInfos*>& v, size_t from, size_t to) {
    for (size_t i = from; i + 1 < to; ++i) v[i]->Next = v[i + 1];
    v[to - 1]->Next = nullptr;
    next_->AddSet(v[from]);
  }
  bool Stop() { return c_.owner && c_.owner->CheckStop(); }
  void Step() {
    if (c_.status) c_.status->Step();
  }
  void Drop(TFileInfos* e) {
    if (c_.onDrop) c_.onDrop(*e);
    FreeFileInfos(e);
  }
  void DropHead(TFileInfos* e) {
    Drop(e);
    if (content_) Step();
  }

  TSearchSettings s_;
  TKeyChoice k_;
  TPoolContext c_;
  TPoolKind kind_;
  std::vector<TCompareFunc> sec_;
  platform::FileTime now_;
  int64_t files_ = 0;
  bool hasLibrary_ = false, sorted_ = false, content_ = false;
  std::vector<TFileInfos*> pending_;             // fresh files before Sort; the unsorted pool
  std::vector<std::vector<TFileInfos*>> groups_;  // after Sort, in key order
  TResultManager* next_ = nullptr;
  std::unique_ptr<TResultManager> stage_;
};

}  // namespace zw::pooltest
