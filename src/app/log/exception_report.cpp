#include "app/log/exception_report.h"

#include <cinttypes>
#include <cstdio>
#include <string_view>

#include "platform/files.h"

namespace zw {

namespace {

// Splits a text at CR LF, LF or CR into lines.
void AppendLines(std::vector<std::string>& lines, std::string_view text) {
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
}

std::string_view TrimTrailingBreaks(std::string_view text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.remove_suffix(1);
  return text;
}

std::string Hex(uintptr_t v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%" PRIXPTR, v);
  return buf;
}

}  // namespace

TSystemFacts CurrentSystemFacts() {
  return {platform::GetOsVersion(), platform::GetMemoryInfo(), platform::GetPrimaryScreenSize()};
}

void BuildReport(std::vector<std::string>& lines, const TZWExceptInfo& info) {
  BuildReport(lines, info, CurrentSystemFacts());
}

void BuildReport(std::vector<std::string>& lines, const TZWExceptInfo& info,
                 const TSystemFacts& facts) {
  lines.push_back("Exception of class " + info.ClassName + " at [" +
                  FormatPointer(info.ExceptAddr) + "]:");

  // The message, closed by a full stop; a message of several lines keeps
  // them, and the stop goes after its last character.
  std::string message(TrimTrailingBreaks(info.Message));
  if (message.empty() || message.back() != '.') message += '.';
  AppendLines(lines, message);
  lines.emplace_back();

  if (!info.State.empty()) {
    lines.push_back("State: " + info.State);
    lines.emplace_back();
  }

  // On Windows the name is "Windows"; on POSIX the same line names the
  // kernel with uname's release numbers and version text.
  char buf[512];
  std::snprintf(buf, sizeof buf, "%s Version %" PRIu32 ".%" PRIu32 " build %" PRIu32 ", %s",
                facts.os.name.c_str(), facts.os.major, facts.os.minor, facts.os.build,
                facts.os.extra.c_str());
  lines.emplace_back(buf);
  std::snprintf(buf, sizeof buf,
                "Free Memory: %" PRIu64 " of %" PRIu64 " kiB; Swapfile: %" PRIu64 " of %" PRIu64
                " MiB",
                facts.memory.availPhys / 1024, facts.memory.totalPhys / 1024,
                facts.memory.availPageFile / 1048576, facts.memory.totalPageFile / 1048576);
  lines.emplace_back(buf);
  std::snprintf(buf, sizeof buf, "Display: %dx%d pixels", static_cast<int>(facts.screen.width),
                static_cast<int>(facts.screen.height));
  lines.emplace_back(buf);
  lines.emplace_back();

  AppendLines(lines, info.StackTrace);
}

std::string FormatPointer(const void* p) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*" PRIXPTR, static_cast<int>(2 * sizeof(void*)),
                reinterpret_cast<uintptr_t>(p));
  return buf;
}

std::string FormatStackFrame(const platform::StackFrame& frame) {
  std::string line = "[" + FormatPointer(reinterpret_cast<const void*>(frame.address)) + "]";
  line += ' ';
  line += frame.module.empty() ? "?" : frame.module;
  if (!frame.procedure.empty()) {
    line += ": " + frame.procedure + " + 0x" + Hex(frame.procOffset);
  } else if (frame.moduleBase != 0 && frame.address >= frame.moduleBase) {
    line += " + 0x" + Hex(frame.address - frame.moduleBase);
  }
  if (!frame.file.empty()) {
    line += " (Line " + std::to_string(frame.line) + ", \"" + frame.file + "\")";
  }
  return line;
}

std::string ReportDateTimeText(platform::FileTime local) {
  const platform::SystemTime t = platform::SplitFileTime(local);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04u-%02u-%02u %02u:%02u:%02u", unsigned{t.year},
                unsigned{t.month}, unsigned{t.day}, unsigned{t.hour}, unsigned{t.minute},
                unsigned{t.second});
  return buf;
}

__attribute__((noinline)) std::string CaptureStackTrace() {
  // Leave out this function itself: the trace starts at its caller.
  const std::vector<platform::StackFrame> frames = platform::CaptureStack(1);
  std::string text =
      "Stack trace, generated " + ReportDateTimeText(platform::UtcToLocal(platform::NowUtc()));
  for (const platform::StackFrame& f : frames) {
    text += "\r\n";
    text += FormatStackFrame(f);
  }
  return text;
}

std::string SaveReportFile(const TZWExceptInfo& info, const std::string& folder) {
  std::vector<std::string> lines;
  BuildReport(lines, info);
  std::string text;
  // CR LF, as the saved scan log has them.
  for (const std::string& line : lines) text += line + "\r\n";
  const platform::SystemTime t = platform::SplitFileTime(platform::UtcToLocal(platform::NowUtc()));
  char stamp[48];
  std::snprintf(stamp, sizeof stamp, "zwillo-error-%04u%02u%02u-%02u%02u%02u", unsigned{t.year},
                unsigned{t.month}, unsigned{t.day}, unsigned{t.hour}, unsigned{t.minute},
                unsigned{t.second});
  for (int n = 1; n < 100; ++n) {
    const std::string path =
        folder + stamp + (n == 1 ? std::string() : "-" + std::to_string(n)) + ".txt";
    platform::File file;
    platform::OsError err;
    if (!file.CreateNew(path, err)) {
      if (err.kind == platform::ErrKind::AlreadyExists) continue;
      return {};
    }
    if (!file.Write(text.data(), text.size(), err)) {
      file.Close();
      platform::RemoveFile(path, err);
      return {};
    }
    return path;
  }
  return {};
}

void InstallStackCapture() { SetStackCapture(&CaptureStackTrace); }

}  // namespace zw
