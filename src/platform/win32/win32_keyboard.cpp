// The keyboard on its way from the message loops to the controls: the program's key preview
// (Tab and the other keys a form moves with) and the window's focus marks, which the keys
// that move the focus turn on. Also the show request of another start of the program.

#include "platform/win32/win32_keyboard.h"

#include "platform/win32/mouse_input.h"
#include "platform/win32/win32_control.h"

namespace tarvik::platform::win32 {

bool PreviewKeyMessage(BackendContext& context, const MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
  if (msg.hwnd == nullptr) return false;
  const WPARAM key = msg.wParam;
  // As the system shows focus marks: once the keyboard moved the focus, or Alt was pressed.
  if (key == VK_TAB || key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN ||
      key == VK_MENU) {
    context.ShowFocusCues(::GetAncestor(msg.hwnd, GA_ROOT));
  }
  if (msg.message != WM_KEYDOWN) return false;
  Win32Control* control = context.Find(msg.hwnd);
  return control != nullptr && control->PreviewKey(msg);
}

bool Win32Control::PreviewKey(const MSG& msg) {
  // Bit 30: the key was already down, so this is the keyboard's auto-repeat.
  const KeyArgs key{static_cast<int>(msg.wParam), ShiftNow(), (msg.lParam & (1L << 30)) != 0};
  bool used = false;
  Fire([&](ControlEvents& e) { used = e.OnPreviewKey(key); });
  return used;
}

std::wstring ShowRequestMessageName(const std::wstring& instanceName) {
  return L"Tarvik.ShowInstance." + instanceName;
}

namespace {

BOOL CALLBACK PostToOurWindow(HWND window, LPARAM message) {
  wchar_t className[64] = {};
  if (::GetClassNameW(window, className, 64) > 0 && std::wstring(className) == kWindowClass) {
    ::PostMessageW(window, static_cast<UINT>(message), 0, 0);
  }
  return TRUE;
}

}  // namespace

void PostShowRequest(const std::wstring& instanceName) {
  const UINT message = ::RegisterWindowMessageW(ShowRequestMessageName(instanceName).c_str());
  if (message == 0) return;
  // The running instance may then take the foreground from this process, which has it.
  ::AllowSetForegroundWindow(ASFW_ANY);
  // Hidden windows too: the main window is hidden while the floating icon stands in for it.
  ::EnumWindows(&PostToOurWindow, static_cast<LPARAM>(message));
}

}  // namespace tarvik::platform::win32
