// clsWindow's finders (a top-level window by title, class, program, process, handle or
// point) and its lookup of the bound window's child controls.

#include <algorithm>
#include <utility>

#include "util/cls_window.h"
#include "util/cls_window_log.h"
#include "util/file_io.h"
#include "util/text_codec.h"

namespace tarvik::util {

using namespace cls_window_detail;

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
  const std::uint32_t start = clock_.TickCount();
  std::vector<WindowHandle> matches;
  for (;;) {
    hwnd = 0;
    matches.clear();
    for (const WindowHandle window : system_->TopLevelWindows()) {
      if (FinderAccepts(query, window)) matches.push_back(window);
    }
    if (!matches.empty() || limitMs == 0) break;
    if (static_cast<std::int64_t>(clock_.TickCount() - start) >= limitMs) break;
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

void clsWindow::ShowWarning(const std::wstring& text) {
  roles_.Get<platform::SystemDialogs>().ShowMessageBox(
      0, text, roles_.Get<platform::ProcessServices>().ProgramName(), 48);
}

clsWindow* clsWindow::LoadChecked(const std::wstring& WindowHwnd) {
  const auto handle = ParseHandleText(WindowHwnd);
  if (!handle) {
    ShowWarning(NotANumberMessage(WindowHwnd));
    return nullptr;
  }
  if (*handle == 0 || !system_->Exists(*handle)) {
    ShowWarning(NoSuchWindowMessage(WindowHwnd));
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
  const platform::Point p = display_.CursorPos();
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

}  // namespace tarvik::util
