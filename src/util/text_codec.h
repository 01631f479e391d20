#pragma once
// UTF-8 <-> wide text. wchar_t is UTF-16 on Windows and UTF-32 elsewhere; both are handled.

#include <string>
#include <string_view>

namespace tarvik::platform {
class Platform;
}

namespace tarvik::util {

// Invalid or truncated sequences, and unpaired surrogates, become U+FFFD; never throws.
std::wstring FromUtf8(std::string_view bytes);
// Unpaired surrogates become U+FFFD.
std::string ToUtf8(std::wstring_view text);

// UTF-16 bytes (without their byte-order mark) as UTF-8. Unpaired surrogates and an odd last
// byte become U+FFFD.
std::string Utf16BytesToUtf8(std::string_view bytes, bool bigEndian);

// Removes a leading UTF-8 byte-order mark, if any.
std::string_view StripUtf8Bom(std::string_view bytes);

// Well-formed UTF-8: no overlong forms, surrogates, values above U+10FFFF or cut sequences.
bool IsValidUtf8(std::string_view bytes);

// The code page of the Chinese editions of Windows, in which Notepad saves "ANSI" text.
inline constexpr unsigned kTextFileCodePage = 936;

// A text file's bytes as Notepad may have written them: UTF-16 LE or BE behind its byte-order
// mark; UTF-8 with or without its mark (decoded as FromUtf8 does, without the mark); anything
// else in the Chinese code page, through the platform. A file behind a UTF-8 mark stays UTF-8
// even where it is broken. Only an unpaired surrogate or an odd last byte of UTF-16, or bytes
// the code page has no character for, give U+FFFD.
std::wstring DecodeTextFile(std::string_view bytes, platform::Platform& platform);

// The text of a text file as DecodeTextFile reads it; "" for an empty name or a missing file.
// Throws FileReadError (util/cls_util.h) for a file that is there but cannot be read.
std::wstring ReadTextFile(const std::wstring& fileName, platform::Platform& platform);

}  // namespace tarvik::util
