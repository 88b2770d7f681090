// A registry-shaped store of keys and typed values (string, dword, binary).
//
// Win32: the registry itself, under HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE and
// HKEY_CLASSES_ROOT. POSIX: only the current user's keys exist, kept in one
// file, $XDG_CONFIG_HOME/zwillo/settings.reg (default ~/.config/zwillo/), in
// REGEDIT4 syntax; the other two roots are "not available" there (every
// operation on them fails with kind NotFound and RegRootAvailable says false).
//
// Key paths are relative to their root, parts separated by backslashes
// ("Software\\Corvanta\\Zwillo Pro"); a leading one is allowed. The empty value name is a
// key's default value. Names of keys and values compare without regard to
// ASCII letter case, as the registry does.
//
//   platform::RegKey key;
//   if (key.Open(RegRoot::CurrentUser, "Software\\Corvanta\\Zwillo Pro", RegAccess::Write)) {
//     key.WriteDword("Comp_Size", 1);
//   }   // POSIX: the file is written (atomically) when the last writer closes
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/errors.h"

namespace zw::platform {

enum class RegRoot : uint8_t { CurrentUser, LocalMachine, ClassesRoot };

enum class RegAccess : uint8_t {
  Read,    // open an existing key for reading
  Write,   // open an existing key for reading and writing
  Create,  // open for writing, creating the key and its parents when missing
};

enum class RegType : uint8_t { None, String, Dword, Binary, Other };

// False when the root has no store on this system (POSIX: LocalMachine and
// ClassesRoot).
bool RegRootAvailable(RegRoot root);

// True when the key exists.
bool RegKeyExists(RegRoot root, const std::string& path);

// Deletes a key with all its subkeys and values. False when it could not
// be deleted; a key that does not exist counts as deleted.
bool RegDeleteKeyTree(RegRoot root, const std::string& path, OsError* err = nullptr);

// POSIX: the file that holds the current user's keys. Empty on Windows.
std::string RegStoreFile();

// POSIX: what went wrong the last time the store file was read (a damaged
// line, a file that could not be read), for the caller to log; empty when
// it read cleanly or does not exist. Cleared by the next read. Windows: empty.
std::string RegStoreProblem();

// One open key. Move-only; closed by Close or the destructor.
class RegKey {
 public:
  RegKey();
  ~RegKey();
  RegKey(RegKey&&) noexcept;
  RegKey& operator=(RegKey&&) noexcept;
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  bool Open(RegRoot root, const std::string& path, RegAccess access, OsError* err = nullptr);
  // POSIX: a key opened for writing writes the store file here, when it
  // changed anything. False when that write failed.
  bool Close();
  bool IsOpen() const;

  bool ValueExists(const std::string& name) const;
  RegType ValueType(const std::string& name) const;
  // nullopt when the value is missing or of another type.
  std::optional<std::string> ReadString(const std::string& name) const;
  std::optional<uint32_t> ReadDword(const std::string& name) const;
  std::optional<std::vector<uint8_t>> ReadBinary(const std::string& name) const;

  bool WriteString(const std::string& name, const std::string& value);
  bool WriteDword(const std::string& name, uint32_t value);
  bool WriteBinary(const std::string& name, const std::vector<uint8_t>& value);
  bool DeleteValue(const std::string& name);

  bool HasSubKeys() const;
  std::vector<std::string> SubKeyNames() const;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace zw::platform
