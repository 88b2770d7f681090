// The report of an exception that nobody handled: the lines the exception
// dialog shows, copies and saves, and that the scan log shows as the details
// of a worker thread's exception entry. Also the stack recording that fills
// TZWExceptInfo::StackTrace.
//
// Report lines, in order:
//   Exception of class <class> at [<address>]:
//   <message, ending with a full stop>
//   (empty)
//   State: <state>           } only when the record has a state line
//   (empty)                  }
//   Windows Version <major>.<minor> build <build>, <service pack>
//   Free Memory: <avail> of <total> kiB; Swapfile: <avail> of <total> MiB
//   Display: <width>x<height> pixels
//   (empty)
//   Stack trace, generated <date and time>
//   <one line per frame>
#pragma once
#include <string>
#include <vector>

#include "engine/common/except_info.h"
#include "platform/filetime.h"
#include "platform/stack_trace.h"
#include "platform/system_info.h"

namespace zw {

// What the report says about the system.
struct TSystemFacts {
  platform::OsVersionInfo os;
  platform::MemoryInfo memory;
  platform::ScreenSize screen;
};
TSystemFacts CurrentSystemFacts();

// Appends the report lines of `info` to `lines`, with the facts of the
// running system.
void BuildReport(std::vector<std::string>& lines, const TZWExceptInfo& info);
// The same with given facts.
void BuildReport(std::vector<std::string>& lines, const TZWExceptInfo& info,
                 const TSystemFacts& facts);

// Writes the report of `info` as a text file in `folder` under a new name,
// "zwillo-error-<yyyymmdd-hhmmss>.txt" (with "-2", "-3" ... when that is
// taken); never replaces a file. Returns the file's path, empty on failure.
std::string SaveReportFile(const TZWExceptInfo& info, const std::string& folder);

// A pointer as "%p" shows it in the report: upper-case hex digits, as many
// as a pointer has (8 on 32-bit systems, 16 on 64-bit ones), no prefix.
std::string FormatPointer(const void* p);
// One stack frame line: "[address] module: procedure + 0xoffset (Line n, "file")";
// what is unknown is left out (an unknown procedure shows the offset into
// the module instead).
std::string FormatStackFrame(const platform::StackFrame& frame);
// Local date and time of the stack trace's first line, "yyyy-mm-dd hh:nn:ss".
std::string ReportDateTimeText(platform::FileTime local);

// The stack of the calling thread as the record keeps it: the line
// "Stack trace, generated <now>" and one line per frame from the caller of
// this function outwards, separated by CR LF.
std::string CaptureStackTrace();
// Makes every TZWExceptInfo built from now on record its stack with
// CaptureStackTrace. Called once at start-up.
void InstallStackCapture();

}  // namespace zw
