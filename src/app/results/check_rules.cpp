#include "app/results/check_rules.h"
#include "app/text_ids.h"

namespace zw {

namespace {

bool SameSet(const TResultEntry* a, const TResultEntry* b) {
  return ((a->Flags ^ b->Flags) & reflag::kShaded) == 0;
}

bool IsSelected(const TResultEntry* e) { return (e->Flags & reflag::kSelected) != 0; }

void Toggle(TResultList& list, TResultEntry* e) {
  if (e->IsChecked())
    list.Uncheck(e);
  else
    list.Check(e);
}

void Apply(TResultList& list, TResultEntry* e, uint8_t mode) {
  switch (mode) {
    case cmUncheck: list.Uncheck(e); break;
    case cmCheck: list.Check(e); break;
    case cmInvert: Toggle(list, e); break;
    default: break;
  }
}

}  // namespace

int32_t NthOfSetIndex(TResultList& list, int32_t index, int n) {
  TResultList::TGuard guard(list);
  const int32_t start = SetStartOf(list, index);
  if (start < 0 || n < 0) return -1;
  const int32_t count = list.ItemCount();
  int32_t i = start;
  for (int k = 0; k < n; ++k) {
    if (i + 1 >= count || !SameSet(list.Item(i), list.Item(i + 1))) return -1;
    ++i;
  }
  return i;
}

bool TCheckCriteria::Matches(const TResultEntry& entry) const {
  if (selectedOnly && !IsSelected(&entry)) return false;
  if ((criteria & cbc::kFilename) && (!filenameMask || !filenameMask->Matches(entry.Name)))
    return false;
  if ((criteria & cbc::kPath) && (!pathMask || !pathMask->Matches(entry.Path))) return false;
  if ((criteria & cbc::kDate) && (entry.Time < dateFrom || entry.Time > dateTo)) return false;
  if ((criteria & cbc::kSize) && (entry.Size < sizeFrom || entry.Size > sizeTo)) return false;
  return true;
}

void CheckAll(TResultList& list, uint8_t mode) {
  TResultList::TGuard guard(list);
  for (TResultEntry* e : list.Items()) {
    // An archive entry can never be checked, not even one that came checked
    // from elsewhere.
    if (e->InArchive())
      list.Uncheck(e);
    else
      Apply(list, e, mode);
  }
  // Count afresh, so the totals hold even if they had drifted before.
  list.Recount();
}

void CheckSelected(TResultList& list, uint8_t mode) {
  TResultList::TGuard guard(list);
  for (TResultEntry* e : list.Items())
    if (IsSelected(e)) Apply(list, e, mode);
}

void CheckFirstOfSets(TResultList& list, bool check, bool selectedOnly) {
  TResultList::TGuard guard(list);
  const auto items = list.Items();
  for (size_t i = 0; i + 1 < items.size(); ++i) {
    if (!SameSet(items[i], items[i + 1])) continue;
    if (selectedOnly && !IsSelected(items[i])) continue;
    Apply(list, items[i], check ? cmCheck : cmUncheck);
  }
}

void CheckLastOfSets(TResultList& list, bool check, bool selectedOnly) {
  TResultList::TGuard guard(list);
  const auto items = list.Items();
  for (size_t i = 1; i < items.size(); ++i) {
    if (!SameSet(items[i - 1], items[i])) continue;
    if (selectedOnly && !IsSelected(items[i])) continue;
    Apply(list, items[i], check ? cmCheck : cmUncheck);
  }
}

void CheckWholeSet(TResultList& list, bool check, int32_t index) {
  TResultList::TGuard guard(list);
  const int32_t start = SetStartOf(list, index);
  if (start < 0) return;
  const int32_t count = list.ItemCount();
  for (int32_t i = start; i < count; ++i) {
    if (i > start && !SameSet(list.Item(i - 1), list.Item(i))) break;
    Apply(list, list.Item(i), check ? cmCheck : cmUncheck);
  }
}

int32_t CheckNthOfSet(TResultList& list, uint8_t mode, int32_t index, int n) {
  TResultList::TGuard guard(list);
  const int32_t target = NthOfSetIndex(list, index, n);
  if (target >= 0) Apply(list, list.Item(target), mode);
  return target;
}

void CheckByCriteria(TResultList& list, bool check, const TCheckCriteria& criteria) {
  TResultList::TGuard guard(list);
  for (TResultEntry* e : list.Items())
    if (criteria.Matches(*e)) Apply(list, e, check ? cmCheck : cmUncheck);
}

bool ToggleEntry(TResultList& list, int32_t index) {
  TResultList::TGuard guard(list);
  TResultEntry* e = list.Item(index);
  if (!e || e->InArchive()) return false;
  Toggle(list, e);
  return true;
}

int32_t SelectedCount(TResultList& list) {
  TResultList::TGuard guard(list);
  int32_t n = 0;
  for (const TResultEntry* e : list.Items())
    if (IsSelected(e)) ++n;
  return n;
}

int32_t SetStartOf(TResultList& list, int32_t index) {
  TResultList::TGuard guard(list);
  if (index < 0 || index >= list.ItemCount()) return -1;
  while (index > 0 && SameSet(list.Item(index - 1), list.Item(index))) --index;
  return index;
}

int32_t NextSetStart(TResultList& list, int32_t index) {
  TResultList::TGuard guard(list);
  const int32_t count = list.ItemCount();
  if (index < 0 || index >= count) return -1;
  while (index + 1 < count && SameSet(list.Item(index), list.Item(index + 1))) ++index;
  return index + 1 < count ? index + 1 : -1;
}

bool RunCheckRule(TResultList& list, TCheckRule rule, bool check, IMessenger& msgr) {
  // Each rule takes the lock itself; the message box is shown without it.
  switch (rule) {
    case TCheckRule::All: CheckAll(list, check ? cmCheck : cmUncheck); return true;
    case TCheckRule::Selected:
      if (SelectedCount(list) == 0) {
        msgr.ShowMsg(msgNoFilesSelected);
        return false;
      }
      CheckSelected(list, check ? cmCheck : cmUncheck);
      return true;
    case TCheckRule::First: CheckFirstOfSets(list, check, false); return true;
    case TCheckRule::Last: CheckLastOfSets(list, check, false); return true;
  }
  return false;
}

}  // namespace zw
