// The proof that a checked file has a copy that stays. Before a file is
// deleted, recycled, moved or replaced by a shortcut, one of the unchecked
// entries of its set must show, at that moment, that it holds the file's
// bytes without being the file itself:
//  - a file on disk: another file (not the same one under a second name,
//    which a hard link, a linked folder or a folder mounted twice would be)
//    whose bytes are read to the end of both and are the same;
//  - a member of a ZIP archive: it unpacks to the same bytes, and to the size
//    and CRC32 that its archive records;
//  - an entry of a catalog file, whose disk may be offline: trusted when it
//    records the file's size (and CRC32, when it has one), unless the path it
//    was written from is the checked file itself.
// Archive and catalog entries of list rows show only the file's name; their
// full path is found among the rows of the folder lists.
//
//   TKeptCopies copies(model);
//   std::string why;
//   if (const TResultEntry* copy = copies.Find(entry, keptEntriesOfItsSet, why)) ... act
//   else log why, leave the file alone
#pragma once
#include <string>
#include <unordered_map>
#include <vector>

#include "app/window_model.h"
#include "engine/dupes/result_list.h"
#include "platform/files.h"

namespace zw {

class TKeptCopies {
 public:
  explicit TKeptCopies(const TWindowModel& model) : model_(model) {}

  // The first of `kept` (files on disk first, then ZIP members, then catalog
  // entries, each in the given order) that proves to be a copy of `checked`;
  // null when none does, with `why` saying why (a text for the log).
  // Without `zipMembers` or `catalogEntries` those kinds do not count (a
  // shortcut cannot point into a catalog).
  const TResultEntry* Find(const TResultEntry& checked, const std::vector<const TResultEntry*>& kept,
                           std::string& why, bool zipMembers = true, bool catalogEntries = true);

  // The archive or catalog file an entry lies in, and the entry's folder
  // within it: every file that may be it (a row shows a full path, an entry
  // of a list row only the file's name). Empty when none is found.
  std::vector<std::string> ContainerPaths(const TResultEntry& entry, std::string& inner) const;

 private:
  enum class TOutcome { Copy, NotCopy };
  TOutcome TryFile(platform::File& file, const platform::FileId& id, uint64_t size,
                   const TResultEntry& kept, std::string& why);
  TOutcome TryZipMember(platform::File& file, uint64_t size, const TResultEntry& kept,
                        std::string& why);
  TOutcome TryCatalogEntry(platform::File& file, const platform::FileId& id, uint64_t size,
                           const TResultEntry& checked, const TResultEntry& kept,
                           std::string& why);
  const std::unordered_map<std::string, std::string>* Origins(const std::string& catalog);

  const TWindowModel& model_;
  // Folder origins of the catalogs read so far, by catalog path.
  std::unordered_map<std::string, std::unordered_map<std::string, std::string>> origins_;
  std::unordered_map<std::string, bool> originsRead_;
};

}  // namespace zw
