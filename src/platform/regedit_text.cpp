#include "platform/regedit_text.h"

#include <cstdio>

namespace zw::platform {

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    char a = s[i], b = prefix[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
    if (a != b) return false;
  }
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A quoted string starting at s[0] == '"': its unescaped text, and where the
// closing quote stood. False for a string without its end or with an escape
// other than \\, \", \r, \n.
bool ReadQuoted(std::string_view s, std::string& text, size_t& end) {
  text.clear();
  for (size_t i = 1; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '"') {
      end = i;
      return true;
    }
    if (c != '\\') {
      text += c;
      continue;
    }
    if (++i >= s.size()) return false;
    switch (s[i]) {
      case '\\': text += '\\'; break;
      case '"': text += '"'; break;
      case 'r': text += '\r'; break;
      case 'n': text += '\n'; break;
      default: return false;
    }
  }
  return false;
}

// The data after "=": a value of one of the three types. Returns an empty
// reason on success.
std::string ReadData(std::string_view data, RegTextValue& value) {
  if (!data.empty() && data.front() == '"') {
    size_t end = 0;
    if (!ReadQuoted(data, value.data, end)) return "a string without its end or with an unknown escape";
    if (!Trim(data.substr(end + 1)).empty()) return "text after a string";
    value.type = RegType::String;
    return {};
  }
  if (StartsWithNoCase(data, "dword:")) {
    const std::string_view digits = data.substr(6);
    if (digits.size() != 8) return "a dword without its eight hex digits";
    uint32_t v = 0;
    for (char c : digits) {
      const int d = HexDigit(c);
      if (d < 0) return "a dword without its eight hex digits";
      v = (v << 4) | static_cast<uint32_t>(d);
    }
    value.type = RegType::Dword;
    value.data.clear();
    for (int i = 0; i < 4; ++i) value.data += static_cast<char>((v >> (8 * i)) & 0xFF);
    return {};
  }
  if (StartsWithNoCase(data, "hex:")) {
    value.type = RegType::Binary;
    value.data.clear();
    std::string_view rest = data.substr(4);
    while (!rest.empty()) {
      const size_t comma = rest.find(',');
      const std::string_view byte = Trim(rest.substr(0, comma));
      if (byte.size() != 2 || HexDigit(byte[0]) < 0 || HexDigit(byte[1]) < 0)
        return "a hex value with a bad byte";
      value.data += static_cast<char>(HexDigit(byte[0]) * 16 + HexDigit(byte[1]));
      if (comma == std::string_view::npos) break;
      rest = rest.substr(comma + 1);
      if (Trim(rest).empty()) return "a hex value ending in a comma";
    }
    return {};
  }
  return "a value of a type this program does not keep";
}

}  // namespace

std::string EscapeRegString(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      default: out += c;
    }
  }
  return out;
}

RegTextDocument ParseRegText(std::string_view text) {
  RegTextDocument doc;
  // The logical lines: physical lines, those ending in a backslash joined
  // with the next (hex values run on so in exports).
  std::vector<std::pair<size_t, std::string>> lines;  // (number of the first line, text)
  size_t number = 0;
  std::string pending;
  size_t pendingNumber = 0;
  size_t pos = 0;
  for (;;) {
    size_t eol = text.find('\n', pos);
    if (eol == std::string_view::npos) eol = text.size();
    std::string_view line = text.substr(pos, eol - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ++number;
    const bool last = eol >= text.size();
    if (pending.empty()) pendingNumber = number;
    std::string joined = pending + std::string(pending.empty() ? line : Trim(line));
    // Only hex values run on: a string line ends in its closing quote.
    if (!last && !joined.empty() && joined.back() == '\\' &&
        joined.find("=hex") != std::string::npos) {
      joined.pop_back();
      pending = std::move(joined);
      pos = eol + 1;
      continue;
    }
    lines.emplace_back(pendingNumber, std::move(joined));
    pending.clear();
    if (last) break;
    pos = eol + 1;
  }

  auto problem = [&doc](size_t line, const std::string& what) {
    doc.problems.push_back("line " + std::to_string(line) + ": " + what);
  };

  size_t i = 0;
  // The header: the first line that is not empty.
  while (i < lines.size() && Trim(lines[i].second).empty()) ++i;
  if (i < lines.size()) {
    std::string_view head = Trim(lines[i].second);
    if (head.size() >= 3 && static_cast<unsigned char>(head[0]) == 0xEF &&
        static_cast<unsigned char>(head[1]) == 0xBB && static_cast<unsigned char>(head[2]) == 0xBF)
      head.remove_prefix(3);  // a byte-order mark
    doc.recognised = head == "REGEDIT4" || head == "Windows Registry Editor Version 5.00";
  }
  if (!doc.recognised) {
    doc.problems.push_back("no REGEDIT4 header line: nothing was read");
    return doc;
  }
  RegTextKey* current = nullptr;
  bool skippingSection = false;
  for (++i; i < lines.size(); ++i) {
    const size_t at = lines[i].first;
    const std::string_view line = Trim(lines[i].second);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      current = nullptr;
      skippingSection = true;
      if (line.back() != ']' || line.size() < 3) {
        problem(at, "a section line without its closing bracket");
        continue;
      }
      const std::string_view path = line.substr(1, line.size() - 2);
      if (path.front() == '-') {
        problem(at, "a key deletion, which this store does not keep");
        continue;
      }
      if (path.find("\\\\") != std::string_view::npos || path.back() == '\\') {
        problem(at, "a key path with an empty part");
        continue;
      }
      doc.keys.push_back(RegTextKey{std::string(path), {}});
      current = &doc.keys.back();
      skippingSection = false;
      continue;
    }
    RegTextValue value{std::string(), RegType::None, std::string()};
    std::string_view data;
    if (line.front() == '@') {
      data = Trim(line.substr(1));
    } else if (line.front() == '"') {
      size_t end = 0;
      if (!ReadQuoted(line, value.name, end)) {
        problem(at, "a value name without its end or with an unknown escape");
        continue;
      }
      data = Trim(line.substr(end + 1));
    } else {
      problem(at, "neither a section nor a value");
      continue;
    }
    if (data.empty() || data.front() != '=') {
      problem(at, "a value name without \"=\"");
      continue;
    }
    data = Trim(data.substr(1));
    if (const std::string why = ReadData(data, value); !why.empty()) {
      problem(at, why);
      continue;
    }
    if (!current) {
      if (!skippingSection) problem(at, "a value outside any section");
      continue;
    }
    // A second value of the same name replaces the first, in its place.
    bool replaced = false;
    for (RegTextValue& old : current->values) {
      if (old.name.size() == value.name.size() && StartsWithNoCase(old.name, value.name)) {
        old = std::move(value);
        replaced = true;
        break;
      }
    }
    if (!replaced) current->values.push_back(std::move(value));
  }
  return doc;
}

std::string FormatRegText(const std::vector<RegTextKey>& keys) {
  std::string out = "REGEDIT4\n\n";
  char digits[16];
  for (const RegTextKey& key : keys) {
    out += '[';
    out += key.path;
    out += "]\n";
    for (const RegTextValue& v : key.values) {
      if (v.name.empty()) {
        out += '@';
      } else {
        out += '"';
        out += EscapeRegString(v.name);
        out += '"';
      }
      out += '=';
      switch (v.type) {
        case RegType::Dword: {
          uint32_t n = 0;
          for (size_t b = 0; b < 4 && b < v.data.size(); ++b)
            n |= static_cast<uint32_t>(static_cast<unsigned char>(v.data[b])) << (8 * b);
          std::snprintf(digits, sizeof digits, "dword:%08x", n);
          out += digits;
          break;
        }
        case RegType::Binary:
          out += "hex:";
          for (size_t b = 0; b < v.data.size(); ++b) {
            std::snprintf(digits, sizeof digits, b ? ",%02x" : "%02x",
                          static_cast<unsigned>(static_cast<unsigned char>(v.data[b])));
            out += digits;
          }
          break;
        default:
          out += '"';
          out += EscapeRegString(v.data);
          out += '"';
      }
      out += '\n';
    }
    out += '\n';
  }
  return out;
}

}  // namespace zw::platform
