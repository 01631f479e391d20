#include "util/reg_exp.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "util/reg_exp_internal.h"

// A small backtracking matcher of our own. The standard library's engine can neither be
// stopped nor bounded: some patterns ("(a*)*b", "(|ba)*c") keep it busy for ever on a short
// text. Here every instruction run counts against a budget, and branch points whose outcome
// depends on the position alone remember where they already failed, so the usual patterns
// stay linear in the text.

namespace tarvik::util {
namespace {

using regex_detail::Compile;
using regex_detail::ForEachMatch;
using regex_detail::Found;
using regex_detail::IsDigit;
using regex_detail::Program;

// Runs work and turns every failure into a RegExpError.
template <typename Work>
void Guarded(Work&& work) {
  try {
    work();
  } catch (const RegExpError&) {
    throw;
  } catch (const std::bad_alloc&) {
    throw RegExpError("regular expression: out of memory");
  } catch (const std::length_error&) {
    throw RegExpError("regular expression: out of memory");
  }
}

void CheckLength(const std::wstring& text) {
  if (text.size() > kMaxRegExpText) throw RegExpError("regular expression: text too long");
}

void AppendGroup(std::wstring& out, const std::wstring& text, const Found& found, int group) {
  const int from = (*found.captures)[static_cast<std::size_t>(2 * group)];
  const int to = (*found.captures)[static_cast<std::size_t>(2 * group + 1)];
  if (from >= 0 && to >= from) {
    out.append(text, static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
  }
}

void AppendReplacement(std::wstring& out, const std::wstring& replacement, const std::wstring& text,
                       const Found& found, int groups) {
  for (std::size_t i = 0; i < replacement.size(); ++i) {
    const wchar_t c = replacement[i];
    if (c != L'$' || i + 1 == replacement.size()) {
      out += c;
      continue;
    }
    const wchar_t next = replacement[i + 1];
    if (next == L'$') {
      out += L'$';
    } else if (next == L'&') {
      AppendGroup(out, text, found, 0);
    } else if (next == L'`') {
      out.append(text, 0, found.start);
    } else if (next == L'\'') {
      out.append(text, found.end, std::wstring::npos);
    } else if (IsDigit(next)) {
      const int one = next - L'0';
      const bool twoDigits = i + 2 < replacement.size() && IsDigit(replacement[i + 2]);
      const int two = twoDigits ? one * 10 + (replacement[i + 2] - L'0') : -1;
      if (twoDigits && two >= 1 && two <= groups) {
        AppendGroup(out, text, found, two);
        ++i;
      } else if (one <= groups) {
        AppendGroup(out, text, found, one);
      } else {
        out += L'$';
        continue;
      }
    } else {
      out += L'$';
      continue;
    }
    ++i;
  }
}

}  // namespace

std::wstring RegExpReplaceAll(const std::wstring& text, const std::wstring& pattern,
                              const std::wstring& replacement) {
  CheckLength(text);
  std::wstring result;
  Guarded([&] {
    const Program prog = Compile(pattern, false);
    std::size_t copied = 0;
    ForEachMatch(prog, text, [&](const Found& found) {
      result.append(text, copied, found.start - copied);
      AppendReplacement(result, replacement, text, found, prog.groups);
      copied = found.end;
      return true;
    });
    result.append(text, copied, std::wstring::npos);
  });
  return result;
}

struct RegExpMatcher::Compiled {
  Program prog;
};

RegExpMatcher::RegExpMatcher(const std::wstring& pattern, bool ignoreCase) {
  Guarded([&] { compiled_ = std::make_unique<Compiled>(Compiled{Compile(pattern, ignoreCase)}); });
}

RegExpMatcher::~RegExpMatcher() = default;

bool RegExpMatcher::Test(const std::wstring& text) const {
  CheckLength(text);
  bool found = false;
  Guarded([&] {
    ForEachMatch(compiled_->prog, text, [&](const Found&) {
      found = true;
      return false;
    });
  });
  return found;
}

std::ptrdiff_t RegExpFind(const std::wstring& text, const std::wstring& pattern, bool ignoreCase) {
  CheckLength(text);
  std::ptrdiff_t position = -1;
  Guarded([&] {
    const Program prog = Compile(pattern, ignoreCase);
    ForEachMatch(prog, text, [&](const Found& found) {
      position = static_cast<std::ptrdiff_t>(found.start);
      return false;
    });
  });
  return position;
}

}  // namespace tarvik::util
