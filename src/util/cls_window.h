#pragma once
// clsWindow drives other programs' windows: it finds a top-level window by title, class,
// program name, process id, handle or screen point; reads and writes the texts of its child
// controls; clicks, moves the cursor, closes, hides, shakes, fades and makes windows
// transparent. The main window keeps one and asks it IsTopMost on every timer tick.
//
// What the class needs from the OS goes through a WindowSystem, and through the platform's
// roles for the topmost band, frames, layered attributes, the clock, the screen and the
// pointer. The Win32 backend's system talks to user32 (and WMI for command lines); the
// headless backend's has no windows (nothing is found, every action does nothing), and tests
// plug in a fake. The finders and the control lookup are therefore the same code on every
// build.
//
// Choices where a user of such a class has to be told what happens:
// - Handles are numbers; 0 means "the bound window" wherever a handle argument is optional.
// - Finders: windowVisible 0 keeps only hidden windows, 1 only visible ones, anything else
//   all; the short forms (GetWindowByTitle, ...) look at visible windows only. checkPid is a
//   process id: when it is not 0, only that process's windows can match.
// - Geometry is in screen pixels; MoveToCenter centres the window in the work area.
// - SetPosFront / SetPosNormal / SetTop put the window into or out of the topmost band;
//   SetPosBottom and ZOrder(1) send it to the bottom, ZOrder(0) to the front of its band.
// - Mouse positions with PositionMod "relative" count from the bound window's top-left
//   corner (the screen's when nothing is bound); "absolute" are screen pixels; anything
//   else is logged and taken as relative. Clicks are real input (the cursor moves).
// - ClickElement... posts the click to the control itself (a button gets BM_CLICK, any other
//   control a left press and release at its centre), so the user's cursor stays where it
//   is and a modal dialog opened by the click does not block the caller.
// - SelectComboBoxIndex selects item intIndex (0-based, -1 clears) of the combo box given,
//   or of the bound window, and tells its parent as a user's selection would (CBN_SELCHANGE).
// - Shake swings the window left and right shakeShift pixels, shakeRepeats times, waiting
//   shakeInterval ms between moves; each repeat the swing shrinks by shakePads pixels (0: it
//   stays the same), and the window ends where it started.
// - FadeIn / FadeOut step the opacity by speed (1..255) every 10 ms. FadeIn shows the
//   window; FadeOut then closes the window or ends its program if asked, and otherwise
//   hides it and restores full opacity, so a later Show shows it whole.
// - Transparent / MakeTransparent / SetTransparent take an opacity: "0.4" or ".4" is a
//   fraction, "40" and "40%" are percentages (over 100 counts as 100); 0 is invisible.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "util/window_patterns.h"

namespace tarvik::util {

enum class ZPlace { Top, Bottom };
enum class ShowCommand { Hide, Show, Normal, Minimize, Maximize };

// The OS side of clsWindow that the platform does not offer. The Win32 backend's talks to
// user32; the headless backend's has no windows (nothing is found, every action does
// nothing); tests plug in a fake.
class WindowSystem {
 public:
  virtual ~WindowSystem() = default;
  WindowSystem() = default;
  WindowSystem(const WindowSystem&) = delete;
  WindowSystem& operator=(const WindowSystem&) = delete;

  // Windows and what they say about themselves.
  virtual std::vector<WindowHandle> TopLevelWindows() = 0;  // z-order, top first
  virtual std::vector<WindowHandle> Descendants(WindowHandle window) = 0;
  virtual bool Exists(WindowHandle window) = 0;
  virtual bool IsVisible(WindowHandle window) = 0;
  virtual std::wstring Caption(WindowHandle window) = 0;  // a top-level window's title
  virtual std::wstring Text(WindowHandle window) = 0;     // any window's text, whole
  virtual bool SetText(WindowHandle window, const std::wstring& text) = 0;
  virtual std::wstring ClassName(WindowHandle window) = 0;
  virtual std::intptr_t ControlId(WindowHandle window) = 0;
  virtual std::uint32_t ProcessId(WindowHandle window) = 0;
  virtual WindowHandle TopLevelAt(platform::Point screenPoint) = 0;

  // Processes.
  virtual std::wstring ProcessPath(std::uint32_t pid) = 0;
  virtual std::wstring ProcessCommandLine(std::uint32_t pid) = 0;
  virtual bool IsProcess64Bit(std::uint32_t pid) = 0;
  virtual bool TerminateProcess(std::uint32_t pid) = 0;

  // Geometry and state.
  virtual std::optional<platform::Rect> Bounds(WindowHandle window) = 0;
  virtual bool SetBounds(WindowHandle window, const platform::Rect& bounds) = 0;
  virtual void SetZOrder(WindowHandle window, ZPlace place) = 0;
  virtual void Show(WindowHandle window, ShowCommand command) = 0;
  virtual int ShowState(WindowHandle window) = 0;  // 0 normal, 1 minimised, 2 maximised
  virtual bool Activate(WindowHandle window, bool force) = 0;
  virtual bool SetKeyboardFocus(WindowHandle window) = 0;
  virtual WindowHandle Foreground() = 0;
  virtual bool IsEnabled(WindowHandle window) = 0;
  virtual void Enable(WindowHandle window, bool enabled) = 0;
  virtual void Redraw(WindowHandle window) = 0;
  virtual std::intptr_t DeviceContext(WindowHandle window) = 0;
  virtual bool PostClose(WindowHandle window) = 0;

  // Input.
  virtual void SetCursorPos(platform::Point screenPoint) = 0;
  virtual void ClickMouse(int times) = 0;  // left button at the cursor
  virtual bool ClickControl(WindowHandle control) = 0;
  virtual bool SelectComboIndex(WindowHandle combo, int index) = 0;
};

// The system of the backend this program is built for.
std::unique_ptr<WindowSystem> CreateNativeWindowSystem();

class clsWindow {
 public:
  using Roles = platform::Roles<platform::WindowManager, platform::Display, platform::Clock,
                                platform::SystemDialogs, platform::ProcessServices>;
  explicit clsWindow(Roles platform);  // on the backend's own system
  // A null system means the backend's own.
  clsWindow(Roles platform, std::shared_ptr<WindowSystem> system);
  ~clsWindow();
  clsWindow(const clsWindow&) = delete;
  clsWindow& operator=(const clsWindow&) = delete;

  WindowHandle hwnd = 0;  // the bound window; 0 = none
  bool DebugMe = false;   // log to "DEBUG.txt"; the control lookup also writes "controls.txt"

  // ---- geometry (screen pixels) -----------------------------------------------------------
  void Move(std::optional<int> x, std::optional<int> y = std::nullopt,
            std::optional<int> nWidth = std::nullopt, std::optional<int> nHeight = std::nullopt);
  void MoveToCenter();
  int Left();
  void Left(int value);
  int Top();
  void Top(int value);
  int Width();
  void Width(int value);
  int Height();
  void Height(int value);

  // ---- texts and classes ------------------------------------------------------------------
  std::wstring Caption();
  void Caption(const std::wstring& value);
  std::wstring Text();
  void Text(const std::wstring& value);
  std::wstring Value();
  void Value(const std::wstring& value);
  std::wstring Title();
  void Title(const std::wstring& value);
  std::wstring ClassName();
  std::wstring GetCaptionByHwnd(WindowHandle hWnd1);
  std::wstring GetTextByHwnd(WindowHandle hWnd1);
  std::wstring GetClassNameByHwnd(WindowHandle hWnd1);
  std::wstring GetWindowTextByHwnd(WindowHandle hWnd1);

  // ---- state ------------------------------------------------------------------------------
  void SetPosFront();
  void SetPosBottom();
  void SetPosNormal();
  void Minimized();
  void Maximized();
  void Hide();
  void Show();
  void Normal();
  bool Focus();       // brings the window to the foreground
  bool Focus2();      // the same, also when another program holds the foreground
  bool SetFocus();    // keyboard focus to the bound window (a control)
  int WindowState();  // 0 normal, 1 minimised, 2 maximised
  void WindowState(int value);
  bool Visible();
  void Visible(bool value);
  bool Enabled();
  void Enabled(bool value);
  void Refresh();
  void SetTop(bool isSetTop);
  bool IsTopMost(WindowHandle hWnd = 0);
  bool IsForegroundWindow();
  void ZOrder(int position = 0);
  void DeleteEdge();
  void RecoverEdge();
  std::intptr_t hDC();  // valid until the next hDC call or the end of this object

  // ---- process ----------------------------------------------------------------------------
  std::uint32_t ProcessID(WindowHandle hWnd1 = 0);
  std::uint32_t pid();
  bool IsWin64();
  std::wstring AppPath();
  std::wstring AppName();
  std::wstring AppCommandLine(std::uint32_t lPid);  // "" when it cannot be read
  std::wstring CommandLine();

  // ---- finders: bind hwnd and the result object, and return the result object ----------
  clsWindow& GetWindowByTitle(const std::wstring& strTitle, int intWaitSeconds = 0);
  clsWindow& GetWindowByTitleEx(const std::wstring& strTitle, int intWaitSeconds = 0,
                                std::wstring* matchList = nullptr, bool isUseRegExp = false,
                                std::uint32_t checkPid = 0, int windowVisible = 1);
  clsWindow& GetWindowByClassName(const std::wstring& strClassName, int intWaitSeconds = 0);
  clsWindow& GetWindowByClassNameEx(const std::wstring& strClassName, int intWaitSeconds = 0,
                                    std::wstring* matchList = nullptr, bool isUseRegExp = false,
                                    std::uint32_t checkPid = 0, int windowVisible = 1);
  clsWindow& GetWindowByAppName(const std::wstring& strAppName, int intWaitSeconds = 0);
  clsWindow& GetWindowByAppNameEx(const std::wstring& strAppName, int intWaitSeconds = 0,
                                  std::wstring* matchList = nullptr, bool isUseRegExp = false,
                                  int windowVisible = 1);
  clsWindow& GetWindowByPID(std::uint32_t lPid, int intWaitSeconds = 0,
                            std::wstring* matchList = nullptr, int windowVisible = 1);
  // A handle given as text. Not a number, or no such window: a warning box, nothing is
  // bound and the result is null.
  clsWindow* GetWindowByHwnd(const std::wstring& WindowHwnd);
  clsWindow* Load(const std::wstring& WindowHwnd);
  clsWindow& GetWindowByCursorPos();
  clsWindow& GetWindowByPoint(int X, int Y);
  bool CheckWindow();  // the bound window still exists

  // ---- elements: child controls of the bound window ---------------------------------------
  std::wstring GetElementTextByClassName(const std::wstring& strClassName, int intIndex = 1,
                                         bool UseRegExp = false);
  std::wstring GetElementTextByText(const std::wstring& strText, int intIndex = 1,
                                    bool UseRegExp = false);
  bool SetElementTextByClassName(const std::wstring& strClassName, const std::wstring& strNewText,
                                 int intIndex = 1, bool UseRegExp = false);
  bool SetElementTextByText(const std::wstring& strText, const std::wstring& strNewText,
                            int intIndex = 1, bool UseRegExp = false);
  bool AppendElementTextByClassName(const std::wstring& strClassName,
                                    const std::wstring& strAppendText, int intIndex = 1,
                                    bool UseRegExp = false);
  WindowHandle GetElementHwndByClassName(const std::wstring& strClassName, int intIndex = 1,
                                         bool UseRegExp = false);
  WindowHandle GetElementHwndByText(const std::wstring& strText, int intIndex = 1,
                                    bool UseRegExp = false);
  bool ClickElementByClassName(const std::wstring& strClassName, int intIndex = 1,
                               bool UseRegExp = false);
  bool ClickElementByText(const std::wstring& strText, int intIndex = 1, bool UseRegExp = false);
  bool SelectComboBoxIndex(int intIndex, WindowHandle hCombo = 0);
  // The control list of lngMainHwnd and all its descendants (empty for no window); with
  // isDebug it is also written to "controls.txt".
  std::wstring ControlsInfo(WindowHandle lngMainHwnd, bool isDebug = false);
  const std::wstring& ControlList() const { return controlList_; }

  // ---- mouse ------------------------------------------------------------------------------
  void Click();  // a left click at the centre of the bound window
  void ClickPoint(int x1, int y1, const std::wstring& PositionMod = L"relative", int clickTimes = 1,
                  int delayMilliSecondsBefore = 0, int delayMilliSecondsAfter = 0);
  void ClickCurrentPoint(int clickTimes = 1);
  void SetCursor(int x, int y, const std::wstring& PositionMod = L"relative");
  void SetPoint(int x, int y);            // screen pixels
  void MoveCursor(int dx, int dy);        // from where the cursor is
  void MoveCursorTo(int x, int y);        // glides to a screen point in 10 steps over ~100 ms
  platform::Point GetCursorPosCurrent();  // screen pixels
  platform::Point GetCursorPoint();       // relative to the bound window's top-left corner

  // ---- closing ----------------------------------------------------------------------------
  bool CloseWindow(WindowHandle hWnd1 = 0);  // posts a close request
  bool CloseApp(WindowHandle hWnd1 = 0);     // ends the window's process

  // ---- effects ----------------------------------------------------------------------------
  void Shake(int shakeShift = 10, int shakeRepeats = 5, int shakePads = 2, int shakeInterval = 20);
  void FadeIn(int speed = 15);
  void FadeOut(int speed = 15, bool isCloseWindow = false, bool isCloseApp = false);
  bool Transparent(const std::wstring& Percent);
  bool MakeTransparent(const std::wstring& Percent);
  bool SetTransparent(const std::wstring& Percent);
  bool AlphaBlend(int alpha);                    // 0..255, clamped
  bool TransparentColor(platform::Color color);  // pixels of this colour become see-through

  // ---- misc -------------------------------------------------------------------------------
  // Keeps messages flowing while milliseconds pass (on the headless backend: the simulated
  // clock moves on).
  void Wait(std::int32_t milliseconds);
  static std::wstring Version() { return L"V2.2"; }
  // Writes strContent and CR LF as UTF-8; isCover replaces the file, otherwise appends.
  // False when it could not be written.
  static bool writeToFile(const std::wstring& strFileName, const std::wstring& strContent,
                          bool isCover);

 private:
  enum class FinderKey { Title, ClassName, AppName, Pid };
  struct FinderQuery {
    FinderKey key = FinderKey::Title;
    std::wstring pattern;
    std::uint32_t pid = 0;
    bool useRegExp = false;
    std::uint32_t checkPid = 0;
    int windowVisible = 1;
  };

  WindowHandle Target(WindowHandle hWnd1) const { return hWnd1 != 0 ? hWnd1 : hwnd; }
  clsWindow& Result();
  clsWindow& Bind(WindowHandle handle);
  clsWindow& RunFinder(const FinderQuery& query, int intWaitSeconds, std::wstring* matchList);
  bool FinderAccepts(const FinderQuery& query, WindowHandle window);
  clsWindow* LoadChecked(const std::wstring& WindowHwnd);
  // Makes the window layered and sets its alpha (flag kLayeredAlpha) or colour key, keeping
  // the other attribute it has.
  bool SetLayered(WindowHandle target, std::uint32_t flag, platform::Color key, std::uint8_t alpha);
  bool SetAlpha(WindowHandle target, std::uint8_t alpha);
  // A warning box captioned with the program's name.
  void ShowWarning(const std::wstring& text);
  WindowHandle getMatchHwndFromWindow(const std::wstring& pattern, int intIndex, bool UseRegExp,
                                      bool byClass);
  void SetBoundsPart(std::optional<int> x, std::optional<int> y, std::optional<int> width,
                     std::optional<int> height);
  platform::Point ResolvePoint(int x, int y, const std::wstring& PositionMod,
                               const wchar_t* memberName);

  void Log(LogKind kind, const wchar_t* name, LogPhase phase, const LogArgs& args = {});
  void LogText(const std::wstring& text);

  // Frame bits DeleteEdge took off each window (style, extended style), for RecoverEdge;
  // shared with the result object.
  using SavedFrames = std::map<WindowHandle, std::pair<std::uint32_t, std::uint32_t>>;

  Roles roles_;
  platform::WindowManager& windows_;
  platform::Display& display_;
  platform::Clock& clock_;
  std::shared_ptr<WindowSystem> system_;
  std::shared_ptr<SavedFrames> savedFrames_ = std::make_shared<SavedFrames>();
  std::unique_ptr<clsWindow> result_;
  std::wstring controlList_;
};

// "yyyy-mm-dd hh:nn:ss" of the local clock now.
std::wstring CurrentLogDateTime();

}  // namespace tarvik::util
