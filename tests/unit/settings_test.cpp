// Settings and logon start: Config.ini, the two switches, the registry rules, and bringing a
// window saved off screen back into sight.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "program_folder_fixture.h"
#include "app/mod_registry.h"
#include "app/settings_rules.h"
#include "platform/headless/headless_platform.h"
#include "util/decimal.h"
#include "util/text_codec.h"

namespace tarvik::app {
namespace {

namespace fs = std::filesystem;
using platform::RegistryData;
using platform::headless::HeadlessPlatform;
constexpr platform::RegistryRoot kMachine = platform::kHKeyLocalMachine;
constexpr platform::RegistryRoot kUser = platform::kHKeyCurrentUser;
const std::wstring kRun = kRunKeyPath;

class SettingsTest : public testing_support::ProgramFolderTest {
 protected:
  void WriteConfig(const std::string& bytes) {
    std::ofstream(folder_ / "Config.ini", std::ios::binary) << bytes;
  }
  std::string ReadConfig() const {
    std::ifstream in(folder_ / "Config.ini", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  frmMain& Start() {
    window_ = std::make_unique<frmMain>(platform_);
    EXPECT_TRUE(window_->Load());
    return *window_;
  }
  std::wstring Command() const {
    return L"\"" + util::FromUtf8(folder_.string()) + L"\\Tarvik.exe\"";
  }
  std::optional<RegistryData> Run(platform::RegistryRoot root) const {
    return platform_.RegistryValue(root, kRun, L"Tarvik");
  }
  RegistryData Sz(const std::wstring& text) const { return {platform::kRegSz, text, {}}; }
  // What Notepad saves as "Unicode".
  static std::string Utf16(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : text) {
      bytes += static_cast<char>(unit & 0xFF);
      bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
  }
};

TEST_F(SettingsTest, FirstStartWritesTheDefaultsAndOpensCentred) {
  platform_.PutRegistryValue(kMachine, kRun, L"Tarvik", Sz(L"old"));
  frmMain& w = Start();
  // 1280 x 800 pixels at 15 twips: 19200 / 2 - 2235 and 12000 / 2 - 2580.
  EXPECT_EQ(ReadConfig(),
            "[Main]\r\nLeft=7365\r\nTop=3420\r\nWidth=4470\r\nHeight=5160\r\n"
            "[Options]\r\nOnTop=0\r\nStartUp=0");
  EXPECT_EQ(w.Me().Left(), 7365);
  EXPECT_EQ(w.Me().Top(), 3420);
  EXPECT_EQ(w.Me().Width(), 4470);
  EXPECT_EQ(w.Me().Height(), 5160);
  EXPECT_FALSE(Options(w).SSwitch1(0).Value());
  EXPECT_FALSE(Options(w).SSwitch1(1).Value());
  EXPECT_FALSE(platform_.IsTopMost(w.Me().hWnd()));
  EXPECT_FALSE(Run(kMachine));
}

TEST_F(SettingsTest, SwitchesSitBesideTheirLabels) {
  frmMain& w = Start();
  for (int i = 0; i < 2; ++i) {
    const widgets::SSwitch& s = Options(w).SSwitch1(i);
    EXPECT_EQ(&s.Parent(), static_cast<const widgets::Container*>(&Options(w).picOptions));
    EXPECT_EQ(s.Left(), 116);  // 1740 twips
    EXPECT_EQ(s.Top(), i == 0 ? 8 : 36);
    EXPECT_EQ(s.Width(), 33);
    EXPECT_EQ(s.Height(), 17);
    EXPECT_EQ(s.BackColorOff(), platform::Rgb(208, 208, 208));
    EXPECT_EQ(s.BackColorOn(), platform::Rgb(51, 255, 51));
  }
}

TEST(SettingsRulesTest, NumberForms) {
  platform::ScreenMetrics odd;
  odd.widthPx = 1365;
  odd.heightPx = 767;
  EXPECT_EQ(DefaultConfigText(odd),
            L"[Main]\r\nLeft=8002.5\r\nTop=3172.5\r\nWidth=4470\r\nHeight=5160\r\n"
            L"[Options]\r\nOnTop=0\r\nStartUp=0");
  const struct {
    double value;
    const wchar_t* text;
  } written[] = {
      {0, L"0"},           {-0.0, L"0"},    {7365, L"7365"}, {-735, L"-735"},
      {8002.5, L"8002.5"}, {0.25, L"0.25"}, {-1.5, L"-1.5"}, {1.0 / 3, L"0.333333333333333"}};
  for (const auto& c : written) EXPECT_EQ(util::FormatNumber(c.value), c.text) << c.value;

  const struct {
    const wchar_t* text;
    double value;
  } read[] = {{L"123", 123},  {L"  42abc", 42}, {L"-7.5x", -7.5}, {L"abc", 0},  {L"", 0},
              {L"1e3", 1000}, {L"2D2", 200},    {L"1e", 1},       {L".5", 0.5}, {L"+8", 8},
              {L"-", 0},      {L"12 34", 12},   {L"0x10", 0},     {L"5.", 5}};
  for (const auto& c : read) EXPECT_EQ(util::ParseLeadingNumber(c.text), c.value) << c.text;
  EXPECT_EQ(util::ParseLeadingNumber(L"1e999"), std::numeric_limits<double>::max());
  EXPECT_EQ(ToTwips(util::ParseLeadingNumber(L"-1e999")), -1000000000);
}

TEST_F(SettingsTest, ValuesFromTheFileWithMinimumSizesAndOptionParsing) {
  const struct {
    std::string config;
    int width, height;
    bool onTop, startUp;
    std::string savedOnTop, savedStartUp;
  } cases[] = {
      {"[Main]\r\nWidth=100\r\nHeight=0\r\n", 3240, 4140, false, false, "0", "0"},
      {"[Main]\r\nWidth=abc\r\nHeight=6000.4\r\n[Options]\r\nOnTop=2\r\nStartUp=abc", 3240, 6000,
       true, false, "1", "0"},
      {"[Options]\r\nOnTop=abc\r\nStartUp=-1\r\n", 4470, 5160, false, true, "0", "1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.config);
    WriteConfig(c.config);
    frmMain& w = Start();
    EXPECT_EQ(w.Me().Width(), c.width);
    EXPECT_EQ(w.Me().Height(), c.height);
    EXPECT_EQ(Options(w).SSwitch1(0).Value(), c.onTop);
    EXPECT_EQ(platform_.IsTopMost(w.Me().hWnd()), c.onTop);
    EXPECT_EQ(Options(w).SSwitch1(1).Value(), c.startUp);
    ASSERT_TRUE(SaveSettings(w));
    const std::string saved = ReadConfig();
    EXPECT_NE(saved.find("OnTop=" + c.savedOnTop), std::string::npos) << saved;
    EXPECT_NE(saved.find("StartUp=" + c.savedStartUp), std::string::npos) << saved;
    window_.reset();
  }
}

TEST_F(SettingsTest, SaveWritesTheCurrentGeometryAndKeepsTheRest) {
  WriteConfig("; mine\r\n[Main]\r\nLeft=1500\r\nTop=1200\r\nWidth=4500\r\nHeight=6000\r\nX=y");
  frmMain& w = Start();
  EXPECT_EQ(w.Me().Left(), 1500);
  EXPECT_EQ(w.Me().Top(), 1200);
  EXPECT_EQ(w.Me().Width(), 4500);
  EXPECT_EQ(w.Me().Height(), 6000);
  // 20 pixels off the left edge and 30 below the top: too far for edge snapping.
  w.Me().Move(-300, 450, 3300, 4200);
  TurnSwitch(w, 0, true);
  ASSERT_TRUE(SaveSettings(w));
  EXPECT_EQ(ReadConfig(),
            "; mine\r\n[Main]\r\nLeft=-300\r\nTop=450\r\nWidth=3300\r\nHeight=4200\r\nX=y\r\n"
            "Dpi=96\r\n[Options]\r\nOnTop=1\r\nStartUp=0\r\n");

  // A missing file is made from the defaults first; nothing is left beside it.
  fs::remove(folder_ / "Config.ini");
  ASSERT_TRUE(SaveSettings(w));
  EXPECT_EQ(ReadConfig(),
            "[Main]\r\nLeft=-300\r\nTop=450\r\nWidth=3300\r\nHeight=4200\r\n"
            "Dpi=96\r\n[Options]\r\nOnTop=1\r\nStartUp=0");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 2);

  // A UTF-16 file stays UTF-16, with what else it holds.
  WriteConfig(Utf16(u"[Main]\r\nLeft=1500\r\nTop=1200\r\n[Mine]\r\n中=文"));
  window_.reset();
  frmMain& again = Start();
  EXPECT_EQ(again.Me().Left(), 1500);
  EXPECT_EQ(again.Me().Top(), 1200);
  again.Me().Move(-300, 450, 3300, 4200);
  ASSERT_TRUE(SaveSettings(again));
  EXPECT_EQ(ReadConfig(), Utf16(u"[Main]\r\nLeft=-300\r\nTop=450\r\nWidth=3300\r\nHeight=4200\r\n"
                                u"Dpi=96\r\n[Mine]\r\n中=文\r\n[Options]\r\nOnTop=0\r\nStartUp=0\r\n"));
}

TEST(SettingsRulesTest, WindowsOffEveryScreenAreNotReachable) {
  platform::ScreenMetrics screen;  // 1280 x 800 pixels: 19200 x 12000 twips
  const std::vector<platform::Rect> one{{0, 0, 1280, 800}};
  const std::vector<platform::Rect> two{{0, 0, 1280, 800}, {1280, 0, 1920, 1080}};
  const struct {
    TwipsBounds window;
    const std::vector<platform::Rect>* monitors;
    bool reachable;
  } cases[] = {
      {{7365, 3420, 4470, 5160}, &one, true},
      {{-4000, -5000, 4470, 5160}, &one, true},   // a corner still on screen
      {{19185, 11985, 4470, 5160}, &one, true},   // one pixel on screen
      {{19200, 12000, 4470, 5160}, &one, false},  // just beyond the corner
      {{100000, 100000, 4470, 5160}, &one, false},
      {{-1000000000, 0, 4470, 5160}, &one, false},
      {{25000, 3000, 4470, 5160}, &one, false},
      {{25000, 3000, 4470, 5160}, &two, true},  // on the second monitor
      {{-4470, 3000, 4470, 5160}, &one, true},  // hidden at the left edge
      {{-4471, 3000, 4470, 5160}, &one, false},
      {{-4470, 20000, 4470, 5160}, &one, false},  // ... but below the screen
      {{19200, 3000, 4470, 5160}, &one, true},    // hidden at the right edge
      {{19200, -6000, 4470, 5160}, &one, false},
      {{3000, -5160, 4470, 5160}, &one, true},  // hidden at the top edge
      {{3000, -5161, 4470, 5160}, &one, false},
      {{-9000, -5160, 4470, 5160}, &one, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsWindowReachable(c.window, screen, *c.monitors), c.reachable)
        << c.window.left << ", " << c.window.top;
  }
}

TEST_F(SettingsTest, ASavedPositionOffScreenOpensCentredAnEdgeHiddenOneStays) {
  const struct {
    std::string config;
    int left, top;
  } cases[] = {
      {"[Main]\r\nLeft=100000\r\nTop=-90000\r\n", 7365, 3420},
      {"[Main]\r\nLeft=1e300\r\nTop=5\r\n", 7365, 3420},
      {"[Main]\r\nLeft=-4470\r\nTop=3000\r\n", -4470, 3000},
      {"[Main]\r\nLeft=-3990\r\nTop=3000\r\n", -3990, 3000},  // partly on screen
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.config);
    WriteConfig(c.config);
    frmMain& w = Start();
    EXPECT_EQ(w.Me().Left(), c.left);
    EXPECT_EQ(w.Me().Top(), c.top);
    window_.reset();
  }
}

TEST_F(SettingsTest, RegistryTypeRules) {
  const auto bytes = [](std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out.push_back(static_cast<char>(v));
    return out;
  };
  const struct {
    std::uint32_t type;
    std::wstring data;
    bool stored;
    RegistryData value;
  } cases[] = {
      {1, L"C:\\a b\\x.exe", true, {1, L"C:\\a b\\x.exe", ""}},
      {2, L"%WINDIR%\\x", true, {2, L"%WINDIR%\\x", ""}},
      {1, L"", true, {1, L" ", ""}},
      {3, L"01 AB ff", true, {3, L"", bytes({0x01, 0xAB, 0xFF})}},
      {3, L"01 AB f", true, {3, L"", bytes({0x01, 0xAB})}},
      {3, L"0102", true, {3, L"", bytes({0x01})}},
      {3, L"", true, {3, L"", ""}},
      {3, L"01 zz", false, {}},
      {4, L"1F", true, {4, L"", bytes({0x1F, 0, 0, 0})}},
      {4, L"DEADBEEF", true, {4, L"", bytes({0xEF, 0xBE, 0xAD, 0xDE})}},
      {4, L"", true, {4, L"", bytes({0, 0, 0, 0})}},
      {4, L"123456789", false, {}},
      {7, L"x", false, {}},
      {0, L"x", false, {}},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::wstring key = L"Software\\T" + std::to_wstring(++n);
    SCOPED_TRACE(n);
    EXPECT_EQ(modRegistry::SetRegistryValue(platform_, kUser, key, L"V", c.type, c.data), c.stored);
    const auto value = platform_.RegistryValue(kUser, key, L"V");
    EXPECT_EQ(value.has_value(), c.stored);
    if (value) {
      EXPECT_EQ(*value, c.value);
    }
    // The key is made either way, its class the type number.
    EXPECT_EQ(platform_.RegistryKeyClass(kUser, key), std::to_wstring(c.type));
  }
  // Past 1025 bytes no value is made rather than a cut one.
  std::wstring many;
  for (int i = 0; i < 1026; ++i) many += L"7F ";
  EXPECT_FALSE(modRegistry::SetRegistryValue(platform_, kUser, L"Big", L"V", 3, many));
  many.resize(many.size() - 3);
  EXPECT_TRUE(modRegistry::SetRegistryValue(platform_, kUser, L"Big", L"V", 3, many));
  EXPECT_EQ(platform_.RegistryValue(kUser, L"Big", L"V")->bytes.size(), 1025u);

  platform_.SetRegistryWritable(kMachine, false);
  EXPECT_FALSE(modRegistry::SetRegistryValue(platform_, kMachine, L"K", L"V", 1, L"x"));
  EXPECT_EQ(modRegistry::DeleteRegistryValue(platform_, kMachine, L"K", L"V"), 5u);
  EXPECT_EQ(modRegistry::DeleteRegistryValue(platform_, kUser, L"", L""), 2u);
  EXPECT_EQ(modRegistry::DeleteRegistryValue(platform_, kUser, L"Software\\T1", L"v"), 0u);
  EXPECT_FALSE(platform_.RegistryValue(kUser, L"Software\\T1", L"V"));
  EXPECT_EQ(modRegistry::DeleteRegistryValue(platform_, kUser, L"Software\\T1", L"V"), 2u);
}

TEST_F(SettingsTest, AutostartRegistersQuotedAndFallsBackToTheUser) {
  const struct {
    bool machineWritable;
    bool machineHad;
    bool userHad;
    std::string startUp;
    bool machineAfter, userAfter, switchOn;
    // An entry only an administrator can remove holds the switch on: it says so, and the
    // file does not take it for the user's wish.
    bool held;
    std::string saved;
  } cases[] = {
      {true, false, true, "1", true, false, true, false, "1"},  // machine-wide; no second entry
      {false, false, false, "1", false, true, true, false, "1"},  // a normal user: the user's key
      {true, true, true, "0", false, false, false, false, "0"},   // both go
      {false, true, true, "0", true, false, true, true, "0"},     // an admin's entry stays
      {false, true, false, "1", true, false, true, true, "0"},    // ... and is not doubled
      {false, true, true, "1", true, false, true, true, "0"},
      {true, true, false, "1", true, false, true, false, "1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.startUp + (c.machineWritable ? " writable" : " refused") +
                 (c.machineHad ? " machine" : "") + (c.userHad ? " user" : ""));
    platform_.SetRegistryWritable(kMachine, true);
    platform_.RegistryDeleteValue(kMachine, kRun, L"Tarvik");
    platform_.RegistryDeleteValue(kUser, kRun, L"Tarvik");
    if (c.machineHad) platform_.PutRegistryValue(kMachine, kRun, L"Tarvik", Sz(L"old"));
    if (c.userHad) platform_.PutRegistryValue(kUser, kRun, L"Tarvik", Sz(L"old"));
    platform_.SetRegistryWritable(kMachine, c.machineWritable);
    WriteConfig("[Options]\r\nStartUp=" + c.startUp);
    // The second start reads what the first one saved, and changes nothing.
    for (int start = 0; start < 2; ++start) {
      frmMain& w = Start();
      EXPECT_EQ(Run(kMachine).has_value(), c.machineAfter);
      EXPECT_EQ(Run(kUser).has_value(), c.userAfter);
      for (const auto root : {kMachine, kUser}) {
        if (Run(root) && c.startUp == "1" && (c.machineWritable || root == kUser)) {
          EXPECT_EQ(*Run(root), Sz(Command()));
        }
      }
      EXPECT_EQ(Options(w).SSwitch1(1).Value(), c.switchOn);
      EXPECT_EQ(Options(w).Label3_1.ToolTipText(), c.held ? kStartUpMachineTip : kStartUpTip);
      EXPECT_EQ(Options(w).switches[1]->Picture1().ToolTipText(),
                c.held ? kStartUpMachineTip : L"");
      ASSERT_TRUE(SaveSettings(w));
      EXPECT_NE(ReadConfig().find("StartUp=" + c.saved), std::string::npos);
      window_.reset();
    }
  }
}

TEST_F(SettingsTest, ASwitchShowsOnOnlyWhileRegistered) {
  platform_.SetRegistryWritable(kMachine, false);
  platform_.SetRegistryWritable(kUser, false);
  WriteConfig("[Options]\r\nStartUp=1");
  frmMain& w = Start();
  EXPECT_FALSE(Options(w).SSwitch1(1).Value());
  ASSERT_TRUE(SaveSettings(w));
  EXPECT_NE(ReadConfig().find("StartUp=0"), std::string::npos);

  // A user's click: on only once something is registered; off takes away both entries.
  ClickSwitch(w, 1);
  EXPECT_FALSE(Options(w).SSwitch1(1).Value());
  platform_.SetRegistryWritable(kUser, true);
  ClickSwitch(w, 1);
  EXPECT_TRUE(Options(w).SSwitch1(1).Value());
  EXPECT_EQ(Run(kUser), Sz(Command()));
  platform_.SetRegistryWritable(kMachine, true);
  platform_.PutRegistryValue(kMachine, kRun, L"Tarvik", Sz(Command()));
  platform_.Get(Options(w).switches[1]->Picture2().hWnd()).Click();
  EXPECT_FALSE(Options(w).SSwitch1(1).Value());
  EXPECT_FALSE(Run(kMachine));
  EXPECT_FALSE(Run(kUser));

  // A registry that cannot be read says nothing either way: the switch keeps the user's word.
  platform_.SetRegistryReadable(kMachine, false);
  platform_.SetRegistryReadable(kUser, false);
  ClickSwitch(w, 1);
  EXPECT_TRUE(Options(w).SSwitch1(1).Value());
}

TEST_F(SettingsTest, TopmostSwitchActsAtOnceAndNothingIsWritten) {
  frmMain& w = Start();
  const std::string before = ReadConfig();
  platform_.Get(Options(w).switches[0]->Picture2().hWnd()).Click();
  EXPECT_TRUE(Options(w).SSwitch1(0).Value());
  EXPECT_TRUE(platform_.IsTopMost(w.Me().hWnd()));
  platform_.Get(Options(w).SSwitch1(0).hWnd()).KeyDown(platform::kKeySpace);
  EXPECT_FALSE(Options(w).SSwitch1(0).Value());
  EXPECT_FALSE(platform_.IsTopMost(w.Me().hWnd()));
  EXPECT_EQ(ReadConfig(), before);
}

}  // namespace
}  // namespace tarvik::app
