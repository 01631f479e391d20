#include "app/start_timing.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace tarvik::app {

void MarkStartStep(std::string_view step) {
  static const char* const log = std::getenv("TARVIK_START_TIMING");
  if (!log || !*log) return;
  const auto now = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
  // Opened and closed for every step: a start ended by force keeps what it logged.
  if (std::FILE* file = std::fopen(log, "a")) {
    std::fprintf(file, "%.*s %lld\n", static_cast<int>(step.size()), step.data(),
                 static_cast<long long>(now.count()));
    std::fclose(file);
  }
}

}  // namespace tarvik::app
