#include "file_dialogs.h"

#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include <vector>

#include "app/file_filter.h"

namespace zw::win {

namespace {

// Long enough for any path the ANSI (UTF-8) functions take.
constexpr DWORD kPathChars = 32768;

// "text|*.a|text|*.b" as "text\0*.a\0text\0*.b\0\0".
std::string NulSeparated(const std::string& filter) {
  std::string out;
  for (const TFilterEntry& e : SplitFilter(filter)) {
    out += e.text;
    out += '\0';
    out += e.pattern;
    out += '\0';
  }
  out += '\0';
  return out;
}

std::optional<std::string> FileDialog(bool save, HWND owner, const std::string& title,
                                      const std::string& filter, int& filterIndex) {
  const std::string filters = NulSeparated(filter);
  const std::string defExt = FilterExtension(filter, filterIndex > 0 ? filterIndex : 1);
  std::vector<char> file(kPathChars, '\0');
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filters.size() > 1 ? filters.c_str() : nullptr;
  ofn.nFilterIndex = static_cast<DWORD>(filterIndex > 0 ? filterIndex : 1);
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = kPathChars;
  ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
  // The extension the filter chosen in the dialog names, not only the first.
  ofn.lpstrDefExt = defExt.empty() ? nullptr : defExt.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
              (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  const BOOL ok = save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
  if (!ok) return std::nullopt;
  filterIndex = static_cast<int>(ofn.nFilterIndex);
  return std::string(file.data());
}

int CALLBACK BrowseCallback(HWND hwnd, UINT msg, LPARAM, LPARAM data) {
  if (msg == BFFM_INITIALIZED && data)
    SendMessageA(hwnd, BFFM_SETSELECTIONA, TRUE, data);
  return 0;
}

}  // namespace

std::optional<std::string> SaveFileDialog(HWND owner, const std::string& title,
                                          const std::string& filter, int& filterIndex) {
  return FileDialog(true, owner, title, filter, filterIndex);
}

std::optional<std::string> OpenFileDialog(HWND owner, const std::string& title,
                                          const std::string& filter) {
  int index = 1;
  return FileDialog(false, owner, title, filter, index);
}

std::optional<std::string> FolderDialog(HWND owner, const std::string& title,
                                        const std::string& initial) {
  // The new dialog style needs COM on this thread; it stays as it was.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  BROWSEINFOA bi{};
  bi.hwndOwner = owner;
  bi.lpszTitle = title.empty() ? nullptr : title.c_str();
  bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  bi.lpfn = &BrowseCallback;
  bi.lParam = initial.empty() ? 0 : reinterpret_cast<LPARAM>(initial.c_str());
  std::optional<std::string> chosen;
  if (LPITEMIDLIST pidl = SHBrowseForFolderA(&bi)) {
    std::vector<char> path(kPathChars, '\0');
    if (SHGetPathFromIDListA(pidl, path.data()) && path[0]) chosen = std::string(path.data());
    CoTaskMemFree(pidl);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return chosen;
}

HWND ActiveOwner(HWND mainWindow) {
  if (!mainWindow) return nullptr;
  const HWND popup = GetLastActivePopup(mainWindow);
  return popup && IsWindowEnabled(popup) && IsWindowVisible(popup) ? popup : mainWindow;
}

}  // namespace zw::win
