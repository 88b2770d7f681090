#include "app/log/log_window_model.h"

#include "app/text_ids.h"

namespace zw {

std::string TextOr(const TStringTable& strings, TStrID id, std::string_view builtIn) {
  std::string text = strings.Str(id);
  if (text.empty()) return std::string(builtIn);
  return text;
}

TLogWindowTexts LogWindowTexts(const TStringTable& strings) {
  TLogWindowTexts t;
  t.caption = TextOr(strings, lblScanLogCpt, "scanning log");
  t.heading = TextOr(strings, lblScanLog, "logged error messages and scanning results");
  t.hint = TextOr(strings, lblLogDetails, "doubleclick an entry or press spacebar for details");
  t.save = TextOr(strings, lblBtnSave, "save...");
  t.ok = TextOr(strings, lblOK, "OK");
  t.saveTitle = TextOr(strings, lblSaveLogCpt, "save logfile");
  t.saveFilter = TextOr(strings, lblSaveLogFilter,
                        "textfile (*.txt)|*.txt|logfile (*.log)|*.log|all files (*.*)|*.*");
  t.defaultExt = "txt";
  return t;
}

std::string LogItemText(std::string_view line) {
  if (line.size() <= 2) return std::string();
  return std::string(line.substr(2));
}

int LogItemIconKind(const TLogEntry& entry) {
  if (!entry.Details) return 0;
  const int kind = entry.Details->GetKind();
  return kind >= 1 && kind <= 4 ? kind : 0;
}

bool LogItemOpensDetails(const TLogEntry& entry) {
  return entry.Details != nullptr && !LogItemText(entry.Line).empty();
}

}  // namespace zw
