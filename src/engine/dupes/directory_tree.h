// A set of folder paths kept as a tree ordered by path: a folder's node
// holds the nodes of the folders below it. TZWTouchedDirectories records the
// folders a file action removed files from, and afterwards offers the ones
// left empty for deletion.
//
// Paths end with the platform separator. Two paths are the same folder by
// the platform's path identity (case-insensitive on Windows, exact bytes on
// POSIX); siblings are sorted ascending by that key.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/common/messages.h"

namespace zw {

// Examination state of a node in TZWTouchedDirectories.
namespace dirstate {
constexpr uint32_t kUnknown = 0;
constexpr uint32_t kEmpty = 1;
constexpr uint32_t kNotEmpty = 2;
}  // namespace dirstate

struct TDirEntry {
  TDirEntry* Next = nullptr;      // next sibling (ascending by path)
  TDirEntry* Children = nullptr;  // first child
  std::string Path;               // full folder path with trailing separator
  uint32_t State = 0;             // dirstate for touched folders; the catalog writer keeps its own value
  std::string Key;                // comparison key of Path (platform path identity)
};

class TDirectoryTree {
 public:
  TDirectoryTree() = default;
  ~TDirectoryTree();
  TDirectoryTree(const TDirectoryTree&) = delete;
  TDirectoryTree& operator=(const TDirectoryTree&) = delete;

  // Inserts a folder path (ending with the separator) and returns its node;
  // the node of the same folder is returned when it exists already. A new
  // ancestor of existing nodes takes them as its children.
  TDirEntry* Add(const std::string& path);

  // First node of the top level; null when the tree is empty.
  TDirEntry* First() const { return first_; }
  bool Empty() const { return first_ == nullptr; }
  // Frees every node.
  void Clear();

 protected:
  // Inserts into the sibling list at `link`, whose paths share their first
  // `start` key characters with `key`.
  static TDirEntry* Insert(TDirEntry** link, const std::string& path, const std::string& key,
                           size_t start);
  static void FreeNodes(TDirEntry* node);

  TDirEntry* first_ = nullptr;
};

class TZWTouchedDirectories : public TDirectoryTree {
 public:
  // Button indexes of the empty-folder question.
  enum TAnswerButton : int { btnYes = 0, btnNo = 1, btnAll = 2, btnNone = 3 };
  // Answer of the question when it is confirmed without a choice.
  static constexpr int kDefaultButton = btnNo;

  // Finds the folders that are now empty and asks about each (Yes, No,
  // All, None); removes what the user accepts. Only empty folders are ever
  // removed. The tree is empty afterwards.
  void DeleteEmpty(IMessenger& messenger);

  // Whether the node's folder holds nothing but folders that are empty in
  // the same sense; computed once and kept in the node's State. Folders on
  // the way to a deeper node are added to the tree as they are met.
  bool IsEmpty(TDirEntry* node);

 private:
  enum class Mode { Ask, All, None };
  // Visits a sibling list (taken over and freed) under the parent folder.
  void Walk(TDirEntry* list, const std::string& parentPath, IMessenger& messenger, Mode& mode);
  void Visit(TDirEntry* node, const std::string& parentPath, IMessenger& messenger, Mode& mode);
  // Removes the node's folder tree bottom-up (children first).
  static void RemoveTree(const TDirEntry* node);
  // All mode: children first, then the folder, then the folders between it
  // and `parentPath` from the bottom up while removal succeeds.
  static void RemoveUpwards(const TDirEntry* node, const std::string& parentPath);
};

}  // namespace zw
