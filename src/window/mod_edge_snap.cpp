#include "window/mod_edge_snap.h"

#include "window/dock_geometry.h"

namespace tarvik::window {

void modEdgeSnap::InstallEdgeSnap(platform::Platform& platform, platform::NativeHandle window) {
  if (installed_) return;
  platform_ = &platform;
  if (!proc_) {
    proc_ = platform::MakeWindowProc([this](platform::NativeHandle w, platform::WindowMessage& m) {
      return EdgeSnapWndProc(w, m);
    });
  }
  oldProc_ = platform.ReplaceWindowProc(window, proc_);
  installed_ = true;
}

void modEdgeSnap::RemoveEdgeSnap(platform::Platform& platform, platform::NativeHandle window) {
  if (!installed_) return;
  platform.ReplaceWindowProc(window, oldProc_);
  installed_ = false;
}

std::intptr_t modEdgeSnap::EdgeSnapWndProc(platform::NativeHandle window,
                                           platform::WindowMessage& message) {
  if (message.id == platform::kMsgWindowPosChanging) {
    // The work area moves with the task bar, so it is read on every change.
    const platform::Rect work = platform_->Screen().workArea;
    const platform::Rect& p = message.proposed;
    const platform::Point snapped = SnapToWorkArea(p.left, p.top, p.width, p.height, work);
    message.proposed.left = snapped.x;
    message.proposed.top = snapped.y;
  }
  return platform_->PassToWindowProc(oldProc_, window, message);
}

}  // namespace tarvik::window
