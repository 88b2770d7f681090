#include "ui/win32/drag_drop.h"

#include <commctrl.h>
#include <windowsx.h>
#include <ole2.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "app/results/result_drag.h"
#include "app/run/dir_list_entries.h"
#include "app/run/folder_lists.h"
#include "app/text/string_table.h"
#include "app/text_ids.h"
#include "platform/errors.h"
#include "platform/shell.h"

namespace zw::win {

namespace {

std::wstring Wide(const std::string& text) {
  const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring out(n > 0 ? static_cast<size_t>(n) : 1, L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, out.data(), n);
  out.resize(wcslen(out.c_str()));
  return out;
}

CLIPFORMAT Format(const char* name) {
  return static_cast<CLIPFORMAT>(RegisterClipboardFormatA(name));
}

FORMATETC HGlobalFormat(CLIPFORMAT format) {
  return FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

// The bytes of an HGLOBAL block a data object hands out; empty when it has
// no such data.
std::vector<uint8_t> ReadBlock(IDataObject* data, CLIPFORMAT format) {
  std::vector<uint8_t> bytes;
  FORMATETC fmt = HGlobalFormat(format);
  STGMEDIUM medium{};
  if (FAILED(data->GetData(&fmt, &medium))) return bytes;
  if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
    const SIZE_T size = GlobalSize(medium.hGlobal);
    if (const void* p = GlobalLock(medium.hGlobal)) {
      const auto* b = static_cast<const uint8_t*>(p);
      bytes.assign(b, b + size);
      GlobalUnlock(medium.hGlobal);
    }
  }
  ReleaseStgMedium(&medium);
  return bytes;
}

HGLOBAL BlockOf(const std::vector<uint8_t>& bytes) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, std::max<size_t>(bytes.size(), 1));
  if (!block) return nullptr;
  if (void* p = GlobalLock(block)) {
    if (!bytes.empty()) memcpy(p, bytes.data(), bytes.size());
    GlobalUnlock(block);
  }
  return block;
}

// What became of a drag, from the data the target left in the data object.
TDragOutcome Outcome(IDataObject* data) {
  return DecodeDragOutcome(ReadBlock(data, Format("TargetCLSID")),
                           ReadBlock(data, Format("Logical Performed DropEffect")),
                           ReadBlock(data, Format("Performed DropEffect")));
}

template <class T>
void ReleaseAndClear(T*& p) {
  if (p) p->Release();
  p = nullptr;
}

// The IUnknown of an object with one interface: counted, deleted at zero
// (through the derived class's destructor).
template <class Interface, const IID& kIid>
class TCounted : public Interface {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == kIid) {
      *out = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
  }

 protected:
  virtual ~TCounted() = default;

 private:
  LONG refs_ = 1;
};

// ---------------------------------------------------------------------------
// TShellDataObject: the files of a drag as the shell itself offers them. It
// keeps the files' item identifiers and hands every request on to the
// shell's own data object for them (made on first use). What a target or
// the drag-image service stores with SetData is kept here and handed out
// before anything else.

class TShellDataObject : public TCounted<IDataObject, IID_IDataObject> {
 public:
  // `several`: the names are parsed by My Computer and the shell's data
  // object comes from there for all of them; otherwise one name, parsed by
  // the desktop, whose data object comes from its parent folder.
  explicit TShellDataObject(bool several) : several_(several) {}
  TShellDataObject(const TShellDataObject&) = delete;
  TShellDataObject& operator=(const TShellDataObject&) = delete;

  // Takes a full file name; false when the shell cannot parse it where it
  // must (a network name in a drag of several files, a name that does not
  // exist) or a second name for a one-file object.
  bool Add(const std::string& fullName) {
    if (inner_ || innerTried_) return false;
    const std::wstring name = Wide(fullName);
    if (name.empty() || (!several_ && !items_.empty())) return false;
    if (several_) {
      // Several files are the files My Computer knows.
      if (!drives_ && !OpenDrives()) return false;
      ULONG eaten = 0;
      std::wstring buffer = name;
      LPITEMIDLIST relative = nullptr;
      if (FAILED(drives_->ParseDisplayName(nullptr, nullptr, buffer.data(), &eaten, &relative,
                                           nullptr)) ||
          !relative)
        return false;
      CoTaskMemFree(relative);
    }
    // The data object is made from full item identifiers: every shell
    // renders them alike, also those whose folders take only one level of
    // identifiers from a child.
    LPITEMIDLIST pidl = nullptr;
    if (FAILED(SHParseDisplayName(name.c_str(), nullptr, &pidl, 0, nullptr)) || !pidl)
      return false;
    items_.push_back(pidl);
    names_.push_back(name);
    return true;
  }
  size_t Count() const { return items_.size(); }

  // --- IDataObject ---
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* fmt, STGMEDIUM* medium) override {
    if (!fmt || !medium) return E_INVALIDARG;
    *medium = STGMEDIUM{};
    if (const TStored* s = Stored(*fmt)) {
      // The block stays ours: the receiver releases it through us.
      *medium = s->medium;
      medium->pUnkForRelease = static_cast<IDataObject*>(this);
      AddRef();
      return S_OK;
    }
    if (IsFileList(*fmt)) return FileList(*medium);
    if (OwnFormat(*fmt)) return OwnData(*fmt, *medium);
    if (IDataObject* inner = Inner()) return inner->GetData(fmt, medium);
    return DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* fmt, STGMEDIUM* medium) override {
    if (!fmt || !medium) return E_INVALIDARG;
    if (Stored(*fmt) || IsFileList(*fmt) || OwnFormat(*fmt)) return DATA_E_FORMATETC;
    if (IDataObject* inner = Inner()) return inner->GetDataHere(fmt, medium);
    return DATA_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* fmt) override {
    if (!fmt) return E_INVALIDARG;
    if (Stored(*fmt) || IsFileList(*fmt) || OwnFormat(*fmt)) return S_OK;
    if (IDataObject* inner = Inner()) return inner->QueryGetData(fmt);
    return DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override {
    if (!out) return E_INVALIDARG;
    if (IDataObject* inner = Inner()) return inner->GetCanonicalFormatEtc(in, out);
    out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC* fmt, STGMEDIUM* medium, BOOL release) override {
    if (!fmt || !medium) return E_INVALIDARG;
    STGMEDIUM kept{};
    if (release) {
      kept = *medium;
    } else if (medium->tymed == TYMED_HGLOBAL && medium->hGlobal) {
      // A copy of the caller's block.
      const SIZE_T size = GlobalSize(medium->hGlobal);
      std::vector<uint8_t> bytes(size);
      if (const void* p = GlobalLock(medium->hGlobal)) {
        if (size) memcpy(bytes.data(), p, size);
        GlobalUnlock(medium->hGlobal);
      }
      kept.tymed = TYMED_HGLOBAL;
      kept.hGlobal = BlockOf(bytes);
      if (!kept.hGlobal) return E_OUTOFMEMORY;
    } else {
      return E_NOTIMPL;
    }
    for (TStored& s : stored_)
      if (s.format.cfFormat == fmt->cfFormat && s.format.dwAspect == fmt->dwAspect &&
          s.format.lindex == fmt->lindex) {
        ReleaseStgMedium(&s.medium);
        s.format = *fmt;
        s.format.ptd = nullptr;
        s.medium = kept;
        return S_OK;
      }
    TStored s;
    s.format = *fmt;
    s.format.ptd = nullptr;
    s.format.tymed = kept.tymed;
    s.medium = kept;
    stored_.push_back(s);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    if (direction != DATADIR_GET) return E_NOTIMPL;
    std::vector<FORMATETC> formats;
    AddOwnFormats(formats);
    if (!names_.empty()) formats.push_back(HGlobalFormat(CF_HDROP));
    for (const TStored& s : stored_) formats.push_back(s.format);
    if (IDataObject* inner = Inner()) {
      IEnumFORMATETC* e = nullptr;
      if (SUCCEEDED(inner->EnumFormatEtc(DATADIR_GET, &e)) && e) {
        FORMATETC f;
        ULONG got = 0;
        while (e->Next(1, &f, &got) == S_OK && got == 1) {
          if (f.ptd) CoTaskMemFree(f.ptd);
          f.ptd = nullptr;
          if (f.cfFormat != CF_HDROP) formats.push_back(f);
        }
        e->Release();
      }
    }
    return SHCreateStdEnumFmtEtc(static_cast<UINT>(formats.size()), formats.data(), out);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }

 protected:
  virtual ~TShellDataObject() {
    for (TStored& s : stored_) ReleaseStgMedium(&s.medium);
    ReleaseAndClear(inner_);
    ReleaseAndClear(drives_);
    for (LPITEMIDLIST p : items_) CoTaskMemFree(p);
  }
  // Formats a derived object offers itself.
  virtual bool OwnFormat(const FORMATETC&) const { return false; }
  virtual HRESULT OwnData(const FORMATETC&, STGMEDIUM&) { return DV_E_FORMATETC; }
  virtual void AddOwnFormats(std::vector<FORMATETC>&) const {}

 private:
  struct TStored {
    FORMATETC format{};
    STGMEDIUM medium{};
  };

  // The file list (CF_HDROP) is made from the names themselves: the same
  // list the shell would give, also where a shell renders the list of items
  // from several folders wrongly (as their drives or their top folders).
  bool IsFileList(const FORMATETC& fmt) const {
    return !names_.empty() && fmt.cfFormat == CF_HDROP && (fmt.tymed & TYMED_HGLOBAL) &&
           fmt.dwAspect == DVASPECT_CONTENT;
  }
  HRESULT FileList(STGMEDIUM& medium) const {
    size_t chars = 1;
    for (const std::wstring& n : names_) chars += n.size() + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    if (!block) return E_OUTOFMEMORY;
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    auto* p = reinterpret_cast<wchar_t*>(drop + 1);
    for (const std::wstring& n : names_) {
      memcpy(p, n.c_str(), (n.size() + 1) * sizeof(wchar_t));
      p += n.size() + 1;
    }
    GlobalUnlock(block);
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = block;
    medium.pUnkForRelease = nullptr;
    return S_OK;
  }

  const TStored* Stored(const FORMATETC& fmt) const {
    for (const TStored& s : stored_)
      if (s.format.cfFormat == fmt.cfFormat && (s.format.tymed & fmt.tymed) &&
          s.format.dwAspect == fmt.dwAspect && s.format.lindex == fmt.lindex)
        return &s;
    return nullptr;
  }

  bool OpenDrives() {
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop)) || !desktop) return false;
    LPITEMIDLIST drives = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &drives)) && drives) {
      desktop->BindToObject(drives, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&drives_));
      CoTaskMemFree(drives);
    }
    desktop->Release();
    return drives_ != nullptr;
  }

  IDataObject* Inner() {
    if (innerTried_ || items_.empty()) return inner_;
    innerTried_ = true;
    if (!several_) {
      IShellFolder* parent = nullptr;
      LPCITEMIDLIST child = nullptr;
      if (SUCCEEDED(SHBindToParent(items_[0], IID_IShellFolder, reinterpret_cast<void**>(&parent),
                                   &child)) &&
          parent) {
        parent->GetUIObjectOf(nullptr, 1, &child, IID_IDataObject, nullptr,
                              reinterpret_cast<void**>(&inner_));
        parent->Release();
      }
    } else {
      std::vector<LPCITEMIDLIST> items(items_.begin(), items_.end());
      if (FAILED(SHCreateDataObject(nullptr, static_cast<UINT>(items.size()), items.data(),
                                    nullptr, IID_IDataObject, reinterpret_cast<void**>(&inner_))))
        inner_ = nullptr;
      // Shells without it: the desktop's own data object for the items.
      IShellFolder* desktop = nullptr;
      if (!inner_ && SUCCEEDED(SHGetDesktopFolder(&desktop)) && desktop) {
        desktop->GetUIObjectOf(nullptr, static_cast<UINT>(items.size()), items.data(),
                               IID_IDataObject, nullptr, reinterpret_cast<void**>(&inner_));
        desktop->Release();
      }
    }
    return inner_;
  }

  bool several_;
  std::vector<LPITEMIDLIST> items_;
  std::vector<std::wstring> names_;  // full names, as the item identifiers
  IShellFolder* drives_ = nullptr;
  IDataObject* inner_ = nullptr;
  bool innerTried_ = false;
  std::vector<TStored> stored_;
};

// TDirListDataObject: one folder-list row, and the shell's data for its path.
// It asks the shell for a shortcut by default ("Preferred DropEffect"): a
// row dropped on a shell folder by mistake must not move or copy the user's
// real folder unless the user asks for that with the keys. The folder lists
// themselves take the row as the drag's own effect says.
class TDirListDataObject : public TShellDataObject {
 public:
  explicit TDirListDataObject(const TDirListEntry& entry)
      : TShellDataObject(false),
        entry_(entry),
        format_(Format(kDirListEntriesFormat)),
        preferred_(Format("Preferred DropEffect")) {
    Add(entry.path);  // a path the shell does not know still drags as a row
  }

 protected:
  bool OwnFormat(const FORMATETC& fmt) const override {
    return (fmt.cfFormat == format_ || fmt.cfFormat == preferred_) &&
           (fmt.tymed & TYMED_HGLOBAL) && fmt.dwAspect == DVASPECT_CONTENT;
  }
  HRESULT OwnData(const FORMATETC& fmt, STGMEDIUM& medium) override {
    medium.tymed = TYMED_HGLOBAL;
    if (fmt.cfFormat == preferred_) {
      const DWORD link = DROPEFFECT_LINK;
      medium.hGlobal = BlockOf(std::vector<uint8_t>(reinterpret_cast<const uint8_t*>(&link),
                                                    reinterpret_cast<const uint8_t*>(&link + 1)));
    } else {
      medium.hGlobal = BlockOf(EncodeDirListEntries({entry_}));
    }
    medium.pUnkForRelease = nullptr;
    return medium.hGlobal ? S_OK : E_OUTOFMEMORY;
  }
  void AddOwnFormats(std::vector<FORMATETC>& formats) const override {
    formats.push_back(HGlobalFormat(format_));
    formats.push_back(HGlobalFormat(preferred_));
  }

 private:
  TDirListEntry entry_;
  CLIPFORMAT format_;
  CLIPFORMAT preferred_;
};

// The drag source: the drag ends when its button is let go, and is
// cancelled by Escape or the other button.
class TDropSource : public TCounted<IDropSource, IID_IDropSource> {
 public:
  explicit TDropSource(bool rightButton)
      : button_(rightButton ? MK_RBUTTON : MK_LBUTTON),
        other_(rightButton ? MK_LBUTTON : MK_RBUTTON) {}
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
    if (escape || (keys & other_)) return DRAGDROP_S_CANCEL;
    if (!(keys & button_)) return DRAGDROP_S_DROP;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override {
    return DRAGDROP_S_USEDEFAULTCURSORS;
  }

 private:
  virtual ~TDropSource() = default;
  DWORD button_;
  DWORD other_;
};

// The system's drag-image service as a source uses it (null when absent).
IDragSourceHelper* DragSourceHelper() {
  IDragSourceHelper* helper = nullptr;
  if (FAILED(CoCreateInstance(CLSID_DragDropHelper, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IDragSourceHelper, reinterpret_cast<void**>(&helper))))
    return nullptr;
  return helper;
}

std::optional<std::string> ResolveLink(const std::string& link) {
  std::string target;
  platform::OsError err;
  if (platform::ResolveShortcut(link, target, err) && !target.empty()) return target;
  return std::nullopt;
}

// The folder-list drag that runs now, if any: the drop targets of both
// lists prefer move for it, and a drop into its own list moves its row.
// `movedInside`: a folder list took it as a move, so its row leaves.
struct TFolderDrag {
  bool active = false;
  TFolderList which = TFolderList::Fresh;
  int32_t row = -1;
  bool movedInside = false;
};
TFolderDrag g_folderDrag;

// ---------------------------------------------------------------------------
// TDirListDropTarget: a folder list as a drop target.

class TDirListDropTarget : public TCounted<IDropTarget, IID_IDropTarget> {
 public:
  TDirListDropTarget(HWND list, TFolderList which, TPageContext& context)
      : list_(list), which_(which), ctx_(&context), format_(Format(kDirListEntriesFormat)) {
    CoCreateInstance(CLSID_DragDropHelper, nullptr, CLSCTX_INPROC_SERVER, IID_IDropTargetHelper,
                     reinterpret_cast<void**>(&helper_));
  }
  // The list is gone: nothing more reaches it.
  void Detach() {
    list_ = nullptr;
    ctx_ = nullptr;
    ReleaseAndClear(helper_);
  }


  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL pt,
                                      DWORD* effect) override {
    if (!effect) return E_INVALIDARG;
    accept_ = data && list_ && ctx_ && CanAccept(data);
    right_ = (keys & MK_RBUTTON) != 0;
    markY_ = -1;
    *effect = Decide(keys, *effect).reported;
    POINT p{pt.x, pt.y};
    if (helper_ && list_) helper_->DragEnter(list_, data, &p, *effect);
    if (accept_) Track(p);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL pt, DWORD* effect) override {
    if (!effect) return E_INVALIDARG;
    *effect = Decide(keys, *effect).reported;
    POINT p{pt.x, pt.y};
    if (accept_) Track(p);
    if (helper_) helper_->DragOver(&p, *effect);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    HideMark();
    if (helper_) helper_->DragLeave();
    accept_ = false;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL pt,
                                 DWORD* effect) override {
    if (!effect) return E_INVALIDARG;
    HideMark();
    // The button is up by now: the one that dragged was noted at the start.
    const TFolderListDrop drop = Decide(keys | (right_ ? MK_RBUTTON : 0), *effect);
    *effect = drop.reported;
    POINT p{pt.x, pt.y};
    if (helper_) helper_->Drop(data, &p, *effect);
    if (drop.action == kDropNone || !data) return S_OK;
    if (g_folderDrag.active && drop.action == kDropMove) g_folderDrag.movedInside = true;
    const int32_t position = Position(p, nullptr);
    // The target may ask questions (message boxes): it keeps itself alive.
    AddRef();
    if (dirEntries_)
      DropEntries(data, position);
    else
      DropFiles(data, position);
    Release();
    accept_ = false;
    return S_OK;
  }

 private:
  virtual ~TDirListDropTarget() { ReleaseAndClear(helper_); }

  bool CanAccept(IDataObject* data) {
    dirEntries_ = false;
    FORMATETC entries = HGlobalFormat(format_);
    if (data->QueryGetData(&entries) == S_OK) {
      dirEntries_ = true;
      return true;
    }
    FORMATETC files = HGlobalFormat(CF_HDROP);
    STGMEDIUM medium{};
    if (FAILED(data->GetData(&files, &medium))) return false;
    bool any = false;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal)
      for (const std::string& path : DroppedFiles(static_cast<HDROP>(medium.hGlobal)))
        if (IsAcceptableDrop(path, ResolveLink)) {
          any = true;
          break;
        }
    ReleaseStgMedium(&medium);
    return any;
  }

  TFolderListDrop Decide(DWORD keys, DWORD allowed) const {
    if (!accept_ || !ctx_ || (ctx_->form && ctx_->form->Busy())) return {};
    return DecideFolderListDrop((keys & MK_CONTROL) != 0, (keys & MK_SHIFT) != 0, allowed,
                                g_folderDrag.active, right_);
  }

  int32_t Count() const {
    const LRESULT n = SendMessageA(list_, LB_GETCOUNT, 0, 0);
    return n > 0 ? static_cast<int32_t>(n) : 0;
  }

  // The insertion point under the screen point `screen`: before the row
  // under it (upper half) or after it (lower half), at the end when no row
  // is there. `markY` gets the line between the rows in client pixels.
  int32_t Position(POINT screen, int* markY) const {
    POINT p = screen;
    ScreenToClient(list_, &p);
    const int32_t count = Count();
    int32_t position = count;
    if (count > 0) {
      const LRESULT hit = SendMessageA(list_, LB_ITEMFROMPOINT, 0, MAKELPARAM(p.x, p.y));
      const int32_t row = LOWORD(hit);
      RECT r{};
      if (HIWORD(hit) == 0 && row < count &&
          SendMessageA(list_, LB_GETITEMRECT, static_cast<WPARAM>(row),
                       reinterpret_cast<LPARAM>(&r)) != LB_ERR)
        position = p.y >= (r.top + r.bottom) / 2 ? row + 1 : row;
    }
    if (markY) {
      RECT r{};
      if (position < count)
        SendMessageA(list_, LB_GETITEMRECT, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&r)),
            *markY = r.top;
      else if (count > 0)
        SendMessageA(list_, LB_GETITEMRECT, static_cast<WPARAM>(count - 1), reinterpret_cast<LPARAM>(&r)),
            *markY = r.bottom;
      else
        *markY = 0;
    }
    return position;
  }

  // Autoscroll near the top and bottom edges, then the insertion mark.
  void Track(POINT screen) {
    if (!list_) return;
    POINT p = screen;
    ScreenToClient(list_, &p);
    RECT client{};
    GetClientRect(list_, &client);
    const int edge = GetSystemMetrics(SM_CYHSCROLL);
    const int32_t top = static_cast<int32_t>(SendMessageA(list_, LB_GETTOPINDEX, 0, 0));
    int32_t newTop = top;
    if (p.y < client.top + edge && top > 0) {
      newTop = top - 1;
    } else if (p.y >= client.bottom - edge) {
      const int itemHeight = std::max<int>(1, static_cast<int>(SendMessageA(list_, LB_GETITEMHEIGHT, 0, 0)));
      const int32_t visible = std::max<int32_t>(1, (client.bottom - client.top) / itemHeight);
      if (top + visible < Count()) newTop = top + 1;
    }
    const DWORD now = GetTickCount();
    if (newTop != top && now - lastScroll_ >= 60) {
      lastScroll_ = now;
      HideMark();
      SendMessageA(list_, LB_SETTOPINDEX, static_cast<WPARAM>(newTop), 0);
      UpdateWindow(list_);
    }
    int y = 0;
    Position(screen, &y);
    if (y != markY_) {
      HideMark();
      ShowMark(y);
    }
  }

  // The mark: a two-pixel line between the rows, a 50 % grey pattern
  // inverted on the list; drawn a second time at the same place, it is gone.
  void Invert(int y) {
    if (!list_) return;
    static const WORD kGrey[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    if (helper_) helper_->Show(FALSE);
    HBITMAP bits = CreateBitmap(8, 8, 1, 1, kGrey);
    HBRUSH brush = CreatePatternBrush(bits);
    HDC dc = GetDC(list_);
    RECT client{};
    GetClientRect(list_, &client);
    HGDIOBJ old = SelectObject(dc, brush);
    PatBlt(dc, client.left, std::max<int>(client.top, y - 1), client.right - client.left, 2,
           PATINVERT);
    SelectObject(dc, old);
    ReleaseDC(list_, dc);
    DeleteObject(brush);
    DeleteObject(bits);
    if (helper_) helper_->Show(TRUE);
  }
  void ShowMark(int y) {
    Invert(y);
    markY_ = y;
  }
  void HideMark() {
    if (markY_ < 0) return;
    Invert(markY_);
    markY_ = -1;
  }

  void DropEntries(IDataObject* data, int32_t position) {
    const auto entries = DecodeDirListEntries(ReadBlock(data, format_));
    if (!entries || !ctx_ || !ctx_->form || !ctx_->host) return;
    TWindowModel& model = ctx_->form->Model();
    int32_t at = position;
    int32_t last = -1;
    for (const TDirListEntry& e : *entries) {
      // Only the states a folder row can have.
      if (e.state > dsArchiveInactive || e.path.empty()) continue;
      const uint16_t state = right_ ? RightButtonDropState(e.state) : e.state;
      last = InsertRow(model, *ctx_->host, which_, e.path, at, static_cast<uint8_t>(state));
      if (g_folderDrag.active && g_folderDrag.which == which_ && g_folderDrag.row >= last)
        ++g_folderDrag.row;
      at = last + 1;
    }
    if (last >= 0) {
      SelectFolderRow(model, which_, last);
      ctx_->host->ModelChanged();
    }
  }

  void DropFiles(IDataObject* data, int32_t position) {
    FORMATETC files = HGlobalFormat(CF_HDROP);
    STGMEDIUM medium{};
    if (FAILED(data->GetData(&files, &medium))) return;
    std::vector<std::string> paths;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal)
      paths = DroppedFiles(static_cast<HDROP>(medium.hGlobal));
    ReleaseStgMedium(&medium);
    if (!ctx_ || !ctx_->form || !ctx_->host) return;
    TMainForm& form = *ctx_->form;
    bool added = false;
    // From the last to the first, each at the same place: they keep their order.
    for (auto it = paths.rbegin(); it != paths.rend(); ++it) {
      if (!list_) break;
      added |= AddDroppedPath(form.Model(), *ctx_->host, form.Messenger(), which_, *it,
                              position, right_, ResolveLink);
    }
    if (added && ctx_) ctx_->host->ModelChanged();
  }

  HWND list_;
  TFolderList which_;
  TPageContext* ctx_;
  CLIPFORMAT format_;
  IDropTargetHelper* helper_ = nullptr;
  bool accept_ = false;
  bool dirEntries_ = false;
  bool right_ = false;
  int markY_ = -1;
  DWORD lastScroll_ = 0;
};

// ---------------------------------------------------------------------------
// A folder list as a drag source.

struct TFolderListDrag {
  HWND list = nullptr;
  TFolderList which = TFolderList::Fresh;
  TPageContext* ctx = nullptr;
  TDirListDropTarget* target = nullptr;
  DWORD button = 0;  // MK_LBUTTON or MK_RBUTTON while one is down on the list
  POINT down{};
};

constexpr UINT_PTR kFolderListSubclass = 0x5A44;  // "ZD"

// CLBoxFoBeginDrag: the row under the point where the button went down.
void DragFolderRow(TFolderListDrag& drag, bool rightButton) {
  TPageContext& ctx = *drag.ctx;
  if (!ctx.form || !ctx.host || ctx.form->Busy()) return;
  const LRESULT hit = SendMessageA(drag.list, LB_ITEMFROMPOINT, 0, MAKELPARAM(drag.down.x, drag.down.y));
  if (HIWORD(hit) != 0) return;
  const int32_t row = LOWORD(hit);
  const TFolderListModel& folders = ctx.form->Model().Folders(drag.which);
  if (row < 0 || row >= static_cast<int32_t>(folders.rows.size())) return;
  const TDirListEntry entry{folders.rows[static_cast<size_t>(row)].state,
                            folders.rows[static_cast<size_t>(row)].caption};

  auto* data = new TDirListDataObject(entry);
  auto* source = new TDropSource(rightButton);
  if (IDragSourceHelper* helper = DragSourceHelper()) {
    POINT p = drag.down;
    helper->InitializeFromWindow(drag.list, &p, data);
    helper->Release();
  }
  // The list box tracks the mouse while its button is down: the drag
  // takes over.
  if (GetCapture() == drag.list) ReleaseCapture();
  g_folderDrag = {true, drag.which, row};
  // The data names the real folder: a file manager or the Recycle Bin
  // offered a move would move or recycle it. Only the folder lists move a
  // row, and they say so through g_folderDrag.
  DWORD effect = DROPEFFECT_NONE;
  const HRESULT hr = DoDragDrop(data, source, DROPEFFECT_COPY | DROPEFFECT_LINK, &effect);
  const TFolderDrag done = g_folderDrag;
  g_folderDrag = {};
  data->Release();
  source->Release();
  if (hr == DRAGDROP_S_DROP && done.movedInside && drag.ctx && drag.ctx->form &&
      RemoveDraggedFolderRow(drag.ctx->form->Model(), done.which, done.row, entry))
    drag.ctx->host->ModelChanged();
}

LRESULT CALLBACK FolderListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                DWORD_PTR data) {
  auto* drag = reinterpret_cast<TFolderListDrag*>(data);
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      drag->button = msg == WM_LBUTTONDOWN ? MK_LBUTTON : MK_RBUTTON;
      drag->down = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_CAPTURECHANGED:
      drag->button = 0;
      break;
    case WM_MOUSEMOVE:
      if (drag->button && (wp & drag->button)) {
        const int dx = std::abs(GET_X_LPARAM(lp) - drag->down.x);
        const int dy = std::abs(GET_Y_LPARAM(lp) - drag->down.y);
        if (dx > GetSystemMetrics(SM_CXDRAG) || dy > GetSystemMetrics(SM_CYDRAG)) {
          const bool right = drag->button == MK_RBUTTON;
          drag->button = 0;
          DragFolderRow(*drag, right);
          return 0;
        }
      } else {
        drag->button = 0;
      }
      break;
    case WM_NCDESTROY:
      RevokeDragDrop(hwnd);
      RemoveWindowSubclass(hwnd, FolderListProc, kFolderListSubclass);
      if (drag->target) {
        drag->target->Detach();
        drag->target->Release();
      }
      delete drag;
      return DefSubclassProc(hwnd, msg, wp, lp);
    default:
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace

std::vector<std::string> DroppedFiles(HDROP drop) {
  std::vector<std::string> files;
  if (!drop) return files;
  const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileA(drop, i, nullptr, 0);
    std::string name(length + 1, '\0');
    const UINT got = DragQueryFileA(drop, i, name.data(), length + 1);
    name.resize(std::min(got, length));
    if (!name.empty()) files.push_back(name);
  }
  return files;
}

void AttachFolderListDragDrop(HWND list, TFolderList which, TPageContext& context) {
  if (!list) return;
  auto* drag = new TFolderListDrag;
  drag->list = list;
  drag->which = which;
  drag->ctx = &context;
  drag->target = new TDirListDropTarget(list, which, context);
  // The list still works as a drag source when the target cannot be
  // registered (OLE not initialised on this thread).
  RegisterDragDrop(list, drag->target);
  SetWindowSubclass(list, FolderListProc, kFolderListSubclass, reinterpret_cast<DWORD_PTR>(drag));
}

TResultDragEnd DragFilesOutOfResultList(HWND list, TResultList& results, int32_t startRow,
                                        POINT start, bool rightButton) {
  TResultDragEnd end;
  const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
  auto* data = new TShellDataObject(SelectedEntryCount(results) > 1);
  const TDragOutStart begun =
      BeginDragOut(results, startRow, ctrl, [data](const std::string& name) { return data->Add(name); });
  if (begun.tooMany) end.note = Str(strDraggingTooMany);
  if (begun.someRefused) end.note = Str(strSomeFilesNotDraggable);
  if (begun.files == 0) {
    EndDragOut(results);
    data->Release();
    return end;
  }

  // The drag image, from the rows the list shows up to the last selected.
  const int32_t rows = DragImageRows(LastSelectedRow(results), ListView_GetTopIndex(list),
                                     ListView_GetCountPerPage(list), results.ItemCount());
  if (DragImageWanted(rows, begun.files)) {
    if (IDragSourceHelper* helper = DragSourceHelper()) {
      HCURSOR old = nullptr;
      if (DragImageShowsCursor(rows)) old = SetCursor(LoadCursor(nullptr, IDC_APPSTARTING));
      const int shown = ListView_GetItemCount(list);
      SendMessageA(list, WM_SETREDRAW, FALSE, 0);
      ListView_SetItemCountEx(list, rows, LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
      POINT p = start;
      helper->InitializeFromWindow(list, &p, data);
      ListView_SetItemCountEx(list, shown, LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
      SendMessageA(list, WM_SETREDRAW, TRUE, 0);
      if (old) SetCursor(old);
      helper->Release();
    }
  }

  auto* source = new TDropSource(rightButton);
  // Copy and link only: a folder or the Recycle Bin offered a move would
  // take the files away without a kept copy proven at that moment. A target
  // that moves them anyway is followed (the rows of files gone leave).
  DWORD effect = DROPEFFECT_NONE;
  const HRESULT hr = DoDragDrop(data, source, DROPEFFECT_COPY | DROPEFFECT_LINK, &effect);
  const TDragOutcome outcome = Outcome(data);
  source->Release();
  data->Release();
  if (DragMovedAway(hr == DRAGDROP_S_DROP, outcome, effect))
    end.removed = RemoveMovedEntries(results) > 0;
  EndDragOut(results);
  return end;
}

}  // namespace zw::win
