#pragma once
// Small text rules for titles and list positions.

#include <optional>
#include <string>
#include <string_view>

namespace tarvik::util {

// Removes leading and trailing spaces (only U+0020; tabs and line breaks stay).
std::wstring TrimSpaces(std::wstring_view text);

// The whole text as a decimal integer (optional sign, digits only); nothing otherwise or
// when it does not fit an int.
std::optional<int> ParseIndex(std::wstring_view text);

}  // namespace tarvik::util
