#include "app/results/result_files.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#include "engine/common/le_bytes.h"
#include "app/text/string_table.h"
#include "app/text/text_format.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/locale.h"
#include "platform/paths.h"
#include "platform/shell.h"

namespace zw {

namespace {

void PutU8(std::string& out, uint8_t v) { out.push_back(static_cast<char>(v)); }

// Reads a file front to back through one buffer; `Read` fills exactly
// `count` bytes or reports how many it got before the end.
class TBufferedReader {
 public:
  explicit TBufferedReader(platform::File& file) : file_(file), buf_(new uint8_t[kSize]) {}

  bool Read(void* out, size_t count, size_t& got, platform::OsError& err) {
    got = 0;
    auto* dst = static_cast<uint8_t*>(out);
    while (got < count) {
      if (pos_ == len_) {
        if (count - got >= kSize) {  // large strings go straight through
          size_t n = 0;
          if (!file_.Read(dst + got, count - got, n, err)) return false;
          got += n;
          return true;
        }
        size_t n = 0;
        if (!file_.Read(buf_.get(), kSize, n, err)) return false;
        pos_ = 0;
        len_ = n;
        if (n == 0) return true;
      }
      const size_t take = std::min(count - got, len_ - pos_);
      std::memcpy(dst + got, buf_.get() + pos_, take);
      pos_ += take;
      got += take;
    }
    return true;
  }

 private:
  static constexpr size_t kSize = 64 * 1024;
  platform::File& file_;
  std::unique_ptr<uint8_t[]> buf_;
  size_t pos_ = 0;
  size_t len_ = 0;
};

// Collects written bytes and hands them to the file in large pieces; the
// first failed write is kept and every later one is refused.
class TBufferedWriter {
 public:
  explicit TBufferedWriter(platform::File& file) : file_(file) { buf_.reserve(kSize); }

  bool Put(const std::string& bytes) {
    if (failed_) return false;
    buf_ += bytes;
    return buf_.size() < kSize || Flush();
  }
  bool Flush() {
    if (failed_) return false;
    if (!buf_.empty() && !file_.Write(buf_.data(), buf_.size(), err_)) {
      failed_ = true;
      return false;
    }
    buf_.clear();
    return true;
  }
  int ErrorCode() const { return err_.code != 0 ? err_.code : -1; }

 private:
  static constexpr size_t kSize = 64 * 1024;
  platform::File& file_;
  std::string buf_;
  platform::OsError err_;
  bool failed_ = false;
};

std::string LowerExt(const std::string& fileName) {
  return platform::LowerText(platform::ExtractFileExt(fileName));
}

bool AnythingExists(const std::string& path) {
  return platform::FileExists(path) || platform::FolderExists(path);
}

}  // namespace

// --- format ---

std::string ResultFileHeader(uint16_t flags, uint32_t entryCount, uint32_t setCount,
                             uint32_t focused, uint8_t groupingMode) {
  std::string out;
  out.reserve(kResultHeaderSize);
  out.append(kResultFileMagic, sizeof kResultFileMagic);
  le::Put16(out, kResultFileVersion);
  le::Put16(out, flags);
  le::Put32(out, entryCount);
  le::Put32(out, setCount);
  le::Put32(out, focused);
  PutU8(out, groupingMode);
  return out;
}

void AppendResultRecord(std::string& out, const TResultEntry& e) {
  out.reserve(out.size() + kResultRecordSizeV1 + e.Path.size() + e.Name.size());
  le::Put32(out, e.Set);
  le::Put32(out, static_cast<uint32_t>(e.Path.size()));
  le::Put32(out, static_cast<uint32_t>(e.Name.size()));
  le::Put64(out, e.Size);
  le::Put64(out, static_cast<uint64_t>(e.Time));
  le::Put32(out, e.Attributes);
  le::Put32(out, e.Crc);
  le::Put32(out, e.Sample);
  PutU8(out, e.Flags);
  out += e.Path;
  out += e.Name;
}

std::string ResultUtcTrailer(const std::vector<const TResultEntry*>& entries) {
  std::string out;
  out.reserve(sizeof kResultUtcMagic + 4 + 8 * entries.size());
  out.append(kResultUtcMagic, sizeof kResultUtcMagic);
  le::Put32(out, static_cast<uint32_t>(entries.size()));
  for (const TResultEntry* e : entries) le::Put64(out, static_cast<uint64_t>(e->TimeUtc));
  return out;
}

std::string ResultTextLine(const TResultEntry& e, bool withCrc) {
  std::string line;
  line.reserve(e.Name.size() + e.Path.size() + 48);
  line += (e.Flags & reflag::kShaded) ? '1' : '0';
  line += (e.Flags & reflag::kChecked) ? '1' : '0';
  line += '\t';
  line += e.Name;
  line += '\t';
  line += e.Path;
  line += '\t';
  line += std::to_string(e.Size);
  line += '\t';
  line += platform::DateTimeText(e.Time, true);
  if (withCrc) {
    char crc[16];
    std::snprintf(crc, sizeof crc, "\t%.8x", static_cast<unsigned>(e.Crc));
    line += crc;
  }
  return line;
}

int LoadResultList(TResultList& list, const std::string& path, uint16_t* headerFlags,
                   int32_t* focused, int& errorCode) {
  errorCode = 0;
  platform::File file;
  platform::OsError err;
  if (!file.OpenRead(path, err)) {
    errorCode = err.code;
    return rlOpenFailed;
  }
  uint64_t fileSize = 0;
  if (!file.Size(fileSize, err)) {
    errorCode = err.code;
    return rlOpenFailed;
  }
  TBufferedReader in(file);

  uint8_t head[kResultHeaderSize];
  size_t got = 0;
  if (!in.Read(head, sizeof head, got, err)) {
    errorCode = err.code;
    return rlOpenFailed;
  }
  if (got == 0) return rlEmpty;
  if (got < sizeof head || std::memcmp(head, kResultFileMagic, sizeof kResultFileMagic) != 0)
    return rlBadHeader;
  const uint16_t version = le::Get16(head + 6);
  if (version > kResultFileVersion) return rlNotSupported;
  const uint16_t flags = le::Get16(head + 8);
  const auto entryCount = static_cast<int32_t>(le::Get32(head + 10));
  const auto setCount = static_cast<int32_t>(le::Get32(head + 14));
  const auto focusedIndex = static_cast<int32_t>(le::Get32(head + 18));
  const uint8_t grouping = head[22];
  // Negative counts are refused along with the zero ones.
  if (entryCount <= 0 || setCount <= 0 || entryCount < setCount) return rlFormatError;

  if (headerFlags) *headerFlags = flags;
  if (focused) *focused = focusedIndex;

  const size_t recordSize = version == 0 ? kResultRecordSizeV0 : kResultRecordSizeV1;
  const uint64_t body = fileSize - kResultHeaderSize;
  TResultList::TGuard guard(list);
  // A file too short for its records fails as a cut record would, but before
  // anything is allocated for the count it claims.
  if (static_cast<uint64_t>(entryCount) > body / recordSize) {
    list.Clear();
    return rlFormatError;
  }
  list.Prepare(setCount, entryCount);

  uint64_t position = kResultHeaderSize;
  bool failed = false;
  uint8_t rec[kResultRecordSizeV1];
  for (int32_t i = 0; i < entryCount && !failed; ++i) {
    if (!in.Read(rec, recordSize, got, err) || got < recordSize) {
      failed = true;
      break;
    }
    position += recordSize;
    auto entry = std::make_unique<TResultEntry>();
    entry->Set = le::Get32(rec);
    const uint32_t pathLen = le::Get32(rec + 4);
    const uint32_t nameLen = le::Get32(rec + 8);
    entry->Size = le::Get64(rec + 12);
    entry->Time = static_cast<platform::FileTime>(le::Get64(rec + 20));
    if (version == 0) {
      entry->Attributes = 0;
      entry->Crc = le::Get32(rec + 28);
      entry->Sample = 0;
      entry->Flags = rec[32];
      if (flags & kResultFileHasCrc) entry->Flags |= reflag::kCrcValid;
    } else {
      entry->Attributes = le::Get32(rec + 28);
      entry->Crc = le::Get32(rec + 32);
      entry->Sample = le::Get32(rec + 36);
      entry->Flags = rec[40];
    }
    const uint64_t left = fileSize - position;
    if (entry->Set >= static_cast<uint32_t>(setCount) || pathLen > left ||
        nameLen > left - pathLen) {
      failed = true;
      break;
    }
    entry->Path.resize(pathLen);
    entry->Name.resize(nameLen);
    if (pathLen > 0 && (!in.Read(entry->Path.data(), pathLen, got, err) || got < pathLen)) {
      failed = true;
      break;
    }
    if (nameLen > 0 && (!in.Read(entry->Name.data(), nameLen, got, err) || got < nameLen)) {
      failed = true;
      break;
    }
    position += static_cast<uint64_t>(pathLen) + nameLen;
    if (!list.AppendEntry(entry.get())) {
      failed = true;
      break;
    }
    entry.release();  // the list owns it now
  }
  if (failed) {
    list.Clear();
    return rlFormatError;
  }
  // The UTC times, when the file carries exactly one per entry.
  const uint64_t trailer = sizeof kResultUtcMagic + 4 + 8 * static_cast<uint64_t>(entryCount);
  if (fileSize - position == trailer) {
    uint8_t head[sizeof kResultUtcMagic + 4];
    if (in.Read(head, sizeof head, got, err) && got == sizeof head &&
        std::memcmp(head, kResultUtcMagic, sizeof kResultUtcMagic) == 0 &&
        le::Get32(head + sizeof kResultUtcMagic) == static_cast<uint32_t>(entryCount)) {
      std::vector<uint8_t> times(8 * static_cast<size_t>(entryCount));
      if (in.Read(times.data(), times.size(), got, err) && got == times.size())
        for (int32_t i = 0; i < entryCount; ++i)
          list.Item(i)->TimeUtc =
              static_cast<platform::FileTime>(le::Get64(times.data() + 8 * static_cast<size_t>(i)));
    }
  }
  list.SetGroupingMode(grouping);
  return rlLoaded;
}

// --- operations ---

TResultFiles::TResultFiles(IHost& host, IMessenger& messenger, TWindowModel& model,
                           TResultList& list)
    : host_(host), messenger_(messenger), model_(model), list_(list) {}

uint32_t TResultFiles::FocusedForHeader() const {
  const int32_t count = list_.ItemCount();
  if (model_.results.focused >= 0 && model_.results.focused < count)
    return static_cast<uint32_t>(model_.results.focused);
  for (int32_t i = 0; i < count; ++i) {
    const TResultEntry* e = list_.Item(i);
    if (e && (e->Flags & reflag::kSelected)) return static_cast<uint32_t>(i);
  }
  return 0;
}

bool TResultFiles::ChooseTarget(std::string& fileName, uint8_t& mode, bool selectedOnly) {
  if (fileName.empty()) {
    std::string filter = kExportFilter;
    int index = exportFilterIndex_;
    if (selectedOnly) {
      // Only the text entry: cut from the "|" that ends "|*.txt".
      const size_t at = filter.find("|*.txt|");
      if (at != std::string::npos) filter.erase(at + 6);
      index = 1;
    }
    auto picked = host_.PickSaveFile(kExportTitle, filter, index);
    if (!picked || picked->empty()) return false;
    fileName = *picked;
    if (selectedOnly) {
      mode = efText;
    } else {
      exportFilterIndex_ = index == 2 ? 2 : 1;
      mode = index == 2 ? efByExtension : efText;
    }
  }
  const std::string ext = LowerExt(fileName);
  if (mode == efByExtension) {
    if (ext == ".txt") {
      mode = efText;
    } else {
      mode = efBinary;
      if (ext.empty() && !AnythingExists(fileName + ".zwr")) fileName += ".zwr";
    }
  } else if (mode == efText && ext.empty()) {
    if (!AnythingExists(fileName + ".txt")) fileName += ".txt";
  }
  return true;
}

bool TResultFiles::Write(const std::string& fileName, uint8_t mode, bool selectedOnly) {
  platform::File file;
  platform::OsError err;
  if (!file.CreateAlways(fileName, err)) {
    messenger_.ShowMsg(msgExportFailed, {TFmtArg(int64_t{err.code})});
    return false;
  }
  // While a worker may change the list, it stays locked for the whole loop.
  std::optional<TResultList::TGuard> guard;
  if (model_.busy) guard.emplace(list_);

  TBufferedWriter out(file);
  const bool binary = mode == efBinary;
  if (binary) {
    const uint16_t flags = model_.results.crcAvailable ? kResultFileHasCrc : 0;
    if (!out.Put(ResultFileHeader(flags, static_cast<uint32_t>(list_.ItemCount()),
                                  static_cast<uint32_t>(list_.SetCount()), FocusedForHeader(),
                                  list_.GroupingMode()))) {
      messenger_.ShowMsg(msgExportFailed, {TFmtArg(int64_t{out.ErrorCode()})});
      return false;
    }
  }
  const bool withCrc = model_.results.crcAvailable;
  std::string piece;
  const int32_t count = list_.ItemCount();
  for (int32_t i = 0; i < count; ++i) {
    const TResultEntry* e = list_.Item(i);
    if (!e || (selectedOnly && !(e->Flags & reflag::kSelected))) continue;
    piece.clear();
    if (binary) {
      AppendResultRecord(piece, *e);
    } else {
      piece = ResultTextLine(*e, withCrc);
      piece += "\r\n";
    }
    if (!out.Put(piece)) break;
  }
  if (binary) {
    std::vector<const TResultEntry*> entries;
    entries.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i)
      if (const TResultEntry* e = list_.Item(i)) entries.push_back(e);
    out.Put(ResultUtcTrailer(entries));
  }
  if (!out.Flush()) {
    messenger_.ShowMsg(msgExportFailed, {TFmtArg(int64_t{out.ErrorCode()})});
    return false;
  }
  return true;
}

bool TResultFiles::ExportAll(const std::string& fileName, uint8_t formatMode) {
  if (list_.ItemCount() == 0) return true;
  std::string name = fileName;
  uint8_t mode = formatMode <= efBinary ? formatMode : uint8_t{efByExtension};
  if (!ChooseTarget(name, mode, false)) return false;
  return Write(name, mode, false);
}

bool TResultFiles::ExportSelected(const std::string& fileName) {
  bool any = false;
  {
    std::optional<TResultList::TGuard> guard;
    if (model_.busy) guard.emplace(list_);
    for (TResultEntry* e : list_.Items())
      if (e && (e->Flags & reflag::kSelected)) {
        any = true;
        break;
      }
  }
  if (!any) return true;
  std::string name = fileName;
  uint8_t mode = efText;
  if (!ChooseTarget(name, mode, true)) return false;
  return Write(name, efText, true);
}

void TResultFiles::CopySelected() {
  std::string text;
  {
    std::optional<TResultList::TGuard> guard;
    if (model_.busy) guard.emplace(list_);
    const bool withCrc = model_.results.crcAvailable;
    for (TResultEntry* e : list_.Items()) {
      if (!e || !(e->Flags & reflag::kSelected)) continue;
      text += ResultTextLine(*e, withCrc);
      text += "\r\n";
    }
  }
  if (!text.empty()) host_.SetClipboardText(text);
}

void TResultFiles::ImportFailed(const std::string& fileName, int code, int errorCode) {
  std::string reason;
  switch (code) {
    case rlOpenFailed:
      reason = Format(Str(strImportFailedIO), {TFmtArg(int64_t{errorCode})});
      break;
    case rlEmpty: reason = Str(strImportFailedEmpty); break;
    case rlBadHeader: reason = Str(strImportFailedInvalidHeader); break;
    case rlNotSupported: reason = Str(strImportFailedNotSupported); break;
    default: reason = Str(strImportFailedOtherError); break;
  }
  messenger_.ShowMsg(msgImportResultsFailed, {TFmtArg(fileName), TFmtArg(reason)});
}

bool TResultFiles::Import(const std::string& fileName) {
  // Replacing the list under a running scan or file action would pull the
  // entries away from under it.
  if (model_.busy) return false;
  if (list_.ItemCount() > 0 && messenger_.AskMsg(askLoseCurrentList, ansYes) != ansYes)
    return false;
  std::string name = fileName;
  if (name.empty()) {
    auto picked = host_.PickOpenFile(kImportTitle, kImportFilter);
    if (!picked || picked->empty()) return false;
    name = *picked;
  }
  uint16_t flags = 0;
  int32_t focused = -1;
  int errorCode = 0;
  const int code = LoadResultList(list_, name, &flags, &focused, errorCode);
  if (code != rlLoaded) {
    if (code == rlFormatError) {
      model_.results.focused = -1;
      host_.ResultsChanged();
    }
    ImportFailed(name, code, errorCode);
    return false;
  }
  list_.Recount();
  model_.results.crcAvailable = (flags & kResultFileHasCrc) != 0;
  model_.results.focused = focused >= 0 && focused < list_.ItemCount() ? focused : -1;
  model_.results.topRow = 0;
  host_.ResultsChanged(true, false);
  return true;
}

bool TResultFiles::AcceptDrop(const std::vector<std::string>& files, std::string& resultFile) {
  bool ok = files.size() == 1;
  std::string file;
  if (ok) {
    file = files.front();
    if (platform::IsShortcut(file)) {
      std::string target;
      platform::OsError err;
      ok = platform::ResolveShortcut(file, target, err) && !target.empty();
      file = target;
    }
  }
  ok = ok && platform::FileExists(file) && !platform::FolderExists(file) &&
       LowerExt(file) == ".zwr";
  if (!ok) {
    messenger_.ShowMsg(msgOnlyDropResultLists);
    return false;
  }
  resultFile = file;
  return true;
}

bool TResultFiles::ImportDropped(const std::vector<std::string>& files) {
  std::string file;
  return AcceptDrop(files, file) && Import(file);
}

bool TResultFiles::IsStartFile(const std::string& firstArgument) {
  if (firstArgument.empty() || firstArgument[0] == '-') return false;
  if (platform::kSlashStartsOptions && firstArgument[0] == '/') return false;
  return platform::FileExists(firstArgument) && !platform::FolderExists(firstArgument) &&
         LowerExt(firstArgument) == ".zwr";
}

}  // namespace zw
