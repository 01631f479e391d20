// Clicks and the pointer as only the real system gives them: a tap elsewhere while the program
// holds the mouse, quick clicks on a painted button, the pointer jumping off a lit button, a
// title box left after typing.

#include "e2e_support.h"

namespace tarvik::e2e {
namespace {

// Another program's topmost window: counts the left presses and releases it hears.
struct OtherProgram {
  static inline int downs = 0, ups = 0;
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    downs += message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK;
    ups += message == WM_LBUTTONUP;
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  explicit OtherProgram(const RECT& at) {
    WNDCLASSW wc{0,       &Proc,   0,       0,       GetModuleHandleW(nullptr),
                 nullptr, nullptr, nullptr, nullptr, L"TarvikE2eOther"};
    RegisterClassW(&wc);
    window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, L"",
                             WS_POPUP | WS_VISIBLE, at.left, at.top, at.right - at.left,
                             at.bottom - at.top, nullptr, nullptr, wc.hInstance, nullptr);
    downs = ups = 0;
  }
  ~OtherProgram() { DestroyWindow(window); }
  HWND window;
};

// After a click on its own surface the program holds the mouse. A tap (press and release in
// one go, a touchpad's) beside the window, then one on a topmost window lying over it, are
// that window's whole clicks, and no button stays down.
std::wstring TapElsewhereLeavesNoButtonDown(const fs::path& exe) {
  Program program(exe, L"tap");
  if (std::wstring error = program.Start(); !error.empty()) return error;
  const RECT main = ScreenRect(program.Main());
  OtherProgram other({main.right - 60, main.top + 120, main.right + 140, main.top + 220});
  int taps = 0;
  for (const LONG x : {main.right + 100, main.right - 30}) {
    ClickAt({(main.left + main.right) / 2, main.top + 27});  // the strip under the menu bar
    PointerTo({x, main.top + 170});
    INPUT tap[2] = {{INPUT_MOUSE, {.mi = {0, 0, 0, MOUSEEVENTF_LEFTDOWN, 0, 0}}},
                    {INPUT_MOUSE, {.mi = {0, 0, 0, MOUSEEVENTF_LEFTUP, 0, 0}}}};
    SendInput(2, tap, sizeof(INPUT));
    ++taps;
    const auto done = [&] {
      PumpMessages();
      return OtherProgram::ups == taps && (GetAsyncKeyState(VK_LBUTTON) & 0x8000) == 0;
    };
    if (!WaitUntil(done, kReactionTimeoutMs) || OtherProgram::downs != taps) {
      return L"tap " + std::to_wstring(taps) + L": the other window heard " +
             std::to_wstring(OtherProgram::downs) + L" presses, " +
             std::to_wstring(OtherProgram::ups) + L" releases; button down: " +
             std::to_wstring((GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0);
    }
  }
  return {};
}

// Eleven clicks 0.3 s apart on the list's delete button delete eleven notes.
std::wstring QuickClicksAllLand(const fs::path& exe) {
  std::vector<NoteFile> notes;
  for (int i = 1; i <= 12; ++i) notes.push_back({std::to_wstring(i) + L".tvk", L"标题", L"x"});
  Program program(exe, L"quick", notes);
  if (std::wstring error = program.Start(); !error.empty()) return error;
  ClickCentre(program.MenuButton(4));
  if (auto error = program.WaitForPage(L"list"); !error.empty()) return error;
  POINT first{8, 4};  // in the first item
  ClientToScreen(program.NoteList(), &first);
  ClickAt(first);
  const std::size_t before = program.Titles().size();
  ClickCentre(program.ListButton(1));
  for (int click = 1; click < 11; ++click) {
    Sleep(200);
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    SendMouse(MOUSEEVENTF_LEFTUP);
  }
  std::size_t after = 0;
  WaitUntil([&] { return (after = program.Titles().size()) + 11 <= before; }, kReactionTimeoutMs);
  if (after + 11 == before) return {};
  return L"eleven clicks took " + std::to_wstring(before) + L" notes to " + std::to_wstring(after);
}

// The options button lit under the pointer goes white when the pointer jumps off it in one
// move, out of the window or into the note text.
std::wstring HoverGoesWithThePointer(const fs::path& exe) {
  Program program(exe, L"hover");
  if (std::wstring error = program.Start(); !error.empty()) return error;
  const HWND button = program.MenuButton(2);
  const RECT b = ScreenRect(button);
  const RECT n = ScreenRect(program.TextBox(true));
  const auto shows = [&](COLORREF look, POINT at) -> std::wstring {
    SetCursorPos(at.x, at.y);  // one jump, no moves on the way
    if (WaitUntil([&] { return NearColour(ScreenPixel(button, {1, 1}), look); }, 3000)) return {};
    return L"with the pointer at " + std::to_wstring(at.x) + L"," + std::to_wstring(at.y) +
           L" the button shows " + HexColour(ScreenPixel(button, {1, 1}));
  };
  for (const POINT away : {POINT{1200, 760}, POINT{(n.left + n.right) / 2, n.top + 40}}) {
    if (auto e = shows(RGB(0x33, 0xFF, 0x33), {(b.left + b.right) / 2, b.top + 10}); !e.empty()) {
      return e;
    }
    if (auto e = shows(RGB(255, 255, 255), away); !e.empty()) return e;
  }
  return {};
}

// A long title typed, then the note text clicked: the title shows from its first letter.
std::wstring LeftTitleShowsItsStart(const fs::path& exe) {
  Program program(exe, L"title_start");
  if (std::wstring error = program.Start(); !error.empty()) return error;
  const HWND title = program.TextBox(false);
  ClickCentre(title);
  TypeText(L"一个很长很长的标题，比标题框宽得多，一直写到框外面去还没有写完");
  ClickCentre(program.TextBox(true));
  LONG x = -1;
  WaitUntil(
      [&] { return (x = static_cast<short>(SendMessageW(title, EM_POSFROMCHAR, 0, 0))) >= 0; },
      kReactionTimeoutMs);
  return x >= 0 && x <= 8 ? L"" : L"the first letter is at x " + std::to_wstring(x);
}

}  // namespace

Cases ClickCases(const fs::path& exe) {
  return {
      {L"click_tap_elsewhere_leaves_no_button_down",
       [exe] { return TapElsewhereLeavesNoButtonDown(exe); }},
      {L"click_eleven_quick_clicks_delete_eleven", [exe] { return QuickClicksAllLand(exe); }},
      {L"click_hover_goes_when_the_pointer_jumps_off",
       [exe] { return HoverGoesWithThePointer(exe); }},
      {L"click_left_title_shows_its_start", [exe] { return LeftTitleShowsItsStart(exe); }},
  };
}

}  // namespace tarvik::e2e
