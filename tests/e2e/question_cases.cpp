// The question box as a user meets it: a close from outside makes the program ask whether to
// quit, over its main window partly off the left screen edge; the user answers with real
// keys, real clicks or a close message of its own. Yes ends the program, anything else keeps
// it running as before.

#include <cstdlib>

#include "e2e_support.h"

namespace tarvik::e2e {
namespace {

// The box's client area as it lays it out, and a point inside a button's disc, clear of
// both glyphs.
constexpr int kClientWidth = 222;
constexpr int kClientHeight = 78;
constexpr POINT kDiscPoint{15, 4};

// What the user does once the box is up; why it went wrong, or empty.
using Act = std::function<std::wstring(HWND box)>;

std::wstring AskAndAnswer(const fs::path& exe, const Act& act, bool yes, bool onTop = false) {
  // 1500 twips left of the screen edge, not at it: a window at the edge would be docked.
  Program program(exe, L"question", {},
                  "[Main]\r\nLeft=-1500\r\nTop=3000\r\nWidth=4470\r\nHeight=5160\r\n"
                  "[Options]\r\nOnTop=" +
                      std::string(onTop ? "1" : "0") + "\r\nStartUp=0");
  if (std::wstring error = program.Start(); !error.empty()) return error;
  const HWND main = program.Main();
  if (onTop && !WaitUntil([&] { return IsTopMost(main); }, kReactionTimeoutMs)) {
    return L"the main window is not topmost before the question";
  }
  if (!Bound(main).object.CloseWindow()) return L"the close request could not be posted";
  const HWND box = WaitForQuestionBox(program.Id(), kReactionTimeoutMs);
  if (box == nullptr) return L"no question box appeared";
  const RECT b = ScreenRect(box);
  const RECT m = ScreenRect(main);
  RECT client{};
  GetClientRect(box, &client);
  // The box shows a moment before its modal wait takes the input from the main window.
  if (!WaitUntil([&] { return !IsWindowEnabled(main); }, kReactionTimeoutMs)) {
    return L"the main window takes input while the box is up";
  }
  if (onTop && IsTopMost(main)) return L"the main window stays topmost over the box";
  if (std::abs((b.left + b.right) - (m.left + m.right)) > 1 ||
      std::abs((b.top + b.bottom) - (m.top + m.bottom)) > 1 || b.left >= 0) {
    return L"box at " + Describe(b) + L" is not centred over the main window at " + Describe(m);
  }
  if (client.right != kClientWidth || client.bottom != kClientHeight) {
    return L"client area " + std::to_wstring(client.right) + L"x" + std::to_wstring(client.bottom) +
           L", expected 222x78";
  }
  if (std::wstring error = act(box); !error.empty()) return error;
  if (!WaitUntil([&] { return !IsWindow(box); }, kReactionTimeoutMs)) {
    return L"the box is still up after the answer";
  }
  if (yes) {
    return program.WaitForExit(10000) ? L"" : L"the program still runs after a yes";
  }
  if (program.WaitForExit(500)) return L"the program ended although the answer was no";
  if (!IsWindowEnabled(main)) return L"the main window takes no input after the box";
  if (onTop && !WaitUntil([&] { return IsTopMost(main); }, kReactionTimeoutMs)) {
    return L"the main window is not topmost again after the box";
  }
  return {};
}

// Keys typed into the box, which must have the keyboard.
Act Keys(const std::vector<WORD>& keys) {
  return [keys](HWND box) -> std::wstring {
    if (!WaitUntil([&] { return GetForegroundWindow() == box; }, kReactionTimeoutMs)) {
      return L"the box is not the foreground window";
    }
    SendKeys(keys);
    return {};
  };
}

// A click on a button, after checking that pointing at it gives it the hover look.
Act PointAndClick(POINT centre) {
  return [centre](HWND box) -> std::wstring {
    const HWND button = ChildWindowFromPoint(box, centre);
    if (button == nullptr || button == box) return L"no button under the pointer";
    // The box may be shown a moment before it is painted.
    COLORREF before = 0;
    if (!WaitUntil(
            [&] {
              return NearColour(before = ScreenPixel(button, kDiscPoint), RGB(0xF0, 0xF0, 0xF0));
            },
            1000)) {
      return L"the button's disc shows " + HexColour(before) + L" before hover, expected #F0F0F0";
    }
    POINT at = centre;
    ClientToScreen(box, &at);
    PointerTo(at);
    COLORREF hovered = 0;
    if (!WaitUntil(
            [&] {
              return NearColour(hovered = ScreenPixel(button, kDiscPoint), RGB(0x80, 0x80, 0x80));
            },
            2000)) {
      return L"the hovered disc shows " + HexColour(hovered) + L", expected #808080";
    }
    ClickAt(at);
    return {};
  };
}

}  // namespace

Cases QuestionCases(const fs::path& exe) {
  const Act closeFromOutside = [](HWND box) -> std::wstring {
    return PostMessageW(box, WM_CLOSE, 0, 0) ? L"" : L"WM_CLOSE could not be posted";
  };
  return {
      {L"question_enter_confirms", [=] { return AskAndAnswer(exe, Keys({VK_RETURN}), true); }},
      {L"question_esc_cancels", [=] { return AskAndAnswer(exe, Keys({VK_ESCAPE}), false); }},
      {L"question_tick_confirms_after_hover",
       [=] { return AskAndAnswer(exe, PointAndClick(kTickCentre), true); }},
      {L"question_cross_cancels_after_hover",
       [=] { return AskAndAnswer(exe, PointAndClick(kCrossCentre), false); }},
      {L"question_close_from_outside_cancels",
       [=] { return AskAndAnswer(exe, closeFromOutside, false); }},
      {L"question_alt_f4_cancels",
       [=] {
         return AskAndAnswer(exe, Keys({VK_MENU, VK_F4}), false);
       }},
      // Cancelled, so that the main window is seen topmost again afterwards.
      {L"question_topmost_main_window_steps_aside",
       [=] { return AskAndAnswer(exe, Keys({VK_ESCAPE}), false, true); }},
  };
}

}  // namespace tarvik::e2e
