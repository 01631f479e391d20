// The toggle switch and the topmost/transparency module on the headless backend.

#include <gtest/gtest.h>

#include "platform/headless/headless_platform.h"
#include "widgets/form.h"
#include "widgets/sswitch.h"
#include "window/mod_topmost.h"

namespace tarvik::widgets {
namespace {

using platform::Rgb;
using platform::headless::HeadlessControl;
using platform::headless::HeadlessPlatform;

class SwitchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_.Show();
    sw_.Click = [this] { ++clicks_; };
  }
  HeadlessControl& Native(const Widget& w) { return platform_.Get(w.hWnd()); }
  platform::Rect Knob() { return Native(sw_.Picture2()).Bounds(); }
  Color Track() { return Native(sw_.Picture1()).BackColor(); }

  HeadlessPlatform platform_;
  Form form_{platform_, L"Test", {10, 20, 300, 200}, Rgb(255, 255, 255)};
  // 495 x 255 twips, as on the options page.
  SSwitch sw_{form_, {116, 8, 33, 17}};
  int clicks_ = 0;
};

TEST_F(SwitchTest, CreatedOffWithDefaultColoursAndTwipsLayout) {
  EXPECT_FALSE(sw_.Value());
  EXPECT_TRUE(sw_.Enabled());
  EXPECT_EQ(sw_.BackColorOff(), Rgb(225, 225, 225));
  EXPECT_EQ(sw_.BackColorOn(), Rgb(51, 204, 255));
  EXPECT_EQ(sw_.TrackTwips(), (TwipsRect{0, 0, 495, 255}));
  EXPECT_EQ(sw_.Shape1().bounds, sw_.TrackTwips());
  EXPECT_EQ(sw_.KnobTwips(), (TwipsRect{15, 15, 232.5, 225}));
  EXPECT_EQ(Native(sw_.Picture1()).Bounds(), (platform::Rect{0, 0, 33, 17}));
  EXPECT_EQ(Knob(), (platform::Rect{1, 1, 16, 15}));
  EXPECT_EQ(Track(), Rgb(225, 225, 225));
  EXPECT_EQ(sw_.Shape1().borderColor, Rgb(225, 225, 225));
  EXPECT_EQ(sw_.Shape1().borderStyle, 1);
  EXPECT_EQ(Native(sw_.Picture2()).BackColor(), Rgb(255, 255, 255));
}

TEST_F(SwitchTest, ValueFromCodeRedrawsWithoutClick) {
  sw_.SetValue(true);
  EXPECT_EQ(sw_.KnobTwips().left, 247.5);  // 495 - 15 - 232.5
  // The knob mirrors its off place: one pixel from the far edge, the same width.
  EXPECT_EQ(Knob(), (platform::Rect{16, 1, 16, 15}));
  EXPECT_EQ(Track(), Rgb(51, 204, 255));
  EXPECT_EQ(sw_.Shape1().borderColor, Rgb(51, 204, 255));
  sw_.SetValue(false);
  EXPECT_EQ(Knob().left, 1);
  EXPECT_EQ(clicks_, 0);
}

TEST_F(SwitchTest, EveryPartFlipsOnClickAndSpaceUnlessDisabled) {
  const std::function<void()> gestures[] = {
      [&] { Native(sw_).Click(); },
      [&] { Native(sw_.Picture1()).Click(); },
      [&] { Native(sw_.Picture2()).Click(); },
      [&] { Native(sw_).KeyDown(platform::kKeySpace); },
  };
  for (const auto& gesture : gestures) {
    const bool before = sw_.Value();
    bool seenInHandler = before;
    sw_.Click = [&] {
      ++clicks_;
      seenInHandler = sw_.Value();
    };
    gesture();
    EXPECT_EQ(sw_.Value(), !before);
    EXPECT_EQ(seenInHandler, !before) << "Click comes after the flip";
    EXPECT_EQ(Track(), before ? sw_.BackColorOff() : sw_.BackColorOn());
  }
  EXPECT_EQ(clicks_, 4);

  // Held keys, other keys and Space with a modifier do nothing.
  Native(sw_).KeyDown(platform::kKeySpace, 0, true);
  Native(sw_).KeyDown(0x0D);
  Native(sw_).KeyDown(platform::kKeySpace, platform::kCtrlKey);
  EXPECT_EQ(clicks_, 4);

  sw_.SetValue(true);
  sw_.SetEnabled(false);
  for (const auto& gesture : gestures) gesture();
  Native(sw_.Picture2()).DblClick();
  EXPECT_TRUE(sw_.Value());
  EXPECT_EQ(clicks_, 4);
  EXPECT_EQ(Track(), sw_.BackColorOn());
}

TEST_F(SwitchTest, DoubleClickCountsAsTwoClicksAndPressTakesFocus) {
  Native(sw_.Picture1()).DblClick();
  EXPECT_FALSE(sw_.Value());
  EXPECT_EQ(clicks_, 2);
  EXPECT_TRUE(sw_.HasFocus());
}

TEST_F(SwitchTest, ColourChangesShowAtOnceAndResizeLaysOutAgain) {
  sw_.SetValue(true);
  sw_.SetBackColorOn(Rgb(1, 2, 3));
  EXPECT_EQ(Track(), Rgb(1, 2, 3));
  EXPECT_EQ(sw_.Shape1().borderColor, Rgb(1, 2, 3));
  sw_.SetBackColorOff(Rgb(4, 5, 6));  // not showing: the look stays
  EXPECT_EQ(Track(), Rgb(1, 2, 3));
  sw_.SetValue(false);
  EXPECT_EQ(Track(), Rgb(4, 5, 6));

  sw_.Move(0, 0, 40, 20);  // 600 x 300 twips
  EXPECT_EQ(sw_.KnobTwips(), (TwipsRect{15, 15, 285, 270}));
  EXPECT_EQ(Native(sw_.Picture1()).Bounds(), (platform::Rect{0, 0, 40, 20}));
}

TEST_F(SwitchTest, PropertiesPersistInTheirOrderWithoutDefaults) {
  std::vector<std::wstring> changed;
  sw_.PropertyChanged = [&](const std::wstring& name) { changed.push_back(name); };
  sw_.SetBackColorOn(Rgb(51, 255, 51));
  sw_.SetEnabled(false);
  EXPECT_EQ(changed, (std::vector<std::wstring>{L"BackColorOn", L"Enabled"}));

  PropertyBag bag;
  sw_.WriteProperties(bag);
  EXPECT_EQ(bag.Writes(),
            (std::vector<std::wstring>{L"BackColorOff", L"BackColorOn", L"Enabled", L"Value"}));
  EXPECT_FALSE(bag.Contains(L"BackColorOff"));
  EXPECT_FALSE(bag.Contains(L"Value"));
  EXPECT_TRUE(bag.Contains(L"BackColorOn"));
  EXPECT_TRUE(bag.Contains(L"Enabled"));

  SSwitch copy(form_, {0, 40, 33, 17}, &bag);
  EXPECT_EQ(bag.Reads(),
            (std::vector<std::wstring>{L"BackColorOff", L"BackColorOn", L"Value", L"Enabled"}));
  EXPECT_EQ(copy.BackColorOn(), Rgb(51, 255, 51));
  EXPECT_EQ(copy.BackColorOff(), Rgb(225, 225, 225));
  EXPECT_FALSE(copy.Enabled());
  EXPECT_FALSE(copy.Value());
  EXPECT_EQ(Native(copy.Picture1()).BackColor(), Rgb(225, 225, 225));
}

// ---- modTopmost --------------------------------------------------------------------------

TEST(TopmostTest, PercentageToAlpha) {
  const struct {
    std::int16_t percent;
    int alpha;
  } cases[] = {{-5, 0},   {0, 0},     {1, 2},     {50, 127},   {75, 191},
               {99, 252}, {100, 255}, {150, 255}, {-32768, 0}, {32767, 255}};
  for (const auto& c : cases) {
    EXPECT_EQ(window::modTopmost::AlphaFromPercent(c.percent), c.alpha) << c.percent;
  }
}

TEST(TopmostTest, LayeredAttributesAndBandOnTheWindow) {
  HeadlessPlatform platform;
  Form form(platform, L"Test", {10, 20, 300, 200}, Rgb(255, 255, 255));
  const NativeHandle hwnd = form.hWnd();
  platform.SetExtendedStyle(hwnd, 0x100);  // some other bit that must stay

  EXPECT_TRUE(window::modTopmost::SetAlphaPercent(75, form));
  EXPECT_EQ(*platform.ExtendedStyle(hwnd), 0x100u | platform::kExStyleLayered);
  auto layered = platform.Layered(hwnd);
  ASSERT_TRUE(layered);
  EXPECT_EQ(layered->alpha, 191);
  EXPECT_EQ(layered->key, 0u);
  EXPECT_EQ(layered->flags, platform::kLayeredAlpha);

  // Already layered: the bit stays and only the key changes.
  EXPECT_TRUE(window::modTopmost::SetTransparentColor(0x00FFFFFF, form));
  EXPECT_EQ(*platform.ExtendedStyle(hwnd), 0x100u | platform::kExStyleLayered);
  layered = platform.Layered(hwnd);
  EXPECT_EQ(layered->key, 0x00FFFFFFu);
  EXPECT_EQ(layered->alpha, 255);
  EXPECT_EQ(layered->flags, platform::kLayeredColorKey);

  const platform::Rect before = platform.Get(hwnd).Bounds();
  window::modTopmost::SetTopmost(form);
  window::modTopmost::SetTopmost(form);
  EXPECT_TRUE(platform.IsTopMost(hwnd));
  EXPECT_EQ(platform.Get(hwnd).Bounds(), before);
  window::modTopmost::SetNotTopmost(form);
  EXPECT_FALSE(platform.IsTopMost(hwnd));

  // A window that is gone: the failure comes back as false.
  EXPECT_FALSE(window::modTopmost::SetAlpha(platform, 10, 0xDEAD));
  EXPECT_FALSE(window::modTopmost::SetTransparentColor(platform, 0, 0xDEAD));
}

}  // namespace
}  // namespace tarvik::widgets
