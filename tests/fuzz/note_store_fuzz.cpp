// The note store's property check with the fuzzer making every choice: which operations fail,
// how, and where the program stops; which edits, saves and start-ups happen.
#include <cstdio>
#include <cstdlib>

#include "note_store_model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tarvik::test::ByteChoices choices(data, size);
  const std::string error = tarvik::test::RunNoteStoreProperty(choices, 64);
  if (!error.empty()) {
    std::fprintf(stderr, "note store property broken: %s\n", error.c_str());
    std::abort();
  }
  return 0;
}
