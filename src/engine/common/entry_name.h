// The name of a file entry in 16 bytes instead of a std::string's 32: a name
// of up to 15 bytes lies in the object itself, a longer one in a block of its
// own. A million entries are a million names, most of them short, so this is
// 16 MB less while they wait to be compared. The text reads as a
// std::string_view; `str()` copies it out.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

namespace zw {

class TEntryName {
 public:
  static constexpr size_t kInline = 15;

  TEntryName() { SetInline(0); }
  TEntryName(std::string_view text) { Assign(text); }
  TEntryName(const std::string& text) : TEntryName(std::string_view(text)) {}
  TEntryName(const char* text) : TEntryName(std::string_view(text)) {}
  TEntryName(const TEntryName& other) : TEntryName(other.view()) {}
  TEntryName(TEntryName&& other) noexcept {
    std::memcpy(raw_, other.raw_, sizeof raw_);
    other.SetInline(0);
  }
  TEntryName& operator=(const TEntryName& other) {
    if (this != &other) *this = other.view();
    return *this;
  }
  TEntryName& operator=(TEntryName&& other) noexcept {
    if (this != &other) {
      Release();
      std::memcpy(raw_, other.raw_, sizeof raw_);
      other.SetInline(0);
    }
    return *this;
  }
  TEntryName& operator=(std::string_view text) {
    TEntryName copy(text);  // text may lie in this very name
    return *this = std::move(copy);
  }
  TEntryName& operator=(const std::string& text) { return *this = std::string_view(text); }
  TEntryName& operator=(const char* text) { return *this = std::string_view(text); }
  ~TEntryName() { Release(); }

  std::string_view view() const {
    if (IsInline()) return {raw_, kInline - static_cast<uint8_t>(raw_[kInline])};
    return {HeapText(), HeapLength()};
  }
  operator std::string_view() const { return view(); }
  std::string str() const { return std::string(view()); }
  size_t size() const { return view().size(); }
  size_t length() const { return size(); }
  bool empty() const { return size() == 0; }
  // Always followed by a zero byte.
  const char* data() const { return IsInline() ? raw_ : HeapText(); }
  const char* c_str() const { return data(); }

  friend bool operator==(const TEntryName& a, const TEntryName& b) { return a.view() == b.view(); }
  friend bool operator==(const TEntryName& a, std::string_view b) { return a.view() == b; }
  friend bool operator==(const TEntryName& a, const std::string& b) { return a.view() == b; }
  friend bool operator==(const TEntryName& a, const char* b) { return a.view() == b; }
  friend std::string operator+(std::string_view a, const TEntryName& b) {
    std::string s;
    s.reserve(a.size() + b.size());
    s += a;
    s += b.view();
    return s;
  }
  friend std::ostream& operator<<(std::ostream& out, const TEntryName& n) { return out << n.view(); }

 private:
  // raw_[15] is 15 minus the length of an inline name (so a name of 15 bytes
  // ends in a zero), or kHeap with the block's address and length in front.
  static constexpr uint8_t kHeap = 0x80;

  bool IsInline() const { return static_cast<uint8_t>(raw_[kInline]) != kHeap; }
  void SetInline(size_t n) {
    raw_[n] = 0;
    raw_[kInline] = static_cast<char>(kInline - n);
  }
  const char* HeapText() const {
    const char* p;
    std::memcpy(&p, raw_, sizeof p);
    return p;
  }
  uint32_t HeapLength() const {
    uint32_t n;
    std::memcpy(&n, raw_ + sizeof(char*), sizeof n);
    return n;
  }
  void Assign(std::string_view text) {
    if (text.size() <= kInline) {
      std::memcpy(raw_, text.data(), text.size());
      SetInline(text.size());
      return;
    }
    // A name is a file name, far below 4 GB; a longer text is cut there.
    const uint32_t n = static_cast<uint32_t>(std::min<size_t>(text.size(), UINT32_MAX - 1));
    char* p = new char[n + 1];
    std::memcpy(p, text.data(), n);
    p[n] = 0;
    std::memcpy(raw_, &p, sizeof p);
    std::memcpy(raw_ + sizeof(char*), &n, sizeof n);
    raw_[kInline] = static_cast<char>(kHeap);
  }
  void Release() {
    if (!IsInline()) delete[] HeapText();
  }

  char raw_[16];
};

static_assert(sizeof(TEntryName) == 16);

}  // namespace zw
