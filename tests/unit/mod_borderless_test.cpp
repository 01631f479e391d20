// The borderless frame: the edge rules by table, the frame style, the move/size loop, the
// system menu, and the main window's own edge, bar and capture handling.

#include <gtest/gtest.h>

#include <optional>

#include "main_window_probe.h"
#include "platform/headless/headless_platform.h"
#include "question_test_support.h"
#include "window/mod_borderless.h"

namespace tarvik::window {
namespace {

using platform::headless::HeadlessControl;
using platform::headless::HeadlessPlatform;

struct EdgeCase {
  int x, y;
  std::optional<int> hit;
  int cursor;
};

TEST(EdgeRules, HitTestAndCursorOnA300x400Client) {
  const EdgeCase cases[] = {
      {2, 2, kHitTopLeft, kCursorNwSe},
      {3, 3, std::nullopt, kCursorDefault},
      {0, 0, kHitTopLeft, kCursorNwSe},
      {299, 0, kHitTopRight, kCursorNeSw},
      {298, 2, kHitTopRight, kCursorNeSw},
      {297, 2, kHitTop, kCursorNs},
      {298, 3, kHitRight, kCursorWe},
      {0, 200, kHitLeft, kCursorWe},
      {2, 397, kHitLeft, kCursorWe},
      {2, 398, kHitBottomLeft, kCursorNeSw},
      {150, 0, kHitTop, kCursorNs},
      {150, 398, kHitBottom, kCursorNs},
      {299, 399, kHitBottomRight, kCursorNwSe},
      {298, 398, kHitBottomRight, kCursorNwSe},
      {150, 200, std::nullopt, kCursorDefault},
      {3, 397, std::nullopt, kCursorDefault},
      // Captured moves report points outside the client area.
      {-5, 200, kHitLeft, kCursorWe},
      {150, 450, kHitBottom, kCursorNs},
  };
  for (const EdgeCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    EXPECT_EQ(EdgeHitTest(c.x, c.y, 300, 400), c.hit);
    EXPECT_EQ(EdgeCursorShape(c.x, c.y, 300, 400), c.cursor);
  }
}

TEST(EdgeRules, MinimumOuterSize) {
  struct {
    OuterSize in;
    std::optional<OuterSize> out;
  } const cases[] = {
      {{3240, 4140}, std::nullopt},          {{6000, 9000}, std::nullopt},
      {{3225, 4140}, OuterSize{3240, 4140}}, {{6000, 4125}, OuterSize{6000, 4140}},
      {{0, 0}, OuterSize{3240, 4140}},
  };
  for (const auto& c : cases) EXPECT_EQ(RaiseToMinimum(c.in), c.out);
}

// ---- The main window's frame ----------------------------------------------------------------

class MainFrameTest : public ::testing::Test, public app::frmMainProbe {
 protected:
  void SetUp() override {
    platform_.SetProgramFolder(L"/nonexistent-tarvik-folder");
    window_ = std::make_unique<app::frmMain>(platform_);
    styleBefore_ = platform_.GetWindowStyle(window_->Me().hWnd());
    ASSERT_TRUE(window_->Load());
    window_->Me().Show();
    // 320 x 420 pixels at (100, 80).
    window_->Me().Move(1500, 1200, 4800, 6300);
  }
  HeadlessControl& Me() { return platform_.Get(window_->Me().hWnd()); }

  HeadlessPlatform platform_;
  std::unique_ptr<app::frmMain> window_;
  std::uint32_t styleBefore_ = 0;
};

TEST_F(MainFrameTest, LoadStripsTheFrameAndUnloadPutsItBack) {
  const auto h = window_->Me().hWnd();
  ASSERT_EQ(styleBefore_ & 0x00C40000u, 0x00C40000u);
  EXPECT_EQ(platform_.GetWindowStyle(h), styleBefore_ & kFramelessMask);
  Unload(*window_);
  EXPECT_EQ(platform_.GetWindowStyle(h), styleBefore_);
  // A second removal keeps the style the first one found.
  modBorderless borderless;
  borderless.RemoveFrame(platform_, h);
  borderless.RemoveFrame(platform_, h);
  borderless.RestoreFrame(platform_, h);
  EXPECT_EQ(platform_.GetWindowStyle(h), styleBefore_);
}

TEST_F(MainFrameTest, EdgePressResizesAndKeepsTheMinimum) {
  app::frmMain& w = *window_;
  // The user drags the edge far in; the window ends at the minimum size.
  platform_.OnMoveSizeLoop([](HeadlessControl& win, int) {
    win.SetBounds({win.Bounds().left, win.Bounds().top, 100, 120});
  });
  platform_.SetMouseCapture(w.Me().hWnd());
  Me().MouseDown(platform::kButtonLeft, 0, 319, 419);
  ASSERT_EQ(platform_.MoveSizeLoops().size(), 1u);
  EXPECT_EQ(platform_.MoveSizeLoops()[0].hitTest, kHitBottomRight);
  EXPECT_FALSE(platform_.MoveSizeLoops()[0].captureHeld);
  EXPECT_EQ(Me().Bounds(), (platform::Rect{100, 80, 216, 276}));
  EXPECT_EQ(Bar(w).picMenuBar.Width(), 216 - 4);  // laid out at the new size

  // A press inside the band-free area starts nothing.
  Me().MouseDown(platform::kButtonLeft, 0, 100, 100);
  EXPECT_EQ(platform_.MoveSizeLoops().size(), 1u);
}

TEST_F(MainFrameTest, CursorFollowsTheEdgeAndMovesClearTheNoteHover) {
  app::frmMain& w = *window_;
  const struct {
    int x, y, shape;
  } moves[] = {{0, 0, 8}, {319, 0, 6}, {0, 200, 9}, {160, 419, 7}, {160, 200, 0}};
  for (const auto& m : moves) {
    w.Flags().NoteHoverFlag = true;
    Me().MouseMove(0, 0, m.x, m.y);
    EXPECT_EQ(Me().CursorShape(), m.shape);
    EXPECT_FALSE(w.Flags().NoteHoverFlag);
  }
  // A move with the left button held puts a too-small window back to the minimum.
  Me().SetBounds({100, 80, 150, 150});
  Me().MouseMove(platform::kButtonLeft, 0, 10, 10);
  EXPECT_EQ(Me().Bounds(), (platform::Rect{100, 80, 216, 276}));
}

TEST_F(MainFrameTest, CaptureAfterReleaseAndSystemMenuOutsideOnly) {
  app::frmMain& w = *window_;
  Me().MouseUp(platform::kButtonLeft, 0, 1, 1);
  EXPECT_EQ(platform_.Capture(), w.Me().hWnd());
  // A left press elsewhere on the screen is not the window's: no resize starts, and the
  // window lets go of the mouse.
  Me().MouseDown(platform::kButtonLeft, 0, 600, 710);
  EXPECT_TRUE(platform_.MoveSizeLoops().empty());
  EXPECT_EQ(platform_.Capture(), 0u);
  Me().MouseUp(platform::kButtonLeft, 0, 1, 1);

  platform_.SetCursor({150, 150});  // inside the window
  Me().MouseDown(platform::kButtonRight, 0, 50, 70);
  Me().MouseUp(platform::kButtonRight, 0, 50, 70);
  EXPECT_TRUE(platform_.SystemMenus().empty());

  platform_.SetCursor({700, 790});          // the taskbar
  platform_.QueueSystemMenuAnswer(0xF060);  // close from the menu: asks, as the close button
  testing_support::AnswerNextQuestion(platform_, true);
  Me().MouseDown(platform::kButtonRight, 0, 600, 710);
  ASSERT_EQ(platform_.SystemMenus().size(), 1u);
  EXPECT_EQ(platform_.SystemMenus()[0].at, (platform::Point{700, 790}));
  ASSERT_EQ(platform_.SystemCommands().size(), 1u);
  EXPECT_TRUE(platform_.QuitRequested());
}

TEST_F(MainFrameTest, MenuBarAndTitleMoveTheWindowAndClosePanels) {
  app::frmMain& w = *window_;
  for (HeadlessControl* bar : {&Native(Bar(w).picMenuBar), &Native(Bar(w).lblFormTitle)}) {
    ClickMenu(w, bar == &Native(Bar(w).picMenuBar) ? 2 : 3);  // one panel open, then the other
    bar->MouseDown(platform::kButtonRight, 0, 5, 5);
    EXPECT_FALSE(Options(w).picOptions.Visible());
    EXPECT_FALSE(Tools(w).picTools.Visible());
    EXPECT_TRUE(platform_.MoveSizeLoops().empty());
  }
  Native(Bar(w).lblFormTitle).MouseDown(platform::kButtonLeft, 0, 5, 5);
  Native(Bar(w).picMenuBar).MouseDown(platform::kButtonLeft, 0, 50, 5);
  ASSERT_EQ(platform_.MoveSizeLoops().size(), 2u);
  EXPECT_EQ(platform_.MoveSizeLoops()[1].hitTest, kHitCaption);
  // A release after the loop (the button is up) leaves the window where it is.
  Native(Bar(w).picMenuBar).MouseUp(platform::kButtonLeft, 0, 50, 5);
  EXPECT_EQ(platform_.MoveSizeLoops().size(), 2u);
  // Moves over the bar bring back the default cursor.
  w.Me().SetMousePointer(9);
  Native(Bar(w).lblFormTitle).MouseMove(0, 0, 5, 5);
  EXPECT_EQ(Me().CursorShape(), 0);
}

TEST_F(MainFrameTest, CursorInWindowUsesTheOuterRectangle) {
  const struct {
    platform::Point at;
    bool inside;
  } cases[] = {{{100, 80}, true}, {{420, 500}, true}, {{99, 200}, false}, {{200, 501}, false}};
  for (const auto& c : cases) {
    platform_.SetCursor(c.at);
    EXPECT_EQ(IsCursorInWindow(*window_), c.inside) << c.at.x << "," << c.at.y;
  }
}

}  // namespace
}  // namespace tarvik::window
