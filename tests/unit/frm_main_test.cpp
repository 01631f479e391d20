// The main window on the headless backend: start-up, the note list, the editor, the search,
// the layout pass and closing.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>

#include "program_folder_fixture.h"
#include "app/tarvik_app.h"
#include "platform/headless/headless_platform.h"
#include "util/text_codec.h"

namespace tarvik::app {
namespace {

namespace fs = std::filesystem;
using platform::headless::HeadlessControl;
using platform::headless::HeadlessPlatform;

class MainWindowTest : public testing_support::ProgramFolderTest {
 protected:
  void WriteNote(const std::string& name, const std::string& bytes) {
    std::ofstream(folder_ / "Notes" / name, std::ios::binary) << bytes;
  }

  std::map<std::string, std::string> NotesOnDisk() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder_ / "Notes")) {
      std::ifstream in(entry.path(), std::ios::binary);
      files[entry.path().filename().string()] =
          std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return files;
  }

  // Started, then on the note list through the menu bar's list button.
  frmMain& StartOnList() {
    frmMain& w = Start();
    ClickMenu(w, 4);
    return w;
  }
};

std::vector<std::wstring> Items(const widgets::ListBoxW& list) {
  return list.Items();
}

TEST_F(MainWindowTest, StartLoadsNotesInNumberOrderBeforeTheFreshNote) {
  for (int i = 12; i >= 1; --i) {
    WriteNote("Note_" + std::to_string(i) + ".tvk",
              "t" + std::to_string(i) + "\r\nline one\r\nline two " + std::to_string(i));
  }
  WriteNote("readme.txt", "not a note");
  frmMain& w = Start();

  // The twelve notes, then the fresh one every start opens.
  ASSERT_EQ(Lists(w).List1.ListCount(), 13);
  ASSERT_EQ(Lists(w).List2.ListCount(), 13);
  ASSERT_EQ(Book(w).NoteArray().size(), 13u);
  EXPECT_EQ(Lists(w).List1.List(12), L"[无标题]");
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(Lists(w).List1.List(i), L"t" + std::to_wstring(i + 1));
    EXPECT_EQ(Lists(w).List2.List(i), L"line one\r\nline two " + std::to_wstring(i + 1));
    EXPECT_EQ(Book(w).NoteArray()[static_cast<std::size_t>(i)].title, Lists(w).List1.List(i));
  }
  EXPECT_EQ(Lists(w).List1.ListIndex(), 12);
  // The note list mirrors the widget; the hidden lists are string arrays with no native
  // list box behind them.
  EXPECT_EQ(Native(Lists(w).List1).Items(), Items(Lists(w).List1));
  EXPECT_FALSE(Native(Lists(w).List1).ShownOnScreen());
  EXPECT_EQ(Lists(w).List2.hWnd(), 0u);
  EXPECT_EQ(Lists(w).List4.hWnd(), 0u);
  int nativeLists = 0;
  for (const HeadlessControl* c : platform_.Controls()) {
    nativeLists += c->Kind() == platform::ControlKind::ListBox ? 1 : 0;
  }
  EXPECT_EQ(nativeLists, 2);  // List1 and List3
  EXPECT_TRUE(Native(Editor(w).picMain).ShownOnScreen());
  EXPECT_FALSE(Native(Lists(w).picSearch).Visible());
  EXPECT_EQ(w.Me().Caption(), L"Tarvik");
}

TEST_F(MainWindowTest, StartWithoutNotesFolderCreatesIt) {
  fs::remove_all(folder_ / "Notes");
  frmMain& w = Start();
  EXPECT_EQ(Lists(w).List1.Items(), std::vector<std::wstring>{L"[无标题]"});
  EXPECT_TRUE(fs::is_directory(folder_ / "Notes"));
}

// What the system was given for the boxes and lists, the look and texts a user meets.
TEST_F(MainWindowTest, TheBoxesAndListsReachTheSystemAsDesigned) {
  frmMain& w = Start();
  const platform::ControlSettings& title = Native(Editor(w).txtTitle).Settings();
  EXPECT_EQ(title.alignment, 2);
  EXPECT_EQ(title.toolTip, L"在此输入标题。");
  EXPECT_EQ(Native(Lists(w).txtSearch).Settings().toolTip, L"在此输入查找字符串。");
  EXPECT_TRUE(Native(Editor(w).txtNote).Settings().multiLine);
  EXPECT_EQ(Native(Editor(w).txtNote).Settings().scrollBars, 2);
  EXPECT_EQ(Native(Editor(w).txtNote).BackColor(), platform::Rgb(248, 248, 248));
  for (const widgets::Widget* box : std::initializer_list<const widgets::Widget*>{
           &Lists(w).txtSearch, &Editor(w).txtTitle, &Editor(w).txtNote, &Lists(w).List1,
           &Lists(w).List3}) {
    EXPECT_EQ(Native(*box).Font().face, L"微软雅黑");
    EXPECT_EQ(Native(*box).Font().sizePt, 9.0);
    EXPECT_EQ(Native(*box).Font().charset, 134);
    EXPECT_EQ(Native(*box).BorderStyle(), 0);
  }
  const wchar_t* tips[] = {L"新建笔记", L"删除笔记", L"清空笔记",
                           L"导出笔记", L"导入笔记", L"查找笔记"};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(Native(Lists(w).picListButton(i)).Settings().toolTip, tips[i]);
  }
}

TEST_F(MainWindowTest, DoubleClickOpensTheSelectedNote) {
  WriteNote("Note_1.tvk", "first\r\nalpha");
  WriteNote("Note_2.tvk", "[无标题]\r\nbeta\r\nmore");
  frmMain& w = StartOnList();

  // Nothing selected: nothing opens.
  SelectNote(w, -1);
  Native(Lists(w).List1).DblClick();
  EXPECT_TRUE(Lists(w).picList.Visible());
  EXPECT_EQ(Editor(w).txtNote.Text(), L"");

  Native(Lists(w).List1).SelectItem(0);
  Native(Lists(w).List1).DblClick();
  EXPECT_EQ(Editor(w).txtTitle.Text(), L"first");
  EXPECT_EQ(Editor(w).txtNote.Text(), L"alpha");
  EXPECT_FALSE(Lists(w).picList.Visible());
  EXPECT_TRUE(Editor(w).picMain.Visible());
  EXPECT_FALSE(Lists(w).picSearch.Visible());
  EXPECT_TRUE(Editor(w).txtNote.HasFocus());
  EXPECT_EQ(Native(Editor(w).txtNote).Text(), L"alpha");

  // An untitled note opens with an empty title box; the focus is in the note text, so the
  // placeholder shows once the title box has had and lost the focus.
  ClickMenu(w, 4);
  Native(Lists(w).List1).SelectItem(1);
  Native(Lists(w).List1).DblClick();
  EXPECT_EQ(Editor(w).txtTitle.Text(), L"");
  EXPECT_EQ(Editor(w).txtNote.Text(), L"beta\r\nmore");
  // Opening writes nothing back into the store.
  EXPECT_EQ(Book(w).NoteArray()[1].title, L"[无标题]");
}

TEST_F(MainWindowTest, OpeningWhileTheWindowIsHiddenMovesNoFocus) {
  WriteNote("Note_1.tvk", "a\r\nb");
  frmMain& w = Start();
  w.Me().Hide();
  SelectNote(w, 0);
  DblClickList1(w);
  EXPECT_TRUE(Editor(w).picMain.Visible());
  EXPECT_EQ(platform_.Focused(), nullptr);
}

TEST_F(MainWindowTest, TitlePlaceholderFollowsTheFocus) {
  frmMain& w = Start();
  SetTitleText(w, L"[无标题]");
  Native(Editor(w).txtTitle).Focus();
  EXPECT_EQ(Editor(w).txtTitle.Text(), L"");
  Native(Editor(w).txtNote).Focus();
  EXPECT_EQ(Editor(w).txtTitle.Text(), L"[无标题]");

  // A title of spaces only reverts; a real title is left alone by both events.
  Native(Editor(w).txtTitle).Type(L"   ");
  Native(Editor(w).txtNote).Focus();
  EXPECT_EQ(Editor(w).txtTitle.Text(), L"[无标题]");
  Native(Editor(w).txtTitle).Type(L" real ");
  Native(Editor(w).txtNote).Focus();
  Native(Editor(w).txtTitle).Focus();
  EXPECT_EQ(Editor(w).txtTitle.Text(), L" real ");
}

TEST_F(MainWindowTest, SearchListsMatchingTitlesInListOrder) {
  WriteNote("Note_1.tvk", "abc\r\nx");
  WriteNote("Note_2.tvk", "[无标题]\r\nAbc in text");
  WriteNote("Note_3.tvk", "xbx\r\ny");
  WriteNote("Note_4.tvk", "[无标题]\r\nz");
  frmMain& w = StartOnList();

  ClickListButton(w, 5);  // search mode
  EXPECT_TRUE(Lists(w).picSearch.Visible());
  EXPECT_TRUE(Lists(w).List3.Visible());
  EXPECT_FALSE(Lists(w).List1.Visible());
  EXPECT_TRUE(Lists(w).txtSearch.HasFocus());

  Native(Lists(w).txtSearch).Type(L"A");  // case-sensitive, titles only
  EXPECT_EQ(Lists(w).List3.ListCount(), 0);
  Native(Lists(w).txtSearch).Type(L"b");
  EXPECT_EQ(Items(Lists(w).List3), (std::vector<std::wstring>{L"abc", L"xbx"}));
  EXPECT_EQ(Items(Lists(w).List4), (std::vector<std::wstring>{L"0", L"2"}));
  Native(Lists(w).txtSearch).Type(L"无");
  EXPECT_EQ(Items(Lists(w).List4), (std::vector<std::wstring>{L"1", L"3", L"4"}));
  EXPECT_EQ(Lists(w).List3.ListCount(), Lists(w).List4.ListCount());
  Native(Lists(w).txtSearch).Type(L"");
  EXPECT_EQ(Lists(w).List3.ListCount(), 0);
  EXPECT_EQ(Lists(w).List4.ListCount(), 0);
  EXPECT_EQ(Native(Lists(w).List3).Items().size(), 0u);

  // The Find button again brings the note list back.
  ClickListButton(w, 5);
  EXPECT_FALSE(Lists(w).picSearch.Visible());
  EXPECT_TRUE(Lists(w).List1.Visible());
  EXPECT_FALSE(Lists(w).List3.Visible());
}

TEST_F(MainWindowTest, SearchMatchesTitlesExactlyAsListed) {
  const std::vector<std::string> titles = {"Apple pie", "apple", "[无标题]",  "无题",
                                           "pineapple", "",      "苹果 Apple"};
  for (std::size_t i = 0; i < titles.size(); ++i) {
    WriteNote("Note_" + std::to_string(i + 1) + ".tvk", titles[i] + "\r\ntext " + titles[i]);
  }
  frmMain& w = Start();
  ClickListButton(w, 5);
  const struct {
    const wchar_t* needle;
    std::vector<std::wstring> positions;
  } cases[] = {
      {L"", {}},                 // an empty box lists nothing
      {L"apple", {L"1", L"4"}},  // case-sensitive
      {L"Apple", {L"0", L"6"}},  //
      // An untitled note matches through "[无标题]"; the start's fresh note is one (7).
      {L"无", {L"2", L"3", L"7"}},
      {L"[", {L"2", L"7"}},
      {L"text", {}},        // texts are not searched
      {L"Apple pie!", {}},  // longer than any title
      {L"e", {L"0", L"1", L"4", L"6"}},
      {L"", {}},  // emptied again: the results go
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "needle #" << (&c - cases));
    Native(Lists(w).txtSearch).Type(c.needle);
    EXPECT_EQ(Items(Lists(w).List4), c.positions);
    ASSERT_EQ(Lists(w).List3.ListCount(), Lists(w).List4.ListCount());
    for (int k = 0; k < Lists(w).List3.ListCount(); ++k) {
      EXPECT_EQ(Lists(w).List3.List(k), Lists(w).List1.List(std::stoi(Lists(w).List4.List(k))));
    }
    EXPECT_EQ(Native(Lists(w).List3).Items(), Items(Lists(w).List3));
    EXPECT_EQ(Lists(w).List3.ListIndex(), -1);
  }
}

TEST_F(MainWindowTest, SearchResultOpensItsNote) {
  WriteNote("Note_1.tvk", "apple\r\none");
  WriteNote("Note_2.tvk", "banana\r\ntwo");
  WriteNote("Note_3.tvk", "grape\r\nthree");
  frmMain& w = StartOnList();
  ClickListButton(w, 5);
  Native(Lists(w).txtSearch).Type(L"ap");  // apple, grape

  Native(Lists(w).List3).DblClick();  // nothing selected yet
  EXPECT_TRUE(Lists(w).picList.Visible());

  Native(Lists(w).List3).SelectItem(1);
  Native(Lists(w).List3).DblClick();
  EXPECT_EQ(Lists(w).List1.ListIndex(), 2);
  EXPECT_EQ(Editor(w).txtTitle.Text(), L"grape");
  EXPECT_EQ(Editor(w).txtNote.Text(), L"three");
  EXPECT_TRUE(Editor(w).picMain.Visible());
  EXPECT_FALSE(Lists(w).picSearch.Visible());
}

TEST_F(MainWindowTest, StaleSearchResultBeyondTheListOpensNothing) {
  WriteNote("Note_1.tvk", "one\r\n1");
  WriteNote("Note_2.tvk", "two\r\n2");
  frmMain& w = StartOnList();
  ClickListButton(w, 5);
  Native(Lists(w).txtSearch).Type(L"two");
  // Notes went away after the search (the found one and the fresh one after it).
  for (int i = 0; i < 2; ++i) Unlist(w, 1);
  SelectNote(w, 0);
  Native(Lists(w).List3).SelectItem(0);
  Native(Lists(w).List3).DblClick();
  EXPECT_TRUE(Lists(w).picList.Visible());
  EXPECT_EQ(Editor(w).txtNote.Text(), L"");
  EXPECT_EQ(Lists(w).List1.ListIndex(), 0);
}

TEST_F(MainWindowTest, NoteTextMouseBehaviours) {
  frmMain& w = Start();
  HeadlessControl& note = Native(Editor(w).txtNote);

  SetNoteFontSize(w, 23);
  note.MouseDown(platform::kButtonMiddle, 0, 5, 5);  // middle alone: nothing
  EXPECT_EQ(Editor(w).txtNote.FontSize(), 23);
  note.MouseDown(platform::kButtonMiddle, platform::kCtrlKey | platform::kShiftKey, 5, 5);
  EXPECT_EQ(Editor(w).txtNote.FontSize(), 23);
  note.MouseDown(platform::kButtonMiddle, platform::kCtrlKey, 5, 5);
  EXPECT_EQ(Editor(w).txtNote.FontSize(), 9);
  EXPECT_EQ(note.Font().sizePt, 9);

  note.MouseMove(0, platform::kShiftKey, 5, 5);
  EXPECT_FALSE(w.Flags().NoteHoverFlag);
  note.MouseMove(0, platform::kCtrlKey, 5, 5);
  EXPECT_TRUE(w.Flags().NoteHoverFlag);
  note.MouseMove(0, 0, 6, 6);  // other moves leave the flag
  EXPECT_TRUE(w.Flags().NoteHoverFlag);

  w.Me().SetMousePointer(9);
  note.MouseEnter();
  EXPECT_EQ(w.Me().MousePointer(), 0);
  EXPECT_EQ(Native(w.Me()).CursorShape(), 0);

  w.Me().SetMousePointer(7);
  Native(Bar(w).picMenu(2)).MouseMove(0, 0, 1, 1);
  Native(Editor(w).picMain).MouseMove(0, 0, 1, 1);
  EXPECT_FALSE(w.Flags().NoteHoverFlag);
  EXPECT_EQ(w.Me().MousePointer(), 0);
  EXPECT_EQ(Bar(w).picMenu(2).Tag, L"0");
}

TEST_F(MainWindowTest, LayoutFollowsTheClientSize) {
  frmMain& w = Start();
  Native(w.Me()).ResizeClient(304, 400);
  EXPECT_EQ(Bar(w).picMenuBar.Left(), 2);
  EXPECT_EQ(Bar(w).picMenuBar.Width(), 300);
  EXPECT_EQ(Bar(w).picMenuBar.Height(), 24);
  // Close button rightmost, then float, options, tools; the list button at the left.
  EXPECT_EQ(Bar(w).picMenu(0).Left(), 278);
  EXPECT_EQ(Bar(w).picMenu(1).Left(), 256);
  EXPECT_EQ(Bar(w).picMenu(2).Left(), 234);
  EXPECT_EQ(Bar(w).picMenu(3).Left(), 212);
  EXPECT_EQ(Bar(w).picMenu(4).Left(), 2);
  EXPECT_EQ(Bar(w).picMenu(0).Top(), 2);
  EXPECT_EQ(Bar(w).lblFormTitle.Left(), 26);
  EXPECT_EQ(Bar(w).lblFormTitle.Top(), 1);
  EXPECT_EQ(Editor(w).picMain.Top(), 28);
  EXPECT_EQ(Editor(w).picMain.Height(), 400 - 6 - 24);
  EXPECT_EQ(Lists(w).picList.Width(), 300);
  EXPECT_EQ(Editor(w).txtTitle.Width(), 300 - 4 - 4);
  EXPECT_EQ(Editor(w).lineTitle.X2(), 296);
  EXPECT_EQ(Editor(w).lineTitle.Y1(), 4 + 17 + 2);
  EXPECT_EQ(Editor(w).txtNote.Width(), 292);
  EXPECT_EQ(Editor(w).txtNote.Height(), 370 - 4 - 28);
  EXPECT_EQ(Lists(w).List1.Width(), 292);
  EXPECT_EQ(Lists(w).List1.Height(), 370 - 4 - 40);
  EXPECT_EQ(Lists(w).List3.Height(), Lists(w).List1.Height() + 10);
  EXPECT_EQ(Lists(w).picSearch.Width(), 300 - 6 - 36);
  EXPECT_EQ(Lists(w).txtSearch.Width(), 258 - 8);
  EXPECT_EQ(Lists(w).LineSearch.X2(), 4 + 250);
  EXPECT_EQ(Options(w).picOptions.Left(), 304 - 165);
  EXPECT_EQ(Options(w).picOptions.Top(), 28);
  // The native controls were moved too.
  EXPECT_EQ(Native(Lists(w).List1).Bounds(), (platform::Rect{4, 40, 292, 326}));
}

TEST_F(MainWindowTest, LayoutSkipsMinimisedAndTooSmallWindows) {
  frmMain& w = Start();
  Native(w.Me()).ResizeClient(304, 400);
  const platform::Rect before{Lists(w).List1.Left(), Lists(w).List1.Top(), Lists(w).List1.Width(),
                              Lists(w).List1.Height()};
  Native(w.Me()).SetMinimized(true);
  Native(w.Me()).ResizeClient(200, 300);
  EXPECT_EQ(Lists(w).List1.Width(), before.width);
  Native(w.Me()).SetMinimized(false);  // restoring lays out at the new size
  EXPECT_EQ(Bar(w).picMenuBar.Width(), 196);
  Native(w.Me()).ResizeClient(304, 400);
  Native(w.Me()).ResizeClient(4, 400);  // no inner width left
  EXPECT_EQ(Bar(w).picMenuBar.Width(), 300);
  Native(w.Me()).ResizeClient(300, 30);  // no room under the bar
  EXPECT_EQ(Bar(w).picMenuBar.Width(), 300);
  EXPECT_EQ(Lists(w).List1.Height(), before.height);
}

TEST_F(MainWindowTest, SaveNotesWritesTheStoreBack) {
  WriteNote("Note_1.tvk", "one\r\n1");
  frmMain& w = Start();
  Book(w).Add({L"", L"untitled text"});
  Book(w).Add({L"empty", L""});
  ASSERT_TRUE(SaveNotes(w));
  const auto files = NotesOnDisk();
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files.at("Note_1.tvk"), "one\r\n1");
  EXPECT_EQ(files.at("Note_2.tvk"), util::ToUtf8(L"[无标题]\r\nuntitled text"));
}

TEST(SingleInstance, SecondStartEndsAtOnceWithoutAWindow) {
  HeadlessPlatform platform;
  platform.HoldInstanceElsewhere(kSingleInstanceName);
  EXPECT_EQ(RunTarvik(platform), 0);
  EXPECT_FALSE(platform.CommonControlsInitialised());
  EXPECT_TRUE(platform.MessageBoxes().empty());
}

TEST(SingleInstance, AFolderInUseByAnotherSessionIsToldAndLeftAlone) {
  HeadlessPlatform platform;
  platform.HoldInstanceElsewhere(L"Global\\" + FolderLockName(platform.ProgramFolder()));
  EXPECT_EQ(RunTarvik(platform), 0);
  EXPECT_FALSE(platform.CommonControlsInitialised());
  ASSERT_EQ(platform.MessageBoxes().size(), 1u);
  EXPECT_EQ(platform.MessageBoxes()[0].text, kFolderInUseText);
  // One lock per folder, whatever the letter case; another folder has its own.
  EXPECT_EQ(FolderLockName(L"C:\\Tools\\Tarvik"), FolderLockName(L"c:\\tools\\TARVIK"));
  EXPECT_NE(FolderLockName(L"C:\\Tools\\Tarvik"), FolderLockName(L"D:\\Tarvik"));
  // A folder that is there goes by what it is: reached through a link, it is the same folder.
  const std::filesystem::path real = std::filesystem::temp_directory_path() / "tarvik_lock_real";
  const std::filesystem::path link = std::filesystem::temp_directory_path() / "tarvik_lock_link";
  std::filesystem::remove_all(real);
  std::filesystem::remove(link);
  std::filesystem::create_directories(real);
  std::filesystem::create_directory_symlink(real, link);
  EXPECT_EQ(FolderLockName(util::FromUtf8(real.string())),
            FolderLockName(util::FromUtf8(link.string())));
  EXPECT_NE(FolderLockName(util::FromUtf8(real.string())), FolderLockName(L"C:\\Tools\\Tarvik"));
  std::filesystem::remove(link);
  std::filesystem::remove_all(real);
}

}  // namespace
}  // namespace tarvik::app
