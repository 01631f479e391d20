#pragma once
// The 64-bit FNV-1a hash and its sixteen lower-case hex digits, as the journal, the folder
// lock's name and the recovery record write them.

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvik::util {

inline constexpr std::uint64_t kFnvOffset = 0xcbf29ce484222325ull;

// One unit (a byte, or a UTF-16 code unit) more into the hash.
constexpr std::uint64_t Fnv1aStep(std::uint64_t hash, std::uint64_t unit) {
  return (hash ^ unit) * 0x100000001b3ull;
}

inline std::uint64_t Fnv1a(std::string_view bytes) {
  std::uint64_t hash = kFnvOffset;
  for (const char c : bytes) hash = Fnv1aStep(hash, static_cast<unsigned char>(c));
  return hash;
}

inline std::string Hex16(std::uint64_t value) {
  std::string out(16, '0');
  for (int i = 15; i >= 0; --i, value >>= 4) out[i] = "0123456789abcdef"[value & 0xF];
  return out;
}

}  // namespace tarvik::util
