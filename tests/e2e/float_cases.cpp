#include "float_cases.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <system_error>
#include <vector>

#include "e2e_support.h"

namespace tarvik::e2e {
namespace {

namespace fs = std::filesystem;

constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kReactionTimeoutMs = 5000;
constexpr DWORD kSettleMs = 150;
// Two timer ticks and some: long enough for a window that would move to have moved.
constexpr DWORD kNoChangeMs = 600;

std::wstring Describe(const RECT& rc) {
  return L"(" + std::to_wstring(rc.left) + L"," + std::to_wstring(rc.top) + L" " +
         std::to_wstring(rc.right - rc.left) + L"x" + std::to_wstring(rc.bottom - rc.top) + L")";
}

std::wstring TextOf(HWND window) {
  const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
  const LRESULT got =
      SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return text;
}

void SendMouse(DWORD flags, DWORD data = 0) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  input.mi.mouseData = data;
  SendInput(1, &input, sizeof(input));
}

void SendKey(WORD key, bool down) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  SendInput(1, &input, sizeof(input));
  Sleep(50);
}

// With TARVIK_E2E_SHOTS naming a folder, asks whoever watches it for a screenshot: writes
// <name>.want and waits for <name>.png.
void Screenshot(const std::wstring& name) {
  wchar_t folder[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"TARVIK_E2E_SHOTS", folder, MAX_PATH) == 0) return;
  std::ofstream(fs::path(folder) / (name + L".want")).put('\n');
  WaitUntil([&] { return fs::exists(fs::path(folder) / (name + L".png")); }, 5000);
}

struct Found {
  DWORD pid;
  std::wstring caption;
  HWND window;
};

// A visible top-level window of the process with this caption.
HWND ShownWindow(DWORD pid, const std::wstring& caption) {
  Found found{pid, caption, nullptr};
  EnumWindows(
      [](HWND window, LPARAM data) {
        auto* f = reinterpret_cast<Found*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == f->pid && IsWindowVisible(window) && TextOf(window) == f->caption) {
          f->window = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found.window;
}

HWND FirstChildOfClass(HWND parent, const wchar_t* className) {
  return FindWindowExW(parent, nullptr, className, nullptr);
}

// Children of the main window's menu bar: the bar is the panel 24 pixels high, its buttons
// the 20 x 20 panels in it; the float button is the second from the right.
HWND FloatButton(HWND main) {
  for (HWND bar = GetWindow(main, GW_CHILD); bar; bar = GetWindow(bar, GW_HWNDNEXT)) {
    const RECT b = ScreenRect(bar);
    if (b.bottom - b.top != 24) continue;
    std::vector<HWND> buttons;
    for (HWND c = GetWindow(bar, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      const RECT r = ScreenRect(c);
      if (r.right - r.left == 20 && r.bottom - r.top == 20) buttons.push_back(c);
    }
    if (buttons.size() != 5) continue;
    std::sort(buttons.begin(), buttons.end(),
              [](HWND x, HWND y) { return ScreenRect(x).left > ScreenRect(y).left; });
    return buttons[1];
  }
  return nullptr;
}

class FloatSession {
 public:
  explicit FloatSession(const fs::path& sourceExe) {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    folder_ = fs::path(temp) / (L"tarvik-e2e-float-" + std::to_wstring(GetCurrentProcessId()));
    std::error_code error;
    fs::remove_all(folder_, error);
    fs::create_directories(folder_ / L"Notes", error);
    fs::copy_file(sourceExe, folder_ / L"Tarvik.exe", fs::copy_options::overwrite_existing, error);
    if (error) problem_ = L"cannot copy the program";
    // Near the left edge, so the drag that docks it is short and ends over the window.
    WriteBytes(folder_ / L"Config.ini",
               "[Main]\r\nLeft=900\r\nTop=3420\r\nWidth=4470\r\nHeight=5160\r\n"
               "[Options]\r\nOnTop=0\r\nStartUp=0");
    for (int i = 1; i <= 3; ++i) {
      WriteBytes(folder_ / L"Notes" / (L"Note_" + std::to_wstring(i) + L".tvk"),
                 ToUtf8(L"标题 " + std::to_wstring(i) + L"\r\n" + NoteText(i)));
    }
  }
  ~FloatSession() {
    SendKey(VK_CONTROL, false);
    // A close from outside would ask first; nothing here needs saving.
    if (process_ && process_->IsRunning()) process_->Terminate();
    process_.reset();
    std::error_code error;
    fs::remove_all(folder_, error);
  }
  FloatSession(const FloatSession&) = delete;
  FloatSession& operator=(const FloatSession&) = delete;

  static std::wstring NoteText(int i) { return L"第 " + std::to_wstring(i) + L" 条的正文"; }

  std::wstring Start() {
    if (!problem_.empty()) return problem_;
    std::wstring error;
    process_ = ChildProcess::Start(folder_ / L"Tarvik.exe", &error);
    if (!process_) return error;
    WaitUntil([&] { return (main_ = ShownWindow(process_->Id(), L"Tarvik")) != nullptr; },
              kStartTimeoutMs);
    if (main_ == nullptr) return L"no main window";
    SetForegroundWindow(main_);
    Sleep(300);
    return {};
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
    HWND button = FloatButton(main_);
    if (button == nullptr) return L"no float button on the menu bar";
    const RECT b = ScreenRect(button);
    PointerTo({(b.left + b.right) / 2, (b.top + b.bottom) / 2});
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    Sleep(50);
    SendMouse(MOUSEEVENTF_LEFTUP);
    if (!WaitUntil([&] { return (float_ = ShownWindow(process_->Id(), L"Form1")) != nullptr; },
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
    if ((GetWindowLongPtrW(float_, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0) return L"not topmost";
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
      if (!WaitUntil(
              [&] { return (popup_ = ShownWindow(process_->Id(), L"frmShowText")) != nullptr; },
              kReactionTimeoutMs)) {
        return L"no pop-up over the floating window at " + Describe(f);
      }
      const RECT p = ScreenRect(popup_);
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

  // Ctrl moved over it, then the wheel: the next note, in the pop-up too.
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
    HWND box = FirstChildOfClass(popup_, L"Edit");
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

  // Dragged to the bottom-right corner and double-clicked: the main window comes back there,
  // wholly on the screen.
  std::wstring DoubleClickRestores() {
    const RECT f = ScreenRect(float_);
    const int screenW = GetSystemMetrics(SM_CXSCREEN);
    const int screenH = GetSystemMetrics(SM_CYSCREEN);
    Drag({f.left + 24, f.top + 24}, {screenW - 24, screenH - 24});
    PointerTo({screenW - 20, screenH - 20});
    for (int click = 0; click < 2; ++click) {
      SendMouse(MOUSEEVENTF_LEFTDOWN);
      Sleep(30);
      SendMouse(MOUSEEVENTF_LEFTUP);
      Sleep(60);
    }
    if (!WaitUntil([&] { return IsWindowVisible(main_) != FALSE; }, kReactionTimeoutMs)) {
      return L"the main window did not come back";
    }
    Sleep(kNoChangeMs);
    const RECT m = ScreenRect(main_);
    if (m.right != screenW || m.bottom != screenH || m.left < 0 || m.top < 0) {
      return L"the main window came back at " + Describe(m);
    }
    if (ShownWindow(process_->Id(), L"Form1") != nullptr) return L"the floating window stayed";
    Screenshot(L"restored");
    return {};
  }

 private:
  fs::path folder_;
  std::wstring problem_;
  std::optional<ChildProcess> process_;
  HWND main_ = nullptr;
  HWND float_ = nullptr;
  HWND popup_ = nullptr;
};

}  // namespace

std::vector<std::pair<std::wstring, std::wstring>> RunFloatCases(const fs::path& sourceExe) {
  std::vector<std::pair<std::wstring, std::wstring>> results;
  FloatSession session(sourceExe);
  const std::wstring started = session.Start();
  const auto step = [&](const wchar_t* name, std::wstring (FloatSession::*run)()) {
    // A case that cannot begin because an earlier one failed says so.
    const bool blocked = !started.empty() || (!results.empty() && !results.back().second.empty());
    results.emplace_back(
        name, blocked ? (started.empty() ? L"an earlier step failed" : started) : (session.*run)());
  };
  step(L"float_snap_on_drag", &FloatSession::SnapsWhenDragged);
  step(L"float_docked_left_hides_and_returns", &FloatSession::HidesAndReturns);
  step(L"float_command_shows_topmost_icon", &FloatSession::FloatReplacesMain);
  step(L"float_popup_beside_on_the_side_with_room", &FloatSession::PopupOnTheRightSide);
  step(L"float_ctrl_wheel_steps_notes", &FloatSession::CtrlWheelStepsNotes);
  step(L"float_double_click_restores_on_screen", &FloatSession::DoubleClickRestores);
  return results;
}

}  // namespace tarvik::e2e
