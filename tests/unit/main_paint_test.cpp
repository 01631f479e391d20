// The main window's painted buttons: their glyphs in both looks, the hover marks that decide
// when they are repainted, and the drawing library's start and stop around the window.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "program_folder_fixture.h"
#include "app/tarvik_app.h"
#include "drawing_test_support.h"
#include "platform/headless/headless_platform.h"
#include "util/text_codec.h"

namespace tarvik::app {
namespace {

namespace fs = std::filesystem;
using namespace testing_support;
using platform::headless::HeadlessControl;
using platform::headless::HeadlessPlatform;
using Calls = std::vector<DrawCall>;

constexpr platform::Color kWhite = 0xFFFFFF;
constexpr platform::Color kPageGrey = 0xF4F4F4;
constexpr Argb kGrey = 0xFF666666;
constexpr Argb kBright = 0xFFFFFFFF;
constexpr ShapeKind kEllipse = ShapeKind::Ellipse;
constexpr ShapeKind kRect = ShapeKind::Rectangle;
// Hover backgrounds of the menu buttons, window colours (red in the low byte).
constexpr platform::Color kHover[5] = {0x6666FF, 0x33CCFF, 0x33FF33, 0xFF66FF, 0xFFCC33};

// The glyph of each menu button in a colour.
Calls MenuGlyph(int index, Argb c) {
  switch (index) {
    case 0:
      return {Line(2, 2, 16, 16, c), Line(16, 2, 2, 16, c)};
    case 1:
      return {Line(2, 9, 16, 9, c)};
    case 2:
      return {Line(2, 16, 16, 16, c), Line(2, 10, 16, 10, c), Line(2, 4, 16, 4, c)};
    case 3:
      return {Outline(kEllipse, 2, 2, 15, 15, c)};
    default:
      return {Outline(kRect, 3, 2, 13, 15, c), Line(3, 12, 16, 12, c), Line(3, 7, 16, 7, c)};
  }
}

Calls ListGlyph(int index, Argb c) {
  const Calls tray{Line(6, 21, 23, 21, c), Line(6, 21, 6, 18, c), Line(23, 21, 23, 18, c)};
  Calls calls;
  switch (index) {
    case 0:
      return {Line(6, 14, 23, 14, c), Line(14, 6, 14, 23, c)};
    case 1:
      return {Line(6, 14, 23, 14, c)};
    case 2:
      return {Line(6, 10, 23, 10, c), Line(12, 6, 17, 6, c), Outline(kRect, 9, 10, 11, 13, c),
              Line(14, 13, 14, 19, c)};
    case 3:
      calls = tray;
      calls.insert(calls.end(),
                   {Line(14, 8, 14, 17, c), Line(14, 8, 10, 12, c), Line(14, 8, 18, 12, c)});
      return calls;
    case 4:
      calls = tray;
      calls.insert(calls.end(),
                   {Line(14, 8, 14, 17, c), Line(14, 17, 10, 13, c), Line(14, 17, 18, 13, c)});
      return calls;
    default:
      return {Outline(kEllipse, 6, 6, 13, 13, c), Line(22, 22, 18, 18, c)};
  }
}

// A whole paint: clear to the colour it had, the new background, the glyph, shown.
Calls Painted(platform::Color before, platform::Color back, const Calls& glyph,
              const Calls& under = {}) {
  Calls calls{ClearTo(before), ClearTo(back)};
  calls.insert(calls.end(), under.begin(), under.end());
  calls.insert(calls.end(), glyph.begin(), glyph.end());
  calls.push_back(Shown());
  return calls;
}

Calls MenuPaint(int index, bool hover, platform::Color before) {
  return Painted(before, hover ? kHover[index] : kWhite, MenuGlyph(index, hover ? kBright : kGrey));
}

Calls ListPaint(int index, bool hover) {
  const Calls disc{Fill(kEllipse, 1, 1, 27, 27, hover ? 0xFF808080 : kBright)};
  return Painted(kPageGrey, kPageGrey, ListGlyph(index, hover ? kBright : kGrey), disc);
}

class MainPaintTest : public testing_support::ProgramFolderTest {
 protected:
  // What the control's image got since the last look.
  Calls Take(const widgets::Widget& w) {
    Calls calls = Native(w).Drawn();
    if (Native(w).Canvas() != nullptr) Native(w).Canvas()->Forget();
    return calls;
  }
  void ForgetAll(frmMain& w) {
    for (int i = 0; i < 5; ++i) Take(Bar(w).picMenu(i));
    for (int i = 0; i < 6; ++i) Take(Lists(w).picListButton(i));
  }
};

TEST_F(MainPaintTest, StartPaintsEveryButtonNormalThenEachGlyphInBothLooks) {
  frmMain& w = Start();
  EXPECT_TRUE(platform_.DrawingStarted());
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(Take(Bar(w).picMenu(i)), MenuPaint(i, false, kWhite)) << "menu " << i;
    EXPECT_EQ(Bar(w).picMenu(i).Tag, L"0");
    Native(Bar(w).picMenu(i)).MouseMove(0, 0, 1, 1);
    EXPECT_EQ(Take(Bar(w).picMenu(i)), MenuPaint(i, true, kWhite)) << "menu " << i;
  }
  for (int i = 0; i < 6; ++i) {
    // New runs at start as a click on its button, which paints it once more.
    auto expected = ListPaint(i, false);
    if (i == 0) expected.insert(expected.end(), expected.begin(), expected.end());
    EXPECT_EQ(Take(Lists(w).picListButton(i)), expected) << "list " << i;
    EXPECT_EQ(Lists(w).picListButton(i).BorderStyle(), 0);
    Native(Lists(w).picListButton(i)).MouseMove(0, 0, 1, 1);
    EXPECT_EQ(Take(Lists(w).picListButton(i)), ListPaint(i, true)) << "list " << i;
  }
  EXPECT_TRUE(platform_.MessageBoxes().empty());
}

TEST_F(MainPaintTest, MenuHoverPaintsOnceAndTheBarTakesItBack) {
  frmMain& w = Start();
  ForgetAll(w);
  Native(Bar(w).picMenu(2)).MouseMove(0, 0, 5, 5);
  Native(Bar(w).picMenu(2)).MouseMove(0, 0, 6, 6);  // already hovered: no second paint
  EXPECT_EQ(Bar(w).picMenu(2).Tag, L"1");
  EXPECT_EQ(Take(Bar(w).picMenu(2)), MenuPaint(2, true, kWhite));
  // Straight onto the neighbour: both stay hovered until the pointer reaches the bar.
  Native(Bar(w).picMenu(3)).MouseMove(0, 0, 5, 5);
  EXPECT_EQ(Bar(w).picMenu(2).Tag, L"1");
  EXPECT_EQ(Take(Bar(w).picMenu(3)), MenuPaint(3, true, kWhite));
  w.Me().SetMousePointer(9);
  Native(Bar(w).picMenuBar).MouseMove(0, 0, 100, 5);
  EXPECT_EQ(w.Me().MousePointer(), 0);
  for (int i : {2, 3}) {
    EXPECT_EQ(Bar(w).picMenu(i).Tag, L"0");
    EXPECT_EQ(Take(Bar(w).picMenu(i)), MenuPaint(i, false, kHover[i]));
  }
  Native(Bar(w).picMenuBar).MouseMove(0, 0, 101, 5);  // nothing hovered: nothing repainted
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(Take(Bar(w).picMenu(i)).empty());
  // The title label and the editor page act as the bar does.
  for (HeadlessControl* away : {&Native(Bar(w).lblFormTitle), &Native(Editor(w).picMain)}) {
    Native(Bar(w).picMenu(4)).MouseMove(0, 0, 1, 1);
    away->MouseMove(0, 0, 1, 1);
    EXPECT_EQ(Bar(w).picMenu(4).Tag, L"0");
    EXPECT_EQ(Bar(w).picMenu(4).BackColor(), kWhite);
  }
  // Off the button too fast to cross anything: leaving it takes the look back all the same.
  Native(Bar(w).picMenu(1)).MouseMove(0, 0, 1, 1);
  Native(Bar(w).picMenu(1)).MouseLeave();
  EXPECT_EQ(Bar(w).picMenu(1).Tag, L"0");
  EXPECT_EQ(Bar(w).picMenu(1).BackColor(), kWhite);
}

TEST_F(MainPaintTest, ListButtonHoverAndTheListPageTakesItBack) {
  frmMain& w = Start();
  ForgetAll(w);
  Native(Lists(w).picListButton(5)).MouseMove(0, 0, 3, 3);
  Native(Lists(w).picListButton(0)).MouseMove(0, 0, 3, 3);
  Native(Lists(w).picListButton(0)).MouseMove(0, 0, 4, 4);
  EXPECT_EQ(Take(Lists(w).picListButton(5)), ListPaint(5, true));
  EXPECT_EQ(Take(Lists(w).picListButton(0)), ListPaint(0, true));
  w.Me().SetMousePointer(7);
  Native(Lists(w).picList).MouseMove(0, 0, 150, 150);
  EXPECT_EQ(w.Me().MousePointer(), 0);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(Lists(w).picListButton(i).Tag, L"0");
    EXPECT_EQ(Take(Lists(w).picListButton(i)), (i == 0 || i == 5) ? ListPaint(i, false) : Calls{});
  }
  // A click puts the clicked button back to its normal look.
  Native(Lists(w).picListButton(5)).MouseMove(0, 0, 3, 3);
  Take(Lists(w).picListButton(5));
  ClickListButton(w, 5);
  EXPECT_EQ(Lists(w).picListButton(5).Tag, L"0");
  EXPECT_EQ(Take(Lists(w).picListButton(5)), ListPaint(5, false));
  Native(Lists(w).picListButton(2)).MouseMove(0, 0, 3, 3);
  Native(Lists(w).picListButton(2)).MouseLeave();  // off it, however fast
  EXPECT_EQ(Lists(w).picListButton(2).Tag, L"0");
}

TEST_F(MainPaintTest, UnloadStopsTheDrawingLibraryOnce) {
  frmMain& w = Start();
  Unload(w);
  window_.reset();
  EXPECT_FALSE(platform_.DrawingStarted());
  EXPECT_EQ(platform_.DrawingStops(), 1);
}

TEST_F(MainPaintTest, ADrawingLibraryThatWillNotStartEndsTheProgram) {
  platform_.FailDrawingStart(2);
  EXPECT_EQ(RunTarvik(platform_), 1);
  ASSERT_EQ(platform_.MessageBoxes().size(), 1u);
  EXPECT_EQ(platform_.MessageBoxes()[0].text, L"GDI+ 初始化错误。程序即将关闭。");
  EXPECT_EQ(platform_.MessageBoxes()[0].caption, L"初始化错误");
  EXPECT_EQ(platform_.MessageBoxes()[0].style, 16u);
  EXPECT_TRUE(platform_.ProcessEnded());
  EXPECT_EQ(platform_.ProcessExitCode(), 1u);
}

}  // namespace
}  // namespace tarvik::app
