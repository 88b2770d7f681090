#include "app/log/scan_log.h"

#include "app/text/text_format.h"
#include "platform/errors.h"
#include "platform/files.h"

namespace zw {

namespace {

// An open log file, written in pieces of up to 64 KiB; closed on every path.
// It is opened without waiting for anyone: a named pipe that nobody reads
// fails the open instead of hanging the program.
class LogFile {
 public:
  // Opens for writing, others may read meanwhile. `overwrite` starts the
  // file empty; otherwise the file is appended to (created when missing),
  // and an existing file gets CR LF first when `separator` is asked for.
  bool Open(const std::string& name, bool overwrite, bool separator, int& err) {
    const bool existed = !overwrite && platform::FileExists(name);
    platform::OsError e;
    if (!file_.OpenAppend(name, overwrite, e)) {
      err = Code(e);
      return false;
    }
    if (existed && separator) return Write("\r\n", err);
    return true;
  }
  bool Write(std::string_view text, int& err) {
    pending_ += text;
    return pending_.size() < kPiece || Flush(err);
  }
  // Writes what is pending; a failure here counts as a failed write.
  bool Close(int& err) {
    const bool ok = Flush(err);
    file_.Close();
    return ok;
  }

 private:
  static constexpr size_t kPiece = 64 * 1024;
  static int Code(const platform::OsError& e) { return e.code != 0 ? e.code : -1; }
  bool Flush(int& err) {
    platform::OsError e;
    const bool ok = file_.Write(pending_.data(), pending_.size(), e);
    pending_.clear();
    if (!ok) err = Code(e);
    return ok;
  }

  platform::File file_;
  std::string pending_;
};

}  // namespace

TZWLog::TZWLog() : clock_(&TZWLog::LocalNow), timeFormat_(&TZWLog::DefaultTimeText) {}

char TZWLog::KindChar(int kind) {
  switch (kind) {
    case 1: return 'X';
    case 2: return '?';
    case 3: return '!';
    case 4: return 'i';
    default: return ' ';
  }
}

std::string TZWLog::FlattenLineBreaks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      const char pair = c == '\r' ? '\n' : '\r';
      if (i + 1 < text.size() && text[i + 1] == pair) ++i;
      out += ' ';
    } else {
      out += c;
    }
  }
  return out;
}

std::string TZWLog::DefaultTimeText(platform::FileTime local) {
  const platform::SystemTime st = platform::SplitFileTime(local);
  return Format("%.2d:%.2d:%.2d",
                {int64_t{st.hour}, int64_t{st.minute}, int64_t{st.second}});
}

platform::FileTime TZWLog::LocalNow() { return platform::UtcToLocal(platform::NowUtc()); }

std::string TZWLog::MakeLine(int kind, std::string_view text) const {
  TClock clock;
  TTimeFormat format;
  {
    std::lock_guard<std::mutex> lock(mu_);
    clock = clock_;
    format = timeFormat_;
  }
  std::string line(1, KindChar(kind));
  line += ' ';
  line += format(clock());
  line += ' ';
  line += FlattenLineBreaks(text);
  return line;
}

void TZWLog::AddEntry(int kind, std::string_view text,
                      std::shared_ptr<const TZWLogDetails> details) {
  Add(MakeLine(kind, text), std::move(details));
}

void TZWLog::MirrorLocked(const std::string& line) {
  if (logFileName_.empty()) return;
  LogFile file;
  int err = 0;
  if (!file.Open(logFileName_, false, false, err) || !file.Write(line + "\r\n", err) ||
      !file.Close(err))
    logFileName_.clear();  // mirroring stops silently
}

void TZWLog::Add(std::string line, std::shared_ptr<const TZWLogDetails> details) {
  std::vector<TListener> listeners;
  TLogEntry copy;
  size_t index = 0;
  {
    std::lock_guard<std::mutex> lock(mu_);
    MirrorLocked(line);
    index = entries_.size();
    entries_.push_back(TLogEntry{std::move(line), std::move(details)});
    if (listeners_.empty()) return;
    copy = entries_.back();
    for (const auto& l : listeners_) listeners.push_back(l.second);
  }
  for (const auto& l : listeners) l(index, copy);
}

bool TZWLog::SetLogFile(const std::string& fileName, bool overwrite, int* errorCode) {
  std::lock_guard<std::mutex> lock(mu_);
  logFileName_ = fileName;
  LogFile file;
  int err = 0;
  if (!file.Open(fileName, overwrite, true, err) || !file.Close(err)) {
    logFileName_.clear();
    if (errorCode) *errorCode = err;
    return false;
  }
  return true;
}

void TZWLog::StopLogFile() {
  std::lock_guard<std::mutex> lock(mu_);
  logFileName_.clear();
}

std::string TZWLog::LogFileName() const {
  std::lock_guard<std::mutex> lock(mu_);
  return logFileName_;
}

bool TZWLog::SaveToFile(const std::string& fileName, bool overwrite, int* errorCode) const {
  const std::vector<TLogEntry> entries = Entries();
  if (entries.empty()) return true;
  LogFile file;
  int err = 0;
  bool ok = file.Open(fileName, overwrite, true, err);
  for (size_t i = 0; ok && i < entries.size(); ++i) ok = file.Write(entries[i].Line + "\r\n", err);
  for (size_t i = 0; ok && i < entries.size(); ++i) {
    const std::string detail = entries[i].Details ? entries[i].Details->GetDetailText() : "";
    if (!detail.empty()) ok = file.Write("\r\n>> " + entries[i].Line + "\r\n" + detail, err);
  }
  if (ok) ok = file.Close(err);  // a failed flush counts as a failed write
  if (!ok && errorCode) *errorCode = err;
  return ok;
}

size_t TZWLog::Count() const {
  std::lock_guard<std::mutex> lock(mu_);
  return entries_.size();
}

std::string TZWLog::Line(size_t i) const {
  std::lock_guard<std::mutex> lock(mu_);
  return i < entries_.size() ? entries_[i].Line : std::string();
}

std::shared_ptr<const TZWLogDetails> TZWLog::Details(size_t i) const {
  std::lock_guard<std::mutex> lock(mu_);
  return i < entries_.size() ? entries_[i].Details : nullptr;
}

std::vector<TLogEntry> TZWLog::Entries() const {
  std::lock_guard<std::mutex> lock(mu_);
  return entries_;
}

std::string TZWLog::Text(std::string_view eol) const {
  std::string out;
  for (const auto& e : Entries()) {
    out += e.Line;
    out += eol;
  }
  return out;
}

int TZWLog::AddListener(TListener listener) {
  std::lock_guard<std::mutex> lock(mu_);
  const int handle = nextListener_++;
  listeners_.emplace_back(handle, std::move(listener));
  return handle;
}

void TZWLog::RemoveListener(int handle) {
  std::lock_guard<std::mutex> lock(mu_);
  for (auto it = listeners_.begin(); it != listeners_.end(); ++it)
    if (it->first == handle) {
      listeners_.erase(it);
      return;
    }
}

void TZWLog::SetClock(TClock clock) {
  std::lock_guard<std::mutex> lock(mu_);
  clock_ = clock ? std::move(clock) : TClock(&TZWLog::LocalNow);
}

void TZWLog::SetTimeFormat(TTimeFormat format) {
  std::lock_guard<std::mutex> lock(mu_);
  timeFormat_ = format ? std::move(format) : TTimeFormat(&TZWLog::DefaultTimeText);
}

TZWLog& ScanLog() {
  static TZWLog log;
  return log;
}

}  // namespace zw
