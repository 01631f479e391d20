#pragma once
// Reading a mouse or key message of the Win32 backend.

#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/translate.h"

namespace tarvik::platform::win32 {

inline int ShiftNow() {
  return ShiftState(::GetKeyState(VK_SHIFT) < 0, ::GetKeyState(VK_CONTROL) < 0,
                    ::GetKeyState(VK_MENU) < 0);
}

// Signed client coordinates of a mouse message (negative while the mouse is captured
// outside); <windowsx.h> is avoided because its macros clash with our member names.
inline int XFromLParam(LPARAM lParam) {
  return static_cast<short>(LOWORD(lParam));
}
inline int YFromLParam(LPARAM lParam) {
  return static_cast<short>(HIWORD(lParam));
}

inline MouseArgs MouseAt(int button, LPARAM lParam) {
  return MouseArgs{button, ShiftNow(), XFromLParam(lParam), YFromLParam(lParam)};
}

}  // namespace tarvik::platform::win32
