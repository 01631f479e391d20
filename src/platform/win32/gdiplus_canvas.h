#pragma once
// A picture box's persistent image on Win32: a memory bitmap the panel keeps and copies to
// the screen when it paints, drawn on with the GDI+ flat API (anti-aliased).

#include <windows.h>

#include "platform/canvas.h"
#include "platform/win32/handles.h"

namespace tarvik::platform::win32 {

class GdiPlusCanvas final : public Canvas {
 public:
  // The image of panel, at the size of its client area, filled with back.
  GdiPlusCanvas(HWND panel, COLORREF back);

  // The panel's client area changed size: the image follows, keeping what it holds and
  // filling new room with back.
  void Resize(int width, int height, COLORREF back);
  // Copies the image onto the panel's paint DC.
  void PaintTo(HDC target, const RECT& dirty) const;

  void Clear(Color back) override;
  void DrawLine(float x1, float y1, float x2, float y2, float width, Argb color,
                bool smooth) override;
  void DrawShape(ShapeKind kind, const Rect& box, float width, Argb color, bool smooth) override;
  void FillShape(ShapeKind kind, const Rect& box, Argb color, bool smooth) override;
  void Refresh() override;

 private:
  void Fill(COLORREF color);

  struct MemoryDcTraits {
    using Type = HDC;
    static constexpr Type Invalid() noexcept { return nullptr; }
    static void Close(Type value) noexcept { ::DeleteDC(value); }
  };
  using unique_memory_dc = UniqueHandle<MemoryDcTraits>;

  HWND panel_;
  // The DC goes first (members end in reverse order), so the bitmap is no longer selected
  // into anything when it is deleted.
  unique_hgdiobj bitmap_;
  unique_memory_dc dc_;
  int width_ = 0;
  int height_ = 0;
};

// Starts GDI+ (version 1, no debug callback, its background thread and codecs allowed).
int StartGdiPlus(std::uintptr_t& token);
void StopGdiPlus(std::uintptr_t token);

}  // namespace tarvik::platform::win32
