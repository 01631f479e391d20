#pragma once
// Regular expressions with the settings the program uses everywhere: ECMAScript dialect,
// case-sensitive, every match, '^' and '$' also at line breaks.

#include <cstddef>
#include <optional>
#include <string>

namespace tarvik::util {

// text with every match replaced; "$1", "$&", "$$" in replacement work as in ECMAScript.
// Nothing when the pattern is invalid or too complex to run.
std::optional<std::wstring> RegExpReplaceAll(const std::wstring& text, const std::wstring& pattern,
                                             const std::wstring& replacement);

// The 0-based index of the first match, -1 when there is none; nothing when the pattern is
// invalid or too complex to run.
std::optional<std::ptrdiff_t> RegExpFind(const std::wstring& text, const std::wstring& pattern);

}  // namespace tarvik::util
