// What a scan-log entry can say beyond its line: "no details", a system error
// message, or a full exception report. The log window opens them; saving the
// log writes the exception reports after the lines.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/host.h"
#include "engine/common/except_info.h"

namespace zw {

class TZWLogDetails {
 public:
  virtual ~TZWLogDetails() = default;
  // Kind of the entry: 1 error, 2 question, 3 warning, 4 information.
  virtual int GetKind() const = 0;
  // Shows the details of the entry whose line text (without the kind
  // character and its blank) is `lineText`.
  virtual void ShowDetails(IHost& host, const std::string& lineText) const = 0;
  // The text that saving the log writes after the lines; empty for none.
  virtual std::string GetDetailText() const { return std::string(); }
};

// Details shown in a message box: the line, an empty line, then GetMessage,
// with the caption and icon of the kind and an OK button.
class TZWLogBasicDetails : public TZWLogDetails {
 public:
  explicit TZWLogBasicDetails(int32_t kind) : Kind(kind) {}
  int GetKind() const override { return Kind; }
  void ShowDetails(IHost& host, const std::string& lineText) const override;
  virtual std::string GetMessage() const = 0;

  int32_t Kind;
};

// "No details available."
class TZWLogNoDetails : public TZWLogBasicDetails {
 public:
  using TZWLogBasicDetails::TZWLogBasicDetails;
  std::string GetMessage() const override;
};

// The system's text for an error code:
//   Windows error message:
//   "<system text>."
class TZWLogErrorDetails : public TZWLogBasicDetails {
 public:
  TZWLogErrorDetails(int32_t kind, uint32_t errorCode) : TZWLogBasicDetails(kind), ErrorCode(errorCode) {}
  std::string GetMessage() const override;

  uint32_t ErrorCode;
};

// An exception report; the entry is an error.
class TZWLogExceptDetails : public TZWLogDetails {
 public:
  explicit TZWLogExceptDetails(std::shared_ptr<TZWExceptInfo> info) : Info(std::move(info)) {}
  int GetKind() const override { return 1; }
  // Opens the exception dialog (see SetExceptDialog); without one, a message
  // box with the line and the report.
  void ShowDetails(IHost& host, const std::string& lineText) const override;
  // The report's lines, each followed by CR LF.
  std::string GetDetailText() const override;

  std::shared_ptr<TZWExceptInfo> Info;
};

// --- the exception report -------------------------------------------------

// Builds the lines of the report for a record: the full report with the
// facts about the system (BuildReport) unless another builder is set (null
// goes back to the full report).
using TExceptReportBuilder = std::function<std::vector<std::string>(const TZWExceptInfo&)>;
void SetExceptReportBuilder(TExceptReportBuilder builder);
std::vector<std::string> BuildExceptReport(const TZWExceptInfo& info);

// The report without the facts about the system:
//   Exception of class <class> at [<address>]:
//   <message, with a full stop added when it has none>
//   (empty)
//   State: <state>      } only when there is a state line
//   (empty)             }
//   <stack trace lines, when one was recorded>
std::vector<std::string> BasicExceptReport(const TZWExceptInfo& info);

// Opens the exception dialog for a record (set by the window at start-up).
using TExceptDialog = std::function<void(std::shared_ptr<TZWExceptInfo>)>;
void SetExceptDialog(TExceptDialog dialog);

}  // namespace zw
