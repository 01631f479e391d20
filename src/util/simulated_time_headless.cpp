#include "platform/headless/headless_platform.h"
#include "util/simulated_time.h"

namespace tarvik::util {

bool AdvanceSimulatedTime(platform::Platform& platform, std::uint32_t milliseconds) {
  auto* headless = dynamic_cast<platform::headless::HeadlessPlatform*>(&platform);
  if (!headless) return false;
  headless->AdvanceTime(milliseconds);
  return true;
}

}  // namespace tarvik::util
