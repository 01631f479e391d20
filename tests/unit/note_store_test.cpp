#include "notes/note_store.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "notes/notes_folder.h"
#include "platform/headless/headless_platform.h"
#include "util/text_codec.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <ostream>
#include <set>
#include <tuple>

namespace tarvik::notes {

void PrintTo(const Note& note, std::ostream* out) {
  *out << ::testing::PrintToString(note.title) << " / " << ::testing::PrintToString(note.text);
}

namespace {

namespace fs = std::filesystem;

std::vector<Note> ReadNotesFolder(const std::wstring& notesFolder,
                                  NoteFileSystem& fs = RealNoteFileSystem()) {
  return ReadNotesFolderContents(notesFolder, fs).notes;
}

using FileMap = std::map<std::string, std::string>;  // name -> bytes

// A scratch folder per test; on tmpfs when there is one, since the fault matrix saves often.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& tag) {
    const fs::path base =
        fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    root_ = base / ("tarvik_store_" + tag);
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  ~ScratchFolder() { fs::remove_all(root_); }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The program's own form: programFolder + "\Notes".
  std::wstring Path() const {
    std::wstring base = root_.wstring();
    std::replace(base.begin(), base.end(), L'/', L'\\');
    return base + L"\\Notes";
  }
  fs::path Dir() const { return root_ / "Notes"; }

  void Put(const std::string& name, const std::string& bytes) const {
    fs::create_directories(Dir());
    std::ofstream(Dir() / name, std::ios::binary) << bytes;
  }
  FileMap Files() const {
    FileMap files;
    if (!fs::is_directory(Dir())) return files;
    for (const auto& entry : fs::directory_iterator(Dir())) {
      std::ifstream in(entry.path(), std::ios::binary);
      files[entry.path().filename().string()] =
          std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return files;
  }
  void Restore(const FileMap& files) const {
    fs::remove_all(Dir());
    fs::create_directories(Dir());
    for (const auto& [name, bytes] : files) Put(name, bytes);
  }

 private:
  fs::path root_;
};

std::vector<Note> Sorted(std::vector<Note> notes) {
  std::sort(notes.begin(), notes.end(), [](const Note& a, const Note& b) {
    return std::tie(a.title, a.text) < std::tie(b.title, b.text);
  });
  return notes;
}

// What a save of notes must read back as: only notes with text, untitled ones as "[无标题]".
std::vector<Note> AsReloaded(const std::vector<Note>& notes) {
  std::vector<Note> out;
  for (const Note& n : notes) {
    if (!n.text.empty())
      out.push_back({n.title.empty() ? std::wstring(kUntitledTitle) : n.title, n.text});
  }
  return out;
}

// --- file format and naming ------------------------------------------------------------

TEST(NoteFileFormat, BytesAndParsing) {
  EXPECT_EQ(FormatNoteFile({L"标题", L"a\r\nb"}), "标题\r\na\r\nb");
  EXPECT_EQ(FormatNoteFile({L"", L"x"}), "[无标题]\r\nx");
  // A line break in a title would move part of it into the text on reading.
  EXPECT_EQ(FormatNoteFile({L"a\r\nb", L"x"}), "a  b\r\nx");
  // Read back, a leading U+FEFF would pass for a byte-order mark.
  EXPECT_EQ(FormatNoteFile({L"\uFEFF\uFEFFt", L"x"}), "t\r\nx");
  EXPECT_EQ(FormatNoteFile({L"\uFEFF", L"x"}), "[无标题]\r\nx");

  EXPECT_EQ(ParseNoteFile("t\r\nline1\r\nline2\r\n"), (Note{L"t", L"line1\r\nline2\r\n"}));
  EXPECT_EQ(ParseNoteFile("\xEF\xBB\xBF标题\r\n正文"), (Note{L"标题", L"正文"}));
  EXPECT_EQ(ParseNoteFile("[无标题]\r\nx"), (Note{L"[无标题]", L"x"}));  // taken unchanged
  EXPECT_EQ(ParseNoteFile("no line break\nat all"), (Note{L"[无标题]", L"no line break\nat all"}));
  EXPECT_EQ(ParseNoteFile(""), (Note{L"[无标题]", L""}));
  EXPECT_EQ(ParseNoteFile("\xFF\r\nok\xC3"), (Note{L"\uFFFD", L"ok\uFFFD"}));
  // A note saved by another program in its own encoding is read as an imported file is; a
  // U+FFFD that is really there stays.
  platform::headless::HeadlessPlatform codePages;
  const std::string gbk = "\xD6\xD0\xCE\xC4\r\n\xB1\xCA\xBC\xC7";
  EXPECT_EQ(ParseNoteFile(gbk, &codePages), (Note{L"中文", L"笔记"}));
  EXPECT_EQ(ParseNoteFile(std::string("\xFF\xFEt\0\r\0\n\0x\0", 10), &codePages),
            (Note{L"t", L"x"}));
  EXPECT_EQ(ParseNoteFile("\xEF\xBF\xBD\r\nx", &codePages), (Note{L"\uFFFD", L"x"}));
}

TEST(NoteFileNames, WhichNamesAreNotesAndTheirOrder) {
  EXPECT_TRUE(IsNoteFileName(L"Note_1.tvk"));
  EXPECT_TRUE(IsNoteFileName(L"X.TVK"));
  EXPECT_TRUE(IsNoteFileName(L"abctvk"));
  EXPECT_FALSE(IsNoteFileName(L"a.txt"));
  EXPECT_FALSE(IsNoteFileName(L"Note_1.tvk.tmp~12-1"));
  EXPECT_FALSE(IsNoteFileName(L"~notes-save.journal"));

  const std::vector<std::wstring> listed = {
      L"zz.tvk",     L"Note_10.tvk",  L"readme.txt",
      L"note_2.TVK", L"Note_1.tvk",   L"Note_x.tvk",
      L"abctvk",     L"NOTE_002.tvk", L"Note_99999999999999999999.tvk"};
  const std::vector<std::wstring> expected = {L"Note_1.tvk",
                                              L"NOTE_002.tvk",
                                              L"note_2.TVK",
                                              L"Note_10.tvk",
                                              L"Note_99999999999999999999.tvk",
                                              L"Note_x.tvk",
                                              L"abctvk",
                                              L"zz.tvk"};
  EXPECT_EQ(OrderNoteFileNames(listed), expected);
}

// --- round trips -----------------------------------------------------------------------

TEST(NoteStore, RoundTripKeepsTextsTitlesAndOrder) {
  ScratchFolder folder("roundtrip");
  std::vector<Note> notes;
  for (int i = 0; i < 12; ++i)
    notes.push_back({L"标题 " + std::to_wstring(i), L"正文\r\n第二行 " + std::to_wstring(i)});
  notes.push_back({L"", L"untitled\r\n\r\n"});
  notes.push_back({L"title only", L""});  // no text: no file
  notes.push_back({L"[无标题]", L"already marked"});
  ASSERT_TRUE(WriteNotesFolder(folder.Path(), notes));

  const FileMap files = folder.Files();
  EXPECT_EQ(files.size(), 14u);
  EXPECT_EQ(files.at("Note_13.tvk"), "[无标题]\r\nuntitled\r\n\r\n");
  EXPECT_EQ(files.at("Note_1.tvk"), "标题 0\r\n正文\r\n第二行 0");
  EXPECT_EQ(ReadNotesFolder(folder.Path()), AsReloaded(notes));  // Note_10 after Note_9
}

TEST(NoteStore, LargeFolderLoadsInOrder) {
  ScratchFolder folder("large");
  std::vector<Note> notes;
  for (int i = 0; i < 700; ++i)
    notes.push_back({L"t" + std::to_wstring(i), L"第 " + std::to_wstring(i) + L" 条"});
  ASSERT_TRUE(WriteNotesFolder(folder.Path(), notes));
  fs::remove(folder.Dir() / "Note_500.tvk");
  fs::create_directories(folder.Dir() / "Note_500.tvk");  // listed as a folder, so not a note
  notes.erase(notes.begin() + 499);
  EXPECT_EQ(ReadNotesFolder(folder.Path()), notes);
}

TEST(NoteStore, LoadsOtherTvkNamesAfterNumberedOnesAndSkipsTheRest) {
  ScratchFolder folder("names");
  folder.Put("Note_2.tvk", "two\r\n2");
  folder.Put("NOTE_1.TVK", "one\r\n1");
  folder.Put("b.TVK", "b\r\nB");
  folder.Put("anotetvk", "a\r\nA");
  folder.Put("readme.txt", "skip\r\nme");
  folder.Put("hand made.tvk", "whole content, no break");
  fs::create_directories(folder.Dir() / "sub.tvk");  // a folder is not a note
  const std::vector<Note> expected = {{L"one", L"1"},
                                      {L"two", L"2"},
                                      {L"a", L"A"},
                                      {L"b", L"B"},
                                      {L"[无标题]", L"whole content, no break"}};
  EXPECT_EQ(ReadNotesFolder(folder.Path()), expected);
}

TEST(NoteStore, MissingFolderIsCreatedOnLoadAndOnSave) {
  ScratchFolder folder("missing");
  fs::remove_all(folder.Dir());
  EXPECT_TRUE(ReadNotesFolder(folder.Path()).empty());
  EXPECT_TRUE(fs::is_directory(folder.Dir()));
  fs::remove_all(folder.Dir());
  ASSERT_TRUE(WriteNotesFolder(folder.Path(), {{L"t", L"x"}}));
  EXPECT_EQ(folder.Files(), (FileMap{{"Note_1.tvk", "t\r\nx"}}));
}

TEST(NoteStore, SaveReplacesAllOldNotesButLeavesOtherFilesAlone) {
  ScratchFolder folder("replace");
  folder.Put("Note_1.tvk", "old1\r\n1");
  folder.Put("Note_5.tvk", "old5\r\n5");
  folder.Put("extra.TVK", "e\r\nE");
  folder.Put("readme.txt", "keep me");
  folder.Put("Note_1.tvk.tmp~1-1", "a leftover of a crashed save");
  ASSERT_TRUE(WriteNotesFolder(folder.Path(), {{L"new", L"N"}}));
  EXPECT_EQ(folder.Files(), (FileMap{{"Note_1.tvk", "new\r\nN"}, {"readme.txt", "keep me"}}));
}

TEST(NoteStore, EmptyNoteListEmptiesTheFolderOfNotes) {
  ScratchFolder folder("empty");
  folder.Put("Note_1.tvk", "a\r\nb");
  ASSERT_TRUE(WriteNotesFolder(folder.Path(), {{L"no text", L""}}));
  EXPECT_TRUE(folder.Files().empty());
}

// --- fault injection -------------------------------------------------------------------

enum class Fault { kNone, kKill, kDiskFull, kDenied };

// Counts every call; from call faultAt on, the chosen fault strikes. heldOpen names files
// that cannot be renamed over or removed at all, as when another program holds them.
class FaultyFs final : public NoteFileSystem {
 public:
  explicit FaultyFs(Fault fault = Fault::kNone, int faultAt = 0)
      : fault_(fault), faultAt_(faultAt) {}

  int Calls() const { return calls_; }
  std::set<std::wstring> heldOpen;
  // Names that cannot be read, as when another program holds them exclusively.
  std::set<std::wstring> unreadable;
  // Names whose temporaries (name + ".tmp~...") cannot be read.
  std::set<std::wstring> unreadableTemporaries;
  // The folder itself cannot be listed; or only the next few listings fail.
  bool unlistable = false;
  int failingListings = 0;
  // The folder looks missing though it is there (an error taken for "no such folder").
  bool folderLooksMissing = false;
  // Names another program holds with no sharing for the first so many milliseconds; the clock
  // moves only when the store pauses.
  std::map<std::wstring, int> heldForMs;
  int clockMs = 0;
  // Every rename over a file fails while set (a record held while the program writes it).
  std::atomic<bool> replacesFail{false};

  void Pause(int milliseconds) override { clockMs += milliseconds; }

  bool FolderExists(const std::wstring& folder) override {
    return !Fails() && !folderLooksMissing && real_.FolderExists(folder);
  }
  bool CreateFolder(const std::wstring& folder) override {
    return !Fails() && real_.CreateFolder(folder);
  }
  std::optional<std::vector<std::wstring>> ListFileNames(const std::wstring& folder) override {
    if (Fails() || unlistable) return std::nullopt;
    if (failingListings > 0) return --failingListings, std::nullopt;
    return real_.ListFileNames(folder);
  }
  std::optional<std::string> ReadFile(const std::wstring& path) override {
    if (Fails() || Unreadable(path)) return std::nullopt;
    return real_.ReadFile(path);
  }
  bool WriteFile(const std::wstring& path, std::string_view bytes) override {
    if (Fails()) return false;
    if (fault_ == Fault::kDiskFull && calls_ >= faultAt_) {
      real_.WriteFile(path, bytes.substr(0, bytes.size() / 2));  // what fitted stays behind
      return false;
    }
    return real_.WriteFile(path, bytes);
  }
  bool FlushFiles(const std::vector<std::wstring>& paths) override {
    return !Fails() && real_.FlushFiles(paths);
  }
  bool ReplaceFile(const std::wstring& from, const std::wstring& to) override {
    return !Fails() && !Held(to) && !Held(from) && !replacesFail && real_.ReplaceFile(from, to);
  }
  bool RenameFile(const std::wstring& from, const std::wstring& to) override {
    return !Fails() && !Held(to) && !Held(from) && real_.RenameFile(from, to);
  }
  bool RemoveFile(const std::wstring& path) override {
    return !Fails() && !Held(path) && real_.RemoveFile(path);
  }
  bool FlushFolder(const std::wstring& folder) override {
    return !Fails() && real_.FlushFolder(folder);
  }
  std::optional<std::vector<NoteFileStamp>> ListFileStamps(const std::wstring& folder) override {
    if (Fails() || unlistable) return std::nullopt;
    return real_.ListFileStamps(folder);
  }

 private:
  bool Fails() {
    ++calls_;
    if (fault_ == Fault::kKill) return calls_ >= faultAt_;  // the process is gone
    if (fault_ == Fault::kDenied) return calls_ == faultAt_;
    return false;
  }
  static std::wstring NameOf(const std::wstring& path) {
    return path.substr(path.rfind(L'\\') + 1);
  }
  bool HeldNow(const std::wstring& name) const {
    const auto held = heldForMs.find(name);
    return held != heldForMs.end() && clockMs < held->second;
  }
  bool Held(const std::wstring& path) const {
    return heldOpen.count(NameOf(path)) > 0 || HeldNow(NameOf(path));
  }
  bool Unreadable(const std::wstring& path) const {
    const std::wstring name = NameOf(path);
    if (HeldNow(name)) return true;
    const std::size_t mark = name.find(L".tmp~");
    return unreadable.count(name) > 0 ||
           (mark != std::wstring::npos && unreadableTemporaries.count(name.substr(0, mark)) > 0);
  }

  NoteFileSystem& real_ = RealNoteFileSystem();
  Fault fault_;
  int faultAt_;
  int calls_ = 0;
};

// An old folder that exercises every kind of step: kept, rewritten, new and stale notes,
// a note under a name of its own, and a file that is no note.
class NoteStoreFaults : public ::testing::Test {
 protected:
  NoteStoreFaults() : folder_(::testing::UnitTest::GetInstance()->current_test_info()->name()) {}

  void SetUp() override {
    folder_.Put("Note_1.tvk", "same\r\nunchanged");
    folder_.Put("Note_2.tvk", "two\r\nold text");
    folder_.Put("Note_3.tvk", "three\r\nold");
    folder_.Put("Note_4.tvk", "four\r\nstale");
    folder_.Put("mine.TVK", "mine\r\nhand made");
    folder_.Put("readme.txt", "not a note");
    oldFiles_ = folder_.Files();
    oldNotes_ = ReadNotesFolder(folder_.Path());
    ASSERT_EQ(oldNotes_.size(), 5u);
    newNotes_ = {{L"same", L"unchanged"},
                 {L"two", L"new text\r\n第二行"},
                 {L"", L"untitled"},
                 {L"dropped", L""},
                 {L"mine", L"hand made"}};
  }

  // Runs one save with the fault, then a clean start-up, and checks the outcome.
  // Returns whether the new notes are what loads.
  bool RunAndCheck(Fault fault, int step) {
    SCOPED_TRACE(::testing::Message()
                 << "fault " << static_cast<int>(fault) << " at step " << step);
    folder_.Restore(oldFiles_);
    FaultyFs faulty(fault, step);
    const bool saved = WriteNotesFolder(folder_.Path(), newNotes_, faulty);
    if (fault != Fault::kKill && !saved) {
      const FileMap after = folder_.Files();
      for (const auto& [name, bytes] : oldFiles_) {
        EXPECT_EQ(after.count(name) ? after.at(name) : "<gone>", bytes) << name;
      }
    }
    const std::vector<Note> loaded = ReadNotesFolder(folder_.Path());
    const bool isOld = loaded == oldNotes_;
    const bool isNew = loaded == AsReloaded(newNotes_);
    EXPECT_TRUE(isOld || isNew);
    if (fault != Fault::kKill) {
      EXPECT_TRUE(saved ? isNew : isOld) << "saved=" << saved;
    }
    // The start-up settled everything: no journal, no temporaries, the other file intact.
    const FileMap settled = folder_.Files();
    EXPECT_EQ(settled.at("readme.txt"), "not a note");
    for (const auto& entry : settled) {
      EXPECT_TRUE(entry.first.find("tmp~") == std::string::npos &&
                  entry.first.find("journal") == std::string::npos)
          << entry.first;
    }
    EXPECT_EQ(settled.size(), isNew ? 5u : 6u);
    return isNew;
  }

  int CountSteps() {
    folder_.Restore(oldFiles_);
    FaultyFs counting;
    EXPECT_TRUE(WriteNotesFolder(folder_.Path(), newNotes_, counting));
    return counting.Calls();
  }

  ScratchFolder folder_;
  FileMap oldFiles_;
  std::vector<Note> oldNotes_;
  std::vector<Note> newNotes_;
};

TEST_F(NoteStoreFaults, EveryStepOfASaveSurvivesKillDiskFullAndDenial) {
  const int steps = CountSteps();
  ASSERT_GT(steps, 10);
  for (const Fault fault : {Fault::kKill, Fault::kDiskFull, Fault::kDenied}) {
    int newOutcomes = 0;
    for (int step = 1; step <= steps + 1; ++step) newOutcomes += RunAndCheck(fault, step);
    // Early faults keep the old notes, late ones (past the commit) give the new ones.
    EXPECT_GT(newOutcomes, 0);
    EXPECT_LT(newOutcomes, steps + 1);
  }
}

TEST_F(NoteStoreFaults, StartUpKilledWhileFinishingASaveIsFinishedByTheNextStartUp) {
  const int steps = CountSteps();
  for (int step = 1; step <= steps; ++step) {
    folder_.Restore(oldFiles_);
    FaultyFs killedSave(Fault::kKill, step);
    WriteNotesFolder(folder_.Path(), newNotes_, killedSave);
    const FileMap afterSave = folder_.Files();
    FaultyFs counting;
    const std::vector<Note> expected = ReadNotesFolder(folder_.Path(), counting);
    for (int loadStep = 1; loadStep <= counting.Calls(); ++loadStep) {
      SCOPED_TRACE(::testing::Message()
                   << "save killed at " << step << ", load killed at " << loadStep);
      folder_.Restore(afterSave);
      FaultyFs killedLoad(Fault::kKill, loadStep);
      ReadNotesFolder(folder_.Path(), killedLoad);
      EXPECT_EQ(ReadNotesFolder(folder_.Path()), expected);
    }
  }
}

TEST_F(NoteStoreFaults, FileHeldOpenDefersTheSaveButLoadsTheNewNotes) {
  FaultyFs held;
  held.heldOpen = {L"mine.TVK", L"Note_2.tvk"};
  EXPECT_TRUE(WriteNotesFolder(folder_.Path(), newNotes_, held));  // committed
  EXPECT_EQ(ReadNotesFolder(folder_.Path(), held), AsReloaded(newNotes_));
  EXPECT_EQ(ReadNotesFolder(folder_.Path(), held), AsReloaded(newNotes_));
  // Another save while the first is still pending supersedes it.
  const std::vector<Note> third = {{L"third", L"3"}, {L"same", L"unchanged"}};
  EXPECT_TRUE(WriteNotesFolder(folder_.Path(), third, held));
  EXPECT_EQ(ReadNotesFolder(folder_.Path(), held), third);
  // Once released, the next start-up finishes and tidies up.
  EXPECT_EQ(ReadNotesFolder(folder_.Path()), third);
  EXPECT_EQ(folder_.Files(), (FileMap{{"Note_1.tvk", "third\r\n3"},
                                      {"Note_2.tvk", "same\r\nunchanged"},
                                      {"readme.txt", "not a note"}}));
}

TEST_F(NoteStoreFaults, DamagedJournalIsNeitherTrustedNorUsedToDeleteAnything) {
  folder_.Put("~notes-save.journal", "tarvik-notes-journal 1 5-1\nW 10 Note_3.tvk\nend 0000");
  folder_.Put("Note_3.tvk.tmp~5-1", "three\r\nperhaps new");
  EXPECT_EQ(ReadNotesFolder(folder_.Path()), oldNotes_);
  EXPECT_TRUE(folder_.Files().count("Note_3.tvk.tmp~5-1"));
  // A new save supersedes it and clears the debris away at the next start-up.
  ASSERT_TRUE(WriteNotesFolder(folder_.Path(), newNotes_));
  EXPECT_EQ(ReadNotesFolder(folder_.Path()), AsReloaded(newNotes_));
  EXPECT_EQ(folder_.Files().size(), 5u);
}

TEST_F(NoteStoreFaults, UnchangedSaveRewritesNothingAndOneChangeTouchesOneNote) {
  const std::vector<Note> same = ReadNotesFolder(folder_.Path());
  // Only reading calls are allowed: any write, rename or removal would fail the save.
  class NoWrites final : public NoteFileSystem {
   public:
    int changes = 0;
    void Pause(int) override {}
    bool FolderExists(const std::wstring& f) override { return real.FolderExists(f); }
    bool CreateFolder(const std::wstring&) override { return ++changes, false; }
    std::optional<std::vector<std::wstring>> ListFileNames(const std::wstring& f) override {
      return real.ListFileNames(f);
    }
    std::optional<std::string> ReadFile(const std::wstring& p) override { return real.ReadFile(p); }
    bool WriteFile(const std::wstring&, std::string_view) override { return ++changes, false; }
    bool FlushFiles(const std::vector<std::wstring>&) override { return ++changes, false; }
    bool ReplaceFile(const std::wstring&, const std::wstring&) override { return ++changes, false; }
    bool RenameFile(const std::wstring&, const std::wstring&) override { return ++changes, false; }
    bool RemoveFile(const std::wstring&) override { return ++changes, false; }
    bool FlushFolder(const std::wstring&) override { return ++changes, false; }
    NoteFileSystem& real = RealNoteFileSystem();
  } noWrites;
  // Saving the loaded notes renumbers "mine.TVK" and drops Note_4's gap, so settle once first.
  ASSERT_TRUE(WriteNotesFolder(folder_.Path(), same));
  const auto before = fs::last_write_time(folder_.Dir() / "Note_2.tvk");
  EXPECT_TRUE(WriteNotesFolder(folder_.Path(), same, noWrites));
  EXPECT_EQ(noWrites.changes, 0);

  std::vector<Note> oneChanged = same;
  oneChanged[2].text = L"changed";
  FaultyFs counting;
  ASSERT_TRUE(WriteNotesFolder(folder_.Path(), oneChanged, counting));
  EXPECT_EQ(fs::last_write_time(folder_.Dir() / "Note_2.tvk"), before);
  EXPECT_EQ(ReadNotesFolder(folder_.Path()), oneChanged);
}

// --- note files that could not be read at start-up ------------------------------------------

using Names = std::vector<std::wstring>;

TEST(NoteStoreUnreadable, LoadReportsThemAndSavesNeverRemoveNorReplaceThem) {
  ScratchFolder folder("unreadable");
  folder.Put("Note_1.tvk", "one\r\n1");
  folder.Put("Note_2.tvk", "two\r\n2");
  folder.Put("Note_3.tvk", "three\r\n3");
  folder.Put("Note_4.tvk", "four\r\n4");
  folder.Put("mine.TVK", "mine\r\nM");
  folder.Put("readme.txt", "not a note");
  const FileMap oldFiles = folder.Files();
  FaultyFs blocked;
  blocked.unreadable = {L"Note_3.tvk", L"mine.TVK"};

  const NotesFolderContents loaded = ReadNotesFolderContents(folder.Path(), blocked);
  const std::vector<Note> readable = {{L"one", L"1"}, {L"two", L"2"}, {L"four", L"4"}};
  EXPECT_EQ(loaded.notes, readable);
  EXPECT_EQ(loaded.unreadable, (Names{L"Note_3.tvk", L"mine.TVK"}));
  EXPECT_EQ(ReadNotesFolder(folder.Path(), blocked), readable);

  // Fewer notes: the stale Note_4 goes, the unreadable ones stay byte for byte.
  ASSERT_TRUE(WriteNotesFolder(folder.Path(), {{L"one", L"1"}, {L"four", L"4"}}, loaded.unreadable,
                               blocked));
  EXPECT_EQ(folder.Files(), (FileMap{{"Note_1.tvk", "one\r\n1"},
                                     {"Note_2.tvk", "four\r\n4"},
                                     {"Note_3.tvk", "three\r\n3"},
                                     {"mine.TVK", "mine\r\nM"},
                                     {"readme.txt", "not a note"}}));
  EXPECT_EQ(
      ReadNotesFolder(folder.Path()),
      (std::vector<Note>{{L"one", L"1"}, {L"four", L"4"}, {L"three", L"3"}, {L"mine", L"M"}}));

  // More notes: the numbering steps over Note_3 instead of writing over it.
  folder.Restore(oldFiles);
  std::vector<Note> more = readable;
  more.push_back({L"five", L"5"});
  more.push_back({L"six", L"6"});
  ASSERT_TRUE(WriteNotesFolder(folder.Path(), more, loaded.unreadable, blocked));
  EXPECT_EQ(folder.Files(), (FileMap{{"Note_1.tvk", "one\r\n1"},
                                     {"Note_2.tvk", "two\r\n2"},
                                     {"Note_3.tvk", "three\r\n3"},
                                     {"Note_4.tvk", "four\r\n4"},
                                     {"Note_5.tvk", "five\r\n5"},
                                     {"Note_6.tvk", "six\r\n6"},
                                     {"mine.TVK", "mine\r\nM"},
                                     {"readme.txt", "not a note"}}));
  // Every note once, the untouched ones in their place by number.
  EXPECT_EQ(ReadNotesFolder(folder.Path()), (std::vector<Note>{{L"one", L"1"},
                                                               {L"two", L"2"},
                                                               {L"three", L"3"},
                                                               {L"four", L"4"},
                                                               {L"five", L"5"},
                                                               {L"six", L"6"},
                                                               {L"mine", L"M"}}));
}

TEST(NoteStoreUnreadable, AFolderThatCannotBeListedIsReportedSoASaveKeepsItAll) {
  ScratchFolder folder("unlistable");
  folder.Put("Note_1.tvk", "one\r\n1");
  folder.Put("Note_2.tvk", "two\r\n2");
  FaultyFs blocked;
  blocked.unlistable = true;
  const NotesFolderContents loaded = ReadNotesFolderContents(folder.Path(), blocked);
  EXPECT_FALSE(loaded.listed);
  EXPECT_TRUE(loaded.notes.empty());
  // What the main window then does at exit: keep every note file there now.
  KeptFiles keep{loaded.unreadable, !loaded.listed};
  ASSERT_TRUE(WriteNotesFolder(folder.Path(), {{L"new", L"N"}}, keep));
  EXPECT_EQ(ReadNotesFolder(folder.Path()),
            (std::vector<Note>{{L"one", L"1"}, {L"two", L"2"}, {L"new", L"N"}}));
  EXPECT_TRUE(ReadNotesFolderContents(folder.Path()).listed);
  // A later save of the same run keeps those two, not the note it wrote itself.
  ASSERT_TRUE(WriteNotesFolder(folder.Path(), {{L"other", L"O"}}, keep));
  EXPECT_EQ(ReadNotesFolder(folder.Path()),
            (std::vector<Note>{{L"one", L"1"}, {L"two", L"2"}, {L"other", L"O"}}));
}

TEST(NoteStoreUnreadable, NumberingSkipsTheirNamesInAnyLetterCaseEvenWhenGone) {
  ScratchFolder folder("unreadable_case");
  folder.Put("NOTE_2.TVK", "two\r\n2");
  const std::vector<Note> notes = {{L"a", L"A"}, {L"b", L"B"}, {L"c", L"C"}};
  // On a case-insensitive disk "Note_2.tvk" would be the very same file.
  ASSERT_TRUE(WriteNotesFolder(folder.Path(), notes, Names{L"NOTE_2.TVK", L"Note_5.tvk"}));
  EXPECT_EQ(folder.Files(), (FileMap{{"NOTE_2.TVK", "two\r\n2"},
                                     {"Note_1.tvk", "a\r\nA"},
                                     {"Note_3.tvk", "b\r\nB"},
                                     {"Note_4.tvk", "c\r\nC"}}));
  // Saving the same again changes nothing.
  FaultyFs counting;
  const FileMap before = folder.Files();
  ASSERT_TRUE(WriteNotesFolder(folder.Path(), notes, Names{L"NOTE_2.TVK"}, counting));
  EXPECT_EQ(folder.Files(), before);
}

TEST(NoteStoreUnreadable, LargeFolderReportsThemInLoadOrder) {
  ScratchFolder folder("unreadable_large");
  std::vector<Note> notes;
  for (int i = 1; i <= 300; ++i) notes.push_back({L"t" + std::to_wstring(i), L"x"});
  ASSERT_TRUE(WriteNotesFolder(folder.Path(), notes));
  FaultyFs blocked;
  blocked.unreadable = {L"Note_290.tvk", L"Note_5.tvk"};  // one in each half
  const NotesFolderContents loaded = ReadNotesFolderContents(folder.Path(), blocked);
  EXPECT_EQ(loaded.unreadable, (Names{L"Note_5.tvk", L"Note_290.tvk"}));
  ASSERT_EQ(loaded.notes.size(), 298u);
  EXPECT_EQ(loaded.notes[4].title, L"t6");
  EXPECT_EQ(loaded.notes[287].title, L"t289");
  EXPECT_EQ(loaded.notes[288].title, L"t291");
}

TEST_F(NoteStoreFaults, UnreadableNoteSurvivesEveryFaultOfTheSave) {
  FaultyFs blocked;
  blocked.unreadable = {L"Note_3.tvk"};
  const NotesFolderContents loaded = ReadNotesFolderContents(folder_.Path(), blocked);
  ASSERT_EQ(loaded.unreadable, Names{L"Note_3.tvk"});
  std::vector<Note> expectedNew = AsReloaded(newNotes_);
  expectedNew.insert(expectedNew.begin() + 2, {L"three", L"old"});

  FaultyFs counting;
  counting.unreadable = blocked.unreadable;
  ASSERT_TRUE(WriteNotesFolder(folder_.Path(), newNotes_, loaded.unreadable, counting));
  const int steps = counting.Calls();
  for (const Fault fault : {Fault::kKill, Fault::kDiskFull, Fault::kDenied}) {
    int newOutcomes = 0;
    for (int step = 1; step <= steps + 1; ++step) {
      SCOPED_TRACE(::testing::Message()
                   << "fault " << static_cast<int>(fault) << " at step " << step);
      folder_.Restore(oldFiles_);
      FaultyFs faulty(fault, step);
      faulty.unreadable = blocked.unreadable;
      WriteNotesFolder(folder_.Path(), newNotes_, loaded.unreadable, faulty);
      const std::vector<Note> notes = ReadNotesFolder(folder_.Path());
      EXPECT_EQ(folder_.Files().at("Note_3.tvk"), "three\r\nold");
      EXPECT_TRUE(notes == oldNotes_ || notes == expectedNew);
      newOutcomes += notes == expectedNew;
    }
    EXPECT_GT(newOutcomes, 0);
    EXPECT_LT(newOutcomes, steps + 1);
  }
}

TEST_F(NoteStoreFaults, UnreadableNoteOfAPendingSaveIsKeptByTheNextSave) {
  FaultyFs held;
  held.heldOpen = {L"Note_2.tvk"};
  ASSERT_TRUE(WriteNotesFolder(folder_.Path(), newNotes_, held));  // committed, Note_2 waits
  held.unreadable = {L"Note_1.tvk"};
  const NotesFolderContents loaded = ReadNotesFolderContents(folder_.Path(), held);
  std::vector<Note> edited = AsReloaded(newNotes_);
  edited.erase(edited.begin());
  EXPECT_EQ(loaded.notes, edited);
  EXPECT_EQ(loaded.unreadable, Names{L"Note_1.tvk"});

  edited.push_back({L"added", L"new"});
  ASSERT_TRUE(WriteNotesFolder(folder_.Path(), edited, loaded.unreadable, held));  // waits too
  // A start-up while that save is still waiting goes by its journal, which must list Note_1.
  std::vector<Note> all = edited;
  all.insert(all.begin(), {L"same", L"unchanged"});
  held.unreadable.clear();
  EXPECT_EQ(ReadNotesFolder(folder_.Path(), held), all);
  EXPECT_EQ(ReadNotesFolder(folder_.Path()), all);
  const FileMap files = folder_.Files();
  EXPECT_EQ(files.size(), 6u);
  EXPECT_EQ(files.at("Note_1.tvk"), "same\r\nunchanged");
  EXPECT_EQ(files.at("Note_5.tvk"), "added\r\nnew");
}

// --- reads that fail after a committed but unfinished save -------------------------------------

// A save that commits while another program holds Note_2.tvk: its new text waits in a
// temporary, the journal names the new set, and stale Note_4 has not been removed yet.
class PendingSave : public NoteStoreFaults {
 protected:
  void SetUp() override {
    NoteStoreFaults::SetUp();
    held_.heldOpen = {L"Note_2.tvk", L"Note_4.tvk"};
    ASSERT_TRUE(WriteNotesFolder(folder_.Path(), newNotes_, held_));
    ASSERT_TRUE(folder_.Files().count("~notes-save.journal"));
    pendingFiles_ = folder_.Files();
  }
  void ExpectFolderUnchanged() { EXPECT_EQ(folder_.Files(), pendingFiles_); }

  FaultyFs held_;
  FileMap pendingFiles_;
};

TEST_F(PendingSave, AJournalThatCannotBeReadIsNeitherIgnoredNorSuperseded) {
  held_.unreadable = {L"~notes-save.journal"};
  const NotesFolderContents loaded = ReadNotesFolderContents(folder_.Path(), held_);
  // Neither the old nor the new set can be told apart from the mix on disk: nothing loads.
  EXPECT_FALSE(loaded.listed);
  EXPECT_TRUE(loaded.notes.empty());
  ExpectFolderUnchanged();
  // A save while it still cannot be read leaves everything as it is and says so.
  KeptFiles all{{}, true};
  EXPECT_FALSE(WriteNotesFolder(folder_.Path(), {{L"x", L"y"}}, all, held_));
  ExpectFolderUnchanged();
  EXPECT_EQ(ReadNotesFolder(folder_.Path()), AsReloaded(newNotes_));
}

TEST_F(PendingSave, AFailedListingIsRetriedAndNeverSkipsTheJournal) {
  held_.failingListings = 1;
  EXPECT_EQ(ReadNotesFolder(folder_.Path(), held_), AsReloaded(newNotes_));
  held_.unlistable = true;  // failing for good: nothing is loaded, so nothing is lost
  EXPECT_FALSE(ReadNotesFolderContents(folder_.Path(), held_).listed);
  ExpectFolderUnchanged();
}

TEST_F(PendingSave, ANewTextThatCannotBeReadIsReportedNotReplacedByTheOldOne) {
  held_.unreadableTemporaries = {L"Note_2.tvk"};
  const NotesFolderContents loaded = ReadNotesFolderContents(folder_.Path(), held_);
  std::vector<Note> readable = AsReloaded(newNotes_);
  readable.erase(readable.begin() + 1);
  EXPECT_EQ(loaded.notes, readable);
  EXPECT_EQ(loaded.unreadable, Names{L"Note_2.tvk"});
  // Still held: a save cannot keep the new text it never saw, so it must not commit.
  KeptFiles keep{loaded.unreadable};
  EXPECT_FALSE(WriteNotesFolder(folder_.Path(), readable, keep, held_));
  ExpectFolderUnchanged();
  // Released: the pending save finishes first and the unread note stays.
  held_.heldOpen.clear();
  ASSERT_TRUE(WriteNotesFolder(folder_.Path(), readable, keep, held_));
  EXPECT_EQ(Sorted(ReadNotesFolder(folder_.Path())), Sorted(AsReloaded(newNotes_)));
}

TEST(NoteStorePending, ChangingANoteBackToItsOldBytesIsSavedNotSkipped) {
  ScratchFolder folder("pending_back");
  folder.Put("Note_1.tvk", "a\r\nA");
  folder.Put("Note_2.tvk", "b\r\nold");
  FaultyFs held;
  held.heldOpen = {L"Note_2.tvk"};
  ASSERT_TRUE(WriteNotesFolder(folder.Path(), {{L"a", L"A"}, {L"b", L"new"}}, held));
  // Note_2.tvk still holds the old bytes; the pending journal holds the newer text.
  const std::vector<Note> back = {{L"a", L"A"}, {L"b", L"old"}};
  ASSERT_TRUE(WriteNotesFolder(folder.Path(), back, held));
  EXPECT_EQ(ReadNotesFolder(folder.Path()), back);
}

TEST_F(PendingSave, AFolderThatLooksMissingIsStillRead) {
  held_.folderLooksMissing = true;
  EXPECT_EQ(ReadNotesFolder(folder_.Path(), held_), AsReloaded(newNotes_));
}

// --- the one owner of the folder: a run crashes, the folder changes, the next run starts ----

class FolderRuns : public ::testing::Test {
 protected:
  struct Run {
    std::unique_ptr<NotesFolder> folder;
    std::vector<Note> notes;
    std::wstring told;
    int asked = 0;
  };

  FolderRuns() : scratch_(::testing::UnitTest::GetInstance()->current_test_info()->name()) {
    Reset();
  }
  // Three notes and nothing else beside them.
  void Reset() {
    fs::remove_all(scratch_.Dir().parent_path());
    fs_.heldForMs.clear();
    fs_.clockMs = 0;
    for (int i = 1; i <= 3; ++i)
      scratch_.Put("Note_" + std::to_string(i) + ".tvk",
                   std::string(1, char('a' + i - 1)) + "\r\n" + std::to_string(i));
  }
  std::wstring Program() const {
    const std::wstring notes = scratch_.Path();
    return notes.substr(0, notes.size() - 6);
  }
  std::vector<std::string> Beside(const std::string& prefix) const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(scratch_.Dir().parent_path())) {
      const std::string name = entry.path().filename().string();
      if (name.rfind(prefix, 0) == 0) names.push_back(name);
    }
    return names;
  }
  Run Start(bool yes) {
    Run run;
    run.folder = std::make_unique<NotesFolder>(Program(), fs_, RecoveryWriter::Mode::kInline);
    run.notes = run.folder->Load();
    const NotesFolder::Conversation talk{[&](const std::wstring&) { return ++run.asked, yes; },
                                         [&](const std::wstring& t) { run.told += t; }};
    if (auto shown = run.folder->Recover(std::vector<Note>(run.notes), talk)) run.notes = *shown;
    return run;
  }
  // The run ends by force with these notes in its record.
  void Crash(Run& run, const std::vector<Note>& notes) {
    ASSERT_NE(run.folder->Record(), nullptr);
    run.folder->Record()->Reshaped();
    run.folder->Record()->Changed(notes, std::nullopt);
    ASSERT_TRUE(run.folder->FlushRecord());
    run.folder.reset();
  }

  ScratchFolder scratch_;
  FaultyFs fs_;
};

const std::vector<Note> kBase{{L"a", L"1"}, {L"b", L"2"}, {L"c", L"3"}};
std::vector<Note> With(std::vector<Note> notes, const std::vector<Note>& more) {
  notes.insert(notes.end(), more.begin(), more.end());
  return notes;
}

TEST_F(FolderRuns, ARecordIsOfferedOverTheFolderAsItIsNowOrKeptAsideWithANotice) {
  const Note typed{L"d", L"typed"};
  struct Row {
    const char* what;
    std::vector<Note> atCrash;
    std::function<void(ScratchFolder&)> outside;
    std::map<std::wstring, int> heldMs;
    bool yes;
    std::vector<Note> shown;
    int asked;
    std::wstring told;  // "" when nothing is told
    bool copied;        // the folder was copied aside before the record went over it
  };
  const auto rewrite2 = [](ScratchFolder& f) { f.Put("Note_2.tvk", "b\r\nsynced"); };
  const auto swap3 = [](ScratchFolder& f) {
    fs::remove(f.Dir() / "Note_3.tvk");
    f.Put("Note_9.tvk", "e\r\n5");
  };
  const Row rows[] = {
      {"crash", With(kBase, {typed}), nullptr, {}, true, With(kBase, {typed}), 1, L"", false},
      {"crash, a sync rewrote a note",
       {{L"a", L"1"}, {L"b", L"2x"}, {L"c", L"3"}, typed},
       rewrite2,
       {},
       true,
       {{L"a", L"1"}, {L"b", L"synced"}, {L"c", L"3"}, {L"b", L"2x"}, typed},
       1,
       L"",
       true},
      {"crash, a sync removed and added",
       With(kBase, {typed}),
       swap3,
       {},
       true,
       {{L"a", L"1"}, {L"b", L"2"}, {L"e", L"5"}, typed},
       1,
       L"",
       true},
      {"crash, a sync, the user says no",
       With(kBase, {typed}),
       rewrite2,
       {},
       false,
       {{L"a", L"1"}, {L"b", L"synced"}, {L"c", L"3"}},
       1,
       L"",
       false},
      {"a run that only removed, then a sync",
       {{L"a", L"1"}, {L"b", L"2"}},
       rewrite2,
       {},
       true,
       {{L"a", L"1"}, {L"b", L"synced"}, {L"c", L"3"}},
       0,
       L"Notes.recovery.old-",
       false},
      {"a note held a second", kBase, nullptr, {{L"Note_2.tvk", 1000}}, true, kBase, 0, L"", false},
      {"a note held twenty seconds",
       kBase,
       nullptr,
       {{L"Note_2.tvk", 20000}},
       true,
       {{L"a", L"1"}, {L"c", L"3"}},
       0,
       L"Note_2.tvk",
       false},
      {"the record held",
       With(kBase, {typed}),
       nullptr,
       {{L"Notes.recovery", 20000}},
       true,
       kBase,
       0,
       L"“Notes.recovery”",
       false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Reset();
    Run first = Start(true);
    ASSERT_EQ(first.notes, kBase);
    Crash(first, row.atCrash);
    if (row.outside) row.outside(scratch_);
    fs_.heldForMs = row.heldMs;
    Run next = Start(row.yes);
    EXPECT_EQ(next.notes, row.shown);
    EXPECT_EQ(next.asked, row.asked);
    if (row.told.empty())
      EXPECT_EQ(next.told, L"");
    else
      EXPECT_NE(next.told.find(row.told), std::wstring::npos) << util::ToUtf8(next.told);
    EXPECT_EQ(Beside("Notes.replaced-").size(), row.copied ? 1u : 0u);
    // Nothing of the crashed run's record is ever lost: applied, aside, or where it was.
    EXPECT_TRUE(row.asked && row.yes ? true : !Beside("Notes.recovery").empty());
  }
}

TEST_F(FolderRuns, AHeldNoteIsToldKeptAtTheExitAndTheRunIsStillRecorded) {
  fs_.heldForMs = {{L"Note_2.tvk", 20000}};
  Run run = Start(true);
  EXPECT_NE(run.told.find(L"Note_2.tvk"), std::wstring::npos);
  const std::vector<Note> typed{{L"a", L"1"}, {L"c", L"3"}, {L"d", L"typed"}};
  Crash(run, typed);
  fs_.clockMs = 0;
  Run next = Start(true);
  EXPECT_EQ(next.asked, 1);
  EXPECT_EQ(next.notes, typed);
  ASSERT_TRUE(next.folder->Save(next.notes));
  EXPECT_EQ(scratch_.Files().at("Note_2.tvk"), "b\r\n2");
  EXPECT_EQ(scratch_.Files().at("Note_4.tvk"), "d\r\ntyped");
}

TEST_F(FolderRuns, AFailedRecordWriteIsTriedAgainByItself) {
  NotesFolder folder(Program(), fs_);
  const std::vector<Note> loaded = folder.Load();
  folder.Recover(loaded, {[](const std::wstring&) { return true; }, [](const std::wstring&) {}});
  fs_.replacesFail = true;
  folder.Record()->Changed(With(loaded, {{L"d", L"typed"}}), std::nullopt);
  std::this_thread::sleep_for(std::chrono::milliseconds(RecoveryWriter::kMaxDelayMs + 500));
  const fs::path record = scratch_.Dir().parent_path() / "Notes.recovery";
  EXPECT_FALSE(fs::exists(record));
  fs_.replacesFail = false;
  // No change, no flush: the writer tries again by itself.
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!fs::exists(record) && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_TRUE(fs::exists(record));
}

}  // namespace
}  // namespace tarvik::notes
