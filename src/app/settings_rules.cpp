#include "app/settings_rules.h"

#include <algorithm>
#include <cmath>

#include "util/decimal.h"

namespace tarvik::app {
namespace {

// Far beyond any screen, yet a window position in pixels still fits an int.
constexpr double kTwipsLimit = 1.0e9;

bool Overlaps(double start, double length, double rangeStart, double rangeLength) {
  return start < rangeStart + rangeLength && rangeStart < start + length;
}

// Twips as the file holds them: 1440 an inch at the system's DPI. (The whole twips per
// pixel of the screen fall short at 200 %, where a pixel is 7.5 twips.)
double FileTwipsPerPixel(const platform::ScreenMetrics& screen, int wholeTwips) {
  return screen.dpi > 0 ? 1440.0 / screen.dpi : wholeTwips;
}

}  // namespace

double DefaultLeftTwips(const platform::ScreenMetrics& screen) {
  return screen.widthPx * FileTwipsPerPixel(screen, screen.twipsPerPixelX) / 2 -
         kDefaultWidthTwips / 2;
}

double DefaultTopTwips(const platform::ScreenMetrics& screen) {
  return screen.heightPx * FileTwipsPerPixel(screen, screen.twipsPerPixelY) / 2 -
         kDefaultHeightTwips / 2;
}

std::wstring DefaultConfigText(const platform::ScreenMetrics& screen) {
  return L"[Main]\r\nLeft=" + util::FormatNumber(DefaultLeftTwips(screen)) + L"\r\nTop=" +
         util::FormatNumber(DefaultTopTwips(screen)) + L"\r\nWidth=" +
         util::FormatNumber(kDefaultWidthTwips) +
         L"\r\nHeight=5160\r\n[Options]\r\nOnTop=0\r\nStartUp=0";
}

int ToTwips(double value) {
  if (std::isnan(value)) return 0;
  return static_cast<int>(std::lround(std::clamp(value, -kTwipsLimit, kTwipsLimit)));
}

std::wstring AutostartCommand(const std::wstring& folder, const std::wstring& exeName) {
  return L"\"" + folder + L"\\" + exeName + L".exe\"";
}

bool IsWindowReachable(const TwipsBounds& w, const platform::ScreenMetrics& screen,
                       const std::vector<platform::Rect>& monitors) {
  const double tpx = screen.twipsPerPixelX > 0 ? screen.twipsPerPixelX : 15;
  const double tpy = screen.twipsPerPixelY > 0 ? screen.twipsPerPixelY : 15;
  const double left = w.left / tpx;
  const double top = w.top / tpy;
  const double width = w.width / tpx;
  const double height = w.height / tpy;
  for (const platform::Rect& m : monitors) {
    if (Overlaps(left, width, m.left, m.width) && Overlaps(top, height, m.top, m.height)) {
      return true;
    }
  }
  const long long screenWidth = static_cast<long long>(screen.widthPx) * screen.twipsPerPixelX;
  const long long screenHeight = static_cast<long long>(screen.heightPx) * screen.twipsPerPixelY;
  const bool alongsideVertically = Overlaps(w.top, w.height, 0, static_cast<double>(screenHeight));
  const bool alongsideHorizontally = Overlaps(w.left, w.width, 0, static_cast<double>(screenWidth));
  if (w.left == -w.width && alongsideVertically) return true;
  if (w.left == screenWidth && alongsideVertically) return true;
  if (w.top == -w.height && alongsideHorizontally) return true;
  return false;
}

}  // namespace tarvik::app
