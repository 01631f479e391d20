#include "util/rounding.h"

#include <cmath>
#include <limits>

namespace tarvik::util {

int RoundHalfEven(double value) {
  if (std::isnan(value)) return 0;
  constexpr double kMin = std::numeric_limits<int>::min();
  constexpr double kMax = std::numeric_limits<int>::max();
  if (value <= kMin) return std::numeric_limits<int>::min();
  if (value >= kMax) return std::numeric_limits<int>::max();
  const double floor = std::floor(value);
  const double rest = value - floor;
  double whole = floor;
  if (rest > 0.5 || (rest == 0.5 && std::fmod(floor, 2.0) != 0.0)) whole += 1.0;
  return static_cast<int>(whole);
}

}  // namespace tarvik::util
