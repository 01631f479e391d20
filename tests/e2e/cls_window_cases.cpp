// End-to-end cases for clsWindow on real Win32, against a small window this file makes in
// the driver's own process: a top-level window with a button, a multi-line edit and two
// custom children whose class names differ only where a pattern would treat "." and "+"
// as special.
//
// Each case returns true when it held, and otherwise says why.

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "platform/win32/handles.h"
#include "util/cls_window.h"

namespace tarvik::e2e {
namespace {

using platform::win32::unique_hwnd;
using util::clsWindow;
using util::WindowHandle;

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

void Pump() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
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
    Pump();
    return w;
  }
};

WindowHandle H(HWND window) {
  return ToHandle(window);
}

std::wstring Num(WindowHandle handle) {
  return std::to_wstring(handle);
}

// clsWindow asks the driver's platform for the clock, pending messages and topmost.
platform::Platform& ThePlatform() {
  return DriverPlatform();
}

bool CaseFinderWithoutWaitBindsZero(std::wstring& why) {
  clsWindow window(ThePlatform());
  window.hwnd = 12345;
  std::wstring list = L"stale";
  const DWORD start = ::GetTickCount();
  clsWindow& result = window.GetWindowByTitleEx(L"没有这样的窗口 7f3a9c", 0, &list);
  const DWORD elapsed = ::GetTickCount() - start;
  if (result.hwnd != 0 || window.hwnd != 0) {
    why = L"bound to " + Num(result.hwnd) + L" instead of 0";
    return false;
  }
  if (!list.empty()) {
    why = L"match list \"" + list + L"\" instead of empty";
    return false;
  }
  // One walk only: a retry would have waited 300 ms first.
  if (elapsed >= 250) {
    why = L"took " + std::to_wstring(elapsed) + L" ms, more than one walk";
    return false;
  }
  return true;
}

bool CaseLiteralClassNameMatchesOnlyThatClass(std::wstring& why) {
  auto test = TestWindow::Create(1, why);
  if (!test) return false;
  clsWindow window(ThePlatform());
  window.hwnd = H(test->main.get());
  for (const wchar_t* query : {L"tarvik.child+1", L"TARVIK.CHILD+1", L"Tarvik.Child+1"}) {
    const WindowHandle found = window.GetElementHwndByClassName(query);
    if (found != H(test->literal)) {
      why = std::wstring(L"class \"") + query + L"\" gave " + Num(found) + L", expected " +
            Num(H(test->literal));
      return false;
    }
    if (window.GetElementHwndByClassName(query, 2) != 0) {
      why = std::wstring(L"class \"") + query + L"\" also matched another class";
      return false;
    }
  }
  if (window.GetElementTextByClassName(L"tarvik.child+1") != L"literal") {
    why = L"the literal class's text was not read";
    return false;
  }
  return true;
}

bool CaseSecondMatchOfASingleControlIsZero(std::wstring& why) {
  auto test = TestWindow::Create(1, why);
  if (!test) return false;
  clsWindow window(ThePlatform());
  window.hwnd = H(test->main.get());
  const WindowHandle first = window.GetElementHwndByClassName(L"button", 1);
  const WindowHandle second = window.GetElementHwndByClassName(L"button", 2);
  if (first != H(test->button) || second != 0) {
    why = L"intIndex 1 gave " + Num(first) + L" (expected " + Num(H(test->button)) +
          L"), intIndex 2 gave " + Num(second) + L" (expected 0)";
    return false;
  }
  return true;
}

bool CaseIsTopMostFollowsSetWindowPos(std::wstring& why) {
  auto test = TestWindow::Create(1, why);
  if (!test) return false;
  clsWindow window(ThePlatform());
  window.hwnd = H(test->main.get());
  const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  ::SetWindowPos(test->main.get(), HWND_TOPMOST, 0, 0, 0, 0, flags);
  Pump();
  if (!window.IsTopMost() || !window.IsTopMost(H(test->main.get()))) {
    why = L"not reported topmost after HWND_TOPMOST";
    return false;
  }
  ::SetWindowPos(test->main.get(), HWND_NOTOPMOST, 0, 0, 0, 0, flags);
  Pump();
  if (window.IsTopMost()) {
    why = L"still reported topmost after HWND_NOTOPMOST";
    return false;
  }
  return true;
}

bool CaseTitleExWithRegExpListsEveryMatch(std::wstring& why) {
  auto first = TestWindow::Create(1, why);
  if (!first) return false;
  auto second = TestWindow::Create(2, why);
  if (!second) return false;
  clsWindow window(ThePlatform());
  std::wstring list;
  clsWindow& result = window.GetWindowByTitleEx(L"^clsWindow 测试窗口 [12]$", 2, &list, true, 0, 1);
  std::wistringstream tokens(list);
  std::vector<WindowHandle> handles;
  for (std::wstring token; tokens >> token;) handles.push_back(std::stoll(token));
  const auto has = [&](HWND h) {
    for (const WindowHandle x : handles) {
      if (x == H(h)) return true;
    }
    return false;
  };
  if (handles.size() != 2 || !has(first->main.get()) || !has(second->main.get())) {
    why = L"match list \"" + list + L"\", expected " + Num(H(first->main.get())) + L" and " +
          Num(H(second->main.get()));
    return false;
  }
  if (list.find(L"  ") != std::wstring::npos || list.front() == L' ' || list.back() == L' ') {
    why = L"match list \"" + list + L"\" is not single-space separated and trimmed";
    return false;
  }
  if (result.hwnd != handles.front() || window.hwnd != handles.front()) {
    why = L"bound to " + Num(result.hwnd) + L", not the first match " + Num(handles.front());
    return false;
  }
  return true;
}

bool CaseControlsInfoListsTheChildren(std::wstring& why) {
  auto test = TestWindow::Create(1, why);
  if (!test) return false;
  clsWindow window(ThePlatform());
  const std::wstring list = window.ControlsInfo(H(test->main.get()));
  const std::wstring expected[] = {
      Num(H(test->main.get())) + L"\t0\t" + kTopClass + L"\t" + kTitlePrefix + L"1\r\n",
      Num(H(test->button)) + L"\t11\tButton\t确定\r\n",
      Num(H(test->edit)) + L"\t12\tEdit\t第一行 第二行\r\n",
      Num(H(test->literal)) + L"\t13\t" + kLiteralClass + L"\tliteral\r\n",
      Num(H(test->decoy)) + L"\t14\t" + kDecoyClass + L"\tdecoy\r\n",
  };
  std::wstring whole;
  for (const std::wstring& line : expected) whole += line;
  if (list != whole) {
    why = L"control list was:\n" + list + L"\nexpected:\n" + whole;
    return false;
  }
  return true;
}

}  // namespace

Cases ClsWindowCases() {
  return {
      {L"clsWindow: finder with wait 0 and no match binds 0 after one walk",
       Held(CaseFinderWithoutWaitBindsZero)},
      {L"clsWindow: literal class with . and + matches only that class, any case",
       Held(CaseLiteralClassNameMatchesOnlyThatClass)},
      {L"clsWindow: intIndex 2 with one match gives 0", Held(CaseSecondMatchOfASingleControlIsZero)},
      {L"clsWindow: IsTopMost follows SetWindowPos", Held(CaseIsTopMostFollowsSetWindowPos)},
      {L"clsWindow: GetWindowByTitleEx with a regular expression and the match list",
       Held(CaseTitleExWithRegExpListsEveryMatch)},
      {L"clsWindow: ControlsInfo lists the test window's children",
       Held(CaseControlsInfoListsTheChildren)},
  };
}

}  // namespace tarvik::e2e
