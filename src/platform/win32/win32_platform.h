#pragma once
// The Win32 implementation of the platform layer. Only the entry point sees this header.

#include <windows.h>

#include <memory>

#include "platform/platform.h"

namespace tarvik::platform::win32 {

std::unique_ptr<Platform> CreateWin32Platform(HINSTANCE instance);

}  // namespace tarvik::platform::win32
