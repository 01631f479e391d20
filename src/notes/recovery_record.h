#pragma once
// The recovery record: what the notes in memory hold that the Notes folder does not, written
// beside the folder while the program runs, so that a run that ends by force loses at most
// the last second or two of typing.
//
// The record holds the notes as a difference from the notes as they were loaded: runs of
// "the same as loaded notes k to k+m-1" and, for every other note, its title and text. It
// names the loaded notes it was made against (their count and a hash); a record is applied
// only to a load that matches, and a trailing checksum over the whole record makes a torn or
// damaged one read as damaged, never as fewer notes.
//
// "Notes.recovery" lies in the program's folder beside "Notes". A run that finds it there but
// cannot read it (held by another program) records itself as "Notes.recovery.2" instead, so
// the earlier run's typing is never written over. A record put aside instead of applied is
// kept as "Notes.recovery.old-<time>", each under its own name; the newest few are kept.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "notes/note_store.h"

namespace tarvik::notes {

inline constexpr std::wstring_view kRecoveryRecordName = L"Notes.recovery";
inline constexpr std::wstring_view kSecondRecoveryRecordName = L"Notes.recovery.2";
inline constexpr std::wstring_view kPreviousRecoveryRecordName = L"Notes.recovery.old";
inline constexpr std::size_t kRecordsKeptAside = 20;

std::wstring RecoveryRecordPath(const std::wstring& programFolder);

// Which loaded notes a record was made against.
struct RecordBaseline {
  std::uint64_t count = 0;
  std::uint64_t hash = 0;
  friend bool operator==(const RecordBaseline&, const RecordBaseline&) = default;
};

// A note's identity for the record: equal notes hash equal on every run of the same build.
std::uint64_t HashNote(const Note& note);
RecordBaseline BaselineOf(const std::vector<std::uint64_t>& noteHashes);
RecordBaseline BaselineOf(const std::vector<Note>& loaded);

struct RecoveryRecord {
  // Either a run of loaded notes (sameCount > 0, starting at sameFrom) or one note in full.
  struct Entry {
    std::uint64_t sameFrom = 0;
    std::uint64_t sameCount = 0;
    std::shared_ptr<const Note> note;
  };
  // Nothing when every note is held in full: the record then stands on its own, whatever the
  // folder holds (after a save that failed in a way that leaves unknown which notes it holds).
  std::optional<RecordBaseline> baseline;
  std::vector<Entry> entries;
};

// The notes the record stands for, or nothing when loaded is not the set it was made against
// or it refers to notes loaded does not have. A record without a baseline applies to any load.
std::optional<std::vector<Note>> ApplyRecoveryRecord(const RecoveryRecord& record,
                                                     const std::vector<Note>& loaded);

std::string EncodeRecoveryRecord(const RecoveryRecord& record);
std::optional<RecoveryRecord> DecodeRecoveryRecord(std::string_view bytes);

enum class RecordStatus {
  kAbsent,      // no record: the last run ended normally
  kUnreadable,  // it is there (or may be) but could not be read; never taken for absent
  kDamaged,     // read whole but torn or corrupt
  kTooLarge,    // larger than any record of these notes could be: put aside without reading
  kFound,
};
struct RecordRead {
  RecordStatus status = RecordStatus::kUnreadable;
  RecoveryRecord record;
};
RecordRead ReadRecoveryRecord(const std::wstring& programFolder,
                              NoteFileSystem& fs = RealNoteFileSystem());
// Reads the record named name in the program folder, known from a listing to be there. One
// larger than sizeLimit is not read at all.
RecordRead ReadRecoveryRecordFile(const std::wstring& programFolder, std::wstring_view name,
                                  std::optional<std::uint64_t> size, std::uint64_t sizeLimit,
                                  NoteFileSystem& fs = RealNoteFileSystem());
// Written whole: a flushed temporary renamed over the record. On failure the last record
// written stays as it was.
bool WriteRecoveryRecord(const std::wstring& programFolder, const RecoveryRecord& record,
                         NoteFileSystem& fs = RealNoteFileSystem());
bool WriteRecoveryRecord(const std::wstring& programFolder, std::wstring_view name,
                         const RecoveryRecord& record, NoteFileSystem& fs = RealNoteFileSystem());
// After a save that holds everything the record did. True when no record is left.
bool RemoveRecoveryRecord(const std::wstring& programFolder,
                          NoteFileSystem& fs = RealNoteFileSystem());
bool RemoveRecoveryRecord(const std::wstring& programFolder, std::wstring_view name,
                          NoteFileSystem& fs = RealNoteFileSystem());
// Puts the record aside under a name of its own ("Notes.recovery.old-<time>"), so it is never
// thrown away unread nor written over by a later one; only the newest kRecordsKeptAside stay.
// The name it is kept under, "" when there was none, nothing when it may still be there.
std::optional<std::wstring> PutRecoveryRecordAside(const std::wstring& programFolder,
                                                   std::wstring_view name,
                                                   NoteFileSystem& fs = RealNoteFileSystem());
// The same for "Notes.recovery". True when the record is aside or there was none.
bool KeepRecoveryRecordAside(const std::wstring& programFolder,
                             NoteFileSystem& fs = RealNoteFileSystem());

// Whether notes a and b would save the same files, so a record that differs from the folder
// only in notes a save drops (an empty new note) is not worth a question.
bool SaveTheSame(const std::vector<Note>& a, const std::vector<Note>& b);

// The note open in the editor, as committing it would store it, when it is ahead of the notes.
struct OpenNote {
  std::size_t index = 0;
  Note note;
};

// Keeps the record up to date while the program runs. The user-interface thread tells it what
// changed (cheap: a few integers per call) and hands it the notes; it copies only the notes
// that changed since it last looked and leaves encoding and writing to its own thread, which
// waits for a short lull (at most kMaxDelay after the first unwritten change) so that a burst
// of changes costs one write. Typing never reaches it key by key: the note book hands it the
// editor's note once the typing pauses, so a key does not pay for the note's size. A write that
// fails leaves the last good record and is tried again by itself, at growing intervals of at
// most kMaxRetryMs.
class RecoveryWriter {
 public:
  enum class Mode { kBackground, kInline };  // kInline writes within Changed (tests)
  static constexpr int kQuietMs = 700;
  static constexpr int kMaxDelayMs = 2000;
  static constexpr int kFirstRetryMs = 250;
  static constexpr int kMaxRetryMs = 2000;

  RecoveryWriter(std::wstring programFolder, const std::vector<Note>& loaded,
                 NoteFileSystem& fs = RealNoteFileSystem(), Mode mode = Mode::kBackground,
                 std::wstring recordName = std::wstring(kRecoveryRecordName));
  // The record's name in the program folder.
  const std::wstring& RecordName() const { return recordName_; }
  ~RecoveryWriter();
  RecoveryWriter(const RecoveryWriter&) = delete;
  RecoveryWriter& operator=(const RecoveryWriter&) = delete;

  // What the caller did to its notes since the last call; each is O(1) or a move of integers.
  void Edited(std::size_t index);    // note index changed (typing committed, a wheel step)
  void Inserted(std::size_t index);  // a note now stands at index; those after moved up
  void Removed(std::size_t index);   // the note at index is gone; those after moved down
  // Anything else (notes rebuilt, cleared, reordered): the next Changed compares every note.
  void Reshaped();
  // The folder may no longer hold the loaded notes (a save failed after it may have committed):
  // from the next Changed on, the record holds every note in full.
  void BaselineUncertain();

  // Takes the notes as they are now, plus the editor's note when it is ahead of them, and
  // schedules a write. Copies only what changed since the last call. writeNow: the change is
  // already a lull old (typing held back until it paused), so no lull is waited for again.
  void Changed(const std::vector<Note>& notes, std::optional<OpenNote> open, bool writeNow = false);
  // Writes what the last Changed gave at once and waits for it. True when the record on disk
  // now holds it.
  bool Flush();
  // Flushes, then stops writing for good.
  bool Stop();
  // Stops writing for good without writing what is pending: a save now holds it all.
  void Discard();

 private:
  struct Slot {
    std::int64_t origin = -1;          // loaded index, or -1 when the note differs from every one
    std::shared_ptr<const Note> copy;  // the note's content when origin is -1
  };

  void Worker();
  bool WritePending(std::unique_lock<std::mutex>& lock);

  std::wstring programFolder_;
  std::wstring recordName_;
  NoteFileSystem& fs_;
  Mode mode_;
  std::vector<std::uint64_t> loadedHashes_;
  RecordBaseline baseline_;
  // User-interface thread only.
  std::vector<Slot> slots_;
  std::vector<std::size_t> stale_;  // indices whose copy must be taken again
  bool reshaped_ = false;
  bool standalone_ = false;
  std::optional<std::size_t> lastOpen_;

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable written_;
  std::optional<RecoveryRecord> pending_;
  std::uint64_t submitted_ = 0;
  std::uint64_t done_ = 0;
  bool lastWriteOk_ = true;
  // After a failed write: the next try is due at retryAt_, whether or not anything changes.
  bool retrying_ = false;
  int retryMs_ = 0;
  std::chrono::steady_clock::time_point retryAt_;
  bool flushNow_ = false;
  bool stopping_ = false;
  bool stopped_ = false;
  std::chrono::steady_clock::time_point firstUnwritten_;
  std::chrono::steady_clock::time_point lastChange_;
  std::thread thread_;
};

// The exit or logoff save, keeping the record in step. The record is first brought up to the
// notes being saved, so that wherever the save stops, the record or the folder holds them.
// After a save that succeeds the writer stops and the record is removed; after one that fails
// both stay, and the program may go on. writer may be null when no record is kept this run;
// a record left by an earlier run is then left where it is.
struct RecordedSave {
  bool saved = false;
  bool recordUpToDate = false;  // the record held exactly these notes before the save began
  bool recordRemoved = false;
};
RecordedSave SaveNotesWithRecord(const std::wstring& programFolder, const std::vector<Note>& notes,
                                 KeptFiles& keep, RecoveryWriter* writer,
                                 NoteFileSystem& fs = RealNoteFileSystem());

// The Notes folder's note files as the listing shows them (names, sizes, last-write times),
// taken at load and again before the exit save: a difference means something else changed
// the folder since the notes were loaded.
struct FolderFingerprint {
  // note files, the journal and temporaries of a save, sorted by name
  std::vector<NoteFileStamp> files;
  friend bool operator==(const FolderFingerprint&, const FolderFingerprint&) = default;
};
// The fingerprint of a listing already made.
FolderFingerprint FingerprintOf(std::vector<NoteFileStamp> stamps);
// Nothing when the folder cannot be listed with its stamps.
std::optional<FolderFingerprint> FingerprintNotesFolder(const std::wstring& notesFolder,
                                                        NoteFileSystem& fs = RealNoteFileSystem());
// Whether the folder is known to have changed since atLoad was taken. A folder that cannot be
// fingerprinted now (or could not be at load) counts as changed: the save must not pass over it
// unasked.
bool NotesFolderChanged(const std::wstring& notesFolder,
                        const std::optional<FolderFingerprint>& atLoad,
                        NoteFileSystem& fs = RealNoteFileSystem());
// Copies every file of the folder (notes, and the temporaries and journal of a save not yet
// finished) into a new sibling folder "Notes.replaced-<stamp>" before a save or a recovery
// changes any of them. Returns the copy's path, or nothing when the copy is not whole (and
// what it had written is removed again).
std::optional<std::wstring> CopyNotesFolderAside(const std::wstring& notesFolder,
                                                 NoteFileSystem& fs = RealNoteFileSystem());

}  // namespace tarvik::notes
