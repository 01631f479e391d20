#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tarvik::util {

// The whole text as a decimal integer: an optional sign, then digits only. Nothing for any
// other text or a value that does not fit.
std::optional<std::intptr_t> ParseDecimal(std::wstring_view text);

}  // namespace tarvik::util
