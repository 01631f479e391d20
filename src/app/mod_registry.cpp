#include "app/mod_registry.h"

#include <string_view>

namespace tarvik::app::modRegistry {
namespace {

constexpr std::size_t kMaxBinaryBytes = 1025;

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

std::wstring_view TrimSpaces(std::wstring_view text) {
  while (!text.empty() && text.front() == L' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == L' ') text.remove_suffix(1);
  return text;
}

// Pairs at positions 1, 4, 7 ... (from 1) while the position is at most the trimmed length
// less one. A pair that is not two hexadecimal digits makes no value rather than a wrong byte.
std::optional<std::string> BinaryFrom(const std::wstring& data) {
  const std::size_t length = TrimSpaces(data).size();
  std::string bytes;
  for (std::size_t position = 1; position + 1 <= length; position += 3) {
    const std::size_t i = position - 1;
    if (i + 1 >= data.size()) return std::nullopt;
    const int high = HexDigit(data[i]);
    const int low = HexDigit(data[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    if (bytes.size() == kMaxBinaryBytes) return std::nullopt;
    bytes.push_back(static_cast<char>(high * 16 + low));
  }
  return bytes;
}

// The hexadecimal digits at the start of the trimmed text (none: 0), little-endian.
std::optional<std::string> DwordFrom(const std::wstring& data) {
  const std::wstring_view text = TrimSpaces(data);
  std::uint32_t value = 0;
  std::size_t digits = 0;
  for (const wchar_t c : text) {
    const int digit = HexDigit(c);
    if (digit < 0) break;
    if (++digits > 8) return std::nullopt;
    value = value * 16 + static_cast<std::uint32_t>(digit);
  }
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i)
    bytes[static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return bytes;
}

}  // namespace

std::optional<platform::RegistryData> RegistryDataFor(std::uint32_t type,
                                                      const std::wstring& text) {
  const std::wstring data = text.empty() ? std::wstring(L" ") : text;
  platform::RegistryData value;
  value.type = type;
  switch (type) {
    case platform::kRegSz:
    case platform::kRegExpandSz:
      value.text = data;
      return value;
    case platform::kRegBinary: {
      std::optional<std::string> bytes = BinaryFrom(data);
      if (!bytes) return std::nullopt;
      value.bytes = std::move(*bytes);
      return value;
    }
    case platform::kRegDword: {
      std::optional<std::string> bytes = DwordFrom(data);
      if (!bytes) return std::nullopt;
      value.bytes = std::move(*bytes);
      return value;
    }
    default:
      return std::nullopt;
  }
}

bool SetRegistryValue(platform::RegistryAccess& registry, platform::RegistryRoot root,
                      const std::wstring& keyPath, const std::wstring& valueName,
                      std::uint32_t type, const std::wstring& data) {
  platform::RegistryKeyResult opened =
      registry.CreateRegistryKey(root, keyPath, std::to_wstring(type));
  if (opened.status != platform::kRegistryOk || !opened.key) return false;
  const std::optional<platform::RegistryData> value = RegistryDataFor(type, data);
  if (!value) return false;
  return opened.key->SetValue(valueName, *value) == platform::kRegistryOk;
}

std::uint32_t DeleteRegistryValue(platform::RegistryAccess& registry, platform::RegistryRoot root,
                                  const std::wstring& keyPath, const std::wstring& valueName) {
  if (valueName.empty() && keyPath.empty()) return platform::kRegistryNotFound;
  platform::RegistryKeyResult opened = registry.CreateRegistryKey(root, keyPath, L"");
  if (opened.status != platform::kRegistryOk || !opened.key) return opened.status;
  return opened.key->DeleteValue(valueName);
}

}  // namespace tarvik::app::modRegistry
