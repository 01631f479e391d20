#include "util/large_stack.h"

namespace tarvik::util {

bool RunGuarded(std::size_t inputSize, std::size_t inlineLimit, const std::function<void()>& work) {
  bool ok = false;
  const std::function<void()> guarded = [&]() noexcept {
    try {
      work();
      ok = true;
    } catch (...) {
      // A bad pattern (regex_error), too little memory or too much backtracking: no
      // result. Nothing may leave the helper thread's entry function.
    }
  };
  if (inputSize <= inlineLimit) {
    guarded();
    return ok;
  }
  return RunOnLargeStack(guarded) && ok;
}

}  // namespace tarvik::util
