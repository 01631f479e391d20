// Parsing a pattern into the tree the compiler reads, with its character classes.

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "util/reg_exp_internal.h"

namespace tarvik::util::regex_detail {
namespace {

// Parentheses inside parentheses; the parser and lookaheads recurse once per level.
constexpr int kMaxNesting = 200;

NodePtr MakeNode(Kind kind) {
  auto node = std::make_unique<Node>();
  node->kind = kind;
  return node;
}

int CountGroups(std::wstring_view pattern) {
  int count = 0;
  bool inClass = false;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const wchar_t c = pattern[i];
    if (c == L'\\') {
      ++i;
    } else if (inClass) {
      inClass = c != L']';
    } else if (c == L'[') {
      inClass = true;
    } else if (c == L'(' && (i + 1 >= pattern.size() || pattern[i + 1] != L'?')) {
      ++count;
    }
  }
  return count;
}

int HexValue(wchar_t c) {
  if (IsDigit(c)) return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

class Parser {
 public:
  Parser(std::wstring_view pattern, std::vector<CharClass>& classes)
      : p_(pattern), classes_(classes), totalGroups_(CountGroups(pattern)) {}

  NodePtr ParseAll() {
    NodePtr node = ParseAlternatives(0);
    if (i_ < p_.size()) Fail("unmatched )");
    return node;
  }
  int Groups() const { return groups_; }
  bool HasBackrefs() const { return hasBackrefs_; }

 private:
  bool AtEnd() const { return i_ >= p_.size(); }
  wchar_t Peek() const { return p_[i_]; }

  NodePtr ParseAlternatives(int depth) {
    if (depth > kMaxNesting) Fail("too deeply nested");
    NodePtr first = ParseSequence(depth);
    if (AtEnd() || Peek() != L'|') return first;
    NodePtr alt = MakeNode(Kind::kAlt);
    alt->children.push_back(std::move(first));
    while (!AtEnd() && Peek() == L'|') {
      ++i_;
      alt->children.push_back(ParseSequence(depth));
    }
    return alt;
  }

  NodePtr ParseSequence(int depth) {
    NodePtr seq = MakeNode(Kind::kConcat);
    while (!AtEnd() && Peek() != L'|' && Peek() != L')') {
      const int groupsBefore = groups_;
      NodePtr atom = ParseAtom(depth);
      const bool assertion = atom->kind == Kind::kLineStart || atom->kind == Kind::kLineEnd ||
                             atom->kind == Kind::kWordBoundary ||
                             atom->kind == Kind::kNotWordBoundary;
      int min = 0;
      int max = 0;
      if (ParseQuantifier(min, max)) {
        if (assertion) Fail("nothing to repeat");
        NodePtr repeat = MakeNode(Kind::kRepeat);
        repeat->min = min;
        repeat->max = max;
        repeat->flag = true;
        if (!AtEnd() && Peek() == L'?') {
          repeat->flag = false;
          ++i_;
        }
        repeat->firstGroup = groupsBefore + 1;
        repeat->endGroup = groups_ + 1;
        repeat->children.push_back(std::move(atom));
        atom = std::move(repeat);
      }
      seq->children.push_back(std::move(atom));
    }
    return seq;
  }

  // "*", "+", "?", "{n}", "{n,}" or "{n,m}"; anything else starting with "{" is no repeat
  // and reads as text ("{,2}", "{12").
  bool ParseQuantifier(int& min, int& max) {
    if (AtEnd()) return false;
    switch (Peek()) {
      case L'*': ++i_; min = 0; max = -1; return true;
      case L'+': ++i_; min = 1; max = -1; return true;
      case L'?': ++i_; min = 0; max = 1; return true;
      case L'{': {
        std::size_t j = i_ + 1;
        // Counts saturate just above the limit, so that huge ones are refused, not wrapped.
        const auto number = [&](long& value) {
          const std::size_t start = j;
          value = 0;
          while (j < p_.size() && IsDigit(p_[j])) {
            value = std::min<long>(value * 10 + (p_[j++] - L'0'),
                                   static_cast<long>(kMaxRegExpRepeat) + 1);
          }
          return j > start;
        };
        long low = 0;
        long high = 0;
        if (!number(low)) return false;
        high = low;
        if (j < p_.size() && p_[j] == L',') {
          ++j;
          if (!number(high)) high = -1;
        }
        if (j >= p_.size() || p_[j] != L'}') return false;
        if (high != -1 && high < low) Fail("repeat counts out of order");
        const long limit = static_cast<long>(kMaxRegExpRepeat);
        if (low > limit || high > limit) Fail("repeat too large");
        min = static_cast<int>(low);
        max = static_cast<int>(high);
        i_ = j + 1;
        return true;
      }
      default:
        return false;
    }
  }

  NodePtr ParseAtom(int depth) {
    const wchar_t c = p_[i_++];
    switch (c) {
      case L'^': return MakeNode(Kind::kLineStart);
      case L'$': return MakeNode(Kind::kLineEnd);
      case L'.': return MakeNode(Kind::kAny);
      case L'*': case L'+': case L'?': Fail("nothing to repeat");
      case L'{': {
        --i_;
        int min = 0;
        int max = 0;
        if (ParseQuantifier(min, max)) Fail("nothing to repeat");
        ++i_;
        return Literal(c);
      }
      case L'[': return ParseClass();
      case L'(': return ParseGroup(depth);
      case L'\\': return ParseEscape();
      default: return Literal(c);
    }
  }

  NodePtr Literal(wchar_t c) {
    NodePtr node = MakeNode(Kind::kChar);
    node->ch = c;
    return node;
  }

  NodePtr ParseGroup(int depth) {
    NodePtr node;
    if (!AtEnd() && Peek() == L'?') {
      ++i_;
      const wchar_t kind = AtEnd() ? L'\0' : p_[i_++];
      if (kind == L':') {
        node = MakeNode(Kind::kConcat);  // a wrapper holding the alternatives
      } else if (kind == L'=' || kind == L'!') {
        node = MakeNode(Kind::kLook);
        node->flag = kind == L'!';
      } else {
        Fail("unsupported group");
      }
    } else {
      node = MakeNode(Kind::kGroup);
      node->index = ++groups_;
    }
    node->children.push_back(ParseAlternatives(depth + 1));
    if (AtEnd() || Peek() != L')') Fail("missing )");
    ++i_;
    return node;
  }

  // Up to three octal digits worth at most 0377, the first (c) already read: "\012", "\7".
  long OctalEscape(wchar_t c) {
    long value = c - L'0';
    const auto octal = [this] { return !AtEnd() && Peek() >= L'0' && Peek() <= L'7'; };
    if (octal()) {
      value = value * 8 + (p_[i_++] - L'0');
      if (value < 32 && octal()) value = value * 8 + (p_[i_++] - L'0');
    }
    return value;
  }

  // "\x" with two and "\u" with four hex digits; without them the letter itself.
  long HexEscape(wchar_t c) {
    const std::size_t digits = c == L'x' ? 2 : 4;
    long value = 0;
    for (std::size_t k = 0; k < digits; ++k) {
      const int digit = i_ + k < p_.size() ? HexValue(p_[i_ + k]) : -1;
      if (digit < 0) return c;
      value = value * 16 + digit;
    }
    i_ += digits;
    return value;
  }

  // The character an escape other than a class or a back reference stands for, after the
  // backslash and c were read. The older syntax scripts still use is read as browsers read
  // it: "\c" without a letter is a backslash (c comes next), "\x4g" and "\u00" are the
  // letters, "\0" to "\377" octal, "\8" and "\9" the digits, other escapes the character.
  long CharacterEscape(wchar_t c, bool inClass) {
    switch (c) {
      case L't': return L'\t';
      case L'n': return L'\n';
      case L'r': return L'\r';
      case L'v': return L'\v';
      case L'f': return L'\f';
      case L'c': {
        const wchar_t next = AtEnd() ? L'\0' : Peek();
        const bool letter = (next >= L'a' && next <= L'z') || (next >= L'A' && next <= L'Z');
        if (letter || (inClass && (IsDigit(next) || next == L'_'))) {
          ++i_;
          return next % 32;
        }
        --i_;  // the c is read again, as itself
        return L'\\';
      }
      case L'x':
      case L'u':
        return HexEscape(c);
      default:
        if (c >= L'0' && c <= L'7') return OctalEscape(c);
        return c;
    }
  }

  static bool NamedEscape(wchar_t c, Named& kind, bool& inverted) {
    switch (c) {
      case L'd': case L'D': kind = Named::kDigit; break;
      case L'w': case L'W': kind = Named::kWord; break;
      case L's': case L'S': kind = Named::kSpace; break;
      default: return false;
    }
    inverted = c == L'D' || c == L'W' || c == L'S';
    return true;
  }

  NodePtr ParseEscape() {
    if (AtEnd()) Fail("\\ at end of pattern");
    const wchar_t c = p_[i_++];
    Named kind{};
    bool inverted = false;
    if (NamedEscape(c, kind, inverted)) {
      CharClass cls;
      cls.named.emplace_back(kind, inverted);
      return AddClass(std::move(cls));
    }
    if (c == L'b') return MakeNode(Kind::kWordBoundary);
    if (c == L'B') return MakeNode(Kind::kNotWordBoundary);
    if (c >= L'1' && c <= L'9') {
      // A back reference when the pattern has that many groups, else octal or the digit.
      const std::size_t after = i_;
      long number = c - L'0';
      while (!AtEnd() && IsDigit(Peek())) {
        number = std::min<long>(number * 10 + (p_[i_++] - L'0'), 1'000'000);
      }
      if (number <= totalGroups_) {
        NodePtr node = MakeNode(Kind::kBackref);
        node->index = static_cast<int>(number);
        hasBackrefs_ = true;
        return node;
      }
      i_ = after;
    }
    return Literal(static_cast<wchar_t>(CharacterEscape(c, false)));
  }

  NodePtr AddClass(CharClass cls) {
    cls.Seal();
    NodePtr node = MakeNode(Kind::kClass);
    node->index = static_cast<int>(classes_.size());
    classes_.push_back(std::move(cls));
    return node;
  }

  // One member of a class: a character (returned) or a named set (added, -1 returned).
  long ClassAtom(CharClass& cls) {
    if (AtEnd()) Fail("missing ]");
    const wchar_t c = p_[i_++];
    if (c != L'\\') return c;
    if (AtEnd()) Fail("missing ]");
    const wchar_t e = p_[i_++];
    Named kind{};
    bool inverted = false;
    if (NamedEscape(e, kind, inverted)) {
      cls.named.emplace_back(kind, inverted);
      return -1;
    }
    if (e == L'b') return L'\b';
    return CharacterEscape(e, true);
  }

  NodePtr ParseClass() {
    CharClass cls;
    if (!AtEnd() && Peek() == L'^') {
      cls.negated = true;
      ++i_;
    }
    for (;;) {
      if (AtEnd()) Fail("missing ]");
      if (Peek() == L']') {
        ++i_;
        break;
      }
      const long low = ClassAtom(cls);
      if (!AtEnd() && Peek() == L'-' && i_ + 1 < p_.size() && p_[i_ + 1] != L']') {
        ++i_;
        const long high = ClassAtom(cls);
        if (low < 0 || high < 0) {
          // "[\w-.]": with a class at either end the dash is a character of its own.
          for (const long single : {low, long{L'-'}, high}) {
            const auto c = static_cast<wchar_t>(single);
            if (single >= 0) cls.ranges.emplace_back(c, c);
          }
          continue;
        }
        if (high < low) Fail("invalid range in class");
        cls.ranges.emplace_back(static_cast<wchar_t>(low), static_cast<wchar_t>(high));
      } else if (low >= 0) {
        cls.ranges.emplace_back(static_cast<wchar_t>(low), static_cast<wchar_t>(low));
      }
    }
    return AddClass(std::move(cls));
  }

  std::wstring_view p_;
  std::size_t i_ = 0;
  std::vector<CharClass>& classes_;
  int totalGroups_;
  int groups_ = 0;
  bool hasBackrefs_ = false;
};

}  // namespace

[[noreturn]] void Fail(const char* what) {
  throw RegExpError(std::string("regular expression: ") + what);
}

Parsed Parse(std::wstring_view pattern, std::vector<CharClass>& classes) {
  Parser parser(pattern, classes);
  Parsed parsed;
  parsed.root = parser.ParseAll();
  parsed.groups = parser.Groups();
  parsed.hasBackrefs = parser.HasBackrefs();
  return parsed;
}

}  // namespace tarvik::util::regex_detail
