#include "note_store_model.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <tuple>
#include <vector>

#include "notes/note_store.h"
#include "notes/notes_folder.h"
#include "notes/recovery_record.h"
#include "util/text_codec.h"

namespace tarvik::test {
namespace {

using notes::Note;

// The model keeps one flat set of names: the record beside the folder lives among the notes,
// which is harmless since neither side takes the other's names for its own.
const std::wstring kProgram = L"C:\\prog";
const std::wstring kFolder = kProgram + L"\\Notes";

std::wstring NameOf(const std::wstring& path) {
  return path.substr(path.rfind(L'\\') + 1);
}

// The folder as a map of names to bytes. Every call may succeed, fail without effect, take
// effect and still report failure, or be the point where the program stops (nothing it does
// afterwards reaches the disk).
class ModelFs final : public notes::NoteFileSystem {
 public:
  using Files = std::map<std::wstring, std::string>;

  ModelFs(Files files, Choices* choices) : files_(std::move(files)), choices_(choices) {}

  const Files& files() const { return files_; }
  Files& files() { return files_; }
  bool Killed() const { return killed_; }
  // A new start; name (when given) is held by another program for the first heldMs of it.
  void Restart(const std::wstring& held = L"", int heldMs = 0) {
    killed_ = false;
    held_ = held;
    heldUntil_ = heldMs;
    clock_ = 0;
  }

  bool FolderExists(const std::wstring&) override {
    std::lock_guard lock(mutex_);
    return Next() == Outcome::kOk;
  }
  bool CreateFolder(const std::wstring&) override {
    std::lock_guard lock(mutex_);
    const Outcome outcome = Next();
    return outcome == Outcome::kOk;
  }
  std::optional<std::vector<std::wstring>> ListFileNames(const std::wstring&) override {
    std::lock_guard lock(mutex_);
    if (Next() != Outcome::kOk) return std::nullopt;
    std::vector<std::wstring> names;
    for (const auto& [name, bytes] : files_) names.push_back(name);
    return names;
  }
  std::optional<std::string> ReadFile(const std::wstring& path) override {
    std::lock_guard lock(mutex_);
    if (Next() != Outcome::kOk || Held(path)) return std::nullopt;
    const auto it = files_.find(NameOf(path));
    if (it == files_.end()) return std::nullopt;
    return it->second;
  }
  bool WriteFile(const std::wstring& path, std::string_view bytes) override {
    std::lock_guard lock(mutex_);
    switch (Next()) {
      case Outcome::kOk:
        files_[NameOf(path)] = std::string(bytes);
        written_[NameOf(path)] = ++generation_;
        return true;
      case Outcome::kDoneButFailed:  // the disk filled up part way
        files_[NameOf(path)] = std::string(bytes.substr(0, bytes.size() / 2));
        written_[NameOf(path)] = ++generation_;
        return false;
      default:
        return false;
    }
  }
  bool FlushFiles(const std::vector<std::wstring>&) override {
    std::lock_guard lock(mutex_);
    return Next() == Outcome::kOk;
  }
  bool ReplaceFile(const std::wstring& from, const std::wstring& to) override {
    return Rename(from, to);
  }
  bool RenameFile(const std::wstring& from, const std::wstring& to) override {
    return Rename(from, to);
  }
  bool RemoveFile(const std::wstring& path) override {
    std::lock_guard lock(mutex_);
    if (Held(path)) return false;
    const Outcome outcome = Next();
    if (outcome == Outcome::kOk || outcome == Outcome::kDoneButFailed) files_.erase(NameOf(path));
    return outcome == Outcome::kOk;
  }
  bool FlushFolder(const std::wstring&) override {
    std::lock_guard lock(mutex_);
    return Next() == Outcome::kOk;
  }
  void Pause(int milliseconds) override {
    std::lock_guard lock(mutex_);
    clock_ += milliseconds;
  }
  std::optional<std::vector<notes::NoteFileStamp>> ListFileStamps(const std::wstring&) override {
    std::lock_guard lock(mutex_);
    if (Next() != Outcome::kOk) return std::nullopt;
    std::vector<notes::NoteFileStamp> stamps;
    for (const auto& [name, bytes] : files_) {
      const auto it = written_.find(name);
      stamps.push_back({name, bytes.size(), it == written_.end() ? 0 : it->second});
    }
    return stamps;
  }

 private:
  enum class Outcome { kOk, kFailed, kDoneButFailed, kKilled };

  Outcome Next() {
    if (killed_) return Outcome::kKilled;
    if (!choices_) return Outcome::kOk;
    const unsigned roll = choices_->Pick(64);
    if (roll < 52) return Outcome::kOk;
    if (roll < 58) return Outcome::kFailed;
    if (roll < 63) return Outcome::kDoneButFailed;
    killed_ = true;
    return Outcome::kKilled;
  }

  bool Held(const std::wstring& path) const {
    return !held_.empty() && NameOf(path) == held_ && clock_ < heldUntil_;
  }

  bool Rename(const std::wstring& from, const std::wstring& to) {
    std::lock_guard lock(mutex_);
    if (Held(from) || Held(to)) return false;
    const Outcome outcome = Next();
    if (outcome != Outcome::kOk && outcome != Outcome::kDoneButFailed) return false;
    const auto it = files_.find(NameOf(from));
    if (it == files_.end()) return false;
    std::string bytes = std::move(it->second);
    files_.erase(it);
    files_[NameOf(to)] = std::move(bytes);
    written_[NameOf(to)] = written_[NameOf(from)];
    return outcome == Outcome::kOk;
  }

  std::mutex mutex_;
  Files files_;
  std::map<std::wstring, std::int64_t> written_;  // stands in for last-write times
  std::int64_t generation_ = 0;
  Choices* choices_;
  bool killed_ = false;
  std::wstring held_;
  int heldUntil_ = 0;
  int clock_ = 0;
};

bool Less(const Note& a, const Note& b) {
  return std::tie(a.title, a.text) < std::tie(b.title, b.text);
}

std::vector<Note> Sorted(std::vector<Note> notes) {
  std::sort(notes.begin(), notes.end(), Less);
  return notes;
}

// A set of notes a load may show; its order is known unless part of it was never seen.
struct Candidate {
  std::vector<Note> notes;
  bool ordered = true;

  bool Shows(const std::vector<Note>& loaded) const {
    return ordered ? loaded == notes : Sorted(loaded) == Sorted(notes);
  }
  friend bool operator==(const Candidate&, const Candidate&) = default;
};

// What a save of notes reads back as: only notes with text, untitled ones marked.
std::vector<Note> AsSaved(const std::vector<Note>& notes) {
  std::vector<Note> out;
  for (const Note& n : notes) {
    if (!n.text.empty())
      out.push_back({n.title.empty() ? std::wstring(notes::kUntitledTitle) : n.title, n.text});
  }
  return out;
}

// whole minus part as multisets, or nothing when part is not within whole.
std::optional<std::vector<Note>> Remainder(const std::vector<Note>& whole,
                                           const std::vector<Note>& part) {
  std::vector<Note> rest;
  const std::vector<Note> a = Sorted(whole);
  const std::vector<Note> b = Sorted(part);
  std::size_t j = 0;
  for (const Note& note : a) {
    if (j < b.size() && note == b[j]) {
      ++j;
    } else {
      rest.push_back(note);
    }
  }
  if (j != b.size()) return std::nullopt;
  return rest;
}

std::string Describe(const std::vector<Note>& notes) {
  std::string out = "[";
  for (const Note& n : notes) out += util::ToUtf8(n.title) + "/" + util::ToUtf8(n.text) + " ";
  return out + "]";
}

std::string Describe(const std::vector<Candidate>& allowed) {
  std::string out;
  for (const Candidate& c : allowed) out += (c.ordered ? "" : "~") + Describe(c.notes) + " ";
  return out;
}

void AddCandidate(std::vector<Candidate>& allowed, Candidate candidate) {
  if (std::find(allowed.begin(), allowed.end(), candidate) == allowed.end())
    allowed.push_back(std::move(candidate));
}

const wchar_t* const kTitles[] = {L"", L"a", L"b", L"[无标题]"};
const wchar_t* const kTexts[] = {L"", L"x", L"y", L"x\r\ny"};

void Edit(Choices& choices, std::vector<Note>& notes) {
  for (unsigned edits = choices.Pick(4); edits > 0; --edits) {
    const unsigned what = choices.Pick(4);
    const Note made{kTitles[choices.Pick(4)], kTexts[choices.Pick(4)]};
    if (what == 0 || notes.empty()) {
      notes.insert(notes.begin() + choices.Pick(static_cast<unsigned>(notes.size()) + 1), made);
    } else if (what == 1) {
      notes.erase(notes.begin() + choices.Pick(static_cast<unsigned>(notes.size())));
    } else {
      notes[choices.Pick(static_cast<unsigned>(notes.size()))] = made;
    }
  }
  if (notes.size() > 6) notes.resize(6);
}

// TARVIK_TRACE=1 prints what each session did.
void Trace(const std::string& line) {
  static const bool on = std::getenv("TARVIK_TRACE") != nullptr;
  if (on) std::fprintf(stderr, "%s\n", line.c_str());
}

class Run {
 public:
  explicit Run(Choices& choices) : choices_(choices), fs_({}, &choices) {}

  std::string Session() {
    if (std::string error = OutsideChangeLosesNothing(); !error.empty()) return error;
    // A note file held for a moment or for longer than the load waits, as at logon.
    const unsigned hold = choices_.Pick(8);
    fs_.Restart(hold < 2 ? L"Note_" + std::to_wstring(1 + choices_.Pick(3)) + L".tvk" : L"",
                hold == 0 ? 500 : 20000);
    const notes::NotesFolderContents loaded = notes::ReadNotesFolderContents(kFolder, fs_);
    if (fs_.Killed()) return CheckAll("after a load that was stopped");
    Trace("load: " + Describe(loaded.notes) + " unreadable " +
          std::to_string(loaded.unreadable.size()) + " listed " + std::to_string(loaded.listed));
    const bool complete = loaded.listed && loaded.unreadable.empty();
    // The unseen part of each saved set the load may have come from.
    std::vector<std::vector<Note>> unseen;
    std::vector<Candidate> consistent;
    for (const Candidate& candidate : allowed_) {
      if (complete) {
        if (candidate.Shows(loaded.notes)) unseen.push_back({});
        continue;
      }
      if (!loaded.listed && !loaded.notes.empty()) return "an unlisted folder loaded notes";
      auto rest = Remainder(candidate.notes, loaded.notes);
      if (rest && (!loaded.listed || rest->size() == loaded.unreadable.size())) {
        unseen.push_back(std::move(*rest));
        consistent.push_back(candidate);
      }
    }
    if (unseen.empty()) {
      return "load shows " + Describe(loaded.notes) + " (" +
             std::to_string(loaded.unreadable.size()) + " unreadable, listed " +
             std::to_string(loaded.listed) + "), saved sets " + Describe(allowed_);
    }
    allowed_ = complete ? std::vector<Candidate>{{loaded.notes, true}} : consistent;

    std::vector<Note> notes = loaded.notes;
    std::unique_ptr<notes::RecoveryWriter> writer;
    // A record is kept only over a load that saw every note: against any other it could not
    // be applied later, and it must not be written over one left by an earlier run.
    if (complete) {
      if (std::string error = StartUp(loaded.notes, notes, writer); !error.empty()) return error;
      if (fs_.Killed()) return "";
    }
    notes::KeptFiles keep{loaded.unreadable, !loaded.listed};
    for (unsigned saves = choices_.Pick(4); saves > 0 && !choices_.Exhausted(); --saves) {
      Edit(choices_, notes);
      if (writer) {
        if (std::string error = RecordStep(*writer, notes); !error.empty()) return error;
        if (fs_.Killed()) return "";
        if (choices_.Pick(3) == 0) continue;  // edits go on without a save
      }
      std::vector<Candidate> expected;
      for (const std::vector<Note>& rest : unseen) {
        std::vector<Note> all = AsSaved(notes);
        all.insert(all.end(), rest.begin(), rest.end());
        AddCandidate(expected, {std::move(all), rest.empty()});
      }
      const notes::RecordedSave result =
          notes::SaveNotesWithRecord(kProgram, notes, keep, writer.get(), fs_);
      const bool saved = result.saved;
      Trace("save " + Describe(notes) + (saved ? " done" : " failed") +
            (result.recordUpToDate ? " recorded" : "") + (result.recordRemoved ? " removed" : "") +
            (fs_.Killed() ? " (stopped)" : "") + "; files " + Files());
      if (writer && result.recordUpToDate) {
        restart_ = {Candidate{AsSaved(notes), true}};
      } else if (writer) {
        AddCandidate(restart_, {AsSaved(notes), true});  // it may have been written all the same
      }
      if (saved && !fs_.Killed()) {
        allowed_ = expected;
        if (result.recordRemoved) restart_ = allowed_;
        writer.reset();
      } else {
        for (const Candidate& c : expected) AddCandidate(allowed_, c);
      }
      // A record that stays (or a save that committed after all) adds to what a restart may show.
      for (const Candidate& c : allowed_) AddCandidate(restart_, c);
      if (std::string error =
              CheckAll(saved ? "after a save reported done" : "after a save reported failed");
          !error.empty()) {
        return error;
      }
      if (fs_.Killed()) break;
    }
    return "";
  }

 private:
  // What the program does at start-up with a record an earlier run left: the user takes it
  // (when it applies) or it is put aside; then the writer of this run.
  std::string StartUp(const std::vector<Note>& loaded, std::vector<Note>& notes,
                      std::unique_ptr<notes::RecoveryWriter>& writer) {
    const notes::RecordRead read = notes::ReadRecoveryRecord(kProgram, fs_);
    if (fs_.Killed()) return CheckAll("after a record read that was stopped");
    if (read.status == notes::RecordStatus::kUnreadable) return "";  // left for a later start
    bool putAside = read.status == notes::RecordStatus::kDamaged;
    if (read.status == notes::RecordStatus::kFound) {
      auto applied = notes::ApplyRecoveryRecord(read.record, loaded);
      Trace(std::string("record ") + (applied ? Describe(*applied) : "does not apply"));
      if (applied && choices_.Pick(4) != 0) {
        notes = std::move(*applied);
      } else {
        putAside = true;
      }
    }
    if (putAside) {
      const bool aside = notes::KeepRecoveryRecordAside(kProgram, fs_);
      if (aside && !fs_.Killed()) restart_.clear();
      for (const Candidate& c : allowed_) AddCandidate(restart_, c);
      if (std::string error = CheckAll("after a record was put aside"); !error.empty())
        return error;
      if (!aside) return "";  // it may still be there: never written over
    }
    writer = std::make_unique<notes::RecoveryWriter>(kProgram, loaded, fs_,
                                                     notes::RecoveryWriter::Mode::kInline);
    return "";
  }

  std::string RecordStep(notes::RecoveryWriter& writer, const std::vector<Note>& notes) {
    writer.Reshaped();
    writer.Changed(notes, std::nullopt);
    const bool written = writer.Flush();
    Trace("record " + Describe(notes) + (written ? " written" : " failed") +
          (fs_.Killed() ? " (stopped)" : ""));
    const Candidate now{AsSaved(notes), true};
    if (written && !fs_.Killed()) restart_.clear();
    AddCandidate(restart_, now);
    return CheckAll(written ? "after a record write reported done"
                            : "after a record write reported failed");
  }

  // The folder changed by another program between a crash and the next start (on a copy, so
  // the run goes on as it was): a start that takes the record shows every note the folder
  // holds now and every note the record holds in full.
  std::string OutsideChangeLosesNothing() {
    if (choices_.Pick(4) != 0) return "";
    ModelFs clean(fs_.files(), nullptr);
    const notes::RecordRead before = notes::ReadRecoveryRecord(kProgram, clean);
    const std::wstring name = L"Note_" + std::to_wstring(1 + choices_.Pick(3)) + L".tvk";
    if (choices_.Pick(2) == 0) {
      clean.files().erase(name);
    } else {
      clean.files()[name] = "outside\r\n" + std::to_string(choices_.Pick(3));
    }
    const std::vector<Note> loaded = notes::ReadNotesFolderContents(kFolder, clean).notes;
    const std::vector<Note> folder = AsSaved(loaded);
    ModelFs unchanged(fs_.files(), nullptr);
    if (AsSaved(notes::ReadNotesFolderContents(kFolder, unchanged).notes) == folder) return "";
    // Changed back into the very notes the record was made against: it applies as made.
    if (before.status == notes::RecordStatus::kFound && before.record.baseline &&
        notes::ApplyRecoveryRecord(before.record, loaded)) {
      return "";
    }
    notes::NotesFolder start(kProgram, clean, notes::RecoveryWriter::Mode::kInline);
    std::vector<Note> shown = start.Load();
    const notes::NotesFolder::Conversation talk{[](const std::wstring&) { return true; },
                                                [](const std::wstring&) {}};
    if (auto recovered = start.Recover(shown, talk)) shown = std::move(*recovered);
    shown = AsSaved(shown);
    std::vector<Note> expected = folder;
    if (before.status == notes::RecordStatus::kFound) {
      for (const auto& entry : before.record.entries) {
        if (entry.note && !entry.note->text.empty()) expected.push_back(*entry.note);
      }
    }
    for (const Note& note : AsSaved(expected)) {
      if (std::find(shown.begin(), shown.end(), note) == shown.end())
        return "after an outside change a start lost " + Describe(std::vector<Note>{note}) +
               ", shows " + Describe(shown) + ", files " + Files();
    }
    return "";
  }

  std::string CheckAll(const char* when) {
    if (std::string error = CheckFolder(when); !error.empty()) return error;
    return CheckRestart(when);
  }

  // A start-up with no faults, on a copy, must bring back (record applied if it applies, else
  // the folder) one of the sets a restart may show now: never older than the last record
  // written or the last save done.
  std::string CheckRestart(const char* when) {
    ModelFs clean(fs_.files(), nullptr);
    const notes::NotesFolderContents contents = notes::ReadNotesFolderContents(kFolder, clean);
    std::vector<Note> recovered = contents.notes;
    const notes::RecordRead read = notes::ReadRecoveryRecord(kProgram, clean);
    if (read.status == notes::RecordStatus::kFound) {
      if (auto applied = notes::ApplyRecoveryRecord(read.record, contents.notes))
        recovered = std::move(*applied);
    }
    recovered = AsSaved(recovered);
    if (std::any_of(restart_.begin(), restart_.end(),
                    [&](const Candidate& c) { return c.Shows(recovered); })) {
      return "";
    }
    return std::string(when) + ": a restart brings back " + Describe(recovered) +
           ", expected one of " + Describe(restart_) + ", files " + Files();
  }

  // A load with no faults, on a copy, must show one of the sets allowed now, and completely.
  std::string CheckFolder(const char* when) {
    ModelFs clean(fs_.files(), nullptr);
    const notes::NotesFolderContents contents = notes::ReadNotesFolderContents(kFolder, clean);
    const bool ok = contents.listed && contents.unreadable.empty() &&
                    std::any_of(allowed_.begin(), allowed_.end(),
                                [&](const Candidate& c) { return c.Shows(contents.notes); });
    if (ok) return "";
    return std::string(when) + ": a clean load shows " + Describe(contents.notes) +
           ", saved sets " + Describe(allowed_) + ", files " + Files();
  }

  std::string Files() const {
    std::string files;
    for (const auto& [name, bytes] : fs_.files()) files += util::ToUtf8(name) + " ";
    return files;
  }

  Choices& choices_;
  ModelFs fs_;
  std::vector<Candidate> allowed_{Candidate{}};
  // What a restart may bring back, the record applied.
  std::vector<Candidate> restart_{Candidate{}};
};

}  // namespace

std::string RunNoteStoreProperty(Choices& choices, int maxSessions) {
  Run run(choices);
  for (int session = 0; session < maxSessions && !choices.Exhausted(); ++session) {
    Trace("-- session " + std::to_string(session));
    if (std::string error = run.Session(); !error.empty())
      return "session " + std::to_string(session) + ": " + error;
  }
  return "";
}

}  // namespace tarvik::test
