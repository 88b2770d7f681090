// The message table: one record per TMsgID with its presentation rules and
// text. Messages (msg...) are shown and/or logged, questions (ask...) are
// asked or answered silently, log entries (log...) only logged.
#pragma once
#include <cstdint>
#include <optional>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <vector>

#include "engine/common/text_ids.h"
#include "app/text_ids.h"

namespace zw {

constexpr size_t kMsgCount = msgCount;

// Flags: the style word of a message box.
constexpr uint32_t mbOK = 0x00;
constexpr uint32_t mbOKCancel = 0x01;
constexpr uint32_t mbYesNoCancel = 0x03;
constexpr uint32_t mbYesNo = 0x04;
constexpr uint32_t mbButtonMask = 0x0F;
constexpr uint32_t mbIconError = 0x10;
constexpr uint32_t mbIconQuestion = 0x20;
constexpr uint32_t mbIconWarning = 0x30;
constexpr uint32_t mbIconInformation = 0x40;
constexpr uint32_t mbIconMask = 0xF0;

// Kind of a message by its icon nibble: 1 error, 2 question, 3 warning,
// 4 information (0 none).
inline int KindOfFlags(uint32_t flags) { return static_cast<int>((flags >> 4) & 15); }

// Show policy: 0 shown unless unattended (a question: answered silently when
// unattended); 1 never shown; 2 always shown (a question: answered silently
// only in execution mode p).
enum TShowPolicy : uint8_t { spUnlessUnattended = 0, spNever = 1, spAlways = 2 };
// Log policy: 0 logged when unattended; 1 never; 2 always.
enum TLogPolicy : uint8_t { lpWhenUnattended = 0, lpNever = 1, lpAlways = 2 };

struct TMsg {
  uint32_t Flags = 0;     // buttons (low nibble) + icon kind (second nibble)
  uint16_t IconId = 0;    // custom picture 201..207, 0 = the standard icon
  uint8_t ShowPolicy = 0;
  uint8_t LogPolicy = 0;
  std::string Text;
};

class TMessageTable {
 public:
  TMessageTable();  // the built-in English table

  // A copy of the record; a number outside the table gives an empty record
  // (OK button, no icon, never shown, never logged).
  TMsg Msg(TMsgID id) const;
  // The text in force.
  std::string Text(TMsgID id) const;
  // Replaces the text of one message (the rules stay); false outside the table.
  bool SetText(TMsgID id, std::string text);
  bool SetTextByName(std::string_view name, std::string text);
  void Reset();

  static const TMsg& BuiltIn(TMsgID id);
  static std::string_view NameOf(TMsgID id);
  static std::optional<TMsgID> IdByName(std::string_view name);  // case-insensitive

 private:
  mutable std::shared_mutex mu_;
  std::vector<TMsg> msgs_;
};

// The program-wide table, created on first use.
TMessageTable& Messages();
// The text in force of a message of the program-wide table.
std::string MsgText(TMsgID id);

}  // namespace zw
