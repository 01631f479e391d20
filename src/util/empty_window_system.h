#pragma once
// A window system with no windows in it: nothing is found and nothing happens. The headless
// backend runs clsWindow on it, and test systems derive from it to fill in what they fake.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "util/cls_window.h"

namespace tarvik::util {

class EmptyWindowSystem : public WindowSystem {
 public:
  std::vector<WindowHandle> TopLevelWindows() override { return {}; }
  std::vector<WindowHandle> Descendants(WindowHandle) override { return {}; }
  bool Exists(WindowHandle) override { return false; }
  bool IsVisible(WindowHandle) override { return false; }
  std::wstring Caption(WindowHandle) override { return {}; }
  std::wstring Text(WindowHandle) override { return {}; }
  bool SetText(WindowHandle, const std::wstring&) override { return false; }
  std::wstring ClassName(WindowHandle) override { return {}; }
  std::intptr_t ControlId(WindowHandle) override { return 0; }
  std::uint32_t ProcessId(WindowHandle) override { return 0; }
  WindowHandle TopLevelAt(platform::Point) override { return 0; }

  std::wstring ProcessPath(std::uint32_t) override { return {}; }
  std::wstring ProcessCommandLine(std::uint32_t) override { return {}; }
  bool IsProcess64Bit(std::uint32_t) override { return false; }
  bool TerminateProcess(std::uint32_t) override { return false; }

  std::optional<platform::Rect> Bounds(WindowHandle) override { return std::nullopt; }
  bool SetBounds(WindowHandle, const platform::Rect&) override { return false; }
  void SetZOrder(WindowHandle, ZPlace) override {}
  void Show(WindowHandle, ShowCommand) override {}
  int ShowState(WindowHandle) override { return 0; }
  bool Activate(WindowHandle, bool) override { return false; }
  bool SetKeyboardFocus(WindowHandle) override { return false; }
  WindowHandle Foreground() override { return 0; }
  bool IsEnabled(WindowHandle) override { return false; }
  void Enable(WindowHandle, bool) override {}
  void Redraw(WindowHandle) override {}
  std::intptr_t DeviceContext(WindowHandle) override { return 0; }
  bool PostClose(WindowHandle) override { return false; }

  void SetCursorPos(platform::Point) override {}
  void ClickMouse(int) override {}
  bool ClickControl(WindowHandle) override { return false; }
  bool SelectComboIndex(WindowHandle, int) override { return false; }
};

}  // namespace tarvik::util
