#pragma once
// The small layer that stands in for the operating system. The program (widgets, forms,
// modules) talks to the OS only through these interfaces; platform/win32 implements them
// on real Win32 and platform/headless keeps state in memory for tests.
//
// Threading: everything here is called on the one user-interface thread, and every event
// is delivered on it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

namespace tarvik::platform {

// A native window handle as a number (the HWND value on Windows, a synthetic id headless).
using NativeHandle = std::uintptr_t;

class Canvas;  // platform/canvas.h

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

// Window colours: 0x00BBGGRR (red in the low byte). A value with the top bit set names a
// system colour; its low byte is the system colour index (COLOR_WINDOW = 5, ...).
using Color = std::uint32_t;
constexpr Color Rgb(int r, int g, int b) {
  return static_cast<Color>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
inline constexpr Color kSystemColorFlag = 0x80000000u;
inline constexpr Color kSysWindowBack = 0x80000005u;  // the system's window background
inline constexpr Color kSysWindowText = 0x80000008u;  // the system's window text
inline constexpr Color kSysButtonFace = 0x8000000Fu;  // the system's 3-D face colour

struct FontInfo {
  std::wstring face = L"微软雅黑";
  double sizePt = 9.0;  // points; fractional sizes (10.5) are kept exactly
  int weight = 400;
  int charset = 134;  // GB2312
  // Pixels per inch the point size is made for: the DPI of the window the text is shown in.
  int dpi = 96;
  friend bool operator==(const FontInfo&, const FontInfo&) = default;
};

// Mouse buttons and shift state as the program's events carry them.
inline constexpr int kButtonLeft = 1;
inline constexpr int kButtonRight = 2;
inline constexpr int kButtonMiddle = 4;
inline constexpr int kShiftKey = 1;
inline constexpr int kCtrlKey = 2;
inline constexpr int kAltKey = 4;

struct MouseArgs {
  int button = 0;  // the button that changed (down/up) or the buttons held (move)
  int shift = 0;   // bit set of kShiftKey, kCtrlKey, kAltKey at the moment of the event
  int x = 0;       // pixels in the control's client area
  int y = 0;
};

// Virtual-key codes the program reacts to.
inline constexpr int kKeyTab = 0x09;
inline constexpr int kKeyReturn = 0x0D;
inline constexpr int kKeyEscape = 0x1B;
inline constexpr int kKeySpace = 0x20;
inline constexpr int kKeyUp = 0x26;
inline constexpr int kKeyDown = 0x28;

struct KeyArgs {
  int keyCode = 0;      // the virtual-key code
  int shift = 0;        // bit set of kShiftKey, kCtrlKey, kAltKey
  bool repeat = false;  // the key was already down: the keyboard's auto-repeat
};

enum class ControlKind {
  Window,   // a top-level window (a form)
  Panel,    // a picture box: a plain child container with a background, border and mouse events
  Label,    // static text
  Line,     // a straight 1-pixel line drawn in its container
  TextBox,  // a Unicode edit field, single- or multi-line
  ListBox,  // a Unicode list of text items, single selection, unsorted
  Button,   // a push button; Enter and Esc in a modal window press its default and cancel ones
};

// What a control is to assistive technology (a screen reader): its name and role; a check
// button also its state. The platform adds focused and invisible as they are at the moment.
enum class AccessibleRole { None, PushButton, CheckButton };
struct AccessibleInfo {
  std::wstring name;
  AccessibleRole role = AccessibleRole::None;
  bool checked = false;
  friend bool operator==(const AccessibleInfo&, const AccessibleInfo&) = default;
};

// Settings fixed when the native control is created.
struct ControlSettings {
  ControlKind kind = ControlKind::Panel;
  std::wstring text;       // caption of a window or label, initial text of a text box
  bool multiLine = false;  // text box
  int scrollBars = 0;      // text box: 0 none, 1 horizontal, 2 vertical, 3 both
  int alignment = 0;       // text box and label: 0 left, 1 right, 2 centred
  int borderStyle = 0;     // 0 none, 1 single line (changeable later through SetBorderStyle);
                           // a window with 1 is a pop-up without caption in a thin border,
                           // with 2 a pop-up with no frame at all
  bool visible = true;
  Rect bounds;  // pixels in the parent's client area; for a window, its outer rectangle on screen
  Color backColor = kSysWindowBack;
  Color foreColor = kSysWindowText;
  std::optional<FontInfo> font;  // nothing: the system's default GUI font
  std::wstring toolTip;
  bool defaultButton = false;  // button: Enter in its modal window presses it
  bool cancelButton = false;   // button: Esc in its modal window presses it
  // A window owned by another stays above it and, like a tool window, has no task bar button.
  NativeHandle owner = 0;
  bool toolWindow = false;  // a window: the system's tool-window style, never on the task bar
};

// Events a native control reports. Widgets implement this; the backend calls it on the
// UI thread. Default implementations ignore the event.
class ControlEvents {
 public:
  virtual void OnMouseDown(const MouseArgs&) {}
  virtual void OnMouseUp(const MouseArgs&) {}
  virtual void OnMouseMove(const MouseArgs&) {}
  virtual void OnMouseEnter() {}
  // The pointer left the control (or its window), however fast it went.
  virtual void OnMouseLeave() {}
  virtual void OnClick() {}
  virtual void OnDblClick() {}
  // False where a double-click means nothing: its second press is then a press, and its
  // release a click, like any other.
  virtual bool HasDblClick() const { return true; }
  virtual void OnGotFocus() {}
  virtual void OnLostFocus() {}
  // A key went down while the control had the keyboard focus.
  virtual void OnKeyDown(const KeyArgs&) {}
  // A key went down for the control with the keyboard focus, before the control itself sees
  // it, as a form's key preview: true when the window used it (to move the focus on, to
  // open, to go back), and the control then never sees the key.
  virtual bool OnPreviewKey(const KeyArgs&) { return false; }
  // Another start of the program asks this window to come forward: true when it did.
  virtual bool OnShowRequest() { return false; }
  // The user changed the content of a text box; the new whole text.
  virtual void OnTextEdited(const std::wstring& /*text*/) {}
  // The user changed the selection of a list box (-1 = none).
  virtual void OnSelectionChanged(int /*index*/) {}
  // A window's client area now has this size in pixels (also sent once after creation).
  virtual void OnResized(int /*clientWidth*/, int /*clientHeight*/) {}
  // A window's outer rectangle moved or changed size (screen pixels).
  virtual void OnMoved(const Rect& /*outer*/) {}
  // A window came onto a monitor of another scale (or the scale changed): its new DPI. The
  // backend then gives the window the rectangle the system suggests for it, and the resize
  // follows.
  virtual void OnDpiChanged(int /*dpi*/) {}
  // A window is asked to close (system menu, Alt+F4, WM_CLOSE from outside).
  virtual void OnCloseRequest() {}
  // The user's session is ending (logoff, shutdown): the last chance to save, with no
  // questions; the process may be ended as soon as this returns.
  virtual void OnEndSession() {}

 protected:
  ~ControlEvents() = default;
};

// The native counterpart of one widget. Destroying it destroys the native control.
class Control {
 public:
  virtual ~Control() = default;
  Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  virtual NativeHandle Handle() const = 0;

  // Geometry in pixels: in the parent's client area, or on screen (outer) for a window.
  virtual void SetBounds(const Rect& bounds) = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual void SetText(const std::wstring& text) = 0;  // raises no OnTextEdited
  virtual void SetFont(const FontInfo& font) = 0;
  virtual void SetColors(Color back, Color fore) = 0;
  virtual void SetBorderStyle(int style) = 0;
  virtual void SetToolTip(const std::wstring& text) = 0;
  virtual void SetFocus() = 0;
  virtual bool HasFocus() const = 0;
  // What the control is to a screen reader (AccessibleRole::None: nothing of its own).
  virtual void SetAccessible(const AccessibleInfo& info) = 0;
  // A painted control shows that it stands for the focus: a dotted rectangle around it, drawn
  // only once the keyboard has been used in its window, as the system shows focus marks.
  virtual void SetFocusMark(bool shown) = 0;

  // List boxes. Indices are always in range; the widget checks them first.
  virtual void ListAdd(const std::wstring& item) = 0;
  virtual void ListRemove(int index) = 0;
  virtual void ListClear() = 0;
  virtual void ListSetItem(int index, const std::wstring& item) = 0;
  virtual void ListSetSelection(int index) = 0;  // raises no OnSelectionChanged
  // List boxes in bulk: the whole change costs one repaint, however many items it holds.
  // Replaces every item with items; the selection goes, as with ListClear.
  virtual void ListReplaceAll(const std::vector<std::wstring>& items) = 0;
  // Appends items[first] to the last of items.
  virtual void ListAddRange(const std::vector<std::wstring>& items, std::size_t first) = 0;

  // Lines: end points in the container's client pixels; thickness across, in pixels.
  virtual void SetLine(Point from, Point to, Color color, int thickness) = 0;

  // Windows.
  virtual Rect OuterBounds() const = 0;  // screen pixels
  virtual Point ClientSize() const = 0;  // pixels
  virtual bool IsMinimized() const = 0;
  // The window's restored (normal) outer rectangle, screen pixels: where it goes back to from
  // minimised or maximised; the same as OuterBounds for a window shown normally.
  virtual Rect NormalBounds() const = 0;
  // Brings a minimised or maximised window back to its normal rectangle; any other is left as
  // it is.
  virtual void Restore() = 0;
  // Pixels per inch of the monitor the window is on (96 at 100 % scaling); a child control
  // reports its window's.
  virtual int Dpi() const = 0;
  virtual void SetCursorShape(int shape) = 0;  // 0 default, 6..9 the sizing arrows
  virtual void Destroy() = 0;                  // closes the native window now
};

class Timer {
 public:
  virtual ~Timer() = default;
  Timer() = default;
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;
  virtual void SetInterval(unsigned milliseconds) = 0;
  virtual void SetEnabled(bool enabled) = 0;
};

// Held for as long as this process is the program's single instance.
class InstanceLock {
 public:
  virtual ~InstanceLock() = default;
};

struct ScreenMetrics {
  int widthPx = 1280;
  int heightPx = 800;
  int twipsPerPixelX = 15;
  int twipsPerPixelY = 15;
  Rect workArea{0, 0, 1280, 800};  // pixels
  int dpi = 96;                    // the system's pixels per inch, what twipsPerPixel are made from
};

// One display, screen pixels: all of it, and the part no task bar covers.
struct Monitor {
  Rect bounds;
  Rect work;
  friend bool operator==(const Monitor&, const Monitor&) = default;
};

inline std::vector<Rect> BoundsOf(const std::vector<Monitor>& monitors) {
  std::vector<Rect> bounds;
  bounds.reserve(monitors.size());
  for (const Monitor& m : monitors) bounds.push_back(m.bounds);
  return bounds;
}

// A window that holds the mouse (to hear a right click on its task bar button) hears every
// press on the screen. A left or middle press outside its rectangle (screen pixels) was meant
// for what lies there: the window lets go of the mouse and the press goes on to it. The right
// button still comes to the window, so that its system menu opens from outside.
constexpr bool CapturedPressGoesElsewhere(int button, Point screen, const Rect& window) {
  if (button != kButtonLeft && button != kButtonMiddle) return false;
  return screen.x < window.left || screen.y < window.top ||
         screen.x >= window.left + window.width || screen.y >= window.top + window.height;
}

// Extended window style and layered-window attributes.
inline constexpr std::uint32_t kExStyleLayered = 0x00080000u;     // WS_EX_LAYERED
inline constexpr std::uint32_t kExStyleToolWindow = 0x00000080u;  // WS_EX_TOOLWINDOW
inline constexpr std::uint32_t kLayeredColorKey = 1;              // LWA_COLORKEY
inline constexpr std::uint32_t kLayeredAlpha = 2;                 // LWA_ALPHA

// A layered window's attributes; flags (kLayeredColorKey, kLayeredAlpha) say which apply.
struct LayeredAttributes {
  Color key = 0;
  std::uint8_t alpha = 255;
  std::uint32_t flags = 0;
};

// The registry. Roots are the predefined keys' numbers; statuses are the system's error codes.
using RegistryRoot = std::uint32_t;
inline constexpr RegistryRoot kHKeyCurrentUser = 0x80000001u;
inline constexpr RegistryRoot kHKeyLocalMachine = 0x80000002u;
inline constexpr std::uint32_t kRegistryOk = 0;
inline constexpr std::uint32_t kRegistryNotFound = 2;      // ERROR_FILE_NOT_FOUND
inline constexpr std::uint32_t kRegistryAccessDenied = 5;  // ERROR_ACCESS_DENIED
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

// One registry value: text for the two string types, raw bytes for every other type.
struct RegistryData {
  std::uint32_t type = kRegSz;
  std::wstring text;
  std::string bytes;
  friend bool operator==(const RegistryData&, const RegistryData&) = default;
};

// An open registry key; closed when destroyed.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  RegistryKey() = default;
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  virtual std::uint32_t SetValue(const std::wstring& name, const RegistryData& data) = 0;
  virtual std::uint32_t DeleteValue(const std::wstring& name) = 0;
};

struct RegistryKeyResult {
  std::uint32_t status = kRegistryNotFound;
  std::unique_ptr<RegistryKey> key;  // set when status is kRegistryOk
};

struct RegistryReadResult {
  // kRegistryOk: found; kRegistryNotFound: key or value missing; anything else: unreadable.
  std::uint32_t status = kRegistryNotFound;
  RegistryData data;
};

struct FileDialogRequest {
  NativeHandle owner = 0;
  bool save = false;      // Save dialog, else Open
  std::wstring title;     // the dialog's caption
  std::wstring filter;    // "desc|pattern|desc|pattern"
  std::wstring fileName;  // initial name
  int filterIndex = 1;
  bool overwritePrompt = false;  // Save: ask before replacing an existing file
  // Added to a typed name without extension; the chosen filter's own extension wins when it
  // names one (as the system dialog does). Empty: nothing is added.
  std::wstring defaultExtension;
};

struct FileDialogResult {
  enum class Outcome { Confirmed, Cancelled, Failed };
  Outcome outcome = Outcome::Cancelled;
  std::wstring fileName;        // full path when confirmed
  std::wstring fileTitle;       // name without folder when confirmed
  std::uint32_t errorCode = 0;  // the dialog's extended error when it failed
};

// A message on its way through a top-level window's chain of replaceable message handlers,
// in the system's own numbers.
inline constexpr unsigned kMsgWindowPosChanging = 0x0046;  // WM_WINDOWPOSCHANGING
inline constexpr unsigned kMsgMouseWheel = 0x020A;         // WM_MOUSEWHEEL
inline constexpr unsigned kMsgVScroll = 0x0115;            // WM_VSCROLL
inline constexpr int kScrollLineUp = 0;                    // SB_LINEUP
inline constexpr int kScrollLineDown = 1;                  // SB_LINEDOWN

struct WindowMessage {
  unsigned id = 0;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
  // kMsgWindowPosChanging: the proposed outer rectangle, screen pixels. A handler may change
  // left and top; the window takes them. A change that keeps the size or the position proposes
  // the current one, so a pure move is never taken for a resize.
  Rect proposed;
  // kMsgWindowPosChanging: the outer rectangle before the change, screen pixels.
  Rect current;
  // A wheel turned over a child control and passed up to its window (0: the window's own).
  NativeHandle fromChild = 0;
};

// kMsgMouseWheel: the whole 32-bit wParam as a signed number; negative when the wheel turned
// towards the user (its delta, the high word, is negative).
inline std::int32_t WheelParam(const WindowMessage& m) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(m.wParam & 0xFFFFFFFFu));
}

// A picture in memory: width x height window colours (0x00BBGGRR), rows from the top.
struct PixelImage {
  int width = 0;
  int height = 0;
  std::vector<Color> pixels;
};

// A replaceable message handler of a window. Null stands for the window's own handling.
using WindowProcFn = std::function<std::intptr_t(NativeHandle window, WindowMessage& message)>;
using WindowProc = std::shared_ptr<const WindowProcFn>;

inline WindowProc MakeWindowProc(WindowProcFn fn) {
  return std::make_shared<const WindowProcFn>(std::move(fn));
}

// The platform's services, one interface per role. Every member is pure: a backend that
// leaves one out does not build.

// Native windows and child controls.
class ControlHost {
 public:
  virtual ~ControlHost() = default;

  // parent is null for a top-level window. events may be null.
  virtual std::unique_ptr<Control> CreateControl(const ControlSettings& settings, Control* parent,
                                                 ControlEvents* events) = 0;
  // Runs a nested message loop until the window is closed (destroyed); the program's other
  // windows take no input meanwhile.
  virtual void RunModal(Control& window) = 0;
  // Shows a top-level window and leaves the active window (and its keyboard focus) as it is.
  virtual void ShowWithoutActivating(NativeHandle window) = 0;
  // A multi-line text box scrolled by one line (kScrollLineUp / kScrollLineDown), as its
  // scroll bar's arrows do.
  virtual void ScrollTextBox(NativeHandle textBox, int code) = 0;
};

// Z-order, frame and layered styles, mouse capture, the move/size loop and the system menu of
// any top-level window (ours or another program's). Window style bits as the system defines
// them (WS_CAPTION 0x00C00000, ...). A call on another program's window does not wait long on
// that program: a hung program cannot freeze ours.
class WindowManager {
 public:
  virtual ~WindowManager() = default;

  virtual bool IsTopMost(NativeHandle window) = 0;
  virtual void SetTopMost(NativeHandle window, bool topMost) = 0;
  virtual std::uint32_t GetWindowStyle(NativeHandle window) = 0;
  // Takes effect at once: the frame is redrawn and the client area follows.
  virtual void SetWindowStyle(NativeHandle window, std::uint32_t style) = 0;
  // Extended style (GWL_EXSTYLE) of a top-level window; nothing when it cannot be read.
  virtual std::optional<std::uint32_t> ExtendedStyle(NativeHandle window) = 0;
  virtual bool SetExtendedStyle(NativeHandle window, std::uint32_t style) = 0;
  // Colour key (0x00BBGGRR) and alpha of a layered window; flags say which of them apply.
  virtual bool SetLayeredAttributes(NativeHandle window, Color key, std::uint8_t alpha,
                                    std::uint32_t flags) = 0;
  // What SetLayeredAttributes last gave the window; nothing when it was given none (or the
  // window is not layered).
  virtual std::optional<LayeredAttributes> GetLayeredAttributes(NativeHandle window) = 0;
  virtual void SetMouseCapture(NativeHandle window) = 0;
  virtual void ReleaseMouseCapture() = 0;
  virtual bool HasMouseCapture(NativeHandle window) = 0;
  // The system's own move (hit-test code 2) or size loop (10 to 17), as a press on that part
  // of a frame starts it; returns once the left button is up. Nothing happens while the
  // left button is not held: the loop would otherwise keep the window on the pointer.
  virtual void RunMoveSizeLoop(NativeHandle window, int hitTest) = 0;
  // Shows the window's system menu at a screen point; the chosen command id, 0 for none.
  virtual unsigned TrackSystemMenu(NativeHandle window, Point at) = 0;
  // Carries out a system command (minimise, maximise, restore, move, size, close).
  virtual void SendSystemCommand(NativeHandle window, unsigned command) = 0;
};

// Message-handler chains of top-level windows, as replacing a window procedure works: every
// message of the window goes to its current handler, which may pass it on to the one it
// replaced. Putting back an earlier handler drops every handler installed after it.
class MessageHooks {
 public:
  virtual ~MessageHooks() = default;

  // Replaces the window's handler and returns the one it had (null: the window's own).
  virtual WindowProc ReplaceWindowProc(NativeHandle window, WindowProc proc) = 0;
  // Passes a message to a kept handler; null runs the window's own handling.
  // (Not named CallWindowProc: the system headers make that name a macro.)
  virtual std::intptr_t PassToWindowProc(const WindowProc& previous, NativeHandle window,
                                         WindowMessage& message) = 0;
};

class EventLoop {
 public:
  virtual ~EventLoop() = default;

  // Run returns the code passed to Quit.
  virtual int Run() = 0;
  virtual void Quit(int exitCode) = 0;
  virtual void DoEvents() = 0;  // handles pending events, then returns
};

class Clock {
 public:
  virtual ~Clock() = default;

  virtual std::uint32_t TickCount() = 0;  // milliseconds, wraps around
  // Lets milliseconds go by while events go on being handled (those pending at least once,
  // even for 0). A clock that only moves when told to moves on by that much instead,
  // firing the timers that fall due.
  virtual void PassTime(std::uint32_t milliseconds) = 0;
  virtual std::unique_ptr<Timer> CreateTimer(std::function<void()> onTick) = 0;
};

// Modal dialogs of the system. MessageBox style and result codes are those of the system
// message box.
class SystemDialogs {
 public:
  virtual ~SystemDialogs() = default;

  virtual int ShowMessageBox(NativeHandle owner, const std::wstring& text,
                             const std::wstring& caption, unsigned style) = 0;
  virtual FileDialogResult ShowFileDialog(const FileDialogRequest& request) = 0;
  // The folder-browse dialog; the chosen path, or nothing when cancelled.
  virtual std::optional<std::wstring> BrowseForFolder(NativeHandle owner,
                                                      const std::wstring& prompt) = 0;
};

// The screen, the monitors and the pointer on them.
class Display {
 public:
  virtual ~Display() = default;

  virtual ScreenMetrics Screen() = 0;
  virtual Point CursorPos() = 0;  // screen pixels
  // The monitors with their work areas, the primary (the one Screen describes) first.
  virtual std::vector<Monitor> Monitors() = 0;
};

class DrawingLibrary {
 public:
  virtual ~DrawingLibrary() = default;

  // Starts the drawing library: its status (0 = started) and the token that stops it.
  virtual int StartDrawingLibrary(std::uintptr_t& token) = 0;
  virtual void StopDrawingLibrary(std::uintptr_t token) = 0;
  // The persistent image of a picture box, made on first use; null for other controls.
  virtual Canvas* CanvasOf(Control& panel) = 0;
  // A bitmap resource of the program (24 or 32 bits a pixel); nothing when there is none.
  virtual std::optional<PixelImage> LoadBitmapResource(int id) = 0;
};

class RegistryAccess {
 public:
  virtual ~RegistryAccess() = default;

  // Creates root\path when missing (className given to a new key) and opens it with full
  // access.
  virtual RegistryKeyResult CreateRegistryKey(RegistryRoot root, const std::wstring& path,
                                              const std::wstring& className) = 0;
  // Reads a value without creating anything.
  virtual RegistryReadResult ReadRegistryValue(RegistryRoot root, const std::wstring& path,
                                               const std::wstring& name) = 0;
};

// Text in a legacy code page (936 for GB2312). Unmappable characters become '?'.
class CodePages {
 public:
  virtual ~CodePages() = default;

  virtual std::string EncodeCodePage(std::wstring_view text, unsigned codePage) = 0;
  virtual std::wstring DecodeCodePage(std::string_view bytes, unsigned codePage) = 0;
};

// The running program itself: its files, its single instance, its end.
class ProcessServices {
 public:
  virtual ~ProcessServices() = default;

  virtual void InitCommonControls() = 0;
  // Null when another instance already holds the lock of this name.
  virtual std::unique_ptr<InstanceLock> AcquireSingleInstance(const std::wstring& name) = 0;
  // Asks the instance holding the lock of this name to come forward: its windows hear
  // OnShowRequest, and the one that shows itself may take the foreground.
  virtual void RequestShowOfInstance(const std::wstring& name) = 0;
  // The same across every logon session of the machine: null while any session holds it.
  virtual std::unique_ptr<InstanceLock> AcquireMachineWideLock(const std::wstring& name) = 0;
  virtual std::wstring ProgramFolder() = 0;  // the executable's folder, no trailing separator
  virtual std::wstring ProgramName() = 0;    // the executable's name without extension
  // Runs "explorer" with the verb "open" and parameters as given.
  virtual void ShellOpen(const std::wstring& parameters, int showMode, NativeHandle owner) = 0;
  // Ends the process at once; nothing after it runs (a test backend records it and returns).
  virtual void EndProcess(unsigned exitCode) = 0;
};

// Everything a backend provides, as the program holds it.
class Platform : public ControlHost,
                 public WindowManager,
                 public MessageHooks,
                 public EventLoop,
                 public Clock,
                 public SystemDialogs,
                 public Display,
                 public DrawingLibrary,
                 public RegistryAccess,
                 public CodePages,
                 public ProcessServices {
 public:
  ~Platform() override = default;
  Platform() = default;
  Platform(const Platform&) = delete;
  Platform& operator=(const Platform&) = delete;
};

// A few roles of the one object that has them all (the Platform), so that a class or function
// names in its signature the roles it uses. Made from that object, or handed on from a wider
// set of roles.
template <class... R>
class Roles {
  template <class T, class... Of>
  static constexpr bool kOneOf = (std::is_same_v<T, Of> || ...);

 public:
  template <class All>
  requires(std::is_base_of_v<R, All>&&...) Roles(All& all)
      : refs_(static_cast<R&>(all)...) {}  // NOLINT(google-explicit-constructor)
  template <class... Wider>
  requires(kOneOf<R, Wider...>&&...)
      Roles(const Roles<Wider...>& wider)  // NOLINT(google-explicit-constructor)
      : refs_(wider.template Get<R>()...) {}

  template <class T>
  T& Get() const {
    return std::get<T&>(refs_);
  }

 private:
  std::tuple<R&...> refs_;
};

// The waiting of a backend whose clock runs by itself: handles events until milliseconds
// have gone by on the clock (those pending at least once, even for 0). Between rounds it
// idles for at most the time left (idle given) or yields its turn.
using IdleFn = void (*)(std::uint32_t atMostMilliseconds);
void PumpEventsFor(EventLoop& loop, Clock& clock, std::uint32_t milliseconds,
                   IdleFn idle = nullptr);

}  // namespace tarvik::platform
