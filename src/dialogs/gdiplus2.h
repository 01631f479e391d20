#pragma once
// GDIPlus2: starts and stops the drawing library and draws anti-aliased lines, rectangles and
// ellipses on a picture box's image. Every call makes what it draws with and lets it go
// before it returns; only the library's token lives between calls.

#include <cstdint>
#include <string>

#include "platform/canvas.h"
#include "platform/platform.h"
#include "util/rounding.h"

namespace tarvik::dialogs {

// Drawing modes of DrawShapeGDIPlus.
inline constexpr int kShapeOutline = 0;
inline constexpr int kShapeFill = 1;
inline constexpr int kShapeFillAndOutline = 2;

// Shape boxes are rounded as util::RoundHalfEven rounds.
using util::RoundHalfEven;

class GDIPlus2 {
 public:
  using Roles =
      platform::Roles<platform::DrawingLibrary, platform::SystemDialogs, platform::ProcessServices>;
  explicit GDIPlus2(Roles platform)
      : drawing_(platform.Get<platform::DrawingLibrary>()),
        dialogs_(platform.Get<platform::SystemDialogs>()),
        process_(platform.Get<platform::ProcessServices>()) {}
  ~GDIPlus2() { TerminateGDIPlus(); }
  GDIPlus2(const GDIPlus2&) = delete;
  GDIPlus2& operator=(const GDIPlus2&) = delete;

  // Starts the library unless it runs already (then 0 at once). On failure shows the message
  // when asked and then ends the process when asked. The library's status, 0 = started.
  int InitGDIPlus(bool showMessage, bool endOnFailure, const std::wstring& message,
                  unsigned buttons, const std::wstring& title);
  // Stops the library if it runs.
  void TerminateGDIPlus();
  // 0 while the library is not started.
  std::uintptr_t GDIPlusToken() const { return token_; }

  // A line (x1, y1)-(x2, y2), thickness pixels wide, colour ARGB. A thickness of 0 or less
  // is refused with a message box and draws nothing.
  void DrawLineGDIPlus(platform::Canvas* hDC, float x1, float y1, float x2, float y2, int thickness,
                       platform::Argb colour);
  // A rectangle (ellipse = 0) or ellipse in the box at (x, y), width x height, rounded to
  // whole pixels. mode: 0 outline, 1 fill, 2 fill then outline; any other draws nothing. A
  // box without width or height is refused with a message box.
  void DrawShapeGDIPlus(platform::Canvas* hDC, float x, float y, float width, float height,
                        platform::Argb fillColour, platform::Argb lineColour, int ellipse, int mode,
                        int lineWidth);

 private:
  platform::DrawingLibrary& drawing_;
  platform::SystemDialogs& dialogs_;
  platform::ProcessServices& process_;
  std::uintptr_t token_ = 0;
};

}  // namespace tarvik::dialogs
