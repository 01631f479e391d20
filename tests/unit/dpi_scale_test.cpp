// The program at 120 %, 150 % and 200 % scaling on the headless backend: every control, line,
// font and painted glyph is its 96-dpi self scaled by dpi / 96, also after the window moves to
// a monitor of another scale, and the settings file keeps its place across scales.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "dialogs/frm_question.h"
#include "program_folder_fixture.h"

namespace tarvik::app {
namespace {

using platform::headless::DrawCall;
using platform::headless::HeadlessControl;

// What the platform was given for one control, in device pixels.
struct Shown {
  platform::Rect bounds;
  platform::Point from, to;  // a line's ends
  int thickness = 0;         // a line's
  int fontDpi = 0;
  std::vector<DrawCall> drawn;
};

class DpiScaleTest : public testing_support::ProgramFolderTest {
 protected:
  void SetDpi(int dpi) {
    platform::ScreenMetrics s;
    s.dpi = dpi;
    s.twipsPerPixelX = s.twipsPerPixelY = 1440 / dpi;
    platform_.SetScreen(s);
  }
  // Every control of the program, in creation order.
  std::vector<Shown> Snapshot() {
    std::vector<Shown> all;
    for (const HeadlessControl* c : platform_.Controls()) {
      if (c->Kind() == platform::ControlKind::Window) continue;
      // The image as it stands: what was drawn since it was last cleared.
      std::vector<DrawCall> drawn = c->Drawn();
      for (std::size_t k = drawn.size(); k-- > 0;) {
        if (drawn[k].op == DrawCall::Op::Clear) {
          drawn.erase(drawn.begin(), drawn.begin() + static_cast<std::ptrdiff_t>(k));
          break;
        }
      }
      all.push_back({c->Bounds(), c->LineFrom(), c->LineTo(), c->LineThickness(),
                     c->Settings().font || c->Font().dpi != 96 ? c->Font().dpi : 0, drawn});
    }
    return all;
  }
  // At 96 dpi, for comparison.
  std::vector<Shown> DesignSnapshot() {
    SetDpi(96);
    Start();
    std::vector<Shown> design = Snapshot();
    window_.reset();
    return design;
  }
};

// Every figure the platform was given is the design's times dpi / 96, within the pixel that
// scaling edges may cost; glyph strokes exactly.
void ExpectAllScaled(const std::vector<Shown>& at, const std::vector<Shown>& design, int dpi) {
  ASSERT_EQ(at.size(), design.size());
  const double s = dpi / 96.0;
  for (std::size_t i = 0; i < at.size(); ++i) {
    const Shown& a = at[i];
    const Shown& d = design[i];
    const int got[] = {a.bounds.left, a.bounds.top, a.bounds.left + a.bounds.width,
                       a.bounds.top + a.bounds.height, a.to.x, a.to.y};
    const int want[] = {d.bounds.left, d.bounds.top, d.bounds.left + d.bounds.width,
                        d.bounds.top + d.bounds.height, d.to.x, d.to.y};
    for (std::size_t k = 0; k < std::size(got); ++k) {
      EXPECT_LE(std::abs(got[k] - want[k] * s), 1.0) << "control " << i << " figure " << k;
    }
    EXPECT_LE(std::abs(a.thickness - d.thickness * s), 0.5) << "control " << i;
    if (d.fontDpi != 0) {
      EXPECT_EQ(a.fontDpi, dpi) << "control " << i;
    }
    ASSERT_EQ(a.drawn.size(), d.drawn.size()) << "control " << i;
    for (std::size_t k = 0; k < a.drawn.size(); ++k) {
      if (a.drawn[k].op != DrawCall::Op::Line) continue;
      EXPECT_FLOAT_EQ(a.drawn[k].x1, d.drawn[k].x1 * s) << "control " << i;
      EXPECT_FLOAT_EQ(a.drawn[k].y2, d.drawn[k].y2 * s) << "control " << i;
      EXPECT_FLOAT_EQ(a.drawn[k].width, d.drawn[k].width * s) << "control " << i;
    }
  }
}

TEST_F(DpiScaleTest, EveryControlIsItsDesignScaledAtEachScale) {
  const std::vector<Shown> design = DesignSnapshot();
  for (const int dpi : {96, 120, 144, 192}) {
    SetDpi(dpi);
    frmMain& w = Start();
    EXPECT_EQ(w.Me().OuterPixels().width, std::lround(298 * dpi / 96.0));
    // The layout pass sees the design size whatever the scale.
    EXPECT_EQ(w.Me().ScaleWidth(), 298) << dpi;
    EXPECT_EQ(w.Me().ScaleHeight(), 344) << dpi;
    ExpectAllScaled(Snapshot(), design, dpi);
    window_.reset();
  }
}

TEST_F(DpiScaleTest, AMonitorOfAnotherScaleRescalesAndRepaintsEverything) {
  const std::vector<Shown> design = DesignSnapshot();
  SetDpi(96);
  frmMain& w = Start();
  platform_.Get(Bar(w).picMenu(2).hWnd()).MouseMove(0, 0, 5, 5);  // a button's hover look
  const platform::Rect at = w.Me().OuterPixels();
  HeadlessControl& native = platform_.Get(w.Me().hWnd());
  native.ChangeDpi(144, {at.left, at.top, at.width * 3 / 2, at.height * 3 / 2});
  EXPECT_EQ(w.Me().Dpi(), 144);
  EXPECT_EQ(w.Me().ScaleWidth(), 298);
  // The hover look goes, painted at the new scale.
  platform_.Get(Bar(w).picMenuBar.hWnd()).MouseMove(0, 0, 100, 5);
  ExpectAllScaled(Snapshot(), design, 144);
  // Pointer positions come back in design pixels: the 2-pixel edge is 3 device pixels wide.
  native.MouseMove(0, 0, 447 - 3, 100);
  EXPECT_EQ(w.Me().MousePointer(), 9);
  native.MouseMove(0, 0, 3, 100);
  EXPECT_EQ(w.Me().MousePointer(), 9);
  native.MouseDown(platform::kButtonLeft, 0, 3, 3);  // the top-left corner's band
  ASSERT_EQ(platform_.MoveSizeLoops().size(), 1u);
  EXPECT_EQ(platform_.MoveSizeLoops()[0].hitTest, 13);
}

TEST_F(DpiScaleTest, OnADeskOfTwoScalesTheWindowAndItsQuestionTakeTheScaleOfTheirMonitor) {
  SetDpi(96);
  platform_.SetMonitors({{{0, 0, 1280, 800}, {0, 0, 1280, 770}},
                         {{1280, 0, 1920, 1080}, {1280, 0, 1920, 1080}}});
  platform_.SetMonitorDpis({96, 144});
  frmMain& w = Start();
  w.Me().MovePixels({1600, 200, 298, 344});
  EXPECT_EQ(w.Me().Dpi(), 144);
  EXPECT_EQ(w.Me().OuterPixels(), (platform::Rect{1600, 200, 447, 516}));
  EXPECT_EQ(w.Me().ScaleWidth(), 298);
  // The box opens on the primary at 96 and is centred on the window at 144, at that size.
  platform::Rect box;
  float stroke = 0;  // the last glyph stroke on the box's painted buttons
  platform_.QueueModalAction([&] {
    box = platform_.Get(platform_.ModalWindow()).Bounds();
    for (const HeadlessControl* c : platform_.Children(platform_.ModalWindow())) {
      for (const DrawCall& d : c->Drawn()) {
        if (d.op == DrawCall::Op::Line) stroke = d.width;
      }
    }
  });
  dialogs::ShowQuestion(w, L"?", w.Me());
  EXPECT_FLOAT_EQ(stroke, 1.5f);  // painted again at the monitor's scale
  EXPECT_EQ(platform_.DpiAt(box), 144);
  EXPECT_LE(std::abs((box.left + box.width / 2) - (1600 + 447 / 2)), 1);
  EXPECT_LE(std::abs((box.top + box.height / 2) - (200 + 516 / 2)), 1);
  EXPECT_EQ(box.width, 333);  // 222 design pixels, the headless window has no frame
  // The place is saved in the window's twips, not the system's.
  ASSERT_TRUE(SaveSettings(w));
  std::ifstream file(folder_ / "Config.ini", std::ios::binary);
  const std::string saved((std::istreambuf_iterator<char>(file)), {});
  EXPECT_NE(saved.find("Left=16000"), std::string::npos) << saved;
  EXPECT_NE(saved.find("Dpi=144"), std::string::npos) << saved;
}

TEST_F(DpiScaleTest, ThePlaceSavedAtOneScaleOpensOnTheSameSpotAtAnother) {
  const struct {
    int dpiNow;
    const char* config;
    platform::Rect outer;  // device pixels
  } rows[] = {
      // Saved at 100 %, opened at 150 %: the same spot, the design size at the new scale.
      {144, "[Main]\r\nLeft=1500\r\nTop=1200\r\nWidth=4470\r\nHeight=5160\r\nDpi=96", {100, 80, 447, 516}},
      {96, "[Main]\r\nLeft=1500\r\nTop=1200\r\nWidth=4470\r\nHeight=5160\r\nDpi=144", {150, 120, 298, 344}},
      {192, "[Main]\r\nLeft=1500\r\nTop=1200\r\nWidth=4470\r\nHeight=5160\r\nDpi=120", {125, 100, 596, 688}},
      // No Dpi (an older file): twips at the system's scale, as that program wrote them.
      {144, "[Main]\r\nLeft=1500\r\nTop=1200\r\nWidth=4470\r\nHeight=5160", {150, 120, 447, 516}},
      // Too small for the scale: raised to the least size at that scale.
      {144, "[Main]\r\nLeft=1500\r\nTop=1200\r\nWidth=100\r\nHeight=100\r\nDpi=144", {150, 120, 324, 414}},
      // No file: centred, also at 200 %, where a pixel is 7.5 twips.
      {192, "", {342, 56, 596, 688}},
      {192, "[Main]\r\nDpi=96", {342, 56, 596, 688}},  // a scale but no place: centred too
  };
  for (const auto& r : rows) {
    SetDpi(r.dpiNow);
    std::filesystem::remove(folder_ / "Config.ini");
    if (*r.config != '\0') std::ofstream(folder_ / "Config.ini", std::ios::binary) << r.config;
    frmMain& w = Start();
    EXPECT_EQ(w.Me().OuterPixels(), r.outer) << r.config << " at " << r.dpiNow;
    ASSERT_TRUE(SaveSettings(w));
    window_.reset();
    // What it saved opens at the same place again.
    frmMain& again = Start();
    EXPECT_EQ(again.Me().OuterPixels(), r.outer) << r.config << " saved at " << r.dpiNow;
    window_.reset();
  }
}

}  // namespace
}  // namespace tarvik::app
