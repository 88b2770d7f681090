#include "app/script/command_line_parser.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "app/results/result_files.h"
#include "app/script/keyword_table.h"
#include "app/text_ids.h"

namespace zw {

namespace {

constexpr std::string_view kFlagChars = "01cfntuy";
constexpr std::string_view kTrueFlagChars = "1cty";
constexpr std::string_view kOnError = "onerror";

bool IsIntro(char c, TCommandIntro intro) {
  return c == '-' || (c == '/' && intro == TCommandIntro::DashOrSlash);
}

std::string_view TrimBlanks(std::string_view text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

// True when `text` is the word `word` alone or followed by a blank.
bool IsWord(std::string_view text, std::string_view word) {
  return text.substr(0, word.size()) == word &&
         (text.size() == word.size() || text[word.size()] == ' ');
}

// End of an unquoted token: the next blank outside double quotes, so that a
// name="value" token may hold blanks in its value.
size_t TokenEnd(std::string_view text, size_t pos) {
  bool quoted = false;
  for (; pos < text.size(); ++pos) {
    if (text[pos] == '"')
      quoted = !quoted;
    else if (text[pos] == ' ' && !quoted)
      break;
  }
  return pos;
}

// The words before the first command of a POSIX command line: the
// program's path, then at most a result list file (loaded before the
// commands are read). Anything else there would be ignored without a word,
// such as commands written with "/" as on Windows: it is refused as an
// unknown command. False after the message.
bool CheckWordsBeforeCommands(std::string_view text, IScriptEnvironment& env) {
  size_t pos = 0;
  for (int index = 0;; ++index) {
    while (pos < text.size() && text[pos] == ' ') ++pos;
    if (pos >= text.size()) return true;
    size_t end = TokenEnd(text, pos);
    std::string_view word = text.substr(pos, end - pos);
    pos = end;
    if (word.size() >= 2 && word.front() == '"' && word.back() == '"')
      word = word.substr(1, word.size() - 2);
    if (index == 0) continue;  // the program's path
    if (index == 1 && TResultFiles::IsStartFile(std::string(word))) continue;
    env.Messenger().ShowMsg(msgParseUnknownCommandC, {std::string(word)});
    return false;
  }
}

bool ParseKeywordCommand(TZWScrParent& script, const TScrKeyword& keyword, std::string_view text,
                         IScriptEnvironment& env) {
  std::unique_ptr<TZWScrCommand> command = keyword.create();
  command->Init(keyword.keyword);

  bool tokenFailed = false;
  size_t pos = keyword.keyword.size();
  for (;;) {
    while (pos < text.size() && text[pos] == ' ') ++pos;
    if (pos >= text.size()) break;
    if (text[pos] == '"') {
      size_t close = text.find('"', pos + 1);
      if (close == std::string_view::npos) break;  // unclosed: dropped
      // An empty quoted text is no parameter.
      if (close > pos + 1 && !command->ParseQuoted(text.substr(pos + 1, close - pos - 1)))
        tokenFailed = true;
      pos = close + 1;
      continue;
    }
    size_t end = TokenEnd(text, pos);
    std::string_view token = text.substr(pos, end - pos);
    pos = end;
    if (command->ParseOption(token)) continue;
    char first = token.front();
    if (kFlagChars.find(first) != std::string_view::npos &&
        command->SetFlag(kTrueFlagChars.find(first) != std::string_view::npos))
      continue;
    // Later tokens are still read: a parameter after a bad token makes the
    // message name the bad token's fault rather than a missing parameter.
    tokenFailed = true;
  }

  bool missingParam = command->needsParam && !command->hasParam;
  if (!tokenFailed && !missingParam) {
    script.Append(std::move(command));
    return true;
  }
  env.Messenger().ShowMsg(missingParam ? msgParseMissingParam : msgParseError,
                          {std::string(text)});
  return false;
}

}  // namespace

std::string LowerOutsideQuotes(std::string_view text) {
  std::string out(text);
  bool quoted = false;
  for (char& c : out) {
    if (c == '"')
      quoted = !quoted;
    else if (!quoted && c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

namespace {

// `depth`: how many on-error scripts deep `script` is.
bool ParseCommandAt(TZWScrParent& script, std::string_view command, IScriptEnvironment& env,
                    int depth) {
  const std::string lowered = LowerOutsideQuotes(command);
  const std::string_view text = TrimBlanks(lowered);

  bool ok;
  const TScrKeyword* keyword = MatchKeyword(text);
  if (keyword && keyword->Implemented()) {
    ok = ParseKeywordCommand(script, *keyword, text, env);
  } else if (!keyword && IsWord(text, kOnError) && depth >= kMaxOnErrorNesting) {
    // Every level keeps its own copy of the rest of the command: a command
    // line of nothing but "onerror" words would take stack and memory without
    // bound.
    env.Messenger().ShowMsg(msgParseError, {std::string(text)});
    ok = false;
  } else if (!keyword && IsWord(text, kOnError)) {
    // The rest after "onerror" and its blank is one command of its own.
    std::string_view rest = text.substr(std::min(text.size(), kOnError.size() + 1));
    ok = ParseCommandAt(script.MakeOnErrorScript(), rest, env, depth + 1);
  } else if (!keyword && text.substr(0, 4) == "lang") {
    ok = true;  // the language choice reads it
  } else {
    std::string_view word = text.substr(0, text.find(' '));
    env.Messenger().ShowMsg(msgParseUnknownCommandC, {std::string(word)});
    ok = false;
  }

  if (!ok && script.OnErrorScript()) script.OnErrorScript()->Execute(env);
  return ok;
}

}  // namespace

bool ParseCommand(TZWScrParent& script, std::string_view command, IScriptEnvironment& env) {
  return ParseCommandAt(script, command, env, 0);
}

bool ParseCommandLine(TZWCommandLine& script, std::string text, IScriptEnvironment& env,
                      TCommandIntro intro) {
  // One pass over the whole text first: lower case outside quotes, quotes
  // checked, command boundaries found. A missing quote parses nothing, and
  // so does a quote out of place: a quoted text begins at the start of a
  // word (or after the "=" of name="value") and ends at the end of one, so
  // a quote anywhere else can only be one inside a quoted text, which ends
  // that text early and lets the rest of it be read as commands.
  std::vector<std::pair<size_t, size_t>> segments;
  size_t segmentStart = std::string::npos;
  size_t misplaced = std::string::npos;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '"') {
      size_t close = text.find('"', i + 1);
      if (close == std::string::npos) {
        env.Messenger().ShowMsg(msgParseMissingQuoteC);
        return false;
      }
      if (misplaced == std::string::npos) {
        if (i > 0 && text[i - 1] != ' ' && text[i - 1] != '=')
          misplaced = i;
        else if (close + 1 < text.size() && text[close + 1] != ' ')
          misplaced = close;
      }
      i = close;
    } else if (c >= 'A' && c <= 'Z') {
      text[i] = static_cast<char>(c - 'A' + 'a');
    } else if (c == ' ' && i + 1 < text.size() && IsIntro(text[i + 1], intro)) {
      if (segmentStart != std::string::npos) segments.emplace_back(segmentStart, i);
      segmentStart = i + 2;
      ++i;  // the "-" itself
    }
  }
  if (segmentStart != std::string::npos) segments.emplace_back(segmentStart, text.size());

  const std::string_view all(text);
  const size_t firstCommand = segments.empty() ? all.size() : segments.front().first - 2;
  if (misplaced != std::string::npos) {
    // The command that holds it, or the words before the first command.
    std::string_view where = all.substr(0, firstCommand);
    for (auto [start, end] : segments)
      if (misplaced >= start && misplaced < end) where = all.substr(start, end - start);
    env.Messenger().ShowMsg(msgParseError, {std::string(TrimBlanks(where))});
    return false;
  }
  if (intro == TCommandIntro::DashOnly &&
      !CheckWordsBeforeCommands(all.substr(0, firstCommand), env))
    return false;
  for (auto [start, end] : segments)
    if (!ParseCommand(script, all.substr(start, end - start), env)) return false;
  return true;
}

bool RebuildCommandLine(int argc, const char* const* argv, std::string& line,
                        std::string& refused) {
  auto isOptionWord = [](std::string_view arg) {
    if (arg.empty()) return false;
    for (char c : arg)
      if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
        return false;
    return true;
  };
  // One quoted text and nothing else, with no quote inside.
  auto isQuotedText = [](std::string_view arg) {
    return arg.size() >= 2 && arg.front() == '"' && arg.back() == '"' &&
           arg.substr(1, arg.size() - 2).find('"') == std::string_view::npos;
  };
  // The name of a name=value option that takes a quoted value (lower case),
  // or empty.
  auto namedOption = [](std::string_view arg) {
    const size_t eq = arg.find('=');
    if (eq == std::string_view::npos) return std::string();
    std::string name(arg.substr(0, eq));
    for (char& c : name)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    const bool known = name == "filename" || name == "path" || name == "size" ||
                       name == "date" || name == "r";
    return known ? name : std::string();
  };
  auto quoted = [](std::string_view text) { return '"' + std::string(text) + '"'; };

  line.clear();
  refused.clear();
  bool secondValue = false;  // the argument after size= or date=: the high end
  bool languageNext = false;  // the argument after -lang: the language code
  for (int i = 0; i < argc; ++i) {
    std::string_view arg = argv[i] ? std::string_view(argv[i]) : std::string_view();
    if (i > 0) line += ' ';
    const bool highEnd = std::exchange(secondValue, false);
    const bool languageCode = std::exchange(languageNext, false);
    if (i == 0) {
      // The program's path: quoted, without quotes of its own that could
      // leave a quote open.
      std::string path;
      for (char c : arg)
        if (c != '"') path += c;
      line += quoted(path);
      continue;
    }
    if (!arg.empty() && arg.front() == '-' && arg.find('"') == std::string_view::npos) {
      line += arg;  // a command
      languageNext = LowerOutsideQuotes(arg) == "-lang";
      continue;
    }
    const std::string name = namedOption(arg);
    if (!name.empty()) {
      std::string_view value = arg.substr(name.size() + 1);
      if (name == "size" || name == "date") {
        // Both ends in one argument, as in 'size="1" "2"'.
        const size_t gap = value.find("\" \"");
        if (gap != std::string_view::npos && isQuotedText(value.substr(0, gap + 1)) &&
            isQuotedText(value.substr(gap + 2))) {
          line += arg;
          continue;
        }
      }
      if (isQuotedText(value)) value = value.substr(1, value.size() - 2);
      if (value.find('"') == std::string_view::npos) {
        line += arg.substr(0, name.size() + 1);
        line += quoted(value);
        secondValue = name == "size" || name == "date";
        continue;
      }
    } else if (isQuotedText(arg)) {
      line += arg;  // the user quoted it for the parser, as in '"/my data"'
      continue;
    } else if (arg.find('"') == std::string_view::npos) {
      // Option words stay bare, except as the high end of a range; every
      // other argument (paths, file names, masks) is a quoted text.
      line += isOptionWord(arg) && !highEnd && !languageCode ? std::string(arg) : quoted(arg);
      continue;
    }
    // A quote anywhere else could end a quoted text early and let the rest
    // of the argument be read as commands.
    refused = std::string(arg);
    line.clear();
    return false;
  }
  return true;
}

}  // namespace zw
