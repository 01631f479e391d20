#pragma once
// Expected drawing calls, written the way the painters' tables read.

#include "platform/headless/recording_canvas.h"

namespace tarvik::testing_support {

using platform::Argb;
using platform::ShapeKind;
using platform::headless::DrawCall;

inline DrawCall ClearTo(platform::Color back) {
  DrawCall c;
  c.op = DrawCall::Op::Clear;
  c.color = back;
  return c;
}
// Every stroke of the program's painters: 1 pixel, anti-aliased.
inline DrawCall Line(float x1, float y1, float x2, float y2, Argb color) {
  return {DrawCall::Op::Line, ShapeKind::Rectangle, x1, y1, x2, y2, color, 1, true};
}
inline DrawCall Outline(ShapeKind kind, float x, float y, float w, float h, Argb color,
                        float width = 1) {
  return {DrawCall::Op::Outline, kind, x, y, w, h, color, width, true};
}
inline DrawCall Fill(ShapeKind kind, float x, float y, float w, float h, Argb color) {
  return {DrawCall::Op::Fill, kind, x, y, w, h, color, 0, true};
}
inline DrawCall Shown() {
  return DrawCall{};
}

}  // namespace tarvik::testing_support
