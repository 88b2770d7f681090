// What one scan is made of besides the file entries: the folder lists with
// their row states and the three filters (attributes, size, name masks) that
// decide which files become entries.
//
// The run driver fills these objects from the scan options page and hands
// them to the browse thread, which owns them for the rest of the scan. None
// of them knows a window: the page supplies plain values (rows, flags,
// numbers).
//
// Typical use by the browse thread:
//   for (const TDir& dir : fresh.Included()) {
//     // dir.state: dsSingle, dsRecursive or dsArchive; dir.path ends with the
//     // separator for folders and is the file path for archives/catalogs.
//     attrib.ExcludeFolders(dir.state == dsSingle);
//     ... for each subfolder path `sub` (with trailing separator):
//         if (fresh.IsExcluded(sub)) skip it and everything below it;
//     ... for each file: attrib.Accept(attr) && (size.mode == fmIgnore ||
//         size.Accept(bytes)) && names.Accept(name)  -> push an entry,
//         ++fresh.filesFound.
//   }
#pragma once
#include <atomic>
#include <cstdint>
#include <iterator>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "engine/common/criteria_options.h"
#include "engine/scan/mask.h"

namespace zw {

// State of a folder list row: the row's state image. These values are stored
// in the settings and produced by script commands, so they never change.
enum TDirState : uint8_t {
  dsSingle = 0,           // folder: its own files, no subfolders
  dsRecursive = 1,        // folder with all its subfolders
  dsExclude = 2,          // folder skipped with everything below it (same list only)
  dsInactive = 3,         // folder ignored
  dsArchive = 4,          // archive or catalog file: its entries are scanned
  dsArchiveInactive = 5,  // archive or catalog file ignored
};

// True for the states of folder rows (0..3), false for archive/catalog rows.
constexpr bool IsFolderState(uint8_t state) { return state < dsArchive; }

// One folder (or archive/catalog file) of a TDirectories.
struct TDir {
  uint8_t state = dsSingle;
  std::string path;
  TDir* next = nullptr;  // next TDir of the same list; null at the end
};

// One row of a folder list box: caption (the path) and state.
struct TDirRow {
  std::string caption;
  uint8_t state = dsSingle;
};

// Forward range over a chain of TDir linked through `next`.
class TDirChain {
 public:
  class iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = TDir;
    using difference_type = std::ptrdiff_t;
    using pointer = const TDir*;
    using reference = const TDir&;
    iterator() = default;
    explicit iterator(const TDir* d) : d_(d) {}
    reference operator*() const { return *d_; }
    pointer operator->() const { return d_; }
    iterator& operator++() {
      d_ = d_->next;
      return *this;
    }
    iterator operator++(int) {
      iterator old = *this;
      d_ = d_->next;
      return old;
    }
    bool operator==(const iterator&) const = default;

   private:
    const TDir* d_ = nullptr;
  };
  explicit TDirChain(const TDir* head) : head_(head) {}
  iterator begin() const { return iterator(head_); }
  iterator end() const { return iterator(); }
  bool empty() const { return head_ == nullptr; }

 private:
  const TDir* head_;
};

// One folder list (fresh or library) as the browse thread walks it.
//   included: rows of states 0, 1 and 4 in list order, paths as given (folder
//             paths with a trailing separator added);
//   excluded: rows of state 2, newest first, stored as the platform's path
//             key (lower case on Windows, the bytes themselves on POSIX) with a
//             trailing separator.
class TDirectories {
 public:
  TDirectories() = default;
  ~TDirectories();
  TDirectories(const TDirectories&) = delete;
  TDirectories& operator=(const TDirectories&) = delete;

  // Adds one row. Folder states (below 4) get a trailing separator when the
  // path has none. dsExclude: the path key goes to the head of the excluded
  // list. dsSingle, dsRecursive, dsArchive: the path is appended to the
  // included list and IncludedCount() grows by one. The inactive states (3,
  // 5) and unknown values add nothing; the result tells whether a TDir was
  // made.
  bool Add(uint8_t state, std::string_view path);
  // Add(row.state, row.caption) for every row in order, except inactive ones.
  void FillFromList(std::span<const TDirRow> rows);
  // True when `folderPath` (with its trailing separator) is an excluded
  // folder itself, by the platform's path identity and exact length: an
  // excluded /a/b/ does not exclude /a/bc/, and it excludes /a/b/c/ only in
  // that the browse thread never descends into /a/b/.
  bool IsExcluded(std::string_view folderPath) const;
  // Empties both lists; the counters go back to zero.
  void Clear();

  TDirChain Included() const { return TDirChain(includedHead_); }
  TDirChain Excluded() const { return TDirChain(excludedHead_); }
  const TDir* FirstIncluded() const { return includedHead_; }
  const TDir* FirstExcluded() const { return excludedHead_; }
  // Number of included rows; the progress maximum of browsing is the sum
  // over both lists.
  int32_t IncludedCount() const { return includedCount_; }

  // File entries produced from this list: counted by the browse thread, read
  // by the run driver and the end-of-browse report (also while browsing).
  std::atomic<int32_t> filesFound{0};

 private:
  TDir* includedHead_ = nullptr;
  TDir* includedTail_ = nullptr;
  TDir* excludedHead_ = nullptr;
  int32_t includedCount_ = 0;
};

// Mode of the attribute and size filters: the radio buttons "ignore",
// "exclude", "limit to".
enum TFilterMode : uint8_t { fmIgnore = 0, fmExclude = 1, fmLimitTo = 2 };

// Attribute filter: a file passes when none of notMask's bits and all of
// mustMask's bits are set. Both masks are zero for "ignore".
class TAttribFilter {
 public:
  uint32_t notMask = 0;
  uint32_t mustMask = 0;

  // fmExclude: notMask = mask; fmLimitTo: mustMask = mask; else both zero.
  void Set(uint8_t mode, uint32_t mask);
  bool Accept(uint32_t attr) const {
    return (attr & notMask) == 0 && (attr & mustMask) == mustMask;
  }
  // Sets (single folder: no subfolder may pass) or clears (recursive folder)
  // the folder bit 0x10 of notMask; the rest of notMask is kept.
  void ExcludeFolders(bool on);

  // Mode from the three radio buttons: "ignore" checked -> fmIgnore; else
  // "exclude" checked -> fmExclude; else fmLimitTo ("limit to" is whatever
  // remains, its own state is not consulted).
  static uint8_t ModeFromRadios(bool ignore, bool exclude, bool limitTo);
  // Mask from the four check boxes: read only 0x01, hidden 0x02, system
  // 0x04, archive 0x20; with no box checked the "normal" bit 0x80.
  static uint32_t MaskFromBoxes(bool readOnly, bool hidden, bool archive, bool system);
};

// Size filter over an inclusive range of bytes.
class TSizeFilter {
 public:
  static constexpr uint64_t kMaxSize = 0x7FFFFFFFFFFFFFFFull;  // 2^63 - 1

  uint8_t mode = fmIgnore;
  uint64_t low = 0;
  uint64_t high = 0;

  // Stores the values. When content is compared over a range that needs a
  // minimum file size m (bytes N to M: M + 1; first/last N bytes: N; the
  // complete file: none), the filter is adjusted so that smaller files are
  // left out where one range can say so:
  //   ignore   -> limit to [m, 2^63 - 1];
  //   exclude  -> if low < m: low = 0; then if high < m: high = m - 1;
  //   limit to -> if low < m: low = m.
  // Negative N or M (a damaged record) count as 0.
  void Set(uint8_t mode, uint64_t low, uint64_t high, bool contentSelected,
           const TAdvContentOptions& content);
  // fmExclude: size outside [low, high]; fmLimitTo: inside; fmIgnore: true
  // (callers may skip the test for fmIgnore).
  bool Accept(uint64_t size) const;

  // The smallest file size the content range can read; 0 when it has none.
  static uint64_t ContentMinimum(const TAdvContentOptions& content);
};

// Name filter: minimum length, limit masks, exclude masks.
class TNameFilter {
 public:
  TNameFilter() = default;
  TNameFilter(const TNameFilter&) = delete;
  TNameFilter& operator=(const TNameFilter&) = delete;

  // Compiles the checked rows of both lists (a list without a checked row is
  // absent). Minimum length: 0, or N when the file name criterion is on and
  // its mode is 1 (chars N to M: shorter names would all get the same empty
  // key) or 2. Throws EMaskError for an invalid checked row (nothing
  // changes then).
  void Set(std::span<const TMaskRow> limitRows, std::span<const TMaskRow> excludeRows,
           const TAdvFilenameOptions& filename, bool filenameSelected);
  void Set(std::span<const TMaskRow> limitRows, std::span<const TMaskRow> excludeRows,
           const TAdvFilenameOptions& filename, bool filenameSelected,
           const TLeadByteTable* leadBytes);
  // False when the name is shorter than the minimum, when a limit list
  // exists and no mask of it matches, or when an exclude list exists and a
  // mask of it matches; true otherwise.
  bool Accept(std::string_view name) const;

  const TMaskList* LimitList() const { return limit_.get(); }
  const TMaskList* ExcludeList() const { return exclude_.get(); }
  int32_t MinLength() const { return minLength_; }

 private:
  std::unique_ptr<TMaskList> limit_;
  std::unique_ptr<TMaskList> exclude_;
  int32_t minLength_ = 0;
};

}  // namespace zw
