#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarvik::util {

// The whole text as a decimal integer: an optional sign, then digits only. Nothing for any
// other text or a value that does not fit.
std::optional<std::intptr_t> ParseDecimal(std::wstring_view text);

}  // namespace tarvik::util

namespace tarvik::util {

// The number at the start of text, as the runtime's Val reads it: blanks skipped, an
// optional sign, digits with "." as the decimal point, an optional exponent (E or D). 0 when
// the text does not start with a number; a number too large to hold comes out as the
// largest finite value of its sign.
double ParseLeadingNumber(std::wstring_view text);

// The runtime's plain number-to-text form: digits, a minus sign when negative, no leading
// space, a fractional part only when the value is not whole (at most 15 significant digits).
std::wstring FormatNumber(double value);

}  // namespace tarvik::util
