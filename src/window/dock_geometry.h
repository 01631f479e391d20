#pragma once
// The arithmetic of docking: snapping to the work area, hiding at a screen edge and coming
// back, where the floating window's pop-up goes and where the main window returns to. Numbers
// in, numbers out, so every rule is tested by the table; the modules that move real windows
// call these.

#include <cstdint>
#include <optional>

#include "platform/platform.h"

namespace tarvik::window {

// Pixels from a work-area edge at which a moving window sticks to it.
inline constexpr int kSnapDistancePx = 20;
// Twips between the floating window and its pop-up.
inline constexpr int kPopupGapTwips = 120;

// A proposed window position (pixels) adjusted to the work area (pixels). The left and top
// snaps go to screen coordinate 0, where auto-hide looks for a docked window; the right and
// bottom snaps are tested after them and so win.
platform::Point SnapToWorkArea(int x, int y, int width, int height, const platform::Rect& workArea);

// A top-level window's outer geometry and the screen, in twips.
struct TwipsGeometry {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int screenWidth = 0;
  int screenHeight = 0;
  int twipsPerPixelX = 15;
  int twipsPerPixelY = 15;
};

// The cursor (screen pixels) within the window's rectangle, edges included.
bool IsPointInWindow(const TwipsGeometry& g, platform::Point cursorPx);

// One tick of auto-hide: the window's new left and top in twips, or nothing when it stays.
// A hidden window whose screen edge the cursor touches alongside it comes back; a docked
// window the cursor is not over slides beyond its edge (left first, then right, then top; the
// bottom edge never hides). Comparisons are exact, on twips.
std::optional<platform::Point> AutoHideStep(const TwipsGeometry& g, platform::Point cursorPx);

// Where the show-text pop-up goes beside the floating window (twips): on the side with more
// room horizontally, tops or bottoms aligned by the half of the screen it lies in.
platform::Point PopupPosition(const TwipsGeometry& floatWindow, int popupWidth, int popupHeight);

// Where the main window comes back from the floating window (twips): at the floating window's
// corner, pulled back so its right and bottom edges are on the screen, then its top and left.
platform::Point RestorePosition(int floatLeft, int floatTop, int mainWidth, int mainHeight,
                                int screenWidth, int screenHeight);

// Font sizes of the note text under the wheel, in ten-thousandths of a point so that sizes
// such as 10.5 stay exact. The limits are tested on the size before the step.
inline constexpr std::int64_t kFontUnit = 10000;
std::int64_t FontSizeAfterWheelDown(std::int64_t size);
std::int64_t FontSizeAfterWheelUp(std::int64_t size);
std::int64_t ToFontUnits(double points);
double FromFontUnits(std::int64_t units);

// The note a Ctrl-wheel step over the floating window selects, wrapping at both ends; nothing
// when there is nothing to step through (one note, or none).
std::optional<int> StepNoteIndex(int current, int count, bool down);

}  // namespace tarvik::window
