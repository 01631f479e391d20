#pragma once
// Setting and deleting one registry value, with the program's rules for turning text into
// the value's data.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace tarvik::app::modRegistry {

// Creates or opens root\keyPath (its class string the type number) and stores data under
// valueName as type 1 (REG_SZ) or 2 (REG_EXPAND_SZ) text, 3 (REG_BINARY) "hh hh hh" bytes or
// 4 (REG_DWORD) a hexadecimal number. Empty data counts as a single space. True only when a
// value was stored; other types store nothing.
bool SetRegistryValue(platform::RegistryAccess& registry, platform::RegistryRoot root,
                      const std::wstring& keyPath, const std::wstring& valueName,
                      std::uint32_t type, const std::wstring& data);

// Opens (creating if needed) root\keyPath and deletes valueName; the system's status
// (0 deleted, 2 not found). 2 at once when both the name and the path are empty.
std::uint32_t DeleteRegistryValue(platform::RegistryAccess& registry, platform::RegistryRoot root,
                                  const std::wstring& keyPath, const std::wstring& valueName);

// The data a value of the given type gets from text; nothing when the text does not make
// one (an unknown type, a pair that is not hexadecimal, more than 1025 bytes, a number
// wider than 32 bits).
std::optional<platform::RegistryData> RegistryDataFor(std::uint32_t type, const std::wstring& data);

}  // namespace tarvik::app::modRegistry
