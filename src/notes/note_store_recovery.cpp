// Finishing or discarding what an interrupted save left in the Notes folder.

#include <algorithm>

#include "notes/note_store_internal.h"

namespace tarvik::notes::note_store_detail {
namespace {

constexpr int kReadAttempts = 3;

// Returns whether there was anything to remove.
bool RemoveLeftovers(NoteFileSystem& fs, const std::wstring& folder,
                     const std::vector<std::wstring>& names) {
  bool any = false;
  for (const std::wstring& name : names) {
    if (IsLeftoverTemporary(name)) {
      fs.RemoveFile(Join(folder, name));
      any = true;
    }
  }
  return any;
}

}  // namespace

bool RollForward(NoteFileSystem& fs, const std::wstring& folder, const Journal& journal,
                 const NameSet& present) {
  // Removals come first and a failure stops everything: on a case-insensitive disk a stale
  // "NOTE_1.TVK" is the very file "Note_1.tvk" replaces, and removing it after the rename
  // would remove the new note.
  for (const JournalEntry& entry : journal.entries) {
    if (entry.step == Step::kDelete && present.count(entry.name) &&
        !fs.RemoveFile(Join(folder, entry.name))) {
      return false;
    }
  }
  for (const JournalEntry& entry : journal.entries) {
    if (entry.step != Step::kWrite) continue;
    const std::wstring temporary = TemporaryName(entry.name, journal.token);
    if (present.count(temporary) &&
        !fs.RenameFile(Join(folder, temporary), Join(folder, entry.name))) {
      return false;
    }
  }
  return fs.FlushFolder(folder);
}

std::optional<std::vector<std::wstring>> ListNames(NoteFileSystem& fs, const std::wstring& folder) {
  for (int i = 0; i < kReadAttempts; ++i) {
    if (auto names = fs.ListFileNames(folder)) return names;
  }
  return std::nullopt;
}

std::optional<std::string> ReadBytes(NoteFileSystem& fs, const std::wstring& path) {
  for (int i = 0; i < kReadAttempts; ++i) {
    if (auto bytes = fs.ReadFile(path)) return bytes;
  }
  return std::nullopt;
}

bool HasJournal(const std::vector<std::wstring>& names) {
  return std::find(names.begin(), names.end(), kJournalName) != names.end();
}

namespace {

// One listing: with stamps when they are asked for and to be had, else the names alone.
std::optional<std::vector<std::wstring>> ListOnce(
    NoteFileSystem& fs, const std::wstring& folder,
    std::optional<std::vector<NoteFileStamp>>* stamps) {
  if (stamps) {
    for (int i = 0; i < kReadAttempts && !*stamps; ++i) *stamps = fs.ListFileStamps(folder);
    if (*stamps) {
      std::vector<std::wstring> names;
      names.reserve((*stamps)->size());
      for (const NoteFileStamp& stamp : **stamps) names.push_back(stamp.name);
      return names;
    }
  }
  return ListNames(fs, folder);
}

}  // namespace

Recovery Recover(NoteFileSystem& fs, const std::wstring& folder,
                 std::optional<std::vector<NoteFileStamp>>* stamps) {
  auto names = ListOnce(fs, folder, stamps);
  if (!names) return {};
  bool changed = false;
  if (HasJournal(*names)) {
    // Only a whole, flushed journal is ever renamed into place, so its save has committed:
    // one that cannot be read hides which files are the notes, and nothing may be decided.
    const auto bytes = ReadBytes(fs, Join(folder, kJournalName));
    if (!bytes) return {};
    // One that reads back damaged was harmed afterwards. Whether its save was already under
    // way cannot be told, so nothing is thrown away: the notes load as the folder holds them,
    // the temporaries stay for a person to inspect, and the next save supersedes it all.
    auto journal = DecodeJournal(*bytes);
    if (!journal) return {FolderState::kSettled, std::move(*names), {}};
    const NameSet present(names->begin(), names->end());
    if (!RollForward(fs, folder, *journal, present)) {
      if (stamps) stamps->reset();
      auto now = ListOnce(fs, folder, stamps);
      if (!now) return {};
      return {FolderState::kPending, std::move(*now), std::move(*journal)};
    }
    RemoveLeftovers(fs, folder, *names);
    fs.RemoveFile(Join(folder, kJournalName));
    changed = true;
  } else {
    // No committed save: temporaries lying about belong to saves that never committed.
    changed = RemoveLeftovers(fs, folder, *names);
  }
  if (changed) {
    if (stamps) stamps->reset();
    names = ListOnce(fs, folder, stamps);
    if (!names) return {};
  }
  return {FolderState::kSettled, std::move(*names), {}};
}

}  // namespace tarvik::notes::note_store_detail
