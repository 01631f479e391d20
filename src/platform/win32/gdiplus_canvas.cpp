#include "platform/win32/gdiplus_canvas.h"

#include <objidl.h>
// GDI+ declares its flat API inside namespace Gdiplus::DllExports.
#include <gdiplus.h>

#include <algorithm>

#include "platform/win32/backend_context.h"

namespace tarvik::platform::win32 {
namespace {

namespace flat = Gdiplus::DllExports;

// One GDI+ drawing call's graphics object, made on the image's DC and gone when the call ends.
class Graphics {
 public:
  Graphics(HDC dc, bool smooth) {
    if (flat::GdipCreateFromHDC(dc, &graphics_) != Gdiplus::Ok) {
      graphics_ = nullptr;
      return;
    }
    flat::GdipSetSmoothingMode(
        graphics_, smooth ? Gdiplus::SmoothingModeAntiAlias : Gdiplus::SmoothingModeNone);
  }
  ~Graphics() {
    if (graphics_ == nullptr) return;
    flat::GdipResetClip(graphics_);
    flat::GdipDeleteGraphics(graphics_);
  }
  Graphics(const Graphics&) = delete;
  Graphics& operator=(const Graphics&) = delete;
  Gdiplus::GpGraphics* get() const { return graphics_; }

 private:
  Gdiplus::GpGraphics* graphics_ = nullptr;
};

class Pen {
 public:
  Pen(Argb color, float width) {
    if (flat::GdipCreatePen1(color, width, Gdiplus::UnitPixel, &pen_) != Gdiplus::Ok)
      pen_ = nullptr;
  }
  ~Pen() {
    if (pen_ != nullptr) flat::GdipDeletePen(pen_);
  }
  Pen(const Pen&) = delete;
  Pen& operator=(const Pen&) = delete;
  Gdiplus::GpPen* get() const { return pen_; }

 private:
  Gdiplus::GpPen* pen_ = nullptr;
};

class SolidBrush {
 public:
  explicit SolidBrush(Argb color) {
    if (flat::GdipCreateSolidFill(color, &brush_) != Gdiplus::Ok) brush_ = nullptr;
  }
  ~SolidBrush() {
    if (brush_ != nullptr) flat::GdipDeleteBrush(brush_);
  }
  SolidBrush(const SolidBrush&) = delete;
  SolidBrush& operator=(const SolidBrush&) = delete;
  Gdiplus::GpBrush* get() const { return brush_; }

 private:
  Gdiplus::GpSolidFill* brush_ = nullptr;
};

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

GdiPlusCanvas::~GdiPlusCanvas() {
  Release();
}

void GdiPlusCanvas::Release() {
  if (dc_ != nullptr) {
    ::SelectObject(dc_, oldBitmap_);
    ::DeleteDC(dc_);
  }
  if (bitmap_ != nullptr) ::DeleteObject(bitmap_);
  dc_ = nullptr;
  bitmap_ = nullptr;
  oldBitmap_ = nullptr;
  width_ = height_ = 0;
}

void GdiPlusCanvas::Resize(int width, int height, COLORREF back) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (dc_ != nullptr && width == width_ && height == height_) return;
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  {
    const HDC screen = ::GetDC(nullptr);
    if (screen != nullptr) {
      dc = ::CreateCompatibleDC(screen);
      bitmap = ::CreateCompatibleBitmap(screen, width, height);
      ::ReleaseDC(nullptr, screen);
    }
  }
  if (dc == nullptr || bitmap == nullptr) {
    // Keep the old image; drawing goes on at the old size.
    if (dc != nullptr) ::DeleteDC(dc);
    if (bitmap != nullptr) ::DeleteObject(bitmap);
    return;
  }
  const HGDIOBJ old = ::SelectObject(dc, bitmap);
  const HBRUSH brush = ::CreateSolidBrush(back);
  const RECT all{0, 0, width, height};
  ::FillRect(dc, &all, brush != nullptr ? brush : ::GetSysColorBrush(COLOR_WINDOW));
  if (brush != nullptr) ::DeleteObject(brush);
  if (dc_ != nullptr) ::BitBlt(dc, 0, 0, width_, height_, dc_, 0, 0, SRCCOPY);
  Release();
  dc_ = dc;
  bitmap_ = bitmap;
  oldBitmap_ = old;
  width_ = width;
  height_ = height;
}

void GdiPlusCanvas::PaintTo(HDC target, const RECT& dirty) const {
  if (dc_ == nullptr) return;
  ::BitBlt(target, dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top, dc_,
           dirty.left, dirty.top, SRCCOPY);
}

void GdiPlusCanvas::Fill(COLORREF color) {
  if (dc_ == nullptr) return;
  const HBRUSH brush = ::CreateSolidBrush(color);
  if (brush == nullptr) return;
  const RECT all{0, 0, width_, height_};
  ::FillRect(dc_, &all, brush);
  ::DeleteObject(brush);
}

void GdiPlusCanvas::Clear(Color back) {
  Fill(ToColorRef(back));
}

void GdiPlusCanvas::DrawLine(float x1, float y1, float x2, float y2, float width, Argb color,
                             bool smooth) {
  if (dc_ == nullptr) return;
  const Graphics graphics(dc_, smooth);
  const Pen pen(color, width);
  if (graphics.get() == nullptr || pen.get() == nullptr) return;
  flat::GdipDrawLine(graphics.get(), pen.get(), x1, y1, x2, y2);
}

void GdiPlusCanvas::DrawShape(ShapeKind kind, const Rect& box, float width, Argb color,
                              bool smooth) {
  if (dc_ == nullptr) return;
  const Graphics graphics(dc_, smooth);
  const Pen pen(color, width);
  if (graphics.get() == nullptr || pen.get() == nullptr) return;
  if (kind == ShapeKind::Ellipse) {
    flat::GdipDrawEllipseI(graphics.get(), pen.get(), box.left, box.top, box.width, box.height);
  } else {
    flat::GdipDrawRectangleI(graphics.get(), pen.get(), box.left, box.top, box.width, box.height);
  }
}

void GdiPlusCanvas::FillShape(ShapeKind kind, const Rect& box, Argb color, bool smooth) {
  if (dc_ == nullptr) return;
  const Graphics graphics(dc_, smooth);
  const SolidBrush brush(color);
  if (graphics.get() == nullptr || brush.get() == nullptr) return;
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
