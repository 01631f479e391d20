#include <gtest/gtest.h>

#include <cstdlib>

#include "note_store_model.h"

namespace tarvik::test {
namespace {

// TARVIK_SEED=n starts at seed n, to look at one failure on its own; TARVIK_SEEDS=n runs n.
std::uint32_t FromEnvironment(const char* name, std::uint32_t fallback) {
  const char* value = std::getenv(name);
  return value ? static_cast<std::uint32_t>(std::strtoul(value, nullptr, 10)) : fallback;
}

// Random sessions of loads, edits and saves over a folder where any operation may fail, take
// effect yet report failure, or stop the program: every load shows the last set saved or one
// attempted after it, and a save reported done is what loads next.
TEST(NoteStoreProperty, EveryLoadShowsASavedSetWhateverFails) {
  const std::uint32_t first = FromEnvironment("TARVIK_SEED", 1);
  const std::uint32_t last = first + FromEnvironment("TARVIK_SEEDS", 400) - 1;
  for (std::uint32_t seed = first; seed <= last; ++seed) {
    SeededChoices choices(seed);
    const std::string error = RunNoteStoreProperty(choices, 40);
    ASSERT_EQ(error, "") << "seed " << seed;
  }
}

}  // namespace
}  // namespace tarvik::test
