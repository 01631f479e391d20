// The main window's painted buttons: their glyphs in both looks, the hover marks that decide
// when they are repainted, and the drawing library's start and stop around the window.

#include <gtest/gtest.h>

#include <algorithm>
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
// Hover backgrounds of the menu buttons, window colours (red in the low byte).
constexpr platform::Color kHover[5] = {0x6666FF, 0x33CCFF, 0x33FF33, 0xFF66FF, 0xFFCC33};

// One paint of a button, read back: the colour it was cleared from, its new background, the
// disc under the glyph (list buttons) and the one ink of the glyph's strokes. A paint that is
// not clear, clear, [disc,] strokes, shown reads as kBroken.
struct Look {
  platform::Color before = 0, back = 0;
  Argb disc = 0, ink = 0;
  friend bool operator==(const Look&, const Look&) = default;
};
constexpr Look kBroken{1, 1, 1, 1};

// glyph (optional): the strokes without their colour, to compare a button's two looks and
// tell the buttons apart; each must lie inside box.
Look LookOf(const Calls& calls, const platform::Rect& box = {}, Calls* glyph = nullptr) {
  if (calls.size() < 4 || calls[0].op != DrawCall::Op::Clear ||
      calls[1].op != DrawCall::Op::Clear || calls.back() != Shown()) {
    return kBroken;
  }
  Look look{calls[0].color, calls[1].color, 0, 0};
  std::size_t first = 2;
  if (calls[2].op == DrawCall::Op::Fill) look.disc = calls[first++].color;
  look.ink = calls[first].color;
  for (std::size_t k = first; k + 1 < calls.size(); ++k) {
    DrawCall stroke = calls[k];
    if (stroke.color != look.ink || stroke.op == DrawCall::Op::Clear) return kBroken;
    const bool line = stroke.op == DrawCall::Op::Line;
    const float right = line ? std::max(stroke.x1, stroke.x2) : stroke.x1 + stroke.x2;
    const float bottom = line ? std::max(stroke.y1, stroke.y2) : stroke.y1 + stroke.y2;
    if (glyph && (std::min(stroke.x1, stroke.y1) < 0 || right > static_cast<float>(box.width) ||
                  bottom > static_cast<float>(box.height))) {
      return kBroken;
    }
    stroke.color = 0;
    if (glyph) glyph->push_back(stroke);
  }
  return look;
}

Look MenuLook(int index, bool hover, platform::Color before) {
  return {before, hover ? kHover[index] : kWhite, 0, hover ? kBright : kGrey};
}

Look ListLook(bool hover) {
  return {kPageGrey, kPageGrey, hover ? 0xFF808080 : kBright, hover ? kBright : kGrey};
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
  // Each button's glyph is the same in both looks, inside the button, and its own.
  std::vector<Calls> glyphs;
  const auto bothLooks = [&](const widgets::PictureBox& button, Calls normal, Look normalLook,
                             Look hoverLook) {
    const platform::Rect box = Native(button).Bounds();
    Calls glyph, hoverGlyph;
    EXPECT_EQ(LookOf(normal, box, &glyph), normalLook);
    Native(button).MouseMove(0, 0, 1, 1);
    EXPECT_EQ(LookOf(Take(button), box, &hoverGlyph), hoverLook);
    EXPECT_EQ(glyph, hoverGlyph);
    EXPECT_EQ(std::count(glyphs.begin(), glyphs.end(), glyph), 0);
    glyphs.push_back(glyph);
  };
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Bar(w).picMenu(i).Tag, L"0");
    bothLooks(Bar(w).picMenu(i), Take(Bar(w).picMenu(i)), MenuLook(i, false, kWhite),
              MenuLook(i, true, kWhite));
  }
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    Calls normal = Take(Lists(w).picListButton(i));
    // New runs at start as a click on its button, which paints it once more.
    if (i == 0) {
      ASSERT_EQ(normal.size() % 2, 0u);
      const auto half = normal.begin() + static_cast<std::ptrdiff_t>(normal.size() / 2);
      EXPECT_TRUE(std::equal(normal.begin(), half, half, normal.end()));
      normal.erase(half, normal.end());
    }
    EXPECT_EQ(Lists(w).picListButton(i).BorderStyle(), 0);
    bothLooks(Lists(w).picListButton(i), normal, ListLook(false), ListLook(true));
  }
  EXPECT_TRUE(platform_.MessageBoxes().empty());
}

TEST_F(MainPaintTest, MenuHoverPaintsOnceAndTheBarTakesItBack) {
  frmMain& w = Start();
  ForgetAll(w);
  Native(Bar(w).picMenu(2)).MouseMove(0, 0, 5, 5);
  Native(Bar(w).picMenu(2)).MouseMove(0, 0, 6, 6);  // already hovered: no second paint
  EXPECT_EQ(Bar(w).picMenu(2).Tag, L"1");
  EXPECT_EQ(LookOf(Take(Bar(w).picMenu(2))), MenuLook(2, true, kWhite));
  // Straight onto the neighbour: both stay hovered until the pointer reaches the bar.
  Native(Bar(w).picMenu(3)).MouseMove(0, 0, 5, 5);
  EXPECT_EQ(Bar(w).picMenu(2).Tag, L"1");
  EXPECT_EQ(LookOf(Take(Bar(w).picMenu(3))), MenuLook(3, true, kWhite));
  w.Me().SetMousePointer(9);
  Native(Bar(w).picMenuBar).MouseMove(0, 0, 100, 5);
  EXPECT_EQ(w.Me().MousePointer(), 0);
  for (int i : {2, 3}) {
    EXPECT_EQ(Bar(w).picMenu(i).Tag, L"0");
    EXPECT_EQ(LookOf(Take(Bar(w).picMenu(i))), MenuLook(i, false, kHover[i]));
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
  EXPECT_EQ(LookOf(Take(Lists(w).picListButton(5))), ListLook(true));
  EXPECT_EQ(LookOf(Take(Lists(w).picListButton(0))), ListLook(true));
  w.Me().SetMousePointer(7);
  Native(Lists(w).picList).MouseMove(0, 0, 150, 150);
  EXPECT_EQ(w.Me().MousePointer(), 0);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(Lists(w).picListButton(i).Tag, L"0");
    const Calls calls = Take(Lists(w).picListButton(i));
    if (i == 0 || i == 5) {
      EXPECT_EQ(LookOf(calls), ListLook(false));
    } else {
      EXPECT_TRUE(calls.empty());
    }
  }
  // A click puts the clicked button back to its normal look.
  Native(Lists(w).picListButton(5)).MouseMove(0, 0, 3, 3);
  Take(Lists(w).picListButton(5));
  ClickListButton(w, 5);
  EXPECT_EQ(Lists(w).picListButton(5).Tag, L"0");
  EXPECT_EQ(LookOf(Take(Lists(w).picListButton(5))), ListLook(false));
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
