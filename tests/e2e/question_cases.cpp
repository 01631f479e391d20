// The question box as a user meets it: ShowQuestion runs on the driver's main thread over a
// frmMain of the driver's own (not loaded: no notes, no settings), while a second thread
// plays the user — it waits for the box, looks at it and the main window, and answers with
// real keys, real clicks or a close message from outside.

#include "question_cases.h"

#include <windows.h>

#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <string>
#include <thread>

#include "app/frm_main.h"
#include "dialogs/frm_question.h"
#include "e2e_support.h"

namespace tarvik::e2e {
namespace {

constexpr DWORD kBoxTimeoutMs = 5000;
constexpr DWORD kPointerSettleMs = 150;

// The box's client area and its two buttons (pixels), as the box lays them out.
constexpr POINT kTickCentre{144 + 15, 40 + 15};
constexpr POINT kCrossCentre{184 + 15, 40 + 15};
// Inside a button's disc, clear of both glyphs.
constexpr POINT kDiscPoint{15, 4};

HWND FindBox() {
  return ::FindWindowW(L"TarvikWindow", L"提示");
}

// Presses the keys in order and lets them go in reverse, as a chord is typed.
void SendKeys(std::initializer_list<WORD> keys) {
  std::vector<INPUT> input;
  for (WORD key : keys) input.push_back(INPUT{INPUT_KEYBOARD, {.ki = {key, 0, 0, 0, 0}}});
  for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) {
    input.push_back(INPUT{INPUT_KEYBOARD, {.ki = {*it, 0, KEYEVENTF_KEYUP, 0, 0}}});
  }
  ::SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
}

void MovePointer(HWND window, POINT client) {
  ::ClientToScreen(window, &client);
  ::SetCursorPos(client.x, client.y);
  ::Sleep(kPointerSettleMs);
}

void ClickAt(HWND window, POINT client) {
  MovePointer(window, client);
  INPUT input[2]{};
  input[0].type = input[1].type = INPUT_MOUSE;
  input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  ::SendInput(2, input, sizeof(INPUT));
}

// What the user does once the box is up; false (with why) when something looked wrong.
using Act = std::function<bool(HWND box, std::wstring& why)>;

// Shows a question over a main window partly off the left screen edge, lets act answer it
// from the user's thread, and checks the answer and what the box did around it.
bool IsTopMost(HWND window) {
  return (::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

bool AskAndAnswer(const Act& act, bool expected, std::wstring& why, bool topmostOption = false) {
  app::frmMain main(DriverPlatform());
  main.Options().SSwitch1(0).SetValue(topmostOption);
  main.Drawing().InitGDIPlus(false, false, L"", 0, L"");
  main.Me().Move(-1500, 3000, main.Me().Width(), main.Me().Height());
  main.Me().Show();
  main.SetQuestionResult(!expected);
  const HWND mainWindow = reinterpret_cast<HWND>(main.Me().hWnd());
  if (topmostOption) {
    DriverPlatform().SetTopMost(main.Me().hWnd(), true);
    if (!IsTopMost(mainWindow)) {
      why = L"the main window could not be made topmost before the question";
      return false;
    }
  }

  std::wstring userWhy;
  bool userOk = false;
  std::thread user([&] {
    HWND box = nullptr;
    if (!WaitUntil([&] { return (box = FindBox()) != nullptr && ::IsWindowVisible(box); },
                   kBoxTimeoutMs)) {
      userWhy = L"no question box appeared";
      return;
    }
    RECT b{}, m{};
    ::GetWindowRect(box, &b);
    ::GetWindowRect(mainWindow, &m);
    RECT client{};
    ::GetClientRect(box, &client);
    // The box shows a moment before its modal wait takes the input from the main window.
    if (!WaitUntil([&] { return !::IsWindowEnabled(mainWindow); }, kBoxTimeoutMs)) {
      userWhy = L"the main window takes input while the box is up";
    } else if (topmostOption && IsTopMost(mainWindow)) {
      userWhy = L"the main window stays topmost over the box";
    } else if (std::abs((b.left + b.right) - (m.left + m.right)) > 1 ||
               std::abs((b.top + b.bottom) - (m.top + m.bottom)) > 1 || b.left >= 0) {
      userWhy = L"box at " + std::to_wstring(b.left) + L"," + std::to_wstring(b.top) +
                L" is not centred over the main window at " + std::to_wstring(m.left) + L"," +
                std::to_wstring(m.top);
    } else if (client.right != dialogs::frmQuestion::kClientWidth ||
               client.bottom != dialogs::frmQuestion::kClientHeight) {
      userWhy = L"client area " + std::to_wstring(client.right) + L"x" +
                std::to_wstring(client.bottom) + L", expected 222x78";
    } else {
      userOk = act(box, userWhy);
    }
    if (userOk && !WaitUntil([&] { return !::IsWindow(box); }, kBoxTimeoutMs)) {
      userOk = false;
      userWhy = L"the box is still up after the answer";
    }
    // Whatever happened, the box must go so the driver's modal wait ends.
    if (::IsWindow(box)) ::PostMessageW(box, WM_CLOSE, 0, 0);
  });
  dialogs::ShowQuestion(main, L"端到端的问题？", main.Me());
  user.join();

  if (!userOk) {
    why = userWhy.empty() ? L"the user's steps failed" : userWhy;
    return false;
  }
  if (main.QuestionResult() != expected) {
    why = L"QuestionResult is " + std::wstring(main.QuestionResult() ? L"True" : L"False");
    return false;
  }
  if (FindBox() != nullptr) {
    why = L"the box is still there after the answer";
    return false;
  }
  if (!::IsWindowEnabled(mainWindow)) {
    why = L"the main window takes no input after the box";
    return false;
  }
  if (topmostOption && !IsTopMost(mainWindow)) {
    why = L"the main window is not topmost again after the box";
    return false;
  }
  if (main.Timer1().Enabled()) {
    why = L"Timer1 runs again; only the caller's command may switch it on";
    return false;
  }
  return true;
}

// Keys typed into the box, which must have the keyboard.
Act Keys(std::initializer_list<WORD> keys) {
  return [keys](HWND box, std::wstring& why) {
    if (::GetForegroundWindow() != box) {
      why = L"the box is not the foreground window";
      return false;
    }
    SendKeys(keys);
    return true;
  };
}

// A click on a button, after checking that pointing at it gives it the hover look.
bool PointAndClick(HWND box, POINT centre, std::wstring& why) {
  const HWND button = ::ChildWindowFromPoint(box, centre);
  if (button == nullptr || button == box) {
    why = L"no button under the pointer";
    return false;
  }
  const COLORREF before = ScreenPixel(button, kDiscPoint);
  if (!NearColour(before, RGB(0xF0, 0xF0, 0xF0))) {
    why = L"the button's disc shows " + HexColour(before) + L" before hover, expected #F0F0F0";
    return false;
  }
  MovePointer(box, centre);
  COLORREF hovered = 0;
  if (!WaitUntil(
          [&] {
            return NearColour(hovered = ScreenPixel(button, kDiscPoint), RGB(0x80, 0x80, 0x80));
          },
          2000)) {
    why = L"the hovered disc shows " + HexColour(hovered) + L", expected #808080";
    return false;
  }
  ClickAt(box, centre);
  return true;
}

Act PointAndClickAt(POINT centre) {
  return [centre](HWND box, std::wstring& why) { return PointAndClick(box, centre, why); };
}

bool CaseEnterConfirms(std::wstring& why) {
  return AskAndAnswer(Keys({VK_RETURN}), true, why);
}
bool CaseEscCancels(std::wstring& why) {
  return AskAndAnswer(Keys({VK_ESCAPE}), false, why);
}
bool CaseAltF4Cancels(std::wstring& why) {
  return AskAndAnswer(Keys({VK_MENU, VK_F4}), false, why);
}
bool CaseTickConfirms(std::wstring& why) {
  return AskAndAnswer(PointAndClickAt(kTickCentre), true, why);
}
bool CaseCrossCancels(std::wstring& why) {
  return AskAndAnswer(PointAndClickAt(kCrossCentre), false, why);
}
bool CaseCloseFromOutsideCancels(std::wstring& why) {
  const Act post = [](HWND box, std::wstring&) { return ::PostMessageW(box, WM_CLOSE, 0, 0) != 0; };
  return AskAndAnswer(post, false, why);
}
bool CaseTopmostStepsAsideForTheBox(std::wstring& why) {
  return AskAndAnswer(Keys({VK_RETURN}), true, why, true);
}

}  // namespace

std::vector<NamedCase> QuestionCases() {
  return {
      {L"question_enter_confirms", &CaseEnterConfirms},
      {L"question_esc_cancels", &CaseEscCancels},
      {L"question_tick_confirms_after_hover", &CaseTickConfirms},
      {L"question_cross_cancels_after_hover", &CaseCrossCancels},
      {L"question_close_from_outside_cancels", &CaseCloseFromOutsideCancels},
      {L"question_alt_f4_cancels", &CaseAltF4Cancels},
      {L"question_topmost_main_window_steps_aside", &CaseTopmostStepsAsideForTheBox},

  };
}

}  // namespace tarvik::e2e
