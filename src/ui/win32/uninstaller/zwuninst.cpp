// ZWuninst: the small program that removes Zwillo Pro's files once the
// program itself has ended. Zwillo writes it to the temporary folder and
// starts it with the handle of its window as the only parameter.
//
// It checks that the window is the program's (message 1167 answered with
// 142), reports its own window (message 1168), collects what arrives as
// copy-data messages (identifier 1: its texts, each a 32-bit little-endian
// length and the characters; identifier 2: one item, a kind byte, a 32-bit
// length and the bytes: 1 the program's process id, 10 a file, 11 a folder,
// paths with their terminating zero), and at each message 1169 handles the
// next item: it waits for the program's process to end, deletes each file
// after clearing its attributes (a file that cannot go is scheduled for
// deletion at the next start of the system) and removes the folder only when
// nothing else is left in it.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr UINT kMsgCheck = 1167;
constexpr UINT kMsgWindow = 1168;
constexpr UINT kMsgStep = 1169;
constexpr LRESULT kCheckAnswer = 142;

enum Text { tCaption, tClose, tUninstalling, tFinished, tFileLeft, tFolderLeft, tWaiting,
            tDeleteFile, tDeleteFolder, tCount };

// The built-in English texts; a language file's replace them (identifier 1).
std::string g_texts[tCount] = {
    "Uninstalling ",
    "Close",
    " and all of its components are being removed... Please be patient.",
    "Uninstallation has been completed.",
    "Could not remove \"%s\", I/O-Error %d",
    "The directory \"%s\" has not been removed as it still contains user-generated files or is in use.",
    "Files are being closed to start uninstalling...",
    "Deleting ",
    "Removing ",
};
const char kNoStandalone[] =
    "This uninstaller only works if it is called by the application it has been designed for. "
    "If you found it in your Temp directory, you may safely delete it; this should have happened "
    "automatically anyway.";

struct Item {
  uint8_t kind;
  std::string data;
};

HWND g_main = nullptr;     // the program's window
HWND g_window = nullptr;   // ours
HWND g_heading = nullptr, g_status = nullptr, g_progress = nullptr, g_close = nullptr;
std::string g_product;     // the program's window caption
std::vector<Item> g_items;
size_t g_next = 0;
std::string g_problems;

uint32_t Le32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// "%s" and "%d" filled once each, by hand: a language file's text is no
// format string for printf.
std::string Fill(const std::string& text, const std::string& s, long d) {
  std::string out = text;
  if (size_t at = out.find("%s"); at != std::string::npos) out.replace(at, 2, s);
  if (size_t at = out.find("%d"); at != std::string::npos) out.replace(at, 2, std::to_string(d));
  return out;
}

void SetStatus(const std::string& text) {
  SetWindowTextA(g_status, text.c_str());
  UpdateWindow(g_status);
}

void TakeTexts(const uint8_t* p, size_t n) {
  std::string texts[tCount];
  size_t at = 0;
  for (int i = 0; i < tCount; ++i) {
    if (n - at < 4) return;
    const uint32_t len = Le32(p + at);
    at += 4;
    if (len > n - at) return;
    texts[i].assign(reinterpret_cast<const char*>(p + at), len);
    at += len;
  }
  for (int i = 0; i < tCount; ++i) g_texts[i] = texts[i];
}

void TakeItem(const uint8_t* p, size_t n) {
  if (n < 5) return;
  const uint32_t len = Le32(p + 1);
  if (len > n - 5) return;
  Item item{p[0], std::string(reinterpret_cast<const char*>(p + 5), len)};
  // Paths come with their terminating zero.
  if (!item.data.empty() && item.data.back() == '\0') item.data.pop_back();
  g_items.push_back(item);
}

void WaitForProgram(DWORD pid) {
  SetStatus(g_texts[tWaiting]);
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (!process) return;  // ended already
  // Keep the window alive while waiting.
  const ULONGLONG end = GetTickCount64() + 60000;
  while (GetTickCount64() < end) {
    if (MsgWaitForMultipleObjects(1, &process, FALSE, 200, QS_PAINT) == WAIT_OBJECT_0) break;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageA(&msg);
  }
  CloseHandle(process);
}

void DeleteOneFile(const std::string& path) {
  SetStatus(g_texts[tDeleteFile] + path);
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (DeleteFileA(path.c_str())) return;
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return;
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) break;
    Sleep(300);  // the program may still be letting go of it
  }
  const DWORD error = GetLastError();
  g_problems += Fill(g_texts[tFileLeft], path, long(error)) + "\r\n";
  MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

void RemoveOneFolder(const std::string& path) {
  SetStatus(g_texts[tDeleteFolder] + path);
  // Only an empty folder goes: whatever the user put there stays with it.
  if (!RemoveDirectoryA(path.c_str()) && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
    g_problems += Fill(g_texts[tFolderLeft], path, 0) + "\r\n";
}

void Finish() {
  SetWindowTextA(g_heading, g_texts[tFinished].c_str());
  SetStatus(g_problems);
  SetWindowTextA(g_close, g_texts[tClose].c_str());
  EnableWindow(g_close, TRUE);
  // This program was written to the temporary folder: it goes at the next start.
  char self[MAX_PATH + 1] = {};
  if (GetModuleFileNameA(nullptr, self, MAX_PATH))
    MoveFileExA(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  // Run unattended (the program's e2e checks), it closes by itself.
  if (std::getenv("ZWUNINST_CLOSE_WHEN_DONE")) PostMessageA(g_window, WM_CLOSE, 0, 0);
}

void Step() {
  if (g_next == 0) {
    SetWindowTextA(g_heading, (g_product + g_texts[tUninstalling]).c_str());
    SendMessageA(g_progress, PBM_SETRANGE32, 0, LPARAM(g_items.size()));
  }
  if (g_next >= g_items.size()) {
    Finish();
    return;
  }
  const Item& item = g_items[g_next++];
  switch (item.kind) {
    case 1:
      if (item.data.size() == 4)
        WaitForProgram(Le32(reinterpret_cast<const uint8_t*>(item.data.data())));
      break;
    case 10: DeleteOneFile(item.data); break;
    case 11: RemoveOneFolder(item.data); break;
    default: break;
  }
  SendMessageA(g_progress, PBM_SETPOS, WPARAM(g_next), 0);
  PostMessageA(g_window, kMsgStep, 0, 0);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COPYDATA: {
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      if (!data || !data->lpData) return FALSE;
      const auto* p = static_cast<const uint8_t*>(data->lpData);
      if (data->dwData == 1) TakeTexts(p, data->cbData);
      else if (data->dwData == 2) TakeItem(p, data->cbData);
      return TRUE;
    }
    case kMsgStep:
      Step();
      return 0;
    case WM_COMMAND:
      if (reinterpret_cast<HWND>(lParam) == g_close) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  const unsigned long long handle = std::strtoull(commandLine ? commandLine : "", nullptr, 10);
  g_main = reinterpret_cast<HWND>(static_cast<uintptr_t>(handle));
  DWORD_PTR answer = 0;
  if (!g_main || !IsWindow(g_main) ||
      !SendMessageTimeoutA(g_main, kMsgCheck, 0, 0, SMTO_NORMAL, 10000, &answer) ||
      answer != static_cast<DWORD_PTR>(kCheckAnswer)) {
    MessageBoxA(nullptr, kNoStandalone, "ZWuninst", MB_OK | MB_ICONINFORMATION);
    return 1;
  }
  char caption[256] = {};
  GetWindowTextA(g_main, caption, sizeof caption);
  g_product = caption;

  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  WNDCLASSA wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = "ZWuninstWindow";
  RegisterClassA(&wc);
  const int width = 395, height = 146;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  const std::string title = g_texts[tCaption] + g_product;
  g_window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_DLGMODALFRAME, wc.lpszClassName, title.c_str(),
                             WS_CAPTION | WS_SYSMENU | WS_VISIBLE, x, y, width, height, nullptr,
                             nullptr, instance, nullptr);
  if (!g_window) return 1;
  const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  g_heading = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP, 10, 8,
                              365, 16, g_window, nullptr, instance, nullptr);
  g_status = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_LEFT, 10, 26, 365, 30,
                             g_window, nullptr, instance, nullptr);
  g_progress = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 10, 60, 365, 16,
                               g_window, nullptr, instance, nullptr);
  g_close = CreateWindowExA(0, "BUTTON", g_texts[tClose].c_str(),
                            WS_CHILD | WS_VISIBLE | WS_DISABLED | BS_PUSHBUTTON, 295, 84, 80, 24,
                            g_window, nullptr, instance, nullptr);
  for (HWND control : {g_heading, g_status, g_close})
    SendMessageA(control, WM_SETFONT, WPARAM(font), TRUE);
  SetWindowTextA(g_heading, title.c_str());

  // The program now hands over its texts and items and then posts 1169.
  PostMessageA(g_main, kMsgWindow, WPARAM(g_window), 0);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
