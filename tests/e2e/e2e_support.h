#pragma once
// Helpers of the e2e driver for what clsWindow does not cover: a child process that cannot
// outlive the driver, list-box items read across processes, typing, folder snapshots. The
// windows themselves are found, read and clicked through clsWindow.

#include <windows.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/handles.h"
#include "util/cls_window.h"

namespace tarvik::e2e {

using platform::win32::unique_handle;
using util::WindowHandle;

inline WindowHandle ToHandle(HWND window) {
  return reinterpret_cast<WindowHandle>(window);
}
inline HWND ToHwnd(WindowHandle handle) {
  return reinterpret_cast<HWND>(handle);
}

// The one real Win32 platform of the driver; every clsWindow it makes is built on it.
platform::Platform& DriverPlatform();

// A started program. Every process is put in one kill-on-close job, so nothing the driver
// started keeps running when the driver ends, however it ends.
class ChildProcess {
 public:
  static std::optional<ChildProcess> Start(const std::filesystem::path& exe, std::wstring* error);

  ChildProcess(ChildProcess&&) = default;
  ChildProcess& operator=(ChildProcess&&) = default;
  ~ChildProcess();

  DWORD Id() const { return id_; }
  bool IsRunning() const;
  // True when the process ended within the time.
  bool WaitForExit(DWORD timeoutMs) const;
  void Terminate();

 private:
  ChildProcess(unique_handle process, DWORD id) : process_(std::move(process)), id_(id) {}
  unique_handle process_;
  DWORD id_ = 0;
};

// Polls a condition until it holds or the time runs out; true when it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs = 50);

// Items of a list box in another process (LB_GETCOUNT / LB_GETTEXTLEN / LB_GETTEXT); clsWindow
// reads window texts only.
std::optional<std::vector<std::wstring>> ReadListBox(WindowHandle listBox);

// An item's rectangle in the list box's client coordinates (LB_GETITEMRECT), for aiming a
// real click at it.
std::optional<RECT> ListBoxItemRect(WindowHandle listBox, int index);

// Real key input into whatever has the focus, one UTF-16 unit at a time.
void TypeText(const std::wstring& text);

// Every file below `folder` (relative path -> bytes), for before/after comparisons.
using FolderSnapshot = std::map<std::wstring, std::string>;
FolderSnapshot SnapshotFolder(const std::filesystem::path& folder);
// Empty when equal, else a short description of the first difference.
std::wstring CompareSnapshots(const FolderSnapshot& before, const FolderSnapshot& after);

// The window's rectangle on the screen.
RECT ScreenRect(HWND window);
// Moves the pointer, then waits a moment: under Wine a click right after a move misses.
void PointerTo(POINT at);
// A press at from, a drag in steps to to, a release: what a user's hand does.
void Drag(POINT from, POINT to);

// The program's own question box ("提示") of process pid, once it is shown; null when none
// came up within the time.
HWND WaitForQuestionBox(DWORD pid, DWORD timeoutMs);
// The question the box asks.
std::wstring QuestionText(HWND box);
// A real click on the box's tick (yes) or cross (no).
void AnswerQuestion(HWND box, bool yes);
// The colour the screen shows at a point of a window's client area, as a person sees it.
COLORREF ScreenPixel(HWND window, POINT client);
// Equal within a little, so anti-aliasing and colour depth do not matter.
bool NearColour(COLORREF a, COLORREF b);
std::wstring HexColour(COLORREF colour);

bool WriteBytes(const std::filesystem::path& file, const std::string& bytes);
std::string ToUtf8(const std::wstring& text);
std::wstring Join(const std::vector<std::wstring>& items, const std::wstring& separator);

}  // namespace tarvik::e2e
