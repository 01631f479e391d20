#pragma once
// The floating window's picture: a 48 x 48 note card on white, white being the window's
// transparent colour. Tarvik.exe carries it as a bitmap resource; this is the same picture
// for a platform without one.

#include <vector>

#include "platform/platform.h"

namespace tarvik::window {

inline constexpr int kFloatPictureSize = 48;
// The resource id of the bitmap in Tarvik.exe.
inline constexpr int kFloatPictureResource = 101;
// The picture's transparent colour.
inline constexpr platform::Color kFloatKeyColor = platform::Rgb(255, 255, 255);

// The picture as the program carries it in code.
platform::PixelImage FloatPictureInCode();
// The same card drawn afresh for a size x size picture: every edge on a whole pixel and every
// line as wide as the others, so that it stays sharp at any scale. At 48 it is the picture in
// code, pixel for pixel.
platform::PixelImage FloatPictureAt(int size);
// The resource when the platform has it and it is 48 x 48, else the copy in code.
platform::PixelImage LoadFloatPicture(platform::DrawingLibrary& drawing);

}  // namespace tarvik::window
