#pragma once
// Legacy code page text for the headless backend, through iconv. The Win32 backend uses
// WideCharToMultiByte / MultiByteToWideChar for the same job.

#include <string>
#include <string_view>

namespace tarvik::platform::headless {

// Characters the code page cannot represent become '?'. Code page 0 (the system's ANSI
// page) is taken as 936, as on the Chinese systems the program is made for.
std::string EncodeCodePage(std::wstring_view text, unsigned codePage);

// Bytes that are not valid in the code page (including a sequence cut off at the end)
// become U+FFFD, one per skipped byte; decoding never fails.
std::wstring DecodeCodePage(std::string_view bytes, unsigned codePage);

}  // namespace tarvik::platform::headless
