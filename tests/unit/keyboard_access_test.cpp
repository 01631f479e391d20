// The keyboard and screen readers on the headless backend: the tab order of each page, the
// keys that do what the mouse does, focus marks, the painted controls' accessible names, and
// a second start bringing the first forward.

#include <gtest/gtest.h>

#include <functional>

#include "app/tarvik_app.h"
#include "program_folder_fixture.h"
#include "question_test_support.h"

namespace tarvik::app {
namespace {

using platform::kKeyTab;
using platform::headless::HeadlessControl;
using testing_support::QuestionButton;

class KeyboardTest : public testing_support::ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    window_ = std::make_unique<frmMain>(platform_);
    ASSERT_TRUE(window_->Load());
    window_->Me().Show();
    window_->FocusPage();
  }
  // The key goes to whatever has the focus; true when the focus is then on `then`.
  bool Press(int key, int shift, const widgets::Widget& then) {
    platform_.Focused()->KeyDown(key, shift);
    return platform_.Focused() == &Native(then);
  }
};

TEST_F(KeyboardTest, TabMovesThroughThePageShownAndKeysDoWhatTheMouseDoes) {
  frmMain& w = *window_;
  const EditorPage& e = Editor(w);
  const ListPage& l = Lists(w);
  widgets::SSwitch& s0 = *Options(w).switches[0];
  Book(w).Add({L"alpha", L"one"});
  struct Row {
    std::function<void()> before;
    int key;
    int shift;
    const widgets::Widget* focus;
  };
  const std::vector<Row> rows = {
      {[] {}, 0, 0, &e.txtNote},  // where the window opens
      {[] {}, kKeyTab, platform::kShiftKey, &e.txtTitle},
      {[] {}, kKeyTab, 0, &e.txtNote},
      {[] {}, kKeyTab, 0, &e.txtNote},  // typed: notes keep their tabs
      {[] {}, kKeyTab, platform::kCtrlKey, &e.txtTitle},
      {[] {}, platform::kKeyReturn, 0, &e.txtNote},
      {[&] { ClickMenu(w, 4); }, kKeyTab, 0, &l.List1},
      {[&] { SelectNote(w, 1); }, platform::kKeyReturn, 0, &e.txtNote},  // opens it
      {[&] { ClickMenu(w, 4), ClickListButton(w, 5); }, kKeyTab, 0, &l.List3},
      {[] {}, kKeyTab, 0, &l.txtSearch},
      {[&] { Native(l.txtSearch).Type(L"ph"); }, platform::kKeyDown, 0, &l.List3},
      {[] {}, platform::kKeyReturn, 0, &e.txtNote},  // the first result opens
      {[&] { ClickMenu(w, 4), ClickListButton(w, 5); }, platform::kKeyEscape, 0, &l.List1},
      {[&] { ClickMenu(w, 4), ClickMenu(w, 2); }, kKeyTab, platform::kShiftKey,
       &Options(w).SSwitch1(1)},
      {[] {}, kKeyTab, 0, &s0},
      {[] {}, platform::kKeySpace, 0, &s0},
      {[] {}, platform::kKeyEscape, 0, &e.txtNote},  // back to where the keyboard was
      // The mouse opens a panel: the keyboard goes with it, and back when it closes.
      {[&] { ClickMenu(w, 2); }, 0, 0, &s0},
      {[&] { ClickMenu(w, 2); }, 0, 0, &e.txtNote},
      {[&] {
         ClickMenu(w, 2), Native(Bar(w).picMenuBar).MouseDown(platform::kButtonLeft, 0, 5, 5);
       },
       0, 0, &e.txtNote},
  };
  for (std::size_t i = 0; i < rows.size(); ++i) {
    rows[i].before();
    EXPECT_TRUE(Press(rows[i].key, rows[i].shift, *rows[i].focus)) << "row " << i;
  }
  EXPECT_EQ(e.txtTitle.Text(), L"alpha");
  EXPECT_FALSE(l.picSearch.Visible());
  EXPECT_FALSE(Options(w).picOptions.Visible());
  EXPECT_TRUE(s0.Value());
  // The tools panel has nothing to focus: the window takes the keys, none reach the note.
  ClickMenu(w, 3);
  EXPECT_EQ(platform_.Focused(), &Native(w.Me()));
  // Tab turned the window's focus marks on: the switch that had the focus showed one.
  ClickMenu(w, 2);
  s0.SetFocus();
  EXPECT_TRUE(Native(s0.Picture1()).FocusMarkShown());
  EXPECT_FALSE(Native(Options(w).switches[1]->Picture1()).FocusMarkShown());
  EXPECT_TRUE(platform_.IsTopMost(w.Me().hWnd()));
}

TEST_F(KeyboardTest, PaintedControlsCarryTheirNamesAndRoles) {
  frmMain& w = *window_;
  std::vector<std::wstring> names;
  const auto heard = [&](const HeadlessControl& c) {
    const platform::AccessibleInfo& a = c.Accessible();
    names.push_back(a.name + (a.role == platform::AccessibleRole::CheckButton
                                  ? (a.checked ? L"=on" : L"=off")
                              : a.role == platform::AccessibleRole::PushButton ? L""
                                                                               : L"?"));
  };
  for (int i = 0; i < 5; ++i) heard(Native(Bar(w).picMenu(i)));
  for (int i = 0; i < 6; ++i) heard(Native(Lists(w).picListButton(i)));
  TurnSwitch(w, 0, true);
  TurnSwitch(w, 1, false);
  for (int i = 0; i < 2; ++i) heard(Native(Options(w).SSwitch1(i)));
  platform_.QueueModalAction([&] {
    for (int i = 0; i < 2; ++i) heard(*QuestionButton(platform_, i));
    // The cross stands for the hidden cancel button when Tab gives that the focus.
    testing_support::QuestionBox(platform_)->PressTab();
    EXPECT_TRUE(QuestionButton(platform_, 0)->FocusMarkShown());
    EXPECT_FALSE(QuestionButton(platform_, 1)->FocusMarkShown());
    QuestionButton(platform_, 0)->Click();
  });
  dialogs::ShowQuestion(w, L"?", w.Me());
  ClickMenu(w, 1);
  heard(Native(Float(w)->Picture));
  EXPECT_EQ(names, (std::vector<std::wstring>{L"关闭", L"浮窗", L"选项", L"工具", L"列表",
                                              L"新建笔记", L"删除笔记", L"清空笔记", L"导出笔记",
                                              L"导入笔记", L"查找笔记", L"置顶窗口=on",
                                              L"开机启动=off", L"取消", L"确定", L"浮窗"}));
}

TEST_F(KeyboardTest, ASecondStartBringsTheWindowBackFromTheIconOrMinimised) {
  platform::headless::HeadlessPlatform second;
  second.HoldInstanceElsewhere(kSingleInstanceName);
  EXPECT_EQ(RunTarvik(second), 0);
  EXPECT_EQ(second.ShowRequests(), std::vector<std::wstring>{kSingleInstanceName});
  HeadlessControl& main = platform_.Get(window_->Me().hWnd());
  ClickMenu(*window_, 1);
  main.RequestShow();
  EXPECT_TRUE(window_->Me().Visible());
  EXPECT_EQ(Float(*window_), nullptr);
  EXPECT_EQ(platform_.Focused(), &Native(Editor(*window_).txtNote));
  main.SetMinimized(true);
  main.RequestShow();
  EXPECT_FALSE(main.IsMinimized());
}

}  // namespace
}  // namespace tarvik::app
