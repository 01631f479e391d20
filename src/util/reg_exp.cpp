#include "util/reg_exp.h"

#include <exception>
#include <functional>
#include <new>
#include <optional>
#include <regex>

#include "util/large_stack.h"

namespace tarvik::util {
namespace {

// Short texts run here; longer ones on a large stack, since the compiler's and the matcher's
// recursion grow with the length of the pattern and of the text.
constexpr std::size_t kInlineTextLimit = 256;

// Runs work where the engine's recursion fits and turns every failure into a RegExpError.
void RunEngine(std::size_t size, const std::function<void()>& work) {
  std::exception_ptr error;
  const bool ran = RunGuarded(size, kInlineTextLimit, [&] {
    try {
      work();
    } catch (...) {
      error = std::current_exception();
    }
  });
  if (!ran) throw RegExpError("regular expression: no thread to run it on");
  if (!error) return;
  try {
    std::rethrow_exception(error);
  } catch (const RegExpError&) {
    throw;
  } catch (const std::regex_error& e) {
    throw RegExpError(std::string("regular expression: ") + e.what());
  } catch (const std::bad_alloc&) {
    throw RegExpError("regular expression: out of memory");
  } catch (const std::exception& e) {
    throw RegExpError(std::string("regular expression: ") + e.what());
  }
}

std::wregex Compile(const std::wstring& pattern, bool ignoreCase) {
  CheckRepeatCounts(pattern);
  auto syntax = std::regex_constants::ECMAScript | std::regex_constants::multiline;
  if (ignoreCase) syntax |= std::regex_constants::icase;
  return std::wregex(pattern, syntax);
}

void CheckLength(const std::wstring& text) {
  if (text.size() > kMaxRegExpText) throw RegExpError("regular expression: text too long");
}

// Between the CR and the LF of a pair: not a line start nor a line end.
bool InsidePair(const std::wstring& text, std::size_t position) {
  return position > 0 && position < text.size() && text[position - 1] == L'\r' &&
         text[position] == L'\n';
}

using Flags = std::regex_constants::match_flag_type;

std::optional<std::wsmatch> SearchFrom(const std::wstring& subject, std::size_t from,
                                       const std::wregex& re, Flags flags) {
  if (from > 0) flags |= std::regex_constants::match_prev_avail;
  std::wsmatch match;
  if (!std::regex_search(subject.cbegin() + static_cast<std::ptrdiff_t>(from), subject.cend(),
                         match, re, flags)) {
    return std::nullopt;
  }
  return match;
}

std::size_t Start(const std::wstring& subject, const std::wsmatch& match) {
  return static_cast<std::size_t>(match[0].first - subject.cbegin());
}

// Every match in order with its start, as a global search finds them; onMatch returns false
// to stop.
// ECMAScript's '^' also matches between the CR and the LF of a pair. A match found there is
// tried again at the same place with the CR hidden behind a blank (no line start then, and
// the same word boundary), and failing that the search goes on after it.
void ForEachMatch(const std::wstring& text, const std::wregex& re,
                  const std::function<bool(const std::wsmatch&, std::size_t)>& onMatch) {
  std::wstring subject = text;  // its CRs are hidden for a moment, one at a time
  constexpr Flags kDefault = std::regex_constants::match_default;
  std::size_t from = 0;
  Flags flags = kDefault;
  while (from <= subject.size()) {
    std::optional<std::wsmatch> match = SearchFrom(subject, from, re, flags);
    while (match && InsidePair(subject, Start(subject, *match))) {
      const std::size_t at = Start(subject, *match);
      subject[at - 1] = L' ';
      match = SearchFrom(subject, at, re,
                         (at == from ? flags : kDefault) | std::regex_constants::match_continuous);
      subject[at - 1] = L'\r';
      if (match) break;
      match = SearchFrom(subject, at + 1, re, kDefault);
    }
    if (!match) {
      if (flags == kDefault) return;
      // No non-empty match right after an empty one: go on one character later.
      flags = kDefault;
      if (from == subject.size()) return;
      ++from;
      continue;
    }
    const std::size_t start = Start(subject, *match);
    const auto length = static_cast<std::size_t>(match->length(0));
    if (length == 0 && InsidePair(subject, start)) {  // '$' before the LF of a pair
      flags = kDefault;
      from = start + 1;
      continue;
    }
    if (!onMatch(*match, start)) return;
    from = start + length;
    flags = length == 0
                ? std::regex_constants::match_not_null | std::regex_constants::match_continuous
                : kDefault;
  }
}

}  // namespace

void CheckRepeatCounts(const std::wstring& pattern) {
  // Also refuses a repeat of a repeat ("a**", "a{2}+", "a*?*"): ECMAScript has nothing to
  // repeat there, and the standard library's matcher can loop on it for ever.
  enum class After { kAtom, kRepeat, kLazyRepeat } after = After::kAtom;
  const auto repeat = [&](bool lazyMark) {
    if (lazyMark && after == After::kRepeat) {
      after = After::kLazyRepeat;
      return;
    }
    if (after != After::kAtom) throw RegExpError("regular expression: nothing to repeat");
    after = After::kRepeat;
  };
  bool inClass = false;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const wchar_t c = pattern[i];
    if (inClass) {
      if (c == L'\\') {
        ++i;
      } else if (c == L']') {
        inClass = false;
      }
      continue;
    }
    if (c == L'*' || c == L'+' || c == L'?') {
      repeat(c == L'?');
      continue;
    }
    if (c == L'{') {
      std::size_t j = i + 1;
      bool counted = false;
      for (int part = 0; part < 2; ++part) {
        unsigned long count = 0;
        while (j < pattern.size() && pattern[j] >= L'0' && pattern[j] <= L'9') {
          count = count * 10 + static_cast<unsigned long>(pattern[j] - L'0');
          if (count > kMaxRegExpRepeat) throw RegExpError("regular expression: repeat too large");
          ++j;
          counted = true;
        }
        if (part != 0 || j >= pattern.size() || pattern[j] != L',') break;
        ++j;
      }
      if (counted && j < pattern.size() && pattern[j] == L'}') {
        repeat(false);
        i = j;
        continue;
      }
    }
    after = After::kAtom;
    if (c == L'\\') {
      ++i;
    } else if (c == L'[') {
      inClass = true;
    }
  }
}

std::wstring RegExpReplaceAll(const std::wstring& text, const std::wstring& pattern,
                              const std::wstring& replacement) {
  CheckLength(text);
  std::wstring result;
  RunEngine(text.size() + pattern.size(), [&] {
    const std::wregex re = Compile(pattern, false);
    std::size_t copied = 0;
    ForEachMatch(text, re, [&](const std::wsmatch& match, std::size_t start) {
      result.append(text, copied, start - copied);
      result += match.format(replacement, std::regex_constants::format_default);
      copied = start + static_cast<std::size_t>(match.length(0));
      return true;
    });
    result.append(text, copied, std::wstring::npos);
  });
  return result;
}

struct RegExpMatcher::Compiled {
  std::wregex re;
};

RegExpMatcher::RegExpMatcher(const std::wstring& pattern, bool ignoreCase) {
  RunEngine(pattern.size(), [&] {
    compiled_ = std::make_unique<Compiled>(Compiled{Compile(pattern, ignoreCase)});
  });
}

RegExpMatcher::~RegExpMatcher() = default;

bool RegExpMatcher::Test(const std::wstring& text) const {
  CheckLength(text);
  bool found = false;
  RunEngine(text.size(), [&] {
    ForEachMatch(text, compiled_->re, [&](const std::wsmatch&, std::size_t) {
      found = true;
      return false;
    });
  });
  return found;
}

std::ptrdiff_t RegExpFind(const std::wstring& text, const std::wstring& pattern, bool ignoreCase) {
  CheckLength(text);
  std::ptrdiff_t position = -1;
  RunEngine(text.size() + pattern.size(), [&] {
    const std::wregex re = Compile(pattern, ignoreCase);
    ForEachMatch(text, re, [&](const std::wsmatch&, std::size_t start) {
      position = static_cast<std::ptrdiff_t>(start);
      return false;
    });
  });
  return position;
}

}  // namespace tarvik::util
