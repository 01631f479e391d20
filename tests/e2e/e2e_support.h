#pragma once
// Helpers for driving another process's windows from the e2e driver: owned handles, a child
// process that cannot outlive the driver, window lookup, list-box reading and real input.

#include <windows.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tarvik::e2e {

// Move-only owner of a kernel handle.
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept;
  ~UniqueHandle() { Reset(); }

  HANDLE Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Release();
  void Reset(HANDLE handle = nullptr);

 private:
  HANDLE handle_ = nullptr;
};

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
  ChildProcess(UniqueHandle process, DWORD id) : process_(std::move(process)), id_(id) {}
  UniqueHandle process_;
  DWORD id_ = 0;
};

// Polls a condition until it holds or the time runs out; true when it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs = 50);

// Text of another process's window or control, read with WM_GETTEXT (bounded wait).
std::wstring ReadWindowText(HWND window);
std::wstring ClassNameOf(HWND window);
// Visible on screen: the window and all its ancestors are shown.
bool IsShown(HWND window);

// Visible top-level windows whose caption is exactly `caption`; of one process if pid != 0.
std::vector<HWND> FindTopLevelWindows(const std::wstring& caption, DWORD pid = 0);
// Every descendant of `parent` whose class name equals `className` (case-insensitive).
std::vector<HWND> FindDescendants(HWND parent, const std::wstring& className);

// Items of a list box in another process (LB_GETCOUNT / LB_GETTEXTLEN / LB_GETTEXT).
std::optional<std::vector<std::wstring>> ReadListBox(HWND listBox);

// Real input, as a user would give it: the pointer is moved first and allowed to settle,
// then the button goes down and up.
void ClickAt(POINT screenPoint);
void ClickClientPoint(HWND window, int x, int y);
void ClickCentre(HWND window);
void TypeText(const std::wstring& text);

// Every file below `folder` (relative path -> bytes), for before/after comparisons.
using FolderSnapshot = std::map<std::wstring, std::string>;
FolderSnapshot SnapshotFolder(const std::filesystem::path& folder);
// Empty when equal, else a short description of the first difference.
std::wstring CompareSnapshots(const FolderSnapshot& before, const FolderSnapshot& after);

bool WriteBytes(const std::filesystem::path& file, const std::string& bytes);
std::string ToUtf8(const std::wstring& text);
std::wstring Join(const std::vector<std::wstring>& items, const std::wstring& separator);

}  // namespace tarvik::e2e
