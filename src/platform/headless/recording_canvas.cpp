#include "platform/headless/recording_canvas.h"

#include <iomanip>

namespace tarvik::platform::headless {
namespace {

float F(int v) {
  return static_cast<float>(v);
}

}  // namespace

void PrintTo(const DrawCall& call, std::ostream* out) {
  static const char* const kOps[] = {"Clear", "Line", "Outline", "Fill", "Refresh"};
  *out << kOps[static_cast<int>(call.op)];
  if (call.op == DrawCall::Op::Outline || call.op == DrawCall::Op::Fill) {
    *out << (call.shape == ShapeKind::Ellipse ? " ellipse" : " rectangle");
  }
  if (call.op != DrawCall::Op::Refresh) {
    *out << " (" << call.x1 << ", " << call.y1 << ", " << call.x2 << ", " << call.y2 << ") #"
         << std::hex << std::uppercase << call.color << std::dec << " w" << call.width
         << (call.smooth ? " smooth" : "");
  }
}

void RecordingCanvas::Clear(Color back) {
  DrawCall call;
  call.op = DrawCall::Op::Clear;
  call.color = back;
  calls_.push_back(call);
}

void RecordingCanvas::DrawLine(float x1, float y1, float x2, float y2, float width, Argb color,
                               bool smooth) {
  calls_.push_back(
      {DrawCall::Op::Line, ShapeKind::Rectangle, x1, y1, x2, y2, color, width, smooth});
}

void RecordingCanvas::DrawShape(ShapeKind kind, const Rect& box, float width, Argb color,
                                bool smooth) {
  calls_.push_back({DrawCall::Op::Outline, kind, F(box.left), F(box.top), F(box.width),
                    F(box.height), color, width, smooth});
}

void RecordingCanvas::FillShape(ShapeKind kind, const Rect& box, Argb color, bool smooth) {
  calls_.push_back({DrawCall::Op::Fill, kind, F(box.left), F(box.top), F(box.width), F(box.height),
                    color, 0, smooth});
}

void RecordingCanvas::Refresh() {
  DrawCall call;
  call.op = DrawCall::Op::Refresh;
  calls_.push_back(call);
}

}  // namespace tarvik::platform::headless
