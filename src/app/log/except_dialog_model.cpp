#include "app/log/except_dialog_model.h"

#include "app/log/log_window_model.h"
#include "app/text_ids.h"
#include "platform/files.h"

namespace zw {

std::string TExceptDialogTexts::DetailsButton(bool expanded) const {
  return details + (expanded ? " <<" : " >>");
}

TExceptDialogTexts ExceptDialogTexts(std::string_view supportAddress, const TStringTable& strings) {
  TExceptDialogTexts t;
  t.caption = TextOr(strings, strError, "Error");
  t.intro = TextOr(strings, lblExceptIntro, "An unhandled exception has occured. Message text:");
  t.outro = TextOr(strings, lblExceptOutro,
                   "Please save this report or copy it, and mail it to " +
                       std::string(supportAddress) +
                       " together with a description of what you did before the error "
                       "occurred.");
  t.ok = TextOr(strings, lblOK, "OK");
  t.details = TextOr(strings, lblDetails, "Details");
  t.copy = TextOr(strings, lblCopyReport, "Copy report");
  t.save = TextOr(strings, lblSaveReport, "Save report");
  t.saveTitle = TextOr(strings, lblSaveReportCpt, "Save exception report");
  t.saveFilter =
      TextOr(strings, lblSaveReportFilter, "text file (*.txt)|*.txt|all files (*.*)|*.*");
  t.defaultExt = "txt";
  t.saveFailed = "Could not save the report (I/O-Error %d occured).";
  return t;
}

std::string ReportMessage(const std::vector<std::string>& lines) {
  return lines.size() >= 2 ? lines[1] : std::string();
}

std::string ReportText(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

bool SaveReportText(const std::vector<std::string>& lines, const std::string& path,
                    int* errorCode) {
  const std::string text = ReportText(lines);
  platform::File file;
  platform::OsError err;
  bool ok = file.CreateAlways(path, err);
  if (ok && !file.Write(text.data(), text.size(), err)) ok = false;
  file.Close();
  if (errorCode) *errorCode = ok ? 0 : err.code;
  return ok;
}

std::atomic<bool>& TReportSlot::Taken() {
  static std::atomic<bool> taken{false};
  return taken;
}

}  // namespace zw
