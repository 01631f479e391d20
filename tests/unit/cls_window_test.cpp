#include "util/cls_window.h"
#include "util/empty_window_system.h"
#include "util/reg_exp.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/headless/headless_platform.h"
#include "util/file_io.h"
#include "util/text_codec.h"
#include "util/window_patterns.h"

namespace tarvik::util {
namespace {

namespace fs = std::filesystem;
using platform::headless::HeadlessPlatform;

struct FakeWindow {
  std::wstring text;
  std::wstring className = L"Static";
  bool visible = true;
  std::uint32_t pid = 100;
  std::intptr_t id = 0;
  std::vector<WindowHandle> children;
  platform::Rect bounds{10, 20, 300, 200};
};

// A desktop the test lays out: top-level windows in z-order and their children.
class FakeSystem final : public EmptyWindowSystem {
 public:
  explicit FakeSystem(HeadlessPlatform& platform) : platform_(platform) {}

  void AddTop(WindowHandle h, FakeWindow w) {
    windows[h] = std::move(w);
    order.push_back(h);
  }
  void AddChild(WindowHandle parent, WindowHandle h, FakeWindow w) {
    windows[h] = std::move(w);
    windows[parent].children.push_back(h);
  }

  std::vector<WindowHandle> TopLevelWindows() override {
    ++walks;
    walkTimes.push_back(platform_.TickCount());
    if (onWalk) onWalk(walks);
    return order;
  }
  std::vector<WindowHandle> Descendants(WindowHandle h) override {
    std::vector<WindowHandle> all;
    for (const WindowHandle c : windows[h].children) {
      all.push_back(c);
      for (const WindowHandle d : Descendants(c)) all.push_back(d);
    }
    return all;
  }
  bool Exists(WindowHandle h) override { return windows.count(h) != 0; }
  bool IsVisible(WindowHandle h) override { return windows[h].visible; }
  std::wstring Caption(WindowHandle h) override { return windows[h].text; }
  std::wstring Text(WindowHandle h) override { return windows[h].text; }
  bool SetText(WindowHandle h, const std::wstring& t) override {
    windows[h].text = t;
    return true;
  }
  std::wstring ClassName(WindowHandle h) override { return windows[h].className; }
  std::intptr_t ControlId(WindowHandle h) override { return windows[h].id; }
  std::uint32_t ProcessId(WindowHandle h) override { return windows[h].pid; }
  std::wstring ProcessPath(std::uint32_t pid) override { return paths[pid]; }
  std::optional<platform::Rect> Bounds(WindowHandle h) override {
    if (!Exists(h)) return std::nullopt;
    return windows[h].bounds;
  }
  bool SetBounds(WindowHandle h, const platform::Rect& r) override {
    windows[h].bounds = r;
    boundsLog.push_back(r);
    return true;
  }
  void Show(WindowHandle, ShowCommand c) override { shows.push_back(c); }
  void SetCursorPos(platform::Point p) override { cursorMoves.push_back(p); }
  void ClickMouse(int times) override { clicks.push_back(times); }
  bool ClickControl(WindowHandle h) override {
    clickedControls.push_back(h);
    return true;
  }


  std::map<WindowHandle, FakeWindow> windows;
  std::vector<WindowHandle> order;
  std::map<std::uint32_t, std::wstring> paths;
  int walks = 0;
  std::vector<std::uint32_t> walkTimes;
  std::function<void(int)> onWalk;
  std::vector<platform::Rect> boundsLog;
  std::vector<ShowCommand> shows;
  std::vector<platform::Point> cursorMoves;
  std::vector<int> clicks;
  std::vector<WindowHandle> clickedControls;

 private:
  HeadlessPlatform& platform_;
};

FakeWindow Win(std::wstring text, std::wstring className = L"Static", bool visible = true,
               std::uint32_t pid = 100) {
  FakeWindow w;
  w.text = std::move(text);
  w.className = std::move(className);
  w.visible = visible;
  w.pid = pid;
  return w;
}

// Takes the alphas clsWindow gives the fake's windows, which are none of the platform's own.
struct AlphaPlatform final : HeadlessPlatform {
  bool SetLayeredAttributes(platform::NativeHandle, platform::Color, std::uint8_t alpha,
                            std::uint32_t) override {
    alphas.push_back(alpha);
    return true;
  }
  std::vector<std::uint8_t> alphas;
};

class ClsWindowTest : public ::testing::Test {
 protected:
  ClsWindowTest()
      : fakeOwner_(std::make_shared<FakeSystem>(platform_)),
        fake_(*fakeOwner_),
        window_(platform_, fakeOwner_) {}

  AlphaPlatform platform_;
  std::shared_ptr<FakeSystem> fakeOwner_;
  FakeSystem& fake_;
  clsWindow window_;
};

// ---- finders ------------------------------------------------------------------------------

TEST_F(ClsWindowTest, FinderWithoutWaitAndNoMatchBindsZeroAfterOneWalk) {
  fake_.AddTop(11, Win(L"Notepad"));
  window_.hwnd = 11;
  std::wstring list = L"stale";
  clsWindow& result = window_.GetWindowByTitleEx(L"Missing", 0, &list);
  EXPECT_EQ(fake_.walks, 1);
  EXPECT_EQ(result.hwnd, 0);
  EXPECT_EQ(window_.hwnd, 0);
  EXPECT_EQ(list, L"");
  EXPECT_NE(&result, &window_);
}

TEST_F(ClsWindowTest, FinderRetriesEvery300MsUntilTheWaitRunsOut) {
  const std::uint32_t start = platform_.TickCount();
  window_.GetWindowByTitle(L"Missing", 1);
  ASSERT_EQ(fake_.walks, 5);  // at 0, 300, 600, 900 and 1200 ms
  for (int i = 0; i < 5; ++i) EXPECT_EQ(fake_.walkTimes[i] - start, 300u * i);
  EXPECT_EQ(window_.hwnd, 0);
}

TEST_F(ClsWindowTest, FinderFindsAWindowThatAppearsWhileWaiting) {
  fake_.onWalk = [&](int walk) {
    if (walk == 3) fake_.AddTop(42, Win(L"Late window"));
  };
  clsWindow& result = window_.GetWindowByTitle(L"Late", 5);
  EXPECT_EQ(fake_.walks, 3);
  EXPECT_EQ(result.hwnd, 42);
  EXPECT_EQ(window_.hwnd, 42);
}

TEST_F(ClsWindowTest, VisibilityFilterKeepsHiddenVisibleOrAll) {
  fake_.AddTop(1, Win(L"Tool A", L"Static", true));
  fake_.AddTop(2, Win(L"Tool B", L"Static", false));
  fake_.AddTop(0, Win(L"Tool null"));  // a null handle never passes
  std::wstring list;
  window_.GetWindowByTitleEx(L"Tool", 0, &list, false, 0, 1);
  EXPECT_EQ(list, L"1");
  window_.GetWindowByTitleEx(L"Tool", 0, &list, false, 0, 0);
  EXPECT_EQ(list, L"2");
  window_.GetWindowByTitleEx(L"Tool", 0, &list, false, 0, 2);
  EXPECT_EQ(list, L"1 2");
  EXPECT_EQ(window_.hwnd, 1);
}

TEST_F(ClsWindowTest, EmptyTextMatchesOnlyAnEmptyTitleAndSubstringIsCaseSensitive) {
  fake_.AddTop(1, Win(L""));
  fake_.AddTop(2, Win(L"My Notepad"));
  std::wstring list;
  window_.GetWindowByTitleEx(L"", 0, &list);
  EXPECT_EQ(list, L"1 2");
  window_.GetWindowByTitleEx(L"Note", 0, &list);
  EXPECT_EQ(list, L"2");
  window_.GetWindowByTitleEx(L"note", 0, &list);
  EXPECT_EQ(list, L"");
}

TEST_F(ClsWindowTest, RegExpFinderReturnsEveryMatchInTheList) {
  fake_.AddTop(11, Win(L"Tarvik 1"));
  fake_.AddTop(12, Win(L"Tarvik x"));
  fake_.AddTop(13, Win(L"Tarvik 22"));
  std::wstring list;
  clsWindow& result = window_.GetWindowByTitleEx(L"^Tarvik \\d+$", 0, &list, true);
  EXPECT_EQ(list, L"11 13");
  EXPECT_EQ(result.hwnd, 11);
  // An invalid expression is the caller's error, not a window that is not there.
  EXPECT_THROW(window_.GetWindowByTitleEx(L"([", 0, &list, true), RegExpError);
}

TEST_F(ClsWindowTest, CheckPidAndClassFinderNarrowTheMatch) {
  fake_.AddTop(1, Win(L"Doc", L"EditorFrame", true, 7));
  fake_.AddTop(2, Win(L"Doc", L"EditorFrame", true, 8));
  std::wstring list;
  window_.GetWindowByTitleEx(L"Doc", 0, &list, false, 8);
  EXPECT_EQ(list, L"2");
  window_.GetWindowByClassNameEx(L"Frame", 0, &list);
  EXPECT_EQ(list, L"1 2");
  EXPECT_EQ(window_.GetWindowByClassName(L"frame").hwnd, 0);
}

TEST_F(ClsWindowTest, ProcessAndProgramFindersSkipOnlyWholeSkipEntries) {
  fake_.AddTop(1, Win(L"Default IME", L"IME", true, 5));
  fake_.AddTop(2, Win(L"M", L"X", true, 5));
  fake_.AddTop(3, Win(L"", L"X", true, 5));
  fake_.AddTop(4, Win(L"Program", L"X", true, 5));  // part of an entry only: still found
  fake_.AddTop(5, Win(L"Main", L"X", true, 6));
  fake_.paths[5] = L"C:\\Apps\\Tarvik.exe";
  fake_.paths[6] = L"C:\\Apps\\Other.exe";
  std::wstring list;
  window_.GetWindowByPID(5, 0, &list);
  EXPECT_EQ(list, L"4");
  window_.GetWindowByAppNameEx(L"Tarvik.exe", 0, &list);
  EXPECT_EQ(list, L"4");
  EXPECT_EQ(window_.GetWindowByAppName(L"Other").hwnd, 5);
  EXPECT_EQ(window_.AppName(), L"Other.exe");
}

TEST_F(ClsWindowTest, LoadAcceptsOnlyTheHandleOfAnExistingWindow) {
  fake_.AddTop(77, Win(L"Target"));
  window_.hwnd = 5;
  EXPECT_EQ(window_.Load(L"abc"), nullptr);
  EXPECT_EQ(window_.GetWindowByHwnd(L"999"), nullptr);
  EXPECT_EQ(window_.hwnd, 5);  // nothing bound
  ASSERT_EQ(platform_.MessageBoxes().size(), 2u);
  EXPECT_EQ(platform_.MessageBoxes()[0].text, L"类初始化错误！设置的句柄“abc”应当为一个数字。");
  EXPECT_EQ(platform_.MessageBoxes()[0].style, 48u);
  EXPECT_EQ(platform_.MessageBoxes()[1].text, L"类初始化错误！句柄“999”对应的窗口不存在！");

  clsWindow* loaded = window_.Load(L" 77 ");
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->hwnd, 77);
  EXPECT_EQ(window_.hwnd, 77);
  EXPECT_EQ(loaded->Caption(), L"Target");
  EXPECT_EQ(platform_.MessageBoxes().size(), 2u);
}

// ---- control list and lookup --------------------------------------------------------------

class ClsWindowControlsTest : public ClsWindowTest {
 protected:
  void SetUp() override {
    FakeWindow main = Win(L"Main", L"MainFrame");
    main.id = 0;
    fake_.AddTop(100, main);
    AddControl(100, 101, 1, L"Edit.Box", L"first\r\nsecond");
    AddControl(100, 102, 2, L"EditXBox", L"other");
    AddControl(100, 103, 3, L"C++View", L"OK");
    AddControl(103, 104, 4, L"CCView", L"Cancel");
    AddControl(100, 105, -5, L"Button", L"Press OK");
    window_.hwnd = 100;
  }
  void AddControl(WindowHandle parent, WindowHandle h, std::intptr_t id, std::wstring cls,
                  std::wstring text) {
    FakeWindow w = Win(std::move(text), std::move(cls));
    w.id = id;
    fake_.AddChild(parent, h, w);
  }
};

TEST_F(ClsWindowControlsTest, ControlListListsTheWindowThenItsDescendants) {
  const std::wstring list = window_.ControlsInfo(100);
  EXPECT_EQ(list,
            L"100\t0\tMainFrame\tMain\r\n"
            L"101\t1\tEdit.Box\tfirst second\r\n"
            L"102\t2\tEditXBox\tother\r\n"
            L"103\t3\tC++View\tOK\r\n"
            L"104\t4\tCCView\tCancel\r\n"
            L"105\t-5\tButton\tPress OK\r\n");
  EXPECT_EQ(window_.ControlList(), list);
  EXPECT_EQ(window_.ControlsInfo(0), L"");
  EXPECT_EQ(window_.ControlsInfo(12345), L"");
}

TEST_F(ClsWindowControlsTest, LiteralClassWithDotOrPlusMatchesOnlyThatClassInAnyCase) {
  EXPECT_EQ(window_.GetElementHwndByClassName(L"edit.box"), 101);
  EXPECT_EQ(window_.GetElementHwndByClassName(L"EDITXBOX"), 102);
  EXPECT_EQ(window_.GetElementHwndByClassName(L"c++view"), 103);
  EXPECT_EQ(window_.GetElementHwndByClassName(L"Edit"), 0);  // whole class names only
  EXPECT_EQ(window_.GetElementTextByClassName(L"Edit.Box"), L"first\r\nsecond");
}

TEST_F(ClsWindowControlsTest, IntIndexCountsFromOneAndBeyondTheMatchesGivesZero) {
  EXPECT_EQ(window_.GetElementHwndByClassName(L"Button", 1), 105);
  EXPECT_EQ(window_.GetElementHwndByClassName(L"Button", 2), 0);
  EXPECT_EQ(window_.GetElementHwndByClassName(L"Button", 0), 0);
  EXPECT_EQ(window_.GetElementHwndByClassName(L"^(Edit|C)", 2, true), 102);
  EXPECT_EQ(window_.GetElementHwndByClassName(L"^(edit|c)", 4, true), 104);
  EXPECT_EQ(window_.GetElementHwndByClassName(L"^(Edit|C)", 5, true), 0);
}

TEST_F(ClsWindowControlsTest, TextLookupUsesTheTextLineShape) {
  // The literal text pattern takes the text at the end of a line after any blank.
  EXPECT_EQ(window_.GetElementHwndByText(L"ok", 1), 103);
  EXPECT_EQ(window_.GetElementHwndByText(L"OK", 2), 105);
  EXPECT_EQ(window_.GetElementHwndByText(L"^cancel$", 1, true), 104);
  EXPECT_THROW(window_.GetElementHwndByText(L"(", 1, true), RegExpError);
  EXPECT_EQ(window_.GetElementTextByText(L"Cancel"), L"Cancel");
}

TEST_F(ClsWindowControlsTest, HugeControlTextsAreMatchedOrReportedNeverSkipped) {
  // The literal forms compare fields, so a text of millions of characters is no obstacle.
  fake_.windows[102].text = std::wstring(5'000'000, L'x') + L" tail";
  EXPECT_EQ(window_.GetElementHwndByClassName(L"edit.box"), 101);
  EXPECT_EQ(window_.GetElementHwndByText(L"TAIL"), 102);
  EXPECT_EQ(window_.GetElementHwndByText(L"Cancel"), 104);
  // A text the expression engine cannot take is an error, not "no such control".
  EXPECT_THROW(window_.GetElementHwndByText(L"tail$", 1, true), RegExpError);
  EXPECT_EQ(window_.GetElementHwndByClassName(L"^button$", 1, true), 105);
}

TEST_F(ClsWindowControlsTest, TextsReadAlikeAndHandleZeroMeansTheBoundWindow) {
  EXPECT_EQ(window_.GetCaptionByHwnd(0), L"Main");
  EXPECT_EQ(window_.GetTextByHwnd(0), L"Main");
  EXPECT_EQ(window_.GetWindowTextByHwnd(0), L"Main");
  EXPECT_EQ(window_.GetClassNameByHwnd(0), L"MainFrame");
  EXPECT_EQ(window_.GetTextByHwnd(101), L"first\r\nsecond");
  window_.hwnd = 101;  // a multi-line control: every form gives the whole text
  for (const std::wstring& text : {window_.Caption(), window_.Title(), window_.Text(),
                                   window_.Value(), window_.GetCaptionByHwnd(101)}) {
    EXPECT_EQ(text, L"first\r\nsecond");
  }
}

TEST_F(ClsWindowControlsTest, ElementWritesReachTheMatchedControl) {
  EXPECT_TRUE(window_.SetElementTextByClassName(L"EditXBox", L"new"));
  EXPECT_EQ(fake_.windows[102].text, L"new");
  EXPECT_TRUE(window_.AppendElementTextByClassName(L"EditXBox", L" tail"));
  EXPECT_EQ(fake_.windows[102].text, L"new tail");
  EXPECT_TRUE(window_.SetElementTextByText(L"Cancel", L"Stop"));
  EXPECT_EQ(fake_.windows[104].text, L"Stop");
  EXPECT_FALSE(window_.SetElementTextByClassName(L"Nothing", L"x"));
  EXPECT_TRUE(window_.ClickElementByClassName(L"button"));
  EXPECT_FALSE(window_.ClickElementByText(L"Nothing"));
  EXPECT_EQ(fake_.clickedControls, std::vector<WindowHandle>{105});
}

TEST_F(ClsWindowControlsTest, LineBreaksInsideATextCannotForgeALine) {
  fake_.windows[102].text = L"x\n999\t1\tButton\tEvil";
  fake_.windows[101].text = L"y\r999\t1\tButton\tEvil";
  EXPECT_EQ(window_.GetElementHwndByClassName(L"Button", 2), 0);
  EXPECT_EQ(window_.GetElementHwndByClassName(L"Button", 1, true), 105);
}

// ---- pure parts ---------------------------------------------------------------------------

TEST(WindowPatternsTest, LiteralNamesWithAnchorCharactersStillMatch) {
  const std::wstring list = ControlListLine(5, 1, L"Cls$1^", L"t");
  EXPECT_EQ(FindControlInList(list, L"cls$1^", 1, false, true).handle, 5);
}

TEST(WindowPatternsTest, ControlListLinesRoundTrip) {
  const std::wstring longClass(300, L'c');
  const std::wstring line = ControlListLine(-7, 12, longClass, L"a\r\nb\tc");
  EXPECT_EQ(line, L"-7\t12\t" + std::wstring(255, L'c') + L"\ta b\tc\r\n");
  const auto parsed = ParseControlList(line + L"junk line\r\n3\t4\tEdit\t\r\n");
  ASSERT_EQ(parsed.size(), 2u);
  EXPECT_EQ(parsed[0], (ControlLine{-7, 12, std::wstring(255, L'c'), L"a b\tc"}));
  EXPECT_EQ(parsed[1], (ControlLine{3, 4, L"Edit", L""}));
  const ControlMatch match = FindControlInList(line + L"3\t4\tEdit\t\r\n", L"edit", 1, false, true);
  EXPECT_EQ(match.handle, 3);
  EXPECT_EQ(match.matchCount, 1);
}

TEST(WindowPatternsTest, LongControlListsAreMatched) {
  std::wstring list;
  for (int i = 1; i <= 2000; ++i) list += ControlListLine(i, i, L"Edit", std::wstring(50, L'x'));
  const ControlMatch match = FindControlInList(list, L"EDIT", 1500, false, true);
  EXPECT_EQ(match.handle, 1500);
  EXPECT_EQ(match.matchCount, 2000);
}

TEST(WindowPatternsTest, OpacityForms) {
  struct Case {
    const wchar_t* text;
    std::optional<double> opacity;
  };
  const Case cases[] = {
      {L"0.4", 0.4},          {L".25", 0.25},        {L"40", 0.4},
      {L"40%", 0.4},          {L"12.5%", 0.125},     {L"100", 1.0},
      {L"250", 1.0},          {L"250%", 1.0},        {L"0", 0.0},
      {L" 50 ", 0.5},         {L"1.5", 0.015},       {L"", std::nullopt},
      {L"abc", std::nullopt}, {L"-5", std::nullopt}, {L"5.", std::nullopt},
      {L".5%", std::nullopt}, {L"%", std::nullopt},  {L"1.2.3", std::nullopt},
  };
  for (const Case& c : cases) {
    const auto value = ParseOpacity(c.text);
    ASSERT_EQ(value.has_value(), c.opacity.has_value()) << std::string(ToUtf8(c.text));
    if (value) {
      EXPECT_NEAR(*value, *c.opacity, 1e-9) << std::string(ToUtf8(c.text));
    }
  }
  EXPECT_EQ(OpacityToAlpha(0), 0);
  EXPECT_EQ(OpacityToAlpha(0.5), 128);
  EXPECT_EQ(OpacityToAlpha(1), 255);
  EXPECT_EQ(OpacityToAlpha(3), 255);
  EXPECT_EQ(OpacityToAlpha(-1), 0);
}

TEST(WindowPatternsTest, FadeAndShakeSequences) {
  EXPECT_EQ(FadeSteps(0, 255, 100), (std::vector<std::uint8_t>{0, 100, 200, 255}));
  EXPECT_EQ(FadeSteps(255, 0, 100), (std::vector<std::uint8_t>{255, 155, 55, 0}));
  EXPECT_EQ(FadeSteps(0, 3, 0), (std::vector<std::uint8_t>{0, 1, 2, 3}));
  EXPECT_EQ(ShakeOffsets(5, 3, 2), (std::vector<int>{5, -5, 3, -3, 1, -1, 0}));
  EXPECT_EQ(ShakeOffsets(4, 2, 0), (std::vector<int>{4, -4, 4, -4, 0}));
  EXPECT_TRUE(ShakeOffsets(0, 3, 1).empty());
}

TEST(WindowPatternsTest, LogLineTexts) {
  const std::wstring when = FormatLogDateTime(2024, 3, 7, 9, 5, 2);
  EXPECT_EQ(when, L"2024-03-07 09:05:02");
  EXPECT_EQ(DebugLogLine(when, LogKind::Function, L"Move", LogPhase::Called,
                         {{L"x", L"1"}, {L"y", L"2"}, {L"nWidth", L""}, {L"nHeight", L"4"}}),
            L"2024-03-07 09:05:02 函数 Move 被调用。参数为 x=1\t y=2\t nWidth=\t nHeight=4");
  EXPECT_EQ(
      DebugLogLine(when, LogKind::Function, L"Shake", LogPhase::Finished, {{L"shakeShift", L"10"}}),
      L"2024-03-07 09:05:02 函数 Shake 执行完毕。参数为 shakeShift=10");
  EXPECT_EQ(DebugLogLine(when, LogKind::Procedure, L"ControlsInfo", LogPhase::Finished,
                         {{L"lngMainHwnd", L"5"}}),
            L"2024-03-07 09:05:02 过程 ControlsInfo 执行完毕。参数为 lngMainHwnd=5");
  EXPECT_EQ(DebugLogLine(when, LogKind::Function, L"Hide", LogPhase::Called, {}),
            L"2024-03-07 09:05:02 函数 Hide 被调用。");
  EXPECT_EQ(MatchCountLogLine(when, 3),
            L"2024-03-07 09:05:02 >> 函数 getMatchHwndFromWindow 执行完毕。匹配数量为=3");
  EXPECT_EQ(UnknownClickModeText(L"SetCursor"),
            L"函数SetCursor执行一次。未能识别点击模式，要么是relative(相对位置)要么是absolute("
            L"绝对位置)，默认是相对位置。");
}

TEST(WindowPatternsTest, HandleTextAndPositionMode) {
  EXPECT_EQ(ParseHandleText(L" 123 "), 123);
  EXPECT_EQ(ParseHandleText(L"-8"), -8);
  EXPECT_EQ(ParseHandleText(L"12a"), std::nullopt);
  EXPECT_EQ(ParseHandleText(L""), std::nullopt);
  EXPECT_EQ(ParseHandleText(L"99999999999999999999999"), std::nullopt);
  EXPECT_EQ(ParsePositionMode(L"Absolute"), PositionMode::Absolute);
  EXPECT_EQ(ParsePositionMode(L"relative"), PositionMode::Relative);
  EXPECT_EQ(ParsePositionMode(L"screen"), std::nullopt);
  EXPECT_EQ(FileNameOfPath(L"C:\\a\\b.exe"), L"b.exe");
  EXPECT_EQ(FileNameOfPath(L"b.exe"), L"b.exe");
}

// ---- members over the fake ----------------------------------------------------------------

TEST_F(ClsWindowTest, MoveKeepsEveryMissingValueAndCentreUsesTheWorkArea) {
  fake_.AddTop(1, Win(L"W"));
  window_.hwnd = 1;
  window_.Move(50, std::nullopt, 400);
  EXPECT_EQ(fake_.windows[1].bounds, (platform::Rect{50, 20, 400, 200}));
  window_.Height(90);
  EXPECT_EQ(window_.Height(), 90);
  window_.MoveToCenter();  // work area 0,0,1280,800
  EXPECT_EQ(fake_.windows[1].bounds, (platform::Rect{440, 355, 400, 90}));
}

TEST_F(ClsWindowTest, ClickPointResolvesModesAndUnknownModeIsRelative) {
  fake_.AddTop(1, Win(L"W"));  // at 10,20
  window_.hwnd = 1;
  window_.ClickPoint(5, 6, L"absolute", 2);
  window_.ClickPoint(5, 6, L"relative");
  window_.ClickPoint(5, 6, L"sideways");
  EXPECT_EQ(fake_.cursorMoves, (std::vector<platform::Point>{{5, 6}, {15, 26}, {15, 26}}));
  EXPECT_EQ(fake_.clicks, (std::vector<int>{2, 1, 1}));
  platform_.SetCursor({30, 50});
  EXPECT_EQ(window_.GetCursorPoint(), (platform::Point{20, 30}));
}

TEST_F(ClsWindowTest, EffectsDriveAlphaAndPosition) {
  fake_.AddTop(1, Win(L"W"));
  window_.hwnd = 1;
  EXPECT_TRUE(window_.Transparent(L"50%"));
  EXPECT_TRUE(window_.SetTransparent(L".2"));
  EXPECT_FALSE(window_.MakeTransparent(L"half"));
  EXPECT_EQ(platform_.alphas, (std::vector<std::uint8_t>{128, 51}));

  platform_.alphas.clear();
  window_.FadeOut(128);
  EXPECT_EQ(platform_.alphas, (std::vector<std::uint8_t>{255, 127, 0, 255}));
  EXPECT_EQ(fake_.shows, std::vector<ShowCommand>{ShowCommand::Hide});

  window_.Shake(3, 1, 0, 10);
  EXPECT_EQ(fake_.boundsLog, (std::vector<platform::Rect>{
                                 {13, 20, 300, 200}, {7, 20, 300, 200}, {10, 20, 300, 200}}));
}

TEST(ClsWindowHeadlessTest, IsTopMostFollowsThePlatform) {
  HeadlessPlatform platform;
  clsWindow window(platform);  // the backend's own system
  window.hwnd = 0x1234;
  EXPECT_FALSE(window.IsTopMost());
  platform.SetTopMost(0x1234, true);
  EXPECT_TRUE(window.IsTopMost());
  EXPECT_TRUE(window.IsTopMost(0x1234));
  EXPECT_FALSE(window.IsTopMost(0x999));
  window.SetTop(false);
  EXPECT_FALSE(platform.IsTopMost(0x1234));
  window.SetPosFront();
  EXPECT_TRUE(window.IsTopMost());
  window.hwnd = 0;
  EXPECT_FALSE(window.IsTopMost());
  EXPECT_EQ(clsWindow::Version(), L"V2.2");
  // Nothing to find on the headless desktop.
  EXPECT_EQ(window.GetWindowByTitle(L"").hwnd, 0);
}

// ---- files --------------------------------------------------------------------------------

class ClsWindowFilesTest : public ClsWindowControlsTest {
 protected:
  void SetUp() override {
    ClsWindowControlsTest::SetUp();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() / ("tarvik_cls_window_" + std::string(info->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    oldDir_ = fs::current_path();
    fs::current_path(dir_);  // the log files go to the current folder
  }
  void TearDown() override {
    fs::current_path(oldDir_);
    fs::remove_all(dir_);
  }
  std::wstring Read(const char* name) {
    const auto bytes = ReadFileBytes(FromFsPath(dir_ / name));
    return bytes ? FromUtf8(*bytes) : L"<missing>";
  }

  fs::path dir_;
  fs::path oldDir_;
};

TEST_F(ClsWindowFilesTest, WriteToFileCoversOrAppendsWithCrLf) {
  EXPECT_TRUE(clsWindow::writeToFile(L"log.txt", L"一", true));
  EXPECT_TRUE(clsWindow::writeToFile(L"log.txt", L"two", false));
  EXPECT_EQ(Read("log.txt"), L"一\r\ntwo\r\n");
  EXPECT_TRUE(clsWindow::writeToFile(L"log.txt", L"three", true));
  EXPECT_EQ(Read("log.txt"), L"three\r\n");
  EXPECT_FALSE(clsWindow::writeToFile(L"no_such_folder\\x.txt", L"x", false));
}

TEST_F(ClsWindowFilesTest, DebugModeLogsCallsAndDumpsTheControlList) {
  window_.GetElementHwndByClassName(L"Button");
  EXPECT_EQ(Read("DEBUG.txt"), L"<missing>");  // silent unless asked

  window_.DebugMe = true;
  window_.GetElementHwndByClassName(L"Button");
  window_.IsTopMost();
  window_.ClickPoint(1, 1, L"odd");
  EXPECT_EQ(Read("controls.txt"), window_.ControlList());

  const std::wstring log = Read("DEBUG.txt");
  std::vector<std::wstring> lines;
  for (std::size_t start = 0, end; (end = log.find(L"\r\n", start)) != std::wstring::npos;
       start = end + 2) {
    lines.push_back(log.substr(start, end - start));
  }
  ASSERT_EQ(lines.size(), 6u);
  const auto afterTime = [](const std::wstring& line) { return line.substr(19); };
  EXPECT_EQ(afterTime(lines[0]),
            L" 函数 GetElementHwndByClassName 被调用。参数为 strClassName=Button\t intIndex=1\t "
            L"UseRegExp=False");
  EXPECT_EQ(afterTime(lines[1]),
            L" 过程 ControlsInfo 执行完毕。参数为 lngMainHwnd=100\t isDebug=True");
  EXPECT_EQ(afterTime(lines[2]), L" >> 函数 getMatchHwndFromWindow 执行完毕。匹配数量为=1");
  EXPECT_EQ(afterTime(lines[3]), L" 函数 IsTopMost 执行完毕。参数为 hWnd=0");
  EXPECT_EQ(afterTime(lines[5]), UnknownClickModeText(L"ClickPoint"));
  EXPECT_EQ(lines[0].size() > 19 && lines[0][4] == L'-' && lines[0][13] == L':', true);
}

}  // namespace
}  // namespace tarvik::util
