// The drawing helpers: starting and stopping the library, the argument checks and their
// message boxes, whole-pixel rounding and the drawing modes.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "dialogs/gdiplus2.h"
#include "drawing_test_support.h"
#include "platform/headless/headless_platform.h"

namespace tarvik::dialogs {
namespace {

using namespace testing_support;
using platform::headless::HeadlessPlatform;
using platform::headless::RecordingCanvas;

TEST(GDIPlus2, RoundsHalvesToTheEvenNeighbour) {
  const struct {
    float in;
    int out;
  } cases[] = {{2.5f, 2},
               {3.5f, 4},
               {0.5f, 0},
               {1.5f, 2},
               {-0.5f, 0},
               {-1.5f, -2},
               {-2.5f, -2},
               {2.49f, 2},
               {2.51f, 3},
               {-2.51f, -3},
               {7.0f, 7},
               {0.0f, 0},
               {1e20f, std::numeric_limits<int>::max()},
               {-1e20f, std::numeric_limits<int>::min()},
               {std::nanf(""), 0}};
  for (const auto& c : cases) EXPECT_EQ(RoundHalfEven(c.in), c.out) << c.in;
}

TEST(GDIPlus2, StartsOnceStopsOnceAndStartsAgain) {
  HeadlessPlatform platform;
  GDIPlus2 gdip(platform);
  gdip.TerminateGDIPlus();  // not started: nothing happens
  EXPECT_EQ(platform.DrawingStops(), 0);

  EXPECT_EQ(gdip.InitGDIPlus(true, true, L"m", 16, L"t"), 0);
  EXPECT_NE(gdip.GDIPlusToken(), 0u);
  EXPECT_TRUE(platform.DrawingStarted());
  // Already running: 0 without touching the library.
  EXPECT_EQ(gdip.InitGDIPlus(true, true, L"m", 16, L"t"), 0);
  EXPECT_EQ(platform.DrawingStarts(), 1);

  gdip.TerminateGDIPlus();
  gdip.TerminateGDIPlus();
  EXPECT_EQ(gdip.GDIPlusToken(), 0u);
  EXPECT_FALSE(platform.DrawingStarted());
  EXPECT_EQ(platform.DrawingStops(), 1);

  EXPECT_EQ(gdip.InitGDIPlus(false, false, L"", 0, L""), 0);
  EXPECT_EQ(platform.DrawingStarts(), 2);
  EXPECT_TRUE(platform.MessageBoxes().empty());
}

TEST(GDIPlus2, FailedStartReportsAndEndsOnlyWhenAsked) {
  const struct {
    bool show, end;
  } cases[] = {{true, true}, {true, false}, {false, true}, {false, false}};
  for (const auto& c : cases) {
    HeadlessPlatform platform;
    platform.FailDrawingStart(18);
    {
      GDIPlus2 gdip(platform);
      EXPECT_EQ(gdip.InitGDIPlus(c.show, c.end, L"坏了", 16, L"标题"), 18);
      EXPECT_EQ(gdip.GDIPlusToken(), 0u);
    }
    EXPECT_EQ(platform.DrawingStops(), 0) << "nothing to stop after a failed start";
    ASSERT_EQ(platform.MessageBoxes().size(), c.show ? 1u : 0u);
    if (c.show) {
      EXPECT_EQ(platform.MessageBoxes()[0].text, L"坏了");
      EXPECT_EQ(platform.MessageBoxes()[0].caption, L"标题");
      EXPECT_EQ(platform.MessageBoxes()[0].style, 16u);
    }
    EXPECT_EQ(platform.ProcessEnded(), c.end);
  }
}

TEST(GDIPlus2, RefusedArgumentsShowTheirMessageAndDrawNothing) {
  HeadlessPlatform platform;
  GDIPlus2 gdip(platform);
  RecordingCanvas canvas;
  for (int thickness : {0, -3}) gdip.DrawLineGDIPlus(&canvas, 1, 1, 5, 5, thickness, 0xFF000000);
  const float nan = std::nanf("");
  const float sizes[][2] = {{0, 5}, {5, 0}, {-1, 5}, {5, -0.5f}, {nan, 5}};
  for (const auto& s : sizes) gdip.DrawShapeGDIPlus(&canvas, 1, 1, s[0], s[1], 1, 2, 1, 2, 1);
  EXPECT_TRUE(canvas.Calls().empty());
  ASSERT_EQ(platform.MessageBoxes().size(), 7u);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(platform.MessageBoxes()[i].text, L"参数无效。粗细应大于0。");
    EXPECT_EQ(platform.MessageBoxes()[i].caption, L"Tarvik");
    EXPECT_EQ(platform.MessageBoxes()[i].style, 0u);
  }
  for (int i = 2; i < 7; ++i) {
    EXPECT_EQ(platform.MessageBoxes()[i].text, L"参数错误！");
    EXPECT_EQ(platform.MessageBoxes()[i].caption, L"错误");
    EXPECT_EQ(platform.MessageBoxes()[i].style, 16u);
  }
}

TEST(GDIPlus2, LinesKeepRealCoordinatesAndShapesGoToWholePixels) {
  HeadlessPlatform platform;
  GDIPlus2 gdip(platform);
  RecordingCanvas canvas;
  gdip.DrawLineGDIPlus(&canvas, 2.5f, 3.25f, 10.75f, 4, 3, 0x80112233);
  gdip.DrawShapeGDIPlus(&canvas, 2.5f, 3.5f, 10.5f, 11.5f, 0xFF00FF00, 0xFF0000FF, 0, 0, 2);
  const std::vector<DrawCall> expected{
      {DrawCall::Op::Line, ShapeKind::Rectangle, 2.5f, 3.25f, 10.75f, 4, 0x80112233, 3, true},
      Outline(ShapeKind::Rectangle, 2, 4, 10, 12, 0xFF0000FF, 2)};
  EXPECT_EQ(canvas.Calls(), expected);
  gdip.DrawLineGDIPlus(nullptr, 1, 1, 2, 2, 1, 0);  // no image: nothing, no message
  EXPECT_TRUE(platform.MessageBoxes().empty());
}

TEST(GDIPlus2, ModesOutlineFillBothOrNothing) {
  const Argb fill = 0xFF00FF00, pen = 0xFF0000FF;
  const struct {
    int mode;
    std::vector<DrawCall> calls;
  } cases[] = {
      {0, {Outline(ShapeKind::Ellipse, 1, 2, 3, 4, pen, 5)}},
      {1, {Fill(ShapeKind::Ellipse, 1, 2, 3, 4, fill)}},
      {2,
       {Fill(ShapeKind::Ellipse, 1, 2, 3, 4, fill),
        Outline(ShapeKind::Ellipse, 1, 2, 3, 4, pen, 5)}},
      {3, {}},
      {-1, {}},
  };
  for (const auto& c : cases) {
    HeadlessPlatform platform;
    GDIPlus2 gdip(platform);
    RecordingCanvas canvas;
    gdip.DrawShapeGDIPlus(&canvas, 1, 2, 3, 4, fill, pen, 7, c.mode, 5);
    EXPECT_EQ(canvas.Calls(), c.calls) << "mode " << c.mode;
    EXPECT_TRUE(platform.MessageBoxes().empty());
  }
}

}  // namespace
}  // namespace tarvik::dialogs
