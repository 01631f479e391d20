#pragma once
// Small text rules the windows share.

#include <optional>
#include <string>
#include <string_view>

namespace tarvik::app {

// Removes leading and trailing spaces (only U+0020; tabs and line breaks stay).
std::wstring TrimSpaces(std::wstring_view text);

// The whole text as a decimal integer (optional sign, digits only); nothing otherwise or
// when it does not fit an int.
std::optional<int> ParseIndex(std::wstring_view text);

// The number at the start of the text, the way settings values are read: leading blanks
// skipped, an optional sign, digits with "." as the decimal point and an optional exponent;
// 0 when the text does not start with a number.
double LeadingNumber(std::wstring_view text);

}  // namespace tarvik::app
