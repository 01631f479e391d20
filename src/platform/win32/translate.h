#pragma once
// The pure parts of the Win32 backend: numbers and strings in, numbers and strings out.
// Kept free of <windows.h> so they are tested natively; the constants below are the
// documented Win32 values they stand for.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace tarvik::platform::win32 {

// MK_* bits of a mouse message's wParam.
inline constexpr unsigned kMkLButton = 0x0001;
inline constexpr unsigned kMkRButton = 0x0002;
inline constexpr unsigned kMkMButton = 0x0010;

// The buttons held during a mouse move, as the program's events carry them (1, 2, 4).
constexpr int ButtonsFromMouseKeys(unsigned mouseKeys) {
  int buttons = 0;
  if (mouseKeys & kMkLButton) buttons |= kButtonLeft;
  if (mouseKeys & kMkRButton) buttons |= kButtonRight;
  if (mouseKeys & kMkMButton) buttons |= kButtonMiddle;
  return buttons;
}

constexpr int ShiftState(bool shift, bool ctrl, bool alt) {
  return (shift ? kShiftKey : 0) | (ctrl ? kCtrlKey : 0) | (alt ? kAltKey : 0);
}

// LOGFONT height for a point size: negative (character height), fractional points kept
// until the final rounding so 10.5 pt differs from 10 pt and 11 pt.
inline int FontHeightFromPoints(double sizePt, int dpi) {
  const long height = std::lround(sizePt * dpi / 72.0);
  return -static_cast<int>(std::max(1L, height));
}

// Twips per pixel from a device's pixels per inch; a broken report falls back to 96 dpi.
constexpr int TwipsPerPixel(int pixelsPerInch) {
  return 1440 / (pixelsPerInch > 0 ? pixelsPerInch : 96);
}

// "desc|pattern|desc|pattern" -> the common dialogs' "desc\0pattern\0...\0\0".
// A trailing '|' adds no empty entry; an empty filter stays empty (no filter at all).
inline std::wstring FilterToNulSeparated(std::wstring_view filter) {
  if (filter.empty()) return {};
  std::wstring out(filter);
  if (out.back() == L'|') out.pop_back();
  std::replace(out.begin(), out.end(), L'|', L'\0');
  out.push_back(L'\0');
  out.push_back(L'\0');
  return out;
}

// The file name after the folder, from the dialog's nFileOffset; an offset beyond the
// path (which a failed dialog can leave) falls back to the part after the last separator.
inline std::wstring FileTitleFromOffset(std::wstring_view path, std::size_t offset) {
  if (offset > 0 && offset <= path.size()) return std::wstring(path.substr(offset));
  const auto slash = path.find_last_of(L"\\/");
  return std::wstring(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
}

struct ModulePathParts {
  std::wstring folder;  // no trailing separator
  std::wstring name;    // without extension
};

inline ModulePathParts SplitModulePath(std::wstring_view path) {
  const auto slash = path.find_last_of(L"\\/");
  ModulePathParts parts;
  std::wstring_view file = path;
  if (slash != std::wstring_view::npos) {
    parts.folder = std::wstring(path.substr(0, slash));
    file = path.substr(slash + 1);
  }
  const auto dot = file.find_last_of(L'.');
  parts.name = std::wstring(dot == std::wstring_view::npos ? file : file.substr(0, dot));
  return parts;
}

// The child window that stands for a line: its bounding box, both end points included,
// so a horizontal or vertical line is exactly `thickness` pixels thick.
inline Rect LineBox(Point from, Point to, int thickness = 1) {
  const int across = std::max(thickness, 1);
  return Rect{std::min(from.x, to.x), std::min(from.y, to.y),
              from.x == to.x ? across : std::abs(to.x - from.x) + 1,
              from.y == to.y ? across : std::abs(to.y - from.y) + 1};
}

// What an edit control needs for a text box's design settings.
struct EditStyle {
  bool multiLine = false;
  bool autoHScroll = false;  // no word wrap
  bool autoVScroll = false;
  bool hScrollBar = false;
  bool vScrollBar = false;
  int alignment = 0;  // 0 left, 1 right, 2 centred
  friend bool operator==(const EditStyle&, const EditStyle&) = default;
};

constexpr EditStyle EditStyleFor(bool multiLine, int scrollBars, int alignment) {
  EditStyle style;
  style.alignment = (alignment >= 0 && alignment <= 2) ? alignment : 0;
  style.multiLine = multiLine;
  if (!multiLine) {
    // A single line scrolls sideways as the caret moves; scroll bars make no sense.
    style.autoHScroll = true;
    return style;
  }
  style.autoVScroll = true;
  style.hScrollBar = (scrollBars & 1) != 0;
  style.vScrollBar = (scrollBars & 2) != 0;
  // Without a horizontal bar a multi-line box wraps its lines.
  style.autoHScroll = style.hScrollBar;
  return style;
}

// SWP_* flags of a WINDOWPOS.
inline constexpr unsigned kSwpNoSize = 0x0001;
inline constexpr unsigned kSwpNoMove = 0x0002;

// The outer rectangle a WINDOWPOS proposes: the parts the flags leave alone (and whose fields
// then hold nothing meaningful) are the window's current ones.
constexpr Rect ProposedWindowRect(int x, int y, int cx, int cy, unsigned flags,
                                  const Rect& current) {
  Rect proposed{x, y, cx, cy};
  if (flags & kSwpNoMove) {
    proposed.left = current.left;
    proposed.top = current.top;
  }
  if (flags & kSwpNoSize) {
    proposed.width = current.width;
    proposed.height = current.height;
  }
  return proposed;
}

// A window placement's normal rectangle is in workspace coordinates (from the work area's
// corner of the window's monitor) unless the window is a tool window; to screen pixels.
constexpr Rect WorkspaceToScreen(const Rect& normal, const Monitor& monitor, bool toolWindow) {
  if (toolWindow) return normal;
  return Rect{normal.left + monitor.work.left - monitor.bounds.left,
              normal.top + monitor.work.top - monitor.bounds.top, normal.width, normal.height};
}

// Predefined cursor resource ids (IDC_*) for the program's cursor shapes.
inline constexpr int kIdcArrow = 32512;
inline constexpr int kIdcSizeNwse = 32642;
inline constexpr int kIdcSizeNesw = 32643;
inline constexpr int kIdcSizeWe = 32644;
inline constexpr int kIdcSizeNs = 32645;

constexpr int CursorIdForShape(int shape) {
  switch (shape) {
    case 6:
      return kIdcSizeNesw;
    case 7:
      return kIdcSizeNs;
    case 8:
      return kIdcSizeNwse;
    case 9:
      return kIdcSizeWe;
    default:
      return kIdcArrow;
  }
}

constexpr bool IsSystemColor(Color color) {
  return (color & kSystemColorFlag) != 0;
}
constexpr int SystemColorIndex(Color color) {
  return static_cast<int>(color & 0xFF);
}
constexpr unsigned PlainColorRef(Color color) {
  return color & 0x00FFFFFFu;
}

// Calls read(buffer, capacity) -> characters written, growing the buffer while the
// result filled it completely (the API's sign of truncation, e.g. GetModuleFileNameW).
// Empty when read fails (returns 0) or the text would exceed maxChars.
template <typename ReadFn>
std::wstring ReadGrowing(ReadFn read, std::size_t initial = 260, std::size_t maxChars = 32768 * 4) {
  std::wstring buffer(initial, L'\0');
  while (buffer.size() <= maxChars) {
    const std::size_t written = read(buffer.data(), buffer.size());
    if (written == 0) return {};
    if (written < buffer.size()) {
      buffer.resize(written);
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
  return {};
}

}  // namespace tarvik::platform::win32
