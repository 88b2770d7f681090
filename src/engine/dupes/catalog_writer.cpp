#include "engine/dupes/catalog_writer.h"

#include "engine/common/le_bytes.h"
#include "platform/files.h"
#include "platform/locale.h"
#include "platform/paths.h"

namespace zw {

namespace {

bool Wanted(const TResultEntry& entry, uint8_t entries) {
  switch (entries) {
    case catentries::kSelected:
      return (entry.Flags & reflag::kSelected) != 0;
    case catentries::kChecked:
      return (entry.Flags & reflag::kChecked) != 0;
    default:
      return true;
  }
}

// Splits "parent<sep>name<sep>" at the separator before the trailing one.
void SplitFolder(const std::string& path, std::string& parent, std::string& name) {
  std::string trimmed = path;
  if (!trimmed.empty() && platform::IsPathSep(trimmed.back())) trimmed.pop_back();
  size_t cut = trimmed.size();
  while (cut > 0 && !platform::IsPathSep(trimmed[cut - 1])) --cut;
  parent = trimmed.substr(0, cut);
  name = trimmed.substr(cut);
}

}  // namespace

int32_t CatalogEntryCount(TResultList& list, uint8_t entries) {
  TResultList::TGuard guard(list);
  int32_t count = 0;
  for (const TResultEntry* entry : list.Items())
    if (entry && Wanted(*entry, entries)) ++count;
  return count;
}

TZWCatWriter::TZWCatWriter(TResultList& list, IMessenger& messenger)
    : list_(list), messenger_(messenger), codePage_(platform::AnsiCodePage()) {}

bool TZWCatWriter::Fail(const std::string& fileName) {
  const platform::OsError err = cat_.LastError();
  cat_.Close();
  messenger_.ShowMsg(msgCreateFileFailed, {fileName, int64_t{err.code}});
  return false;
}

uint32_t TZWCatWriter::Register(const std::string& path, bool holdsFiles) {
  if (path.empty()) return 0;
  TDirEntry* node = tree_.Add(path);
  if ((node->State & kIndexMask) == 0) {
    std::string parentPath, name;
    SplitFolder(path, parentPath, name);
    const uint32_t parent = Register(parentPath, false);
    if (parent == kNoIndex || nextIndex_ > kIndexMask) return kNoIndex;
    TCatDirRecord rec;
    rec.Index = nextIndex_;
    rec.Parent = parent;
    rec.Name = name;
    if (data_ & catdata::kDirAttributes) {
      // The folder as the file system reports it; a folder that is gone
      // keeps the bare folder bit.
      platform::FindData fd;
      platform::OsError err;
      std::string probe = platform::ExcludeTrailingSep(path);
      if (probe.empty() || probe.size() < platform::PathRootLength(path)) probe = path;
      if (platform::GetFileInfo(probe, fd, err) || platform::GetFileInfo(path, fd, err)) {
        rec.Attr = fd.attributes | kCatDirAttribute;
        rec.Creation = fd.creationUtc;
      }
    }
    if (!cat_.AppendDir(rec)) {
      writeFailed_ = true;
      return kNoIndex;
    }
    node->State = (node->State & kHoldsFiles) | nextIndex_;
    ++nextIndex_;
  }
  if (holdsFiles) node->State |= kHoldsFiles;
  return node->State & kIndexMask;
}

bool TZWCatWriter::WriteEntry(const TResultEntry& entry, uint8_t data) {
  TCatFileRecord rec;
  rec.Attr = entry.Attributes & ~kCatDirAttribute;
  rec.Name = entry.Name;
  rec.Size = entry.Size;
  rec.Time = platform::LocalToUtc(entry.Time);
  if (rec.Name.size() > 0xFFFF) return false;
  if (data & catdata::kChecksums) {
    if (!partialContent_ && (entry.Flags & reflag::kCrcValid)) {
      rec.Crc = entry.Crc;
      if (entry.Flags & reflag::kSampleValid) {
        rec.Middle = entry.Sample;
        rec.Flags = catrec::kCrcValid | catrec::kMiddleValid;
      } else {
        rec.Flags = catrec::kCrcValid;
      }
    } else if (!entry.InArchive()) {
      if (!TZWCatfile::ChecksumFile(entry.FullName(), rec.Crc, rec.Middle, &messenger_))
        return false;
      rec.Flags = catrec::kCrcValid | catrec::kMiddleValid;
    }
  }
  const uint32_t dir = Register(entry.Path, true);
  if (dir == kNoIndex) return false;
  rec.Dir = dir;
  if (!cat_.AppendFile(rec)) {
    writeFailed_ = true;
    return false;
  }
  return true;
}

TDirEntry* TZWCatWriter::CommonDirectory() const {
  TDirEntry* node = tree_.First();
  if (!node || node->Next) return nullptr;  // no entries, or more than one top folder
  while (!(node->State & kHoldsFiles) && node->Children && !node->Children->Next)
    node = node->Children;
  return node;
}

bool TZWCatWriter::Write(const TCatFileOptions& options, bool overwrite) {
  tree_.Clear();
  data_ = options.Data & (catdata::kDirAttributes | catdata::kChecksums);
  nextIndex_ = 1;
  filesWritten_ = leftOut_ = baseIndex_ = 0;
  canceled_ = writeFailed_ = false;

  if (!cat_.CreateNew(options.FileName, overwrite)) return Fail(options.FileName);
  cat_.SetWriterHeader(data_);
  std::vector<uint8_t> cp;
  le::Put32(cp, codePage_);
  if (!cat_.AddHeaderBlock(kCatBlockCodePage, cp)) return Fail(options.FileName);

  uint32_t baseIndex = 0;
  std::string basePath;
  if (options.Paths == catpaths::kRelative && !options.BasePath.empty()) {
    basePath = platform::IncludeTrailingSep(options.BasePath);
    baseIndex = Register(basePath, false);
    if (baseIndex == kNoIndex) return Fail(options.FileName);
  }

  {
    TResultList::TGuard guard(list_);
    for (const TResultEntry* entry : list_.Items()) {
      if (cancel_ && cancel_->load()) {
        canceled_ = true;
        break;
      }
      if (!entry || !Wanted(*entry, options.Entries)) continue;
      if (WriteEntry(*entry, data_))
        ++filesWritten_;
      else if (writeFailed_)
        return Fail(options.FileName);
      else
        ++leftOut_;
      if (onStep_) onStep_();
    }
  }

  if (options.Paths != catpaths::kComplete) {
    const TDirEntry* common = CommonDirectory();
    baseIndex_ = common ? (common->State & kIndexMask) : 0;
    if (options.Paths == catpaths::kRelative && !canceled_ && baseIndex_ < baseIndex) {
      if (common)
        messenger_.ShowMsg(msgCatfileBadBasePathRelative, {basePath, common->Path});
      else
        messenger_.ShowMsg(msgCatfileBadBasePathComplete, {basePath});
    }
  }
  cat_.SetBaseIndex(baseIndex_);
  if (!cat_.Close()) return Fail(options.FileName);
  tree_.Clear();
  return true;
}

}  // namespace zw
