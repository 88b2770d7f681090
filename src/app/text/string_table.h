// The string table: one text per TStrID (status texts, captions, hints,
// packed item lists, colour names), and the byte-unit names.
//
// It starts with the built-in English texts; a language file replaces them by
// identifier name. Reading is safe from any thread (workers read status
// texts); replacing is meant for the main thread while no scan runs.
#pragma once
#include <array>
#include <optional>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <vector>

#include "engine/common/text_ids.h"
#include "app/text_ids.h"

namespace zw {

constexpr size_t kStrCount = strCount;
constexpr size_t kByteUnitNames = 7;    // bytes .. Ebytes
constexpr size_t kByteUnitLongMax = 6;  // characters of a long unit name
constexpr size_t kByteUnitShortMax = 2;

using TByteUnitNames = std::array<std::string, kByteUnitNames>;

class TStringTable {
 public:
  TStringTable();  // the built-in English texts

  // The text in force; empty for strNone and for a number outside the table.
  std::string Str(TStrID id) const;
  // Replaces one text. strNone keeps its empty text; returns false for it and
  // for a number outside the table.
  bool Set(TStrID id, std::string text);
  // Replaces the text of the identifier `name` (case-insensitive, as language
  // files spell their keys). False when no such identifier exists.
  bool SetByName(std::string_view name, std::string text);
  // Back to the built-in English texts and unit names.
  void Reset();

  // Byte-unit names, index 0 = bytes .. 6 = exabytes: long ("kbytes", for the
  // content description and the unit boxes) and short ("kB", for sizes).
  // An index outside 0..6 gives the name of index 0.
  std::string UnitName(int unit) const;
  std::string UnitShortName(int unit) const;
  TByteUnitNames UnitNames() const;
  TByteUnitNames UnitShortNames() const;
  // Replaces one unit name, cut to 6 (long) or 2 (short) characters; an index
  // outside 0..6 is ignored.
  void SetUnitName(int unit, std::string_view name);
  void SetUnitShortName(int unit, std::string_view name);
  // Takes the unit names from the packed lists itmByteUnits and
  // itmByteUnitsShort: each piece followed by a line break replaces the next
  // name (index 0 upward, at most 7); a last piece without a line break after
  // it is ignored, and an empty list changes nothing.
  void ApplyUnitItems();

  // The built-in English text of an identifier.
  static std::string_view BuiltIn(TStrID id);
  // The identifier's name ("strError"); empty for a number outside the table.
  static std::string_view NameOf(TStrID id);
  // The identifier of a name, case-insensitive ("lblok" finds lblOK).
  static std::optional<TStrID> IdByName(std::string_view name);

 private:
  mutable std::shared_mutex mu_;
  std::vector<std::string> texts_;
  TByteUnitNames units_;
  TByteUnitNames shortUnits_;
};

// The program-wide table, created on first use.
TStringTable& Strings();
// Str(id) of the program-wide table.
std::string Str(TStrID id);

// `text` cut to at most `count` characters; a UTF-8 sequence is never split.
std::string CutChars(std::string_view text, size_t count);
// Splits a packed item list at its line breaks (CR LF, or a lone LF or CR).
// `lastComplete` tells whether the text ended with a line break.
std::vector<std::string> SplitItems(std::string_view text, bool* lastComplete = nullptr);

}  // namespace zw
