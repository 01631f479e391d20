// End-to-end checks of the real Tarvik.exe, run under Wine (or on Windows):
//   tarvik_e2e.exe <path to Tarvik.exe>
// The program is copied into a fresh program folder with a prepared Notes folder, started,
// and driven from outside the way a user would. One line per case, then "N passed, N failed";
// the exit code is the number of failed cases.

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "e2e_support.h"

namespace tarvik::e2e {
namespace {

namespace fs = std::filesystem;

const std::wstring kCaption = L"Tarvik";
const std::wstring kUntitled = L"[无标题]";
// Start-up under a cold Wine server can take several seconds; a warm one well under one.
constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kSecondStartTimeoutMs = 5000;
constexpr DWORD kReactionTimeoutMs = 5000;
constexpr DWORD kExitTimeoutMs = 10000;
// Typed into the search box; non-ASCII on purpose, so the Unicode input path is exercised.
const std::wstring kSearchText = L"记 1";

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
  FolderSnapshot notesBefore;
  std::optional<ChildProcess> program;
  HWND mainWindow = nullptr;
  HWND list1 = nullptr;
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
  }
  // Not a note: must be neither listed nor touched.
  WriteBytes(session.programDir / L"Notes" / L"readme.txt", "not a note\r\nleave me alone");
  session.notesBefore = SnapshotFolder(session.programDir / L"Notes");
  return {};
}

// --- the cases; each returns an empty string when it passes, else why it failed ---

std::wstring WindowAppears(Session& session) {
  std::wstring error;
  session.program = ChildProcess::Start(session.exe, &error);
  if (!session.program) {
    return error;
  }
  const DWORD pid = session.program->Id();
  const bool found = WaitUntil(
      [&] {
        const auto windows = FindTopLevelWindows(kCaption, pid);
        session.mainWindow = windows.empty() ? nullptr : windows.front();
        return session.mainWindow != nullptr || !session.program->IsRunning();
      },
      kStartTimeoutMs);
  if (session.mainWindow != nullptr) {
    return {};
  }
  if (found) {
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
  if (session.mainWindow == nullptr) {
    return L"no main window";
  }
  std::vector<std::wstring> seen;
  bool heldByHiddenList = false;
  WaitUntil(
      [&] {
        seen.clear();
        heldByHiddenList = false;
        for (HWND listBox : FindDescendants(session.mainWindow, L"ListBox")) {
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
  if (session.list1 != nullptr) {
    return {};
  }
  if (heldByHiddenList) {
    return L"a list box holds the titles in order, but it is not shown";
  }
  return L"expected " + Describe(session.titles) + L"; visible list boxes hold " +
         (seen.empty() ? std::wstring(L"nothing (none found)") : Join(seen, L", "));
}

std::wstring SecondStartEnds(Session& session) {
  if (session.mainWindow == nullptr) {
    return L"no main window";
  }
  std::wstring error;
  std::optional<ChildProcess> second = ChildProcess::Start(session.exe, &error);
  if (!second) {
    return error;
  }
  if (!second->WaitForExit(kSecondStartTimeoutMs)) {
    const bool hasWindow = !FindTopLevelWindows(kCaption, second->Id()).empty();
    second->Terminate();
    return std::wstring(L"the second start was still running after ") +
           std::to_wstring(kSecondStartTimeoutMs / 1000) + L" s" +
           (hasWindow ? L" with a window of its own" : L"");
  }
  const size_t windows = FindTopLevelWindows(kCaption).size();
  if (windows != 1) {
    return std::to_wstring(windows) + L" windows captioned \"Tarvik\" after the second start";
  }
  if (!session.program->IsRunning()) {
    return L"the first instance ended";
  }
  return {};
}

HWND FindShownTextBox(HWND container) {
  for (const wchar_t* className : {L"Edit", L"RichEdit20W", L"RICHEDIT50W"}) {
    for (HWND box : FindDescendants(container, className)) {
      if (IsShown(box)) {
        return box;
      }
    }
  }
  // A text box of a class of its own: the Find command focuses the search box.
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  const DWORD thread = GetWindowThreadProcessId(container, nullptr);
  if (GetGUIThreadInfo(thread, &info) && info.hwndFocus != nullptr &&
      IsChild(container, info.hwndFocus) && IsShown(info.hwndFocus)) {
    return info.hwndFocus;
  }
  return nullptr;
}

HWND FindShownListBoxOtherThan(HWND container, HWND other) {
  for (HWND listBox : FindDescendants(container, L"ListBox")) {
    if (listBox != other && IsShown(listBox)) {
      return listBox;
    }
  }
  return nullptr;
}

std::wstring SearchFillsResults(Session& session) {
  if (session.list1 == nullptr) {
    return L"the note list was not found";
  }
  const HWND listPage = GetParent(session.list1);
  if (!IsShown(listPage)) {
    return L"the list page is not shown";
  }
  // The Find button: a 29 x 29 button at 4,4 of the list page.
  ClickClientPoint(listPage, 4 + 14, 4 + 14);
  HWND searchBox = nullptr;
  HWND results = nullptr;
  WaitUntil(
      [&] {
        searchBox = FindShownTextBox(listPage);
        results = FindShownListBoxOtherThan(listPage, session.list1);
        return searchBox != nullptr && results != nullptr;
      },
      kReactionTimeoutMs);
  if (searchBox == nullptr || results == nullptr) {
    return std::wstring(L"after a click on the Find button: ") +
           (searchBox == nullptr ? L"no search box shown" : L"no result list shown");
  }

  std::vector<std::wstring> expected;
  for (const std::wstring& title : session.titles) {
    if (title.find(kSearchText) != std::wstring::npos) {
      expected.push_back(title);
    }
  }
  ClickCentre(searchBox);
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
  return L"search box holds \"" + ReadWindowText(searchBox) + L"\"; expected results " +
         Describe(expected) + L", result list holds " + Describe(shown);
}

std::wstring CloseChangesNothing(Session& session) {
  if (!session.program) {
    return L"the program was not started";
  }
  if (session.mainWindow == nullptr || !IsWindow(session.mainWindow)) {
    return L"no main window";
  }
  PostMessageW(session.mainWindow, WM_CLOSE, 0, 0);
  if (!session.program->WaitForExit(kExitTimeoutMs)) {
    session.program->Terminate();
    return L"the process was still running " + std::to_wstring(kExitTimeoutMs / 1000) +
           L" s after WM_CLOSE";
  }
  const std::wstring difference =
      CompareSnapshots(session.notesBefore, SnapshotFolder(session.programDir / L"Notes"));
  if (!difference.empty()) {
    return L"Notes folder: " + difference;
  }
  return {};
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

  const std::wstring setupError = PrepareProgramFolder(argv[1], session);
  if (!setupError.empty()) {
    report(L"setup", setupError);
  } else {
    report(L"window_appears", WindowAppears(session));
    report(L"list1_titles_in_order", ListShowsTitlesInOrder(session));
    report(L"second_start_ends", SecondStartEnds(session));
    report(L"search_fills_list3", SearchFillsResults(session));
    report(L"close_changes_nothing", CloseChangesNothing(session));
  }
  session.program.reset();

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
