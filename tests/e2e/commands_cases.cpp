// The menu bar's pages, the list page's commands (with the real file dialogs), the borderless
// frame (resizing from the edge, moving by the bar), and the ways out that save. Each case
// starts the program afresh and ends it by force.

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "e2e_support.h"

namespace tarvik::e2e {
namespace {

// Empty once the list holds exactly these titles, else what it holds.
std::wstring TitlesAre(Program& program, const std::vector<std::wstring>& expected) {
  std::vector<std::wstring> titles;
  if (!WaitUntil([&] { return (titles = program.Titles()) == expected; }, kReactionTimeoutMs))
    return L"the list holds " + Join(titles, L" | ");
  return {};
}

// The cases that save work in a folder of their own with this one note.
const std::vector<NoteFile> kOneNote{{L"Note_1.tvk", L"first", L"one"}};

// ---- the cases --------------------------------------------------------------------------------

std::wstring StartsOnAFreshNote(const fs::path& exe) {
  Program program(exe, L"commands", kOneNote);
  if (auto error = program.Start(); !error.empty()) return error;
  if (auto error = program.WaitForPage(L"editor"); !error.empty()) return error;
  const std::wstring title = TextOf(program.TextBox(false));
  const std::wstring text = TextOf(program.TextBox(true));
  if (title != kUntitled || !text.empty()) {
    return L"the editor shows title \"" + title + L"\" and text \"" + text + L"\"";
  }
  // No frame: the client area is the whole window.
  RECT client{};
  GetClientRect(program.Main(), &client);
  const RECT outer = ScreenRect(program.Main());
  if (client.right != outer.right - outer.left || client.bottom != outer.bottom - outer.top) {
    return L"the window still has a frame: outer " + Describe(outer) + L", client " +
           Describe(client);
  }
  Screenshot(L"page_editor");
  return {};
}

std::wstring MenuButtonsSwitchPages(const fs::path& exe) {
  Program program(exe, L"commands", kOneNote);
  if (auto error = program.Start(); !error.empty()) return error;
  const struct {
    int button;
    const wchar_t* page;
    const wchar_t* shot;
  } steps[] = {
      {2, L"editor+options", L"page_options"},
      {3, L"editor+tools", L"page_tools"},
      {3, L"editor", nullptr},
      {4, L"list", L"page_list"},
      {2, L"editor+options", nullptr},
      {4, L"list", nullptr},
      {4, L"editor", nullptr},
  };
  for (const auto& step : steps) {
    const HWND button = program.MenuButton(step.button);
    if (button == nullptr) return L"the menu bar has not five 20 x 20 buttons";
    // Two quick clicks on one button are a double-click, not two clicks.
    Sleep(GetDoubleClickTime() + 100);
    ClickCentre(button);
    if (auto error = program.WaitForPage(step.page); !error.empty()) {
      return L"after menu button " + std::to_wstring(step.button) + L": " + error;
    }
    if (step.shot) Screenshot(step.shot);
  }
  return {};
}

std::wstring NewAndDelete(const fs::path& exe) {
  Program program(exe, L"commands", kOneNote);
  if (auto error = program.Start(); !error.empty()) return error;
  ClickCentre(program.MenuButton(4));
  if (auto error = program.WaitForPage(L"list"); !error.empty()) return error;
  const std::vector<std::wstring> before = program.Titles();
  ClickCentre(program.ListButton(0));  // New: a second fresh note, in the editor
  if (auto error = program.WaitForPage(L"editor"); !error.empty()) return L"New: " + error;
  std::vector<std::wstring> expected = before;
  expected.push_back(kUntitled);
  if (program.Titles() != expected) {
    return L"after New the list holds " + Join(program.Titles(), L" | ");
  }
  ClickCentre(program.MenuButton(4));
  if (auto error = program.WaitForPage(L"list"); !error.empty()) return error;
  ClickCentre(program.ListButton(1));  // Delete the new note
  if (!WaitUntil([&] { return program.Titles() == before; }, kReactionTimeoutMs)) {
    return L"after Delete the list holds " + Join(program.Titles(), L" | ");
  }
  if (auto error = program.WaitForPage(L"list"); !error.empty()) return L"Delete: " + error;
  return {};
}

// UTF-16 behind its byte-order mark, as Notepad saves "Unicode" and "Unicode big endian".
std::string Utf16Bytes(const std::wstring& text, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const wchar_t c : text) {
    const char high = static_cast<char>((c >> 8) & 0xFF), low = static_cast<char>(c & 0xFF);
    bytes += bigEndian ? high : low;
    bytes += bigEndian ? low : high;
  }
  return bytes;
}

std::wstring ExportAndImportThroughTheFileDialog(const fs::path& exe) {
  Program program(exe, L"commands", kOneNote);
  const fs::path folder = program.Folder() / L"exchange";
  fs::create_directories(folder);
  if (auto error = program.Start(); !error.empty()) return error;
  // A note with a title and two lines, committed by the switch to the list page.
  ClickCentre(program.TextBox(false));
  Bound(program.TextBox(false)).object.Text(L"购物");
  ClickCentre(program.TextBox(true));
  TypeText(L"牛奶\r面包");  // Enter in a note box starts a new line: CR LF
  ClickCentre(program.MenuButton(4));
  if (auto error = program.WaitForPage(L"list"); !error.empty()) return error;

  // A name typed without extension gets the filter's ".tvk".
  ClickCentre(program.ListButton(3));
  if (auto error = program.AnswerFileDialog(L"导出文件", (folder / L"购物").wstring());
      !error.empty()) {
    return error;
  }
  const fs::path exported = folder / L"购物.tvk";
  if (!WaitUntil([&] { return fs::exists(exported); }, kReactionTimeoutMs)) {
    return L"no " + exported.wstring() + L" after the export";
  }
  WaitUntil([&] { return !ReadAll(exported).empty(); }, kReactionTimeoutMs);
  const std::string bytes = ReadAll(exported);
  if (bytes != ToUtf8(L"购物\r\n牛奶\r\n面包")) {
    return L"the exported file holds " + std::to_wstring(bytes.size()) + L" unexpected bytes: " +
           FromUtf8(bytes);
  }

  // Exporting over it asks first; answered no, the file stays as it was.
  WriteBytes(exported, "old");
  // A second click on the same button soon after the first would be a double-click.
  Sleep(GetDoubleClickTime() + 100);
  ClickCentre(program.ListButton(3));
  HWND dialog = nullptr;
  if (auto error = program.EnterFileName(L"导出文件", exported.wstring(), dialog); !error.empty()) {
    return L"second export: " + error;
  }
  HWND prompt = nullptr;
  WaitUntil(
      [&] {
        prompt = nullptr;
        for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
          if (w != dialog && IsWindowVisible(w) && GetWindow(w, GW_OWNER) == dialog) prompt = w;
        }
        return prompt != nullptr;
      },
      kReactionTimeoutMs);
  if (prompt == nullptr) return L"no question before overwriting " + exported.wstring();
  Screenshot(L"export_overwrite_prompt");
  PostMessageW(prompt, WM_COMMAND, IDNO, 0);
  Sleep(300);
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  WaitUntil([&] { return !IsWindow(dialog); }, kReactionTimeoutMs);
  if (ReadAll(exported) != "old") return L"the file was overwritten although the answer was no";

  // An upper-case TXT file comes in whole as the text of an untitled note.
  const fs::path text = folder / L"NOTE.TXT";
  WriteBytes(text, ToUtf8(L"第一行\r\n第二行"));
  const std::size_t count = program.Titles().size();
  ClickCentre(program.ListButton(4));
  if (auto error = program.AnswerFileDialog(L"导入文件", text.wstring()); !error.empty()) {
    return error;
  }
  if (auto error = program.WaitForPage(L"editor"); !error.empty()) return L"import: " + error;
  const std::wstring shown = TextOf(program.TextBox(true));
  if (shown != L"第一行\r\n第二行" || program.Titles().size() != count + 1) {
    return L"after the import the editor shows \"" + shown + L"\" and the list holds " +
           std::to_wstring(program.Titles().size()) + L" notes";
  }

  // The encodings Notepad writes come in as the same text: GBK, UTF-16 LE and BE with marks.
  const std::wstring wanted = L"导入的笔记\r\n中文";
  const struct {
    const wchar_t* name;
    std::string bytes;
  } encoded[] = {
      {L"gbk.txt", "\xb5\xbc\xc8\xeb\xb5\xc4\xb1\xca\xbc\xc7\r\n\xd6\xd0\xce\xc4"},
      {L"utf16le.txt", Utf16Bytes(wanted, false)},
      {L"utf16be.txt", Utf16Bytes(wanted, true)},
  };
  for (const auto& file : encoded) {
    WriteBytes(folder / file.name, file.bytes);
    ClickCentre(program.MenuButton(4));
    if (auto error = program.WaitForPage(L"list"); !error.empty()) return file.name + error;
    ClickCentre(program.ListButton(4));
    if (auto error = program.AnswerFileDialog(L"导入文件", (folder / file.name).wstring());
        !error.empty()) {
      return file.name + (L": " + error);
    }
    if (auto error = program.WaitForPage(L"editor"); !error.empty()) return file.name + error;
    if (const std::wstring got = TextOf(program.TextBox(true)); got != wanted) {
      return std::wstring(file.name) + L" came in as \"" + got + L"\"";
    }
  }
  return {};
}

std::wstring EdgeResizesAndBarMoves(const fs::path& exe) {
  Program program(exe, L"commands", kOneNote);
  if (auto error = program.Start(); !error.empty()) return error;
  const RECT start = ScreenRect(program.Main());
  // Bottom-right corner, 1 pixel in: the window grows with the drag.
  Drag({start.right - 2, start.bottom - 2}, {start.right + 38, start.bottom + 28});
  RECT grown{};
  const bool resized = WaitUntil(
      [&] {
        grown = ScreenRect(program.Main());
        return grown.right - grown.left == start.right - start.left + 40 &&
               grown.bottom - grown.top == start.bottom - start.top + 30;
      },
      kReactionTimeoutMs);
  if (!resized || grown.left != start.left || grown.top != start.top) {
    return L"after a 40 x 30 drag of the corner " + Describe(start) + L" became " + Describe(grown);
  }
  // The menu bar was laid out at the new width.
  if (ScreenRect(program.MenuBar()).right != grown.right - 2) {
    return L"the menu bar ends at " + std::to_wstring(ScreenRect(program.MenuBar()).right) +
           L", the window at " + std::to_wstring(grown.right);
  }
  // Dragging the menu bar between the title and the buttons moves the window.
  const RECT bar = ScreenRect(program.MenuBar());
  const POINT grip{bar.left + 130, bar.top + 12};
  Drag(grip, {grip.x + 60, grip.y + 45});
  RECT moved{};
  const bool went = WaitUntil(
      [&] {
        moved = ScreenRect(program.Main());
        return moved.left == grown.left + 60 && moved.top == grown.top + 45;
      },
      kReactionTimeoutMs);
  if (!went || moved.right - moved.left != grown.right - grown.left) {
    return L"after a drag of the menu bar by 60, 45 " + Describe(grown) + L" became " +
           Describe(moved);
  }
  // Dragged far inwards from the left edge, the window stops at its minimum size.
  Drag({moved.left + 1, (moved.top + moved.bottom) / 2}, {moved.left + 250, moved.top + 200});
  RECT small{};
  WaitUntil(
      [&] {
        small = ScreenRect(program.Main());
        return small.right - small.left == 216;
      },
      kReactionTimeoutMs);
  if (small.right - small.left != 216 || small.bottom - small.top != moved.bottom - moved.top) {
    return L"after a drag below the minimum the window is " + Describe(small);
  }
  // A double-click on the edge ends with a release on the window's own surface; the window
  // then holds the mouse, so a right click outside it opens its system menu ...
  ClickAt({small.left + 1, (small.top + small.bottom) / 2}, 2);
  PointerTo({small.right + 150, small.top + 60});
  SendMouse(MOUSEEVENTF_RIGHTDOWN);
  SendMouse(MOUSEEVENTF_RIGHTUP);
  HWND menu = nullptr;
  WaitUntil(
      [&] {
        menu = FindWindowW(L"#32768", nullptr);
        return menu != nullptr && IsWindowVisible(menu);
      },
      kReactionTimeoutMs);
  if (menu == nullptr || !IsWindowVisible(menu))
    return L"no system menu after a right click outside";
  Screenshot(L"system_menu");
  SendKeys({VK_ESCAPE});
  WaitUntil([&] { return !IsWindowVisible(menu); }, kReactionTimeoutMs);
  // ... and a click inside still reaches the control under the pointer.
  Sleep(300);
  ClickCentre(program.MenuButton(2));
  return program.WaitForPage(L"editor+options");
}

// Types into the title box and the note text of the fresh note, as a user would.
void TypeNote(const Program& program, const std::wstring& title, const std::wstring& text) {
  ClickCentre(program.TextBox(false));
  TypeText(title);
  ClickCentre(program.TextBox(true));
  TypeText(text);
}

std::wstring ExitSavesAndARestartShowsIt(const fs::path& exe) {
  Program program(exe, L"exit_case", kOneNote);
  if (auto error = program.Start(); !error.empty()) return error;
  TypeNote(program, L"退出", L"保存的文字");
  Sleep(GetDoubleClickTime() + 100);
  ClickCentre(program.MenuButton(0));
  const HWND box = WaitForQuestionBox(program.Id(), kReactionTimeoutMs);
  if (box == nullptr) return L"the close button asked nothing";
  Screenshot(L"question_exit");
  AnswerQuestion(box, true);
  if (!program.WaitForExit(10000)) return L"still running after the yes";
  const std::string saved = ReadAll(program.NotesFolder() / L"Note_2.tvk");
  if (saved != ToUtf8(L"退出\r\n保存的文字")) {
    return L"Note_2.tvk holds " + FromUtf8(saved);
  }
  const std::string config = ReadAll(program.ConfigFile());
  if (config.rfind("[Main]\r\nLeft=", 0) != 0 || config.find("StartUp=0") == std::string::npos) {
    return L"Config.ini holds " + FromUtf8(config);
  }
  if (auto error = program.Start(); !error.empty()) return L"restart: " + error;
  if (auto error = TitlesAre(program, {L"first", L"退出", kUntitled}); !error.empty())
    return L"after the restart " + error;
  return {};
}

std::wstring LogoffSavesWithoutAsking(const fs::path& exe) {
  Program program(exe, L"logoff_case", kOneNote);
  if (auto error = program.Start(); !error.empty()) return error;
  TypeNote(program, L"注销", L"未保存的编辑");
  // Minimised, the window is parked off screen; its normal place is what must be saved.
  const RECT normal = ScreenRect(program.Main());
  PostMessageW(program.Main(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  if (!WaitUntil([&] { return IsIconic(program.Main()) != FALSE; }, kReactionTimeoutMs)) {
    return L"the window did not minimise";
  }
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(program.Main(), WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
  if (answer != TRUE) return L"WM_QUERYENDSESSION was answered " + std::to_wstring(answer);
  SendMessageTimeoutW(program.Main(), WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 10000, &answer);
  const std::string saved = ReadAll(program.NotesFolder() / L"Note_2.tvk");
  if (saved != ToUtf8(L"注销\r\n未保存的编辑")) {
    return L"after the end of the session Note_2.tvk holds " + FromUtf8(saved);
  }
  if (WaitForQuestionBox(program.Id(), 300) != nullptr) {
    return L"the end of the session asked a question";
  }
  const std::string config = ReadAll(program.ConfigFile());
  for (const auto& [key, pixels] : {std::pair{"Left=", normal.left}, {"Top=", normal.top}}) {
    const std::size_t at = config.find(key);
    const double twips =
        at == std::string::npos ? -1e9 : std::atof(config.c_str() + at + std::strlen(key));
    if (std::abs(twips / 15 - pixels) > 1) {
      return L"Config.ini does not keep the normal place (" + std::to_wstring(normal.left) + L"," +
             std::to_wstring(normal.top) + L" px): " + FromUtf8(config);
    }
  }
  return {};
}

// How many files or folders beside Notes have names that begin with prefix.
int Beside(const Program& program, const std::wstring& prefix) {
  int count = 0;
  for (const auto& entry : fs::directory_iterator(program.Folder()))
    count += entry.path().filename().wstring().rfind(prefix, 0) == 0;
  return count;
}

// The program's notice (the system message box captioned "Tarvik"), once shown.
HWND WaitForNotice(DWORD pid, DWORD timeoutMs) {
  HWND box = nullptr;
  WaitUntil(
      [&] {
        for (HWND window : ShownWindows(pid, L"Tarvik")) {
          if (ClassOf(window) == L"#32770") box = window;
        }
        return box != nullptr;
      },
      timeoutMs);
  return box;
}

std::wstring NoticeText(HWND box) {
  std::wstring text;
  for (HWND child : Descendants(box)) {
    if (ClassOf(child) == L"Static") text += TextOf(child);
  }
  return text;
}

// The start offers the typing of a run that ended by force, and the answer is yes; else what
// the start did instead.
std::wstring TakeTheOffer(Program& program) {
  const HWND box = WaitForQuestionBox(program.Id(), kStartTimeoutMs);
  if (box == nullptr) {
    const HWND notice = WaitForNotice(program.Id(), 0);
    return L"the restart asked nothing" +
           (notice ? L", it told: " + NoticeText(notice) : std::wstring());
  }
  AnswerQuestion(box, true);
  return {};
}

// Another program holding a file with no sharing at all, as a scanner or a sync client does.
using HeldFile = std::unique_ptr<void, BOOL(WINAPI*)(HANDLE)>;
HeldFile Hold(const fs::path& file) {
  return {CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
          CloseHandle};
}

// Whether the record beside Notes comes to hold text within a few seconds.
bool Recorded(const Program& program, const std::wstring& text) {
  return WaitUntil(
      [&] {
        return ReadAll(program.Folder() / L"Notes.recovery").find(ToUtf8(text)) !=
               std::string::npos;
      },
      8000);
}

// The exit through the close button, confirmed.
std::wstring ExitConfirmed(Program& program) {
  Sleep(GetDoubleClickTime() + 100);
  ClickCentre(program.MenuButton(0));
  const HWND box = WaitForQuestionBox(program.Id(), kReactionTimeoutMs);
  if (box == nullptr) return L"the close button asked nothing";
  const std::wstring asked = QuestionText(box);
  AnswerQuestion(box, true);
  if (!program.WaitForExit(10000)) return L"still running after the yes to \"" + asked + L"\"";
  return {};
}

std::wstring ListShows(Program& program, const std::vector<std::wstring>& expected) {
  ClickCentre(program.MenuButton(4));
  if (auto error = program.WaitForPage(L"list"); !error.empty()) return error;
  return TitlesAre(program, expected);
}

// A crash, then a sync client rewrites a note before the next start: the typing is still
// offered, and taken next to the rewritten note, which is copied aside first.
std::wstring ACrashThenASyncStillOffersTheTyping(const fs::path& exe) {
  Program program(exe, L"recovery_sync", kOneNote);
  if (auto error = program.Start(); !error.empty()) return error;
  TypeNote(program, L"崩溃", L"同步前的文字");
  if (!Recorded(program, L"同步前的文字")) return L"the typing never reached the record";
  program.End();
  if (!WriteBytes(program.NotesFolder() / L"Note_1.tvk", ToUtf8(L"first\r\n同步改过"))) {
    return L"the outside change could not be written";
  }
  if (auto error = program.Launch(); !error.empty()) return L"restart: " + error;
  if (auto error = TakeTheOffer(program); !error.empty()) return L"after the sync " + error;
  if (auto error = program.WaitForMain(); !error.empty()) return L"after the answer: " + error;
  if (auto error = ListShows(program, {L"first", L"崩溃", kUntitled}); !error.empty()) return error;
  if (Beside(program, L"Notes.replaced-") != 1) return L"no copy of the folder was kept";
  if (auto error = ExitConfirmed(program); !error.empty()) return error;
  const std::string first = ReadAll(program.NotesFolder() / L"Note_1.tvk");
  const std::string typed = ReadAll(program.NotesFolder() / L"Note_2.tvk");
  if (first != ToUtf8(L"first\r\n同步改过") || typed != ToUtf8(L"崩溃\r\n同步前的文字"))
    return L"after the exit the notes are " + FromUtf8(first) + L" / " + FromUtf8(typed);
  return {};
}

// A note held with no sharing through the start: the user is told which, the run is still
// recorded (a crash loses nothing), and the exit leaves that note as it is.
std::wstring ANoteHeldAtStartIsToldRecordedAndKept(const fs::path& exe) {
  Program program(exe, L"recovery_held_note",
                  {{L"Note_1.tvk", L"first", L"one"}, {L"Note_2.tvk", L"second", L"two"}});
  HeldFile held = Hold(program.NotesFolder() / L"Note_2.tvk");
  if (held.get() == INVALID_HANDLE_VALUE) return L"the note could not be held";
  if (auto error = program.Launch(); !error.empty()) return error;
  for (int run = 0; run < 2; ++run) {
    const HWND notice = WaitForNotice(program.Id(), kStartTimeoutMs);
    if (notice == nullptr) return L"run " + std::to_wstring(run) + L": nothing was told";
    const std::wstring told = NoticeText(notice);
    if (told.find(L"Note_2.tvk") == std::wstring::npos) return L"the notice says \"" + told + L"\"";
    if (run == 0) Screenshot(L"notice_held_note");
    PostMessageW(notice, WM_COMMAND, IDOK, 0);
    // Captioned "Tarvik" as the main window is: gone before the main window is looked for.
    WaitUntil([&] { return !IsWindow(notice); }, kReactionTimeoutMs);
    if (run == 1) {
      if (auto error = TakeTheOffer(program); !error.empty()) return L"after the crash " + error;
    }
    if (auto error = program.WaitForMain(); !error.empty()) return error;
    if (run == 1) break;
    TypeNote(program, L"占用", L"记下的文字");
    if (!Recorded(program, L"记下的文字")) return L"the typing never reached the record";
    program.End();
    if (auto error = program.Launch(); !error.empty()) return L"restart: " + error;
  }
  if (auto error = ListShows(program, {L"first", L"占用", kUntitled}); !error.empty()) return error;
  if (auto error = ExitConfirmed(program); !error.empty()) return error;
  held.reset();
  const std::string kept = ReadAll(program.NotesFolder() / L"Note_2.tvk");
  const std::string typed = ReadAll(program.NotesFolder() / L"Note_3.tvk");
  if (kept != "second\r\ntwo" || typed != ToUtf8(L"占用\r\n记下的文字"))
    return L"after the exit Note_2 holds " + FromUtf8(kept) + L", Note_3 " + FromUtf8(typed);
  return {};
}

// The record held by another program while the user types: the typing reaches it by itself
// within 5 s of the release, and a crash then loses nothing.
std::wstring ARecordHeldWhileTypingCatchesUp(const fs::path& exe) {
  Program program(exe, L"recovery_held_record", kOneNote);
  if (auto error = program.Start(); !error.empty()) return error;
  TypeNote(program, L"记录", L"line1");
  const fs::path record = program.Folder() / L"Notes.recovery";
  if (!Recorded(program, L"line1")) return L"the record never held line1";
  HeldFile held = Hold(record);
  if (held.get() == INVALID_HANDLE_VALUE) return L"the record could not be held";
  TypeText(L" line2");
  Sleep(8000);
  held.reset();
  if (!WaitUntil([&] { return ReadAll(record).find("line2") != std::string::npos; }, 5000))
    return L"5 s after the release the record still lacks line2";
  program.End();
  if (auto error = program.Launch(); !error.empty()) return L"restart: " + error;
  if (auto error = TakeTheOffer(program); !error.empty()) return error;
  if (auto error = program.WaitForMain(); !error.empty()) return error;
  return ListShows(program, {L"first", L"记录", kUntitled});
}

// A run ended by force after typing: the next start asks whether to bring the typing back.
std::wstring ARestartAfterAForcedEndOffersTheTyping(const fs::path& exe, bool yes) {
  Program program(exe, yes ? L"recovery_yes" : L"recovery_no", kOneNote);
  if (auto error = program.Start(); !error.empty()) return error;
  TypeNote(program, L"崩溃", L"没保存的文字");
  // The record follows the last keystroke within a few seconds.
  Sleep(6000);
  program.End();
  if (auto error = program.Launch(); !error.empty()) return L"restart: " + error;
  const HWND box = WaitForQuestionBox(program.Id(), kStartTimeoutMs);
  if (box == nullptr) return L"the restart asked nothing";
  const std::wstring asked = QuestionText(box);
  if (asked != L"上次“Tarvik”没有正常退出。要恢复未保存的笔记吗？") {
    return L"the restart asked \"" + asked + L"\"";
  }
  Screenshot(L"question_recovery");
  AnswerQuestion(box, yes);
  if (auto error = program.WaitForMain(); !error.empty()) return L"after the answer: " + error;
  if (auto error = ListShows(program, yes ? std::vector<std::wstring>{L"first", L"崩溃", kUntitled}
                                          : std::vector<std::wstring>{L"first", kUntitled});
      !error.empty()) {
    return L"after the answer " + error;
  }
  if (!yes)
    return Beside(program, L"Notes.recovery.old-") == 1 ? L"" : L"the record was not kept aside";
  if (fs::exists(program.NotesFolder() / L"Note_2.tvk")) return L"restored before the exit";
  if (auto error = ExitConfirmed(program); !error.empty()) return error;
  const std::string saved = ReadAll(program.NotesFolder() / L"Note_2.tvk");
  if (saved != ToUtf8(L"崩溃\r\n没保存的文字")) return L"Note_2.tvk holds " + FromUtf8(saved);
  if (fs::exists(program.Folder() / L"Notes.recovery")) return L"the exit left the record";
  return {};
}

}  // namespace

// A note saved from Notepad in the Chinese code page is listed as written, and the exit writes
// it back as UTF-8 with the same text, not the damage a UTF-8 reading would make of it.
std::wstring ANoteInTheCodePageIsReadAndKept(const fs::path& exe) {
  Program program(exe, L"code_page_note", kOneNote);
  if (!WriteBytes(program.NotesFolder() / L"Note_1.tvk", "\xD6\xD0\xCE\xC4\r\n\xB1\xCA\xBC\xC7"))
    return L"the note could not be written";
  if (auto error = program.Start(); !error.empty()) return error;
  if (auto error = ListShows(program, {L"中文", kUntitled}); !error.empty()) return error;
  if (auto error = ExitConfirmed(program); !error.empty()) return error;
  const std::string saved = ReadAll(program.NotesFolder() / L"Note_1.tvk");
  return saved == ToUtf8(L"中文\r\n笔记") ? L""
                                          : L"after the exit the note holds " + FromUtf8(saved);
}

Cases CommandCases(const fs::path& exe) {
  return {
      {L"starts_on_fresh_note", [exe] { return StartsOnAFreshNote(exe); }},
      {L"menu_buttons_switch_pages", [exe] { return MenuButtonsSwitchPages(exe); }},
      {L"new_and_delete", [exe] { return NewAndDelete(exe); }},
      {L"export_import_file_dialog", [exe] { return ExportAndImportThroughTheFileDialog(exe); }},
      {L"edge_resize_and_bar_move", [exe] { return EdgeResizesAndBarMoves(exe); }},
      {L"exit_saves_restart_shows", [exe] { return ExitSavesAndARestartShowsIt(exe); }},
      {L"code_page_note_read_and_kept", [exe] { return ANoteInTheCodePageIsReadAndKept(exe); }},
      {L"logoff_saves_without_asking", [exe] { return LogoffSavesWithoutAsking(exe); }},
      {L"recovery_after_forced_end_yes",
       [exe] { return ARestartAfterAForcedEndOffersTheTyping(exe, true); }},
      {L"recovery_after_forced_end_no",
       [exe] { return ARestartAfterAForcedEndOffersTheTyping(exe, false); }},
      {L"recovery_crash_then_sync", [exe] { return ACrashThenASyncStillOffersTheTyping(exe); }},
      {L"recovery_note_held_at_start",
       [exe] { return ANoteHeldAtStartIsToldRecordedAndKept(exe); }},
      {L"recovery_record_held_while_typing",
       [exe] { return ARecordHeldWhileTypingCatchesUp(exe); }},
  };
}

}  // namespace tarvik::e2e
