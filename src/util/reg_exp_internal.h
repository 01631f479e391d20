#pragma once
// What the parts of the regular expression engine share: the character helpers and classes,
// the pattern tree the parser builds, the program the compiler writes and the matches the
// matcher finds. Only reg_exp*.cpp include it.

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "util/reg_exp.h"

namespace tarvik::util::regex_detail {

[[noreturn]] void Fail(const char* what);

inline bool IsLineTerminator(wchar_t c) {
  return c == L'\n' || c == L'\r';
}

inline bool IsDigit(wchar_t c) {
  return c >= L'0' && c <= L'9';
}

inline bool IsWordChar(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || IsDigit(c) || c == L'_';
}

inline bool IsSpace(wchar_t c) {
  switch (c) {
    case L'\t': case L'\n': case L'\v': case L'\f': case L'\r': case L' ':
    case 0x00A0: case 0x1680: case 0x2028: case 0x2029: case 0x202F: case 0x205F:
    case 0x3000: case 0xFEFF:
      return true;
    default:
      return c >= 0x2000 && c <= 0x200A;
  }
}

// Letter case for ignoring it: Latin (with Latin-1), Greek, Cyrillic and the full-width
// Latin letters of East Asian texts.
inline wchar_t ToLower(wchar_t c) {
  const auto in = [c](int from, int to) { return c >= from && c <= to; };
  if (in(L'A', L'Z') || (in(0xC0, 0xDE) && c != 0xD7) || (in(0x391, 0x3A9) && c != 0x3A2) ||
      in(0x410, 0x42F) || in(0xFF21, 0xFF3A)) {
    return static_cast<wchar_t>(c + 0x20);
  }
  if (in(0x400, 0x40F)) return static_cast<wchar_t>(c + 0x50);
  return c;
}

inline wchar_t ToUpper(wchar_t c) {
  const auto in = [c](int from, int to) { return c >= from && c <= to; };
  if (in(L'a', L'z') || (in(0xE0, 0xFE) && c != 0xF7) || (in(0x3B1, 0x3C9) && c != 0x3C2) ||
      in(0x430, 0x44F) || in(0xFF41, 0xFF5A)) {
    return static_cast<wchar_t>(c - 0x20);
  }
  if (in(0x450, 0x45F)) return static_cast<wchar_t>(c - 0x50);
  return c;
}

enum class Named { kDigit, kWord, kSpace };

inline bool IsNamed(Named kind, wchar_t c) {
  switch (kind) {
    case Named::kDigit: return IsDigit(c);
    case Named::kWord: return IsWordChar(c);
    case Named::kSpace: return IsSpace(c);
  }
  return false;
}

struct CharClass {
  // Sorted and apart (Seal), so that a long class is searched, not looked through.
  std::vector<std::pair<wchar_t, wchar_t>> ranges;
  std::vector<std::pair<Named, bool>> named;  // \d, \w, \s; true for \D, \W, \S
  bool negated = false;

  void Seal() {
    std::sort(ranges.begin(), ranges.end());
    std::size_t kept = 0;
    for (const auto& range : ranges) {
      if (kept > 0 && range.first <= ranges[kept - 1].second + 1) {
        ranges[kept - 1].second = std::max(ranges[kept - 1].second, range.second);
      } else {
        ranges[kept++] = range;
      }
    }
    ranges.resize(kept);
  }

  bool HasExactly(wchar_t c) const {
    const auto after =
        std::upper_bound(ranges.begin(), ranges.end(), c,
                         [](wchar_t x, const auto& range) { return x < range.first; });
    if (after != ranges.begin() && c <= std::prev(after)->second) return true;
    for (const auto& [kind, inverted] : named) {
      if (IsNamed(kind, c) != inverted) return true;
    }
    return false;
  }

  bool Has(wchar_t c, bool ignoreCase) const {
    bool found = HasExactly(c);
    if (!found && ignoreCase) found = HasExactly(ToLower(c)) || HasExactly(ToUpper(c));
    return found != negated;
  }
};

// ---- the pattern tree -------------------------------------------------------------------

enum class Kind {
  kEmpty, kChar, kAny, kClass, kLineStart, kLineEnd, kWordBoundary, kNotWordBoundary,
  kGroup, kLook, kBackref, kConcat, kAlt, kRepeat
};

struct Node {
  Kind kind = Kind::kEmpty;
  wchar_t ch = 0;
  int index = 0;          // class, group or back-referenced group
  bool flag = false;      // negative lookahead; greedy repeat
  int min = 0, max = -1;  // repeat counts, -1 without a limit
  int firstGroup = 0, endGroup = 0;  // groups [first, end) inside a repeat
  std::vector<std::unique_ptr<Node>> children;
};

using NodePtr = std::unique_ptr<Node>;

struct Parsed {
  NodePtr root;
  int groups = 0;
  bool hasBackrefs = false;
};

// The tree of pattern; its classes are added to classes, which the tree refers to by index.
Parsed Parse(std::wstring_view pattern, std::vector<CharClass>& classes);

// ---- the compiled program ---------------------------------------------------------------

enum class Op {
  kChar, kAny, kClass, kLineStart, kLineEnd, kWordBoundary, kNotWordBoundary,
  kSplit,    // go on at x, on failure at y
  kJmp,      // go on at x
  kSave,     // capture slot x = position
  kMark,     // loop register x = position
  kCheck,    // fail when loop register x = position: an iteration that matched nothing
  kClear,    // groups [x, y) unset, at the start of each iteration
  kBackref,  // the text of group x again
  kLook,     // lookahead, its body from the next instruction; then at x; negative with y
  kMatch
};

struct Inst {
  Op op;
  int x = 0;
  int y = 0;
  wchar_t ch = 0;
};

struct Program {
  std::vector<Inst> code;
  std::vector<CharClass> classes;
  std::vector<int> memoSlot;  // per instruction; -1 where not remembered
  int memoSlots = 0;
  int groups = 0;
  int registers = 0;
  bool ignoreCase = false;
};

Program Compile(const std::wstring& pattern, bool ignoreCase);

// ---- matching ---------------------------------------------------------------------------

struct Found {
  std::size_t start = 0;
  std::size_t end = 0;
  const std::vector<int>* captures = nullptr;  // 2 slots per group, -1 when unset
};

// Every match in order, as a global search finds them; onMatch returns false to stop. After
// an empty match the search goes on one character later.
void ForEachMatch(const Program& prog, const std::wstring& text,
                  const std::function<bool(const Found&)>& onMatch);

}  // namespace tarvik::util::regex_detail
