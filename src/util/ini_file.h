#pragma once
// INI files with the private-profile rules the program relies on: section and key names
// compared without regard to case, blanks around names and values ignored, a value in
// matching quotes unquoted on read. CR LF, LF and a lone CR each end a line, as they do for
// the platform's own profile functions. Files are UTF-8; a UTF-8 byte-order mark is tolerated
// and UTF-16 with a byte-order mark (little or big endian) is read too. WriteIniValue always
// leaves UTF-8 without a byte-order mark; WriteIniValues keeps a UTF-16 file in UTF-16, as
// the platform's profile functions do. Lines starting with ';' are comments.

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tarvik::util {

enum class IniEncoding { Utf8, Utf16Le, Utf16Be };

struct IniText {
  std::string text;  // UTF-8, without a byte-order mark
  IniEncoding encoding = IniEncoding::Utf8;
};

// The file's bytes as UTF-8 text, and the encoding they were in: UTF-16 when they start with
// its byte-order mark, else UTF-8 (a UTF-8 mark is dropped, other bytes are kept as they are).
IniText DecodeIniFile(std::string_view bytes);

// text (UTF-8) as the bytes of a file in encoding: UTF-8 as it is, UTF-16 with its mark.
std::string EncodeIniFile(std::string_view text, IniEncoding encoding);

// The file's bytes as UTF-8 text without a byte-order mark, whatever of the readable
// encodings it is in.
std::string IniTextOf(std::string_view bytes);

// The value of key in section, or nothing when there is none. content is the file's bytes
// (UTF-8, without a byte-order mark).
std::optional<std::wstring> FindIniValue(std::string_view content, std::wstring_view section,
                                         std::wstring_view key);

// content with key in section set to value: the key's line is replaced in place, a missing
// key is added after the last entry of its section, a missing section is added at the end
// of the file. Every other line is kept byte for byte. New lines use the file's own line
// break (CR LF for a file without one, or whose first line ends in a lone CR).
std::string SetIniValue(std::string_view content, std::wstring_view section, std::wstring_view key,
                        std::wstring_view value);

// True when section / key / value can be written without changing the file's structure:
// names not empty and without line breaks; a section without ']'; a key without '=' that
// does not start with '[' or ';'; a value without line breaks. Names are trimmed first.
bool IsWritableIniEntry(std::wstring_view section, std::wstring_view key, std::wstring_view value);

// The file's value for key in section; defaultValue when the file, section or key is
// missing or the file cannot be read.
std::wstring ReadIniValue(const std::wstring& fileName, std::wstring_view section,
                          std::wstring_view key, const std::wstring& defaultValue);

// Sets the value and writes the file atomically, creating it when missing. False (and the
// file unchanged) when the entry is not writable or the file cannot be read or written.
bool WriteIniValue(const std::wstring& fileName, std::wstring_view section, std::wstring_view key,
                   std::wstring_view value);

struct IniEntry {
  std::wstring_view section;
  std::wstring_view key;
  std::wstring_view value;
};

// fileBytes with each entry set in turn, in the file's own encoding (UTF-16 stays UTF-16 with
// its mark; anything else becomes UTF-8 without a mark). Nothing when an entry is not writable.
std::optional<std::string> SetIniValues(std::string_view fileBytes,
                                        std::span<const IniEntry> entries);

// Sets every entry and writes the file once, atomically, in its own encoding. A missing file
// starts from newFileText (UTF-8). False (and the file unchanged) when an entry is not
// writable or the file cannot be read or written.
bool WriteIniValues(const std::wstring& fileName, std::span<const IniEntry> entries,
                    std::string_view newFileText = {});

}  // namespace tarvik::util
