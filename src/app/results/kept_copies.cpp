#include "app/results/kept_copies.h"

#include "app/text/string_table.h"
#include "app/text/text_format.h"
#include "app/text_ids.h"
#include "engine/common/byte_source.h"
#include "engine/common/file_checksum.h"
#include "engine/scan/catalog_file.h"
#include "engine/scan/zip_member.h"
#include "platform/paths.h"

namespace zw {

namespace {

bool IsZipMember(const TResultEntry& e) { return (e.Flags & reflag::kInZip) != 0; }

// Opens a file for reading with its identity and size, as they are now.
bool OpenWithIdentity(const std::string& path, platform::File& file, platform::FileId& id,
                      uint64_t& size, platform::OsError& err) {
  uint32_t links = 0;
  return file.OpenRead(path, err) && file.Identity(id, links, err) && file.Size(size, err);
}

// Whether two names lead to one file: the same full path, the same path
// with links resolved, or the same identity.
bool SameFileNamed(const std::string& a, const std::string& b, const platform::FileId& idB) {
  if (platform::SamePath(platform::FullPath(a), platform::FullPath(b))) return true;
  const std::string realA = platform::RealPath(a);
  if (!realA.empty() && platform::SamePath(realA, platform::RealPath(b))) return true;
  platform::FileId idA;
  platform::OsError err;
  return platform::GetFileId(a, idA, err) && idA == idB;
}

}  // namespace

std::vector<std::string> TKeptCopies::ContainerPaths(const TResultEntry& entry,
                                                     std::string& inner) const {
  std::vector<std::string> paths;
  const std::string& path = entry.Path;
  const std::string mark = std::string(">") + platform::kPathSep;
  // A '>' may be part of a folder's name on POSIX: every place where one
  // is followed by a separator is tried, from the left.
  for (size_t at = path.find(mark); at != std::string::npos; at = path.find(mark, at + 1)) {
    const std::string container = path.substr(0, at);
    inner = path.substr(at + mark.size());
    if (platform::IsAbsolutePath(container)) {
      if (platform::FileExists(container)) paths.push_back(container);
    } else if (container.find(platform::kPathSep) == std::string::npos) {
      // An entry of a list row: the row with that file name.
      for (TFolderList list : {TFolderList::Fresh, TFolderList::Library}) {
        for (const TDirRow& row : model_.Folders(list).rows) {
          if (IsFolderState(row.state)) continue;
          if (platform::SamePath(platform::ExtractFileName(row.caption), container) &&
              platform::FileExists(row.caption))
            paths.push_back(row.caption);
        }
      }
    }
    if (!paths.empty()) return paths;
  }
  inner.clear();
  return paths;
}

const TResultEntry* TKeptCopies::Find(const TResultEntry& checked,
                                      const std::vector<const TResultEntry*>& kept,
                                      std::string& why, bool zipMembers, bool catalogEntries) {
  why.clear();
  if (kept.empty()) {
    why = Str(strWhyNoneKept);
    return nullptr;
  }
  platform::File file;
  platform::OsError err;
  platform::FileId id;
  uint64_t size = 0;
  if (!OpenWithIdentity(checked.FullName(), file, id, size, err)) {
    why = Format(Str(strWhyUnreadable), {TFmtArg(int64_t{err.code})});
    return nullptr;
  }
  // Files on disk, then ZIP members, then catalog entries.
  for (int pass = 0; pass < 3; ++pass) {
    if ((pass == 1 && !zipMembers) || (pass == 2 && !catalogEntries)) continue;
    for (const TResultEntry* k : kept) {
      const int kind = !k->InArchive() ? 0 : IsZipMember(*k) ? 1 : 2;
      if (kind != pass) continue;
      std::string reason;
      const TOutcome outcome = kind == 0   ? TryFile(file, id, size, *k, reason)
                               : kind == 1 ? TryZipMember(file, size, *k, reason)
                                           : TryCatalogEntry(file, id, size, checked, *k, reason);
      if (outcome == TOutcome::Copy) return k;
      // The first particular reason says most; plain differences go last.
      if (why.empty() && !reason.empty()) why = reason;
    }
  }
  if (why.empty()) why = Str(strWhyNoSameBytes);
  return nullptr;
}

TKeptCopies::TOutcome TKeptCopies::TryFile(platform::File& file, const platform::FileId& id,
                                           uint64_t size, const TResultEntry& kept,
                                           std::string& why) {
  platform::File other;
  platform::OsError err;
  platform::FileId otherId;
  uint64_t otherSize = 0;
  if (!OpenWithIdentity(kept.FullName(), other, otherId, otherSize, err)) return TOutcome::NotCopy;
  if (otherId == id) {
    why = Format(Str(strWhySameFile), {TFmtArg(kept.FullName())});
    return TOutcome::NotCopy;
  }
  if (otherSize != size) return TOutcome::NotCopy;
  TFileByteSource a(file), b(other);
  return CompareByteSources(a, b) == TSameBytes::Same ? TOutcome::Copy : TOutcome::NotCopy;
}

TKeptCopies::TOutcome TKeptCopies::TryZipMember(platform::File& file, uint64_t size,
                                                const TResultEntry& kept, std::string& why) {
  std::string inner;
  const std::vector<std::string> archives = ContainerPaths(kept, inner);
  if (archives.empty()) {
    why = Format(Str(strWhyContainerMissing), {TFmtArg(kept.FullName())});
    return TOutcome::NotCopy;
  }
  for (const std::string& archive : archives) {
    TZipMemberSource member;
    if (!member.Open(archive, inner, kept.Name.str())) continue;
    if (member.Size() != size) continue;
    TFileByteSource source(file);
    switch (CompareByteSources(member, source)) {
      case TSameBytes::Same: return TOutcome::Copy;
      case TSameBytes::ReadFailed:
        if (why.empty()) why = Format(Str(strWhyArchiveUnreadable), {TFmtArg(kept.FullName())});
        break;
      case TSameBytes::Different: break;
    }
  }
  if (why.empty()) why = Format(Str(strWhyArchiveUnreadable), {TFmtArg(kept.FullName())});
  return TOutcome::NotCopy;
}

const std::unordered_map<std::string, std::string>* TKeptCopies::Origins(
    const std::string& catalog) {
  const std::string key = platform::PathKey(catalog);
  if (!originsRead_[key]) {
    originsRead_[key] = true;
    if (!ReadCatalogOrigins(catalog, origins_[key])) origins_.erase(key);
  }
  const auto found = origins_.find(key);
  return found == origins_.end() ? nullptr : &found->second;
}

TKeptCopies::TOutcome TKeptCopies::TryCatalogEntry(platform::File& file,
                                                   const platform::FileId& id, uint64_t size,
                                                   const TResultEntry& checked,
                                                   const TResultEntry& kept, std::string& why) {
  std::string inner;
  const std::vector<std::string> catalogs = ContainerPaths(kept, inner);
  for (const std::string& catalog : catalogs) {
    const auto* origins = Origins(catalog);
    if (!origins) continue;
    const std::string shown =
        platform::ExtractFileName(catalog) + ">" + platform::kPathSep + inner;
    const auto folder = origins->find(shown);
    if (folder == origins->end()) continue;
    // Written from the checked file itself, the entry is no copy of it.
    const std::string origin = folder->second + kept.Name;
    if (SameFileNamed(origin, checked.FullName(), id)) {
      why = Format(Str(strWhyCatalogSelf), {TFmtArg(kept.FullName())});
      return TOutcome::NotCopy;
    }
    if (kept.Size != size) return TOutcome::NotCopy;
    if ((kept.Flags & reflag::kCrcValid) != 0) {
      uint32_t crc = 0;
      platform::OsError err;
      if (!FileCrc32(file, size, crc, err) || crc != kept.Crc) return TOutcome::NotCopy;
    }
    return TOutcome::Copy;
  }
  // Without its catalog, whether the entry was written from this very file
  // cannot be told: it proves nothing.
  if (why.empty()) why = Format(Str(strWhyContainerMissing), {TFmtArg(kept.FullName())});
  return TOutcome::NotCopy;
}

}  // namespace zw
