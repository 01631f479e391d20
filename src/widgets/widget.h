#pragma once
// The toolkit the forms are built from. A widget owns its state (geometry, visibility, text,
// items, selection, Tag); its native peer mirrors that state and reports user input back.

#include <functional>
#include <memory>
#include <string>

#include "platform/platform.h"

namespace tarvik::widgets {

using platform::Color;
using platform::FontInfo;
using platform::KeyArgs;
using platform::MouseArgs;
using platform::NativeHandle;

// Something that holds child widgets: a form or a picture box.
class Container {
 public:
  virtual platform::Control& ContainerPeer() = 0;
  virtual platform::Platform& GetPlatform() const = 0;
  // Visible, and so is every container around it.
  virtual bool IsShownOnScreen() const = 0;

 protected:
  ~Container() = default;
};

class Widget : protected platform::ControlEvents {
 public:
  virtual ~Widget() = default;
  Widget(const Widget&) = delete;
  Widget& operator=(const Widget&) = delete;

  // Geometry in pixels of the container's client area.
  int Left() const { return bounds_.left; }
  int Top() const { return bounds_.top; }
  int Width() const { return bounds_.width; }
  int Height() const { return bounds_.height; }
  void Move(int left, int top);
  void Move(int left, int top, int width, int height);
  void SetLeft(int left) { Move(left, bounds_.top, bounds_.width, bounds_.height); }
  void SetTop(int top) { Move(bounds_.left, top, bounds_.width, bounds_.height); }
  void SetWidth(int width) { Move(bounds_.left, bounds_.top, width, bounds_.height); }
  void SetHeight(int height) { Move(bounds_.left, bounds_.top, bounds_.width, height); }

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  // Visible, and so is every container around it.
  bool IsShownOnScreen() const;

  const std::wstring& ToolTipText() const { return toolTip_; }
  void SetToolTipText(const std::wstring& text);

  // Gives the widget the keyboard focus; ignored while it is not shown.
  void SetFocus();
  bool HasFocus() const { return peer_->HasFocus(); }

  NativeHandle hWnd() const { return peer_->Handle(); }
  Container& Parent() const { return parent_; }

  // Free text the program keeps with the widget (hover marks, placeholders).
  std::wstring Tag;

  // Container-level events.
  std::function<void()> GotFocus;
  std::function<void()> LostFocus;
  std::function<void(const MouseArgs&)> MouseDown;
  std::function<void(const MouseArgs&)> MouseUp;
  std::function<void(const MouseArgs&)> MouseMove;
  std::function<void()> MouseEnter;
  std::function<void()> Click;
  std::function<void()> DblClick;
  std::function<void(const KeyArgs&)> KeyDown;

 protected:
  // native false: the widget keeps its state only and has no native control at all (a list
  // that is never shown); its peer then ignores every call and has no handle.
  Widget(Container& parent, const platform::ControlSettings& settings, bool native = true);
  platform::Control& Peer() const { return *peer_; }
  platform::Platform& GetPlatform() const { return parent_.GetPlatform(); }
  // Called after Move changed the widget's geometry.
  virtual void OnBoundsChanged() {}

  void OnMouseDown(const MouseArgs& a) override { Raise(MouseDown, a); }
  void OnMouseUp(const MouseArgs& a) override { Raise(MouseUp, a); }
  void OnMouseMove(const MouseArgs& a) override { Raise(MouseMove, a); }
  void OnMouseEnter() override { Raise(MouseEnter); }
  void OnClick() override { Raise(Click); }
  void OnDblClick() override { Raise(DblClick); }
  void OnGotFocus() override { Raise(GotFocus); }
  void OnLostFocus() override { Raise(LostFocus); }
  void OnKeyDown(const KeyArgs& a) override { Raise(KeyDown, a); }

  template <typename F, typename... Args>
  static void Raise(const F& handler, const Args&... args) {
    if (handler) handler(args...);
  }

 private:
  Container& parent_;
  platform::Rect bounds_;
  bool visible_;
  std::wstring toolTip_;
  std::unique_ptr<platform::Control> peer_;
};

}  // namespace tarvik::widgets
