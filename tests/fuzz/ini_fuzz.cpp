// INI text: any file content reads; a value written reads back as written, no unrelated entry
// changes, and a write never adds a lone CR.
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>

#include "util/ini_file.h"
#include "util/text_codec.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

std::size_t LoneCrs(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size(); ++i)
    count += text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n');
  return count;
}

std::wstring Trim(std::wstring text) {
  while (!text.empty() && (text.front() == L' ' || text.front() == L'\t')) text.erase(0, 1);
  while (!text.empty() && (text.back() == L' ' || text.back() == L'\t')) text.pop_back();
  return text;
}

std::wstring Unquoted(std::wstring value) {
  value = Trim(value);
  if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// Every section / key name pair the text could be asked about: each entry line under the
// section header above it. Loose on purpose; a name that is no entry reads as nothing before
// and after.
std::set<std::pair<std::wstring, std::wstring>> EntryNames(std::string_view text) {
  std::set<std::pair<std::wstring, std::wstring>> names;
  std::wstring section;
  while (!text.empty()) {
    const std::size_t brk = text.find_first_of("\r\n");
    const std::wstring line = Trim(tarvik::util::FromUtf8(text.substr(0, brk)));
    text.remove_prefix(brk == std::string_view::npos ? text.size() : brk + 1);
    if (!line.empty() && line.front() == L'[') {
      section = line.substr(
          1, line.find(L']') == std::wstring::npos ? std::wstring::npos : line.find(L']') - 1);
    } else if (const std::size_t eq = line.find(L'='); eq != std::wstring::npos) {
      names.emplace(section, line.substr(0, eq));
    }
  }
  return names;
}

}  // namespace

// Input: section NUL key NUL value NUL file content (anything).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarvik::util;
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  std::wstring parts[3];
  for (std::wstring& part : parts) {
    const std::size_t nul = rest.find('\0');
    if (nul == std::string_view::npos) return 0;
    part = FromUtf8(rest.substr(0, nul));
    rest.remove_prefix(nul + 1);
  }
  const std::wstring& section = parts[0];
  const std::wstring& key = parts[1];
  const std::wstring& value = parts[2];
  const std::string content = IniTextOf(rest);
  FindIniValue(content, section, key);
  if (!IsWritableIniEntry(section, key, value)) return 0;
  const std::string updated = SetIniValue(content, section, key, value);
  const auto read = FindIniValue(updated, section, key);
  Check(read && *read == Unquoted(value));
  Check(LoneCrs(updated) <= LoneCrs(content));
  // Every entry of either text that is not the one written reads the same before and after.
  // Whether a name pair means the written entry is the reader's own decision (its case and
  // blank rules), asked of a file holding only that entry.
  const std::string written = SetIniValue("", section, key, L"x");
  auto names = EntryNames(content);
  names.merge(EntryNames(updated));
  for (const auto& [otherSection, otherKey] : names) {
    if (FindIniValue(written, otherSection, otherKey)) continue;
    Check(FindIniValue(updated, otherSection, otherKey) ==
          FindIniValue(content, otherSection, otherKey));
  }
  Check(SetIniValue(updated, section, key, value) == updated);
  return 0;
}
