// The keyboard and screen readers, from outside as a user and an assistive program meet them:
// Tab and Enter through the editor, Enter on the list, Space on a switch, the painted buttons'
// names read with AccessibleObjectFromPoint, a second start while floating, and a note written
// and saved without the mouse.

#include <oleacc.h>

#include <cstdio>
#include <memory>

#include "e2e_support.h"

namespace tarvik::e2e {
namespace {

// The control with the keyboard focus in the window's thread, read from this process.
HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

bool IsMultiLineEdit(HWND c) {
  return c != nullptr && _wcsicmp(ClassOf(c).c_str(), L"Edit") == 0 &&
         (GetWindowLongPtrW(c, GWL_STYLE) & ES_MULTILINE) != 0;
}

// A key, or a chord with one modifier, then a moment for the program to take it.
void Key(WORD key, WORD modifier = 0) {
  if (modifier != 0) {
    SendKeys({modifier, key});
  } else {
    SendKeys({key});
  }
  Sleep(250);
}

// What a screen reader hears at a screen point: name and role, or why nothing.
struct Heard {
  std::wstring name;
  long role = 0;
  long state = 0;
  std::wstring problem;
};

Heard AccessibleAt(POINT at) {
  Heard heard;
  IAccessible* object = nullptr;
  VARIANT child;
  VariantInit(&child);
  const HRESULT hr = AccessibleObjectFromPoint(at, &object, &child);
  if (FAILED(hr) || object == nullptr) {
    heard.problem = L"AccessibleObjectFromPoint failed: " + std::to_wstring(hr);
    return heard;
  }
  BSTR name = nullptr;
  if (SUCCEEDED(object->get_accName(child, &name)) && name != nullptr) {
    heard.name.assign(name, SysStringLen(name));
    SysFreeString(name);
  }
  VARIANT value;
  VariantInit(&value);
  if (SUCCEEDED(object->get_accRole(child, &value)) && value.vt == VT_I4) heard.role = value.lVal;
  VariantClear(&value);
  if (SUCCEEDED(object->get_accState(child, &value)) && value.vt == VT_I4) heard.state = value.lVal;
  VariantClear(&value);
  VariantClear(&child);
  object->Release();
  return heard;
}

POINT Centre(HWND window) {
  const RECT rc = ScreenRect(window);
  return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

class KeyboardSession {
 public:
  explicit KeyboardSession(const fs::path& sourceExe)
      : program_(sourceExe, L"keys",
                 {{L"Note_1.tvk", L"第一条", L"一"}, {L"Note_2.tvk", L"第二条", L"二"}},
                 "[Options]\r\nOnTop=0\r\nStartUp=0") {}
  ~KeyboardSession() {
    if (com_) CoUninitialize();
  }
  KeyboardSession(const KeyboardSession&) = delete;
  KeyboardSession& operator=(const KeyboardSession&) = delete;

  std::wstring Start() {
    com_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    const std::wstring error = program_.Start();
    main_ = program_.Main();
    return error;
  }

  // The window opens with the keyboard in the note text; Shift+Tab reaches the title, Tab and
  // Enter go back to the text, and a plain Tab in the text is typed.
  std::wstring TabFromTitleReachesNote() {
    HWND note = program_.TextBox(true);
    HWND title = program_.TextBox(false);
    if (note == nullptr || title == nullptr) return L"no title or note box";
    if (!WaitUntil([&] { return FocusOf(main_) == note; }, kReactionTimeoutMs)) {
      return L"at start the focus is on " + ClassOf(FocusOf(main_)) + L", not the note box";
    }
    Key(VK_TAB, VK_SHIFT);
    if (FocusOf(main_) != title) return L"Shift+Tab from the note left the focus on " +
                                        ClassOf(FocusOf(main_));
    Key(VK_TAB);
    if (FocusOf(main_) != note) return L"Tab from the title did not reach the note box";
    Key(VK_TAB, VK_CONTROL);
    Key(VK_RETURN);
    if (FocusOf(main_) != note) return L"Ctrl+Tab, Enter did not go title -> note box";
    Key(VK_TAB);
    if (FocusOf(main_) != note || TextOf(note) != L"\t") {
      return L"a Tab in the note box left " + Quoted(TextOf(note)) + L" and the focus on " +
             ClassOf(FocusOf(main_));
    }
    return {};
  }

  // The list button's page has the keyboard in the list; Down and Enter open the next note.
  std::wstring EnterOnListOpens() {
    ClickCentre(program_.MenuButton(4));
    if (auto e = program_.WaitForPage(L"list"); !e.empty()) return e;
    HWND list = program_.NoteList();
    if (!WaitUntil([&] { return FocusOf(main_) == list; }, kReactionTimeoutMs)) {
      return L"the list page's focus is on " + ClassOf(FocusOf(main_));
    }
    Key(VK_HOME);
    Key(VK_DOWN);
    Key(VK_RETURN);
    if (auto e = program_.WaitForPage(L"editor"); !e.empty()) return L"Enter: " + e;
    if (TextOf(program_.TextBox(false)) != L"第二条") {
      return L"Enter opened " + Quoted(TextOf(program_.TextBox(false)));
    }
    if (!IsMultiLineEdit(FocusOf(main_))) return L"the opened note's text has no focus";
    return {};
  }

  // With the options open, Shift+Tab twice reaches the first switch ("置顶窗口"); Space flips
  // it, a reader hears it checked; Esc closes the panel back to the note text.
  std::wstring SpaceFlipsSwitch() {
    ClickCentre(program_.MenuButton(2));
    if (auto e = program_.WaitForPage(L"editor+options"); !e.empty()) return e;
    Key(VK_TAB, VK_SHIFT);
    Key(VK_TAB, VK_SHIFT);
    HWND sw = FocusOf(main_);
    const Heard before = AccessibleAt(Centre(sw));
    if (before.name != L"置顶窗口" || before.role != ROLE_SYSTEM_CHECKBUTTON) {
      return L"the focus is on \"" + before.name + L"\", role " + std::to_wstring(before.role) +
             before.problem;
    }
    Key(VK_SPACE);
    if (!WaitUntil([&] { return IsTopMost(main_); }, kReactionTimeoutMs)) {
      return L"Space on the switch left the window not topmost";
    }
    const Heard after = AccessibleAt(Centre(sw));
    if ((after.state & STATE_SYSTEM_CHECKED) == 0 || (after.state & STATE_SYSTEM_FOCUSED) == 0) {
      return L"after Space the switch's state is " + std::to_wstring(after.state);
    }
    Key(VK_SPACE);
    if (!WaitUntil([&] { return !IsTopMost(main_); }, kReactionTimeoutMs)) {
      return L"a second Space left the window topmost";
    }
    Key(VK_ESCAPE);
    if (auto e = program_.WaitForPage(L"editor"); !e.empty()) return L"Esc: " + e;
    if (!IsMultiLineEdit(FocusOf(main_))) return L"after Esc the note text has no focus";
    return {};
  }

  // Every menu and list button, read from this process as a screen reader reads it.
  std::wstring ButtonsHaveNames() {
    static const wchar_t* const kMenu[5] = {L"关闭", L"浮窗", L"选项", L"工具", L"列表"};
    std::wstring heardAll;
    for (int i = 0; i < 5; ++i) {
      const Heard h = AccessibleAt(Centre(program_.MenuButton(i)));
      heardAll += h.name + L" ";
      if (h.name != kMenu[i] || h.role != ROLE_SYSTEM_PUSHBUTTON) {
        return L"menu button " + std::to_wstring(i) + L" is \"" + h.name + L"\", role " +
               std::to_wstring(h.role) + L" " + h.problem;
      }
    }
    ClickCentre(program_.MenuButton(4));
    if (auto e = program_.WaitForPage(L"list"); !e.empty()) return e;
    static const wchar_t* const kList[6] = {L"新建笔记", L"删除笔记", L"清空笔记",
                                            L"导出笔记", L"导入笔记", L"查找笔记"};
    for (int i = 0; i < 6; ++i) {
      const Heard h = AccessibleAt(Centre(program_.ListButton(i)));
      heardAll += h.name + L" ";
      if (h.name != kList[i] || h.role != ROLE_SYSTEM_PUSHBUTTON) {
        return L"list button " + std::to_wstring(i) + L" is \"" + h.name + L"\" " + h.problem;
      }
    }
    ClickCentre(program_.MenuButton(4));
    PrintHeard(heardAll);
    return program_.WaitForPage(L"editor");
  }

  // Started again while it floats: the main window comes back and the second start ends.
  std::wstring SecondStartBringsMainBack() {
    ClickCentre(program_.MenuButton(1));
    HWND icon = nullptr;
    if (!WaitUntil([&] { return (icon = program_.Find(L"Form1")) != nullptr; },
                   kReactionTimeoutMs) ||
        !WaitUntil([&] { return !IsWindowVisible(main_); }, kReactionTimeoutMs)) {
      return L"the float button did not make the icon";
    }
    const Heard h = AccessibleAt(Centre(icon));
    if (h.name != L"浮窗") return L"the icon is heard as \"" + h.name + L"\"";
    PointerTo({700, 700});
    std::wstring error;
    auto second = ChildProcess::Start(program_.Exe(), &error);
    if (!second) return error;
    if (!second->WaitForExit(kStartTimeoutMs)) return L"the second start did not end";
    if (!WaitUntil([&] { return IsWindowVisible(main_) && program_.Find(L"Form1") == nullptr; },
                   kReactionTimeoutMs)) {
      return L"the main window did not come back";
    }
    if (!WaitUntil([&] { return GetForegroundWindow() == main_; }, kReactionTimeoutMs)) {
      return L"the main window is back but not in front";
    }
    return {};
  }

 private:
  static void PrintHeard(const std::wstring& names) {
    const std::string bytes = "  heard: " + ToUtf8(names) + "\n";
    fwrite(bytes.data(), 1, bytes.size(), stdout);
  }

  Program program_;
  HWND main_ = nullptr;
  bool com_ = false;
};

// From start to a saved note with the keyboard alone: title, Enter, text, Alt+F4, Enter.
std::wstring SaveWithKeysOnly(const fs::path& exe) {
  Program program(exe, L"keys_only");
  if (auto e = program.Start(); !e.empty()) return e;
  Key(VK_TAB, VK_SHIFT);
  TypeText(L"键盘笔记");
  Key(VK_RETURN);
  TypeText(L"不用鼠标");
  Key(VK_F4, VK_MENU);
  HWND box = WaitForQuestionBox(program.Id(), kReactionTimeoutMs);
  if (box == nullptr) return L"Alt+F4 brought no question";
  Key(VK_RETURN);
  if (!program.WaitForExit(kReactionTimeoutMs)) return L"Enter on the question did not end it";
  const std::string saved = ReadAll(program.NotesFolder() / L"Note_1.tvk");
  if (FromUtf8(saved) != L"键盘笔记\r\n不用鼠标") {
    return L"Note_1.tvk holds " + Quoted(FromUtf8(saved));
  }
  return {};
}

}  // namespace

Cases KeyboardCases(const fs::path& exe) {
  // One instance through the steps; a step that cannot begin says why.
  struct Run {
    explicit Run(const fs::path& e) : session(e) {}
    KeyboardSession session;
    std::optional<std::wstring> started;
    bool failed = false;
  };
  auto run = std::make_shared<Run>(exe);
  auto step = [run](std::wstring (KeyboardSession::*act)()) {
    return [run, act]() -> std::wstring {
      if (!run->started) run->started = run->session.Start();
      if (!run->started->empty()) return *run->started;
      if (run->failed) return L"an earlier step failed";
      std::wstring failure = (run->session.*act)();
      run->failed = !failure.empty();
      return failure;
    };
  };
  return {
      {L"keys_tab_from_title_reaches_note", step(&KeyboardSession::TabFromTitleReachesNote)},
      {L"keys_enter_on_list_opens_note", step(&KeyboardSession::EnterOnListOpens)},
      {L"keys_space_flips_switch", step(&KeyboardSession::SpaceFlipsSwitch)},
      {L"access_buttons_named_from_outside", step(&KeyboardSession::ButtonsHaveNames)},
      {L"second_start_brings_main_back", step(&KeyboardSession::SecondStartBringsMainBack)},
      {L"keys_only_start_to_saved_note", [exe] { return SaveWithKeysOnly(exe); }},
  };
}

}  // namespace tarvik::e2e
