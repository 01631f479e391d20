// The regular-expression runner: any pattern and text either give an answer or a RegExpError,
// never a crash; the first-match search and the global replacement agree on whether there is
// a match; replacing each match by itself gives the text back.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "util/reg_exp.h"
#include "util/text_codec.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

// Input: pattern NUL text. Every call is bounded by the matcher's step budget; short inputs
// keep the runs many.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarvik::util;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t nul = input.find('\0');
  if (nul == std::string_view::npos) return 0;
  const std::wstring pattern = FromUtf8(input.substr(0, nul));
  const std::wstring text = FromUtf8(input.substr(nul + 1));
  if (pattern.size() > 16 || text.size() > 32 || text.find(L'\x01') != std::wstring::npos) return 0;
  try {
    const std::ptrdiff_t found = RegExpFind(text, pattern);
    Check(found >= -1 && found <= static_cast<std::ptrdiff_t>(text.size()));
    Check(RegExpReplaceAll(text, pattern, L"$&") == text);
    Check((RegExpReplaceAll(text, pattern, L"\x01") == text) == (found == -1));
  } catch (const RegExpError&) {
    // Reported to the caller: what the engine cannot do.
  }
  return 0;
}
