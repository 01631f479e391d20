#include "window/mod_edge_snap.h"

#include "window/dock_geometry.h"

namespace tarvik::window {

void modEdgeSnap::InstallEdgeSnap(Roles platform, platform::NativeHandle window,
                                  std::function<int()> dpi) {
  if (installed_) return;
  hooks_ = &platform.Get<platform::MessageHooks>();
  display_ = &platform.Get<platform::Display>();
  dpi_ = std::move(dpi);
  if (!proc_) {
    proc_ = platform::MakeWindowProc([this](platform::NativeHandle w, platform::WindowMessage& m) {
      return EdgeSnapWndProc(w, m);
    });
  }
  oldProc_ = hooks_->ReplaceWindowProc(window, proc_);
  installed_ = true;
}

void modEdgeSnap::RemoveEdgeSnap(platform::MessageHooks& hooks, platform::NativeHandle window) {
  if (!installed_) return;
  hooks.ReplaceWindowProc(window, oldProc_);
  installed_ = false;
}

std::intptr_t modEdgeSnap::EdgeSnapWndProc(platform::NativeHandle window,
                                           platform::WindowMessage& message) {
  if (message.id == platform::kMsgWindowPosChanging) {
    // Monitors and task bars come and go, so the layout is read on every change.
    const platform::Point snapped =
        SnapToWorkArea(message.proposed, message.current, display_->Monitors(), dpi_ ? dpi_() : 96);
    message.proposed.left = snapped.x;
    message.proposed.top = snapped.y;
  }
  return hooks_->PassToWindowProc(oldProc_, window, message);
}

}  // namespace tarvik::window
