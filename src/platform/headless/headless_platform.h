#pragma once
// The in-memory backend for tests: controls keep the state the program gave them, and a test
// raises the same events a user would (click, double-click, typing, focus, timer ticks,
// close requests) and answers modal dialogs in advance.

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/headless/recording_canvas.h"
#include "platform/platform.h"

namespace tarvik::platform::headless {

class HeadlessPlatform;

class HeadlessControl final : public Control {
 public:
  HeadlessControl(HeadlessPlatform& owner, NativeHandle id, const ControlSettings& settings,
                  HeadlessControl* parent, ControlEvents* events);
  ~HeadlessControl() override;

  NativeHandle Handle() const override { return id_; }
  void SetBounds(const Rect& bounds) override;
  void SetVisible(bool visible) override { visible_ = visible; }
  void SetText(const std::wstring& text) override { text_ = text; }
  void SetFont(const FontInfo& font) override { font_ = font; }
  void SetColors(Color back, Color /*fore*/) override { back_ = back; }
  void SetBorderStyle(int style) override { border_ = style; }
  void SetToolTip(const std::wstring& /*text*/) override {}
  void SetFocus() override;
  bool HasFocus() const override;
  void SetAccessible(const AccessibleInfo& info) override { accessible_ = info; }
  void SetFocusMark(bool shown) override { focusMark_ = shown; }
  void ListAdd(const std::wstring& item) override { items_.push_back(item); }
  void ListRemove(int index) override;
  void ListClear() override;
  void ListSetItem(int index, const std::wstring& item) override;
  void ListSetSelection(int index) override { selection_ = index; }
  void ListReplaceAll(const std::vector<std::wstring>& items) override;
  void ListAddRange(const std::vector<std::wstring>& items, std::size_t first) override;
  void SetLine(Point from, Point to, Color color, int thickness) override;
  // A minimised window lies where the system parks it; its normal rectangle is kept.
  Rect OuterBounds() const override { return minimized_ ? kParkedBounds : bounds_; }
  Point ClientSize() const override;
  bool IsMinimized() const override { return minimized_; }
  Rect NormalBounds() const override { return bounds_; }
  void Restore() override { SetMinimized(false); }
  int Dpi() const override { return parent_ != nullptr ? parent_->Dpi() : dpi_; }
  void SetCursorShape(int shape) override { cursorShape_ = shape; }
  void Destroy() override { destroyed_ = true; }

  // What the program last gave the control.
  ControlKind Kind() const { return kind_; }
  HeadlessControl* Parent() const { return parent_; }
  const Rect& Bounds() const { return bounds_; }  // a window's normal rectangle
  bool Visible() const { return visible_; }
  bool ShownOnScreen() const;  // visible, and so are all its containers
  const std::wstring& Text() const { return text_; }
  const FontInfo& Font() const { return font_; }
  Color BackColor() const { return back_; }
  int BorderStyle() const { return border_; }
  const std::vector<std::wstring>& Items() const { return items_; }
  int Selection() const { return selection_; }
  Point LineFrom() const { return lineFrom_; }
  Point LineTo() const { return lineTo_; }
  int LineThickness() const { return lineThickness_; }
  int CursorShape() const { return cursorShape_; }
  bool Destroyed() const { return destroyed_; }
  const ControlSettings& Settings() const { return settings_; }
  // False while a modal window of the program keeps this window from input.
  bool Enabled() const { return enabled_; }
  const AccessibleInfo& Accessible() const { return accessible_; }
  // The focus mark as a person sees it: asked for, and the keyboard used in the window.
  bool FocusMarkShown() const;
  HeadlessControl& Root();
  // The persistent image of a picture box, once the program asked for it.
  RecordingCanvas* Canvas() const { return canvas_.get(); }
  // What was drawn on the image so far (nothing when it was never asked for).
  std::vector<DrawCall> Drawn() const;

  // What a user does.
  void MouseDown(int button, int shift, int x, int y);
  void MouseUp(int button, int shift, int x, int y);
  void MouseMove(int button, int shift, int x, int y);
  void MouseEnter();
  void MouseLeave();  // the pointer went off the control
  void Click();     // a left press and release
  void DblClick();  // as the platform reports it: press, release, click, double-click, release
  void Type(const std::wstring& newText);  // the user edited the box into newText
  void SelectItem(int index);              // the user clicked an item
  // A key, sent to this control: the window's preview first, then the control. Tab, the
  // arrows and Alt turn the window's focus marks on, as they do on the system.
  void KeyDown(int keyCode, int shift = 0, bool repeat = false);
  // Tab in a modal window, as the platform's dialog keys move on: the next (or previous)
  // push button of the window, wrapping.
  void PressTab(bool backwards = false);
  void RequestShow();                        // another start of the program asks for this window
  void Focus();                              // the user focused the control (same as SetFocus)
  void RequestClose();                       // close box, system menu, WM_CLOSE from outside
  void EndSession();                         // the user logs off or shuts down
  void ResizeClient(int width, int height);  // the user resized the window
  // The window came onto a monitor of another scale: the program hears the new DPI, then the
  // window takes the rectangle the system suggests.
  void ChangeDpi(int dpi, const Rect& suggested);
  // The user minimised or restored the window. While it is minimised, moving it changes
  // only the rectangle it comes back to, and tells the program nothing.
  void SetMinimized(bool minimized);
  // Where the system parks a minimised window.
  static constexpr Rect kParkedBounds{-32000, -32000, 160, 28};
  // Keys a modal window takes as the platform's dialog keys do: Enter presses the focused
  // push button of the window, else its default one; Esc presses its cancel button.
  void PressEnter();
  void PressEscape();

  // Message-handler chain of a window: every message goes to the current handler; the
  // window's own handling records the message and does nothing else.
  std::intptr_t Dispatch(WindowMessage& message);
  std::intptr_t OwnHandling(WindowMessage& message);
  WindowProc ReplaceProc(WindowProc proc) { return std::exchange(proc_, std::move(proc)); }
  const WindowProc& Proc() const { return proc_; }
  // Messages that reached the window's own handling, in order.
  const std::vector<unsigned>& OwnMessages() const { return ownMessages_; }
  // The wheel turned over this control (delta in the system's units, 120 a notch; keys the
  // MK_ bits). A child passes it up to its window's chain, as the system does with a wheel
  // nobody below the window uses.
  void Wheel(int delta, unsigned keys = 0);
  // Wheel turns the window let this control handle itself (a text box scrolling).
  int OwnWheelTurns() const { return ownWheelTurns_; }

  void Detach() { events_ = nullptr; }
  void NotifyFocus(bool got);
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  RecordingCanvas& MakeCanvas();

 private:
  HeadlessPlatform& owner_;
  NativeHandle id_;
  ControlSettings settings_;
  ControlKind kind_;
  HeadlessControl* parent_;
  ControlEvents* events_;
  Rect bounds_;
  bool visible_;
  std::wstring text_;
  FontInfo font_;
  Color back_;
  int border_;
  std::vector<std::wstring> items_;
  int selection_ = -1;
  Point lineFrom_, lineTo_;
  int lineThickness_ = 0;
  int cursorShape_ = 0;
  int dpi_ = 96;
  bool changingDpi_ = false;
  bool minimized_ = false;
  bool destroyed_ = false;
  bool enabled_ = true;
  AccessibleInfo accessible_;
  bool focusMark_ = false;
  std::unique_ptr<RecordingCanvas> canvas_;
  WindowProc proc_;
  std::vector<unsigned> ownMessages_;
  int ownWheelTurns_ = 0;
};

class HeadlessTimer;

struct RecordedMessageBox {
  NativeHandle owner = 0;
  std::wstring text;
  std::wstring caption;
  unsigned style = 0;
};

// Not final: a test may put its own clock or dialogs in place of these.
class HeadlessPlatform : public Platform {
 public:
  HeadlessPlatform();
  ~HeadlessPlatform() override;

  std::unique_ptr<Control> CreateControl(const ControlSettings& settings, Control* parent,
                                         ControlEvents* events) override;
  std::unique_ptr<Timer> CreateTimer(std::function<void()> onTick) override;
  int Run() override;
  void Quit(int exitCode) override;
  void DoEvents() override;
  std::uint32_t TickCount() override { return tick_; }
  void PassTime(std::uint32_t milliseconds) override;
  void InitCommonControls() override { commonControlsInitialised_ = true; }
  std::unique_ptr<InstanceLock> AcquireSingleInstance(const std::wstring& name) override;
  void RequestShowOfInstance(const std::wstring& name) override { showRequests_.push_back(name); }
  // The instances asked to come forward, by lock name.
  const std::vector<std::wstring>& ShowRequests() const { return showRequests_; }
  // Focus marks of a window: off until the keyboard is used in it.
  void ShowFocusCues(NativeHandle window) { cuesShown_.insert(window); }
  bool FocusCuesShown(NativeHandle window) const { return cuesShown_.count(window) != 0; }
  // Held under "Global\" + name, so a test can hold one for another session.
  std::unique_ptr<InstanceLock> AcquireMachineWideLock(const std::wstring& name) override {
    return AcquireSingleInstance(L"Global\\" + name);
  }
  std::wstring ProgramFolder() override { return programFolder_; }
  std::wstring ProgramName() override { return L"Tarvik"; }
  ScreenMetrics Screen() override;
  Point CursorPos() override { return cursor_; }
  int ShowMessageBox(NativeHandle owner, const std::wstring& text, const std::wstring& caption,
                     unsigned style) override;
  FileDialogResult ShowFileDialog(const FileDialogRequest& request) override;
  std::optional<std::wstring> BrowseForFolder(NativeHandle owner,
                                              const std::wstring& prompt) override;
  void ShellOpen(const std::wstring& parameters, int showMode, NativeHandle owner) override;
  bool IsTopMost(NativeHandle window) override { return topMost_.count(window) != 0; }
  void SetTopMost(NativeHandle window, bool topMost) override {
    if (topMost) {
      topMost_.insert(window);
    } else {
      topMost_.erase(window);
    }
  }
  std::uint32_t GetWindowStyle(NativeHandle window) override;
  void SetWindowStyle(NativeHandle window, std::uint32_t style) override;
  void SetMouseCapture(NativeHandle window) override { capture_ = window; }
  void ReleaseMouseCapture() override { capture_ = 0; }
  bool HasMouseCapture(NativeHandle window) override { return window != 0 && capture_ == window; }
  void RunMoveSizeLoop(NativeHandle window, int hitTest) override;
  unsigned TrackSystemMenu(NativeHandle window, Point at) override;
  void SendSystemCommand(NativeHandle window, unsigned command) override;
  std::optional<std::uint32_t> ExtendedStyle(NativeHandle window) override;
  bool SetExtendedStyle(NativeHandle window, std::uint32_t style) override;
  bool SetLayeredAttributes(NativeHandle window, Color key, std::uint8_t alpha,
                            std::uint32_t flags) override;
  std::optional<LayeredAttributes> GetLayeredAttributes(NativeHandle window) override {
    const std::optional<std::uint32_t> style = ExtendedStyle(window);
    if (!style || (*style & kExStyleLayered) == 0) return std::nullopt;
    return Layered(window);
  }
  std::vector<Monitor> Monitors() override;
  RegistryKeyResult CreateRegistryKey(RegistryRoot root, const std::wstring& path,
                                      const std::wstring& className) override;
  RegistryReadResult ReadRegistryValue(RegistryRoot root, const std::wstring& path,
                                       const std::wstring& name) override;
  WindowProc ReplaceWindowProc(NativeHandle window, WindowProc proc) override;
  std::intptr_t PassToWindowProc(const WindowProc& previous, NativeHandle window,
                                 WindowMessage& message) override;
  void ShowWithoutActivating(NativeHandle window) override {
    if (HeadlessControl* control = Find(window)) control->SetVisible(true);
  }
  void ScrollTextBox(NativeHandle textBox, int code) override {
    scrolls_.emplace_back(textBox, code);
  }
  std::string EncodeCodePage(std::wstring_view text, unsigned codePage) override;
  std::wstring DecodeCodePage(std::string_view bytes, unsigned codePage) override;
  void RunModal(Control& window) override;
  int StartDrawingLibrary(std::uintptr_t& token) override;
  void StopDrawingLibrary(std::uintptr_t token) override;
  Canvas* CanvasOf(Control& panel) override;
  void EndProcess(unsigned exitCode) override;
  std::optional<PixelImage> LoadBitmapResource(int /*id*/) override { return std::nullopt; }

  // Layered-window attributes as last applied to a window.
  std::optional<LayeredAttributes> Layered(NativeHandle window) const;

  // The in-memory registry. Key paths and value names are compared without regard to case.
  // A root made read-only refuses to create or open keys for writing, as HKEY_LOCAL_MACHINE
  // does for a user without administrator rights; an unreadable one fails every read.
  void SetRegistryWritable(RegistryRoot root, bool writable);
  void SetRegistryReadable(RegistryRoot root, bool readable);
  void PutRegistryValue(RegistryRoot root, const std::wstring& path, const std::wstring& name,
                        const RegistryData& data);
  std::optional<RegistryData> RegistryValue(RegistryRoot root, const std::wstring& path,
                                            const std::wstring& name) const;
  // The class string the key was created with; nothing when the key does not exist.
  std::optional<std::wstring> RegistryKeyClass(RegistryRoot root, const std::wstring& path) const;
  std::uint32_t RegistrySetValue(RegistryRoot root, const std::wstring& path,
                                 const std::wstring& name, const RegistryData& data);
  std::uint32_t RegistryDeleteValue(RegistryRoot root, const std::wstring& path,
                                    const std::wstring& name);

  // Test controls.
  HeadlessControl* Find(NativeHandle handle) const;
  // Every control alive now, in creation order.
  std::vector<HeadlessControl*> Controls() const;
  HeadlessControl& Get(NativeHandle handle) const;  // the control must exist
  // The live controls whose container is parent, in creation order.
  std::vector<HeadlessControl*> Children(NativeHandle parent) const;
  // The default (or cancel) push button inside a window, if it has one.
  HeadlessControl* ButtonOf(const HeadlessControl& window, bool isDefault) const;
  HeadlessControl* Focused() const { return focused_; }
  void SetFocused(HeadlessControl* control);
  void SetProgramFolder(std::wstring folder) { programFolder_ = std::move(folder); }
  // The primary monitor and the screen are one: setting the screen sets the primary's
  // rectangle and work area, and a monitor list (primary first) sets the screen's size and
  // work area. Without a list there is one monitor, the screen.
  void SetScreen(const ScreenMetrics& screen);
  void SetMonitors(std::vector<Monitor> monitors);
  // Each monitor's scale, in the order of the list (missing: the system's). A window moved
  // onto a monitor of another scale is told so, as the system tells a per-monitor aware one.
  void SetMonitorDpis(std::vector<int> dpis) { monitorDpis_ = std::move(dpis); }
  bool MonitorsHaveScales() const { return !monitorDpis_.empty(); }
  // The scale of the monitor a rectangle lies on most.
  int DpiAt(const Rect& r);
  void SetCursor(Point p) { cursor_ = p; }
  // Moves the clock on, firing every enabled timer each time its interval elapses.
  void AdvanceTime(std::uint32_t milliseconds);
  void QueueFileDialogAnswer(FileDialogResult answer) { fileDialogAnswers_.push_back(answer); }
  const std::vector<RecordedMessageBox>& MessageBoxes() const { return messageBoxes_; }
  const std::vector<FileDialogRequest>& FileDialogs() const { return fileDialogs_; }
  bool QuitRequested() const { return quitRequested_; }
  bool CommonControlsInitialised() const { return commonControlsInitialised_; }
  // Something else (another process) holds the single-instance lock of this name.
  void HoldInstanceElsewhere(const std::wstring& name) { heldLocks_.insert(name); }
  // Runs as the next modal loop starts, as a user would act on the modal window. A loop
  // with nothing queued ends as the system closing the window.
  void QueueModalAction(std::function<void()> action) {
    modalActions_.push_back(std::move(action));
  }
  int ModalDepth() const { return static_cast<int>(modalStack_.size()); }
  // The window of the innermost modal loop running now (0: none).
  NativeHandle ModalWindow() const { return modalStack_.empty() ? 0 : modalStack_.back(); }
  int ModalLoopsRun() const { return modalLoops_; }
  // From a modal action: the loop ends with its window still open, as a quit request ends
  // the real one.
  void AbandonModalLoop() { modalAbandoned_ = true; }
  // The drawing library: the next start fails with this status (0: starts normally).
  void FailDrawingStart(int status) { drawingStartFailure_ = status; }
  int DrawingStarts() const { return drawingStarts_; }
  int DrawingStops() const { return drawingStops_; }
  bool DrawingStarted() const { return drawingToken_ != 0; }
  // EndProcess was called (the process would be gone) and with which code.
  bool ProcessEnded() const { return processEnded_; }
  unsigned ProcessExitCode() const { return processExitCode_; }

  // The left mouse button: presses and releases through HeadlessControl keep it up to date;
  // a move/size loop starts only while it is held.
  void SetLeftButtonHeld(bool held) { leftButtonHeld_ = held; }
  NativeHandle Capture() const { return capture_; }
  // Presses (screen pixels) a window holding the mouse let go on to what lies under them.
  const std::vector<Point>& PressesPassedOn() const { return pressesPassedOn_; }
  void PassPressOn(Point screen) {
    capture_ = 0;
    pressesPassedOn_.push_back(screen);
  }
  struct MoveSizeLoop {
    NativeHandle window = 0;
    int hitTest = 0;
    bool captureHeld = false;  // whether some window still held the mouse when it began
  };
  const std::vector<MoveSizeLoop>& MoveSizeLoops() const { return moveSizeLoops_; }
  // Plays the user's part in a loop (drags the window somewhere); the loop ends after it
  // with the button released.
  void OnMoveSizeLoop(std::function<void(HeadlessControl& window, int hitTest)> user) {
    moveSizeUser_ = std::move(user);
  }
  struct SystemMenu {
    NativeHandle window = 0;
    Point at;
  };
  const std::vector<SystemMenu>& SystemMenus() const { return systemMenus_; }
  void QueueSystemMenuAnswer(unsigned command) { systemMenuAnswers_.push_back(command); }
  // Commands sent; a close (0xF060) also reaches the window as a close request.
  const std::vector<std::pair<NativeHandle, unsigned>>& SystemCommands() const {
    return systemCommands_;
  }

  // The window's current message handler (null: its own handling only).
  WindowProc WindowProcOf(NativeHandle window) const;
  // Line scrolls sent to text boxes: (box, kScrollLineUp / kScrollLineDown).
  const std::vector<std::pair<NativeHandle, int>>& Scrolls() const { return scrolls_; }

  // Bookkeeping for controls and timers.
  void Forget(HeadlessControl* control);
  void Register(HeadlessTimer* timer) { timers_.push_back(timer); }
  void Unregister(HeadlessTimer* timer);
  void ReleaseLock(const std::wstring& name) { heldLocks_.erase(name); }

 private:
  std::map<NativeHandle, HeadlessControl*> controls_;
  std::vector<HeadlessTimer*> timers_;
  NativeHandle nextHandle_ = 0x1000;
  HeadlessControl* focused_ = nullptr;
  std::wstring programFolder_ = L".";
  ScreenMetrics screen_;
  Point cursor_;
  std::uint32_t tick_ = 100000;
  std::deque<FileDialogResult> fileDialogAnswers_;
  std::vector<RecordedMessageBox> messageBoxes_;
  std::vector<FileDialogRequest> fileDialogs_;
  std::set<std::wstring> heldLocks_;
  std::set<NativeHandle> topMost_;
  std::map<NativeHandle, std::uint32_t> exStyles_;
  std::map<NativeHandle, LayeredAttributes> layered_;
  struct RegistryKeyData {
    std::wstring className;
    std::map<std::wstring, RegistryData> values;  // by lower-case name
  };
  std::map<std::pair<RegistryRoot, std::wstring>, RegistryKeyData> registry_;  // lower-case path
  std::set<RegistryRoot> readOnlyRoots_;
  std::set<RegistryRoot> unreadableRoots_;
  bool quitRequested_ = false;
  int exitCode_ = 0;
  std::map<NativeHandle, std::uint32_t> styles_;
  NativeHandle capture_ = 0;
  std::vector<Point> pressesPassedOn_;
  std::vector<Monitor> monitors_;  // empty: the screen is the one monitor
  std::vector<int> monitorDpis_;
  bool leftButtonHeld_ = false;
  std::vector<MoveSizeLoop> moveSizeLoops_;
  std::function<void(HeadlessControl&, int)> moveSizeUser_;
  std::vector<SystemMenu> systemMenus_;
  std::deque<unsigned> systemMenuAnswers_;
  std::vector<std::pair<NativeHandle, unsigned>> systemCommands_;
  bool commonControlsInitialised_ = false;
  std::deque<std::function<void()>> modalActions_;
  std::vector<NativeHandle> modalStack_;
  int modalLoops_ = 0;
  bool modalAbandoned_ = false;
  int drawingStartFailure_ = 0;
  int drawingStarts_ = 0;
  int drawingStops_ = 0;
  std::uintptr_t drawingToken_ = 0;
  std::uintptr_t nextDrawingToken_ = 0x5150;
  std::vector<std::pair<NativeHandle, int>> scrolls_;
  bool processEnded_ = false;
  unsigned processExitCode_ = 0;
  std::vector<std::wstring> showRequests_;
  std::set<NativeHandle> cuesShown_;
};

}  // namespace tarvik::platform::headless
