#include "window/mod_edge_snap.h"

#include "window/dock_geometry.h"

namespace tarvik::window {

void modEdgeSnap::InstallEdgeSnap(platform::Platform& platform, platform::NativeHandle window,
                                  std::function<int()> dpi) {
  if (installed_) return;
  platform_ = &platform;
  dpi_ = std::move(dpi);
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
    // Monitors and task bars come and go, so the layout is read on every change.
    const platform::Point snapped =
        SnapToWorkArea(message.proposed, message.current, platform_->Monitors(),
                       dpi_ ? dpi_() : 96);
    message.proposed.left = snapped.x;
    message.proposed.top = snapped.y;
  }
  return platform_->PassToWindowProc(oldProc_, window, message);
}

}  // namespace tarvik::window
