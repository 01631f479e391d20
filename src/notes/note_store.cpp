// Loading and saving the Notes folder as a whole; the file format, the journal and the
// recovery of an interrupted save are in the other note_store_*.cpp files.

#include "notes/note_store.h"

#include <chrono>
#include <future>
#include <system_error>
#include <thread>
#include <unordered_map>

#include <algorithm>

#include "notes/note_store_internal.h"
#include "util/file_io.h"

namespace tarvik::notes {

using namespace note_store_detail;

namespace {

class RealFileSystem final : public NoteFileSystem {
 public:
  bool FolderExists(const std::wstring& folder) override { return util::FolderExists(folder); }
  bool CreateFolder(const std::wstring& folder) override { return util::CreateFolder(folder); }
  std::optional<std::vector<std::wstring>> ListFileNames(const std::wstring& folder) override {
    return util::TryListFileNames(folder);
  }
  std::optional<std::string> ReadFile(const std::wstring& path) override {
    return util::ReadFileBytes(path);
  }
  bool WriteFile(const std::wstring& path, std::string_view bytes) override {
    return util::WriteFileBuffered(path, bytes);
  }
  bool FlushFiles(const std::vector<std::wstring>& paths) override {
    return util::FlushFiles(paths);
  }
  bool ReplaceFile(const std::wstring& from, const std::wstring& to) override {
    return util::ReplaceFile(from, to);
  }
  bool RenameFile(const std::wstring& from, const std::wstring& to) override {
    return util::RenameFile(from, to);
  }
  bool RemoveFile(const std::wstring& path) override { return util::RemoveFile(path); }
  bool FlushFolder(const std::wstring& folder) override { return util::FlushFolder(folder); }
  bool RemoveEmptyFolder(const std::wstring& folder) override {
    return util::RemoveEmptyFolder(folder);
  }
  void ReadFolderFiles(const std::wstring& folder, std::span<const std::wstring> names,
                       const TakeFile& take) override {
    util::ReadFilesInFolder(folder, names, take);
  }
  std::optional<std::vector<NoteFileStamp>> ListFileStamps(const std::wstring& folder) override {
    auto listed = util::TryListFileStamps(folder);
    if (!listed) return std::nullopt;
    std::vector<NoteFileStamp> stamps;
    stamps.reserve(listed->size());
    for (util::FileStamp& file : *listed)
      stamps.push_back({std::move(file.name), file.size, file.lastWrite});
    return stamps;
  }
};

NotesFolderContents LoadFromJournal(NoteFileSystem& fs, const std::wstring& folder,
                                    const Journal& journal, const std::vector<std::wstring>& names,
                                    platform::CodePages* otherText) {
  const NameSet present(names.begin(), names.end());
  NotesFolderContents contents;
  for (const JournalEntry& entry : journal.entries) {
    if (entry.step == Step::kDelete) continue;
    // A new text still in its temporary is the note; the file under the final name then holds
    // the superseded one and must never stand in for it.
    const std::wstring temporary = TemporaryName(entry.name, journal.token);
    const bool waiting = entry.step == Step::kWrite && present.count(temporary);
    const auto bytes = ReadBytes(fs, Join(folder, waiting ? temporary : entry.name));
    if (bytes) {
      contents.notes.push_back(ParseNoteFile(*bytes, otherText));
    } else {
      contents.unreadable.push_back(entry.name);
    }
  }
  return contents;
}

// The final names of a pending save whose new text still waits in a temporary.
std::vector<std::wstring> WaitingNames(const Journal& journal, const NameSet& present) {
  std::vector<std::wstring> waiting;
  for (const JournalEntry& entry : journal.entries) {
    if (entry.step == Step::kWrite && present.count(TemporaryName(entry.name, journal.token)))
      waiting.push_back(entry.name);
  }
  return waiting;
}

// The listed names a save must leave alone. A name the load reported is protected as listed;
// failing that, its spellings in another letter case are, since on a case-insensitive disk
// that is the same file.
NameSet ProtectedNames(const std::vector<std::wstring>& listed,
                       const std::vector<std::wstring>& untouched) {
  const NameSet exact(untouched.begin(), untouched.end());
  NameSet kept;
  NameSet keptLower;
  for (const std::wstring& name : listed) {
    if (exact.count(name)) {
      kept.insert(name);
      keptLower.insert(AsciiLowered(name));
    }
  }
  NameSet untouchedLower;
  for (const std::wstring& name : untouched) untouchedLower.insert(AsciiLowered(name));
  for (const std::wstring& name : listed) {
    const std::wstring lower = AsciiLowered(name);
    if (!kept.count(name) && untouchedLower.count(lower) && !keptLower.count(lower))
      kept.insert(name);
  }
  return kept;
}

enum class Commit { kDone, kNotDone, kUnknown };

// After the commit rename reported failure: did it happen anyway (only its flush failed)?
Commit CheckCommit(NoteFileSystem& fs, const std::wstring& folder,
                   const std::string& journalBytes) {
  const auto names = ListNames(fs, folder);
  if (!names) return Commit::kUnknown;
  if (!HasJournal(*names)) return Commit::kNotDone;
  const auto bytes = ReadBytes(fs, Join(folder, kJournalName));
  if (!bytes) return Commit::kUnknown;
  return *bytes == journalBytes ? Commit::kDone : Commit::kNotDone;
}

}  // namespace

void NoteFileSystem::ReadFolderFiles(const std::wstring& folder,
                                     std::span<const std::wstring> names, const TakeFile& take) {
  for (std::size_t i = 0; i < names.size(); ++i) take(i, ReadFile(Join(folder, names[i])));
}

void NoteFileSystem::Pause(int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::wstring NotesFolderPath(const std::wstring& programFolder) {
  return programFolder + L"\\Notes";
}

NoteFileSystem& RealNoteFileSystem() {
  static RealFileSystem fileSystem;
  return fileSystem;
}

NotesFolderContents ReadNotesFolderContents(const std::wstring& notesFolder, NoteFileSystem& fs,
                                            platform::CodePages* otherText) {
  // A folder that looks missing may only have failed to answer: it is listed all the same.
  const bool existed = fs.FolderExists(notesFolder);
  if (!existed) fs.CreateFolder(notesFolder);
  std::optional<std::vector<NoteFileStamp>> stamps;
  Recovery recovery = Recover(fs, notesFolder, &stamps);
  if (recovery.state == FolderState::kUnknown) {
    NotesFolderContents unknown;
    unknown.listed = false;
    unknown.existed = existed;
    return unknown;
  }
  if (recovery.state == FolderState::kPending) {
    NotesFolderContents contents =
        LoadFromJournal(fs, notesFolder, recovery.pending, recovery.names, otherText);
    contents.existed = existed;
    contents.stamps = std::move(stamps);
    return contents;
  }
  const std::vector<std::wstring> ordered = OrderNoteFileNames(std::move(recovery.names));

  std::vector<std::optional<Note>> slots(ordered.size());
  const auto readRange = [&](std::size_t begin, std::size_t end) {
    fs.ReadFolderFiles(notesFolder,
                       std::span<const std::wstring>(ordered).subspan(begin, end - begin),
                       [&](std::size_t at, std::optional<std::string> bytes) {
                         if (bytes) slots[begin + at] = ParseNoteFile(*bytes, otherText);
                       });
  };
  // A big folder loads in two halves at once where two processors are to be had: one waits
  // on the disk while the other decodes. On one, the second thread only adds switches.
  constexpr std::size_t kParallelFrom = 256;
  std::future<void> secondHalf;
  std::size_t split = ordered.size();
  if (ordered.size() >= kParallelFrom && std::thread::hardware_concurrency() > 1) {
    try {
      secondHalf = std::async(std::launch::async, readRange, ordered.size() / 2, ordered.size());
      split = ordered.size() / 2;
    } catch (const std::system_error&) {
      // No thread to be had: read it all here.
    }
  }
  readRange(0, split);
  if (secondHalf.valid()) secondHalf.get();
  // A scanner or sync client holds files for a moment at logon: the ones that failed are
  // tried again a little later, twice, a second apart in all (each read already waits a moment).
  for (int waitMs = 200; waitMs <= 800; waitMs *= 4) {
    if (std::all_of(slots.begin(), slots.end(), [](const auto& slot) { return slot.has_value(); }))
      break;
    fs.Pause(waitMs);
    for (std::size_t i = 0; i < slots.size(); ++i) {
      if (slots[i]) continue;
      if (const auto bytes = fs.ReadFile(Join(notesFolder, ordered[i])))
        slots[i] = ParseNoteFile(*bytes, otherText);
    }
  }

  NotesFolderContents contents;
  contents.existed = existed;
  contents.stamps = std::move(stamps);
  contents.notes.reserve(slots.size());
  for (std::size_t i = 0; i < slots.size(); ++i) {
    if (slots[i]) {
      contents.notes.push_back(std::move(*slots[i]));
    } else {
      contents.unreadable.push_back(ordered[i]);
    }
  }
  return contents;
}

bool WriteNotesFolder(const std::wstring& notesFolder, const std::vector<Note>& notes,
                      NoteFileSystem& fs) {
  KeptFiles keep;
  return WriteNotesFolder(notesFolder, notes, keep, fs);
}

bool WriteNotesFolder(const std::wstring& notesFolder, const std::vector<Note>& notes,
                      const std::vector<std::wstring>& untouched, NoteFileSystem& fs) {
  KeptFiles keep{untouched, false};
  return WriteNotesFolder(notesFolder, notes, keep, fs);
}

bool WriteNotesFolder(const std::wstring& notesFolder, const std::vector<Note>& notes,
                      KeptFiles& keep, NoteFileSystem& fs) {
  if (!fs.FolderExists(notesFolder) && !fs.CreateFolder(notesFolder)) return false;
  // Whatever an earlier save left pending, this one supersedes it once it commits; until
  // then that journal and its temporaries are left as they are.
  Recovery recovery = Recover(fs, notesFolder);
  if (recovery.state == FolderState::kUnknown) return false;
  const std::vector<std::wstring>& names = recovery.names;
  NameSet present(names.begin(), names.end());
  std::vector<std::wstring> untouched = keep.names;
  if (recovery.state == FolderState::kPending) {
    // A text that waits in a temporary of the pending save, under a name this save must keep,
    // was never seen by the caller; superseding that save would throw it away.
    const NameSet keptLower = [&] {
      NameSet lower;
      for (const std::wstring& name : untouched) lower.insert(AsciiLowered(name));
      return lower;
    }();
    for (const std::wstring& name : WaitingNames(recovery.pending, present)) {
      if (keep.allNoteFiles || keptLower.count(AsciiLowered(name))) return false;
    }
    if (keep.allNoteFiles) {
      for (const JournalEntry& entry : recovery.pending.entries) {
        if (entry.step != Step::kDelete) untouched.push_back(entry.name);
      }
    }
  } else if (keep.allNoteFiles) {
    for (const std::wstring& name : names) {
      if (IsNoteFileName(name)) untouched.push_back(name);
    }
  }
  if (keep.allNoteFiles) {
    // Now known: the notes the load could not show are these files, and only these; what
    // this and later saves write are the caller's own notes, to be replaced or removed.
    keep.names = untouched;
    keep.allNoteFiles = false;
  }
  const NameSet kept = ProtectedNames(names, untouched);
  // Numbering steps over every untouched name, listed or not: it may be back by the time the
  // temporaries are renamed, and a rename would then replace it.
  NameSet takenLower;
  for (const std::wstring& name : untouched) takenLower.insert(AsciiLowered(name));

  Journal journal{NewSaveToken(), {}};
  std::unordered_map<std::wstring, std::string> newBytes;  // per written entry
  NameSet finalNames;
  int number = 0;
  for (const Note& note : notes) {
    if (note.text.empty()) continue;
    std::wstring name;
    do {
      name = L"Note_" + std::to_wstring(++number) + L".tvk";
    } while (takenLower.count(AsciiLowered(name)));
    std::string bytes = FormatNoteFile(note);
    finalNames.insert(name);
    if (present.count(name)) {
      const auto old = ReadBytes(fs, Join(notesFolder, name));
      if (old && *old == bytes) {
        journal.entries.push_back({Step::kKeep, std::move(name)});
        continue;
      }
    }
    newBytes.emplace(name, std::move(bytes));
    journal.entries.push_back({Step::kWrite, std::move(name)});
  }
  if (!kept.empty()) {
    // The untouched files are part of the new set: a load while this save is still pending
    // goes by the journal alone and must find them there, in their load-order place.
    std::vector<std::wstring> finalOrder(kept.begin(), kept.end());
    for (const JournalEntry& entry : journal.entries) finalOrder.push_back(entry.name);
    finalOrder = OrderNoteFileNames(std::move(finalOrder));
    std::vector<JournalEntry> entries;
    entries.reserve(finalOrder.size());
    for (std::wstring& name : finalOrder) {
      const Step step = newBytes.count(name) ? Step::kWrite : Step::kKeep;
      finalNames.insert(name);
      entries.push_back({step, std::move(name)});
    }
    journal.entries = std::move(entries);
  }
  for (const std::wstring& name : names) {
    if (IsNoteFileName(name) && !finalNames.count(name) && !kept.count(name))
      journal.entries.push_back({Step::kDelete, name});
  }
  // Nothing to change, unless a journal is there: the files then may not be what loads.
  if (newBytes.empty() && journal.entries.size() == finalNames.size() && !HasJournal(names))
    return true;

  std::vector<std::wstring> temporaries;  // everything this save may have to take back
  const auto abandon = [&] {
    for (const std::wstring& path : temporaries) fs.RemoveFile(path);
    return false;
  };
  for (const JournalEntry& entry : journal.entries) {
    if (entry.step != Step::kWrite) continue;
    const std::wstring temporary = TemporaryName(entry.name, journal.token);
    temporaries.push_back(Join(notesFolder, temporary));  // a failed write may leave a part
    if (!fs.WriteFile(temporaries.back(), newBytes.at(entry.name))) return abandon();
    present.insert(temporary);
  }
  const std::string journalBytes = EncodeJournal(journal);
  const std::wstring journalPath = Join(notesFolder, kJournalName);
  temporaries.push_back(Join(notesFolder, TemporaryName(kJournalName, journal.token)));
  if (!fs.WriteFile(temporaries.back(), journalBytes)) return abandon();
  // Everything the journal names, and the journal itself, is on the disk before it commits.
  if (!fs.FlushFiles(temporaries)) return abandon();

  // The commit point: from here on the new notes are what the folder holds.
  if (!fs.ReplaceFile(temporaries.back(), journalPath)) {
    switch (CheckCommit(fs, notesFolder, journalBytes)) {
      case Commit::kNotDone:
        return abandon();
      case Commit::kUnknown:
        return false;  // the old files are untouched; the next load settles it either way
      case Commit::kDone:
        break;
    }
  }
  if (RollForward(fs, notesFolder, journal, present)) fs.RemoveFile(journalPath);
  return true;
}

}  // namespace tarvik::notes
