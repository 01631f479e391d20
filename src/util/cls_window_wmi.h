#pragma once
// The command line of another process, read through the management service (WMI): on
// Windows only, where clsWindow's system asks it. "" on any failure (Wine, for one, may not
// know the command line).

#include <cstdint>
#include <string>

namespace tarvik::util {

std::wstring QueryCommandLine(std::uint32_t pid);

}  // namespace tarvik::util
