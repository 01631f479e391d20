#include "widgets/form.h"

#include <cmath>

namespace tarvik::widgets {
namespace {

int ToPixels(int twips, int twipsPerPixel) {
  return static_cast<int>(std::lround(static_cast<double>(twips) / twipsPerPixel));
}

MouseArgs InDesignPixels(MouseArgs a, int dpi) {
  a.x = ToDesignPx(a.x, dpi);
  a.y = ToDesignPx(a.y, dpi);
  return a;
}

}  // namespace

Form::Form(FormRoles platform, const std::wstring& caption, const platform::Rect& outer,
           Color backColor, int borderStyle, NativeHandle owner, bool toolWindow)
    : platform_(platform), caption_(caption), outer_(outer) {
  // A new window opens at the system's scale; on a monitor of another one it is sized again
  // below.
  const int systemDpi = platform.Get<platform::Display>().Screen().dpi;
  platform::ControlSettings settings;
  settings.kind = platform::ControlKind::Window;
  settings.text = caption;
  settings.bounds = {outer.left, outer.top, ToDevicePx(outer.width, systemDpi),
                     ToDevicePx(outer.height, systemDpi)};
  settings.visible = false;
  settings.backColor = backColor;
  settings.borderStyle = borderStyle;
  settings.owner = owner;
  settings.toolWindow = toolWindow;
  peer_ = platform.Get<platform::ControlHost>().CreateControl(settings, nullptr, this);
  dpi_ = peer_->Dpi();
  if (dpi_ != systemDpi) {
    peer_->SetBounds({outer.left, outer.top, ToDevicePx(outer.width, dpi_),
                      ToDevicePx(outer.height, dpi_)});
  }
  client_ = peer_->ClientSize();
  outer_ = peer_->OuterBounds();
}

void Form::SetClientSize(int width, int height) {
  MovePixels({outer_.left, outer_.top, outer_.width + ToDevicePx(width, dpi_) - client_.x,
              outer_.height + ToDevicePx(height, dpi_) - client_.y});
}

void Form::MovePixels(const platform::Rect& outer) {
  platform::Rect next = outer;
  if (next.width < 0) next.width = 0;
  if (next.height < 0) next.height = 0;
  if (next == outer_) return;
  outer_ = next;
  peer_->SetBounds(next);
  outer_ = peer_->OuterBounds();
}

void Form::OnDpiChanged(int dpi) {
  if (dpi <= 0 || dpi == dpi_) return;
  dpi_ = dpi;
  RescaleChildren();
  if (DpiChanged) DpiChanged();
}

int Form::TwipsPerPixelX() const {
  return platform_.Get<platform::Display>().Screen().twipsPerPixelX;
}
int Form::TwipsPerPixelY() const {
  return platform_.Get<platform::Display>().Screen().twipsPerPixelY;
}

int Form::Left() const {
  return outer_.left * TwipsPerPixelX();
}
int Form::Top() const {
  return outer_.top * TwipsPerPixelY();
}
int Form::Width() const {
  return outer_.width * TwipsPerPixelX();
}
int Form::Height() const {
  return outer_.height * TwipsPerPixelY();
}

void Form::Move(int left, int top, int width, int height) {
  const int tpx = TwipsPerPixelX();
  const int tpy = TwipsPerPixelY();
  MovePixels({ToPixels(left, tpx), ToPixels(top, tpy), ToPixels(width, tpx),
              ToPixels(height, tpy)});
}

void Form::Show() {
  visible_ = true;
  peer_->SetVisible(true);
}

void Form::ShowWithoutActivating() {
  visible_ = true;
  platform_.Get<platform::ControlHost>().ShowWithoutActivating(hWnd());
}

void Form::Hide() {
  visible_ = false;
  peer_->SetVisible(false);
}

void Form::RunModal() {
  platform_.Get<platform::ControlHost>().RunModal(*peer_);
  visible_ = false;
}

void Form::SetMousePointer(int shape) {
  mousePointer_ = shape;
  peer_->SetCursorShape(shape);
}

void Form::DestroyWindow() {
  visible_ = false;
  peer_->Destroy();
}

void Form::OnResized(int clientWidth, int clientHeight) {
  client_ = {clientWidth, clientHeight};
  if (Resize) Resize();
}

void Form::OnCloseRequest() {
  if (CloseRequested) CloseRequested();
}

void Form::OnEndSession() {
  if (EndSession) EndSession();
}

void Form::OnMouseDown(const MouseArgs& a) {
  if (MouseDown) MouseDown(InDesignPixels(a, dpi_));
}

void Form::OnMouseUp(const MouseArgs& a) {
  if (MouseUp) MouseUp(InDesignPixels(a, dpi_));
}

void Form::OnMouseMove(const MouseArgs& a) {
  if (MouseMove) MouseMove(InDesignPixels(a, dpi_));
}

}  // namespace tarvik::widgets
