#include "engine/scan/zip_reader.h"

#include <algorithm>
#include <cstring>

#include "engine/common/le_bytes.h"
#include "platform/filetime.h"
#include "platform/locale.h"
#include "platform/paths.h"

namespace zw {

namespace {

constexpr uint32_t kEndSig = 0x06054B50;
constexpr uint32_t kCentralSig = 0x02014B50;
constexpr uint32_t kZip64EndSig = 0x06064B50;
constexpr uint32_t kZip64LocatorSig = 0x07064B50;
constexpr size_t kEndSize = 22;          // end record with its signature
constexpr size_t kCentralSize = 46;      // central header with its signature
constexpr size_t kZip64LocatorSize = 20;
constexpr size_t kZip64EndSize = 56;     // fixed part of the zip64 end record
constexpr size_t kMaxComment = 0xFFFF;

// Code page 437, bytes 0x80 to 0xFF.
constexpr uint16_t kCp437High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8,
    0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2,
    0x00FB, 0x00F9, 0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1,
    0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD,
    0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562,
    0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534,
    0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560,
    0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393,
    0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6,
    0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248, 0x00B0,
    0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool IsValidUtf8(const std::string& s) {
  size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<uint8_t>(s[i]);
    size_t n;
    uint32_t cp;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      n = 1;
      cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      n = 2;
      cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      n = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + n >= s.size()) return false;
    for (size_t k = 1; k <= n; ++k) {
      const auto d = static_cast<uint8_t>(s[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    // Overlong forms, surrogates and values beyond Unicode.
    if ((n == 1 && cp < 0x80) || (n == 2 && cp < 0x800) || (n == 3 && cp < 0x10000) ||
        (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
      return false;
    i += n + 1;
  }
  return true;
}

}  // namespace

std::string ZipNameToUtf8(const std::string& raw, bool utf8Flag) {
  std::string name = raw.substr(0, raw.find('\0'));
  if (utf8Flag && IsValidUtf8(name)) return name;
  bool ascii = true;
  for (char c : name) ascii = ascii && static_cast<uint8_t>(c) < 0x80;
  if (ascii) return name;
  std::string out;
  if (platform::OemToAnsiText(name, out)) return out;
  out.clear();
  out.reserve(name.size() * 2);
  for (char c : name) {
    const auto b = static_cast<uint8_t>(c);
    if (b < 0x80)
      out += c;
    else
      AppendUtf8(out, kCp437High[b - 0x80]);
  }
  return out;
}

// --- TZipReader ---

bool TZipReader::Fail(TZipError error) {
  error_ = error;
  file_.Close();
  window_.Clear();
  return false;
}

void TZipReader::Close() {
  file_.Close();
  window_.Release();
}

bool TZipReader::ReadExact(uint64_t offset, void* buffer, size_t count) {
  return window_.Read(file_, fileSize_, offset, buffer, count, osErr_);
}

// Reads exactly `count` bytes at `offset` without the window: the records
// looked at while the end record is searched lie anywhere in the file, and a
// tail full of false signatures must not cost a window read each.
bool TZipReader::ReadDirect(uint64_t offset, void* buffer, size_t count) {
  if (offset > fileSize_ || count > fileSize_ - offset) return false;
  return ReadFully(file_, offset, buffer, count, osErr_);
}

bool TZipReader::Open(const std::string& path) {
  Close();
  error_ = TZipError::None;
  osErr_ = {};
  entryCount_ = entriesRead_ = 0;
  zip64_ = false;
  comment_.clear();
  if (!file_.OpenRead(path, osErr_)) return Fail(TZipError::OpenFailed);
  if (!file_.Size(fileSize_, osErr_)) return Fail(TZipError::OpenFailed);
  if (fileSize_ < kEndSize) return Fail(TZipError::NoEndRecord);

  // The end record sits at the very end, or before a comment of at most
  // 65535 bytes: read that tail once and look for the signature backwards.
  const uint64_t tailLen = std::min<uint64_t>(fileSize_, kEndSize + kMaxComment);
  const uint64_t tailStart = fileSize_ - tailLen;
  std::vector<uint8_t> tail(static_cast<size_t>(tailLen));
  size_t got = 0;
  if (!file_.ReadAt(tailStart, tail.data(), tail.size(), got, osErr_) || got != tail.size())
    return Fail(TZipError::OpenFailed);

  TZipError firstFailure = TZipError::NoEndRecord;
  for (size_t i = tail.size() - kEndSize + 1; i-- > 0;) {
    const uint8_t* rec = tail.data() + i;
    if (le::Get32(rec) != kEndSig) continue;
    const uint16_t commentLength = le::Get16(rec + 20);
    // A comment must fit between the record and the end of the file (a
    // signature inside a comment rarely passes this test).
    if (i + kEndSize + commentLength > tail.size()) continue;
    if (LocateDirectory(tailStart + i, rec, commentLength)) {
      comment_.assign(reinterpret_cast<const char*>(rec + kEndSize), commentLength);
      return true;
    }
    if (!file_.IsOpen()) return false;  // a read failed
    if (firstFailure == TZipError::NoEndRecord) firstFailure = error_;
    error_ = TZipError::None;
  }
  return Fail(firstFailure);
}

// Reads the zip64 end record that the locator just before the end record
// points at.
bool TZipReader::ReadZip64End(uint64_t endPos, uint64_t& entries, uint64_t& cdSize,
                              uint64_t& cdOffset, uint64_t& zip64Start) {
  if (endPos < kZip64LocatorSize) return false;
  uint8_t loc[kZip64LocatorSize];
  if (!ReadDirect(endPos - kZip64LocatorSize, loc, sizeof loc)) return false;
  if (le::Get32(loc) != kZip64LocatorSig) return false;
  const uint32_t diskOfRecord = le::Get32(loc + 4);
  const uint64_t recOffset = le::Get64(loc + 8);
  const uint32_t disks = le::Get32(loc + 16);
  if (diskOfRecord != 0 || disks > 1) return false;
  if (recOffset > endPos - kZip64LocatorSize ||
      endPos - kZip64LocatorSize - recOffset < kZip64EndSize)
    return false;
  uint8_t rec[kZip64EndSize];
  if (!ReadDirect(recOffset, rec, sizeof rec)) return false;
  if (le::Get32(rec) != kZip64EndSig) return false;
  const uint32_t thisDisk = le::Get32(rec + 16);
  const uint32_t cdDisk = le::Get32(rec + 20);
  const uint64_t onDisk = le::Get64(rec + 24);
  entries = le::Get64(rec + 32);
  cdSize = le::Get64(rec + 40);
  cdOffset = le::Get64(rec + 48);
  if (thisDisk != 0 || cdDisk != 0 || onDisk != entries) return false;
  zip64Start = recOffset;
  return true;
}

bool TZipReader::LocateDirectory(uint64_t endPos, const uint8_t* rec, uint16_t) {
  const uint16_t thisDisk = le::Get16(rec + 4);
  const uint16_t cdDisk = le::Get16(rec + 6);
  const uint16_t onDisk = le::Get16(rec + 8);
  uint64_t entries = le::Get16(rec + 10);
  uint64_t cdSize = le::Get32(rec + 12);
  uint64_t cdOffset = le::Get32(rec + 16);
  uint64_t dirLimit = endPos;  // the directory ends before this
  zip64_ = false;

  const bool wantsZip64 = thisDisk == 0xFFFF || cdDisk == 0xFFFF || onDisk == 0xFFFF ||
                          entries == 0xFFFF || cdSize == 0xFFFFFFFF || cdOffset == 0xFFFFFFFF;
  uint64_t e64 = 0, size64 = 0, off64 = 0, zip64Start = 0;
  if (ReadZip64End(endPos, e64, size64, off64, zip64Start)) {
    entries = e64;
    cdSize = size64;
    cdOffset = off64;
    dirLimit = zip64Start;
    zip64_ = true;
  } else if (!file_.IsOpen()) {
    return false;
  } else if (thisDisk != 0 || cdDisk != 0 || onDisk != entries) {
    // Parts of a spanned archive: the directory or its members lie on
    // other disks, which this reader never sees.
    error_ = TZipError::MultiDisk;
    return false;
  }

  // The directory must lie wholly before the end records, and its count
  // must fit in it (every header has at least 46 bytes).
  // Without zip64 records a field of all ones is its own value (an archive
  // of exactly 65535 members has that count); only when the directory then
  // does not fit were the zip64 records lost.
  if (cdOffset > dirLimit || cdSize > dirLimit - cdOffset ||
      entries > cdSize / kCentralSize) {
    error_ = wantsZip64 && !zip64_ ? TZipError::BadZip64 : TZipError::BadDirectory;
    return false;
  }
  if (entries > 0) {
    uint8_t sig[4];
    if (!ReadDirect(cdOffset, sig, sizeof sig)) {
      error_ = TZipError::BadDirectory;
      return false;
    }
    if (le::Get32(sig) != kCentralSig) {
      error_ = TZipError::BadDirectory;
      return false;
    }
  }
  pos_ = cdOffset;
  cdEnd_ = cdOffset + cdSize;
  entryCount_ = entries;
  entriesRead_ = 0;
  return true;
}

bool TZipReader::ReadEntry(const TEntryCallback& callback) {
  if (!file_.IsOpen()) return false;
  if (entriesRead_ >= entryCount_) return false;  // all announced members read
  if (cdEnd_ - pos_ < kCentralSize) {
    error_ = TZipError::BadEntry;
    return false;
  }
  uint8_t h[kCentralSize];
  if (!ReadExact(pos_, h, sizeof h)) {
    error_ = TZipError::OpenFailed;
    return false;
  }
  if (le::Get32(h) != kCentralSig) {
    error_ = TZipError::BadEntry;
    return false;
  }
  TZipCentralHeader hd;
  hd.versionMadeBy = le::Get16(h + 4);
  hd.versionNeeded = le::Get16(h + 6);
  hd.flags = le::Get16(h + 8);
  hd.method = le::Get16(h + 10);
  hd.dosTime = le::Get16(h + 12);
  hd.dosDate = le::Get16(h + 14);
  hd.crc32 = le::Get32(h + 16);
  hd.compressedSize = le::Get32(h + 20);
  hd.uncompressedSize = le::Get32(h + 24);
  hd.nameLength = le::Get16(h + 28);
  hd.extraLength = le::Get16(h + 30);
  hd.commentLength = le::Get16(h + 32);
  hd.diskNumberStart = le::Get16(h + 34);
  hd.internalAttributes = le::Get16(h + 36);
  hd.externalAttributes = le::Get32(h + 38);
  hd.localHeaderOffset = le::Get32(h + 42);

  const uint64_t variable =
      uint64_t{hd.nameLength} + uint64_t{hd.extraLength} + uint64_t{hd.commentLength};
  if (variable > cdEnd_ - pos_ - kCentralSize) {
    error_ = TZipError::BadEntry;  // the header runs past the directory's end
    return false;
  }
  std::string name(hd.nameLength, '\0');
  std::vector<uint8_t> extra(hd.extraLength);
  if (!ReadExact(pos_ + kCentralSize, name.data(), name.size()) ||
      !ReadExact(pos_ + kCentralSize + hd.nameLength, extra.data(), extra.size())) {
    error_ = TZipError::OpenFailed;
    return false;
  }

  // Zip64 extra field: the values whose 32-bit fields are all ones, in a
  // fixed order.
  const bool needSize = hd.uncompressedSize == 0xFFFFFFFF;
  const bool needComp = hd.compressedSize == 0xFFFFFFFF;
  const bool needOffset = hd.localHeaderOffset == 0xFFFFFFFF;
  const bool needDisk = hd.diskNumberStart == 0xFFFF;
  if (needSize || needComp || needOffset || needDisk) {
    bool found = false;
    size_t p = 0;
    while (p + 4 <= extra.size()) {
      const uint16_t tag = le::Get16(extra.data() + p);
      const uint16_t len = le::Get16(extra.data() + p + 2);
      if (len > extra.size() - p - 4) break;
      if (tag == 0x0001) {
        const uint8_t* d = extra.data() + p + 4;
        const size_t need = (needSize ? 8 : 0) + (needComp ? 8 : 0) + (needOffset ? 8 : 0) +
                            (needDisk ? 4 : 0);
        if (len < need) break;
        size_t q = 0;
        if (needSize) hd.uncompressedSize = le::Get64(d + q), q += 8;
        if (needComp) hd.compressedSize = le::Get64(d + q), q += 8;
        if (needOffset) hd.localHeaderOffset = le::Get64(d + q), q += 8;
        if (needDisk) hd.diskNumberStart = le::Get32(d + q);
        found = true;
        break;
      }
      p += 4 + len;
    }
    // The size only says "look in the zip64 field": without it the member's
    // real size is unknown, and a guess would be a wrong entry.
    if (!found && (needSize || needComp)) {
      error_ = TZipError::BadZip64;
      return false;
    }
  }

  pos_ += kCentralSize + variable;
  ++entriesRead_;
  if (callback) callback(hd, name);
  return true;
}

bool TZipReader::CanRead(const std::string& path) {
  TZipReader reader;
  if (!reader.Open(path)) return false;
  while (reader.ReadEntry(nullptr)) {
  }
  return reader.LastError() == TZipError::None;
}

bool ZipMemberPlace(const std::string& raw, bool utf8Flag, std::string& folder,
                    std::string& file) {
  std::string name = ZipNameToUtf8(raw, utf8Flag);
  // Both slashes separate folders in member names on Windows; on POSIX a
  // backslash is an ordinary character of a name.
  for (char& c : name)
    if (c == '/' || platform::IsPathSep(c)) c = platform::kPathSep;
  const size_t cut = name.rfind(platform::kPathSep);
  folder = cut == std::string::npos ? std::string() : name.substr(0, cut + 1);
  file = cut == std::string::npos ? name : name.substr(cut + 1);
  if (file.empty()) return false;  // a folder member without the folder attribute
  // Members are never opened, but a name that starts at the root would
  // give a path with two separators in a row.
  while (!folder.empty() && folder.front() == platform::kPathSep) folder.erase(0, 1);
  return true;
}

// --- TZWZipReader ---

TZWZipReader::TZWZipReader(TThreadBrowse& thread) : thread_(thread) {}

std::string TZWZipReader::EntryPath(const std::string& archivePath, bool insideFolder,
                                    const std::string& folderPart) {
  std::string path = insideFolder ? archivePath : platform::ExtractFileName(archivePath);
  path += '>';
  path += platform::kPathSep;
  path += folderPart;
  return path;
}

bool TZWZipReader::ReadInto(const std::string& path, bool insideFolder, TTarget& target) {
  // Directory members never become entries.
  const uint32_t savedNot = target.attribFilter->notMask;
  target.attribFilter->notMask |= platform::attr::kDirectory;
  struct Restore {
    TAttribFilter* f;
    uint32_t v;
    ~Restore() { f->notMask = v; }
  } restore{target.attribFilter, savedNot};

  TZipReader zip;
  if (!zip.Open(path)) return false;
  const bool sizeActive = target.sizeFilter->mode != fmIgnore;
  const uint8_t flags = static_cast<uint8_t>(fiflag::kCrcValid | fiflag::kInArchive |
                                             fiflag::kInZip |
                                             (target.library ? fiflag::kLibrary : 0));
  TFolderPath lastFolder;
  auto handle = [&](const TZipCentralHeader& h, const std::string& raw) {
    if (!target.attribFilter->Accept(h.externalAttributes)) return;
    if (sizeActive && !target.sizeFilter->Accept(h.uncompressedSize)) return;
    std::string folder, file;
    if (!ZipMemberPlace(raw, (h.flags & 0x0800) != 0, folder, file)) return;
    if (!target.nameFilter->Accept(file)) return;

    auto* entry = new TFileInfos;
    entry->Name = std::move(file);
    // Members of one folder mostly follow each other: they share its name.
    std::string place = EntryPath(path, insideFolder, folder);
    if (!(lastFolder == place)) lastFolder = std::move(place);
    entry->Path = lastFolder;
    entry->Size = h.uncompressedSize;
    platform::FileTime ft = 0;
    entry->Time = platform::DosDateTimeToFileTime(h.dosDate, h.dosTime, ft)
                      ? platform::UtcToLocal(ft)
                      : 0;
    entry->Attr = h.externalAttributes;
    entry->Flags = flags;
    entry->Crc = h.crc32;
    entry->Middle = 0;
    target.emit(entry);
  };
  while (!(target.stop && target.stop()) && zip.ReadEntry(handle)) {
  }
  zip.Close();
  return true;
}

bool TZWZipReader::Read(const std::string& path, bool insideFolder) {
  TTarget target;
  target.attribFilter = &thread_.attribFilter;
  target.sizeFilter = &thread_.sizeFilter;
  target.nameFilter = &thread_.nameFilter;
  target.library = thread_.BrowsingLibrary();
  target.emit = [this](TFileInfos* e) { thread_.Emit(e); };
  target.stop = [this] { return thread_.StopRequested(); };
  return ReadInto(path, insideFolder, target);
}

TZipBrowser MakeZipBrowser() {
  return [](TThreadBrowse& thread, const std::string& path, bool insideFolder) {
    TZWZipReader(thread).Read(path, insideFolder);
  };
}

}  // namespace zw
