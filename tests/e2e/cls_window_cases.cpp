// End-to-end cases for clsWindow on real Win32, against a small window this file makes in
// the driver's own process: a top-level window with a button, a multi-line edit and two
// custom children whose class names differ only where a pattern would treat "." and "+"
// as special.
//
// Each case returns why it did not hold, or nothing.

#include <sstream>

#include "e2e_support.h"

namespace tarvik::e2e {
namespace {

using platform::win32::unique_hwnd;
using util::clsWindow;

constexpr wchar_t kTopClass[] = L"TarvikClsWindowCaseTop";
constexpr wchar_t kLiteralClass[] = L"Tarvik.Child+1";
// What "Tarvik.Child+1" would also match if "." and "+" were left unescaped.
constexpr wchar_t kDecoyClass[] = L"TarvikXChilddd1";
constexpr wchar_t kTitlePrefix[] = L"clsWindow 测试窗口 ";

bool RegisterClasses() {
  static const bool registered = [] {
    for (const wchar_t* name : {kTopClass, kLiteralClass, kDecoyClass}) {
      WNDCLASSEXW wc{};
      wc.cbSize = sizeof(wc);
      wc.lpfnWndProc = ::DefWindowProcW;
      wc.hInstance = ::GetModuleHandleW(nullptr);
      wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
      wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
      wc.lpszClassName = name;
      if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    }
    return true;
  }();
  return registered;
}

// The test window; destroyed with its children when the object goes.
struct TestWindow {
  unique_hwnd main;
  HWND button = nullptr;
  HWND edit = nullptr;
  HWND literal = nullptr;
  HWND decoy = nullptr;

  static std::optional<TestWindow> Create(int number, std::wstring& why) {
    if (!RegisterClasses()) {
      why = L"cannot register the test window classes";
      return std::nullopt;
    }
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    TestWindow w;
    const std::wstring title = kTitlePrefix + std::to_wstring(number);
    w.main.reset(::CreateWindowExW(0, kTopClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                   100 + 40 * number, 100 + 40 * number, 400, 300, nullptr, nullptr,
                                   instance, nullptr));
    if (!w.main) {
      why = L"cannot create the test window";
      return std::nullopt;
    }
    const auto child = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int id, int y) {
      return ::CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 10, y, 200, 40,
                               w.main.get(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               instance, nullptr);
    };
    w.button = child(L"Button", L"确定", BS_PUSHBUTTON, 11, 10);
    w.edit = child(L"Edit", L"第一行\r\n第二行", ES_MULTILINE, 12, 60);
    w.literal = child(kLiteralClass, L"literal", 0, 13, 110);
    w.decoy = child(kDecoyClass, L"decoy", 0, 14, 160);
    if (!w.button || !w.edit || !w.literal || !w.decoy) {
      why = L"cannot create the test window's children";
      return std::nullopt;
    }
    PumpMessages();
    return w;
  }
};

std::wstring Num(WindowHandle handle) {
  return std::to_wstring(handle);
}

std::wstring CaseFinderWithoutWaitBindsZero() {
  clsWindow window(DriverPlatform());
  window.hwnd = 12345;
  std::wstring list = L"stale";
  const DWORD start = ::GetTickCount();
  clsWindow& result = window.GetWindowByTitleEx(L"没有这样的窗口 7f3a9c", 0, &list);
  const DWORD elapsed = ::GetTickCount() - start;
  if (result.hwnd != 0 || window.hwnd != 0) {
    return L"bound to " + Num(result.hwnd) + L" instead of 0";
  }
  if (!list.empty()) {
    return L"match list \"" + list + L"\" instead of empty";
  }
  // One walk only: a retry would have waited 300 ms first.
  if (elapsed >= 250) {
    return L"took " + std::to_wstring(elapsed) + L" ms, more than one walk";
  }
  return {};
}

std::wstring CaseLiteralClassNameMatchesOnlyThatClass() {
  std::wstring why;
  auto test = TestWindow::Create(1, why);
  if (!test) return why;
  clsWindow window(DriverPlatform());
  window.hwnd = ToHandle(test->main.get());
  for (const wchar_t* query : {L"tarvik.child+1", L"TARVIK.CHILD+1", L"Tarvik.Child+1"}) {
    const WindowHandle found = window.GetElementHwndByClassName(query);
    if (found != ToHandle(test->literal)) {
      return std::wstring(L"class \"") + query + L"\" gave " + Num(found) + L", expected " +
             Num(ToHandle(test->literal));
    }
    if (window.GetElementHwndByClassName(query, 2) != 0) {
      return std::wstring(L"class \"") + query + L"\" also matched another class";
    }
  }
  if (window.GetElementTextByClassName(L"tarvik.child+1") != L"literal") {
    return L"the literal class's text was not read";
  }
  return {};
}

std::wstring CaseSecondMatchOfASingleControlIsZero() {
  std::wstring why;
  auto test = TestWindow::Create(1, why);
  if (!test) return why;
  clsWindow window(DriverPlatform());
  window.hwnd = ToHandle(test->main.get());
  const WindowHandle first = window.GetElementHwndByClassName(L"button", 1);
  const WindowHandle second = window.GetElementHwndByClassName(L"button", 2);
  if (first != ToHandle(test->button) || second != 0) {
    return L"intIndex 1 gave " + Num(first) + L" (expected " + Num(ToHandle(test->button)) +
           L"), intIndex 2 gave " + Num(second) + L" (expected 0)";
  }
  return {};
}

std::wstring CaseIsTopMostFollowsSetWindowPos() {
  std::wstring why;
  auto test = TestWindow::Create(1, why);
  if (!test) return why;
  clsWindow window(DriverPlatform());
  window.hwnd = ToHandle(test->main.get());
  const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  ::SetWindowPos(test->main.get(), HWND_TOPMOST, 0, 0, 0, 0, flags);
  PumpMessages();
  if (!window.IsTopMost() || !window.IsTopMost(ToHandle(test->main.get()))) {
    return L"not reported topmost after HWND_TOPMOST";
  }
  ::SetWindowPos(test->main.get(), HWND_NOTOPMOST, 0, 0, 0, 0, flags);
  PumpMessages();
  if (window.IsTopMost()) {
    return L"still reported topmost after HWND_NOTOPMOST";
  }
  return {};
}

std::wstring CaseTitleExWithRegExpListsEveryMatch() {
  std::wstring why;
  auto first = TestWindow::Create(1, why);
  auto second = TestWindow::Create(2, why);
  if (!first || !second) return why;
  clsWindow window(DriverPlatform());
  std::wstring list;
  clsWindow& result = window.GetWindowByTitleEx(L"^clsWindow 测试窗口 [12]$", 2, &list, true, 0, 1);
  std::wistringstream tokens(list);
  std::vector<WindowHandle> handles;
  for (std::wstring token; tokens >> token;) handles.push_back(std::stoll(token));
  const auto has = [&](HWND h) {
    for (const WindowHandle x : handles) {
      if (x == ToHandle(h)) return true;
    }
    return false;
  };
  if (handles.size() != 2 || !has(first->main.get()) || !has(second->main.get())) {
    return L"match list \"" + list + L"\", expected " + Num(ToHandle(first->main.get())) +
           L" and " + Num(ToHandle(second->main.get()));
  }
  if (list.find(L"  ") != std::wstring::npos || list.front() == L' ' || list.back() == L' ') {
    return L"match list \"" + list + L"\" is not single-space separated and trimmed";
  }
  if (result.hwnd != handles.front() || window.hwnd != handles.front()) {
    return L"bound to " + Num(result.hwnd) + L", not the first match " + Num(handles.front());
  }
  return {};
}

std::wstring CaseControlsInfoListsTheChildren() {
  std::wstring why;
  auto test = TestWindow::Create(1, why);
  if (!test) return why;
  clsWindow window(DriverPlatform());
  const std::wstring list = window.ControlsInfo(ToHandle(test->main.get()));
  const std::wstring expected[] = {
      Num(ToHandle(test->main.get())) + L"\t0\t" + kTopClass + L"\t" + kTitlePrefix + L"1\r\n",
      Num(ToHandle(test->button)) + L"\t11\tButton\t确定\r\n",
      Num(ToHandle(test->edit)) + L"\t12\tEdit\t第一行 第二行\r\n",
      Num(ToHandle(test->literal)) + L"\t13\t" + kLiteralClass + L"\tliteral\r\n",
      Num(ToHandle(test->decoy)) + L"\t14\t" + kDecoyClass + L"\tdecoy\r\n",
  };
  std::wstring whole;
  for (const std::wstring& line : expected) whole += line;
  if (list != whole) {
    return L"control list was:\n" + list + L"\nexpected:\n" + whole;
  }
  return {};
}

}  // namespace

Cases ClsWindowCases() {
  return {
      {L"clsWindow: finder with wait 0 and no match binds 0 after one walk",
       CaseFinderWithoutWaitBindsZero},
      {L"clsWindow: literal class with . and + matches only that class, any case",
       CaseLiteralClassNameMatchesOnlyThatClass},
      {L"clsWindow: intIndex 2 with one match gives 0", CaseSecondMatchOfASingleControlIsZero},
      {L"clsWindow: IsTopMost follows SetWindowPos", CaseIsTopMostFollowsSetWindowPos},
      {L"clsWindow: GetWindowByTitleEx with a regular expression and the match list",
       CaseTitleExWithRegExpListsEveryMatch},
      {L"clsWindow: ControlsInfo lists the test window's children",
       CaseControlsInfoListsTheChildren},
  };
}

}  // namespace tarvik::e2e
