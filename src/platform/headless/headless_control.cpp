#include "platform/headless/headless_platform.h"

#include <algorithm>
#include <utility>

namespace tarvik::platform::headless {

HeadlessControl::HeadlessControl(HeadlessPlatform& owner, NativeHandle id,
                                 const ControlSettings& settings, HeadlessControl* parent,
                                 ControlEvents* events)
    : owner_(owner),
      id_(id),
      settings_(settings),
      kind_(settings.kind),
      parent_(parent),
      events_(events),
      bounds_(settings.bounds),
      visible_(settings.visible),
      text_(settings.text),
      font_(settings.font.value_or(FontInfo{L"Tahoma", 8.25, 400, 1})),
      back_(settings.backColor),
      border_(settings.borderStyle) {
  // A new window opens on the primary monitor, at the system's scale.
  dpi_ = owner.Screen().dpi;
}

HeadlessControl::~HeadlessControl() {
  owner_.Forget(this);
}

void HeadlessControl::SetBounds(const Rect& requested) {
  Rect bounds = requested;
  if (kind_ == ControlKind::Window && minimized_) {
    bounds_ = bounds;
    return;
  }
  if (kind_ == ControlKind::Window) {
    // As the system does, the window's handlers may change the proposed position first.
    WindowMessage changing;
    changing.id = kMsgWindowPosChanging;
    changing.proposed = requested;
    changing.current = bounds_;
    Dispatch(changing);
    bounds.left = changing.proposed.left;
    bounds.top = changing.proposed.top;
  }
  const bool resized = bounds.width != bounds_.width || bounds.height != bounds_.height;
  bounds_ = bounds;
  if (kind_ == ControlKind::Window && events_ != nullptr) {
    events_->OnMoved(bounds_);
    if (resized) events_->OnResized(bounds_.width, bounds_.height);
  }
  // Onto a monitor of another scale: the system suggests the same place, resized.
  // (Not again for the suggested rectangle itself, which may lean over the edge.)
  if (kind_ == ControlKind::Window && parent_ == nullptr && !changingDpi_ &&
      owner_.MonitorsHaveScales()) {
    const int dpi = owner_.DpiAt(bounds_);
    if (dpi != dpi_ && dpi_ > 0) {
      ChangeDpi(dpi, {bounds_.left, bounds_.top, bounds_.width * dpi / dpi_,
                      bounds_.height * dpi / dpi_});
    }
  }
}

std::intptr_t HeadlessControl::Dispatch(WindowMessage& message) {
  if (proc_) {
    const WindowProc proc = proc_;  // a handler may replace itself while it runs
    return (*proc)(id_, message);
  }
  return OwnHandling(message);
}

std::intptr_t HeadlessControl::OwnHandling(WindowMessage& message) {
  ownMessages_.push_back(message.id);
  if (message.id == kMsgMouseWheel && message.fromChild != 0) {
    if (HeadlessControl* child = owner_.Find(message.fromChild)) ++child->ownWheelTurns_;
  }
  return 0;
}

void HeadlessControl::Wheel(int delta, unsigned keys) {
  WindowMessage wheel;
  wheel.id = kMsgMouseWheel;
  wheel.wParam =
      (static_cast<std::uint32_t>(static_cast<std::uint16_t>(delta)) << 16) | (keys & 0xFFFFu);
  HeadlessControl* window = this;
  while (window->parent_ != nullptr) window = window->parent_;
  if (window != this) wheel.fromChild = id_;
  window->Dispatch(wheel);
}

void HeadlessControl::SetFocus() {
  if (!ShownOnScreen() || kind_ == ControlKind::Line) return;
  owner_.SetFocused(this);
}

bool HeadlessControl::HasFocus() const {
  return owner_.Focused() == this;
}

void HeadlessControl::ListRemove(int index) {
  if (index < 0 || index >= static_cast<int>(items_.size())) return;
  items_.erase(items_.begin() + index);
  // As a native list box does: the selected item going away leaves no selection, and an
  // item removed above the selection moves the selection up with its item.
  if (selection_ == index) {
    selection_ = -1;
  } else if (selection_ > index) {
    --selection_;
  }
}

void HeadlessControl::ListClear() {
  items_.clear();
  selection_ = -1;
}

void HeadlessControl::ListReplaceAll(const std::vector<std::wstring>& items) {
  // Item by item into the strings already held: a search rebuilding its results on every
  // keystroke then mostly reuses their storage.
  items_.resize(items.size());
  for (std::size_t i = 0; i < items.size(); ++i) items_[i].assign(items[i]);
  selection_ = -1;
}

void HeadlessControl::ListAddRange(const std::vector<std::wstring>& items, std::size_t first) {
  if (first < items.size())
    items_.insert(items_.end(), items.begin() + static_cast<std::ptrdiff_t>(first), items.end());
}

void HeadlessControl::ListSetItem(int index, const std::wstring& item) {
  if (index < 0 || index >= static_cast<int>(items_.size())) return;
  items_[static_cast<std::size_t>(index)] = item;
}

void HeadlessControl::SetLine(Point from, Point to, Color /*color*/, int thickness) {
  lineThickness_ = thickness;
  lineFrom_ = from;
  lineTo_ = to;
}

Point HeadlessControl::ClientSize() const {
  return {bounds_.width, bounds_.height};
}

bool HeadlessControl::ShownOnScreen() const {
  for (const HeadlessControl* c = this; c != nullptr; c = c->parent_) {
    if (!c->visible_ || c->destroyed_) return false;
  }
  return true;
}

void HeadlessControl::MouseDown(int button, int shift, int x, int y) {
  if (kind_ == ControlKind::Window && owner_.Capture() == id_) {
    // A window's client area is its outer rectangle here.
    const Point screen{bounds_.left + x, bounds_.top + y};
    if (CapturedPressGoesElsewhere(button, screen, OuterBounds())) {
      owner_.PassPressOn(screen);
      return;
    }
  }
  if (button == kButtonLeft) owner_.SetLeftButtonHeld(true);
  if (events_) events_->OnMouseDown({button, shift, x, y});
}

void HeadlessControl::MouseUp(int button, int shift, int x, int y) {
  if (button == kButtonLeft) owner_.SetLeftButtonHeld(false);
  if (events_) events_->OnMouseUp({button, shift, x, y});
}

void HeadlessControl::MouseMove(int button, int shift, int x, int y) {
  if (events_) events_->OnMouseMove({button, shift, x, y});
}

void HeadlessControl::MouseEnter() {
  if (events_) events_->OnMouseEnter();
}

void HeadlessControl::MouseLeave() {
  if (events_) events_->OnMouseLeave();
}

void HeadlessControl::Click() {
  MouseDown(kButtonLeft, 0, 1, 1);
  MouseUp(kButtonLeft, 0, 1, 1);
  if (events_) events_->OnClick();
}

void HeadlessControl::DblClick() {
  Click();
  const bool clickable =
      kind_ == ControlKind::Panel || kind_ == ControlKind::Window || kind_ == ControlKind::Label;
  if (events_ && clickable && !events_->HasDblClick()) {
    Click();  // where a double-click means nothing, the platform reports two clicks
    return;
  }
  if (events_) events_->OnDblClick();
  MouseUp(kButtonLeft, 0, 1, 1);
}

void HeadlessControl::Type(const std::wstring& newText) {
  Focus();
  text_ = newText;
  if (events_) events_->OnTextEdited(text_);
}

void HeadlessControl::SelectItem(int index) {
  if (index < -1 || index >= static_cast<int>(items_.size())) return;
  selection_ = index;
  if (events_) events_->OnSelectionChanged(index);
}

HeadlessControl& HeadlessControl::Root() {
  HeadlessControl* root = this;
  while (root->parent_ != nullptr) root = root->parent_;
  return *root;
}

bool HeadlessControl::FocusMarkShown() const {
  return focusMark_ && ShownOnScreen() &&
         owner_.FocusCuesShown(const_cast<HeadlessControl*>(this)->Root().id_);
}

void HeadlessControl::KeyDown(int keyCode, int shift, bool repeat) {
  if (keyCode == kKeyTab || keyCode == kKeyUp || keyCode == kKeyDown) {
    owner_.ShowFocusCues(Root().id_);
  }
  const KeyArgs key{keyCode, shift, repeat};
  if (events_ && events_->OnPreviewKey(key)) return;
  if (events_) events_->OnKeyDown(key);
}

void HeadlessControl::PressTab(bool backwards) {
  owner_.ShowFocusCues(id_);
  std::vector<HeadlessControl*> buttons;
  for (HeadlessControl* c : owner_.Controls()) {
    if (c->kind_ == ControlKind::Button && !c->destroyed_ && &c->Root() == this) {
      buttons.push_back(c);
    }
  }
  if (buttons.empty()) return;
  const auto n = static_cast<std::ptrdiff_t>(buttons.size());
  std::ptrdiff_t at = std::find(buttons.begin(), buttons.end(), owner_.Focused()) - buttons.begin();
  at = at == n ? 0 : (at + (backwards ? n - 1 : 1)) % n;
  buttons[static_cast<std::size_t>(at)]->SetFocus();
}

void HeadlessControl::RequestShow() {
  if (events_) events_->OnShowRequest();
}

void HeadlessControl::Focus() {
  SetFocus();
}

void HeadlessControl::NotifyFocus(bool got) {
  if (events_ == nullptr) return;
  if (got) {
    events_->OnGotFocus();
  } else {
    events_->OnLostFocus();
  }
}

void HeadlessControl::RequestClose() {
  if (events_) events_->OnCloseRequest();
}

void HeadlessControl::EndSession() {
  if (events_) events_->OnEndSession();
}

void HeadlessControl::ResizeClient(int width, int height) {
  SetBounds({bounds_.left, bounds_.top, width, height});
}

void HeadlessControl::ChangeDpi(int dpi, const Rect& suggested) {
  dpi_ = dpi;
  if (events_ != nullptr) events_->OnDpiChanged(dpi);
  changingDpi_ = true;
  SetBounds(suggested);
  changingDpi_ = false;
}

std::vector<DrawCall> HeadlessControl::Drawn() const {
  return canvas_ ? canvas_->Calls() : std::vector<DrawCall>{};
}

RecordingCanvas& HeadlessControl::MakeCanvas() {
  if (!canvas_) canvas_ = std::make_unique<RecordingCanvas>();
  return *canvas_;
}

void HeadlessControl::PressEnter() {
  HeadlessControl* focused = owner_.Focused();
  if (focused != nullptr && focused->kind_ == ControlKind::Button && !focused->destroyed_) {
    for (const HeadlessControl* c = focused->parent_; c != nullptr; c = c->parent_) {
      if (c == this) {
        focused->Click();
        return;
      }
    }
  }
  if (HeadlessControl* button = owner_.ButtonOf(*this, true)) button->Click();
}

void HeadlessControl::PressEscape() {
  if (HeadlessControl* button = owner_.ButtonOf(*this, false)) button->Click();
}

void HeadlessControl::SetMinimized(bool minimized) {
  if (minimized == minimized_) return;
  minimized_ = minimized;
  if (events_ != nullptr && kind_ == ControlKind::Window) {
    events_->OnMoved(OuterBounds());
    events_->OnResized(minimized ? 0 : bounds_.width, minimized ? 0 : bounds_.height);
  }
}

}  // namespace tarvik::platform::headless
