#pragma once
// State shared by every native object of the Win32 backend: the module, our window
// classes, the live controls by handle (so parent notifications find their child), the
// font cache and the timer window. Controls and timers hold it by shared_ptr, so it
// outlives whichever of them dies last.

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/handles.h"

namespace tarvik::platform::win32 {

class Win32Control;

inline constexpr wchar_t kWindowClass[] = L"TarvikWindow";
inline constexpr wchar_t kPanelClass[] = L"TarvikPanel";
inline constexpr wchar_t kLineClass[] = L"TarvikLine";
inline constexpr wchar_t kTimerClass[] = L"TarvikTimerSink";

// An HFONT shared by every control that uses the same font.
class SharedFont {
 public:
  explicit SharedFont(unique_hfont font) : font_(std::move(font)) {}
  HFONT get() const noexcept { return font_.get(); }

 private:
  unique_hfont font_;
};

class BackendContext {
 public:
  explicit BackendContext(HINSTANCE instance);
  ~BackendContext();
  BackendContext(const BackendContext&) = delete;
  BackendContext& operator=(const BackendContext&) = delete;

  HINSTANCE Instance() const noexcept { return instance_; }

  // Live controls by their native handle.
  void Register(HWND hwnd, Win32Control* control);
  void Unregister(HWND hwnd);
  Win32Control* Find(HWND hwnd) const;

  int NextControlId() noexcept { return nextControlId_++; }

  // The font for a FontInfo, made for its DPI; null when it could not be created.
  std::shared_ptr<SharedFont> Font(const FontInfo& settings);

  // Timers: a tick for id calls the function registered under it, if it is still there.
  UINT_PTR AddTimer(std::function<void()>* onTick);
  void RemoveTimer(UINT_PTR id);
  void ArmTimer(UINT_PTR id, unsigned milliseconds, bool enabled);

  // Modal windows: BeginModal takes the input from the thread's other enabled windows;
  // EndModal gives it back (once; later calls for the same window do nothing).
  void BeginModal(HWND modal);
  void EndModal(HWND modal);

  // Focus marks of a top-level window: off until the keyboard is used in it (unless the
  // user asked the system to show them always). Turning them on repaints the window.
  void ShowFocusCues(HWND root);
  bool FocusCuesShown(HWND root) const;
  // The message another start of the program sends to ask the running one to come forward
  // (0 until this process holds the single-instance lock).
  UINT ShowRequestMessage() const noexcept { return showRequestMessage_; }
  void SetShowRequestMessage(UINT message) noexcept { showRequestMessage_ = message; }
  // COM for the screen readers' objects, started on first use on this thread.
  bool EnsureCom();

 private:
  static LRESULT CALLBACK TimerSinkProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void OnTimer(UINT_PTR id);
  HWND TimerSink();

  HINSTANCE instance_;
  std::unordered_map<HWND, Win32Control*> controls_;
  int nextControlId_ = 1000;
  struct FontLess {
    bool operator()(const FontInfo& a, const FontInfo& b) const {
      return std::tie(a.face, a.sizePt, a.weight, a.charset, a.dpi) <
             std::tie(b.face, b.sizePt, b.weight, b.charset, b.dpi);
    }
  };
  std::map<FontInfo, std::weak_ptr<SharedFont>, FontLess> fonts_;
  std::unordered_map<UINT_PTR, std::function<void()>*> timers_;
  UINT_PTR nextTimerId_ = 1;
  unique_hwnd timerSink_;
  struct ModalState {
    HWND modal;
    std::vector<HWND> disabled;
  };
  std::vector<ModalState> modals_;
  std::vector<HWND> cuesShown_;
  UINT showRequestMessage_ = 0;
  bool comStarted_ = false;
};

// Resolves a program colour (0x00BBGGRR, or a system colour index with the top bit set).
COLORREF ToColorRef(Color color);

inline Rect ToRect(const RECT& rc) {
  return Rect{rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top};
}

}  // namespace tarvik::platform::win32
