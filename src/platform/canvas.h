#pragma once
// The persistent image of a picture box: what is drawn on it stays until it is drawn over or
// cleared, and the box shows it whenever it repaints. Strokes are centred on the given
// coordinates and are the given number of pixels wide; smoothing is anti-aliasing.

#include <cstdint>

#include "platform/platform.h"

namespace tarvik::platform {

// Colours of what is drawn: 0xAARRGGBB (alpha in the top byte), unlike window colours.
using Argb = std::uint32_t;

enum class ShapeKind { Rectangle, Ellipse };

class Canvas {
 public:
  virtual ~Canvas() = default;
  Canvas() = default;
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  // Erases the whole image to a window colour (0x00BBGGRR or a system colour).
  virtual void Clear(Color back) = 0;
  virtual void DrawLine(float x1, float y1, float x2, float y2, float width, Argb color,
                        bool smooth) = 0;
  // The outline of the shape inside box.
  virtual void DrawShape(ShapeKind kind, const Rect& box, float width, Argb color, bool smooth) = 0;
  virtual void FillShape(ShapeKind kind, const Rect& box, Argb color, bool smooth) = 0;
  // Shows the image as it now stands.
  virtual void Refresh() = 0;
};

}  // namespace tarvik::platform
