#include "app/text/text_format.h"

#include <cctype>
#include <cstdint>
#include <limits>
#include <mutex>

namespace zw {

namespace {

std::mutex g_numberMu;
TNumberFormat g_numbers;

// Largest width or precision taken; a text asking for more is a bad text,
// not a reason to allocate gigabytes.
constexpr int64_t kMaxWidth = 4096;

std::string UnsignedDigits(uint64_t v) {
  if (v == 0) return "0";
  char buf[24];
  int n = 0;
  while (v) {
    buf[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  }
  std::string out;
  while (n) out += buf[--n];
  return out;
}

std::string HexDigits(uint64_t v) {
  static const char kHex[] = "0123456789ABCDEF";
  if (v == 0) return "0";
  std::string out;
  while (v) {
    out.insert(out.begin(), kHex[v & 15]);
    v >>= 4;
  }
  return out;
}

uint64_t Magnitude(int64_t v) {
  // -INT64_MIN does not fit; go through unsigned arithmetic.
  return v < 0 ? ~static_cast<uint64_t>(v) + 1 : static_cast<uint64_t>(v);
}

std::string ZeroPad(std::string digits, int64_t precision) {
  if (precision > static_cast<int64_t>(digits.size()))
    digits.insert(0, static_cast<size_t>(precision) - digits.size(), '0');
  return digits;
}

std::string Group(const std::string& digits, const std::string& sep) {
  std::string out;
  const size_t n = digits.size();
  for (size_t i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) out += sep;
    out += digits[i];
  }
  return out;
}

std::string FixedNumber(int64_t value, int64_t decimals, bool grouped, const TNumberFormat& nf) {
  std::string out;
  if (value < 0) out += '-';
  const std::string digits = UnsignedDigits(Magnitude(value));
  out += grouped ? Group(digits, nf.thousands) : digits;
  if (decimals > 0) {
    out += nf.decimal;
    out.append(static_cast<size_t>(decimals), '0');
  }
  return out;
}

struct Conversion {
  int64_t index = -1;  // explicit argument index, -1 = next
  bool left = false;
  int64_t width = -1;
  int64_t precision = -1;
  char type = 0;  // lower case
};

// Reads a number or "*" (taken from the arguments). Returns false when the
// "*" has no integer argument.
bool ReadCount(std::string_view fmt, size_t& i, const TFmtArgs& args, size_t& next,
               int64_t& out) {
  if (i < fmt.size() && fmt[i] == '*') {
    ++i;
    if (next >= args.size() || !std::holds_alternative<int64_t>(args[next])) {
      ++next;
      return false;
    }
    out = std::get<int64_t>(args[next++]);
    if (out < 0) out = 0;
    if (out > kMaxWidth) out = kMaxWidth;
    return true;
  }
  int64_t v = 0;
  bool any = false;
  while (i < fmt.size() && std::isdigit(static_cast<unsigned char>(fmt[i]))) {
    if (v <= kMaxWidth) v = v * 10 + (fmt[i] - '0');
    ++i;
    any = true;
  }
  if (any) out = v > kMaxWidth ? kMaxWidth : v;
  return true;
}

std::string Pad(std::string text, const Conversion& s) {
  if (s.width > static_cast<int64_t>(text.size())) {
    const size_t fill = static_cast<size_t>(s.width) - text.size();
    if (s.left)
      text.append(fill, ' ');
    else
      text.insert(0, fill, ' ');
  }
  return text;
}

// Converts one argument; false when the argument does not fit the type.
bool Convert(const Conversion& s, const TFmtArg& arg, const TNumberFormat& nf, std::string& out) {
  const int64_t* num = std::get_if<int64_t>(&arg);
  switch (s.type) {
    case 's': {
      std::string text = num ? std::to_string(*num) : std::get<std::string>(arg);
      if (s.precision >= 0 && static_cast<int64_t>(text.size()) > s.precision)
        text.resize(static_cast<size_t>(s.precision));
      out = std::move(text);
      return true;
    }
    case 'd':
      if (!num) return false;
      out = (*num < 0 ? "-" : "") + ZeroPad(UnsignedDigits(Magnitude(*num)), s.precision);
      return true;
    case 'u':
      if (!num) return false;
      out = ZeroPad(UnsignedDigits(static_cast<uint64_t>(*num)), s.precision);
      return true;
    case 'x':
      if (!num) return false;
      out = ZeroPad(HexDigits(static_cast<uint64_t>(*num)), s.precision);
      return true;
    case 'n':
    case 'f':
      if (!num) return false;
      out = FixedNumber(*num, s.precision < 0 ? 2 : s.precision, s.type == 'n', nf);
      return true;
    case 'p': {
      if (!num) return false;
      const uint64_t v = static_cast<uint64_t>(*num);
      out = ZeroPad(HexDigits(v), v > 0xFFFFFFFFULL ? 16 : 8);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace

void SetNumberFormat(const TNumberFormat& format) {
  std::lock_guard<std::mutex> lock(g_numberMu);
  g_numbers = format;
}

TNumberFormat GetNumberFormat() {
  std::lock_guard<std::mutex> lock(g_numberMu);
  return g_numbers;
}

std::string FormatThousands(int64_t value, int decimals, const TNumberFormat& numbers) {
  return FixedNumber(value, decimals < 0 ? 0 : decimals, true, numbers);
}

std::string EscapePercent(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    out += c;
    if (c == '%') out += '%';
  }
  return out;
}

std::string Format(std::string_view fmt, const TFmtArgs& args, bool* complete) {
  return Format(fmt, args, GetNumberFormat(), complete);
}

std::string Format(std::string_view fmt, const TFmtArgs& args, const TNumberFormat& numbers,
                   bool* complete) {
  std::string out;
  out.reserve(fmt.size() + 16);
  bool ok = true;
  size_t next = 0;  // next argument taken in order
  size_t i = 0;
  while (i < fmt.size()) {
    const char c = fmt[i];
    if (c != '%') {
      out += c;
      ++i;
      continue;
    }
    const size_t start = i++;
    if (i < fmt.size() && fmt[i] == '%') {
      out += '%';
      ++i;
      continue;
    }
    Conversion s;
    bool fits = true;
    const size_t nextBefore = next;
    // Optional index: digits followed by ':'.
    {
      size_t j = i;
      int64_t v = 0;
      while (j < fmt.size() && std::isdigit(static_cast<unsigned char>(fmt[j]))) {
        if (v <= kMaxWidth) v = v * 10 + (fmt[j] - '0');
        ++j;
      }
      if (j > i && j < fmt.size() && fmt[j] == ':') {
        s.index = v;
        i = j + 1;
      }
    }
    if (s.index >= 0) next = static_cast<size_t>(s.index);
    if (i < fmt.size() && fmt[i] == '-') {
      s.left = true;
      ++i;
    }
    fits = ReadCount(fmt, i, args, next, s.width) && fits;
    if (i < fmt.size() && fmt[i] == '.') {
      ++i;
      s.precision = 0;
      fits = ReadCount(fmt, i, args, next, s.precision) && fits;
    }
    if (i >= fmt.size()) {  // the text ends inside the placeholder
      out.append(fmt.substr(start));
      ok = false;
      break;
    }
    s.type = static_cast<char>(std::tolower(static_cast<unsigned char>(fmt[i])));
    static const std::string_view kTypes = "sduxnfp";
    if (kTypes.find(s.type) == std::string_view::npos) {
      // Not a placeholder: keep the "%" and read on after it.
      out += '%';
      i = start + 1;
      next = nextBefore;
      ok = false;
      continue;
    }
    ++i;
    std::string piece;
    if (fits && next < args.size() && Convert(s, args[next], numbers, piece)) {
      out += Pad(std::move(piece), s);
    } else {
      out.append(fmt.substr(start, i - start));
      ok = false;
    }
    ++next;
  }
  if (complete) *complete = ok;
  return out;
}

bool EqualNoCaseAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

}  // namespace zw
