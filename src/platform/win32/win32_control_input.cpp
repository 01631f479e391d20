#include "platform/win32/win32_control.h"

#include "platform/win32/mouse_input.h"
#include "platform/win32/translate.h"

namespace tarvik::platform::win32 {

void Win32Control::HandleInput(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const bool clickable =
      kind_ == ControlKind::Panel || kind_ == ControlKind::Window || kind_ == ControlKind::Label;
  if (message == WM_LBUTTONDBLCLK && clickable && events_ && !events_->HasDblClick()) {
    message = WM_LBUTTONDOWN;  // two quick clicks where a double-click means nothing
  }
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
      Fire([](ControlEvents& e) { e.OnMouseLeave(); });
      return;
    case WM_SETFOCUS:
      Fire([](ControlEvents& e) { e.OnGotFocus(); });
      return;
    case WM_KILLFOCUS:
      // A one-line box scrolled to its caret shows its text from the start again once the
      // user has left it, as a long title is read.
      if (kind_ == ControlKind::TextBox &&
          (::GetWindowLongW(hwnd, GWL_STYLE) & ES_MULTILINE) == 0) {
        ::SendMessageW(hwnd, EM_SETSEL, 0, 0);
        ::SendMessageW(hwnd, EM_SCROLLCARET, 0, 0);
      }
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
      if (code == BN_CLICKED) {
        Fire([](ControlEvents& e) { e.OnClick(); });
      } else if (code == BN_SETFOCUS) {
        Fire([](ControlEvents& e) { e.OnGotFocus(); });
      } else if (code == BN_KILLFOCUS) {
        Fire([](ControlEvents& e) { e.OnLostFocus(); });
      }
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

}  // namespace tarvik::platform::win32
