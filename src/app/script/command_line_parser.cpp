#include "app/script/command_line_parser.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "app/script/keyword_table.h"

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
      if (close > pos + 1) command->ParseQuoted(text.substr(pos + 1, close - pos - 1));
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
  // checked, command boundaries found. A missing quote parses nothing.
  std::vector<std::pair<size_t, size_t>> segments;
  size_t segmentStart = std::string::npos;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '"') {
      size_t close = text.find('"', i + 1);
      if (close == std::string::npos) {
        env.Messenger().ShowMsg(msgParseMissingQuoteC);
        return false;
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
  for (auto [start, end] : segments)
    if (!ParseCommand(script, all.substr(start, end - start), env)) return false;
  return true;
}

std::string RebuildCommandLine(int argc, const char* const* argv) {
  auto isOptionWord = [](std::string_view arg) {
    if (arg.empty()) return false;
    for (char c : arg)
      if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
        return false;
    return true;
  };

  // name=value of the options that take a quoted value, after the shell
  // took the quotes away: the value is quoted again.
  auto namedValue = [](std::string_view arg) {
    const size_t eq = arg.find('=');
    if (eq == std::string_view::npos || arg.find('"') != std::string_view::npos) return false;
    std::string name(arg.substr(0, eq));
    for (char& c : name)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return name == "filename" || name == "path" || name == "size" || name == "date" ||
           name == "r";
  };

  std::string line;
  for (int i = 0; i < argc; ++i) {
    std::string_view arg = argv[i] ? std::string_view(argv[i]) : std::string_view();
    if (i > 0) line += ' ';
    if (i == 0) {
      // The program's path: quoted, without quotes of its own that could
      // leave a quote open.
      line += '"';
      for (char c : arg)
        if (c != '"') line += c;
      line += '"';
    } else if (namedValue(arg)) {
      const size_t eq = arg.find('=');
      line += arg.substr(0, eq + 1);
      line += '"';
      line += arg.substr(eq + 1);
      line += '"';
    } else if (arg.find('"') != std::string_view::npos || (!arg.empty() && arg.front() == '-') ||
               isOptionWord(arg)) {
      line += arg;
    } else {
      line += '"';
      line += arg;
      line += '"';
    }
  }
  return line;
}

}  // namespace zw
