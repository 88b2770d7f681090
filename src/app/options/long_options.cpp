#include "app/options/long_options.h"

#include <map>
#include <string_view>
#include <utility>

#include "app/options/advanced_dialogs.h"
#include "app/size_edit.h"
#include "engine/scan/scan_job.h"
#include "app/text_ids.h"

namespace zw {

namespace {

bool IsOption(std::string_view arg) { return arg.size() >= 2 && arg.substr(0, 2) == "--"; }

bool IsCommand(std::string_view arg, TCommandIntro intro) {
  return !arg.empty() && !IsOption(arg) &&
         (arg[0] == '-' || (arg[0] == '/' && intro == TCommandIntro::DashOrSlash));
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// Cuts the long options out of a command line as the process got it, which
// the script parser reads as typed: words are separated by blanks outside
// double quotes, the first word is the program's path.
bool StripOptions(const std::string& raw, std::vector<std::string>& options, std::string& line,
                  IMessenger& msgr, TCommandIntro intro) {
  line.clear();
  std::string firstCommand;
  size_t kept = 0;  // `raw` up to here is in `line` or dropped
  size_t pos = 0;
  for (int index = 0;; ++index) {
    const size_t gap = pos;
    while (pos < raw.size() && raw[pos] == ' ') ++pos;
    if (pos >= raw.size()) break;
    const size_t start = pos;
    bool quoted = false;
    for (; pos < raw.size() && (quoted || raw[pos] != ' '); ++pos)
      if (raw[pos] == '"') quoted = !quoted;
    const std::string_view word = std::string_view(raw).substr(start, pos - start);
    if (index == 0 || !IsOption(word)) {
      if (index > 0 && firstCommand.empty() && IsCommand(word, intro)) firstCommand = word;
      continue;
    }
    std::string value;
    for (char c : word)
      if (c != '"') value += c;
    if (quoted) {  // the option's quote runs to the end of the line
      msgr.ShowMsg(msgParseMissingQuoteC);
      return false;
    }
    if (!firstCommand.empty()) {
      msgr.ShowMsg(msgOptionAfterCommand, {value, firstCommand});
      return false;
    }
    options.push_back(std::move(value));
    line.append(raw, kept, gap - kept);  // the blanks before it go with it
    kept = pos;
  }
  line.append(raw, kept, std::string::npos);
  return true;
}

// --- reading values ---

// A number with an optional unit after it: "4kB", "4 k", "12".
struct TNumberText {
  std::string number;
  std::optional<uint8_t> unit;
};

TNumberText ReadNumberText(std::string_view text) {
  text = Trim(text);
  size_t letters = text.size();
  while (letters > 0 && ((text[letters - 1] >= 'a' && text[letters - 1] <= 'z') ||
                         (text[letters - 1] >= 'A' && text[letters - 1] <= 'Z')))
    --letters;
  const std::string suffix = Lower(text.substr(letters));
  std::optional<uint8_t> unit;
  static constexpr std::string_view kPrefixes = "kmgtpe";
  if (suffix == "b") {
    unit = 0;
  } else if (!suffix.empty() && kPrefixes.find(suffix[0]) != std::string_view::npos &&
             (suffix.size() == 1 || suffix.substr(1) == "b" || suffix.substr(1) == "ib")) {
    unit = static_cast<uint8_t>(1 + kPrefixes.find(suffix[0]));
  }
  // Letters that name no unit stay in the number, which then does not read.
  if (!unit) return {std::string(text), std::nullopt};
  return {std::string(Trim(text.substr(0, letters))), unit};
}

// "LOW-HIGH": split at the first "-" after the first character, so that a
// low bound may carry a sign.
bool SplitRange(std::string_view text, std::string_view& low, std::string_view& high) {
  const size_t dash = text.size() > 1 ? text.find('-', 1) : std::string_view::npos;
  if (dash == std::string_view::npos) return false;
  low = text.substr(0, dash);
  high = text.substr(dash + 1);
  return true;
}

// "word:argument" -> word (lower case) and argument (as given).
void SplitWord(std::string_view value, std::string& word, std::string_view& argument,
               bool& hasArgument) {
  const size_t colon = value.find(':');
  hasArgument = colon != std::string_view::npos;
  word = Lower(Trim(value.substr(0, colon)));
  argument = hasArgument ? value.substr(colon + 1) : std::string_view();
}

std::optional<bool> ReadYesNo(const std::string& value) {
  const std::string v = Lower(Trim(value));
  if (v == "yes" || v == "on") return true;
  if (v == "no" || v == "off") return false;
  return std::nullopt;
}

struct TOption {
  std::string text;  // as given
  std::string value;
  bool hasValue = false;
};
using TOptions = std::map<std::string, TOption>;

const TOption* Find(const TOptions& options, const char* name) {
  const auto it = options.find(name);
  return it == options.end() ? nullptr : &it->second;
}

bool Refuse(const TOption& option, IMessenger& msgr) {
  msgr.ShowMsg(msgParseError, {option.text});
  return false;
}

// --- the options, each through what the window would use ---

bool ApplyName(const TOption* mode, const TOption* nameCase, TAdvFilenameOptions& record,
               IMessenger& msgr) {
  if (!mode && !nameCase) return true;
  TAdvFilenameModel dlg(msgr);
  dlg.Load(record);
  // The case first: it decides how the separator is typed.
  if (nameCase) {
    const std::string v = Lower(Trim(nameCase->value));
    if (v == "ignore")
      dlg.CBIgnoreCase = true;
    else if (v == "match")
      dlg.CBIgnoreCase = false;
    else
      return Refuse(*nameCase, msgr);
  }
  if (mode) {
    std::string word;
    std::string_view arg;
    bool hasArg = false;
    SplitWord(mode->value, word, arg, hasArg);
    using R = TAdvFilenameModel::Radio;
    if (word == "complete" && !hasArg) {
      dlg.radio = R::RBComplete;
    } else if (word == "chars" && hasArg) {
      std::string_view low, high;
      if (!SplitRange(arg, low, high)) return Refuse(*mode, msgr);
      dlg.radio = R::RBNToN;
      dlg.ECharsN1.text = std::string(Trim(low));
      dlg.ECharsN2.text = std::string(Trim(high));
    } else if ((word == "first" || word == "last") && hasArg) {
      dlg.radio = R::RBFirstLast;
      dlg.CBFirstLast = word == "last";
      dlg.EFirstLast.text = std::string(Trim(arg));
    } else if ((word == "before-first" || word == "after-first" || word == "before-last" ||
                word == "after-last") &&
               hasArg && arg.size() <= 1) {
      dlg.radio = R::RBOcc;
      dlg.CBOccBeforeAfter = word.rfind("after", 0) == 0;
      dlg.CBOccFirstLast = word.size() > 5 && word.substr(word.size() - 4) == "last";
      dlg.OccTyped(arg);  // empty: the dialog asks for the character
    } else {
      return Refuse(*mode, msgr);
    }
  }
  return dlg.OK(record);
}

bool ApplySizeTolerance(const TOption* option, TAdvSizeOptions& record, IMessenger& msgr) {
  if (!option) return true;
  TAdvSizeModel dlg(msgr);
  dlg.Load(record);
  const TNumberText n = ReadNumberText(option->value);
  const std::optional<int64_t> number = ParseSizeNumber(n.number);
  if (Lower(Trim(option->value)) == "exact" || (number && *number == 0)) {
    dlg.RBTolerant = false;
  } else {
    dlg.RBTolerant = true;
    dlg.ETolerance.unit = n.unit.value_or(0);
    dlg.ETolerance.text = n.number;
  }
  return dlg.OK(record);
}

bool ApplyDate(const TOption* option, TAdvDateOptions& record, IMessenger& msgr) {
  if (!option) return true;
  TAdvDateModel dlg(msgr);
  dlg.Load(record);
  std::string word;
  std::string_view arg;
  bool hasArg = false;
  SplitWord(option->value, word, arg, hasArg);
  if (word == "exact" && !hasArg) {
    dlg.RBPartly = false;
    dlg.CBMayDiffer = false;
  } else if (word == "tolerance" && hasArg) {
    dlg.RBPartly = false;
    dlg.CBMayDiffer = true;
    dlg.EMayDiffer.text = std::string(Trim(arg));
  } else if (word == "parts" && hasArg) {
    dlg.RBPartly = true;
    dlg.CBTime = dlg.CBDay = dlg.CBMonth = dlg.CBYear = false;
    size_t pos = 0;
    while (pos <= arg.size()) {
      const size_t comma = std::min(arg.find(',', pos), arg.size());
      const std::string part = Lower(Trim(arg.substr(pos, comma - pos)));
      pos = comma + 1;
      if (part.empty()) continue;  // "parts:" checks none: the dialog says so
      bool* box = part == "time"    ? &dlg.CBTime
                  : part == "day"   ? &dlg.CBDay
                  : part == "month" ? &dlg.CBMonth
                  : part == "year"  ? &dlg.CBYear
                                    : nullptr;
      if (!box) return Refuse(*option, msgr);
      *box = true;
    }
  } else {
    return Refuse(*option, msgr);
  }
  return dlg.OK(record);
}

bool ApplyContent(const TOption* range, const TOption* method, TAdvContentOptions& record,
                  IMessenger& msgr) {
  if (!range && !method) return true;
  TAdvContentModel dlg(msgr);
  dlg.Load(record);
  if (method) {
    const std::string v = Lower(Trim(method->value));
    if (v == "middle") {
      dlg.CBFingerprint = dlg.CBBpB = false;
    } else {
      dlg.CBFingerprint = dlg.CBBpB = false;
      size_t pos = 0;
      while (pos <= v.size()) {
        const size_t comma = std::min(v.find(',', pos), v.size());
        const std::string m(Trim(std::string_view(v).substr(pos, comma - pos)));
        pos = comma + 1;
        if (m == "crc")
          dlg.CBFingerprint = true;
        else if (m == "bytes")
          dlg.CBBpB = true;
        else
          return Refuse(*method, msgr);
      }
    }
  }
  if (range) {
    std::string word;
    std::string_view arg;
    bool hasArg = false;
    SplitWord(range->value, word, arg, hasArg);
    using R = TAdvContentModel::Radio;
    if (word == "complete" && !hasArg) {
      dlg.radio = R::RBComplete;
    } else if ((word == "range" || word == "range-from-end") && hasArg) {
      std::string_view low, high;
      if (!SplitRange(arg, low, high)) return Refuse(*range, msgr);
      const TNumberText n1 = ReadNumberText(low), n2 = ReadNumberText(high);
      // One unit box serves both bounds.
      if (n1.unit && n2.unit && *n1.unit != *n2.unit) return Refuse(*range, msgr);
      const uint8_t unit = n2.unit.value_or(n1.unit.value_or(0));
      dlg.radio = R::RBNToN;
      dlg.CBNToNFromEnd = word == "range-from-end";
      dlg.EBytesN1.unit = dlg.EBytesN2.unit = unit;
      dlg.EBytesN1.text = n1.number;
      dlg.EBytesN2.text = n2.number;
    } else if ((word == "first" || word == "last") && hasArg) {
      const TNumberText n = ReadNumberText(arg);
      dlg.radio = R::RBFirstLast;
      dlg.CBFirstLast = word == "last";
      dlg.EFirstLast.unit = n.unit.value_or(0);
      dlg.EFirstLast.text = n.number;
    } else {
      return Refuse(*range, msgr);
    }
  }
  return dlg.OK(record);
}

bool ApplyAttributes(const TOption* option, TWindowModel& m, IMessenger& msgr) {
  if (!option) return true;
  std::string word;
  std::string_view arg;
  bool hasArg = false;
  SplitWord(option->value, word, arg, hasArg);
  if (word == "ignore" && !hasArg) {
    m.attribMode = fmIgnore;
    return true;
  }
  if (word != "exclude" && word != "only") return Refuse(*option, msgr);
  bool r = false, h = false, a = false, s = false;
  for (char c : Lower(Trim(arg))) {
    bool* box = c == 'r' ? &r : c == 'h' ? &h : c == 'a' ? &a : c == 's' ? &s : nullptr;
    if (!box) return Refuse(*option, msgr);
    *box = true;
  }
  m.attribMode = word == "exclude" ? fmExclude : fmLimitTo;
  m.attrReadOnly = r;
  m.attrHidden = h;
  m.attrArchive = a;
  m.attrSystem = s;
  return true;
}

bool ApplySizeFilter(const TOption* option, TWindowModel& m, IHost& host, IMessenger& msgr) {
  if (!option) return true;
  std::string word;
  std::string_view arg;
  bool hasArg = false;
  SplitWord(option->value, word, arg, hasArg);
  if (word == "ignore" && !hasArg) {
    m.sizeMode = fmIgnore;
    return true;
  }
  std::string_view low, high;
  if ((word != "exclude" && word != "only") || !hasArg || !SplitRange(arg, low, high))
    return Refuse(*option, msgr);
  const TNumberText n1 = ReadNumberText(low), n2 = ReadNumberText(high);
  // Each bound has its unit box; a bound without a unit takes the other's.
  m.sizeLow.unit = n1.unit.value_or(n2.unit.value_or(0));
  m.sizeHigh.unit = n2.unit.value_or(n1.unit.value_or(0));
  m.sizeLow.text = n1.number;
  m.sizeHigh.text = n2.number;
  if (!ValidateSizeEdit(m.sizeLow, TControl::ELimitSize1, host, msgr, false, 0) ||
      !ValidateSizeEdit(m.sizeHigh, TControl::ELimitSize2, host, msgr, false, 0))
    return false;
  m.sizeMode = word == "exclude" ? fmExclude : fmLimitTo;
  return true;
}

bool ApplyFlag(const TOption* option, bool& flag, IMessenger& msgr) {
  if (!option) return true;
  const std::optional<bool> on = option->hasValue ? ReadYesNo(option->value) : true;
  if (!on) return Refuse(*option, msgr);
  flag = *on;
  return true;
}

// The options and whether they need a value.
const std::map<std::string, bool, std::less<>>& Known() {
  static const std::map<std::string, bool, std::less<>> known = {
      {"name", true},        {"name-case", true},   {"size-tolerance", true},
      {"date", true},        {"content", true},     {"content-method", true},
      {"attributes", true},  {"size-filter", true}, {"less-status", false},
      {"save-settings", false},
  };
  return known;
}

}  // namespace

bool SplitCommandLine(int argc, const char* const* argv, const std::optional<std::string>& raw,
                      TSplitCommandLine& out, IMessenger& msgr, TCommandIntro intro) {
  out = TSplitCommandLine();
  for (int i = 1; i < argc; ++i)
    if (argv[i] && !IsOption(argv[i])) {
      out.firstArgument = argv[i];
      break;
    }
  if (raw) return StripOptions(*raw, out.options, out.commandLine, msgr, intro);

  std::vector<const char*> rest;
  std::string firstCommand;
  for (int i = 0; i < argc; ++i) {
    const std::string_view arg = argv[i] ? argv[i] : "";
    if (i > 0 && IsOption(arg)) {
      if (!firstCommand.empty()) {
        msgr.ShowMsg(msgOptionAfterCommand, {std::string(arg), firstCommand});
        return false;
      }
      out.options.emplace_back(arg);
      continue;
    }
    if (i > 0 && firstCommand.empty() && IsCommand(arg, intro)) firstCommand = arg;
    rest.push_back(argv[i]);
  }
  std::string refused;
  if (!RebuildCommandLine(static_cast<int>(rest.size()), rest.data(), out.commandLine, refused)) {
    // A quote left open is what the parser reports for a whole line.
    size_t quotes = 0;
    for (char c : refused) quotes += c == '"';
    if (quotes % 2 != 0)
      msgr.ShowMsg(msgParseMissingQuoteC);
    else
      msgr.ShowMsg(msgQuoteInArgument, {refused});
    return false;
  }
  return true;
}

bool ApplyLongOptions(const std::vector<std::string>& options, TWindowModel& model, IHost& host,
                      IMessenger& msgr) {
  TOptions given;
  for (const std::string& text : options) {
    const std::string_view body = std::string_view(text).substr(IsOption(text) ? 2 : 0);
    const size_t eq = body.find('=');
    TOption option{text, eq == std::string_view::npos ? "" : std::string(body.substr(eq + 1)),
                   eq != std::string_view::npos};
    const std::string name = Lower(body.substr(0, eq));
    const auto known = Known().find(name);
    if (known == Known().end()) {
      msgr.ShowMsg(msgParseUnknownCommandC, {std::string(text.substr(0, text.find('=')))});
      return false;
    }
    if (known->second && (!option.hasValue || Trim(option.value).empty())) {
      msgr.ShowMsg(msgParseMissingParam, {text});
      return false;
    }
    given[name] = std::move(option);  // the last one counts
  }

  // All or nothing: the changes go to a copy first.
  TWindowModel m = model;
  TCompareSettings& c = m.compare;
  if (!ApplyName(Find(given, "name"), Find(given, "name-case"), c.filename, msgr) ||
      !ApplySizeTolerance(Find(given, "size-tolerance"), c.size, msgr) ||
      !ApplyDate(Find(given, "date"), c.date, msgr) ||
      !ApplyContent(Find(given, "content"), Find(given, "content-method"), c.content, msgr) ||
      !ApplyAttributes(Find(given, "attributes"), m, msgr) ||
      !ApplySizeFilter(Find(given, "size-filter"), m, host, msgr) ||
      !ApplyFlag(Find(given, "less-status"), m.lessStatus, msgr) ||
      !ApplyFlag(Find(given, "save-settings"), m.saveSettings, msgr))
    return false;
  model = std::move(m);
  host.ModelChanged();
  return true;
}

}  // namespace zw
