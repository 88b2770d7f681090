#include "app/results/result_keys.h"

#include "app/results/check_by_criteria.h"
#include "app/results/check_rules.h"

namespace zw {

std::string LiteralMask(std::string_view path) {
  const TLeadByteTable* lead = SystemLeadBytes();
  std::string mask;
  mask.reserve(path.size() + 8);
  for (size_t i = 0; i < path.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    if (lead && (*lead)[c] && i + 1 < path.size()) {  // a double-byte character as it is
      mask += path[i];
      mask += path[++i];
    } else if (c == '*' || c == '?' || c == '[') {
      mask += '[';
      mask += path[i];
      mask += ']';
    } else {
      mask += path[i];
    }
  }
  return mask;
}

namespace {

// Moves the focus to `target`; the selection follows it, and with Scroll
// Lock on the top row moves by as much as the focus did.
void MoveFocus(TResultList& list, TResultViewModel& view, int32_t target, bool scrollLock,
               TKeyResult& r) {
  r.handled = true;
  if (target < 0 || target == view.focused) return;
  const int32_t old = view.focused < 0 ? target : view.focused;
  for (TResultEntry* e : list.Items()) e->Flags &= static_cast<uint8_t>(~reflag::kSelected);
  list.Item(target)->Flags |= reflag::kSelected;
  if (scrollLock) view.topRow = std::max(0, view.topRow + (target - old));
  view.focused = target;
  r.focusMoved = true;
}

int32_t PreviousSetTarget(TResultList& list, int32_t focus) {
  if (list.ItemCount() == 0) return -1;
  if (focus < 0 || focus >= list.ItemCount()) return 0;
  const int32_t start = SetStartOf(list, focus);
  if (start < focus) return start;
  return start > 0 ? SetStartOf(list, start - 1) : start;
}

int32_t NextSetTarget(TResultList& list, int32_t focus) {
  if (list.ItemCount() == 0) return -1;
  if (focus < 0 || focus >= list.ItemCount()) return 0;
  return NextSetStart(list, focus);
}

}  // namespace

TKeyResult HandleResultKey(TResultList& list, TResultViewModel& view, const TResultKey& key,
                           IMessenger& msgr) {
  TKeyResult r;
  const bool ctrlShift = key.ctrl && key.shift;
  // Ctrl+Shift+S may show a message box, which must not keep the list locked.
  if (ctrlShift && key.code == TResultKeyCode::Letter &&
      std::toupper(static_cast<unsigned char>(key.letter)) == 'S') {
    r.handled = true;
    r.checksChanged = RunCheckRule(list, TCheckRule::Selected, !view.uncheckTab, msgr);
    return r;
  }

  TResultList::TGuard guard(list);
  const int32_t count = list.ItemCount();
  const int32_t focus = view.focused;
  TResultEntry* focused = focus >= 0 && focus < count ? list.Item(focus) : nullptr;
  const bool check = !view.uncheckTab;

  // Toggles the n-th (0-based) entry of the focused entry's set.
  auto toggleNth = [&](int n) {
    r.handled = true;
    if (!focused) return;
    const int32_t target = NthOfSetIndex(list, focus, n);
    if (target < 0) return;
    if (list.Item(target)->InArchive()) {
      r.hintRow = target;
      return;
    }
    ToggleEntry(list, target);
    r.checksChanged = true;
  };
  auto toggleFocused = [&] {
    r.handled = true;
    if (!focused) return;
    if (focused->InArchive()) {
      r.hintRow = focus;
      return;
    }
    ToggleEntry(list, focus);
    r.checksChanged = true;
  };
  auto ruleDone = [&] {
    r.handled = true;
    r.checksChanged = true;
  };

  const bool numpadDigit =
      key.code >= TResultKeyCode::Numpad0 && key.code <= TResultKeyCode::Numpad9;
  const int numpadValue =
      static_cast<int>(key.code) - static_cast<int>(TResultKeyCode::Numpad0);

  if (ctrlShift) {
    if (key.code == TResultKeyCode::Digit || numpadDigit) {
      const int d = key.code == TResultKeyCode::Digit ? key.digit : numpadValue;
      if (d < 0 || d > 9) return r;
      toggleNth(d == 0 ? 9 : d - 1);
      return r;
    }
    if (key.code == TResultKeyCode::Up) {
      MoveFocus(list, view, PreviousSetTarget(list, focus), key.scrollLock, r);
      return r;
    }
    if (key.code == TResultKeyCode::Down) {
      MoveFocus(list, view, NextSetTarget(list, focus), key.scrollLock, r);
      return r;
    }
    if (key.code == TResultKeyCode::Letter) {
      const bool several = SelectedCount(list) >= 2;
      switch (std::toupper(static_cast<unsigned char>(key.letter))) {
        case 'A': CheckAll(list, cmCheck); ruleDone(); break;
        case 'D': CheckAll(list, cmUncheck); ruleDone(); break;
        case 'I':
          if (several)
            CheckSelected(list, cmInvert);
          else
            CheckAll(list, cmInvert);
          ruleDone();
          break;
        case 'F': CheckFirstOfSets(list, check, several); ruleDone(); break;
        case 'L': CheckLastOfSets(list, check, several); ruleDone(); break;
        case 'G':
          r.handled = true;
          if (focused) {
            CheckWholeSet(list, check, focus);
            r.checksChanged = true;
          }
          break;
        case 'P':
          r.handled = true;
          if (focused) {
            TCheckCriteria c;
            c.criteria = cbc::kPath;
            c.selectedOnly = several;
            try {
              c.pathMask.emplace(LiteralMask(focused->Path));
            } catch (const EMaskError&) {
              break;  // a path no mask can spell: nothing to check
            }
            CheckByCriteria(list, check, c);
            r.checksChanged = true;
          }
          break;
        case 'C':
          r.handled = true;
          view.uncheckTab = !view.uncheckTab;
          r.tabSwitched = true;
          break;
        case 'B':
          r.handled = true;
          r.openCriteriaDialog = true;
          break;
        default: break;
      }
      return r;
    }
  }

  switch (key.code) {
    case TResultKeyCode::Space:
      if (SelectedCount(list) >= 2) {
        CheckSelected(list, focused && focused->IsChecked() ? cmUncheck : cmCheck);
        ruleDone();
      } else {
        toggleFocused();
      }
      break;
    case TResultKeyCode::Insert: toggleFocused(); break;
    case TResultKeyCode::Numpad1: case TResultKeyCode::Numpad2: case TResultKeyCode::Numpad3:
    case TResultKeyCode::Numpad4: case TResultKeyCode::Numpad5: case TResultKeyCode::Numpad6:
    case TResultKeyCode::Numpad7: case TResultKeyCode::Numpad8: case TResultKeyCode::Numpad9:
      toggleNth(numpadValue - 1);
      break;
    case TResultKeyCode::NumpadMul:
    case TResultKeyCode::NumpadDiv:
      r.handled = true;
      if (focused) {
        CheckWholeSet(list, key.code == TResultKeyCode::NumpadMul, focus);
        r.checksChanged = true;
      }
      break;
    case TResultKeyCode::Left:
    case TResultKeyCode::NumpadDecimal:
      MoveFocus(list, view, PreviousSetTarget(list, focus), key.scrollLock, r);
      break;
    case TResultKeyCode::Right:
    case TResultKeyCode::Numpad0:
      MoveFocus(list, view, NextSetTarget(list, focus), key.scrollLock, r);
      break;
    case TResultKeyCode::Up:
    case TResultKeyCode::Down:
      // The list moves the focus itself, unless Scroll Lock keeps the row in
      // its place on screen.
      if (key.scrollLock && count > 0) {
        const int32_t from = focus < 0 || focus >= count ? 0 : focus;
        const int32_t to = key.code == TResultKeyCode::Up ? std::max(0, from - 1)
                                                          : std::min(count - 1, from + 1);
        MoveFocus(list, view, to, true, r);
      }
      break;
    default: break;
  }
  return r;
}

}  // namespace zw
