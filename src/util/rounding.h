#pragma once

namespace tarvik::util {

// The nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4), so a shape
// and its mirror image get the same number of pixels. Values beyond the int range stop at
// its ends, and a value that is not a number gives 0.
int RoundHalfEven(double value);

}  // namespace tarvik::util
