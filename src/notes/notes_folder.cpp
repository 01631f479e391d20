#include "notes/notes_folder.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

#include "notes/note_store_internal.h"

namespace tarvik::notes {

using namespace note_store_detail;

namespace {

constexpr std::uint64_t kRecordSlack = 64ull << 20;

const wchar_t kUnreadableNotesText[] =
    L"无法读取以下笔记文件（可能正被其他程序占用）：\r\n%s\r\n本次运行不会删除或覆盖这些文件，"
    L"下次启动时会再次读取。";
const wchar_t kUnlistedText[] =
    L"无法读取“Notes”文件夹（可能正被其他程序占用）。本次运行不会删除或覆盖其中的笔记，"
    L"下次启动时会再次读取。";
const wchar_t kRecordHeldText[] =
    L"上次“Tarvik”没有正常退出时留下的恢复记录“%s”暂时无法读取（可能正被其他程序占用）。"
    L"它会原样保留，下次启动时再处理。";
const wchar_t kRecordDamagedText[] =
    L"上次“Tarvik”没有正常退出时留下的恢复记录已损坏，无法恢复。它已另存为“%s”。";
const wchar_t kRecordTooLargeText[] =
    L"上次“Tarvik”没有正常退出时留下的恢复记录过大，没有读取。它已另存为“%s”。";
const wchar_t kRecordStaleText[] =
    L"“Notes”文件夹在上次运行之后被其他程序修改过，恢复记录中的更改无法应用到现在的笔记上。"
    L"记录已另存为“%s”。";
const wchar_t kNoRecordText[] =
    L"无法写入恢复记录（可能正被其他程序占用）。本次运行中的更改要到退出时才会保存。";

std::wstring Fill(std::wstring_view pattern, std::wstring_view value) {
  std::wstring text(pattern);
  const std::size_t at = text.find(L"%s");
  if (at != std::wstring::npos) text.replace(at, 2, value);
  return text;
}

std::optional<std::vector<NoteFileStamp>> ListStamps(NoteFileSystem& fs,
                                                     const std::wstring& folder) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (auto stamps = fs.ListFileStamps(folder)) return stamps;
  }
  // No stamps to be had: the names alone, the sizes unknown.
  const auto names = ListNames(fs, folder);
  if (!names) return std::nullopt;
  std::vector<NoteFileStamp> stamps;
  for (const std::wstring& name : *names) stamps.push_back({name, UINT64_MAX, 0});
  return stamps;
}

// A record of a run that changed nothing: every loaded note, in order, and nothing else.
bool ChangesNothing(const RecoveryRecord& record) {
  if (!record.baseline) return false;
  if (record.entries.empty()) return record.baseline->count == 0;
  return record.entries.size() == 1 && record.entries[0].sameFrom == 0 &&
         record.entries[0].sameCount == record.baseline->count;
}

bool IsRecordTemporary(std::wstring_view name) {
  return name.substr(0, kRecoveryRecordName.size()) == kRecoveryRecordName &&
         name.find(L".tmp~") != std::wstring_view::npos;
}

}  // namespace

std::vector<Note> MergeRecord(const RecoveryRecord& record, const std::vector<Note>& folder) {
  std::vector<Note> merged = folder;
  std::unordered_set<std::string> held;
  for (const Note& note : folder) held.insert(FormatNoteFile(note));
  for (const RecoveryRecord::Entry& entry : record.entries) {
    // An empty note is never saved; one the folder holds already adds nothing.
    if (!entry.note || entry.note->text.empty()) continue;
    if (held.insert(FormatNoteFile(*entry.note)).second) merged.push_back(*entry.note);
  }
  return merged;
}

NotesFolder::NotesFolder(std::wstring programFolder, NoteFileSystem& fs, RecoveryWriter::Mode mode)
    : program_(std::move(programFolder)), path_(NotesFolderPath(program_)), fs_(fs), mode_(mode) {}

NotesFolder::~NotesFolder() = default;

std::vector<Note> NotesFolder::Load() {
  NotesFolderContents contents = ReadNotesFolderContents(path_, fs_, otherText_);
  keep_ = KeptFiles{std::move(contents.unreadable), !contents.listed};
  TakeFingerprint(contents.stamps);
  missingAtLoad_ = !contents.existed && !atLoad_;
  notesSize_ = 0;
  if (atLoad_) {
    for (const NoteFileStamp& file : atLoad_->files) notesSize_ += file.size;
  } else {
    for (const Note& note : contents.notes)
      notesSize_ += (note.title.size() + note.text.size()) * 3 + 2;
  }
  return std::move(contents.notes);
}

void NotesFolder::TakeFingerprint(const std::optional<std::vector<NoteFileStamp>>& stamps) {
  atLoad_.reset();
  if (stamps) atLoad_ = FingerprintOf(*stamps);
}

std::optional<std::vector<Note>> NotesFolder::Recover(const std::vector<Note>& loaded,
                                                      const Conversation& talk) {
  if (keep_.allNoteFiles) {
    talk.tell(kUnlistedText);
  } else if (!keep_.names.empty()) {
    std::wstring names;
    for (const std::wstring& name : keep_.names) names += (names.empty() ? L"" : L"、") + name;
    talk.tell(Fill(kUnreadableNotesText, names));
  }
  const bool complete = LoadSawEverything();
  const std::wstring_view slots[] = {kRecoveryRecordName, kSecondRecoveryRecordName};
  bool usable[2] = {false, false};  // absent, used up or put aside: this run may write there
  bool taken[2] = {false, false};
  std::optional<std::vector<Note>> shown;
  bool copied = false;
  const auto listing = ListStamps(fs_, program_);
  for (int i = 0; i < 2 && listing; ++i) {
    const auto file = std::find_if(listing->begin(), listing->end(),
                                   [&](const NoteFileStamp& s) { return s.name == slots[i]; });
    if (i == 0) {
      // A write that never got renamed into place; the records themselves are whole or absent.
      for (const NoteFileStamp& s : *listing) {
        if (IsRecordTemporary(s.name)) fs_.RemoveFile(Join(program_, s.name));
      }
    }
    if (file == listing->end()) {
      usable[i] = true;
      continue;
    }
    const std::optional<std::uint64_t> size =
        file->size == UINT64_MAX ? std::nullopt : std::optional<std::uint64_t>(file->size);
    const RecordRead read =
        ReadRecoveryRecordFile(program_, slots[i], size, notesSize_ * 4 + kRecordSlack, fs_);
    switch (read.status) {
      case RecordStatus::kAbsent:
        usable[i] = true;
        break;
      case RecordStatus::kUnreadable:
        // Left alone: it may hold the only copy of an earlier run's typing.
        talk.tell(Fill(kRecordHeldText, slots[i]));
        break;
      case RecordStatus::kTooLarge:
        usable[i] = PutAside(slots[i], talk, kRecordTooLargeText);
        break;
      case RecordStatus::kDamaged:
        usable[i] = PutAside(slots[i], talk, kRecordDamagedText);
        break;
      case RecordStatus::kFound: {
        const std::vector<Note>& now = shown ? *shown : loaded;
        // Applied as made only over the very notes it was made against; otherwise what that
        // run changed goes onto the folder as it is now, and the folder is copied first.
        std::optional<std::vector<Note>> recovered;
        if (complete && !shown && read.record.baseline)
          recovered = ApplyRecoveryRecord(read.record, loaded);
        const bool exact = recovered.has_value();
        if (!recovered) recovered = MergeRecord(read.record, now);
        if (SaveTheSame(*recovered, now)) {
          // The folder holds everything it has: worth no question. One that changed something
          // that cannot be carried over to the folder as it is now is kept, and said so.
          usable[i] = exact || PutAside(slots[i], talk,
                                        ChangesNothing(read.record) ? nullptr : kRecordStaleText);
          break;
        }
        if (!talk.ask(kRecoverQuestion)) {
          usable[i] = PutAside(slots[i], talk, nullptr);
          break;
        }
        if (!exact && !copied) copied = CopyAside().has_value();
        shown = std::move(recovered);
        taken[i] = usable[i] = true;
        break;
      }
    }
  }
  const int mine = usable[0] ? 0 : usable[1] ? 1 : -1;
  if (mine < 0) {
    talk.tell(kNoRecordText);
    return shown;
  }
  // A record taken in the other slot is held by this run's record from now on.
  const int other = 1 - mine;
  if (taken[other]) PutAside(slots[other], talk, nullptr);
  writer_ =
      std::make_unique<RecoveryWriter>(program_, loaded, fs_, mode_, std::wstring(slots[mine]));
  // Against a partial load the record holds every note in full: it then stands on its own.
  if (!complete) writer_->BaselineUncertain();
  return shown;
}

bool NotesFolder::PutAside(std::wstring_view name, const Conversation& talk,
                           const wchar_t* notice) {
  const std::optional<std::wstring> aside = PutRecoveryRecordAside(program_, name, fs_);
  if (notice && aside && !aside->empty()) talk.tell(Fill(notice, *aside));
  return aside.has_value();
}

bool NotesFolder::ChangedSinceLoad() {
  // No folder now: the save replaces nothing of anyone's.
  if (!fs_.FolderExists(path_)) return false;
  if (!missingAtLoad_) return NotesFolderChanged(path_, atLoad_, fs_);
  // No folder at load: only note files that have appeared since are another program's.
  const std::optional<FolderFingerprint> now = FingerprintNotesFolder(path_, fs_);
  return !now || !now->files.empty();
}

std::optional<std::wstring> NotesFolder::CopyAside() {
  return CopyNotesFolderAside(path_, fs_);
}

bool NotesFolder::Save(const std::vector<Note>& notes) {
  const RecordedSave result = SaveNotesWithRecord(program_, notes, keep_, writer_.get(), fs_);
  if (!result.saved) {
    // The folder as it is now is the one the next try compares against.
    atLoad_ = FingerprintNotesFolder(path_, fs_);
    missingAtLoad_ = !fs_.FolderExists(path_);
  }
  return result.saved;
}

}  // namespace tarvik::notes
