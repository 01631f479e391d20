#include "platform/win32/gdiplus_canvas.h"

#include <objidl.h>
// GDI+ declares its flat API inside namespace Gdiplus::DllExports.
#include <gdiplus.h>

#include <algorithm>

#include "platform/win32/backend_context.h"

namespace tarvik::platform::win32 {
namespace {

namespace flat = Gdiplus::DllExports;

// The GDI+ objects of one drawing call, gone when the call ends.
struct GraphicsTraits {
  using Type = Gdiplus::GpGraphics*;
  static constexpr Type Invalid() noexcept { return nullptr; }
  static void Close(Type value) noexcept {
    flat::GdipResetClip(value);
    flat::GdipDeleteGraphics(value);
  }
};
struct PenTraits {
  using Type = Gdiplus::GpPen*;
  static constexpr Type Invalid() noexcept { return nullptr; }
  static void Close(Type value) noexcept { flat::GdipDeletePen(value); }
};
struct SolidFillTraits {
  using Type = Gdiplus::GpSolidFill*;
  static constexpr Type Invalid() noexcept { return nullptr; }
  static void Close(Type value) noexcept { flat::GdipDeleteBrush(value); }
};
using unique_graphics = UniqueHandle<GraphicsTraits>;
using unique_pen = UniqueHandle<PenTraits>;
using unique_solid_fill = UniqueHandle<SolidFillTraits>;

// A failed call may leave anything in its out-parameter: only a success is owned.
unique_graphics MakeGraphics(HDC dc, bool smooth) {
  Gdiplus::GpGraphics* graphics = nullptr;
  if (flat::GdipCreateFromHDC(dc, &graphics) != Gdiplus::Ok) return {};
  unique_graphics owned(graphics);
  flat::GdipSetSmoothingMode(
      graphics, smooth ? Gdiplus::SmoothingModeAntiAlias : Gdiplus::SmoothingModeNone);
  return owned;
}

unique_pen MakePen(Argb color, float width) {
  Gdiplus::GpPen* pen = nullptr;
  if (flat::GdipCreatePen1(color, width, Gdiplus::UnitPixel, &pen) != Gdiplus::Ok) return {};
  return unique_pen(pen);
}

unique_solid_fill MakeSolidFill(Argb color) {
  Gdiplus::GpSolidFill* brush = nullptr;
  if (flat::GdipCreateSolidFill(color, &brush) != Gdiplus::Ok) return {};
  return unique_solid_fill(brush);
}

}  // namespace

int StartGdiPlus(std::uintptr_t& token) {
  Gdiplus::GdiplusStartupInput input;
  input.GdiplusVersion = 1;
  input.DebugEventCallback = nullptr;
  input.SuppressBackgroundThread = FALSE;
  input.SuppressExternalCodecs = FALSE;
  ULONG_PTR started = 0;
  const Gdiplus::Status status = Gdiplus::GdiplusStartup(&started, &input, nullptr);
  token = status == Gdiplus::Ok ? started : 0;
  return static_cast<int>(status);
}

void StopGdiPlus(std::uintptr_t token) {
  Gdiplus::GdiplusShutdown(token);
}

GdiPlusCanvas::GdiPlusCanvas(HWND panel, COLORREF back) : panel_(panel) {
  RECT rc{};
  ::GetClientRect(panel, &rc);
  Resize(rc.right - rc.left, rc.bottom - rc.top, back);
}

void GdiPlusCanvas::Resize(int width, int height, COLORREF back) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (dc_ && width == width_ && height == height_) return;
  unique_memory_dc dc;
  unique_hgdiobj bitmap;
  if (const ScreenDc screen; screen.get() != nullptr) {
    dc.reset(::CreateCompatibleDC(screen.get()));
    bitmap.reset(::CreateCompatibleBitmap(screen.get(), width, height));
  }
  // Without a new image the old one stays, and drawing goes on at the old size.
  if (!dc || !bitmap) return;
  ::SelectObject(dc.get(), bitmap.get());
  if (const unique_hbrush brush(::CreateSolidBrush(back)); brush) {
    const RECT all{0, 0, width, height};
    ::FillRect(dc.get(), &all, brush.get());
  }
  if (dc_) ::BitBlt(dc.get(), 0, 0, width_, height_, dc_.get(), 0, 0, SRCCOPY);
  dc_ = std::move(dc);  // the old DC goes before the old bitmap
  bitmap_ = std::move(bitmap);
  width_ = width;
  height_ = height;
}

void GdiPlusCanvas::PaintTo(HDC target, const RECT& dirty) const {
  if (!dc_) return;
  ::BitBlt(target, dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top,
           dc_.get(), dirty.left, dirty.top, SRCCOPY);
}

void GdiPlusCanvas::Fill(COLORREF color) {
  const unique_hbrush brush(::CreateSolidBrush(color));
  if (!dc_ || !brush) return;
  const RECT all{0, 0, width_, height_};
  ::FillRect(dc_.get(), &all, brush.get());
}

void GdiPlusCanvas::Clear(Color back) {
  Fill(ToColorRef(back));
}

void GdiPlusCanvas::DrawLine(float x1, float y1, float x2, float y2, float width, Argb color,
                             bool smooth) {
  if (!dc_) return;
  const unique_graphics graphics = MakeGraphics(dc_.get(), smooth);
  const unique_pen pen = MakePen(color, width);
  if (!graphics || !pen) return;
  flat::GdipDrawLine(graphics.get(), pen.get(), x1, y1, x2, y2);
}

void GdiPlusCanvas::DrawShape(ShapeKind kind, const Rect& box, float width, Argb color,
                              bool smooth) {
  if (!dc_) return;
  const unique_graphics graphics = MakeGraphics(dc_.get(), smooth);
  const unique_pen pen = MakePen(color, width);
  if (!graphics || !pen) return;
  if (kind == ShapeKind::Ellipse) {
    flat::GdipDrawEllipseI(graphics.get(), pen.get(), box.left, box.top, box.width, box.height);
  } else {
    flat::GdipDrawRectangleI(graphics.get(), pen.get(), box.left, box.top, box.width, box.height);
  }
}

void GdiPlusCanvas::FillShape(ShapeKind kind, const Rect& box, Argb color, bool smooth) {
  if (!dc_) return;
  const unique_graphics graphics = MakeGraphics(dc_.get(), smooth);
  const unique_solid_fill brush = MakeSolidFill(color);
  if (!graphics || !brush) return;
  if (kind == ShapeKind::Ellipse) {
    flat::GdipFillEllipseI(graphics.get(), brush.get(), box.left, box.top, box.width, box.height);
  } else {
    flat::GdipFillRectangleI(graphics.get(), brush.get(), box.left, box.top, box.width, box.height);
  }
}

void GdiPlusCanvas::Refresh() {
  ::InvalidateRect(panel_, nullptr, FALSE);
  ::UpdateWindow(panel_);
}

}  // namespace tarvik::platform::win32
