// The rules that check files in the result list: all, selected, first or
// last of each set, whole set, n-th of a set, by criteria, one entry.
//
// A set is a run of neighbouring entries with the same set-shading flag
// (reflag::kShaded); a boundary lies wherever the flag changes. Every rule
// takes the list's lock for its whole run and checks and unchecks through
// TResultList::Check / Uncheck, so the checked count and size stay equal to
// the checked entries, and entries inside an archive or catalog file are
// never checked.
#pragma once
#include <cstdint>
#include <optional>

#include "engine/common/messages.h"
#include "engine/dupes/result_list.h"
#include "engine/scan/mask.h"
#include "platform/filetime.h"
#include "app/text_ids.h"

namespace zw {

// Direction of a rule: uncheck, check, or toggle each entry.
enum TCheckMode : uint8_t { cmUncheck = 0, cmCheck = 1, cmInvert = 2 };

// Bits of TCheckCriteria::criteria.
namespace cbc {
constexpr uint8_t kFilename = 0x01;  // the file-name mask must match the name
constexpr uint8_t kPath = 0x02;      // the path mask must match the path
constexpr uint8_t kDate = 0x04;      // dateFrom <= time <= dateTo
constexpr uint8_t kSize = 0x08;      // sizeFrom <= size <= sizeTo
}  // namespace cbc

// What "check by criteria" looks for. Every criterion whose bit is set must
// hold; a criterion whose mask is missing matches nothing.
struct TCheckCriteria {
  uint8_t criteria = 0;
  bool selectedOnly = false;           // only selected entries take part
  std::optional<TMask> filenameMask;   // matched against the entry's name
  std::optional<TMask> pathMask;       // matched against the entry's path
  uint64_t sizeFrom = 0;               // bytes, inclusive
  uint64_t sizeTo = 0;                 // bytes, inclusive
  platform::FileTime dateFrom = 0;     // local time, inclusive
  platform::FileTime dateTo = 0;       // local time, inclusive

  bool Matches(const TResultEntry& entry) const;
};

// Mode 0 unchecks every entry, mode 1 checks every entry outside archives,
// mode 2 toggles every entry outside archives. Archive entries end up
// unchecked in every mode.
void CheckAll(TResultList& list, uint8_t mode);
// The same for the selected entries only.
void CheckSelected(TResultList& list, uint8_t mode);
// Every entry whose next neighbour belongs to the same set (all but the last
// of each set); with `selectedOnly` only the selected ones among them.
void CheckFirstOfSets(TResultList& list, bool check, bool selectedOnly);
// Every entry whose previous neighbour belongs to the same set (all but the
// first of each set); with `selectedOnly` only the selected ones among them.
void CheckLastOfSets(TResultList& list, bool check, bool selectedOnly);
// Every entry of the set holding the entry at `index` (nothing when out of
// range).
void CheckWholeSet(TResultList& list, bool check, int32_t index);
// The entry `n` places (0-based) after the first entry of the set holding
// the entry at `index`, when it still belongs to that set. Returns its index,
// or -1 when there is no such entry (nothing changes then).
int32_t CheckNthOfSet(TResultList& list, uint8_t mode, int32_t index, int n);
// Every entry that matches the criteria.
void CheckByCriteria(TResultList& list, bool check, const TCheckCriteria& criteria);
// Toggles the entry at `index`. False (and nothing changes) for an entry
// inside an archive or catalog, whose hint the caller shows instead, and for
// an index out of range.
bool ToggleEntry(TResultList& list, int32_t index);

// Number of entries with the selected flag.
int32_t SelectedCount(TResultList& list);
// First entry of the set holding `index`; -1 when out of range.
int32_t SetStartOf(TResultList& list, int32_t index);
// First entry of the set after the one holding `index`; -1 when it is the
// last set or `index` is out of range.
int32_t NextSetStart(TResultList& list, int32_t index);
// Index of the entry `n` places after the first entry of the set holding
// `index`, or -1 when the set is shorter.
int32_t NthOfSetIndex(TResultList& list, int32_t index, int n);

// The toolbar buttons and the script command checkall / checkselected /
// checkfirst / checklast. "Selected" with no entry selected shows
// msgNoFilesSelected and changes nothing (result false); everything else
// gives true.
enum class TCheckRule : uint8_t { All, Selected, First, Last };
bool RunCheckRule(TResultList& list, TCheckRule rule, bool check, IMessenger& msgr);

}  // namespace zw
