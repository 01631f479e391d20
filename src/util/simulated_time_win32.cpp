#include "util/simulated_time.h"

namespace tarvik::util {

bool AdvanceSimulatedTime(platform::Platform&, std::uint32_t) {
  return false;
}

}  // namespace tarvik::util
