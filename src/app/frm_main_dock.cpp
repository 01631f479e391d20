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
  const window::TwipsGeometry g = window::GeometryOf(me_, s);
  if (const std::optional<platform::Point> next = window::AutoHideStep(g, flags_.cursor, platform_.Monitors())) {
    me_.Move(next->x, next->y, me_.Width(), me_.Height());
  }
}

}  // namespace tarvik::app
