#include "engine/dupes/directory_tree.h"

#include <string_view>

#include "platform/files.h"
#include "platform/paths.h"

namespace zw {

namespace {

// Compares the keys from `start` over the length of the shorter one:
// -1, 0 or 1. Zero means the shorter is the same folder or an ancestor.
int CompareFrom(const std::string& a, const std::string& b, size_t start) {
  const size_t len = std::min(a.size(), b.size());
  if (start >= len) return 0;
  const int c = std::string_view(a).substr(start, len - start)
                    .compare(std::string_view(b).substr(start, len - start));
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// True when `inner` lies strictly below `outer` (keys; both share `start`).
bool IsBelow(const std::string& inner, const std::string& outer, size_t start) {
  return inner.size() > outer.size() && CompareFrom(inner, outer, start) == 0;
}

TDirEntry* NewNode(const std::string& path, const std::string& key) {
  auto* n = new TDirEntry;
  n->Path = path;
  n->Key = key;
  return n;
}

}  // namespace

// ---------------------------------------------------------------------------
// TDirectoryTree

TDirectoryTree::~TDirectoryTree() { Clear(); }

void TDirectoryTree::Clear() {
  FreeNodes(first_);
  first_ = nullptr;
}

void TDirectoryTree::FreeNodes(TDirEntry* node) {
  while (node) {
    TDirEntry* next = node->Next;
    FreeNodes(node->Children);
    delete node;
    node = next;
  }
}

TDirEntry* TDirectoryTree::Add(const std::string& path) {
  if (path.empty()) return nullptr;
  // Without its separator "/a/b" would pass for an ancestor of "/a/bc/".
  const std::string folder = platform::IncludeTrailingSep(path);
  return Insert(&first_, folder, platform::PathKey(folder), 0);
}

TDirEntry* TDirectoryTree::Insert(TDirEntry** link, const std::string& path,
                                  const std::string& key, size_t start) {
  for (;;) {
    TDirEntry* node = *link;
    if (!node) {  // end of the list
      *link = NewNode(path, key);
      return *link;
    }
    const int c = CompareFrom(key, node->Key, start);
    if (c > 0) {
      link = &node->Next;
      continue;
    }
    if (c < 0) {
      TDirEntry* n = NewNode(path, key);
      n->Next = node;
      *link = n;
      return n;
    }
    if (key.size() == node->Key.size()) return node;
    if (key.size() > node->Key.size()) {  // the node is an ancestor: go down
      start = node->Key.size();
      link = &node->Children;
      continue;
    }
    // The new folder is an ancestor of this node and of the following
    // siblings below it; sorted order keeps them together.
    TDirEntry* n = NewNode(path, key);
    *link = n;
    TDirEntry** tail = &n->Children;
    TDirEntry* cur = node;
    while (cur && IsBelow(cur->Key, key, start)) {
      *tail = cur;
      tail = &cur->Next;
      cur = cur->Next;
    }
    *tail = nullptr;
    n->Next = cur;
    return n;
  }
}

// ---------------------------------------------------------------------------
// TZWTouchedDirectories

bool TZWTouchedDirectories::IsEmpty(TDirEntry* node) {
  if (node->State != dirstate::kUnknown) return node->State == dirstate::kEmpty;

  for (TDirEntry* child = node->Children; child; child = child->Next) {
    if (!IsEmpty(child)) {
      node->State = dirstate::kNotEmpty;
      return false;
    }
  }

  platform::DirEnum listing;
  platform::OsError err;
  if (!listing.Open(node->Path, err)) {
    // A folder that is gone or closed to us is never offered; other
    // failures let it count as empty (its removal would fail anyway if not).
    const bool keep = err.kind == platform::ErrKind::NotFound ||
                      err.kind == platform::ErrKind::PathNotFound ||
                      err.kind == platform::ErrKind::AccessDenied;
    node->State = keep ? dirstate::kNotEmpty : dirstate::kEmpty;
    return !keep;
  }

  bool empty = true;
  platform::FindData item;
  while (empty && listing.Next(item)) {
    if (item.IsDotOrDotDot()) continue;
    if (!item.IsFolder() || item.isLink || item.isSpecial) {
      empty = false;
      break;
    }
    const std::string subPath = node->Path + item.name + platform::kPathSep;
    const std::string subKey = platform::PathKey(subPath);
    const size_t start = node->Key.size();
    bool known = false;   // a child node, found empty above
    bool onWay = false;   // an intermediate folder above a deeper child
    for (TDirEntry* child = node->Children; child; child = child->Next) {
      if (child->Key.size() == subKey.size() && CompareFrom(child->Key, subKey, start) == 0) {
        known = true;
        break;
      }
      if (IsBelow(child->Key, subKey, start)) {
        onWay = true;
        break;
      }
    }
    if (known) continue;
    if (onWay) {
      TDirEntry* between = Insert(&node->Children, subPath, subKey, start);
      if (IsEmpty(between)) continue;
    }
    empty = false;
  }
  if (empty && listing.LastError()) empty = false;  // could not read it all
  node->State = empty ? dirstate::kEmpty : dirstate::kNotEmpty;
  return empty;
}

void TZWTouchedDirectories::RemoveTree(const TDirEntry* node) {
  for (const TDirEntry* child = node->Children; child; child = child->Next) RemoveTree(child);
  platform::OsError err;
  platform::RemoveEmptyFolder(node->Path, err);  // a folder still in use stays, silently
}

void TZWTouchedDirectories::RemoveUpwards(const TDirEntry* node, const std::string& parentPath) {
  for (const TDirEntry* child = node->Children; child; child = child->Next)
    RemoveUpwards(child, node->Path);
  platform::OsError err;
  if (!platform::RemoveEmptyFolder(node->Path, err)) return;
  if (parentPath.empty()) return;  // a top-level node: nothing above it is ours
  std::string folder = node->Path;
  for (;;) {
    folder = platform::ExtractFilePath(platform::ExcludeTrailingSep(folder));
    if (folder.size() <= parentPath.size()) break;
    if (!platform::RemoveEmptyFolder(folder, err)) break;
  }
}

void TZWTouchedDirectories::Walk(TDirEntry* list, const std::string& parentPath,
                                 IMessenger& messenger, Mode& mode) {
  while (list) {
    TDirEntry* node = list;
    list = node->Next;
    node->Next = nullptr;
    try {
      Visit(node, parentPath, messenger, mode);
    } catch (...) {
      FreeNodes(node);
      FreeNodes(list);
      throw;
    }
    FreeNodes(node);  // every visited node goes after its turn
  }
}

void TZWTouchedDirectories::Visit(TDirEntry* node, const std::string& parentPath,
                                  IMessenger& messenger, Mode& mode) {
  switch (mode) {
    case Mode::Ask:
      if (IsEmpty(node)) {
        const std::vector<TStrID> buttons = {lblYes, lblNo, lblAll, lblNone};
        const int answer = messenger.AskButtons(askDeleteEmptyDir, {node->Path}, strConfirmation,
                                                icoQuestion, buttons, kDefaultButton);
        if (answer == btnYes || answer == btnAll) RemoveTree(node);
        if (answer == btnAll) mode = Mode::All;
        if (answer == btnNone) mode = Mode::None;
      } else {
        TDirEntry* children = node->Children;
        node->Children = nullptr;  // the walk below owns them now
        Walk(children, node->Path, messenger, mode);
      }
      break;
    case Mode::All:
      RemoveUpwards(node, parentPath);
      break;
    case Mode::None:
      break;
  }
}

void TZWTouchedDirectories::DeleteEmpty(IMessenger& messenger) {
  TDirEntry* list = first_;
  first_ = nullptr;  // the walk owns and frees every node
  Mode mode = Mode::Ask;
  Walk(list, std::string(), messenger, mode);
}

}  // namespace zw
