#pragma once
// The pure parts of the window-automation class: the control-list format and its lookup,
// title matching for the finders, the opacity forms, and the debug-log line texts.
// No OS calls here, so all of it is tested natively.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarvik::util {

// A window handle as a number. Signed, as handles are written in decimal in the control
// list, where the lookup patterns allow a minus sign.
using WindowHandle = std::intptr_t;

// ---- control list -------------------------------------------------------------------------

inline constexpr std::size_t kMaxClassNameLength = 255;

// One line of the control list: handle, id, class and text, TAB separated, CR LF at the end.
// The class is cut to 255 characters; a line break inside the text (CR LF, or a lone CR or
// LF) becomes one space, so a text can never fake a line of its own.
std::wstring ControlListLine(WindowHandle handle, std::intptr_t controlId,
                             std::wstring_view className, std::wstring_view text);

struct ControlLine {
  WindowHandle handle = 0;
  std::intptr_t controlId = 0;
  std::wstring className;
  std::wstring text;
  friend bool operator==(const ControlLine&, const ControlLine&) = default;
};

// Splits a control list into its lines; lines that do not start with two numbers are left
// out. The class ends at the third TAB, the text runs to the end of the line.
std::vector<ControlLine> ParseControlList(std::wstring_view list);

struct ControlMatch {
  WindowHandle handle = 0;  // of the intIndex-th match; 0 when there are fewer matches
  int matchCount = 0;       // all matches in the list
};

// The control lookup over the parsed lines. Without useRegExp a class name matches when it is
// the literal, a text when it ends in the literal after a blank (or is it), in any letter
// case. With useRegExp the
// expression is tested, in any letter case, against the class (or the text) of each line.
// intIndex counts from 1. Raises RegExpError for an expression or a text the engine cannot
// handle.
ControlMatch FindControlInList(const std::wstring& list, const std::wstring& pattern, int intIndex,
                               bool useRegExp, bool byClass);

// ---- finders ------------------------------------------------------------------------------

// A window text against the finder's title: an empty text matches only an empty title;
// otherwise a case-sensitive substring, or with useRegExp a regular expression (RegExpError
// raised for one the engine cannot handle).
bool TitleMatches(const std::wstring& text, const std::wstring& title, bool useRegExp);

// Windows the process and program-name finders pass over: an empty title, or a title that
// is one whole entry of "|MSCTFIME UI|Program Manager|M|Default IME|".
inline constexpr std::wstring_view kSkippedTitles = L"|MSCTFIME UI|Program Manager|M|Default IME|";
bool IsSkippedTitle(std::wstring_view title);

// The file name at the end of a path ("C:\a\b.exe" -> "b.exe").
std::wstring FileNameOfPath(std::wstring_view path);

// A handle given as text: optional spaces, an optional sign and decimal digits. Nothing for
// anything else, and for a number too large to be a handle.
std::optional<WindowHandle> ParseHandleText(std::wstring_view text);

// The two messages Load and GetWindowByHwnd show.
std::wstring NotANumberMessage(std::wstring_view value);
std::wstring NoSuchWindowMessage(std::wstring_view value);

// ---- mouse --------------------------------------------------------------------------------

enum class PositionMode { Relative, Absolute };
// "relative" or "absolute" in any letter case; nothing for anything else.
std::optional<PositionMode> ParsePositionMode(std::wstring_view text);

// ---- effects ------------------------------------------------------------------------------

// Opacity from 0 (invisible) to 1 (opaque) for the three forms Transparent accepts:
// "0.4" or ".4" (a fraction), "40" (a percentage; above 100 counts as 100) and "40%" (the
// same). Surrounding spaces are ignored; nothing for any other text.
std::optional<double> ParseOpacity(std::wstring_view percent);
// 0..1 -> 0..255, rounded; values outside are clamped.
std::uint8_t OpacityToAlpha(double opacity);

// Alpha values a fade passes through, from one end to the other in steps of step (at
// least 1), always ending exactly on to and never repeating a value.
std::vector<std::uint8_t> FadeSteps(std::uint8_t from, std::uint8_t to, int step);

// Horizontal offsets from the window's own position for a shake: each repeat swings to
// +shift and -shift; after every repeat the swing shrinks by pads pixels (0: it stays the
// same) but never below 1; the last offset is 0 so the window ends where it started.
std::vector<int> ShakeOffsets(int shakeShift, int shakeRepeats, int shakePads);

// ---- debug log ----------------------------------------------------------------------------

// "yyyy-mm-dd hh:nn:ss".
std::wstring FormatLogDateTime(int year, int month, int day, int hour, int minute, int second);

enum class LogKind { Function, Procedure };  // "函数" / "过程"
enum class LogPhase { Called, Finished };    // "被调用" / "执行完毕"
using LogArgs = std::vector<std::pair<std::wstring, std::wstring>>;

// dateTime + " 函数 Move 被调用。参数为 x=1\t y=2 ..."; without arguments the line ends at "。".
std::wstring DebugLogLine(std::wstring_view dateTime, LogKind kind, std::wstring_view name,
                          LogPhase phase, const LogArgs& args);
// dateTime + " >> 函数 getMatchHwndFromWindow 执行完毕。匹配数量为=" + count.
std::wstring MatchCountLogLine(std::wstring_view dateTime, int matchCount);
// "函数ClickPoint执行一次。未能识别点击模式，要么是relative(相对位置)要么是absolute(绝对位置)，默认是相对位置。"
std::wstring UnknownClickModeText(std::wstring_view memberName);

}  // namespace tarvik::util
