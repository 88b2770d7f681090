/* zwdrive: drives a running window program with real input, for the
 * end-to-end tests under wine. Each argument is one step, done in order:
 *
 *   window=TITLE     the window the steps work on: a visible top-level window
 *                    whose title starts with TITLE (waits up to 30 s); it is
 *                    brought to the front
 *   click=TEXT       a left click in the middle of the visible control whose
 *                    caption is TEXT ('&' left out); TEXT@N: the N-th such
 *                    control (from 0); waits up to 10 s for it
 *   rclick=TEXT      the same with the right button
 *   focus=CLASS#N    a click on the N-th visible control of a window class
 *                    (Edit#0, ListBox#1, ...)
 *   tab=TEXT         a click on the tab of a tab control whose text is TEXT
 *   type=TEXT        types TEXT into the focused control
 *   key=NAME         presses a key: RETURN, ESCAPE, TAB, SPACE, DELETE, UP,
 *                    DOWN, LEFT, RIGHT, HOME, END, BACK, each also with
 *                    SHIFT+ and CTRL+ in front
 *   sleep=MS         waits
 *   enabled=TEXT     waits (up to 300 s) until the control TEXT is enabled
 *   gone=TITLE       waits (up to 30 s) until no visible top-level window's
 *                    title starts with TITLE
 *   dragrow=N@X,Y    presses the left button on row N of the window's list
 *                    view, moves the pointer in steps to the screen point
 *                    X,Y and lets go there
 *   dragbox=K:M      drags the first row of the K-th folder list (a visible
 *                    list box that takes drops, from 0) by its text with
 *                    the left button and lets go below the last row of the
 *                    M-th
 *   list=FILE        writes the rows of the window's list view to FILE, a
 *                    line each, columns separated by tabs
 *   close            asks the window to close
 *
 * Exit status 0 when every step was done, 1 at the first step that could
 * not be (the step is named on stderr). */
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static HWND target;

static void Caption(HWND h, char* out, int size) {
  char raw[512];
  int j = 0;
  GetWindowTextA(h, raw, sizeof raw);
  for (int i = 0; raw[i] && j < size - 1; ++i)
    if (raw[i] != '&') out[j++] = raw[i];
  out[j] = 0;
}

struct Find {
  const char* title;
  HWND found;
};

static BOOL CALLBACK FindTop(HWND h, LPARAM lp) {
  struct Find* f = (struct Find*)lp;
  char title[512];
  if (!IsWindowVisible(h)) return TRUE;
  GetWindowTextA(h, title, sizeof title);
  if (strncmp(title, f->title, strlen(f->title)) == 0) {
    f->found = h;
    return FALSE;
  }
  return TRUE;
}

static HWND TopWindow(const char* title) {
  struct Find f = {title, NULL};
  EnumWindows(FindTop, (LPARAM)&f);
  return f.found;
}

struct Child {
  const char* text;   /* caption, or NULL */
  const char* cls;    /* class, or NULL */
  int index;
  HWND found;
};

static BOOL CALLBACK FindChild(HWND h, LPARAM lp) {
  struct Child* c = (struct Child*)lp;
  char text[512], cls[64];
  if (!IsWindowVisible(h)) return TRUE;
  if (c->text) {
    Caption(h, text, sizeof text);
    /* captions may carry blanks at either end (" all files") */
    char* t = text;
    while (*t == ' ') ++t;
    if (strcmp(t, c->text) != 0) return TRUE;
  }
  if (c->cls) {
    GetClassNameA(h, cls, sizeof cls);
    if (_stricmp(cls, c->cls) != 0) return TRUE;
  }
  if (c->index-- > 0) return TRUE;
  c->found = h;
  return FALSE;
}

static HWND ChildOf(const char* text, const char* cls, int index, int seconds) {
  for (int i = 0; i == 0 || i < seconds * 10; ++i) {
    struct Child c = {text, cls, index, NULL};
    if (target) EnumChildWindows(target, FindChild, (LPARAM)&c);
    if (c.found) return c.found;
    Sleep(100);
  }
  return NULL;
}

static void Front(void) {
  if (!target) return;
  SetForegroundWindow(target);
  BringWindowToTop(target);
}

/* Returns 0 when the pointer could not be put there (wine's virtual
 * desktop ignores another program's pointer moves); the caller then posts
 * the control's own click message instead. */
static int ClickAt(int x, int y, int right) {
  INPUT in[2];
  memset(in, 0, sizeof in);
  /* An absolute move through the input queue (SetCursorPos from another
   * program does not move the pointer of wine's virtual desktop). */
  INPUT move;
  memset(&move, 0, sizeof move);
  move.type = INPUT_MOUSE;
  move.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  move.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &move, sizeof move);
  Sleep(50);
  POINT at;
  GetCursorPos(&at);
  if (getenv("ZWDRIVE_DEBUG")) fprintf(stderr, "click at %d,%d (pointer %ld,%ld)\n", x, y, at.x, at.y);
  if (labs(at.x - x) > 2 || labs(at.y - y) > 2) return 0;
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  SendInput(2, in, sizeof(INPUT));
  Sleep(150);
  return 1;
}

static void ClickControl(HWND h, int right) {
  RECT r;
  GetWindowRect(h, &r);
  /* Check boxes and radio buttons: on the box itself, at the left. */
  char cls[64];
  GetClassNameA(h, cls, sizeof cls);
  LONG style = GetWindowLongA(h, GWL_STYLE);
  int kind = style & BS_TYPEMASK;
  int x = (r.left + r.right) / 2;
  if (_stricmp(cls, "Button") == 0 && kind != BS_PUSHBUTTON && kind != BS_DEFPUSHBUTTON &&
      kind != BS_GROUPBOX)
    x = r.left + 6;
  if (ClickAt(x, (r.top + r.bottom) / 2, right)) return;
  if (!right && _stricmp(cls, "Button") == 0) {
    PostMessageA(h, BM_CLICK, 0, 0);
  } else {
    LPARAM at = MAKELPARAM(x - r.left, (r.bottom - r.top) / 2);
    PostMessageA(h, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, at);
    PostMessageA(h, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, at);
  }
  Sleep(150);
}

static void Press(WORD vk, int up) {
  INPUT in;
  memset(&in, 0, sizeof in);
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &in, sizeof(INPUT));
}

/* A key with the modifiers held (mods: bit 0 Shift, bit 1 Ctrl). */
static void Key(WORD vk, int mods) {
  if (mods & 1) Press(VK_SHIFT, 0);
  if (mods & 2) Press(VK_CONTROL, 0);
  Press(vk, 0);
  Press(vk, 1);
  if (mods & 2) Press(VK_CONTROL, 1);
  if (mods & 1) Press(VK_SHIFT, 1);
  Sleep(80);
}

static void Type(const char* text) {
  for (const char* p = text; *p; ++p) {
    INPUT in[2];
    memset(in, 0, sizeof in);
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wScan = in[1].ki.wScan = (unsigned char)*p;
    in[0].ki.dwFlags = KEYEVENTF_UNICODE;
    in[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
    Sleep(20);
  }
  Sleep(100);
}

/* Memory in the driven program, for the messages that carry pointers. */
struct Remote {
  HANDLE process;
  char* base;
};

static int OpenRemote(HWND h, struct Remote* r, SIZE_T size) {
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  r->process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!r->process) return 0;
  r->base = VirtualAllocEx(r->process, NULL, size, MEM_COMMIT, PAGE_READWRITE);
  return r->base != NULL;
}

static void CloseRemote(struct Remote* r) {
  VirtualFreeEx(r->process, r->base, 0, MEM_RELEASE);
  CloseHandle(r->process);
}

static int ClickTab(const char* text) {
  for (int index = 0; index < 8; ++index) {
    HWND tabs = ChildOf(NULL, WC_TABCONTROLA, index, index == 0 ? 10 : 0);
    if (!tabs) return 0;
    struct Remote r;
    if (!OpenRemote(tabs, &r, 4096)) {
      fprintf(stderr, "zwdrive: no access to the program (%lu)\n", GetLastError());
      return 0;
    }
    int count = (int)SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
      TCITEMA item;
      char name[256] = "";
      memset(&item, 0, sizeof item);
      item.mask = TCIF_TEXT;
      item.pszText = r.base + 1024;
      item.cchTextMax = 256;
      WriteProcessMemory(r.process, r.base, &item, sizeof item, NULL);
      SendMessageA(tabs, TCM_GETITEMA, (WPARAM)i, (LPARAM)r.base);
      ReadProcessMemory(r.process, r.base + 1024, name, sizeof name - 1, NULL);
      char clean[256];
      int k = 0;
      for (int j = 0; name[j] && k < 255; ++j)
        if (name[j] != '&') clean[k++] = name[j];
      clean[k] = 0;
      if (getenv("ZWDRIVE_DEBUG")) fprintf(stderr, "tab %d: '%s'\n", i, clean);
      if (strcmp(clean, text) != 0) continue;
      RECT rect;
      SendMessageA(tabs, TCM_GETITEMRECT, (WPARAM)i, (LPARAM)r.base);
      ReadProcessMemory(r.process, r.base, &rect, sizeof rect, NULL);
      CloseRemote(&r);
      POINT p = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
      ClientToScreen(tabs, &p);
      if (!ClickAt(p.x, p.y, 0)) PostMessageA(tabs, TCM_SETCURFOCUS, (WPARAM)i, 0);
      return 1;
    }
    CloseRemote(&r);
  }
  return 0;
}

static int DumpList(const char* file) {
  HWND list = ChildOf(NULL, WC_LISTVIEWA, 0, 10);
  if (!list) return 0;
  FILE* out = fopen(file, "wb");
  if (!out) return 0;
  struct Remote r;
  if (!OpenRemote(list, &r, 8192)) return 0;
  HWND header = (HWND)SendMessageA(list, LVM_GETHEADER, 0, 0);
  int columns = header ? (int)SendMessageA(header, HDM_GETITEMCOUNT, 0, 0) : 1;
  int rows = (int)SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      LVITEMA item;
      char text[1024] = "";
      memset(&item, 0, sizeof item);
      item.iSubItem = column;
      item.pszText = r.base + 1024;
      item.cchTextMax = 1024;
      WriteProcessMemory(r.process, r.base, &item, sizeof item, NULL);
      SendMessageA(list, LVM_GETITEMTEXTA, (WPARAM)row, (LPARAM)r.base);
      ReadProcessMemory(r.process, r.base + 1024, text, sizeof text - 1, NULL);
      fprintf(out, "%s%s", column ? "\t" : "", text);
    }
    fputs("\n", out);
  }
  CloseRemote(&r);
  fclose(out);
  return 1;
}

static void MoveTo(int x, int y) {
  SetCursorPos(x, y);
  INPUT move;
  memset(&move, 0, sizeof move);
  move.type = INPUT_MOUSE;
  move.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  move.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &move, sizeof move);
}

static void Button(int up) {
  INPUT in;
  memset(&in, 0, sizeof in);
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = up ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_LEFTDOWN;
  SendInput(1, &in, sizeof in);
}

/* A left-button drag from the client point `from` of `source` to the
 * screen point `to`. */
static void Drag(HWND source, POINT from, POINT to) {
  ClientToScreen(source, &from);
  Front();
  MoveTo(from.x, from.y);
  Sleep(200);
  Button(0);
  Sleep(200);
  /* Away from the start in small steps, so that the list sees a drag. */
  for (int i = 1; i <= 30; ++i) {
    MoveTo(from.x + (to.x - from.x) * i / 30, from.y + (to.y - from.y) * i / 30);
    Sleep(40);
  }
  Sleep(500);
  MoveTo(to.x + 1, to.y + 1);
  Sleep(300);
  Button(1);
  Sleep(1500);
}

static BOOL CALLBACK FindFolderList(HWND h, LPARAM lp) {
  struct Child* c = (struct Child*)lp;
  char cls[64];
  GetClassNameA(h, cls, sizeof cls);
  /* RegisterDragDrop marks its window with this property. */
  if (!IsWindowVisible(h) || _stricmp(cls, "ListBox") != 0 || !GetPropA(h, "OleDropTargetInterface"))
    return TRUE;
  if (c->index-- > 0) return TRUE;
  c->found = h;
  return FALSE;
}

static HWND FolderList(int index) {
  struct Child c = {NULL, NULL, index, NULL};
  if (target) EnumChildWindows(target, FindFolderList, (LPARAM)&c);
  return c.found;
}

static int DragBox(const char* arg) {
  int from = 0, to = 0;
  if (sscanf(arg, "%d:%d", &from, &to) != 2) return 0;
  HWND source = FolderList(from), dest = FolderList(to);
  if (!source || !dest) return 0;
  const LRESULT height = SendMessageA(source, LB_GETITEMHEIGHT, 0, 0);
  if (SendMessageA(source, LB_GETCOUNT, 0, 0) < 1 || height <= 0) return 0;
  RECT r;
  GetClientRect(dest, &r);
  const LRESULT rows = SendMessageA(dest, LB_GETCOUNT, 0, 0);
  const LRESULT below = SendMessageA(dest, LB_GETITEMHEIGHT, 0, 0) * (rows + 1);
  POINT at = {(r.left + r.right) / 2, below < r.bottom - 4 ? (LONG)below : r.bottom - 4};
  ClientToScreen(dest, &at);
  /* On the row's text: a press on its state icon would change its state. */
  POINT start = {60, (LONG)height / 2};
  Drag(source, start, at);
  return 1;
}

static int DragRow(const char* arg) {
  int row = 0, x = 0, y = 0;
  if (sscanf(arg, "%d@%d,%d", &row, &x, &y) != 3) return 0;
  HWND list = ChildOf(NULL, WC_LISTVIEWA, 0, 10);
  if (!list) return 0;
  struct Remote r;
  if (!OpenRemote(list, &r, 4096)) return 0;
  RECT rect;
  rect.left = LVIR_LABEL;
  WriteProcessMemory(r.process, r.base, &rect, sizeof rect, NULL);
  LRESULT ok = SendMessageA(list, LVM_GETITEMRECT, (WPARAM)row, (LPARAM)r.base);
  ReadProcessMemory(r.process, r.base, &rect, sizeof rect, NULL);
  CloseRemote(&r);
  if (!ok) return 0;
  POINT from = {rect.left + 10, (rect.top + rect.bottom) / 2};
  POINT to = {x, y};
  Drag(list, from, to);
  return 1;
}

static WORD KeyCode(const char* name) {
  static const struct { const char* name; WORD vk; } keys[] = {
      {"RETURN", VK_RETURN}, {"ESCAPE", VK_ESCAPE}, {"TAB", VK_TAB},   {"SPACE", VK_SPACE},
      {"DELETE", VK_DELETE}, {"UP", VK_UP},         {"DOWN", VK_DOWN}, {"LEFT", VK_LEFT},
      {"RIGHT", VK_RIGHT},   {"HOME", VK_HOME},     {"END", VK_END},   {"BACK", VK_BACK}};
  for (size_t i = 0; i < sizeof keys / sizeof keys[0]; ++i)
    if (strcmp(keys[i].name, name) == 0) return keys[i].vk;
  return 0;
}

static int Step(const char* step) {
  const char* eq = strchr(step, '=');
  char verb[32] = "";
  const char* arg = eq ? eq + 1 : "";
  size_t n = eq ? (size_t)(eq - step) : strlen(step);
  if (n >= sizeof verb) return 0;
  memcpy(verb, step, n);
  verb[n] = 0;

  if (strcmp(verb, "window") == 0) {
    for (int i = 0; i < 300; ++i) {
      target = TopWindow(arg);
      if (target) break;
      Sleep(100);
    }
    if (!target) return 0;
    Front();
    Sleep(200);
    return 1;
  }
  if (strcmp(verb, "gone") == 0) {
    for (int i = 0; i < 300; ++i) {
      if (!TopWindow(arg)) return 1;
      Sleep(100);
    }
    return 0;
  }
  if (strcmp(verb, "sleep") == 0) {
    Sleep((DWORD)atoi(arg));
    return 1;
  }
  if (strcmp(verb, "type") == 0) {
    Type(arg);
    return 1;
  }
  if (strcmp(verb, "key") == 0) {
    int mods = 0;
    for (;;) {
      if (strncmp(arg, "SHIFT+", 6) == 0) {
        mods |= 1;
        arg += 6;
      } else if (strncmp(arg, "CTRL+", 5) == 0) {
        mods |= 2;
        arg += 5;
      } else {
        break;
      }
    }
    WORD vk = KeyCode(arg);
    if (!vk) return 0;
    Key(vk, mods);
    return 1;
  }
  if (!target) return 0;
  if (strcmp(verb, "click") == 0 || strcmp(verb, "rclick") == 0) {
    char text[256];
    int index = 0;
    snprintf(text, sizeof text, "%s", arg);
    char* at = strrchr(text, '@');
    if (at && at[1] >= '0' && at[1] <= '9') {
      index = atoi(at + 1);
      *at = 0;
    }
    HWND h = ChildOf(text, NULL, index, 10);
    if (!h) return 0;
    Front();
    ClickControl(h, verb[0] == 'r');
    return 1;
  }
  if (strcmp(verb, "focus") == 0) {
    char cls[64];
    snprintf(cls, sizeof cls, "%s", arg);
    char* hash = strchr(cls, '#');
    int index = 0;
    if (hash) {
      index = atoi(hash + 1);
      *hash = 0;
    }
    HWND h = ChildOf(NULL, cls, index, 10);
    if (!h) return 0;
    Front();
    ClickControl(h, 0);
    return 1;
  }
  if (strcmp(verb, "tab") == 0) {
    Front();
    return ClickTab(arg);
  }
  if (strcmp(verb, "enabled") == 0) {
    HWND h = ChildOf(arg, NULL, 0, 10);
    for (int i = 0; h && i < 3000; ++i) {
      if (IsWindowEnabled(h)) return 1;
      Sleep(100);
    }
    return 0;
  }
  if (strcmp(verb, "list") == 0) return DumpList(arg);
  if (strcmp(verb, "dragrow") == 0) return DragRow(arg);
  if (strcmp(verb, "dragbox") == 0) return DragBox(arg);
  if (strcmp(verb, "close") == 0) {
    PostMessageA(target, WM_CLOSE, 0, 0);
    return 1;
  }
  return 0;
}

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (!Step(argv[i])) {
      fprintf(stderr, "zwdrive: step failed: %s\n", argv[i]);
      return 1;
    }
  }
  return 0;
}
