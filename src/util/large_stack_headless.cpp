#include <pthread.h>

#include "util/large_stack.h"

namespace tarvik::util {
namespace {

extern "C" void* LargeStackThreadMain(void* arg) {
  const auto* work = static_cast<const std::function<void()>*>(arg);
  (*work)();
  return nullptr;
}

}  // namespace

bool RunOnLargeStack(const std::function<void()>& work) {
  pthread_attr_t attr;
  if (pthread_attr_init(&attr) != 0) return false;
  pthread_t thread;
  const bool started = pthread_attr_setstacksize(&attr, kLargeStackBytes) == 0 &&
                       pthread_create(&thread, &attr, &LargeStackThreadMain,
                                      const_cast<std::function<void()>*>(&work)) == 0;
  pthread_attr_destroy(&attr);
  if (started) pthread_join(thread, nullptr);
  return started;
}

}  // namespace tarvik::util
