#include "engine/scan/catalog_file.h"

#include <algorithm>
#include <cstring>

#include "engine/common/le_bytes.h"
#include "engine/common/file_checksum.h"
#include "engine/scan/thread_browse.h"
#include "platform/paths.h"

namespace zw {

namespace {

constexpr char kMagic[6] = {'Z', 'W', 'C', 'a', 't', 'F'};

}  // namespace

bool EncodeCatDirRecord(const TCatDirRecord& rec, std::vector<uint8_t>& out) {
  if (rec.Name.size() > 0xFFFF) return false;
  out.clear();
  out.reserve(kCatDirRecordSize + rec.Name.size());
  le::Put32(out, rec.Attr | kCatDirAttribute);
  le::Put32(out, rec.Parent);
  le::Put16(out, static_cast<uint16_t>(rec.Name.size()));
  le::Put32(out, rec.Index);
  le::Put64(out, rec.Creation);
  out.insert(out.end(), rec.Name.begin(), rec.Name.end());
  return true;
}

bool EncodeCatFileRecord(const TCatFileRecord& rec, std::vector<uint8_t>& out) {
  if (rec.Name.size() > 0xFFFF) return false;
  out.clear();
  out.reserve(kCatFileRecordSize + rec.Name.size());
  le::Put32(out, rec.Attr & ~kCatDirAttribute);
  le::Put32(out, rec.Dir);
  le::Put16(out, static_cast<uint16_t>(rec.Name.size()));
  le::Put64(out, rec.Size);
  le::Put64(out, rec.Time);
  le::Put32(out, rec.Crc);
  le::Put32(out, rec.Middle);
  out.push_back(rec.Flags);
  out.insert(out.end(), rec.Name.begin(), rec.Name.end());
  return true;
}

bool DecodeCatDirRecord(const uint8_t* data, size_t size, TCatDirRecord& rec) {
  if (size < kCatDirRecordSize) return false;
  const size_t n = le::Get16(data + 8);
  if (size != kCatDirRecordSize + n) return false;
  rec.Attr = le::Get32(data);
  rec.Parent = le::Get32(data + 4);
  rec.Index = le::Get32(data + 10);
  rec.Creation = le::Get64(data + 14);
  rec.Name.assign(reinterpret_cast<const char*>(data + kCatDirRecordSize), n);
  return true;
}

bool DecodeCatFileRecord(const uint8_t* data, size_t size, TCatFileRecord& rec) {
  if (size < kCatFileRecordSize) return false;
  const size_t n = le::Get16(data + 8);
  if (size != kCatFileRecordSize + n) return false;
  rec.Attr = le::Get32(data);
  rec.Dir = le::Get32(data + 4);
  rec.Size = le::Get64(data + 10);
  rec.Time = le::Get64(data + 18);
  rec.Crc = le::Get32(data + 26);
  rec.Middle = le::Get32(data + 30);
  rec.Flags = data[34];
  rec.Name.assign(reinterpret_cast<const char*>(data + kCatFileRecordSize), n);
  return true;
}

// --- TZWCatfile ---

TZWCatfile::TZWCatfile() = default;

TZWCatfile::~TZWCatfile() { Close(); }

uint16_t TZWCatfile::Get16(size_t at) const { return le::Get16(header_ + at); }
uint32_t TZWCatfile::Get32(size_t at) const { return le::Get32(header_ + at); }
uint64_t TZWCatfile::Get64(size_t at) const { return le::Get64(header_ + at); }
void TZWCatfile::Put32(size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) header_[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void TZWCatfile::Put64(size_t at, uint64_t v) {
  for (int i = 0; i < 8; ++i) header_[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

void TZWCatfile::SetWriterHeader(uint8_t dataFlags) {
  header_[8] = dataFlags;
  header_[18] = 1;
  header_[19] = 0;
  changed_ = true;
}

void TZWCatfile::SetBaseIndex(uint32_t index) {
  Put32(28, index);
  changed_ = true;
}

// Records are read through a window of the file, so that the few small
// reads of each record cost no system call of their own.
bool TZWCatfile::ReadExact(uint64_t offset, void* buffer, size_t count) {
  return Flush() && window_.Read(file_, fileSize_, offset, buffer, count, lastError_);
}

bool TZWCatfile::RawWriteAt(uint64_t offset, const void* buffer, size_t count) {
  window_.Clear();
  if (!file_.Seek(offset, lastError_)) return false;
  if (!file_.Write(buffer, count, lastError_)) return false;
  fileSize_ = std::max(fileSize_, offset + count);
  return true;
}

bool TZWCatfile::WriteAt(uint64_t offset, const void* buffer, size_t count) {
  return Flush() && RawWriteAt(offset, buffer, count);
}

// Appended records wait in memory until a window's worth has gathered.
bool TZWCatfile::Flush() {
  if (pending_.empty()) return true;
  const bool ok = RawWriteAt(pendingStart_, pending_.data(), pending_.size());
  pending_.clear();
  return ok;
}

bool TZWCatfile::ReplaceableByCatalog(const std::string& path) {
  platform::FindData fd;
  platform::OsError err;
  if (!platform::GetFileInfo(path, fd, err)) return true;  // nothing there (or unreadable: let creation tell)
  if (fd.IsFolder() || fd.isLink || fd.isSpecial) return false;
  if (fd.size == 0) return true;
  platform::File file;
  uint8_t magic[sizeof kMagic] = {};
  size_t got = 0;
  return file.OpenRead(path, err) && file.Read(magic, sizeof magic, got, err) &&
         got == sizeof magic && std::memcmp(magic, kMagic, sizeof kMagic) == 0;
}

bool TZWCatfile::CreateNew(const std::string& path, bool overwrite) {
  Close();
  lastError_ = {};
  window_.Clear();
  pending_.clear();
  if (overwrite && !ReplaceableByCatalog(path)) {
    lastError_ = platform::OsError::AlreadyExists();
    return false;
  }
  const bool ok =
      overwrite ? file_.CreateAlways(path, lastError_) : file_.CreateNew(path, lastError_);
  if (!ok) return false;
  std::memset(header_, 0, sizeof header_);
  std::memcpy(header_, kMagic, sizeof kMagic);
  fileSize_ = 0;
  readOnly_ = false;
  changed_ = true;
  entriesRead_ = 0;
  const uint8_t end = 0;
  if (!WriteAt(0, header_, kCatHeaderSize) || !WriteAt(kCatHeaderSize, &end, 1)) {
    file_.Close();
    return false;
  }
  headerBlockEnd_ = kCatHeaderSize;
  pos_ = kCatHeaderSize + 1;
  return true;
}

int TZWCatfile::Open(const std::string& path, bool readOnly) {
  Close();
  lastError_ = {};
  window_.Clear();
  pending_.clear();
  std::memset(header_, 0, sizeof header_);
  const bool ok = readOnly ? file_.OpenRead(path, lastError_)
                           : file_.OpenReadWrite(path, lastError_);
  if (!ok) return corOpenFailed;
  readOnly_ = readOnly;
  changed_ = false;
  entriesRead_ = 0;
  auto fail = [this](int code) {
    file_.Close();
    return code;
  };
  if (!file_.Size(fileSize_, lastError_)) return fail(corOpenFailed);
  if (fileSize_ == 0) return fail(corEmpty);
  if (fileSize_ < kCatHeaderSize) return fail(corInvalidHeader);
  if (!ReadExact(0, header_, kCatHeaderSize)) return fail(corOpenFailed);
  if (std::memcmp(header_, kMagic, sizeof kMagic) != 0) return fail(corInvalidHeader);
  if (Version() != 0) return fail(corNotSupported);
  if (header_[19] != 0) return fail(corOtherError);
  uint64_t pos = kCatHeaderSize;
  if (!SkipBlocks(pos, nullptr)) return fail(corOtherError);
  headerBlockEnd_ = pos - 1;
  pos_ = pos;
  return corGood;
}

// A block list: {tag, u32 length, data}..., 0. Every step moves forward by
// at least one byte and nothing is read beyond the file's size.
bool TZWCatfile::SkipBlocks(uint64_t& pos, const TCallback* callback) {
  for (;;) {
    uint8_t tag = 0;
    if (pos >= fileSize_ || !ReadExact(pos, &tag, 1)) return false;
    if (tag == 0) {
      ++pos;
      return true;
    }
    uint8_t lenBytes[4];
    if (pos + 5 > fileSize_ || !ReadExact(pos + 1, lenBytes, 4)) return false;
    const uint32_t len = le::Get32(lenBytes);
    const uint64_t end = pos + 5 + static_cast<uint64_t>(len);
    if (end > fileSize_) return false;
    if (callback && (*callback)(crkBlockTag, &tag, 1) && len <= kMaxBlockRead) {
      std::vector<uint8_t> block(5 + static_cast<size_t>(len));
      if (!ReadExact(pos, block.data(), block.size())) return false;
      (*callback)(crkBlock, block.data(), block.size());
    }
    pos = end;
  }
}

bool TZWCatfile::AddHeaderBlock(uint8_t tag, const std::vector<uint8_t>& data) {
  if (!file_.IsOpen() || readOnly_ || tag == 0) return false;
  if (FileCount() != 0 || DirCount() != 0 || pos_ != headerBlockEnd_ + 1) return false;
  if (data.size() > 0xFFFFFFFFu) return false;
  std::vector<uint8_t> bytes;
  bytes.reserve(data.size() + 6);
  bytes.push_back(tag);
  le::Put32(bytes, static_cast<uint32_t>(data.size()));
  bytes.insert(bytes.end(), data.begin(), data.end());
  bytes.push_back(0);
  if (!WriteAt(headerBlockEnd_, bytes.data(), bytes.size())) return false;
  headerBlockEnd_ += bytes.size() - 1;
  pos_ = headerBlockEnd_ + 1;
  changed_ = true;
  return true;
}

bool TZWCatfile::AppendRecord(const std::vector<uint8_t>& record) {
  if (!file_.IsOpen() || readOnly_ || record.size() < kCatRecordStartSize) return false;
  if (pending_.empty()) pendingStart_ = fileSize_;
  pending_.insert(pending_.end(), record.begin(), record.end());
  pending_.push_back(0);  // empty block list
  fileSize_ += record.size() + 1;
  if (pending_.size() >= TReadWindow::kSize && !Flush()) return false;
  const bool dir = (le::Get32(record.data()) & kCatDirAttribute) != 0;
  if (dir)
    Put32(24, DirCount() + 1);
  else
    Put32(20, FileCount() + 1);
  changed_ = true;
  return true;
}

bool TZWCatfile::AppendDir(const TCatDirRecord& rec) {
  std::vector<uint8_t> bytes;
  return EncodeCatDirRecord(rec, bytes) && AppendRecord(bytes);
}

bool TZWCatfile::AppendFile(const TCatFileRecord& rec) {
  std::vector<uint8_t> bytes;
  return EncodeCatFileRecord(rec, bytes) && AppendRecord(bytes);
}

bool TZWCatfile::ReadRecord(const TCallback& callback) {
  if (!file_.IsOpen() || pos_ >= fileSize_) return false;
  uint8_t start[kCatRecordStartSize];
  if (pos_ + kCatRecordStartSize > fileSize_ || !ReadExact(pos_, start, sizeof start)) {
    pos_ = fileSize_;
    return false;
  }
  const bool dir = (le::Get32(start) & kCatDirAttribute) != 0;
  const uint64_t len = (dir ? kCatDirRecordSize : kCatFileRecordSize) + le::Get16(start + 8);
  if (pos_ + len > fileSize_) {
    pos_ = fileSize_;
    return false;
  }
  // A record the callback declines is skipped together with its blocks.
  const bool wanted =
      le::Get32(start + 4) != kCatSkippedParent && callback(crkRecordStart, start, sizeof start);
  if (wanted) {
    std::vector<uint8_t> rec(static_cast<size_t>(len));
    if (!ReadExact(pos_, rec.data(), rec.size())) {
      pos_ = fileSize_;
      return false;
    }
    callback(dir ? crkDirectory : crkFile, rec.data(), rec.size());
  }
  uint64_t pos = pos_ + len;
  if (!SkipBlocks(pos, wanted ? &callback : nullptr)) {
    pos_ = fileSize_;
    return false;
  }
  pos_ = pos;
  ++entriesRead_;
  return true;
}

bool TZWCatfile::Close() {
  if (!file_.IsOpen()) return true;
  bool ok = true;
  if (!readOnly_) {
    if (changed_) Put64(10, static_cast<uint64_t>(platform::NowUtc()));
    ok = Flush();
    ok = RawWriteAt(0, header_, kCatHeaderSize) && ok;
  }
  pending_.clear();
  window_.Clear();
  file_.Close();
  changed_ = false;
  return ok;
}

bool TZWCatfile::ChecksumFile(const std::string& path, uint32_t& crc, uint32_t& middle,
                              IMessenger* messenger) {
  platform::OsError err;
  platform::File file;
  if (!file.OpenRead(path, err)) {
    if (messenger) messenger->LogMsg(logIOErrorOnOpen, {int64_t{err.code}, path});
    return false;
  }
  uint64_t size = 0;
  TFileChecksum sum;
  if (!file.Size(size, err) || !FileMiddleSample(file, size, sum.sample, err) ||
      !FileCrc32(file, size, sum.crc, err)) {
    if (messenger) messenger->LogMsg(logIOErrorOnRead, {int64_t{err.code}, path});
    return false;
  }
  crc = sum.crc;
  middle = sum.sample;
  return true;
}

TCatCheck CheckCatalogFile(const std::string& path) {
  TCatCheck check;
  TZWCatfile cat;
  check.result = cat.Open(path, true);
  check.error = cat.LastError();
  check.hasChecksums = check.result == corGood && cat.HasChecksums();
  return check;
}

TStrID CatOpenResultText(int result) {
  switch (result) {
    case corEmpty:
      return strImportFailedEmpty;
    case corInvalidHeader:
      return strImportFailedInvalidHeader;
    case corNotSupported:
      return strImportFailedNotSupported;
    case corOtherError:
      return strImportFailedOtherError;
    default:
      return strImportFailedIO;
  }
}

// --- TZWCatReader ---

namespace {

// Slots of a table by directory index: one per index the header announces,
// but never more than directory records could fit into the file.
size_t DirTableSlots(const TZWCatfile& cat) {
  const uint64_t announced =
      static_cast<uint64_t>(cat.DirCount()) + static_cast<uint64_t>(cat.ExtraDirSlots());
  const uint64_t fit = cat.FileSize() / (kCatDirRecordSize + 1) + 1;
  return static_cast<size_t>(std::min(announced, fit) + 1);
}

}  // namespace

TZWCatReader::TZWCatReader(std::string catalogPath)
    : catalogPath_(std::move(catalogPath)), catalogName_(platform::ExtractFileName(catalogPath_)) {}

uint32_t TZWCatReader::Read(const TCatReadFilters& filters, const TSink& sink,
                            const TStop& stop) {
  TZWCatfile cat;
  if (cat.Open(catalogPath_, true) != corGood) return 0;

  // Folders inside the catalog must pass the attribute filter.
  uint32_t savedNotMask = 0;
  if (filters.attrib) {
    savedNotMask = filters.attrib->notMask;
    filters.attrib->notMask &= ~kCatDirAttribute;
  }

  const uint64_t fileSize = cat.FileSize();
  const size_t slots = DirTableSlots(cat);
  std::vector<std::string> table(slots);
  std::vector<TFolderPath> shared(slots);  // made at a folder's first file, for all of them
  const std::string prefix = catalogName_ + ">" + platform::kPathSep;
  const uint64_t base = std::min<uint64_t>(cat.BaseIndex(), slots - 1);
  for (uint64_t i = 0; i <= base; ++i) table[static_cast<size_t>(i)] = prefix;
  uint64_t budget = kTableBudget + 8 * fileSize;

  const bool dirAttrs = cat.HasDirAttributes();
  const bool sizeActive = filters.size && filters.size->mode != fmIgnore;
  uint32_t handed = 0;

  auto slot = [&](uint32_t index) -> const std::string* {
    return index < table.size() ? &table[index] : nullptr;
  };

  auto callback = [&](int kind, const uint8_t* data, size_t size) -> bool {
    switch (kind) {
      case crkRecordStart: {
        const uint32_t attr = le::Get32(data);
        if (!dirAttrs && (attr & kCatDirAttribute)) return true;
        return !filters.attrib || filters.attrib->Accept(attr);
      }
      case crkDirectory: {
        TCatDirRecord rec;
        if (!DecodeCatDirRecord(data, size, rec)) return false;
        if (rec.Index >= table.size() || !table[rec.Index].empty()) return false;
        const std::string* parent = slot(rec.Parent);
        if (!parent || parent->empty()) return false;
        std::string path = *parent;
        if (!rec.Name.empty()) {
          // A name holding a separator would make up folders of its own.
          if (rec.Name.find(platform::kPathSep) != std::string::npos || rec.Name == "." ||
              rec.Name == "..")
            return false;
          path += rec.Name;
          path += platform::kPathSep;
        }
        if (path.size() > kMaxPath || path.size() > budget) return false;
        budget -= path.size();
        table[rec.Index] = std::move(path);
        return false;
      }
      case crkFile: {
        TCatFileRecord rec;
        if (!DecodeCatFileRecord(data, size, rec)) return false;
        const std::string* parent = slot(rec.Dir);
        if (!parent || parent->empty()) return false;
        if (sizeActive && !filters.size->Accept(rec.Size)) return false;
        if (filters.name && !filters.name->Accept(rec.Name)) return false;
        auto* entry = new TFileInfos;
        entry->Name = std::move(rec.Name);
        TFolderPath& folder = shared[rec.Dir];
        if (folder.empty()) folder = *parent;
        entry->Path = folder;
        entry->Size = rec.Size;
        entry->Time = platform::UtcToLocal(static_cast<platform::FileTime>(rec.Time));
        entry->Attr = rec.Attr;
        entry->Flags = static_cast<uint8_t>((rec.Flags & (catrec::kCrcValid | catrec::kMiddleValid)) |
                                            fiflag::kInArchive);
        if (filters.library) entry->Flags |= fiflag::kLibrary;
        entry->Crc = rec.Crc;
        entry->Middle = rec.Middle;
        ++handed;
        sink(entry);
        return false;
      }
      default:
        return false;  // blocks are skipped
    }
  };

  while ((!stop || !stop()) && cat.ReadRecord(callback)) {
  }

  if (filters.attrib) filters.attrib->notMask = savedNotMask;
  return handed;
}

bool ReadCatalogOrigins(const std::string& catalogPath,
                        std::unordered_map<std::string, std::string>& origins) {
  origins.clear();
  TZWCatfile cat;
  if (cat.Open(catalogPath, true) != corGood) return false;
  const uint64_t fileSize = cat.FileSize();
  const size_t slots = DirTableSlots(cat);
  // Both tables by directory index: the path as a scan shows it (the
  // folders up to the base all show as the catalog itself) and the path the
  // folder had. Index 0 is the root of both.
  std::vector<std::string> shown(slots);
  std::vector<std::string> origin(slots);
  std::vector<bool> known(slots, false);
  const std::string prefix = platform::ExtractFileName(catalogPath) + ">" + platform::kPathSep;
  const uint64_t base = std::min<uint64_t>(cat.BaseIndex(), slots - 1);
  for (uint64_t i = 0; i <= base; ++i) shown[static_cast<size_t>(i)] = prefix;
  known[0] = true;
  uint64_t budget = TZWCatReader::kTableBudget + 8 * fileSize;

  auto callback = [&](int kind, const uint8_t* data, size_t size) -> bool {
    if (kind == crkRecordStart) return (le::Get32(data) & kCatDirAttribute) != 0;
    if (kind != crkDirectory) return false;
    TCatDirRecord rec;
    if (!DecodeCatDirRecord(data, size, rec)) return false;
    if (rec.Index >= slots || rec.Parent >= slots || known[rec.Index] || !known[rec.Parent])
      return false;
    if (rec.Name.find(platform::kPathSep) != std::string::npos || rec.Name == "." ||
        rec.Name == "..")
      return false;
    std::string path = origin[rec.Parent] + rec.Name + platform::kPathSep;
    if (path.size() > TZWCatReader::kMaxPath || 2 * path.size() > budget) return false;
    budget -= 2 * path.size();
    origin[rec.Index] = std::move(path);
    known[rec.Index] = true;
    if (shown[rec.Index].empty() && !shown[rec.Parent].empty())
      shown[rec.Index] = rec.Name.empty() ? shown[rec.Parent]
                                          : shown[rec.Parent] + rec.Name + platform::kPathSep;
    return false;
  };
  while (cat.ReadRecord(callback)) {
  }
  if (base > 0 && known[static_cast<size_t>(base)]) origins[prefix] = origin[static_cast<size_t>(base)];
  for (size_t i = static_cast<size_t>(base) + 1; i < slots; ++i)
    if (known[i] && !shown[i].empty()) origins.try_emplace(shown[i], origin[i]);
  return true;
}

void BrowseCatalogFile(TThreadBrowse& thread, const std::string& path) {
  TCatReadFilters filters;
  filters.attrib = &thread.attribFilter;
  filters.size = &thread.sizeFilter;
  filters.name = &thread.nameFilter;
  // Emit adds the library flag itself.
  TZWCatReader reader(path);
  reader.Read(
      filters, [&thread](TFileInfos* entry) { thread.Emit(entry); },
      [&thread]() { return thread.CheckStop(); });
}

}  // namespace zw
