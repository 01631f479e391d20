#pragma once
// End-to-end cases of the settings file, the topmost option and the logon start. Each case
// starts Tarvik.exe in a program folder of its own with a prepared Config.ini.

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace tarvik::e2e {

// The name of each case and why it failed (empty when it passed). No other instance of the
// program may be running.
std::vector<std::pair<std::wstring, std::wstring>> RunSettingsCases(
    const std::filesystem::path& sourceExe);

}  // namespace tarvik::e2e
