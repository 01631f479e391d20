#pragma once
// UTF-8 <-> wide text. wchar_t is UTF-16 on Windows and UTF-32 elsewhere; both are handled.

#include <string>
#include <string_view>

namespace tarvik::platform {
class CodePages;
}

namespace tarvik::util {

// Invalid or truncated sequences, and unpaired surrogates, become U+FFFD; never throws.
// Unit is wchar_t, or char16_t so that the UTF-16 (Windows) way runs in every build.
template <typename Unit>
std::basic_string<Unit> FromUtf8As(std::string_view bytes);
// Unpaired surrogates become U+FFFD.
template <typename Unit>
std::string ToUtf8From(std::basic_string_view<Unit> text);
extern template std::wstring FromUtf8As<wchar_t>(std::string_view);
extern template std::u16string FromUtf8As<char16_t>(std::string_view);
extern template std::string ToUtf8From<wchar_t>(std::wstring_view);
extern template std::string ToUtf8From<char16_t>(std::u16string_view);

inline std::wstring FromUtf8(std::string_view bytes) {
  return FromUtf8As<wchar_t>(bytes);
}
inline std::string ToUtf8(std::wstring_view text) {
  return ToUtf8From<wchar_t>(text);
}

// UTF-16 bytes (without their byte-order mark) as UTF-8. Unpaired surrogates and an odd last
// byte become U+FFFD.
std::string Utf16BytesToUtf8(std::string_view bytes, bool bigEndian);

// Removes a leading UTF-8 byte-order mark, if any.
std::string_view StripUtf8Bom(std::string_view bytes);

// Well-formed UTF-8: no overlong forms, surrogates, values above U+10FFFF or cut sequences.
bool IsValidUtf8(std::string_view bytes);

// The code page of the Chinese editions of Windows, in which Notepad saves "ANSI" text.
inline constexpr unsigned kTextFileCodePage = 936;

// UTF-8 but for a few damaged bytes: at most kFewInvalidUtf8 bytes that start no well-formed
// sequence (or one in 1,000 bytes, whichever allows more), and at least
// kUtf8CharactersPerInvalid well-formed multi-byte characters for each of them. Valid UTF-8
// is mostly UTF-8; GBK text, where most characters break UTF-8's rules, never is.
inline constexpr std::size_t kFewInvalidUtf8 = 8;
inline constexpr std::size_t kUtf8CharactersPerInvalid = 4;
bool IsMostlyUtf8(std::string_view bytes);

// A text file's bytes as Notepad may have written them: UTF-16 LE or BE behind its byte-order
// mark; UTF-8 with its mark, or without it when the bytes are mostly UTF-8 (decoded as
// FromUtf8 does, without the mark, the damaged bytes as U+FFFD); anything else in the Chinese
// code page. A file behind a UTF-8 mark stays UTF-8 however broken.
std::wstring DecodeTextFile(std::string_view bytes, platform::CodePages& codePages);

// The text of a text file as DecodeTextFile reads it; "" for an empty name or a missing file.
// Throws FileReadError (util/cls_util.h) for a file that is there but cannot be read.
std::wstring ReadTextFile(const std::wstring& fileName, platform::CodePages& codePages);

}  // namespace tarvik::util
