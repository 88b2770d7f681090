// The recycle bin and shortcuts on Windows: SHFileOperationA with undo for
// the recycle bin, IShellLinkA and IPersistFile for .lnk files.
#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shellapi.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/paths.h"
#include "platform/shell.h"

namespace zw::platform {
namespace {

// The source list of SHFileOperationA: the name and two NULs in a buffer of
// MAX_PATH + 1 bytes, so at most MAX_PATH - 1 characters.
constexpr size_t kSourceListBytes = MAX_PATH + 1;

// SHFileOperation's own result codes, left over from Windows 3.1. They are
// not Windows error numbers (0x7C would read as ERROR_INVALID_LEVEL), so the
// ones that have a Windows counterpart are told as that.
constexpr int kDeOpCancelled = 0x75;
constexpr int kDeAccessDeniedSrc = 0x78;
constexpr int kDePathTooDeep = 0x79;
constexpr int kDeInvalidFiles = 0x7C;
constexpr int kDeFileNameTooLong = 0x81;
constexpr int kDeRootDir = 0x74;
constexpr int kDeErrorOnDest = 0x10000;

int NativeOfFileOperation(int result) {
  switch (result) {
    case kDeOpCancelled: return ERROR_CANCELLED;
    case kDeAccessDeniedSrc:
    case kDeRootDir:
      return ERROR_ACCESS_DENIED;
    case kDeInvalidFiles: return ERROR_FILE_NOT_FOUND;
    case kDePathTooDeep:
    case kDeFileNameTooLong:
      return ERROR_FILENAME_EXCED_RANGE;
    default:
      if ((result & kDeErrorOnDest) != 0 && (result & 0xFFFF) != 0) return result & 0xFFFF;
      return result;
  }
}

bool Fail(OsError& err, int code) {
  err = OsError::FromNative(code);
  // A name too long for the shell's buffers is a bad name to the callers.
  if (code == ERROR_FILENAME_EXCED_RANGE) err.kind = ErrKind::InvalidName;
  return false;
}

bool FailLast(OsError& err, int fallback) {
  const int code = static_cast<int>(GetLastError());
  return Fail(err, code != 0 ? code : fallback);
}

// A failed COM call as a Windows error where it carries one.
bool FailHr(OsError& err, HRESULT hr) {
  if (HRESULT_FACILITY(hr) == FACILITY_WIN32) return Fail(err, HRESULT_CODE(hr));
  if (hr == E_OUTOFMEMORY) return Fail(err, ERROR_NOT_ENOUGH_MEMORY);
  if (hr == E_ACCESSDENIED) return Fail(err, ERROR_ACCESS_DENIED);
  return Fail(err, static_cast<int>(hr));
}

std::wstring Wide(const std::string& text) {
  const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, out.data(), n);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

// COM for the calling thread for as long as it lives, unless the thread had
// it already (in whatever apartment).
class ComScope {
 public:
  ComScope() {
    const HRESULT hr = CoInitialize(nullptr);
    mine_ = SUCCEEDED(hr);  // S_FALSE: initialised before, still counted
    usable_ = SUCCEEDED(hr) || hr == RPC_E_CHANGED_MODE;
    hr_ = hr;
  }
  ~ComScope() {
    if (mine_) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  bool Usable() const { return usable_; }
  HRESULT Result() const { return hr_; }

 private:
  bool mine_ = false;
  bool usable_ = false;
  HRESULT hr_ = S_OK;
};

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (p_ != nullptr) p_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T* operator->() const { return p_; }
  T** Out() { return &p_; }
  void** OutVoid() { return reinterpret_cast<void**>(&p_); }

 private:
  T* p_ = nullptr;
};

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

bool MoveToTrash(const std::string& path, OsError& err) {
  err = OsError{};
  if (path.empty()) return Fail(err, ERROR_INVALID_NAME);
  if (path.size() + 2 > kSourceListBytes) return Fail(err, ERROR_FILENAME_EXCED_RANGE);
  char from[kSourceListBytes];
  std::memset(from, 0, sizeof from);
  std::memcpy(from, path.data(), path.size());

  SHFILEOPSTRUCTA op;
  std::memset(&op, 0, sizeof op);
  op.hwnd = nullptr;
  op.wFunc = FO_DELETE;
  op.pFrom = from;
  op.pTo = nullptr;
  // Without a warning the shell deletes a file it cannot put into the
  // Recycle Bin (a drive without one, a file too large for it) for good and
  // reports success; the user chose the reversible action, so the shell
  // must ask before it destroys anything, and No keeps the file.
  op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT | FOF_WANTNUKEWARNING;
  const int result = SHFileOperationA(&op);
  if (result != 0) return Fail(err, NativeOfFileOperation(result));
  if (op.fAnyOperationsAborted) return Fail(err, ERROR_CANCELLED);
  return true;
}

bool ReplaceByShortcut(const std::string& file, const std::string& target, std::string& linkPath,
                       OsError& err) {
  err = OsError{};
  linkPath.clear();
  const DWORD attributes = GetFileAttributesA(file.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return FailLast(err, ERROR_FILE_NOT_FOUND);
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return Fail(err, ERROR_ACCESS_DENIED);
  // A shortcut to nothing would leave the file's contents nowhere.
  if (target.empty() || !Exists(target)) return Fail(err, ERROR_FILE_NOT_FOUND);
  if (SamePath(FullPath(target), FullPath(file))) return Fail(err, ERROR_INVALID_PARAMETER);

  SHFILEINFOA info;
  std::memset(&info, 0, sizeof info);
  if (SHGetFileInfoA(file.c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME) == 0 || info.szDisplayName[0] == '\0') {
    return FailLast(err, ERROR_FILE_NOT_FOUND);
  }
  linkPath = ExtractFilePath(file) + info.szDisplayName + ".lnk";
  if (Exists(linkPath)) return Fail(err, ERROR_ALREADY_EXISTS);

  std::string iconFile;
  int iconIndex = 0;
  std::memset(&info, 0, sizeof info);
  if (SHGetFileInfoA(file.c_str(), 0, &info, sizeof info, SHGFI_ICONLOCATION) != 0) {
    iconFile = info.szDisplayName;
    iconIndex = info.iIcon;
  }

  {
    ComScope com;
    if (!com.Usable()) return FailHr(err, com.Result());
    ComPtr<IShellLinkA> link;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.OutVoid());
    if (FAILED(hr)) return FailHr(err, hr);
    hr = link->SetPath(target.c_str());
    if (SUCCEEDED(hr)) hr = link->SetShowCmd(SW_SHOWNORMAL);
    if (SUCCEEDED(hr) && !iconFile.empty()) hr = link->SetIconLocation(iconFile.c_str(), iconIndex);
    if (FAILED(hr)) return FailHr(err, hr);
    ComPtr<IPersistFile> persist;
    hr = link->QueryInterface(IID_IPersistFile, persist.OutVoid());
    if (FAILED(hr)) return FailHr(err, hr);
    const std::wstring wide = Wide(linkPath);
    if (wide.empty()) return Fail(err, ERROR_INVALID_NAME);
    hr = persist->Save(wide.c_str(), TRUE);
    if (FAILED(hr)) return FailHr(err, hr);
  }

  // The shortcut is in place; now the file goes, read-only or not.
  SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!DeleteFileA(file.c_str())) {
    const int code = static_cast<int>(GetLastError());
    SetFileAttributesA(file.c_str(), attributes);
    return Fail(err, code != 0 ? code : ERROR_ACCESS_DENIED);
  }
  return true;
}

bool ResolveShortcut(const std::string& shortcut, std::string& target, OsError& err) {
  err = OsError{};
  if (!Exists(shortcut)) return FailLast(err, ERROR_FILE_NOT_FOUND);
  ComScope com;
  if (!com.Usable()) return FailHr(err, com.Result());
  ComPtr<IShellLinkA> link;
  HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.OutVoid());
  if (FAILED(hr)) return FailHr(err, hr);
  ComPtr<IPersistFile> persist;
  hr = link->QueryInterface(IID_IPersistFile, persist.OutVoid());
  if (FAILED(hr)) return FailHr(err, hr);
  const std::wstring wide = Wide(shortcut);
  if (wide.empty()) return Fail(err, ERROR_INVALID_NAME);
  hr = persist->Load(wide.c_str(), STGM_READ);
  // A file that is no shortcut fails with a bare E_FAIL: told as bad data.
  if (FAILED(hr)) return HRESULT_FACILITY(hr) == FACILITY_WIN32 ? FailHr(err, hr) : Fail(err, ERROR_INVALID_DATA);
  char path[MAX_PATH + 1];
  path[0] = '\0';
  hr = link->GetPath(path, MAX_PATH, nullptr, SLGP_UNCPRIORITY);
  // S_FALSE: the shortcut points at something that has no file-system path.
  if (FAILED(hr)) return FailHr(err, hr);
  if (hr != S_OK || path[0] == '\0') return Fail(err, ERROR_PATH_NOT_FOUND);
  target = path;
  return true;
}

bool IsShortcut(const std::string& path) { return LowerAscii(ExtractFileExt(path)) == ".lnk"; }

}  // namespace zw::platform
