#pragma once
// End-to-end cases of the menu bar's pages, the list page's commands (with the real file
// dialogs) and the borderless frame (resizing from the edge, moving by the bar). Each case
// starts Tarvik.exe in the program folder afresh and ends it without saving.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tarvik::e2e {

struct ProgramCase {
  const wchar_t* name;
  std::function<std::wstring()> run;  // empty when it passed, else why it failed
};

std::vector<ProgramCase> CommandCases(const std::filesystem::path& exe);

}  // namespace tarvik::e2e
