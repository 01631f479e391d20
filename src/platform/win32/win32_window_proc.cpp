#include "platform/win32/win32_control.h"

#include <commctrl.h>

#include <utility>

#include "platform/win32/mouse_input.h"
#include "platform/win32/translate.h"

namespace tarvik::platform::win32 {

namespace {

// A press that reaches a window only because the program holds the mouse for it (to catch a
// right click elsewhere on the screen) but lies over one of its controls is that control's:
// the capture ends and the control gets the press. True when it was passed on.
bool PassCapturedPressToChild(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  POINT pt{XFromLParam(lParam), YFromLParam(lParam)};
  RECT client{};
  if (!::GetClientRect(window, &client) || !::PtInRect(&client, pt)) return false;
  ::ClientToScreen(window, &pt);
  HWND target = ::WindowFromPoint(pt);
  if (target == nullptr || target == window || !::IsChild(window, target)) return false;
  // A release already queued under the capture is the control's too, or it keeps the mouse.
  const UINT upMessage = message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK   ? WM_LBUTTONUP
                         : message == WM_MBUTTONDOWN || message == WM_MBUTTONDBLCLK ? WM_MBUTTONUP
                                                                                    : WM_RBUTTONUP;
  MSG queued{};
  const bool released =
      ::PeekMessageW(&queued, window, upMessage, upMessage, PM_REMOVE | PM_NOYIELD) != FALSE;
  ::ReleaseCapture();
  ::ScreenToClient(target, &pt);
  ::PostMessageW(target, message, wParam, MAKELPARAM(pt.x, pt.y));
  if (released) ::PostMessageW(target, upMessage, 0, MAKELPARAM(pt.x, pt.y));
  return true;
}

// Screen pixels to SendInput's absolute units over the whole desk, rounded up so the system's
// way back (units * extent / 65536, rounded down) gives the same pixel.
LONG AbsoluteUnits(LONG pixel, int origin, int extent) {
  if (extent <= 0) return 0;
  return static_cast<LONG>((static_cast<long long>(pixel - origin) * 65536 + extent - 1) / extent);
}

// A press that reaches a window only because it holds the mouse was meant for what lies under
// it: outside the window (see CapturedPressGoesElsewhere), or inside it on another program's
// window lying above it.
bool CapturedPressBelongsElsewhere(HWND window, int button, POINT screen) {
  RECT rc{};
  if (!::GetWindowRect(window, &rc)) return false;
  if (CapturedPressGoesElsewhere(button, Point{screen.x, screen.y}, ToRect(rc))) return true;
  if (!::PtInRect(&rc, screen)) return false;
  const HWND target = ::WindowFromPoint(screen);
  return target != nullptr && ::GetAncestor(target, GA_ROOT) != window;
}

// The capture ends, the window does not hear of the press, and the press is made again at its
// own place, now reaching the window under it. When the button is up again already (the
// release came under the capture or waits in the queue), the release is made with it: no
// program is left with a button that was let go. True when it was passed on.
bool PassCapturedPressOn(HWND window, UINT message, LPARAM lParam) {
  const bool left = message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK;
  const bool middle = message == WM_MBUTTONDOWN || message == WM_MBUTTONDBLCLK;
  const int button = left ? kButtonLeft : middle ? kButtonMiddle : kButtonRight;
  POINT pt{XFromLParam(lParam), YFromLParam(lParam)};
  if (!::ClientToScreen(window, &pt) || !CapturedPressBelongsElsewhere(window, button, pt)) {
    return false;
  }
  // The injected buttons are the physical ones; the message's left is the logical one.
  const bool swapped = ::GetSystemMetrics(SM_SWAPBUTTON) != 0;
  const bool physicalLeft = middle ? false : left != swapped;
  const DWORD down = middle         ? MOUSEEVENTF_MIDDLEDOWN
                     : physicalLeft ? MOUSEEVENTF_LEFTDOWN
                                    : MOUSEEVENTF_RIGHTDOWN;
  const DWORD up = middle         ? MOUSEEVENTF_MIDDLEUP
                   : physicalLeft ? MOUSEEVENTF_LEFTUP
                                  : MOUSEEVENTF_RIGHTUP;
  const UINT upMessage = middle ? WM_MBUTTONUP : left ? WM_LBUTTONUP : WM_RBUTTONUP;
  MSG queued{};
  const bool released =
      ::PeekMessageW(&queued, window, upMessage, upMessage, PM_REMOVE | PM_NOYIELD) != FALSE ||
      (::GetAsyncKeyState(middle         ? VK_MBUTTON
                          : physicalLeft ? VK_LBUTTON
                                         : VK_RBUTTON) &
       0x8000) == 0;
  ::ReleaseCapture();
  const int originX = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int originY = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
  INPUT input[2]{};
  input[0].type = INPUT_MOUSE;
  input[0].mi.dx = AbsoluteUnits(pt.x, originX, ::GetSystemMetrics(SM_CXVIRTUALSCREEN));
  input[0].mi.dy = AbsoluteUnits(pt.y, originY, ::GetSystemMetrics(SM_CYVIRTUALSCREEN));
  input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK | down;
  input[1] = input[0];
  input[1].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK | up;
  ::SendInput(released ? 2 : 1, input, sizeof(INPUT));
  return true;
}

}  // namespace

LRESULT CALLBACK Win32Control::WindowThunk(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    Win32Control* self = nullptr;
    if (message == WM_NCCREATE) {
      self = static_cast<Win32Control*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      if (self) {
        self->hwnd_.reset(hwnd);
        self->context_->Register(hwnd, self);
      }
    } else {
      self = reinterpret_cast<Win32Control*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      self->OnNativeDestroyed(hwnd);
      return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (self->proc_ && self->kind_ == ControlKind::Window) {
      return self->RunChain(hwnd, message, wParam, lParam, nullptr, nullptr);
    }
    return self->HandleOwnMessage(hwnd, message, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

LRESULT CALLBACK Win32Control::SubclassThunk(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                             UINT_PTR /*id*/, DWORD_PTR refData) {
  try {
    auto* self = reinterpret_cast<Win32Control*>(refData);
    if (message == WM_NCDESTROY) {
      ::RemoveWindowSubclass(hwnd, &Win32Control::SubclassThunk, kSubclassId);
      if (self) self->OnNativeDestroyed(hwnd);
      return ::DefSubclassProc(hwnd, message, wParam, lParam);
    }
    if (!self) return ::DefSubclassProc(hwnd, message, wParam, lParam);
    return self->HandleSubclassMessage(hwnd, message, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

LRESULT Win32Control::RunChain(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                               HWND fromChild, bool* childDefault) {
  WindowMessage m;
  m.id = message;
  m.wParam = static_cast<std::uintptr_t>(wParam);
  m.lParam = static_cast<std::intptr_t>(lParam);
  m.fromChild = reinterpret_cast<NativeHandle>(fromChild);
  ChainCall call;
  if (message == WM_WINDOWPOSCHANGING && lParam != 0) {
    call.pos = reinterpret_cast<WINDOWPOS*>(lParam);
    RECT rc{};
    if (::GetWindowRect(hwnd, &rc)) m.current = ToRect(rc);
    m.proposed = ProposedWindowRect(call.pos->x, call.pos->y, call.pos->cx, call.pos->cy,
                                    call.pos->flags, m.current);
  }
  call.childDefault = childDefault;
  const std::weak_ptr<bool> alive = alive_;
  ChainCall* outer = std::exchange(chainCall_, &call);
  const WindowProc proc = proc_;  // a handler may take itself out while it runs
  const LRESULT result = static_cast<LRESULT>((*proc)(reinterpret_cast<NativeHandle>(hwnd), m));
  if (call.pos != nullptr) {
    // Whether or not the window's own handling was reached, the system moves it here.
    call.pos->x = m.proposed.left;
    call.pos->y = m.proposed.top;
  }
  if (!alive.expired()) chainCall_ = outer;
  return result;
}

LRESULT Win32Control::CallOwn(WindowMessage& m) {
  ChainCall* call = chainCall_;
  if (m.fromChild != 0) {
    // The window has no use of its child's wheel turn: the child handles it (scrolls).
    if (call != nullptr && call->childDefault != nullptr) *call->childDefault = true;
    return 0;
  }
  if (!hwnd_) return 0;
  if (m.id == WM_WINDOWPOSCHANGING && call != nullptr && call->pos != nullptr) {
    call->pos->x = m.proposed.left;
    call->pos->y = m.proposed.top;
  }
  return HandleOwnMessage(hwnd_.get(), m.id, static_cast<WPARAM>(m.wParam),
                          static_cast<LPARAM>(m.lParam));
}

LRESULT Win32Control::HandleOwnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (HandleFromChild(message, wParam, lParam, result)) return result;
  if (HandleAccessMessage(hwnd, message, wParam, lParam, result)) return result;

  const bool isWindow = kind_ == ControlKind::Window;
  switch (message) {
    case WM_ERASEBKGND: {
      if (canvas_) return 1;  // the image covers it all
      RECT rc{};
      ::GetClientRect(hwnd, &rc);
      ::FillRect(reinterpret_cast<HDC>(wParam), &rc,
                 backBrush_ ? backBrush_.get() : ::GetSysColorBrush(COLOR_WINDOW));
      return 1;
    }
    case WM_PAINT:
      if (canvas_) {
        PAINTSTRUCT ps{};
        if (HDC dc = ::BeginPaint(hwnd, &ps)) {
          canvas_->PaintTo(dc, ps.rcPaint);
          ::EndPaint(hwnd, &ps);
        }
        return 0;
      }
      break;
    case WM_DESTROY:
      // The children go with this window. Those without a subclass hear nothing of it
      // themselves, so let go of them now, while they are still there to be found.
      for (HWND child = ::GetWindow(hwnd, GW_CHILD); child;
           child = ::GetWindow(child, GW_HWNDNEXT)) {
        Win32Control* control = context_->Find(child);
        if (control && !IsOwnClass(control->kind_) && !NeedsSubclass(control->kind_))
          control->OnNativeDestroyed(child);
      }
      break;
    case WM_NCHITTEST:
      // A line is decoration: clicks go to whatever lies beneath it.
      if (kind_ == ControlKind::Line) return HTTRANSPARENT;
      break;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == hwnd && LOWORD(lParam) == HTCLIENT &&
          cursorShape_ != 0) {
        ::SetCursor(::LoadCursorW(nullptr, MAKEINTRESOURCEW(CursorIdForShape(cursorShape_))));
        return TRUE;
      }
      break;
    case WM_SIZE:
      if (canvas_) canvas_->Resize(LOWORD(lParam), HIWORD(lParam), back_);
      if (isWindow) {
        const int width = LOWORD(lParam);
        const int height = HIWORD(lParam);
        Fire([&](ControlEvents& e) { e.OnResized(width, height); });
        return 0;
      }
      break;
    case WM_WINDOWPOSCHANGED:
      if (isWindow) {
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        const bool changed = !(pos->flags & SWP_NOMOVE) || !(pos->flags & SWP_NOSIZE);
        const std::weak_ptr<bool> alive = alive_;
        // The default handler sends WM_SIZE (OnResized) first; then report the move.
        const LRESULT r = ::DefWindowProcW(hwnd, message, wParam, lParam);
        if (changed && !alive.expired() && hwnd_) {
          const Rect outer = OuterBounds();
          Fire([&](ControlEvents& e) { e.OnMoved(outer); });
        }
        return r;
      }
      break;
    case WM_DPICHANGED:
      // Dragged onto a monitor of another scale: the program scales its controls and fonts,
      // then the window takes the rectangle the system suggests, so it keeps its place
      // under the cursor; the resize that follows lays it out anew.
      if (isWindow) {
        const int dpi = LOWORD(wParam);
        if (!Fire([&](ControlEvents& e) { e.OnDpiChanged(dpi); }) || !hwnd_) return 0;
        ApplyToolTipDpi();
        if (const auto* suggested = reinterpret_cast<const RECT*>(lParam)) {
          ::SetWindowPos(hwnd, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return 0;
      }
      break;
    case WM_CLOSE:
      // The program decides whether and when the window goes (it calls Destroy()).
      if (isWindow) {
        Fire([](ControlEvents& e) { e.OnCloseRequest(); });
        return 0;
      }
      break;
    case WM_QUERYENDSESSION:
      // Never hold up a logoff: the edits are saved when the session really ends.
      if (isWindow) return TRUE;
      break;
    case WM_ENDSESSION:
      if (isWindow) {
        if (wParam) Fire([](ControlEvents& e) { e.OnEndSession(); });
        return 0;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
      if (isWindow && ::GetCapture() == hwnd &&
          (PassCapturedPressOn(hwnd, message, lParam) ||
           PassCapturedPressToChild(hwnd, message, wParam, lParam))) {
        return 0;
      }
      // Like a form's picture box: the control keeps the mouse until the buttons are up.
      ::SetCapture(hwnd);
      HandleInput(hwnd, message, wParam, lParam);
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if ((wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0 && ::GetCapture() == hwnd) {
        ::ReleaseCapture();
      }
      HandleInput(hwnd, message, wParam, lParam);
      return 0;
    case WM_MOUSEMOVE:
      HandleInput(hwnd, message, wParam, lParam);
      return 0;
    case WM_MOUSELEAVE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      HandleInput(hwnd, message, wParam, lParam);
      return ::DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_KEYDOWN: {
      // Bit 30: the key was already down, so this is the keyboard's auto-repeat.
      const KeyArgs key{static_cast<int>(wParam), ShiftNow(), (lParam & (1L << 30)) != 0};
      Fire([&](ControlEvents& e) { e.OnKeyDown(key); });
      return 0;
    }
    default:
      break;
  }
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT Win32Control::HandleSubclassMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEWHEEL: {
      // The window's handlers hear of a wheel turned over its text: the system would only
      // pass it up when the box did not use it, and a box always scrolls.
      const HWND root = ::GetAncestor(hwnd, GA_ROOT);
      Win32Control* window = root != nullptr ? context_->Find(root) : nullptr;
      if (window != nullptr && window != this && window->proc_ &&
          window->kind_ == ControlKind::Window) {
        bool childDefault = false;
        const std::weak_ptr<bool> alive = alive_;
        const LRESULT r = window->RunChain(root, message, wParam, lParam, hwnd, &childDefault);
        if (!childDefault || alive.expired()) return r;
      }
      return ::DefSubclassProc(hwnd, message, wParam, lParam);
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      // The control reacts first (caret, selection, focus), then the program hears of it,
      // so focus is reported before the press that gave it, as users of forms expect.
      const std::weak_ptr<bool> alive = alive_;
      const LRESULT r = ::DefSubclassProc(hwnd, message, wParam, lParam);
      if (!alive.expired()) HandleInput(hwnd, message, wParam, lParam);
      return r;
    }
    default:
      return ::DefSubclassProc(hwnd, message, wParam, lParam);
  }
}

}  // namespace tarvik::platform::win32
