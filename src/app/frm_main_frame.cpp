// The main window's own frame: its 2-pixel edge resizes it, its menu bar and title move it,
// a right click outside it (the taskbar button) opens its system menu.

#include "app/frm_main.h"

namespace tarvik::app {

bool frmMain::IsCursorInWindow() const {
  const platform::Point c = platform_.CursorPos();
  const double tpx = Me.TwipsPerPixelX();
  const double tpy = Me.TwipsPerPixelY();
  return Me.Left() / tpx <= c.x && c.x <= (Me.Left() + Me.Width()) / tpx && Me.Top() / tpy <= c.y &&
         c.y <= (Me.Top() + Me.Height()) / tpy;
}

void frmMain::ApplyMinimumSize() {
  if (Me.IsMinimized()) return;
  if (const auto size = window::RaiseToMinimum({Me.Width(), Me.Height()})) {
    Me.Move(Me.Left(), Me.Top(), size->width, size->height);
  }
}

void frmMain::Form_MouseDown(const platform::MouseArgs& a) {
  if (a.button == platform::kButtonRight) {
    if (!IsCursorInWindow()) window::ShowSystemMenu(platform_, Me.hWnd());
    return;
  }
  if (a.button != platform::kButtonLeft) return;
  if (const auto hit = window::EdgeHitTest(a.x, a.y, Me.ScaleWidth(), Me.ScaleHeight())) {
    platform_.ReleaseMouseCapture();
    platform_.RunMoveSizeLoop(Me.hWnd(), *hit);
  }
  ApplyMinimumSize();
}

void frmMain::Form_MouseMove(const platform::MouseArgs& a) {
  NoteHoverFlag = false;
  const int shape = window::EdgeCursorShape(a.x, a.y, Me.ScaleWidth(), Me.ScaleHeight());
  if (Me.MousePointer() != shape) Me.SetMousePointer(shape);
  if ((a.button & platform::kButtonLeft) != 0) {
    ApplyMinimumSize();
    Relayout();
  }
}

void frmMain::Form_MouseUp(const platform::MouseArgs& a) {
  if (a.button == platform::kButtonRight && !IsCursorInWindow()) {
    window::ShowSystemMenu(platform_, Me.hWnd());
  }
  ApplyMinimumSize();
  if (a.button == platform::kButtonLeft) {
    // Holding the mouse lets a right click on the taskbar button reach the window.
    platform_.SetMouseCapture(Me.hWnd());
    Relayout();
  }
}

void frmMain::picMenuBar_MouseDown(const platform::MouseArgs& a) {
  picOptions.SetVisible(false);
  picTools.SetVisible(false);
  if (a.button == platform::kButtonLeft) window::BeginDragMove(platform_, Me.hWnd());
}

void frmMain::picMenuBar_MouseUp(const platform::MouseArgs& a) {
  // The platform starts no loop once the button is up, so the window never sticks to the
  // pointer after a click.
  if (a.button == platform::kButtonLeft) window::BeginDragMove(platform_, Me.hWnd());
}

}  // namespace tarvik::app
