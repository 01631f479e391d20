// Note files: any bytes parse; formatting a parsed note and parsing it again keeps its text and
// its title (line breaks in a title become spaces, a leading U+FEFF goes, an empty one becomes
// the untitled mark); the name ordering keeps exactly the note names, in an order that is
// stable and total.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "notes/note_store.h"
#include "util/text_codec.h"

namespace {

using tarvik::notes::Note;

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckFileFormat(std::string_view bytes) {
  const Note parsed = tarvik::notes::ParseNoteFile(bytes);
  const std::string formatted = tarvik::notes::FormatNoteFile(parsed);
  const Note again = tarvik::notes::ParseNoteFile(formatted);
  std::wstring title = parsed.title;
  while (!title.empty() && title.front() == L'\uFEFF') title.erase(0, 1);
  if (title.empty()) title = tarvik::notes::kUntitledTitle;
  std::replace_if(
      title.begin(), title.end(), [](wchar_t c) { return c == L'\r' || c == L'\n'; }, L' ');
  Check(again.text == parsed.text);
  Check(again.title == title);
  Check(tarvik::notes::FormatNoteFile(again) == formatted);
}

void CheckNameOrder(std::string_view bytes) {
  // Names separated by '/', which no file name holds.
  std::vector<std::wstring> names;
  std::size_t at = 0;
  while (at <= bytes.size()) {
    const std::size_t end = std::min(bytes.find('/', at), bytes.size());
    names.push_back(tarvik::util::FromUtf8(bytes.substr(at, end - at)));
    at = end + 1;
  }
  std::vector<std::wstring> notes;
  for (const std::wstring& name : names) {
    if (tarvik::notes::IsNoteFileName(name)) notes.push_back(name);
  }
  const std::vector<std::wstring> ordered = tarvik::notes::OrderNoteFileNames(names);
  std::vector<std::wstring> a = ordered, b = notes;
  std::sort(a.begin(), a.end());
  std::sort(b.begin(), b.end());
  Check(a == b);
  Check(tarvik::notes::OrderNoteFileNames(ordered) == ordered);
  std::vector<std::wstring> reversed(ordered.rbegin(), ordered.rend());
  Check(tarvik::notes::OrderNoteFileNames(reversed) == ordered);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CheckFileFormat(bytes);
  CheckNameOrder(bytes);
  return 0;
}
