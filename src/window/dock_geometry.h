#pragma once
// The arithmetic of docking: snapping to the work area, hiding at a screen edge and coming
// back, where the floating window's pop-up goes and where the main window returns to. Numbers
// in, numbers out, so every rule is tested by the table; the modules that move real windows
// call these.

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "platform/platform.h"

namespace tarvik::widgets {
class Form;
}

namespace tarvik::window {

// Pixels from a work-area edge at which a moving window sticks to it. This and the figures
// below are design pixels (at 96 dpi); a window at another scale has them as much larger.
inline constexpr int kSnapDistancePx = 20;
// Twips between the floating window and its pop-up (8 design pixels).
inline constexpr int kPopupGapTwips = 120;
// The menu bar's close button lies within this many pixels of the main window's top-right
// corner; wherever the program places the window, that square stays in a work area.
inline constexpr int kCloseCornerPx = 24;

// One display, in screen pixels: all of it, and the part no task bar covers.
using Monitor = platform::Monitor;
// The displays, the primary (the one at 0,0) first. The functions below leave everything
// where it is when the layout is empty.
using MonitorLayout = std::vector<Monitor>;

// The index of the monitor a window (pixels) is on: the one it overlaps most; when it
// overlaps none, the nearest, the earlier on a tie. -1 for an empty layout.
int MonitorOf(const platform::Rect& windowPx, const MonitorLayout& monitors);

// One screen: a proposed window position (pixels) adjusted to the work area (pixels). The
// left and top snaps go to screen coordinate 0, where auto-hide looks for a docked window; the
// right and bottom snaps are tested after them and so win.
platform::Point SnapToWorkArea(int x, int y, int width, int height, const platform::Rect& workArea);

// The same snaps against the work area of the monitor the proposed rectangle is on, its left
// and top going to the work area's edges: a window never lands under a task bar. A resize
// (a new size with one edge of each axis where it was) is left as it is: the hook can only
// move a window, and moving it would turn a drag of one edge into a move of the whole window.
// So is a window coming from off every monitor: a minimised one is restored where it was.
platform::Point SnapToWorkArea(const platform::Rect& proposed, const platform::Rect& current,
                               const MonitorLayout& monitors, int dpi = 96);

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
  int dpi = 96;  // the window's scale, for the figures in design pixels
};

// A window's geometry as it stands, with the screen's.
TwipsGeometry GeometryOf(const widgets::Form& window, const platform::ScreenMetrics& screen);

// Moves a window to where place (given its present size, twips) says. A window that lands on
// a monitor of another scale takes that scale's size there, and is placed once more for it.
void PlaceAtItsScale(widgets::Form& window,
                     const std::function<platform::Point(int width, int height)>& place);

// The cursor (screen pixels) within the window's rectangle, edges included.
bool IsPointInWindow(const TwipsGeometry& g, platform::Point cursorPx);

// One tick of auto-hide: the window's new left and top in twips, or nothing when it stays.
// A hidden window whose screen edge the cursor touches alongside it comes back; a docked
// window the cursor is not over slides beyond its edge (left first, then right, then top; the
// bottom edge never hides). Comparisons are exact, on twips.
// One screen, all of it work area; a thin wrapper of the overload below.
std::optional<platform::Point> AutoHideStep(const TwipsGeometry& g, platform::Point cursorPx);

// The same over a monitor layout (the screen size in `g` is not used). A window docks at an
// edge of the monitor it is on and hides only where nothing of it would then lie on any
// monitor: an edge shared with a neighbour keeps it. A window on some monitor is never
// hidden, and a hidden one only comes back: it never hides at a second edge. Beside a task
// bar the edge still docks, so the feature works wherever the bar is: a window at the work
// area's edge (or at the screen's, under the bar, from an older place) hides beyond the
// screen edge, the touch is on the screen edge (over the bar), and it comes back beside the
// bar, never under it, with its close button on the work area.
std::optional<platform::Point> AutoHideStep(const TwipsGeometry& g, platform::Point cursorPx,
                                            const MonitorLayout& monitors);

// Where the show-text pop-up goes beside the floating window (twips): on the side with more
// room horizontally, tops or bottoms aligned by the half of the screen it lies in.
platform::Point PopupPosition(const TwipsGeometry& floatWindow, int popupWidth, int popupHeight);
// The same by the halves of the monitor the floating window is on.
platform::Point PopupPosition(const TwipsGeometry& floatWindow, int popupWidth, int popupHeight,
                              const MonitorLayout& monitors);

// Where the main window comes back from the floating window (twips): at the floating window's
// corner, pulled back so its right and bottom edges are on the screen, then its top and left.
platform::Point RestorePosition(int floatLeft, int floatTop, int mainWidth, int mainHeight,
                                int screenWidth, int screenHeight);
// The same within the work area of the monitor the floating window is on; a main window
// larger than that work area keeps its top-right corner, and so its close button, on it.
platform::Point RestorePosition(const TwipsGeometry& floatWindow, int mainWidth, int mainHeight,
                                const MonitorLayout& monitors);

// Where a window (twips) must go so that its close button can be reached: unchanged when the
// square of its top-right corner lies on work areas, otherwise moved the least to bring it
// into the work area of the window's monitor. A left or top edge under a task bar comes out
// beside it, so all of the menu bar shows. A window on no monitor is left to the caller
// (a hidden one comes back by the edge touch, a lost one opens centred).
platform::Point KeepCloseButtonReachable(const TwipsGeometry& window,
                                         const MonitorLayout& monitors);

// Font sizes of the note text under the wheel, in ten-thousandths of a point so that sizes
// such as 10.5 stay exact. The limits are tested on the size before the step.
inline constexpr std::int64_t kFontUnit = 10000;
std::int64_t FontSizeAfterWheelDown(std::int64_t size);
std::int64_t FontSizeAfterWheelUp(std::int64_t size);
std::int64_t ToFontUnits(double points);
double FromFontUnits(std::int64_t units);

}  // namespace tarvik::window
