// Whole-program benchmark of Tarvik.exe under Wine (run by run.sh beside it, which builds
// this file and prepares the folders). In one run, round after round and alternating, it
// measures:
//   - the start as a user waits for it: until the window is visible, its list holds every
//     note, it answers and it has painted itself; Tarvik with 0, 1,000 and 10,000 notes
//     (after a normal exit: no record left), against Wine's notepad started the same way
//     plus a plain one-thread read loop of the same note files (in a process of its own);
//     and, from Tarvik's own timing log (TARVIK_START_TIMING), where its start's time goes;
//   - one search keystroke in Tarvik with 10,000 notes: 10,000 results and 1,000 results,
//     from the key until the result list has repainted;
//   - private memory (RssAnon of the Wine process) with 0 and with 10,000 notes.
// Then it prints the medians and the ratios the targets are stated in.
//
// Usage: wine_bench.exe <folder with t0, t1000, t10000> <rounds>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

double NowMs() {
  static const double perMs = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER c;
  ::QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) / perMs;
}

double Min(const std::vector<double>& v) {
  return v.empty() ? 0 : *std::min_element(v.begin(), v.end());
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Process {
  HANDLE handle = nullptr;
  DWORD id = 0;
  void End() {
    if (!handle) return;
    ::TerminateProcess(handle, 0);
    ::WaitForSingleObject(handle, 10000);
    ::CloseHandle(handle);
    handle = nullptr;
    // Wine tears down a killed process's windows after it is gone: that work stays out of
    // whatever is measured next.
    ::Sleep(500);
  }
};

std::optional<Process> Start(const std::wstring& exe, const std::wstring& folder) {
  std::wstring commandLine = L"\"" + exe + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &si, &pi)) {
    return std::nullopt;
  }
  ::CloseHandle(pi.hThread);
  return Process{pi.hProcess, pi.dwProcessId};
}

struct WindowSearch {
  DWORD pid;
  HWND found;
};

HWND VisibleWindowOf(DWORD pid) {
  WindowSearch search{pid, nullptr};
  ::EnumWindows(
      [](HWND hwnd, LPARAM lParam) -> BOOL {
        auto* s = reinterpret_cast<WindowSearch*>(lParam);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(hwnd, &owner);
        if (owner != s->pid || !::IsWindowVisible(hwnd) || ::GetWindow(hwnd, GW_OWNER)) return TRUE;
        s->found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// What a user waits for at a start, in milliseconds from the start: its first visible
// top-level window; ready, that window visible with a list box holding at least
// `items` items (the notes) and the program answering a message; painted, ready and every
// part of the window drawn.
struct StartTimes {
  double visible = 0;
  double ready = 0;
  double painted = 0;
};

// Whether some list box in window holds at least items items; asking is itself an answer.
bool ListHolds(HWND window, int items) {
  if (items <= 0) {
    DWORD_PTR ignored = 0;
    return ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &ignored) != 0;
  }
  std::vector<HWND> lists;
  ::EnumChildWindows(
      window,
      [](HWND hwnd, LPARAM lParam) -> BOOL {
        wchar_t cls[16] = {};
        ::GetClassNameW(hwnd, cls, 16);
        if (_wcsicmp(cls, L"ListBox") == 0)
          reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&lists));
  for (HWND list : lists) {
    DWORD_PTR count = 0;
    if (::SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_NORMAL, 60000, &count) &&
        static_cast<LRESULT>(count) != LB_ERR && static_cast<int>(count) >= items) {
      return true;
    }
  }
  return false;
}

// Starts exe and waits until it is ready and painted (see StartTimes), or gives up.
std::optional<StartTimes> TimeToReady(const std::wstring& exe, const std::wstring& folder,
                                      int items, Process& process, HWND& window) {
  const double t0 = NowMs();
  auto started = Start(exe, folder);
  if (!started) return std::nullopt;
  process = *started;
  StartTimes times;
  window = nullptr;
  for (;;) {
    if (!window && (window = VisibleWindowOf(process.id)) != nullptr) times.visible = NowMs() - t0;
    if (window && ::IsWindowVisible(window) && ListHolds(window, items)) break;
    if (::WaitForSingleObject(process.handle, 0) == WAIT_OBJECT_0 || NowMs() - t0 > 60000) {
      return std::nullopt;
    }
    ::Sleep(1);
  }
  times.ready = NowMs() - t0;
  // Whatever the window still has to draw is drawn now, in its own thread, before the answer.
  ::RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &ignored);
  times.painted = NowMs() - t0;
  return times;
}

// The plain read loop: list the folder, open, size, read and close every file, one thread.
double ReadLoopMs(const std::wstring& notes, std::size_t* bytesOut) {
  const double t0 = NowMs();
  std::size_t total = 0;
  std::vector<char> buffer(1 << 16);
  WIN32_FIND_DATAW fd;
  HANDLE find = ::FindFirstFileW((notes + L"\\*").c_str(), &fd);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      HANDLE file = ::CreateFileW((notes + L"\\" + fd.cFileName).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
      if (file == INVALID_HANDLE_VALUE) continue;
      LARGE_INTEGER size{};
      ::GetFileSizeEx(file, &size);
      if (static_cast<std::size_t>(size.QuadPart) > buffer.size())
        buffer.resize(static_cast<std::size_t>(size.QuadPart));
      DWORD read = 0;
      ::ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr);
      total += read;
      ::CloseHandle(file);
    } while (::FindNextFileW(find, &fd));
    ::FindClose(find);
  }
  if (bytesOut) *bytesOut = total;
  return NowMs() - t0;
}

// The plain read loop in a process of its own (this program, started again), as a plain
// program would run it: nothing this driver did before shares its process. Its own start is
// not counted; notepad stands for a start.
double ReadLoopInItsOwnProcessMs(const std::wstring& notes) {
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring commandLine = L"\"" + std::wstring(self) + L"\" --read-loop \"" + notes + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!::CreateProcessW(self, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
    return 0;
  }
  ::CloseHandle(pi.hThread);
  ::WaitForSingleObject(pi.hProcess, 120000);
  DWORD tenths = 0;
  ::GetExitCodeProcess(pi.hProcess, &tenths);
  ::CloseHandle(pi.hProcess);
  ::Sleep(500);
  return tenths / 10.0;
}

// UTF-16 bytes of every title and text in the folder (what the notes take as the program's
// strings), the yardstick for its memory.
std::size_t Utf16Bytes(const std::wstring& notes) {
  std::size_t units = 0;
  std::vector<char> buffer;
  WIN32_FIND_DATAW fd;
  HANDLE find = ::FindFirstFileW((notes + L"\\*").c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return 0;
  do {
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    HANDLE file = ::CreateFileW((notes + L"\\" + fd.cFileName).c_str(), GENERIC_READ,
                                FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) continue;
    buffer.resize(fd.nFileSizeLow);
    DWORD read = 0;
    ::ReadFile(file, buffer.data(), fd.nFileSizeLow, &read, nullptr);
    ::CloseHandle(file);
    // The title line's CR LF is no part of either string.
    units += static_cast<std::size_t>(::MultiByteToWideChar(CP_UTF8, 0, buffer.data(),
                                                            static_cast<int>(read), nullptr, 0)) -
             2;
  } while (::FindNextFileW(find, &fd));
  ::FindClose(find);
  return units * 2;
}

std::string ReadSmallFile(const std::wstring& path) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes(8192, '\0');
  DWORD read = 0;
  ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  ::CloseHandle(file);
  bytes.resize(read);
  return bytes;
}

// RssAnon (KiB) of the Wine process whose command line names exeMark, read from Linux's
// /proc through Wine's Z: drive.
std::optional<double> RssAnonKiB(const std::string& exeMark) {
  WIN32_FIND_DATAA fd;
  HANDLE find = ::FindFirstFileA("Z:\\proc\\*", &fd);
  if (find == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<double> result;
  do {
    if (!std::all_of(fd.cFileName, fd.cFileName + std::strlen(fd.cFileName),
                     [](char c) { return c >= '0' && c <= '9'; }))
      continue;
    const std::string base = std::string("Z:\\proc\\") + fd.cFileName;
    std::wstring wbase(base.begin(), base.end());
    std::string cmdline = ReadSmallFile(wbase + L"\\cmdline");
    std::replace(cmdline.begin(), cmdline.end(), '\0', ' ');
    std::transform(cmdline.begin(), cmdline.end(), cmdline.begin(), [](char c) {
      return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    });
    if (cmdline.find(exeMark) == std::string::npos) continue;
    const std::string status = ReadSmallFile(wbase + L"\\status");
    const std::size_t at = status.find("RssAnon:");
    if (at == std::string::npos) continue;
    result = std::strtod(status.c_str() + at + 8, nullptr);
    break;
  } while (::FindNextFileA(find, &fd));
  ::FindClose(find);
  return result;
}

// ---- the search keystroke --------------------------------------------------------------

struct Children {
  std::vector<HWND> all;
};

std::vector<HWND> Descendants(HWND root) {
  Children c;
  ::EnumChildWindows(
      root,
      [](HWND hwnd, LPARAM lParam) -> BOOL {
        reinterpret_cast<Children*>(lParam)->all.push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&c));
  return c.all;
}

bool IsClass(HWND hwnd, const wchar_t* name) {
  wchar_t cls[64] = {};
  ::GetClassNameW(hwnd, cls, 64);
  return _wcsicmp(cls, name) == 0;
}

struct SearchControls {
  HWND box = nullptr;      // the search box
  HWND results = nullptr;  // the result list
};

// Shows the search bar as a user would (the Find button of the list page) and finds the
// search box and the result list: the edit and the list box that the click made visible.
std::optional<SearchControls> OpenSearch(HWND main) {
  HWND list1 = nullptr;
  for (HWND h : Descendants(main)) {
    if (IsClass(h, L"ListBox") && (::GetWindowLongW(h, GWL_STYLE) & WS_VISIBLE)) list1 = h;
  }
  if (!list1) return std::nullopt;
  HWND page = ::GetParent(list1);
  // Another start page may be showing (the editor); the list page is what is measured.
  if (!::IsWindowVisible(page)) ::ShowWindow(page, SW_SHOW);
  HWND find = ::ChildWindowFromPointEx(page, POINT{18, 18}, CWP_SKIPINVISIBLE);
  if (!find || find == page) return std::nullopt;
  ::SendMessageW(find, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(14, 14));
  ::SendMessageW(find, WM_LBUTTONUP, 0, MAKELPARAM(14, 14));
  SearchControls found;
  for (HWND h : Descendants(page)) {
    if (!::IsWindowVisible(h)) continue;
    if (IsClass(h, L"Edit")) found.box = h;
    if (IsClass(h, L"ListBox") && h != list1) found.results = h;
  }
  if (!found.box || !found.results) return std::nullopt;
  return found;
}

// One keystroke: the character typed into the box (a backspace too), with the caret at the
// end of before, until the results have repainted.
double KeystrokeMs(const SearchControls& s, const std::wstring& before, wchar_t typed) {
  ::SendMessageW(s.box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(before.c_str()));
  ::SendMessageW(s.box, EM_SETSEL, before.size(), before.size());
  ::RedrawWindow(s.results, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  ::Sleep(20);
  const double t0 = NowMs();
  ::SendMessageW(s.box, WM_CHAR, typed, 1);
  ::RedrawWindow(s.results, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  ::SendMessageW(s.results, WM_NULL, 0, 0);
  return NowMs() - t0;
}

LRESULT ItemCount(HWND list) {
  return ::SendMessageW(list, LB_GETCOUNT, 0, 0);
}

std::string Narrow(const std::wstring& w) {
  std::string s;
  for (wchar_t c : w) s.push_back(static_cast<char>(std::tolower(c < 128 ? c : '?')));
  return s;
}

// The steady clock Tarvik's start-timing log is written in (the same in every process).
long long SteadyMicroseconds() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// The steps of the start in order, as the timing log names them, with what each stands for.
// A step's time runs from the end of the one before it.
struct StepName {
  const char* log;
  const char* shown;
};
constexpr StepName kSteps[] = {
    {"main", "process start (Wine, the exe)"},
    {"locks", "instance locks, common controls"},
    {"windows", "windows and controls made"},
    {"drawing", "GDI+, buttons painted"},
    {"settings", "settings read"},
    {"notes.read", "notes listed and read"},
    {"notes.lists", "list fill"},
    {"record.start", "record read, its writer (hashing)"},
    {"fresh", "fresh note"},
    {"layout", "layout"},
    {"shown", "window shown"},
};

// The log's steps, each as the milliseconds it took, into m under prefix; then the driver's
// own view: until ready (list full, answering) and until painted.
void AddSteps(std::map<std::string, std::vector<double>>& m, const std::string& prefix,
              const std::wstring& log, long long startUs, const StartTimes& times) {
  std::map<std::string, long long> at;
  HANDLE file = ::CreateFileW(log.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  std::string text(1 << 16, '\0');
  DWORD read = 0;
  ::ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
  ::CloseHandle(file);
  text.resize(read);
  for (std::size_t line = 0; line < text.size();) {
    const std::size_t end = std::min(text.find('\n', line), text.size());
    const std::size_t space = text.find(' ', line);
    if (space < end) at[text.substr(line, space - line)] = std::atoll(text.c_str() + space + 1);
    line = end + 1;
  }
  double before = 0;
  for (const StepName& step : kSteps) {
    const auto it = at.find(step.log);
    if (it == at.end()) continue;
    const double ms = static_cast<double>(it->second - startUs) / 1000.0;
    m[prefix + step.log].push_back(ms - before);
    before = ms;
  }
  m[prefix + "ready"].push_back(times.ready - before);
  m[prefix + "painted"].push_back(times.painted - times.ready);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wcscmp(argv[1], L"--read-loop") == 0) {
    return static_cast<int>(ReadLoopMs(argv[2], nullptr) * 10);
  }
  if (argc < 3) {
    std::fwprintf(stderr, L"usage: wine_bench.exe <folder> <rounds>\n");
    return 2;
  }
  const std::wstring root = argv[1];
  const int rounds = std::max(1, _wtoi(argv[2]));
  wchar_t windows[MAX_PATH] = {};
  ::GetWindowsDirectoryW(windows, MAX_PATH);
  const std::wstring notepad = std::wstring(windows) + L"\\notepad.exe";
  const int counts[] = {0, 1000, 10000};

  std::map<std::string, std::vector<double>> m;
  for (int round = 0; round <= rounds; ++round) {  // round 0 warms up and is not counted
    const bool counted = round > 0;
    for (int count : counts) {
      const std::wstring folder = root + L"\\t" + std::to_wstring(count);
      const std::wstring exe = folder + L"\\Tarvik.exe";
      const std::string key = std::to_string(count);

      const auto runTarvik = [&]() -> bool {
        // Tarvik.
        Process tarvik;
        HWND main = nullptr;
        // A start after a normal exit: no record of an earlier run (the last round ended
        // this one by force) to read or put aside.
        for (const wchar_t* left : {L"\\Notes.recovery", L"\\Notes.recovery.old"}) {
          ::DeleteFileW((folder + left).c_str());
        }
        const std::wstring timingLog = folder + L"\\start-timing.txt";
        ::DeleteFileW(timingLog.c_str());
        ::SetEnvironmentVariableW(L"TARVIK_START_TIMING", timingLog.c_str());
        const long long startUs = SteadyMicroseconds();
        const auto start = TimeToReady(exe, folder, count, tarvik, main);
        ::SetEnvironmentVariableW(L"TARVIK_START_TIMING", nullptr);
        if (!start) {
          std::fwprintf(stderr, L"Tarvik with %d notes was not ready\n", count);
          tarvik.End();
          return false;
        }
        if (counted) {
          m["start.tarvik." + key].push_back(start->painted);
          m["visible.tarvik." + key].push_back(start->visible);
          m["ready.tarvik." + key].push_back(start->ready);
          AddSteps(m, "step." + key + ".", timingLog, startUs, *start);
        }
        if (count != 1000) {
          ::Sleep(300);
          const std::string mark = Narrow(L"\\t" + std::to_wstring(count) + L"\\tarvik.exe");
          if (auto kib = RssAnonKiB(mark); kib && counted) m["rss." + key].push_back(*kib);
        }
        if (count == 10000) {
          if (auto s = OpenSearch(main)) {
            // Every title holds "第" and "笔记", one in ten "第七". The keystrokes that
            // change the most: a backspace from 1,000 results to all 10,000, and a typed
            // character from all 10,000 to 1,000. Then typing on with all 10,000 kept.
            for (int k = 0; k < 3; ++k) {
              const double all = KeystrokeMs(*s, L"第七", L'\b');
              const LRESULT allCount = ItemCount(s->results);
              const double some = KeystrokeMs(*s, L"第", L'七');
              const LRESULT someCount = ItemCount(s->results);
              const double same = KeystrokeMs(*s, L"笔", L'记');
              if (counted) {
                m["search.all"].push_back(all);
                m["search.some"].push_back(some);
                m["search.same"].push_back(same);
                m["search.all.count"].push_back(static_cast<double>(allCount));
                m["search.some.count"].push_back(static_cast<double>(someCount));
              }
            }
          } else {
            std::fwprintf(stderr, L"the search bar could not be opened\n");
          }
        }
        tarvik.End();

        return true;
      };
      const auto runNotepad = [&] {
        // Wine's notepad.
        Process pad;
        HWND padWindow = nullptr;
        const auto padStart = TimeToReady(notepad, L"", 0, pad, padWindow);
        pad.End();
        if (padStart && counted) {
          m["start.notepad." + key].push_back(padStart->painted);
          m["visible.notepad." + key].push_back(padStart->visible);
        }
      };
      // Which of the two starts first changes from round to round, so neither always
      // meets the state the other left behind.
      if (round % 2 == 0) {
        if (!runTarvik()) return 1;
        runNotepad();
      } else {
        runNotepad();
        if (!runTarvik()) return 1;
      }

      // The plain read loop.
      const double read = ReadLoopInItsOwnProcessMs(folder + L"\\Notes");
      if (counted) m["read." + key].push_back(read);
    }
    std::fwprintf(stderr, L"round %d done\n", round);
  }

  const double utf16 = static_cast<double>(Utf16Bytes(root + L"\\t10000\\Notes"));
  auto med = [&](const std::string& k) { return Median(m[k]); };
  std::printf("medians over %d rounds (ms unless noted)\n", rounds);
  for (int count : counts) {
    const std::string k = std::to_string(count);
    std::printf("notes %5d: Tarvik start %8.1f  notepad start %7.1f  read loop %8.1f\n", count,
                med("start.tarvik." + k), med("start.notepad." + k), med("read." + k));
  }
  std::printf("search keystroke, %.0f results: %8.2f\n", med("search.all.count"),
              med("search.all"));
  std::printf("search keystroke, %.0f results: %8.2f\n", med("search.some.count"),
              med("search.some"));
  std::printf("search keystroke, typing on, 10,000 results as before: %8.2f\n", med("search.same"));
  const double added = (med("rss.10000") - med("rss.0")) * 1024.0;
  std::printf(
      "RssAnon: 0 notes %.1f MiB, 10,000 notes %.1f MiB, added %.1f MiB; notes as UTF-16 %.1f "
      "MiB\n",
      med("rss.0") / 1024.0, med("rss.10000") / 1024.0, added / 1048576.0, utf16 / 1048576.0);
  // On a busy machine the fastest round shows the cost of the work itself best.
  std::printf(
      "fastest rounds: start 0 notes: Tarvik %.1f, notepad %.1f; 10,000 notes: Tarvik %.1f, "
      "notepad %.1f, read loop %.1f; search %.2f / %.2f\n",
      Min(m["start.tarvik.0"]), Min(m["start.notepad.0"]), Min(m["start.tarvik.10000"]),
      Min(m["start.notepad.10000"]), Min(m["read.10000"]), Min(m["search.all"]),
      Min(m["search.some"]));
  std::printf("where the start's time goes (medians, ms; each step from the end of the last):\n");
  std::printf("  %-34s %9s %9s\n", "step", "0 notes", "10,000");
  for (const StepName& step : kSteps) {
    std::printf("  %-34s %9.1f %9.1f\n", step.shown, med(std::string("step.0.") + step.log),
                med(std::string("step.10000.") + step.log));
  }
  std::printf("  %-34s %9.1f %9.1f\n", "until ready (list full, answering)", med("step.0.ready"),
              med("step.10000.ready"));
  std::printf("  %-34s %9.1f %9.1f\n", "first paint", med("step.0.painted"),
              med("step.10000.painted"));
  std::printf("  %-34s %9.1f %9.1f\n", "start until painted", med("start.tarvik.0"),
              med("start.tarvik.10000"));
  std::printf("  %-34s %9.1f %9.1f\n", "(window first visible at)", med("visible.tarvik.0"),
              med("visible.tarvik.10000"));
  std::printf("  %-34s %9.1f %9.1f\n", "yardstick: notepad painted", med("start.notepad.0"),
              med("start.notepad.10000"));
  std::printf("  %-34s %9.1f %9.1f\n", "yardstick: read loop", med("read.0"), med("read.10000"));
  std::printf("ratios (target):\n");
  std::printf("  start 10,000 / (notepad + read loop)   %.2f (<= 1.1)\n",
              med("start.tarvik.10000") / (med("start.notepad.10000") + med("read.10000")));
  std::printf("  start 1,000 / (notepad + read loop)    %.2f\n",
              med("start.tarvik.1000") / (med("start.notepad.1000") + med("read.1000")));
  std::printf("  start 0 / notepad                      %.2f (<= 1.0)\n",
              med("start.tarvik.0") / med("start.notepad.0"));
  std::printf("  search 10,000 results                  %.2f ms (<= 50)\n", med("search.all"));
  std::printf("  search ~1,000 results                  %.2f ms (<= 10)\n", med("search.some"));
  std::printf("  memory added / UTF-16 size             %.2f (<= 2.5)\n", added / utf16);
  return 0;
}
