#pragma once
// A picture box's image as the painters see it: they draw in design pixels, and the image is
// as large as the box on screen. Every call is scaled by the window's dpi / 96 on its way to
// the platform's image; at 96 dpi it passes unchanged.

#include <functional>

#include "platform/canvas.h"

namespace tarvik::widgets {

class ScaledCanvas final : public platform::Canvas {
 public:
  ScaledCanvas(platform::Canvas& target, std::function<int()> dpi)
      : target_(target), dpi_(std::move(dpi)) {}

  void Clear(platform::Color back) override { target_.Clear(back); }
  void DrawLine(float x1, float y1, float x2, float y2, float width, platform::Argb color,
                bool smooth) override;
  void DrawShape(platform::ShapeKind kind, const platform::Rect& box, float width,
                 platform::Argb color, bool smooth) override;
  void FillShape(platform::ShapeKind kind, const platform::Rect& box, platform::Argb color,
                 bool smooth) override;
  void Refresh() override { target_.Refresh(); }

 private:
  platform::Canvas& target_;
  std::function<int()> dpi_;
};

}  // namespace tarvik::widgets
