// End-to-end checks of the real Tarvik.exe, run under Wine (or on Windows):
//   tarvik_e2e.exe <path to Tarvik.exe>
// First the cases for clsWindow and the file helpers run in the driver's own process; then
// the program is copied into fresh program folders, started and driven from outside the way
// a user would. One line per case, then "N passed, N failed"; the exit code is the number of
// failed cases. TARVIK_E2E_GROUP=float runs the docking and floating-window cases alone,
// TARVIK_E2E_GROUP=desk the cases of the window at the screen's limits, TARVIK_E2E_GROUP=dpi
// the program at 144 dpi and at 96 (Wine only), TARVIK_E2E_GROUP=click the real-input cases
// of clicks and hover, TARVIK_E2E_GROUP=keys the keyboard and screen reader cases,
// TARVIK_E2E_GROUP=monitors the cases of a desk of two monitors (only there, and only as
// that group).

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "e2e_support.h"

namespace tarvik::e2e {
namespace {

bool UnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// The driver measures the program's windows in real pixels, whatever scale they are drawn at.
void MeasureInRealPixels() {
  using SetContextFn = BOOL(WINAPI*)(HANDLE);
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  const auto setContext = reinterpret_cast<SetContextFn>(reinterpret_cast<void*>(
      GetProcAddress(user32, "SetProcessDpiAwarenessContext")));
  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
  if (setContext == nullptr || !setContext(reinterpret_cast<HANDLE>(-4))) SetProcessDPIAware();
}

// Every case but the DPI ones is written for a desk at 96 dpi. A run cut short while the
// Wine prefix's desk was set to another scale would leave it so; put it back.
void DeskTo96() {
  DWORD dpi = 0;
  DWORD size = sizeof(dpi);
  if (RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", RRF_RT_REG_DWORD,
                   nullptr, &dpi, &size) != ERROR_SUCCESS ||
      dpi == 96) {
    return;
  }
  dpi = 96;
  RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &dpi,
                  sizeof(dpi));
}

void PrintLine(const std::wstring& line) {
  const std::string bytes = ToUtf8(line) + "\n";
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

int Run(int argc, wchar_t** argv) {
  if (argc != 2) {
    PrintLine(L"usage: tarvik_e2e <path to Tarvik.exe>\n0 passed, 1 failed");
    return 1;
  }
  const fs::path exe = argv[1];
  MeasureInRealPixels();
  const bool wine = UnderWine();
  if (wine) DeskTo96();
  using List = Cases (*)(const fs::path&);
  // Each list is made just before it runs and dropped after, so no two programs overlap.
  std::vector<List> lists = {
      [](const fs::path&) { return ClsWindowCases(); },
      QuestionCases,
      [](const fs::path&) { return RobustnessCases(); },
      MainWindowCases,
      CommandCases,
      SettingsCases,
      FloatCases,
      DeskCases,
      ClickCases,
      KeyboardCases,
  };
  // Only Wine takes a desk's new scale per program; Windows would need a new logon.
  if (wine) lists.push_back([](const fs::path& e) { return DpiCases(e, false); });
  wchar_t group[16] = {};
  if (GetEnvironmentVariableW(L"TARVIK_E2E_GROUP", group, 16) > 0) {
    if (std::wstring(group) == L"float") lists = {FloatCases};
    if (std::wstring(group) == L"desk") lists = {DeskCases};
    if (std::wstring(group) == L"click") lists = {ClickCases};
    if (std::wstring(group) == L"monitors") lists = {MonitorCases};
    if (std::wstring(group) == L"keys") lists = {KeyboardCases};
    if (std::wstring(group) == L"dpi" && wine) {
      lists = {[](const fs::path& e) { return DpiCases(e, true); }};
    }
  }
  // Only the cases whose names start with this, when it is set (one case while working on it).
  wchar_t only[64] = {};
  const std::wstring prefix =
      GetEnvironmentVariableW(L"TARVIK_E2E_CASE", only, 64) > 0 ? only : L"";
  int passed = 0;
  int failed = 0;
  for (List list : lists) {
    for (const Case& c : list(exe)) {
      if (c.name.rfind(prefix, 0) != 0) continue;
      const std::wstring failure = c.run();
      (failure.empty() ? passed : failed) += 1;
      PrintLine((failure.empty() ? L"PASS " : L"FAIL ") + c.name +
                (failure.empty() ? L"" : L": " + failure));
    }
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
