// The parser of the command-line script language.
//
// A command line is the program's path followed by commands, each introduced
// by "-" (or, on Windows, "/") after a blank:
//   zwillo -addfolder l r "/data/photos" -addmask x "*.tmp" -run -showlog
// A command is a keyword followed by tokens: quoted texts ("..."), option
// words (told apart by their first letter) and boolean flags (0 1 c f n t u y).
// "onerror <command>" adds the command to the script's on-error script;
// commands starting with "lang" belong to the language choice and are
// skipped. Keywords and option words are case-insensitive; quoted texts keep
// their case. Nothing is executed unless the whole command line parses.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "app/script/script_environment.h"
#include "app/script/script_objects.h"

namespace zw {

// Which characters start a command after a blank.
enum class TCommandIntro : uint8_t {
  DashOrSlash,  // Windows: "-" and "/"
  DashOnly,     // POSIX: "/" starts absolute paths
};

#ifdef _WIN32
inline constexpr TCommandIntro kNativeCommandIntro = TCommandIntro::DashOrSlash;
#else
inline constexpr TCommandIntro kNativeCommandIntro = TCommandIntro::DashOnly;
#endif

// Parses a whole command line into `script`, command by command. Everything
// before the first command (the program's path, a result list file) is
// ignored. A double quote without its closing quote shows
// msgParseMissingQuoteC and nothing is parsed. The first command that fails
// ends parsing: false (the commands parsed so far stay in `script`; the
// caller frees it unexecuted).
bool ParseCommandLine(TZWCommandLine& script, std::string text, IScriptEnvironment& env,
                      TCommandIntro intro = kNativeCommandIntro);

// How deep on-error scripts nest ("onerror onerror showlog": the on-error
// script of the on-error script shows the log).
inline constexpr int kMaxOnErrorNesting = 16;

// Parses one command (the text after its "-") and appends it to `script`.
// Failures show msgParseUnknownCommandC with the command's first word (also
// for keywords whose command is not built yet), msgParseMissingParam or
// msgParseError with the whole command text (also for on-error scripts
// nested deeper than kMaxOnErrorNesting). After a failure the script's
// on-error script, if it has one, is executed at once.
bool ParseCommand(TZWScrParent& script, std::string_view command, IScriptEnvironment& env);

// Lower-cases the letters A-Z outside double quotes.
std::string LowerOutsideQuotes(std::string_view text);

// The command line of a POSIX program, rebuilt from the arguments that the
// shell has already split and unquoted:
//   - the program's path is quoted (it is ignored by the parser);
//   - an argument that holds a double quote is kept as it is (the user quoted
//     it for the parser, as in '"/my data"' or r="base");
//   - a command (starting with "-") and a plain option word (letters and
//     digits only) stay unquoted;
//   - every other argument (paths, file names, masks) is wrapped in quotes.
// Arguments are joined with single blanks.
std::string RebuildCommandLine(int argc, const char* const* argv);

}  // namespace zw
