// Running a compiled program over a text, within a step budget.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "util/reg_exp_internal.h"

namespace tarvik::util::regex_detail {
namespace {

// Entries of the backtracking stack (12 bytes each), well above the few a character that
// ordinary patterns leave.
constexpr std::size_t kMaxStack = std::size_t{1} << 23;
// Entries of the failure memo (4 bytes each); above it the budget alone guards.
constexpr std::size_t kMaxMemo = std::size_t{1} << 23;

// Shared by every search of one call, so that the whole call stays within the budget.
class Matcher {
 public:
  Matcher(const Program& prog, const std::wstring& text)
      : prog_(prog), text_(text), n_(static_cast<int>(text.size())),
        captures_(static_cast<std::size_t>(2 * (prog.groups + 1)), -1),
        registers_(static_cast<std::size_t>(prog.registers), -1),
        budget_(kRegExpStepsFixed + kRegExpStepsPerChar * text.size()) {
    const std::size_t cells = static_cast<std::size_t>(prog.memoSlots) * (text.size() + 1);
    if (prog.memoSlots > 0 && cells <= kMaxMemo) memo_.assign(cells, 0);
  }

  // The first match at from or later.
  std::optional<Found> Search(std::size_t from) {
    NewGeneration();
    for (int start = static_cast<int>(from); start <= n_; ++start) {
      std::fill(captures_.begin(), captures_.end(), -1);
      int end = 0;
      if (Run(0, start, end)) {
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
    if (steps_ > budget_) Fail("pattern too complex for this text");
  }

  void Push(Entry entry) {
    if (stack_.size() >= kMaxStack) Fail("pattern too complex for this text");
    stack_.push_back(entry);
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
    Push({Frame::kCapture, slot, cell});
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
  bool Run(int pc, int pos, int& end) {
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
          case Op::kClass: {
            const CharClass& cls = prog_.classes[static_cast<std::size_t>(in.x)];
            Count(std::bit_width(cls.ranges.size()) / 2);  // the search of a long class
            failed = !(pos < n_ && cls.Has(text_[pos], prog_.ignoreCase));
            ++pos;
            break;
          }
          case Op::kLineStart: failed = !LineStart(pos); break;
          case Op::kLineEnd: failed = !LineEnd(pos); break;
          case Op::kWordBoundary: failed = WordAt(pos - 1) == WordAt(pos); break;
          case Op::kNotWordBoundary: failed = WordAt(pos - 1) != WordAt(pos); break;
          case Op::kSplit:
            Push({Frame::kBranch, in.y, pos});
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
            Push({Frame::kRegister, in.x, cell});
            cell = pos;
            break;
          }
          case Op::kCheck:
            failed = registers_[static_cast<std::size_t>(in.x)] == pos;
            break;
          case Op::kClear:
            // Two slots a group, each pushed and later popped.
            Count(4 * static_cast<std::uint64_t>(in.y - in.x));
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
            const bool matched = Run(pc + 1, pos, lookEnd);
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
  std::uint64_t budget_;
  std::uint64_t steps_ = 0;
};

}  // namespace

void ForEachMatch(const Program& prog, const std::wstring& text,
                  const std::function<bool(const Found&)>& onMatch) {
  Matcher matcher(prog, text);
  std::size_t from = 0;
  while (from <= text.size()) {
    const std::optional<Found> found = matcher.Search(from);
    if (!found || !onMatch(*found)) return;
    // After an empty match the next one is looked for one character on, as in ECMAScript.
    from = found->end + (found->end == found->start ? 1 : 0);
  }
}

}  // namespace tarvik::util::regex_detail
