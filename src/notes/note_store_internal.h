#pragma once
// What the note store's parts share inside src/app/note_store*.cpp: names, the save journal
// and the recovery of an interrupted save. Not for use outside the store.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "notes/note_store.h"

namespace tarvik::notes::note_store_detail {

using NameSet = std::unordered_set<std::wstring>;

// The journal of a save in progress. Its name ends neither in "tvk" nor in a temporary mark,
// so it is never loaded as a note nor taken for a leftover.
inline constexpr std::wstring_view kJournalName = L"~notes-save.journal";

// --- names (note_store_names.cpp) ---------------------------------------------------------

std::wstring Join(const std::wstring& folder, std::wstring_view name);
std::wstring AsciiLowered(std::wstring_view s);
// A temporary of an earlier save (or of an atomic write of a note) that never got renamed.
bool IsLeftoverTemporary(std::wstring_view name);

// --- journal (note_store_journal.cpp) -----------------------------------------------------

enum class Step : char { kKeep = 'K', kWrite = 'W', kDelete = 'D' };

struct JournalEntry {
  Step step;
  std::wstring name;
};

// The final notes in load order (kept or written), and the stale notes to remove.
struct Journal {
  std::wstring token;  // names this save's temporaries
  std::vector<JournalEntry> entries;
};

std::wstring TemporaryName(std::wstring_view finalName, const std::wstring& token);
// Unique per save, so a later save's temporaries never collide with an earlier one's.
std::wstring NewSaveToken();
// Text with length-prefixed names (a POSIX name may hold a line break) and a checksum
// trailer, so a damaged journal is recognised rather than misread.
std::string EncodeJournal(const Journal& journal);
std::optional<Journal> DecodeJournal(std::string_view bytes);

// The journal's and the recovery record's last line: "end " and the body's checksum in hex.
using ChecksumOf = std::uint64_t (*)(std::string_view body);
void AppendChecksumLine(std::string& body, ChecksumOf sum);
// The body before a last line that matches it; nothing for a torn or damaged file.
std::optional<std::string_view> BodyBeforeChecksumLine(std::string_view bytes, ChecksumOf sum);

// --- recovery (note_store_recovery.cpp) ---------------------------------------------------

// A read or listing that fails may be a virus scanner or a backup tool holding the file for a
// moment; these try again before it counts, and even then it never means "not there".
std::optional<std::vector<std::wstring>> ListNames(NoteFileSystem& fs, const std::wstring& folder);
std::optional<std::string> ReadBytes(NoteFileSystem& fs, const std::wstring& path);
bool HasJournal(const std::vector<std::wstring>& names);

// Carries out a committed journal. Repeating it after an interruption is harmless: only what
// is still there is removed or renamed. True when every step is done and flushed.
bool RollForward(NoteFileSystem& fs, const std::wstring& folder, const Journal& journal,
                 const NameSet& present);

enum class FolderState {
  kSettled,  // no save pending: the note files are the notes
  kPending,  // a committed save still cannot be finished: its journal names the notes
  kUnknown,  // the folder could not be listed or a committed journal could not be read
};

struct Recovery {
  FolderState state = FolderState::kUnknown;
  std::vector<std::wstring> names;  // the folder's names after recovery
  Journal pending;
};

// Settles what an earlier save left behind. With stamps, the folder is listed with its files'
// stamps, which land there (as they are after recovery; nothing when no stamps could be had).
Recovery Recover(NoteFileSystem& fs, const std::wstring& folder,
                 std::optional<std::vector<NoteFileStamp>>* stamps = nullptr);

}  // namespace tarvik::notes::note_store_detail
