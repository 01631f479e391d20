#pragma once
// The e2e driver's harness: the one launcher of the program under test, the case lists, and
// the helpers for what clsWindow does not cover (a child process that cannot outlive the
// driver, list boxes of another process, real input, folder snapshots, the screen). Windows
// are found and read through clsWindow and its WindowSystem, whose messages all time out.
// Every wait here ends after a time.

#include <windows.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/handles.h"
#include "util/cls_window.h"
#include "util/text_codec.h"

namespace tarvik::e2e {

namespace fs = std::filesystem;
using platform::win32::unique_handle;
using util::FromUtf8;
using util::ToUtf8;
using util::WindowHandle;

// Start-up under a cold Wine server can take several seconds; a warm one well under one.
constexpr DWORD kStartTimeoutMs = 30000;
// How long the program may take to answer an input.
constexpr DWORD kReactionTimeoutMs = 5000;
// Under Wine without a window manager a moved pointer needs a moment before a click lands.
constexpr DWORD kSettleMs = 150;
// Two timer ticks and some: long enough for a window that would move to have moved.
constexpr DWORD kNoChangeMs = 600;
const std::wstring kUntitled = L"[无标题]";

// ---- the cases -------------------------------------------------------------------------------

// A case returns an empty string when it held, else why it did not.
struct Case {
  std::wstring name;
  std::function<std::wstring()> run;
};
using Cases = std::vector<Case>;

// The steps of one session that several cases share: the first step starts it, and a step after
// a failed start or step says so instead of acting on a broken session.
template <typename Session>
auto SessionSteps(const std::filesystem::path& exe) {
  struct Run {
    explicit Run(const std::filesystem::path& e) : session(e) {}
    Session session;
    std::optional<std::wstring> started;
    bool failed = false;
  };
  const auto run = std::make_shared<Run>(exe);
  return [run](std::wstring (Session::*act)()) -> std::function<std::wstring()> {
    return [run, act]() -> std::wstring {
      if (!run->started) run->started = run->session.Start();
      if (!run->started->empty()) return *run->started;
      if (run->failed) return L"an earlier step failed";
      std::wstring failure = (run->session.*act)();
      run->failed = !failure.empty();
      return failure;
    };
  };
}

// In the driver's own process.
Cases ClsWindowCases();
Cases RobustnessCases();
// Against the program copied from exe.
Cases QuestionCases(const fs::path& exe);
Cases MainWindowCases(const fs::path& exe);
Cases CommandCases(const fs::path& exe);
Cases SettingsCases(const fs::path& exe);
Cases FloatCases(const fs::path& exe);
Cases KeyboardCases(const fs::path& exe);
Cases DeskCases(const fs::path& exe);
Cases ClickCases(const fs::path& exe);
// On a desk of two monitors side by side (see monitor_cases.cpp); run only as their group.
Cases MonitorCases(const fs::path& exe);
// The program on a desk of another scale; with `full`, also the 96-dpi reference run.
Cases DpiCases(const fs::path& exe, bool full);

// ---- windows ---------------------------------------------------------------------------------

inline WindowHandle ToHandle(HWND window) {
  return reinterpret_cast<WindowHandle>(window);
}
inline HWND ToHwnd(WindowHandle handle) {
  return reinterpret_cast<HWND>(handle);
}

// The one real Win32 platform of the driver; every clsWindow it makes is built on it.
platform::Platform& DriverPlatform();

// A clsWindow bound to `window` (0: nothing bound).
struct Bound {
  explicit Bound(WindowHandle window) : object(DriverPlatform()) { object.hwnd = window; }
  explicit Bound(HWND window) : Bound(ToHandle(window)) {}
  util::clsWindow object;
};

std::wstring TextOf(HWND window);
std::wstring ClassOf(HWND window);
// Shown on screen: the window and all its ancestors are visible.
bool IsShown(HWND window);
bool IsTopMost(HWND window);
std::vector<HWND> Descendants(HWND window);
// The visible top-level window of process pid (any process for 0) whose caption is exactly
// `caption` (a regular expression without special characters); null when there is none.
HWND ShownWindow(DWORD pid, const std::wstring& caption);
// All of them, for counting.
std::vector<HWND> ShownWindows(DWORD pid, const std::wstring& caption);
// The control list of a window, for failure messages.
std::wstring ControlsOf(HWND window);

RECT ScreenRect(HWND window);
// Items of a list box in another process; nothing when it did not answer.
std::optional<std::vector<std::wstring>> ReadListBox(HWND listBox);
// An item's rectangle in the list box's client coordinates, for aiming a real click at it.
std::optional<RECT> ListBoxItemRect(HWND listBox, int index);

// ---- real input ------------------------------------------------------------------------------

// Moves the pointer, then waits a moment: under Wine a click right after a move misses.
void PointerTo(POINT at);
// One mouse event (MOUSEEVENTF_...), then a moment.
void SendMouse(DWORD flags, DWORD data = 0);
void ClickAt(POINT at, int times = 1);
void ClickCentre(HWND window);
// A real double-click on the centre of a list box item; empty, or why it could not be given.
std::wstring DoubleClickListItem(HWND listBox, int index);
// A press at from, a drag in steps to to, a release: what a user's hand does. The pointer
// is left at to.
void Drag(POINT from, POINT to);
// Presses the keys in order and lets them go in reverse, as a chord is typed.
void SendKeys(const std::vector<WORD>& keys);
void SendKey(WORD key, bool down);
// Key input into whatever has the focus, one UTF-16 unit at a time.
void TypeText(const std::wstring& text);

// ---- the screen ------------------------------------------------------------------------------

// The colour the screen shows at a point of a window's client area, as a person sees it.
COLORREF ScreenPixel(HWND window, POINT client);
// Equal within a little, so anti-aliasing and colour depth do not matter.
bool NearColour(COLORREF a, COLORREF b);
std::wstring HexColour(COLORREF colour);
// With TARVIK_E2E_SHOTS naming a folder, asks whoever watches it for a screenshot: writes
// <name>.want and waits a while for <name>.png.
void Screenshot(const std::wstring& name);
// Whether screenshots are asked for, so steps that only set up a picture can be left out.
bool ScreenshotsWanted();

// ---- waiting, files, texts -------------------------------------------------------------------

// Handles what is waiting for the calling thread's windows.
void PumpMessages();
// Polls a condition until it holds or the time runs out; true when it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs = 50);

// Every file below `folder` (relative path -> bytes), for before/after comparisons.
using FolderSnapshot = std::map<std::wstring, std::string>;
FolderSnapshot SnapshotFolder(const fs::path& folder);
// Empty when equal, else a short description of the first difference.
std::wstring CompareSnapshots(const FolderSnapshot& before, const FolderSnapshot& after);

bool WriteBytes(const fs::path& file, const std::string& bytes);
std::string ReadAll(const fs::path& file);
std::wstring Join(const std::vector<std::wstring>& items, const std::wstring& separator);
std::wstring Describe(const std::vector<std::wstring>& items);
std::wstring Describe(const RECT& rc);
// Line breaks made visible, for failure messages.
std::wstring Quoted(const std::wstring& text);

// ---- the program under test ------------------------------------------------------------------

// A started program. Every process is put in one kill-on-close job, so nothing the driver
// started keeps running when the driver ends, however it ends.
class ChildProcess {
 public:
  static std::optional<ChildProcess> Start(const fs::path& exe, std::wstring* error);

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

struct NoteFile {
  std::wstring fileName;
  std::wstring title;
  std::wstring text;
};

// The program in a fresh program folder of its own under the temporary folder, with the
// given notes and Config.ini text (none when empty). Started with Start, ended by force
// (a close would ask first, and nothing is to be saved); the folder goes with the object.
class Program {
 public:
  Program(const fs::path& sourceExe, const std::wstring& name,
          const std::vector<NoteFile>& notes = {}, const std::string& config = {});
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  const fs::path& Folder() const { return folder_; }
  fs::path Exe() const { return folder_ / L"Tarvik.exe"; }
  fs::path NotesFolder() const { return folder_ / L"Notes"; }
  fs::path ConfigFile() const { return folder_ / L"Config.ini"; }

  // Starts the program and waits for its main window, which it brings to the front; empty
  // on success, else why not.
  std::wstring Start();
  // Starts the program without waiting for its window (a question may come first), and the
  // wait Start does, once the window is to come.
  std::wstring Launch();
  std::wstring WaitForMain();
  void End();
  bool IsRunning() const { return process_ && process_->IsRunning(); }
  DWORD Id() const { return process_ ? process_->Id() : 0; }
  bool WaitForExit(DWORD timeoutMs) const { return !process_ || process_->WaitForExit(timeoutMs); }
  HWND Main() const { return main_; }
  // A shown top-level window of the program with this caption.
  HWND Find(const std::wstring& caption) const { return ShownWindow(Id(), caption); }

  // The pixels per inch the program was started at (see DeskDpi), so the finders below look
  // for its controls at their scaled sizes.
  void SetDpi(int dpi) { dpi_ = dpi; }
  // Pixels on the program's desk for a length in 96-dpi pixels.
  int Px(int designPixels) const { return (designPixels * dpi_ + 48) / 96; }

  // The menu bar: the panel 24 pixels high across the top.
  HWND MenuBar() const;
  // Menu button by index: 0 close, 1 float, 2 options, 3 tools, 4 list (leftmost).
  HWND MenuButton(int index) const;
  // The title list: at 4,40 of the list page, where the search results lie too, 10 pixels
  // taller.
  HWND NoteList() const;
  // The list page's six 29 x 29 buttons, left to right: Find, New, Delete, Clear, Export,
  // Import; empty when there are not six.
  std::vector<HWND> ListButtons() const;
  // List-page button by index: 5 find (leftmost), then 0 new ... 4 import.
  HWND ListButton(int index) const;
  // The shown one-line or multi-line text boxes of the main window.
  std::vector<HWND> TextBoxes(bool multiLine) const;
  HWND TextBox(bool multiLine) const;
  // What the window shows: "editor" or "list", with "+options" / "+tools" over it.
  std::wstring Page() const;
  // Empty once the window shows that page, else what it shows instead.
  std::wstring WaitForPage(const std::wstring& expected) const;
  std::vector<std::wstring> Titles() const;
  // A shown dialog with this caption, once it is up; null when none came within the time.
  HWND WaitForDialog(const std::wstring& caption) const;
  // Types a path into the file dialog with this caption and confirms it, as typing a name and
  // pressing Enter; empty when it could, else why not.
  std::wstring EnterFileName(const std::wstring& caption, const std::wstring& path,
                             HWND& dialog) const;
  // The same, and the dialog closes; empty when it did, else why not.
  std::wstring AnswerFileDialog(const std::wstring& caption, const std::wstring& path) const;

 private:
  fs::path folder_;
  std::wstring problem_;
  std::optional<ChildProcess> process_;
  HWND main_ = nullptr;
  int dpi_ = 96;
};

// ---- the program's question box --------------------------------------------------------------

// The client-area centres of the box's tick (yes) and cross (no).
constexpr POINT kTickCentre{144 + 15, 40 + 15};
constexpr POINT kCrossCentre{184 + 15, 40 + 15};

// The question box ("提示") of process pid, once it is shown; null when none came up within
// the time.
HWND WaitForQuestionBox(DWORD pid, DWORD timeoutMs);
// The question the box asks.
std::wstring QuestionText(HWND box);
// A real click on the box's tick (yes) or cross (no).
void AnswerQuestion(HWND box, bool yes);

}  // namespace tarvik::e2e
