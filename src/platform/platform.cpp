#include "platform/platform.h"

#include <thread>

namespace tarvik::platform {

void PumpEventsFor(EventLoop& loop, Clock& clock, std::uint32_t milliseconds) {
  const std::uint32_t start = clock.TickCount();
  // Unsigned difference: the tick count wrapping around 2^32 neither ends the wait early nor
  // makes it last.
  do {
    loop.DoEvents();
    std::this_thread::yield();
  } while (clock.TickCount() - start < milliseconds);
}

}  // namespace tarvik::platform
