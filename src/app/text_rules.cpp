#include "app/text_rules.h"

#include <cmath>
#include <limits>

#include "util/decimal.h"

namespace tarvik::app {

std::wstring TrimSpaces(std::wstring_view text) {
  const auto first = text.find_first_not_of(L' ');
  if (first == std::wstring_view::npos) return {};
  const auto last = text.find_last_not_of(L' ');
  return std::wstring(text.substr(first, last - first + 1));
}

std::optional<int> ParseIndex(std::wstring_view text) {
  const auto value = util::ParseDecimal(text);
  if (!value || *value > std::numeric_limits<int>::max() ||
      *value < std::numeric_limits<int>::min()) {
    return std::nullopt;
  }
  return static_cast<int>(*value);
}

double LeadingNumber(std::wstring_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
  double value = 0;
  bool digits = false;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    value = value * 10 + (text[i] - L'0');
    digits = true;
  }
  if (i < text.size() && text[i] == L'.') {
    double scale = 0.1;
    for (++i; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
      value += (text[i] - L'0') * scale;
      scale /= 10;
      digits = true;
    }
  }
  if (!digits) return 0;
  if (i < text.size() && (text[i] == L'e' || text[i] == L'E')) {
    std::size_t j = i + 1;
    bool expNegative = false;
    if (j < text.size() && (text[j] == L'-' || text[j] == L'+')) expNegative = text[j++] == L'-';
    int exponent = 0;
    bool expDigits = false;
    for (; j < text.size() && text[j] >= L'0' && text[j] <= L'9' && exponent < 400; ++j) {
      exponent = exponent * 10 + (text[j] - L'0');
      expDigits = true;
    }
    if (expDigits) value *= std::pow(10.0, expNegative ? -exponent : exponent);
  }
  if (!std::isfinite(value)) value = std::numeric_limits<double>::max();
  return negative ? -value : value;
}

}  // namespace tarvik::app
