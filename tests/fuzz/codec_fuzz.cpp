// UTF-8 and UTF-16: decoding never fails and always gives text that round-trips, and the UTF-16
// path agrees with the wide-character path on the same text.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "util/text_codec.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// Test-side encoder: wide text (UTF-16 or UTF-32 per platform) as UTF-16 bytes.
std::string Utf16Bytes(const std::wstring& text, bool bigEndian) {
  std::u16string units;
  for (const wchar_t c : text) {
    auto cp = static_cast<char32_t>(c);
    if (cp >= 0x10000 && cp <= 0x10FFFF) {
      cp -= 0x10000;
      units += static_cast<char16_t>(0xD800 + (cp >> 10));
      units += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      units += static_cast<char16_t>(cp);
    }
  }
  std::string bytes;
  for (const char16_t u : units) {
    const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
    bytes += bigEndian ? hi : lo;
    bytes += bigEndian ? lo : hi;
  }
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarvik::util;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  const std::wstring text = FromUtf8(bytes);
  const std::string utf8 = ToUtf8(text);
  Check(FromUtf8(utf8) == text);  // decoded text is valid and stable
  Check(ToUtf8(FromUtf8(utf8)) == utf8);
  if (text.find(L'\uFFFD') == std::wstring::npos) Check(utf8 == bytes);  // valid input kept

  // Both paths agree on the same text.
  Check(Utf16BytesToUtf8(Utf16Bytes(text, false), false) == utf8);
  Check(Utf16BytesToUtf8(Utf16Bytes(text, true), true) == utf8);

  // Any UTF-16 bytes decode to valid UTF-8, the same in either byte order.
  const std::string fromLe = Utf16BytesToUtf8(bytes, false);
  Check(ToUtf8(FromUtf8(fromLe)) == fromLe);
  std::string swapped(bytes);
  for (std::size_t i = 0; i + 1 < swapped.size(); i += 2) std::swap(swapped[i], swapped[i + 1]);
  Check(Utf16BytesToUtf8(swapped, true) == fromLe);
  return 0;
}
