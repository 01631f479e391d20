// The main window's timer: it keeps the window topmost while the option asks for it, and
// slides a window docked at a screen edge out of sight and back.

#include "app/frm_main.h"
#include "window/dock_geometry.h"
#include "window/mod_topmost.h"

namespace tarvik::app {

void frmMain::Timer1_Timer() {
  // A floating window closed by its own double-click is released here, well after.
  retiredFloat_.reset();
  if (TopmostOptionOn() && Me.Visible() && Win &&
      !Win->IsTopMost(static_cast<util::WindowHandle>(Me.hWnd()))) {
    window::modTopmost::SetTopmost(Me);
  }
  Flags.cursor = platform_.CursorPos();
  const platform::ScreenMetrics s = platform_.Screen();
  window::TwipsGeometry g;
  g.left = Me.Left();
  g.top = Me.Top();
  g.width = Me.Width();
  g.height = Me.Height();
  g.screenWidth = s.widthPx * s.twipsPerPixelX;
  g.screenHeight = s.heightPx * s.twipsPerPixelY;
  g.twipsPerPixelX = s.twipsPerPixelX;
  g.twipsPerPixelY = s.twipsPerPixelY;
  if (const std::optional<platform::Point> next = window::AutoHideStep(g, Flags.cursor)) {
    Me.Move(next->x, next->y, Me.Width(), Me.Height());
  }
}

}  // namespace tarvik::app
