// The recovery record's format and file operations, and the check for a Notes folder changed
// by something else while the program ran. The writer that keeps the record up to date is in
// recovery_writer.cpp.

#include "notes/recovery_record.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <cwchar>
#include <ctime>

#include "notes/note_store_internal.h"
#include "util/file_io.h"
#include "util/hashing.h"
#include "util/text_codec.h"

namespace tarvik::notes {

using namespace note_store_detail;

namespace {

constexpr std::string_view kMagic = "tarvik-notes-recovery 1\n";

constexpr std::uint64_t kMul1 = 0x87c37b91114253d5ull;
constexpr std::uint64_t kMul2 = 0x4cf5ad432745937full;

std::uint64_t Finish(std::uint64_t h) {
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdull;
  h ^= h >> 33;
  h *= 0xc4ceb9fe1a85ec53ull;
  h ^= h >> 33;
  return h;
}

// Eight bytes a step: the whole-folder identity is taken over every loaded note at start-up,
// and the checksum over records of megabytes.
std::uint64_t HashBytes(const void* data, std::size_t size, std::uint64_t h) {
  const auto* p = static_cast<const unsigned char*>(data);
  h ^= static_cast<std::uint64_t>(size) * 0x9e3779b97f4a7c15ull;
  for (; size >= 8; p += 8, size -= 8) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    h = std::rotl(h ^ (word * kMul1), 31) * kMul2;
  }
  std::uint64_t tail = 0;
  std::memcpy(&tail, p, size);
  h = std::rotl(h ^ (tail * kMul1), 31) * kMul2;
  return h;
}

std::uint64_t HashText(std::wstring_view s, std::uint64_t h) {
  return HashBytes(s.data(), s.size() * sizeof(wchar_t), h);
}

std::uint64_t Checksum(std::string_view body) {
  return Finish(HashBytes(body.data(), body.size(), 0x74617276696b31ull));
}

// Reads what the encoder wrote, refusing anything else.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}
  bool AtEnd() const { return at_ == text_.size(); }
  bool Take(std::string_view expected) {
    if (text_.substr(at_, expected.size()) != expected) return false;
    at_ += expected.size();
    return true;
  }
  std::optional<std::uint64_t> Number() {
    std::uint64_t value = 0;
    std::size_t digits = 0;
    while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') {
      if (++digits > 18) return std::nullopt;
      value = value * 10 + static_cast<std::uint64_t>(text_[at_++] - '0');
    }
    if (digits == 0) return std::nullopt;
    return value;
  }
  std::optional<std::uint64_t> Hex() {
    if (text_.size() - at_ < 16) return std::nullopt;
    std::uint64_t value = 0;
    for (int i = 0; i < 16; ++i) {
      const char c = text_[at_++];
      const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
      if (digit < 0) return std::nullopt;
      value = value << 4 | static_cast<std::uint64_t>(digit);
    }
    return value;
  }
  std::optional<std::string_view> Bytes(std::uint64_t count) {
    if (text_.size() - at_ < count) return std::nullopt;
    const std::string_view bytes = text_.substr(at_, static_cast<std::size_t>(count));
    at_ += static_cast<std::size_t>(count);
    return bytes;
  }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
};

bool IsRecordTemporary(std::wstring_view name) {
  return name.substr(0, kRecoveryRecordName.size()) == kRecoveryRecordName &&
         name.find(util::kTemporaryMark) != std::wstring_view::npos;
}

bool IsRecordAside(std::wstring_view name) {
  return name.substr(0, kPreviousRecoveryRecordName.size()) == kPreviousRecoveryRecordName &&
         name.find(util::kTemporaryMark) == std::wstring_view::npos;
}

std::wstring Timestamp() {
  const std::time_t now = std::time(nullptr);
  char text[32] = {};
  if (const std::tm* local = std::localtime(&now))
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", local);
  return util::FromUtf8(text);
}

}  // namespace

std::wstring RecoveryRecordPath(const std::wstring& programFolder) {
  return Join(programFolder, kRecoveryRecordName);
}

std::uint64_t HashNote(const Note& note) {
  return Finish(HashText(note.text, HashText(note.title, 0x6e6f7465ull)));
}

RecordBaseline BaselineOf(const std::vector<std::uint64_t>& noteHashes) {
  std::uint64_t h = 0x62617365ull;
  for (const std::uint64_t noteHash : noteHashes) h = std::rotl(h ^ noteHash, 23) * kMul2;
  return {noteHashes.size(), Finish(h ^ noteHashes.size())};
}

RecordBaseline BaselineOf(const std::vector<Note>& loaded) {
  std::vector<std::uint64_t> hashes;
  hashes.reserve(loaded.size());
  for (const Note& note : loaded) hashes.push_back(HashNote(note));
  return BaselineOf(hashes);
}

std::optional<std::vector<Note>> ApplyRecoveryRecord(const RecoveryRecord& record,
                                                     const std::vector<Note>& loaded) {
  if (record.baseline &&
      (record.baseline->count != loaded.size() || BaselineOf(loaded) != *record.baseline)) {
    return std::nullopt;
  }
  std::vector<Note> notes;
  for (const RecoveryRecord::Entry& entry : record.entries) {
    if (entry.sameCount > 0) {
      if (!record.baseline) return std::nullopt;
      if (entry.sameFrom > loaded.size() || loaded.size() - entry.sameFrom < entry.sameCount)
        return std::nullopt;
      const auto from = loaded.begin() + static_cast<std::ptrdiff_t>(entry.sameFrom);
      notes.insert(notes.end(), from, from + static_cast<std::ptrdiff_t>(entry.sameCount));
    } else if (entry.note) {
      notes.push_back(*entry.note);
    } else {
      return std::nullopt;
    }
  }
  return notes;
}

std::string EncodeRecoveryRecord(const RecoveryRecord& record) {
  std::string out(kMagic);
  if (record.baseline) {
    out += "base " + std::to_string(record.baseline->count) + ' ' +
           util::Hex16(record.baseline->hash) + '\n';
  } else {
    out += "base none\n";
  }
  for (const RecoveryRecord::Entry& entry : record.entries) {
    if (entry.sameCount > 0) {
      out += "S " + std::to_string(entry.sameFrom) + ' ' + std::to_string(entry.sameCount) + '\n';
    } else {
      const Note empty;
      const Note& note = entry.note ? *entry.note : empty;
      const std::string title = util::ToUtf8(note.title);
      const std::string text = util::ToUtf8(note.text);
      out += "N " + std::to_string(title.size()) + ' ' + std::to_string(text.size()) + '\n';
      out += title;
      out += text;
      out += '\n';
    }
  }
  AppendChecksumLine(out, Checksum);
  return out;
}

std::optional<RecoveryRecord> DecodeRecoveryRecord(std::string_view bytes) {
  const std::optional<std::string_view> body = BodyBeforeChecksumLine(bytes, Checksum);
  if (!body) return std::nullopt;
  Reader in(*body);
  RecoveryRecord record;
  if (!in.Take(kMagic) || !in.Take("base ")) return std::nullopt;
  if (!in.Take("none\n")) {
    const auto count = in.Number();
    if (!count || !in.Take(" ")) return std::nullopt;
    const auto hash = in.Hex();
    if (!hash || !in.Take("\n")) return std::nullopt;
    record.baseline = RecordBaseline{*count, *hash};
  }
  while (!in.AtEnd()) {
    if (in.Take("S ")) {
      const auto from = in.Number();
      if (!from || !in.Take(" ")) return std::nullopt;
      const auto same = in.Number();
      if (!same || *same == 0 || !in.Take("\n")) return std::nullopt;
      record.entries.push_back({*from, *same, nullptr});
    } else if (in.Take("N ")) {
      const auto titleSize = in.Number();
      if (!titleSize || !in.Take(" ")) return std::nullopt;
      const auto textSize = in.Number();
      if (!textSize || !in.Take("\n")) return std::nullopt;
      const auto title = in.Bytes(*titleSize);
      const auto text = title ? in.Bytes(*textSize) : std::nullopt;
      if (!text || !in.Take("\n")) return std::nullopt;
      record.entries.push_back(
          {0, 0,
           std::make_shared<const Note>(Note{util::FromUtf8(*title), util::FromUtf8(*text)})});
    } else {
      return std::nullopt;
    }
  }
  return record;
}

RecordRead ReadRecoveryRecord(const std::wstring& programFolder, NoteFileSystem& fs) {
  const auto names = ListNames(fs, programFolder);
  if (!names) return {};
  bool present = false;
  for (const std::wstring& name : *names) {
    if (name == kRecoveryRecordName) present = true;
    // A write that never got renamed into place; the record itself is whole or absent.
    if (IsRecordTemporary(name)) fs.RemoveFile(Join(programFolder, name));
  }
  if (!present) return {RecordStatus::kAbsent, {}};
  return ReadRecoveryRecordFile(programFolder, kRecoveryRecordName, std::nullopt, UINT64_MAX, fs);
}

RecordRead ReadRecoveryRecordFile(const std::wstring& programFolder, std::wstring_view name,
                                  std::optional<std::uint64_t> size, std::uint64_t sizeLimit,
                                  NoteFileSystem& fs) {
  // Read whole, a record of gigabytes would keep the window from showing for minutes.
  if (size && *size > sizeLimit) return {RecordStatus::kTooLarge, {}};
  const auto bytes = ReadBytes(fs, Join(programFolder, name));
  if (!bytes) return {};
  if (bytes->size() > sizeLimit) return {RecordStatus::kTooLarge, {}};
  auto record = DecodeRecoveryRecord(*bytes);
  if (!record) return {RecordStatus::kDamaged, {}};
  return {RecordStatus::kFound, std::move(*record)};
}

bool WriteRecoveryRecord(const std::wstring& programFolder, const RecoveryRecord& record,
                         NoteFileSystem& fs) {
  return WriteRecoveryRecord(programFolder, kRecoveryRecordName, record, fs);
}

bool WriteRecoveryRecord(const std::wstring& programFolder, std::wstring_view name,
                         const RecoveryRecord& record, NoteFileSystem& fs) {
  const std::wstring temporary = Join(programFolder, TemporaryName(name, NewSaveToken()));
  if (!fs.WriteFile(temporary, EncodeRecoveryRecord(record)) || !fs.FlushFiles({temporary}) ||
      !fs.ReplaceFile(temporary, Join(programFolder, name))) {
    fs.RemoveFile(temporary);
    return false;
  }
  return true;
}

bool RemoveRecoveryRecord(const std::wstring& programFolder, NoteFileSystem& fs) {
  return RemoveRecoveryRecord(programFolder, kRecoveryRecordName, fs);
}

bool RemoveRecoveryRecord(const std::wstring& programFolder, std::wstring_view name,
                          NoteFileSystem& fs) {
  if (!fs.RemoveFile(Join(programFolder, name))) return false;
  // Should the removal not last, the record comes back against a baseline the saved folder no
  // longer matches, and is offered again in full-note form or put aside.
  fs.FlushFolder(programFolder);
  return true;
}

std::optional<std::wstring> PutRecoveryRecordAside(const std::wstring& programFolder,
                                                   std::wstring_view name, NoteFileSystem& fs) {
  const auto names = ListNames(fs, programFolder);
  if (!names) return std::nullopt;
  if (std::find(names->begin(), names->end(), name) == names->end()) return L"";
  // Never over an earlier one, and always after it in name order (which the clean-up goes
  // by): the same second gets a number past every one there.
  const std::wstring base = std::wstring(kPreviousRecoveryRecordName) + L"-" + Timestamp();
  long next = 0;
  for (const std::wstring& other : *names) {
    if (other == base) next = std::max(next, 2L);
    if (other.size() > base.size() + 1 && other.compare(0, base.size() + 1, base + L"-") == 0)
      next = std::max(next, std::wcstol(other.c_str() + base.size() + 1, nullptr, 10) + 1);
  }
  const std::wstring aside =
      next == 0 ? base : base + (next < 10 ? L"-0" : L"-") + std::to_wstring(next);
  if (!fs.RenameFile(Join(programFolder, name), Join(programFolder, aside)) ||
      !fs.FlushFolder(programFolder)) {
    // The rename may have happened all the same.
    const auto now = ListNames(fs, programFolder);
    if (!now || std::find(now->begin(), now->end(), name) != now->end()) return std::nullopt;
    if (std::find(now->begin(), now->end(), aside) == now->end()) return std::nullopt;
  }
  // A bounded clean-up: the names sort by time, the oldest go first.
  std::vector<std::wstring> kept;
  for (const std::wstring& other : *names) {
    if (IsRecordAside(other)) kept.push_back(other);
  }
  kept.push_back(aside);
  std::sort(kept.begin(), kept.end());
  for (std::size_t i = 0; i + kRecordsKeptAside < kept.size(); ++i)
    fs.RemoveFile(Join(programFolder, kept[i]));
  return aside;
}

bool KeepRecoveryRecordAside(const std::wstring& programFolder, NoteFileSystem& fs) {
  return PutRecoveryRecordAside(programFolder, kRecoveryRecordName, fs).has_value();
}

bool SaveTheSame(const std::vector<Note>& a, const std::vector<Note>& b) {
  std::vector<std::string> saved[2];
  const std::vector<Note>* sides[2] = {&a, &b};
  for (int side = 0; side < 2; ++side) {
    for (const Note& note : *sides[side]) {
      if (!note.text.empty()) saved[side].push_back(FormatNoteFile(note));
    }
  }
  return saved[0] == saved[1];
}

FolderFingerprint FingerprintOf(std::vector<NoteFileStamp> stamps) {
  FolderFingerprint fingerprint;
  for (NoteFileStamp& stamp : stamps) {
    // A save of another program in progress shows in its journal and temporaries before in
    // any note file.
    if (IsNoteFileName(stamp.name) || stamp.name == kJournalName || IsLeftoverTemporary(stamp.name))
      fingerprint.files.push_back(std::move(stamp));
  }
  std::sort(fingerprint.files.begin(), fingerprint.files.end(),
            [](const NoteFileStamp& x, const NoteFileStamp& y) { return x.name < y.name; });
  return fingerprint;
}

std::optional<FolderFingerprint> FingerprintNotesFolder(const std::wstring& notesFolder,
                                                        NoteFileSystem& fs) {
  // A listing that fails for a moment (a scanner holding the folder) would otherwise ask the
  // user about a change that never happened.
  std::optional<std::vector<NoteFileStamp>> stamps;
  for (int attempt = 0; attempt < 3 && !stamps; ++attempt) stamps = fs.ListFileStamps(notesFolder);
  if (!stamps) return std::nullopt;
  return FingerprintOf(std::move(*stamps));
}

bool NotesFolderChanged(const std::wstring& notesFolder,
                        const std::optional<FolderFingerprint>& atLoad, NoteFileSystem& fs) {
  if (!atLoad) return true;
  const auto now = FingerprintNotesFolder(notesFolder, fs);
  return !now || *now != *atLoad;
}

std::optional<std::wstring> CopyNotesFolderAside(const std::wstring& notesFolder,
                                                 NoteFileSystem& fs) {
  const auto names = ListNames(fs, notesFolder);
  if (!names) return std::nullopt;
  const std::wstring base = notesFolder + L".replaced-" + Timestamp();
  std::wstring aside = base;
  for (int n = 2; fs.FolderExists(aside); ++n) {
    if (n > 99) return std::nullopt;
    aside = base + (n < 10 ? L"-0" : L"-") + std::to_wstring(n);  // sorts by time as text
  }
  if (!fs.CreateFolder(aside)) return std::nullopt;
  std::vector<std::wstring> written;
  // A copy cut short would pass for the folder as it was: what it holds goes again, and
  // only that (the folder is new, so nothing else of anyone's is in it).
  const auto fail = [&]() -> std::optional<std::wstring> {
    for (const std::wstring& path : written) fs.RemoveFile(path);
    fs.RemoveEmptyFolder(aside);
    return std::nullopt;
  };
  // Everything, not only the notes: a version that waits in another save's temporary is the
  // one its journal makes the note once that save is finished.
  for (const std::wstring& name : *names) {
    const auto bytes = ReadBytes(fs, Join(notesFolder, name));
    if (!bytes) return fail();
    written.push_back(Join(aside, name));
    if (!fs.WriteFile(written.back(), *bytes)) return fail();
  }
  if (!fs.FlushFiles(written) || !fs.FlushFolder(aside)) return fail();
  return aside;
}

}  // namespace tarvik::notes
