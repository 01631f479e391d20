#include "platform/win32/window_dpi.h"

#include "platform/win32/handles.h"

namespace tarvik::platform::win32 {

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
constexpr int kMdtEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

// A function of a system library, or null when this Windows has none.
template <typename Fn>
Fn SystemFunction(const wchar_t* library, const char* name) {
  HMODULE module = ::GetModuleHandleW(library);
  // shcore is not loaded by every process; from the system folder only, never the program's.
  if (module == nullptr) module = ::LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module == nullptr) return nullptr;
  // The usual cast of GetProcAddress's result to the function's real type.
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

struct DpiFunctions {
  GetDpiForWindowFn forWindow = SystemFunction<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
  GetDpiForMonitorFn forMonitor =
      forWindow != nullptr
          ? nullptr
          : SystemFunction<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
};

const DpiFunctions& Functions() {
  static const DpiFunctions functions;
  return functions;
}

}  // namespace

UINT WindowDpi(HWND window) {
  const DpiFunctions& fn = Functions();
  HWND root = window != nullptr ? ::GetAncestor(window, GA_ROOT) : nullptr;
  if (root == nullptr) root = window;
  if (fn.forWindow != nullptr && root != nullptr) {
    if (const UINT dpi = fn.forWindow(root); dpi > 0) return dpi;
  }
  if (fn.forMonitor != nullptr && root != nullptr) {
    UINT x = 0;
    UINT y = 0;
    HMONITOR monitor = ::MonitorFromWindow(root, MONITOR_DEFAULTTONEAREST);
    if (monitor != nullptr && SUCCEEDED(fn.forMonitor(monitor, kMdtEffectiveDpi, &x, &y)) && x > 0)
      return x;
  }
  ScreenDc screen;
  const int dpi = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
  return dpi > 0 ? static_cast<UINT>(dpi) : 96u;
}

}  // namespace tarvik::platform::win32
