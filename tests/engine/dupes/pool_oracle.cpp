#include "engine/dupes/pool_oracle.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace zw::oracle {

TOraclePool::TOraclePool(const TSearchSettings& settings, const TKeyChoice& keys,
                         const TPoolContext& context)
    : kind_(PoolKindOf(keys, settings)), settings_(settings), keys_(keys), context_(context) {
  primary_ = CompareFuncOf(keys.primary);
  for (TCompKey k : keys.secondary)
    if (k != ckNone) secondary_.push_back(CompareFuncOf(k));
  tolerantPrimary_ = keys.primary == ckSizeTolerant || keys.primary == ckDateTolerant;
  now_ = context.nowLocal != 0 ? context.nowLocal : platform::UtcToLocal(platform::NowUtc());
  year_ = platform::SplitFileTime(now_).year;
  uint32_t count = 0;
  switch (kind_) {
    case TPoolKind::BySize: count = kSizeBuckets; break;
    case TPoolKind::ByFilename: count = kFilenameBuckets; break;
    case TPoolKind::ByDate:
      count = keys.primary == ckDateParts ? DatePartsBucketCount(settings.date.parts)
                                          : kDateAgeBuckets;
      break;
    case TPoolKind::Unsorted: groupCount_ = 1; break;
    case TPoolKind::PassThru: break;
  }
  buckets_.assign(count, nullptr);
}

TOraclePool::~TOraclePool() {
  for (Bucket* b : buckets_) {
    if (!b) continue;
    Group* g = b->first;
    while (g) {
      Group* next = (g == b->last) ? nullptr : g->next;
      for (TFileInfos* e = g->first; e;) {
        TFileInfos* n = e->Next;
        Drop(e);
        e = n;
      }
      delete g;
      g = next;
    }
    delete b;
  }
  while (leftover_) {
    Group* next = leftover_->next;
    for (TFileInfos* e = leftover_->first; e;) {
      TFileInfos* n = e->Next;
      Drop(e);
      e = n;
    }
    delete leftover_;
    leftover_ = next;
  }
  for (TFileInfos* e = listHead_; e;) {
    TFileInfos* n = e->Next;
    Drop(e);
    e = n;
  }
}

uint32_t TOraclePool::BucketOf(TFileInfos& e) {
  switch (kind_) {
    case TPoolKind::BySize: return SizeBucket(e.Size);
    case TPoolKind::ByFilename: return FilenameBucket(NameKeyOf(e, settings_.filename));
    case TPoolKind::ByDate:
      if (keys_.primary == ckDateParts) {
        EnsureDatePacked(e);
        return DatePartsBucket(settings_.date.parts, year_, e.Time);
      }
      return DateAgeBucket(now_, e.Time);
    default: return 0;
  }
}

int TOraclePool::Primary(TFileInfos& a, TFileInfos& b, bool tolerant) {
  return primary_(settings_, a, b, tolerant);
}

int TOraclePool::SecondaryList(const std::vector<TCompareFunc>& list, TFileInfos& a,
                               TFileInfos& b, bool tolerant) {
  for (TCompareFunc f : list) {
    const int r = f(settings_, a, b, tolerant);
    if (r != 0) return r;
  }
  return 0;
}

bool TOraclePool::CheckStop() { return context_.owner && context_.owner->CheckStop(); }

void TOraclePool::Step() {
  if (context_.status) context_.status->Step();
}

void TOraclePool::Drop(TFileInfos* e) {
  if (context_.onDrop) context_.onDrop(*e);
  FreeFileInfos(e);
}

void TOraclePool::DropHead(TFileInfos* e) {
  Drop(e);
  if (contentStage_) Step();
}

void TOraclePool::Prepare(TResultManager& results) {
  int64_t maximum;
  if (settings_.contentOn) {
    contentStage_ = context_.contentStage ? context_.contentStage(results, settings_, context_)
                                          : MakeContentComparer(results, settings_, context_);
    next_ = contentStage_.get();
    maximum = fileCount_;
  } else {
    next_ = &results;
    maximum = groupCount_;
  }
  if (context_.status)
    context_.status->SetMaximum(
        static_cast<int32_t>(std::min<int64_t>(maximum, std::numeric_limits<int32_t>::max())));
}

// ---------------------------------------------------------------------------

void TOraclePool::AddFresh(TFileInfos* entry) {
  switch (kind_) {
    case TPoolKind::PassThru:
      entry->Next = nullptr;
      ++fileCount_;
      ++groupCount_;
      context_.results->AddSet(entry);
      return;
    case TPoolKind::Unsorted:
      entry->Next = nullptr;
      if (listTail_)
        listTail_->Next = entry;
      else
        listHead_ = entry;
      listTail_ = entry;
      ++fileCount_;
      return;
    default: SortedAddFresh(entry);
  }
}

void TOraclePool::AddLibrary(TFileInfos* entry) {
  entry->Flags |= fiflag::kLibrary;
  if (kind_ == TPoolKind::PassThru || kind_ == TPoolKind::Unsorted) {
    hasLibrary_ = true;
    AddFresh(entry);
    return;
  }
  SortedAddLibrary(entry);
}

void TOraclePool::SortedAddFresh(TFileInfos* x) {
  x->Next = nullptr;
  const uint32_t i = BucketOf(*x);
  Bucket* B = buckets_[i];
  // 1. An empty bucket: a new node between the nearest non-empty buckets.
  if (!B) {
    B = new Bucket{nullptr, nullptr, nullptr, nullptr};
    Group* g = new Group{x, x, nullptr};
    B->first = B->last = g;
    for (int64_t k = static_cast<int64_t>(i) - 1; k >= 0; --k)
      if (buckets_[static_cast<size_t>(k)]) {
        B->prev = buckets_[static_cast<size_t>(k)];
        break;
      }
    for (size_t k = i + 1; k < buckets_.size(); ++k)
      if (buckets_[k]) {
        B->next = buckets_[k];
        break;
      }
    if (B->prev) B->prev->next = B;
    if (B->next) B->next->prev = B;
    buckets_[i] = B;
    ++fileCount_;
    ++groupCount_;
    return;
  }
  // 2. Below the first group: a new group at the head.
  if (Primary(*x, *B->first->first, false) < 0) {
    Group* g = new Group{x, x, B->first};
    B->first = g;
    ++fileCount_;
    ++groupCount_;
    return;
  }
  // 3. The last group whose key is not above the entry's.
  Group* g = B->first;
  while (g != B->last && Primary(*g->next->first, *x, false) <= 0) g = g->next;
  if (Primary(*x, *g->first, false) == 0) {
    if (SecondaryList(secondary_, *x, *g->first, false) < 0) {
      x->Next = g->first;
      g->first = x;
    } else {
      TFileInfos* e = g->first;
      while (e->Next && SecondaryList(secondary_, *x, *e->Next, false) > 0) e = e->Next;
      x->Next = e->Next;
      e->Next = x;
      if (g->last == e) g->last = x;
    }
    ++fileCount_;
  } else {
    Group* n = new Group{x, x, g == B->last ? nullptr : g->next};
    g->next = n;
    if (B->last == g) B->last = n;
    ++fileCount_;
    ++groupCount_;
  }
}

void TOraclePool::SortedAddLibrary(TFileInfos* x) {
  x->Next = nullptr;
  const uint32_t i = BucketOf(*x);
  Bucket* B = buckets_[i];
  if (!B) {
    if (!tolerantPrimary_) {
      Drop(x);
      return;
    }
    for (int64_t k = static_cast<int64_t>(i) - 1; k >= 0 && !B; --k) B = buckets_[static_cast<size_t>(k)];
    for (size_t k = i + 1; k < buckets_.size() && !B; ++k) B = buckets_[k];
    if (!B) {
      Drop(x);
      return;
    }
  }
  Group* g = B->first;
  if (Primary(*x, *g->first, false) < 0) {
    if (!tolerantPrimary_) {
      Drop(x);
      return;
    }
    if (B->prev) {
      B = B->prev;
      g = B->last;
    }
  }
  bool inserted = false;
  while (true) {
    const int r = Primary(*x, *g->first, true);
    if (r < 0) break;
    if (r == 0) {
      int r2 = 1;
      TFileInfos* e = g->first;
      while (e) {
        r2 = SecondaryList(secondary_, *x, *e, true);
        if (r2 == 0) {
          x->Next = e->Next;
          e->Next = x;
          if (g->last == e) g->last = x;
          inserted = true;
          break;
        }
        if (r2 < 0) break;
        e = e->Next;
        while (e && e->IsLibrary()) e = e->Next;
      }
      if (inserted || r2 < 0) break;
    }
    if (g != B->last) {
      g = g->next;
    } else {
      if (!tolerantPrimary_ || !B->next) break;
      B = B->next;
      g = B->first;
    }
  }
  if (inserted) {
    ++fileCount_;
    hasLibrary_ = true;
  } else {
    Drop(x);
  }
}

// ---------------------------------------------------------------------------

void TOraclePool::Finish(TResultManager& results) {
  Prepare(results);
  switch (kind_) {
    case TPoolKind::PassThru: Step(); return;
    case TPoolKind::Unsorted: {
      TFileInfos* all = listHead_;
      listHead_ = listTail_ = nullptr;
      if (all) next_->AddSet(all);
      return;
    }
    default: SortedFinish();
  }
}

void TOraclePool::SortedFinish() {
  const bool content = contentStage_ != nullptr;
  // 1. One list of groups in bucket order; the bucket nodes go.
  Group* groups = nullptr;
  Group* lastGroup = nullptr;
  for (Bucket*& b : buckets_) {
    if (!b) continue;
    if (lastGroup)
      lastGroup->next = b->first;
    else
      groups = b->first;
    lastGroup = b->last;
    lastGroup->next = nullptr;
    delete b;
    b = nullptr;
  }
  if (!tolerantPrimary_) {
    // 2. Group by group.
    Group* g = groups;
    while (g) {
      if (CheckStop()) {
        leftover_ = g;
        return;
      }
      if (!secondary_.empty()) {
        SplitList(g->first);
      } else if (g->first->Next == nullptr) {
        DropHead(g->first);
      } else {
        next_->AddSet(g->first);
      }
      Group* n = g->next;
      delete g;
      if (!content) Step();
      g = n;
    }
    return;
  }
  // 3. Tolerant primary: one entry list of all groups.
  std::vector<TCompareFunc> list{primary_};
  if (!secondary_.empty()) list.push_back(secondary_[0]);
  secondary_ = list;
  TFileInfos* head = nullptr;
  TFileInfos* tail = nullptr;
  for (Group* g = groups; g;) {
    if (tail)
      tail->Next = g->first;
    else
      head = g->first;
    tail = g->first;
    while (tail->Next) tail = tail->Next;
    Group* n = g->next;
    delete g;
    if (!content) Step();
    g = n;
  }
  SplitList(head);
}

void TOraclePool::SplitList(TFileInfos* h) {
  auto matches = [&](TFileInfos* head, TFileInfos* e) {
    return SecondaryList(secondary_, *head, *e, true) == 0;
  };
  auto freeRest = [&](TFileInfos* e) {
    while (e) {
      TFileInfos* n = e->Next;
      Drop(e);
      e = n;
    }
  };
  if (!hasLibrary_) {
    while (h) {
      if (CheckStop()) {
        freeRest(h);
        return;
      }
      TFileInfos* s = h->Next;
      if (!s) {
        DropHead(h);
        return;
      }
      if (!matches(h, s)) {
        DropHead(h);
        h = s;
        continue;
      }
      TFileInfos* c = s;
      while (c->Next && matches(h, c->Next)) c = c->Next;
      TFileInfos* rest = c->Next;
      c->Next = nullptr;
      next_->AddSet(h);
      h = rest;
    }
    return;
  }
  TFileInfos* c = h;
  while (h) {
    if (CheckStop()) {
      freeRest(h);
      return;
    }
    TFileInfos* p = nullptr;
    // 1. The library files behind the cursor are not compared.
    while (c->Next && c->Next->IsLibrary()) c = c->Next;
    // 2. Take what matches the head.
    while (c->Next && matches(h, c->Next)) {
      if (!c->Next->IsLibrary()) p = c;
      c = c->Next;
    }
    // 3. Where to cut.
    TFileInfos* n = c->Next;
    TFileInfos* cut = (n && n->IsLibrary()) ? p : c;
    // 4. The next head and cursor.
    TFileInfos* nextHead = cut->Next;
    TFileInfos* nextCursor = n;
    // 5. Drop a lone head, else hand on the set.
    if (cut == h) {
      DropHead(h);
    } else {
      cut->Next = nullptr;
      next_->AddSet(h);
    }
    h = nextHead;
    c = nextCursor;
  }
}

}  // namespace zw::oracle
