#pragma once
// The main window without the system's caption and sizing frame: what the frame gave (moving,
// resizing from a 2-pixel edge with matching cursors, a minimum size, the system menu) is
// supplied here. The hit-test and cursor rules are plain functions of the client point and
// size, so they are checked by table.

#include <cstdint>
#include <optional>

#include "platform/platform.h"

namespace tarvik::window {

// Caption (0x00C00000) and sizing frame (0x00040000) cleared; everything else kept.
inline constexpr std::uint32_t kFramelessMask = 0xFF3BFFFFu;

// Smallest outer size of the main window, twips (216 x 276 pixels at 15 twips per pixel).
inline constexpr int kMinWidthTwips = 3240;
inline constexpr int kMinHeightTwips = 4140;

// Hit-test codes handed to the system's move/size loop.
inline constexpr int kHitCaption = 2;
inline constexpr int kHitLeft = 10;
inline constexpr int kHitRight = 11;
inline constexpr int kHitTop = 12;
inline constexpr int kHitTopLeft = 13;
inline constexpr int kHitTopRight = 14;
inline constexpr int kHitBottom = 15;
inline constexpr int kHitBottomLeft = 16;
inline constexpr int kHitBottomRight = 17;

// Cursor shapes: 0 default, 6 NE-SW, 7 N-S, 8 NW-SE, 9 W-E.
inline constexpr int kCursorDefault = 0;
inline constexpr int kCursorNeSw = 6;
inline constexpr int kCursorNs = 7;
inline constexpr int kCursorNwSe = 8;
inline constexpr int kCursorWe = 9;

// The sizing code for a press at client pixel (x, y) of a w x h client area; nothing when the
// point is off the 2-pixel edge band. Corners win over the sides.
std::optional<int> EdgeHitTest(int x, int y, int w, int h);
// The cursor shape over client pixel (x, y).
int EdgeCursorShape(int x, int y, int w, int h);

struct OuterSize {
  int width = 0;  // twips
  int height = 0;
  friend bool operator==(const OuterSize&, const OuterSize&) = default;
};
// The size raised to the minimum (at 96 dpi; a window at another scale passes its own);
// nothing when it is large enough already.
std::optional<OuterSize> RaiseToMinimum(OuterSize size,
                                        OuterSize least = {kMinWidthTwips, kMinHeightTwips});

// Strips and restores the frame of one window; keeps the style it had before.
class modBorderless {
 public:
  void RemoveFrame(platform::WindowManager& windows, platform::NativeHandle window);
  // Puts back the style RemoveFrame found; nothing when the frame was never removed.
  void RestoreFrame(platform::WindowManager& windows, platform::NativeHandle window);

 private:
  std::optional<std::uint32_t> savedStyle_;
};

// Lets the system move the window with the mouse until the left button is released.
void BeginDragMove(platform::WindowManager& windows, platform::NativeHandle window);
// The window's system menu at the cursor; a chosen command is carried out.
void ShowSystemMenu(platform::Roles<platform::WindowManager, platform::Display> platform,
                    platform::NativeHandle window);

}  // namespace tarvik::window
