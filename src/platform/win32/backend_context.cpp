#include "platform/win32/backend_context.h"

#include <objbase.h>

#include <algorithm>

#include "platform/win32/translate.h"
#include "platform/win32/win32_control.h"

namespace tarvik::platform::win32 {

COLORREF ToColorRef(Color color) {
  if (IsSystemColor(color)) return ::GetSysColor(SystemColorIndex(color));
  return PlainColorRef(color);
}

BackendContext::BackendContext(HINSTANCE instance) : instance_(instance) {
  Win32Control::RegisterClasses(instance);
}

BackendContext::~BackendContext() {
  // Kill what is left so no WM_TIMER reaches a dead function after this point.
  if (timerSink_) {
    for (const auto& [id, fn] : timers_) ::KillTimer(timerSink_.get(), id);
  }
  if (comStarted_) ::CoUninitialize();
}

void BackendContext::ShowFocusCues(HWND root) {
  if (root == nullptr || FocusCuesShown(root)) return;
  // Windows of the past may have left their handles to new ones; keep only live ones.
  std::erase_if(cuesShown_, [](HWND w) { return !::IsWindow(w); });
  cuesShown_.push_back(root);
  // The system's own controls follow the window's state; ours repaint with their marks.
  ::SendMessageW(root, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
  ::RedrawWindow(root, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

bool BackendContext::FocusCuesShown(HWND root) const {
  BOOL always = FALSE;
  if (::SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &always, 0) && always) return true;
  return std::find(cuesShown_.begin(), cuesShown_.end(), root) != cuesShown_.end();
}

bool BackendContext::EnsureCom() {
  if (!comStarted_) {
    const HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // S_FALSE: already started on this thread, and still to be balanced.
    comStarted_ = SUCCEEDED(hr);
    if (!comStarted_ && hr != RPC_E_CHANGED_MODE) return false;
  }
  return true;
}

void BackendContext::Register(HWND hwnd, Win32Control* control) {
  controls_[hwnd] = control;
}

void BackendContext::Unregister(HWND hwnd) {
  controls_.erase(hwnd);
}

Win32Control* BackendContext::Find(HWND hwnd) const {
  const auto it = controls_.find(hwnd);
  return it == controls_.end() ? nullptr : it->second;
}

std::shared_ptr<SharedFont> BackendContext::Font(const FontInfo& settings) {
  if (auto found = fonts_[settings].lock()) return found;
  // Heights are asked in pixels, so the font is the same on every system DPI.
  const int dpi = settings.dpi > 0 ? settings.dpi : 96;
  unique_hfont font(::CreateFontW(
      FontHeightFromPoints(settings.sizePt, dpi), 0, 0, 0, settings.weight, FALSE, FALSE, FALSE,
      static_cast<DWORD>(settings.charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
      DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, settings.face.c_str()));
  if (!font) {
    fonts_.erase(settings);
    return nullptr;
  }
  auto shared = std::make_shared<SharedFont>(std::move(font));
  fonts_[settings] = shared;
  // Drop entries whose fonts every control has let go of.
  std::erase_if(fonts_, [](const auto& entry) { return entry.second.expired(); });
  return shared;
}

HWND BackendContext::TimerSink() {
  if (timerSink_) return timerSink_.get();
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &BackendContext::TimerSinkProc;
  wc.hInstance = instance_;
  wc.lpszClassName = kTimerClass;
  ::RegisterClassExW(&wc);  // fails harmlessly when already registered
  timerSink_.reset(::CreateWindowExW(0, kTimerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     instance_, nullptr));
  if (timerSink_)
    ::SetWindowLongPtrW(timerSink_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  return timerSink_.get();
}

LRESULT CALLBACK BackendContext::TimerSinkProc(HWND hwnd, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
  try {
    if (message == WM_TIMER) {
      auto* self = reinterpret_cast<BackendContext*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
      if (self) self->OnTimer(static_cast<UINT_PTR>(wParam));
      return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

void BackendContext::OnTimer(UINT_PTR id) {
  const auto it = timers_.find(id);
  if (it == timers_.end() || !it->second || !*it->second) return;
  // A copy, so a handler that destroys its own timer does not pull the function out
  // from under itself.
  std::function<void()> onTick = *it->second;
  onTick();
}

UINT_PTR BackendContext::AddTimer(std::function<void()>* onTick) {
  const UINT_PTR id = nextTimerId_++;
  timers_[id] = onTick;
  return id;
}

void BackendContext::RemoveTimer(UINT_PTR id) {
  if (timerSink_) ::KillTimer(timerSink_.get(), id);
  timers_.erase(id);
}

void BackendContext::ArmTimer(UINT_PTR id, unsigned milliseconds, bool enabled) {
  HWND sink = TimerSink();
  if (!sink) return;
  if (enabled && milliseconds > 0) {
    ::SetTimer(sink, id, milliseconds, nullptr);
  } else {
    ::KillTimer(sink, id);
  }
}

}  // namespace tarvik::platform::win32

namespace tarvik::platform::win32 {

void BackendContext::BeginModal(HWND modal) {
  ModalState state{modal, {}};
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<ModalState*>(param);
        if (window != s->modal && ::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
          ::EnableWindow(window, FALSE);
          s->disabled.push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&state));
  modals_.push_back(std::move(state));
}

void BackendContext::EndModal(HWND modal) {
  for (auto it = modals_.begin(); it != modals_.end(); ++it) {
    if (it->modal != modal) continue;
    for (HWND window : it->disabled) {
      if (::IsWindow(window)) ::EnableWindow(window, TRUE);
    }
    modals_.erase(it);
    return;
  }
}

}  // namespace tarvik::platform::win32
