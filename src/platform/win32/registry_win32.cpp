// The registry-shaped store on Windows: the registry itself (ANSI API).
#include <windows.h>

#include "platform/registry.h"

namespace zw::platform {

namespace {

HKEY RootHandle(RegRoot root) {
  switch (root) {
    case RegRoot::CurrentUser: return HKEY_CURRENT_USER;
    case RegRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RegRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
  }
  return HKEY_CURRENT_USER;
}

std::string Relative(const std::string& path) {
  size_t start = 0;
  while (start < path.size() && path[start] == '\\') ++start;
  return path.substr(start);
}

void SetError(OsError* err, LONG code) {
  if (err) *err = OsError::FromNative(static_cast<int>(code));
}

}  // namespace

struct RegKey::Impl {
  HKEY key = nullptr;

  // The value's type and size; false when it does not exist.
  bool Query(const std::string& name, DWORD& type, DWORD& size) const {
    size = 0;
    return RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
  }
};

bool RegRootAvailable(RegRoot) { return true; }

bool RegKeyExists(RegRoot root, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(RootHandle(root), Relative(path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

bool RegDeleteKeyTree(RegRoot root, const std::string& path, OsError* err) {
  const std::string rel = Relative(path);
  if (rel.empty()) {  // never the whole root
    SetError(err, ERROR_INVALID_PARAMETER);
    return false;
  }
  const LONG rc = RegDeleteTreeA(RootHandle(root), rel.c_str());
  if (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) {
    // RegDeleteTree empties the key; the key itself goes with RegDeleteKey.
    const LONG rc2 = RegDeleteKeyA(RootHandle(root), rel.c_str());
    if (rc2 == ERROR_SUCCESS || rc2 == ERROR_FILE_NOT_FOUND) return true;
    SetError(err, rc2);
    return false;
  }
  SetError(err, rc);
  return false;
}

std::string RegStoreFile() { return {}; }
std::string RegStoreProblem() { return {}; }

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
  const std::string rel = Relative(path);
  LONG rc;
  if (access == RegAccess::Create) {
    rc = RegCreateKeyExA(RootHandle(root), rel.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                         KEY_READ | KEY_WRITE, nullptr, &impl_->key, nullptr);
  } else {
    const REGSAM sam = access == RegAccess::Read ? KEY_READ : (KEY_READ | KEY_WRITE);
    rc = RegOpenKeyExA(RootHandle(root), rel.c_str(), 0, sam, &impl_->key);
  }
  if (rc != ERROR_SUCCESS) {
    impl_->key = nullptr;
    SetError(err, rc);
    return false;
  }
  return true;
}

bool RegKey::Close() {
  if (impl_ && impl_->key) {
    RegCloseKey(impl_->key);
    impl_->key = nullptr;
  }
  return true;
}

bool RegKey::IsOpen() const { return impl_ && impl_->key; }

bool RegKey::ValueExists(const std::string& name) const {
  DWORD type, size;
  return IsOpen() && impl_->Query(name, type, size);
}

RegType RegKey::ValueType(const std::string& name) const {
  DWORD type, size;
  if (!IsOpen() || !impl_->Query(name, type, size)) return RegType::None;
  switch (type) {
    case REG_SZ: case REG_EXPAND_SZ: return RegType::String;
    case REG_DWORD: return RegType::Dword;
    case REG_BINARY: return RegType::Binary;
    default: return RegType::Other;
  }
}

std::optional<std::string> RegKey::ReadString(const std::string& name) const {
  DWORD type, size;
  if (!IsOpen() || !impl_->Query(name, type, size)) return std::nullopt;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
  std::string text(size, '\0');
  if (size > 0 &&
      RegQueryValueExA(impl_->key, name.c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(text.data()), &size) != ERROR_SUCCESS)
    return std::nullopt;
  text.resize(size);
  while (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}

std::optional<uint32_t> RegKey::ReadDword(const std::string& name) const {
  DWORD type, size;
  if (!IsOpen() || !impl_->Query(name, type, size)) return std::nullopt;
  if (type != REG_DWORD || size != sizeof(DWORD)) return std::nullopt;
  DWORD value = 0;
  if (RegQueryValueExA(impl_->key, name.c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
    return std::nullopt;
  return value;
}

std::optional<std::vector<uint8_t>> RegKey::ReadBinary(const std::string& name) const {
  DWORD type, size;
  if (!IsOpen() || !impl_->Query(name, type, size)) return std::nullopt;
  if (type != REG_BINARY) return std::nullopt;
  std::vector<uint8_t> data(size);
  if (size > 0 && RegQueryValueExA(impl_->key, name.c_str(), nullptr, &type, data.data(),
                                   &size) != ERROR_SUCCESS)
    return std::nullopt;
  data.resize(size);
  return data;
}

bool RegKey::WriteString(const std::string& name, const std::string& value) {
  return IsOpen() &&
         RegSetValueExA(impl_->key, name.c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool RegKey::WriteDword(const std::string& name, uint32_t value) {
  const DWORD v = value;
  return IsOpen() && RegSetValueExA(impl_->key, name.c_str(), 0, REG_DWORD,
                                    reinterpret_cast<const BYTE*>(&v), sizeof v) == ERROR_SUCCESS;
}

bool RegKey::WriteBinary(const std::string& name, const std::vector<uint8_t>& value) {
  return IsOpen() && RegSetValueExA(impl_->key, name.c_str(), 0, REG_BINARY, value.data(),
                                    static_cast<DWORD>(value.size())) == ERROR_SUCCESS;
}

bool RegKey::DeleteValue(const std::string& name) {
  return IsOpen() && RegDeleteValueA(impl_->key, name.c_str()) == ERROR_SUCCESS;
}

bool RegKey::HasSubKeys() const {
  DWORD subKeys = 0;
  return IsOpen() &&
         RegQueryInfoKeyA(impl_->key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
         subKeys > 0;
}

std::vector<std::string> RegKey::SubKeyNames() const {
  std::vector<std::string> names;
  if (!IsOpen()) return names;
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD len = sizeof name;
    if (RegEnumKeyExA(impl_->key, i, name, &len, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    names.emplace_back(name, len);
  }
  return names;
}

}  // namespace zw::platform
