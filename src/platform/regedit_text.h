// Registry keys as text, in the syntax of registry export files:
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\Corvanta]
//
//   [HKEY_CURRENT_USER\Software\Corvanta\Zwillo Pro]
//   @="default value"
//   "Name"="text with \\, \" and line breaks as \r\n"
//   "Count"=dword:0000002a
//   "Bytes"=hex:01,ff
//
// Used by the POSIX store for its settings file, and by tests to read what
// the Windows registry editor exports (its "Windows Registry Editor Version
// 5.00" files, once turned from UTF-16 into bytes, have the same syntax).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace zw::platform {

struct RegTextValue {
  std::string name;  // empty: the key's default value (@)
  RegType type;      // String, Dword or Binary
  std::string data;  // the text; the dword's 4 bytes little-endian; the bytes
};

struct RegTextKey {
  std::string path;  // with its root: "HKEY_CURRENT_USER\\Software\\Corvanta"
  std::vector<RegTextValue> values;
};

struct RegTextDocument {
  std::vector<RegTextKey> keys;  // in the order of the text
  // One line per line that was skipped ("line 7: ..."); and whether the text
  // had a header at all (without one nothing was read).
  std::vector<std::string> problems;
  bool recognised = false;
};

// Reads leniently: a line that is no section, value, comment or blank line,
// a value outside any section, a value of a type other than string, dword
// and hex, and a string with an unknown escape are skipped and named in
// `problems`. Hex values may run on over lines ending with a backslash.
// Line ends may be LF or CR LF. A text without a REGEDIT4 (or version 5.00)
// header line gives no keys.
RegTextDocument ParseRegText(std::string_view text);

// The text of the keys: "REGEDIT4", an empty line, and for each key its
// section line, its values in order and an empty line; LF line ends; hex
// values on one line.
std::string FormatRegText(const std::vector<RegTextKey>& keys);

// A string value's text as it stands between the quotes ("a\\b" for a\b).
std::string EscapeRegString(std::string_view text);

}  // namespace zw::platform
