// The registry-shaped store on POSIX: the current user's keys in one file,
// $XDG_CONFIG_HOME/zwillo/settings.reg (default ~/.config/zwillo/), in
// REGEDIT4 syntax. There is no store for the local machine or the classes
// root here.
//
// Two keys open at once: each Open reads the file, and the key sees that
// state plus its own changes. A key opened for writing remembers what it set
// and deleted; when it closes after a change, the file is read afresh, those
// changes are applied to it (the key and its parents created when they went
// missing meanwhile) and the whole store is written back. So writers of
// different keys, or of different values of one key, keep each other's
// values; of two writers of one value the later Close wins.
//
// Writing is atomic: a temporary file in the same folder, flushed to disk,
// then renamed over the store file, which is readable by its owner only
// (0600) in a folder created for the owner only (0700).
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <mutex>

#include "platform/regedit_text.h"
#include "platform/registry.h"

namespace zw::platform {

namespace {

constexpr const char kRootName[] = "HKEY_CURRENT_USER";

std::mutex gMutex;       // the store file and gProblem
std::string gProblem;    // what the last read found wrong

char LowerChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (LowerChar(a[i]) != LowerChar(b[i])) return false;
  return true;
}

// The sort key of a path: lower case, separators below every other
// character, so that a key comes right before its subkeys.
std::string SortKey(std::string_view path) {
  std::string key;
  key.reserve(path.size());
  for (char c : path) key += c == '\\' ? '\x01' : LowerChar(c);
  return key;
}

// A path without leading and trailing backslashes; empty when it is empty
// or has an empty part.
std::string Normal(std::string_view path) {
  while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  if (path.find("\\\\") != std::string_view::npos) return {};
  return std::string(path);
}

struct StoreKey {
  std::string path;  // relative to the root
  std::vector<RegTextValue> values;
};
using Store = std::vector<StoreKey>;

StoreKey* FindKey(Store& store, std::string_view path) {
  for (StoreKey& key : store)
    if (SameName(key.path, path)) return &key;
  return nullptr;
}

// The key, created with its parents when missing.
StoreKey& AddKey(Store& store, const std::string& path) {
  for (size_t sep = path.find('\\'); sep != std::string::npos; sep = path.find('\\', sep + 1)) {
    if (!FindKey(store, std::string_view(path).substr(0, sep)))
      store.push_back(StoreKey{path.substr(0, sep), {}});
  }
  if (StoreKey* key = FindKey(store, path)) return *key;
  store.push_back(StoreKey{path, {}});
  return store.back();
}

bool IsBelow(std::string_view inner, std::string_view outer) {
  return inner.size() > outer.size() && inner[outer.size()] == '\\' &&
         SameName(inner.substr(0, outer.size()), outer);
}

std::vector<std::string> ChildNames(const Store& store, std::string_view path) {
  std::vector<std::string> names;
  for (const StoreKey& key : store) {
    if (IsBelow(key.path, path) && key.path.find('\\', path.size() + 1) == std::string::npos)
      names.push_back(key.path.substr(path.size() + 1));
  }
  return names;
}

void SetValue(StoreKey& key, const RegTextValue& value) {
  for (RegTextValue& old : key.values) {
    if (SameName(old.name, value.name)) {
      old.type = value.type;
      old.data = value.data;  // the name keeps its first spelling and place
      return;
    }
  }
  key.values.push_back(value);
}

bool EraseValue(StoreKey& key, std::string_view name) {
  const auto it = std::find_if(key.values.begin(), key.values.end(),
                               [&](const RegTextValue& v) { return SameName(v.name, name); });
  if (it == key.values.end()) return false;
  key.values.erase(it);
  return true;
}

std::string ConfigFolder() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  if (!home || !home[0]) {
    const passwd* pw = getpwuid(getuid());
    home = pw ? pw->pw_dir : nullptr;
  }
  return std::string(home && home[0] ? home : "") + "/.config";
}

std::string StoreFolder() { return ConfigFolder() + "/zwillo"; }

// Reads the store file (the caller holds gMutex). A missing file is an
// empty store; so is one that cannot be read or has no header, which is
// also what gProblem then says.
Store ReadStoreLocked() {
  Store store;
  gProblem.clear();
  const std::string file = RegStoreFile();
  const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno != ENOENT) gProblem = file + ": " + SystemErrorText(errno);
    return store;
  }
  std::string text;
  char buffer[16384];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      gProblem = file + ": " + SystemErrorText(errno);
      close(fd);
      return store;
    }
    if (n == 0) break;
    text.append(buffer, static_cast<size_t>(n));
  }
  close(fd);
  RegTextDocument doc = ParseRegText(text);
  std::vector<std::string> problems = std::move(doc.problems);
  const std::string root = kRootName;
  for (RegTextKey& key : doc.keys) {
    std::string_view path = key.path;
    if (!(SameName(path.substr(0, root.size()), root) &&
          (path.size() == root.size() || path[root.size()] == '\\'))) {
      problems.push_back("[" + key.path + "]: a key outside " + root + ", skipped");
      continue;
    }
    const std::string rel = Normal(path.substr(root.size()));
    if (rel.empty()) {
      if (!key.values.empty()) problems.push_back("values of the root key itself, skipped");
      continue;
    }
    StoreKey& target = AddKey(store, rel);
    for (const RegTextValue& v : key.values) SetValue(target, v);
  }
  if (!problems.empty()) {
    gProblem = file + ": ";
    for (size_t i = 0; i < problems.size(); ++i) {
      if (i == 5) {
        gProblem += "; and " + std::to_string(problems.size() - 5) + " more";
        break;
      }
      if (i) gProblem += "; ";
      gProblem += problems[i];
    }
  }
  return store;
}

bool MakeFolder(const std::string& folder, OsError* err) {
  if (mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST) return true;
  if (errno == ENOENT) {
    const size_t slash = folder.rfind('/');
    if (slash != std::string::npos && slash > 0 && MakeFolder(folder.substr(0, slash), err) &&
        (mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST))
      return true;
  }
  if (err && !*err) *err = OsError::FromNative(errno);
  return false;
}

// Writes the whole store (the caller holds gMutex): keys sorted, parents
// before their subkeys, values in the order they were first set.
bool WriteStoreLocked(Store store, OsError* err) {
  // Nothing left but the "Software" key every user has (the program's
  // settings were deleted): the file and its folder go, as if never written.
  if (std::all_of(store.begin(), store.end(), [](const StoreKey& key) {
        return key.values.empty() && SameName(key.path, "Software");
      })) {
    if (unlink(RegStoreFile().c_str()) != 0 && errno != ENOENT) {
      if (err) *err = OsError::FromNative(errno);
      return false;
    }
    rmdir(StoreFolder().c_str());  // only when empty
    return true;
  }
  std::stable_sort(store.begin(), store.end(), [](const StoreKey& a, const StoreKey& b) {
    return SortKey(a.path) < SortKey(b.path);
  });
  std::vector<RegTextKey> keys;
  keys.reserve(store.size());
  for (StoreKey& key : store)
    keys.push_back(RegTextKey{std::string(kRootName) + "\\" + key.path, std::move(key.values)});
  const std::string text = FormatRegText(keys);

  const std::string folder = StoreFolder();
  if (!MakeFolder(folder, err)) return false;
  std::string temp = folder + "/.settings.reg.XXXXXX";
  const int fd = mkstemp(temp.data());
  auto fail = [&](int code) {
    if (err) *err = OsError::FromNative(code);
    return false;
  };
  if (fd < 0) return fail(errno);
  bool ok = fchmod(fd, 0600) == 0;
  for (size_t done = 0; ok && done < text.size();) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ok = false;
    else done += static_cast<size_t>(n);
  }
  ok = ok && fsync(fd) == 0;
  int code = ok ? 0 : errno;
  if (close(fd) != 0 && ok) {
    ok = false;
    code = errno;
  }
  if (ok && rename(temp.c_str(), RegStoreFile().c_str()) != 0) {
    ok = false;
    code = errno;
  }
  if (!ok) {
    unlink(temp.c_str());
    return fail(code ? code : EIO);
  }
  // The rename itself reaches the disk with the folder.
  if (const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY); dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return true;
}

void NotAvailable(OsError* err) {
  if (err) *err = OsError::FromNative(ENOENT);
}

}  // namespace

struct RegKey::Impl {
  bool open = false;
  bool writable = false;
  std::string path;
  StoreKey view;                       // the key's values as this handle sees them
  std::vector<std::string> subKeys;    // as they were at Open
  // What this handle changed, in order: a value set (type not None) or
  // deleted (type None); `created` when Open created the key.
  std::vector<RegTextValue> changes;
  bool created = false;

  const RegTextValue* Find(const std::string& name) const {
    for (const RegTextValue& v : view.values)
      if (SameName(v.name, name)) return &v;
    return nullptr;
  }
};

bool RegRootAvailable(RegRoot root) { return root == RegRoot::CurrentUser; }

std::string RegStoreFile() { return StoreFolder() + "/settings.reg"; }

std::string RegStoreProblem() {
  std::lock_guard lock(gMutex);
  return gProblem;
}

bool RegKeyExists(RegRoot root, const std::string& path) {
  if (root != RegRoot::CurrentUser) return false;
  const std::string rel = Normal(path);
  if (rel.empty()) return false;
  std::lock_guard lock(gMutex);
  Store store = ReadStoreLocked();
  return FindKey(store, rel) != nullptr;
}

bool RegDeleteKeyTree(RegRoot root, const std::string& path, OsError* err) {
  if (root != RegRoot::CurrentUser) {
    NotAvailable(err);
    return false;
  }
  const std::string rel = Normal(path);
  if (rel.empty()) {  // never the whole root
    if (err) *err = OsError::FromNative(EINVAL);
    return false;
  }
  std::lock_guard lock(gMutex);
  Store store = ReadStoreLocked();
  const size_t before = store.size();
  std::erase_if(store, [&](const StoreKey& key) {
    return SameName(key.path, rel) || IsBelow(key.path, rel);
  });
  return store.size() == before || WriteStoreLocked(std::move(store), err);
}

RegKey::RegKey() : impl_(std::make_unique<Impl>()) {}
RegKey::~RegKey() {
  if (impl_) Close();
}
RegKey::RegKey(RegKey&&) noexcept = default;
RegKey& RegKey::operator=(RegKey&& other) noexcept {
  if (this != &other) {
    if (impl_) Close();
    impl_ = std::move(other.impl_);
  }
  return *this;
}

bool RegKey::Open(RegRoot root, const std::string& path, RegAccess access, OsError* err) {
  if (!impl_) impl_ = std::make_unique<Impl>();
  Close();
  *impl_ = Impl{};
  if (root != RegRoot::CurrentUser) {
    NotAvailable(err);
    return false;
  }
  const std::string rel = Normal(path);
  if (rel.empty()) {
    if (err) *err = OsError::FromNative(EINVAL);
    return false;
  }
  std::lock_guard lock(gMutex);
  Store store = ReadStoreLocked();
  StoreKey* key = FindKey(store, rel);
  if (!key) {
    if (access != RegAccess::Create) {
      if (err) *err = OsError::FromNative(ENOENT);
      return false;
    }
    impl_->created = true;
    impl_->view.path = rel;
  } else {
    impl_->view = *key;
    impl_->subKeys = ChildNames(store, key->path);
  }
  impl_->path = impl_->view.path;
  impl_->writable = access != RegAccess::Read;
  impl_->open = true;
  return true;
}

bool RegKey::Close() {
  if (!impl_ || !impl_->open) return true;
  Impl& d = *impl_;
  d.open = false;
  if (!d.writable || (!d.created && d.changes.empty())) return true;
  std::lock_guard lock(gMutex);
  Store store = ReadStoreLocked();
  StoreKey& key = AddKey(store, d.path);
  for (const RegTextValue& change : d.changes) {
    if (change.type == RegType::None)
      EraseValue(key, change.name);
    else
      SetValue(key, change);
  }
  d.changes.clear();
  return WriteStoreLocked(std::move(store), nullptr);
}

bool RegKey::IsOpen() const { return impl_ && impl_->open; }

bool RegKey::ValueExists(const std::string& name) const {
  return IsOpen() && impl_->Find(name) != nullptr;
}

RegType RegKey::ValueType(const std::string& name) const {
  const RegTextValue* v = IsOpen() ? impl_->Find(name) : nullptr;
  return v ? v->type : RegType::None;
}

std::optional<std::string> RegKey::ReadString(const std::string& name) const {
  const RegTextValue* v = IsOpen() ? impl_->Find(name) : nullptr;
  if (!v || v->type != RegType::String) return std::nullopt;
  return v->data;
}

std::optional<uint32_t> RegKey::ReadDword(const std::string& name) const {
  const RegTextValue* v = IsOpen() ? impl_->Find(name) : nullptr;
  if (!v || v->type != RegType::Dword || v->data.size() != 4) return std::nullopt;
  uint32_t n = 0;
  for (int i = 0; i < 4; ++i)
    n |= static_cast<uint32_t>(static_cast<unsigned char>(v->data[i])) << (8 * i);
  return n;
}

std::optional<std::vector<uint8_t>> RegKey::ReadBinary(const std::string& name) const {
  const RegTextValue* v = IsOpen() ? impl_->Find(name) : nullptr;
  if (!v || v->type != RegType::Binary) return std::nullopt;
  return std::vector<uint8_t>(v->data.begin(), v->data.end());
}

namespace {
bool Set(RegKey::Impl* d, RegTextValue value) {
  if (!d || !d->open || !d->writable) return false;
  SetValue(d->view, value);
  d->changes.push_back(std::move(value));
  return true;
}
}  // namespace

bool RegKey::WriteString(const std::string& name, const std::string& value) {
  return Set(impl_.get(), RegTextValue{name, RegType::String, value});
}

bool RegKey::WriteDword(const std::string& name, uint32_t value) {
  std::string data;
  for (int i = 0; i < 4; ++i) data += static_cast<char>((value >> (8 * i)) & 0xFF);
  return Set(impl_.get(), RegTextValue{name, RegType::Dword, data});
}

bool RegKey::WriteBinary(const std::string& name, const std::vector<uint8_t>& value) {
  return Set(impl_.get(), RegTextValue{name, RegType::Binary, std::string(value.begin(), value.end())});
}

bool RegKey::DeleteValue(const std::string& name) {
  if (!IsOpen() || !impl_->writable || !EraseValue(impl_->view, name)) return false;
  impl_->changes.push_back(RegTextValue{name, RegType::None, {}});
  return true;
}

bool RegKey::HasSubKeys() const { return IsOpen() && !impl_->subKeys.empty(); }

std::vector<std::string> RegKey::SubKeyNames() const {
  return IsOpen() ? impl_->subKeys : std::vector<std::string>{};
}

}  // namespace zw::platform
