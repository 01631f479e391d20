#include "notes/recovery_record.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "util/file_io.h"
#include "util/text_codec.h"

namespace tarvik::notes {
namespace {

namespace fs = std::filesystem;

// The record of current against loaded, comparing every note (the writer tracks changes
// instead).
RecoveryRecord MakeRecoveryRecord(const std::vector<Note>& loaded,
                                  const std::vector<Note>& current) {
  RecoveryRecord record;
  record.baseline = BaselineOf(loaded);
  for (std::size_t i = 0; i < current.size(); ++i) {
    if (i < loaded.size() && current[i] == loaded[i]) {
      if (!record.entries.empty() && record.entries.back().sameCount > 0 &&
          record.entries.back().sameFrom + record.entries.back().sameCount == i) {
        ++record.entries.back().sameCount;
      } else {
        record.entries.push_back({i, 1, nullptr});
      }
    } else {
      record.entries.push_back({0, 0, std::make_shared<const Note>(current[i])});
    }
  }
  return record;
}

std::vector<Note> Numbered(int count, const std::wstring& tag = L"") {
  std::vector<Note> notes;
  for (int i = 0; i < count; ++i)
    notes.push_back({L"标题 " + std::to_wstring(i), L"正文\r\n" + tag + std::to_wstring(i)});
  return notes;
}

std::optional<std::vector<Note>> RoundTrip(const std::vector<Note>& loaded,
                                           const std::vector<Note>& current) {
  const auto decoded =
      DecodeRecoveryRecord(EncodeRecoveryRecord(MakeRecoveryRecord(loaded, current)));
  if (!decoded) return std::nullopt;
  return ApplyRecoveryRecord(*decoded, loaded);
}

TEST(RecoveryRecord, RoundTripOfEveryKindOfChange) {
  const std::vector<Note> loaded = Numbered(5);
  auto edited = loaded;
  edited[2].text += L"\r\n多一行";
  auto inserted = loaded;
  inserted.insert(inserted.begin(), Note{L"", L""});
  auto removed = loaded;
  removed.erase(removed.begin() + 1);
  auto retitled = loaded;
  retitled[4].title = L"[无标题]";
  const std::vector<std::vector<Note>> rows = {
      loaded,
      edited,
      inserted,
      removed,
      retitled,
      {},
      Numbered(7, L"new "),
      {Note{L"\uFEFFline\nbreak\r\n", std::wstring(L"\0x", 2)}}};
  for (const auto& current : rows) EXPECT_EQ(RoundTrip(loaded, current), current);
  EXPECT_EQ(RoundTrip({}, Numbered(2)), Numbered(2));
}

TEST(RecoveryRecord, TornOrDamagedRecordIsNeverApplied) {
  const std::vector<Note> loaded = Numbered(4);
  auto current = loaded;
  current[1].text = L"改过的";
  current.push_back({L"新", L"note"});
  const std::string bytes = EncodeRecoveryRecord(MakeRecoveryRecord(loaded, current));
  ASSERT_TRUE(DecodeRecoveryRecord(bytes));
  for (std::size_t size = 0; size < bytes.size(); ++size)
    EXPECT_FALSE(DecodeRecoveryRecord(bytes.substr(0, size))) << "torn at " << size;
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    std::string damaged = bytes;
    damaged[at] ^= 0x20;
    EXPECT_FALSE(DecodeRecoveryRecord(damaged)) << "damaged at " << at;
  }
}

TEST(RecoveryRecord, AppliesOnlyToTheLoadItWasMadeAgainst) {
  const std::vector<Note> loaded = Numbered(4);
  auto current = loaded;
  current[0].text = L"typed";
  const RecoveryRecord record = MakeRecoveryRecord(loaded, current);
  auto otherText = loaded;
  otherText[3].text = L"saved by someone else";
  auto fewer = loaded;
  fewer.pop_back();
  for (const auto& load : {otherText, fewer, Numbered(5), std::vector<Note>{}})
    EXPECT_FALSE(ApplyRecoveryRecord(record, load));
  EXPECT_EQ(ApplyRecoveryRecord(record, loaded), current);

  // Held in full and without a baseline, it stands on its own; a run of loaded notes in it
  // then means nothing and spoils it.
  RecoveryRecord standalone = MakeRecoveryRecord({}, current);
  standalone.baseline.reset();
  const auto decoded = DecodeRecoveryRecord(EncodeRecoveryRecord(standalone));
  ASSERT_TRUE(decoded);
  EXPECT_EQ(ApplyRecoveryRecord(*decoded, otherText), current);
  RecoveryRecord dangling = record;
  dangling.baseline.reset();
  EXPECT_FALSE(ApplyRecoveryRecord(dangling, loaded));
}

TEST(RecoveryRecord, OneEditedNoteAmongTenThousandIsSmall) {
  const std::vector<Note> loaded = Numbered(10000);
  auto current = loaded;
  current[5000].text = L"edited";
  EXPECT_LT(EncodeRecoveryRecord(MakeRecoveryRecord(loaded, current)).size(), 200u);
}

TEST(RecoveryRecord, SaveTheSameIgnoresWhatASaveDrops) {
  const std::vector<Note> loaded = Numbered(2);
  auto withEmpty = loaded;
  withEmpty.push_back({L"title only", L""});
  EXPECT_TRUE(SaveTheSame(loaded, withEmpty));
  EXPECT_TRUE(SaveTheSame({{L"", L"x"}}, {{L"[无标题]", L"x"}}));
  EXPECT_FALSE(SaveTheSame(loaded, Numbered(2, L"changed ")));
}

// --- on disk ------------------------------------------------------------------------------

// Fails every call from the given one on, as a disk that fills up or a program that is ended,
// or up to failTo only, as a file another program holds for a moment.
class FailingFs final : public NoteFileSystem {
 public:
  int failFrom = 1 << 30;
  int failTo = 1 << 30;
  bool readFails = false;
  int calls = 0;

  bool FolderExists(const std::wstring& f) override { return Ok() && real_.FolderExists(f); }
  bool CreateFolder(const std::wstring& f) override { return Ok() && real_.CreateFolder(f); }
  std::optional<std::vector<std::wstring>> ListFileNames(const std::wstring& f) override {
    return Ok() ? real_.ListFileNames(f) : std::nullopt;
  }
  std::optional<std::string> ReadFile(const std::wstring& p) override {
    return Ok() && !readFails ? real_.ReadFile(p) : std::nullopt;
  }
  bool WriteFile(const std::wstring& p, std::string_view b) override {
    return Ok() && real_.WriteFile(p, b);
  }
  bool FlushFiles(const std::vector<std::wstring>& p) override {
    return Ok() && real_.FlushFiles(p);
  }
  bool ReplaceFile(const std::wstring& f, const std::wstring& t) override {
    return Ok() && real_.ReplaceFile(f, t);
  }
  bool RenameFile(const std::wstring& f, const std::wstring& t) override {
    return Ok() && real_.RenameFile(f, t);
  }
  bool RemoveFile(const std::wstring& p) override { return Ok() && real_.RemoveFile(p); }
  bool FlushFolder(const std::wstring& f) override { return Ok() && real_.FlushFolder(f); }
  bool RemoveEmptyFolder(const std::wstring& f) override {
    return Ok() && real_.RemoveEmptyFolder(f);
  }
  std::optional<std::vector<NoteFileStamp>> ListFileStamps(const std::wstring& f) override {
    return Ok() ? real_.ListFileStamps(f) : std::nullopt;
  }

 private:
  void Pause(int) override {}
  bool Ok() {
    ++calls;
    return calls < failFrom || calls > failTo;
  }
  NoteFileSystem& real_ = RealNoteFileSystem();
};

class RecoveryOnDisk : public ::testing::Test {
 protected:
  RecoveryOnDisk() {
    std::random_device rd;
    // On tmpfs when there is one: the writer test flushes a record per step.
    const fs::path base =
        fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    root_ = base / ("tarvik_recovery_" + std::to_string(rd()));
    fs::create_directories(root_ / "Notes");
    program_ = util::FromUtf8(root_.string());
  }
  ~RecoveryOnDisk() override { fs::remove_all(root_); }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(root_))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  std::optional<std::vector<Note>> Recovered(const std::vector<Note>& loaded) {
    const RecordRead read = ReadRecoveryRecord(program_, fs_);
    if (read.status != RecordStatus::kFound) return std::nullopt;
    return ApplyRecoveryRecord(read.record, loaded);
  }

  fs::path root_;
  std::wstring program_;
  FailingFs fs_;
};

TEST_F(RecoveryOnDisk, ReadTellsAbsentFoundDamagedAndUnreadableApart) {
  EXPECT_EQ(ReadRecoveryRecord(program_, fs_).status, RecordStatus::kAbsent);
  ASSERT_TRUE(WriteRecoveryRecord(program_, MakeRecoveryRecord({}, Numbered(1)), fs_));
  EXPECT_EQ(Recovered({}), Numbered(1));
  fs_.readFails = true;
  EXPECT_EQ(ReadRecoveryRecord(program_, fs_).status, RecordStatus::kUnreadable);
  fs_.readFails = false;
  fs_.failFrom = fs_.calls + 1;  // not even a listing
  EXPECT_EQ(ReadRecoveryRecord(program_, fs_).status, RecordStatus::kUnreadable);
  fs_.failFrom = 1 << 30;
  std::ofstream(root_ / "Notes.recovery", std::ios::binary) << "tarvik-notes-recovery 1\nbase";
  EXPECT_EQ(ReadRecoveryRecord(program_, fs_).status, RecordStatus::kDamaged);
  // One beyond the bound is not read at all, whatever the listing said.
  EXPECT_EQ(ReadRecoveryRecordFile(program_, L"Notes.recovery", 5, 4, fs_).status,
            RecordStatus::kTooLarge);
  EXPECT_EQ(ReadRecoveryRecordFile(program_, L"Notes.recovery", 1, 4, fs_).status,
            RecordStatus::kTooLarge);
}

TEST_F(RecoveryOnDisk, KeepingAsideNeverOverwritesAndKeepsTheNewestTwenty) {
  for (int round = 1; round <= 25; ++round) {
    ASSERT_TRUE(WriteRecoveryRecord(program_, MakeRecoveryRecord({}, Numbered(round)), fs_));
    ASSERT_TRUE(KeepRecoveryRecordAside(program_, fs_));
  }
  const std::vector<std::string> names = Names();
  ASSERT_EQ(names.size(), 21u);  // "Notes" and twenty records
  fs::rename(root_ / names.back(), root_ / "Notes.recovery");
  EXPECT_EQ(Recovered({}), Numbered(25));
  EXPECT_TRUE(RemoveRecoveryRecord(program_, fs_));
  EXPECT_TRUE(KeepRecoveryRecordAside(program_, fs_));  // nothing to put aside
  EXPECT_EQ(ReadRecoveryRecord(program_, fs_).status, RecordStatus::kAbsent);
}

// A write stopped at any step leaves the last good record, and no temporary the next read
// does not clear away.
TEST_F(RecoveryOnDisk, AFailedWriteAtAnyStepKeepsTheLastGoodRecord) {
  const std::vector<Note> loaded = Numbered(3);
  auto newer = loaded;
  newer[1].text = L"newer";
  for (int step = 1;; ++step) {
    ASSERT_TRUE(
        WriteRecoveryRecord(program_, MakeRecoveryRecord(loaded, Numbered(3, L"old")), fs_));
    fs_.calls = 0;
    fs_.failFrom = step;
    const bool written = WriteRecoveryRecord(program_, MakeRecoveryRecord(loaded, newer), fs_);
    fs_.failFrom = 1 << 30;
    EXPECT_EQ(Recovered(loaded), written ? newer : Numbered(3, L"old")) << "step " << step;
    EXPECT_EQ(Names(), (std::vector<std::string>{"Notes", "Notes.recovery"}));
    if (written) break;
  }
}

// The writer, fed random edits the way the main window makes them, always leaves a record that
// brings back exactly the notes (with the editor's note in place of its stored one).
TEST_F(RecoveryOnDisk, WriterRecordAlwaysBringsBackTheNotes) {
  const std::vector<Note> loaded = Numbered(6);
  std::vector<Note> notes = loaded;
  RecoveryWriter writer(program_, loaded, fs_, RecoveryWriter::Mode::kInline);
  std::mt19937 random(7);
  std::optional<OpenNote> open;
  for (int step = 0; step < 300; ++step) {
    const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    const Note made{L"t" + std::to_wstring(pick(3)), L"x" + std::to_wstring(pick(3))};
    switch (notes.empty() ? 1 : pick(6)) {
      case 0: {
        const std::size_t i = pick(notes.size());
        notes[i] = made;
        writer.Edited(i);
        break;
      }
      case 1: {
        const std::size_t i = pick(notes.size() + 1);
        notes.insert(notes.begin() + static_cast<std::ptrdiff_t>(i), made);
        writer.Inserted(i);
        if (open && open->index >= i) ++open->index;
        break;
      }
      case 2: {
        const std::size_t i = pick(notes.size());
        notes.erase(notes.begin() + static_cast<std::ptrdiff_t>(i));
        writer.Removed(i);
        if (open && open->index == i)
          open.reset();
        else if (open && open->index > i)
          --open->index;
        break;
      }
      case 3:  // a rebuild that changes notes it was never told about, or brings one back
        notes[pick(notes.size())] = loaded[pick(loaded.size())];
        writer.Reshaped();
        break;
      case 4:
        open = OpenNote{pick(notes.size()), made};
        break;
      default:
        open.reset();  // the editor's note was committed or dropped
        break;
    }
    writer.Changed(notes, open);
    std::vector<Note> expected = notes;
    if (open) expected[open->index] = open->note;
    ASSERT_EQ(Recovered(loaded), expected) << "step " << step;
  }
}

TEST_F(RecoveryOnDisk, BackgroundWriterWritesOnFlushAndNothingAfterStop) {
  const std::vector<Note> loaded = Numbered(2);
  auto notes = loaded;
  RecoveryWriter writer(program_, loaded, fs_);
  notes[0].text = L"typed";
  writer.Edited(0);
  writer.Changed(notes, std::nullopt);
  EXPECT_TRUE(writer.Flush());
  EXPECT_EQ(Recovered(loaded), notes);
  EXPECT_TRUE(writer.Stop());
  ASSERT_TRUE(RemoveRecoveryRecord(program_, fs_));
  writer.Changed(notes, OpenNote{1, {L"late", L"edit"}});
  writer.Flush();
  EXPECT_EQ(ReadRecoveryRecord(program_, fs_).status, RecordStatus::kAbsent);
}

TEST_F(RecoveryOnDisk, WriterFailureKeepsTheLastGoodRecordAndRetries) {
  const std::vector<Note> loaded = Numbered(2);
  auto notes = loaded;
  RecoveryWriter writer(program_, loaded, fs_, RecoveryWriter::Mode::kInline);
  writer.Changed(notes, OpenNote{0, {L"a", L"first"}});
  fs_.failFrom = fs_.calls + 1;
  writer.Changed(notes, OpenNote{0, {L"a", L"second"}});
  EXPECT_FALSE(writer.Flush());
  fs_.failFrom = 1 << 30;
  EXPECT_EQ(Recovered(loaded)->at(0).text, L"first");
  EXPECT_TRUE(writer.Flush());
  EXPECT_EQ(Recovered(loaded)->at(0).text, L"second");
}

TEST_F(RecoveryOnDisk, FolderChangedBehindOurBackIsSeenAndCopiedAside) {
  const std::wstring notes = program_ + L"\\Notes";
  ASSERT_TRUE(WriteNotesFolder(notes, Numbered(2), fs_));
  const auto atLoad = FingerprintNotesFolder(notes, fs_);
  ASSERT_TRUE(atLoad);
  EXPECT_FALSE(NotesFolderChanged(notes, atLoad, fs_));
  std::ofstream(root_ / "Notes" / "readme.txt") << "not a note";
  EXPECT_FALSE(NotesFolderChanged(notes, atLoad, fs_));
  // Another program's save under way: its new text waits in a temporary named by its journal.
  std::ofstream(root_ / "Notes" / "Note_1.tvk.tmp~x", std::ios::binary) << "waiting";
  EXPECT_TRUE(NotesFolderChanged(notes, atLoad, fs_));
  std::ofstream(root_ / "Notes" / "Note_2.tvk", std::ios::binary) << "other\r\nprogram's text";
  EXPECT_TRUE(NotesFolderChanged(notes, atLoad, fs_));
  EXPECT_TRUE(NotesFolderChanged(notes, std::nullopt, fs_));

  const auto aside = CopyNotesFolderAside(notes, fs_);
  ASSERT_TRUE(aside);
  for (const char* name : {"Note_1.tvk", "Note_2.tvk", "Note_1.tvk.tmp~x", "readme.txt"}) {
    std::ifstream copy(util::ToFsPath(*aside) / name, std::ios::binary);
    std::ifstream original(root_ / "Notes" / name, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(copy), {}),
              std::string(std::istreambuf_iterator<char>(original), {}))
        << name;
  }
  EXPECT_NE(CopyNotesFolderAside(notes, fs_), aside);  // a second copy never overwrites the first
}

TEST_F(RecoveryOnDisk, ACopyAsideCutShortLeavesNothingThatPassesForTheFolder) {
  const std::wstring notes = program_ + L"\\Notes";
  ASSERT_TRUE(WriteNotesFolder(notes, Numbered(3), fs_));
  for (int step = 1;; ++step) {
    SCOPED_TRACE(step);
    fs_.calls = 0;
    fs_.failFrom = fs_.failTo = step;
    const auto aside = CopyNotesFolderAside(notes, fs_);
    if (fs_.calls < step) {  // no call failed: the copy is whole
      ASSERT_TRUE(aside);
      break;
    }
    if (aside) {
      EXPECT_EQ(ReadNotesFolderContents(*aside, fs_).notes.size(), 3u);
      fs::remove_all(util::ToFsPath(*aside));
    }
    EXPECT_EQ(Names(), (std::vector<std::string>{"Notes"}));
  }
}

}  // namespace
}  // namespace tarvik::notes
