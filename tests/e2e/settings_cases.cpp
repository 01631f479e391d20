// The settings file, the topmost option and the logon start. Each case starts the program
// in a folder of its own with a prepared Config.ini.

#include <cmath>
#include <cstdio>
#include <cwchar>

#include "e2e_support.h"

namespace tarvik::e2e {
namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

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
  Program program(sourceExe, L"settings-1");
  if (std::wstring error = program.Start(); !error.empty()) return error;
  const Expected expected = Defaults();
  const std::string written = ReadAll(program.ConfigFile());
  if (written != expected.configText) {
    return L"Config.ini holds \"" + std::wstring(written.begin(), written.end()) + L"\"";
  }
  if (std::wstring error = ExpectRect(program.Main(), expected.centred); !error.empty()) {
    return error;
  }
  if (IsTopMost(program.Main())) {
    return L"the window is topmost with OnTop=0";
  }
  return {};
}

std::wstring OnTopMakesTopmost(const fs::path& sourceExe) {
  Program program(sourceExe, L"settings-2", {}, "[Options]\r\nOnTop=1\r\nStartUp=0");
  if (std::wstring error = program.Start(); !error.empty()) return error;
  if (!WaitUntil([&] { return IsTopMost(program.Main()); }, kReactionTimeoutMs)) {
    return L"the window is not topmost";
  }
  return {};
}

std::wstring StartUpRegistersQuotedAndUnregisters(const fs::path& sourceExe) {
  RemoveRunValues();
  Program program(sourceExe, L"settings-3", {}, "[Options]\r\nOnTop=0\r\nStartUp=1");
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
  Program program(sourceExe, L"settings-4", {},
                  "[Main]\r\nLeft=1500\r\nTop=1500\r\nWidth=100\r\nHeight=0");
  if (std::wstring error = program.Start(); !error.empty()) return error;
  const int tpp = TwipsPerPixel();
  const RECT expected{1500 / tpp, 1500 / tpp, 1500 / tpp + 3240 / tpp, 1500 / tpp + 4140 / tpp};
  return ExpectRect(program.Main(), expected);
}

std::wstring FarOffScreenOpensCentred(const fs::path& sourceExe) {
  Program program(sourceExe, L"settings-5", {},
                  "[Main]\r\nLeft=900000\r\nTop=-700000\r\nWidth=4470\r\nHeight=5160");
  if (std::wstring error = program.Start(); !error.empty()) return error;
  return ExpectRect(program.Main(), Defaults().centred);
}

// What Notepad saves as "Unicode": the byte-order mark, then UTF-16 LE.
std::string Utf16File(const std::wstring& text) {
  std::string bytes = "\xFF\xFE";
  for (const wchar_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>((unit >> 8) & 0xFF);
  }
  return bytes;
}

std::wstring ExpectAt(HWND window, LONG left, LONG top) {
  const RECT actual = ScreenRect(window);
  if (actual.left == left && actual.top == top) return {};
  return L"window at " + Describe(actual) + L", expected at " + std::to_wstring(left) + L"," +
         std::to_wstring(top);
}

std::wstring Utf16ConfigReadAndSavedAsUtf16(const fs::path& sourceExe) {
  const int tpp = TwipsPerPixel();
  Program program(sourceExe, L"settings-6", {},
                  Utf16File(L"[Main]\r\nLeft=" + std::to_wstring(150 * tpp) + L"\r\nTop=" +
                            std::to_wstring(120 * tpp) + L"\r\n[备注]\r\n中文=保留\r\n"));
  if (std::wstring error = program.Start(); !error.empty()) return error;
  if (std::wstring error = ExpectAt(program.Main(), 150, 120); !error.empty()) return error;

  SetWindowPos(program.Main(), nullptr, 210, 170, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (std::wstring error = ExpectAt(program.Main(), 210, 170); !error.empty()) {
    return L"moving: " + error;
  }
  ClickCentre(program.MenuButton(0));
  const HWND box = WaitForQuestionBox(program.Id(), kReactionTimeoutMs);
  if (box == nullptr) return L"the close button asked nothing";
  AnswerQuestion(box, true);
  if (!program.WaitForExit(10000)) return L"still running after the yes";

  const std::wstring expected =
      L"[Main]\r\nLeft=" + std::to_wstring(210 * tpp) + L"\r\nTop=" + std::to_wstring(170 * tpp) +
      L"\r\nWidth=4470\r\nHeight=5160\r\nDpi=" + std::to_wstring(1440 / tpp) + L"\r\n[备注]\r\n中文=保留\r\n[Options]\r\nOnTop=0\r\nStartUp=0\r\n";
  const std::string saved = ReadAll(program.ConfigFile());
  if (saved != Utf16File(expected)) {
    const std::string text = saved.size() >= 2 ? saved.substr(2) : saved;
    return L"Config.ini holds " +
           Quoted(std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size() / 2)) +
           (saved.rfind("\xFF\xFE", 0) == 0 ? L"" : L" (no UTF-16 mark)");
  }
  if (std::wstring error = program.Start(); !error.empty()) return L"second start: " + error;
  return ExpectAt(program.Main(), 210, 170);
}

}  // namespace

Cases SettingsCases(const fs::path& exe) {
  return {
      {L"settings_first_start_defaults", [exe] { return FirstStartWritesDefaults(exe); }},
      {L"settings_on_top", [exe] { return OnTopMakesTopmost(exe); }},
      {L"settings_start_up_run_value",
       [exe] {
         const std::wstring failure = StartUpRegistersQuotedAndUnregisters(exe);
         RemoveRunValues();
         return failure;
       }},
      {L"settings_minimum_size", [exe] { return SmallWidthGivesMinimum(exe); }},
      {L"settings_off_screen_centred", [exe] { return FarOffScreenOpensCentred(exe); }},
      {L"settings_utf16_config", [exe] { return Utf16ConfigReadAndSavedAsUtf16(exe); }},
  };
}

}  // namespace tarvik::e2e
