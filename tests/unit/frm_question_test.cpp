// The question box: its painted buttons and hover marks, where it goes, how each way of
// answering or closing it ends, and what it does to the main window while it is up.

#include <gtest/gtest.h>

#include <functional>

#include "program_folder_fixture.h"
#include "dialogs/frm_question.h"
#include "drawing_test_support.h"
#include "question_test_support.h"

namespace tarvik::dialogs {
namespace {

using namespace testing_support;
using Calls = std::vector<DrawCall>;

constexpr platform::Color kWhite = 0xFFFFFF;

Calls ButtonPaint(int index, bool hover) {
  const Argb glyph = hover ? 0xFFFFFFFF : 0xFF404040;
  Calls calls{ClearTo(kWhite), ClearTo(kWhite),
              Fill(ShapeKind::Ellipse, 1, 1, 28, 28, hover ? 0xFF808080 : 0xFFF0F0F0)};
  if (index == 0) {
    calls.insert(calls.end(), {Line(9, 9, 21, 21, glyph), Line(21, 9, 9, 21, glyph)});
  } else {
    calls.insert(calls.end(), {Line(7, 15, 13, 21, glyph), Line(23, 11, 13, 21, glyph)});
  }
  calls.push_back(Shown());
  return calls;
}

class QuestionTest : public ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    Start();
  }
  // Asks, with `during` run as the user while the box is up.
  void Ask(const std::function<void()>& during, const std::wstring& message = L"问题？") {
    platform_.QueueModalAction(during);
    ShowQuestion(*window_, message, window_->Me());
  }
  Calls Take(HeadlessControl& c) {
    Calls calls = c.Drawn();
    if (c.Canvas() != nullptr) c.Canvas()->Forget();
    return calls;
  }
};

TEST(QuestionPlacement, CentreOnTheOwnerWithoutClamping) {
  const struct {
    int left, top, width, height, boxWidth, boxHeight;
    double x, y;
  } cases[] = {
      {-3000, -5000, 4470, 5160, 3360, 1200, -2445, -3020},  // owner partly off the top-left
      {0, 0, 4485, 5175, 3360, 1200, 562.5, 1987.5},         // halves stay halves
      {100, 100, 1000, 1000, 3360, 1200, -1080, 0},          // owner smaller than the box
  };
  for (const auto& c : cases) {
    const TwipsPosition at = CentreOver(c.left, c.top, c.width, c.height, c.boxWidth, c.boxHeight);
    EXPECT_DOUBLE_EQ(at.left, c.x);
    EXPECT_DOUBLE_EQ(at.top, c.y);
  }
}

TEST_F(QuestionTest, BoxSitsCentredOverAnOwnerPartlyOffScreen) {
  window_->Me().Move(-3000, -1500, 4470, 5160);
  platform::Rect box;
  platform::Point client;
  std::wstring text;
  Ask(
      [&] {
        HeadlessControl* window = QuestionBox(platform_);
        ASSERT_NE(window, nullptr);
        box = window->Bounds();
        client = window->ClientSize();
        for (HeadlessControl* c : platform_.Children(window->Handle())) {
          if (c->Kind() == platform::ControlKind::Label) text = c->Text();
        }
      },
      L"确定清空全部的笔记吗？");
  // Owner -200, -100 px, 298 x 344; box 222 x 78.
  EXPECT_EQ(box, (platform::Rect{-200 + 149 - 111, -100 + 172 - 39, 222, 78}));
  EXPECT_EQ(client, (platform::Point{222, 78}));
  EXPECT_EQ(text, L"确定清空全部的笔记吗？");
}

TEST_F(QuestionTest, EveryWayOfEndingGivesItsAnswer) {
  const auto click = [this](int index) {
    return [this, index] { QuestionButton(platform_, index)->Click(); };
  };
  const auto command = [this](bool isDefault) {
    return [this, isDefault] { platform_.ButtonOf(*QuestionBox(platform_), isDefault)->Click(); };
  };
  const struct {
    const char* name;
    std::function<void()> during;
    bool result;
  } cases[] = {
      {"tick", click(1), true},
      {"cross", click(0), false},
      {"Enter", [this] { QuestionBox(platform_)->PressEnter(); }, true},
      {"Esc", [this] { QuestionBox(platform_)->PressEscape(); }, false},
      {"OK button", command(true), true},
      {"cancel button", command(false), false},
      {"system close", [this] { QuestionBox(platform_)->RequestClose(); }, false},
      {"nothing: the box is closed", [] {}, false},
      {"loop ended unanswered", [this] { platform_.AbandonModalLoop(); }, false},
  };
  for (const auto& c : cases) {
    // The answer before is the opposite, so a stale one shows.
    window_->SetQuestionResult(!c.result);
    platform::NativeHandle window = 0;
    Ask([&] {
      window = platform_.ModalWindow();
      c.during();
    });
    EXPECT_EQ(QuestionResult(*window_), c.result) << c.name;
    EXPECT_EQ(platform_.Find(window), nullptr) << c.name << ": the box is gone";
    EXPECT_EQ(platform_.ModalDepth(), 0);
  }
  EXPECT_EQ(platform_.ModalLoopsRun(), 9);
}

TEST_F(QuestionTest, HelperAnswersThroughTheBoxButtons) {
  AnswerNextQuestion(platform_, true);
  ShowQuestion(*window_, L"a", window_->Me());
  EXPECT_TRUE(QuestionResult(*window_));
  AnswerNextQuestion(platform_, false);
  ShowQuestion(*window_, L"b", window_->Me());
  EXPECT_FALSE(QuestionResult(*window_));
}

TEST_F(QuestionTest, MainWindowWaitsWithItsTimerOffAndTheBoxHasTheFocus) {
  ASSERT_TRUE(window_->Timer1().Enabled());
  HeadlessControl& mainWindow = platform_.Get(window_->Me().hWnd());
  bool timerDuring = true, mainEnabledDuring = true, boxFocused = false, boxShown = false;
  Ask([&] {
    timerDuring = window_->Timer1().Enabled();
    mainEnabledDuring = mainWindow.Enabled();
    HeadlessControl* box = QuestionBox(platform_);
    boxShown = box->Visible();
    boxFocused = platform_.Focused() == platform_.ButtonOf(*box, true);
    box->PressEnter();
  });
  EXPECT_FALSE(timerDuring);
  EXPECT_FALSE(mainEnabledDuring);
  EXPECT_TRUE(boxShown);
  EXPECT_TRUE(boxFocused);
  // The caller switches the timer back on; the box does not.
  EXPECT_FALSE(window_->Timer1().Enabled());
  EXPECT_TRUE(mainWindow.Enabled());
}

TEST_F(QuestionTest, TopmostComesOffForTheBoxOnlyWithTheOptionOn) {
  for (bool option : {true, false}) {
    TurnSwitch(*window_, 0, option);
    platform_.SetTopMost(window_->Me().hWnd(), true);
    bool topmostDuring = true;
    Ask([&] {
      topmostDuring = platform_.IsTopMost(window_->Me().hWnd());
      QuestionBox(platform_)->PressEscape();
    });
    EXPECT_EQ(topmostDuring, !option);
    EXPECT_TRUE(platform_.IsTopMost(window_->Me().hWnd()));
  }
  // Option on but the window was not topmost: it is afterwards, as the option says.
  TurnSwitch(*window_, 0, true);
  platform_.SetTopMost(window_->Me().hWnd(), false);
  Ask([&] { QuestionBox(platform_)->PressEscape(); });
  EXPECT_TRUE(platform_.IsTopMost(window_->Me().hWnd()));
}

TEST_F(QuestionTest, LoadPaintsBothButtonsAndHoverMarksFollowThePointer) {
  frmQuestion box(platform_, *window_);
  HeadlessControl& cross = platform_.Get(box.Picture1(0).hWnd());
  HeadlessControl& tick = platform_.Get(box.Picture1(1).hWnd());
  EXPECT_EQ(Take(cross), ButtonPaint(0, false));
  EXPECT_EQ(Take(tick), ButtonPaint(1, false));
  EXPECT_EQ(cross.Bounds(), (platform::Rect{184, 40, 30, 30}));
  EXPECT_EQ(tick.Bounds(), (platform::Rect{144, 40, 30, 30}));

  tick.MouseMove(0, 0, 3, 3);
  tick.MouseMove(0, 0, 4, 4);  // marked already: no repaint
  EXPECT_EQ(box.Picture1(1).Tag, L"1");
  EXPECT_EQ(Take(tick), ButtonPaint(1, true));
  // Straight from one button to the other: both keep the hover look.
  cross.MouseMove(0, 0, 3, 3);
  EXPECT_EQ(box.Picture1(1).Tag, L"1");
  EXPECT_EQ(Take(cross), ButtonPaint(0, true));
  EXPECT_TRUE(Take(tick).empty());
  // The background takes both back; a second move there repaints nothing.
  platform_.Get(box.Me.hWnd()).MouseMove(0, 0, 50, 70);
  platform_.Get(box.Me.hWnd()).MouseMove(0, 0, 51, 70);
  EXPECT_EQ(box.Picture1(0).Tag, L"0");
  EXPECT_EQ(box.Picture1(1).Tag, L"0");
  EXPECT_EQ(Take(cross), ButtonPaint(0, false));
  EXPECT_EQ(Take(tick), ButtonPaint(1, false));
  tick.MouseMove(0, 0, 3, 3);
  tick.MouseLeave();  // off the button, too fast for the form to hear a move
  EXPECT_EQ(box.Picture1(1).Tag, L"0");
  box.Unload();
}

}  // namespace
}  // namespace tarvik::dialogs
