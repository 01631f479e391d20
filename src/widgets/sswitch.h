#pragma once
// A two-state toggle switch: a coloured track with a white knob at the left (off) or the
// right (on). A click or the Space key flips it and raises Click; setting Value from code
// redraws without an event. Its layout is worked out in twips, as its design data holds it.

#include <functional>
#include <memory>
#include <string>

#include "widgets/controls.h"
#include "widgets/property_bag.h"

namespace tarvik::widgets {

// A rectangle in twips; halves happen (a 495-twip track has a 232.5-twip knob).
struct TwipsRect {
  double left = 0;
  double top = 0;
  double width = 0;
  double height = 0;
  friend bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

// The track's outline: a rectangle shape drawn on the control's own surface.
struct ShapeOutline {
  TwipsRect bounds;
  Color borderColor = platform::Rgb(51, 204, 255);
  int borderStyle = 1;  // 1 solid
};

class SSwitch : public Widget, public Container {
 public:
  static constexpr Color kDefaultBackColorOff = platform::Rgb(225, 225, 225);
  static constexpr Color kDefaultBackColorOn = platform::Rgb(51, 204, 255);

  // bounds in the container's pixels. The design data, when given, is read after creation.
  SSwitch(Container& parent, platform::Rect bounds, PropertyBag* design = nullptr);

  Color BackColorOff() const { return backColorOff_; }
  void SetBackColorOff(Color color);
  Color BackColorOn() const { return backColorOn_; }
  void SetBackColorOn(Color color);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool Value() const { return value_; }
  // Redraws at once; raises no Click.
  void SetValue(bool value);
  // The name a screen reader gives the switch (a check button, checked while on).
  void SetAccessibleName(const std::wstring& name);

  void ReadProperties(PropertyBag& bag);
  void WriteProperties(PropertyBag& bag) const;
  // A property was set; the host's design data is out of date (the property's name).
  std::function<void(const std::wstring&)> PropertyChanged;

  // The child elements.
  PictureBox& Picture1() { return track_; }
  PictureBox& Picture2() { return knob_; }
  const ShapeOutline& Shape1() const { return outline_; }
  // Geometry in twips as the layout set it.
  TwipsRect TrackTwips() const { return trackTwips_; }
  TwipsRect KnobTwips() const { return knobTwips_; }

  // Container.
  platform::Control& ContainerPeer() override { return Peer(); }
  const FormRoles& GetPlatform() const override { return Widget::GetPlatform(); }
  bool IsShownOnScreen() const override { return Widget::IsShownOnScreen(); }
  int Dpi() const override { return Widget::Dpi(); }
  void Rescale() override {
    Widget::Rescale();
    RescaleChildren();
  }

 protected:
  void OnBoundsChanged() override { Layout(); }
  void OnClick() override { UserToggle(); }
  void OnDblClick() override { UserToggle(); }
  void OnMouseDown(const MouseArgs& a) override;
  void OnKeyDown(const KeyArgs& a) override;
  void OnGotFocus() override;
  void OnLostFocus() override;

 private:
  void Layout();
  void Redraw();
  // A click or the Space key: flips Value unless disabled, redraws, raises Click.
  void UserToggle();
  void TakeFocus();
  void Changed(const wchar_t* name);
  platform::Rect ToPixels(const TwipsRect& twips) const;

  Color backColorOff_ = kDefaultBackColorOff;
  Color backColorOn_ = kDefaultBackColorOn;
  bool enabled_ = true;
  bool value_ = false;
  PictureBox track_;
  PictureBox knob_;
  ShapeOutline outline_;
  TwipsRect trackTwips_;
  TwipsRect knobTwips_;
};

}  // namespace tarvik::widgets
