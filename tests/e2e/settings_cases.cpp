#include "settings_cases.h"

#include <cmath>
#include <cstdio>
#include <cwchar>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

#include "e2e_support.h"
#include "util/cls_window.h"

namespace tarvik::e2e {
namespace {

namespace fs = std::filesystem;

constexpr DWORD kStartTimeoutMs = 30000;
const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// One started program in a folder of its own; ended and removed when the case is over.
class Program {
 public:
  explicit Program(const fs::path& sourceExe, int number) {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    folder_ = fs::path(temp) / (L"tarvik-e2e-settings-" + std::to_wstring(GetCurrentProcessId()) +
                                L"-" + std::to_wstring(number));
    std::error_code error;
    fs::remove_all(folder_, error);
    fs::create_directories(folder_ / L"Notes", error);
    exe_ = folder_ / L"Tarvik.exe";
    fs::copy_file(sourceExe, exe_, fs::copy_options::overwrite_existing, error);
    if (error) problem_ = L"cannot copy the program to " + folder_.wstring();
  }
  ~Program() {
    End();
    std::error_code error;
    fs::remove_all(folder_, error);
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  const fs::path& Folder() const { return folder_; }
  const fs::path& Exe() const { return exe_; }
  fs::path ConfigFile() const { return folder_ / L"Config.ini"; }

  // Starts the program and waits for its main window; empty on success.
  std::wstring Start() {
    if (!problem_.empty()) return problem_;
    End();
    std::wstring error;
    process_ = ChildProcess::Start(exe_, &error);
    if (!process_) return error;
    util::clsWindow finder(DriverPlatform());
    const ULONGLONG deadline = GetTickCount64() + kStartTimeoutMs;
    while (GetTickCount64() < deadline && process_->IsRunning()) {
      finder.GetWindowByTitleEx(L"^Tarvik$", 1, nullptr, true, process_->Id(), 1);
      if (finder.hwnd != 0) {
        window_ = ToHwnd(finder.hwnd);
        return {};
      }
    }
    return process_->IsRunning() ? L"no main window within the time" : L"the program ended";
  }

  // Ends the program without saving: a close would ask first, so as a kill would.
  void End() {
    if (process_) process_->Terminate();
    process_.reset();
    window_ = nullptr;
  }

  HWND Window() const { return window_; }

 private:
  fs::path folder_;
  fs::path exe_;
  std::wstring problem_;
  std::optional<ChildProcess> process_;
  HWND window_ = nullptr;
};

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int TwipsPerPixel() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? 1440 / dpi : 15;
}

struct Expected {
  std::string configText;
  RECT centred{};  // the default window, screen pixels
};

std::string Number(double value) {
  if (std::floor(value) == value) return std::to_string(static_cast<long long>(value));
  char text[64];
  std::snprintf(text, sizeof(text), "%.15g", value);
  return text;
}

// What a first start on this screen writes and where its window goes.
Expected Defaults() {
  const int tpp = TwipsPerPixel();
  const double left = GetSystemMetrics(SM_CXSCREEN) * tpp / 2.0 - 2235;
  const double top = GetSystemMetrics(SM_CYSCREEN) * tpp / 2.0 - 2580;
  Expected e;
  e.configText = "[Main]\r\nLeft=" + Number(left) + "\r\nTop=" + Number(top) +
                 "\r\nWidth=4470\r\nHeight=5160\r\n[Options]\r\nOnTop=0\r\nStartUp=0";
  const auto px = [&](double twips) {
    return static_cast<LONG>(std::lround(std::lround(twips) / static_cast<double>(tpp)));
  };
  e.centred = {px(left), px(top), px(left) + px(4470), px(top) + px(5160)};
  return e;
}

std::wstring Describe(const RECT& r) {
  return L"(" + std::to_wstring(r.left) + L", " + std::to_wstring(r.top) + L") - (" +
         std::to_wstring(r.right) + L", " + std::to_wstring(r.bottom) + L")";
}

std::wstring ExpectRect(HWND window, const RECT& expected) {
  RECT actual{};
  GetWindowRect(window, &actual);
  if (EqualRect(&actual, &expected)) return {};
  return L"window at " + Describe(actual) + L", expected " + Describe(expected);
}

// The Run value of root, or nothing when there is none.
std::optional<std::wstring> RunValue(HKEY root) {
  DWORD size = 0;
  if (RegGetValueW(root, kRunKey, L"Tarvik", RRF_RT_REG_SZ, nullptr, nullptr, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
  if (RegGetValueW(root, kRunKey, L"Tarvik", RRF_RT_REG_SZ, nullptr, text.data(), &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  text.resize(wcsnlen(text.c_str(), text.size()));
  return text;
}

void RemoveRunValues() {
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, kRunKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
      RegDeleteKeyValueW(key, nullptr, L"Tarvik");
      RegCloseKey(key);
    }
  }
}

// --- the cases ---

std::wstring FirstStartWritesDefaults(const fs::path& sourceExe) {
  Program program(sourceExe, 1);
  if (std::wstring error = program.Start(); !error.empty()) return error;
  const Expected expected = Defaults();
  const std::string written = ReadAll(program.ConfigFile());
  if (written != expected.configText) {
    return L"Config.ini holds \"" + std::wstring(written.begin(), written.end()) + L"\"";
  }
  if (std::wstring error = ExpectRect(program.Window(), expected.centred); !error.empty()) {
    return error;
  }
  if (util::clsWindow(DriverPlatform()).IsTopMost(ToHandle(program.Window()))) {
    return L"the window is topmost with OnTop=0";
  }
  return {};
}

std::wstring OnTopMakesTopmost(const fs::path& sourceExe) {
  Program program(sourceExe, 2);
  WriteBytes(program.ConfigFile(), "[Options]\r\nOnTop=1\r\nStartUp=0");
  if (std::wstring error = program.Start(); !error.empty()) return error;
  util::clsWindow probe(DriverPlatform());
  if (!WaitUntil([&] { return probe.IsTopMost(ToHandle(program.Window())); }, 5000)) {
    return L"the window is not topmost";
  }
  return {};
}

std::wstring StartUpRegistersQuotedAndUnregisters(const fs::path& sourceExe) {
  RemoveRunValues();
  Program program(sourceExe, 3);
  WriteBytes(program.ConfigFile(), "[Options]\r\nOnTop=0\r\nStartUp=1");
  if (std::wstring error = program.Start(); !error.empty()) return error;
  const std::wstring command = L"\"" + program.Exe().wstring() + L"\"";
  // The machine-wide key when it can be written, else the user's own.
  const std::optional<std::wstring> machine = RunValue(HKEY_LOCAL_MACHINE);
  const std::optional<std::wstring> user = RunValue(HKEY_CURRENT_USER);
  const std::optional<std::wstring>& found = machine ? machine : user;
  if (!found) return L"no Run value under HKLM or HKCU";
  if (machine && user) return L"Run values under both HKLM and HKCU";
  if (_wcsicmp(found->c_str(), command.c_str()) != 0) {
    return L"Run value " + *found + L", expected " + command;
  }
  program.End();
  WriteBytes(program.ConfigFile(), "[Options]\r\nOnTop=0\r\nStartUp=0");
  if (std::wstring error = program.Start(); !error.empty()) return L"second start: " + error;
  if (RunValue(HKEY_LOCAL_MACHINE) || RunValue(HKEY_CURRENT_USER)) {
    return L"the Run value is still there with StartUp=0";
  }
  return {};
}

std::wstring SmallWidthGivesMinimum(const fs::path& sourceExe) {
  Program program(sourceExe, 4);
  WriteBytes(program.ConfigFile(), "[Main]\r\nLeft=1500\r\nTop=1500\r\nWidth=100\r\nHeight=0");
  if (std::wstring error = program.Start(); !error.empty()) return error;
  const int tpp = TwipsPerPixel();
  const RECT expected{1500 / tpp, 1500 / tpp, 1500 / tpp + 3240 / tpp, 1500 / tpp + 4140 / tpp};
  return ExpectRect(program.Window(), expected);
}

std::wstring FarOffScreenOpensCentred(const fs::path& sourceExe) {
  Program program(sourceExe, 5);
  WriteBytes(program.ConfigFile(),
             "[Main]\r\nLeft=900000\r\nTop=-700000\r\nWidth=4470\r\nHeight=5160");
  if (std::wstring error = program.Start(); !error.empty()) return error;
  return ExpectRect(program.Window(), Defaults().centred);
}

}  // namespace

std::vector<std::pair<std::wstring, std::wstring>> RunSettingsCases(const fs::path& sourceExe) {
  std::vector<std::pair<std::wstring, std::wstring>> results;
  results.emplace_back(L"settings_first_start_defaults", FirstStartWritesDefaults(sourceExe));
  results.emplace_back(L"settings_on_top", OnTopMakesTopmost(sourceExe));
  results.emplace_back(L"settings_start_up_run_value",
                       StartUpRegistersQuotedAndUnregisters(sourceExe));
  results.emplace_back(L"settings_minimum_size", SmallWidthGivesMinimum(sourceExe));
  results.emplace_back(L"settings_off_screen_centred", FarOffScreenOpensCentred(sourceExe));
  RemoveRunValues();
  return results;
}

}  // namespace tarvik::e2e
