// The main window's own frame: its 2-pixel edge resizes it, its menu bar and title move it,
// a right click outside it (the taskbar button) opens its system menu.

#include "app/frm_main.h"

namespace tarvik::app {

bool frmMain::IsCursorInWindow() const {
  const platform::Point c = platform_.CursorPos();
  const double tpx = me_.TwipsPerPixelX();
  const double tpy = me_.TwipsPerPixelY();
  return me_.Left() / tpx <= c.x && c.x <= (me_.Left() + me_.Width()) / tpx &&
         me_.Top() / tpy <= c.y && c.y <= (me_.Top() + me_.Height()) / tpy;
}

void frmMain::ApplyMinimumSize() {
  if (me_.IsMinimized()) return;
  if (const auto size = window::RaiseToMinimum({me_.Width(), me_.Height()}, MinimumSize())) {
    me_.Move(me_.Left(), me_.Top(), size->width, size->height);
  }
}

void frmMain::Form_MouseDown(const platform::MouseArgs& a) {
  if (a.button == platform::kButtonRight) {
    if (!IsCursorInWindow()) window::ShowSystemMenu(platform_, me_.hWnd());
    return;
  }
  if (a.button != platform::kButtonLeft) return;
  if (const auto hit = window::EdgeHitTest(a.x, a.y, me_.ScaleWidth(), me_.ScaleHeight())) {
    platform_.ReleaseMouseCapture();
    platform_.RunMoveSizeLoop(me_.hWnd(), *hit);
  }
  ApplyMinimumSize();
}

void frmMain::Form_MouseMove(const platform::MouseArgs& a) {
  flags_.NoteHoverFlag = false;
  const int shape = window::EdgeCursorShape(a.x, a.y, me_.ScaleWidth(), me_.ScaleHeight());
  if (me_.MousePointer() != shape) me_.SetMousePointer(shape);
  if ((a.button & platform::kButtonLeft) != 0) {
    ApplyMinimumSize();
    Form_Resize();
  }
}

void frmMain::Form_MouseUp(const platform::MouseArgs& a) {
  if (a.button == platform::kButtonRight && !IsCursorInWindow()) {
    window::ShowSystemMenu(platform_, me_.hWnd());
  }
  ApplyMinimumSize();
  if (a.button == platform::kButtonLeft) {
    // Holding the mouse lets a right click on the taskbar button reach the window.
    platform_.SetMouseCapture(me_.hWnd());
    Form_Resize();
  }
}

void frmMain::picMenuBar_MouseDown(const platform::MouseArgs& a) {
  const bool panelOpen = options_.picOptions.Visible() || tools_.picTools.Visible();
  options_.picOptions.SetVisible(false);
  tools_.picTools.SetVisible(false);
  if (panelOpen) FocusBackFromPanel();
  if (a.button == platform::kButtonLeft) window::BeginDragMove(platform_, me_.hWnd());
}

void frmMain::picMenuBar_MouseUp(const platform::MouseArgs& a) {
  // The platform starts no loop once the button is up, so the window never sticks to the
  // pointer after a click.
  if (a.button == platform::kButtonLeft) window::BeginDragMove(platform_, me_.hWnd());
}

}  // namespace tarvik::app
