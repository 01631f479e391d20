#pragma once
// The Notes folder on disk: one file per note, "Note_1.tvk", "Note_2.tvk", ... Each file is
// UTF-8 without a byte-order mark: the title line, CR LF, then the text as held.
//
// A save never puts the old notes at risk before the new ones are safe. New files are written
// as flushed temporaries ("Note_3.tvk.tmp~<token>"); a small journal naming the final set is
// then renamed into place — that rename is the commit point — and only after it are the
// temporaries renamed over their targets and stale notes removed. Loading first finishes a
// committed save or throws away the temporaries of one that never committed, so the folder
// always reads back as exactly the old notes or exactly the new ones.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace tarvik::notes {

struct Note {
  std::wstring title;
  std::wstring text;
  friend bool operator==(const Note&, const Note&) = default;
};

// Written as the title line of an untitled note, and shown for one in the list.
inline constexpr std::wstring_view kUntitledTitle = L"[无标题]";

// A file as a folder listing shows it, without opening it.
struct NoteFileStamp {
  std::wstring name;
  std::uint64_t size = 0;
  std::int64_t lastWrite = 0;
  friend bool operator==(const NoteFileStamp&, const NoteFileStamp&) = default;
};

// The file operations the store needs, so tests can fail any one of them. ReadFile may be
// called from two threads at once while a large folder loads.
class NoteFileSystem {
 public:
  virtual ~NoteFileSystem() = default;
  virtual bool FolderExists(const std::wstring& folder) = 0;
  virtual bool CreateFolder(const std::wstring& folder) = 0;
  // Nothing when the folder cannot be listed (as opposed to an empty folder).
  virtual std::optional<std::vector<std::wstring>> ListFileNames(const std::wstring& folder) = 0;
  virtual std::optional<std::string> ReadFile(const std::wstring& path) = 0;
  // Creates or truncates path and writes bytes; durable after FlushFiles.
  virtual bool WriteFile(const std::wstring& path, std::string_view bytes) = 0;
  // Makes the written files durable, together with their names in the folder.
  virtual bool FlushFiles(const std::vector<std::wstring>& paths) = 0;
  // Renames from over to and flushes the rename to the disk.
  virtual bool ReplaceFile(const std::wstring& from, const std::wstring& to) = 0;
  // Renames from over to; durable after the next FlushFolder.
  virtual bool RenameFile(const std::wstring& from, const std::wstring& to) = 0;
  // True when the file is gone afterwards; durable after the next FlushFolder.
  virtual bool RemoveFile(const std::wstring& path) = 0;
  virtual bool FlushFolder(const std::wstring& folder) = 0;
  // Removes a folder that is empty; true when it is gone afterwards. One that cannot stays.
  virtual bool RemoveEmptyFolder(const std::wstring& folder) {
    (void)folder;
    return false;
  }
  // The files in folder with their sizes and last-write times; nothing when it cannot be
  // listed. Only the check for a folder changed behind the program's back uses it.
  virtual std::optional<std::vector<NoteFileStamp>> ListFileStamps(const std::wstring& folder) {
    (void)folder;
    return std::nullopt;
  }
  // Hands each named file of one folder to take, in order, as soon as it is read; one that
  // cannot be read at once comes as nothing (the caller tries it again the slow way). Real
  // folders open the folder once.
  using TakeFile = std::function<void(std::size_t index, std::optional<std::string> bytes)>;
  virtual void ReadFolderFiles(const std::wstring& folder, std::span<const std::wstring> names,
                               const TakeFile& take);
  // Waits before another try of a file another program holds.
  virtual void Pause(int milliseconds);
};

// "Notes" in the program folder: the one place its path is made.
std::wstring NotesFolderPath(const std::wstring& programFolder);

// The one that works on the real disk (util/file_io).
NoteFileSystem& RealNoteFileSystem();

// Reads the Notes folder (creating it when missing), after finishing or discarding an
// interrupted save; the notes in load order: "Note_<n>.tvk" by ascending n (any letter case),
// then the other names ending in "tvk" (any case, dot or not) by name.
// What a load found: the notes, and the names of note files it could not read (held open by
// another program, a read error). Those were never in memory, so a save must leave them be
// or they would be lost; they load again at the next start-up.
struct NotesFolderContents {
  std::vector<Note> notes;
  std::vector<std::wstring> unreadable;  // in load order
  // False when which notes the folder holds could not be told (it could not be listed, or the
  // journal of a committed save could not be read): nothing of it is in memory, so a save must
  // leave every note file there as it is (KeptFiles::allNoteFiles).
  bool listed = true;
  // Whether the folder was there before the load (it is made when missing).
  bool existed = true;
  // The folder's files as the load's own listing showed them, after an earlier save was
  // settled; nothing when that listing gave no stamps.
  std::optional<std::vector<NoteFileStamp>> stamps;
};
// otherText: how a note file another program wrote in its own encoding is read (see
// ParseNoteFile); without it such a file is read as UTF-8 all the same.
NotesFolderContents ReadNotesFolderContents(const std::wstring& notesFolder,
                                            NoteFileSystem& fs = RealNoteFileSystem(),
                                            platform::CodePages* otherText = nullptr);

// Rewrites the folder so it holds exactly the notes with text, as Note_1.tvk, Note_2.tvk ...
// in vector order; files that are not notes are left alone, files whose bytes would not
// change are not rewritten. Returns false on failure, with the old files byte-identical.
// Once the new set is committed the result is true, even if finishing it has to wait for the
// next load (a file held open by another program): the new notes are then what loads.
bool WriteNotesFolder(const std::wstring& notesFolder, const std::vector<Note>& notes,
                      NoteFileSystem& fs = RealNoteFileSystem());
// The same, leaving the note files named in untouched (the unreadable ones of the load) as
// they are: they are neither removed nor replaced, and the numbering steps over their names
// (Note_1, Note_2, Note_4 when "Note_3.tvk" is untouched; letter case does not matter).
bool WriteNotesFolder(const std::wstring& notesFolder, const std::vector<Note>& notes,
                      const std::vector<std::wstring>& untouched,
                      NoteFileSystem& fs = RealNoteFileSystem());
// What a save must leave as it is after a load that could not read everything: the note files
// it could not read, or every note file when it could not tell which notes the folder holds
// (NotesFolderContents::listed false).
struct KeptFiles {
  std::vector<std::wstring> names;
  bool allNoteFiles = false;
};
// The save of a program that loaded with gaps. The first save that can tell which files
// allNoteFiles stands for (once an earlier save is settled) turns it into their names, so
// that later saves keep those and nothing the program wrote itself. False, with nothing
// changed, while that cannot be told, or while a text the caller never saw waits in a
// pending save under a name to keep.
bool WriteNotesFolder(const std::wstring& notesFolder, const std::vector<Note>& notes,
                      KeptFiles& keep, NoteFileSystem& fs = RealNoteFileSystem());

// One note file's bytes: title line ("[无标题]" for ""), CR LF, text. Line breaks in the
// title would split it on reading, so they become spaces; a leading U+FEFF would be taken
// for a byte-order mark, so it is left out.
std::string FormatNoteFile(const Note& note);
// The reverse: a leading BOM is dropped, invalid UTF-8 becomes U+FFFD, the first CR LF ends
// the title line. Without any CR LF the whole content is the text of an untitled note.
// Bytes that are no UTF-8 at all (Notepad's ANSI or Unicode, from an edit outside the
// program) are read as an imported file is, when otherText is given.
Note ParseNoteFile(std::string_view bytes, platform::CodePages* otherText = nullptr);

// Whether a file of this name is loaded as a note, and the order in which such names load.
bool IsNoteFileName(std::wstring_view name);
std::vector<std::wstring> OrderNoteFileNames(std::vector<std::wstring> names);

}  // namespace tarvik::notes
