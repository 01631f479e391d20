#include "widgets/sswitch.h"

#include "util/rounding.h"

namespace tarvik::widgets {
namespace {

constexpr Color kWhite = platform::Rgb(255, 255, 255);
// One design pixel: the knob's margin to the track's edges. The switch works in design
// pixels like every widget; the window's scale comes on top.
constexpr double kTwipsPerPixel = 15;
constexpr double kMarginTwips = kTwipsPerPixel;

platform::ControlSettings SurfaceSettings(platform::Rect bounds) {
  platform::ControlSettings settings;
  settings.kind = platform::ControlKind::Panel;
  settings.bounds = bounds;
  settings.borderStyle = 0;
  settings.backColor = platform::kSysButtonFace;
  return settings;
}

PanelDesign Plain(platform::Rect bounds, Color back) {
  PanelDesign d;
  d.bounds = bounds;
  d.backColor = back;
  d.borderStyle = 0;
  return d;
}

}  // namespace

SSwitch::SSwitch(Container& parent, platform::Rect bounds, PropertyBag* design)
    : Widget(parent, SurfaceSettings(bounds)),
      track_(*this, Plain({0, 0, bounds.width, bounds.height}, kDefaultBackColorOn)),
      knob_(track_, Plain({0, 0, 0, 0}, kWhite)) {
  const auto toggle = [this] { UserToggle(); };
  track_.Click = toggle;
  track_.DblClick = toggle;
  knob_.Click = toggle;
  knob_.DblClick = toggle;
  const auto focus = [this](const MouseArgs&) { TakeFocus(); };
  track_.MouseDown = focus;
  knob_.MouseDown = focus;
  Layout();
  if (design != nullptr) ReadProperties(*design);
}

platform::Rect SSwitch::ToPixels(const TwipsRect& t) const {
  const double tpp = kTwipsPerPixel;
  return {util::RoundHalfEven(t.left / tpp), util::RoundHalfEven(t.top / tpp),
          util::RoundHalfEven(t.width / tpp), util::RoundHalfEven(t.height / tpp)};
}

void SSwitch::Layout() {
  const double tpp = kTwipsPerPixel;
  const double width = Width() * tpp;
  const double height = Height() * tpp;
  trackTwips_ = {0, 0, width, height};
  track_.Move(0, 0, Width(), Height());
  outline_.bounds = trackTwips_;
  knobTwips_.top = kMarginTwips;
  knobTwips_.width = width / 2 - kMarginTwips;
  knobTwips_.height = height - 2 * kMarginTwips;
  Redraw();
}

void SSwitch::Redraw() {
  Color back = 0;
  if (value_) {
    knobTwips_.left = trackTwips_.width - kMarginTwips - knobTwips_.width;
    back = backColorOn_;
  } else {
    knobTwips_.left = kMarginTwips;
    back = backColorOff_;
  }
  const platform::Rect knob = ToPixels(knobTwips_);
  knob_.Move(knob.left, knob.top, knob.width, knob.height);
  track_.SetBackColor(back);
  outline_.borderColor = back;
  outline_.borderStyle = 1;
  knob_.SetBackColor(kWhite);
  SetAccessible({Accessible().name, platform::AccessibleRole::CheckButton, value_});
}

void SSwitch::SetAccessibleName(const std::wstring& name) {
  SetAccessible({name, platform::AccessibleRole::CheckButton, value_});
}

void SSwitch::Changed(const wchar_t* name) {
  if (PropertyChanged) PropertyChanged(name);
}

void SSwitch::SetBackColorOff(Color color) {
  backColorOff_ = color;
  Redraw();
  Changed(L"BackColorOff");
}

void SSwitch::SetBackColorOn(Color color) {
  backColorOn_ = color;
  Redraw();
  Changed(L"BackColorOn");
}

void SSwitch::SetEnabled(bool enabled) {
  enabled_ = enabled;
  Redraw();
  Changed(L"Enabled");
}

void SSwitch::SetValue(bool value) {
  value_ = value;
  Redraw();
  Changed(L"Value");
}

void SSwitch::ReadProperties(PropertyBag& bag) {
  backColorOff_ = static_cast<Color>(bag.ReadProperty(L"BackColorOff", kDefaultBackColorOff));
  backColorOn_ = static_cast<Color>(bag.ReadProperty(L"BackColorOn", kDefaultBackColorOn));
  value_ = bag.ReadProperty(L"Value", 0) != 0;
  enabled_ = bag.ReadProperty(L"Enabled", 1) != 0;
  Redraw();
}

void SSwitch::WriteProperties(PropertyBag& bag) const {
  bag.WriteProperty(L"BackColorOff", backColorOff_, kDefaultBackColorOff);
  bag.WriteProperty(L"BackColorOn", backColorOn_, kDefaultBackColorOn);
  bag.WriteProperty(L"Enabled", enabled_ ? 1 : 0, 1);
  bag.WriteProperty(L"Value", value_ ? 1 : 0, 0);
}

void SSwitch::UserToggle() {
  if (!enabled_) return;
  value_ = !value_;
  Redraw();
  Raise(Click);
}

void SSwitch::TakeFocus() {
  // Clicked, it takes the keyboard so that Space can flip it next.
  if (enabled_ && !HasFocus()) SetFocus();
}

void SSwitch::OnMouseDown(const MouseArgs& a) {
  TakeFocus();
  Widget::OnMouseDown(a);
}

// The track covers the whole switch, so it is what shows the focus mark.
void SSwitch::OnGotFocus() {
  track_.SetFocusMark(true);
  Widget::OnGotFocus();
}

void SSwitch::OnLostFocus() {
  track_.SetFocusMark(false);
  Widget::OnLostFocus();
}

void SSwitch::OnKeyDown(const KeyArgs& a) {
  Widget::OnKeyDown(a);
  if (a.keyCode == platform::kKeySpace && a.shift == 0 && !a.repeat) UserToggle();
}

}  // namespace tarvik::widgets
