// Stand-in for the POSIX settings store until the file-backed one arrives:
// no root has a store, so every key fails to open. Delete this file when
// registry_posix.cpp joins the tree (both define the same functions).
#include <cerrno>

#include "platform/registry.h"

namespace zw::platform {

bool RegRootAvailable(RegRoot) { return false; }
bool RegKeyExists(RegRoot, const std::string&) { return false; }
bool RegDeleteKeyTree(RegRoot, const std::string&, OsError* err) {
  if (err) *err = OsError::FromNative(ENOENT);
  return false;
}
std::string RegStoreFile() { return std::string(); }
std::string RegStoreProblem() { return std::string(); }

struct RegKey::Impl {};
RegKey::RegKey() = default;
RegKey::~RegKey() = default;
RegKey::RegKey(RegKey&&) noexcept = default;
RegKey& RegKey::operator=(RegKey&&) noexcept = default;
bool RegKey::Open(RegRoot, const std::string&, RegAccess, OsError* err) {
  if (err) *err = OsError::FromNative(ENOENT);
  return false;
}
bool RegKey::Close() { return true; }
bool RegKey::IsOpen() const { return false; }
bool RegKey::ValueExists(const std::string&) const { return false; }
RegType RegKey::ValueType(const std::string&) const { return RegType::None; }
std::optional<std::string> RegKey::ReadString(const std::string&) const { return std::nullopt; }
std::optional<uint32_t> RegKey::ReadDword(const std::string&) const { return std::nullopt; }
std::optional<std::vector<uint8_t>> RegKey::ReadBinary(const std::string&) const {
  return std::nullopt;
}
bool RegKey::WriteString(const std::string&, const std::string&) { return false; }
bool RegKey::WriteDword(const std::string&, uint32_t) { return false; }
bool RegKey::WriteBinary(const std::string&, const std::vector<uint8_t>&) { return false; }
bool RegKey::DeleteValue(const std::string&) { return false; }
bool RegKey::HasSubKeys() const { return false; }
std::vector<std::string> RegKey::SubKeyNames() const { return {}; }

}  // namespace zw::platform
