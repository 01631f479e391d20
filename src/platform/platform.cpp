#include "platform/platform.h"

#include <thread>

namespace tarvik::platform {

void PumpEventsFor(EventLoop& loop, Clock& clock, std::uint32_t milliseconds, IdleFn idle) {
  const std::uint32_t start = clock.TickCount();
  // Unsigned difference: the tick count wrapping around 2^32 neither ends the wait early nor
  // makes it last.
  for (;;) {
    loop.DoEvents();
    const std::uint32_t elapsed = clock.TickCount() - start;
    if (elapsed >= milliseconds) return;
    if (idle != nullptr) {
      idle(milliseconds - elapsed);
    } else {
      std::this_thread::yield();
    }
  }
}

}  // namespace tarvik::platform
