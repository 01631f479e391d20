// End-to-end checks of the real Tarvik.exe, run under Wine (or on Windows):
//   tarvik_e2e.exe <path to Tarvik.exe>
// First the cases for clsWindow itself run against a window of the driver's own. Then the
// program is copied into a fresh program folder with a prepared Notes folder, started, and
// driven from outside through clsWindow, the way a user would; the cases that open notes each
// start an instance of their own. One line per case, then "N passed, N failed"; the exit code
// is the number of failed cases.

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "cls_window_cases.h"
#include "commands_cases.h"
#include "e2e_support.h"
#include "float_cases.h"
#include "question_cases.h"
#include "settings_cases.h"
#include "robustness_cases.h"
#include "util/cls_window.h"

namespace tarvik::e2e {
namespace {

namespace fs = std::filesystem;
using util::clsWindow;

// The main window's caption exactly, as a regular expression for the title finder.
const std::wstring kCaptionPattern = L"^Tarvik$";
const std::wstring kUntitled = L"[无标题]";
// Start-up under a cold Wine server can take several seconds; a warm one well under one.
constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kSecondStartTimeoutMs = 5000;
constexpr DWORD kReactionTimeoutMs = 5000;
// Each finder call waits at most this long, so the driver can also notice a program that ended.
constexpr int kFinderWaitSeconds = 1;
// Under Wine without a window manager a moved pointer needs a moment before a click lands.
constexpr int kPointerSettleMs = 150;
// The classes a text box may have, for the control lookup's regular-expression form.
const std::wstring kTextBoxClasses = L"^(Edit|RichEdit20W|RICHEDIT50W)$";
// Typed into the search box; non-ASCII on purpose, so the Unicode input path is exercised.
const std::wstring kSearchText = L"记 1";
// Opened by a double-click in the note list: neither the first note nor the last, so a wrong
// row or a text taken from another note shows.
constexpr int kOpenedByClickIndex = 4;
// Found by exactly one title, whose note sits at yet another place in the list.
const std::wstring kUniqueSearchText = L"旅行";

struct NoteFile {
  std::wstring fileName;
  std::wstring title;
  std::wstring text;
};

// Twelve notes, so that a name-ordered listing (Note_10 before Note_2) shows up as a fault;
// one extension in capitals; texts with line breaks of their own.
std::vector<NoteFile> SampleNotes() {
  std::vector<NoteFile> notes;
  for (int i = 1; i <= 12; ++i) {
    const std::wstring number = std::to_wstring(i);
    NoteFile note;
    note.fileName = L"Note_" + number + (i == 7 ? L".TVK" : L".tvk");
    note.title = i == 4 ? L"Shopping 4" : i == 9 ? L"旅行计划 9" : L"笔记 " + number;
    note.text = L"第 " + number + L" 条笔记\r\n第二行\r\n";
    notes.push_back(note);
  }
  return notes;
}

struct Session {
  fs::path programDir;
  fs::path exe;
  std::vector<std::wstring> titles;
  std::vector<std::wstring> texts;
  FolderSnapshot notesBefore;
  std::optional<ChildProcess> program;
  WindowHandle mainWindow = 0;
  WindowHandle list1 = 0;
};

void PrintLine(const std::wstring& line) {
  const std::string bytes = ToUtf8(line) + "\n";
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

std::wstring Describe(const std::vector<std::wstring>& items) {
  return L"[" + Join(items, L" | ") + L"]";
}

std::wstring PrepareProgramFolder(const fs::path& sourceExe, Session& session) {
  wchar_t temp[MAX_PATH + 1] = {};
  if (GetTempPathW(MAX_PATH + 1, temp) == 0) {
    return L"no temporary folder";
  }
  session.programDir = fs::path(temp) / (L"tarvik-e2e-" + std::to_wstring(GetCurrentProcessId()));
  std::error_code error;
  fs::remove_all(session.programDir, error);
  fs::create_directories(session.programDir / L"Notes", error);
  if (error) {
    return L"cannot create " + session.programDir.wstring();
  }
  session.exe = session.programDir / L"Tarvik.exe";
  fs::copy_file(sourceExe, session.exe, fs::copy_options::overwrite_existing, error);
  if (error) {
    return L"cannot copy " + sourceExe.wstring();
  }
  for (const NoteFile& note : SampleNotes()) {
    if (!WriteBytes(session.programDir / L"Notes" / note.fileName,
                    ToUtf8(note.title + L"\r\n" + note.text))) {
      return L"cannot write " + note.fileName;
    }
    session.titles.push_back(note.title);
    session.texts.push_back(note.text);
  }
  // Not a note: must be neither listed nor touched.
  WriteBytes(session.programDir / L"Notes" / L"readme.txt", "not a note\r\nleave me alone");
  session.notesBefore = SnapshotFolder(session.programDir / L"Notes");
  return {};
}

// --- clsWindow in the driver's hands ---

// A clsWindow bound to `window` (0: nothing bound).
struct Bound {
  explicit Bound(WindowHandle window) : object(DriverPlatform()) { object.hwnd = window; }
  clsWindow object;
};

// Visible on screen: the window and all its ancestors are shown.
bool IsShown(WindowHandle window) {
  Bound probe(window);
  return window != 0 && probe.object.CheckWindow() && probe.object.Visible();
}

std::wstring TextOf(WindowHandle window) {
  return Bound(window).object.Text();
}

// Every control of the bound window that the control lookup finds, in list order.
std::vector<WindowHandle> ElementsByClassName(clsWindow& container, const std::wstring& className,
                                              bool useRegExp = false) {
  std::vector<WindowHandle> found;
  for (int index = 1;; ++index) {
    const WindowHandle control = container.GetElementHwndByClassName(className, index, useRegExp);
    if (control == 0) {
      return found;
    }
    found.push_back(control);
  }
}

// The visible top-level windows captioned "Tarvik" (of one process if pid is not 0).
std::vector<WindowHandle> MainWindows(DWORD pid = 0) {
  clsWindow finder(DriverPlatform());
  std::wstring list;
  finder.GetWindowByTitleEx(kCaptionPattern, 0, &list, true, pid, 1);
  std::vector<WindowHandle> windows;
  std::wistringstream tokens(list);
  for (std::wstring token; tokens >> token;) {
    windows.push_back(static_cast<WindowHandle>(std::stoll(token)));
  }
  return windows;
}

// A real click, as a user gives it: the pointer moves, settles, then the button goes down
// and up. Relative points count from the bound window's top-left corner.
void RealClick(clsWindow& window, int x, int y) {
  window.SetCursor(x, y, L"relative");
  window.Wait(kPointerSettleMs);
  window.ClickPoint(x, y, L"relative", 1, 0, kPointerSettleMs);
}

void RealClickCentre(clsWindow& window) {
  RealClick(window, window.Width() / 2, window.Height() / 2);
}

// The control list of a window, for failure messages.
std::wstring ControlsOf(WindowHandle window) {
  clsWindow lister(DriverPlatform());
  return L"; controls:\r\n" + lister.ControlsInfo(window);
}

// --- the cases; each returns an empty string when it passes, else why it failed ---

std::wstring WindowAppears(Session& session) {
  std::wstring error;
  session.program = ChildProcess::Start(session.exe, &error);
  if (!session.program) {
    return error;
  }
  const DWORD pid = session.program->Id();
  clsWindow finder(DriverPlatform());
  const ULONGLONG deadline = GetTickCount64() + kStartTimeoutMs;
  bool ended = false;
  for (;;) {
    finder.GetWindowByTitleEx(kCaptionPattern, kFinderWaitSeconds, nullptr, true, pid, 1);
    if (finder.hwnd != 0) {
      break;
    }
    ended = !session.program->IsRunning();
    if (ended || GetTickCount64() >= deadline) {
      break;
    }
  }
  if (finder.hwnd != 0) {
    if (finder.ProcessID() != pid) {
      return L"the window found belongs to process " + std::to_wstring(finder.ProcessID()) +
             L", not to " + std::to_wstring(pid);
    }
    session.mainWindow = finder.hwnd;
    return {};
  }
  if (ended) {
    return L"the program ended before showing its window";
  }
  return L"no visible window captioned \"Tarvik\" within " +
         std::to_wstring(kStartTimeoutMs / 1000) + L" s";
}

// The list is the folder's titles in numeric file order; a start may append one fresh
// untitled note after them.
bool MatchesLoadedTitles(const std::vector<std::wstring>& items,
                         const std::vector<std::wstring>& titles) {
  if (items == titles) {
    return true;
  }
  return items.size() == titles.size() + 1 && items.back() == kUntitled &&
         std::equal(titles.begin(), titles.end(), items.begin());
}

std::wstring ListShowsTitlesInOrder(Session& session) {
  if (session.mainWindow == 0) {
    return L"no main window";
  }
  Bound main(session.mainWindow);
  // The program opens on a fresh note; the note list is behind the menu bar's list button
  // (20 x 20 at 2,2 of the bar, which sits at 2,2 of the frameless window).
  RealClick(main.object, 2 + 2 + 10, 2 + 2 + 10);
  std::vector<std::wstring> seen;
  bool heldByHiddenList = false;
  WaitUntil(
      [&] {
        seen.clear();
        heldByHiddenList = false;
        for (WindowHandle listBox : ElementsByClassName(main.object, L"ListBox")) {
          const auto items = ReadListBox(listBox);
          if (!items) {
            continue;
          }
          const bool matches = MatchesLoadedTitles(*items, session.titles);
          if (!IsShown(listBox)) {
            heldByHiddenList = heldByHiddenList || matches;
            continue;
          }
          if (matches) {
            session.list1 = listBox;
            return true;
          }
          seen.push_back(Describe(*items));
        }
        return false;
      },
      kReactionTimeoutMs);
  if (session.list1 != 0) {
    return {};
  }
  if (heldByHiddenList) {
    return L"a list box holds the titles in order, but it is not shown";
  }
  return L"expected " + Describe(session.titles) + L"; visible list boxes hold " +
         (seen.empty() ? std::wstring(L"nothing (none found)") : Join(seen, L", ")) +
         ControlsOf(session.mainWindow);
}

bool Dark(COLORREF c) {
  return GetRValue(c) < 0xC0 && GetGValue(c) < 0xC0 && GetBValue(c) < 0xC0;
}

// The six list buttons show their glyphs on a white disc; pointing at one turns its disc
// grey, and moving on to the page turns it back. Read from the screen, as a person sees it.
std::wstring ListButtonsPainted(Session& session) {
  Bound main(session.mainWindow);
  std::vector<HWND> buttons;
  for (WindowHandle panel : ElementsByClassName(main.object, L"TarvikPanel")) {
    RECT r{};
    GetWindowRect(ToHwnd(panel), &r);
    if (r.right - r.left == 29 && r.bottom - r.top == 29 && IsShown(panel)) {
      buttons.push_back(ToHwnd(panel));
    }
  }
  if (buttons.size() != 6) {
    return std::to_wstring(buttons.size()) + L" shown 29 x 29 buttons, expected 6" +
           ControlsOf(session.mainWindow);
  }
  std::sort(buttons.begin(), buttons.end(), [](HWND a, HWND b) {
    RECT ra{}, rb{};
    GetWindowRect(a, &ra);
    GetWindowRect(b, &rb);
    return ra.left < rb.left;
  });
  // A point on each glyph, left to right: Find, New, Delete, Clear, Export, Import.
  const POINT glyph[6] = {{20, 20}, {10, 14}, {10, 14}, {7, 10}, {10, 21}, {10, 21}};
  const POINT disc{4, 14};
  for (size_t i = 0; i < buttons.size(); ++i) {
    const COLORREF corner = ScreenPixel(buttons[i], {0, 0});
    const COLORREF inside = ScreenPixel(buttons[i], disc);
    const COLORREF stroke = ScreenPixel(buttons[i], glyph[i]);
    if (!NearColour(corner, RGB(0xF4, 0xF4, 0xF4)) || !NearColour(inside, RGB(255, 255, 255)) ||
        !Dark(stroke)) {
      return L"button " + std::to_wstring(i + 1) + L" from the left shows corner " +
             HexColour(corner) + L", disc " + HexColour(inside) + L", glyph " + HexColour(stroke) +
             L"; expected #F4F4F4, #FFFFFF and a dark grey";
    }
  }
  const HWND newButton = buttons[1];
  Bound pointer(ToHandle(newButton));
  pointer.object.SetCursor(14, 14, L"relative");
  COLORREF hovered = 0;
  if (!WaitUntil(
          [&] { return NearColour(hovered = ScreenPixel(newButton, disc), RGB(0x80, 0x80, 0x80)); },
          kReactionTimeoutMs)) {
    return L"the pointed-at button's disc shows " + HexColour(hovered) + L", expected #808080";
  }
  // The gap between Find and New belongs to the list page.
  Bound page(ToHandle(GetParent(newButton)));
  page.object.SetCursor(35, 18, L"relative");
  COLORREF back = 0;
  if (!WaitUntil(
          [&] { return NearColour(back = ScreenPixel(newButton, disc), RGB(255, 255, 255)); },
          kReactionTimeoutMs)) {
    return L"after the pointer left, the disc shows " + HexColour(back) + L", expected #FFFFFF";
  }
  return {};
}

std::wstring SecondStartEnds(Session& session) {
  if (session.mainWindow == 0) {
    return L"no main window";
  }
  std::wstring error;
  std::optional<ChildProcess> second = ChildProcess::Start(session.exe, &error);
  if (!second) {
    return error;
  }
  if (!second->WaitForExit(kSecondStartTimeoutMs)) {
    const bool hasWindow = !MainWindows(second->Id()).empty();
    second->Terminate();
    return std::wstring(L"the second start was still running after ") +
           std::to_wstring(kSecondStartTimeoutMs / 1000) + L" s" +
           (hasWindow ? L" with a window of its own" : L"");
  }
  const std::vector<WindowHandle> windows = MainWindows();
  if (windows.size() != 1) {
    return std::to_wstring(windows.size()) +
           L" windows captioned \"Tarvik\" after the second start";
  }
  if (!session.program->IsRunning()) {
    return L"the first instance ended";
  }
  if (Bound(windows.front()).object.ProcessID() != session.program->Id()) {
    return L"the window captioned \"Tarvik\" is not the first instance's";
  }
  return {};
}

WindowHandle FindShownTextBox(WindowHandle container) {
  Bound page(container);
  for (WindowHandle box : ElementsByClassName(page.object, kTextBoxClasses, true)) {
    if (IsShown(box)) {
      return box;
    }
  }
  // A text box of a class of its own: the Find command focuses the search box.
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  const DWORD thread = GetWindowThreadProcessId(ToHwnd(container), nullptr);
  if (GetGUIThreadInfo(thread, &info) && info.hwndFocus != nullptr &&
      IsChild(ToHwnd(container), info.hwndFocus) && IsShown(ToHandle(info.hwndFocus))) {
    return ToHandle(info.hwndFocus);
  }
  return 0;
}

WindowHandle FindShownListBoxOtherThan(WindowHandle container, WindowHandle other) {
  Bound page(container);
  for (WindowHandle listBox : ElementsByClassName(page.object, L"ListBox")) {
    if (listBox != other && IsShown(listBox)) {
      return listBox;
    }
  }
  return 0;
}

// Clicks the Find button and waits for the search box and the result list to show.
std::wstring OpenSearch(const Session& session, WindowHandle& searchBox, WindowHandle& results) {
  if (session.list1 == 0) {
    return L"the note list was not found";
  }
  const WindowHandle listPage = ToHandle(GetParent(ToHwnd(session.list1)));
  if (!IsShown(listPage)) {
    return L"the list page is not shown";
  }
  // The Find button: a 29 x 29 button at 4,4 of the list page.
  Bound page(listPage);
  RealClick(page.object, 4 + 14, 4 + 14);
  searchBox = 0;
  results = 0;
  WaitUntil(
      [&] {
        searchBox = FindShownTextBox(listPage);
        results = FindShownListBoxOtherThan(listPage, session.list1);
        return searchBox != 0 && results != 0;
      },
      kReactionTimeoutMs);
  if (searchBox == 0 || results == 0) {
    return std::wstring(L"after a click on the Find button: ") +
           (searchBox == 0 ? L"no search box shown" : L"no result list shown") +
           ControlsOf(listPage);
  }
  return {};
}

std::wstring SearchFillsResults(Session& session) {
  WindowHandle searchBox = 0;
  WindowHandle results = 0;
  if (std::wstring error = OpenSearch(session, searchBox, results); !error.empty()) {
    return error;
  }
  std::vector<std::wstring> expected;
  for (const std::wstring& title : session.titles) {
    if (title.find(kSearchText) != std::wstring::npos) {
      expected.push_back(title);
    }
  }
  Bound box(searchBox);
  RealClickCentre(box.object);
  TypeText(kSearchText);
  std::vector<std::wstring> shown;
  const bool matched = WaitUntil(
      [&] {
        const auto items = ReadListBox(results);
        shown = items.value_or(std::vector<std::wstring>{});
        return items && *items == expected;
      },
      kReactionTimeoutMs);
  if (matched) {
    return {};
  }
  return L"search box holds \"" + TextOf(searchBox) + L"\"; expected results " +
         Describe(expected) + L", result list holds " + Describe(shown);
}

// A close from outside asks the exit question; "no" keeps the program running and the notes
// on disk as they were.
std::wstring CloseAsksFirst(Session& session) {
  if (!session.program) {
    return L"the program was not started";
  }
  Bound main(session.mainWindow);
  if (session.mainWindow == 0 || !main.object.CheckWindow()) {
    return L"no main window";
  }
  if (!main.object.CloseWindow()) {
    return L"the close request could not be posted";
  }
  const HWND box = WaitForQuestionBox(session.program->Id(), kReactionTimeoutMs);
  if (box == nullptr) {
    return L"no question box after WM_CLOSE";
  }
  if (QuestionText(box) != L"你确定要退出“Tarvik”吗？") {
    return L"the box asks \"" + QuestionText(box) + L"\"";
  }
  AnswerQuestion(box, false);
  if (!WaitUntil([&] { return !IsWindow(box); }, kReactionTimeoutMs)) {
    return L"the question box stayed after a click on its cross";
  }
  if (session.program->WaitForExit(500)) {
    return L"the program ended although the answer was no";
  }
  const std::wstring difference =
      CompareSnapshots(session.notesBefore, SnapshotFolder(session.programDir / L"Notes"));
  if (!difference.empty()) {
    return L"Notes folder: " + difference;
  }
  return {};
}

// --- fresh instances and the editor page ---

// Ends the running program, if any, without saving: a close would ask first, so the process
// is ended as a crash or a kill would end it.
void EndProgram(Session& session) {
  if (session.program) session.program->Terminate();
  session.program.reset();
  session.mainWindow = 0;
  session.list1 = 0;
}

// A fresh program instance on the same program folder, up to its note list, so a case does
// not depend on what the cases before it left behind.
std::wstring StartFresh(Session& session) {
  EndProgram(session);
  if (std::wstring error = WindowAppears(session); !error.empty()) {
    return L"fresh start: " + error;
  }
  if (std::wstring error = ListShowsTitlesInOrder(session); !error.empty()) {
    return L"fresh start: " + error;
  }
  return {};
}

// Line breaks made visible, for failure messages.
std::wstring Quoted(const std::wstring& text) {
  std::wstring quoted = L"\"";
  for (wchar_t c : text) {
    quoted += c == L'\r'   ? std::wstring(L"\\r")
              : c == L'\n' ? std::wstring(L"\\n")
                           : std::wstring(1, c);
  }
  return quoted + L"\"";
}

// A real double-click on the centre of a list box item: the pointer moves there, settles,
// then two presses and releases go out in one input batch.
std::wstring DoubleClickListItem(WindowHandle listBox, int index) {
  const std::optional<RECT> item = ListBoxItemRect(listBox, index);
  if (!item) {
    return L"no rectangle for list item " + std::to_wstring(index);
  }
  RECT client{};
  GetClientRect(ToHwnd(listBox), &client);
  POINT centre{(item->left + item->right) / 2, (item->top + item->bottom) / 2};
  if (!PtInRect(&client, centre)) {
    return L"list item " + std::to_wstring(index) + L" is scrolled out of view";
  }
  MapWindowPoints(ToHwnd(listBox), nullptr, &centre, 1);
  Bound list(listBox);
  list.object.SetCursor(centre.x, centre.y, L"absolute");
  list.object.Wait(kPointerSettleMs);
  list.object.ClickCurrentPoint(2);
  return {};
}

// The shown text boxes of the main window, split into one-line and multi-line ones.
struct ShownTextBoxes {
  std::vector<WindowHandle> singleLine;
  std::vector<WindowHandle> multiLine;
};

ShownTextBoxes FindShownTextBoxes(WindowHandle mainWindow) {
  ShownTextBoxes boxes;
  Bound main(mainWindow);
  for (WindowHandle box : ElementsByClassName(main.object, kTextBoxClasses, true)) {
    if (!IsShown(box)) {
      continue;
    }
    const LONG_PTR style = GetWindowLongPtrW(ToHwnd(box), GWL_STYLE);
    ((style & ES_MULTILINE) != 0 ? boxes.multiLine : boxes.singleLine).push_back(box);
  }
  return boxes;
}

// Waits until the editor page shows the note: one title box and one note box with exactly
// these texts, and the list the note was opened from no longer shown.
std::wstring EditorShows(const Session& session, WindowHandle openedFrom, const std::wstring& title,
                         const std::wstring& text) {
  ShownTextBoxes boxes;
  std::wstring shownTitle;
  std::wstring shownText;
  bool listShown = true;
  const bool shown = WaitUntil(
      [&] {
        listShown = IsShown(openedFrom);
        boxes = FindShownTextBoxes(session.mainWindow);
        shownTitle = boxes.singleLine.size() == 1 ? TextOf(boxes.singleLine.front()) : L"";
        shownText = boxes.multiLine.size() == 1 ? TextOf(boxes.multiLine.front()) : L"";
        return !listShown && boxes.singleLine.size() == 1 && boxes.multiLine.size() == 1 &&
               shownTitle == title && shownText == text;
      },
      kReactionTimeoutMs);
  if (shown) {
    return {};
  }
  if (boxes.singleLine.size() != 1 || boxes.multiLine.size() != 1) {
    return std::to_wstring(boxes.singleLine.size()) + L" one-line and " +
           std::to_wstring(boxes.multiLine.size()) +
           L" multi-line text boxes shown, expected one of each" + ControlsOf(session.mainWindow);
  }
  if (shownTitle != title || shownText != text) {
    return L"the editor shows title " + Quoted(shownTitle) + L" and text " + Quoted(shownText) +
           L"; expected " + Quoted(title) + L" and " + Quoted(text);
  }
  return L"the editor shows the note, but the list it was opened from is still shown";
}

std::wstring OpenByDoubleClick(Session& session) {
  if (std::wstring error = StartFresh(session); !error.empty()) {
    return error;
  }
  const size_t index = static_cast<size_t>(kOpenedByClickIndex);
  if (std::wstring error = DoubleClickListItem(session.list1, kOpenedByClickIndex);
      !error.empty()) {
    return error;
  }
  return EditorShows(session, session.list1, session.titles[index], session.texts[index]);
}

std::wstring OpenSearchResult(Session& session) {
  if (std::wstring error = StartFresh(session); !error.empty()) {
    return error;
  }
  WindowHandle searchBox = 0;
  WindowHandle results = 0;
  if (std::wstring error = OpenSearch(session, searchBox, results); !error.empty()) {
    return error;
  }
  std::vector<size_t> matching;
  for (size_t i = 0; i < session.titles.size(); ++i) {
    if (session.titles[i].find(kUniqueSearchText) != std::wstring::npos) {
      matching.push_back(i);
    }
  }
  if (matching.size() != 1) {
    return L"the sample notes have " + std::to_wstring(matching.size()) + L" titles with " +
           Quoted(kUniqueSearchText) + L", not one";
  }
  const size_t index = matching.front();
  Bound box(searchBox);
  RealClickCentre(box.object);
  TypeText(kUniqueSearchText);
  std::vector<std::wstring> shown;
  const std::vector<std::wstring> expected{session.titles[index]};
  if (!WaitUntil(
          [&] {
            const auto items = ReadListBox(results);
            shown = items.value_or(std::vector<std::wstring>{});
            return items && *items == expected;
          },
          kReactionTimeoutMs)) {
    return L"search box holds " + Quoted(TextOf(searchBox)) + L"; expected results " +
           Describe(expected) + L", result list holds " + Describe(shown);
  }
  if (std::wstring error = DoubleClickListItem(results, 0); !error.empty()) {
    return error;
  }
  return EditorShows(session, results, session.titles[index], session.texts[index]);
}

int Run(int argc, wchar_t** argv) {
  if (argc != 2) {
    PrintLine(L"usage: tarvik_e2e <path to Tarvik.exe>");
    PrintLine(L"0 passed, 1 failed");
    return 1;
  }
  Session session;
  int passed = 0;
  int failed = 0;
  const auto report = [&](const wchar_t* name, const std::wstring& failure) {
    if (failure.empty()) {
      ++passed;
      PrintLine(std::wstring(L"PASS ") + name);
    } else {
      ++failed;
      PrintLine(std::wstring(L"FAIL ") + name + L": " + failure);
    }
  };

  // TARVIK_E2E_GROUP=float runs the docking and floating-window cases alone.
  wchar_t group[16] = {};
  if (GetEnvironmentVariableW(L"TARVIK_E2E_GROUP", group, 16) > 0 &&
      std::wstring(group) == L"float") {
    for (const auto& [name, failure] : RunFloatCases(argv[1])) report(name.c_str(), failure);
    PrintLine(std::to_wstring(passed) + L" passed, " + std::to_wstring(failed) + L" failed");
    return failed;
  }

  std::vector<NamedCase> ownCases = ClsWindowCases();
  for (const NamedCase& c : QuestionCases()) ownCases.push_back(c);
  for (const NamedCase& c : RobustnessCases()) ownCases.push_back(c);
  for (const auto& [name, run] : ownCases) {
    std::wstring why;
    const bool held = run(why);
    report(name, held ? std::wstring() : (why.empty() ? std::wstring(L"failed") : why));
  }

  const std::wstring setupError = PrepareProgramFolder(argv[1], session);
  if (!setupError.empty()) {
    report(L"setup", setupError);
  } else {
    report(L"window_appears", WindowAppears(session));
    report(L"list1_titles_in_order", ListShowsTitlesInOrder(session));
    report(L"list_buttons_painted_and_hover", ListButtonsPainted(session));
    report(L"second_start_ends", SecondStartEnds(session));
    report(L"search_fills_list3", SearchFillsResults(session));
    report(L"close_asks_first", CloseAsksFirst(session));
    report(L"open_by_double_click", OpenByDoubleClick(session));
    report(L"open_search_result", OpenSearchResult(session));
    EndProgram(session);
    for (const ProgramCase& programCase : CommandCases(session.exe)) {
      report(programCase.name, programCase.run());
    }
  }
  EndProgram(session);
  if (setupError.empty()) {
    for (const auto& [name, failure] : RunSettingsCases(argv[1])) report(name.c_str(), failure);
    for (const auto& [name, failure] : RunFloatCases(argv[1])) report(name.c_str(), failure);
  }

  if (failed == 0) {
    std::error_code error;
    fs::remove_all(session.programDir, error);
  } else if (!session.programDir.empty()) {
    PrintLine(L"program folder kept: " + session.programDir.wstring());
  }
  PrintLine(std::to_wstring(passed) + L" passed, " + std::to_wstring(failed) + L" failed");
  return failed > 100 ? 100 : failed;
}

}  // namespace
}  // namespace tarvik::e2e

int wmain(int argc, wchar_t** argv) {
  // Plain LF line ends, so the calling script reads the summary line as written.
  _setmode(_fileno(stdout), _O_BINARY);
  try {
    return tarvik::e2e::Run(argc, argv);
  } catch (const std::exception& error) {
    std::fprintf(stdout, "FAIL driver: %s\n0 passed, 1 failed\n", error.what());
    return 1;
  }
}
