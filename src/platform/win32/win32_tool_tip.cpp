#include "platform/win32/win32_control.h"

#include <commctrl.h>

#include "platform/win32/window_dpi.h"

namespace tarvik::platform::win32 {

HWND Win32Control::ToolTipOfRoot(bool create) {
  if (!hwnd_) return nullptr;
  Win32Control* root = context_->Find(::GetAncestor(hwnd_.get(), GA_ROOT));
  if (!root) return nullptr;
  if (!root->toolTip_ && create) {
    // Not owned by the window: Wine puts a window being made topmost behind its owned
    // pop-ups, and behind a tip that is not truly in the topmost band it stays out of it.
    root->toolTip_.reset(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                           WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                                           nullptr, context_->Instance(), nullptr));
    root->ApplyToolTipDpi();
  }
  return root->toolTip_.get();
}

void Win32Control::ApplyToolTipDpi() {
  if (!toolTip_) return;
  const UINT dpi = WindowDpi(hwnd_.get());
  ::SendMessageW(toolTip_.get(), TTM_SETMAXTIPWIDTH, 0, ScaleForDpi(400, dpi));
  // The tips are Chinese: show them in the program's UI font, not the system's status font,
  // which may have no CJK glyphs; made for the window's scale, like its other text.
  FontInfo font;
  font.dpi = static_cast<int>(dpi);
  std::shared_ptr<SharedFont> made = context_->Font(font);
  if (!made) return;
  // The tip lets go of the old font before it is deleted.
  ::SendMessageW(toolTip_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(made->get()), FALSE);
  toolTipFont_ = std::move(made);
}

void Win32Control::SetToolTip(const std::wstring& text) {
  HWND tip = ToolTipOfRoot(!text.empty());
  if (!tip) return;
  HWND parent = ::GetParent(hwnd_.get());
  TTTOOLINFOW info{};
  // The version-2 size is understood by every comctl32, with or without the v6 manifest.
  info.cbSize = TTTOOLINFOW_V2_SIZE;
  info.uFlags = TTF_SUBCLASS | TTF_IDISHWND;
  info.hwnd = parent ? parent : hwnd_.get();
  info.uId = reinterpret_cast<UINT_PTR>(hwnd_.get());
  info.lpszText = const_cast<wchar_t*>(text.c_str());
  if (text.empty()) {
    if (hasToolTip_) ::SendMessageW(tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    hasToolTip_ = false;
  } else if (hasToolTip_) {
    ::SendMessageW(tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
  } else {
    hasToolTip_ = ::SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)) != FALSE;
  }
}

void Win32Control::RemoveToolTip() {
  if (!hasToolTip_ || !hwnd_) return;
  SetToolTip(std::wstring());
}

}  // namespace tarvik::platform::win32
