#pragma once
// Snapping a window to the work area's edges while it moves: a handler in the window's
// message chain that adjusts every proposed position, whoever moves the window.

#include <functional>

#include "platform/platform.h"

namespace tarvik::window {

class modEdgeSnap {
 public:
  // Puts EdgeSnapWndProc in front of the window's handler, keeping that one as the old window
  // procedure. Nothing when it is installed already (it would pass messages to itself). dpi
  // tells the window's present scale; the snap distance grows with it.
  using Roles = platform::Roles<platform::MessageHooks, platform::Display>;
  void InstallEdgeSnap(Roles platform, platform::NativeHandle window,
                       std::function<int()> dpi = {});
  // Sets the window's handler back to the old window procedure; every handler installed
  // after this one goes with it.
  void RemoveEdgeSnap(platform::MessageHooks& hooks, platform::NativeHandle window);

  // Snaps a proposed position to the work area as it is now, then passes every message on.
  std::intptr_t EdgeSnapWndProc(platform::NativeHandle window, platform::WindowMessage& message);

  const platform::WindowProc& Proc() const { return proc_; }
  const platform::WindowProc& OldWindowProc() const { return oldProc_; }

 private:
  platform::MessageHooks* hooks_ = nullptr;
  platform::Display* display_ = nullptr;
  std::function<int()> dpi_;
  platform::WindowProc proc_;
  platform::WindowProc oldProc_;
  bool installed_ = false;
};

}  // namespace tarvik::window
