#include "platform/headless/code_page.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string>

#include "util/text_codec.h"

namespace tarvik::platform::headless {
namespace {

constexpr unsigned kCodePageUtf8 = 65001;

struct IconvCloser {
  void operator()(void* cd) const noexcept { iconv_close(static_cast<iconv_t>(cd)); }
};
using UniqueIconv = std::unique_ptr<void, IconvCloser>;

std::string IconvName(unsigned codePage) {
  switch (codePage) {
    case 0:
    case 936:
      return "CP936";
    case 20936:
      return "GB2312";
    case 54936:
      return "GB18030";
    case 1200:
      return "UTF-16LE";
    default:
      return "CP" + std::to_string(codePage);
  }
}

// Null when iconv does not know the code page.
UniqueIconv Open(const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    // CP936 is missing from some iconv builds; GBK is the same table.
    if (std::string_view(to) == "CP936") return Open("GBK", from);
    if (std::string_view(from) == "CP936") return Open(to, "GBK");
    return nullptr;
  }
  return UniqueIconv(cd);
}

std::size_t Utf8SequenceLength(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

// Runs iconv over the whole input. onInvalid is told how many input bytes to skip and
// appends its replacement to the output.
template <typename OnInvalid>
std::string Convert(iconv_t cd, std::string_view input, OnInvalid onInvalid) {
  std::string out;
  out.reserve(input.size() * 2 + 16);
  std::string chunk(4096, '\0');
  char* in = const_cast<char*>(input.data());  // iconv's signature; the input is not changed
  std::size_t inLeft = input.size();
  while (inLeft > 0) {
    char* dst = chunk.data();
    std::size_t dstLeft = chunk.size();
    const std::size_t rc = iconv(cd, &in, &inLeft, &dst, &dstLeft);
    out.append(chunk.data(), chunk.size() - dstLeft);
    if (rc != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL: an unconvertible or incomplete sequence at `in`.
    const std::size_t skip = std::min(onInvalid(static_cast<unsigned char>(*in), out), inLeft);
    in += skip;
    inLeft -= skip;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // reset the shift state
  }
  return out;
}

}  // namespace

std::string EncodeCodePage(std::wstring_view text, unsigned codePage) {
  const std::string utf8 = util::ToUtf8(text);
  if (codePage == kCodePageUtf8) return utf8;
  UniqueIconv cd = Open(IconvName(codePage).c_str(), "UTF-8");
  if (!cd) {
    // Unknown code page: only ASCII is safe to pass through.
    std::string out;
    for (const wchar_t ch : text) {
      if (sizeof(wchar_t) == 2 && ch >= 0xDC00 && ch <= 0xDFFF) continue;  // second half
      out.push_back(ch < 0x80 ? static_cast<char>(ch) : '?');
    }
    return out;
  }
  return Convert(static_cast<iconv_t>(cd.get()), utf8, [](unsigned char lead, std::string& out) {
    out.push_back('?');
    return Utf8SequenceLength(lead);  // the input is well-formed UTF-8
  });
}

std::wstring DecodeCodePage(std::string_view bytes, unsigned codePage) {
  if (codePage == kCodePageUtf8) return util::FromUtf8(bytes);
  UniqueIconv cd = Open("UTF-8", IconvName(codePage).c_str());
  if (!cd) {
    std::wstring out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
      const auto b = static_cast<unsigned char>(ch);
      out.push_back(b < 0x80 ? static_cast<wchar_t>(b) : L'\xFFFD');
    }
    return out;
  }
  const std::string utf8 =
      Convert(static_cast<iconv_t>(cd.get()), bytes, [](unsigned char, std::string& out) {
        out += "\xEF\xBF\xBD";  // U+FFFD
        return std::size_t{1};
      });
  return util::FromUtf8(utf8);
}

}  // namespace tarvik::platform::headless
