#include "app/tarvik_app.h"

#include <cstdint>
#include <optional>
#include <string>

#include "app/frm_main.h"
#include "util/file_io.h"
#include "app/start_timing.h"
#include "util/hashing.h"

namespace tarvik::app {

std::wstring FolderLockName(const std::wstring& programFolder) {
  // By what the folder is, not how its path is spelt: through a link, a junction, a substituted
  // or a mapped drive it is the same folder. A lock name may not hold a backslash: a hash.
  std::uint64_t hash = util::kFnvOffset;
  if (const std::optional<std::string> identity = util::FolderIdentity(programFolder)) {
    for (const char c : "folder " + *identity) hash = util::Fnv1aStep(hash, static_cast<unsigned char>(c));
    const std::string digits = util::Hex16(hash);
    return L"Tarvik.Folder." + std::wstring(digits.begin(), digits.end());
  }
  // Folder names are case-insensitive.
  for (const wchar_t c : programFolder) {
    const wchar_t lower = (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
    hash = util::Fnv1aStep(hash, static_cast<std::uint64_t>(lower));
  }
  const std::string digits = util::Hex16(hash);
  return L"Tarvik.Folder." + std::wstring(digits.begin(), digits.end());
}

int RunTarvik(platform::Platform& platform) {
  MarkStartStep("main");
  // A second start ends at once and silently, after asking the running instance to show its
  // main window (from the floating icon or minimised): the user wanted to see it.
  const auto instanceLock = platform.AcquireSingleInstance(kSingleInstanceName);
  if (!instanceLock) {
    platform.RequestShowOfInstance(kSingleInstanceName);
    return 0;
  }
  const auto folderLock = platform.AcquireMachineWideLock(FolderLockName(platform.ProgramFolder()));
  if (!folderLock) {
    constexpr unsigned kInformationIcon = 0x40;  // MB_ICONINFORMATION
    platform.ShowMessageBox(0, kFolderInUseText, L"Tarvik", kInformationIcon);
    return 0;
  }
  platform.InitCommonControls();
  MarkStartStep("locks");

  frmMain main(platform);
  MarkStartStep("windows");
  if (!main.Load()) return 1;
  main.Me().Show();
  main.FocusPage();
  MarkStartStep("shown");
  return platform.Run();
}

}  // namespace tarvik::app
