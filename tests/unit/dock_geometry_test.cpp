// Snapping, auto-hide, pop-up placement, the return from the floating window and the wheel's
// font steps, by the table.

#include <gtest/gtest.h>

#include "window/dock_geometry.h"

namespace tarvik::window {
namespace {

using platform::Point;
using platform::Rect;

// Pixels. The primary with its task bar at the bottom, and its neighbours and variants.
const Monitor kPrimary{{0, 0, 1280, 800}, {0, 0, 1280, 760}};
const Monitor kRightOfIt{{1280, 0, 1920, 1080}, {1280, 0, 1920, 1040}};
const Monitor kBelowIt{{0, 800, 1280, 800}, {0, 800, 1280, 760}};
const Monitor kLeftAndAbove{{-1920, -280, 1920, 1080}, {-1920, -280, 1920, 1040}};
const MonitorLayout kOne{kPrimary};
const MonitorLayout kSideBySide{kPrimary, kRightOfIt};
const MonitorLayout kStacked{kPrimary, kBelowIt};
const MonitorLayout kWithLeft{kPrimary, kLeftAndAbove};
const MonitorLayout kBarLeft{{{0, 0, 1280, 800}, {60, 0, 1220, 800}}};
const MonitorLayout kBarTop{{{0, 0, 1280, 800}, {0, 40, 1280, 760}}};

// A window in twips at 15 twips per pixel; the layouts stand for the screen.
TwipsGeometry At(int left, int top, int width = 4470, int height = 5160) {
  return TwipsGeometry{left, top, width, height, 0, 0, 15, 15};
}

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
    if (c.area == screen) {  // the same figures from the layout of that one monitor
      const Rect r{c.x, c.y, c.w, c.h};
      EXPECT_EQ(SnapToWorkArea(r, r, kOne), c.expected) << c.x << "," << c.y;
    }
  }
}

TEST(DockGeometryTest, SnapsToTheWorkAreaOfTheMonitorTheWindowIsOn) {
  struct Case {
    const MonitorLayout& layout;
    int x, y;
    Point expected;
  } cases[] = {
      {kSideBySide, 1290, 300, {1280, 300}},  // the right monitor's own left edge
      {kSideBySide, 1500, 681, {1500, 700}},  // its work area's bottom, below the primary's
      {kSideBySide, 990, 300, {980, 300}},    // mostly on the primary: the primary's right
      {kStacked, 400, 819, {400, 800}},      {kWithLeft, -1910, -261, {-1920, -280}},
      {kBarLeft, 70, 300, {60, 300}},  // beside a task bar, never under it
      {kBarTop, 400, 59, {400, 40}},
  };
  for (const Case& c : cases) {
    const Rect r{c.x, c.y, 300, 340};
    EXPECT_EQ(SnapToWorkArea(r, r, c.layout), c.expected) << c.x << "," << c.y;
  }
  // Resizing is never turned into a move: not by the right edge, not by the left.
  EXPECT_EQ(SnapToWorkArea({965, 300, 310, 340}, {965, 300, 300, 340}, kOne), (Point{965, 300}));
  EXPECT_EQ(SnapToWorkArea({15, 300, 350, 340}, {65, 300, 300, 340}, kOne), (Point{15, 300}));
  // Restored from minimised (parked off every monitor): it keeps its place.
  EXPECT_EQ(SnapToWorkArea({15, 300, 300, 340}, {-32000, -32000, 160, 28}, kOne), (Point{15, 300}));
  // A move that also sizes the window (a saved place at start-up) snaps like any move.
  EXPECT_EQ(SnapToWorkArea({15, 310, 350, 340}, {400, 200, 300, 340}, kOne), (Point{0, 310}));
  // At 150 % the distance is 30 device pixels: 29 snaps, 30 does not.
  EXPECT_EQ(SnapToWorkArea({29, 300, 300, 340}, {400, 300, 300, 340}, kOne, 144), (Point{0, 300}));
  EXPECT_EQ(SnapToWorkArea({30, 300, 300, 340}, {400, 300, 300, 340}, kOne, 144),
            (Point{30, 300}));
  // On no monitor: the nearest; on a tie, the earlier.
  EXPECT_EQ(MonitorOf({900, 900, 300, 340}, kSideBySide), 1);
  EXPECT_EQ(MonitorOf({1230, 900, 100, 100}, {kPrimary, {{1280, 0, 1280, 800}, {}}}), 0);
  EXPECT_EQ(MonitorOf({0, 0, 10, 10}, {}), -1);
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
      // A window hidden at one edge is never hidden at a second one on a later tick.
      {"hidden left from the corner stays", at(-4470, 0), away, std::nullopt},
      {"hidden left from the corner, touch", at(-4470, 0), {0, 100}, Point{0, 0}},
      {"docked right and top hides right only", at(19200 - 4470, 0), away, Point{19200, 0}},
      {"hidden right from the corner stays", at(19200, 0), away, std::nullopt},
      {"hidden top at the left edge stays", at(0, -5160), away, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AutoHideStep(c.g, c.cursor), c.expected) << c.what;
    EXPECT_EQ(AutoHideStep(c.g, c.cursor, kOne), c.expected) << c.what;
  }
}

TEST(DockGeometryTest, AutoHideOnlyAtMonitorEdgesWithNothingBeyond) {
  const Point away{640, 700};
  struct Case {
    const char* what;
    const MonitorLayout& layout;
    TwipsGeometry g;
    Point cursor;
    std::optional<Point> expected;
  } cases[] = {
      {"shared with the right monitor", kSideBySide, At(14730, 3000), away, std::nullopt},
      {"on the right one: not hidden", kSideBySide, At(19500, 3000), {1279, 300}, std::nullopt},
      {"its outer edge", kSideBySide, At(43530, 3000), away, Point{48000, 3000}},
      {"its top-right corner hides right", kSideBySide, At(43530, 0), away, Point{48000, 0}},
      {"and stays right", kSideBySide, At(48000, 0), away, std::nullopt},
      {"shared in part, nothing beyond", kSideBySide, At(19200, 13000), away, Point{14730, 13000}},
      {"touch there", kSideBySide, At(14730, 13000), {1280, 900}, Point{19200, 13000}},
      {"stacked: shared top", kStacked, At(6000, 12000), away, std::nullopt},
      {"stacked: left of the lower one", kStacked, At(0, 15000), away, Point{-4470, 15000}},
      {"left shared, top free", kWithLeft, At(0, 0), away, Point{0, -5160}},
      {"negative coordinates", kWithLeft, At(-28800, 3000), away, Point{-33270, 3000}},
      {"negative, touch", kWithLeft, At(-33270, 3000), {-1920, 300}, Point{-28800, 3000}},
      {"beside a left task bar", kBarLeft, At(900, 3000), away, Point{-4470, 3000}},
      {"back beside it", kBarLeft, At(-4470, 3000), {0, 300}, Point{900, 3000}},
      {"under it, an old place", kBarLeft, At(0, 3000), away, Point{-4470, 3000}},
      {"below a top task bar", kBarTop, At(6000, 600), away, Point{6000, -5160}},
      {"back below it", kBarTop, At(6000, -5160), {500, 0}, Point{6000, 600}},
      {"wider than the screen", kOne, At(-20000, 3000, 20000), {0, 300}, Point{-800, 3000}},
      // Only the edge it hides behind brings it out, never a neighbour's edge further along.
      {"hidden left, the right one's edge", kSideBySide, At(-4470, 3000), {1280, 300}, {}},
      {"hidden right of the right one", kSideBySide, At(48000, 3000), {1279, 300}, {}},
      {"and out at its own edge", kSideBySide, At(48000, 3000), {3199, 300}, Point{43530, 3000}},
      {"hidden above, the lower one's top", kStacked, At(6000, -5160), {500, 800}, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AutoHideStep(c.g, c.cursor, c.layout), c.expected) << c.what;
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
    EXPECT_EQ(PopupPosition(c.g, 4680, 3030, kOne), c.expected) << c.g.left << "," << c.g.top;
  }
  // In the left half of the right monitor: to its right.
  EXPECT_EQ(PopupPosition(f(20000, 1000), 4680, 3030, kSideBySide), (Point{20840, 1000}));
  // At 150 % (10 twips a pixel) the gap is 12 pixels.
  TwipsGeometry scaled = f(1000, 1000);
  scaled.twipsPerPixelX = scaled.twipsPerPixelY = 10;
  scaled.dpi = 144;
  EXPECT_EQ(PopupPosition(scaled, 4680, 3030).x, 1000 + 720 + 120);
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
  const MonitorLayout noBar{{kPrimary.bounds, kPrimary.bounds}};
  for (const Case& c : cases) {
    EXPECT_EQ(RestorePosition(c.left, c.top, 4470, 5160, 19200, 12000), c.expected);
    EXPECT_EQ(RestorePosition(At(c.left, c.top, 720, 720), 4470, 5160, noBar), c.expected);
  }
  // A window larger than the screen keeps its top-left corner on it.
  EXPECT_EQ(RestorePosition(500, 500, 30000, 20000, 19200, 12000), (Point{0, 0}));
}

TEST(DockGeometryTest, PlacesKeepTheCloseButtonOnTheWorkArea) {
  struct Case {
    const MonitorLayout& layout;
    bool fromFloat;  // the main window back at the floating window's place
    TwipsGeometry g;
    Point expected;
  } cases[] = {
      {kOne, true, At(18480, 11280), {14730, 11400 - 5160}},  // above the task bar
      {kSideBySide, true, At(47500, 15500), {43530, 15600 - 5160}},
      {kWithLeft, true, At(-29000, -4500), {-28800, -4200}},
      {kOne, true, At(500, 500, 30000, 20000), {19200 - 30000, 0}},   // larger than the screen
      {kOne, false, At(1500, 1500, 100000), {19200 - 100000, 1500}},  // a huge saved width
      {kOne, false, At(3000, -2000), {3000, 0}},
      {kSideBySide, false, At(17000, 3000), {17000, 3000}},  // its close button on the right
      {kOne, false, At(-4470, 3000), {-4470, 3000}},         // hidden: the edge touch brings it
      {kBarTop, false, At(3000, 0), {3000, 600}},
      {kBarLeft, false, At(0, 3000), {900, 3000}},  // the menu bar's left end beside the bar
      // The close button's square is 36 pixels at 150 %: 24 would leave this one as it is.
      {kOne, false, {3000, 11000, 4470, 5160, 0, 0, 15, 15, 144}, {3000, 11400 - 540}},
      {kBarLeft, false, At(450, 3000), {900, 3000}},
  };
  for (const Case& c : cases) {
    const Point at = c.fromFloat ? RestorePosition(At(c.g.left, c.g.top, 720, 720), c.g.width,
                                                   c.g.height, c.layout)
                                 : KeepCloseButtonReachable(c.g, c.layout);
    EXPECT_EQ(at, c.expected) << c.g.left << "," << c.g.top;
  }
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


}  // namespace
}  // namespace tarvik::window
