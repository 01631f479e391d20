// The main window's timer: it keeps the window topmost while the option asks for it, and
// slides a window docked at a screen edge out of sight and back.

#include "app/frm_main.h"
#include "window/dock_geometry.h"
#include "window/mod_topmost.h"

namespace tarvik::app {

void frmMain::Timer1_Timer() {
  // A floating window closed by its own double-click is released here, well after.
  retiredFloat_.reset();
  if (TopmostOptionOn() && me_.Visible() && win_ &&
      !win_->IsTopMost(static_cast<util::WindowHandle>(me_.hWnd()))) {
    window::modTopmost::SetTopmost(me_);
  }
  flags_.cursor = platform_.CursorPos();
  const platform::ScreenMetrics s = platform_.Screen();
  window::TwipsGeometry g;
  g.left = me_.Left();
  g.top = me_.Top();
  g.width = me_.Width();
  g.height = me_.Height();
  g.screenWidth = s.widthPx * s.twipsPerPixelX;
  g.screenHeight = s.heightPx * s.twipsPerPixelY;
  g.twipsPerPixelX = s.twipsPerPixelX;
  g.twipsPerPixelY = s.twipsPerPixelY;
  if (const std::optional<platform::Point> next = window::AutoHideStep(g, flags_.cursor, platform_.Monitors())) {
    me_.Move(next->x, next->y, me_.Width(), me_.Height());
  }
}

}  // namespace tarvik::app
