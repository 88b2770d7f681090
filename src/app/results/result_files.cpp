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
#include "app/text_ids.h"

namespace zw {

namespace {


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
    std::string filter = Str(strExportFilter);
    int index = exportFilterIndex_;
    if (selectedOnly) {
      // Only the text entry: cut from the "|" that ends "|*.txt".
      const size_t at = filter.find("|*.txt|");
      if (at != std::string::npos) filter.erase(at + 6);
      index = 1;
    }
    auto picked = host_.PickSaveFile(Str(strExportTitle), filter, index);
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
    auto picked = host_.PickOpenFile(Str(strImportTitle), Str(strImportFilter));
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
