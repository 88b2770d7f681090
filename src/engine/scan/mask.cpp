#include "engine/scan/mask.h"

#include <algorithm>

#include "platform/lead_bytes.h"

namespace zw {

namespace {

// A star may be followed by at most this many literal or set elements.
constexpr int kMaxStarElements = 30;

inline uint8_t UpperByte(uint8_t c) { return (c >= 'a' && c <= 'z') ? uint8_t(c - 32) : c; }

std::string InvalidMaskText(std::string_view mask, int position) {
  std::string text = "'";
  text.append(mask);
  text += "' is an invalid mask at (";
  text += std::to_string(position);
  text += ')';
  return text;
}

}  // namespace

EMaskError::EMaskError(std::string_view mask, int position)
    : std::runtime_error(InvalidMaskText(mask, position)), mask_(mask), position_(position) {}

const TLeadByteTable* SystemLeadBytes() {
  static const std::unique_ptr<TLeadByteTable> table = [] {
    auto t = std::make_unique<TLeadByteTable>();
    bool any = false;
    for (int c = 0; c < 256; ++c) {
      (*t)[c] = platform::IsLeadByte(static_cast<unsigned char>(c));
      any = any || (*t)[c];
    }
    return any ? std::move(t) : nullptr;
  }();
  return table.get();
}

TMask::TMask(std::string_view mask) : TMask(mask, SystemLeadBytes()) {}

TMask::TMask(std::string_view mask, const TLeadByteTable* leadBytes)
    : text_(mask), lead_(leadBytes) {
  Compile();
}

bool TMask::IsValid(std::string_view mask) {
  try {
    TMask probe(mask);
    return true;
  } catch (const EMaskError&) {
    return false;
  }
}

void TMask::Fail(size_t index) const { throw EMaskError(text_, static_cast<int>(index) + 1); }

void TMask::Compile() {
  const std::string& m = text_;
  const size_t n = m.size();
  auto byte = [&](size_t k) { return static_cast<uint8_t>(m[k]); };
  auto isLead = [&](size_t k) { return lead_ && k + 1 < n && (*lead_)[byte(k)]; };

  bool star = false;      // a star run waits for the next element
  bool prevStar = false;  // the previous mask character was a star
  int starElements = 0;
  auto push = [&](Element e, size_t start) {
    e.afterStar = star;
    if (star && e.kind != kAny && ++starElements > kMaxStarElements) Fail(start);
    elements_.push_back(e);
    star = false;
  };

  size_t i = 0;
  while (i < n) {
    const uint8_t c = byte(i);
    if (c == '*') {
      star = prevStar = true;
      ++i;
      continue;
    }
    const bool dropped = (c == '?' && prevStar);
    prevStar = false;
    if (dropped) {
      ++i;
      continue;
    }
    if (c == '?') {
      push({kAny, false, 0, 0, 0}, i);
      ++i;
    } else if (c == '[') {
      const size_t start = i++;
      CharSet set;
      if (i < n && m[i] == '!') {
        set.negate = true;
        ++i;
      }
      int last = -1;  // the single-byte character before a "-", if any
      bool empty = true;
      for (;;) {
        if (i >= n) Fail(n);  // not closed
        const uint8_t ch = byte(i);
        if (ch == ']') break;
        empty = false;
        if (isLead(i)) {
          set.pairs.push_back(static_cast<uint16_t>(ch << 8 | byte(i + 1)));
          last = -1;
          i += 2;
        } else if (ch == '-') {
          if (last < 0) Fail(i);
          if (i + 1 < n && m[i + 1] != ']' && !isLead(i + 1)) {
            const uint8_t to = byte(i + 1);
            const int lo = std::min<int>(last, to), hi = std::max<int>(last, to);
            for (int r = lo; r <= hi; ++r) set.Add(static_cast<uint8_t>(r));
            last = to;
            i += 2;
          } else {  // "-" right before "]" (or a double-byte character) is a member
            set.Add('-');
            last = '-';
            ++i;
          }
        } else {
          set.Add(ch);
          last = ch;
          ++i;
        }
      }
      if (empty) Fail(i);
      for (uint8_t ch = 'a'; ch <= 'z'; ++ch)
        if (set.Has(ch)) set.Add(UpperByte(ch));
      sets_.push_back(std::move(set));
      push({kSet, false, 0, 0, static_cast<uint32_t>(sets_.size() - 1)}, start);
      ++i;  // the "]"
    } else if (isLead(i)) {
      push({kPair, false, c, byte(i + 1), 0}, i);
      i += 2;
    } else {
      push({kLiteral, false, UpperByte(c), 0, 0}, i);
      ++i;
    }
  }
  trailingStar_ = star;
}

size_t TMask::CharLen(std::string_view name, size_t i) const {
  return (lead_ && i + 1 < name.size() && (*lead_)[static_cast<uint8_t>(name[i])]) ? 2 : 1;
}

bool TMask::MatchOne(const Element& e, std::string_view name, size_t i, size_t& len) const {
  len = CharLen(name, i);
  const uint8_t c = static_cast<uint8_t>(name[i]);
  switch (e.kind) {
    case kLiteral:
      return len == 1 && UpperByte(c) == e.a;
    case kPair:
      return len == 2 && c == e.a && static_cast<uint8_t>(name[i + 1]) == e.b;
    case kAny:
      return true;
    case kSet: {
      const CharSet& set = sets_[e.set];
      bool member;
      if (len == 1) {
        member = set.Has(UpperByte(c));
      } else {
        const uint16_t pair = static_cast<uint16_t>(c << 8 | static_cast<uint8_t>(name[i + 1]));
        member = std::find(set.pairs.begin(), set.pairs.end(), pair) != set.pairs.end();
      }
      return member != set.negate;
    }
  }
  return false;
}

// Every element takes exactly one character, so a star never needs more than
// one way back: on a mismatch the most recent star takes one more character
// and the elements after it are tried again from there.
bool TMask::Matches(std::string_view name) const {
  const size_t count = elements_.size(), n = name.size();
  constexpr size_t kNone = static_cast<size_t>(-1);
  size_t ei = 0, ni = 0;
  size_t backElement = kNone, backName = 0;
  for (;;) {
    if (ei < count) {
      const Element& e = elements_[ei];
      if (e.afterStar) {
        backElement = ei;
        backName = ni;
      }
      size_t len;
      if (ni < n && MatchOne(e, name, ni, len)) {
        ni += len;
        ++ei;
        continue;
      }
    } else if (ni == n || trailingStar_) {
      return true;
    }
    if (backElement == kNone || backName >= n) return false;
    backName += CharLen(name, backName);
    ei = backElement;
    ni = backName;
  }
}

TMaskList::TMaskList(std::span<const TMaskRow> rows) : TMaskList(rows, SystemLeadBytes()) {}

TMaskList::TMaskList(std::span<const TMaskRow> rows, const TLeadByteTable* leadBytes) {
  for (const TMaskRow& row : rows)
    if (row.checked) masks_.emplace_back(row.text, leadBytes);
}

bool TMaskList::Matches(std::string_view name) const {
  for (const TMask& mask : masks_)
    if (mask.Matches(name)) return true;
  return false;
}

}  // namespace zw
