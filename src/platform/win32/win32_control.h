#pragma once
// The native counterpart of one widget on Win32. One class covers every kind: windows,
// panels and lines are windows of our own classes (one window-procedure thunk); labels,
// text boxes and list boxes are the system's STATIC, EDIT and LISTBOX controls; labels and
// text boxes are subclassed to report mouse and focus input, list boxes report through the
// notifications to their parent. Notifications the system sends to the parent
// (WM_COMMAND, WM_CTLCOLOR*) are routed back to the child's object.
//
// Its members are spread by concern: creation and the common setters in win32_control.cpp,
// the window procedures and message chains in win32_window_proc.cpp, input and the parent's
// notifications in win32_control_input.cpp, win32_list_box.cpp and win32_tool_tip.cpp.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/backend_context.h"
#include "platform/win32/gdiplus_canvas.h"
#include "platform/win32/handles.h"

namespace tarvik::platform::win32 {

class Win32Control final : public Control {
 public:
  Win32Control(std::shared_ptr<BackendContext> context, const ControlSettings& settings,
               Win32Control* parent, ControlEvents* events);
  ~Win32Control() override;

  // False when the native control could not be created.
  bool Valid() const noexcept { return static_cast<bool>(hwnd_); }
  HWND Hwnd() const noexcept { return hwnd_.get(); }
  ControlKind Kind() const noexcept { return kind_; }

  // Sends the first OnResized of a window once the object is complete.
  void FinishCreation();

  NativeHandle Handle() const override;
  void SetBounds(const Rect& bounds) override;
  void SetVisible(bool visible) override;
  void SetText(const std::wstring& text) override;
  void SetFont(const FontInfo& font) override;
  void SetColors(Color back, Color fore) override;
  void SetBorderStyle(int style) override;
  void SetToolTip(const std::wstring& text) override;
  void SetFocus() override;
  bool HasFocus() const override;
  void SetAccessible(const AccessibleInfo& info) override { accessible_ = info; }
  void SetFocusMark(bool shown) override;

  void ListAdd(const std::wstring& item) override;
  void ListRemove(int index) override;
  void ListClear() override;
  void ListSetItem(int index, const std::wstring& item) override;
  void ListSetSelection(int index) override;
  void ListReplaceAll(const std::vector<std::wstring>& items) override;
  void ListAddRange(const std::vector<std::wstring>& items, std::size_t first) override;

  void SetLine(Point from, Point to, Color color, int thickness) override;

  Rect OuterBounds() const override;
  Point ClientSize() const override;
  bool IsMinimized() const override;
  Rect NormalBounds() const override;
  void Restore() override;
  int Dpi() const override;
  void SetCursorShape(int shape) override;
  void Destroy() override;

  // A panel's persistent image, made on first use; null for other kinds.
  Canvas* GetCanvas();

  // The program's message-handler chain of a window (null: none, the window's own handling).
  WindowProc ReplaceProc(WindowProc proc) { return std::exchange(proc_, std::move(proc)); }
  // The end of the chain: the window's own handling of a message that came through it.
  LRESULT CallOwn(WindowMessage& message);

  static void RegisterClasses(HINSTANCE instance);

  // A key message on its way from the message loop to this control (win32_keyboard.cpp):
  // true when the program's preview used it, and it goes no further.
  bool PreviewKey(const MSG& msg);
  // Screen readers (win32_accessible.cpp): what the control says it is, and whether it now
  // stands for the focus.
  const AccessibleInfo& Accessible() const noexcept { return accessible_; }
  bool ShowsFocus() const;
  std::weak_ptr<bool> Liveness() const { return alive_; }
  // Screen readers ask for a control's default action: it is carried out from the message
  // loop as a click, not inside the reader's call.
  static constexpr UINT kDefaultActionMessage = WM_APP + 0x2A;

 private:
  static constexpr UINT_PTR kSubclassId = 1;

  // Windows, panels and lines are windows of our own classes.
  static bool IsOwnClass(ControlKind kind) {
    return kind == ControlKind::Window || kind == ControlKind::Panel || kind == ControlKind::Line;
  }
  // Labels and text boxes report the mouse only through a subclass. A list box says all the
  // program hears of it (double-click, selection, focus) in notifications to its parent, and a
  // subclass would make every item added to it several times dearer.
  static bool NeedsSubclass(ControlKind kind) {
    return kind == ControlKind::Label || kind == ControlKind::TextBox;
  }

  static LRESULT CALLBACK WindowThunk(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK SubclassThunk(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR id, DWORD_PTR refData);

  // Runs a message through the program's chain; fromChild names a child whose wheel turn is
  // passed up. childDefault is set when the chain left the turn to the child itself.
  LRESULT RunChain(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, HWND fromChild,
                   bool* childDefault);
  LRESULT HandleOwnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleSubclassMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // Mouse and focus input common to both; reports it as events. May destroy this object.
  void HandleInput(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  bool HandleFromChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  void OnCommandFromParent(UINT code);
  HBRUSH OnColorFromParent(HDC dc);
  void OnNativeDestroyed(HWND hwnd);
  // WM_GETOBJECT: the accessible object of a described panel, or of the panel it is a part
  // of; false when the system's own object serves.
  bool ServeAccessible(WPARAM wParam, LPARAM lParam, LRESULT& result);
  // The focus mark, when it is asked for and the window's focus marks are on.
  bool FocusMarkVisible() const;
  // Messages of our own classes for the keyboard and screen readers: focus marks, the show
  // request of another start, the accessible object and its default action.
  bool HandleAccessMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  // Calls the event sink; false when this object died during the call, after which the
  // caller must not touch any member.
  template <typename Fn>
  bool Fire(Fn&& fn) {
    const std::weak_ptr<bool> alive = alive_;
    if (events_ && !creating_) fn(*events_);
    return !alive.expired();
  }

  void ApplyFont();
  void ApplyColors();
  void Redraw();
  HWND ToolTipOfRoot(bool create);
  // A window's tool tips: width and font for the window's present DPI.
  void ApplyToolTipDpi();
  void RemoveToolTip();

  std::shared_ptr<BackendContext> context_;
  ControlKind kind_;
  ControlEvents* events_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  bool creating_ = true;
  bool settingText_ = false;
  bool trackingLeave_ = false;
  bool clickArmed_ = false;  // a left press in this control that may become a click
  int cursorShape_ = 0;
  COLORREF back_ = 0;
  COLORREF fore_ = 0;
  std::shared_ptr<SharedFont> font_;
  unique_hbrush backBrush_;
  bool hasToolTip_ = false;
  std::shared_ptr<SharedFont> toolTipFont_;  // windows only: the font of their tool tips
  unique_hwnd hwnd_;
  unique_hwnd toolTip_;  // windows only: the one tool-tip control for all their controls
  AccessibleInfo accessible_;
  bool focusMark_ = false;
  HWND lastFocus_ = nullptr;  // windows only: the control that had the keyboard at deactivation
  std::unique_ptr<GdiPlusCanvas> canvas_;  // panels that are drawn on
  WindowProc proc_;
  // The message the chain is working on now (nested messages stack their own).
  struct ChainCall {
    WINDOWPOS* pos = nullptr;
    bool* childDefault = nullptr;
  };
  ChainCall* chainCall_ = nullptr;
};

}  // namespace tarvik::platform::win32
