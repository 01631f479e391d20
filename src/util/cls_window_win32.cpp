// clsWindow's OS side on Win32: user32 for windows and input, the process API for paths and
// bitness, and the management service (WMI, cls_window_wmi_win32.cpp) for command lines. The
// topmost band, frame styles and layered attributes are the window manager's (the platform).
// Only wide APIs.
//
// Calls that would send a message to another program's thread use a time-out or the
// asynchronous form, so a hung target cannot freeze the caller.

#include <windows.h>

#include <algorithm>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/window_calls.h"
#include "util/cls_window.h"
#include "util/cls_window_wmi.h"

namespace tarvik::util {
namespace {

using platform::win32::unique_handle;
using platform::win32::window_calls::IsOwnThread;
using platform::win32::window_calls::WithoutBlocking;

constexpr UINT kMessageTimeoutMs = 2000;
constexpr UINT kMessageFlags = SMTO_ABORTIFHUNG | SMTO_NORMAL;

HWND ToHwnd(WindowHandle handle) {
  return reinterpret_cast<HWND>(handle);
}
WindowHandle FromHwnd(HWND window) {
  return reinterpret_cast<WindowHandle>(window);
}

// ---- enumeration --------------------------------------------------------------------------

struct Collected {
  std::vector<WindowHandle> handles;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) noexcept {
  try {
    reinterpret_cast<Collected*>(param)->handles.push_back(FromHwnd(window));
    return TRUE;
  } catch (const std::bad_alloc&) {
    return FALSE;
  }
}

// Joins the calling thread's input state to another thread's for a scope, so focus and
// foreground changes are allowed there.
class ThreadInputLink {
 public:
  explicit ThreadInputLink(DWORD otherThread) : self_(::GetCurrentThreadId()), other_(otherThread) {
    linked_ = other_ != 0 && other_ != self_ && ::AttachThreadInput(self_, other_, TRUE);
  }
  ~ThreadInputLink() {
    if (linked_) ::AttachThreadInput(self_, other_, FALSE);
  }
  ThreadInputLink(const ThreadInputLink&) = delete;
  ThreadInputLink& operator=(const ThreadInputLink&) = delete;

 private:
  DWORD self_;
  DWORD other_;
  bool linked_ = false;
};

unique_handle OpenProcessFor(std::uint32_t pid, DWORD access) {
  return unique_handle(::OpenProcess(access, FALSE, pid));
}

class Win32WindowSystem final : public WindowSystem {
 public:
  ~Win32WindowSystem() override { ReleaseDc(); }

  std::vector<WindowHandle> TopLevelWindows() override {
    Collected collected;
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&collected));
    return std::move(collected.handles);
  }

  std::vector<WindowHandle> Descendants(WindowHandle window) override {
    Collected collected;
    if (window != 0) {
      ::EnumChildWindows(ToHwnd(window), CollectWindow, reinterpret_cast<LPARAM>(&collected));
    }
    return std::move(collected.handles);
  }

  bool Exists(WindowHandle window) override { return ::IsWindow(ToHwnd(window)) != FALSE; }
  bool IsVisible(WindowHandle window) override {
    return ::IsWindowVisible(ToHwnd(window)) != FALSE;
  }

  std::wstring Caption(WindowHandle window) override {
    const HWND h = ToHwnd(window);
    std::wstring text;
    for (int attempt = 0; attempt < 3; ++attempt) {
      const int length = ::GetWindowTextLengthW(h);
      if (length <= 0) return {};
      text.assign(static_cast<std::size_t>(length) + 1, L'\0');
      const int copied = ::GetWindowTextW(h, text.data(), static_cast<int>(text.size()));
      text.resize(static_cast<std::size_t>(std::max(copied, 0)));
      // A text that grew in between is read again, so it always comes whole.
      if (copied < length || ::GetWindowTextLengthW(h) <= length) break;
    }
    return text;
  }

  std::wstring Text(WindowHandle window) override {
    const HWND h = ToHwnd(window);
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(h, WM_GETTEXTLENGTH, 0, 0, kMessageFlags, kMessageTimeoutMs,
                               &length)) {
      return StoredText(h);  // a stuck window still has its caption
    }
    if (length == 0) return {};
    // The reported length may be larger than the text (never smaller); keep what was copied.
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(h, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                               kMessageFlags, kMessageTimeoutMs, &copied)) {
      return StoredText(h);
    }
    text.resize(std::min<std::size_t>(copied, length));
    return text;
  }

  bool SetText(WindowHandle window, const std::wstring& text) override {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(ToHwnd(window), WM_SETTEXT, 0,
                                 reinterpret_cast<LPARAM>(text.c_str()), kMessageFlags,
                                 kMessageTimeoutMs, &result) != 0 &&
           result != 0;
  }

  std::wstring ClassName(WindowHandle window) override {
    wchar_t buffer[kMaxClassNameLength + 1] = {};
    const int length = ::GetClassNameW(ToHwnd(window), buffer, static_cast<int>(std::size(buffer)));
    return std::wstring(buffer, static_cast<std::size_t>(std::max(length, 0)));
  }

  std::intptr_t ControlId(WindowHandle window) override {
    return static_cast<std::intptr_t>(::GetWindowLongPtrW(ToHwnd(window), GWLP_ID));
  }

  std::uint32_t ProcessId(WindowHandle window) override {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(ToHwnd(window), &pid);
    return pid;
  }

  WindowHandle TopLevelAt(platform::Point point) override {
    const HWND hit = ::WindowFromPoint(POINT{point.x, point.y});
    return hit != nullptr ? FromHwnd(::GetAncestor(hit, GA_ROOT)) : 0;
  }

  std::wstring ProcessPath(std::uint32_t pid) override {
    const unique_handle process = OpenProcessFor(pid, PROCESS_QUERY_LIMITED_INFORMATION);
    if (!process) return {};
    std::wstring path(32768, L'\0');
    DWORD size = static_cast<DWORD>(path.size());
    if (!::QueryFullProcessImageNameW(process.get(), 0, path.data(), &size)) return {};
    path.resize(size);
    return path;
  }

  std::wstring ProcessCommandLine(std::uint32_t pid) override { return QueryCommandLine(pid); }

  bool IsProcess64Bit(std::uint32_t pid) override {
    const unique_handle process = OpenProcessFor(pid, PROCESS_QUERY_LIMITED_INFORMATION);
    if (!process) return false;
    BOOL targetWow = FALSE;
    if (!::IsWow64Process(process.get(), &targetWow)) return false;
    BOOL selfWow = FALSE;
    ::IsWow64Process(::GetCurrentProcess(), &selfWow);
    // A 64-bit caller runs on 64-bit Windows; a 32-bit one does when it is itself under WOW64.
    const bool windows64 = sizeof(void*) == 8 || selfWow;
    return windows64 && !targetWow;
  }

  bool TerminateProcess(std::uint32_t pid) override {
    const unique_handle process = OpenProcessFor(pid, PROCESS_TERMINATE);
    return process && ::TerminateProcess(process.get(), 1) != FALSE;
  }

  std::optional<platform::Rect> Bounds(WindowHandle window) override {
    RECT r{};
    if (!::GetWindowRect(ToHwnd(window), &r)) return std::nullopt;
    return platform::Rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
  }

  bool SetBounds(WindowHandle window, const platform::Rect& bounds) override {
    const HWND h = ToHwnd(window);
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (!IsOwnThread(h)) flags |= SWP_ASYNCWINDOWPOS;
    return ::SetWindowPos(h, nullptr, bounds.left, bounds.top, bounds.width, bounds.height,
                          flags) != FALSE;
  }

  void SetZOrder(WindowHandle window, ZPlace place) override {
    const HWND h = ToHwnd(window);
    UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    if (!IsOwnThread(h)) flags |= SWP_ASYNCWINDOWPOS;
    ::SetWindowPos(h, place == ZPlace::Top ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0, flags);
  }

  void Show(WindowHandle window, ShowCommand command) override {
    int show = SW_SHOW;
    switch (command) {
      case ShowCommand::Hide:
        show = SW_HIDE;
        break;
      case ShowCommand::Show:
        show = SW_SHOW;
        break;
      case ShowCommand::Normal:
        show = SW_RESTORE;
        break;
      case ShowCommand::Minimize:
        show = SW_MINIMIZE;
        break;
      case ShowCommand::Maximize:
        show = SW_MAXIMIZE;
        break;
    }
    const HWND h = ToHwnd(window);
    if (IsOwnThread(h)) {
      ::ShowWindow(h, show);
    } else {
      ::ShowWindowAsync(h, show);
    }
  }

  int ShowState(WindowHandle window) override {
    const HWND h = ToHwnd(window);
    if (::IsIconic(h)) return 1;
    if (::IsZoomed(h)) return 2;
    return 0;
  }

  bool Activate(WindowHandle window, bool force) override {
    const HWND h = ToHwnd(window);
    if (::IsIconic(h)) Show(window, ShowCommand::Normal);
    if (!force) return ::SetForegroundWindow(h) != FALSE;
    // Bringing to the top and joining input queues both wait on the window's thread.
    return WithoutBlocking(h, [h]() noexcept {
      const ThreadInputLink link(::GetWindowThreadProcessId(::GetForegroundWindow(), nullptr));
      ::BringWindowToTop(h);
      return ::SetForegroundWindow(h) != FALSE;
    });
  }

  bool SetKeyboardFocus(WindowHandle window) override {
    const HWND h = ToHwnd(window);
    return WithoutBlocking(h, [h]() noexcept {
      const ThreadInputLink link(::GetWindowThreadProcessId(h, nullptr));
      ::SetFocus(h);
      return ::GetFocus() == h;
    });
  }

  WindowHandle Foreground() override { return FromHwnd(::GetForegroundWindow()); }
  bool IsEnabled(WindowHandle window) override {
    return ::IsWindowEnabled(ToHwnd(window)) != FALSE;
  }
  void Enable(WindowHandle window, bool enabled) override {
    const HWND h = ToHwnd(window);
    WithoutBlocking(h, [h, enabled]() noexcept {
      ::EnableWindow(h, enabled ? TRUE : FALSE);
      return true;
    });
  }
  void Redraw(WindowHandle window) override {
    ::RedrawWindow(ToHwnd(window), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  }

  std::intptr_t DeviceContext(WindowHandle window) override {
    ReleaseDc();
    dcWindow_ = ToHwnd(window);
    dc_ = ::GetDC(dcWindow_);
    return reinterpret_cast<std::intptr_t>(dc_);
  }

  bool PostClose(WindowHandle window) override {
    return ::PostMessageW(ToHwnd(window), WM_CLOSE, 0, 0) != FALSE;
  }

  void SetCursorPos(platform::Point point) override { ::SetCursorPos(point.x, point.y); }

  void ClickMouse(int times) override {
    if (times <= 0) return;
    std::vector<INPUT> inputs(static_cast<std::size_t>(times) * 2);
    for (std::size_t i = 0; i < inputs.size(); ++i) {
      inputs[i].type = INPUT_MOUSE;
      inputs[i].mi.dwFlags = i % 2 == 0 ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    }
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  }

  bool ClickControl(WindowHandle window) override {
    const HWND h = ToHwnd(window);
    if (::CompareStringOrdinal(ClassName(window).c_str(), -1, L"Button", -1, TRUE) == CSTR_EQUAL) {
      return ::PostMessageW(h, BM_CLICK, 0, 0) != FALSE;
    }
    RECT client{};
    if (!::GetClientRect(h, &client)) return false;
    const LPARAM centre =
        MAKELPARAM((client.right - client.left) / 2, (client.bottom - client.top) / 2);
    return ::PostMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, centre) != FALSE &&
           ::PostMessageW(h, WM_LBUTTONUP, 0, centre) != FALSE;
  }

  bool SelectComboIndex(WindowHandle window, int index) override {
    const HWND combo = ToHwnd(window);
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0, kMessageFlags,
                               kMessageTimeoutMs, &result)) {
      return false;
    }
    if (static_cast<LRESULT>(result) == CB_ERR && index != -1) return false;
    // The owner hears of it as of a user's choice.
    if (const HWND parent = ::GetParent(combo)) {
      const WPARAM command = MAKEWPARAM(::GetDlgCtrlID(combo), CBN_SELCHANGE);
      ::SendMessageTimeoutW(parent, WM_COMMAND, command, reinterpret_cast<LPARAM>(combo),
                            kMessageFlags, kMessageTimeoutMs, &result);
    }
    return true;
  }

 private:
  // The text the system keeps for a window, read without asking the window.
  static std::wstring StoredText(HWND h) {
    std::wstring text(32768, L'\0');
    const int length = ::InternalGetWindowText(h, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(std::max(length, 0)));
    return text;
  }

  void ReleaseDc() {
    if (dc_ != nullptr) ::ReleaseDC(dcWindow_, dc_);
    dc_ = nullptr;
    dcWindow_ = nullptr;
  }

  HWND dcWindow_ = nullptr;
  HDC dc_ = nullptr;
};

}  // namespace

std::unique_ptr<WindowSystem> CreateNativeWindowSystem() {
  return std::make_unique<Win32WindowSystem>();
}

std::wstring CurrentLogDateTime() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return FormatLogDateTime(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
}

}  // namespace tarvik::util
