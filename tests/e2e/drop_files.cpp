// drop_files.exe: drops files on a folder list of a running zwillo.exe the
// way the shell does, through OLE drag and drop, so that end-to-end tests
// can drive a drop without a mouse.
//
//   drop_files.exe [--library] [--row N] FILE...
//
// It finds the main window (class "TForm1"), takes the visible list boxes
// on it that are OLE drop targets, top to bottom (the first is the 'fresh'
// list, the second the 'library' list; the scan options page must be
// shown), and runs a drag of a file list (CF_HDROP, copy only) whose cursor
// it moves itself onto the list: at the end of the list, or with --row N
// onto the upper half of row N (the files go in before it). No mouse button
// is involved: the drag ends with a drop once the cursor has rested on the
// list. Exit code 0 when the target took the drop, 1 when it refused it, 2
// for wrong use or no such window.
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A data object with one format: the file list.
class TFileListData : public IDataObject {
 public:
  explicit TFileListData(const std::vector<std::wstring>& files) : files_(files) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDataObject) {
      *out = static_cast<IDataObject*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }  // lives on the stack
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* fmt, STGMEDIUM* medium) override {
    if (QueryGetData(fmt) != S_OK) return DV_E_FORMATETC;
    size_t chars = 1;
    for (const std::wstring& f : files_) chars += f.size() + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + chars * 2);
    if (!block) return E_OUTOFMEMORY;
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    auto* p = reinterpret_cast<wchar_t*>(drop + 1);
    for (const std::wstring& f : files_) {
      memcpy(p, f.c_str(), (f.size() + 1) * 2);
      p += f.size() + 1;
    }
    GlobalUnlock(block);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* fmt) override {
    return fmt && fmt->cfFormat == CF_HDROP && (fmt->tymed & TYMED_HGLOBAL) ? S_OK
                                                                              : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
    if (direction != DATADIR_GET) return E_NOTIMPL;
    FORMATETC f{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return SHCreateStdEnumFmtEtc(1, &f, out);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }

 private:
  std::vector<std::wstring> files_;
  ULONG refs_ = 1;
};

// The drag's source: it moves the cursor from `from` to `to` in steps, lets
// it rest there, then drops; it gives up after a while.
class TScriptedSource : public IDropSource {
 public:
  TScriptedSource(POINT from, POINT to) : from_(from), to_(to) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDropSource) {
      *out = static_cast<IDropSource*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL, DWORD) override {
    constexpr int kSteps = 8, kRest = 6;
    ++calls_;
    if (calls_ <= kSteps) {
      SetCursorPos(from_.x + (to_.x - from_.x) * calls_ / kSteps,
                   from_.y + (to_.y - from_.y) * calls_ / kSteps);
      return S_OK;
    }
    if (calls_ <= kSteps + kRest) return S_OK;
    return DRAGDROP_S_DROP;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

 private:
  POINT from_, to_;
  int calls_ = 0;
  ULONG refs_ = 1;
};

// The drop target of --target: a folder that takes CF_HDROP and, like the
// Recycle Bin or a file manager with Shift, moves the files whenever the
// source allows it (and says so); it copies them otherwise.
class TMovingTarget : public IDropTarget {
 public:
  explicit TMovingTarget(const wchar_t* folder) : folder_(folder) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDropTarget) {
      *out = static_cast<IDropTarget*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }
  static DWORD Take(DWORD allowed) {
    return (allowed & DROPEFFECT_MOVE) ? DROPEFFECT_MOVE : allowed & DROPEFFECT_COPY;
  }
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
    *effect = Take(*effect);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
    *effect = Take(*effect);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    FORMATETC fmt{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (FAILED(data->GetData(&fmt, &medium))) {
      *effect = DROPEFFECT_NONE;
      return S_OK;
    }
    const DWORD taken = Take(*effect);
    auto drop = static_cast<HDROP>(medium.hGlobal);
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
      wchar_t name[MAX_PATH * 4];
      if (!DragQueryFileW(drop, i, name, MAX_PATH * 4)) continue;
      const char* done = "kept";
      if (folder_) {
        const wchar_t* base = wcsrchr(name, L'\\');
        std::wstring to = std::wstring(folder_) + L"\\" + (base ? base + 1 : name);
        if (taken == DROPEFFECT_MOVE && MoveFileW(name, to.c_str())) done = "moved";
        if (taken == DROPEFFECT_COPY && CopyFileW(name, to.c_str(), TRUE)) done = "copied";
      }
      printf("drop_files: %s %ls\n", done, name);
    }
    ReleaseStgMedium(&medium);
    // What a shell folder leaves for the source.
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof(DWORD));
    *static_cast<DWORD*>(GlobalLock(block)) = taken;
    GlobalUnlock(block);
    FORMATETC performed{static_cast<CLIPFORMAT>(RegisterClipboardFormatA("Performed DropEffect")),
                        nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM value{};
    value.tymed = TYMED_HGLOBAL;
    value.hGlobal = block;
    if (FAILED(data->SetData(&performed, &value, TRUE))) GlobalFree(block);
    *effect = taken;
    dropped = true;
    PostQuitMessage(0);
    return S_OK;
  }
  bool dropped = false;

 private:
  const wchar_t* folder_;
  ULONG refs_ = 1;
};

int RunTarget(const wchar_t* folder) {
  OleInitialize(nullptr);
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_HIGHLIGHT + 1);
  wc.lpszClassName = L"ZwDropTarget";
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"zw drop target",
                                WS_POPUP | WS_VISIBLE | WS_BORDER, 0, 0, 140, 140, nullptr,
                                nullptr, wc.hInstance, nullptr);
  TMovingTarget target(folder);
  RegisterDragDrop(window, &target);
  SetTimer(window, 1, 120000, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER) break;
    DispatchMessageW(&msg);
  }
  RevokeDragDrop(window);
  DestroyWindow(window);
  fflush(stdout);
  OleUninitialize();
  return target.dropped ? 0 : 1;
}

struct TLists {
  std::vector<HWND> found;
};

BOOL CALLBACK CollectLists(HWND hwnd, LPARAM lp) {
  char cls[32] = "";
  GetClassNameA(hwnd, cls, sizeof cls);
  // RegisterDragDrop marks its window with this property.
  if (_stricmp(cls, "ListBox") == 0 && IsWindowVisible(hwnd) &&
      GetPropA(hwnd, "OleDropTargetInterface"))
    reinterpret_cast<TLists*>(lp)->found.push_back(hwnd);
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  bool library = false;
  int row = -1;
  std::vector<std::wstring> files;
  if (argc == 3 && strcmp(argv[1], "--target") == 0) {
    static wchar_t folder[MAX_PATH * 4];
    std::wstring name(MultiByteToWideChar(CP_ACP, 0, argv[2], -1, nullptr, 0), L'\0');
    MultiByteToWideChar(CP_ACP, 0, argv[2], -1, name.data(), static_cast<int>(name.size()));
    if (!GetFullPathNameW(name.c_str(), MAX_PATH * 4, folder, nullptr)) return 2;
    return RunTarget(folder);
  }
  if (argc == 2 && strcmp(argv[1], "--target-fail") == 0) return RunTarget(nullptr);
  for (int i = 1; i < argc; ++i) {
    if (strcmp(argv[i], "--library") == 0) {
      library = true;
    } else if (strcmp(argv[i], "--row") == 0 && i + 1 < argc) {
      row = atoi(argv[++i]);
    } else {
      wchar_t full[MAX_PATH * 4];
      std::wstring name(MultiByteToWideChar(CP_ACP, 0, argv[i], -1, nullptr, 0), L'\0');
      MultiByteToWideChar(CP_ACP, 0, argv[i], -1, name.data(), static_cast<int>(name.size()));
      if (!GetFullPathNameW(name.c_str(), MAX_PATH * 4, full, nullptr)) return 2;
      files.emplace_back(full);
    }
  }
  if (files.empty()) {
    fprintf(stderr, "usage: drop_files [--library] [--row N] FILE...\n");
    return 2;
  }
  HWND main = FindWindowA("TForm1", nullptr);
  if (!main) {
    fprintf(stderr, "drop_files: no zwillo window\n");
    return 2;
  }
  TLists lists;
  EnumChildWindows(main, CollectLists, reinterpret_cast<LPARAM>(&lists));
  std::sort(lists.found.begin(), lists.found.end(), [](HWND a, HWND b) {
    RECT ra, rb;
    GetWindowRect(a, &ra);
    GetWindowRect(b, &rb);
    return ra.top < rb.top;
  });
  const size_t which = library ? 1 : 0;
  if (lists.found.size() <= which) {
    fprintf(stderr, "drop_files: the folder list is not shown (%u drop targets)\n",
            static_cast<unsigned>(lists.found.size()));
    return 2;
  }
  HWND list = lists.found[which];
  SetForegroundWindow(main);

  // The point to drop on, in the list's client area.
  RECT client;
  GetClientRect(list, &client);
  POINT to{(client.left + client.right) / 2, (client.top + client.bottom) / 2};
  const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  RECT item{};
  if (row >= 0 && row < count &&
      SendMessageA(list, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&item)) != LB_ERR) {
    to.y = item.top + 1;
  } else if (count > 0 &&
             SendMessageA(list, LB_GETITEMRECT, count - 1, reinterpret_cast<LPARAM>(&item)) != LB_ERR) {
    // Below the last row when there is room, else on the lower half of the
    // last row (also after it); away from the scrolling edge either way.
    const int edge = GetSystemMetrics(SM_CYHSCROLL);
    to.y = item.bottom + edge / 2 < client.bottom - 2 * edge ? item.bottom + edge / 2
                                                             : item.bottom - 2;
  }
  ClientToScreen(list, &to);
  POINT from{to.x - 40, to.y - 40};

  OleInitialize(nullptr);
  {
    TFileListData data(files);
    TScriptedSource source(from, to);
    SetCursorPos(from.x, from.y);
    DWORD effect = DROPEFFECT_NONE;
    const HRESULT hr = DoDragDrop(&data, &source, DROPEFFECT_COPY, &effect);
    const bool took = hr == DRAGDROP_S_DROP && effect != DROPEFFECT_NONE;
    printf("drop_files: %s (effect %lu)\n", took ? "dropped" : "refused",
           static_cast<unsigned long>(effect));
    OleUninitialize();
    return took ? 0 : 1;
  }
}
