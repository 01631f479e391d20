#include "window/mod_topmost.h"

namespace tarvik::window::modTopmost {
namespace {

// The layered bit goes on before any attribute is applied; it is never taken off.
bool MakeLayered(platform::WindowManager& windows, platform::NativeHandle window) {
  const std::optional<std::uint32_t> style = windows.ExtendedStyle(window);
  if (!style) return false;
  return windows.SetExtendedStyle(window, *style | platform::kExStyleLayered);
}

platform::WindowManager& Windows(const widgets::Form& form) {
  return form.GetPlatform().Get<platform::WindowManager>();
}

}  // namespace

void SetTopmost(platform::WindowManager& windows, platform::NativeHandle window) {
  windows.SetTopMost(window, true);
}

void SetNotTopmost(platform::WindowManager& windows, platform::NativeHandle window) {
  windows.SetTopMost(window, false);
}

bool SetTransparentColor(platform::WindowManager& windows, platform::Color colorKey,
                         platform::NativeHandle window) {
  if (!MakeLayered(windows, window)) return false;
  return windows.SetLayeredAttributes(window, colorKey & 0x00FFFFFFu, 255,
                                      platform::kLayeredColorKey);
}

bool SetAlpha(platform::WindowManager& windows, std::uint8_t alpha, platform::NativeHandle window) {
  if (!MakeLayered(windows, window)) return false;
  return windows.SetLayeredAttributes(window, 0, alpha, platform::kLayeredAlpha);
}

std::uint8_t AlphaFromPercent(std::int16_t percent) {
  if (percent <= 0) return 0;
  if (percent >= 100) return 255;
  // 16 bits hold 99 * 255; the division is in floating point and the result truncated.
  const auto product = static_cast<std::int16_t>(percent * 255);
  return static_cast<std::uint8_t>(static_cast<double>(product) / 100.0);
}

void SetTopmost(const widgets::Form& window) {
  SetTopmost(Windows(window), window.hWnd());
}

void SetNotTopmost(const widgets::Form& window) {
  SetNotTopmost(Windows(window), window.hWnd());
}

bool SetTransparentColor(platform::Color colorKey, const widgets::Form& window) {
  return SetTransparentColor(Windows(window), colorKey, window.hWnd());
}

bool SetAlpha(std::uint8_t alpha, const widgets::Form& window) {
  return SetAlpha(Windows(window), alpha, window.hWnd());
}

bool SetAlphaPercent(std::int16_t percent, const widgets::Form& window) {
  return SetAlpha(AlphaFromPercent(percent), window);
}

}  // namespace tarvik::window::modTopmost
