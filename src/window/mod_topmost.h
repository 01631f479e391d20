#pragma once
// Floating above other windows and see-through windows: the z-order band, a colour key and
// a whole-window alpha, for any of the program's top-level windows.

#include <cstdint>

#include "platform/platform.h"
#include "widgets/form.h"

namespace tarvik::window::modTopmost {

// Top of the topmost band, without moving, resizing or activating the window.
void SetTopmost(const widgets::Form& window);
// Back into the normal band.
void SetNotTopmost(const widgets::Form& window);
// Makes the window layered and its pixels of exactly colorKey (0x00BBGGRR) transparent.
// False when any step fails.
bool SetTransparentColor(platform::Color colorKey, const widgets::Form& window);
// Makes the window layered with a whole-window alpha (0 invisible, 255 opaque).
bool SetAlpha(std::uint8_t alpha, const widgets::Form& window);
// percent (clamped to 0-100) as an alpha.
bool SetAlphaPercent(std::int16_t percent, const widgets::Form& window);

// The alpha for an opacity percentage: 0 at or below 0, 255 at or above 100, otherwise
// floor(percent * 255 / 100).
std::uint8_t AlphaFromPercent(std::int16_t percent);

// The same on a bare window handle, for windows that are not forms.
void SetTopmost(platform::WindowManager& windows, platform::NativeHandle window);
void SetNotTopmost(platform::WindowManager& windows, platform::NativeHandle window);
bool SetTransparentColor(platform::WindowManager& windows, platform::Color colorKey,
                         platform::NativeHandle window);
bool SetAlpha(platform::WindowManager& windows, std::uint8_t alpha, platform::NativeHandle window);

}  // namespace tarvik::window::modTopmost
