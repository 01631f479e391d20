#pragma once
// The window-system calls that both the platform (for the program's own windows) and
// clsWindow (for any program's windows) make, written once: the topmost band, the frame
// styles and the layered attributes. Plain calls: a caller that must not wait on another
// thread's window runs them where that cannot block it.

#include <windows.h>

#include <cstdint>
#include <optional>

namespace tarvik::platform::win32::window_calls {

// The window belongs to the calling thread, so a call on it is never stuck behind another.
bool IsOwnThread(HWND window);

bool IsTopMost(HWND window);
// Into or out of the topmost band. Never activates: the floating icon keeps its place every
// 100 ms and must not take the keyboard from the program the user is typing in. Another
// thread's window is placed without waiting for that thread. True when the system took it.
bool SetTopMost(HWND window, bool topMost);

// GWL_STYLE; 0 for no window.
std::uint32_t WindowStyle(HWND window);
// GWL_EXSTYLE; nothing when it cannot be read.
std::optional<std::uint32_t> ExtendedStyle(HWND window);
bool SetExtendedStyle(HWND window, std::uint32_t exStyle);
// Sets the style, and the extended style when given, and has the frame drawn anew (the
// system caches the frame until told it changed). Nothing happens for no window.
void SetFrameStyles(HWND window, std::uint32_t style,
                    std::optional<std::uint32_t> exStyle = std::nullopt);

// SetLayeredWindowAttributes as it is: key and alpha, flags (LWA_*) say which apply.
bool SetLayeredAttributes(HWND window, COLORREF key, BYTE alpha, DWORD flags);
// Sets one layered attribute (flag LWA_ALPHA: alpha; LWA_COLORKEY: key), making the window
// layered first when it is not and keeping the other attribute it already has.
bool SetLayeredPart(HWND window, DWORD flag, COLORREF key, BYTE alpha);

}  // namespace tarvik::platform::win32::window_calls
