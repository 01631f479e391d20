// The main window's message chain (wheel handler, edge snapping, the window), its timer's
// topmost upkeep and auto-hide, the wheel's cases, the show-text pop-up and the floating
// window, on the headless backend.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "program_folder_fixture.h"
#include "dialogs/frm_show_text.h"
#include "platform/headless/headless_platform.h"
#include "window/float_picture.h"

namespace tarvik::app {
namespace {

namespace fs = std::filesystem;
using platform::headless::HeadlessControl;
using platform::headless::HeadlessPlatform;
constexpr int kTp = 15;  // twips per pixel of the headless screen
constexpr int kNotch = 120;

class DockFloatTest : public testing_support::ProgramFolderTest {
 protected:
  // Started with `notes` note files besides the fresh note the start adds.
  frmMain& Start(int notes = 0) {
    for (int i = 1; i <= notes; ++i) {
      std::ofstream(folder_ / "Notes" / ("Note_" + std::to_string(i) + ".tvk"), std::ios::binary)
          << "t" << i << "\r\ntext " << i;
    }
    window_ = std::make_unique<frmMain>(platform_);
    EXPECT_TRUE(window_->Load());
    window_->Me().Show();
    return *window_;
  }
  // The main window at a pixel position, its size kept.
  void PlaceMain(int x, int y) {
    window_->Me().Move(x * kTp, y * kTp, window_->Me().Width(), window_->Me().Height());
  }
  window::frmFloat& OpenFloat() {
    ClickMenu(*window_, 1);
    EXPECT_NE(Float(*window_), nullptr);
    return *Float(*window_);
  }
  // The cursor over the floating window, moved there with these keys held; one tick of the
  // floating window's timer sees it.
  void HoverFloat(int shift) {
    window::frmFloat& f = *Float(*window_);
    platform_.SetCursor({f.Me.Left() / kTp + 10, f.Me.Top() / kTp + 10});
    Native(f.Picture).MouseMove(0, shift, 10, 10);
    f.Timer1_Timer();
  }
  void Tick() { platform_.AdvanceTime(100); }
};

TEST_F(DockFloatTest, ChainIsWheelThenSnapThenWindowAcrossFloatAndUnload) {
  frmMain& m = Start();
  const auto expectMainChain = [&] {
    EXPECT_EQ(platform_.WindowProcOf(m.Me().hWnd()), MouseWheel(m).Proc());
    EXPECT_EQ(MouseWheel(m).OldWindowProc(), EdgeSnap(m).Proc());
    EXPECT_EQ(EdgeSnap(m).OldWindowProc(), nullptr);
  };
  expectMainChain();
  // The wheel handler takes a turn before anything behind it; a move reaches the window.
  Native(m.Me()).Wheel(-kNotch);
  PlaceMain(300, 200);
  EXPECT_EQ(Native(m.Me()).OwnMessages(), std::vector<unsigned>{platform::kMsgWindowPosChanging});

  // Removing snapping takes the wheel handler out with it; the floating window gets one.
  window::frmFloat& f = OpenFloat();
  EXPECT_EQ(platform_.WindowProcOf(m.Me().hWnd()), nullptr);
  EXPECT_EQ(platform_.WindowProcOf(f.Me.hWnd()), MouseWheel(m).Proc());
  const platform::NativeHandle floatHandle = f.Me.hWnd();

  Native(f.Picture).DblClick();
  expectMainChain();
  EXPECT_EQ(platform_.WindowProcOf(floatHandle), nullptr);

  Unload(m);
  EXPECT_EQ(platform_.WindowProcOf(m.Me().hWnd()), nullptr);
}

TEST_F(DockFloatTest, MovesSnapToTheWorkAreaReadAtEachMove) {
  frmMain& m = Start();
  const int w = m.Me().Width() / kTp;
  const int h = m.Me().Height() / kTp;
  struct Case {
    platform::Rect work;
    platform::Point to, expected;
  } cases[] = {
      {{0, 0, 1280, 760}, {19, 300}, {0, 300}},
      {{0, 0, 1280, 760}, {20, 300}, {20, 300}},
      {{0, 0, 1280, 760}, {1280 - w - 19, 19}, {1280 - w, 0}},
      {{0, 0, 1280, 760}, {400, 760 - h - 19}, {400, 760 - h}},
      {{0, 0, 1280, 760}, {400, 760 - h - 20}, {400, 760 - h - 20}},
      // A task bar on the left: the snap stops beside it, never under it.
      {{60, 0, 1220, 800}, {75, 300}, {60, 300}},
  };
  for (const Case& c : cases) {
    platform::ScreenMetrics s;
    s.workArea = c.work;
    platform_.SetScreen(s);
    PlaceMain(c.to.x, c.to.y);
    EXPECT_EQ(Native(m.Me()).Bounds().left, c.expected.x) << c.to.x << "," << c.to.y;
    EXPECT_EQ(Native(m.Me()).Bounds().top, c.expected.y) << c.to.x << "," << c.to.y;
    EXPECT_EQ(m.Me().Left(), c.expected.x * kTp);
  }
}

TEST_F(DockFloatTest, TickKeepsTheWindowTopmostOnlyWhenAskedAndVisible) {
  frmMain& m = Start();
  const auto takeTopmostAwayAndTick = [&] {
    platform_.SetTopMost(m.Me().hWnd(), false);
    Tick();
    return platform_.IsTopMost(m.Me().hWnd());
  };
  TurnSwitch(m, 0, true);
  EXPECT_TRUE(takeTopmostAwayAndTick());
  m.Me().Hide();
  EXPECT_FALSE(takeTopmostAwayAndTick());
  m.Me().Show();
  TurnSwitch(m, 0, false);
  EXPECT_FALSE(takeTopmostAwayAndTick());
}

TEST_F(DockFloatTest, DockedLeftHidesWhenTheCursorLeavesAndReturnsAtTheEdgeBesideIt) {
  frmMain& m = Start();
  PlaceMain(10, 200);  // snaps to 0
  const int w = m.Me().Width();
  const int bottomPx = (m.Me().Top() + m.Me().Height()) / kTp;
  platform_.SetCursor({5, 210});  // inside: stays
  Tick();
  EXPECT_EQ(m.Me().Left(), 0);
  platform_.SetCursor({600, 210});
  Tick();
  EXPECT_EQ(m.Me().Left(), -w);
  EXPECT_EQ(m.Flags().cursor, (platform::Point{600, 210}));
  platform_.SetCursor({0, 199});  // the edge, above the window's span
  Tick();
  EXPECT_EQ(m.Me().Left(), -w);
  platform_.SetCursor({0, bottomPx + 1});
  Tick();
  EXPECT_EQ(m.Me().Left(), -w);
  platform_.SetCursor({0, bottomPx});
  Tick();
  EXPECT_EQ(m.Me().Left(), 0);
}

TEST_F(DockFloatTest, HidingPicksLeftFirstAndNeverTheBottom) {
  frmMain& m = Start();
  platform::ScreenMetrics s;
  platform_.SetScreen(s);
  platform_.SetCursor({640, 400});
  PlaceMain(5, 5);  // docked left and top
  Tick();
  EXPECT_EQ(m.Me().Left(), -m.Me().Width());
  EXPECT_EQ(m.Me().Top(), 0);
  PlaceMain(300, 800 - m.Me().Height() / kTp);  // docked at the bottom
  const int top = m.Me().Top();
  platform_.SetCursor({10, 10});
  Tick();
  EXPECT_EQ(m.Me().Top(), top);
  EXPECT_EQ(m.Me().Left(), 300 * kTp);
}

TEST_F(DockFloatTest, WheelOverTheNoteZoomsOnlyAfterACtrlMove) {
  frmMain& m = Start();
  HeadlessControl& note = Native(Editor(m).txtNote);
  note.Wheel(-kNotch);  // no Ctrl move yet: the box scrolls itself
  EXPECT_EQ(note.OwnWheelTurns(), 1);
  EXPECT_EQ(Editor(m).txtNote.FontSize(), 9.0);
  note.MouseMove(0, platform::kCtrlKey, 5, 5);
  struct Case {
    double from;
    int delta;
    double to;
  } cases[] = {{9, -kNotch, 9},      {10, -kNotch, 8},     {8, -kNotch, 9},
               {95, kNotch, 97},     {97, kNotch, 96},     {96, kNotch, 96},
               {10.5, kNotch, 12.5}, {20, 2 * kNotch, 22}, {20, -2 * kNotch, 18}};
  for (const Case& c : cases) {
    SetNoteFontSize(m, c.from);
    note.Wheel(c.delta);
    EXPECT_EQ(Editor(m).txtNote.FontSize(), c.to) << c.from << " " << c.delta;
  }
  EXPECT_EQ(note.OwnWheelTurns(), 1);
  // Over the page again: the flag goes and the box scrolls once more.
  Native(Editor(m).picMain).MouseMove(0, 0, 1, 1);
  note.Wheel(kNotch);
  EXPECT_EQ(note.OwnWheelTurns(), 2);
}

TEST_F(DockFloatTest, CtrlWheelOverTheFloatStepsThroughTheNotesAndIntoThePopup) {
  frmMain& m = Start(2);  // three notes, the fresh one (index 2) selected
  window::frmFloat& f = OpenFloat();
  HoverFloat(platform::kCtrlKey);
  ASSERT_TRUE(m.Flags().showTextOpen);
  HeadlessControl& floatWindow = Native(f.Me);
  struct Step {
    int delta;
    int index;
  } steps[] = {{-kNotch, 0}, {-kNotch, 1}, {kNotch, 0}, {kNotch, 2}, {-3 * kNotch, 0}};
  for (const Step& s : steps) {
    floatWindow.Wheel(s.delta);
    EXPECT_EQ(Lists(m).List1.ListIndex(), s.index);
    EXPECT_EQ(Editor(m).txtNote.Text(), Lists(m).List2.List(s.index));
    EXPECT_EQ(Editor(m).txtTitle.Text(), Lists(m).List1.List(s.index));
    EXPECT_EQ(m.ShowText()->txtShow.Text(), Editor(m).txtNote.Text());
  }
  EXPECT_EQ(Book(m).OpenNoteIndex(), 0);
  // The handler took every turn; the window behind it saw none.
  const std::vector<unsigned>& seen = floatWindow.OwnMessages();
  EXPECT_EQ(std::count(seen.begin(), seen.end(), platform::kMsgMouseWheel), 0);
}

TEST_F(DockFloatTest, OtherWheelTurnsOverTheFloat) {
  frmMain& m = Start();  // one note: Ctrl-wheel has nothing to step to
  window::frmFloat& f = OpenFloat();
  HeadlessControl& floatWindow = Native(f.Me);
  HoverFloat(platform::kCtrlKey);
  floatWindow.Wheel(-kNotch);
  EXPECT_EQ(Lists(m).List1.ListIndex(), 0);
  // Shift or Alt: nothing, not even the hidden note's zoom.
  m.Flags().NoteHoverFlag = true;
  for (int shift : {platform::kShiftKey, platform::kAltKey}) {
    HoverFloat(shift);
    floatWindow.Wheel(-kNotch);
    floatWindow.Wheel(kNotch);
  }
  EXPECT_EQ(Editor(m).txtNote.FontSize(), 9.0);
  EXPECT_TRUE(platform_.Scrolls().empty());
  // The plain wheel scrolls the open pop-up a line a turn.
  HoverFloat(0);
  floatWindow.Wheel(-2 * kNotch);
  floatWindow.Wheel(kNotch);
  const platform::NativeHandle box = m.ShowText()->txtShow.hWnd();
  using Scroll = std::pair<platform::NativeHandle, int>;
  EXPECT_EQ(platform_.Scrolls(), (std::vector<Scroll>{{box, platform::kScrollLineDown},
                                                      {box, platform::kScrollLineUp}}));
  // The cursor leaves: the pop-up closes on the next tick, and the plain wheel does nothing.
  platform_.SetCursor({1000, 700});
  f.Timer1_Timer();
  EXPECT_FALSE(m.Flags().showTextOpen);
  EXPECT_EQ(m.ShowText(), nullptr);
  EXPECT_EQ(m.Flags().floatShift, 0);
  floatWindow.Wheel(-kNotch);
  EXPECT_EQ(platform_.Scrolls().size(), 2u);
}

TEST_F(DockFloatTest, ShowTextCopiesTheCommittedNoteAtTheNoteSizeSeventyFivePercentOpaque) {
  frmMain& m = Start(1);
  SetNoteFontSize(m, 14.5);
  dialogs::frmShowText show(platform_);
  show.Me.Show();
  show.Form_Load(Book(m).NoteArray(), 0, Editor(m).txtNote.FontSize());
  EXPECT_EQ(show.txtShow.Text(), L"text 1");
  EXPECT_EQ(show.txtShow.FontSize(), 14.5);
  EXPECT_EQ(show.txtShow.Font().face, L"微软雅黑");
  EXPECT_TRUE(Native(show.Me).Settings().toolWindow);
  const auto layered = platform_.Layered(show.Me.hWnd());
  ASSERT_TRUE(layered);
  EXPECT_EQ(layered->alpha, 191);
  EXPECT_EQ(layered->flags, platform::kLayeredAlpha);
  EXPECT_EQ(show.Me.ScaleWidth(), dialogs::frmShowText::kClientWidth);
  EXPECT_EQ(show.Me.ScaleHeight(), dialogs::frmShowText::kClientHeight);
  // No caret: the focus moves on to the hidden button, first in the tab order.
  EXPECT_EQ(platform_.Children(show.Me.hWnd()).front(), &Native(show.Command1));
  Native(show.txtShow).Focus();
  EXPECT_EQ(platform_.Focused(), &Native(show.Command1));
  // No selection, or one past the notes: nothing is read from anywhere else.
  for (int index : {-1, 5}) {
    show.Form_Load(Book(m).NoteArray(), index, 9);
    EXPECT_EQ(show.txtShow.Text(), L"");
  }
}

TEST_F(DockFloatTest, FloatCommandShowsA48PixelTopmostColourKeyedWindowInPlaceOfTheMain) {
  frmMain& m = Start();
  PlaceMain(300, 200);
  SetNoteText(m, L"typed");
  window::frmFloat& f = OpenFloat();
  EXPECT_EQ(Book(m).NoteArray().back().text, L"typed");  // committed first
  EXPECT_FALSE(m.Me().Visible());
  EXPECT_TRUE(f.Me.Visible());
  EXPECT_EQ(f.Me.Caption(), L"Form1");
  EXPECT_TRUE(Native(f.Me).Settings().toolWindow);  // no task bar button
  EXPECT_EQ(Native(f.Me).Bounds(), (platform::Rect{300, 200, 48, 48}));
  EXPECT_EQ(f.Me.ScaleWidth(), 48);
  EXPECT_TRUE(platform_.IsTopMost(f.Me.hWnd()));
  const auto layered = platform_.Layered(f.Me.hWnd());
  ASSERT_TRUE(layered);
  EXPECT_EQ(layered->key, 0xFFFFFFu);
  EXPECT_EQ(layered->flags, platform::kLayeredColorKey);
  EXPECT_TRUE(f.Timer1.Enabled());
  EXPECT_EQ(f.Timer1.Interval(), 100u);
  EXPECT_FALSE(Native(f.Picture).Drawn().empty());
}

TEST_F(DockFloatTest, StoredPictureMatchesTheOneInCode) {
  const fs::path bmp = fs::path(TARVIK_RESOURCES) / "float.bmp";
  std::ifstream in(bmp, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(bytes.size(), 54u + 48u * 48u * 3u);
  const platform::PixelImage image = window::FloatPictureInCode();
  int visible = 0;
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 48; ++x) {
      const std::size_t at = 54 + static_cast<std::size_t>((47 - y) * 48 + x) * 3;
      const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[at + i]); };
      const platform::Color c = image.pixels[static_cast<std::size_t>(y * 48 + x)];
      ASSERT_EQ(c, platform::Rgb(byte(2), byte(1), byte(0))) << x << "," << y;
      if (c != window::kFloatKeyColor) ++visible;
    }
  }
  // A picture, with a white surround that the key makes see-through.
  EXPECT_GT(visible, 48 * 48 / 2);
  EXPECT_EQ(image.pixels.front(), window::kFloatKeyColor);
  // Drawn afresh at its own size it is the same picture.
  EXPECT_TRUE(window::FloatPictureAt(48).pixels == image.pixels);
}

TEST(FloatPictureTest, DrawnAtEachSizeTheCardKeepsItsPartsWithEvenLines) {
  const platform::PixelImage design = window::FloatPictureInCode();
  const auto designAt = [&](int x, int y) {
    return design.pixels[static_cast<std::size_t>(y * 48 + x)];
  };
  for (const int size : {60, 72, 96}) {
    const platform::PixelImage p = window::FloatPictureAt(size);
    ASSERT_EQ(p.width, size);
    ASSERT_EQ(p.pixels.size(), static_cast<std::size_t>(size * size));
    const auto at = [&](int x, int y) { return p.pixels[static_cast<std::size_t>(y * size + x)]; };
    // Runs of one colour down the middle column and across the middle row: white, the
    // outline, amber, the divider, the face with its lines, the outline, white.
    const int line = std::max(1, static_cast<int>(std::lround(size / 48.0)));
    std::vector<std::pair<platform::Color, int>> down, across;
    for (int i = 0; i < size; ++i) {
      for (auto [runs, c] :
           {std::pair{&down, at(size / 2, i)}, std::pair{&across, at(i, size / 2)}}) {
        if (runs->empty() || runs->back().first != c) runs->push_back({c, 0});
        ++runs->back().second;
      }
    }
    ASSERT_EQ(across.size(), 5u) << size;
    EXPECT_EQ(across[1].second, line);
    EXPECT_EQ(across[3].second, line);
    EXPECT_EQ(across[0].second, across[4].second);  // centred
    EXPECT_EQ(across[2].first, designAt(24, 24));
    ASSERT_EQ(down.size(), 15u) << size;
    EXPECT_EQ(down[2].first, designAt(24, 8));
    for (const std::size_t k : {1u, 3u, 13u}) EXPECT_EQ(down[k].second, line) << size << " " << k;
    for (const std::size_t k : {5u, 7u, 9u, 11u}) EXPECT_EQ(down[k].second, down[5].second);
    EXPECT_EQ(down[0].second, down[14].second);
    // The card's corners are cut: its box's corners are see-through, its sides' middles not.
    const int edge = down[0].second, side = across[0].second;
    EXPECT_EQ(at(side, edge), window::kFloatKeyColor);
    EXPECT_EQ(at(size - 1 - side, size - 1 - edge), window::kFloatKeyColor);
    EXPECT_EQ(at(side, size / 2), down[1].first);
  }
}

TEST_F(DockFloatTest, ThePictureIsPaintedInScreenPixelsAtEachScale) {
  Start();
  window::frmFloat& f = OpenFloat();
  HeadlessControl& native = Native(f.Me);
  struct Row {
    int dpi;
    platform::PixelImage expected;
  } rows[] = {{96, window::FloatPictureInCode()},
              {120, window::FloatPictureAt(60)},
              {192, window::FloatPictureAt(96)},
              {144, window::FloatPictureAt(72)}};
  for (const Row& r : rows) {
    const int size = r.expected.width;
    if (r.dpi != 96) native.ChangeDpi(r.dpi, {300, 200, size, size});
    // The image as its fills left it, from its last clear.
    using Op = platform::headless::DrawCall::Op;
    const std::vector<platform::headless::DrawCall> drawn = Native(f.Picture).Drawn();
    const auto clear =
        std::find_if(drawn.rbegin(), drawn.rend(), [](const auto& d) { return d.op == Op::Clear; });
    ASSERT_NE(clear, drawn.rend()) << r.dpi;
    std::vector<platform::Color> shown(static_cast<std::size_t>(size * size), clear->color);
    for (auto d = clear.base(); d != drawn.end(); ++d) {
      if (d->op == Op::Fill) {
        const platform::Color c =
            platform::Rgb((d->color >> 16) & 0xFF, (d->color >> 8) & 0xFF, d->color & 0xFF);
        for (int y = static_cast<int>(d->y1); y < static_cast<int>(d->y1 + d->y2); ++y) {
          for (int x = static_cast<int>(d->x1); x < static_cast<int>(d->x1 + d->x2); ++x) {
            shown.at(static_cast<std::size_t>(y * size + x)) = c;
          }
        }
      }
    }
    EXPECT_TRUE(shown == r.expected.pixels) << r.dpi;
  }
}

TEST_F(DockFloatTest, PopupOpensBesideTheFloatOnTheSideWithRoom) {
  frmMain& m = Start();
  window::frmFloat& f = OpenFloat();
  enum Side { kRightOf, kLeftOf };
  enum Align { kTops, kBottoms };
  struct Case {
    platform::Point at;  // the floating window, pixels
    Side side;
    Align align;
  } cases[] = {{{100, 100}, kRightOf, kTops},    {{1000, 100}, kLeftOf, kTops},
               {{100, 700}, kRightOf, kBottoms}, {{1000, 700}, kLeftOf, kBottoms},
               {{616, 376}, kLeftOf, kBottoms},  // exactly centred counts as right and low
               {{615, 375}, kRightOf, kTops}};
  for (const Case& c : cases) {
    f.Me.Move(c.at.x * kTp, c.at.y * kTp, f.Me.Width(), f.Me.Height());
    HoverFloat(0);
    ASSERT_NE(m.ShowText(), nullptr);
    const widgets::Form& popup = m.ShowText()->Me;
    const platform::Rect r = Native(popup).Bounds();
    EXPECT_EQ(r.left, c.side == kRightOf ? c.at.x + 48 + 8 : c.at.x - 8 - r.width) << c.at.x;
    EXPECT_EQ(r.top, c.align == kTops ? c.at.y : c.at.y + 48 - r.height) << c.at.y;
    EXPECT_TRUE(popup.Visible());
    EXPECT_TRUE(platform_.IsTopMost(popup.hWnd()));
    // A press closes it at once and starts the drag.
    platform_.SetLeftButtonHeld(true);
    Native(f.Picture).MouseDown(platform::kButtonLeft, 0, 10, 10);
    EXPECT_EQ(m.ShowText(), nullptr);
    EXPECT_EQ(platform_.MoveSizeLoops().back().window, f.Me.hWnd());
    EXPECT_EQ(platform_.MoveSizeLoops().back().hitTest, 2);
  }
}

TEST_F(DockFloatTest, DoubleClickBringsTheMainWindowBackWhollyOnScreen) {
  struct Case {
    platform::Point at;
    bool right, bottom;
    int workBottom = 800;  // a task bar below that
  } cases[] = {{{1232, 752}, true, true},
               {{0, 752}, false, true},
               {{1232, 0}, true, false},
               {{1232, 752}, true, true, 760}};
  for (const Case& c : cases) {
    platform::ScreenMetrics s;
    s.workArea.height = c.workBottom;
    platform_.SetScreen(s);
    frmMain& m = Start();
    TurnSwitch(m, 0, true);
    window::frmFloat& f = OpenFloat();
    m.Timer1().SetEnabled(false);
    HoverFloat(0);
    f.Me.Move(c.at.x * kTp, c.at.y * kTp, f.Me.Width(), f.Me.Height());
    Native(f.Picture).DblClick();
    EXPECT_TRUE(m.Me().Visible());
    EXPECT_EQ(Float(m), nullptr);
    EXPECT_FALSE(m.Flags().showTextOpen);
    EXPECT_FALSE(m.Flags().cursorOverFloat);
    EXPECT_TRUE(m.Timer1().Enabled());
    EXPECT_TRUE(platform_.IsTopMost(m.Me().hWnd()));
    const platform::Rect r = Native(m.Me()).Bounds();
    EXPECT_EQ(r.left, c.right ? 1280 - r.width : 0);
    EXPECT_EQ(r.top, c.bottom ? c.workBottom - r.height : 0);
    window_.reset();
  }
}

TEST_F(DockFloatTest, AWindowLargerThanTheScreenOpensWithItsCloseButtonOnTheWorkArea) {
  // 1292 x 812 pixels from the left half of a 1280 x 800 screen.
  std::ofstream(folder_ / "Config.ini", std::ios::binary)
      << "[Main]\r\nLeft=9000\r\nTop=0\r\nWidth=19380\r\nHeight=12180\r\n"
         "[Options]\r\nOnTop=0\r\nStartUp=0";
  frmMain& m = Start();
  const platform::Rect r = Native(m.Me()).Bounds();
  EXPECT_EQ(r.left + r.width, 1280);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.width, 1292);
}

}  // namespace
}  // namespace tarvik::app
