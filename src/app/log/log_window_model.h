// What the scan-log window shows and does apart from drawing: its captions,
// the text of a list item, the icon before it, and which items open their
// details.
#pragma once
#include <string>
#include <string_view>

#include "app/log/scan_log.h"
#include "app/text/string_table.h"

namespace zw {

struct TLogWindowTexts {
  std::string caption;     // lblScanLogCpt "scanning log"
  std::string heading;     // lblScanLog
  std::string hint;        // lblLogDetails
  std::string save;        // lblBtnSave "save..."
  std::string ok;          // lblOK
  std::string saveTitle;   // lblSaveLogCpt "save logfile"
  std::string saveFilter;  // lblSaveLogFilter, "text|*.ext|..." pairs
  std::string defaultExt;  // "txt"
};

// The text of `id` in force, or `builtIn` when the table holds none for it
// (the built-in table leaves some window captions to the window).
std::string TextOr(const TStringTable& strings, TStrID id, std::string_view builtIn);

// The window's texts: a language file's where it has them, otherwise the
// built-in English ones.
TLogWindowTexts LogWindowTexts(const TStringTable& strings = Strings());

// The text a list item shows: the line without its kind character and the
// blank after it; empty for a separator.
std::string LogItemText(std::string_view line);
// The kind (1 error .. 4 information) whose icon is drawn before the item:
// the kind of its details; 0 (no icon) for an entry without details or a
// kind outside 1..4.
int LogItemIconKind(const TLogEntry& entry);
// Whether opening the item (double-click, space bar) shows its details: an
// entry with a text and details. A separator opens nothing.
bool LogItemOpensDetails(const TLogEntry& entry);

}  // namespace zw
