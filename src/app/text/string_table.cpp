#include "app/text/string_table.h"

#include <cctype>
#include <mutex>

#include "app/text/text_format.h"

namespace zw {

namespace {

#include "app/text/string_table_builtin.inc"
#include "app/text_ids.h"

static_assert(sizeof(kBuiltInStrings) / sizeof(kBuiltInStrings[0]) == kStrCount,
              "one built-in text per TStrID");

constexpr const char* kUnitLong[kByteUnitNames] = {"bytes",  "kbytes", "Mbytes", "Gbytes",
                                                   "Tbytes", "Pbytes", "Ebytes"};
constexpr const char* kUnitShort[kByteUnitNames] = {"B", "kB", "MB", "GB", "TB", "PB", "EB"};

size_t UnitIndex(int unit) {
  return unit >= 0 && unit < static_cast<int>(kByteUnitNames) ? static_cast<size_t>(unit) : 0;
}

}  // namespace

std::string CutChars(std::string_view text, size_t count) {
  size_t chars = 0;
  size_t i = 0;
  while (i < text.size()) {
    if (chars == count) break;
    ++i;
    // Continuation bytes of a UTF-8 sequence belong to the character before.
    while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
    ++chars;
  }
  return std::string(text.substr(0, i));
}

std::vector<std::string> SplitItems(std::string_view text, bool* lastComplete) {
  std::vector<std::string> items;
  std::string piece;
  bool complete = true;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      items.push_back(std::move(piece));
      piece.clear();
      complete = true;
    } else {
      piece += c;
      complete = false;
    }
  }
  if (!complete) items.push_back(std::move(piece));
  if (lastComplete) *lastComplete = complete;
  return items;
}

TStringTable::TStringTable() {
  texts_.reserve(kStrCount);
  for (const auto& s : kBuiltInStrings) texts_.emplace_back(s.text);
  for (size_t i = 0; i < kByteUnitNames; ++i) {
    units_[i] = kUnitLong[i];
    shortUnits_[i] = kUnitShort[i];
  }
}

std::string TStringTable::Str(TStrID id) const {
  if (id >= kStrCount) return std::string();
  std::shared_lock<std::shared_mutex> lock(mu_);
  return texts_[id];
}

bool TStringTable::Set(TStrID id, std::string text) {
  if (id == strNone || id >= kStrCount) return false;
  std::unique_lock<std::shared_mutex> lock(mu_);
  texts_[id] = std::move(text);
  return true;
}

bool TStringTable::SetByName(std::string_view name, std::string text) {
  const auto id = IdByName(name);
  return id && Set(*id, std::move(text));
}

void TStringTable::Reset() {
  std::unique_lock<std::shared_mutex> lock(mu_);
  for (size_t i = 0; i < kStrCount; ++i) texts_[i] = kBuiltInStrings[i].text;
  for (size_t i = 0; i < kByteUnitNames; ++i) {
    units_[i] = kUnitLong[i];
    shortUnits_[i] = kUnitShort[i];
  }
}

std::string TStringTable::UnitName(int unit) const {
  std::shared_lock<std::shared_mutex> lock(mu_);
  return units_[UnitIndex(unit)];
}

std::string TStringTable::UnitShortName(int unit) const {
  std::shared_lock<std::shared_mutex> lock(mu_);
  return shortUnits_[UnitIndex(unit)];
}

TByteUnitNames TStringTable::UnitNames() const {
  std::shared_lock<std::shared_mutex> lock(mu_);
  return units_;
}

TByteUnitNames TStringTable::UnitShortNames() const {
  std::shared_lock<std::shared_mutex> lock(mu_);
  return shortUnits_;
}

void TStringTable::SetUnitName(int unit, std::string_view name) {
  if (unit < 0 || unit >= static_cast<int>(kByteUnitNames)) return;
  std::unique_lock<std::shared_mutex> lock(mu_);
  units_[static_cast<size_t>(unit)] = CutChars(name, kByteUnitLongMax);
}

void TStringTable::SetUnitShortName(int unit, std::string_view name) {
  if (unit < 0 || unit >= static_cast<int>(kByteUnitNames)) return;
  std::unique_lock<std::shared_mutex> lock(mu_);
  shortUnits_[static_cast<size_t>(unit)] = CutChars(name, kByteUnitShortMax);
}

void TStringTable::ApplyUnitItems() {
  auto apply = [this](TStrID list, bool shortNames) {
    bool lastComplete = true;
    std::vector<std::string> items = SplitItems(Str(list), &lastComplete);
    if (!lastComplete) items.pop_back();  // a piece without a line break after it
    for (size_t i = 0; i < items.size() && i < kByteUnitNames; ++i) {
      if (shortNames)
        SetUnitShortName(static_cast<int>(i), items[i]);
      else
        SetUnitName(static_cast<int>(i), items[i]);
    }
  };
  apply(itmByteUnits, false);
  apply(itmByteUnitsShort, true);
}

std::string_view TStringTable::BuiltIn(TStrID id) {
  return id < kStrCount ? std::string_view(kBuiltInStrings[id].text) : std::string_view();
}

std::string_view TStringTable::NameOf(TStrID id) {
  return id < kStrCount ? std::string_view(kBuiltInStrings[id].name) : std::string_view();
}

std::optional<TStrID> TStringTable::IdByName(std::string_view name) {
  for (size_t i = 0; i < kStrCount; ++i)
    if (EqualNoCaseAscii(name, kBuiltInStrings[i].name)) return static_cast<TStrID>(i);
  return std::nullopt;
}

TStringTable& Strings() {
  static TStringTable table;
  return table;
}

std::string Str(TStrID id) { return Strings().Str(id); }

}  // namespace zw
