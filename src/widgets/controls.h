#pragma once
// The stock pieces the windows are built from: picture box (a panel), label, line, text box,
// list box, timer and the file dialog.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/canvas.h"
#include "widgets/widget.h"

namespace tarvik::widgets {

struct PanelDesign {
  platform::Rect bounds;
  Color backColor = platform::kSysButtonFace;
  int borderStyle = 1;
  bool visible = true;
  std::wstring toolTip;
};

// A picture box used as a panel: a container with a background, a border and mouse events.
class PictureBox : public Widget, public Container {
 public:
  PictureBox(Container& parent, const PanelDesign& design);

  Color BackColor() const { return backColor_; }
  void SetBackColor(Color color);
  int BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(int style);
  // Inner size: the client area without the border.
  int ScaleWidth() const;
  int ScaleHeight() const;

  platform::Control& ContainerPeer() override { return Peer(); }
  const FormRoles& GetPlatform() const override { return Widget::GetPlatform(); }
  bool IsShownOnScreen() const override { return Widget::IsShownOnScreen(); }
  int Dpi() const override { return Widget::Dpi(); }
  void Rescale() override;

  // The box's persistent image, what the drawing helpers paint on, in design pixels. Once
  // the box has one, a new background colour erases it to that colour, and the box shows it
  // when it repaints. A new scale leaves it to be painted again.
  platform::Canvas* hDC();
  // The same image unscaled, in device pixels, for a painter that fits its drawing to the
  // pixels on screen itself.
  platform::Canvas* DeviceDC();
  // Erases the image to the background colour.
  void Cls();
  // Shows the image as it now stands.
  void Refresh();

 private:
  Color backColor_;
  int borderStyle_;
  platform::Canvas* canvas_ = nullptr;
  std::unique_ptr<platform::Canvas> scaled_;
};

struct LabelDesign {
  platform::Rect bounds;
  std::wstring caption;
  std::optional<FontInfo> font;
  Color backColor = platform::kSysButtonFace;
  Color foreColor = platform::kSysWindowText;
  int alignment = 0;
  bool visible = true;
  std::wstring toolTip;
};

class Label : public Widget {
 public:
  Label(Container& parent, const LabelDesign& design);
  const std::wstring& Caption() const { return caption_; }
  void SetCaption(const std::wstring& caption);

 private:
  std::wstring caption_;
};

// A straight line in its container, from (X1, Y1) to (X2, Y2), pixels.
class Line : public Widget {
 public:
  Line(Container& parent, platform::Point from, platform::Point to, Color color);
  int X1() const { return from_.x; }
  int Y1() const { return from_.y; }
  int X2() const { return to_.x; }
  int Y2() const { return to_.y; }
  void SetEnds(platform::Point from, platform::Point to);
  Color BorderColor() const { return color_; }
  void Rescale() override;

 private:
  platform::Point from_;
  platform::Point to_;
  Color color_;
};

struct TextBoxDesign {
  platform::Rect bounds;
  std::wstring text;
  std::optional<FontInfo> font;
  Color backColor = platform::kSysWindowBack;
  Color foreColor = platform::kSysWindowText;
  int borderStyle = 1;
  int alignment = 0;
  bool multiLine = false;
  int scrollBars = 0;
  bool visible = true;
  std::wstring toolTip;
};

// A Unicode edit field. Multi-line boxes separate lines with CR LF.
class TextBoxW : public Widget {
 public:
  TextBoxW(Container& parent, const TextBoxDesign& design);

  const std::wstring& Text() const { return text_; }
  // Replaces the content; raises Change when the content differs.
  void SetText(const std::wstring& text);

  const FontInfo& Font() const { return font_; }
  double FontSize() const { return font_.sizePt; }
  // Points; kept to four decimal places so sizes like 10.5 stay exact.
  void SetFontSize(double points);

  Color BackColor() const { return backColor_; }
  void SetBackColor(Color color);
  int BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(int style);
  int Alignment() const { return alignment_; }
  bool MultiLine() const { return multiLine_; }
  int ScrollBars() const { return scrollBars_; }

  std::function<void()> Change;

 protected:
  void OnTextEdited(const std::wstring& text) override;

 private:
  std::wstring text_;
  FontInfo font_;
  Color backColor_;
  Color foreColor_;
  int borderStyle_;
  int alignment_;
  bool multiLine_;
  int scrollBars_;
};

struct ListBoxDesign {
  platform::Rect bounds;
  std::optional<FontInfo> font;
  Color backColor = platform::kSysWindowBack;
  Color foreColor = platform::kSysWindowText;
  int borderStyle = 1;
  bool visible = true;
  std::wstring toolTip;
  // A list that is never shown, only a string array: it gets no native list box at all, so
  // its items are held once and cost nothing to add. Showing it shows nothing.
  bool neverShown = false;
};

// A Unicode list of text items: unsorted, single selection. Works the same while hidden, so
// hidden lists serve as plain string arrays. A shown list reports DblClick, the user's
// selection and focus; it reports no mouse events.
class ListBoxW : public Widget {
 public:
  ListBoxW(Container& parent, const ListBoxDesign& design);

  void AddItem(const std::wstring& item);
  // Bulk updates, one repaint however many items: as AddItem for each item in turn (the
  // selection stays) ...
  void AddItems(std::vector<std::wstring> items);
  // ... and as Clear followed by AddItem for each (no selection afterwards).
  void SetItems(std::vector<std::wstring> items);

  // SetItems for a list rebuilt often (search results): fill(writer) calls writer.Add for
  // each new item in turn, and the new items are written over the old ones in place, so
  // their storage is reused and items that stay as they were cost no copy.
  class ItemWriter {
   public:
    void Add(std::wstring_view item) {
      if (count_ < items_.size()) {
        std::wstring& slot = items_[count_];
        if (slot != item) {
          slot.assign(item);
          changed_ = true;
        }
      } else {
        items_.emplace_back(item);
        changed_ = true;
      }
      ++count_;
    }

   private:
    friend class ListBoxW;
    explicit ItemWriter(std::vector<std::wstring>& items) : items_(items) {}
    std::vector<std::wstring>& items_;
    std::size_t count_ = 0;
    bool changed_ = false;
  };
  template <typename Fill>
  void RewriteItems(Fill&& fill) {
    ItemWriter writer(items_);
    fill(writer);
    FinishRewrite(writer);
  }
  // Removes the item at a 0-based index; later items move up. Out of range: nothing happens.
  void RemoveItem(int index);
  void Clear();
  // The item's text; the empty string for an index out of range.
  std::wstring List(int index) const;
  // Replaces an item's text in place; out of range: nothing happens.
  void SetList(int index, const std::wstring& item);
  int ListIndex() const { return listIndex_; }
  // Selects an item (-1: none). An index out of range is refused: false, selection unchanged.
  bool SetListIndex(int index);
  int ListCount() const { return static_cast<int>(items_.size()); }
  const std::vector<std::wstring>& Items() const { return items_; }

  int BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(int style);

 protected:
  void OnSelectionChanged(int index) override;

 private:
  void FinishRewrite(const ItemWriter& writer);

  std::vector<std::wstring> items_;
  int listIndex_ = -1;
  int borderStyle_;
};

struct ButtonDesign {
  platform::Rect bounds;
  std::wstring caption;
  std::optional<FontInfo> font;
  bool isDefault = false;  // Enter in a modal window presses it
  bool isCancel = false;   // Esc in a modal window presses it
};

// A push button; Click is raised by the mouse and by the dialog keys.
class CommandButton : public Widget {
 public:
  CommandButton(Container& parent, const ButtonDesign& design);
  const std::wstring& Caption() const { return caption_; }

 private:
  std::wstring caption_;
};

// A periodic timer on the user-interface thread.
class Timer {
 public:
  Timer(platform::Clock& clock, unsigned intervalMs, bool enabled);
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  unsigned Interval() const { return interval_; }
  void SetInterval(unsigned intervalMs);

  std::function<void()> Tick;

 private:
  unsigned interval_;
  bool enabled_;
  std::unique_ptr<platform::Timer> timer_;
};

struct DialogError {
  long number = 0;
  std::wstring message;
};

// The system's Open and Save dialogs behind a property-style object. A fresh object is made
// for each command.
class CommonDialog {
 public:
  CommonDialog(platform::SystemDialogs& dialogs, NativeHandle owner);

  std::wstring Filter;
  std::wstring DialogTitle;
  std::wstring FileName;
  std::wstring FileTitle;
  int FilterIndex = 0;
  bool CancelError = false;
  // Bit set of the dialog options; only kOverwritePrompt is honoured.
  long Flags = 0;
  static constexpr long kOverwritePrompt = 0x2;
  // Added to a typed name without extension (the selected filter's extension first).
  std::wstring DefaultExt;

  // Nothing when the dialog closed normally: confirmed (FileName and FileTitle set) or
  // cancelled (both left as they were). An error otherwise; error 32755 for a cancel only
  // when CancelError is set.
  std::optional<DialogError> ShowOpen() { return Show(false); }
  std::optional<DialogError> ShowSave() { return Show(true); }

  static DialogError ErrorFor(std::uint32_t extendedError);

 private:
  std::optional<DialogError> Show(bool save);

  platform::SystemDialogs& dialogs_;
  NativeHandle owner_;
};

}  // namespace tarvik::widgets
