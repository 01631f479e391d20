// The note file's format and the rules for the names in the Notes folder: which files are
// notes, the order they load in, and which are leftovers of an interrupted save.

#include <algorithm>
#include <optional>

#include "notes/note_store.h"
#include "notes/note_store_internal.h"
#include "util/file_io.h"
#include "util/text_codec.h"

namespace tarvik::notes {
namespace {

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

}  // namespace

namespace note_store_detail {

std::wstring Join(const std::wstring& folder, std::wstring_view name) {
  std::wstring path = folder;
  path += L'\\';
  path += name;
  return path;
}

std::wstring AsciiLowered(std::wstring_view s) {
  std::wstring out(s);
  std::transform(out.begin(), out.end(), out.begin(), AsciiLower);
  return out;
}

bool IsLeftoverTemporary(std::wstring_view name) {
  if (IsNoteFileName(name)) return false;
  const std::size_t mark = name.rfind(util::kTemporaryMark);
  if (mark == std::wstring_view::npos) return false;
  const std::wstring_view base = name.substr(0, mark);
  return IsNoteFileName(base) || base == kJournalName;
}

}  // namespace note_store_detail

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

namespace {

Note SplitNote(std::wstring_view text) {
  const std::size_t lineEnd = text.find(L"\r\n");
  if (lineEnd == std::wstring_view::npos) {
    return Note{std::wstring(kUntitledTitle), std::wstring(text)};
  }
  return Note{std::wstring(text.substr(0, lineEnd)), std::wstring(text.substr(lineEnd + 2))};
}

}  // namespace

Note ParseNoteFile(std::string_view bytes, platform::CodePages* otherText) {
  const std::string_view body = util::StripUtf8Bom(bytes);
  const std::size_t lineEnd = body.find("\r\n");
  Note note =
      lineEnd == std::string_view::npos
          ? Note{std::wstring(kUntitledTitle), util::FromUtf8(body)}
          : Note{util::FromUtf8(body.substr(0, lineEnd)), util::FromUtf8(body.substr(lineEnd + 2))};
  // Read as UTF-8, such a file would come back full of U+FFFD, and the next save would write
  // that over the user's text. A UTF-8 note costs one look for U+FFFD; only where one came out
  // are the bytes checked. A file behind a UTF-8 mark stays UTF-8 there too.
  const auto damaged = [&note] {
    return note.title.find(L'\uFFFD') != std::wstring::npos ||
           note.text.find(L'\uFFFD') != std::wstring::npos;
  };
  if (otherText && damaged() && !util::IsValidUtf8(bytes)) {
    return SplitNote(util::DecodeTextFile(bytes, *otherText));
  }
  return note;
}

}  // namespace tarvik::notes
