#pragma once
// The few flags the main window, the floating window, the show-text window and the wheel
// handler share. One object of it lives with the main window.

#include "platform/platform.h"

namespace tarvik::window {

struct ProgramFlags {
  // The cursor was moved over the note text with Ctrl held (the wheel then zooms it).
  bool NoteHoverFlag = false;
  // The cursor lies inside the floating window (refreshed by its timer).
  bool cursorOverFloat = false;
  // Modifier keys (kShiftKey | kCtrlKey | kAltKey) at the last mouse move over the floating
  // window; 0 once the cursor is outside it.
  int floatShift = 0;
  // The show-text window is open beside the floating window.
  bool showTextOpen = false;
  // The cursor (screen pixels) as the last tick of either timer read it.
  platform::Point cursor;
};

}  // namespace tarvik::window
