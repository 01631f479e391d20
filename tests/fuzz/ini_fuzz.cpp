// INI text: any file content reads; a value written reads back as written, no unrelated entry
// changes, and a write never adds a lone CR.
#include <cstdint>
#include <cstdlib>
#include <string>

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
  // Entries that are not the one written stay as they were.
  const std::wstring otherKey = Trim(key) + L"_";
  const std::wstring otherSection = Trim(section) + L"_";
  Check(FindIniValue(updated, section, otherKey) == FindIniValue(content, section, otherKey));
  Check(FindIniValue(updated, otherSection, key) == FindIniValue(content, otherSection, key));
  Check(SetIniValue(updated, section, key, value) == updated);
  return 0;
}
