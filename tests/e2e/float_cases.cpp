// Edge snapping, auto-hide at the left screen edge, the floating window, its pop-up, the
// wheel over it and the way back: steps of one program instance, driven with real input. With
// TARVIK_E2E_SHOTS set, screenshots of the docked, floating and pop-up states.

#include <memory>

#include "e2e_support.h"

namespace tarvik::e2e {
namespace {

class FloatSession {
 public:
  // Near the left edge, so the drag that docks it is short and ends over the window.
  explicit FloatSession(const fs::path& sourceExe)
      : program_(sourceExe, L"float", Notes(),
                 "[Main]\r\nLeft=900\r\nTop=3420\r\nWidth=4470\r\nHeight=5160\r\n"
                 "[Options]\r\nOnTop=0\r\nStartUp=0") {}
  ~FloatSession() { SendKey(VK_CONTROL, false); }
  FloatSession(const FloatSession&) = delete;
  FloatSession& operator=(const FloatSession&) = delete;

  static std::wstring NoteText(int i) { return L"第 " + std::to_wstring(i) + L" 条的正文"; }
  static std::vector<NoteFile> Notes() {
    std::vector<NoteFile> notes;
    for (int i = 1; i <= 3; ++i) {
      notes.push_back(
          {L"Note_" + std::to_wstring(i) + L".tvk", L"标题 " + std::to_wstring(i), NoteText(i)});
    }
    return notes;
  }

  std::wstring Start() {
    const std::wstring error = program_.Start();
    main_ = program_.Main();
    return error;
  }

  // Dragged by its menu bar to 10 pixels from the left edge, the window sticks to it.
  std::wstring SnapsWhenDragged() {
    const RECT before = ScreenRect(main_);
    const POINT grip{before.left + 132, before.top + 14};
    Drag(grip, {grip.x - (before.left - 10), grip.y});
    RECT after{};
    if (!WaitUntil([&] { return (after = ScreenRect(main_)).left == 0; }, kReactionTimeoutMs) ||
        after.top != before.top) {
      return L"dragged to 10 pixels from the left, " + Describe(before) + L" became " +
             Describe(after);
    }
    Screenshot(L"docked_left");
    return {};
  }

  // Docked left: gone once the cursor leaves; back when it touches the edge beside it.
  std::wstring HidesAndReturns() {
    const RECT docked = ScreenRect(main_);
    const int width = docked.right - docked.left;
    PointerTo({700, (docked.top + docked.bottom) / 2});
    RECT now{};
    if (!WaitUntil([&] { return (now = ScreenRect(main_)).left == -width; }, kReactionTimeoutMs)) {
      return L"with the cursor away the docked window is at " + Describe(now);
    }
    for (int y : {static_cast<int>(docked.top) - 5, static_cast<int>(docked.bottom) + 5}) {
      PointerTo({0, y});
      Sleep(kNoChangeMs);
      if ((now = ScreenRect(main_)).left != -width) {
        return L"touching the edge at y " + std::to_wstring(y) + L", outside " + Describe(docked) +
               L", brought it to " + Describe(now);
      }
    }
    PointerTo({0, (docked.top + docked.bottom) / 2});
    if (!WaitUntil([&] { return (now = ScreenRect(main_)).left == 0; }, kReactionTimeoutMs)) {
      return L"touching the edge beside it left it at " + Describe(now);
    }
    PointerTo({40, (docked.top + docked.bottom) / 2});  // keep it out
    return {};
  }

  // "浮窗": a 48 x 48 topmost, colour-keyed window in the main window's corner.
  std::wstring FloatReplacesMain() {
    const RECT main = ScreenRect(main_);
    HWND button = program_.MenuButton(1);
    if (button == nullptr) return L"no float button on the menu bar";
    ClickCentre(button);
    if (!WaitUntil([&] { return (float_ = program_.Find(L"Form1")) != nullptr; },
                   kReactionTimeoutMs)) {
      return L"no window \"Form1\" after the float button";
    }
    if (!WaitUntil([&] { return !IsWindowVisible(main_); }, kReactionTimeoutMs)) {
      return L"the main window is still shown";
    }
    const RECT f = ScreenRect(float_);
    if (f.left != main.left || f.top != main.top || f.right - f.left != 48 ||
        f.bottom - f.top != 48) {
      return L"the floating window is " + Describe(f) + L", the main window was " + Describe(main);
    }
    if (!IsTopMost(float_)) return L"not topmost";
    // No task bar button: a tool window.
    if (!(GetWindowLongPtrW(float_, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)) return L"not a tool window";
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    if (!GetLayeredWindowAttributes(float_, &key, &alpha, &flags) || key != RGB(255, 255, 255) ||
        (flags & LWA_COLORKEY) == 0) {
      return L"not colour-keyed white";
    }
    // Away from it, so the pop-up is not open in the picture.
    PointerTo({700, 700});
    Sleep(kNoChangeMs);
    Screenshot(L"floating");
    return {};
  }

  // The pop-up opens beside the floating window on the side with room: right of it in the
  // left half, left of it in the right half.
  std::wstring PopupOnTheRightSide() {
    for (int pass = 0; pass < 2; ++pass) {
      const RECT f = ScreenRect(float_);
      PointerTo({f.left + 20, f.top + 20});
      PointerTo({f.left + 24, f.top + 24});
      if (!WaitUntil([&] { return (popup_ = program_.Find(L"frmShowText")) != nullptr; },
                     kReactionTimeoutMs)) {
        return L"no pop-up over the floating window at " + Describe(f);
      }
      const RECT p = ScreenRect(popup_);
      if (!(GetWindowLongPtrW(popup_, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)) {
        return L"the pop-up is not a tool window";
      }
      const bool rightOf = p.left == f.right + 8;
      const bool leftOf = p.right == f.left - 8;
      if ((pass == 0 && !rightOf) || (pass == 1 && !leftOf) || p.top != f.top) {
        return L"the pop-up is at " + Describe(p) + L" beside " + Describe(f);
      }
      COLORREF key = 0;
      BYTE alpha = 0;
      DWORD flags = 0;
      if (!GetLayeredWindowAttributes(popup_, &key, &alpha, &flags) || alpha != 191 ||
          (flags & LWA_ALPHA) == 0) {
        return L"the pop-up is not 75 % opaque (alpha " + std::to_wstring(alpha) + L")";
      }
      if (pass == 0) {
        // Dragged into the right half; the press closes the pop-up.
        Drag({f.left + 24, f.top + 24}, {1000, f.top + 24});
        const RECT moved = ScreenRect(float_);
        if (moved.left != 1000 - 24)
          return L"the drag left the floating window at " + Describe(moved);
      }
    }
    Screenshot(L"popup");
    return {};
  }

  // Ctrl held, a move over the floating window, one wheel turn down; true once the box shows
  // `expected`. Wine drops an injected Ctrl again whenever the X server reports its own
  // (released) modifiers, so a turn that found Ctrl gone is tried again.
  bool CtrlWheelDownTo(HWND box, const std::wstring& expected) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      SendKey(VK_CONTROL, true);
      // Moved by the input itself: a pointer warp would bring the X server's key state.
      INPUT move{};
      move.type = INPUT_MOUSE;
      move.mi.dx = attempt % 2 == 0 ? 1 : -1;
      move.mi.dwFlags = MOUSEEVENTF_MOVE;
      SendInput(1, &move, sizeof(move));
      Sleep(kSettleMs);
      SendMouse(MOUSEEVENTF_WHEEL, static_cast<DWORD>(-WHEEL_DELTA));
      if (WaitUntil([&] { return TextOf(box) == expected; }, 1500)) return true;
    }
    return false;
  }

  // Ctrl moved over it, then the wheel: the next note, in the pop-up too.
  std::wstring CtrlWheelStepsNotes() {
    HWND box = FindWindowExW(popup_, nullptr, L"Edit", nullptr);
    if (box == nullptr) return L"no text box in the pop-up";
    const std::wstring before = TextOf(box);
    const RECT f = ScreenRect(float_);
    PointerTo({f.left + 22, f.top + 22});
    // From the fresh note (the last) down to the first, then the second.
    const bool stepped = CtrlWheelDownTo(box, NoteText(1));
    const std::wstring after = TextOf(box);
    const bool again = stepped && CtrlWheelDownTo(box, NoteText(2));
    SendKey(VK_CONTROL, false);
    if (!stepped || !again) {
      return L"Ctrl+wheel down from \"" + before + L"\" showed \"" + after + L"\" then \"" +
             TextOf(box) + L"\"";
    }
    Screenshot(L"popup_note");
    return {};
  }

  // Dragged by its picture to the bottom-right corner and double-clicked where the drag
  // ended: the main window comes back there, wholly on the screen, and stays while the
  // cursor is over it.
  std::wstring DoubleClickRestores() {
    const RECT f = ScreenRect(float_);
    const int screenW = GetSystemMetrics(SM_CXSCREEN);
    const int screenH = GetSystemMetrics(SM_CYSCREEN);
    const POINT corner{screenW - 24, screenH - 24};
    Drag({f.left + 24, f.top + 24}, corner);
    ClickAt(corner, 2);
    if (!WaitUntil([&] { return IsWindowVisible(main_) != FALSE; }, kReactionTimeoutMs)) {
      return L"the main window did not come back";
    }
    for (int tick = 0; tick < 5; ++tick) {
      Sleep(kNoChangeMs / 2);
      const RECT m = ScreenRect(main_);
      if (m.right != screenW || m.bottom != screenH || m.left < 0 || m.top < 0) {
        return L"the main window came back at " + Describe(m);
      }
    }
    if (program_.Find(L"Form1") != nullptr) return L"the floating window stayed";
    Screenshot(L"restored");
    return {};
  }

 private:
  Program program_;
  HWND main_ = nullptr;
  HWND float_ = nullptr;
  HWND popup_ = nullptr;
};

}  // namespace

Cases FloatCases(const fs::path& exe) {
  const auto step = SessionSteps<FloatSession>(exe);
  return {
      {L"float_snap_on_drag", step(&FloatSession::SnapsWhenDragged)},
      {L"float_docked_left_hides_and_returns", step(&FloatSession::HidesAndReturns)},
      {L"float_command_shows_topmost_icon", step(&FloatSession::FloatReplacesMain)},
      {L"float_popup_beside_on_the_side_with_room", step(&FloatSession::PopupOnTheRightSide)},
      {L"float_ctrl_wheel_steps_notes", step(&FloatSession::CtrlWheelStepsNotes)},
      {L"float_double_click_restores_on_screen", step(&FloatSession::DoubleClickRestores)},
  };
}

}  // namespace tarvik::e2e
