#include "util/reg_exp.h"

#include <cstdint>
#include <functional>
#include <new>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

// A small backtracking matcher of our own. The standard library's engine can neither be
// stopped nor bounded: some patterns ("(a*)*b", "(|ba)*c") keep it busy for ever on a short
// text. Here every instruction run counts against a budget, and branch points whose outcome
// depends on the position alone remember where they already failed, so the usual patterns
// stay linear in the text.

namespace tarvik::util {
namespace {

// Well under a second of matching on an ordinary machine.
constexpr std::uint64_t kStepBudget = 10'000'000;
// Instructions of a compiled pattern (counted repeats are written out).
constexpr std::size_t kMaxProgram = 1'000'000;
// Parentheses inside parentheses; the parser and lookaheads recurse once per level.
constexpr int kMaxNesting = 200;
// Entries of the failure memo (4 bytes each); above it the budget alone guards.
constexpr std::size_t kMaxMemo = std::size_t{1} << 23;

[[noreturn]] void Fail(const char* what) {
  throw RegExpError(std::string("regular expression: ") + what);
}

bool IsLineTerminator(wchar_t c) {
  return c == L'\n' || c == L'\r';
}

bool IsDigit(wchar_t c) {
  return c >= L'0' && c <= L'9';
}

bool IsWordChar(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || IsDigit(c) || c == L'_';
}

bool IsSpace(wchar_t c) {
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
wchar_t ToLower(wchar_t c) {
  const auto in = [c](int from, int to) { return c >= from && c <= to; };
  if (in(L'A', L'Z') || (in(0xC0, 0xDE) && c != 0xD7) || (in(0x391, 0x3A9) && c != 0x3A2) ||
      in(0x410, 0x42F) || in(0xFF21, 0xFF3A)) {
    return static_cast<wchar_t>(c + 0x20);
  }
  if (in(0x400, 0x40F)) return static_cast<wchar_t>(c + 0x50);
  return c;
}

wchar_t ToUpper(wchar_t c) {
  const auto in = [c](int from, int to) { return c >= from && c <= to; };
  if (in(L'a', L'z') || (in(0xE0, 0xFE) && c != 0xF7) || (in(0x3B1, 0x3C9) && c != 0x3C2) ||
      in(0x430, 0x44F) || in(0xFF41, 0xFF5A)) {
    return static_cast<wchar_t>(c - 0x20);
  }
  if (in(0x450, 0x45F)) return static_cast<wchar_t>(c - 0x50);
  return c;
}

enum class Named { kDigit, kWord, kSpace };

bool IsNamed(Named kind, wchar_t c) {
  switch (kind) {
    case Named::kDigit: return IsDigit(c);
    case Named::kWord: return IsWordChar(c);
    case Named::kSpace: return IsSpace(c);
  }
  return false;
}

struct CharClass {
  std::vector<std::pair<wchar_t, wchar_t>> ranges;
  std::vector<std::pair<Named, bool>> named;  // \d, \w, \s; true for \D, \W, \S
  bool negated = false;

  bool HasExactly(wchar_t c) const {
    for (const auto& [low, high] : ranges) {
      if (c >= low && c <= high) return true;
    }
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

// ---- parsing ----------------------------------------------------------------------------

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

  // A count too large was refused before parsing (CheckRepeatCounts).
  bool ParseQuantifier(int& min, int& max) {
    if (AtEnd()) return false;
    switch (Peek()) {
      case L'*': ++i_; min = 0; max = -1; return true;
      case L'+': ++i_; min = 1; max = -1; return true;
      case L'?': ++i_; min = 0; max = 1; return true;
      case L'{': {
        std::size_t j = i_ + 1;
        const auto number = [&](int& value) {
          const std::size_t start = j;
          value = 0;
          while (j < p_.size() && IsDigit(p_[j])) value = value * 10 + (p_[j++] - L'0');
          return j > start;
        };
        if (!number(min)) return false;
        max = min;
        if (j < p_.size() && p_[j] == L',') {
          ++j;
          if (!number(max)) max = -1;
        }
        if (j >= p_.size() || p_[j] != L'}') return false;
        if (max != -1 && max < min) Fail("repeat counts out of order");
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

  // An escape that stands for one character, or -1 when c starts no such escape.
  long CharacterEscape(wchar_t c) {
    switch (c) {
      case L't': return L'\t';
      case L'n': return L'\n';
      case L'r': return L'\r';
      case L'v': return L'\v';
      case L'f': return L'\f';
      case L'0':
        if (!AtEnd() && IsDigit(Peek())) Fail("invalid escape");
        return 0;
      case L'c': {
        if (AtEnd()) Fail("invalid escape");
        const wchar_t letter = p_[i_++];
        if (!((letter >= L'a' && letter <= L'z') || (letter >= L'A' && letter <= L'Z'))) {
          Fail("invalid escape");
        }
        return letter % 32;
      }
      case L'x':
      case L'u': {
        const int digits = c == L'x' ? 2 : 4;
        long value = 0;
        for (int k = 0; k < digits; ++k) {
          const int digit = AtEnd() ? -1 : HexValue(p_[i_]);
          if (digit < 0) Fail("invalid escape");
          value = value * 16 + digit;
          ++i_;
        }
        return value;
      }
      default:
        return -1;
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
      int number = c - L'0';
      while (!AtEnd() && IsDigit(Peek()) && number <= totalGroups_) {
        number = number * 10 + (p_[i_++] - L'0');
      }
      if (number > totalGroups_) Fail("invalid back reference");
      NodePtr node = MakeNode(Kind::kBackref);
      node->index = number;
      hasBackrefs_ = true;
      return node;
    }
    const long value = CharacterEscape(c);
    return Literal(value >= 0 ? static_cast<wchar_t>(value) : c);
  }

  NodePtr AddClass(CharClass cls) {
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
    if (IsDigit(e) && e != L'0') Fail("invalid escape in class");
    const long value = CharacterEscape(e);
    return value >= 0 ? value : e;
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
        if (low < 0 || high < 0) Fail("invalid range in class");
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

bool CanBeEmpty(const Node& node) {
  switch (node.kind) {
    case Kind::kChar: case Kind::kAny: case Kind::kClass:
      return false;
    case Kind::kGroup:
      return CanBeEmpty(*node.children[0]);
    case Kind::kConcat:
      for (const NodePtr& child : node.children) {
        if (!CanBeEmpty(*child)) return false;
      }
      return true;
    case Kind::kAlt:
      for (const NodePtr& child : node.children) {
        if (CanBeEmpty(*child)) return true;
      }
      return false;
    case Kind::kRepeat:
      return node.min == 0 || CanBeEmpty(*node.children[0]);
    default:
      return true;
  }
}

// ---- compiling --------------------------------------------------------------------------

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

class Compiler {
 public:
  Compiler(Program& program, bool remember) : prog_(program), remember_(remember) {}

  void Emit(const Node& node, int loopDepth, bool inLook) {
    switch (node.kind) {
      case Kind::kEmpty: return;
      case Kind::kChar: Add({Op::kChar, 0, 0, node.ch}); return;
      case Kind::kAny: Add({Op::kAny}); return;
      case Kind::kClass: Add({Op::kClass, node.index}); return;
      case Kind::kLineStart: Add({Op::kLineStart}); return;
      case Kind::kLineEnd: Add({Op::kLineEnd}); return;
      case Kind::kWordBoundary: Add({Op::kWordBoundary}); return;
      case Kind::kNotWordBoundary: Add({Op::kNotWordBoundary}); return;
      case Kind::kBackref: Add({Op::kBackref, node.index}); return;
      case Kind::kGroup:
        Add({Op::kSave, 2 * node.index});
        Emit(*node.children[0], loopDepth, inLook);
        Add({Op::kSave, 2 * node.index + 1});
        return;
      case Kind::kConcat:
        for (const NodePtr& child : node.children) Emit(*child, loopDepth, inLook);
        return;
      case Kind::kAlt: {
        std::vector<int> jumps;
        for (std::size_t k = 0; k < node.children.size(); ++k) {
          int split = -1;
          if (k + 1 < node.children.size()) split = AddSplit(loopDepth, inLook);
          Emit(*node.children[k], loopDepth, inLook);
          if (k + 1 < node.children.size()) {
            jumps.push_back(Add({Op::kJmp}));
            prog_.code[split].x = split + 1;
            prog_.code[split].y = Here();
          }
        }
        for (const int jump : jumps) prog_.code[jump].x = Here();
        return;
      }
      case Kind::kLook: {
        const int look = Add({Op::kLook, 0, node.flag ? 1 : 0});
        Emit(*node.children[0], loopDepth, true);
        Add({Op::kMatch});
        prog_.code[look].x = Here();
        return;
      }
      case Kind::kRepeat:
        EmitRepeat(node, loopDepth, inLook);
        return;
    }
  }

 // Group 0 around the pattern is the whole match.
  void EmitWhole(const Node& root) {
    Add({Op::kSave, 0});
    Emit(root, 0, false);
    Add({Op::kSave, 1});
    Add({Op::kMatch});
  }

 private:
  int Here() const { return static_cast<int>(prog_.code.size()); }

  int Add(Inst inst) {
    if (prog_.code.size() >= kMaxProgram) Fail("pattern too large");
    prog_.code.push_back(inst);
    prog_.memoSlot.push_back(-1);
    return Here() - 1;
  }

  // A branch point is remembered where its outcome depends on the position alone: not inside
  // a lookahead, nor inside a loop that checks for empty iterations, nor with back references.
  int AddSplit(int loopDepth, bool inLook) {
    const int at = Add({Op::kSplit});
    if (remember_ && loopDepth == 0 && !inLook) prog_.memoSlot[at] = prog_.memoSlots++;
    return at;
  }

  void EmitIteration(const Node& node, bool checked, int loopDepth, bool inLook) {
    const int reg = checked ? prog_.registers++ : 0;
    if (checked) Add({Op::kMark, reg});
    if (node.endGroup > node.firstGroup) Add({Op::kClear, node.firstGroup, node.endGroup});
    Emit(*node.children[0], checked ? loopDepth + 1 : loopDepth, inLook);
    if (checked) Add({Op::kCheck, reg});
  }

  void SetSplit(int split, int body, int exit, bool greedy) {
    prog_.code[split].x = greedy ? body : exit;
    prog_.code[split].y = greedy ? exit : body;
  }

  void EmitRepeat(const Node& node, int loopDepth, bool inLook) {
    const bool nullable = CanBeEmpty(*node.children[0]);
    const bool greedy = node.flag;
    for (int k = 0; k < node.min; ++k) EmitIteration(node, false, loopDepth, inLook);
    if (node.max == -1) {
      const int loop = AddSplit(loopDepth, inLook);
      EmitIteration(node, nullable, loopDepth, inLook);
      Add({Op::kJmp, loop});
      SetSplit(loop, loop + 1, Here(), greedy);
      return;
    }
    // Optional iterations: failing to take one leaves out the rest.
    std::vector<int> splits;
    for (int k = node.min; k < node.max; ++k) {
      splits.push_back(AddSplit(loopDepth, inLook));
      EmitIteration(node, nullable, loopDepth, inLook);
    }
    for (const int split : splits) SetSplit(split, split + 1, Here(), greedy);
  }

  Program& prog_;
  bool remember_;
};

Program Compile(const std::wstring& pattern, bool ignoreCase) {
  CheckRepeatCounts(pattern);
  Program prog;
  prog.ignoreCase = ignoreCase;
  Parser parser(pattern, prog.classes);
  const NodePtr root = parser.ParseAll();
  prog.groups = parser.Groups();
  Compiler compiler(prog, !parser.HasBackrefs());
  compiler.EmitWhole(*root);
  return prog;
}

// ---- matching ---------------------------------------------------------------------------

struct Found {
  std::size_t start = 0;
  std::size_t end = 0;
  const std::vector<int>* captures = nullptr;  // 2 slots per group, -1 when unset
};

// Shared by every search of one call, so that the whole call stays within the budget.
class Matcher {
 public:
  Matcher(const Program& prog, const std::wstring& text)
      : prog_(prog), text_(text), n_(static_cast<int>(text.size())),
        captures_(static_cast<std::size_t>(2 * (prog.groups + 1)), -1),
        registers_(static_cast<std::size_t>(prog.registers), -1) {
    const std::size_t cells = static_cast<std::size_t>(prog.memoSlots) * (text.size() + 1);
    if (prog.memoSlots > 0 && cells <= kMaxMemo) memo_.assign(cells, 0);
  }

  // The first match at from or later; with nonEmptyAt, only a non-empty match at from.
  std::optional<Found> Search(std::size_t from, bool nonEmptyAt) {
    NewGeneration();
    const int last = nonEmptyAt ? static_cast<int>(from) : n_;
    for (int start = static_cast<int>(from); start <= last; ++start) {
      std::fill(captures_.begin(), captures_.end(), -1);
      int end = 0;
      if (Run(0, start, start, nonEmptyAt, end)) {
        stack_.clear();
        return Found{static_cast<std::size_t>(start), static_cast<std::size_t>(end), &captures_};
      }
    }
    return std::nullopt;
  }

 private:
  enum class Frame : std::uint8_t { kBranch, kCapture, kRegister };
  struct Entry {
    Frame frame;
    int a;  // instruction, capture slot or register
    int b;  // position or the value to put back
  };

  void NewGeneration() {
    if (memo_.empty()) return;
    if (++generation_ == 0) {
      std::fill(memo_.begin(), memo_.end(), 0);
      generation_ = 1;
    }
  }

  bool Same(wchar_t a, wchar_t b) const {
    return a == b || (prog_.ignoreCase && ToLower(a) == ToLower(b));
  }

  bool WordAt(int pos) const { return pos >= 0 && pos < n_ && IsWordChar(text_[pos]); }

  // A CR LF pair is one line break: no line starts or ends between its two characters.
  bool LineStart(int pos) const {
    if (pos == 0) return true;
    if (!IsLineTerminator(text_[pos - 1])) return false;
    return !(text_[pos - 1] == L'\r' && pos < n_ && text_[pos] == L'\n');
  }

  bool LineEnd(int pos) const {
    if (pos == n_) return true;
    if (!IsLineTerminator(text_[pos])) return false;
    return !(text_[pos] == L'\n' && pos > 0 && text_[pos - 1] == L'\r');
  }

  void Count(std::uint64_t steps) {
    steps_ += steps;
    if (steps_ > kStepBudget) Fail("pattern too complex for this text");
  }

  void Unwind(std::size_t base) {
    while (stack_.size() > base) {
      const Entry e = stack_.back();
      stack_.pop_back();
      if (e.frame == Frame::kCapture) captures_[static_cast<std::size_t>(e.a)] = e.b;
      if (e.frame == Frame::kRegister) registers_[static_cast<std::size_t>(e.a)] = e.b;
    }
  }

  void SetCapture(int slot, int value) {
    int& cell = captures_[static_cast<std::size_t>(slot)];
    if (cell == value) return;
    stack_.push_back({Frame::kCapture, slot, cell});
    cell = value;
  }

  bool Backref(int group, int& pos) {
    const int from = captures_[static_cast<std::size_t>(2 * group)];
    const int to = captures_[static_cast<std::size_t>(2 * group + 1)];
    if (from < 0 || to < from) return true;  // an unset group matches the empty text
    const int length = to - from;
    if (length > n_ - pos) return false;
    Count(static_cast<std::uint64_t>(length));
    for (int k = 0; k < length; ++k) {
      if (!Same(text_[from + k], text_[pos + k])) return false;
    }
    pos += length;
    return true;
  }

  // Runs from pc at pos until a match (end receives its end; the entries pushed on the way
  // stay for the caller) or until every alternative failed (the stack is as it was).
  bool Run(int pc, int pos, int start, bool nonEmpty, int& end) {
    const std::size_t base = stack_.size();
    for (;;) {
      bool failed = false;
      while (!failed) {
        Count(1);
        const Inst& in = prog_.code[static_cast<std::size_t>(pc)];
        const int slot = prog_.memoSlot[static_cast<std::size_t>(pc)];
        if (slot >= 0 && !memo_.empty()) {
          std::uint32_t& seen =
              memo_[static_cast<std::size_t>(slot) * static_cast<std::size_t>(n_ + 1) +
                    static_cast<std::size_t>(pos)];
          if (seen == generation_) {
            failed = true;
            break;
          }
          seen = generation_;
        }
        switch (in.op) {
          case Op::kChar:
            failed = !(pos < n_ && Same(text_[pos], in.ch));
            ++pos;
            break;
          case Op::kAny:
            failed = !(pos < n_ && !IsLineTerminator(text_[pos]));
            ++pos;
            break;
          case Op::kClass:
            failed = !(pos < n_ &&
                       prog_.classes[static_cast<std::size_t>(in.x)].Has(text_[pos],
                                                                         prog_.ignoreCase));
            ++pos;
            break;
          case Op::kLineStart: failed = !LineStart(pos); break;
          case Op::kLineEnd: failed = !LineEnd(pos); break;
          case Op::kWordBoundary: failed = WordAt(pos - 1) == WordAt(pos); break;
          case Op::kNotWordBoundary: failed = WordAt(pos - 1) != WordAt(pos); break;
          case Op::kSplit:
            stack_.push_back({Frame::kBranch, in.y, pos});
            pc = in.x;
            continue;
          case Op::kJmp:
            pc = in.x;
            continue;
          case Op::kSave:
            SetCapture(in.x, pos);
            break;
          case Op::kMark: {
            int& cell = registers_[static_cast<std::size_t>(in.x)];
            stack_.push_back({Frame::kRegister, in.x, cell});
            cell = pos;
            break;
          }
          case Op::kCheck:
            failed = registers_[static_cast<std::size_t>(in.x)] == pos;
            break;
          case Op::kClear:
            Count(static_cast<std::uint64_t>(in.y - in.x));  // what it may push, too
            for (int g = in.x; g < in.y; ++g) {
              SetCapture(2 * g, -1);
              SetCapture(2 * g + 1, -1);
            }
            break;
          case Op::kBackref:
            failed = !Backref(in.x, pos);
            break;
          case Op::kLook: {
            const std::size_t lookBase = stack_.size();
            int lookEnd = 0;
            const bool matched = Run(pc + 1, pos, pos, false, lookEnd);
            if (matched && in.y != 0) {
              Unwind(lookBase);  // what a negative lookahead captured is dropped
              failed = true;
            } else if (matched) {
              // No way back into a lookahead: keep only what undoes its captures.
              std::size_t kept = lookBase;
              for (std::size_t k = lookBase; k < stack_.size(); ++k) {
                if (stack_[k].frame != Frame::kBranch) stack_[kept++] = stack_[k];
              }
              stack_.resize(kept);
            } else {
              failed = in.y == 0;
            }
            if (!failed) {
              pc = in.x;
              continue;
            }
            break;
          }
          case Op::kMatch:
            if (nonEmpty && pos == start) {
              failed = true;
              break;
            }
            end = pos;
            return true;
        }
        ++pc;
      }
      // Back to the latest branch, undoing what was set since.
      for (;;) {
        if (stack_.size() == base) return false;
        const Entry e = stack_.back();
        stack_.pop_back();
        if (e.frame == Frame::kBranch) {
          pc = e.a;
          pos = e.b;
          break;
        }
        if (e.frame == Frame::kCapture) captures_[static_cast<std::size_t>(e.a)] = e.b;
        if (e.frame == Frame::kRegister) registers_[static_cast<std::size_t>(e.a)] = e.b;
      }
    }
  }

  const Program& prog_;
  const std::wstring& text_;
  int n_;
  std::vector<int> captures_;
  std::vector<int> registers_;
  std::vector<Entry> stack_;
  std::vector<std::uint32_t> memo_;
  std::uint32_t generation_ = 0;
  std::uint64_t steps_ = 0;
};

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

// Every match in order, as a global search finds them; onMatch returns false to stop. After
// an empty match only a non-empty one may start at the same place.
void ForEachMatch(const Program& prog, const std::wstring& text,
                  const std::function<bool(const Found&)>& onMatch) {
  Matcher matcher(prog, text);
  std::size_t from = 0;
  bool afterEmpty = false;
  while (from <= text.size()) {
    const std::optional<Found> found = matcher.Search(from, afterEmpty);
    if (!found) {
      if (!afterEmpty || from == text.size()) return;
      afterEmpty = false;
      ++from;
      continue;
    }
    if (!onMatch(*found)) return;
    from = found->end;
    afterEmpty = found->end == found->start;
  }
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

void CheckRepeatCounts(const std::wstring& pattern) {
  // Also refuses a repeat of a repeat ("a**", "a{2}+", "a*?*"): ECMAScript has nothing to
  // repeat there.
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
