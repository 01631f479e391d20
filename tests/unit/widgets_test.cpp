// The widget toolkit on the headless backend: state kept by the widget, mirrored into the
// native control, and user input fed back.

#include <gtest/gtest.h>

#include "platform/headless/headless_platform.h"
#include "widgets/controls.h"
#include "widgets/form.h"

namespace tarvik::widgets {
namespace {

using platform::headless::HeadlessControl;
using platform::headless::HeadlessPlatform;

class WidgetTest : public ::testing::Test {
 protected:
  HeadlessControl& Native(const Widget& w) { return platform_.Get(w.hWnd()); }
  HeadlessControl& Native(const Form& f) { return platform_.Get(f.hWnd()); }

  HeadlessPlatform platform_;
  Form form_{platform_, L"Test", {10, 20, 300, 200}, platform::Rgb(255, 255, 255)};
};

TEST_F(WidgetTest, HiddenListWorksAsAStringArray) {
  ListBoxDesign design;
  design.visible = false;
  ListBoxW list(form_, design);
  list.AddItem(L"一");
  list.AddItem(L"two");
  list.AddItem(L"");
  EXPECT_EQ(list.ListCount(), 3);
  EXPECT_EQ(list.List(0), L"一");
  EXPECT_EQ(list.List(2), L"");
  list.SetList(1, L"TWO");
  EXPECT_EQ(list.List(1), L"TWO");
  EXPECT_EQ(Native(list).Items(), list.Items());
  // Out of range reads and writes are harmless.
  EXPECT_EQ(list.List(3), L"");
  EXPECT_EQ(list.List(-1), L"");
  list.SetList(7, L"x");
  list.RemoveItem(9);
  EXPECT_EQ(list.ListCount(), 3);
  list.Clear();
  EXPECT_EQ(list.ListCount(), 0);
  EXPECT_EQ(list.ListIndex(), -1);
  EXPECT_TRUE(Native(list).Items().empty());
}

TEST_F(WidgetTest, ListSelectionFollowsRemovalsAndRefusesBadIndices) {
  ListBoxW list(form_, ListBoxDesign{});
  for (const wchar_t* item : {L"a", L"b", L"c", L"d"}) list.AddItem(item);
  EXPECT_TRUE(list.SetListIndex(2));
  EXPECT_FALSE(list.SetListIndex(4));
  EXPECT_FALSE(list.SetListIndex(-2));
  EXPECT_EQ(list.ListIndex(), 2);
  list.RemoveItem(0);  // above the selection: the same item stays selected
  EXPECT_EQ(list.ListIndex(), 1);
  EXPECT_EQ(list.List(list.ListIndex()), L"c");
  EXPECT_EQ(Native(list).Selection(), 1);
  list.RemoveItem(2);  // below: unchanged
  EXPECT_EQ(list.ListIndex(), 1);
  list.RemoveItem(1);  // the selected one: none
  EXPECT_EQ(list.ListIndex(), -1);
  EXPECT_EQ(Native(list).Selection(), -1);
  // A click by the user selects.
  Native(list).SelectItem(0);
  EXPECT_EQ(list.ListIndex(), 0);
}

TEST_F(WidgetTest, BulkUpdatesActAsTheirItemByItemEquivalents) {
  ListBoxW bulk(form_, ListBoxDesign{});
  ListBoxW single(form_, ListBoxDesign{});
  const auto expectSame = [&] {
    EXPECT_EQ(bulk.Items(), single.Items());
    EXPECT_EQ(bulk.ListIndex(), single.ListIndex());
    EXPECT_EQ(Native(bulk).Items(), bulk.Items());
    EXPECT_EQ(Native(bulk).Selection(), Native(single).Selection());
  };
  const std::vector<std::wstring> first = {L"一", L"", L"three"};
  const std::vector<std::wstring> more = {L"four", L"五"};

  bulk.AddItems(first);  // into an empty list
  for (const auto& item : first) single.AddItem(item);
  expectSame();
  bulk.SetListIndex(2);
  single.SetListIndex(2);
  bulk.AddItems(more);  // appending keeps the selection
  for (const auto& item : more) single.AddItem(item);
  bulk.AddItems({});
  expectSame();
  EXPECT_EQ(bulk.List(bulk.ListIndex()), L"three");

  bulk.SetItems(more);  // replacing drops it
  single.Clear();
  for (const auto& item : more) single.AddItem(item);
  expectSame();
  EXPECT_EQ(bulk.ListIndex(), -1);
  bulk.SetListIndex(1);
  bulk.SetItems(more);  // the same items again: still no selection afterwards
  EXPECT_EQ(bulk.ListIndex(), -1);
  EXPECT_EQ(Native(bulk).Selection(), -1);
  EXPECT_EQ(Native(bulk).Items(), more);
  bulk.SetListIndex(1);
  bulk.SetItems({});
  EXPECT_EQ(bulk.ListCount(), 0);
  EXPECT_EQ(bulk.ListIndex(), -1);
  EXPECT_TRUE(Native(bulk).Items().empty());
  EXPECT_EQ(Native(bulk).Selection(), -1);
  // Rewriting in place: longer, the same again (the selection still goes), shorter.
  const auto rewrite = [&](const std::vector<std::wstring>& items) {
    bulk.RewriteItems([&](ListBoxW::ItemWriter& w) {
      for (const auto& item : items) w.Add(item);
    });
    EXPECT_EQ(bulk.Items(), items);
    EXPECT_EQ(Native(bulk).Items(), items);
    EXPECT_EQ(bulk.ListIndex(), -1);
    EXPECT_EQ(Native(bulk).Selection(), -1);
  };
  rewrite(first);
  bulk.SetListIndex(0);
  rewrite(first);
  rewrite({L"一", L"2"});
  rewrite({});
  // Item-by-item operations still work on top of a bulk fill.
  bulk.SetItems(first);
  bulk.RemoveItem(0);
  bulk.SetList(0, L"two");
  EXPECT_EQ(bulk.Items(), (std::vector<std::wstring>{L"two", L"three"}));
  EXPECT_EQ(Native(bulk).Items(), bulk.Items());
}

TEST_F(WidgetTest, NeverShownListHasNoNativeControl) {
  ListBoxDesign design;
  design.visible = false;
  design.neverShown = true;
  const std::size_t before = platform_.Controls().size();
  ListBoxW list(form_, design);
  EXPECT_EQ(platform_.Controls().size(), before);
  EXPECT_EQ(list.hWnd(), 0u);
  list.AddItem(L"a");
  list.AddItems({L"b", L"c"});
  EXPECT_TRUE(list.SetListIndex(1));
  list.SetList(1, L"B");
  list.RemoveItem(0);
  EXPECT_EQ(list.Items(), (std::vector<std::wstring>{L"B", L"c"}));
  EXPECT_EQ(list.ListIndex(), 0);
  list.SetItems({L"x"});
  EXPECT_EQ(list.List(0), L"x");
  list.SetFocus();
  EXPECT_FALSE(list.HasFocus());
}

TEST_F(WidgetTest, TextBoxKeepsTextAndRaisesChange) {
  TextBoxDesign design;
  design.multiLine = true;
  TextBoxW box(form_, design);
  int changes = 0;
  box.Change = [&] { ++changes; };
  Native(box).Type(L"line 1\r\nline 2");
  EXPECT_EQ(box.Text(), L"line 1\r\nline 2");
  EXPECT_EQ(changes, 1);
  box.SetText(L"line 1\r\nline 2");  // no change of content, no event
  EXPECT_EQ(changes, 1);
  box.SetText(L"");
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(Native(box).Text(), L"");
}

TEST_F(WidgetTest, FontSizeKeepsFourDecimals) {
  TextBoxW box(form_, TextBoxDesign{});
  box.SetFontSize(10.5);
  EXPECT_EQ(box.FontSize(), 10.5);
  box.SetFontSize(12.123456);
  EXPECT_EQ(box.FontSize(), 12.1235);
  EXPECT_EQ(Native(box).Font().sizePt, 12.1235);
}

TEST_F(WidgetTest, FocusEventsAndHiddenControlsTakeNoFocus) {
  TextBoxW a(form_, TextBoxDesign{});
  TextBoxW b(form_, TextBoxDesign{});
  std::vector<std::string> events;
  a.GotFocus = [&] { events.push_back("a+"); };
  a.LostFocus = [&] { events.push_back("a-"); };
  b.GotFocus = [&] { events.push_back("b+"); };
  form_.Show();
  a.SetFocus();
  b.SetFocus();
  EXPECT_EQ(events, (std::vector<std::string>{"a+", "a-", "b+"}));
  b.SetVisible(false);
  a.SetFocus();
  b.SetFocus();  // hidden: ignored
  EXPECT_TRUE(a.HasFocus());
  form_.Hide();
  EXPECT_FALSE(a.IsShownOnScreen());
}

TEST_F(WidgetTest, PanelContainsChildrenAndHidesThem) {
  PanelDesign design;
  design.bounds = {5, 5, 100, 50};
  PictureBox panel(form_, design);
  LabelDesign labelDesign;
  labelDesign.bounds = {1, 1, 20, 10};
  labelDesign.caption = L"标题：";
  Label label(panel, labelDesign);
  form_.Show();
  EXPECT_TRUE(label.IsShownOnScreen());
  EXPECT_EQ(Native(label).Parent(), &Native(panel));
  EXPECT_EQ(panel.ScaleWidth(), 98);  // inside the single-line border
  panel.SetBorderStyle(0);
  EXPECT_EQ(panel.ScaleWidth(), 100);
  panel.SetVisible(false);
  EXPECT_FALSE(label.IsShownOnScreen());
  EXPECT_FALSE(Native(label).ShownOnScreen());
}

TEST_F(WidgetTest, LineMovesItsEnds) {
  Line line(form_, {20, 20}, {44, 20}, platform::Rgb(136, 136, 136));
  line.SetEnds({4, 23}, {150, 23});
  EXPECT_EQ(Native(line).LineFrom(), (platform::Point{4, 23}));
  EXPECT_EQ(Native(line).LineTo(), (platform::Point{150, 23}));
  EXPECT_EQ(line.Left(), 4);
  EXPECT_EQ(line.Width(), 147);
}

TEST_F(WidgetTest, FormGeometryIsTwipsOutsidePixelsInside) {
  EXPECT_EQ(form_.Left(), 150);
  EXPECT_EQ(form_.Width(), 4500);
  form_.Move(7365, 2220, 4470, 5160);
  EXPECT_EQ(platform_.Get(form_.hWnd()).Bounds(), (platform::Rect{491, 148, 298, 344}));
  EXPECT_EQ(form_.Width(), 4470);
  EXPECT_EQ(form_.ScaleWidth(), 298);
  int resized = 0;
  form_.Resize = [&] { ++resized; };
  platform_.Get(form_.hWnd()).ResizeClient(310, 350);
  EXPECT_EQ(resized, 1);
  EXPECT_EQ(form_.ScaleHeight(), 350);
}

TEST_F(WidgetTest, PositionChangesProposeAgainstTheCurrentRectangle) {
  std::vector<std::pair<platform::Rect, platform::Rect>> seen;  // (current, proposed)
  platform_.ReplaceWindowProc(
      form_.hWnd(), platform::MakeWindowProc([&](NativeHandle, platform::WindowMessage& m) {
        if (m.id == platform::kMsgWindowPosChanging) seen.emplace_back(m.current, m.proposed);
        return std::intptr_t{0};
      }));
  form_.Move(1500, 1200, 4500, 3000);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].first, (platform::Rect{10, 20, 300, 200}));
  EXPECT_EQ(seen[0].second, (platform::Rect{100, 80, 300, 200}));
}

TEST_F(WidgetTest, MinimisedFormIsParkedAndKeepsItsNormalRectangle) {
  Native(form_).SetMinimized(true);
  EXPECT_TRUE(form_.IsMinimized());
  EXPECT_EQ(form_.Left(), -32000 * 15);
  EXPECT_EQ(form_.NormalBounds(), (platform::Rect{10, 20, 300, 200}));
  form_.Move(1500, 1200, 4500, 3000);  // only the rectangle it comes back to
  EXPECT_EQ(form_.Left(), -32000 * 15);
  form_.Restore();
  EXPECT_FALSE(form_.IsMinimized());
  EXPECT_EQ(form_.Left(), 1500);
  EXPECT_EQ(form_.NormalBounds(), (platform::Rect{100, 80, 300, 200}));
}

TEST_F(WidgetTest, OwnedToolWindowHasNoTaskBarButton) {
  Form tool(platform_, L"", {0, 0, 48, 48}, platform::Rgb(255, 255, 255), 2, form_.hWnd(), true);
  EXPECT_EQ(Native(tool).Settings().owner, form_.hWnd());
  EXPECT_EQ(platform_.ExtendedStyle(tool.hWnd()), platform::kExStyleToolWindow);
  EXPECT_EQ(platform_.ExtendedStyle(form_.hWnd()), 0u);
}

TEST_F(WidgetTest, CapturedPressOutsideTheWindowGoesToWhatLiesThere) {
  // The form is 300 x 200 at (10, 20); client and outer rectangle are one here.
  const struct {
    int button, x, y;
    bool heard;
  } cases[] = {
      {platform::kButtonLeft, 299, 199, true},  {platform::kButtonLeft, -1, 5, false},
      {platform::kButtonLeft, 300, 5, false},   {platform::kButtonMiddle, 5, 200, false},
      {platform::kButtonRight, -50, -50, true},  // the system menu from the task bar
  };
  int heard = 0;
  form_.MouseDown = [&](const MouseArgs&) { ++heard; };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.button << " at " << c.x << "," << c.y);
    heard = 0;
    const std::size_t passedBefore = platform_.PressesPassedOn().size();
    platform_.SetMouseCapture(form_.hWnd());
    Native(form_).MouseDown(c.button, 0, c.x, c.y);
    EXPECT_EQ(heard, c.heard ? 1 : 0);
    EXPECT_EQ(platform_.Capture() == form_.hWnd(), c.heard);
    EXPECT_EQ(platform_.PressesPassedOn().size(), passedBefore + (c.heard ? 0 : 1));
  }
  EXPECT_EQ(platform_.PressesPassedOn().front(), (platform::Point{9, 25}));
}

TEST_F(WidgetTest, TimerTicksOnlyWhileEnabled) {
  Timer timer(platform_, 100, true);
  int ticks = 0;
  timer.Tick = [&] { ++ticks; };
  platform_.AdvanceTime(350);
  EXPECT_EQ(ticks, 3);
  timer.SetEnabled(false);
  platform_.AdvanceTime(500);
  EXPECT_EQ(ticks, 3);
  timer.SetEnabled(true);
  platform_.AdvanceTime(100);
  EXPECT_EQ(ticks, 4);
}

TEST_F(WidgetTest, FileDialogConfirmCancelAndErrors) {
  CommonDialog dialog(platform_, form_.hWnd());
  dialog.Filter = L"Tarvik导出文件(*.tvk)|*.tvk|纯文本格式文件(*.txt)|*.txt";
  dialog.DialogTitle = L"导入文件";
  dialog.FileName = L"";
  EXPECT_FALSE(dialog.ShowOpen().has_value());  // cancelled
  EXPECT_EQ(dialog.FileName, L"");
  ASSERT_EQ(platform_.FileDialogs().size(), 1u);
  EXPECT_EQ(platform_.FileDialogs()[0].title, L"导入文件");
  EXPECT_FALSE(platform_.FileDialogs()[0].save);

  platform::FileDialogResult ok;
  ok.outcome = platform::FileDialogResult::Outcome::Confirmed;
  ok.fileName = L"C:\\notes\\a.tvk";
  ok.fileTitle = L"a.tvk";
  platform_.QueueFileDialogAnswer(ok);
  EXPECT_FALSE(dialog.ShowSave().has_value());
  EXPECT_EQ(dialog.FileName, L"C:\\notes\\a.tvk");
  EXPECT_EQ(dialog.FileTitle, L"a.tvk");
  // A later cancel leaves the earlier answer in place.
  EXPECT_FALSE(dialog.ShowSave().has_value());
  EXPECT_EQ(dialog.FileTitle, L"a.tvk");

  dialog.CancelError = true;
  ASSERT_TRUE(dialog.ShowOpen().has_value());
  EXPECT_EQ(dialog.ShowOpen()->number, 32755);

  platform::FileDialogResult failed;
  failed.outcome = platform::FileDialogResult::Outcome::Failed;
  failed.errorCode = 0x3002;
  platform_.QueueFileDialogAnswer(failed);
  const auto error = dialog.ShowOpen();
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->number, 20477);
  EXPECT_EQ(error->message, L"File name is invalid.");
  EXPECT_EQ(CommonDialog::ErrorFor(0x3003).number, 20476);
  EXPECT_EQ(CommonDialog::ErrorFor(0x3001).number, 20478);
  EXPECT_EQ(CommonDialog::ErrorFor(0xFFFF).message, L"Unexpected error.");
}

}  // namespace
}  // namespace tarvik::widgets
