#pragma once
// UTF-8 <-> wide text. wchar_t is UTF-16 on Windows and UTF-32 elsewhere; both are handled.

#include <string>
#include <string_view>

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

}  // namespace tarvik::util
