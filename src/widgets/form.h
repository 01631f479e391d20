#pragma once
// A top-level window. Its position and size are twips of the screen (as the settings file
// stores them); its contents lay out in design pixels of the client area, which the window's
// scale turns into device pixels.

#include <functional>
#include <memory>
#include <string>

#include "widgets/widget.h"

namespace tarvik::widgets {

class Form : public Container, protected platform::ControlEvents {
 public:
  // borderStyle 1: a pop-up without caption in a thin border; 2: a pop-up with no frame;
  // otherwise a normal frame. A window with an owner stays above it; an owned window or a
  // tool window has no task bar button. outer: left and top in screen pixels, width and
  // height in design pixels.
  Form(FormRoles platform, const std::wstring& caption, const platform::Rect& outer,
       Color backColor, int borderStyle = 0, NativeHandle owner = 0, bool toolWindow = false);
  virtual ~Form() = default;
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  // Outer geometry in twips.
  int Left() const;
  int Top() const;
  int Width() const;
  int Height() const;
  void Move(int left, int top, int width, int height);
  void SetLeft(int left) { Move(left, Top(), Width(), Height()); }
  void SetTop(int top) { Move(Left(), top, Width(), Height()); }
  void SetWidth(int width) { Move(Left(), Top(), width, Height()); }
  void SetHeight(int height) { Move(Left(), Top(), Width(), height); }
  // Client area in design pixels.
  int ScaleWidth() const { return ToDesignPx(client_.x, dpi_); }
  int ScaleHeight() const { return ToDesignPx(client_.y, dpi_); }
  // Makes the client area this large (design pixels), the frame coming on top of it.
  void SetClientSize(int width, int height);
  int TwipsPerPixelX() const;
  int TwipsPerPixelY() const;
  // The outer rectangle in screen pixels.
  const platform::Rect& OuterPixels() const { return outer_; }
  void MovePixels(const platform::Rect& outer);
  // Design pixels at this window's scale.
  int ScaledPx(int designPx) const { return ToDevicePx(designPx, dpi_); }

  bool Visible() const { return visible_; }
  void Show();
  // Shows the window while the active one keeps the activation and the keyboard focus.
  void ShowWithoutActivating();
  void Hide();
  bool IsMinimized() const { return peer_->IsMinimized(); }
  // The rectangle (screen pixels) the window has when neither minimised nor maximised; a
  // minimised window's Left and Top are where the system parked it, far off the screen.
  platform::Rect NormalBounds() const { return peer_->NormalBounds(); }
  // Un-minimises (or un-maximises) the window.
  void Restore() { peer_->Restore(); }
  // The keyboard to the window itself, none of its controls.
  void SetFocus() { peer_->SetFocus(); }
  // Waits in a nested message loop until the window is closed (DestroyWindow); the
  // program's other windows take no input meanwhile. Show the window first.
  void RunModal();

  int MousePointer() const { return mousePointer_; }
  void SetMousePointer(int shape);

  const std::wstring& Caption() const { return caption_; }
  NativeHandle hWnd() const { return peer_->Handle(); }
  // Closes the native window; the form object stays until its owner drops it.
  void DestroyWindow();

  // Container.
  platform::Control& ContainerPeer() override { return *peer_; }
  const FormRoles& GetPlatform() const override { return platform_; }
  bool IsShownOnScreen() const override { return visible_; }
  int Dpi() const override { return dpi_; }

  std::function<void()> Resize;  // the client area changed size
  // The window came onto a monitor of another scale: its controls are scaled already, its
  // pictures want painting again; the new rectangle and the Resize follow.
  std::function<void()> DpiChanged;
  std::function<void()> CloseRequested;  // the user or another program asked it to close
  std::function<void()> EndSession;      // logoff or shutdown: save now, ask nothing
  std::function<void()> ShowRequested;   // another start of the program asks for this window
  // Sees a key meant for the window itself (no control has the keyboard); true when used.
  std::function<bool(const KeyArgs&)> PreviewKey;
  std::function<void(const MouseArgs&)> MouseDown;
  std::function<void(const MouseArgs&)> MouseUp;
  std::function<void(const MouseArgs&)> MouseMove;

 protected:
  void OnResized(int clientWidth, int clientHeight) override;
  void OnMoved(const platform::Rect& outer) override { outer_ = outer; }
  void OnDpiChanged(int dpi) override;
  void OnCloseRequest() override;
  void OnEndSession() override;
  bool OnShowRequest() override {
    if (!ShowRequested) return false;
    ShowRequested();
    return true;
  }
  bool OnPreviewKey(const KeyArgs& a) override { return PreviewKey && PreviewKey(a); }
  void OnMouseDown(const MouseArgs& a) override;
  void OnMouseUp(const MouseArgs& a) override;
  void OnMouseMove(const MouseArgs& a) override;

 private:
  FormRoles platform_;
  std::wstring caption_;
  platform::Rect outer_;
  platform::Point client_;
  int dpi_ = kDesignDpi;
  bool visible_ = false;
  int mousePointer_ = 0;
  std::unique_ptr<platform::Control> peer_;
};

}  // namespace tarvik::widgets
