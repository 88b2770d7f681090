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
#include "platform/console.h"
#include "app/text_ids.h"

namespace zw {

// Which characters start a command after a blank.
enum class TCommandIntro : uint8_t {
  DashOrSlash,  // Windows: "-" and "/"
  DashOnly,     // POSIX: "/" starts absolute paths; no words before the first command
};

inline constexpr TCommandIntro kNativeCommandIntro =
    platform::kSlashStartsOptions ? TCommandIntro::DashOrSlash : TCommandIntro::DashOnly;

// Parses a whole command line into `script`, command by command. Everything
// before the first command (the program's path, a result list file) is
// ignored on Windows; on POSIX any word there but these two is refused with
// msgParseUnknownCommandC. A double quote without its closing quote shows
// msgParseMissingQuoteC, and a quote that neither begins a word (or the
// value after "=") nor ends one shows msgParseError with the command that
// holds it: it can only be a quote inside a quoted text. In these cases
// nothing is parsed. Otherwise the first command that fails ends parsing:
// false (the commands parsed so far stay in `script`; the caller frees it
// unexecuted).
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
//   - a command (starting with "-") and a plain option word (letters and
//     digits only) stay unquoted;
//   - an argument that is one quoted text ('"/my data"') stays as it is;
//   - a name=value option of the names that take a quoted value (filename,
//     path, size, date, r) gets its value quoted, whether the shell took
//     the user's quotes away or not; the argument after a size= or date=
//     is the high end of the range and quoted as well;
//   - the language code after -lang is quoted ('-lang de' gives
//     '-lang "de"', the form the language choice reads);
//   - every other argument (paths, file names, masks) is wrapped in quotes.
// Arguments are joined with single blanks. A quoted text cannot hold a
// double quote, so an argument with a quote anywhere else is refused: the
// quote would end a text early and let the rest of the argument be read as
// commands. False then, with the argument in `refused` (show
// msgQuoteInArgument with it, or msgParseMissingQuoteC when it holds an odd
// number of quotes and so leaves one open).
bool RebuildCommandLine(int argc, const char* const* argv, std::string& line,
                        std::string& refused);

}  // namespace zw
