#pragma once
// The window-system calls that the platform makes on any program's windows and clsWindow's
// system on other programs' windows, written once: the topmost band, the frame styles, the
// layered attributes, and a way to make a call on another thread's window without waiting
// long for that thread.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <utility>

namespace tarvik::platform::win32::window_calls {

// The window belongs to the calling thread, so a call on it is never stuck behind another.
bool IsOwnThread(HWND window);

// How long a call that must reach another thread's window may take before it is given up on.
inline constexpr DWORD kStuckWindowWaitMs = 1000;

template <typename Call>
struct DetachedCall {
  explicit DetachedCall(Call c) : call(std::move(c)) {}
  Call call;
  std::atomic<bool> result{false};
};

template <typename Call>
DWORD WINAPI RunDetachedCall(LPVOID param) {
  const std::unique_ptr<std::shared_ptr<DetachedCall<Call>>> job(
      static_cast<std::shared_ptr<DetachedCall<Call>>*>(param));
  (*job)->result = (*job)->call();
  return 0;
}

// Calls that send to the window's thread and have no asynchronous form (style changes,
// layered attributes, enabling, focus) run on a helper thread when that thread is another
// one; a stuck target keeps only the helper, which finishes whenever the target wakes. call
// must not throw and owns everything it uses. No window: the call runs here and fails.
template <typename Call>
bool WithoutBlocking(HWND target, Call call) {
  const DWORD thread = ::GetWindowThreadProcessId(target, nullptr);
  if (thread == 0 || thread == ::GetCurrentThreadId()) return call();
  auto job = std::make_shared<DetachedCall<Call>>(std::move(call));
  auto* param = new (std::nothrow) std::shared_ptr<DetachedCall<Call>>(job);
  if (!param) return false;
  const HANDLE helper = ::CreateThread(nullptr, 0, &RunDetachedCall<Call>, param, 0, nullptr);
  if (!helper) {
    delete param;
    return false;
  }
  const bool finished = ::WaitForSingleObject(helper, kStuckWindowWaitMs) == WAIT_OBJECT_0;
  ::CloseHandle(helper);
  return finished && job->result;
}

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
// Sets the style and has the frame drawn anew (the system caches the frame until told it
// changed), with the extended style as it is then. Nothing happens for no window.
void SetFrameStyles(HWND window, std::uint32_t style);

// SetLayeredWindowAttributes as it is: key and alpha, flags (LWA_*) say which apply.
bool SetLayeredAttributes(HWND window, COLORREF key, BYTE alpha, DWORD flags);

}  // namespace tarvik::platform::win32::window_calls
