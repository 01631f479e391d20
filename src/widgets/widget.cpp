#include "widgets/widget.h"

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
  void ListAdd(const std::wstring&) override {}
  void ListRemove(int) override {}
  void ListClear() override {}
  void ListSetItem(int, const std::wstring&) override {}
  void ListSetSelection(int) override {}
  void ListReplaceAll(const std::vector<std::wstring>&) override {}
  void ListAddRange(const std::vector<std::wstring>&, std::size_t) override {}
  void SetLine(platform::Point, platform::Point, Color) override {}
  platform::Rect OuterBounds() const override { return {}; }
  platform::Point ClientSize() const override { return {}; }
  bool IsMinimized() const override { return false; }
  platform::Rect NormalBounds() const override { return {}; }
  void Restore() override {}
  int Dpi() const override { return 96; }
  void SetCursorShape(int) override {}
  void Destroy() override {}
};

}  // namespace

Widget::Widget(Container& parent, const platform::ControlSettings& settings, bool native)
    : parent_(parent),
      bounds_(settings.bounds),
      visible_(settings.visible),
      toolTip_(settings.toolTip) {
  if (native) {
    peer_ = parent.GetPlatform().CreateControl(settings, &parent.ContainerPeer(), this);
  } else {
    peer_ = std::make_unique<NoNativeControl>();
  }
}

void Widget::Move(int left, int top) {
  Move(left, top, bounds_.width, bounds_.height);
}

void Widget::Move(int left, int top, int width, int height) {
  // A negative size is not a size; keep the control at zero instead of handing it on.
  const platform::Rect next{left, top, width < 0 ? 0 : width, height < 0 ? 0 : height};
  if (next == bounds_) return;
  bounds_ = next;
  peer_->SetBounds(bounds_);
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

void Widget::SetFocus() {
  if (!IsShownOnScreen()) return;
  peer_->SetFocus();
}

}  // namespace tarvik::widgets
