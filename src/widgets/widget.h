#pragma once
// The toolkit the forms are built from. A widget owns its state (geometry, visibility, text,
// items, selection, Tag); its native peer mirrors that state and reports user input back.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tarvik::widgets {

using platform::Color;
using platform::FontInfo;
using platform::KeyArgs;
using platform::MouseArgs;
using platform::NativeHandle;

// The program lays its windows out in design pixels: pixels at 96 dpi (100 % scaling). A
// window on a monitor of another scale shows everything dpi / 96 as large; the widgets scale
// on the way to the platform and back, so the forms never see device pixels inside a window.
inline constexpr int kDesignDpi = 96;
int ToDevicePx(int designPx, int dpi);
int ToDesignPx(int devicePx, int dpi);
// Edges are scaled, not sizes, so that controls side by side stay side by side.
platform::Rect ToDevice(const platform::Rect& design, int dpi);
platform::Point ToDevice(platform::Point design, int dpi);

class Widget;

// Something that holds child widgets: a form or a picture box.
// What a form and its controls use of the platform: native controls, the form's band and
// layering, the screen, and drawing.
using FormRoles = platform::Roles<platform::ControlHost, platform::WindowManager, platform::Display,
                                  platform::DrawingLibrary>;

class Container {
 public:
  virtual platform::Control& ContainerPeer() = 0;
  virtual const FormRoles& GetPlatform() const = 0;
  // Visible, and so is every container around it.
  virtual bool IsShownOnScreen() const = 0;
  // Pixels per inch of the window the container is in.
  virtual int Dpi() const = 0;

  // Every widget made in a container is known to it, so that a new scale reaches it.
  void Adopt(Widget& child) { children_.push_back(&child); }
  void Release(Widget& child);

 protected:
  ~Container() = default;
  // Gives every child its geometry and font again, at the container's present scale.
  void RescaleChildren();

 private:
  std::vector<Widget*> children_;
};

class Widget : protected platform::ControlEvents {
 public:
  virtual ~Widget();
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

  // What the widget is to a screen reader.
  const platform::AccessibleInfo& Accessible() const { return accessible_; }
  void SetAccessible(const platform::AccessibleInfo& info);
  // A painted widget marks itself as the focus (shown once the keyboard is used).
  void SetFocusMark(bool shown) { peer_->SetFocusMark(shown); }

  NativeHandle hWnd() const { return peer_->Handle(); }
  Container& Parent() const { return parent_; }
  int Dpi() const { return parent_.Dpi(); }
  // The window's scale changed: the widget sends its geometry and font again.
  virtual void Rescale();

  // Free text the program keeps with the widget (hover marks, placeholders).
  std::wstring Tag;

  // Container-level events.
  std::function<void()> GotFocus;
  std::function<void()> LostFocus;
  std::function<void(const MouseArgs&)> MouseDown;
  std::function<void(const MouseArgs&)> MouseUp;
  std::function<void(const MouseArgs&)> MouseMove;
  std::function<void()> MouseEnter;
  std::function<void()> MouseLeave;
  std::function<void()> Click;
  std::function<void()> DblClick;
  std::function<void(const KeyArgs&)> KeyDown;
  // Sees a key before the widget does; true when it used the key.
  std::function<bool(const KeyArgs&)> PreviewKey;

 protected:
  // native false: the widget keeps its state only and has no native control at all (a list
  // that is never shown); its peer then ignores every call and has no handle.
  Widget(Container& parent, const platform::ControlSettings& settings, bool native = true);
  platform::Control& Peer() const { return *peer_; }
  const FormRoles& GetPlatform() const { return parent_.GetPlatform(); }
  // The font the design gives the widget, sent to the platform at the window's scale.
  void SetDesignFont(const FontInfo& font);
  // Called after Move changed the widget's geometry.
  virtual void OnBoundsChanged() {}

  // The platform reports device pixels; the program hears design pixels.
  MouseArgs InDesignPixels(MouseArgs a) const;
  void OnMouseDown(const MouseArgs& a) override { Raise(MouseDown, InDesignPixels(a)); }
  void OnMouseUp(const MouseArgs& a) override { Raise(MouseUp, InDesignPixels(a)); }
  void OnMouseMove(const MouseArgs& a) override { Raise(MouseMove, InDesignPixels(a)); }
  void OnMouseEnter() override { Raise(MouseEnter); }
  void OnMouseLeave() override { Raise(MouseLeave); }
  bool HasDblClick() const override { return static_cast<bool>(DblClick); }
  void OnClick() override { Raise(Click); }
  void OnDblClick() override { Raise(DblClick); }
  void OnGotFocus() override { Raise(GotFocus); }
  void OnLostFocus() override { Raise(LostFocus); }
  void OnKeyDown(const KeyArgs& a) override { Raise(KeyDown, a); }
  bool OnPreviewKey(const KeyArgs& a) override { return PreviewKey && PreviewKey(a); }

  template <typename F, typename... Args>
  static void Raise(const F& handler, const Args&... args) {
    if (handler) handler(args...);
  }

 private:
  Container& parent_;
  platform::Rect bounds_;
  std::optional<FontInfo> font_;
  bool visible_;
  std::wstring toolTip_;
  platform::AccessibleInfo accessible_;
  std::unique_ptr<platform::Control> peer_;
};

}  // namespace tarvik::widgets
