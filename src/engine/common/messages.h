// How the engine speaks to the user: by message identifier with format
// arguments. The application's message presenter implements this and decides,
// by each message's policies and the execution mode, whether a message is shown,
// answered silently or logged.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "engine/common/except_info.h"
#include "engine/common/text_ids.h"

namespace zw {

// One argument of a formatted text: a number for %d and %.0n, a string for %s.
using TFmtArg = std::variant<int64_t, std::string>;
using TFmtArgs = std::vector<TFmtArg>;

// Dialog results, as the message boxes return them.
enum TAnswer : int { ansOK = 1, ansCancel = 2, ansYes = 6, ansNo = 7 };

// Icon (and caption kind and sound) of a question in the program's own box.
enum TIconKind : int { icoError = 0, icoQuestion = 1, icoWarning = 2, icoInformation = 3 };

class IMessenger {
 public:
  virtual ~IMessenger() = default;
  // A message (msg...): shown and/or logged; returns the answer of its box.
  virtual int ShowMsg(TMsgID id, const TFmtArgs& args = {}) = 0;
  // A question (ask...) with its default answer; returns the answer.
  virtual int AskMsg(TMsgID id, int defaultAnswer, const TFmtArgs& args = {}) = 0;
  // A question in the program's own box, for button sets that a standard
  // message box does not have: the string-table text `text` formatted with
  // `args`, the caption `caption`, one button per label, `defaultIndex` the
  // default button, no countdown. Returns the index of the chosen button.
  // A presenter without such a box answers with the default.
  virtual int AskButtons(TStrID text, const TFmtArgs& args, TStrID caption, TIconKind icon,
                         const std::vector<TStrID>& buttons, int defaultIndex) {
    return defaultIndex;
  }
  // A log entry (log...).
  virtual void LogMsg(TMsgID id, const TFmtArgs& args = {}) = 0;
  // A log entry that carries an exception report as its details.
  virtual void LogMsgExcept(TMsgID id, const TFmtArgs& args,
                            std::shared_ptr<TZWExceptInfo> report) = 0;
};

}  // namespace zw
