#include "app/text/countdown_box.h"

#include <cctype>

#include "app/text/text_format.h"
#include "app/text_ids.h"

namespace zw {

namespace {

constexpr TBoxStyle kButtons = 0x0F;

std::string Plain(std::string_view label) {
  std::string out;
  for (size_t i = 0; i < label.size(); ++i) {
    if (label[i] == '&') {
      if (i + 1 < label.size() && label[i + 1] == '&') {  // "&&" is one "&"
        out += '&';
        ++i;
      }
      continue;
    }
    out += label[i];
  }
  return out;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (auto& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return std::string(s.substr(b, e - b));
}

}  // namespace

std::vector<int> StyleAnswers(TBoxStyle style) {
  switch (style & kButtons) {
    case 1: return {ansOK, ansCancel};
    case 3: return {ansYes, ansNo, ansCancel};
    case 4: return {ansYes, ansNo};
    default: return {ansOK};
  }
}

TStrID AnswerLabel(int answer) {
  switch (answer) {
    case ansOK: return lblOK;
    case ansCancel: return lblCancel;
    case ansYes: return lblYes;
    case ansNo: return lblNo;
    default: return strNone;
  }
}

TStrID CaptionOfStyle(TBoxStyle style) {
  switch ((style >> 4) & 15) {
    case 1: return strError;
    case 2: return strConfirmation;
    case 3: return strWarning;
    case 4: return strInformation;
    default: return strNone;
  }
}

TBoxStyle StyleOfIconKind(TIconKind kind) {
  switch (kind) {
    case icoError: return 0x10;
    case icoQuestion: return 0x20;
    case icoWarning: return 0x30;
    case icoInformation: return 0x40;
  }
  return 0;
}

int SafeAnswer(TBoxStyle style) {
  switch (style & kButtons) {
    case 1:
    case 3: return ansCancel;
    case 4: return ansNo;
    default: return ansOK;
  }
}

int DefaultOrSafeAnswer(TBoxStyle style, int defaultAnswer) {
  for (int a : StyleAnswers(style))
    if (a == defaultAnswer) return a;
  return SafeAnswer(style);
}

std::vector<TStrID> CountdownButtons(TBoxStyle style) {
  switch (style & kButtons) {
    case 0: return {lblOK, lblPause};
    case 1: return {lblOK, lblCancel, lblPause};
    case 3: return {lblYes, lblNo, lblCancel, lblPause};
    case 4: return {lblYes, lblNo, lblPause};
    default: return {};
  }
}

int CountdownDefaultIndex(TBoxStyle style, int defaultAnswer) {
  switch (defaultAnswer) {
    case ansOK:
    case ansYes: return 0;
    case ansNo: return 1;
    case ansCancel:
      if ((style & kButtons) == 1) return 1;
      if ((style & kButtons) == 3) return 2;
      return -1;
    default: return -1;
  }
}

int CountdownAnswer(TBoxStyle style, int index) {
  const TBoxStyle buttons = style & kButtons;
  const bool yesSet = buttons == 3 || buttons == 4;
  switch (index) {
    case 0: return yesSet ? ansYes : ansOK;
    case 1: return buttons == 1 ? ansCancel : ansNo;
    case 2: return ansCancel;
    default: return kNoAnswer;
  }
}

// ---------------------------------------------------------------------------

TCountdownBox::TCountdownBox(TCountdownRequest request)
    : request_(std::move(request)),
      secondsLeft_(request_.seconds),
      counting_(request_.seconds > 0 && request_.buttons.size() >= 2) {}

std::string TCountdownBox::Text() const {
  if (!counting_) return request_.text;
  return Format(request_.text, {TFmtArg(int64_t{secondsLeft_})});
}

int TCountdownBox::PauseIndex() const {
  return counting_ ? static_cast<int>(request_.buttons.size()) - 1 : -1;
}

bool TCountdownBox::ButtonEnabled(int index) const {
  if (closed_ || index < 0 || index >= static_cast<int>(request_.buttons.size())) return false;
  return !(index == PauseIndex() && paused_);
}

std::vector<int> TCountdownBox::AnswerIndices() const {
  std::vector<int> out;
  for (int i = 0; i < static_cast<int>(request_.buttons.size()); ++i)
    if (i != PauseIndex()) out.push_back(i);
  return out;
}

std::optional<int> TCountdownBox::Close(int index) {
  closed_ = true;
  result_ = index;
  return index;
}

std::optional<int> TCountdownBox::Tick() {
  if (!Counting()) return std::nullopt;
  --secondsLeft_;
  if (secondsLeft_ > 0) return std::nullopt;
  secondsLeft_ = 0;
  return Close(request_.defaultIndex);
}

std::optional<int> TCountdownBox::Press(int index) {
  if (closed_ || index < 0 || index >= static_cast<int>(request_.buttons.size()))
    return std::nullopt;
  if (index == PauseIndex()) {
    Pause();
    return std::nullopt;
  }
  return Close(index);
}

std::optional<int> TCountdownBox::Enter() {
  if (closed_ || request_.defaultIndex < 0 ||
      request_.defaultIndex >= static_cast<int>(request_.buttons.size()) ||
      request_.defaultIndex == PauseIndex())
    return std::nullopt;
  return Close(request_.defaultIndex);
}

void TCountdownBox::Pause() {
  if (Counting()) paused_ = true;
}

// ---------------------------------------------------------------------------

std::string TerminalText(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string TerminalPrompt(const std::string& caption, const std::string& text,
                           const std::vector<std::string>& labels, const std::vector<int>& choices,
                           int defaultIndex) {
  std::string out;
  if (!caption.empty()) out += caption + ": ";
  out += TerminalText(text);
  out += '\n';
  int n = 0;
  for (int index : choices) {
    if (index < 0 || index >= static_cast<int>(labels.size())) continue;
    if (n > 0) out += "  ";
    out += "[" + std::to_string(++n) + "] " + Plain(labels[static_cast<size_t>(index)]);
    if (index == defaultIndex) out += " (default)";
  }
  out += '\n';
  return out;
}

std::optional<int> ParseTerminalChoice(std::string_view input,
                                       const std::vector<std::string>& labels,
                                       const std::vector<int>& choices, int defaultIndex) {
  std::vector<int> valid;
  for (int index : choices)
    if (index >= 0 && index < static_cast<int>(labels.size())) valid.push_back(index);
  const std::string word = Lower(Trim(input));
  if (word.empty()) {
    for (int index : valid)
      if (index == defaultIndex) return index;
    return std::nullopt;
  }
  bool digits = true;
  for (char c : word) digits = digits && std::isdigit(static_cast<unsigned char>(c));
  if (digits) {
    if (word.size() > 3) return std::nullopt;
    const int n = std::stoi(word);
    if (n >= 1 && n <= static_cast<int>(valid.size())) return valid[static_cast<size_t>(n - 1)];
    return std::nullopt;
  }
  std::optional<int> prefixMatch;
  int prefixCount = 0;
  for (int index : valid) {
    const std::string label = Lower(Plain(labels[static_cast<size_t>(index)]));
    if (label == word) return index;
    if (label.compare(0, word.size(), word) == 0) {
      prefixMatch = index;
      ++prefixCount;
    }
  }
  if (prefixCount == 1) return prefixMatch;
  return std::nullopt;
}

}  // namespace zw
