#include "window/dock_geometry.h"

#include <cmath>
#include <cstdlib>

namespace tarvik::window {

platform::Point SnapToWorkArea(int x, int y, int width, int height,
                               const platform::Rect& workArea) {
  const long long right = static_cast<long long>(workArea.left) + workArea.width;
  const long long bottom = static_cast<long long>(workArea.top) + workArea.height;
  long long nx = x;
  long long ny = y;
  if (std::llabs(nx - workArea.left) < kSnapDistancePx) nx = 0;
  if (std::llabs(ny - workArea.top) < kSnapDistancePx) ny = 0;
  if (std::llabs(right - (nx + width)) < kSnapDistancePx) nx = right - width;
  if (std::llabs(bottom - (ny + height)) < kSnapDistancePx) ny = bottom - height;
  return {static_cast<int>(nx), static_cast<int>(ny)};
}

namespace {

// left / tpx <= p <= (left + extent) / tpx without rounding: multiply out instead of dividing.
bool WithinSpan(long long startTwips, long long extentTwips, long long px, long long tp) {
  const long long at = px * tp;
  return startTwips <= at && at <= startTwips + extentTwips;
}

}  // namespace

bool IsPointInWindow(const TwipsGeometry& g, platform::Point c) {
  return WithinSpan(g.left, g.width, c.x, g.twipsPerPixelX) &&
         WithinSpan(g.top, g.height, c.y, g.twipsPerPixelY);
}

std::optional<platform::Point> AutoHideStep(const TwipsGeometry& g, platform::Point c) {
  const long long left = g.left, top = g.top, width = g.width, height = g.height;
  const long long tpx = g.twipsPerPixelX, tpy = g.twipsPerPixelY;
  const bool hiddenLeft = left <= -width && c.x == 0 && WithinSpan(top, height, c.y, tpy);
  // cx >= screen width / TPX - 1, multiplied out.
  const bool hiddenRight = left >= g.screenWidth &&
                           static_cast<long long>(c.x) * tpx >= g.screenWidth - tpx &&
                           WithinSpan(top, height, c.y, tpy);
  const bool hiddenTop = top <= -height && c.y == 0 && WithinSpan(left, width, c.x, tpx);

  long long newLeft = left;
  long long newTop = top;
  if (hiddenLeft || hiddenRight || hiddenTop) {
    if (newLeft <= -width) newLeft = 0;
    if (newLeft >= g.screenWidth) newLeft = g.screenWidth - width;
    if (newTop <= -height) newTop = 0;
  } else if (IsPointInWindow(g, c)) {
    return std::nullopt;
  } else if (left == 0) {
    newLeft = -width;
  } else if (left + width == g.screenWidth) {
    newLeft = g.screenWidth;
  } else if (top == 0) {
    newTop = -height;
  }
  if (newLeft == left && newTop == top) return std::nullopt;
  return platform::Point{static_cast<int>(newLeft), static_cast<int>(newTop)};
}

platform::Point PopupPosition(const TwipsGeometry& f, int popupWidth, int popupHeight) {
  // left >= screen / 2 - width / 2, doubled so the halves stay exact.
  const bool rightHalf = 2LL * f.left >= static_cast<long long>(f.screenWidth) - f.width;
  const bool lowerHalf = 2LL * f.top >= static_cast<long long>(f.screenHeight) - f.height;
  const int left =
      rightHalf ? f.left - kPopupGapTwips - popupWidth : f.left + f.width + kPopupGapTwips;
  const int top = lowerHalf ? f.top + f.height - popupHeight : f.top;
  return {left, top};
}

platform::Point RestorePosition(int floatLeft, int floatTop, int mainWidth, int mainHeight,
                                int screenWidth, int screenHeight) {
  int left = floatLeft;
  int top = floatTop;
  if (mainWidth + left > screenWidth) left = screenWidth - mainWidth;
  if (mainHeight + top > screenHeight) top = screenHeight - mainHeight;
  if (top < 0) top = 0;
  if (left < 0) left = 0;
  return {left, top};
}

std::int64_t FontSizeAfterWheelDown(std::int64_t size) {
  return size <= 9 * kFontUnit ? 9 * kFontUnit : size - 2 * kFontUnit;
}

std::int64_t FontSizeAfterWheelUp(std::int64_t size) {
  return size >= 96 * kFontUnit ? 96 * kFontUnit : size + 2 * kFontUnit;
}

std::int64_t ToFontUnits(double points) {
  return std::llround(points * static_cast<double>(kFontUnit));
}

double FromFontUnits(std::int64_t units) {
  return static_cast<double>(units) / static_cast<double>(kFontUnit);
}

std::optional<int> StepNoteIndex(int current, int count, bool down) {
  if (count <= 1) return std::nullopt;
  if (current < 0 || current >= count) return down ? 0 : count - 1;
  if (down) return current == count - 1 ? 0 : current + 1;
  return current == 0 ? count - 1 : current - 1;
}

}  // namespace tarvik::window
