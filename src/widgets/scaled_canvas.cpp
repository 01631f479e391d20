#include "widgets/scaled_canvas.h"

#include "widgets/widget.h"

namespace tarvik::widgets {

void ScaledCanvas::DrawLine(float x1, float y1, float x2, float y2, float width,
                            platform::Argb color, bool smooth) {
  // At 96 dpi the factor is exactly 1: the calls pass unchanged.
  const float s = static_cast<float>(dpi_()) / kDesignDpi;
  target_.DrawLine(x1 * s, y1 * s, x2 * s, y2 * s, width * s, color, smooth);
}

void ScaledCanvas::DrawShape(platform::ShapeKind kind, const platform::Rect& box, float width,
                             platform::Argb color, bool smooth) {
  const int dpi = dpi_();
  target_.DrawShape(kind, ToDevice(box, dpi), width * static_cast<float>(dpi) / kDesignDpi,
                    color, smooth);
}

void ScaledCanvas::FillShape(platform::ShapeKind kind, const platform::Rect& box,
                             platform::Argb color, bool smooth) {
  target_.FillShape(kind, ToDevice(box, dpi_()), color, smooth);
}

}  // namespace tarvik::widgets
