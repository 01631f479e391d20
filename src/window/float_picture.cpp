#include "window/float_picture.h"

#include <algorithm>
#include <cmath>
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

int Px(double v) {
  return static_cast<int>(std::lround(v));
}

// A length of the card at size: the whole number nearest the exact one that leaves an even
// margin, so that the card sits centred on whole pixels. A tie goes to the larger.
int CentredLength(int designLength, int size) {
  const double exact = static_cast<double>(designLength) * size / kFloatPictureSize;
  int lower = static_cast<int>(std::floor(exact));
  if (((size - lower) & 1) != 0) --lower;
  return exact - lower < lower + 2 - exact ? lower : lower + 2;
}

struct Span {
  int from, to;  // to excluded
  bool Holds(int v) const { return v >= from && v < to; }
};

// The card at one size, all in whole pixels: an outline with its four corners cut square
// across, an amber band with two pegs over a divider, and the face with four text lines.
class Card {
 public:
  explicit Card(int size) {
    const double s = static_cast<double>(size) / kFloatPictureSize;
    const int width = CentredLength(38, size);
    const int height = CentredLength(42, size);
    x_ = {(size - width) / 2, (size - width) / 2 + width};
    y_ = {(size - height) / 2, (size - height) / 2 + height};
    line_ = std::max(1, Px(s));
    cut_ = Px(4 * s);
    const int dividerTop = y_.from + Px(10 * s);
    divider_ = {dividerTop, dividerTop + line_};

    const int pegWidth = std::max(1, Px(3 * s));
    const int pegInset = Px(10 * s);
    pegRows_ = {y_.from + Px(3 * s), y_.from + Px(3 * s) + std::max(1, Px(4 * s))};
    pegs_[0] = {x_.from + pegInset, x_.from + pegInset + pegWidth};
    pegs_[1] = {x_.to - pegInset - pegWidth, x_.to - pegInset};

    const int textInset = Px(6 * s);
    const int textHeight = std::max(1, Px(2 * s));
    for (int i = 0; i < kTextLines; ++i) {
      const int top = y_.from + Px((17 + 6 * i) * s);
      textRows_[i] = {top, top + textHeight};
      textColumns_[i] = {x_.from + textInset, x_.to - textInset};
    }
    // The last line is a short one.
    textColumns_[kTextLines - 1].to = x_.from + textInset + Px(17 * s);
  }

  char At(int x, int y) const {
    if (!x_.Holds(x) || !y_.Holds(y)) return '.';
    // Pixels in from the nearest side and the nearest end; their sum measures the diagonal
    // of a cut corner.
    const int in = std::min(x - x_.from, x_.to - 1 - x);
    const int down = std::min(y - y_.from, y_.to - 1 - y);
    if (in + down < cut_) return '.';
    if (in < line_ || down < line_ || in + down < cut_ + line_) return 'o';
    if (divider_.Holds(y)) return 'o';
    if (y < divider_.from) {
      return pegRows_.Holds(y) && (pegs_[0].Holds(x) || pegs_[1].Holds(x)) ? 'w' : 'a';
    }
    for (int i = 0; i < kTextLines; ++i) {
      if (textRows_[i].Holds(y) && textColumns_[i].Holds(x)) return 'l';
    }
    return 'f';
  }

 private:
  static constexpr int kTextLines = 4;
  Span x_{}, y_{};
  int line_ = 1;
  int cut_ = 0;
  Span divider_{};
  Span pegRows_{};
  Span pegs_[2]{};
  Span textRows_[kTextLines]{};
  Span textColumns_[kTextLines]{};
};

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

platform::PixelImage FloatPictureAt(int size) {
  platform::PixelImage image;
  if (size <= 0) return image;
  const Card card(size);
  image.width = size;
  image.height = size;
  image.pixels.reserve(static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) image.pixels.push_back(ColourOf(card.At(x, y)));
  }
  return image;
}

platform::PixelImage LoadFloatPicture(platform::DrawingLibrary& drawing) {
  std::optional<platform::PixelImage> stored = drawing.LoadBitmapResource(kFloatPictureResource);
  if (stored && stored->width == kFloatPictureSize && stored->height == kFloatPictureSize &&
      stored->pixels.size() == static_cast<std::size_t>(kFloatPictureSize * kFloatPictureSize)) {
    return std::move(*stored);
  }
  return FloatPictureInCode();
}

}  // namespace tarvik::window
