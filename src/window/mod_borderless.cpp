#include "window/mod_borderless.h"

namespace tarvik::window {

namespace {
constexpr int kBand = 2;
}  // namespace

std::optional<int> EdgeHitTest(int x, int y, int w, int h) {
  const bool left = x <= kBand;
  const bool right = x + kBand >= w;
  const bool top = y <= kBand;
  const bool bottom = y + kBand >= h;
  if (right && bottom) return kHitBottomRight;
  if (bottom && left) return kHitBottomLeft;
  if (left && top) return kHitTopLeft;
  if (top && right) return kHitTopRight;
  if (right && y <= h) return kHitRight;
  if (bottom && x <= w) return kHitBottom;
  if (left && y <= h) return kHitLeft;
  if (top && x <= w) return kHitTop;
  return std::nullopt;
}

int EdgeCursorShape(int x, int y, int w, int h) {
  const bool left = x <= kBand;
  const bool right = x + kBand >= w;
  const bool top = y <= kBand;
  const bool bottom = y + kBand >= h;
  if ((right && bottom) || (left && top)) return kCursorNwSe;
  if ((left && bottom) || (right && top)) return kCursorNeSw;
  if ((left || right) && y <= h) return kCursorWe;
  if ((top || bottom) && x <= w) return kCursorNs;
  return kCursorDefault;
}

std::optional<OuterSize> RaiseToMinimum(OuterSize size, OuterSize least) {
  if (size.width >= least.width && size.height >= least.height) return std::nullopt;
  if (size.height < least.height) size.height = least.height;
  if (size.width < least.width) size.width = least.width;
  return size;
}

void modBorderless::RemoveFrame(platform::WindowManager& windows, platform::NativeHandle window) {
  const std::uint32_t style = windows.GetWindowStyle(window);
  // A second call must not save the frameless style over the original one.
  if (!savedStyle_) savedStyle_ = style;
  windows.SetWindowStyle(window, style & kFramelessMask);
}

void modBorderless::RestoreFrame(platform::WindowManager& windows, platform::NativeHandle window) {
  if (!savedStyle_) return;
  windows.SetWindowStyle(window, *savedStyle_);
  savedStyle_.reset();
}

void BeginDragMove(platform::WindowManager& windows, platform::NativeHandle window) {
  windows.ReleaseMouseCapture();
  windows.RunMoveSizeLoop(window, kHitCaption);
}

void ShowSystemMenu(platform::Roles<platform::WindowManager, platform::Display> platform,
                    platform::NativeHandle window) {
  platform::WindowManager& windows = platform.Get<platform::WindowManager>();
  const platform::Point at = platform.Get<platform::Display>().CursorPos();
  const unsigned command = windows.TrackSystemMenu(window, at);
  if (command != 0) windows.SendSystemCommand(window, command);
}

}  // namespace tarvik::window
