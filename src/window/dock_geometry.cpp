#include "window/dock_geometry.h"

#include "widgets/form.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace tarvik::window {

namespace {

// A rectangle by its edges (right and bottom exclusive) in one unit, pixels or twips; wide
// enough for twips of any int.
struct Box {
  long long left = 0;
  long long top = 0;
  long long right = 0;
  long long bottom = 0;
};

Box BoxOf(const platform::Rect& r, long long perPixelX, long long perPixelY) {
  return {r.left * perPixelX, r.top * perPixelY,
          (static_cast<long long>(r.left) + r.width) * perPixelX,
          (static_cast<long long>(r.top) + r.height) * perPixelY};
}

Box WindowBox(const TwipsGeometry& g) {
  return {g.left, g.top, static_cast<long long>(g.left) + g.width,
          static_cast<long long>(g.top) + g.height};
}

Box Shifted(const Box& b, long long dx, long long dy) {
  return {b.left + dx, b.top + dy, b.right + dx, b.bottom + dy};
}

int ToInt(long long v) {
  return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

platform::Point PointOf(long long x, long long y) {
  return {ToInt(x), ToInt(y)};
}

// Areas and distances as doubles: their products overflow 64 bits for twips far out.
double Overlap(const Box& a, const Box& b) {
  const long long w = std::min(a.right, b.right) - std::max(a.left, b.left);
  const long long h = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
  return w > 0 && h > 0 ? static_cast<double>(w) * static_cast<double>(h) : 0.0;
}

double GapSquared(const Box& a, const Box& b) {
  const double dx = static_cast<double>(std::max({0LL, b.left - a.right, a.left - b.right}));
  const double dy = static_cast<double>(std::max({0LL, b.top - a.bottom, a.top - b.bottom}));
  return dx * dx + dy * dy;
}

int MonitorIndex(const Box& window, const MonitorLayout& monitors, long long tpx, long long tpy) {
  int best = -1;
  double most = 0;
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    const double o = Overlap(window, BoxOf(monitors[i].bounds, tpx, tpy));
    if (o > most) {
      most = o;
      best = static_cast<int>(i);
    }
  }
  if (best >= 0) return best;
  double nearest = 0;
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    const double gap = GapSquared(window, BoxOf(monitors[i].bounds, tpx, tpy));
    if (best < 0 || gap < nearest) {
      nearest = gap;
      best = static_cast<int>(i);
    }
  }
  return best;
}

bool OnAnyMonitor(const Box& b, const MonitorLayout& monitors, long long tpx, long long tpy) {
  return std::any_of(monitors.begin(), monitors.end(),
                     [&](const Monitor& m) { return Overlap(b, BoxOf(m.bounds, tpx, tpy)) > 0; });
}

bool InAnyWorkArea(long long x, long long y, const MonitorLayout& monitors, long long tpx,
                   long long tpy) {
  return std::any_of(monitors.begin(), monitors.end(), [&](const Monitor& m) {
    const Box w = BoxOf(m.work, tpx, tpy);
    return w.left <= x && x < w.right && w.top <= y && y < w.bottom;
  });
}

// The least move that puts the close button's corner square into the work area; where the
// work area is narrower than the square, the right end and the top win.
void KeepCornerIn(long long& left, long long& top, long long width, const Box& work, long long tpx,
                  long long tpy, int dpi) {
  const long long corner = widgets::ToDevicePx(kCloseCornerPx, dpi);
  left = std::max(left, work.left + corner * tpx - width);
  left = std::min(left, work.right - width);
  top = std::min(top, work.bottom - corner * tpy);
  top = std::max(top, work.top);
}

platform::Point Snap(long long x, long long y, long long width, long long height, const Box& work,
                     long long leftTo, long long topTo, long long distance = kSnapDistancePx) {
  if (std::llabs(x - work.left) < distance) x = leftTo;
  if (std::llabs(y - work.top) < distance) y = topTo;
  if (std::llabs(work.right - (x + width)) < distance) x = work.right - width;
  if (std::llabs(work.bottom - (y + height)) < distance) y = work.bottom - height;
  return PointOf(x, y);
}

// left / tpx <= p <= (left + extent) / tpx without rounding: multiply out instead of dividing.
bool WithinSpan(long long startTwips, long long extentTwips, long long px, long long tp) {
  const long long at = px * tp;
  return startTwips <= at && at <= startTwips + extentTwips;
}

}  // namespace

int MonitorOf(const platform::Rect& windowPx, const MonitorLayout& monitors) {
  return MonitorIndex(BoxOf(windowPx, 1, 1), monitors, 1, 1);
}

platform::Point SnapToWorkArea(int x, int y, int width, int height,
                               const platform::Rect& workArea) {
  return Snap(x, y, width, height, BoxOf(workArea, 1, 1), 0, 0);
}

platform::Point SnapToWorkArea(const platform::Rect& proposed, const platform::Rect& current,
                               const MonitorLayout& monitors, int dpi) {
  const int i = MonitorOf(proposed, monitors);
  // The size loop keeps the opposite edge of each axis where it was; a programmatic move that
  // also sizes the window keeps neither, and snaps like any move.
  const bool sized = proposed.width != current.width || proposed.height != current.height;
  const bool edgesHeld =
      (proposed.left == current.left ||
       proposed.left + proposed.width == current.left + current.width) &&
      (proposed.top == current.top ||
       proposed.top + proposed.height == current.top + current.height);
  // A window coming from off every monitor is a minimised one restored to its place, which
  // it keeps.
  const bool fromParking = !OnAnyMonitor(BoxOf(current, 1, 1), monitors, 1, 1);
  if (i < 0 || (sized && edgesHeld) || fromParking) return {proposed.left, proposed.top};
  const Box work = BoxOf(monitors[static_cast<std::size_t>(i)].work, 1, 1);
  return Snap(proposed.left, proposed.top, proposed.width, proposed.height, work, work.left,
              work.top, widgets::ToDevicePx(kSnapDistancePx, dpi));
}

TwipsGeometry GeometryOf(const widgets::Form& form, const platform::ScreenMetrics& s) {
  TwipsGeometry g;
  g.left = form.Left();
  g.top = form.Top();
  g.width = form.Width();
  g.height = form.Height();
  g.screenWidth = s.widthPx * s.twipsPerPixelX;
  g.screenHeight = s.heightPx * s.twipsPerPixelY;
  g.twipsPerPixelX = s.twipsPerPixelX;
  g.twipsPerPixelY = s.twipsPerPixelY;
  g.dpi = form.Dpi();
  return g;
}

void PlaceAtItsScale(widgets::Form& form,
                     const std::function<platform::Point(int width, int height)>& place) {
  for (int pass = 0; pass < 2; ++pass) {
    const int dpi = form.Dpi();
    const platform::Point at = place(form.Width(), form.Height());
    form.Move(at.x, at.y, form.Width(), form.Height());
    if (form.Dpi() == dpi) break;
  }
}

bool IsPointInWindow(const TwipsGeometry& g, platform::Point c) {
  return WithinSpan(g.left, g.width, c.x, g.twipsPerPixelX) &&
         WithinSpan(g.top, g.height, c.y, g.twipsPerPixelY);
}

std::optional<platform::Point> AutoHideStep(const TwipsGeometry& g, platform::Point c) {
  if (g.twipsPerPixelX <= 0 || g.twipsPerPixelY <= 0) return std::nullopt;
  const platform::Rect screen{0, 0, g.screenWidth / g.twipsPerPixelX,
                              g.screenHeight / g.twipsPerPixelY};
  return AutoHideStep(g, c, {{screen, screen}});
}

std::optional<platform::Point> AutoHideStep(const TwipsGeometry& g, platform::Point c,
                                            const MonitorLayout& monitors) {
  const long long tpx = g.twipsPerPixelX, tpy = g.twipsPerPixelY;
  if (tpx <= 0 || tpy <= 0) return std::nullopt;
  const long long width = g.width, height = g.height;
  const Box window = WindowBox(g);
  const auto moved = [&](long long left, long long top) -> std::optional<platform::Point> {
    if (left == g.left && top == g.top) return std::nullopt;
    return PointOf(left, top);
  };

  if (!OnAnyMonitor(window, monitors, tpx, tpy)) {
    // Hidden (or lost): only the touch at the edge it lies beyond brings it back.
    const bool alongsideY = WithinSpan(g.top, height, c.y, tpy);
    const bool alongsideX = WithinSpan(g.left, width, c.x, tpx);
    for (const Monitor& m : monitors) {
      const Box px = BoxOf(m.bounds, 1, 1);
      if (c.x < px.left || c.x >= px.right || c.y < px.top || c.y >= px.bottom) continue;
      const Box edge = BoxOf(m.bounds, tpx, tpy);
      // Hidden behind this monitor's edge means lying against it: a window hidden at another
      // monitor's edge further along is not this one's to bring out.
      const bool beyondLeft = window.right == edge.left;
      const bool beyondRight = window.left == edge.right;
      const bool beyondTop = window.bottom == edge.top;
      const bool touched = (beyondLeft && c.x == px.left && alongsideY) ||
                           (beyondRight && c.x == px.right - 1 && alongsideY) ||
                           (beyondTop && c.y == px.top && alongsideX);
      if (!touched) continue;
      const Box work = BoxOf(m.work, tpx, tpy);
      long long left = g.left;
      long long top = g.top;
      if (beyondLeft) left = work.left;
      if (beyondRight) left = work.right - width;
      if (beyondTop) top = work.top;
      KeepCornerIn(left, top, width, work, tpx, tpy, g.dpi);
      return moved(left, top);
    }
    return std::nullopt;
  }

  if (IsPointInWindow(g, c)) return std::nullopt;
  const Monitor& m = monitors[static_cast<std::size_t>(MonitorIndex(window, monitors, tpx, tpy))];
  const Box edge = BoxOf(m.bounds, tpx, tpy);
  const Box work = BoxOf(m.work, tpx, tpy);
  const struct {
    bool docked;
    long long dx, dy;
  } sides[] = {
      {window.left == edge.left || window.left == work.left, edge.left - width - window.left, 0},
      {window.right == edge.right || window.right == work.right, edge.right - window.left, 0},
      {window.top == edge.top || window.top == work.top, 0, edge.top - height - window.top},
  };
  for (const auto& side : sides) {
    if (side.docked && !OnAnyMonitor(Shifted(window, side.dx, side.dy), monitors, tpx, tpy)) {
      return moved(window.left + side.dx, window.top + side.dy);
    }
  }
  return std::nullopt;
}

platform::Point PopupPosition(const TwipsGeometry& f, int popupWidth, int popupHeight) {
  // left >= screen / 2 - width / 2, doubled so the halves stay exact.
  const bool rightHalf = 2LL * f.left >= static_cast<long long>(f.screenWidth) - f.width;
  const bool lowerHalf = 2LL * f.top >= static_cast<long long>(f.screenHeight) - f.height;
  // The gap is design pixels too: 8 at 96 dpi.
  const int gap = f.dpi == widgets::kDesignDpi
                      ? kPopupGapTwips
                      : widgets::ToDevicePx(kPopupGapTwips / 15, f.dpi) * f.twipsPerPixelX;
  const int left = rightHalf ? f.left - gap - popupWidth : f.left + f.width + gap;
  const int top = lowerHalf ? f.top + f.height - popupHeight : f.top;
  return {left, top};
}

platform::Point PopupPosition(const TwipsGeometry& f, int popupWidth, int popupHeight,
                              const MonitorLayout& monitors) {
  const int i = MonitorIndex(WindowBox(f), monitors, f.twipsPerPixelX, f.twipsPerPixelY);
  if (i < 0) return PopupPosition(f, popupWidth, popupHeight);
  const Box screen =
      BoxOf(monitors[static_cast<std::size_t>(i)].bounds, f.twipsPerPixelX, f.twipsPerPixelY);
  TwipsGeometry local = f;
  local.left = ToInt(f.left - screen.left);
  local.top = ToInt(f.top - screen.top);
  local.screenWidth = ToInt(screen.right - screen.left);
  local.screenHeight = ToInt(screen.bottom - screen.top);
  const platform::Point at = PopupPosition(local, popupWidth, popupHeight);
  return PointOf(at.x + screen.left, at.y + screen.top);
}

platform::Point RestorePosition(int floatLeft, int floatTop, int mainWidth, int mainHeight,
                                int screenWidth, int screenHeight) {
  int left = floatLeft;
  int top = floatTop;
  if (mainWidth + left > screenWidth) left = screenWidth - mainWidth;
  if (mainHeight + top > screenHeight) top = screenHeight - mainHeight;
  if (top < 0) top = 0;
  if (left < 0) left = 0;
  return {left, top};
}

platform::Point RestorePosition(const TwipsGeometry& f, int mainWidth, int mainHeight,
                                const MonitorLayout& monitors) {
  const long long tpx = f.twipsPerPixelX, tpy = f.twipsPerPixelY;
  const int i = MonitorIndex(WindowBox(f), monitors, tpx, tpy);
  if (i < 0) return {f.left, f.top};
  const Box work = BoxOf(monitors[static_cast<std::size_t>(i)].work, tpx, tpy);
  long long left = f.left;
  long long top = f.top;
  if (mainWidth + left > work.right) left = work.right - mainWidth;
  if (mainHeight + top > work.bottom) top = work.bottom - mainHeight;
  if (top < work.top) top = work.top;
  if (left < work.left) left = work.left;
  KeepCornerIn(left, top, mainWidth, work, tpx, tpy, f.dpi);
  return PointOf(left, top);
}

platform::Point KeepCloseButtonReachable(const TwipsGeometry& g, const MonitorLayout& monitors) {
  const long long tpx = g.twipsPerPixelX, tpy = g.twipsPerPixelY;
  const Box window = WindowBox(g);
  if (!OnAnyMonitor(window, monitors, tpx, tpy)) return {g.left, g.top};
  const Monitor& m = monitors[static_cast<std::size_t>(MonitorIndex(window, monitors, tpx, tpy))];
  const Box edge = BoxOf(m.bounds, tpx, tpy);
  const Box work = BoxOf(m.work, tpx, tpy);
  long long left = g.left;
  long long top = g.top;
  // The menu bar's ends lie under a task bar at the left or the top (an older place, from
  // before the bar was there): beside the bar instead.
  if (edge.left <= left && left < work.left) left = work.left;
  if (edge.top <= top && top < work.top) top = work.top;
  const long long corner = widgets::ToDevicePx(kCloseCornerPx, g.dpi);
  const long long right = left + g.width;
  const long long x0 = right - corner * tpx, x1 = right - 1;
  const long long y0 = top, y1 = top + corner * tpy - 1;
  if (!InAnyWorkArea(x0, y0, monitors, tpx, tpy) || !InAnyWorkArea(x1, y0, monitors, tpx, tpy) ||
      !InAnyWorkArea(x0, y1, monitors, tpx, tpy) || !InAnyWorkArea(x1, y1, monitors, tpx, tpy)) {
    KeepCornerIn(left, top, g.width, work, tpx, tpy, g.dpi);
  }
  return PointOf(left, top);
}

std::int64_t FontSizeAfterWheelDown(std::int64_t size) {
  return size <= 9 * kFontUnit ? 9 * kFontUnit : size - 2 * kFontUnit;
}

std::int64_t FontSizeAfterWheelUp(std::int64_t size) {
  return size >= 96 * kFontUnit ? 96 * kFontUnit : size + 2 * kFontUnit;
}

std::int64_t ToFontUnits(double points) {
  return std::llround(points * static_cast<double>(kFontUnit));
}

double FromFontUnits(std::int64_t units) {
  return static_cast<double>(units) / static_cast<double>(kFontUnit);
}

}  // namespace tarvik::window
