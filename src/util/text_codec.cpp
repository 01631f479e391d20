#include "util/text_codec.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "platform/platform.h"
#include "util/cls_util.h"
#include "util/file_io.h"

namespace tarvik::util {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

template <typename Unit>
void AppendCodePoint(std::basic_string<Unit>& out, char32_t cp) {
  if constexpr (sizeof(Unit) == 2) {
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<Unit>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<Unit>(0xDC00 + (cp & 0x3FF)));
      return;
    }
  }
  out.push_back(static_cast<Unit>(cp));
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace

namespace {

// The units valid UTF-8 decodes to: one per lead byte, two for a four-byte sequence where
// the unit is 16 bits. Decoded strings are held for the whole run, so they are allocated
// once at their size rather than grown or trimmed.
template <typename Unit>
std::size_t DecodedUnits(const unsigned char* p, std::size_t n) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < n; ++i) {
    units += (p[i] & 0xC0) != 0x80 ? 1 : 0;
    if constexpr (sizeof(Unit) == 2) units += p[i] >= 0xF0 ? 1 : 0;
  }
  return units;
}

}  // namespace

namespace {

// Well-formed UTF-8 straight into its room, counted beforehand; false at the first flaw
// (the text then goes through the careful decoder). Every note is decoded at start, so this
// path is kept lean.
template <typename Unit>
bool DecodeWellFormed(const unsigned char* p, std::size_t n, Unit* out, std::size_t room) {
  Unit* const end = out + room;
  std::size_t i = 0;
  while (i < n) {
    const unsigned char b = p[i];
    if (b < 0x80) {
      if (out == end) return false;
      *out++ = static_cast<Unit>(b);
      ++i;
      continue;
    }
    char32_t cp;
    std::size_t len;
    if (b >= 0xE0 && b <= 0xEF && i + 2 < n && (p[i + 1] & 0xC0) == 0x80 &&
        (p[i + 2] & 0xC0) == 0x80) {
      cp = ((b & 0x0Fu) << 12) | ((p[i + 1] & 0x3Fu) << 6) | (p[i + 2] & 0x3Fu);
      if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
      len = 3;
    } else if (b >= 0xC2 && b <= 0xDF && i + 1 < n && (p[i + 1] & 0xC0) == 0x80) {
      cp = ((b & 0x1Fu) << 6) | (p[i + 1] & 0x3Fu);
      len = 2;
    } else {
      return false;  // four-byte and broken sequences: the careful decoder
    }
    if (out == end) return false;
    *out++ = static_cast<Unit>(cp);
    i += len;
  }
  return out == end;
}

}  // namespace

template <typename Unit>
std::basic_string<Unit> FromUtf8As(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::basic_string<Unit> out(DecodedUnits<Unit>(p, n), Unit{0});
  if (DecodeWellFormed(p, n, out.data(), out.size())) return out;
  out.clear();
  std::size_t i = 0;
  while (i < n) {
    const unsigned char b = p[i];
    if (b < 0x80) {
      out.push_back(static_cast<wchar_t>(b));
      ++i;
      continue;
    }
    int len = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if (b >= 0xC2 && b <= 0xDF) {
      len = 2, cp = b & 0x1F, min = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
      len = 3, cp = b & 0x0F, min = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
      len = 4, cp = b & 0x07, min = 0x10000;
    } else {
      AppendCodePoint(out, kReplacement);  // stray continuation byte or invalid lead
      ++i;
      continue;
    }
    // Consume the longest valid prefix; a broken sequence yields one U+FFFD.
    int got = 1;
    while (got < len && i + got < n && (p[i + got] & 0xC0) == 0x80) {
      cp = (cp << 6) | (p[i + got] & 0x3F);
      ++got;
    }
    if (got < len || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      AppendCodePoint(out, kReplacement);
      i += got;
      continue;
    }
    AppendCodePoint(out, cp);
    i += len;
  }
  // Broken input decodes to other counts; do not keep much spare room for it either.
  if (out.capacity() - out.size() > out.size() / 8 + 16) out.shrink_to_fit();
  return out;
}

template <typename Unit>
std::string ToUtf8From(std::basic_string_view<Unit> text) {
  std::string out;
  out.reserve(text.size() + text.size() / 2);
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n; ++i) {
    char32_t cp = static_cast<char32_t>(static_cast<std::make_unsigned_t<Unit>>(text[i]));
    if constexpr (sizeof(Unit) == 2) {
      if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < n) {
        const char32_t lo = static_cast<char16_t>(text[i + 1]);
        if (lo >= 0xDC00 && lo <= 0xDFFF) {
          cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
          ++i;
        }
      }
    }
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = kReplacement;
    AppendUtf8(out, cp);
  }
  return out;
}

template std::wstring FromUtf8As<wchar_t>(std::string_view);
template std::u16string FromUtf8As<char16_t>(std::string_view);
template std::string ToUtf8From<wchar_t>(std::wstring_view);
template std::string ToUtf8From<char16_t>(std::u16string_view);

std::string Utf16BytesToUtf8(std::string_view bytes, bool bigEndian) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t units = bytes.size() / 2;
  const auto unit = [&](std::size_t i) -> char32_t {
    return bigEndian ? (char32_t{p[2 * i]} << 8 | p[2 * i + 1])
                     : (char32_t{p[2 * i + 1]} << 8 | p[2 * i]);
  };
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 2);
  for (std::size_t i = 0; i < units; ++i) {
    char32_t cp = unit(i);
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 &&
        unit(i + 1) <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    AppendUtf8(out, cp);
  }
  if (bytes.size() % 2) AppendUtf8(out, kReplacement);
  return out;
}

std::string_view StripUtf8Bom(std::string_view bytes) {
  if (bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xEF &&
      static_cast<unsigned char>(bytes[1]) == 0xBB &&
      static_cast<unsigned char>(bytes[2]) == 0xBF) {
    bytes.remove_prefix(3);
  }
  return bytes;
}

namespace {

// The length of the well-formed UTF-8 sequence that starts at p (a byte of 0x80 or above), or
// 0 when none does there.
std::size_t Utf8SequenceLength(const unsigned char* p, std::size_t left) {
  const unsigned char b = p[0];
  std::size_t len = 0;
  unsigned char low = 0x80;   // the second byte's range rules out overlong forms,
  unsigned char high = 0xBF;  // surrogates and values above U+10FFFF
  if (b >= 0xC2 && b <= 0xDF) {
    len = 2;
  } else if (b >= 0xE0 && b <= 0xEF) {
    len = 3;
    if (b == 0xE0) low = 0xA0;
    if (b == 0xED) high = 0x9F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    len = 4;
    if (b == 0xF0) low = 0x90;
    if (b == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (left < len || p[1] < low || p[1] > high) return 0;
  for (std::size_t k = 2; k < len; ++k) {
    if ((p[k] & 0xC0) != 0x80) return 0;
  }
  return len;
}

struct Utf8Count {
  std::size_t invalid = 0;    // bytes that start no well-formed sequence
  std::size_t multiByte = 0;  // well-formed characters of two bytes or more
};

// Walks bytes once, stopping as soon as more than maxInvalid bytes start no valid sequence.
Utf8Count CountUtf8(std::string_view bytes, std::size_t maxInvalid) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  Utf8Count count;
  std::size_t i = 0;
  while (i < n) {
    if (p[i] < 0x80) {
      ++i;
      continue;
    }
    const std::size_t len = Utf8SequenceLength(p + i, n - i);
    if (len == 0) {
      if (++count.invalid > maxInvalid) return count;
      ++i;
      continue;
    }
    ++count.multiByte;
    i += len;
  }
  return count;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  return CountUtf8(bytes, 0).invalid == 0;
}

bool IsMostlyUtf8(std::string_view bytes) {
  // A few damaged bytes at most, and plenty of well-formed multi-byte characters around them:
  // GBK text breaks UTF-8's rules in most of its characters, so it never gets this far.
  const std::size_t allowed = std::max<std::size_t>(kFewInvalidUtf8, bytes.size() / 1000);
  const Utf8Count count = CountUtf8(bytes, allowed);
  return count.invalid <= allowed && count.multiByte >= kUtf8CharactersPerInvalid * count.invalid;
}

std::wstring DecodeTextFile(std::string_view bytes, platform::CodePages& codePages) {
  const auto starts = [bytes](std::string_view mark) {
    return bytes.substr(0, mark.size()) == mark;
  };
  if (starts("\xFF\xFE")) return FromUtf8(Utf16BytesToUtf8(bytes.substr(2), false));
  if (starts("\xFE\xFF")) return FromUtf8(Utf16BytesToUtf8(bytes.substr(2), true));
  if (starts("\xEF\xBB\xBF") || IsMostlyUtf8(bytes)) return FromUtf8(StripUtf8Bom(bytes));
  return codePages.DecodeCodePage(bytes, kTextFileCodePage);
}

std::wstring ReadTextFile(const std::wstring& fileName, platform::CodePages& codePages) {
  if (fileName.empty() || !FileExists(fileName)) return L"";
  const std::optional<std::string> bytes = ReadFileBytes(fileName);
  if (!bytes) throw FileReadError(fileName);
  return DecodeTextFile(*bytes, codePages);
}

}  // namespace tarvik::util
