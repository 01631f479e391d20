// The main window as a user first meets it: twelve prepared notes listed, the list buttons,
// a second start, the search and a close from outside, on one running instance in turn; then
// notes opened by a double-click, each from a fresh instance on the same folder.

#include <algorithm>
#include <memory>

#include "e2e_support.h"

namespace tarvik::e2e {
namespace {

// Typed into the search box; non-ASCII on purpose, so the Unicode input path is exercised.
const std::wstring kSearchText = L"记 1";
// Opened by a double-click in the note list: neither the first note nor the last, so a wrong
// row or a text taken from another note shows.
constexpr int kOpenedByClickIndex = 4;
// Found by exactly one title, whose note sits at yet another place in the list.
const std::wstring kUniqueSearchText = L"旅行";

// Twelve notes, so that a name-ordered listing (Note_10 before Note_2) shows up as a fault;
// one extension in capitals; texts with line breaks of their own.
std::vector<NoteFile> SampleNotes() {
  std::vector<NoteFile> notes;
  for (int i = 1; i <= 12; ++i) {
    const std::wstring number = std::to_wstring(i);
    notes.push_back({L"Note_" + number + (i == 7 ? L".TVK" : L".tvk"),
                     i == 4   ? L"Shopping 4"
                     : i == 9 ? L"旅行计划 9"
                              : L"笔记 " + number,
                     L"第 " + number + L" 条笔记\r\n第二行\r\n"});
  }
  return notes;
}

struct Session {
  explicit Session(const fs::path& exe) : program(exe, L"main", SampleNotes()) {
    // Not a note: must be neither listed nor touched.
    WriteBytes(program.NotesFolder() / L"readme.txt", "not a note\r\nleave me alone");
    notesBefore = SnapshotFolder(program.NotesFolder());
    for (const NoteFile& note : SampleNotes()) {
      titles.push_back(note.title);
      texts.push_back(note.text);
    }
  }
  Program program;
  std::vector<std::wstring> titles;
  std::vector<std::wstring> texts;
  FolderSnapshot notesBefore;
  HWND list1 = nullptr;
};

std::wstring WindowAppears(Session& s) {
  s.list1 = nullptr;
  if (std::wstring error = s.program.Start(); !error.empty()) return error;
  const DWORD owner = Bound(s.program.Main()).object.ProcessID();
  if (owner != s.program.Id()) {
    return L"the window found belongs to process " + std::to_wstring(owner) + L", not to " +
           std::to_wstring(s.program.Id());
  }
  return {};
}

// The list is the folder's titles in numeric file order; a start may append one fresh
// untitled note after them.
bool MatchesLoadedTitles(const std::vector<std::wstring>& items,
                         const std::vector<std::wstring>& titles) {
  return items == titles || (items.size() == titles.size() + 1 && items.back() == kUntitled &&
                             std::equal(titles.begin(), titles.end(), items.begin()));
}

std::wstring ListShowsTitlesInOrder(Session& s) {
  if (s.program.Main() == nullptr) return L"no main window";
  // The program opens on a fresh note; the note list is behind the menu bar's list button.
  ClickCentre(s.program.MenuButton(4));
  std::vector<std::wstring> seen;
  bool heldByHiddenList = false;
  WaitUntil(
      [&] {
        seen.clear();
        heldByHiddenList = false;
        for (HWND listBox : Descendants(s.program.Main())) {
          if (ClassOf(listBox) != L"ListBox") continue;
          const auto items = ReadListBox(listBox);
          if (!items) continue;
          const bool matches = MatchesLoadedTitles(*items, s.titles);
          if (!IsShown(listBox)) {
            heldByHiddenList = heldByHiddenList || matches;
          } else if (matches) {
            s.list1 = listBox;
            return true;
          } else {
            seen.push_back(Describe(*items));
          }
        }
        return false;
      },
      kReactionTimeoutMs);
  if (s.list1 != nullptr) return {};
  if (heldByHiddenList) return L"a list box holds the titles in order, but it is not shown";
  return L"expected " + Describe(s.titles) + L"; visible list boxes hold " +
         (seen.empty() ? std::wstring(L"nothing (none found)") : Join(seen, L", ")) +
         ControlsOf(s.program.Main());
}

bool Dark(COLORREF c) {
  return GetRValue(c) < 0xC0 && GetGValue(c) < 0xC0 && GetBValue(c) < 0xC0;
}

// The six list buttons show their glyphs on a white disc; pointing at one turns its disc
// grey, and moving on to the page turns it back. Read from the screen, as a person sees it.
std::wstring ListButtonsPainted(Session& s) {
  const std::vector<HWND> buttons = s.program.ListButtons();
  if (buttons.empty() || !std::all_of(buttons.begin(), buttons.end(), IsShown)) {
    return L"the list page does not show six 29 x 29 buttons" + ControlsOf(s.program.Main());
  }
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
  const RECT b = ScreenRect(newButton);
  PointerTo({b.left + 14, b.top + 14});
  COLORREF hovered = 0;
  if (!WaitUntil(
          [&] { return NearColour(hovered = ScreenPixel(newButton, disc), RGB(0x80, 0x80, 0x80)); },
          kReactionTimeoutMs)) {
    return L"the pointed-at button's disc shows " + HexColour(hovered) + L", expected #808080";
  }
  // The gap between Find and New belongs to the list page.
  const RECT page = ScreenRect(GetParent(newButton));
  PointerTo({page.left + 35, page.top + 18});
  COLORREF back = 0;
  if (!WaitUntil(
          [&] { return NearColour(back = ScreenPixel(newButton, disc), RGB(255, 255, 255)); },
          kReactionTimeoutMs)) {
    return L"after the pointer left, the disc shows " + HexColour(back) + L", expected #FFFFFF";
  }
  return {};
}

std::wstring SecondStartEnds(Session& s) {
  if (s.program.Main() == nullptr) return L"no main window";
  std::wstring error;
  std::optional<ChildProcess> second = ChildProcess::Start(s.program.Exe(), &error);
  if (!second) return error;
  constexpr DWORD kSecondStartTimeoutMs = 5000;
  if (!second->WaitForExit(kSecondStartTimeoutMs)) {
    const bool hasWindow = ShownWindow(second->Id(), L"Tarvik") != nullptr;
    return L"the second start was still running after " +
           std::to_wstring(kSecondStartTimeoutMs / 1000) + L" s" +
           (hasWindow ? L" with a window of its own" : L"");
  }
  const std::vector<HWND> windows = ShownWindows(0, L"Tarvik");
  if (windows.size() != 1) {
    return std::to_wstring(windows.size()) +
           L" windows captioned \"Tarvik\" after the second start";
  }
  if (!s.program.IsRunning()) return L"the first instance ended";
  if (windows.front() != s.program.Main()) {
    return L"the window captioned \"Tarvik\" is not the first instance's";
  }
  return {};
}

// Clicks the Find button and waits for the search box and the result list to show.
std::wstring OpenSearch(const Session& s, HWND& searchBox, HWND& results) {
  if (s.list1 == nullptr) return L"the note list was not found";
  const HWND listPage = GetParent(s.list1);
  if (!IsShown(listPage)) return L"the list page is not shown";
  ClickCentre(s.program.ListButton(5));
  searchBox = results = nullptr;
  WaitUntil(
      [&] {
        searchBox = s.program.TextBox(false);
        results = nullptr;
        for (HWND c : Descendants(listPage)) {
          if (c != s.list1 && ClassOf(c) == L"ListBox" && IsShown(c)) results = c;
        }
        return searchBox != nullptr && results != nullptr;
      },
      kReactionTimeoutMs);
  if (searchBox == nullptr || results == nullptr) {
    return std::wstring(L"after a click on the Find button: ") +
           (searchBox == nullptr ? L"no search box shown" : L"no result list shown") +
           ControlsOf(listPage);
  }
  return {};
}

// Types into the search box and waits for exactly `expected` in the result list.
std::wstring Search(HWND searchBox, HWND results, const std::wstring& text,
                    const std::vector<std::wstring>& expected) {
  ClickCentre(searchBox);
  TypeText(text);
  std::vector<std::wstring> shown;
  if (WaitUntil(
          [&] {
            const auto items = ReadListBox(results);
            shown = items.value_or(std::vector<std::wstring>{});
            return items && *items == expected;
          },
          kReactionTimeoutMs)) {
    return {};
  }
  return L"search box holds " + Quoted(TextOf(searchBox)) + L"; expected results " +
         Describe(expected) + L", result list holds " + Describe(shown);
}

std::wstring SearchFillsResults(Session& s) {
  HWND searchBox = nullptr;
  HWND results = nullptr;
  if (std::wstring error = OpenSearch(s, searchBox, results); !error.empty()) return error;
  std::vector<std::wstring> expected;
  for (const std::wstring& title : s.titles) {
    if (title.find(kSearchText) != std::wstring::npos) expected.push_back(title);
  }
  return Search(searchBox, results, kSearchText, expected);
}

// A close from outside asks the exit question; "no" keeps the program running and the notes
// on disk as they were.
std::wstring CloseAsksFirst(Session& s) {
  Bound main(s.program.Main());
  if (s.program.Main() == nullptr || !main.object.CheckWindow()) return L"no main window";
  // Closed from the taskbar while minimised: the question must still be where it can be seen.
  PostMessageW(s.program.Main(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  if (!WaitUntil([&] { return IsIconic(s.program.Main()) != FALSE; }, kReactionTimeoutMs)) {
    return L"the window did not minimise";
  }
  if (!main.object.CloseWindow()) return L"the close request could not be posted";
  const HWND box = WaitForQuestionBox(s.program.Id(), kReactionTimeoutMs);
  if (box == nullptr) return L"no question box after WM_CLOSE";
  const RECT at = ScreenRect(box);
  if (at.left < 0 || at.top < 0 || at.right > GetSystemMetrics(SM_CXSCREEN) ||
      at.bottom > GetSystemMetrics(SM_CYSCREEN)) {
    return L"the question opened off screen at " + std::to_wstring(at.left) + L"," +
           std::to_wstring(at.top);
  }
  if (QuestionText(box) != L"你确定要退出“Tarvik”吗？") {
    return L"the box asks \"" + QuestionText(box) + L"\"";
  }
  AnswerQuestion(box, false);
  if (!WaitUntil([&] { return !IsWindow(box); }, kReactionTimeoutMs)) {
    return L"the question box stayed after a click on its cross";
  }
  if (s.program.WaitForExit(500)) return L"the program ended although the answer was no";
  const std::wstring difference =
      CompareSnapshots(s.notesBefore, SnapshotFolder(s.program.NotesFolder()));
  if (!difference.empty()) return L"Notes folder: " + difference;
  return {};
}

// A fresh instance on the same folder, up to its note list, so a case does not depend on
// what the cases before it left behind.
std::wstring StartFresh(Session& s) {
  if (std::wstring error = WindowAppears(s); !error.empty()) return L"fresh start: " + error;
  if (std::wstring error = ListShowsTitlesInOrder(s); !error.empty()) {
    return L"fresh start: " + error;
  }
  return {};
}

// Waits until the editor page shows the note: one title box and one note box with exactly
// these texts, and the list the note was opened from no longer shown.
std::wstring EditorShows(const Session& s, HWND openedFrom, size_t index) {
  const std::wstring& title = s.titles[index];
  const std::wstring& text = s.texts[index];
  std::vector<HWND> single;
  std::vector<HWND> multi;
  std::wstring shownTitle;
  std::wstring shownText;
  bool listShown = true;
  if (WaitUntil(
          [&] {
            listShown = IsShown(openedFrom);
            single = s.program.TextBoxes(false);
            multi = s.program.TextBoxes(true);
            shownTitle = single.size() == 1 ? TextOf(single.front()) : L"";
            shownText = multi.size() == 1 ? TextOf(multi.front()) : L"";
            return !listShown && single.size() == 1 && multi.size() == 1 && shownTitle == title &&
                   shownText == text;
          },
          kReactionTimeoutMs)) {
    return {};
  }
  if (single.size() != 1 || multi.size() != 1) {
    return std::to_wstring(single.size()) + L" one-line and " + std::to_wstring(multi.size()) +
           L" multi-line text boxes shown, expected one of each" + ControlsOf(s.program.Main());
  }
  if (shownTitle != title || shownText != text) {
    return L"the editor shows title " + Quoted(shownTitle) + L" and text " + Quoted(shownText) +
           L"; expected " + Quoted(title) + L" and " + Quoted(text);
  }
  return L"the editor shows the note, but the list it was opened from is still shown";
}

std::wstring OpenByDoubleClick(Session& s) {
  if (std::wstring error = StartFresh(s); !error.empty()) return error;
  if (std::wstring error = DoubleClickListItem(s.list1, kOpenedByClickIndex); !error.empty()) {
    return error;
  }
  return EditorShows(s, s.list1, static_cast<size_t>(kOpenedByClickIndex));
}

std::wstring OpenSearchResult(Session& s) {
  if (std::wstring error = StartFresh(s); !error.empty()) return error;
  HWND searchBox = nullptr;
  HWND results = nullptr;
  if (std::wstring error = OpenSearch(s, searchBox, results); !error.empty()) return error;
  std::vector<size_t> matching;
  for (size_t i = 0; i < s.titles.size(); ++i) {
    if (s.titles[i].find(kUniqueSearchText) != std::wstring::npos) matching.push_back(i);
  }
  if (matching.size() != 1) {
    return L"the sample notes have " + std::to_wstring(matching.size()) + L" titles with " +
           Quoted(kUniqueSearchText) + L", not one";
  }
  const size_t index = matching.front();
  if (std::wstring error = Search(searchBox, results, kUniqueSearchText, {s.titles[index]});
      !error.empty()) {
    return error;
  }
  if (std::wstring error = DoubleClickListItem(results, 0); !error.empty()) return error;
  return EditorShows(s, results, index);
}

}  // namespace

Cases MainWindowCases(const fs::path& exe) {
  const auto session = std::make_shared<Session>(exe);
  const auto on = [session](std::wstring (*run)(Session&)) {
    return [session, run] { return run(*session); };
  };
  return {
      {L"window_appears", on(WindowAppears)},
      {L"list1_titles_in_order", on(ListShowsTitlesInOrder)},
      {L"list_buttons_painted_and_hover", on(ListButtonsPainted)},
      {L"second_start_ends", on(SecondStartEnds)},
      {L"search_fills_list3", on(SearchFillsResults)},
      {L"close_asks_first", on(CloseAsksFirst)},
      {L"open_by_double_click", on(OpenByDoubleClick)},
      {L"open_search_result", on(OpenSearchResult)},
  };
}

}  // namespace tarvik::e2e
