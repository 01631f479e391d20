// The list page's commands (new, delete, export, import), the menu bar's page commands and
// the commit of the editor into the notes.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>

#include "program_folder_fixture.h"
#include "platform/headless/headless_platform.h"
#include "question_test_support.h"
#include "util/text_codec.h"

namespace tarvik::app {

using namespace notes;
namespace {

namespace fs = std::filesystem;
using platform::FileDialogResult;
using platform::headless::HeadlessPlatform;

const std::wstring kUntitled = L"[无标题]";

class CommandsTest : public testing_support::ProgramFolderTest {
 protected:
  // Starts with notes "a", "b", "c" (texts "1", "2", "3") and the fresh note of the start.
  frmMain& Start(int notes = 3) {
    for (int i = 0; i < notes; ++i) {
      std::ofstream(folder_ / "Notes" / ("Note_" + std::to_string(i + 1) + ".tvk"),
                    std::ios::binary)
          << std::string(1, static_cast<char>('a' + i)) << "\r\n"
          << (i + 1);
    }
    window_ = std::make_unique<frmMain>(platform_);
    EXPECT_TRUE(window_->Load());
    window_->Me().Show();
    return *window_;
  }

  fs::path File(const std::string& name) const { return folder_ / name; }
  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(File(name), std::ios::binary) << bytes;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(File(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  void AnswerFile(const std::string& name) {
    FileDialogResult r;
    r.outcome = FileDialogResult::Outcome::Confirmed;
    r.fileName = util::FromUtf8(File(name).string());
    r.fileTitle = util::FromUtf8(name);
    platform_.QueueFileDialogAnswer(r);
  }
  // The notes as the three collections hold them; fails when they disagree in length.
  std::vector<Note> Notes() const {
    frmMain& w = *window_;
    EXPECT_EQ(Lists(w).List1.ListCount(), Lists(w).List2.ListCount());
    EXPECT_EQ(static_cast<std::size_t>(Lists(w).List1.ListCount()), Book(w).NoteArray().size());
    return Book(w).NoteArray();
  }
  void ShowList() {
    if (!Lists(*window_).picList.Visible()) ClickMenu(*window_, 4);
  }
};

TEST_F(CommandsTest, StartOpensAFreshNoteInTheEditor) {
  frmMain& w = Start();
  EXPECT_EQ(Lists(w).List1.Items(), (std::vector<std::wstring>{L"a", L"b", L"c", kUntitled}));
  EXPECT_EQ(Notes().back(), Note{});
  EXPECT_EQ(Lists(w).List1.ListIndex(), 3);
  EXPECT_EQ(Book(w).OpenNoteIndex(), 3);
  EXPECT_EQ(Editor(w).txtTitle.Text(), kUntitled);
  EXPECT_EQ(Editor(w).txtNote.Text(), L"");
  EXPECT_TRUE(Editor(w).picMain.Visible());
  for (const widgets::PictureBox* hidden :
       {&Lists(w).picList, &Options(w).picOptions, &Tools(w).picTools, &Lists(w).picSearch}) {
    EXPECT_FALSE(hidden->Visible());
  }
}

TEST_F(CommandsTest, NewFromTheListPageAppendsAndFocusesTheText) {
  frmMain& w = Start(1);
  ShowList();
  w.Timer1().SetEnabled(false);
  platform_.Get(Lists(w).picListButton(0).hWnd()).MouseMove(0, 0, 1, 1);
  platform_.Get(Lists(w).picListButton(0).hWnd()).Click();
  EXPECT_EQ(Lists(w).List1.ListCount(), 3);
  EXPECT_EQ(Lists(w).List1.ListIndex(), 2);
  EXPECT_TRUE(Editor(w).picMain.Visible());
  EXPECT_FALSE(Lists(w).picList.Visible());
  EXPECT_TRUE(Editor(w).txtNote.HasFocus());
  EXPECT_EQ(Lists(w).picListButton(0).Tag, L"0");
  EXPECT_TRUE(w.Timer1().Enabled());
}

TEST_F(CommandsTest, DeleteSelectsTheNoteAbove) {
  const struct {
    int selected;
    int expectSelected;
    std::vector<std::wstring> left;
  } cases[] = {
      {0, 0, {L"b", L"c", kUntitled}},
      {2, 1, {L"a", L"b", kUntitled}},
      {3, 2, {L"a", L"b", L"c"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.selected);
    window_.reset();
    fs::remove_all(folder_ / "Notes");
    fs::create_directories(folder_ / "Notes");
    frmMain& w = Start();
    ShowList();
    SelectNote(w, c.selected);
    ClickListButton(w, 1);
    EXPECT_EQ(Lists(w).List1.Items(), c.left);
    EXPECT_EQ(Lists(w).List1.ListIndex(), c.expectSelected);
    EXPECT_TRUE(Lists(w).picList.Visible());  // the page stays
    // The store was rebuilt from the lists: the untitled entry is the empty title.
    std::vector<Note> expected;
    for (int i = 0; i < 3; ++i) {
      const std::wstring title = c.left[static_cast<std::size_t>(i)];
      expected.push_back({title == kUntitled ? L"" : title, Lists(w).List2.List(i)});
    }
    EXPECT_EQ(Notes(), expected);
  }
  // Two quick clicks on the button are two deletes: it gives a double-click no meaning.
  platform_.Get(Lists(*window_).picListButton(1).hWnd()).DblClick();
  EXPECT_EQ(Lists(*window_).List1.Items(), (std::vector<std::wstring>{L"a"}));
}

TEST_F(CommandsTest, DeleteOfTheLastNoteLeavesAFreshOneAndNoSelectionDoesNothing) {
  frmMain& w = Start(0);
  ShowList();
  ClickListButton(w, 1);
  EXPECT_EQ(Lists(w).List1.Items(), std::vector<std::wstring>{kUntitled});
  EXPECT_EQ(Notes(), std::vector<Note>{Note{}});
  EXPECT_EQ(Lists(w).List1.ListIndex(), 0);
  EXPECT_TRUE(Editor(w).picMain.Visible());

  SelectNote(w, -1);
  w.Timer1().SetEnabled(false);
  ClickListButton(w, 1);  // ends at once, before the closing steps
  EXPECT_EQ(Lists(w).List1.ListCount(), 1);
  EXPECT_FALSE(w.Timer1().Enabled());
}

TEST_F(CommandsTest, DeletingTheOpenNoteNeverWritesItOverAnother) {
  frmMain& w = Start();
  SelectNote(w, 1);
  DblClickList1(w);  // "b" open
  platform_.Get(Editor(w).txtNote.hWnd()).Type(L"edited b");
  ShowList();
  EXPECT_EQ(Lists(w).List2.List(1), L"edited b");
  ClickListButton(w, 1);  // delete "b"
  EXPECT_EQ(Book(w).OpenNoteIndex(), 0);
  EXPECT_EQ(Editor(w).txtNote.Text(), L"1");
  ClickMenu(w, 4);  // back to the editor: "a" as it was
  EXPECT_EQ(Notes()[0], (Note{L"a", L"1"}));

  // Deleting a note above the open one keeps the editor on the same note.
  ShowList();
  SelectNote(w, 1);
  DblClickList1(w);  // "c"
  ShowList();
  SelectNote(w, 0);
  ClickListButton(w, 1);
  EXPECT_EQ(Book(w).OpenNoteIndex(), 0);
  EXPECT_EQ(Lists(w).List1.List(0), L"c");
}

TEST_F(CommandsTest, ClickingAnotherTitleThenSwitchingPagesCommitsToTheOpenNote) {
  frmMain& w = Start();
  platform_.Get(Editor(w).txtNote.hWnd()).Type(L"fresh text");
  ShowList();
  platform_.Get(Lists(w).List1.hWnd()).SelectItem(0);  // a single click on "a"
  ClickMenu(w, 4);
  ClickMenu(w, 2);
  EXPECT_EQ(Notes()[0], (Note{L"a", L"1"}));
  EXPECT_EQ(Notes()[3], (Note{L"", L"fresh text"}));
}

TEST_F(CommandsTest, CommitTrimsTheTitleAndListsAnEmptyOneAsUntitled) {
  const struct {
    std::wstring typed, title, listed;
  } cases[] = {
      {L"  abc  ", L"abc", L"abc"}, {L"   ", L"", kUntitled},  {L"", L"", kUntitled},
      {kUntitled, L"", kUntitled},  {L"\tx ", L"\tx", L"\tx"},
  };
  frmMain& w = Start(0);
  for (const auto& c : cases) {
    SetTitleText(w, c.typed);
    SetNoteText(w, L"text\r\n" + c.typed);
    Book(w).CommitOpenNote();
    EXPECT_EQ(Notes()[0], (Note{c.title, L"text\r\n" + c.typed}));
    EXPECT_EQ(Lists(w).List1.List(0), c.listed);
    EXPECT_EQ(Lists(w).List2.List(0), L"text\r\n" + c.typed);
  }
}

TEST_F(CommandsTest, ExportWritesTitleLineAndTextExactly) {
  frmMain& w = Start(0);
  SetTitleText(w, L"abc");
  SetNoteText(w, L"x\r\ny");
  ClickMenu(w, 4);  // commits and shows the list
  AnswerFile("out.tvk");
  ClickListButton(w, 3);
  EXPECT_EQ(Read("out.tvk"), "abc\r\nx\r\ny");
  ASSERT_EQ(platform_.FileDialogs().size(), 1u);
  const platform::FileDialogRequest& request = platform_.FileDialogs()[0];
  EXPECT_TRUE(request.save);
  EXPECT_TRUE(request.overwritePrompt);
  EXPECT_EQ(request.defaultExtension, L"tvk");
  EXPECT_EQ(request.title, L"导出文件");
  EXPECT_EQ(request.filter, L"Tarvik导出文件(*.tvk)|*.tvk|纯文本格式文件(*.txt)|*.txt");
  EXPECT_EQ(request.owner, w.Me().hWnd());

  // A note never named writes the untitled title line; a .txt name gets the same bytes.
  ClickListButton(w, 0);
  ShowList();
  AnswerFile("new.txt");
  ClickListButton(w, 3);
  EXPECT_EQ(Read("new.txt"), util::ToUtf8(kUntitled) + "\r\n");
  EXPECT_TRUE(platform_.MessageBoxes().empty());
}

TEST_F(CommandsTest, ExportCancelledWritesNothingAndAFailedWriteSaysSo) {
  frmMain& w = Start(1);
  ShowList();
  SelectNote(w, 0);
  ClickListButton(w, 3);  // cancelled
  EXPECT_EQ(platform_.FileDialogs().size(), 1u);
  EXPECT_TRUE(platform_.MessageBoxes().empty());

  AnswerFile("no such folder/out.tvk");
  ClickListButton(w, 3);
  ASSERT_EQ(platform_.MessageBoxes().size(), 1u);
  EXPECT_NE(platform_.MessageBoxes()[0].text.find(L"导出失败"), std::wstring::npos);
  EXPECT_EQ(platform_.MessageBoxes()[0].style, 0x10u);
  EXPECT_FALSE(fs::exists(File("no such folder")));

  SelectNote(w, -1);
  ClickListButton(w, 3);  // nothing selected: no dialog
  EXPECT_EQ(platform_.FileDialogs().size(), 2u);
}

TEST_F(CommandsTest, ImportByKindOfFile) {
  const struct {
    std::string name, bytes;
    bool added;
    std::wstring listed, titleBox, text;
  } cases[] = {
      {"a.tvk", "abc\r\nx", true, L"abc", L"abc", L"x"},
      {"b.tvk", "\r\nx\r\ny", true, L"", kUntitled, L"x\r\ny"},
      {"c.tvk", "", true, L"", kUntitled, L""},
      {"d.tvk", "z", true, L"", kUntitled, L"z"},
      {"e.tvk", "one line only", true, L"", kUntitled, L"one line only"},
      {"f.txt", "abc\r\nx", true, L"", kUntitled, L"abc\r\nx"},
      {"G.TXT", "\xe4\xb8\xad", true, L"", kUntitled, L"中"},
      {"h.TvK", "t\r\n", true, L"t", L"t", L""},
      {"i.doc", "abc\r\nx", false, L"", L"", L""},
      {".tvk", "abc\r\nx", false, L"", L"", L""},
      {"missing.tvk", "", false, L"", L"", L""},
      {"", "", false, L"", L"", L""},  // cancelled
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    window_.reset();
    frmMain& w = Start(0);
    ShowList();
    if (c.name != "missing.tvk" && !c.name.empty()) Write(c.name, c.bytes);
    if (!c.name.empty()) AnswerFile(c.name);
    ClickListButton(w, 4);
    EXPECT_EQ(platform_.FileDialogs().back().title, L"导入文件");
    EXPECT_EQ(platform_.FileDialogs().back().fileName, L"");
    EXPECT_FALSE(platform_.FileDialogs().back().save);
    if (!c.added) {
      EXPECT_EQ(Notes().size(), 1u);
      EXPECT_TRUE(Lists(w).picList.Visible());
      continue;
    }
    ASSERT_EQ(Notes().size(), 2u);
    EXPECT_EQ(Notes()[1], (Note{c.listed, c.text}));
    EXPECT_EQ(Lists(w).List1.List(1), c.listed);
    EXPECT_EQ(Lists(w).List1.ListIndex(), 1);
    EXPECT_EQ(Editor(w).txtTitle.Text(), c.titleBox);
    EXPECT_EQ(Editor(w).txtNote.Text(), c.text);
    EXPECT_TRUE(Editor(w).picMain.Visible());
    EXPECT_FALSE(Lists(w).picList.Visible());
    EXPECT_TRUE(Editor(w).txtNote.HasFocus());
  }
}

TEST_F(CommandsTest, OptionsAndToolsPages) {
  frmMain& w = Start();
  ClickMenu(w, 2);
  EXPECT_TRUE(Options(w).picOptions.Visible());
  ClickMenu(w, 3);  // tools replaces options
  EXPECT_TRUE(Tools(w).picTools.Visible());
  EXPECT_FALSE(Options(w).picOptions.Visible());
  ClickMenu(w, 3);
  EXPECT_FALSE(Tools(w).picTools.Visible());
  // From the list page, options first returns to the editor.
  ShowList();
  ClickMenu(w, 2);
  EXPECT_TRUE(Editor(w).picMain.Visible());
  EXPECT_FALSE(Lists(w).picList.Visible());
  EXPECT_TRUE(Options(w).picOptions.Visible());
  ClickMenu(w, 2);
  EXPECT_FALSE(Options(w).picOptions.Visible());
}

TEST_F(CommandsTest, ListButtonTogglesPagesKeepsEditsAndLeavesSearch) {
  frmMain& w = Start();
  platform_.Get(Editor(w).txtTitle.hWnd()).Type(L" shopping ");
  platform_.Get(Editor(w).txtNote.hWnd()).Type(L"milk");
  ClickMenu(w, 2);
  ClickMenu(w, 4);
  EXPECT_TRUE(Lists(w).picList.Visible());
  EXPECT_FALSE(Editor(w).picMain.Visible());
  EXPECT_FALSE(Options(w).picOptions.Visible());
  EXPECT_EQ(Lists(w).List1.List(3), L"shopping");
  ClickListButton(w, 5);  // search mode
  w.Timer1().SetEnabled(false);
  platform_.Get(Bar(w).picMenu(4).hWnd()).Click();
  EXPECT_TRUE(Editor(w).picMain.Visible());
  EXPECT_EQ(Editor(w).txtTitle.Text(), L" shopping ");
  EXPECT_EQ(Editor(w).txtNote.Text(), L"milk");
  EXPECT_FALSE(Lists(w).picSearch.Visible());
  EXPECT_TRUE(Lists(w).List1.Visible());
  EXPECT_FALSE(Lists(w).List3.Visible());
  EXPECT_TRUE(w.Timer1().Enabled());
}

TEST_F(CommandsTest, FloatCommitsAndGivesWayToTheFloatingWindow) {
  frmMain& w = Start(0);
  platform_.Get(Editor(w).txtNote.hWnd()).Type(L"float me");
  ClickMenu(w, 2);
  platform_.Get(Bar(w).picMenu(1).hWnd()).MouseMove(0, 0, 1, 1);
  ClickMenu(w, 1);
  EXPECT_EQ(Notes()[0].text, L"float me");
  EXPECT_FALSE(Options(w).picOptions.Visible());
  EXPECT_EQ(Bar(w).picMenu(1).Tag, L"0");
  EXPECT_FALSE(w.Me().Visible());
  ASSERT_NE(Float(w), nullptr);
  EXPECT_TRUE(Float(w)->Me.Visible());
}

// ---- Clear, exit, closing and the end of the session ------------------------------------------

TEST_F(CommandsTest, ClearAsksAndOnlyAYesClears) {
  frmMain& w = Start();
  for (bool yes : {false, true}) {
    SelectNote(w, 1);
    testing_support::AnswerNextQuestion(platform_, yes);
    ClickListButton(w, 2);
    EXPECT_TRUE(w.Timer1().Enabled());  // the box stopped it; the command starts it again
    if (!yes) {
      EXPECT_EQ(Notes().size(), 4u);
      EXPECT_EQ(Lists(w).List1.List(0), L"a");
    } else {
      ASSERT_EQ(Notes().size(), 1u);
      EXPECT_EQ(Lists(w).List1.List(0), kUntitled);
      EXPECT_EQ(Lists(w).List1.ListIndex(), 0);
      EXPECT_TRUE(Editor(w).picMain.Visible());
    }
  }
  ASSERT_EQ(platform_.ModalLoopsRun(), 2);
  // Nothing selected: no question at all.
  SelectNote(w, -1);
  ClickListButton(w, 2);
  EXPECT_EQ(platform_.ModalLoopsRun(), 2);
}

TEST_F(CommandsTest, ExitAnsweredNoKeepsRunningWithTheEditCommitted) {
  frmMain& w = Start();
  ShowList();
  ClickMenu(w, 2);  // options open over the editor
  platform_.Get(Editor(w).txtNote.hWnd()).Type(L"typed");
  testing_support::AnswerNextQuestion(platform_, false);
  ClickMenu(w, 0);
  EXPECT_FALSE(platform_.QuitRequested());
  EXPECT_TRUE(Loaded(w));
  EXPECT_TRUE(Editor(w).picMain.Visible());
  EXPECT_FALSE(Lists(w).picList.Visible() || Options(w).picOptions.Visible());
  EXPECT_EQ(Book(w).NoteArray().back().text, L"typed");
  EXPECT_TRUE(w.Timer1().Enabled());
  EXPECT_FALSE(fs::exists(File("Notes") / "Note_4.tvk"));
  // Asked from the list page, No leaves the user on the list.
  ShowList();
  testing_support::AnswerNextQuestion(platform_, false);
  ClickMenu(w, 0);
  EXPECT_TRUE(Lists(w).picList.Visible());
  EXPECT_FALSE(Editor(w).picMain.Visible());
}

TEST_F(CommandsTest, ExitAnsweredYesSavesSettingsAndNotesAndEnds) {
  frmMain& w = Start();
  platform_.Get(Editor(w).txtTitle.hWnd()).Type(L"  新的  ");
  platform_.Get(Editor(w).txtNote.hWnd()).Type(L"正文\r\n第二行");
  TurnSwitch(w, 0, true);
  testing_support::AnswerNextQuestion(platform_, true);
  ClickMenu(w, 0);
  EXPECT_TRUE(platform_.QuitRequested());
  EXPECT_FALSE(Loaded(w));
  EXPECT_EQ(Read("Notes/Note_4.tvk"), util::ToUtf8(L"新的\r\n正文\r\n第二行"));
  EXPECT_EQ(Read("Notes/Note_1.tvk"), "a\r\n1");
  EXPECT_NE(Read("Config.ini").find("OnTop=1"), std::string::npos);
}

TEST_F(CommandsTest, AFailedSaveAsksAgainAndNoKeepsEveryNote) {
  frmMain& w = Start();
  platform_.Get(Editor(w).txtNote.hWnd()).Type(L"unsaved");
  // The program's folder turns into a file: nothing can be written under it.
  fs::remove_all(folder_);
  std::ofstream(folder_, std::ios::binary) << "in the way";
  for (bool stay : {true, false}) {
    testing_support::AnswerNextQuestion(platform_, true);
    testing_support::AnswerNextQuestion(platform_, !stay);
    ClickMenu(w, 0);
    EXPECT_EQ(platform_.QuitRequested(), !stay);
    EXPECT_EQ(Book(w).NoteArray().back().text, L"unsaved");
  }
  EXPECT_EQ(platform_.ModalLoopsRun(), 4);
  fs::remove(folder_);
}

TEST_F(CommandsTest, ClosingFromOutsideRunsTheExitQuestion) {
  frmMain& w = Start();
  testing_support::AnswerNextQuestion(platform_, false);
  // From the taskbar while minimised: the window comes back first, so the question shows.
  platform_.Get(w.Me().hWnd()).SetMinimized(true);
  platform_.Get(w.Me().hWnd()).RequestClose();  // Alt+F4, the system menu, the taskbar
  EXPECT_FALSE(w.Me().IsMinimized());
  EXPECT_EQ(platform_.ModalLoopsRun(), 1);
  EXPECT_FALSE(platform_.QuitRequested());
  testing_support::AnswerNextQuestion(platform_, true);
  platform_.Get(w.Me().hWnd()).RequestClose();
  EXPECT_TRUE(platform_.QuitRequested());
  EXPECT_TRUE(fs::exists(File("Config.ini")));
}

TEST_F(CommandsTest, EndOfSessionSavesWithoutAQuestion) {
  frmMain& w = Start();
  platform_.Get(Editor(w).txtTitle.hWnd()).Type(L"logoff");
  platform_.Get(Editor(w).txtNote.hWnd()).Type(L"kept");
  // Minimised, the window is parked off screen: its normal place is what is kept.
  const std::string left = "Left=" + std::to_string(w.Me().Left()) + "\r\n";
  platform_.Get(w.Me().hWnd()).SetMinimized(true);
  platform_.Get(w.Me().hWnd()).EndSession();
  EXPECT_NE(Read("Config.ini").find(left), std::string::npos) << Read("Config.ini");
  EXPECT_EQ(platform_.ModalLoopsRun(), 0);
  EXPECT_EQ(Read("Notes/Note_4.tvk"), "logoff\r\nkept");
  EXPECT_TRUE(platform_.QuitRequested());
}

TEST_F(CommandsTest, EndOfSessionDuringAQuestionStillSaves) {
  frmMain& w = Start();
  platform_.Get(Editor(w).txtNote.hWnd()).Type(L"pending");
  SelectNote(w, 0);
  platform_.QueueModalAction([&] {
    // A close request while the box is up does not stack a second question.
    platform_.Get(w.Me().hWnd()).RequestClose();
    platform_.Get(w.Me().hWnd()).EndSession();
    testing_support::QuestionButton(platform_, 0)->Click();
  });
  ClickListButton(w, 2);
  EXPECT_EQ(platform_.ModalLoopsRun(), 1);
  EXPECT_EQ(Notes().size(), 4u);  // the clear was not confirmed
  EXPECT_EQ(Read("Notes/Note_4.tvk"), "[无标题]\r\npending");
}

// ---- The recovery record -------------------------------------------------------------------

class RecoveryTest : public CommandsTest {
 protected:
  // The next question is answered; what it asked goes into asked_.
  void Answer(bool yes) {
    platform_.QueueModalAction([this, yes] {
      for (testing_support::HeadlessControl* c : platform_.Children(platform_.ModalWindow())) {
        if (c->Kind() == platform::ControlKind::Label) asked_ = c->Text();
      }
      testing_support::QuestionButton(platform_, yes ? 1 : 0)->Click();
    });
  }
  // A run that types a note and ends without the exit save, its typing in the record only.
  void Crash() {
    frmMain& w = Start();
    platform_.Get(Editor(w).txtTitle.hWnd()).Type(L"崩溃前");
    platform_.Get(Editor(w).txtNote.hWnd()).Type(L"打字");
    platform_.AdvanceTime(RecoveryWriter::kQuietMs);
    ASSERT_TRUE(FlushRecord(w));
    window_.reset();
  }
  std::wstring asked_;
};

TEST_F(RecoveryTest, TypingReachesTheRecordAndTheConfirmedExitRemovesIt) {
  frmMain& w = Start();
  platform_.Get(Editor(w).txtNote.hWnd()).Type(L"x");
  platform_.AdvanceTime(RecoveryWriter::kQuietMs);
  ASSERT_TRUE(FlushRecord(w));
  EXPECT_TRUE(fs::exists(File("Notes.recovery")));
  testing_support::AnswerNextQuestion(platform_, true);
  ClickMenu(w, 0);
  EXPECT_TRUE(platform_.QuitRequested());
  EXPECT_FALSE(fs::exists(File("Notes.recovery")));
  EXPECT_EQ(Read("Notes/Note_4.tvk"), util::ToUtf8(kUntitled + L"\r\nx"));
}

TEST_F(RecoveryTest, EveryCommandReachesTheRecord) {
  frmMain& w = Start();
  const std::vector<Note> loaded{{L"a", L"1"}, {L"b", L"2"}, {L"c", L"3"}};
  const std::function<void()> steps[] = {
      [&] { platform_.Get(Editor(w).txtNote.hWnd()).Type(L"typed"); },
      [&] { platform_.Get(Editor(w).txtTitle.hWnd()).Type(L"t"); },
      [&] { ClickMenu(w, 4); },
      [&] {
        SelectNote(w, 1);
        ClickListButton(w, 1);
      },
      [&] { ClickListButton(w, 0); },
      [&] { Book(w).StepNote(false); },
      [&] { platform_.Get(Editor(w).txtNote.hWnd()).Type(L"+"); },
      [&] {
        testing_support::AnswerNextQuestion(platform_, true);
        ClickListButton(w, 2);
      },
  };
  for (std::size_t i = 0; i < std::size(steps); ++i) {
    SCOPED_TRACE(i);
    steps[i]();
    // Typing reaches the record within the writer's lull after the last key.
    platform_.AdvanceTime(RecoveryWriter::kQuietMs);
    ASSERT_TRUE(FlushRecord(w));
    const RecordRead read = ReadRecoveryRecord(util::FromUtf8(folder_.string()));
    ASSERT_EQ(read.status, RecordStatus::kFound);
    std::vector<Note> expected = Book(w).NoteArray();
    if (const auto open = Book(w).EditorNote()) expected[open->index] = open->note;
    EXPECT_EQ(ApplyRecoveryRecord(read.record, loaded), expected);
  }
}

TEST_F(RecoveryTest, TypingWithoutAPauseReachesTheRecordWithinTheLongestDelay) {
  frmMain& w = Start();
  std::wstring typed;
  for (std::uint32_t ms = 0; ms < RecoveryWriter::kMaxDelayMs; ms += 100) {
    platform_.Get(Editor(w).txtNote.hWnd()).Type(typed += L"x");
    platform_.AdvanceTime(100);
  }
  ASSERT_TRUE(FlushRecord(w));
  const RecordRead read = ReadRecoveryRecord(util::FromUtf8(folder_.string()));
  const auto notes = ApplyRecoveryRecord(read.record, {{L"a", L"1"}, {L"b", L"2"}, {L"c", L"3"}});
  ASSERT_TRUE(notes && notes->size() == 4);
  EXPECT_EQ((*notes)[3].text, typed);
}

TEST_F(RecoveryTest, YesShowsTheTypingUnsavedUntilTheExit) {
  Crash();
  Answer(true);
  frmMain& w = Start();
  EXPECT_EQ(asked_, L"上次“Tarvik”没有正常退出。要恢复未保存的笔记吗？");
  EXPECT_EQ(Lists(w).List1.Items(),
            (std::vector<std::wstring>{L"a", L"b", L"c", L"崩溃前", kUntitled}));
  EXPECT_EQ(Notes()[3], (Note{L"崩溃前", L"打字"}));
  EXPECT_FALSE(fs::exists(File("Notes/Note_4.tvk")));
  // A second crash before the exit still has it.
  ASSERT_TRUE(FlushRecord(w));
  testing_support::AnswerNextQuestion(platform_, true);
  ClickMenu(w, 0);
  EXPECT_EQ(Read("Notes/Note_4.tvk"), util::ToUtf8(L"崩溃前\r\n打字"));
  EXPECT_FALSE(fs::exists(File("Notes.recovery")));
}

TEST_F(RecoveryTest, NoKeepsTheRecordAsideAndLoadsTheFolder) {
  Crash();
  const std::string record = Read("Notes.recovery");
  Answer(false);
  frmMain& w = Start();
  EXPECT_EQ(asked_, L"上次“Tarvik”没有正常退出。要恢复未保存的笔记吗？");
  EXPECT_EQ(Lists(w).List1.Items(), (std::vector<std::wstring>{L"a", L"b", L"c", kUntitled}));
  std::string aside;
  for (const auto& entry : fs::directory_iterator(folder_)) {
    if (entry.path().filename().string().rfind("Notes.recovery.old-", 0) == 0)
      aside = Read(entry.path().filename().string());
  }
  EXPECT_EQ(aside, record);
  // The record now is this run's: nothing typed, nothing to offer.
  ASSERT_TRUE(FlushRecord(w));
  window_.reset();
  Start();
  EXPECT_EQ(platform_.ModalLoopsRun(), 1);
}

TEST_F(RecoveryTest, TheExitAsksBeforeReplacingAFolderChangedMeanwhile) {
  frmMain& w = Start();
  platform_.Get(Editor(w).txtNote.hWnd()).Type(L"mine");
  Write("Notes/Note_9.tvk", "theirs\r\nx");
  for (bool replace : {false, true}) {
    testing_support::AnswerNextQuestion(platform_, true);
    Answer(replace);
    ClickMenu(w, 0);
    EXPECT_EQ(asked_,
              L"“Notes”文件夹在本次运行期间被其他程序修改过。要用当前的笔记替换它吗？"
              L"被替换的笔记会先另存一份副本。");
    EXPECT_EQ(platform_.QuitRequested(), replace);
  }
  EXPECT_EQ(Read("Notes/Note_4.tvk"), util::ToUtf8(kUntitled + L"\r\nmine"));
  bool copied = false;
  for (const auto& entry : fs::directory_iterator(folder_)) {
    if (entry.path().filename().string().rfind("Notes.replaced-", 0) == 0)
      copied = fs::exists(entry.path() / "Note_9.tvk");
  }
  EXPECT_TRUE(copied);
}

}  // namespace
}  // namespace tarvik::app
