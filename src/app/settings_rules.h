#pragma once
// The numbers and texts of the settings file and the logon start, and the test that brings a
// window saved on a screen that is no longer there back into sight.

#include <string>
#include <vector>

#include "platform/platform.h"

namespace tarvik::app {

inline constexpr wchar_t kConfigFileName[] = L"Config.ini";
inline constexpr wchar_t kRunKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// The window's size in twips when nothing else is known, and the least it may have.
inline constexpr int kDefaultWidthTwips = 4470;
inline constexpr int kDefaultHeightTwips = 5160;
inline constexpr int kMinWidthTwips = 3240;
inline constexpr int kMinHeightTwips = 4140;

// The default window position (twips): centred on the screen.
double DefaultLeftTwips(const platform::ScreenMetrics& screen);
double DefaultTopTwips(const platform::ScreenMetrics& screen);

// The settings file a first start writes: eight lines, CR LF between them, none at the end.
std::wstring DefaultConfigText(const platform::ScreenMetrics& screen);

// A number read from the file as whole twips, kept within what a window position can hold.
int ToTwips(double value);

// The logon command: the program's full path in double quotes, so that a path with spaces
// cannot start some other program.
std::wstring AutostartCommand(const std::wstring& folder, const std::wstring& exeName);

struct TwipsBounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// True when some part of the window lies on one of the monitors, or when the window sits
// exactly where hiding at a screen edge puts it (left = -width or left = screen width with
// its height alongside the screen, top = -height with its width above the screen): the edge
// touch brings such a window back.
bool IsWindowReachable(const TwipsBounds& window, const platform::ScreenMetrics& screen,
                       const std::vector<platform::Rect>& monitors);

}  // namespace tarvik::app
