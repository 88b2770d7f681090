#include "engine/scan/scan_job.h"

#include "platform/files.h"
#include "platform/paths.h"

namespace zw {

namespace {

void FreeChain(TDir* head) {
  while (head) {
    TDir* next = head->next;
    delete head;
    head = next;
  }
}

}  // namespace

// --- TDirectories ---------------------------------------------------------

TDirectories::~TDirectories() { Clear(); }

void TDirectories::Clear() {
  FreeChain(includedHead_);
  FreeChain(excludedHead_);
  includedHead_ = includedTail_ = excludedHead_ = nullptr;
  includedCount_ = 0;
  filesFound = 0;
}

bool TDirectories::Add(uint8_t state, std::string_view path) {
  if (state == dsInactive || state >= dsArchiveInactive) return false;
  auto dir = std::make_unique<TDir>();
  dir->state = state;
  dir->path = IsFolderState(state) ? platform::IncludeTrailingSep(path) : std::string(path);
  if (state == dsExclude) {
    dir->path = platform::PathKey(dir->path);
    dir->next = excludedHead_;
    excludedHead_ = dir.release();
    return true;
  }
  TDir* d = dir.release();
  if (includedTail_)
    includedTail_->next = d;
  else
    includedHead_ = d;
  includedTail_ = d;
  ++includedCount_;
  return true;
}

void TDirectories::FillFromList(std::span<const TDirRow> rows) {
  for (const TDirRow& row : rows)
    if (row.state != dsInactive && row.state != dsArchiveInactive) Add(row.state, row.caption);
}

bool TDirectories::IsExcluded(std::string_view folderPath) const {
  if (!excludedHead_) return false;
  const std::string key = platform::PathKey(folderPath);
  for (const TDir* d = excludedHead_; d; d = d->next)
    if (d->path == key) return true;
  return false;
}

// --- TAttribFilter --------------------------------------------------------

void TAttribFilter::Set(uint8_t mode, uint32_t mask) {
  notMask = mustMask = 0;
  if (mode == fmExclude)
    notMask = mask;
  else if (mode == fmLimitTo)
    mustMask = mask;
}

void TAttribFilter::ExcludeFolders(bool on) {
  if (on)
    notMask |= platform::attr::kDirectory;
  else
    notMask &= ~platform::attr::kDirectory;
}

uint8_t TAttribFilter::ModeFromRadios(bool ignore, bool exclude, bool /*limitTo*/) {
  if (ignore) return fmIgnore;
  if (exclude) return fmExclude;
  return fmLimitTo;
}

uint32_t TAttribFilter::MaskFromBoxes(bool readOnly, bool hidden, bool archive, bool system) {
  uint32_t mask = 0;
  if (readOnly) mask |= platform::attr::kReadOnly;
  if (hidden) mask |= platform::attr::kHidden;
  if (system) mask |= platform::attr::kSystem;
  if (archive) mask |= platform::attr::kArchive;
  return mask ? mask : platform::attr::kNormal;
}

// --- TSizeFilter ----------------------------------------------------------

uint64_t TSizeFilter::ContentMinimum(const TAdvContentOptions& content) {
  switch (content.range) {
    case acBytesNToM:
    case acBytesNToMFromEnd:  // bytes N..M need a file of M + 1 bytes
      return content.M < 0 ? 0 : static_cast<uint64_t>(content.M) + 1;
    case acFirstN:
    case acLastN:
      return content.N < 0 ? 0 : static_cast<uint64_t>(content.N);
    default:
      return 0;
  }
}

void TSizeFilter::Set(uint8_t newMode, uint64_t newLow, uint64_t newHigh, bool contentSelected,
                      const TAdvContentOptions& content) {
  mode = newMode;
  low = newLow;
  high = newHigh;
  if (!contentSelected) return;
  if (content.range < acBytesNToM || content.range > acLastN) return;
  const uint64_t m = ContentMinimum(content);
  switch (mode) {
    case fmIgnore:
      mode = fmLimitTo;
      low = m;
      high = kMaxSize;
      break;
    case fmExclude:
      if (low < m) low = 0;
      if (high < m) high = m - 1;
      break;
    case fmLimitTo:
      if (low < m) low = m;
      break;
    default:
      break;
  }
}

bool TSizeFilter::Accept(uint64_t size) const {
  const bool inside = low <= size && size <= high;
  switch (mode) {
    case fmExclude:
      return !inside;
    case fmLimitTo:
      return inside;
    default:
      return true;
  }
}

// --- TNameFilter ----------------------------------------------------------

void TNameFilter::Set(std::span<const TMaskRow> limitRows, std::span<const TMaskRow> excludeRows,
                      const TAdvFilenameOptions& filename, bool filenameSelected) {
  Set(limitRows, excludeRows, filename, filenameSelected, SystemLeadBytes());
}

void TNameFilter::Set(std::span<const TMaskRow> limitRows, std::span<const TMaskRow> excludeRows,
                      const TAdvFilenameOptions& filename, bool filenameSelected,
                      const TLeadByteTable* leadBytes) {
  auto limit = std::make_unique<TMaskList>(limitRows, leadBytes);
  auto exclude = std::make_unique<TMaskList>(excludeRows, leadBytes);
  limit_ = limit->Empty() ? nullptr : std::move(limit);
  exclude_ = exclude->Empty() ? nullptr : std::move(exclude);
  minLength_ = 0;
  // Mode 2 is never produced by the dialog; it is taken like mode 1.
  if (filenameSelected && (filename.mode == afnCharsNToM || filename.mode == 2))
    minLength_ = filename.N;
}

bool TNameFilter::Accept(std::string_view name) const {
  if (minLength_ > 0 && name.size() < static_cast<size_t>(minLength_)) return false;
  if (limit_ && !limit_->Matches(name)) return false;
  if (exclude_ && exclude_->Matches(name)) return false;
  return true;
}

}  // namespace zw
