#include "widgets/controls.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>

#include "platform/canvas.h"
#include "widgets/scaled_canvas.h"

namespace tarvik::widgets {
namespace {

platform::ControlSettings PanelSettings(const PanelDesign& d) {
  platform::ControlSettings settings;
  settings.kind = platform::ControlKind::Panel;
  settings.bounds = d.bounds;
  settings.backColor = d.backColor;
  settings.borderStyle = d.borderStyle;
  settings.visible = d.visible;
  settings.toolTip = d.toolTip;
  return settings;
}

platform::ControlSettings LabelSettings(const LabelDesign& d) {
  platform::ControlSettings settings;
  settings.kind = platform::ControlKind::Label;
  settings.bounds = d.bounds;
  settings.text = d.caption;
  settings.font = d.font;
  settings.backColor = d.backColor;
  settings.foreColor = d.foreColor;
  settings.alignment = d.alignment;
  settings.borderStyle = 0;
  settings.visible = d.visible;
  settings.toolTip = d.toolTip;
  return settings;
}

platform::Rect LineBounds(platform::Point a, platform::Point b) {
  const int left = std::min(a.x, b.x);
  const int top = std::min(a.y, b.y);
  return {left, top, std::abs(b.x - a.x) + 1, std::abs(b.y - a.y) + 1};
}

platform::ControlSettings LineSettings(platform::Point a, platform::Point b, Color color) {
  platform::ControlSettings settings;
  settings.kind = platform::ControlKind::Line;
  settings.bounds = LineBounds(a, b);
  settings.backColor = color;
  settings.foreColor = color;
  settings.borderStyle = 0;
  return settings;
}

platform::ControlSettings TextBoxSettings(const TextBoxDesign& d) {
  platform::ControlSettings settings;
  settings.kind = platform::ControlKind::TextBox;
  settings.bounds = d.bounds;
  settings.text = d.text;
  settings.font = d.font;
  settings.backColor = d.backColor;
  settings.foreColor = d.foreColor;
  settings.borderStyle = d.borderStyle;
  settings.alignment = d.alignment;
  settings.multiLine = d.multiLine;
  settings.scrollBars = d.scrollBars;
  settings.visible = d.visible;
  settings.toolTip = d.toolTip;
  return settings;
}

platform::ControlSettings ListBoxSettings(const ListBoxDesign& d) {
  platform::ControlSettings settings;
  settings.kind = platform::ControlKind::ListBox;
  settings.bounds = d.bounds;
  settings.font = d.font;
  settings.backColor = d.backColor;
  settings.foreColor = d.foreColor;
  settings.borderStyle = d.borderStyle;
  settings.visible = d.visible;
  settings.toolTip = d.toolTip;
  return settings;
}

// The font a control gets when its design names none.
FontInfo DefaultFont() {
  return FontInfo{L"宋体", 9.0, 400, 134};
}

}  // namespace

// ---- PictureBox --------------------------------------------------------------------------

PictureBox::PictureBox(Container& parent, const PanelDesign& design)
    : Widget(parent, PanelSettings(design)),
      backColor_(design.backColor),
      borderStyle_(design.borderStyle) {}

void PictureBox::SetBackColor(Color color) {
  backColor_ = color;
  Peer().SetColors(color, platform::kSysWindowText);
  if (canvas_ != nullptr) canvas_->Clear(color);
}

platform::Canvas* PictureBox::hDC() {
  if (DeviceDC() == nullptr) return nullptr;
  return scaled_.get();
}

platform::Canvas* PictureBox::DeviceDC() {
  if (canvas_ == nullptr) {
    canvas_ = GetPlatform().Get<platform::DrawingLibrary>().CanvasOf(Peer());
    if (canvas_ == nullptr) return nullptr;
    scaled_ = std::make_unique<ScaledCanvas>(*canvas_, [this] { return Dpi(); });
  }
  return canvas_;
}

void PictureBox::Rescale() {
  Widget::Rescale();
  RescaleChildren();
}

void PictureBox::Cls() {
  if (platform::Canvas* canvas = hDC()) canvas->Clear(backColor_);
}

void PictureBox::Refresh() {
  if (platform::Canvas* canvas = hDC()) canvas->Refresh();
}

void PictureBox::SetBorderStyle(int style) {
  if (style == borderStyle_) return;
  borderStyle_ = style;
  Peer().SetBorderStyle(style);
}

int PictureBox::ScaleWidth() const {
  return std::max(0, Width() - (borderStyle_ != 0 ? 2 : 0));
}
int PictureBox::ScaleHeight() const {
  return std::max(0, Height() - (borderStyle_ != 0 ? 2 : 0));
}

// ---- Label -------------------------------------------------------------------------------

Label::Label(Container& parent, const LabelDesign& design)
    : Widget(parent, LabelSettings(design)), caption_(design.caption) {}

void Label::SetCaption(const std::wstring& caption) {
  caption_ = caption;
  Peer().SetText(caption);
}

// ---- Line --------------------------------------------------------------------------------

Line::Line(Container& parent, platform::Point from, platform::Point to, Color color)
    : Widget(parent, LineSettings(from, to, color)), from_(from), to_(to), color_(color) {
  Peer().SetLine(ToDevice(from, Dpi()), ToDevice(to, Dpi()), color, ToDevicePx(1, Dpi()));
}

void Line::Rescale() {
  Widget::Rescale();
  Peer().SetLine(ToDevice(from_, Dpi()), ToDevice(to_, Dpi()), color_, ToDevicePx(1, Dpi()));
}

void Line::SetEnds(platform::Point from, platform::Point to) {
  if (from == from_ && to == to_) return;
  from_ = from;
  to_ = to;
  const platform::Rect box = LineBounds(from, to);
  Move(box.left, box.top, box.width, box.height);
  Peer().SetLine(ToDevice(from, Dpi()), ToDevice(to, Dpi()), color_, ToDevicePx(1, Dpi()));
}

// ---- TextBoxW ----------------------------------------------------------------------------

TextBoxW::TextBoxW(Container& parent, const TextBoxDesign& design)
    : Widget(parent, TextBoxSettings(design)),
      text_(design.text),
      font_(design.font.value_or(DefaultFont())),
      backColor_(design.backColor),
      foreColor_(design.foreColor),
      borderStyle_(design.borderStyle),
      alignment_(design.alignment),
      multiLine_(design.multiLine),
      scrollBars_(design.scrollBars) {}

void TextBoxW::SetText(const std::wstring& text) {
  if (text == text_) return;
  text_ = text;
  Peer().SetText(text);
  Raise(Change);
}

void TextBoxW::SetFontSize(double points) {
  const double size = std::round(points * 10000.0) / 10000.0;
  if (size == font_.sizePt) return;
  font_.sizePt = size;
  SetDesignFont(font_);
}

void TextBoxW::SetBackColor(Color color) {
  backColor_ = color;
  Peer().SetColors(color, foreColor_);
}

void TextBoxW::SetBorderStyle(int style) {
  if (style == borderStyle_) return;
  borderStyle_ = style;
  Peer().SetBorderStyle(style);
}

void TextBoxW::OnTextEdited(const std::wstring& text) {
  if (text == text_) return;
  text_ = text;
  Raise(Change);
}

// ---- ListBoxW ----------------------------------------------------------------------------

ListBoxW::ListBoxW(Container& parent, const ListBoxDesign& design)
    : Widget(parent, ListBoxSettings(design), !design.neverShown),
      borderStyle_(design.borderStyle) {}

void ListBoxW::AddItem(const std::wstring& item) {
  items_.push_back(item);
  Peer().ListAdd(item);
}

void ListBoxW::AddItems(std::vector<std::wstring> items) {
  if (items.empty()) return;
  const std::size_t first = items_.size();
  if (items_.empty()) {
    items_ = std::move(items);
  } else {
    items_.insert(items_.end(), std::make_move_iterator(items.begin()),
                  std::make_move_iterator(items.end()));
  }
  Peer().ListAddRange(items_, first);
}

void ListBoxW::SetItems(std::vector<std::wstring> items) {
  // Typing on in a search box often leaves its results as they were: then only the
  // selection goes, and the native list is spared a refill.
  if (items == items_) {
    if (listIndex_ != -1) SetListIndex(-1);
    return;
  }
  items_ = std::move(items);
  listIndex_ = -1;
  Peer().ListReplaceAll(items_);
}

void ListBoxW::RemoveItem(int index) {
  if (index < 0 || index >= ListCount()) return;
  items_.erase(items_.begin() + index);
  Peer().ListRemove(index);
  // The selected item going away leaves no selection; one removed above it keeps the same
  // item selected.
  if (listIndex_ == index) {
    listIndex_ = -1;
  } else if (listIndex_ > index) {
    --listIndex_;
  }
}

void ListBoxW::Clear() {
  items_.clear();
  listIndex_ = -1;
  Peer().ListClear();
}

std::wstring ListBoxW::List(int index) const {
  if (index < 0 || index >= ListCount()) return {};
  return items_[static_cast<std::size_t>(index)];
}

void ListBoxW::SetList(int index, const std::wstring& item) {
  if (index < 0 || index >= ListCount()) return;
  if (items_[static_cast<std::size_t>(index)] == item) return;
  items_[static_cast<std::size_t>(index)] = item;
  Peer().ListSetItem(index, item);
}

void ListBoxW::FinishRewrite(const ItemWriter& writer) {
  const bool changed = writer.changed_ || writer.count_ != items_.size();
  items_.resize(writer.count_);
  if (changed) {
    listIndex_ = -1;
    Peer().ListReplaceAll(items_);
  } else if (listIndex_ != -1) {
    SetListIndex(-1);
  }
}

bool ListBoxW::SetListIndex(int index) {
  if (index < -1 || index >= ListCount()) return false;
  listIndex_ = index;
  Peer().ListSetSelection(index);
  return true;
}

void ListBoxW::SetBorderStyle(int style) {
  if (style == borderStyle_) return;
  borderStyle_ = style;
  Peer().SetBorderStyle(style);
}

void ListBoxW::OnSelectionChanged(int index) {
  if (index >= -1 && index < ListCount()) listIndex_ = index;
}

// ---- CommandButton -----------------------------------------------------------------------

namespace {

platform::ControlSettings ButtonSettings(const ButtonDesign& d) {
  platform::ControlSettings settings;
  settings.kind = platform::ControlKind::Button;
  settings.bounds = d.bounds;
  settings.text = d.caption;
  settings.font = d.font;
  settings.defaultButton = d.isDefault;
  settings.cancelButton = d.isCancel;
  return settings;
}

}  // namespace

CommandButton::CommandButton(Container& parent, const ButtonDesign& design)
    : Widget(parent, ButtonSettings(design)), caption_(design.caption) {}

// ---- Timer -------------------------------------------------------------------------------

Timer::Timer(platform::Clock& clock, unsigned intervalMs, bool enabled)
    : interval_(intervalMs), enabled_(enabled) {
  timer_ = clock.CreateTimer([this] {
    if (enabled_ && Tick) Tick();
  });
  timer_->SetInterval(intervalMs);
  timer_->SetEnabled(enabled);
}

void Timer::SetEnabled(bool enabled) {
  enabled_ = enabled;
  timer_->SetEnabled(enabled);
}

void Timer::SetInterval(unsigned intervalMs) {
  interval_ = intervalMs;
  timer_->SetInterval(intervalMs);
}

// ---- CommonDialog ------------------------------------------------------------------------

CommonDialog::CommonDialog(platform::SystemDialogs& dialogs, NativeHandle owner)
    : dialogs_(dialogs), owner_(owner) {}

DialogError CommonDialog::ErrorFor(std::uint32_t extendedError) {
  switch (extendedError) {
    case 0x3001:  // FNERR_SUBCLASSFAILURE
      return {20478, L"An attempt to subclass a list box failed due to insufficient memory."};
    case 0x3002:  // FNERR_INVALIDFILENAME
      return {20477, L"File name is invalid."};
    case 0x3003:  // FNERR_BUFFERTOOSMALL
      return {20476, L"The buffer at which the member lpstrFile points is too small."};
    default:
      return {static_cast<long>(extendedError), L"Unexpected error."};
  }
}

std::optional<DialogError> CommonDialog::Show(bool save) {
  platform::FileDialogRequest request;
  request.owner = owner_;
  request.save = save;
  request.title = DialogTitle;
  request.filter = Filter;
  request.fileName = FileName;
  request.filterIndex = FilterIndex <= 0 ? 1 : FilterIndex;
  request.overwritePrompt = (Flags & kOverwritePrompt) != 0;
  request.defaultExtension = DefaultExt;
  const platform::FileDialogResult result = dialogs_.ShowFileDialog(request);
  switch (result.outcome) {
    case platform::FileDialogResult::Outcome::Confirmed:
      FileName = result.fileName;
      FileTitle = result.fileTitle;
      return std::nullopt;
    case platform::FileDialogResult::Outcome::Cancelled:
      if (CancelError) return DialogError{32755, L"Cancel was selected."};
      return std::nullopt;
    case platform::FileDialogResult::Outcome::Failed:
      break;
  }
  return ErrorFor(result.errorCode);
}

}  // namespace tarvik::widgets
