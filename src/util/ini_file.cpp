#include "util/ini_file.h"

#include <cstddef>
#include <type_traits>
#include <vector>

#include "util/file_io.h"
#include "util/text_codec.h"

namespace tarvik::util {
namespace {

wchar_t FoldCase(wchar_t ch) {
  // ASCII, Latin-1, Greek and Cyrillic capitals: enough for the names INI files hold,
  // and the same on every platform (towlower depends on the C locale).
  if (ch >= L'A' && ch <= L'Z') return static_cast<wchar_t>(ch + 32);
  if ((ch >= 0xC0 && ch <= 0xDE && ch != 0xD7) || (ch >= 0x391 && ch <= 0x3AB) ||
      (ch >= 0x410 && ch <= 0x42F)) {
    return static_cast<wchar_t>(ch + 32);
  }
  if (ch >= 0x400 && ch <= 0x40F) return static_cast<wchar_t>(ch + 80);
  return ch;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

bool IsBlank(wchar_t ch) {
  return ch == L' ' || ch == L'\t';
}

template <typename View>
View Trim(View text) {
  while (!text.empty() && IsBlank(static_cast<wchar_t>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && IsBlank(static_cast<wchar_t>(text.back()))) text.remove_suffix(1);
  return text;
}

enum class LineKind { Blank, Section, Comment, Entry, Other };

struct Line {
  std::size_t begin = 0;    // first byte of the line
  std::size_t bodyEnd = 0;  // end of the text, before the line break
  std::size_t end = 0;      // after the line break
  LineKind kind = LineKind::Other;
  std::wstring name;       // section name or key, trimmed
  std::string_view key;    // the key's own bytes, trimmed
  std::string_view value;  // the value's bytes, trimmed
};

std::vector<Line> SplitLines(std::string_view content) {
  std::vector<Line> lines;
  std::size_t pos = 0;
  while (pos < content.size()) {
    Line line;
    line.begin = pos;
    // CR LF, LF or a lone CR.
    const std::size_t brk = content.find_first_of("\r\n", pos);
    line.bodyEnd = brk == std::string_view::npos ? content.size() : brk;
    line.end = brk == std::string_view::npos ? content.size()
               : content[brk] == '\r' && brk + 1 < content.size() && content[brk + 1] == '\n'
                   ? brk + 2
                   : brk + 1;

    const std::string_view body = Trim(content.substr(line.begin, line.bodyEnd - line.begin));
    if (body.empty()) {
      line.kind = LineKind::Blank;
    } else if (body.front() == '[') {
      line.kind = LineKind::Section;
      std::string_view name = body.substr(1);
      const std::size_t close = name.find(']');
      if (close != std::string_view::npos) name = name.substr(0, close);
      line.name = FromUtf8(Trim(name));
    } else if (body.front() == ';') {
      line.kind = LineKind::Comment;
    } else if (const std::size_t eq = body.find('=');
               eq != std::string_view::npos && !Trim(body.substr(0, eq)).empty()) {
      line.kind = LineKind::Entry;
      line.key = Trim(body.substr(0, eq));
      line.value = Trim(body.substr(eq + 1));
      line.name = FromUtf8(line.key);
    }
    lines.push_back(std::move(line));
    pos = lines.back().end;
  }
  return lines;
}

struct Location {
  std::ptrdiff_t keyLine = -1;      // the entry's line
  std::ptrdiff_t sectionLine = -1;  // the first header of the section
  std::ptrdiff_t lastLine = -1;     // the last non-blank line of that first section
};

Location Locate(const std::vector<Line>& lines, std::wstring_view section, std::wstring_view key) {
  Location loc;
  bool inSection = false;
  bool inFirstSection = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Line& line = lines[i];
    const auto index = static_cast<std::ptrdiff_t>(i);
    if (line.kind == LineKind::Section) {
      inSection = EqualsNoCase(line.name, section);
      inFirstSection = inSection && loc.sectionLine < 0;
      if (inFirstSection) {
        loc.sectionLine = index;
        loc.lastLine = index;
      }
      continue;
    }
    if (!inSection) continue;
    if (inFirstSection && line.kind != LineKind::Blank) loc.lastLine = index;
    if (line.kind == LineKind::Entry && EqualsNoCase(line.name, key)) {
      loc.keyLine = index;
      return loc;
    }
  }
  return loc;
}

std::wstring Unquote(std::wstring value) {
  if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// A lone CR is read as a line end but never written: other tools would join the lines.
std::string_view LineBreakOf(std::string_view content) {
  const std::size_t brk = content.find_first_of("\r\n");
  if (brk != std::string_view::npos && content[brk] == '\n') return "\n";
  return "\r\n";
}

bool HasLineBreak(std::wstring_view text) {
  return text.find_first_of(L"\r\n") != std::wstring_view::npos;
}

void AppendUtf16Unit(std::string& out, char32_t unit, bool bigEndian) {
  const char high = static_cast<char>((unit >> 8) & 0xFF);
  const char low = static_cast<char>(unit & 0xFF);
  out.push_back(bigEndian ? high : low);
  out.push_back(bigEndian ? low : high);
}

std::string Utf16BytesOf(std::string_view utf8, bool bigEndian) {
  const std::wstring text = FromUtf8(utf8);
  std::string out(bigEndian ? "\xFE\xFF" : "\xFF\xFE");
  out.reserve(2 + 2 * text.size());
  for (const wchar_t ch : text) {
    const auto cp = static_cast<char32_t>(static_cast<std::make_unsigned_t<wchar_t>>(ch));
    // A two-byte wchar_t already holds UTF-16 units, surrogate pairs included.
    if (cp >= 0x10000) {
      AppendUtf16Unit(out, 0xD800 + ((cp - 0x10000) >> 10), bigEndian);
      AppendUtf16Unit(out, 0xDC00 + ((cp - 0x10000) & 0x3FF), bigEndian);
    } else {
      AppendUtf16Unit(out, cp, bigEndian);
    }
  }
  return out;
}

}  // namespace

IniText DecodeIniFile(std::string_view bytes) {
  if (bytes.size() >= 2) {
    const auto b0 = static_cast<unsigned char>(bytes[0]);
    const auto b1 = static_cast<unsigned char>(bytes[1]);
    if (b0 == 0xFF && b1 == 0xFE) {
      return {Utf16BytesToUtf8(bytes.substr(2), false), IniEncoding::Utf16Le};
    }
    if (b0 == 0xFE && b1 == 0xFF) {
      return {Utf16BytesToUtf8(bytes.substr(2), true), IniEncoding::Utf16Be};
    }
  }
  return {std::string(StripUtf8Bom(bytes)), IniEncoding::Utf8};
}

std::string EncodeIniFile(std::string_view text, IniEncoding encoding) {
  switch (encoding) {
    case IniEncoding::Utf16Le:
      return Utf16BytesOf(text, false);
    case IniEncoding::Utf16Be:
      return Utf16BytesOf(text, true);
    case IniEncoding::Utf8:
      break;
  }
  return std::string(text);
}

std::string IniTextOf(std::string_view bytes) {
  return DecodeIniFile(bytes).text;
}

std::optional<std::wstring> FindIniValue(std::string_view content, std::wstring_view section,
                                         std::wstring_view key) {
  section = Trim(section);
  key = Trim(key);
  const std::vector<Line> lines = SplitLines(content);
  const Location loc = Locate(lines, section, key);
  if (loc.keyLine < 0) return std::nullopt;
  return Unquote(FromUtf8(lines[static_cast<std::size_t>(loc.keyLine)].value));
}

std::string SetIniValue(std::string_view content, std::wstring_view section, std::wstring_view key,
                        std::wstring_view value) {
  section = Trim(section);
  key = Trim(key);
  const std::vector<Line> lines = SplitLines(content);
  const Location loc = Locate(lines, section, key);
  const std::string_view lineBreak = LineBreakOf(content);
  const std::string valueBytes = ToUtf8(value);

  std::string out;
  out.reserve(content.size() + valueBytes.size() + section.size() + key.size() + 16);
  if (loc.keyLine >= 0) {
    // Keep the key as the file spells it; only the value changes.
    const Line& line = lines[static_cast<std::size_t>(loc.keyLine)];
    out.append(content.substr(0, line.begin));
    out.append(line.key);
    out.push_back('=');
    out.append(valueBytes);
    out.append(content.substr(line.bodyEnd));
    return out;
  }

  const std::string entry = ToUtf8(key) + "=" + valueBytes;
  if (loc.sectionLine >= 0) {
    const Line& after = lines[static_cast<std::size_t>(loc.lastLine)];
    out.append(content.substr(0, after.end));
    if (after.end == after.bodyEnd) out.append(lineBreak);  // the file's last line
    out.append(entry);
    out.append(lineBreak);
    out.append(content.substr(after.end));
    return out;
  }

  out.append(content);
  if (!content.empty() && content.back() != '\n' && content.back() != '\r') out.append(lineBreak);
  out.push_back('[');
  out.append(ToUtf8(section));
  out.push_back(']');
  out.append(lineBreak);
  out.append(entry);
  out.append(lineBreak);
  return out;
}

bool IsWritableIniEntry(std::wstring_view section, std::wstring_view key, std::wstring_view value) {
  section = Trim(section);
  key = Trim(key);
  if (section.empty() || key.empty()) return false;
  if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value)) return false;
  if (section.find(L']') != std::wstring_view::npos) return false;
  if (key.find(L'=') != std::wstring_view::npos) return false;
  if (key.front() == L'[' || key.front() == L';') return false;
  // A NUL would end the text for any reader that uses C strings.
  const std::wstring_view nul(L"\0", 1);
  return section.find(nul) == std::wstring_view::npos && key.find(nul) == std::wstring_view::npos &&
         value.find(nul) == std::wstring_view::npos;
}

std::wstring ReadIniValue(const std::wstring& fileName, std::wstring_view section,
                          std::wstring_view key, const std::wstring& defaultValue) {
  if (fileName.empty()) return defaultValue;
  const std::optional<std::string> bytes = ReadFileBytes(fileName);
  if (!bytes) return defaultValue;
  std::optional<std::wstring> value = FindIniValue(IniTextOf(*bytes), section, key);
  return value ? std::move(*value) : defaultValue;
}

bool WriteIniValue(const std::wstring& fileName, std::wstring_view section, std::wstring_view key,
                   std::wstring_view value) {
  if (fileName.empty() || !IsWritableIniEntry(section, key, value)) return false;
  std::string original;
  if (FileExists(fileName)) {
    // A file that exists but cannot be read must not be replaced by a fresh one.
    std::optional<std::string> bytes = ReadFileBytes(fileName);
    if (!bytes) return false;
    original = std::move(*bytes);
  }
  // A file in another encoding is rewritten whole in UTF-8, every other line kept.
  const std::string content = IniTextOf(original);
  std::string updated = SetIniValue(content, section, key, value);
  if (updated == original && FileExists(fileName)) return true;  // nothing to change
  return WriteFileAtomic(fileName, updated);
}

std::optional<std::string> SetIniValues(std::string_view fileBytes,
                                        std::span<const IniEntry> entries) {
  IniText file = DecodeIniFile(fileBytes);
  for (const IniEntry& entry : entries) {
    if (!IsWritableIniEntry(entry.section, entry.key, entry.value)) return std::nullopt;
    file.text = SetIniValue(file.text, entry.section, entry.key, entry.value);
  }
  return EncodeIniFile(file.text, file.encoding);
}

bool WriteIniValues(const std::wstring& fileName, std::span<const IniEntry> entries,
                    std::string_view newFileText) {
  if (fileName.empty()) return false;
  const bool exists = FileExists(fileName);
  std::string original(newFileText);
  if (exists) {
    // A file that exists but cannot be read must not be replaced by a fresh one.
    std::optional<std::string> bytes = ReadFileBytes(fileName);
    if (!bytes) return false;
    original = std::move(*bytes);
  }
  const std::optional<std::string> updated = SetIniValues(original, entries);
  if (!updated) return false;
  if (exists && *updated == original) return true;  // nothing to change
  return WriteFileAtomic(fileName, *updated);
}

}  // namespace tarvik::util
