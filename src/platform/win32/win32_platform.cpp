#include "platform/win32/win32_platform.h"

#include <commctrl.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/win32/backend_context.h"
#include "platform/win32/dialogs.h"
#include "platform/win32/gdiplus_canvas.h"
#include "platform/win32/handles.h"
#include "platform/win32/registry.h"
#include "platform/win32/translate.h"
#include "platform/win32/win32_control.h"
#include "platform/win32/win32_keyboard.h"
#include "platform/win32/window_calls.h"

namespace tarvik::platform::win32 {

namespace {

class Win32Timer final : public Timer {
 public:
  Win32Timer(std::shared_ptr<BackendContext> context, std::function<void()> onTick)
      : context_(std::move(context)),
        onTick_(std::move(onTick)),
        id_(context_->AddTimer(&onTick_)) {}
  ~Win32Timer() override { context_->RemoveTimer(id_); }

  void SetInterval(unsigned milliseconds) override {
    interval_ = milliseconds;
    Arm();
  }
  void SetEnabled(bool enabled) override {
    enabled_ = enabled;
    Arm();
  }

 private:
  void Arm() { context_->ArmTimer(id_, interval_, enabled_); }

  std::shared_ptr<BackendContext> context_;
  std::function<void()> onTick_;
  UINT_PTR id_;
  unsigned interval_ = 0;
  bool enabled_ = false;
};

class MutexLock final : public InstanceLock {
 public:
  explicit MutexLock(unique_handle mutex) : mutex_(std::move(mutex)) {}
  ~MutexLock() override {
    if (mutex_) ::ReleaseMutex(mutex_.get());
  }

 private:
  unique_handle mutex_;
};

std::wstring ModulePath() {
  return ReadGrowing([](wchar_t* buffer, std::size_t capacity) -> std::size_t {
    // A full buffer means the path was cut short; ReadGrowing then tries a bigger one.
    return ::GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(capacity));
  });
}

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT rc, LPARAM data) {
  auto* monitors = reinterpret_cast<std::vector<Monitor>*>(data);
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (!::GetMonitorInfoW(monitor, &info)) {
    // Without its work area the monitor is still there; take all of it.
    monitors->push_back(Monitor{ToRect(*rc), ToRect(*rc)});
    return TRUE;
  }
  const Monitor found{ToRect(info.rcMonitor), ToRect(info.rcWork)};
  if (info.dwFlags & MONITORINFOF_PRIMARY) {
    monitors->insert(monitors->begin(), found);
  } else {
    monitors->push_back(found);
  }
  return TRUE;
}

bool CodePageTakesNoDefaultChar(unsigned codePage) {
  // WideCharToMultiByte rejects a default character (and best-fit flags) for these.
  return codePage == CP_UTF7 || codePage == CP_UTF8 || codePage == 42 || codePage == 54936 ||
         (codePage >= 50220 && codePage <= 50229) || (codePage >= 57002 && codePage <= 57011);
}

// A BITMAP resource is a DIB without its file header: the info header, then the rows,
// bottom-up unless the height is negative, each padded to 4 bytes.
std::optional<PixelImage> ReadBitmapResource(HINSTANCE instance, int id) {
  HRSRC found = ::FindResourceW(instance, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(2));  // RT_BITMAP
  if (found == nullptr) return std::nullopt;
  const DWORD size = ::SizeofResource(instance, found);
  HGLOBAL loaded = ::LoadResource(instance, found);
  const auto* bytes = loaded ? static_cast<const unsigned char*>(::LockResource(loaded)) : nullptr;
  if (bytes == nullptr || size < sizeof(BITMAPINFOHEADER)) return std::nullopt;
  BITMAPINFOHEADER info{};
  std::memcpy(&info, bytes, sizeof(info));
  if (info.biSize < sizeof(info) || info.biCompression != BI_RGB ||
      (info.biBitCount != 24 && info.biBitCount != 32) || info.biWidth <= 0 ||
      info.biWidth > 4096 || info.biHeight == 0 || info.biHeight > 4096 || info.biHeight < -4096) {
    return std::nullopt;
  }
  const int width = info.biWidth;
  const bool bottomUp = info.biHeight > 0;
  const int height = bottomUp ? info.biHeight : -info.biHeight;
  const std::size_t pixelBytes = info.biBitCount / 8;
  const std::size_t stride = (static_cast<std::size_t>(width) * pixelBytes + 3) / 4 * 4;
  const std::size_t offset = info.biSize;
  if (offset + stride * static_cast<std::size_t>(height) > size) return std::nullopt;
  PixelImage image;
  image.width = width;
  image.height = height;
  image.pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    const int row = bottomUp ? height - 1 - y : y;
    const unsigned char* p = bytes + offset + stride * static_cast<std::size_t>(row);
    for (int x = 0; x < width; ++x, p += pixelBytes) image.pixels.push_back(Rgb(p[2], p[1], p[0]));
  }
  return image;
}

class Win32Platform final : public Platform {
 public:
  explicit Win32Platform(HINSTANCE instance)
      : context_(std::make_shared<BackendContext>(instance)) {}

  std::unique_ptr<Control> CreateControl(const ControlSettings& settings, Control* parent,
                                         ControlEvents* events) override {
    // Every control of this platform is a Win32Control; nothing else reaches us.
    auto* nativeParent = static_cast<Win32Control*>(parent);
    auto control = std::make_unique<Win32Control>(context_, settings, nativeParent, events);
    control->FinishCreation();
    return control;
  }

  std::unique_ptr<Timer> CreateTimer(std::function<void()> onTick) override {
    return std::make_unique<Win32Timer>(context_, std::move(onTick));
  }

  int Run() override {
    MSG msg{};
    for (;;) {
      const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
      if (got == 0) return static_cast<int>(msg.wParam);
      if (got == -1) return -1;
      if (PreviewKeyMessage(*context_, msg)) continue;
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }

  void Quit(int exitCode) override { ::PostQuitMessage(exitCode); }

  void DoEvents() override {
    MSG msg{};
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        // Leave the quit request for the main loop instead of swallowing it here.
        ::PostQuitMessage(static_cast<int>(msg.wParam));
        return;
      }
      if (PreviewKeyMessage(*context_, msg)) continue;
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }

  std::uint32_t TickCount() override { return ::timeGetTime(); }

  void PassTime(std::uint32_t milliseconds) override {
    // Sleeps until a message arrives or a little time passes, instead of spinning a core.
    PumpEventsFor(*this, *this, milliseconds, [](std::uint32_t atMost) {
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(atMost, 10), QS_ALLINPUT);
    });
  }

  void InitCommonControls() override {
    INITCOMMONCONTROLSEX init{};
    init.dwSize = sizeof(init);
    init.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&init);
  }

  std::unique_ptr<InstanceLock> AcquireSingleInstance(const std::wstring& name) override {
    auto lock = AcquireMutex(L"Local\\" + name);
    // The holder hears the next start's request to come forward.
    if (lock) {
      context_->SetShowRequestMessage(
          ::RegisterWindowMessageW(ShowRequestMessageName(name).c_str()));
    }
    return lock;
  }

  void RequestShowOfInstance(const std::wstring& name) override { PostShowRequest(name); }

  std::unique_ptr<InstanceLock> AcquireMachineWideLock(const std::wstring& name) override {
    return AcquireMutex(L"Global\\" + name);
  }

  static std::unique_ptr<InstanceLock> AcquireMutex(const std::wstring& fullName) {
    unique_handle mutex(::CreateMutexW(nullptr, TRUE, fullName.c_str()));
    const DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS) return nullptr;
    if (!mutex) {
      // Access denied means the object exists under another owner: another instance.
      // Any other failure says nothing about other instances; run rather than vanish.
      if (error == ERROR_ACCESS_DENIED) return nullptr;
      return std::make_unique<MutexLock>(unique_handle());
    }
    return std::make_unique<MutexLock>(std::move(mutex));
  }

  std::wstring ProgramFolder() override { return SplitModulePath(ModulePath()).folder; }
  std::wstring ProgramName() override { return SplitModulePath(ModulePath()).name; }

  ScreenMetrics Screen() override {
    ScreenMetrics metrics;
    metrics.widthPx = ::GetSystemMetrics(SM_CXSCREEN);
    metrics.heightPx = ::GetSystemMetrics(SM_CYSCREEN);
    {
      ScreenDc screen;
      if (screen.get()) {
        metrics.twipsPerPixelX = TwipsPerPixel(::GetDeviceCaps(screen.get(), LOGPIXELSX));
        metrics.twipsPerPixelY = TwipsPerPixel(::GetDeviceCaps(screen.get(), LOGPIXELSY));
        metrics.dpi = ::GetDeviceCaps(screen.get(), LOGPIXELSX);
      }
    }
    RECT work{};
    if (::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
      metrics.workArea = Rect{work.left, work.top, work.right - work.left, work.bottom - work.top};
    } else {
      metrics.workArea = Rect{0, 0, metrics.widthPx, metrics.heightPx};
    }
    return metrics;
  }

  Point CursorPos() override {
    POINT pt{};
    ::GetCursorPos(&pt);
    return Point{pt.x, pt.y};
  }

  int ShowMessageBox(NativeHandle owner, const std::wstring& text, const std::wstring& caption,
                     unsigned style) override {
    return ::MessageBoxW(reinterpret_cast<HWND>(owner), text.c_str(), caption.c_str(), style);
  }

  FileDialogResult ShowFileDialog(const FileDialogRequest& request) override {
    return RunFileDialog(request);
  }

  std::optional<std::wstring> BrowseForFolder(NativeHandle owner,
                                              const std::wstring& prompt) override {
    return RunFolderBrowser(owner, prompt);
  }

  void ShellOpen(const std::wstring& parameters, int showMode, NativeHandle owner) override {
    ::ShellExecuteW(reinterpret_cast<HWND>(owner), L"open", L"explorer", parameters.c_str(),
                    nullptr, showMode);
  }

  void RunModal(Control& window) override {
    auto& modal = static_cast<Win32Control&>(window);
    const HWND hwnd = modal.Hwnd();
    if (hwnd == nullptr) return;
    context_->BeginModal(hwnd);
    MSG msg{};
    // The window's handle goes when it is destroyed (WM_NCDESTROY), whoever destroys it.
    while (modal.Hwnd() != nullptr) {
      const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
      if (got == 0) {
        // Leave the quit request for the main loop.
        ::PostQuitMessage(static_cast<int>(msg.wParam));
        break;
      }
      if (got == -1) break;
      if (PreviewKeyMessage(*context_, msg)) continue;
      // Enter and Esc become the default and cancel buttons' clicks.
      if (::IsDialogMessageW(hwnd, &msg)) continue;
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    context_->EndModal(hwnd);
  }

  int StartDrawingLibrary(std::uintptr_t& token) override { return StartGdiPlus(token); }
  void StopDrawingLibrary(std::uintptr_t token) override { StopGdiPlus(token); }

  Canvas* CanvasOf(Control& panel) override {
    return static_cast<Win32Control&>(panel).GetCanvas();
  }

  void EndProcess(unsigned exitCode) override { ::ExitProcess(exitCode); }

  bool IsTopMost(NativeHandle window) override {
    const HWND hwnd = reinterpret_cast<HWND>(window);
    if (hwnd == nullptr || !::IsWindow(hwnd)) return false;
    return window_calls::IsTopMost(hwnd);
  }

  void SetTopMost(NativeHandle window, bool topMost) override {
    window_calls::SetTopMost(reinterpret_cast<HWND>(window), topMost);
  }

  std::optional<std::uint32_t> ExtendedStyle(NativeHandle window) override {
    return window_calls::ExtendedStyle(reinterpret_cast<HWND>(window));
  }

  bool SetExtendedStyle(NativeHandle window, std::uint32_t style) override {
    const HWND h = reinterpret_cast<HWND>(window);
    return window_calls::WithoutBlocking(
        h, [h, style]() noexcept { return window_calls::SetExtendedStyle(h, style); });
  }

  bool SetLayeredAttributes(NativeHandle window, Color key, std::uint8_t alpha,
                            std::uint32_t flags) override {
    const HWND h = reinterpret_cast<HWND>(window);
    const COLORREF colorKey = ToColorRef(key);
    return window_calls::WithoutBlocking(h, [h, colorKey, alpha, flags]() noexcept {
      return window_calls::SetLayeredAttributes(h, colorKey, alpha, flags);
    });
  }

  std::optional<LayeredAttributes> GetLayeredAttributes(NativeHandle window) override {
    COLORREF key = 0;
    BYTE alpha = 255;
    DWORD flags = 0;
    if (!::GetLayeredWindowAttributes(reinterpret_cast<HWND>(window), &key, &alpha, &flags)) {
      return std::nullopt;
    }
    return LayeredAttributes{static_cast<Color>(key), alpha, static_cast<std::uint32_t>(flags)};
  }

  std::vector<Monitor> Monitors() override {
    std::vector<Monitor> monitors;
    ::EnumDisplayMonitors(nullptr, nullptr, &CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
    if (monitors.empty()) {
      const ScreenMetrics screen = Screen();
      monitors.push_back(Monitor{Rect{0, 0, screen.widthPx, screen.heightPx}, screen.workArea});
    }
    return monitors;
  }

  RegistryKeyResult CreateRegistryKey(RegistryRoot root, const std::wstring& path,
                                      const std::wstring& className) override {
    return win32::CreateRegistryKey(root, path, className);
  }

  RegistryReadResult ReadRegistryValue(RegistryRoot root, const std::wstring& path,
                                       const std::wstring& name) override {
    return win32::ReadRegistryValue(root, path, name);
  }

  std::uint32_t GetWindowStyle(NativeHandle window) override {
    return window_calls::WindowStyle(reinterpret_cast<HWND>(window));
  }

  void SetWindowStyle(NativeHandle window, std::uint32_t style) override {
    const HWND h = reinterpret_cast<HWND>(window);
    window_calls::WithoutBlocking(h, [h, style]() noexcept {
      window_calls::SetFrameStyles(h, style);
      return true;
    });
  }

  void SetMouseCapture(NativeHandle window) override {
    ::SetCapture(reinterpret_cast<HWND>(window));
  }

  void ReleaseMouseCapture() override { ::ReleaseCapture(); }

  bool HasMouseCapture(NativeHandle window) override {
    return window != 0 && ::GetCapture() == reinterpret_cast<HWND>(window);
  }

  void RunMoveSizeLoop(NativeHandle window, int hitTest) override {
    const HWND hwnd = reinterpret_cast<HWND>(window);
    if (hwnd == nullptr || !::IsWindow(hwnd)) return;
    const int leftKey = ::GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
    if (::GetAsyncKeyState(leftKey) >= 0) return;
    // The loop measures the drag from the point in lParam, so it gets the real cursor.
    POINT pt{};
    ::GetCursorPos(&pt);
    ::SendMessageW(hwnd, WM_NCLBUTTONDOWN, static_cast<WPARAM>(hitTest), MAKELPARAM(pt.x, pt.y));
  }

  unsigned TrackSystemMenu(NativeHandle window, Point at) override {
    const HWND hwnd = reinterpret_cast<HWND>(window);
    if (hwnd == nullptr || !::IsWindow(hwnd)) return 0;
    HMENU menu = ::GetSystemMenu(hwnd, FALSE);
    if (menu == nullptr) return 0;
    // A pop-up closes on a click elsewhere only when its owner is in the foreground.
    ::SetForegroundWindow(hwnd);
    const BOOL command =
        ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd, nullptr);
    ::PostMessageW(hwnd, WM_NULL, 0, 0);
    return command > 0 ? static_cast<unsigned>(command) : 0u;
  }

  void SendSystemCommand(NativeHandle window, unsigned command) override {
    ::SendMessageW(reinterpret_cast<HWND>(window), WM_SYSCOMMAND, command, 0);
  }

  WindowProc ReplaceWindowProc(NativeHandle window, WindowProc proc) override {
    Win32Control* control = context_->Find(reinterpret_cast<HWND>(window));
    if (control == nullptr || control->Kind() != ControlKind::Window) return nullptr;
    return control->ReplaceProc(std::move(proc));
  }

  std::intptr_t PassToWindowProc(const WindowProc& previous, NativeHandle window,
                                 WindowMessage& message) override {
    if (previous) return (*previous)(window, message);
    Win32Control* control = context_->Find(reinterpret_cast<HWND>(window));
    return control != nullptr ? static_cast<std::intptr_t>(control->CallOwn(message)) : 0;
  }

  void ShowWithoutActivating(NativeHandle window) override {
    const HWND hwnd = reinterpret_cast<HWND>(window);
    if (hwnd != nullptr && ::IsWindow(hwnd)) ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  }

  std::optional<PixelImage> LoadBitmapResource(int id) override {
    return ReadBitmapResource(context_->Instance(), id);
  }

  void ScrollTextBox(NativeHandle textBox, int code) override {
    ::SendMessageW(reinterpret_cast<HWND>(textBox), WM_VSCROLL, static_cast<WPARAM>(code), 0);
  }

  std::string EncodeCodePage(std::wstring_view text, unsigned codePage) override {
    if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX)) return {};
    const bool plain = CodePageTakesNoDefaultChar(codePage);
    const DWORD flags = plain ? 0 : WC_NO_BEST_FIT_CHARS;  // '?' rather than a look-alike
    const char* defaultChar = plain ? nullptr : "?";
    const int length = static_cast<int>(text.size());
    const int needed = ::WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0,
                                             defaultChar, nullptr);
    if (needed <= 0) return {};
    std::string out(static_cast<std::size_t>(needed), '\0');
    const int written = ::WideCharToMultiByte(codePage, flags, text.data(), length, out.data(),
                                              needed, defaultChar, nullptr);
    out.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    return out;
  }

  std::wstring DecodeCodePage(std::string_view bytes, unsigned codePage) override {
    if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT_MAX)) return {};
    const int length = static_cast<int>(bytes.size());
    const int needed = ::MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
    if (needed <= 0) return {};
    std::wstring out(static_cast<std::size_t>(needed), L'\0');
    const int written =
        ::MultiByteToWideChar(codePage, 0, bytes.data(), length, out.data(), needed);
    out.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    return out;
  }

 private:
  std::shared_ptr<BackendContext> context_;
};

}  // namespace

std::unique_ptr<Platform> CreateWin32Platform(HINSTANCE instance) {
  return std::make_unique<Win32Platform>(instance);
}

}  // namespace tarvik::platform::win32
