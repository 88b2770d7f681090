#include "app/log/log_details.h"

#include <mutex>

#include "app/log/exception_report.h"
#include "app/text/countdown_box.h"
#include "app/text/string_table.h"
#include "app/text/text_format.h"
#include "platform/errors.h"
#include "app/text_ids.h"

namespace zw {

namespace {

std::mutex g_hooksMu;
TExceptReportBuilder g_reportBuilder;
TExceptDialog g_exceptDialog;

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& l : lines) out += l + "\r\n";
  return out;
}

}  // namespace

void TZWLogBasicDetails::ShowDetails(IHost& host, const std::string& lineText) const {
  const TBoxStyle style = static_cast<TBoxStyle>((Kind & 15) << 4);  // OK button only
  host.MessageBox(lineText + "\r\n\r\n" + GetMessage(), Str(CaptionOfStyle(style)), style, 0);
}

std::string TZWLogNoDetails::GetMessage() const { return Str(strNoDetails); }

std::string TZWLogErrorDetails::GetMessage() const {
  std::string text = platform::SystemErrorText(static_cast<int>(ErrorCode));
  // The system's own texts often end with a full stop already.
  if (text.empty() || text.back() != '.') text += '.';
  return Str(strWindowsMessage) + "\r\n\"" + text + "\"";
}

void TZWLogExceptDetails::ShowDetails(IHost& host, const std::string& lineText) const {
  TExceptDialog dialog;
  {
    std::lock_guard<std::mutex> lock(g_hooksMu);
    dialog = g_exceptDialog;
  }
  if (dialog && Info) {
    dialog(Info);
    return;
  }
  host.MessageBox(lineText + "\r\n\r\n" + GetDetailText(), Str(strError), 0x10, 0);
}

std::string TZWLogExceptDetails::GetDetailText() const {
  if (!Info) return std::string();
  return JoinLines(BuildExceptReport(*Info));
}

void SetExceptReportBuilder(TExceptReportBuilder builder) {
  std::lock_guard<std::mutex> lock(g_hooksMu);
  g_reportBuilder = std::move(builder);
}

std::vector<std::string> BuildExceptReport(const TZWExceptInfo& info) {
  TExceptReportBuilder builder;
  {
    std::lock_guard<std::mutex> lock(g_hooksMu);
    builder = g_reportBuilder;
  }
  if (builder) return builder(info);
  std::vector<std::string> lines;
  BuildReport(lines, info);
  return lines;
}

std::vector<std::string> BasicExceptReport(const TZWExceptInfo& info) {
  std::vector<std::string> lines;
  const auto address = static_cast<int64_t>(reinterpret_cast<uintptr_t>(info.ExceptAddr));
  lines.push_back(Format("Exception of class %s at [%p]:", {info.ClassName, address}));
  std::string message = info.Message;
  if (message.empty() || message.back() != '.') message += '.';
  lines.push_back(message);
  lines.emplace_back();
  if (!info.State.empty()) {
    lines.push_back("State: " + info.State);
    lines.emplace_back();
  }
  if (!info.StackTrace.empty())
    for (auto& l : SplitItems(info.StackTrace)) lines.push_back(std::move(l));
  return lines;
}

void SetExceptDialog(TExceptDialog dialog) {
  std::lock_guard<std::mutex> lock(g_hooksMu);
  g_exceptDialog = std::move(dialog);
}

}  // namespace zw
