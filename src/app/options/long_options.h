// The long options of the program without a window: what the option pages
// and the advanced dialogs set, given on the command line before the script
// as "--name=value" words. They are not script commands: they are taken out
// of the command line before the script parser sees it, and applied to the
// window model after the stored settings were loaded and before the script
// runs.
//
//   --name=complete|chars:N-M|first:N|last:N|before-first:C|after-first:C|
//          before-last:C|after-last:C
//   --name-case=ignore|match
//   --size-tolerance=exact|N[UNIT]            (0 in any unit: exact)
//   --date=exact|tolerance:DAYS|parts:time,day,month,year
//   --content=complete|range:N-M[UNIT]|range-from-end:N-M[UNIT]|first:N[UNIT]|
//             last:N[UNIT]
//   --content-method=crc|bytes|crc,bytes|middle
//   --attributes=ignore|exclude:LETTERS|only:LETTERS   (r h a s)
//   --size-filter=ignore|exclude:LOW-HIGH|only:LOW-HIGH
//   --less-status[=yes|no]
//   --save-settings[=yes|no]
// UNIT: B, kB, MB, GB, TB, PB, EB or their first letter, any case; a number
// without one counts bytes (one bound of a range without a unit takes the
// other's). Option names and words are case-insensitive; C keeps its case
// (and is lower-cased while names are compared ignoring case, as typing it
// into the dialog does).
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "app/host.h"
#include "app/script/command_line_parser.h"
#include "app/window_model.h"
#include "engine/common/messages.h"

namespace zw {

// The command line split for the program: the long options, the script's
// command line without them, and the first argument after the program's
// name that is not a long option (a result list file to import, if it is
// one).
struct TSplitCommandLine {
  std::vector<std::string> options;  // "--name=value", unquoted
  std::string commandLine;
  std::string firstArgument;
};

// Long options are the arguments that start with "--", anywhere before the
// first script command (an argument that starts with "-", or on Windows
// "/"). One after a script command shows msgOptionAfterCommand with both.
//  - POSIX (`raw` empty): the arguments without the options are rebuilt
//    into a command line (RebuildCommandLine; an argument it refuses shows
//    msgQuoteInArgument, or msgParseMissingQuoteC when it leaves a quote
//    open).
//  - Windows (`raw`: the command line as the process got it): the options
//    are cut out of it, so that the parser sees the rest as typed. An
//    option's quotes group its blanks and are dropped from its value
//    (--name=before-first:" "); one left open shows msgParseMissingQuoteC.
// False after the message.
bool SplitCommandLine(int argc, const char* const* argv, const std::optional<std::string>& raw,
                      TSplitCommandLine& out, IMessenger& msgr,
                      TCommandIntro intro = kNativeCommandIntro);

// Applies the long options to the model through the advanced dialogs and
// the size edits, so that a bad value gets the message the window's field
// gives (questions such as msgNumberOutOfRange are asked as the presenter
// decides; declining one refuses the option). An option given twice counts
// with its last value. An unknown option shows msgParseUnknownCommandC, one
// without its value msgParseMissingParam, a value that does not read
// msgParseError, each with the option as given. All or nothing: false
// leaves the model as it was.
bool ApplyLongOptions(const std::vector<std::string>& options, TWindowModel& model, IHost& host,
                      IMessenger& msgr);

}  // namespace zw
