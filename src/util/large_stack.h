#pragma once
// Runs work on a helper thread with a very large stack and waits for it. The standard
// library's regular-expression matcher recurses about once per input character, so a long
// text would overflow the normal 1-8 MB stack of the user-interface thread.

#include <cstddef>
#include <functional>

namespace tarvik::util {

inline constexpr std::size_t kLargeStackBytes = std::size_t{512} << 20;  // address space only

// False when no such thread could be started; work has then not run. work must not throw.
bool RunOnLargeStack(const std::function<void()>& work);

// Runs work, which may throw, so that neither a bad regular expression nor a long input can
// take the program down: inputs longer than inlineLimit run on a large stack. False when work
// threw or could not be run.
bool RunGuarded(std::size_t inputSize, std::size_t inlineLimit, const std::function<void()>& work);

}  // namespace tarvik::util
