// Snapping, auto-hide, pop-up placement, the return from the floating window and the wheel's
// font steps, by the table.

#include <gtest/gtest.h>

#include "window/dock_geometry.h"

namespace tarvik::window {
namespace {

using platform::Point;
using platform::Rect;

TEST(DockGeometryTest, SnapsWithinNineteenPixelsOfEachWorkAreaEdge) {
  const Rect screen{0, 0, 1280, 760};  // a task bar of 40 pixels at the bottom
  const Rect leftBar{60, 0, 1220, 800};
  struct Case {
    Rect area;
    int x, y, w, h;
    Point expected;
  } cases[] = {
      {screen, 19, 300, 300, 340, {0, 300}},     // left, 19 away: sticks
      {screen, 20, 300, 300, 340, {20, 300}},    // 20 away: stays
      {screen, -19, 300, 300, 340, {0, 300}},    // just past the edge sticks too
      {screen, 400, 19, 300, 340, {400, 0}},     // top
      {screen, 400, 20, 300, 340, {400, 20}},    //
      {screen, 961, 300, 300, 340, {980, 300}},  // right: 19 short of 1280
      {screen, 960, 300, 300, 340, {960, 300}},  //
      {screen, 400, 401, 300, 340, {400, 420}},  // bottom of the work area, not the screen
      {screen, 400, 400, 300, 340, {400, 400}},  //
      // As wide as the work area and near both sides: the right edge wins; the same below.
      {screen, 5, 300, 1270, 340, {10, 300}},
      {screen, 400, 5, 300, 750, {400, 10}},
      // A task bar on the left: the left snap still goes to screen 0, under the bar.
      {leftBar, 70, 300, 300, 340, {0, 300}},
      {leftBar, 90, 300, 300, 340, {90, 300}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SnapToWorkArea(c.x, c.y, c.w, c.h, c.area), c.expected)
        << c.x << "," << c.y << " " << c.w << "x" << c.h;
  }
}

TEST(DockGeometryTest, AutoHideHidesDockedWindowsAndRevealsThemAtTheirEdge) {
  // 1280 x 800 pixels at 15 twips per pixel; a window of 4470 x 5160 twips.
  const auto at = [](int left, int top) {
    return TwipsGeometry{left, top, 4470, 5160, 19200, 12000, 15, 15};
  };
  const Point away{640, 700};
  struct Case {
    const char* what;
    TwipsGeometry g;
    Point cursor;
    std::optional<Point> expected;
  } cases[] = {
      {"docked left, cursor away", at(0, 3000), away, Point{-4470, 3000}},
      {"docked left, cursor inside", at(0, 3000), {100, 300}, std::nullopt},
      {"docked right", at(19200 - 4470, 3000), away, Point{19200, 3000}},
      {"docked top", at(6000, 0), away, Point{6000, -5160}},
      {"docked left and top hides left only", at(0, 0), away, Point{-4470, 0}},
      {"one twip off the left edge stays", at(1, 3000), away, std::nullopt},
      {"bottom edge never hides", at(6000, 12000 - 5160), away, std::nullopt},
      {"hidden left, touch within span", at(-4470, 3000), {0, 300}, Point{0, 3000}},
      {"hidden left, touch at span top", at(-4470, 3000), {0, 200}, Point{0, 3000}},
      {"hidden left, touch at span bottom", at(-4470, 3000), {0, 544}, Point{0, 3000}},
      {"hidden left, touch below span", at(-4470, 3000), {0, 545}, std::nullopt},
      {"hidden left, touch above span", at(-4470, 3000), {0, 199}, std::nullopt},
      {"hidden left, cursor not at 0", at(-4470, 3000), {1, 300}, std::nullopt},
      {"hidden right, touch last pixel", at(19200, 3000), {1279, 300}, Point{19200 - 4470, 3000}},
      {"hidden right, one pixel short", at(19200, 3000), {1278, 300}, std::nullopt},
      {"hidden top, touch within span", at(6000, -5160), {500, 0}, Point{6000, 0}},
      {"hidden top, touch beside span", at(6000, -5160), {399, 0}, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AutoHideStep(c.g, c.cursor), c.expected) << c.what;
  }
}

TEST(DockGeometryTest, CursorInWindowIncludesTheEdgesOnTwips) {
  const TwipsGeometry g{150, 150, 300, 300, 19200, 12000, 15, 15};
  EXPECT_TRUE(IsPointInWindow(g, {10, 10}));
  EXPECT_TRUE(IsPointInWindow(g, {30, 30}));
  EXPECT_FALSE(IsPointInWindow(g, {9, 20}));
  EXPECT_FALSE(IsPointInWindow(g, {20, 31}));
}

TEST(DockGeometryTest, PopupOpensBesideTheFloatingWindowInEachQuarter) {
  // Floating window 720 x 720 twips, pop-up 4680 x 3030, screen 19200 x 12000.
  const auto f = [](int left, int top) {
    return TwipsGeometry{left, top, 720, 720, 19200, 12000, 15, 15};
  };
  struct Case {
    TwipsGeometry g;
    Point expected;
  } cases[] = {
      {f(1000, 1000), {1000 + 720 + 120, 1000}},     // top left: right of it, tops
      {f(15000, 1000), {15000 - 120 - 4680, 1000}},  // top right: left of it
      {f(1000, 10000), {1840, 10000 + 720 - 3030}},  // bottom left: bottoms aligned
      {f(15000, 10000), {15000 - 120 - 4680, 10000 + 720 - 3030}},
      {f(9240, 5640), {9240 - 120 - 4680, 5640 + 720 - 3030}},  // exactly centred: right, lower
      {f(9239, 5639), {9239 + 720 + 120, 5639}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PopupPosition(c.g, 4680, 3030), c.expected) << c.g.left << "," << c.g.top;
  }
}

TEST(DockGeometryTest, MainWindowReturnsFullyOnScreen) {
  struct Case {
    int left, top;
    Point expected;
  } cases[] = {
      {3000, 2000, {3000, 2000}},
      {18480, 11280, {19200 - 4470, 12000 - 5160}},  // bottom-right corner
      {-300, -300, {0, 0}},                          // top-left, partly off
      {18480, -300, {19200 - 4470, 0}},              // top-right
      {-300, 11280, {0, 12000 - 5160}},              // bottom-left
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RestorePosition(c.left, c.top, 4470, 5160, 19200, 12000), c.expected);
  }
  // A window larger than the screen keeps its top-left corner on it.
  EXPECT_EQ(RestorePosition(500, 500, 30000, 20000, 19200, 12000), (Point{0, 0}));
}

TEST(DockGeometryTest, WheelStepsTheFontSizeWithinNineToNinetySix) {
  struct Case {
    double before;
    double down;
    double up;
  } cases[] = {
      {9, 9, 11},   {10, 8, 12},       {8, 9, 10},       {95, 93, 97},   {97, 95, 96},
      {96, 94, 96}, {10.5, 8.5, 12.5}, {9.5, 7.5, 11.5}, {120, 118, 96},
  };
  for (const Case& c : cases) {
    const auto size = ToFontUnits(c.before);
    EXPECT_EQ(FromFontUnits(FontSizeAfterWheelDown(size)), c.down) << c.before;
    EXPECT_EQ(FromFontUnits(FontSizeAfterWheelUp(size)), c.up) << c.before;
  }
  // From the designed 9 points upwards: 9, 11, ... 95, 97, then 96.
  auto size = ToFontUnits(9);
  for (int i = 0; i < 44; ++i) size = FontSizeAfterWheelUp(size);
  EXPECT_EQ(size, ToFontUnits(97));
  EXPECT_EQ(FontSizeAfterWheelUp(size), ToFontUnits(96));
}

TEST(DockGeometryTest, CtrlWheelStepsThroughTheNotesAndWraps) {
  EXPECT_EQ(StepNoteIndex(2, 3, true), 0);
  EXPECT_EQ(StepNoteIndex(0, 3, false), 2);
  EXPECT_EQ(StepNoteIndex(1, 3, true), 2);
  EXPECT_EQ(StepNoteIndex(1, 3, false), 0);
  EXPECT_EQ(StepNoteIndex(0, 1, true), std::nullopt);
  EXPECT_EQ(StepNoteIndex(-1, 0, false), std::nullopt);
  EXPECT_EQ(StepNoteIndex(-1, 4, false), 3);  // nothing selected: from the end going up
  EXPECT_EQ(StepNoteIndex(-1, 4, true), 0);
}

}  // namespace
}  // namespace tarvik::window
