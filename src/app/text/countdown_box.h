// What a question box does, apart from drawing it: the button sets of the
// message-box styles, the buttons, default button and answers of countdown
// questions, captions by icon kind, and the countdown box itself as a small
// state machine (counting, paused, closed) that a window drives with its
// timer and keys and a terminal drives with typed answers.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/host.h"
#include "engine/common/messages.h"
#include "engine/common/text_ids.h"
#include "app/text_ids.h"

namespace zw {

// The answer of a countdown question whose box gave no usable button.
constexpr int kNoAnswer = 0xFFFF;

// --- standard message boxes ---------------------------------------------

// The answers of a style's buttons, in button order: OK; OK, Cancel;
// Yes, No, Cancel; Yes, No. Any other button nibble gives OK alone.
std::vector<int> StyleAnswers(TBoxStyle style);
// The label of an answer: lblOK, lblCancel, lblYes, lblNo; strNone otherwise.
TStrID AnswerLabel(int answer);
// The caption of a box by its icon nibble: strError, strConfirmation,
// strWarning, strInformation; strNone for no icon (empty caption).
TStrID CaptionOfStyle(TBoxStyle style);
// The style nibble of an icon kind (icoError -> 0x10 ...).
TBoxStyle StyleOfIconKind(TIconKind kind);
// The answer that does nothing: No for Yes/No, Cancel for sets with Cancel,
// OK for a box with OK alone.
int SafeAnswer(TBoxStyle style);
// `defaultAnswer` when the style has such a button, else SafeAnswer.
int DefaultOrSafeAnswer(TBoxStyle style, int defaultAnswer);

// --- countdown questions ------------------------------------------------

// The buttons of a countdown question by the style's button nibble, the
// pause button last: OK, Pause; OK, Cancel, Pause; Yes, No, Cancel, Pause;
// Yes, No, Pause. Any other nibble: none (the question is not asked).
std::vector<TStrID> CountdownButtons(TBoxStyle style);
// The index of the default button: OK and Yes the first, No the second,
// Cancel the second of OK/Cancel and the third of Yes/No/Cancel; -1 (no
// default button) for anything else.
int CountdownDefaultIndex(TBoxStyle style, int defaultAnswer);
// The answer of a button index: 0 Yes (Yes sets) or OK; 1 Cancel (OK/Cancel)
// or No; 2 Cancel; anything else kNoAnswer.
int CountdownAnswer(TBoxStyle style, int index);

// --- the countdown box --------------------------------------------------

// A box with a request's buttons. With `seconds` > 0 it counts down: the last
// button is the pause button and the text's "%d" shows the seconds left.
// With `seconds` <= 0 it does not count, every button answers, and the text
// is shown as it stands.
class TCountdownBox {
 public:
  explicit TCountdownBox(TCountdownRequest request);

  const TCountdownRequest& Request() const { return request_; }
  // The text to show now.
  std::string Text() const;
  int SecondsLeft() const { return secondsLeft_; }
  // The timer runs (a counting box that is neither paused nor closed).
  bool Counting() const { return counting_ && !paused_ && !closed_; }
  bool Paused() const { return paused_; }
  // The box started counting, so its last button is the pause button.
  bool HasPauseButton() const { return counting_; }
  int PauseIndex() const;  // -1 without a pause button
  bool ButtonEnabled(int index) const;
  // The window's close box is there while it can do something: in a box
  // that counts and is not yet paused (it pauses). A box that never counted,
  // or is paused, closes by an answer button only, so it has none.
  bool CloseBoxShown() const { return Counting(); }
  // The default button (-1 none), where the focus goes on pausing.
  int DefaultIndex() const { return request_.defaultIndex; }
  // The indices of the buttons that answer (all but the pause button).
  std::vector<int> AnswerIndices() const;

  // One second passed: counts down; at 0 the box closes with the default.
  std::optional<int> Tick();
  // A button was pressed: the pause button pauses (nothing is returned), an
  // answer button closes the box with its index.
  std::optional<int> Press(int index);
  // Enter confirms the default button; without one nothing happens.
  std::optional<int> Enter();
  // The pause button, Escape, the close box and help all pause a counting
  // box; once paused, and in a box that never counted, they do nothing.
  void Pause();

  bool Closed() const { return closed_; }
  int Result() const { return result_; }

 private:
  std::optional<int> Close(int index);

  TCountdownRequest request_;
  int secondsLeft_;
  bool counting_;
  bool paused_ = false;
  bool closed_ = false;
  int result_ = -1;
};

// --- asking on a terminal -----------------------------------------------

// A box's text for a terminal: CR LF and lone CRs become LF.
std::string TerminalText(std::string_view text);
// The question as a terminal shows it: the caption (when there is one) and
// the text, then one line with the numbered choices, the default marked:
//   Confirmation: Delete it?
//   [1] Yes (default)  [2] No  [3] All  [4] None
// `choices` are the button indices offered (in this order); "&" markers of
// the labels are dropped.
std::string TerminalPrompt(const std::string& caption, const std::string& text,
                           const std::vector<std::string>& labels, const std::vector<int>& choices,
                           int defaultIndex);
// Reads a typed answer: an empty line takes the default (when there is one),
// a number 1..n the n-th offered choice, otherwise a label (case-insensitive,
// without "&") or a prefix that fits one label only. Returns the button
// index, or nothing when the input fits no choice.
std::optional<int> ParseTerminalChoice(std::string_view input,
                                       const std::vector<std::string>& labels,
                                       const std::vector<int>& choices, int defaultIndex);

}  // namespace zw
