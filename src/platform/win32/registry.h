#pragma once
// The registry through advapi32's wide functions.

#include <string>

#include "platform/platform.h"

namespace tarvik::platform::win32 {

RegistryKeyResult CreateRegistryKey(RegistryRoot root, const std::wstring& path,
                                    const std::wstring& className);
RegistryReadResult ReadRegistryValue(RegistryRoot root, const std::wstring& path,
                                     const std::wstring& name);

}  // namespace tarvik::platform::win32
