#include "util/decimal.h"

#include <cmath>
#include <iomanip>
#include <limits>
#include <locale>
#include <sstream>

namespace tarvik::util {

std::optional<std::intptr_t> ParseDecimal(std::wstring_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == L'-' || text.front() == L'+')) {
    negative = text.front() == L'-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  constexpr auto kMax = std::numeric_limits<std::intptr_t>::max();
  std::intptr_t value = 0;
  for (const wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    const int digit = c - L'0';
    if (value > (kMax - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return negative ? -value : value;
}

}  // namespace tarvik::util

namespace tarvik::util {
namespace {

bool IsBlank(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r';
}

bool IsDigit(wchar_t c) {
  return c >= L'0' && c <= L'9';
}

}  // namespace

double ParseLeadingNumber(std::wstring_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  std::string number;
  if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) {
    number.push_back(static_cast<char>(text[i]));
    ++i;
  }
  bool digits = false;
  while (i < text.size() && IsDigit(text[i])) {
    number.push_back(static_cast<char>(text[i++]));
    digits = true;
  }
  if (i < text.size() && text[i] == L'.') {
    number.push_back('.');
    ++i;
    while (i < text.size() && IsDigit(text[i])) {
      number.push_back(static_cast<char>(text[i++]));
      digits = true;
    }
  }
  if (!digits) return 0;
  // An exponent counts only when digits follow it.
  if (i < text.size() &&
      (text[i] == L'e' || text[i] == L'E' || text[i] == L'd' || text[i] == L'D')) {
    std::size_t j = i + 1;
    std::string exponent = "e";
    if (j < text.size() && (text[j] == L'-' || text[j] == L'+')) {
      exponent.push_back(static_cast<char>(text[j++]));
    }
    if (j < text.size() && IsDigit(text[j])) {
      while (j < text.size() && IsDigit(text[j])) exponent.push_back(static_cast<char>(text[j++]));
      number += exponent;
    }
  }
  std::istringstream in(number);
  in.imbue(std::locale::classic());
  double value = 0;
  in >> value;  // out of range: the largest finite value of the sign, or a tiny one
  if (!std::isfinite(value)) {
    return number.front() == '-' ? std::numeric_limits<double>::lowest()
                                 : std::numeric_limits<double>::max();
  }
  return value;
}

std::wstring FormatNumber(double value) {
  if (!std::isfinite(value)) return L"0";
  if (value == 0) return L"0";  // no "-0"
  if (std::floor(value) == value && std::fabs(value) < 1e15) {
    return std::to_wstring(static_cast<long long>(value));
  }
  std::ostringstream out;
  out.imbue(std::locale::classic());
  out << std::setprecision(15) << value;
  const std::string text = out.str();
  return std::wstring(text.begin(), text.end());
}

}  // namespace tarvik::util
