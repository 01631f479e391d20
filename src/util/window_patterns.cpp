#include "util/window_patterns.h"

#include <algorithm>
#include <cmath>
#include <cwctype>
#include <functional>
#include <limits>
#include <new>
#include <optional>

#include "util/decimal.h"
#include "util/reg_exp.h"

namespace tarvik::util {
namespace {

std::wstring_view Trim(std::wstring_view text) {
  const auto isSpace = [](wchar_t c) { return c == L' ' || c == L'\t'; };
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

std::wstring ToDecimal(std::intmax_t value) {
  return std::to_wstring(value);
}

}  // namespace

// ---- control list -------------------------------------------------------------------------

std::wstring ControlListLine(WindowHandle handle, std::intptr_t controlId,
                             std::wstring_view className, std::wstring_view text) {
  std::wstring line = ToDecimal(handle);
  line += L'\t';
  line += ToDecimal(controlId);
  line += L'\t';
  line += className.substr(0, kMaxClassNameLength);
  line += L'\t';
  for (std::size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c == L'\r') {
      if (i + 1 < text.size() && text[i + 1] == L'\n') ++i;
      line += L' ';
    } else if (c == L'\n') {
      line += L' ';
    } else {
      line += c;
    }
  }
  line += L"\r\n";
  return line;
}

std::vector<ControlLine> ParseControlList(std::wstring_view list) {
  std::vector<ControlLine> lines;
  while (!list.empty()) {
    std::size_t end = list.find(L'\n');
    std::wstring_view line = list.substr(0, end);
    list = end == std::wstring_view::npos ? std::wstring_view{} : list.substr(end + 1);
    if (!line.empty() && line.back() == L'\r') line.remove_suffix(1);

    const std::size_t tab1 = line.find(L'\t');
    if (tab1 == std::wstring_view::npos) continue;
    const std::size_t tab2 = line.find(L'\t', tab1 + 1);
    if (tab2 == std::wstring_view::npos) continue;
    const std::size_t tab3 = line.find(L'\t', tab2 + 1);
    if (tab3 == std::wstring_view::npos) continue;
    const auto handle = ParseDecimal(line.substr(0, tab1));
    const auto id = ParseDecimal(line.substr(tab1 + 1, tab2 - tab1 - 1));
    if (!handle || !id) continue;
    lines.push_back({*handle, *id, std::wstring(line.substr(tab2 + 1, tab3 - tab2 - 1)),
                     std::wstring(line.substr(tab3 + 1))});
  }
  return lines;
}

namespace {

wchar_t FoldAscii(wchar_t c) {
  return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](wchar_t x, wchar_t y) { return FoldAscii(x) == FoldAscii(y); });
}

bool IsBlank(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\v' || c == L'\f' || c == L'\r' || c == L'\n';
}

// The literal forms of the lookup, on the parsed fields: a class name is the literal in any
// letter case; a text ends in the literal after a blank (the whole text, or its last words).
bool LiteralMatches(const ControlLine& line, std::wstring_view literal, bool byClass) {
  if (byClass) return EqualsNoCase(line.className, literal);
  const std::wstring_view text = line.text;
  if (text.size() >= literal.size() &&
      EqualsNoCase(text.substr(text.size() - literal.size()), literal)) {
    const std::size_t at = text.size() - literal.size();
    if (at == 0 || IsBlank(text[at - 1])) return true;
  }
  // A literal reaching back into the class name, over the tab between the two.
  const std::wstring whole = line.className + L'\t' + line.text;
  if (whole.size() <= literal.size()) return false;
  const std::size_t at = whole.size() - literal.size();
  return at > line.className.size() + 1
             ? false
             : IsBlank(whole[at - 1]) && EqualsNoCase(std::wstring_view(whole).substr(at), literal);
}

}  // namespace

ControlMatch FindControlInList(const std::wstring& list, const std::wstring& pattern, int intIndex,
                               bool useRegExp, bool byClass) {
  ControlMatch result;
  std::optional<RegExpMatcher> matcher;
  if (useRegExp) matcher.emplace(pattern, true);
  for (const ControlLine& line : ParseControlList(list)) {
    const bool matches = matcher ? matcher->Test(byClass ? line.className : line.text)
                                 : LiteralMatches(line, pattern, byClass);
    if (!matches) continue;
    if (++result.matchCount == intIndex) result.handle = line.handle;
  }
  return result;
}

// ---- finders ------------------------------------------------------------------------------

bool TitleMatches(const std::wstring& text, const std::wstring& title, bool useRegExp) {
  if (text.empty()) return title.empty();
  if (useRegExp) return RegExpFind(text, title) >= 0;
  return text.find(title) != std::wstring::npos;
}

bool IsSkippedTitle(std::wstring_view title) {
  if (title.empty()) return true;
  // Whole entries only: a real window called "Program" or "a" must still be found.
  if (title.find(L'|') != std::wstring_view::npos) return false;
  std::wstring entry = L"|";
  entry += title;
  entry += L'|';
  return kSkippedTitles.find(entry) != std::wstring_view::npos;
}

std::wstring FileNameOfPath(std::wstring_view path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return std::wstring(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
}

std::optional<WindowHandle> ParseHandleText(std::wstring_view text) {
  return ParseDecimal(Trim(text));
}

std::wstring NotANumberMessage(std::wstring_view value) {
  return L"类初始化错误！设置的句柄“" + std::wstring(value) + L"”应当为一个数字。";
}

std::wstring NoSuchWindowMessage(std::wstring_view value) {
  return L"类初始化错误！句柄“" + std::wstring(value) + L"”对应的窗口不存在！";
}

// ---- mouse --------------------------------------------------------------------------------

std::optional<PositionMode> ParsePositionMode(std::wstring_view text) {
  std::wstring lower(Trim(text));
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
  if (lower == L"relative") return PositionMode::Relative;
  if (lower == L"absolute") return PositionMode::Absolute;
  return std::nullopt;
}

// ---- effects ------------------------------------------------------------------------------

std::optional<double> ParseOpacity(std::wstring_view percent) {
  std::wstring_view text = Trim(percent);
  bool hasPercentSign = false;
  if (!text.empty() && text.back() == L'%') {
    hasPercentSign = true;
    text.remove_suffix(1);
  }
  // digits [ "." digits ], or for a fraction: [ "0" ] "." digits
  const std::size_t dot = text.find(L'.');
  const std::wstring_view whole = text.substr(0, dot);
  const std::wstring_view decimals =
      dot == std::wstring_view::npos ? std::wstring_view{} : text.substr(dot + 1);
  const auto allDigits = [](std::wstring_view s) {
    return std::all_of(s.begin(), s.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
  };
  if (!allDigits(whole) || !allDigits(decimals)) return std::nullopt;
  if (dot != std::wstring_view::npos && decimals.empty()) return std::nullopt;

  double value = 0;
  for (const wchar_t c : whole) value = value * 10 + (c - L'0');
  double scale = 0.1;
  for (const wchar_t c : decimals) {
    value += (c - L'0') * scale;
    scale /= 10;
  }

  const bool isFraction =
      !hasPercentSign && dot != std::wstring_view::npos && (whole.empty() || whole == L"0");
  if (isFraction) return value;
  if (whole.empty()) return std::nullopt;  // ".5%" is neither form
  return std::min(value, 100.0) / 100.0;
}

std::uint8_t OpacityToAlpha(double opacity) {
  if (!(opacity > 0)) return 0;
  if (opacity >= 1) return 255;
  return static_cast<std::uint8_t>(std::lround(opacity * 255));
}

std::vector<std::uint8_t> FadeSteps(std::uint8_t from, std::uint8_t to, int step) {
  step = std::clamp(step, 1, 255);
  std::vector<std::uint8_t> steps;
  int value = from;
  const int direction = to >= from ? 1 : -1;
  steps.push_back(from);
  while (value != to) {
    value += direction * step;
    if ((direction > 0 && value > to) || (direction < 0 && value < to)) value = to;
    steps.push_back(static_cast<std::uint8_t>(value));
  }
  return steps;
}

std::vector<int> ShakeOffsets(int shakeShift, int shakeRepeats, int shakePads) {
  std::vector<int> offsets;
  if (shakeShift <= 0 || shakeRepeats <= 0) return offsets;
  shakePads = std::max(shakePads, 0);
  int swing = shakeShift;
  for (int i = 0; i < shakeRepeats; ++i) {
    offsets.push_back(swing);
    offsets.push_back(-swing);
    swing = std::max(swing - shakePads, 1);
  }
  offsets.push_back(0);
  return offsets;
}

// ---- debug log ----------------------------------------------------------------------------

std::wstring FormatLogDateTime(int year, int month, int day, int hour, int minute, int second) {
  const auto two = [](int v) {
    std::wstring s = std::to_wstring(v);
    return s.size() < 2 ? L"0" + s : s;
  };
  std::wstring yearText = std::to_wstring(year);
  while (yearText.size() < 4) yearText.insert(0, 1, L'0');
  return yearText + L"-" + two(month) + L"-" + two(day) + L" " + two(hour) + L":" + two(minute) +
         L":" + two(second);
}

std::wstring DebugLogLine(std::wstring_view dateTime, LogKind kind, std::wstring_view name,
                          LogPhase phase, const LogArgs& args) {
  std::wstring line(dateTime);
  line += kind == LogKind::Function ? L" 函数 " : L" 过程 ";
  line += name;
  line += phase == LogPhase::Called ? L" 被调用。" : L" 执行完毕。";
  for (std::size_t i = 0; i < args.size(); ++i) {
    line += i == 0 ? L"参数为 " : L"\t ";
    line += args[i].first;
    line += L'=';
    line += args[i].second;
  }
  return line;
}

std::wstring MatchCountLogLine(std::wstring_view dateTime, int matchCount) {
  return std::wstring(dateTime) + L" >> 函数 getMatchHwndFromWindow 执行完毕。匹配数量为=" +
         std::to_wstring(matchCount);
}

std::wstring UnknownClickModeText(std::wstring_view memberName) {
  return L"函数" + std::wstring(memberName) +
         L"执行一次。未能识别点击模式，要么是relative(相对位置)要么是absolute(绝对位置)"
         L"，默认是相对位置。";
}

}  // namespace tarvik::util
