#include "platform/win32/win32_control.h"

namespace tarvik::platform::win32 {

namespace {

// Below this many items a fill is cheap however it is done.
constexpr std::size_t kBulkFrom = 16;

// Redrawing of a list box off for the life of the object, then on again with one repaint of
// the whole list. Even a list in a hidden window works out its scroll bar on every item
// added while redrawing is on. Turning redrawing back on draws the scroll bar there and
// then, which under Wine costs more than the rest of a small fill; with the visible bit off
// for that moment (as DefWindowProc's own WM_SETREDRAW does) the scroll bar is only worked
// out, and drawn with the rest of the list at the next paint.
class QuietList {
 public:
  explicit QuietList(HWND list) : list_(list) { ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0); }
  ~QuietList() {
    const bool shown = (::GetWindowLongPtrW(list_, GWL_STYLE) & WS_VISIBLE) != 0;
    if (shown) SetVisibleBit(false);
    ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    // The scroll bar may have come or gone meanwhile: only the visible bit is put back.
    if (shown) SetVisibleBit(true);
    ::RedrawWindow(list_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
  }
  QuietList(const QuietList&) = delete;
  QuietList& operator=(const QuietList&) = delete;

 private:
  void SetVisibleBit(bool on) const {
    const LONG_PTR style = ::GetWindowLongPtrW(list_, GWL_STYLE);
    ::SetWindowLongPtrW(list_, GWL_STYLE,
                        on ? (style | WS_VISIBLE) : (style & ~static_cast<LONG_PTR>(WS_VISIBLE)));
  }

  HWND list_;
};

// Appends items[first..] to a list box, after telling it how much is coming so it allocates
// once rather than as it grows.
void AppendItems(HWND list, const std::vector<std::wstring>& items, std::size_t first) {
  if (items.size() - first >= kBulkFrom) {
    std::size_t bytes = 0;
    for (std::size_t i = first; i < items.size(); ++i)
      bytes += (items[i].size() + 1) * sizeof(wchar_t);
    ::SendMessageW(list, LB_INITSTORAGE, static_cast<WPARAM>(items.size() - first),
                   static_cast<LPARAM>(bytes));
  }
  for (std::size_t i = first; i < items.size(); ++i) {
    ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(items[i].c_str()));
  }
}

}  // namespace

void Win32Control::ListAdd(const std::wstring& item) {
  if (kind_ != ControlKind::ListBox || !hwnd_) return;
  ::SendMessageW(hwnd_.get(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

void Win32Control::ListRemove(int index) {
  if (kind_ != ControlKind::ListBox || !hwnd_) return;
  ::SendMessageW(hwnd_.get(), LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void Win32Control::ListClear() {
  if (kind_ != ControlKind::ListBox || !hwnd_) return;
  const QuietList quiet(hwnd_.get());
  ::SendMessageW(hwnd_.get(), LB_RESETCONTENT, 0, 0);
}

void Win32Control::ListReplaceAll(const std::vector<std::wstring>& items) {
  if (kind_ != ControlKind::ListBox || !hwnd_) return;
  const QuietList quiet(hwnd_.get());
  ::SendMessageW(hwnd_.get(), LB_RESETCONTENT, 0, 0);
  AppendItems(hwnd_.get(), items, 0);
}

void Win32Control::ListAddRange(const std::vector<std::wstring>& items, std::size_t first) {
  if (kind_ != ControlKind::ListBox || !hwnd_ || first >= items.size()) return;
  if (items.size() - first < kBulkFrom) {
    AppendItems(hwnd_.get(), items, first);
    return;
  }
  const QuietList quiet(hwnd_.get());
  AppendItems(hwnd_.get(), items, first);
}

void Win32Control::ListSetItem(int index, const std::wstring& item) {
  if (kind_ != ControlKind::ListBox || !hwnd_) return;
  HWND list = hwnd_.get();
  // Replace in place: the selection and the scroll position stay, nothing flickers.
  const LRESULT selection = ::SendMessageW(list, LB_GETCURSEL, 0, 0);
  const LRESULT top = ::SendMessageW(list, LB_GETTOPINDEX, 0, 0);
  ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  ::SendMessageW(list, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
  ::SendMessageW(list, LB_INSERTSTRING, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(item.c_str()));
  if (selection != LB_ERR) ::SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(selection), 0);
  if (top != LB_ERR) ::SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
  ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(list, nullptr, TRUE);
}

void Win32Control::ListSetSelection(int index) {
  if (kind_ != ControlKind::ListBox || !hwnd_) return;
  // LB_SETCURSEL sends no LBN_SELCHANGE, so the program hears nothing of its own choice.
  ::SendMessageW(hwnd_.get(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

}  // namespace tarvik::platform::win32
