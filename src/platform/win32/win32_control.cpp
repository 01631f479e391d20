#include "platform/win32/win32_control.h"

#include <commctrl.h>

#include <utility>

#include "platform/win32/translate.h"

namespace tarvik::platform::win32 {

namespace {

constexpr UINT_PTR kSubclassId = 1;

bool IsOwnClass(ControlKind kind) {
  return kind == ControlKind::Window || kind == ControlKind::Panel || kind == ControlKind::Line;
}

// Labels and text boxes report the mouse only through a subclass. A list box says all the
// program hears of it (double-click, selection, focus) in notifications to its parent, and a
// subclass would make every item added to it several times dearer.
bool NeedsSubclass(ControlKind kind) {
  return kind == ControlKind::Label || kind == ControlKind::TextBox;
}

// Below this many items a fill is cheap however it is done.
constexpr std::size_t kBulkFrom = 16;

// Redrawing of a list box off for the life of the object, then on again with one repaint of
// the whole list. Even a list in a hidden window works out its scroll bar on every item
// added while redrawing is on. Turning redrawing back on draws the scroll bar there and
// then, which under Wine costs more than the rest of a small fill; with the visible bit off
// for that moment (as DefWindowProc's own WM_SETREDRAW does) the scroll bar is only worked
// out, and drawn with the rest of the list at the next paint.
class QuietList {
 public:
  explicit QuietList(HWND list) : list_(list) { ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0); }
  ~QuietList() {
    const bool shown = (::GetWindowLongPtrW(list_, GWL_STYLE) & WS_VISIBLE) != 0;
    if (shown) SetVisibleBit(false);
    ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    // The scroll bar may have come or gone meanwhile: only the visible bit is put back.
    if (shown) SetVisibleBit(true);
    ::RedrawWindow(list_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
  }
  QuietList(const QuietList&) = delete;
  QuietList& operator=(const QuietList&) = delete;

 private:
  void SetVisibleBit(bool on) const {
    const LONG_PTR style = ::GetWindowLongPtrW(list_, GWL_STYLE);
    ::SetWindowLongPtrW(list_, GWL_STYLE,
                        on ? (style | WS_VISIBLE) : (style & ~static_cast<LONG_PTR>(WS_VISIBLE)));
  }

  HWND list_;
};

// Appends items[first..] to a list box, after telling it how much is coming so it allocates
// once rather than as it grows.
void AppendItems(HWND list, const std::vector<std::wstring>& items, std::size_t first) {
  if (items.size() - first >= kBulkFrom) {
    std::size_t bytes = 0;
    for (std::size_t i = first; i < items.size(); ++i)
      bytes += (items[i].size() + 1) * sizeof(wchar_t);
    ::SendMessageW(list, LB_INITSTORAGE, static_cast<WPARAM>(items.size() - first),
                   static_cast<LPARAM>(bytes));
  }
  for (std::size_t i = first; i < items.size(); ++i) {
    ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(items[i].c_str()));
  }
}

int ShiftNow() {
  return ShiftState(::GetKeyState(VK_SHIFT) < 0, ::GetKeyState(VK_CONTROL) < 0,
                    ::GetKeyState(VK_MENU) < 0);
}

// Signed client coordinates of a mouse message (negative while the mouse is captured
// outside); <windowsx.h> is avoided because its macros clash with our member names.
int XFromLParam(LPARAM lParam) {
  return static_cast<short>(LOWORD(lParam));
}
int YFromLParam(LPARAM lParam) {
  return static_cast<short>(HIWORD(lParam));
}

MouseArgs MouseAt(int button, LPARAM lParam) {
  return MouseArgs{button, ShiftNow(), XFromLParam(lParam), YFromLParam(lParam)};
}

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
  ::ReleaseCapture();
  ::ScreenToClient(target, &pt);
  ::PostMessageW(target, message, wParam, MAKELPARAM(pt.x, pt.y));
  return true;
}

}  // namespace

bool Win32Control::RegisterClasses(HINSTANCE instance) {
  // The program icon is resource 1; a host without it simply gets the default icon.
  HICON icon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
  auto smallIcon = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                   ::GetSystemMetrics(SM_CXSMICON),
                                                   ::GetSystemMetrics(SM_CYSMICON), 0));
  bool ok = true;
  for (const wchar_t* name : {kWindowClass, kPanelClass, kLineClass}) {
    const bool isWindow = name == kWindowClass;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &Win32Control::WindowThunk;
    wc.hInstance = instance;
    wc.hIcon = isWindow ? icon : nullptr;
    wc.hIconSm = isWindow ? smallIcon : nullptr;
    wc.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(kIdcArrow));
    wc.hbrBackground = nullptr;  // painted from the control's own brush
    wc.lpszClassName = name;
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) ok = false;
  }
  return ok;
}

Win32Control::Win32Control(std::shared_ptr<BackendContext> context, const ControlSettings& settings,
                           Win32Control* parent, ControlEvents* events)
    : context_(std::move(context)), kind_(settings.kind), events_(events) {
  back_ = ToColorRef(settings.backColor);
  fore_ = ToColorRef(settings.foreColor);
  // A line is drawn in its fore colour; everything else fills with its back colour.
  backBrush_.reset(::CreateSolidBrush(kind_ == ControlKind::Line ? fore_ : back_));

  const bool topLevel = kind_ == ControlKind::Window;
  HWND parentHwnd = parent ? parent->Hwnd() : nullptr;
  if (!topLevel && !parentHwnd) return;

  const DWORD border = settings.borderStyle == 1 ? WS_BORDER : 0;
  const DWORD child = WS_CHILD | WS_CLIPSIBLINGS;
  const wchar_t* className = nullptr;
  DWORD style = 0;
  switch (kind_) {
    case ControlKind::Window:
      className = kWindowClass;
      style = settings.borderStyle == 1   ? WS_POPUP | WS_BORDER | WS_SYSMENU | WS_CLIPCHILDREN
              : settings.borderStyle == 2 ? WS_POPUP | WS_SYSMENU | WS_CLIPCHILDREN
                                          : WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
      break;
    case ControlKind::Panel:
      className = kPanelClass;
      style = child | WS_CLIPCHILDREN | border;
      break;
    case ControlKind::Line:
      className = kLineClass;
      style = child;
      break;
    case ControlKind::Label: {
      className = L"STATIC";
      const DWORD align = settings.alignment == 1   ? SS_RIGHT
                          : settings.alignment == 2 ? SS_CENTER
                                                    : SS_LEFT;
      style = child | SS_NOTIFY | align | border;
      break;
    }
    case ControlKind::TextBox: {
      className = L"EDIT";
      const EditStyle edit =
          EditStyleFor(settings.multiLine, settings.scrollBars, settings.alignment);
      style = child | WS_TABSTOP | border;
      style |= edit.alignment == 1 ? ES_RIGHT : edit.alignment == 2 ? ES_CENTER : ES_LEFT;
      if (edit.multiLine) style |= ES_MULTILINE | ES_WANTRETURN;
      if (edit.autoHScroll) style |= ES_AUTOHSCROLL;
      if (edit.autoVScroll) style |= ES_AUTOVSCROLL;
      if (edit.hScrollBar) style |= WS_HSCROLL;
      if (edit.vScrollBar) style |= WS_VSCROLL;
      break;
    }
    case ControlKind::ListBox:
      className = L"LISTBOX";
      style = child | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | border;
      break;
    case ControlKind::Button:
      className = L"BUTTON";
      style = child | WS_TABSTOP | (settings.defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
      break;
  }
  if (settings.visible) style |= WS_VISIBLE;

  const wchar_t* text = (kind_ == ControlKind::Window || kind_ == ControlKind::Label ||
                         kind_ == ControlKind::TextBox || kind_ == ControlKind::Button)
                            ? settings.text.c_str()
                            : L"";
  // The dialog keys of a modal loop (IsDialogMessage) send IDOK for Enter and IDCANCEL for
  // Esc, naming the control with that id: the default and cancel buttons carry them.
  int controlId = 0;
  if (!topLevel) {
    controlId = settings.defaultButton  ? IDOK
                : settings.cancelButton ? IDCANCEL
                                        : context_->NextControlId();
  }
  const auto id = topLevel ? nullptr : reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId));
  HWND created = ::CreateWindowExW(
      0, className, text, style, settings.bounds.left, settings.bounds.top, settings.bounds.width,
      settings.bounds.height, parentHwnd, id, context_->Instance(), this);
  if (!created) {
    hwnd_.release();
    return;
  }
  if (!IsOwnClass(kind_)) {
    hwnd_.reset(created);
    context_->Register(created, this);
    if (NeedsSubclass(kind_)) {
      ::SetWindowSubclass(created, &Win32Control::SubclassThunk, kSubclassId,
                          reinterpret_cast<DWORD_PTR>(this));
    }
  }
  if (kind_ == ControlKind::TextBox) {
    // The default limit (32 K characters) would stop the user typing in a long note.
    ::SendMessageW(created, EM_SETLIMITTEXT, 0, 0);
  }
  if (settings.font) font_ = context_->Font(*settings.font);
  ApplyFont();
  if (!settings.toolTip.empty()) SetToolTip(settings.toolTip);
}

Win32Control::~Win32Control() {
  RemoveToolTip();
  toolTip_.reset();
  if (HWND hwnd = hwnd_.get()) {
    // Detach first: the messages of the destruction itself must not reach a half-dead object.
    if (IsOwnClass(kind_)) {
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    } else if (NeedsSubclass(kind_)) {
      ::RemoveWindowSubclass(hwnd, &Win32Control::SubclassThunk, kSubclassId);
    }
    context_->Unregister(hwnd);
    hwnd_.reset();
  }
}

void Win32Control::FinishCreation() {
  creating_ = false;
  if (kind_ == ControlKind::Window && hwnd_) {
    const Point size = ClientSize();
    Fire([&](ControlEvents& e) { e.OnResized(size.x, size.y); });
  }
}

template <typename Fn>
bool Win32Control::Fire(Fn&& fn) {
  const std::weak_ptr<bool> alive = alive_;
  if (events_ && !creating_) fn(*events_);
  return !alive.expired();
}

void Win32Control::OnNativeDestroyed(HWND hwnd) {
  context_->Unregister(hwnd);
  // The system destroyed the window already; its tool tip is ours to destroy.
  toolTip_.reset();
  hwnd_.release();
  hasToolTip_ = false;
}

// ---------------------------------------------------------------------------------------
// Window procedures

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
    m.proposed = Rect{call.pos->x, call.pos->y, call.pos->cx, call.pos->cy};
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
          PassCapturedPressToChild(hwnd, message, wParam, lParam)) {
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

void Win32Control::HandleInput(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const bool clickable =
      kind_ == ControlKind::Panel || kind_ == ControlKind::Window || kind_ == ControlKind::Label;
  switch (message) {
    case WM_LBUTTONDOWN:
      clickArmed_ = true;
      Fire([&](ControlEvents& e) { e.OnMouseDown(MouseAt(kButtonLeft, lParam)); });
      return;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      Fire([&](ControlEvents& e) { e.OnMouseDown(MouseAt(kButtonRight, lParam)); });
      return;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      Fire([&](ControlEvents& e) { e.OnMouseDown(MouseAt(kButtonMiddle, lParam)); });
      return;
    case WM_LBUTTONDBLCLK:
      // The second press of a double-click is the double-click; its release is no click.
      clickArmed_ = false;
      if (clickable) {
        Fire([](ControlEvents& e) { e.OnDblClick(); });
      } else if (kind_ != ControlKind::ListBox) {  // a list reports LBN_DBLCLK instead
        Fire([&](ControlEvents& e) { e.OnMouseDown(MouseAt(kButtonLeft, lParam)); });
      }
      return;
    case WM_LBUTTONUP: {
      RECT rc{};
      ::GetClientRect(hwnd, &rc);
      const POINT pt{XFromLParam(lParam), YFromLParam(lParam)};
      const bool click = clickable && clickArmed_ && ::PtInRect(&rc, pt);
      clickArmed_ = false;
      if (!Fire([&](ControlEvents& e) { e.OnMouseUp(MouseAt(kButtonLeft, lParam)); })) return;
      if (click) Fire([](ControlEvents& e) { e.OnClick(); });
      return;
    }
    case WM_RBUTTONUP:
      Fire([&](ControlEvents& e) { e.OnMouseUp(MouseAt(kButtonRight, lParam)); });
      return;
    case WM_MBUTTONUP:
      Fire([&](ControlEvents& e) { e.OnMouseUp(MouseAt(kButtonMiddle, lParam)); });
      return;
    case WM_MOUSEMOVE: {
      if (!trackingLeave_) {
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof(track);
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = hwnd;
        trackingLeave_ = ::TrackMouseEvent(&track) != FALSE;
        if (!Fire([](ControlEvents& e) { e.OnMouseEnter(); })) return;
      }
      const int buttons = ButtonsFromMouseKeys(static_cast<unsigned>(wParam));
      Fire([&](ControlEvents& e) { e.OnMouseMove(MouseAt(buttons, lParam)); });
      return;
    }
    case WM_MOUSELEAVE:
      trackingLeave_ = false;
      return;
    case WM_SETFOCUS:
      Fire([](ControlEvents& e) { e.OnGotFocus(); });
      return;
    case WM_KILLFOCUS:
      Fire([](ControlEvents& e) { e.OnLostFocus(); });
      return;
    default:
      return;
  }
}

bool Win32Control::HandleFromChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_COMMAND:
      if (lParam != 0) {
        if (Win32Control* child = context_->Find(reinterpret_cast<HWND>(lParam))) {
          child->OnCommandFromParent(HIWORD(wParam));
          result = 0;
          return true;
        }
      }
      return false;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      if (Win32Control* child = context_->Find(reinterpret_cast<HWND>(lParam))) {
        result = reinterpret_cast<LRESULT>(child->OnColorFromParent(reinterpret_cast<HDC>(wParam)));
        return result != 0;
      }
      return false;
    default:
      return false;
  }
}

void Win32Control::OnCommandFromParent(UINT code) {
  if (!hwnd_) return;
  switch (kind_) {
    case ControlKind::TextBox:
      if (code == EN_CHANGE && !settingText_) {
        std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(hwnd_.get())) + 1, L'\0');
        text.resize(static_cast<std::size_t>(
            ::GetWindowTextW(hwnd_.get(), text.data(), static_cast<int>(text.size()))));
        Fire([&](ControlEvents& e) { e.OnTextEdited(text); });
      }
      break;
    case ControlKind::Button:
      if (code == BN_CLICKED) Fire([](ControlEvents& e) { e.OnClick(); });
      break;
    case ControlKind::ListBox:
      if (code == LBN_SELCHANGE) {
        const auto index = static_cast<int>(::SendMessageW(hwnd_.get(), LB_GETCURSEL, 0, 0));
        Fire([&](ControlEvents& e) { e.OnSelectionChanged(index == LB_ERR ? -1 : index); });
      } else if (code == LBN_DBLCLK) {
        Fire([](ControlEvents& e) { e.OnDblClick(); });
      } else if (code == LBN_SETFOCUS) {
        Fire([](ControlEvents& e) { e.OnGotFocus(); });
      } else if (code == LBN_KILLFOCUS) {
        Fire([](ControlEvents& e) { e.OnLostFocus(); });
      }
      break;
    default:
      break;
  }
}

HBRUSH Win32Control::OnColorFromParent(HDC dc) {
  ::SetTextColor(dc, fore_);
  ::SetBkColor(dc, back_);
  ::SetBkMode(dc, OPAQUE);
  return backBrush_.get();
}

// ---------------------------------------------------------------------------------------
// Control

NativeHandle Win32Control::Handle() const {
  return reinterpret_cast<NativeHandle>(hwnd_.get());
}

void Win32Control::SetBounds(const Rect& bounds) {
  if (!hwnd_) return;
  ::SetWindowPos(hwnd_.get(), nullptr, bounds.left, bounds.top, bounds.width, bounds.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Control::SetVisible(bool visible) {
  if (!hwnd_) return;
  ::ShowWindow(hwnd_.get(), visible ? SW_SHOW : SW_HIDE);
}

void Win32Control::SetText(const std::wstring& text) {
  if (!hwnd_) return;
  // EN_CHANGE arrives inside WM_SETTEXT; the flag tells it apart from the user's typing.
  const bool wasSetting = std::exchange(settingText_, true);
  ::SendMessageW(hwnd_.get(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  settingText_ = wasSetting;
}

void Win32Control::SetFont(const FontInfo& font) {
  font_ = context_->Font(font);
  ApplyFont();
}

void Win32Control::ApplyFont() {
  if (!hwnd_) return;
  HFONT font = font_ ? font_->get() : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  ::SendMessageW(hwnd_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  Redraw();
}

void Win32Control::SetColors(Color back, Color fore) {
  back_ = ToColorRef(back);
  fore_ = ToColorRef(fore);
  ApplyColors();
}

void Win32Control::ApplyColors() {
  unique_hbrush brush(::CreateSolidBrush(kind_ == ControlKind::Line ? fore_ : back_));
  if (brush) backBrush_ = std::move(brush);
  Redraw();
}

void Win32Control::Redraw() {
  if (!hwnd_) return;
  ::RedrawWindow(hwnd_.get(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void Win32Control::SetBorderStyle(int style) {
  if (!hwnd_ || kind_ == ControlKind::Window || kind_ == ControlKind::Line) return;
  const LONG_PTR old = ::GetWindowLongPtrW(hwnd_.get(), GWL_STYLE);
  const LONG_PTR updated =
      style == 1 ? (old | WS_BORDER) : (old & ~static_cast<LONG_PTR>(WS_BORDER));
  if (updated == old) return;
  ::SetWindowLongPtrW(hwnd_.get(), GWL_STYLE, updated);
  ::SetWindowPos(hwnd_.get(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Redraw();
}

HWND Win32Control::ToolTipOfRoot(bool create) {
  if (!hwnd_) return nullptr;
  Win32Control* root = context_->Find(::GetAncestor(hwnd_.get(), GA_ROOT));
  if (!root) return nullptr;
  if (!root->toolTip_ && create) {
    // Not owned by the window: Wine puts a window being made topmost behind its owned
    // pop-ups, and behind a tip that is not truly in the topmost band it stays out of it.
    root->toolTip_.reset(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                           WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                                           nullptr, context_->Instance(), nullptr));
    if (root->toolTip_) {
      ::SendMessageW(root->toolTip_.get(), TTM_SETMAXTIPWIDTH, 0, 400);
      // The tips are Chinese: show them in the program's UI font, not the system's
      // status font, which may have no CJK glyphs.
      root->toolTipFont_ = context_->Font(FontInfo{});
      if (root->toolTipFont_) {
        ::SendMessageW(root->toolTip_.get(), WM_SETFONT,
                       reinterpret_cast<WPARAM>(root->toolTipFont_->get()), FALSE);
      }
    }
  }
  return root->toolTip_.get();
}

void Win32Control::SetToolTip(const std::wstring& text) {
  HWND tip = ToolTipOfRoot(!text.empty());
  if (!tip) return;
  HWND parent = ::GetParent(hwnd_.get());
  TTTOOLINFOW info{};
  // The version-2 size is understood by every comctl32, with or without the v6 manifest.
  info.cbSize = TTTOOLINFOW_V2_SIZE;
  info.uFlags = TTF_SUBCLASS | TTF_IDISHWND;
  info.hwnd = parent ? parent : hwnd_.get();
  info.uId = reinterpret_cast<UINT_PTR>(hwnd_.get());
  info.lpszText = const_cast<wchar_t*>(text.c_str());
  if (text.empty()) {
    if (hasToolTip_) ::SendMessageW(tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    hasToolTip_ = false;
  } else if (hasToolTip_) {
    ::SendMessageW(tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
  } else {
    hasToolTip_ = ::SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)) != FALSE;
  }
}

void Win32Control::RemoveToolTip() {
  if (!hasToolTip_ || !hwnd_) return;
  SetToolTip(std::wstring());
}

void Win32Control::SetFocus() {
  if (hwnd_) ::SetFocus(hwnd_.get());
}

bool Win32Control::HasFocus() const {
  return hwnd_ && ::GetFocus() == hwnd_.get();
}

// ---------------------------------------------------------------------------------------
// Lists

void Win32Control::ListAdd(const std::wstring& item) {
  if (kind_ != ControlKind::ListBox || !hwnd_) return;
  ::SendMessageW(hwnd_.get(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

void Win32Control::ListRemove(int index) {
  if (kind_ != ControlKind::ListBox || !hwnd_) return;
  ::SendMessageW(hwnd_.get(), LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void Win32Control::ListClear() {
  if (kind_ != ControlKind::ListBox || !hwnd_) return;
  const QuietList quiet(hwnd_.get());
  ::SendMessageW(hwnd_.get(), LB_RESETCONTENT, 0, 0);
}

void Win32Control::ListReplaceAll(const std::vector<std::wstring>& items) {
  if (kind_ != ControlKind::ListBox || !hwnd_) return;
  const QuietList quiet(hwnd_.get());
  ::SendMessageW(hwnd_.get(), LB_RESETCONTENT, 0, 0);
  AppendItems(hwnd_.get(), items, 0);
}

void Win32Control::ListAddRange(const std::vector<std::wstring>& items, std::size_t first) {
  if (kind_ != ControlKind::ListBox || !hwnd_ || first >= items.size()) return;
  if (items.size() - first < kBulkFrom) {
    AppendItems(hwnd_.get(), items, first);
    return;
  }
  const QuietList quiet(hwnd_.get());
  AppendItems(hwnd_.get(), items, first);
}

void Win32Control::ListSetItem(int index, const std::wstring& item) {
  if (kind_ != ControlKind::ListBox || !hwnd_) return;
  HWND list = hwnd_.get();
  // Replace in place: the selection and the scroll position stay, nothing flickers.
  const LRESULT selection = ::SendMessageW(list, LB_GETCURSEL, 0, 0);
  const LRESULT top = ::SendMessageW(list, LB_GETTOPINDEX, 0, 0);
  ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  ::SendMessageW(list, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
  ::SendMessageW(list, LB_INSERTSTRING, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(item.c_str()));
  if (selection != LB_ERR) ::SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(selection), 0);
  if (top != LB_ERR) ::SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
  ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(list, nullptr, TRUE);
}

void Win32Control::ListSetSelection(int index) {
  if (kind_ != ControlKind::ListBox || !hwnd_) return;
  // LB_SETCURSEL sends no LBN_SELCHANGE, so the program hears nothing of its own choice.
  ::SendMessageW(hwnd_.get(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

// ---------------------------------------------------------------------------------------
// Lines and windows

void Win32Control::SetLine(Point from, Point to, Color color) {
  if (kind_ != ControlKind::Line || !hwnd_) return;
  fore_ = ToColorRef(color);
  ApplyColors();
  const Rect box = LineBox(from, to);
  ::SetWindowPos(hwnd_.get(), nullptr, box.left, box.top, box.width, box.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

Rect Win32Control::OuterBounds() const {
  RECT rc{};
  if (!hwnd_ || !::GetWindowRect(hwnd_.get(), &rc)) return {};
  return Rect{rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top};
}

Point Win32Control::ClientSize() const {
  RECT rc{};
  if (!hwnd_ || !::GetClientRect(hwnd_.get(), &rc)) return {};
  return Point{rc.right - rc.left, rc.bottom - rc.top};
}

bool Win32Control::IsMinimized() const {
  return hwnd_ && ::IsIconic(hwnd_.get());
}

void Win32Control::SetCursorShape(int shape) {
  cursorShape_ = shape;
  if (!hwnd_) return;
  // Show it now when the cursor is over our own surface; WM_SETCURSOR keeps it there.
  POINT pt{};
  if (::GetCursorPos(&pt) && ::WindowFromPoint(pt) == hwnd_.get()) {
    ::SetCursor(::LoadCursorW(nullptr, MAKEINTRESOURCEW(CursorIdForShape(shape))));
  }
}

Canvas* Win32Control::GetCanvas() {
  if (kind_ != ControlKind::Panel || !hwnd_) return nullptr;
  if (!canvas_) canvas_ = std::make_unique<GdiPlusCanvas>(hwnd_.get(), back_);
  return canvas_.get();
}

void Win32Control::Destroy() {
  if (!hwnd_) return;
  // A modal window gives the input back to the windows it held off before it goes, so the
  // system activates one of ours next and not another program's window.
  if (kind_ == ControlKind::Window) context_->EndModal(hwnd_.get());
  // WM_NCDESTROY releases hwnd_ (and the tool tip) as the system tears the window down.
  ::DestroyWindow(hwnd_.get());
}

}  // namespace tarvik::platform::win32
