// File name masks: one compiled wildcard mask (TMask) and the checked rows of
// a mask list box (TMaskList).
//
// Syntax
//   *      any run of characters, also none. Several "*" in a row act as one,
//          and a "?" that directly follows a "*" is dropped, so "*?" is the
//          same as "*" (only the one "?" right after the star: "*??" still
//          needs one character).
//   ?      exactly one character.
//   [...]  one character of the set. "a-z" inside adds the range between the
//          two characters (in either order); a "!" right after "[" negates the
//          set. A "-" just before the closing "]" is an ordinary member; after
//          a range, the range's last character is the one before a further
//          "-" ("[a-c-e]" is a to e).
//   other  matches itself; ASCII letters compare without regard to case,
//          every other byte exactly.
// The mask must match the whole name; "*.*" therefore needs a dot in the name.
//
// Double-byte text: where the ANSI code page has lead bytes (Windows with a
// double-byte code page), a lead byte and the byte after it are one character
// in the mask, in a set and in the name, so "?" takes both and a trail byte
// that looks like "*" or "]" means nothing special. On POSIX (UTF-8) and on
// single-byte code pages every byte is a character of its own.
//
// Invalid masks throw EMaskError "'<mask>' is an invalid mask at (<pos>)".
// <pos> is the 1-based byte position where the fault lies:
//   - a set that is not closed: the end of the mask, i.e. length + 1;
//   - an empty set ("[]", "[!]"): the closing "]";
//   - a "-" with no character before it in the set ("[-a]", "[!-a]", or after
//     a double-byte member): that "-";
//   - more than 30 literal or set elements that directly follow a "*" (the
//     31st star that is followed by a literal or a set): the first byte of
//     that element. A "?" after a star and a star at the very end are not
//     counted.
//
// Matching runs in O(length of mask x length of name) at worst, with no
// recursion and no allocation, and a compiled TMask may be shared by threads.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zw {

class EMaskError : public std::runtime_error {
 public:
  EMaskError(std::string_view mask, int position);
  const std::string& Mask() const noexcept { return mask_; }
  // 1-based position of the fault (see above).
  int Position() const noexcept { return position_; }

 private:
  std::string mask_;
  int position_;
};

// Which bytes start a double-byte character. nullptr stands for "none".
using TLeadByteTable = std::array<bool, 256>;

// The table of the running system's ANSI code page, or nullptr when that code
// page has no lead bytes (always on POSIX). Built once.
const TLeadByteTable* SystemLeadBytes();

class TMask {
 public:
  // Compiles the mask for the system's code page; throws EMaskError.
  explicit TMask(std::string_view mask);
  // Compiles the mask with the given lead bytes (nullptr: single bytes only).
  // The table must outlive the mask.
  TMask(std::string_view mask, const TLeadByteTable* leadBytes);

  // True when the whole name matches.
  bool Matches(std::string_view name) const;

  // The mask as it was given.
  const std::string& Text() const { return text_; }

  // True when the text compiles (for the system's code page).
  static bool IsValid(std::string_view mask);

 private:
  enum Kind : uint8_t { kLiteral, kPair, kAny, kSet };
  struct Element {
    Kind kind;
    bool afterStar;  // a run of stars stands right before this element
    uint8_t a;       // literal (upper case) or lead byte of a pair
    uint8_t b;       // trail byte of a pair
    uint32_t set;    // index into sets_
  };
  struct CharSet {
    std::array<uint64_t, 4> bits{};  // single bytes, letters folded to upper case
    std::vector<uint16_t> pairs;     // double-byte members, lead << 8 | trail
    bool negate = false;
    bool Has(uint8_t c) const { return (bits[c >> 6] >> (c & 63)) & 1; }
    void Add(uint8_t c) { bits[c >> 6] |= uint64_t{1} << (c & 63); }
  };

  void Compile();
  [[noreturn]] void Fail(size_t index) const;
  size_t CharLen(std::string_view name, size_t i) const;
  bool MatchOne(const Element& e, std::string_view name, size_t i, size_t& len) const;

  std::string text_;
  const TLeadByteTable* lead_;
  std::vector<Element> elements_;
  std::vector<CharSet> sets_;
  bool trailingStar_ = false;
};

// One row of a mask list box.
struct TMaskRow {
  std::string text;
  bool checked = false;
};

// The checked rows of a mask list box, compiled in row order.
class TMaskList {
 public:
  TMaskList() = default;
  // One TMask per checked row, in row order; unchecked rows are left out.
  // Throws EMaskError for an invalid checked row.
  explicit TMaskList(std::span<const TMaskRow> rows);
  TMaskList(std::span<const TMaskRow> rows, const TLeadByteTable* leadBytes);

  // True when any mask matches the name; the first match ends the search.
  bool Matches(std::string_view name) const;
  bool Empty() const { return masks_.empty(); }
  size_t Count() const { return masks_.size(); }
  const TMask& operator[](size_t i) const { return masks_[i]; }

 private:
  std::vector<TMask> masks_;
};

}  // namespace zw
