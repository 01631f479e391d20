#pragma once

#include "platform/platform.h"

namespace tarvik::app {

// The name of the lock that keeps the program to one instance per logon session.
inline constexpr wchar_t kSingleInstanceName[] = L"Tarvik.SingleInstance.4470x5160";

// Runs the program on a platform until its main window closes; returns the exit code.
int RunTarvik(platform::Platform& platform);

}  // namespace tarvik::app
