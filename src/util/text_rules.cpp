#include "util/text_rules.h"

#include <limits>

#include "util/decimal.h"

namespace tarvik::util {

std::wstring TrimSpaces(std::wstring_view text) {
  const auto first = text.find_first_not_of(L' ');
  if (first == std::wstring_view::npos) return {};
  const auto last = text.find_last_not_of(L' ');
  return std::wstring(text.substr(first, last - first + 1));
}

std::optional<int> ParseIndex(std::wstring_view text) {
  const auto value = ParseDecimal(text);
  if (!value || *value > std::numeric_limits<int>::max() ||
      *value < std::numeric_limits<int>::min()) {
    return std::nullopt;
  }
  return static_cast<int>(*value);
}

}  // namespace tarvik::util
