// Processes on Windows: CreateProcessA / ShellExecuteExA, the program's own
// resources, the administrators group, SHChangeNotify, ExitWindowsEx, and
// the hidden window of the uninstaller hand-over.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdlib>

#include "platform/handover_window.h"
#include "platform/process.h"

namespace zw::platform {

void UseOneHeap() {}

std::string ExecutablePath() {
  std::string buffer(MAX_PATH + 1, '\0');
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return std::string();
    if (n < buffer.size()) {
      buffer.resize(n);
      return buffer;
    }
    if (buffer.size() >= 32768) return std::string();
    buffer.resize(buffer.size() * 2);
  }
}

uint32_t CurrentProcessId() { return GetCurrentProcessId(); }

namespace {

// One argument quoted as the C runtime reads it back.
std::string QuoteArgument(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
  std::string out = "\"";
  size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
    } else if (c == '"') {
      out.append(backslashes * 2 + 1, '\\');
      backslashes = 0;
    } else {
      backslashes = 0;
    }
    out += c;
  }
  out.append(backslashes, '\\');
  out += '"';
  return out;
}

}  // namespace

int RunProgramAndWait(const std::vector<std::string>& argv, OsError& err) {
  err = {};
  if (argv.empty()) {
    err = OsError::FromNative(ERROR_INVALID_PARAMETER);
    return -1;
  }
  std::string commandLine;
  for (const std::string& a : argv) {
    if (!commandLine.empty()) commandLine += ' ';
    commandLine += QuoteArgument(a);
  }
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &si, &pi)) {
    err = OsError::FromNative(static_cast<int>(GetLastError()));
    return -1;
  }
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return static_cast<int>(code);
}

bool StartProgram(const std::string& path, const std::string& parameters, OsError& err) {
  err = {};
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = "open";
  info.lpFile = path.c_str();
  info.lpParameters = parameters.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExA(&info)) {
    err = OsError::FromNative(static_cast<int>(GetLastError()));
    return false;
  }
  return true;
}

bool ReadOwnResource(int id, std::vector<uint8_t>& bytes) {
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10) /*RT_RCDATA*/);
  if (!found) return false;
  HGLOBAL loaded = LoadResource(nullptr, found);
  const DWORD size = SizeofResource(nullptr, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data || size == 0) return false;
  const auto* p = static_cast<const uint8_t*>(data);
  bytes.assign(p, p + size);
  return true;
}

bool IsAdministrator() {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID admins = nullptr;
  if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0,
                                0, 0, 0, 0, 0, &admins))
    return false;
  BOOL member = FALSE;
  if (!CheckTokenMembership(nullptr, admins, &member)) member = FALSE;
  FreeSid(admins);
  return member != FALSE;
}

void NotifyAssociationsChanged() { SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr); }

bool ShutdownSystem(OsError& err) {
  err = {};
  const char* replacement = std::getenv(kShutdownOverrideVariable);
  if (replacement && *replacement) {
    const int code = RunProgramAndWait({replacement}, err);
    if (code == 0) return true;
    if (!err) err = OsError::FromNative(ERROR_ACCESS_DENIED);
    return false;
  }
  HANDLE token = nullptr;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid))
      AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    CloseHandle(token);
  }
  if (!ExitWindowsEx(EWX_SHUTDOWN | EWX_POWEROFF,
                     SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_MINOR_OTHER |
                         SHTDN_REASON_FLAG_PLANNED)) {
    err = OsError::FromNative(static_cast<int>(GetLastError()));
    return false;
  }
  return true;
}

// --- the hand-over window ---

struct THandoverWindow::Impl {
  HWND window = nullptr;
  THandoverWindow* owner = nullptr;
};

namespace {

const char kHandoverClass[] = "ZwilloHandoverWindow";

LRESULT CALLBACK HandoverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* owner = reinterpret_cast<THandoverWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (message == kMsgUninstallerCheck) return kUninstallerCheckAnswer;
  if (message == kMsgUninstallerWindow) {
    if (owner && owner->onUninstallerWindow) owner->onUninstallerWindow(static_cast<uintptr_t>(wParam));
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

THandoverWindow::THandoverWindow() : impl_(std::make_unique<Impl>()) { impl_->owner = this; }

THandoverWindow::~THandoverWindow() {
  if (impl_->window) DestroyWindow(impl_->window);
}

bool THandoverWindow::Create(const std::string& caption) {
  if (impl_->window) return true;
  WNDCLASSA wc{};
  wc.lpfnWndProc = HandoverProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kHandoverClass;
  RegisterClassA(&wc);  // fails harmlessly when registered already
  impl_->window = CreateWindowExA(0, kHandoverClass, caption.c_str(), WS_OVERLAPPED, 0, 0, 0, 0,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!impl_->window) return false;
  SetWindowLongPtrA(impl_->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  return true;
}

uintptr_t THandoverWindow::Handle() const { return reinterpret_cast<uintptr_t>(impl_->window); }

bool THandoverWindow::RunUntil(const std::function<bool()>& done, uint32_t timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (!done()) {
    const ULONGLONG now = GetTickCount64();
    if (now >= end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(end - now, 100)),
                              QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  return true;
}

bool THandoverWindow::SendCopyData(uintptr_t to, uintptr_t from, uint32_t id,
                                   const std::vector<uint8_t>& bytes) {
  COPYDATASTRUCT data{};
  data.dwData = id;
  data.cbData = static_cast<DWORD>(bytes.size());
  data.lpData = const_cast<uint8_t*>(bytes.data());
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(reinterpret_cast<HWND>(to), WM_COPYDATA, static_cast<WPARAM>(from),
                             reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, 10000, &result) != 0;
}

bool THandoverWindow::PostToWindow(uintptr_t to, uint32_t message) {
  return PostMessageA(reinterpret_cast<HWND>(to), message, 0, 0) != FALSE;
}

}  // namespace zw::platform
