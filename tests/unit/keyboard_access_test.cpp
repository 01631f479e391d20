// The keyboard and screen readers on the headless backend: the tab order of each page, the
// keys that do what the mouse does, focus marks, the accessible description of every painted
// control, and a second start bringing the first forward.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/frm_main.h"
#include "app/tarvik_app.h"
#include "program_folder_fixture.h"
#include "question_test_support.h"

namespace tarvik::app {
namespace {

using platform::AccessibleInfo;
using platform::AccessibleRole;
using platform::kCtrlKey;
using platform::kShiftKey;
using platform::headless::HeadlessControl;
using testing_support::QuestionBox;
using testing_support::QuestionButton;
AccessibleInfo Push(const wchar_t* name) {
  return {name, AccessibleRole::PushButton, false};
}

class KeyboardTest : public testing_support::ProgramFolderTest {
 protected:
  frmMain& Start() {
    window_ = std::make_unique<frmMain>(platform_);
    EXPECT_TRUE(window_->Load());
    window_->Me().Show();
    window_->FocusPage();
    return *window_;
  }
  HeadlessControl& Native(const widgets::Widget& w) { return platform_.Get(w.hWnd()); }
  // The key goes to whatever has the focus, as the keyboard sends it.
  void Press(int key, int shift = 0) {
    ASSERT_NE(platform_.Focused(), nullptr);
    platform_.Focused()->KeyDown(key, shift);
  }
  bool Focused(const widgets::Widget& w) { return platform_.Focused() == &Native(w); }
};

TEST_F(KeyboardTest, TabMovesThroughThePageShownInOrderAndWraps) {
  frmMain& w = Start();
  EditorPage& e = w.Editor();
  ListPage& l = w.Lists();
  OptionsPanel& o = w.Options();
  struct Step {
    int key;
    int shift;
    const widgets::Widget* focus;
  };
  constexpr int kTab = platform::kKeyTab;
  struct Row {
    const char* page;
    std::function<void()> open;
    const widgets::Widget* first;
    std::vector<Step> steps;
  };
  const std::vector<Row> rows = {
      {"editor", [] {}, &e.txtTitle,
       // The note box keeps a plain Tab for itself.
       {{kTab, 0, &e.txtNote}, {kTab, 0, &e.txtNote}, {kTab, kCtrlKey, &e.txtTitle},
        {kTab, kShiftKey, &e.txtNote}, {kTab, kShiftKey, &e.txtTitle}}},
      {"list", [&] { w.picMenu_Click(4); }, &l.List1, {{kTab, 0, &l.List1}}},
      {"search", [&] { w.picListButton_Click(5); }, &l.txtSearch,
       {{kTab, 0, &l.List3}, {kTab, 0, &l.txtSearch}, {kTab, kShiftKey, &l.List3}}},
      {"options", [&] {
         w.picMenu_Click(4);
         w.picMenu_Click(2);
       }, &o.SSwitch1(0),
       {{kTab, 0, &o.SSwitch1(1)}, {kTab, 0, &o.SSwitch1(0)}, {kTab, kShiftKey, &o.SSwitch1(1)}}},
  };
  for (const Row& row : rows) {
    row.open();
    const_cast<widgets::Widget*>(row.first)->SetFocus();
    ASSERT_TRUE(Focused(*row.first)) << row.page;
    for (std::size_t i = 0; i < row.steps.size(); ++i) {
      Press(row.steps[i].key, row.steps[i].shift);
      EXPECT_TRUE(Focused(*row.steps[i].focus)) << row.page << " step " << i;
    }
  }
}

TEST_F(KeyboardTest, KeysDoWhatTheMouseDoes) {
  frmMain& w = Start();
  // The window opens with the keyboard in the fresh note's text.
  EXPECT_TRUE(Focused(w.Editor().txtNote));
  // Enter in the title goes on to the text.
  w.Editor().txtTitle.SetFocus();
  Press(platform::kKeyReturn);
  EXPECT_TRUE(Focused(w.Editor().txtNote));
  w.Notes().Add({L"alpha", L"one"});
  w.Notes().Add({L"beta", L"two"});
  // Enter on a list item opens it.
  w.picMenu_Click(4);
  w.Lists().List1.SetListIndex(2);
  EXPECT_TRUE(Focused(w.Lists().List1));
  Press(platform::kKeyReturn);
  EXPECT_TRUE(w.Editor().picMain.Visible());
  EXPECT_EQ(w.Editor().txtTitle.Text(), L"beta");
  // In search mode Down goes into the results and Enter opens one; Esc leaves search mode.
  w.picMenu_Click(4);
  w.picListButton_Click(5);
  Native(w.Lists().txtSearch).Type(L"a");
  Press(platform::kKeyDown);
  EXPECT_TRUE(Focused(w.Lists().List3));
  EXPECT_EQ(w.Lists().List3.ListIndex(), 0);
  Press(platform::kKeyReturn);
  EXPECT_EQ(w.Editor().txtTitle.Text(), L"alpha");
  w.picMenu_Click(4);
  w.picListButton_Click(5);
  Press(platform::kKeyEscape);
  EXPECT_FALSE(w.Lists().picSearch.Visible());
  EXPECT_TRUE(Focused(w.Lists().List1));
  // Space flips a focused switch; Esc closes the panel back to where the keyboard was.
  w.picMenu_Click(4);
  w.Editor().txtTitle.SetFocus();
  w.picMenu_Click(2);
  w.Options().SSwitch1(0).SetFocus();
  Press(platform::kKeySpace);
  EXPECT_TRUE(w.Options().SSwitch1(0).Value());
  EXPECT_TRUE(platform_.IsTopMost(w.Me().hWnd()));
  Press(platform::kKeyEscape);
  EXPECT_FALSE(w.Options().picOptions.Visible());
  EXPECT_TRUE(Focused(w.Editor().txtTitle));
}

TEST_F(KeyboardTest, FocusMarksShowOnceTheKeyboardMovedTheFocus) {
  frmMain& w = Start();
  w.picMenu_Click(2);
  HeadlessControl& track = Native(w.Options().SSwitch1(1).Picture1());
  // A click gives the switch the focus; no mark until the keyboard is used.
  Native(w.Options().SSwitch1(0).Picture1()).MouseDown(platform::kButtonLeft, 0, 1, 1);
  EXPECT_FALSE(Native(w.Options().SSwitch1(0).Picture1()).FocusMarkShown());
  Press(platform::kKeyTab);
  EXPECT_TRUE(track.FocusMarkShown());
  EXPECT_FALSE(Native(w.Options().SSwitch1(0).Picture1()).FocusMarkShown());
  // The question box's tick and cross stand for its hidden push buttons.
  platform_.QueueModalAction([this] {
    HeadlessControl* box = QuestionBox(platform_);
    box->PressTab();
    EXPECT_TRUE(QuestionButton(platform_, 0)->FocusMarkShown());
    EXPECT_FALSE(QuestionButton(platform_, 1)->FocusMarkShown());
    box->PressTab();
    EXPECT_TRUE(QuestionButton(platform_, 1)->FocusMarkShown());
    box->PressEnter();
  });
  dialogs::ShowQuestion(w, L"?", w.Me());
  EXPECT_TRUE(w.QuestionResult());
}

TEST_F(KeyboardTest, EveryPaintedControlHasItsAccessibleDescription) {
  frmMain& w = Start();
  const std::vector<std::pair<const widgets::Widget*, AccessibleInfo>> rows = {
      {&w.Bar().picMenu(0), Push(L"关闭")},
      {&w.Bar().picMenu(1), Push(L"浮窗")},
      {&w.Bar().picMenu(2), Push(L"选项")},
      {&w.Bar().picMenu(3), Push(L"工具")},
      {&w.Bar().picMenu(4), Push(L"列表")},
      {&w.Lists().picListButton(0), Push(L"新建笔记")},
      {&w.Lists().picListButton(1), Push(L"删除笔记")},
      {&w.Lists().picListButton(2), Push(L"清空笔记")},
      {&w.Lists().picListButton(3), Push(L"导出笔记")},
      {&w.Lists().picListButton(4), Push(L"导入笔记")},
      {&w.Lists().picListButton(5), Push(L"查找笔记")},
      {&w.Options().SSwitch1(0), {L"置顶窗口", AccessibleRole::CheckButton, false}},
      {&w.Options().SSwitch1(1), {L"开机启动", AccessibleRole::CheckButton, false}},
  };
  w.Options().SSwitch1(0).SetValue(false);
  w.Options().SSwitch1(1).SetValue(false);
  for (const auto& [widget, info] : rows) {
    EXPECT_EQ(Native(*widget).Accessible(), info) << util::ToUtf8(info.name);
  }
  w.Options().SSwitch1(0).SetValue(true);
  EXPECT_TRUE(Native(w.Options().SSwitch1(0)).Accessible().checked);
  platform_.QueueModalAction([this] {
    EXPECT_EQ(QuestionButton(platform_, 1)->Accessible(), Push(L"确定"));
    EXPECT_EQ(QuestionButton(platform_, 0)->Accessible(), Push(L"取消"));
    QuestionButton(platform_, 0)->Click();
  });
  dialogs::ShowQuestion(w, L"?", w.Me());
  w.picMenu_Click(1);
  ASSERT_NE(w.Float(), nullptr);
  EXPECT_EQ(Native(w.Float()->Picture).Accessible(), Push(L"浮窗"));
}

TEST_F(KeyboardTest, ASecondStartBringsTheWindowForward) {
  platform::headless::HeadlessPlatform second;
  second.HoldInstanceElsewhere(kSingleInstanceName);
  EXPECT_EQ(RunTarvik(second), 0);
  EXPECT_EQ(second.ShowRequests(), std::vector<std::wstring>{kSingleInstanceName});

  frmMain& w = Start();
  HeadlessControl& main = platform_.Get(w.Me().hWnd());
  w.picMenu_Click(1);
  ASSERT_FALSE(w.Me().Visible());
  main.RequestShow();
  EXPECT_TRUE(w.Me().Visible());
  EXPECT_EQ(w.Float(), nullptr);
  EXPECT_TRUE(Focused(w.Editor().txtNote));
  main.SetMinimized(true);
  main.RequestShow();
  EXPECT_FALSE(main.IsMinimized());
}

}  // namespace
}  // namespace tarvik::app
