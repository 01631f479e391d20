// The keyboard and screen readers from outside, as a user and an assistive program meet them:
// Tab and Enter through the editor, Enter on the list, Space on a switch, the painted buttons'
// names read with AccessibleObjectFromPoint, a second start while floating, and a note saved
// from start to end without the mouse.

#include <oleacc.h>

#include <memory>

#include "e2e_support.h"

namespace tarvik::e2e {
namespace {

// The control with the keyboard focus in the window's thread, read from this process.
HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus
                                                                            : nullptr;
}

// A key, or a chord with one modifier, then a moment for the program to take it.
void Key(WORD key, WORD modifier = 0) {
  SendKeys(modifier != 0 ? std::vector<WORD>{modifier, key} : std::vector<WORD>{key});
  Sleep(250);
}

// What a screen reader hears at the centre of a window: "name/role/state".
std::wstring HeardAt(HWND window) {
  const RECT rc = ScreenRect(window);
  IAccessible* object = nullptr;
  VARIANT child;
  if (FAILED(AccessibleObjectFromPoint({(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2},
                                       &object, &child))) {
    return L"nothing";
  }
  BSTR name = nullptr;
  std::wstring heard = SUCCEEDED(object->get_accName(child, &name)) && name ? name : L"";
  SysFreeString(name);
  for (auto get : {&IAccessible::get_accRole, &IAccessible::get_accState}) {
    VARIANT v;
    VariantInit(&v);
    heard += L"/" + std::to_wstring(SUCCEEDED((object->*get)(child, &v)) ? v.lVal : -1);
  }
  object->Release();
  return heard;
}

const std::wstring kPush = std::to_wstring(ROLE_SYSTEM_PUSHBUTTON);

class KeyboardSession {
 public:
  explicit KeyboardSession(const fs::path& exe)
      : program_(exe, L"keys",
                 {{L"Note_1.tvk", L"第一条", L"一"}, {L"Note_2.tvk", L"第二条", L"二"}},
                 "[Options]\r\nOnTop=0\r\nStartUp=0") {}

  std::wstring Start() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const std::wstring error = program_.Start();
    main_ = program_.Main();
    return error;
  }

  // Opened on the note text; Shift+Tab reaches the title, Tab the text again, Ctrl+Tab and
  // Enter go title -> text, and a plain Tab in the text is typed.
  std::wstring TabFromTitleReachesNote() {
    HWND note = program_.TextBox(true);
    HWND title = program_.TextBox(false);
    std::wstring trail;
    for (auto [key, modifier, expected] : {std::tuple{0, 0, note},
                                           {VK_TAB, VK_SHIFT, title},
                                           {VK_TAB, 0, note},
                                           {VK_TAB, VK_CONTROL, title},
                                           {VK_RETURN, 0, note},
                                           {VK_TAB, 0, note}}) {
      if (key != 0) Key(static_cast<WORD>(key), static_cast<WORD>(modifier));
      trail += ClassOf(FocusOf(main_)) + L" ";
      if (FocusOf(main_) != expected) return L"the focus went " + trail;
    }
    return TextOf(note) == L"\t" ? L"" : L"the note box holds " + Quoted(TextOf(note));
  }

  // The list page has the keyboard in the list; Home, Down and Enter open the second note.
  std::wstring EnterOnListOpens() {
    ClickCentre(program_.MenuButton(4));
    if (auto e = program_.WaitForPage(L"list"); !e.empty()) return e;
    if (FocusOf(main_) != program_.NoteList()) return L"the list has no focus";
    Key(VK_HOME);
    Key(VK_DOWN);
    Key(VK_RETURN);
    if (auto e = program_.WaitForPage(L"editor"); !e.empty()) return e;
    return TextOf(program_.TextBox(false)) == L"第二条" && FocusOf(main_) == program_.TextBox(true)
               ? L""
               : L"Enter opened " + Quoted(TextOf(program_.TextBox(false)));
  }

  // Options opened by the mouse take the keyboard on "置顶窗口"; Tab and Shift+Tab come back to
  // it, Space flips it (checked, topmost), Esc closes the panel back to the note text.
  std::wstring SpaceFlipsSwitch() {
    ClickCentre(program_.MenuButton(2));
    if (auto e = program_.WaitForPage(L"editor+options"); !e.empty()) return e;
    if (FocusOf(main_) == program_.TextBox(true)) return L"the keyboard stayed in the note box";
    Key(VK_TAB);
    Key(VK_TAB, VK_SHIFT);
    Key(VK_SPACE);
    Screenshot(L"switch_focus_mark");
    const std::wstring checked =
        L"置顶窗口/" + std::to_wstring(ROLE_SYSTEM_CHECKBUTTON) + L"/" +
        std::to_wstring(STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED | STATE_SYSTEM_CHECKED);
    if (HeardAt(FocusOf(main_)) != checked || !IsTopMost(main_)) {
      return L"after Space the focused switch is " + HeardAt(FocusOf(main_));
    }
    Key(VK_SPACE);
    Key(VK_ESCAPE);
    if (auto e = program_.WaitForPage(L"editor"); !e.empty()) return e;
    return !IsTopMost(main_) && FocusOf(main_) == program_.TextBox(true) ? L"" : L"Esc, Space";
  }

  std::wstring MenuButtonsNamed() {
    std::wstring heard;
    for (int i = 0; i < 5; ++i) heard += HeardAt(program_.MenuButton(i)) + L" ";
    const std::wstring expected = L"关闭/" + kPush + L"/0 浮窗/" + kPush + L"/0 选项/" + kPush +
                                  L"/0 工具/" + kPush + L"/0 列表/" + kPush + L"/0 ";
    return heard == expected ? L"" : L"heard " + heard;
  }

  // Started again while it floats: the main window comes back in front; the start ends.
  std::wstring SecondStartBringsMainBack() {
    ClickCentre(program_.MenuButton(1));
    HWND icon = nullptr;
    WaitUntil([&] { return (icon = program_.Find(L"Form1")) != nullptr; }, kReactionTimeoutMs);
    if (HeardAt(icon) != L"浮窗/" + kPush + L"/0") return L"the icon is " + HeardAt(icon);
    std::wstring error;
    const auto second = ChildProcess::Start(program_.Exe(), &error);
    if (!second || !second->WaitForExit(kStartTimeoutMs)) return L"the second start went on";
    return WaitUntil([&] { return GetForegroundWindow() == main_ && !program_.Find(L"Form1"); },
                     kReactionTimeoutMs)
               ? L""
               : L"the main window did not come back in front";
  }

 private:
  Program program_;
  HWND main_ = nullptr;
};

// Start, Shift+Tab, a title, Enter, a text, Alt+F4, Enter: the note is on disk.
std::wstring SaveWithKeysOnly(const fs::path& exe) {
  Program program(exe, L"keys_only");
  if (auto e = program.Start(); !e.empty()) return e;
  Key(VK_TAB, VK_SHIFT);
  TypeText(L"键盘笔记");
  Key(VK_RETURN);
  TypeText(L"不用鼠标");
  Key(VK_F4, VK_MENU);
  if (WaitForQuestionBox(program.Id(), kReactionTimeoutMs) == nullptr) return L"no question";
  Key(VK_RETURN);
  if (!program.WaitForExit(kReactionTimeoutMs)) return L"Enter on the question did not end it";
  const std::wstring saved = FromUtf8(ReadAll(program.NotesFolder() / L"Note_1.tvk"));
  return saved == L"键盘笔记\r\n不用鼠标" ? L"" : L"Note_1.tvk holds " + Quoted(saved);
}

}  // namespace

Cases KeyboardCases(const fs::path& exe) {
  const auto step = SessionSteps<KeyboardSession>(exe);
  // The keys-only start first: the session's instance, started by its first step, would
  // take its start for a second one.
  return {
      {L"keys_only_start_to_saved_note", [exe] { return SaveWithKeysOnly(exe); }},
      {L"keys_tab_from_title_reaches_note", step(&KeyboardSession::TabFromTitleReachesNote)},
      {L"keys_enter_on_list_opens_note", step(&KeyboardSession::EnterOnListOpens)},
      {L"keys_space_flips_switch", step(&KeyboardSession::SpaceFlipsSwitch)},
      {L"access_menu_buttons_named_from_outside", step(&KeyboardSession::MenuButtonsNamed)},
      {L"second_start_brings_main_back", step(&KeyboardSession::SecondStartBringsMainBack)},
  };
}

}  // namespace tarvik::e2e
