// The scan log: what scans and file operations report, one line per entry
// with optional details. Lines can be mirrored into a file as they come
// (`logfile`) and the whole log saved (`savelog`). Safe to add to and read
// from any thread.
//
// Entry line: kind character ("X" error, "?" question, "!" warning,
// "i" information), a blank, the local time, a blank, the text with its line
// breaks turned into blanks. An empty line is a separator.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "app/log/log_details.h"
#include "platform/filetime.h"

namespace zw {

struct TLogEntry {
  std::string Line;
  std::shared_ptr<const TZWLogDetails> Details;  // null: none
};

class TZWLog {
 public:
  // The local time now (tests set a fixed clock).
  using TClock = std::function<platform::FileTime()>;
  // The time as an entry line shows it.
  using TTimeFormat = std::function<std::string(platform::FileTime local)>;
  // Told about every new entry, on the thread that added it, after the entry
  // is in the log (a log window marshals to its own thread).
  using TListener = std::function<void(size_t index, const TLogEntry& entry)>;

  TZWLog();
  TZWLog(const TZWLog&) = delete;
  TZWLog& operator=(const TZWLog&) = delete;

  // Appends a line with its details (may be null) and mirrors it into the
  // live log file. A file that cannot be opened or written ends mirroring
  // silently.
  void Add(std::string line, std::shared_ptr<const TZWLogDetails> details = nullptr);
  // An empty line (no kind, time or details).
  void AddSeparator() { Add(std::string()); }
  // Builds the entry line for `kind` (1..4) and `text` at the clock's time and
  // adds it.
  void AddEntry(int kind, std::string_view text, std::shared_ptr<const TZWLogDetails> details);
  // The entry line for `kind` and `text` at the clock's time.
  std::string MakeLine(int kind, std::string_view text) const;

  // Starts mirroring into `fileName`: `overwrite` empties the file, otherwise
  // an existing file is appended to after an empty line. Lines already in
  // the log are not written. False (and no mirroring) when the file cannot be
  // opened; `errorCode` then gets the system's code.
  bool SetLogFile(const std::string& fileName, bool overwrite, int* errorCode = nullptr);
  void StopLogFile();
  std::string LogFileName() const;

  // Writes the whole log: every line, then for each entry with a detail text
  // an empty line, ">> " and the line, and the detail text. An empty log
  // succeeds without touching the file. On failure `errorCode` gets the
  // system's code.
  bool SaveToFile(const std::string& fileName, bool overwrite, int* errorCode = nullptr) const;

  size_t Count() const;
  std::string Line(size_t i) const;                            // empty outside
  std::shared_ptr<const TZWLogDetails> Details(size_t i) const;  // null outside
  std::vector<TLogEntry> Entries() const;
  // All lines, each followed by `eol`.
  std::string Text(std::string_view eol = "\n") const;

  int AddListener(TListener listener);  // returns a handle for RemoveListener
  void RemoveListener(int handle);

  void SetClock(TClock clock);
  void SetTimeFormat(TTimeFormat format);

  // "X", "?", "!", "i" for kinds 1..4; a blank for any other kind.
  static char KindChar(int kind);
  // CR LF, LF CR, and lone CR or LF each become one blank.
  static std::string FlattenLineBreaks(std::string_view text);
  // The time as "HH:MM:SS" (24 hours).
  static std::string DefaultTimeText(platform::FileTime local);
  // The local time of this machine now.
  static platform::FileTime LocalNow();

 private:
  void MirrorLocked(const std::string& line);

  mutable std::mutex mu_;
  std::vector<TLogEntry> entries_;
  std::string logFileName_;
  std::vector<std::pair<int, TListener>> listeners_;
  int nextListener_ = 1;
  TClock clock_;
  TTimeFormat timeFormat_;
};

// The program-wide log, created on first use.
TZWLog& ScanLog();

}  // namespace zw
