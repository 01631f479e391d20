#include "e2e_support.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <memory>
#include <system_error>

#include "platform/win32/win32_platform.h"

namespace tarvik::e2e {

namespace {

// Cross-process messages never block the driver for long, even if the program hangs.
constexpr UINT kMessageTimeoutMs = 2000;

bool SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
  return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                             kMessageTimeoutMs, result) != 0;
}

HANDLE KillOnCloseJob() {
  static const unique_handle job = [] {
    unique_handle created(CreateJobObjectW(nullptr, nullptr));
    if (created) {
      JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
      limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
      SetInformationJobObject(created.get(), JobObjectExtendedLimitInformation, &limits,
                              sizeof(limits));
    }
    return created;
  }();
  return job.get();
}

}  // namespace

platform::Platform& DriverPlatform() {
  static const std::unique_ptr<platform::Platform> platform =
      platform::win32::CreateWin32Platform(GetModuleHandleW(nullptr));
  return *platform;
}

std::optional<ChildProcess> ChildProcess::Start(const std::filesystem::path& exe,
                                                std::wstring* error) {
  std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
  const std::wstring folder = exe.parent_path().wstring();
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                      nullptr, folder.c_str(), &startup, &info)) {
    if (error != nullptr) {
      *error = L"CreateProcess failed, error " + std::to_wstring(GetLastError());
    }
    return std::nullopt;
  }
  // Joined before it runs a single instruction, so it cannot escape the job.
  if (HANDLE job = KillOnCloseJob(); job != nullptr) {
    AssignProcessToJobObject(job, info.hProcess);
  }
  ResumeThread(info.hThread);
  CloseHandle(info.hThread);
  return ChildProcess(unique_handle(info.hProcess), info.dwProcessId);
}

ChildProcess::~ChildProcess() {
  Terminate();
}

bool ChildProcess::IsRunning() const {
  return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

bool ChildProcess::WaitForExit(DWORD timeoutMs) const {
  return !process_ || WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0;
}

void ChildProcess::Terminate() {
  if (IsRunning()) {
    TerminateProcess(process_.get(), 1);
    WaitForSingleObject(process_.get(), 5000);
  }
}

RECT ScreenRect(HWND window) {
  RECT rc{};
  GetWindowRect(window, &rc);
  return rc;
}

void PointerTo(POINT at) {
  SetCursorPos(at.x, at.y);
  Sleep(150);
}

void Drag(POINT from, POINT to) {
  const auto button = [](DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof(input));
    Sleep(150);
  };
  PointerTo(from);
  button(MOUSEEVENTF_LEFTDOWN);
  for (int step = 1; step <= 5; ++step) {
    SetCursorPos(from.x + (to.x - from.x) * step / 5, from.y + (to.y - from.y) * step / 5);
    Sleep(60);
  }
  Sleep(150);
  button(MOUSEEVENTF_LEFTUP);
}

HWND WaitForQuestionBox(DWORD pid, DWORD timeoutMs) {
  struct Search {
    DWORD pid;
    HWND found;
  } search{pid, nullptr};
  WaitUntil(
      [&] {
        search.found = nullptr;
        EnumWindows(
            [](HWND window, LPARAM data) {
              auto* s = reinterpret_cast<Search*>(data);
              DWORD owner = 0;
              GetWindowThreadProcessId(window, &owner);
              wchar_t caption[16] = {};
              DWORD_PTR copied = 0;
              SendMessageTimeoutW(window, WM_GETTEXT, 16, reinterpret_cast<LPARAM>(caption),
                                  SMTO_ABORTIFHUNG, 1000, &copied);
              if (owner == s->pid && IsWindowVisible(window) && std::wstring(caption) == L"提示") {
                s->found = window;
                return FALSE;
              }
              return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      timeoutMs);
  return search.found;
}

std::wstring QuestionText(HWND box) {
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t name[16] = {};
    GetClassNameW(child, name, 16);
    if (std::wstring(name) != L"Static") continue;
    wchar_t text[256] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(child, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        1000, &copied);
    return text;
  }
  return {};
}

void AnswerQuestion(HWND box, bool yes) {
  // The tick at 144,40 and the cross at 184,40, 30 x 30 pixels each, in the box's client area.
  POINT at{yes ? 159 : 199, 55};
  ClientToScreen(box, &at);
  SetCursorPos(at.x, at.y);
  Sleep(150);
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_MOUSE;
  input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(1, &input[0], sizeof(INPUT));
  Sleep(100);
  SendInput(1, &input[1], sizeof(INPUT));
  Sleep(150);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if (condition()) {
      return true;
    }
    if (GetTickCount64() >= deadline) {
      return false;
    }
    Sleep(pollMs);
  }
}

std::optional<std::vector<std::wstring>> ReadListBox(WindowHandle listBoxHandle) {
  const HWND listBox = ToHwnd(listBoxHandle);
  DWORD_PTR count = 0;
  if (!SendBounded(listBox, LB_GETCOUNT, 0, 0, &count) || static_cast<LRESULT>(count) == LB_ERR) {
    return std::nullopt;
  }
  std::vector<std::wstring> items;
  for (WPARAM i = 0; i < count; ++i) {
    DWORD_PTR length = 0;
    if (!SendBounded(listBox, LB_GETTEXTLEN, i, 0, &length) ||
        static_cast<LRESULT>(length) == LB_ERR) {
      return std::nullopt;
    }
    std::wstring item(static_cast<size_t>(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendBounded(listBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item.data()), &copied) ||
        static_cast<LRESULT>(copied) == LB_ERR) {
      return std::nullopt;
    }
    item.resize(std::min<size_t>(static_cast<size_t>(copied), item.size() - 1));
    items.push_back(std::move(item));
  }
  return items;
}

std::optional<RECT> ListBoxItemRect(WindowHandle listBox, int index) {
  RECT item{};
  DWORD_PTR result = 0;
  if (index < 0 ||
      !SendBounded(ToHwnd(listBox), LB_GETITEMRECT, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(&item), &result) ||
      static_cast<LRESULT>(result) == LB_ERR) {
    return std::nullopt;
  }
  return item;
}

void TypeText(const std::wstring& text) {
  for (wchar_t unit : text) {
    INPUT keys[2] = {};
    for (INPUT& key : keys) {
      key.type = INPUT_KEYBOARD;
      key.ki.wScan = unit;
      key.ki.dwFlags = KEYEVENTF_UNICODE;
    }
    keys[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
    Sleep(40);
  }
}

FolderSnapshot SnapshotFolder(const std::filesystem::path& folder) {
  FolderSnapshot snapshot;
  std::error_code error;
  for (std::filesystem::recursive_directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    const std::wstring relative = std::filesystem::relative(it->path(), folder).wstring();
    if (it->is_directory(error)) {
      snapshot[relative + L"\\"] = {};
      continue;
    }
    std::ifstream in(it->path(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    snapshot[relative] = in ? bytes.str() : std::string("<unreadable>");
  }
  return snapshot;
}

std::wstring CompareSnapshots(const FolderSnapshot& before, const FolderSnapshot& after) {
  for (const auto& [name, bytes] : before) {
    const auto found = after.find(name);
    if (found == after.end()) {
      return name + L" disappeared";
    }
    if (found->second != bytes) {
      return name + L" changed";
    }
  }
  for (const auto& [name, bytes] : after) {
    if (before.find(name) == before.end()) {
      return name + L" appeared";
    }
  }
  return {};
}

bool WriteBytes(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.flush();
  return static_cast<bool>(out);
}

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) {
    return {};
  }
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

std::wstring Join(const std::vector<std::wstring>& items, const std::wstring& separator) {
  std::wstring joined;
  for (size_t i = 0; i < items.size(); ++i) {
    joined += (i == 0 ? L"" : separator) + items[i];
  }
  return joined;
}

COLORREF ScreenPixel(HWND window, POINT client) {
  ClientToScreen(window, &client);
  const HDC screen = GetDC(nullptr);
  const COLORREF colour = GetPixel(screen, client.x, client.y);
  ReleaseDC(nullptr, screen);
  return colour;
}

bool NearColour(COLORREF a, COLORREF b) {
  const auto within = [](int x, int y) { return x - y <= 24 && y - x <= 24; };
  return within(GetRValue(a), GetRValue(b)) && within(GetGValue(a), GetGValue(b)) &&
         within(GetBValue(a), GetBValue(b));
}

std::wstring HexColour(COLORREF colour) {
  wchar_t text[16];
  swprintf(text, 16, L"#%02X%02X%02X", GetRValue(colour), GetGValue(colour), GetBValue(colour));
  return text;
}

}  // namespace tarvik::e2e
