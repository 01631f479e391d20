// The main window's settings: Config.ini, the two option switches and the logon start.

#include <cmath>
#include <optional>
#include <string>

#include "app/frm_main.h"
#include "app/main_pages.h"
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

// The program starts at logon through the machine-wide Run value, and this user may not
// change the machine-wide key, so cannot turn that off.
bool AutostartHeldByMachine(
    platform::Roles<platform::ProcessServices, platform::RegistryAccess> p) {
  const std::wstring name = p.Get<platform::ProcessServices>().ProgramName();
  platform::RegistryAccess& registry = p.Get<platform::RegistryAccess>();
  if (registry.ReadRegistryValue(kMachine, kRunKeyPath, name).status != platform::kRegistryOk) {
    return false;
  }
  return registry.CreateRegistryKey(kMachine, kRunKeyPath, L"").status ==
         platform::kRegistryAccessDenied;
}

}  // namespace

window::OuterSize frmMain::MinimumSize() const {
  return {me_.ScaledPx(kMinWidthTwips / 15) * me_.TwipsPerPixelX(),
          me_.ScaledPx(kMinHeightTwips / 15) * me_.TwipsPerPixelY()};
}

void frmMain::LoadSettings() {
  const platform::ScreenMetrics screen = platform_.Screen();
  const std::wstring path = ConfigPath();
  if (!util::FileExists(path)) util_->SaveUTF8File(DefaultConfigText(screen), path);

  const auto number = [&](const wchar_t* section, const wchar_t* key, const std::wstring& def) {
    return util::ParseLeadingNumber(util_->ReadIniKeyValue(path, section, key, def));
  };
  // The file holds twips at the DPI its Dpi value names; a file without one (an older one,
  // or the first start's) at the system's. Left and Top are a spot on the screen and stay
  // there at any scale; Width and Height are the window's design size, shown at the scale
  // of the monitor the window is on. Each value goes to the window as soon as it is read.
  const double systemDpi = screen.dpi > 0 ? screen.dpi : 96;
  const double named = number(L"Main", L"Dpi", L"0");
  const double savedDpi = named >= 48 && named <= 960 ? named : systemDpi;
  const int tpx = me_.TwipsPerPixelX();
  const int tpy = me_.TwipsPerPixelY();
  // The file's twips at a DPI, as the window's (screen pixels times twips per pixel).
  const auto twips = [](double value, double dpi, int tpp) {
    return ToTwips(value * dpi * tpp / 1440);
  };
  // A place the file does not give is the centred default, in the system's twips whatever
  // scale the file names.
  const auto place = [&](const wchar_t* key, double fallback, int tpp) {
    const std::wstring text = util_->ReadIniKeyValue(path, L"Main", key, L"");
    return text.empty() ? twips(fallback, systemDpi, tpp)
                        : twips(util::ParseLeadingNumber(text), savedDpi, tpp);
  };
  me_.SetLeft(place(L"Left", DefaultLeftTwips(screen), tpx));
  me_.SetTop(place(L"Top", DefaultTopTwips(screen), tpy));
  // Moving may have brought the window onto a monitor of another scale.
  me_.SetWidth(twips(number(L"Main", L"Width", std::to_wstring(kDefaultWidthTwips)),
                     me_.Dpi(), tpx));
  me_.SetHeight(twips(number(L"Main", L"Height", std::to_wstring(kDefaultHeightTwips)),
                      me_.Dpi(), tpy));

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

  const window::OuterSize least = MinimumSize();
  if (me_.Width() < least.width) me_.SetWidth(least.width);
  if (me_.Height() < least.height) me_.SetHeight(least.height);

  // A window saved on a monitor that is gone, or beyond a smaller screen, would open where
  // nobody can see or reach it.
  const TwipsBounds bounds{me_.Left(), me_.Top(), me_.Width(), me_.Height()};
  if (!IsWindowReachable(bounds, screen, platform::BoundsOf(platform_.Monitors()))) {
    me_.Move(twips(DefaultLeftTwips(screen), systemDpi, tpx),
             twips(DefaultTopTwips(screen), systemDpi, tpy), me_.Width(), me_.Height());
  }
  // A window wider or taller than its screen may still be on it with its close button beyond
  // the edge; without that button the notes cannot be saved.
  const window::TwipsGeometry g = window::GeometryOf(me_, screen);
  const platform::Point at =
      window::KeepCloseButtonReachable(g, platform_.Monitors());
  if (at.x != g.left || at.y != g.top) me_.Move(at.x, at.y, me_.Width(), me_.Height());
}

bool frmMain::SaveSettings() {
  // A minimised window is parked off screen; its normal place is the one to open at.
  const platform::Rect px = me_.IsMinimized() ? me_.NormalBounds() : me_.OuterPixels();
  const int dpi = me_.Dpi();
  const auto twips = [dpi](int pixels) {
    return util::FormatNumber(static_cast<double>(std::llround(pixels * 1440.0 / dpi)));
  };
  const std::wstring left = twips(px.left);
  const std::wstring top = twips(px.top);
  const std::wstring width = twips(px.width);
  const std::wstring height = twips(px.height);
  const std::wstring dpiText = std::to_wstring(dpi);
  // A switch held on by an entry only an administrator can remove is not the user's wish: a
  // "1" would make the next start register the program for this user as well.
  const bool startUp = options_.SSwitch1(1).Value() && !AutostartHeldByMachine(platform_);
  const util::IniEntry entries[] = {
      {L"Main", L"Left", left},
      {L"Main", L"Top", top},
      {L"Main", L"Width", width},
      {L"Main", L"Height", height},
      {L"Main", L"Dpi", dpiText},
      {L"Options", L"OnTop", options_.SSwitch1(0).Value() ? L"1" : L"0"},
      {L"Options", L"StartUp", startUp ? L"1" : L"0"},
  };
  // All the values reach the disk together or not at all, in the file's own encoding; a
  // file that exists but cannot be read is left as it is rather than replaced.
  return util::WriteIniValues(ConfigPath(), entries,
                              util::ToUtf8(DefaultConfigText(platform_.Screen())));
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
  const bool machineWritten = modRegistry::SetRegistryValue(platform_, kMachine, kRunKeyPath, name,
                                                            platform::kRegSz, command);
  // An administrator's machine-wide entry already starts the program at this logon.
  if (machineWritten ||
      platform_.ReadRegistryValue(kMachine, kRunKeyPath, name).status == platform::kRegistryOk) {
    // One registration is enough; one of the user's own as well would start it twice.
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
  bool registered = false;
  bool unknown = false;
  for (const platform::RegistryRoot root : {kMachine, kUser}) {
    const platform::RegistryReadResult read = platform_.ReadRegistryValue(root, kRunKeyPath, name);
    if (read.status == platform::kRegistryOk) registered = true;
    if (read.status != platform::kRegistryOk && read.status != platform::kRegistryNotFound) {
      unknown = true;
    }
  }
  options_.SSwitch1(1).SetValue(registered || (unknown && wanted));
  // Say why the switch will not go off, on the label and on the switch itself.
  const bool held = AutostartHeldByMachine(platform_);
  options_.Label3_1.SetToolTipText(held ? kStartUpMachineTip : kStartUpTip);
  widgets::SSwitch& startUp = options_.SSwitch1(1);
  const std::wstring switchTip = held ? kStartUpMachineTip : L"";
  startUp.SetToolTipText(switchTip);
  startUp.Picture1().SetToolTipText(switchTip);
  startUp.Picture2().SetToolTipText(switchTip);
}

}  // namespace tarvik::app
