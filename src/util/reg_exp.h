#pragma once
// Regular expressions with the settings the program uses everywhere: ECMAScript dialect,
// case-sensitive unless asked, every match, '^' and '$' also at line breaks, where a CR LF
// pair is one line break.
//
// Whatever the engine cannot do is raised as RegExpError, never passed off as "no match": an
// invalid pattern, a repeat count too large to compile, a text too long to match, a pattern
// that would take too long on the text (every call ends well within a second).
//
// The dialect is ECMAScript's: classes, \d \w \s \b and their negations (ASCII words and
// digits, Unicode blanks), greedy and lazy repeats, groups, (?:), lookaheads, back references;
// ignoring case covers Latin, Greek, Cyrillic and full-width letters. An iteration of a repeat
// that matches nothing ends the repeat, and each iteration starts with its groups unset.

#include <cstddef>
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

// Throws RegExpError when a repeat count in pattern is above kMaxRegExpRepeat, or a repeat
// follows a repeat ("a**", "a{2}+").
void CheckRepeatCounts(const std::wstring& pattern);

}  // namespace tarvik::util
