// The note store against plain file access on the same 10,000 notes of about 1 KB.
// Compare: Load vs PlainRead (target <= 1.5x), SaveAllChanged vs PlainWriteFlushed (<= 3x),
// SaveOneChanged vs PlainWriteFlushed (<= 0.2x). ExitPath (the confirmed exit's commit,
// settings and notes with one note edited) stays within SaveOneChanged plus a settings write.
// The recovery record: RecordKeystroke (what a keystroke costs the user-interface thread with
// 10,000 notes) stays far below a millisecond; RecordWrite (the writer thread's write of one
// edited note among 10,000) near one small flushed file; RecordStart (taking the loaded notes'
// identity at start-up) a small fraction of Load.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "main_window_probe.h"
#include "notes/note_store.h"
#include "notes/recovery_record.h"
#include "platform/headless/headless_platform.h"

namespace {

namespace fs = std::filesystem;
using Probe = tarvik::app::frmMainProbe;
using tarvik::notes::Note;

constexpr int kNoteCount = 10000;

// Beside the build, on a real disk: flushes must cost what they cost for the user.
fs::path BenchRoot() {
  static const fs::path root = fs::current_path() / "note_store_bench_data";
  return root;
}

std::wstring ProgramPath(const fs::path& path) {
  std::wstring wide = path.wstring();
  std::replace(wide.begin(), wide.end(), L'/', L'\\');
  return wide;
}

// About 1 KB of mixed Chinese and ASCII with CR LF inside; generation differs per round so
// every note changes when asked to.
std::vector<Note> MakeNotes(int round) {
  std::vector<Note> notes;
  notes.reserve(kNoteCount);
  for (int i = 0; i < kNoteCount; ++i) {
    std::wstring text;
    while (text.size() < 600) {
      text += L"第" + std::to_wstring(i) + L"条笔记 line " + std::to_wstring(round) +
              L" — 今天的会议记录, some ASCII words here.\r\n";
    }
    notes.push_back({L"笔记标题 " + std::to_wstring(i), std::move(text)});
  }
  return notes;
}

const std::wstring& StoreFolder() {
  static const std::wstring folder = [] {
    fs::remove_all(BenchRoot());
    fs::create_directories(BenchRoot());
    const std::wstring path = ProgramPath(BenchRoot() / "Notes");
    tarvik::notes::WriteNotesFolder(path, MakeNotes(0));
    tarvik::notes::ReadNotesFolderContents(
        path);  // settle the fresh writes before anything is timed
    return path;
  }();
  return folder;
}

std::vector<std::string> NoteFileNames() {
  std::vector<std::string> names;
  for (int i = 1; i <= kNoteCount; ++i) names.push_back("Note_" + std::to_string(i) + ".tvk");
  return names;
}

void Load(benchmark::State& state) {
  const std::wstring& folder = StoreFolder();
  for (auto _ : state) {
    auto notes = tarvik::notes::ReadNotesFolderContents(folder).notes;
    if (notes.size() != kNoteCount) state.SkipWithError("wrong note count");
    benchmark::DoNotOptimize(notes);
  }
}

void PlainRead(benchmark::State& state) {
  StoreFolder();
  const fs::path dir = BenchRoot() / "Notes";
  const std::vector<std::string> names = NoteFileNames();
  for (auto _ : state) {
    std::vector<std::string> contents;
    contents.reserve(names.size());
    for (const std::string& name : names) {
      const int fd = ::open((dir / name).c_str(), O_RDONLY | O_CLOEXEC);
      std::string bytes;
      char buffer[4096];
      for (ssize_t n; fd >= 0 && (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, static_cast<std::size_t>(n));
      if (fd >= 0) ::close(fd);
      contents.push_back(std::move(bytes));
    }
    benchmark::DoNotOptimize(contents);
  }
}

void SaveAllChanged(benchmark::State& state) {
  const std::wstring& folder = StoreFolder();
  const std::vector<Note> rounds[2] = {MakeNotes(1), MakeNotes(2)};
  int round = 0;
  for (auto _ : state) {
    if (!tarvik::notes::WriteNotesFolder(folder, rounds[round ^= 1]))
      state.SkipWithError("save failed");
  }
}

void SaveOneChanged(benchmark::State& state) {
  const std::wstring& folder = StoreFolder();
  std::vector<Note> notes = MakeNotes(3);
  tarvik::notes::WriteNotesFolder(folder, notes);
  int round = 0;
  for (auto _ : state) {
    notes[kNoteCount / 2].text = L"changed " + std::to_wstring(++round);
    if (!tarvik::notes::WriteNotesFolder(folder, notes)) state.SkipWithError("save failed");
  }
}

void PlainWriteFlushed(benchmark::State& state) {
  std::vector<std::string> contents;
  for (const Note& note : MakeNotes(4)) contents.push_back(tarvik::notes::FormatNoteFile(note));
  const fs::path dir = BenchRoot() / "Plain";
  fs::create_directories(dir);
  const std::vector<std::string> names = NoteFileNames();
  for (auto _ : state) {
    for (std::size_t i = 0; i < names.size(); ++i) {
      const int fd =
          ::open((dir / names[i]).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
      if (fd < 0 ||
          ::write(fd, contents[i].data(), contents[i].size()) !=
              static_cast<ssize_t>(contents[i].size()) ||
          ::fsync(fd) != 0) {
        state.SkipWithError("plain write failed");
      }
      if (fd >= 0) ::close(fd);
    }
  }
}

// What the close button does once the user confirms: the open note is committed, then
// Config.ini and the Notes folder are written.
void ExitPath(benchmark::State& state) {
  const fs::path programDir = BenchRoot() / "Exit";
  fs::create_directories(programDir);
  tarvik::notes::WriteNotesFolder(ProgramPath(programDir / "Notes"), MakeNotes(5));
  tarvik::platform::headless::HeadlessPlatform platform;
  platform.SetProgramFolder(ProgramPath(programDir));
  tarvik::app::frmMain main(platform);
  if (!main.Load()) state.SkipWithError("the main window did not load");
  Probe::SelectNote(main, kNoteCount / 2);
  Probe::DblClickList1(main);
  int round = 0;
  for (auto _ : state) {
    Probe::SetNoteText(main, L"edited " + std::to_wstring(++round));
    Probe::Book(main).CommitOpenNote();
    if (!Probe::SaveSettings(main) || !Probe::SaveNotes(main)) state.SkipWithError("save failed");
  }
}

const std::wstring& RecordProgramFolder() {
  static const std::wstring folder = [] {
    fs::create_directories(BenchRoot() / "Record");
    return ProgramPath(BenchRoot() / "Record");
  }();
  return folder;
}

void RecordKeystroke(benchmark::State& state) {
  const std::vector<Note> loaded = MakeNotes(6);
  tarvik::notes::RecoveryWriter writer(RecordProgramFolder(), loaded);
  tarvik::notes::OpenNote open{kNoteCount / 2, loaded[kNoteCount / 2]};
  int round = 0;
  for (auto _ : state) {
    open.note.text[0] = (++round & 1) ? L'a' : L'b';
    writer.Changed(loaded, open);
  }
  writer.Discard();
}

void RecordWrite(benchmark::State& state) {
  const std::vector<Note> loaded = MakeNotes(7);
  std::vector<Note> notes = loaded;
  int round = 0;
  for (auto _ : state) {
    state.PauseTiming();
    notes[kNoteCount / 2].text = L"edited " + std::to_wstring(++round);
    // What the writer records for one edited note: the run before it, the note, the rest.
    tarvik::notes::RecoveryRecord record;
    record.baseline = tarvik::notes::BaselineOf(loaded);
    const std::size_t edited = kNoteCount / 2;
    record.entries.push_back({0, edited, nullptr});
    record.entries.push_back({0, 0, std::make_shared<const Note>(notes[edited])});
    record.entries.push_back({edited + 1, kNoteCount - edited - 1, nullptr});
    state.ResumeTiming();
    if (!tarvik::notes::WriteRecoveryRecord(RecordProgramFolder(), record))
      state.SkipWithError("record write failed");
  }
}

void RecordStart(benchmark::State& state) {
  const std::vector<Note> loaded = MakeNotes(8);
  for (auto _ : state) {
    tarvik::notes::RecoveryWriter writer(RecordProgramFolder(), loaded);
    writer.Discard();
  }
}

BENCHMARK(Load)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(PlainRead)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(SaveAllChanged)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(PlainWriteFlushed)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(SaveOneChanged)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ExitPath)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(RecordKeystroke)->Unit(benchmark::kMicrosecond);
BENCHMARK(RecordWrite)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(RecordStart)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

// Removes the 20,000 files it made.
int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ec;
  fs::remove_all(BenchRoot(), ec);
  return 0;
}
