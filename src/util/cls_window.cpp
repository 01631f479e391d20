#include "util/cls_window.h"

#include <algorithm>
#include <fstream>
#include <utility>

#include "util/file_io.h"
#include "util/text_codec.h"

namespace tarvik::util {
namespace {

constexpr int kFadeStepMs = 10;
constexpr int kFinderRetryMs = 300;
constexpr int kSettleBeforeClickMs = 50;  // lets the target see the pointer arrive first
constexpr int kGlideSteps = 10;
constexpr int kGlideStepMs = 10;

std::wstring Num(std::intmax_t value) {
  return std::to_wstring(value);
}
std::wstring Flag(bool value) {
  return value ? L"True" : L"False";
}
std::wstring Opt(std::optional<int> value) {
  return value ? Num(*value) : std::wstring();
}

platform::Point Centre(const platform::Rect& r) {
  return {r.left + r.width / 2, r.top + r.height / 2};
}

}  // namespace

clsWindow::clsWindow(platform::Platform& platform)
    : clsWindow(platform, std::shared_ptr<WindowSystem>(CreateNativeWindowSystem())) {}

clsWindow::clsWindow(platform::Platform& platform, std::shared_ptr<WindowSystem> system)
    : platform_(platform), system_(std::move(system)) {
  if (!system_) system_ = std::make_shared<WindowSystem>();
}

clsWindow::~clsWindow() = default;

// ---- debug log ----------------------------------------------------------------------------

bool clsWindow::writeToFile(const std::wstring& strFileName, const std::wstring& strContent,
                            bool isCover) {
  const std::string bytes = ToUtf8(strContent + L"\r\n");
  if (isCover) return WriteFileAtomic(strFileName, bytes);
  // Appending never puts the lines already there at risk, so no temporary is needed.
  std::ofstream out(ToFsPath(strFileName), std::ios::binary | std::ios::app);
  if (!out) return false;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.flush();
  return static_cast<bool>(out);
}

void clsWindow::Log(LogKind kind, const wchar_t* name, LogPhase phase, const LogArgs& args) {
  if (!DebugMe) return;
  writeToFile(L"DEBUG.txt", DebugLogLine(CurrentLogDateTime(), kind, name, phase, args), false);
}

void clsWindow::LogText(const std::wstring& text) {
  if (!DebugMe) return;
  writeToFile(L"DEBUG.txt", text, false);
}

// ---- binding ------------------------------------------------------------------------------

clsWindow& clsWindow::Result() {
  if (!result_) result_ = std::make_unique<clsWindow>(platform_, system_);
  return *result_;
}

clsWindow& clsWindow::Bind(WindowHandle handle) {
  hwnd = handle;
  clsWindow& result = Result();
  result.hwnd = handle;
  result.DebugMe = DebugMe;
  return result;
}

// ---- geometry -----------------------------------------------------------------------------

void clsWindow::SetBoundsPart(std::optional<int> x, std::optional<int> y, std::optional<int> width,
                              std::optional<int> height) {
  if (hwnd == 0) return;
  const auto current = system_->Bounds(hwnd);
  if (!current) return;
  const platform::Rect target{x.value_or(current->left), y.value_or(current->top),
                              width.value_or(current->width), height.value_or(current->height)};
  system_->SetBounds(hwnd, target);
}

void clsWindow::Move(std::optional<int> x, std::optional<int> y, std::optional<int> nWidth,
                     std::optional<int> nHeight) {
  Log(LogKind::Function, L"Move", LogPhase::Called,
      {{L"x", Opt(x)}, {L"y", Opt(y)}, {L"nWidth", Opt(nWidth)}, {L"nHeight", Opt(nHeight)}});
  SetBoundsPart(x, y, nWidth, nHeight);
}

void clsWindow::MoveToCenter() {
  Log(LogKind::Function, L"MoveToCenter", LogPhase::Called, {});
  if (hwnd == 0) return;
  const auto bounds = system_->Bounds(hwnd);
  if (!bounds) return;
  const platform::Rect work = platform_.Screen().workArea;
  SetBoundsPart(work.left + (work.width - bounds->width) / 2,
                work.top + (work.height - bounds->height) / 2, std::nullopt, std::nullopt);
}

int clsWindow::Left() {
  const auto b = hwnd != 0 ? system_->Bounds(hwnd) : std::nullopt;
  return b ? b->left : 0;
}
void clsWindow::Left(int value) {
  SetBoundsPart(value, std::nullopt, std::nullopt, std::nullopt);
}
int clsWindow::Top() {
  const auto b = hwnd != 0 ? system_->Bounds(hwnd) : std::nullopt;
  return b ? b->top : 0;
}
void clsWindow::Top(int value) {
  SetBoundsPart(std::nullopt, value, std::nullopt, std::nullopt);
}
int clsWindow::Width() {
  const auto b = hwnd != 0 ? system_->Bounds(hwnd) : std::nullopt;
  return b ? b->width : 0;
}
void clsWindow::Width(int value) {
  SetBoundsPart(std::nullopt, std::nullopt, value, std::nullopt);
}
int clsWindow::Height() {
  const auto b = hwnd != 0 ? system_->Bounds(hwnd) : std::nullopt;
  return b ? b->height : 0;
}
void clsWindow::Height(int value) {
  SetBoundsPart(std::nullopt, std::nullopt, std::nullopt, value);
}

// ---- texts and classes --------------------------------------------------------------------

// Caption, Text, Value and Title are one text, read one way: the window's whole text.
std::wstring clsWindow::Caption() {
  return GetTextByHwnd(hwnd);
}
void clsWindow::Caption(const std::wstring& value) {
  if (hwnd != 0) system_->SetText(hwnd, value);
}
std::wstring clsWindow::Text() {
  return GetTextByHwnd(hwnd);
}
void clsWindow::Text(const std::wstring& value) {
  Caption(value);
}
std::wstring clsWindow::Value() {
  return GetTextByHwnd(hwnd);
}
void clsWindow::Value(const std::wstring& value) {
  Caption(value);
}
std::wstring clsWindow::Title() {
  return GetTextByHwnd(hwnd);
}
void clsWindow::Title(const std::wstring& value) {
  Caption(value);
}
std::wstring clsWindow::ClassName() {
  return GetClassNameByHwnd(hwnd);
}

// A handle of 0 means the bound window.
std::wstring clsWindow::GetCaptionByHwnd(WindowHandle hWnd1) {
  return GetTextByHwnd(hWnd1);
}
std::wstring clsWindow::GetTextByHwnd(WindowHandle hWnd1) {
  if (hWnd1 == 0) hWnd1 = hwnd;
  return hWnd1 != 0 ? system_->Text(hWnd1) : std::wstring();
}
std::wstring clsWindow::GetClassNameByHwnd(WindowHandle hWnd1) {
  if (hWnd1 == 0) hWnd1 = hwnd;
  return hWnd1 != 0 ? system_->ClassName(hWnd1) : std::wstring();
}
std::wstring clsWindow::GetWindowTextByHwnd(WindowHandle hWnd1) {
  return GetTextByHwnd(hWnd1);
}

// ---- state --------------------------------------------------------------------------------

void clsWindow::SetPosFront() {
  Log(LogKind::Function, L"SetPosFront", LogPhase::Called, {});
  SetTop(true);
}

void clsWindow::SetPosBottom() {
  Log(LogKind::Function, L"SetPosBottom", LogPhase::Called, {});
  if (hwnd == 0) return;
  if (!system_->SetTopmost(hwnd, false))
    platform_.SetTopMost(static_cast<platform::NativeHandle>(hwnd), false);
  system_->SetZOrder(hwnd, ZPlace::Bottom);
}

void clsWindow::SetPosNormal() {
  Log(LogKind::Function, L"SetPosNormal", LogPhase::Called, {});
  SetTop(false);
}

void clsWindow::Minimized() {
  if (hwnd != 0) system_->Show(hwnd, ShowCommand::Minimize);
}
void clsWindow::Maximized() {
  if (hwnd != 0) system_->Show(hwnd, ShowCommand::Maximize);
}
void clsWindow::Hide() {
  if (hwnd != 0) system_->Show(hwnd, ShowCommand::Hide);
}
void clsWindow::Show() {
  if (hwnd != 0) system_->Show(hwnd, ShowCommand::Show);
}
void clsWindow::Normal() {
  if (hwnd != 0) system_->Show(hwnd, ShowCommand::Normal);
}

bool clsWindow::Focus() {
  return hwnd != 0 && system_->Activate(hwnd, false);
}
bool clsWindow::Focus2() {
  return hwnd != 0 && system_->Activate(hwnd, true);
}
bool clsWindow::SetFocus() {
  return hwnd != 0 && system_->SetKeyboardFocus(hwnd);
}

int clsWindow::WindowState() {
  return hwnd != 0 ? system_->ShowState(hwnd) : 0;
}
void clsWindow::WindowState(int value) {
  if (value == 1) {
    Minimized();
  } else if (value == 2) {
    Maximized();
  } else {
    Normal();
  }
}

bool clsWindow::Visible() {
  return hwnd != 0 && system_->IsVisible(hwnd);
}
void clsWindow::Visible(bool value) {
  value ? Show() : Hide();
}
bool clsWindow::Enabled() {
  return hwnd != 0 && system_->IsEnabled(hwnd);
}
void clsWindow::Enabled(bool value) {
  if (hwnd != 0) system_->Enable(hwnd, value);
}
void clsWindow::Refresh() {
  if (hwnd != 0) system_->Redraw(hwnd);
}

void clsWindow::SetTop(bool isSetTop) {
  Log(LogKind::Function, L"SetTop", LogPhase::Called, {{L"isSetTop", Flag(isSetTop)}});
  // Another program's window is placed without waiting for its thread.
  if (hwnd != 0 && !system_->SetTopmost(hwnd, isSetTop))
    platform_.SetTopMost(static_cast<platform::NativeHandle>(hwnd), isSetTop);
}

bool clsWindow::IsTopMost(WindowHandle hWnd) {
  Log(LogKind::Function, L"IsTopMost", LogPhase::Finished, {{L"hWnd", Num(hWnd)}});
  const WindowHandle target = Target(hWnd);
  return target != 0 && platform_.IsTopMost(static_cast<platform::NativeHandle>(target));
}

bool clsWindow::IsForegroundWindow() {
  return hwnd != 0 && system_->Foreground() == hwnd;
}

void clsWindow::ZOrder(int position) {
  if (hwnd != 0) system_->SetZOrder(hwnd, position == 0 ? ZPlace::Top : ZPlace::Bottom);
}

void clsWindow::DeleteEdge() {
  if (hwnd != 0) system_->SetFrame(hwnd, false);
}
void clsWindow::RecoverEdge() {
  if (hwnd != 0) system_->SetFrame(hwnd, true);
}
std::intptr_t clsWindow::hDC() {
  return hwnd != 0 ? system_->DeviceContext(hwnd) : 0;
}

// ---- process ------------------------------------------------------------------------------

std::uint32_t clsWindow::ProcessID(WindowHandle hWnd1) {
  const WindowHandle target = Target(hWnd1);
  return target != 0 ? system_->ProcessId(target) : 0;
}
std::uint32_t clsWindow::pid() {
  return ProcessID(0);
}
bool clsWindow::IsWin64() {
  const std::uint32_t id = pid();
  return id != 0 && system_->IsProcess64Bit(id);
}
std::wstring clsWindow::AppPath() {
  const std::uint32_t id = pid();
  return id != 0 ? system_->ProcessPath(id) : std::wstring();
}
std::wstring clsWindow::AppName() {
  return FileNameOfPath(AppPath());
}
std::wstring clsWindow::AppCommandLine(std::uint32_t lPid) {
  Log(LogKind::Function, L"AppCommandLine", LogPhase::Called, {{L"lPid", Num(lPid)}});
  return lPid != 0 ? system_->ProcessCommandLine(lPid) : std::wstring();
}
std::wstring clsWindow::CommandLine() {
  return AppCommandLine(pid());
}

// ---- finders ------------------------------------------------------------------------------

bool clsWindow::FinderAccepts(const FinderQuery& query, WindowHandle window) {
  if (window == 0) return false;
  if (query.windowVisible == 0 || query.windowVisible == 1) {
    if (system_->IsVisible(window) != (query.windowVisible == 1)) return false;
  }
  switch (query.key) {
    case FinderKey::Title:
    case FinderKey::ClassName: {
      if (query.checkPid != 0 && system_->ProcessId(window) != query.checkPid) return false;
      const std::wstring text =
          query.key == FinderKey::Title ? system_->Caption(window) : system_->ClassName(window);
      return TitleMatches(text, query.pattern, query.useRegExp);
    }
    case FinderKey::AppName: {
      if (IsSkippedTitle(system_->Caption(window))) return false;
      const std::wstring name = FileNameOfPath(system_->ProcessPath(system_->ProcessId(window)));
      return TitleMatches(name, query.pattern, query.useRegExp);
    }
    case FinderKey::Pid:
      return system_->ProcessId(window) == query.pid && !IsSkippedTitle(system_->Caption(window));
  }
  return false;
}

clsWindow& clsWindow::RunFinder(const FinderQuery& query, int intWaitSeconds,
                                std::wstring* matchList) {
  const std::int64_t limitMs = static_cast<std::int64_t>(std::max(intWaitSeconds, 0)) * 1000;
  const std::uint32_t start = platform_.TickCount();
  std::vector<WindowHandle> matches;
  for (;;) {
    hwnd = 0;
    matches.clear();
    for (const WindowHandle window : system_->TopLevelWindows()) {
      if (FinderAccepts(query, window)) matches.push_back(window);
    }
    if (!matches.empty() || limitMs == 0) break;
    if (static_cast<std::int64_t>(platform_.TickCount() - start) >= limitMs) break;
    Wait(kFinderRetryMs);
  }
  if (matchList != nullptr) {
    std::wstring list;
    for (const WindowHandle window : matches) {
      if (!list.empty()) list += L' ';
      list += Num(window);
    }
    *matchList = std::move(list);
  }
  return Bind(matches.empty() ? 0 : matches.front());
}

clsWindow& clsWindow::GetWindowByTitle(const std::wstring& strTitle, int intWaitSeconds) {
  return GetWindowByTitleEx(strTitle, intWaitSeconds);
}

clsWindow& clsWindow::GetWindowByTitleEx(const std::wstring& strTitle, int intWaitSeconds,
                                         std::wstring* matchList, bool isUseRegExp,
                                         std::uint32_t checkPid, int windowVisible) {
  Log(LogKind::Function, L"GetWindowByTitleEx", LogPhase::Called,
      {{L"strTitle", strTitle},
       {L"intWaitSeconds", Num(intWaitSeconds)},
       {L"isUseRegExp", Flag(isUseRegExp)},
       {L"checkPid", Num(checkPid)},
       {L"windowVisible", Num(windowVisible)}});
  return RunFinder({FinderKey::Title, strTitle, 0, isUseRegExp, checkPid, windowVisible},
                   intWaitSeconds, matchList);
}

clsWindow& clsWindow::GetWindowByClassName(const std::wstring& strClassName, int intWaitSeconds) {
  return GetWindowByClassNameEx(strClassName, intWaitSeconds);
}

clsWindow& clsWindow::GetWindowByClassNameEx(const std::wstring& strClassName, int intWaitSeconds,
                                             std::wstring* matchList, bool isUseRegExp,
                                             std::uint32_t checkPid, int windowVisible) {
  Log(LogKind::Function, L"GetWindowByClassNameEx", LogPhase::Called,
      {{L"strClassName", strClassName},
       {L"intWaitSeconds", Num(intWaitSeconds)},
       {L"isUseRegExp", Flag(isUseRegExp)},
       {L"checkPid", Num(checkPid)},
       {L"windowVisible", Num(windowVisible)}});
  return RunFinder({FinderKey::ClassName, strClassName, 0, isUseRegExp, checkPid, windowVisible},
                   intWaitSeconds, matchList);
}

clsWindow& clsWindow::GetWindowByAppName(const std::wstring& strAppName, int intWaitSeconds) {
  return GetWindowByAppNameEx(strAppName, intWaitSeconds);
}

clsWindow& clsWindow::GetWindowByAppNameEx(const std::wstring& strAppName, int intWaitSeconds,
                                           std::wstring* matchList, bool isUseRegExp,
                                           int windowVisible) {
  Log(LogKind::Function, L"GetWindowByAppNameEx", LogPhase::Called,
      {{L"strAppName", strAppName},
       {L"intWaitSeconds", Num(intWaitSeconds)},
       {L"isUseRegExp", Flag(isUseRegExp)},
       {L"windowVisible", Num(windowVisible)}});
  return RunFinder({FinderKey::AppName, strAppName, 0, isUseRegExp, 0, windowVisible},
                   intWaitSeconds, matchList);
}

clsWindow& clsWindow::GetWindowByPID(std::uint32_t lPid, int intWaitSeconds,
                                     std::wstring* matchList, int windowVisible) {
  Log(LogKind::Function, L"GetWindowByPID", LogPhase::Called,
      {{L"lPid", Num(lPid)},
       {L"intWaitSeconds", Num(intWaitSeconds)},
       {L"windowVisible", Num(windowVisible)}});
  return RunFinder({FinderKey::Pid, L"", lPid, false, 0, windowVisible}, intWaitSeconds, matchList);
}

clsWindow* clsWindow::LoadChecked(const std::wstring& WindowHwnd) {
  const auto handle = ParseHandleText(WindowHwnd);
  if (!handle) {
    platform_.ShowMessageBox(0, NotANumberMessage(WindowHwnd), platform_.ProgramName(), 48);
    return nullptr;
  }
  if (*handle == 0 || !system_->Exists(*handle)) {
    platform_.ShowMessageBox(0, NoSuchWindowMessage(WindowHwnd), platform_.ProgramName(), 48);
    return nullptr;
  }
  return &Bind(*handle);
}

clsWindow* clsWindow::GetWindowByHwnd(const std::wstring& WindowHwnd) {
  Log(LogKind::Function, L"GetWindowByHwnd", LogPhase::Called, {{L"WindowHwnd", WindowHwnd}});
  return LoadChecked(WindowHwnd);
}

clsWindow* clsWindow::Load(const std::wstring& WindowHwnd) {
  Log(LogKind::Function, L"Load", LogPhase::Called, {{L"WindowHwnd", WindowHwnd}});
  return LoadChecked(WindowHwnd);
}

clsWindow& clsWindow::GetWindowByCursorPos() {
  const platform::Point p = platform_.CursorPos();
  return GetWindowByPoint(p.x, p.y);
}

clsWindow& clsWindow::GetWindowByPoint(int X, int Y) {
  Log(LogKind::Function, L"GetWindowByPoint", LogPhase::Called, {{L"X", Num(X)}, {L"Y", Num(Y)}});
  return Bind(system_->TopLevelAt({X, Y}));
}

bool clsWindow::CheckWindow() {
  return hwnd != 0 && system_->Exists(hwnd);
}

// ---- elements -----------------------------------------------------------------------------

std::wstring clsWindow::ControlsInfo(WindowHandle lngMainHwnd, bool isDebug) {
  controlList_.clear();
  // Handle 0 would make the platform list every window on the desktop.
  if (lngMainHwnd != 0 && system_->Exists(lngMainHwnd)) {
    const auto add = [&](WindowHandle window) {
      controlList_ += ControlListLine(window, system_->ControlId(window),
                                      system_->ClassName(window), system_->Text(window));
    };
    add(lngMainHwnd);
    for (const WindowHandle child : system_->Descendants(lngMainHwnd)) add(child);
  }
  if (isDebug) WriteFileAtomic(L"controls.txt", ToUtf8(controlList_));
  Log(LogKind::Procedure, L"ControlsInfo", LogPhase::Finished,
      {{L"lngMainHwnd", Num(lngMainHwnd)}, {L"isDebug", Flag(isDebug)}});
  return controlList_;
}

WindowHandle clsWindow::getMatchHwndFromWindow(const std::wstring& pattern, int intIndex,
                                               bool UseRegExp, bool byClass) {
  const std::wstring list = ControlsInfo(hwnd, DebugMe);
  const ControlMatch match = FindControlInList(list, pattern, intIndex, UseRegExp, byClass);
  if (DebugMe) LogText(MatchCountLogLine(CurrentLogDateTime(), match.matchCount));
  return match.handle;
}

std::wstring clsWindow::GetElementTextByClassName(const std::wstring& strClassName, int intIndex,
                                                  bool UseRegExp) {
  Log(LogKind::Function, L"GetElementTextByClassName", LogPhase::Called,
      {{L"strClassName", strClassName},
       {L"intIndex", Num(intIndex)},
       {L"UseRegExp", Flag(UseRegExp)}});
  const WindowHandle control = getMatchHwndFromWindow(strClassName, intIndex, UseRegExp, true);
  return control != 0 ? system_->Text(control) : std::wstring();
}

std::wstring clsWindow::GetElementTextByText(const std::wstring& strText, int intIndex,
                                             bool UseRegExp) {
  Log(LogKind::Function, L"GetElementTextByText", LogPhase::Called,
      {{L"strText", strText}, {L"intIndex", Num(intIndex)}, {L"UseRegExp", Flag(UseRegExp)}});
  const WindowHandle control = getMatchHwndFromWindow(strText, intIndex, UseRegExp, false);
  return control != 0 ? system_->Text(control) : std::wstring();
}

bool clsWindow::SetElementTextByClassName(const std::wstring& strClassName,
                                          const std::wstring& strNewText, int intIndex,
                                          bool UseRegExp) {
  Log(LogKind::Function, L"SetElementTextByClassName", LogPhase::Called,
      {{L"strClassName", strClassName},
       {L"strNewText", strNewText},
       {L"intIndex", Num(intIndex)},
       {L"UseRegExp", Flag(UseRegExp)}});
  const WindowHandle control = getMatchHwndFromWindow(strClassName, intIndex, UseRegExp, true);
  return control != 0 && system_->SetText(control, strNewText);
}

bool clsWindow::SetElementTextByText(const std::wstring& strText, const std::wstring& strNewText,
                                     int intIndex, bool UseRegExp) {
  Log(LogKind::Function, L"SetElementTextByText", LogPhase::Called,
      {{L"strText", strText},
       {L"strNewText", strNewText},
       {L"intIndex", Num(intIndex)},
       {L"UseRegExp", Flag(UseRegExp)}});
  const WindowHandle control = getMatchHwndFromWindow(strText, intIndex, UseRegExp, false);
  return control != 0 && system_->SetText(control, strNewText);
}

bool clsWindow::AppendElementTextByClassName(const std::wstring& strClassName,
                                             const std::wstring& strAppendText, int intIndex,
                                             bool UseRegExp) {
  Log(LogKind::Function, L"AppendElementTextByClassName", LogPhase::Called,
      {{L"strClassName", strClassName},
       {L"strAppendText", strAppendText},
       {L"intIndex", Num(intIndex)},
       {L"UseRegExp", Flag(UseRegExp)}});
  const WindowHandle control = getMatchHwndFromWindow(strClassName, intIndex, UseRegExp, true);
  return control != 0 && system_->SetText(control, system_->Text(control) + strAppendText);
}

WindowHandle clsWindow::GetElementHwndByClassName(const std::wstring& strClassName, int intIndex,
                                                  bool UseRegExp) {
  Log(LogKind::Function, L"GetElementHwndByClassName", LogPhase::Called,
      {{L"strClassName", strClassName},
       {L"intIndex", Num(intIndex)},
       {L"UseRegExp", Flag(UseRegExp)}});
  return getMatchHwndFromWindow(strClassName, intIndex, UseRegExp, true);
}

WindowHandle clsWindow::GetElementHwndByText(const std::wstring& strText, int intIndex,
                                             bool UseRegExp) {
  Log(LogKind::Function, L"GetElementHwndByText", LogPhase::Called,
      {{L"strText", strText}, {L"intIndex", Num(intIndex)}, {L"UseRegExp", Flag(UseRegExp)}});
  return getMatchHwndFromWindow(strText, intIndex, UseRegExp, false);
}

bool clsWindow::ClickElementByClassName(const std::wstring& strClassName, int intIndex,
                                        bool UseRegExp) {
  Log(LogKind::Function, L"ClickElementByClassName", LogPhase::Called,
      {{L"strClassName", strClassName},
       {L"intIndex", Num(intIndex)},
       {L"UseRegExp", Flag(UseRegExp)}});
  const WindowHandle control = getMatchHwndFromWindow(strClassName, intIndex, UseRegExp, true);
  return control != 0 && system_->ClickControl(control);
}

bool clsWindow::ClickElementByText(const std::wstring& strText, int intIndex, bool UseRegExp) {
  Log(LogKind::Function, L"ClickElementByText", LogPhase::Called,
      {{L"strText", strText}, {L"intIndex", Num(intIndex)}, {L"UseRegExp", Flag(UseRegExp)}});
  const WindowHandle control = getMatchHwndFromWindow(strText, intIndex, UseRegExp, false);
  return control != 0 && system_->ClickControl(control);
}

bool clsWindow::SelectComboBoxIndex(int intIndex, WindowHandle hCombo) {
  Log(LogKind::Function, L"SelectComboBoxIndex", LogPhase::Called,
      {{L"intIndex", Num(intIndex)}, {L"hCombo", Num(hCombo)}});
  const WindowHandle combo = Target(hCombo);
  return combo != 0 && intIndex >= -1 && system_->SelectComboIndex(combo, intIndex);
}

// ---- mouse --------------------------------------------------------------------------------

platform::Point clsWindow::ResolvePoint(int x, int y, const std::wstring& PositionMod,
                                        const wchar_t* memberName) {
  auto mode = ParsePositionMode(PositionMod);
  if (!mode) {
    if (DebugMe) LogText(CurrentLogDateTime() + UnknownClickModeText(memberName));
    mode = PositionMode::Relative;
  }
  if (*mode == PositionMode::Absolute || hwnd == 0) return {x, y};
  const auto bounds = system_->Bounds(hwnd);
  if (!bounds) return {x, y};
  return {bounds->left + x, bounds->top + y};
}

void clsWindow::Click() {
  Log(LogKind::Function, L"Click", LogPhase::Called, {});
  const auto bounds = hwnd != 0 ? system_->Bounds(hwnd) : std::nullopt;
  if (bounds) {
    system_->SetCursorPos(Centre(*bounds));
    Wait(kSettleBeforeClickMs);
  }
  system_->ClickMouse(1);
}

void clsWindow::ClickPoint(int x1, int y1, const std::wstring& PositionMod, int clickTimes,
                           int delayMilliSecondsBefore, int delayMilliSecondsAfter) {
  Log(LogKind::Function, L"ClickPoint", LogPhase::Called,
      {{L"x1", Num(x1)},
       {L"y1", Num(y1)},
       {L"PositionMod", PositionMod},
       {L"clickTimes", Num(clickTimes)},
       {L"delayMilliSecondsBefore", Num(delayMilliSecondsBefore)},
       {L"delayMilliSecondsAfter", Num(delayMilliSecondsAfter)}});
  const platform::Point target = ResolvePoint(x1, y1, PositionMod, L"ClickPoint");
  if (delayMilliSecondsBefore > 0) Wait(delayMilliSecondsBefore);
  system_->SetCursorPos(target);
  Wait(kSettleBeforeClickMs);
  if (clickTimes > 0) system_->ClickMouse(clickTimes);
  if (delayMilliSecondsAfter > 0) Wait(delayMilliSecondsAfter);
}

void clsWindow::ClickCurrentPoint(int clickTimes) {
  Log(LogKind::Function, L"ClickCurrentPoint", LogPhase::Called,
      {{L"clickTimes", Num(clickTimes)}});
  if (clickTimes > 0) system_->ClickMouse(clickTimes);
}

void clsWindow::SetCursor(int x, int y, const std::wstring& PositionMod) {
  Log(LogKind::Function, L"SetCursor", LogPhase::Called,
      {{L"x", Num(x)}, {L"y", Num(y)}, {L"PositionMod", PositionMod}});
  system_->SetCursorPos(ResolvePoint(x, y, PositionMod, L"SetCursor"));
}

void clsWindow::SetPoint(int x, int y) {
  system_->SetCursorPos({x, y});
}

void clsWindow::MoveCursor(int dx, int dy) {
  const platform::Point p = platform_.CursorPos();
  system_->SetCursorPos({p.x + dx, p.y + dy});
}

void clsWindow::MoveCursorTo(int x, int y) {
  const platform::Point from = platform_.CursorPos();
  for (int i = 1; i <= kGlideSteps; ++i) {
    system_->SetCursorPos(
        {from.x + (x - from.x) * i / kGlideSteps, from.y + (y - from.y) * i / kGlideSteps});
    if (i < kGlideSteps) Wait(kGlideStepMs);
  }
}

platform::Point clsWindow::GetCursorPosCurrent() {
  return platform_.CursorPos();
}

platform::Point clsWindow::GetCursorPoint() {
  const platform::Point p = platform_.CursorPos();
  const auto bounds = hwnd != 0 ? system_->Bounds(hwnd) : std::nullopt;
  if (!bounds) return p;
  return {p.x - bounds->left, p.y - bounds->top};
}

// ---- closing ------------------------------------------------------------------------------

bool clsWindow::CloseWindow(WindowHandle hWnd1) {
  Log(LogKind::Function, L"CloseWindow", LogPhase::Called, {{L"hWnd1", Num(hWnd1)}});
  const WindowHandle target = Target(hWnd1);
  return target != 0 && system_->PostClose(target);
}

bool clsWindow::CloseApp(WindowHandle hWnd1) {
  Log(LogKind::Function, L"CloseApp", LogPhase::Called, {{L"hWnd1", Num(hWnd1)}});
  const std::uint32_t id = ProcessID(hWnd1);
  return id != 0 && system_->TerminateProcess(id);
}

// ---- effects ------------------------------------------------------------------------------

void clsWindow::Shake(int shakeShift, int shakeRepeats, int shakePads, int shakeInterval) {
  const auto bounds = hwnd != 0 ? system_->Bounds(hwnd) : std::nullopt;
  if (bounds) {
    for (const int offset : ShakeOffsets(shakeShift, shakeRepeats, shakePads)) {
      platform::Rect moved = *bounds;
      moved.left += offset;
      system_->SetBounds(hwnd, moved);
      if (offset != 0 && shakeInterval > 0) Wait(shakeInterval);
    }
  }
  Log(LogKind::Function, L"Shake", LogPhase::Finished,
      {{L"shakeShift", Num(shakeShift)},
       {L"shakeRepeats", Num(shakeRepeats)},
       {L"shakePads", Num(shakePads)},
       {L"shakeInterval", Num(shakeInterval)}});
}

void clsWindow::FadeIn(int speed) {
  if (hwnd != 0) {
    system_->SetAlpha(hwnd, 0);
    system_->Show(hwnd, ShowCommand::Show);
    for (const std::uint8_t alpha : FadeSteps(0, 255, speed)) {
      system_->SetAlpha(hwnd, alpha);
      if (alpha != 255) Wait(kFadeStepMs);
    }
  }
  Log(LogKind::Function, L"FadeIn", LogPhase::Finished, {{L"speed", Num(speed)}});
}

void clsWindow::FadeOut(int speed, bool isCloseWindow, bool isCloseApp) {
  const WindowHandle target = hwnd;
  if (target != 0) {
    for (const std::uint8_t alpha : FadeSteps(255, 0, speed)) {
      system_->SetAlpha(target, alpha);
      if (alpha != 0) Wait(kFadeStepMs);
    }
    if (isCloseApp) {
      CloseApp(target);
    } else if (isCloseWindow) {
      CloseWindow(target);
    } else {
      system_->Show(target, ShowCommand::Hide);
      system_->SetAlpha(target, 255);
    }
  }
  Log(LogKind::Function, L"FadeOut", LogPhase::Finished,
      {{L"speed", Num(speed)},
       {L"isCloseWindow", Flag(isCloseWindow)},
       {L"isCloseApp", Flag(isCloseApp)}});
}

bool clsWindow::Transparent(const std::wstring& Percent) {
  Log(LogKind::Function, L"Transparent", LogPhase::Called, {{L"Percent", Percent}});
  const auto opacity = ParseOpacity(Percent);
  return opacity && hwnd != 0 && system_->SetAlpha(hwnd, OpacityToAlpha(*opacity));
}
bool clsWindow::MakeTransparent(const std::wstring& Percent) {
  return Transparent(Percent);
}
bool clsWindow::SetTransparent(const std::wstring& Percent) {
  return Transparent(Percent);
}

bool clsWindow::AlphaBlend(int alpha) {
  Log(LogKind::Function, L"AlphaBlend", LogPhase::Called, {{L"alpha", Num(alpha)}});
  return hwnd != 0 && system_->SetAlpha(hwnd, static_cast<std::uint8_t>(std::clamp(alpha, 0, 255)));
}

bool clsWindow::TransparentColor(platform::Color color) {
  Log(LogKind::Function, L"TransparentColor", LogPhase::Called, {{L"color", Num(color)}});
  return hwnd != 0 && system_->SetColorKey(hwnd, color);
}

}  // namespace tarvik::util
