#include "window/mod_topmost.h"

namespace tarvik::window::modTopmost {
namespace {

// The layered bit goes on before any attribute is applied; it is never taken off.
bool MakeLayered(platform::Platform& platform, platform::NativeHandle window) {
  const std::optional<std::uint32_t> style = platform.ExtendedStyle(window);
  if (!style) return false;
  return platform.SetExtendedStyle(window, *style | platform::kExStyleLayered);
}

}  // namespace

void SetTopmost(platform::Platform& platform, platform::NativeHandle window) {
  platform.SetTopMost(window, true);
}

void SetNotTopmost(platform::Platform& platform, platform::NativeHandle window) {
  platform.SetTopMost(window, false);
}

bool SetTransparentColor(platform::Platform& platform, platform::Color colorKey,
                         platform::NativeHandle window) {
  if (!MakeLayered(platform, window)) return false;
  return platform.SetLayeredAttributes(window, colorKey & 0x00FFFFFFu, 255,
                                       platform::kLayeredColorKey);
}

bool SetAlpha(platform::Platform& platform, std::uint8_t alpha, platform::NativeHandle window) {
  if (!MakeLayered(platform, window)) return false;
  return platform.SetLayeredAttributes(window, 0, alpha, platform::kLayeredAlpha);
}

std::uint8_t AlphaFromPercent(std::int16_t percent) {
  if (percent <= 0) return 0;
  if (percent >= 100) return 255;
  // 16 bits hold 99 * 255; the division is in floating point and the result truncated.
  const auto product = static_cast<std::int16_t>(percent * 255);
  return static_cast<std::uint8_t>(static_cast<double>(product) / 100.0);
}

void SetTopmost(const widgets::Form& window) {
  SetTopmost(window.GetPlatform(), window.hWnd());
}

void SetNotTopmost(const widgets::Form& window) {
  SetNotTopmost(window.GetPlatform(), window.hWnd());
}

bool SetTransparentColor(platform::Color colorKey, const widgets::Form& window) {
  return SetTransparentColor(window.GetPlatform(), colorKey, window.hWnd());
}

bool SetAlpha(std::uint8_t alpha, const widgets::Form& window) {
  return SetAlpha(window.GetPlatform(), alpha, window.hWnd());
}

bool SetAlphaPercent(std::int16_t percent, const widgets::Form& window) {
  return SetAlpha(AlphaFromPercent(percent), window);
}

}  // namespace tarvik::window::modTopmost
