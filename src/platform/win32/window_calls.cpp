#include "platform/win32/window_calls.h"

#include <new>
#include <vector>

namespace tarvik::platform::win32::window_calls {
namespace {

struct OwnedWindows {
  HWND owner;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectOwned(HWND window, LPARAM param) noexcept {
  auto* owned = reinterpret_cast<OwnedWindows*>(param);
  if (::GetWindow(window, GW_OWNER) != owned->owner) return TRUE;
  try {
    owned->windows.push_back(window);
    return TRUE;
  } catch (const std::bad_alloc&) {
    return FALSE;
  }
}

constexpr UINT kPlaceOnly = SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE;

// Wine lifts a window's owned pop-ups (its tool tip) into the topmost band but not the window
// itself; with its pop-ups unhooked for the call, the window goes up as well.
void LiftAboveOwnedPopups(HWND window) {
  const DWORD thread = ::GetWindowThreadProcessId(window, nullptr);
  if (thread == 0) return;
  OwnedWindows owned{window, {}};
  ::EnumThreadWindows(thread, &CollectOwned, reinterpret_cast<LPARAM>(&owned));
  if (owned.windows.empty()) return;
  for (HWND popup : owned.windows) ::SetWindowLongPtrW(popup, GWLP_HWNDPARENT, 0);
  ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, kPlaceOnly);
  for (HWND popup : owned.windows) {
    ::SetWindowLongPtrW(popup, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(window));
  }
}

}  // namespace

bool IsOwnThread(HWND window) {
  return ::GetWindowThreadProcessId(window, nullptr) == ::GetCurrentThreadId();
}

bool IsTopMost(HWND window) {
  if (window == nullptr || !::IsWindow(window)) return false;
  return (::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

bool SetTopMost(HWND window, bool topMost) {
  const bool ownThread = IsOwnThread(window);
  const UINT flags = ownThread ? kPlaceOnly : kPlaceOnly | SWP_ASYNCWINDOWPOS;
  const bool placed =
      ::SetWindowPos(window, topMost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, flags) != FALSE;
  // Only a call that has already happened can be checked; ours can also be corrected.
  if (topMost && ownThread && !IsTopMost(window)) LiftAboveOwnedPopups(window);
  return placed;
}

std::uint32_t WindowStyle(HWND window) {
  return static_cast<std::uint32_t>(::GetWindowLongPtrW(window, GWL_STYLE));
}

std::optional<std::uint32_t> ExtendedStyle(HWND window) {
  // A style of 0 is a valid answer; only the last error tells a failure apart.
  ::SetLastError(ERROR_SUCCESS);
  const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
  if (style == 0 && ::GetLastError() != ERROR_SUCCESS) return std::nullopt;
  return static_cast<std::uint32_t>(style);
}

bool SetExtendedStyle(HWND window, std::uint32_t exStyle) {
  ::SetLastError(ERROR_SUCCESS);
  const LONG_PTR previous =
      ::SetWindowLongPtrW(window, GWL_EXSTYLE, static_cast<LONG_PTR>(exStyle));
  return previous != 0 || ::GetLastError() == ERROR_SUCCESS;
}

void SetFrameStyles(HWND window, std::uint32_t style) {
  if (window == nullptr || !::IsWindow(window)) return;
  // Style bits are a 32-bit value the system widens with its sign.
  ::SetWindowLongPtrW(window, GWL_STYLE, static_cast<LONG_PTR>(static_cast<LONG>(style)));
  ::SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool SetLayeredAttributes(HWND window, COLORREF key, BYTE alpha, DWORD flags) {
  return ::SetLayeredWindowAttributes(window, key, alpha, flags) != FALSE;
}

}  // namespace tarvik::platform::win32::window_calls
