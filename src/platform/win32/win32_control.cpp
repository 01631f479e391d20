#include "platform/win32/win32_control.h"

#include <commctrl.h>

#include <utility>

#include "platform/win32/translate.h"
#include "platform/win32/window_dpi.h"

namespace tarvik::platform::win32 {

void Win32Control::RegisterClasses(HINSTANCE instance) {
  // The program icon is resource 1; a host without it simply gets the default icon.
  HICON icon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
  auto smallIcon = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                   ::GetSystemMetrics(SM_CXSMICON),
                                                   ::GetSystemMetrics(SM_CYSMICON), 0));
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
    // One that fails shows as its controls failing to be created.
    ::RegisterClassExW(&wc);
  }
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
  // A top-level window's "parent" is its owner.
  if (topLevel) parentHwnd = reinterpret_cast<HWND>(settings.owner);
  const DWORD exStyle = topLevel && settings.toolWindow ? WS_EX_TOOLWINDOW : 0;

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
      // BS_NOTIFY: the button reports its focus, which a painted control may stand for.
      style = child | WS_TABSTOP | BS_NOTIFY |
              (settings.defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
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
      exStyle, className, text, style, settings.bounds.left, settings.bounds.top,
      settings.bounds.width, settings.bounds.height, parentHwnd, id, context_->Instance(), this);
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

void Win32Control::OnNativeDestroyed(HWND hwnd) {
  context_->Unregister(hwnd);
  // The system destroyed the window already; its tool tip is ours to destroy.
  toolTip_.reset();
  hwnd_.release();
  hasToolTip_ = false;
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

void Win32Control::SetFocus() {
  if (hwnd_) ::SetFocus(hwnd_.get());
}

bool Win32Control::HasFocus() const {
  return hwnd_ && ::GetFocus() == hwnd_.get();
}

// ---------------------------------------------------------------------------------------
// Lines and windows

void Win32Control::SetLine(Point from, Point to, Color color, int thickness) {
  if (kind_ != ControlKind::Line || !hwnd_) return;
  fore_ = ToColorRef(color);
  ApplyColors();
  const Rect box = LineBox(from, to, thickness);
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

Rect Win32Control::NormalBounds() const {
  if (!hwnd_) return {};
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  if (!::GetWindowPlacement(hwnd_.get(), &placement)) return OuterBounds();
  const RECT& rc = placement.rcNormalPosition;
  const Rect normal{rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top};
  const bool toolWindow = (::GetWindowLongPtrW(hwnd_.get(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0;
  // The monitor of a minimised window is the one of its normal rectangle.
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  HMONITOR monitor = ::MonitorFromWindow(hwnd_.get(), MONITOR_DEFAULTTONEAREST);
  if (monitor == nullptr || !::GetMonitorInfoW(monitor, &info)) return normal;
  const Monitor m{ToRect(info.rcMonitor), ToRect(info.rcWork)};
  return WorkspaceToScreen(normal, m, toolWindow);
}

void Win32Control::Restore() {
  if (!hwnd_) return;
  // SW_RESTORE would also show a hidden window and activate a normal one.
  if (::IsIconic(hwnd_.get()) || ::IsZoomed(hwnd_.get())) ::ShowWindow(hwnd_.get(), SW_RESTORE);
}

int Win32Control::Dpi() const {
  return static_cast<int>(WindowDpi(hwnd_.get()));
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
