#include "widgets/widget.h"

#include <cmath>

namespace tarvik::widgets {
namespace {

// The peer of a widget that has no native control.
class NoNativeControl final : public platform::Control {
 public:
  NativeHandle Handle() const override { return 0; }
  void SetBounds(const platform::Rect&) override {}
  void SetVisible(bool) override {}
  void SetText(const std::wstring&) override {}
  void SetFont(const FontInfo&) override {}
  void SetColors(Color, Color) override {}
  void SetBorderStyle(int) override {}
  void SetToolTip(const std::wstring&) override {}
  void SetFocus() override {}
  bool HasFocus() const override { return false; }
  void SetAccessible(const platform::AccessibleInfo&) override {}
  void SetFocusMark(bool) override {}
  void ListAdd(const std::wstring&) override {}
  void ListRemove(int) override {}
  void ListClear() override {}
  void ListSetItem(int, const std::wstring&) override {}
  void ListSetSelection(int) override {}
  void ListReplaceAll(const std::vector<std::wstring>&) override {}
  void ListAddRange(const std::vector<std::wstring>&, std::size_t) override {}
  void SetLine(platform::Point, platform::Point, Color, int) override {}
  platform::Rect OuterBounds() const override { return {}; }
  platform::Point ClientSize() const override { return {}; }
  bool IsMinimized() const override { return false; }
  platform::Rect NormalBounds() const override { return {}; }
  void Restore() override {}
  int Dpi() const override { return 96; }
  void SetCursorShape(int) override {}
  void Destroy() override {}
};

FontInfo AtDpi(FontInfo font, int dpi) {
  font.dpi = dpi;
  return font;
}

}  // namespace

int ToDevicePx(int designPx, int dpi) {
  return static_cast<int>(std::lround(static_cast<double>(designPx) * dpi / kDesignDpi));
}

int ToDesignPx(int devicePx, int dpi) {
  if (dpi == kDesignDpi || dpi <= 0) return devicePx;
  return static_cast<int>(std::lround(static_cast<double>(devicePx) * kDesignDpi / dpi));
}

platform::Rect ToDevice(const platform::Rect& d, int dpi) {
  const int left = ToDevicePx(d.left, dpi);
  const int top = ToDevicePx(d.top, dpi);
  return {left, top, ToDevicePx(d.left + d.width, dpi) - left,
          ToDevicePx(d.top + d.height, dpi) - top};
}

platform::Point ToDevice(platform::Point d, int dpi) {
  return {ToDevicePx(d.x, dpi), ToDevicePx(d.y, dpi)};
}

void Container::Release(Widget& child) {
  std::erase(children_, &child);
}

void Container::RescaleChildren() {
  for (Widget* child : children_) child->Rescale();
}

Widget::Widget(Container& parent, const platform::ControlSettings& settings, bool native)
    : parent_(parent),
      bounds_(settings.bounds),
      font_(settings.font),
      visible_(settings.visible),
      toolTip_(settings.toolTip) {
  if (native) {
    platform::ControlSettings scaled = settings;
    const int dpi = parent.Dpi();
    scaled.bounds = ToDevice(settings.bounds, dpi);
    if (scaled.font) scaled.font->dpi = dpi;
    peer_ = parent.GetPlatform().Get<platform::ControlHost>().CreateControl(
        scaled, &parent.ContainerPeer(), this);
  } else {
    peer_ = std::make_unique<NoNativeControl>();
  }
  parent_.Adopt(*this);
}

Widget::~Widget() {
  parent_.Release(*this);
}

void Widget::Rescale() {
  const int dpi = Dpi();
  peer_->SetBounds(ToDevice(bounds_, dpi));
  if (font_) peer_->SetFont(AtDpi(*font_, dpi));
}

void Widget::SetDesignFont(const FontInfo& font) {
  font_ = font;
  peer_->SetFont(AtDpi(font, Dpi()));
}

MouseArgs Widget::InDesignPixels(MouseArgs a) const {
  const int dpi = Dpi();
  a.x = ToDesignPx(a.x, dpi);
  a.y = ToDesignPx(a.y, dpi);
  return a;
}

void Widget::Move(int left, int top) {
  Move(left, top, bounds_.width, bounds_.height);
}

void Widget::Move(int left, int top, int width, int height) {
  // A negative size is not a size; keep the control at zero instead of handing it on.
  const platform::Rect next{left, top, width < 0 ? 0 : width, height < 0 ? 0 : height};
  if (next == bounds_) return;
  bounds_ = next;
  peer_->SetBounds(ToDevice(bounds_, Dpi()));
  OnBoundsChanged();
}

void Widget::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  peer_->SetVisible(visible);
}

bool Widget::IsShownOnScreen() const {
  return visible_ && parent_.IsShownOnScreen();
}

void Widget::SetToolTipText(const std::wstring& text) {
  toolTip_ = text;
  peer_->SetToolTip(text);
}

void Widget::SetAccessible(const platform::AccessibleInfo& info) {
  if (info == accessible_) return;
  accessible_ = info;
  peer_->SetAccessible(info);
}

void Widget::SetFocus() {
  if (!IsShownOnScreen()) return;
  peer_->SetFocus();
}

}  // namespace tarvik::widgets
