#pragma once
// A picture box's image in tests: every drawing call is kept, in order, for a test to read.

#include <ostream>
#include <vector>

#include "platform/canvas.h"

namespace tarvik::platform::headless {

struct DrawCall {
  enum class Op { Clear, Line, Outline, Fill, Refresh };
  Op op = Op::Refresh;
  ShapeKind shape = ShapeKind::Rectangle;  // outline and fill
  // A line's ends (x1, y1)-(x2, y2), or a shape's box: x1, y1 = left, top; x2, y2 = size.
  float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  std::uint32_t color = 0;  // ARGB, or the window colour of a clear
  float width = 0;          // pen width of a line or outline
  bool smooth = false;
  friend bool operator==(const DrawCall&, const DrawCall&) = default;
};

void PrintTo(const DrawCall& call, std::ostream* out);

class RecordingCanvas final : public Canvas {
 public:
  void Clear(Color back) override;
  void DrawLine(float x1, float y1, float x2, float y2, float width, Argb color,
                bool smooth) override;
  void DrawShape(ShapeKind kind, const Rect& box, float width, Argb color, bool smooth) override;
  void FillShape(ShapeKind kind, const Rect& box, Argb color, bool smooth) override;
  void Refresh() override;

  const std::vector<DrawCall>& Calls() const { return calls_; }
  void Forget() { calls_.clear(); }

 private:
  std::vector<DrawCall> calls_;
};

}  // namespace tarvik::platform::headless
