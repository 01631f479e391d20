// The question box as a user meets it: ShowQuestion runs on the driver's main thread over a
// frmMain of the driver's own (not loaded: no notes, no settings), while a second thread
// plays the user — it waits for the box, looks at it and the main window, and answers with
// real keys, real clicks or a close message from outside.

#include "question_cases.h"

#include <windows.h>

#include <cstdlib>
#include <functional>
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

void SendKey(WORD key) {
  INPUT input[2]{};
  input[0].type = input[1].type = INPUT_KEYBOARD;
  input[0].ki.wVk = input[1].ki.wVk = key;
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  ::SendInput(2, input, sizeof(INPUT));
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

// The colour the screen shows at a point of a window's client area.
COLORREF PixelAt(HWND window, POINT client) {
  ::ClientToScreen(window, &client);
  const HDC screen = ::GetDC(nullptr);
  const COLORREF colour = ::GetPixel(screen, client.x, client.y);
  ::ReleaseDC(nullptr, screen);
  return colour;
}

bool Near(COLORREF a, COLORREF b) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= 24 &&
         std::abs(GetGValue(a) - GetGValue(b)) <= 24 && std::abs(GetBValue(a) - GetBValue(b)) <= 24;
}

std::wstring Hex(COLORREF c) {
  wchar_t text[16];
  swprintf(text, 16, L"#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
  return text;
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
  main.SetTopmostOption(topmostOption);
  main.Drawing.InitGDIPlus(false, false, L"", 0, L"");
  main.Me.Move(-1500, 3000, main.Me.Width(), main.Me.Height());
  main.Me.Show();
  main.QuestionResult = !expected;
  const HWND mainWindow = reinterpret_cast<HWND>(main.Me.hWnd());
  if (topmostOption) {
    DriverPlatform().SetTopMost(main.Me.hWnd(), true);
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
  dialogs::ShowQuestion(main, L"端到端的问题？", main.Me);
  user.join();

  if (!userOk) {
    why = userWhy.empty() ? L"the user's steps failed" : userWhy;
    return false;
  }
  if (main.QuestionResult != expected) {
    why = L"QuestionResult is " + std::wstring(main.QuestionResult ? L"True" : L"False");
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
  if (main.Timer1.Enabled()) {
    why = L"Timer1 runs again; only the caller's command may switch it on";
    return false;
  }
  return true;
}

bool Key(WORD key, HWND box, std::wstring& why) {
  if (::GetForegroundWindow() != box) {
    why = L"the box is not the foreground window";
    return false;
  }
  SendKey(key);
  return true;
}

bool CaseEnterConfirms(std::wstring& why) {
  return AskAndAnswer([](HWND box, std::wstring& w) { return Key(VK_RETURN, box, w); }, true, why);
}

bool CaseEscCancels(std::wstring& why) {
  return AskAndAnswer([](HWND box, std::wstring& w) { return Key(VK_ESCAPE, box, w); }, false, why);
}

bool CaseAltF4Cancels(std::wstring& why) {
  return AskAndAnswer(
      [](HWND box, std::wstring& w) {
        if (::GetForegroundWindow() != box) {
          w = L"the box is not the foreground window";
          return false;
        }
        INPUT input[4]{};
        for (INPUT& i : input) i.type = INPUT_KEYBOARD;
        input[0].ki.wVk = input[3].ki.wVk = VK_MENU;
        input[1].ki.wVk = input[2].ki.wVk = VK_F4;
        input[2].ki.dwFlags = input[3].ki.dwFlags = KEYEVENTF_KEYUP;
        ::SendInput(4, input, sizeof(INPUT));
        return true;
      },
      false, why);
}

bool CaseTopmostStepsAsideForTheBox(std::wstring& why) {
  return AskAndAnswer([](HWND box, std::wstring& w) { return Key(VK_RETURN, box, w); }, true, why,
                      true);
}

bool CaseCloseFromOutsideCancels(std::wstring& why) {
  return AskAndAnswer(
      [](HWND box, std::wstring&) { return ::PostMessageW(box, WM_CLOSE, 0, 0) != FALSE; }, false,
      why);
}

// A click on a button, after checking that pointing at it gives it the hover look.
bool PointAndClick(HWND box, POINT centre, std::wstring& why) {
  const HWND button = ::ChildWindowFromPoint(box, centre);
  if (button == nullptr || button == box) {
    why = L"no button under the pointer";
    return false;
  }
  const COLORREF before = PixelAt(button, kDiscPoint);
  if (!Near(before, RGB(0xF0, 0xF0, 0xF0))) {
    why = L"the button's disc shows " + Hex(before) + L" before hover, expected #F0F0F0";
    return false;
  }
  MovePointer(box, centre);
  COLORREF hovered = 0;
  if (!WaitUntil([&] { return Near(hovered = PixelAt(button, kDiscPoint), RGB(0x80, 0x80, 0x80)); },
                 2000)) {
    why = L"the hovered disc shows " + Hex(hovered) + L", expected #808080";
    return false;
  }
  ClickAt(box, centre);
  return true;
}

bool CaseTickConfirms(std::wstring& why) {
  return AskAndAnswer([](HWND box, std::wstring& w) { return PointAndClick(box, kTickCentre, w); },
                      true, why);
}

bool CaseCrossCancels(std::wstring& why) {
  return AskAndAnswer([](HWND box, std::wstring& w) { return PointAndClick(box, kCrossCentre, w); },
                      false, why);
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
