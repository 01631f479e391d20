#pragma once
// The handle kinds the Win32 backend owns, one alias each, plus scope guards for state
// that must be given back in the same scope (screen DC, COM apartment).

#include <windows.h>
#include <objbase.h>

#include "platform/win32/unique_handle.h"

namespace tarvik::platform::win32 {

namespace handle_traits {

struct Window {
  using Type = HWND;
  static constexpr Type Invalid() noexcept { return nullptr; }
  static void Close(Type value) noexcept { ::DestroyWindow(value); }
};
struct GdiObject {
  using Type = HGDIOBJ;
  static constexpr Type Invalid() noexcept { return nullptr; }
  static void Close(Type value) noexcept { ::DeleteObject(value); }
};
struct Font {
  using Type = HFONT;
  static constexpr Type Invalid() noexcept { return nullptr; }
  static void Close(Type value) noexcept { ::DeleteObject(value); }
};
struct Brush {
  using Type = HBRUSH;
  static constexpr Type Invalid() noexcept { return nullptr; }
  static void Close(Type value) noexcept { ::DeleteObject(value); }
};
struct Key {
  using Type = HKEY;
  static constexpr Type Invalid() noexcept { return nullptr; }
  static void Close(Type value) noexcept { ::RegCloseKey(value); }
};
struct Kernel {
  using Type = HANDLE;
  static constexpr Type Invalid() noexcept { return nullptr; }
  static void Close(Type value) noexcept { ::CloseHandle(value); }
};
struct File {
  using Type = HANDLE;
  static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type value) noexcept { ::CloseHandle(value); }
};
struct Icon {
  using Type = HICON;
  static constexpr Type Invalid() noexcept { return nullptr; }
  static void Close(Type value) noexcept { ::DestroyIcon(value); }
};
struct Menu {
  using Type = HMENU;
  static constexpr Type Invalid() noexcept { return nullptr; }
  static void Close(Type value) noexcept { ::DestroyMenu(value); }
};
struct CoTaskMem {
  using Type = void*;
  static constexpr Type Invalid() noexcept { return nullptr; }
  static void Close(Type value) noexcept { ::CoTaskMemFree(value); }
};

}  // namespace handle_traits

using unique_hwnd = UniqueHandle<handle_traits::Window>;
using unique_hgdiobj = UniqueHandle<handle_traits::GdiObject>;
using unique_hfont = UniqueHandle<handle_traits::Font>;
using unique_hbrush = UniqueHandle<handle_traits::Brush>;
using unique_hkey = UniqueHandle<handle_traits::Key>;
using unique_handle = UniqueHandle<handle_traits::Kernel>;
using unique_hfile = UniqueHandle<handle_traits::File>;
using unique_hicon = UniqueHandle<handle_traits::Icon>;
using unique_hmenu = UniqueHandle<handle_traits::Menu>;
using unique_cotaskmem = UniqueHandle<handle_traits::CoTaskMem>;

// The screen's device context, released when the scope ends.
class ScreenDc {
 public:
  ScreenDc() noexcept : dc_(::GetDC(nullptr)) {}
  ~ScreenDc() {
    if (dc_) ::ReleaseDC(nullptr, dc_);
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC get() const noexcept { return dc_; }

 private:
  HDC dc_;
};

// A COM apartment for the calling thread for the length of a scope; balanced only when
// the initialisation succeeded (S_FALSE included).
class ComApartment {
 public:
  ComApartment() noexcept
      : initialized_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComApartment() {
    if (initialized_) ::CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool initialized_;
};

}  // namespace tarvik::platform::win32
