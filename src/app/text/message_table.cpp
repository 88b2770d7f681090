#include "app/text/message_table.h"

#include <cctype>
#include <mutex>

#include "app/text/text_format.h"

namespace zw {

namespace {

#include "app/text/message_table_builtin.inc"

static_assert(sizeof(kBuiltInMessages) / sizeof(kBuiltInMessages[0]) == kMsgCount,
              "one built-in record per TMsgID");

TMsg Record(const TBuiltInMsg& b) {
  return TMsg{b.flags, b.iconId, b.showPolicy, b.logPolicy, b.text};
}

const std::vector<TMsg>& BuiltInRecords() {
  static const std::vector<TMsg> records = [] {
    std::vector<TMsg> v;
    v.reserve(kMsgCount);
    for (const auto& b : kBuiltInMessages) v.push_back(Record(b));
    return v;
  }();
  return records;
}

}  // namespace

TMessageTable::TMessageTable() : msgs_(BuiltInRecords()) {}

TMsg TMessageTable::Msg(TMsgID id) const {
  if (id >= kMsgCount) return TMsg{mbOK, 0, spNever, lpNever, std::string()};
  std::shared_lock<std::shared_mutex> lock(mu_);
  return msgs_[id];
}

std::string TMessageTable::Text(TMsgID id) const {
  if (id >= kMsgCount) return std::string();
  std::shared_lock<std::shared_mutex> lock(mu_);
  return msgs_[id].Text;
}

bool TMessageTable::SetText(TMsgID id, std::string text) {
  if (id >= kMsgCount) return false;
  std::unique_lock<std::shared_mutex> lock(mu_);
  msgs_[id].Text = std::move(text);
  return true;
}

bool TMessageTable::SetTextByName(std::string_view name, std::string text) {
  const auto id = IdByName(name);
  return id && SetText(*id, std::move(text));
}

void TMessageTable::Reset() {
  std::unique_lock<std::shared_mutex> lock(mu_);
  msgs_ = BuiltInRecords();
}

const TMsg& TMessageTable::BuiltIn(TMsgID id) {
  static const TMsg kNone{mbOK, 0, spNever, lpNever, std::string()};
  return id < kMsgCount ? BuiltInRecords()[id] : kNone;
}

std::string_view TMessageTable::NameOf(TMsgID id) {
  return id < kMsgCount ? std::string_view(kBuiltInMessages[id].name) : std::string_view();
}

std::optional<TMsgID> TMessageTable::IdByName(std::string_view name) {
  for (size_t i = 0; i < kMsgCount; ++i)
    if (EqualNoCaseAscii(name, kBuiltInMessages[i].name)) return static_cast<TMsgID>(i);
  return std::nullopt;
}

TMessageTable& Messages() {
  static TMessageTable table;
  return table;
}

std::string MsgText(TMsgID id) { return Messages().Text(id); }

}  // namespace zw
