// The headless backend has no other programs' windows: clsWindow gets the neutral
// WindowSystem (nothing found, nothing happens), and waiting moves the simulated clock.

#include <ctime>

#include "platform/headless/headless_platform.h"
#include "util/cls_window.h"

namespace tarvik::util {

std::unique_ptr<WindowSystem> CreateNativeWindowSystem() {
  return std::make_unique<WindowSystem>();
}

void clsWindow::Wait(std::int32_t milliseconds) {
  platform_.DoEvents();
  if (milliseconds <= 0) return;
  // The simulated clock only moves when told to; a clock loop would never end here.
  if (auto* headless = dynamic_cast<platform::headless::HeadlessPlatform*>(&platform_)) {
    headless->AdvanceTime(static_cast<std::uint32_t>(milliseconds));
    return;
  }
  const std::uint32_t start = platform_.TickCount();
  while (static_cast<std::int32_t>(platform_.TickCount() - start) < milliseconds) {
    platform_.DoEvents();
  }
}

std::wstring CurrentLogDateTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return FormatLogDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                           local.tm_min, local.tm_sec);
}

}  // namespace tarvik::util
