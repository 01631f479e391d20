// The headless backend has no other programs' windows: clsWindow gets a system in which
// nothing is found and nothing happens.

#include <ctime>

#include "util/cls_window.h"
#include "util/empty_window_system.h"

namespace tarvik::util {

std::unique_ptr<WindowSystem> CreateNativeWindowSystem() {
  return std::make_unique<EmptyWindowSystem>();
}

std::wstring CurrentLogDateTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return FormatLogDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                           local.tm_min, local.tm_sec);
}

}  // namespace tarvik::util
