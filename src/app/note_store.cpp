#include "app/note_store.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <future>
#include <system_error>
#include <unordered_map>
#include <unordered_set>

#include "util/file_io.h"
#include "util/text_codec.h"

namespace tarvik::app {
namespace {

using NameSet = std::unordered_set<std::wstring>;

// The journal of a save in progress. Its name ends neither in "tvk" nor in a temporary mark,
// so it is never loaded as a note nor taken for a leftover.
constexpr std::wstring_view kJournalName = L"~notes-save.journal";
constexpr std::string_view kJournalMagic = "tarvik-notes-journal 1";
constexpr std::string_view kJournalEnd = "end ";
constexpr std::size_t kJournalTrailerSize = 4 + 16 + 1;  // "end " + hex checksum + "\n"

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
};

std::wstring Join(const std::wstring& folder, std::wstring_view name) {
  std::wstring path = folder;
  path += L'\\';
  path += name;
  return path;
}

wchar_t AsciiLower(wchar_t c) {
  return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view lowerB) {
  if (a.size() != lowerB.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != lowerB[i]) return false;
  }
  return true;
}

bool StartsWithNoCase(std::wstring_view s, std::wstring_view lowerPrefix) {
  return s.size() >= lowerPrefix.size() &&
         EqualsNoCase(s.substr(0, lowerPrefix.size()), lowerPrefix);
}

std::wstring AsciiLowered(std::wstring_view s) {
  std::wstring out(s);
  std::transform(out.begin(), out.end(), out.begin(), AsciiLower);
  return out;
}

bool EndsWithNoCase(std::wstring_view s, std::wstring_view lowerSuffix) {
  return s.size() >= lowerSuffix.size() &&
         EqualsNoCase(s.substr(s.size() - lowerSuffix.size()), lowerSuffix);
}

// The number of a "Note_<n>.tvk" name without leading zeros ("" for zero), or nothing.
std::optional<std::wstring_view> NoteNumber(std::wstring_view name) {
  constexpr std::wstring_view kPrefix = L"note_";
  constexpr std::wstring_view kSuffix = L".tvk";
  if (name.size() <= kPrefix.size() + kSuffix.size() || !StartsWithNoCase(name, kPrefix) ||
      !EndsWithNoCase(name, kSuffix)) {
    return std::nullopt;
  }
  std::wstring_view digits =
      name.substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
  if (!std::all_of(digits.begin(), digits.end(),
                   [](wchar_t c) { return c >= L'0' && c <= L'9'; })) {
    return std::nullopt;
  }
  while (!digits.empty() && digits.front() == L'0') digits.remove_prefix(1);
  return digits;
}

// A temporary of an earlier save (or of an atomic write of a note) that never got renamed.
bool IsLeftoverTemporary(std::wstring_view name) {
  if (IsNoteFileName(name)) return false;
  const std::size_t mark = name.rfind(util::kTemporaryMark);
  if (mark == std::wstring_view::npos) return false;
  const std::wstring_view base = name.substr(0, mark);
  return IsNoteFileName(base) || base == kJournalName;
}

// --- journal --------------------------------------------------------------------------

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

std::wstring TemporaryName(std::wstring_view finalName, const std::wstring& token) {
  std::wstring name(finalName);
  name += util::kTemporaryMark;
  name += token;
  return name;
}

// Unique per save, so a later save's temporaries never collide with an earlier one's.
std::wstring NewSaveToken() {
  static std::atomic<unsigned> counter{0};
  const auto ticks = std::chrono::system_clock::now().time_since_epoch().count();
  return std::to_wstring(static_cast<unsigned long long>(ticks)) + L"-" +
         std::to_wstring(++counter);
}

std::uint64_t Fnv1a(std::string_view bytes) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ull;
  }
  return hash;
}

std::string Hex16(std::uint64_t value) {
  std::string out(16, '0');
  for (int i = 15; i >= 0; --i, value >>= 4) out[i] = "0123456789abcdef"[value & 0xF];
  return out;
}

// Text with length-prefixed names (a POSIX name may hold a line break) and a checksum
// trailer, so a damaged journal is recognised rather than misread.
std::string EncodeJournal(const Journal& journal) {
  std::string out(kJournalMagic);
  out += ' ';
  out += util::ToUtf8(journal.token);
  out += '\n';
  for (const JournalEntry& entry : journal.entries) {
    const std::string name = util::ToUtf8(entry.name);
    out += static_cast<char>(entry.step);
    out += ' ';
    out += std::to_string(name.size());
    out += ' ';
    out += name;
    out += '\n';
  }
  const std::uint64_t sum = Fnv1a(out);
  out += kJournalEnd;
  out += Hex16(sum);
  out += '\n';
  return out;
}

std::optional<Journal> DecodeJournal(std::string_view bytes) {
  if (bytes.size() < kJournalTrailerSize) return std::nullopt;
  const std::string_view body = bytes.substr(0, bytes.size() - kJournalTrailerSize);
  const std::string_view trailer = bytes.substr(body.size());
  if (trailer != std::string(kJournalEnd) + Hex16(Fnv1a(body)) + "\n") return std::nullopt;

  std::size_t at = body.find('\n');
  if (at == std::string_view::npos) return std::nullopt;
  const std::string_view header = body.substr(0, at);
  if (header.size() <= kJournalMagic.size() + 1 ||
      header.substr(0, kJournalMagic.size()) != kJournalMagic ||
      header[kJournalMagic.size()] != ' ') {
    return std::nullopt;
  }
  const std::string_view token = header.substr(kJournalMagic.size() + 1);
  if (!std::all_of(token.begin(), token.end(),
                   [](char c) { return (c >= '0' && c <= '9') || c == '-'; })) {
    return std::nullopt;
  }
  Journal journal;
  journal.token = util::FromUtf8(token);
  ++at;
  while (at < body.size()) {
    // <step> ' ' <length> ' ' <name> '\n'
    if (body.size() - at < 5 || body[at + 1] != ' ') return std::nullopt;
    const char step = body[at];
    if (step != 'K' && step != 'W' && step != 'D') return std::nullopt;
    at += 2;
    std::size_t length = 0;
    std::size_t digits = 0;
    while (at < body.size() && body[at] >= '0' && body[at] <= '9' && digits < 9) {
      length = length * 10 + static_cast<std::size_t>(body[at] - '0');
      ++at, ++digits;
    }
    if (digits == 0 || at >= body.size() || body[at] != ' ') return std::nullopt;
    ++at;
    if (length == 0 || body.size() - at < length + 1 || body[at + length] != '\n')
      return std::nullopt;
    journal.entries.push_back({static_cast<Step>(step), util::FromUtf8(body.substr(at, length))});
    at += length + 1;
  }
  return journal;
}

// Carries out a committed journal. Repeating it after an interruption is harmless: only what
// is still there is removed or renamed. True when every step is done and flushed.
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

// A read or listing that fails may be a virus scanner or a backup tool holding the file for a
// moment; it is tried again before it counts, and even then it never means "not there".
constexpr int kReadAttempts = 3;

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

// Settles what an earlier save left behind.
Recovery Recover(NoteFileSystem& fs, const std::wstring& folder) {
  auto names = ListNames(fs, folder);
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
      auto now = ListNames(fs, folder);
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
    names = ListNames(fs, folder);
    if (!names) return {};
  }
  return {FolderState::kSettled, std::move(*names), {}};
}

NotesFolderContents LoadFromJournal(NoteFileSystem& fs, const std::wstring& folder,
                                    const Journal& journal,
                                    const std::vector<std::wstring>& names) {
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
      contents.notes.push_back(ParseNoteFile(*bytes));
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

NoteFileSystem& RealNoteFileSystem() {
  static RealFileSystem fileSystem;
  return fileSystem;
}

bool IsNoteFileName(std::wstring_view name) {
  return EndsWithNoCase(name, L"tvk");
}

std::vector<std::wstring> OrderNoteFileNames(std::vector<std::wstring> names) {
  struct Keyed {
    std::optional<std::wstring_view> number;
    std::wstring* name;
  };
  std::vector<Keyed> keyed;
  keyed.reserve(names.size());
  for (std::wstring& name : names) {
    if (IsNoteFileName(name)) keyed.push_back({NoteNumber(name), &name});
  }
  std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
    if (a.number.has_value() != b.number.has_value()) return a.number.has_value();
    if (a.number && a.number->size() != b.number->size())
      return a.number->size() < b.number->size();
    if (a.number && *a.number != *b.number) return *a.number < *b.number;
    return *a.name < *b.name;
  });
  std::vector<std::wstring> ordered;
  ordered.reserve(keyed.size());
  for (const Keyed& k : keyed) ordered.push_back(std::move(*k.name));
  return ordered;
}

std::string FormatNoteFile(const Note& note) {
  std::wstring title = note.title.empty() ? std::wstring(kUntitledTitle) : note.title;
  // A leading U+FEFF would be read back as a byte-order mark and dropped.
  while (!title.empty() && title.front() == L'\uFEFF') title.erase(0, 1);
  if (title.empty()) title = kUntitledTitle;
  std::replace_if(
      title.begin(), title.end(), [](wchar_t c) { return c == L'\r' || c == L'\n'; }, L' ');
  std::string bytes = util::ToUtf8(title);
  bytes += "\r\n";
  bytes += util::ToUtf8(note.text);
  return bytes;
}

Note ParseNoteFile(std::string_view bytes) {
  bytes = util::StripUtf8Bom(bytes);
  const std::size_t lineEnd = bytes.find("\r\n");
  if (lineEnd == std::string_view::npos) {
    return Note{std::wstring(kUntitledTitle), util::FromUtf8(bytes)};
  }
  return Note{util::FromUtf8(bytes.substr(0, lineEnd)), util::FromUtf8(bytes.substr(lineEnd + 2))};
}

std::vector<Note> ReadNotesFolder(const std::wstring& notesFolder, NoteFileSystem& fs) {
  return ReadNotesFolderContents(notesFolder, fs).notes;
}

NotesFolderContents ReadNotesFolderContents(const std::wstring& notesFolder, NoteFileSystem& fs) {
  // A folder that looks missing may only have failed to answer: it is listed all the same.
  if (!fs.FolderExists(notesFolder)) fs.CreateFolder(notesFolder);
  Recovery recovery = Recover(fs, notesFolder);
  if (recovery.state == FolderState::kUnknown) {
    NotesFolderContents unknown;
    unknown.listed = false;
    return unknown;
  }
  if (recovery.state == FolderState::kPending)
    return LoadFromJournal(fs, notesFolder, recovery.pending, recovery.names);
  const std::vector<std::wstring> ordered = OrderNoteFileNames(std::move(recovery.names));

  std::vector<std::optional<Note>> slots(ordered.size());
  const auto readRange = [&](std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) {
      if (const auto bytes = ReadBytes(fs, Join(notesFolder, ordered[i])))
        slots[i] = ParseNoteFile(*bytes);
    }
  };
  // A big folder loads in two halves at once: one waits on the disk while the other decodes.
  constexpr std::size_t kParallelFrom = 256;
  std::future<void> secondHalf;
  std::size_t split = ordered.size();
  if (ordered.size() >= kParallelFrom) {
    try {
      secondHalf = std::async(std::launch::async, readRange, ordered.size() / 2, ordered.size());
      split = ordered.size() / 2;
    } catch (const std::system_error&) {
      // No thread to be had: read it all here.
    }
  }
  readRange(0, split);
  if (secondHalf.valid()) secondHalf.get();

  NotesFolderContents contents;
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

}  // namespace tarvik::app
