#pragma once
// Regular expressions with the settings the program uses everywhere: ECMAScript dialect,
// case-sensitive unless asked, every match, '^' and '$' also at line breaks.
//
// Whatever the engine cannot do is raised as RegExpError, never passed off as "no match": an
// invalid pattern, a repeat count too large to compile, a text too long to match, a pattern
// that would take too long on the text (see the step budget below).
//
// The dialect is the one browsers read without the "u" flag: classes, \d \w \s \b and their
// negations (ASCII words and digits, Unicode blanks), greedy and lazy repeats, groups, (?:),
// lookaheads (also repeated), back references, and the older forms scripts still use: "\c"
// without a letter is a backslash and a c, "\x4g" and "\u00" the letters, "\1" to "\7" past
// the number of groups and "\0" octal escapes, "\8" and "\9" the digits, "[\w-.]" a class with
// a dash, "{", "}", "]", "{,2}" and "{12" plain text. Lookbehind and named groups are not read
// (RegExpError). Ignoring case covers Latin, Greek, Cyrillic and full-width letters. An
// iteration of a repeat that matches nothing ends the repeat, each iteration starts with its
// groups unset, and after an empty match the next is looked for one character on.
//
// Where this differs from the browsers, on purpose: a CR LF pair is one line break, so '^' and
// '$' never match between its two characters; U+2028 and U+2029 are not line breaks here ('.'
// matches them, '^' and '$' do not match beside them); "$0" in a replacement is the whole match.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace tarvik::util {

class RegExpError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The longest text matched.
inline constexpr std::size_t kMaxRegExpText = 200000;
// The largest count in a repeat ("{n}", "{n,m}").
inline constexpr unsigned long kMaxRegExpRepeat = 100000;
// The step budget: the work one call may do, in matcher steps (an instruction run, a character
// compared by a back reference, a group cleared), is kRegExpStepsFixed plus kRegExpStepsPerChar
// for each character of the text; beyond it the call raises RegExpError. The matcher runs about
// 150 million steps a second, so a call gives up within about 0.6 s on the longest text, while
// heavy but sound patterns ("(\w*)*\1x" on 20 characters, 35 million steps; "\w{1,100}x" on
// 50,000, 15 million) still answer. The backtracking stack is bounded too (8 million entries).
inline constexpr std::uint64_t kRegExpStepsFixed = 60'000'000;
inline constexpr std::uint64_t kRegExpStepsPerChar = 150;

// text with every match replaced. In replacement "$1" to "$99", "$&" (also "$0"), "$`", "$'"
// and "$$" work as in ECMAScript; an unset group gives nothing.
std::wstring RegExpReplaceAll(const std::wstring& text, const std::wstring& pattern,
                              const std::wstring& replacement);

// The 0-based index of the first match, -1 when there is none.
std::ptrdiff_t RegExpFind(const std::wstring& text, const std::wstring& pattern,
                          bool ignoreCase = false);

// One pattern compiled once and tested against many texts (anywhere in the text).
class RegExpMatcher {
 public:
  RegExpMatcher(const std::wstring& pattern, bool ignoreCase);
  RegExpMatcher(const RegExpMatcher&) = delete;
  RegExpMatcher& operator=(const RegExpMatcher&) = delete;
  ~RegExpMatcher();
  bool Test(const std::wstring& text) const;

 private:
  struct Compiled;
  std::unique_ptr<Compiled> compiled_;
};

}  // namespace tarvik::util
