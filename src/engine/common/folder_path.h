// The folder of a file entry: one block a folder, shared by the entries of
// its files, instead of a copy a file (a million files in twenty thousand
// folders keep twenty thousand names, not a million). The text never changes
// once made; assigning gives the entry another block. Copies share it, from
// any thread: the count is atomic, as entries pass from the thread that
// lists them to the one that compares them and on to the result list.
#pragma once
#include <atomic>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

namespace zw {

class TFolderPath {
 public:
  TFolderPath() = default;
  explicit TFolderPath(std::string text)
      : node_(text.empty() ? nullptr : new Node{1, std::move(text)}) {}
  TFolderPath(const char* text) : TFolderPath(std::string(text)) {}
  TFolderPath(const TFolderPath& other) noexcept : node_(other.node_) {
    if (node_) node_->refs.fetch_add(1, std::memory_order_relaxed);
  }
  TFolderPath(TFolderPath&& other) noexcept : node_(std::exchange(other.node_, nullptr)) {}
  TFolderPath& operator=(TFolderPath other) noexcept {
    std::swap(node_, other.node_);
    return *this;
  }
  TFolderPath& operator=(std::string text) { return *this = TFolderPath(std::move(text)); }
  TFolderPath& operator=(const char* text) { return *this = TFolderPath(text); }
  ~TFolderPath() {
    if (node_ && node_->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete node_;
  }

  const std::string& str() const { return node_ ? node_->text : Empty(); }
  operator const std::string&() const { return str(); }
  operator std::string_view() const { return str(); }
  size_t size() const { return str().size(); }
  bool empty() const { return node_ == nullptr; }
  // Both name the same block (so the same text): no need to compare it.
  bool SharesWith(const TFolderPath& other) const { return node_ && node_ == other.node_; }

  friend std::string operator+(const TFolderPath& a, std::string_view b) {
    std::string s;
    s.reserve(a.size() + b.size());
    s += a.str();
    s += b;
    return s;
  }
  friend bool operator==(const TFolderPath& a, std::string_view b) { return a.str() == b; }
  friend std::ostream& operator<<(std::ostream& out, const TFolderPath& p) { return out << p.str(); }

 private:
  struct Node {
    std::atomic<uint32_t> refs;
    std::string text;
  };
  static const std::string& Empty() {
    static const std::string empty;
    return empty;
  }
  Node* node_ = nullptr;
};

}  // namespace zw
