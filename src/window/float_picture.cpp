#include "window/float_picture.h"

#include <cstring>

namespace tarvik::window {
namespace {

// One letter per pixel: white (the key), the outline grey, the card's face, the amber band
// (the colour of the float button), the text strokes.
constexpr const char* kRows[kFloatPictureSize] = {
    "................................................",
    "................................................",
    "................................................",
    ".........oooooooooooooooooooooooooooooo.........",
    "........oaaaaaaaaaaaaaaaaaaaaaaaaaaaaaao........",
    ".......oaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaao.......",
    "......oaaaaaaaawwwaaaaaaaaaaaawwwaaaaaaaao......",
    ".....oaaaaaaaaawwwaaaaaaaaaaaawwwaaaaaaaaao.....",
    ".....oaaaaaaaaawwwaaaaaaaaaaaawwwaaaaaaaaao.....",
    ".....oaaaaaaaaawwwaaaaaaaaaaaawwwaaaaaaaaao.....",
    ".....oaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaao.....",
    ".....oaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaao.....",
    ".....oaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaao.....",
    ".....oooooooooooooooooooooooooooooooooooooo.....",
    ".....offffffffffffffffffffffffffffffffffffo.....",
    ".....offffffffffffffffffffffffffffffffffffo.....",
    ".....offffffffffffffffffffffffffffffffffffo.....",
    ".....offffffffffffffffffffffffffffffffffffo.....",
    ".....offffffffffffffffffffffffffffffffffffo.....",
    ".....offffffffffffffffffffffffffffffffffffo.....",
    ".....offfffllllllllllllllllllllllllllfffffo.....",
    ".....offfffllllllllllllllllllllllllllfffffo.....",
    ".....offffffffffffffffffffffffffffffffffffo.....",
    ".....offffffffffffffffffffffffffffffffffffo.....",
    ".....offffffffffffffffffffffffffffffffffffo.....",
    ".....offffffffffffffffffffffffffffffffffffo.....",
    ".....offfffllllllllllllllllllllllllllfffffo.....",
    ".....offfffllllllllllllllllllllllllllfffffo.....",
    ".....offffffffffffffffffffffffffffffffffffo.....",
    ".....offffffffffffffffffffffffffffffffffffo.....",
    ".....offffffffffffffffffffffffffffffffffffo.....",
    ".....offffffffffffffffffffffffffffffffffffo.....",
    ".....offfffllllllllllllllllllllllllllfffffo.....",
    ".....offfffllllllllllllllllllllllllllfffffo.....",
    ".....offffffffffffffffffffffffffffffffffffo.....",
    ".....offffffffffffffffffffffffffffffffffffo.....",
    ".....offffffffffffffffffffffffffffffffffffo.....",
    ".....offffffffffffffffffffffffffffffffffffo.....",
    ".....offffflllllllllllllllllffffffffffffffo.....",
    ".....offffflllllllllllllllllffffffffffffffo.....",
    ".....offffffffffffffffffffffffffffffffffffo.....",
    "......offffffffffffffffffffffffffffffffffo......",
    ".......offffffffffffffffffffffffffffffffo.......",
    "........offffffffffffffffffffffffffffffo........",
    ".........oooooooooooooooooooooooooooooo.........",
    "................................................",
    "................................................",
    "................................................",
};

platform::Color ColourOf(char c) {
  switch (c) {
    case 'o':
      return platform::Rgb(0x80, 0x80, 0x80);
    case 'f':
    case 'w':
      return platform::Rgb(0xF4, 0xF4, 0xF4);
    case 'a':
      return platform::Rgb(0xFF, 0xCC, 0x33);
    case 'l':
      return platform::Rgb(0x66, 0x66, 0x66);
    default:
      return kFloatKeyColor;
  }
}

}  // namespace

platform::PixelImage FloatPictureInCode() {
  platform::PixelImage image;
  image.width = kFloatPictureSize;
  image.height = kFloatPictureSize;
  image.pixels.reserve(static_cast<std::size_t>(kFloatPictureSize * kFloatPictureSize));
  for (const char* row : kRows) {
    for (int x = 0; x < kFloatPictureSize; ++x) image.pixels.push_back(ColourOf(row[x]));
  }
  return image;
}

platform::PixelImage LoadFloatPicture(platform::Platform& platform) {
  std::optional<platform::PixelImage> stored = platform.LoadBitmapResource(kFloatPictureResource);
  if (stored && stored->width == kFloatPictureSize && stored->height == kFloatPictureSize &&
      stored->pixels.size() == static_cast<std::size_t>(kFloatPictureSize * kFloatPictureSize)) {
    return std::move(*stored);
  }
  return FloatPictureInCode();
}

}  // namespace tarvik::window
