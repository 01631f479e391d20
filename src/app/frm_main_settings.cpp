// The main window's settings: Config.ini, the two option switches and the logon start.

#include <optional>
#include <string>

#include "app/frm_main.h"
#include "app/mod_registry.h"
#include "app/settings_rules.h"
#include "util/decimal.h"
#include "util/file_io.h"
#include "util/ini_file.h"
#include "util/text_codec.h"
#include "window/dock_geometry.h"
#include "window/mod_topmost.h"

namespace tarvik::app {
namespace {

constexpr platform::RegistryRoot kMachine = platform::kHKeyLocalMachine;
constexpr platform::RegistryRoot kUser = platform::kHKeyCurrentUser;

}  // namespace

void frmMain::LoadSettings() {
  const platform::ScreenMetrics screen = platform_.Screen();
  const std::wstring path = ConfigPath();
  if (!util::FileExists(path)) util_->SaveUTF8File(DefaultConfigText(screen), path);

  const auto number = [&](const wchar_t* section, const wchar_t* key, const std::wstring& def) {
    return util::ParseLeadingNumber(util_->ReadIniKeyValue(path, section, key, def));
  };
  // Each value goes to the window as soon as it is read.
  me_.SetLeft(ToTwips(number(L"Main", L"Left", util::FormatNumber(DefaultLeftTwips(screen)))));
  me_.SetTop(ToTwips(number(L"Main", L"Top", util::FormatNumber(DefaultTopTwips(screen)))));
  me_.SetWidth(ToTwips(number(L"Main", L"Width", std::to_wstring(kDefaultWidthTwips))));
  me_.SetHeight(ToTwips(number(L"Main", L"Height", std::to_wstring(kDefaultHeightTwips))));

  options_.SSwitch1(0).SetValue(number(L"Options", L"OnTop", L"0") != 0);
  options_.SSwitch1(1).SetValue(number(L"Options", L"StartUp", L"0") != 0);
  if (options_.SSwitch1(0).Value()) window::modTopmost::SetTopmost(me_);
  const bool autostart = options_.SSwitch1(1).Value();
  if (autostart) {
    EnableAutostart();
  } else {
    DisableAutostart();
  }
  ShowAutostartState(autostart);

  if (me_.Width() < kMinWidthTwips) me_.SetWidth(kMinWidthTwips);
  if (me_.Height() < kMinHeightTwips) me_.SetHeight(kMinHeightTwips);

  // A window saved on a monitor that is gone, or beyond a smaller screen, would open where
  // nobody can see or reach it.
  const TwipsBounds bounds{me_.Left(), me_.Top(), me_.Width(), me_.Height()};
  if (!IsWindowReachable(bounds, screen, platform_.Monitors())) {
    me_.Move(ToTwips(DefaultLeftTwips(screen)), ToTwips(DefaultTopTwips(screen)), me_.Width(),
             me_.Height());
  }
  // A window wider or taller than its screen may still be on it with its close button beyond
  // the edge; without that button the notes cannot be saved.
  window::TwipsGeometry g;
  g.left = me_.Left();
  g.top = me_.Top();
  g.width = me_.Width();
  g.height = me_.Height();
  g.screenWidth = screen.widthPx * screen.twipsPerPixelX;
  g.screenHeight = screen.heightPx * screen.twipsPerPixelY;
  g.twipsPerPixelX = screen.twipsPerPixelX;
  g.twipsPerPixelY = screen.twipsPerPixelY;
  const platform::Point at =
      window::KeepCloseButtonReachable(g, window::LayoutOf(screen, platform_.Monitors()));
  if (at.x != g.left || at.y != g.top) me_.Move(at.x, at.y, me_.Width(), me_.Height());
}

bool frmMain::SaveSettings() {
  const std::wstring path = ConfigPath();
  std::string content;
  if (util::FileExists(path)) {
    // A file that exists but cannot be read is left as it is rather than replaced.
    std::optional<std::string> bytes = util::ReadFileBytes(path);
    if (!bytes) return false;
    content = std::string(util::StripUtf8Bom(*bytes));
  } else {
    content = util::ToUtf8(DefaultConfigText(platform_.Screen()));
  }
  const struct {
    const wchar_t* section;
    const wchar_t* key;
    std::wstring value;
  } entries[] = {
      {L"Main", L"Left", util::FormatNumber(me_.Left())},
      {L"Main", L"Top", util::FormatNumber(me_.Top())},
      {L"Main", L"Width", util::FormatNumber(me_.Width())},
      {L"Main", L"Height", util::FormatNumber(me_.Height())},
      {L"Options", L"OnTop", options_.SSwitch1(0).Value() ? L"1" : L"0"},
      {L"Options", L"StartUp", options_.SSwitch1(1).Value() ? L"1" : L"0"},
  };
  // All six values reach the disk together or not at all.
  for (const auto& entry : entries) {
    content = util::SetIniValue(content, entry.section, entry.key, entry.value);
  }
  return util::WriteFileAtomic(path, content);
}

void frmMain::SSwitch1_Click(int index) {
  const bool on = options_.SSwitch1(index).Value();
  if (index == 0) {
    if (on) {
      window::modTopmost::SetTopmost(me_);
    } else {
      window::modTopmost::SetNotTopmost(me_);
    }
  } else if (index == 1) {
    if (on) {
      EnableAutostart();
    } else {
      DisableAutostart();
    }
    ShowAutostartState(on);
  }
}

void frmMain::EnableAutostart() {
  const std::wstring name = platform_.ProgramName();
  const std::wstring command = AutostartCommand(AppPath(), name);
  // Without administrator rights the machine-wide key refuses the value; the user's own
  // Run key starts the program at this user's logon just as well.
  if (modRegistry::SetRegistryValue(platform_, kMachine, kRunKeyPath, name, platform::kRegSz,
                                    command)) {
    // One registration is enough; an older one of the user's own would start it twice.
    modRegistry::DeleteRegistryValue(platform_, kUser, kRunKeyPath, name);
  } else {
    modRegistry::SetRegistryValue(platform_, kUser, kRunKeyPath, name, platform::kRegSz, command);
  }
}

void frmMain::DisableAutostart() {
  const std::wstring name = platform_.ProgramName();
  modRegistry::DeleteRegistryValue(platform_, kMachine, kRunKeyPath, name);
  modRegistry::DeleteRegistryValue(platform_, kUser, kRunKeyPath, name);
}

void frmMain::ShowAutostartState(bool wanted) {
  const std::wstring name = platform_.ProgramName();
  bool unknown = false;
  for (const platform::RegistryRoot root : {kMachine, kUser}) {
    const platform::RegistryReadResult read = platform_.ReadRegistryValue(root, kRunKeyPath, name);
    if (read.status == platform::kRegistryOk) {
      options_.SSwitch1(1).SetValue(true);
      return;
    }
    if (read.status != platform::kRegistryNotFound) unknown = true;
  }
  options_.SSwitch1(1).SetValue(unknown && wanted);
}

}  // namespace tarvik::app
