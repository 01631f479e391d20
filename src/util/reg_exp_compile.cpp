// Compiling the pattern tree into the program the matcher runs.

#include <cstddef>
#include <string>
#include <vector>

#include "util/reg_exp_internal.h"

namespace tarvik::util::regex_detail {
namespace {

// Instructions of a compiled pattern (counted repeats are written out).
constexpr std::size_t kMaxProgram = 1'000'000;

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

}  // namespace

Program Compile(const std::wstring& pattern, bool ignoreCase) {
  Program prog;
  prog.ignoreCase = ignoreCase;
  const Parsed parsed = Parse(pattern, prog.classes);
  prog.groups = parsed.groups;
  Compiler compiler(prog, !parsed.hasBackrefs);
  compiler.EmitWhole(*parsed.root);
  return prog;
}

}  // namespace tarvik::util::regex_detail
