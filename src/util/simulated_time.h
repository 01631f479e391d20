#pragma once
// The headless backend's clock only moves when told to, so a loop waiting for it would never
// end there: waits move it instead.

#include <cstdint>

#include "platform/platform.h"

namespace tarvik::util {

// Moves the clock of a headless platform on by milliseconds (firing the timers that fall due)
// and returns true; false for a platform with a real clock.
bool AdvanceSimulatedTime(platform::Platform& platform, std::uint32_t milliseconds);

}  // namespace tarvik::util
