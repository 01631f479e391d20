#pragma once
// The Notes folder and everything that touches it: the load (one listing, each note read
// once), the folder's fingerprint, the recovery record and its writer, what an earlier run
// left in its record, and the exit's save with the copies it sets aside. The main window asks
// it; nothing else makes the folder's path. It shows nothing itself: questions and notices go
// through the Conversation it is given.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "notes/note_store.h"
#include "notes/recovery_record.h"

namespace tarvik::notes {

inline constexpr wchar_t kRecoverQuestion[] = L"上次“Tarvik”没有正常退出。要恢复未保存的笔记吗？";

class NotesFolder {
 public:
  struct Conversation {
    std::function<bool(const std::wstring& question)> ask;
    std::function<void(const std::wstring& notice)> tell;
  };

  explicit NotesFolder(std::wstring programFolder, NoteFileSystem& fs = RealNoteFileSystem(),
                       RecoveryWriter::Mode mode = RecoveryWriter::Mode::kBackground);
  ~NotesFolder();
  NotesFolder(const NotesFolder&) = delete;
  NotesFolder& operator=(const NotesFolder&) = delete;

  const std::wstring& Path() const { return path_; }
  // How Load reads a note file another program wrote in its own encoding.
  void ReadOtherTextWith(platform::CodePages& codePages) { otherText_ = &codePages; }

  // Reads the notes, after finishing or discarding an interrupted save. A note another program
  // holds is tried again for a moment; one still unreadable is left as it is by every save.
  std::vector<Note> Load();
  const std::vector<std::wstring>& Unreadable() const { return keep_.names; }
  bool LoadSawEverything() const { return !keep_.allNoteFiles && keep_.names.empty(); }

  // After the load, with the notes as loaded: tells what could not be read, offers what an
  // earlier run left in its record (applied over the folder as it is now when the folder
  // changed since), keeps aside what is not taken, and starts this run's record. The notes to
  // show in place of the loaded ones, when the user takes a record.
  std::optional<std::vector<Note>> Recover(const std::vector<Note>& loaded,
                                           const Conversation& talk);
  // This run's record; null when none can be kept.
  RecoveryWriter* Record() const { return writer_.get(); }
  // Writes the record at once. False when none is kept or the write failed.
  bool FlushRecord() { return writer_ && writer_->Flush(); }
  // The window goes without the exit save: the record stays, as after a run ended by force.
  void StopRecording() { writer_.reset(); }

  // Whether something else changed the folder since the load (or since the last failed save).
  bool ChangedSinceLoad();
  // Copies everything in the folder into "Notes.replaced-<time>" beside it; the copy's path,
  // or nothing when the copy is not whole.
  std::optional<std::wstring> CopyAside();
  // The exit or logoff save, the record kept in step. After one that fails, the folder as it is
  // then is what the next ChangedSinceLoad compares against.
  bool Save(const std::vector<Note>& notes);

 private:
  // Puts a record aside; whether its name is free now. notice, when given, is told with the
  // name it is kept under.
  bool PutAside(std::wstring_view name, const Conversation& talk, const wchar_t* notice);
  void TakeFingerprint(const std::optional<std::vector<NoteFileStamp>>& stamps);

  std::wstring program_;
  std::wstring path_;
  NoteFileSystem& fs_;
  RecoveryWriter::Mode mode_;
  KeptFiles keep_;
  std::optional<FolderFingerprint> atLoad_;
  bool missingAtLoad_ = false;
  std::uint64_t notesSize_ = 0;
  std::unique_ptr<RecoveryWriter> writer_;
  platform::CodePages* otherText_ = nullptr;
};

// What a record found after the folder changed brings back: the folder's notes as they are
// now, then each note the record holds in full that the folder does not have.
std::vector<Note> MergeRecord(const RecoveryRecord& record, const std::vector<Note>& folder);

}  // namespace tarvik::notes
