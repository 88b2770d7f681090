// What the exception dialog shows and does apart from drawing: its captions,
// the message and the text of a report, saving the report where the user
// chose, and the rule that only one such dialog is shown at a time.
#pragma once
#include <atomic>
#include <string>
#include <string_view>
#include <vector>

#include "app/text/string_table.h"

namespace zw {

struct TExceptDialogTexts {
  std::string caption;     // strError
  std::string intro;       // lblExceptIntro
  std::string outro;       // lblExceptOutro, names the support address
  std::string ok;          // lblOK
  std::string details;     // lblDetails, without its " >>" / " <<"
  std::string copy;        // lblCopyReport
  std::string save;        // lblSaveReport
  std::string saveTitle;   // lblSaveReportCpt
  std::string saveFilter;  // lblSaveReportFilter, "text|*.ext|..." pairs
  std::string defaultExt;  // "txt"
  std::string saveFailed;  // "%d": the system's error code

  // The details button: "Details >>" collapsed, "Details <<" expanded.
  std::string DetailsButton(bool expanded) const;
};

// The dialog's texts: a language file's where it has them, otherwise the
// built-in English ones, whose outro names `supportAddress`.
TExceptDialogTexts ExceptDialogTexts(std::string_view supportAddress,
                                     const TStringTable& strings = Strings());

// The message the dialog shows above the report: the report's second line
// (the exception's message); empty when the report has none.
std::string ReportMessage(const std::vector<std::string>& lines);
// The report as one text, each line followed by CR LF (what the memo shows,
// what is copied and saved).
std::string ReportText(const std::vector<std::string>& lines);
// Writes the report's text to `path`, a file the user chose in a save
// dialog that asked before replacing it. False on failure, with the
// system's error code in `errorCode`.
bool SaveReportText(const std::vector<std::string>& lines, const std::string& path,
                    int* errorCode = nullptr);

// Only one exception dialog is shown at a time: a report that comes while
// one is shown is not shown. Hold a slot while the dialog is up.
class TReportSlot {
 public:
  TReportSlot() : held_(!Taken().exchange(true)) {}
  ~TReportSlot() {
    if (held_) Taken().store(false);
  }
  TReportSlot(const TReportSlot&) = delete;
  TReportSlot& operator=(const TReportSlot&) = delete;
  // False: another dialog is shown; do not show this report.
  bool Held() const { return held_; }

 private:
  static std::atomic<bool>& Taken();
  bool held_;
};

}  // namespace zw
