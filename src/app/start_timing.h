#pragma once
// Where the start's time goes, for the whole-program benchmark under Wine (bench/wine): with
// the environment variable TARVIK_START_TIMING naming a file, each step of the start appends
// "<step> <microseconds on the steady clock>" to it. Without it nothing is timed or written.

#include <string_view>

namespace tarvik::app {

void MarkStartStep(std::string_view step);

}  // namespace tarvik::app
