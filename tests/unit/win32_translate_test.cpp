// The Win32 backend's pure helpers and its handle owner, tested natively: the parts of
// the backend whose mistakes would show only as wrong dialogs, fonts or leaked handles.

#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <vector>

#include "platform/win32/translate.h"
#include "platform/win32/unique_handle.h"

namespace tarvik::platform::win32 {
namespace {

// ---- UniqueHandle ---------------------------------------------------------------------

std::vector<int>& Closed() {
  static std::vector<int> closed;
  return closed;
}

struct FakeTraits {
  using Type = int;
  static constexpr int Invalid() noexcept { return -1; }
  static void Close(int value) noexcept { Closed().push_back(value); }
};
using FakeHandle = UniqueHandle<FakeTraits>;

static_assert(!std::is_copy_constructible_v<FakeHandle>);
static_assert(!std::is_copy_assignable_v<FakeHandle>);
static_assert(std::is_nothrow_move_constructible_v<FakeHandle>);

class UniqueHandleTest : public ::testing::Test {
 protected:
  void SetUp() override { Closed().clear(); }
};

TEST_F(UniqueHandleTest, ClosesExactlyOnceAcrossMovesResetsAndRelease) {
  {
    FakeHandle a(7);
    FakeHandle b(std::move(a));
    EXPECT_FALSE(a);
    EXPECT_EQ(b.get(), 7);
    FakeHandle c(9);
    c = std::move(b);  // 9 closes now, 7 moves over
    EXPECT_EQ(Closed(), (std::vector<int>{9}));
    c = std::move(c);  // self-move keeps the handle
    EXPECT_EQ(c.get(), 7);
  }
  EXPECT_EQ(Closed(), (std::vector<int>{9, 7}));

  Closed().clear();
  FakeHandle d(3);
  d.reset(3);  // the same value again must not close the live handle
  EXPECT_TRUE(Closed().empty());
  d.reset(4);
  EXPECT_EQ(Closed(), (std::vector<int>{3}));
  EXPECT_EQ(d.release(), 4);  // the OS destroyed it: forget without closing
  EXPECT_FALSE(d);
  d.reset();
  EXPECT_EQ(Closed(), (std::vector<int>{3}));
}

TEST_F(UniqueHandleTest, PutClosesTheOldHandleBeforeTheApiFillsIn) {
  FakeHandle h(5);
  *h.put() = 6;
  EXPECT_EQ(Closed(), (std::vector<int>{5}));
  EXPECT_EQ(h.get(), 6);
}

// ---- Mouse and keyboard ---------------------------------------------------------------

TEST(Win32Translate, MouseKeysAndShiftBecomeTheProgramsBitSets) {
  EXPECT_EQ(ButtonsFromMouseKeys(0), 0);
  EXPECT_EQ(ButtonsFromMouseKeys(0x0001), kButtonLeft);
  EXPECT_EQ(ButtonsFromMouseKeys(0x0002), kButtonRight);
  EXPECT_EQ(ButtonsFromMouseKeys(0x0010), kButtonMiddle);
  // MK_SHIFT (4) and MK_CONTROL (8) ride in the same word and are not buttons.
  EXPECT_EQ(ButtonsFromMouseKeys(0x0001 | 0x0004 | 0x0008 | 0x0010), kButtonLeft | kButtonMiddle);
  EXPECT_EQ(ShiftState(false, true, false), kCtrlKey);
  EXPECT_EQ(ShiftState(true, true, true), 7);
}

// ---- Fonts, screen, cursors -----------------------------------------------------------

TEST(Win32Translate, FontHeightKeepsFractionalPoints) {
  EXPECT_EQ(FontHeightFromPoints(9.0, 96), -12);
  EXPECT_EQ(FontHeightFromPoints(10.5, 96), -14);
  EXPECT_EQ(FontHeightFromPoints(10.0, 96), -13);
  EXPECT_EQ(FontHeightFromPoints(11.0, 96), -15);
  EXPECT_EQ(FontHeightFromPoints(9.0, 120), -15);
  EXPECT_EQ(FontHeightFromPoints(0.0, 96), -1);  // never 0, which would mean "any size"
}

TEST(Win32Translate, TwipsPerPixelSurvivesABrokenDpi) {
  EXPECT_EQ(TwipsPerPixel(96), 15);
  EXPECT_EQ(TwipsPerPixel(120), 12);
  EXPECT_EQ(TwipsPerPixel(0), 15);
}

TEST(Win32Translate, CursorShapesMapToSizingArrows) {
  EXPECT_EQ(CursorIdForShape(0), kIdcArrow);
  EXPECT_EQ(CursorIdForShape(6), kIdcSizeNesw);
  EXPECT_EQ(CursorIdForShape(7), kIdcSizeNs);
  EXPECT_EQ(CursorIdForShape(8), kIdcSizeNwse);
  EXPECT_EQ(CursorIdForShape(9), kIdcSizeWe);
  EXPECT_EQ(CursorIdForShape(42), kIdcArrow);
}

TEST(Win32Translate, SystemColoursAreToldApartFromPlainOnes) {
  EXPECT_TRUE(IsSystemColor(kSysWindowBack));
  EXPECT_EQ(SystemColorIndex(kSysWindowBack), 5);
  EXPECT_EQ(SystemColorIndex(kSysButtonFace), 15);
  EXPECT_FALSE(IsSystemColor(Rgb(244, 244, 244)));
  EXPECT_EQ(PlainColorRef(Rgb(1, 2, 3)), 0x030201u);
}

// ---- Controls -------------------------------------------------------------------------

TEST(Win32Translate, LineBoxIsOnePixelThickAndIgnoresDirection) {
  EXPECT_EQ(LineBox({40, 24}, {64, 24}), (Rect{40, 24, 25, 1}));
  EXPECT_EQ(LineBox({64, 24}, {40, 24}), (Rect{40, 24, 25, 1}));
  EXPECT_EQ(LineBox({5, 30}, {5, 10}), (Rect{5, 10, 1, 21}));
  EXPECT_EQ(LineBox({3, 3}, {3, 3}), (Rect{3, 3, 1, 1}));
  EXPECT_EQ(LineBox({40, 24}, {64, 24}, 2), (Rect{40, 24, 25, 2}));  // thicker at 200 %
  EXPECT_EQ(LineBox({5, 30}, {5, 10}, 2), (Rect{5, 10, 2, 21}));
}

TEST(Win32Translate, EditStyleFollowsTheDesignSettings) {
  const EditStyle single = EditStyleFor(false, 2, 2);
  EXPECT_FALSE(single.multiLine);
  EXPECT_TRUE(single.autoHScroll);
  EXPECT_FALSE(single.vScrollBar);  // a single line has no scroll bars, whatever is asked
  EXPECT_EQ(single.alignment, 2);

  const EditStyle note = EditStyleFor(true, 2, 0);
  EXPECT_TRUE(note.multiLine);
  EXPECT_TRUE(note.vScrollBar);
  EXPECT_FALSE(note.hScrollBar);
  EXPECT_FALSE(note.autoHScroll);  // wraps lines
  EXPECT_TRUE(note.autoVScroll);

  const EditStyle both = EditStyleFor(true, 3, 1);
  EXPECT_TRUE(both.hScrollBar && both.vScrollBar && both.autoHScroll);
  EXPECT_EQ(both.alignment, 1);
  EXPECT_EQ(EditStyleFor(true, 0, 7).alignment, 0);
}

TEST(Win32Translate, WindowPosProposesTheCurrentPartsItLeavesAlone) {
  const Rect current{100, 80, 320, 420};
  const struct {
    unsigned flags;
    Rect proposed;
  } cases[] = {
      {0, {5, 6, 300, 400}},
      {kSwpNoSize, {5, 6, 320, 420}},  // a pure move is never a resize
      {kSwpNoMove, {100, 80, 300, 400}},
      {kSwpNoSize | kSwpNoMove | 0x0004, {100, 80, 320, 420}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ProposedWindowRect(5, 6, 300, 400, c.flags, current), c.proposed) << c.flags;
  }
}

TEST(Win32Translate, NormalRectangleFromWorkspaceToScreen) {
  const Rect normal{10, 20, 300, 400};
  const struct {
    Monitor monitor;
    bool toolWindow;
    Rect screen;
  } cases[] = {
      {{{0, 0, 1280, 800}, {0, 0, 1280, 760}}, false, {10, 20, 300, 400}},
      {{{0, 0, 1280, 800}, {60, 0, 1220, 800}}, false, {70, 20, 300, 400}},  // bar at the left
      {{{0, 0, 1280, 800}, {0, 40, 1280, 760}}, false, {10, 60, 300, 400}},  // bar at the top
      {{{0, 0, 1280, 800}, {0, 40, 1280, 760}}, true, {10, 20, 300, 400}},   // screen already
      // A second monitor: the offset is from its own corner, not the screen's.
      {{{1280, 0, 1920, 1080}, {1330, 0, 1870, 1080}}, false, {60, 20, 300, 400}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WorkspaceToScreen(normal, c.monitor, c.toolWindow), c.screen);
  }
}

// ---- Dialogs and paths ----------------------------------------------------------------

TEST(Win32Translate, FilterBecomesNulSeparatedDoubleTerminated) {
  const std::wstring filter = L"Tarvik导出文件(*.tvk)|*.tvk|纯文本格式文件(*.txt)|*.txt";
  using namespace std::string_literals;
  const std::wstring expected = L"Tarvik导出文件(*.tvk)\0*.tvk\0纯文本格式文件(*.txt)\0*.txt\0\0"s;
  EXPECT_EQ(FilterToNulSeparated(filter), expected);
  EXPECT_EQ(FilterToNulSeparated(L"All|*.*|"), L"All\0*.*\0\0"s);
  EXPECT_TRUE(FilterToNulSeparated(L"").empty());
}

TEST(Win32Translate, FileTitleUsesTheOffsetAndSurvivesABadOne) {
  const std::wstring path = L"C:\\笔记\\导出.tvk";
  EXPECT_EQ(FileTitleFromOffset(path, 6), L"导出.tvk");
  EXPECT_EQ(FileTitleFromOffset(path, 0), L"导出.tvk");
  EXPECT_EQ(FileTitleFromOffset(path, 999), L"导出.tvk");
  EXPECT_EQ(FileTitleFromOffset(L"plain.txt", 0), L"plain.txt");
}

TEST(Win32Translate, ModulePathSplitsIntoFolderAndName) {
  const ModulePathParts parts = SplitModulePath(L"C:\\Program Files\\Tarvik\\Tarvik.exe");
  EXPECT_EQ(parts.folder, L"C:\\Program Files\\Tarvik");
  EXPECT_EQ(parts.name, L"Tarvik");
  const ModulePathParts dotted = SplitModulePath(L"D:\\a.b\\my.notes.exe");
  EXPECT_EQ(dotted.folder, L"D:\\a.b");
  EXPECT_EQ(dotted.name, L"my.notes");
}

TEST(Win32Translate, ReadGrowingRetriesUntilTheTextFits) {
  const std::wstring longPath(700, L'x');
  int calls = 0;
  // Mimics GetModuleFileNameW: a truncated copy that fills the buffer completely.
  auto read = [&](wchar_t* buffer, std::size_t capacity) -> std::size_t {
    ++calls;
    const std::size_t n = std::min(capacity, longPath.size());
    longPath.copy(buffer, n);
    return n;
  };
  EXPECT_EQ(ReadGrowing(read, 260), longPath);
  EXPECT_EQ(calls, 3);  // 260, 520, 1040

  EXPECT_TRUE(ReadGrowing([](wchar_t*, std::size_t) -> std::size_t { return 0; }).empty());
  // Never fits: gives up at the limit instead of growing forever.
  EXPECT_TRUE(ReadGrowing([](wchar_t*, std::size_t c) { return c; }, 16, 64).empty());
}

}  // namespace
}  // namespace tarvik::platform::win32
