#include <windows.h>

#include <memory>
#include <type_traits>

#include "util/large_stack.h"

namespace tarvik::util {
namespace {

struct HandleCloser {
  void operator()(HANDLE handle) const noexcept { CloseHandle(handle); }
};
using UniqueThread = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

DWORD WINAPI LargeStackThreadMain(LPVOID arg) {
  const auto* work = static_cast<const std::function<void()>*>(arg);
  (*work)();
  return 0;
}

}  // namespace

bool RunOnLargeStack(const std::function<void()>& work) {
  // Reserve the stack; pages are committed only as the recursion reaches them.
  UniqueThread thread(CreateThread(nullptr, kLargeStackBytes, &LargeStackThreadMain,
                                   const_cast<std::function<void()>*>(&work),
                                   STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
  if (!thread) return false;
  WaitForSingleObject(thread.get(), INFINITE);
  return true;
}

}  // namespace tarvik::util
