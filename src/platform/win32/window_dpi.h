#pragma once
// The DPI a window is shown at, asked of the newest interface the system has. The newer
// functions are looked up at run time, so Tarvik.exe still starts on systems without them.

#include <windows.h>

namespace tarvik::platform::win32 {

// Pixels per inch of the monitor the window's top-level window is on (96 at 100 %): from
// GetDpiForWindow (Windows 10 1607+), else from GetDpiForMonitor (8.1+), else the screen's.
UINT WindowDpi(HWND window);

// Pixels at dpi for a length in 96-dpi pixels.
constexpr int ScaleForDpi(int designPixels, UINT dpi) {
  const long long scaled = static_cast<long long>(designPixels) * dpi;
  return static_cast<int>(scaled >= 0 ? (scaled + 48) / 96 : -((48 - scaled) / 96));
}

}  // namespace tarvik::platform::win32
