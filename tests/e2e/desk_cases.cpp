// The main window where Config.ini puts it at the desk's limits: docked in a corner, larger
// than the screen; and a drag outside the window after a click on its own surface. Each case
// starts the program in a folder of its own, driven with real input. With TARVIK_E2E_SHOTS
// set, a screenshot of the window larger than the screen.

#include "e2e_support.h"

namespace tarvik::e2e {
namespace {

std::string MainConfig(int left, int top, int width, int height) {
  return "[Main]\r\nLeft=" + std::to_string(left) + "\r\nTop=" + std::to_string(top) +
         "\r\nWidth=" + std::to_string(width) + "\r\nHeight=" + std::to_string(height) +
         "\r\n[Options]\r\nOnTop=0\r\nStartUp=0";
}

// Docked at the left and the top: the cursor away hides it to the left only, for good; a
// touch of the left edge beside it brings it back in the corner.
std::wstring CornerHidesLeftOnly(const fs::path& exe) {
  Program program(exe, L"corner", {}, MainConfig(0, 0, 4470, 5160));
  PointerTo({100, 100});  // where the window opens, so it stays until looked at
  if (std::wstring error = program.Start(); !error.empty()) return error;
  const HWND main = program.Main();
  const RECT docked = ScreenRect(main);
  const LONG width = docked.right - docked.left;
  if (docked.left != 0 || docked.top != 0) return L"opened at " + Describe(docked);
  PointerTo({700, 600});
  RECT now{};
  if (!WaitUntil([&] { return (now = ScreenRect(main)).left == -width; }, kReactionTimeoutMs)) {
    return L"with the cursor away the window is at " + Describe(now);
  }
  for (int tick = 0; tick < 8; ++tick) {
    Sleep(kNoChangeMs / 4);
    now = ScreenRect(main);
    if (now.left != -width || now.top != 0) return L"hidden, it went on to " + Describe(now);
  }
  PointerTo({0, docked.bottom / 2});
  if (!WaitUntil([&] { return EqualRect(&(now = ScreenRect(main)), &docked) != FALSE; },
                 kReactionTimeoutMs)) {
    return L"touching the left edge beside it left it at " + Describe(now);
  }
  return {};
}

// 1292 x 812 pixels from the middle of the screen: the window is pulled back so the menu
// bar's close button lies on the screen, and a click on it asks the quit question.
std::wstring HugeWindowCloseButtonReachable(const fs::path& exe) {
  const int tpp = 15;
  Program program(exe, L"huge", {}, MainConfig(600 * tpp, 0, 1292 * tpp, 812 * tpp));
  if (std::wstring error = program.Start(); !error.empty()) return error;
  const RECT main = ScreenRect(program.Main());
  const HWND close = program.MenuButton(0);
  if (close == nullptr) return L"no close button on the menu bar";
  const RECT button = ScreenRect(close);
  const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  RECT onScreen{};
  IntersectRect(&onScreen, &button, &screen);
  if (!EqualRect(&onScreen, &button)) {
    return L"the close button is at " + Describe(button) + L" in the window at " + Describe(main);
  }
  Screenshot(L"huge_window");
  ClickCentre(close);
  const HWND box = WaitForQuestionBox(program.Id(), kReactionTimeoutMs);
  if (box == nullptr) return L"no question after a click on the close button";
  const std::wstring question = QuestionText(box);
  AnswerQuestion(box, false);
  if (question != L"你确定要退出“Tarvik”吗？") return L"the box asks " + Quoted(question);
  return {};
}

// A click on the strip under the menu bar leaves the window holding the mouse; a press
// outside the window and a drag of 200 pixels must not then resize it.
std::wstring OutsideDragAfterSurfaceClickLeavesTheSize(const fs::path& exe) {
  Program program(exe, L"outside");
  if (std::wstring error = program.Start(); !error.empty()) return error;
  const HWND main = program.Main();
  const RECT before = ScreenRect(main);
  ClickAt({(before.left + before.right) / 2, before.top + 27});
  const POINT outside{before.right + 60, before.top + 100};
  Drag(outside, {outside.x + 200, outside.y});
  Sleep(kNoChangeMs);
  const RECT after = ScreenRect(main);
  if (!EqualRect(&before, &after)) {
    return L"the window went from " + Describe(before) + L" to " + Describe(after);
  }
  return {};
}

}  // namespace

Cases DeskCases(const fs::path& exe) {
  Cases cases = {
      {L"desk_corner_docked_hides_left_only", [exe] { return CornerHidesLeftOnly(exe); }},
      {L"desk_huge_window_close_button_reachable",
       [exe] { return HugeWindowCloseButtonReachable(exe); }},
      {L"desk_outside_drag_after_surface_click_keeps_size",
       [exe] { return OutsideDragAfterSurfaceClickLeavesTheSize(exe); }},
  };
  return cases;
}

}  // namespace tarvik::e2e
