#include "e2e_support.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
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

std::optional<ChildProcess> ChildProcess::Start(const fs::path& exe, std::wstring* error) {
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

void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
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

std::optional<std::vector<std::wstring>> ReadListBox(HWND listBox) {
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

std::optional<RECT> ListBoxItemRect(HWND listBox, int index) {
  RECT item{};
  DWORD_PTR result = 0;
  if (index < 0 ||
      !SendBounded(listBox, LB_GETITEMRECT, static_cast<WPARAM>(index),
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

FolderSnapshot SnapshotFolder(const fs::path& folder) {
  FolderSnapshot snapshot;
  std::error_code error;
  for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    const std::wstring relative = fs::relative(it->path(), folder).wstring();
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

bool WriteBytes(const fs::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.flush();
  return static_cast<bool>(out);
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

namespace {

// Reads any window by handle; it is never bound, so it holds no state between calls.
util::clsWindow& Reader() {
  static util::clsWindow reader(DriverPlatform());
  return reader;
}

}  // namespace

std::wstring TextOf(HWND window) {
  return window != nullptr ? Reader().GetTextByHwnd(ToHandle(window)) : std::wstring();
}

std::wstring ClassOf(HWND window) {
  return window != nullptr ? Reader().GetClassNameByHwnd(ToHandle(window)) : std::wstring();
}

bool IsShown(HWND window) {
  Bound probe(window);
  return window != nullptr && probe.object.CheckWindow() && probe.object.Visible();
}

bool IsTopMost(HWND window) {
  return Reader().IsTopMost(ToHandle(window));
}

std::vector<HWND> Descendants(HWND window) {
  static const std::unique_ptr<util::WindowSystem> system = util::CreateNativeWindowSystem();
  std::vector<HWND> found;
  for (WindowHandle child : system->Descendants(ToHandle(window))) {
    found.push_back(ToHwnd(child));
  }
  return found;
}

std::vector<HWND> ShownWindows(DWORD pid, const std::wstring& caption) {
  util::clsWindow finder(DriverPlatform());
  std::wstring list;
  finder.GetWindowByTitleEx(L"^" + caption + L"$", 0, &list, true, pid, 1);
  std::vector<HWND> windows;
  std::wistringstream tokens(list);
  for (std::wstring token; tokens >> token;) {
    windows.push_back(ToHwnd(static_cast<WindowHandle>(std::stoll(token))));
  }
  return windows;
}

HWND ShownWindow(DWORD pid, const std::wstring& caption) {
  const std::vector<HWND> windows = ShownWindows(pid, caption);
  return windows.empty() ? nullptr : windows.front();
}

std::wstring ControlsOf(HWND window) {
  util::clsWindow lister(DriverPlatform());
  return L"; controls:\r\n" + lister.ControlsInfo(ToHandle(window));
}

RECT ScreenRect(HWND window) {
  RECT rc{};
  GetWindowRect(window, &rc);
  return rc;
}

void PointerTo(POINT at) {
  Reader().SetCursor(at.x, at.y, L"absolute");
  Sleep(kSettleMs);
}

void SendMouse(DWORD flags, DWORD data) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  input.mi.mouseData = data;
  SendInput(1, &input, sizeof(input));
  Sleep(50);
}

void ClickAt(POINT at, int times) {
  PointerTo(at);
  Reader().ClickPoint(at.x, at.y, L"absolute", times, 0, kSettleMs);
}

void ClickCentre(HWND window) {
  const RECT rc = ScreenRect(window);
  ClickAt({(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
}

std::wstring DoubleClickListItem(HWND listBox, int index) {
  const std::optional<RECT> item = ListBoxItemRect(listBox, index);
  if (!item) return L"no rectangle for list item " + std::to_wstring(index);
  RECT client{};
  GetClientRect(listBox, &client);
  POINT centre{(item->left + item->right) / 2, (item->top + item->bottom) / 2};
  if (!PtInRect(&client, centre)) {
    return L"list item " + std::to_wstring(index) + L" is scrolled out of view";
  }
  ClientToScreen(listBox, &centre);
  ClickAt(centre, 2);
  return {};
}

void Drag(POINT from, POINT to) {
  PointerTo(from);
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  Sleep(kSettleMs);
  for (int step = 1; step <= 5; ++step) {
    SetCursorPos(from.x + (to.x - from.x) * step / 5, from.y + (to.y - from.y) * step / 5);
    Sleep(60);
  }
  Sleep(kSettleMs);
  SendMouse(MOUSEEVENTF_LEFTUP);
  Sleep(kSettleMs);
  // A move or size loop in the program holds the X pointer grab, and Wine does not warp the
  // pointer for another process meanwhile: the real pointer stayed at `from`, and Wine takes
  // the position back from it at its next look. A warp now puts it at `to`; it goes off the
  // point and back, since a warp to where Wine already has it is skipped.
  SetCursorPos(to.x + (to.x > 0 ? -1 : 1), to.y);
  Sleep(kSettleMs);
  PointerTo(to);
}

void SendKeys(const std::vector<WORD>& keys) {
  std::vector<INPUT> input;
  for (WORD key : keys) input.push_back(INPUT{INPUT_KEYBOARD, {.ki = {key, 0, 0, 0, 0}}});
  for (auto it = keys.rbegin(); it != keys.rend(); ++it) {
    input.push_back(INPUT{INPUT_KEYBOARD, {.ki = {*it, 0, KEYEVENTF_KEYUP, 0, 0}}});
  }
  SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
}

void SendKey(WORD key, bool down) {
  INPUT input{INPUT_KEYBOARD, {.ki = {key, 0, down ? 0u : KEYEVENTF_KEYUP, 0, 0}}};
  SendInput(1, &input, sizeof(input));
  Sleep(50);
}

bool ScreenshotsWanted() {
  return GetEnvironmentVariableW(L"TARVIK_E2E_SHOTS", nullptr, 0) > 0;
}

void Screenshot(const std::wstring& name) {
  wchar_t folder[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"TARVIK_E2E_SHOTS", folder, MAX_PATH) == 0) return;
  std::ofstream(fs::path(folder) / (name + L".want")).put('\n');
  WaitUntil([&] { return fs::exists(fs::path(folder) / (name + L".png")); }, kReactionTimeoutMs);
}

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::wstring Describe(const std::vector<std::wstring>& items) {
  return L"[" + Join(items, L" | ") + L"]";
}

std::wstring Describe(const RECT& rc) {
  return L"(" + std::to_wstring(rc.left) + L"," + std::to_wstring(rc.top) + L" " +
         std::to_wstring(rc.right - rc.left) + L"x" + std::to_wstring(rc.bottom - rc.top) + L")";
}

std::wstring Quoted(const std::wstring& text) {
  std::wstring quoted = L"\"";
  for (wchar_t c : text) {
    quoted += c == L'\r'   ? std::wstring(L"\\r")
              : c == L'\n' ? std::wstring(L"\\n")
                           : std::wstring(1, c);
  }
  return quoted + L"\"";
}

// ---- Program ---------------------------------------------------------------------------------

Program::Program(const fs::path& sourceExe, const std::wstring& name,
                 const std::vector<NoteFile>& notes, const std::string& config) {
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  folder_ =
      fs::path(temp) / (L"tarvik-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" + name);
  std::error_code error;
  fs::remove_all(folder_, error);
  fs::create_directories(NotesFolder(), error);
  fs::copy_file(sourceExe, Exe(), fs::copy_options::overwrite_existing, error);
  if (error) problem_ = L"cannot copy the program to " + folder_.wstring();
  for (const NoteFile& note : notes) {
    if (!WriteBytes(NotesFolder() / note.fileName, ToUtf8(note.title + L"\r\n" + note.text))) {
      problem_ = L"cannot write " + note.fileName;
    }
  }
  if (!config.empty() && !WriteBytes(ConfigFile(), config)) problem_ = L"cannot write Config.ini";
}

Program::~Program() {
  End();
  std::error_code error;
  fs::remove_all(folder_, error);
}

std::wstring Program::Start() {
  if (auto error = Launch(); !error.empty()) return error;
  return WaitForMain();
}

std::wstring Program::Launch() {
  if (!problem_.empty()) return problem_;
  End();
  std::wstring error;
  process_ = ChildProcess::Start(Exe(), &error);
  return process_ ? std::wstring() : error;
}

std::wstring Program::WaitForMain() {
  if (!process_) return L"the program was not started";
  WaitUntil([&] { return (main_ = Find(L"Tarvik")) != nullptr || !process_->IsRunning(); },
            kStartTimeoutMs);
  if (main_ != nullptr) {
    SetForegroundWindow(main_);
    Sleep(300);
    return {};
  }
  if (!process_->IsRunning()) return L"the program ended before showing its window";
  return L"no visible window captioned \"Tarvik\" within " +
         std::to_wstring(kStartTimeoutMs / 1000) + L" s";
}

void Program::End() {
  if (process_) process_->Terminate();
  process_.reset();
  main_ = nullptr;
}

namespace {

// Within a pixel: a scaled length may round either way.
bool Near(LONG length, int expected) {
  return length >= expected - 1 && length <= expected + 1;
}

// The square panels directly in `parent` of that size, left to right.
std::vector<HWND> SquarePanels(HWND parent, int size) {
  std::vector<HWND> panels;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const RECT rc = ScreenRect(child);
    if (ClassOf(child) == L"TarvikPanel" && Near(rc.right - rc.left, size) &&
        Near(rc.bottom - rc.top, size)) {
      panels.push_back(child);
    }
  }
  std::sort(panels.begin(), panels.end(),
            [](HWND a, HWND b) { return ScreenRect(a).left < ScreenRect(b).left; });
  return panels;
}

bool LabelShown(HWND main, const std::wstring& text) {
  for (HWND c : Descendants(main)) {
    if (ClassOf(c) == L"Static" && IsShown(c) && TextOf(c) == text) return true;
  }
  return false;
}

}  // namespace

HWND Program::MenuBar() const {
  for (HWND child = GetWindow(main_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const RECT rc = ScreenRect(child);
    if (ClassOf(child) == L"TarvikPanel" && Near(rc.bottom - rc.top, Px(24))) return child;
  }
  return nullptr;
}

HWND Program::MenuButton(int index) const {
  const auto buttons = SquarePanels(MenuBar(), Px(20));
  if (buttons.size() != 5) return nullptr;
  return buttons[static_cast<std::size_t>(4 - index)];
}

HWND Program::NoteList() const {
  HWND best = nullptr;
  for (HWND c : Descendants(main_)) {
    if (ClassOf(c) != L"ListBox") continue;
    const RECT rc = ScreenRect(c);
    const RECT page = ScreenRect(GetParent(c));
    if (!Near(rc.left - page.left, Px(4)) || !Near(rc.top - page.top, Px(40))) continue;
    if (best == nullptr || rc.bottom < ScreenRect(best).bottom) best = c;
  }
  return best;
}

std::vector<HWND> Program::ListButtons() const {
  std::vector<HWND> buttons = SquarePanels(GetParent(NoteList()), Px(29));
  if (buttons.size() != 6) buttons.clear();
  return buttons;
}

HWND Program::ListButton(int index) const {
  const auto buttons = ListButtons();
  if (buttons.empty()) return nullptr;
  return buttons[static_cast<std::size_t>(index == 5 ? 0 : index + 1)];
}

std::vector<HWND> Program::TextBoxes(bool multiLine) const {
  std::vector<HWND> boxes;
  for (HWND c : Descendants(main_)) {
    if (_wcsicmp(ClassOf(c).c_str(), L"Edit") == 0 && IsShown(c) &&
        ((GetWindowLongPtrW(c, GWL_STYLE) & ES_MULTILINE) != 0) == multiLine) {
      boxes.push_back(c);
    }
  }
  return boxes;
}

HWND Program::TextBox(bool multiLine) const {
  const auto boxes = TextBoxes(multiLine);
  return boxes.empty() ? nullptr : boxes.front();
}

std::wstring Program::Page() const {
  std::wstring page;
  if (TextBox(true) != nullptr) page += L"editor";
  if (IsShown(NoteList())) page += L"list";
  if (LabelShown(main_, L"置顶窗口")) page += L"+options";
  if (LabelShown(main_, L"工具还在设计中")) page += L"+tools";
  return page;
}

std::wstring Program::WaitForPage(const std::wstring& expected) const {
  std::wstring seen;
  if (WaitUntil([&] { return (seen = Page()) == expected; }, kReactionTimeoutMs)) return {};
  return L"expected page " + expected + L", the window shows " + seen;
}

std::vector<std::wstring> Program::Titles() const {
  return ReadListBox(NoteList()).value_or(std::vector<std::wstring>{});
}

HWND Program::WaitForDialog(const std::wstring& caption) const {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        found = FindWindowW(L"#32770", caption.c_str());
        return found != nullptr && IsWindowVisible(found);
      },
      kReactionTimeoutMs);
  return found;
}

std::wstring Program::EnterFileName(const std::wstring& caption, const std::wstring& path,
                                    HWND& dialog) const {
  dialog = WaitForDialog(caption);
  if (dialog == nullptr) return L"no dialog captioned " + caption;
  HWND nameBox = nullptr;
  WaitUntil(
      [&] {
        for (HWND c : Descendants(dialog)) {
          if (ClassOf(c) == L"Edit" && IsShown(c)) return (nameBox = c) != nullptr;
        }
        return false;
      },
      kReactionTimeoutMs);
  if (nameBox == nullptr) return L"the dialog " + caption + L" shows no name box";
  Bound(nameBox).object.Text(path);
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  return {};
}

std::wstring Program::AnswerFileDialog(const std::wstring& caption,
                                       const std::wstring& path) const {
  HWND dialog = nullptr;
  if (std::wstring error = EnterFileName(caption, path, dialog); !error.empty()) return error;
  // Closed, and its modal wait over: the main window takes input again.
  if (!WaitUntil([&] { return !IsShown(dialog) && IsWindowEnabled(main_); }, kReactionTimeoutMs)) {
    return L"the dialog " + caption + L" stayed open";
  }
  return {};
}

// ---- the question box ------------------------------------------------------------------------

HWND WaitForQuestionBox(DWORD pid, DWORD timeoutMs) {
  HWND box = nullptr;
  WaitUntil([&] { return (box = ShownWindow(pid, L"提示")) != nullptr; }, timeoutMs);
  return box;
}

std::wstring QuestionText(HWND box) {
  for (HWND child : Descendants(box)) {
    if (ClassOf(child) == L"Static") return TextOf(child);
  }
  return {};
}

void AnswerQuestion(HWND box, bool yes) {
  POINT at = yes ? kTickCentre : kCrossCentre;
  ClientToScreen(box, &at);
  ClickAt(at);
}

}  // namespace tarvik::e2e
