// What screen readers and the keyboard user see of our own controls: the accessible object a
// described panel gives on WM_GETOBJECT (MSAA), its focus mark, and the show request of
// another start of the program.

#include <oleacc.h>

#include <memory>

#include "platform/win32/win32_control.h"

namespace tarvik::platform::win32 {
namespace {

bool IsSelf(const VARIANT& child) {
  return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// One control as MSAA sees it. It reads the control at every call, and answers as a gone
// object does once the control has died (a reader may keep an object for long).
class AccessibleControl final : public IAccessible {
 public:
  explicit AccessibleControl(Win32Control& control)
      : control_(&control), alive_(control.Liveness()), hwnd_(control.Hwnd()) {}

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IAccessible) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ::InterlockedIncrement(&refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = ::InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // IDispatch: readers use the IAccessible methods themselves.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (parent == nullptr) return E_POINTER;
    *parent = nullptr;
    if (!Alive()) return CO_E_OBJNOTCONNECTED;
    // The client area's parent is the window object of the same handle, as the system's own.
    return ::AccessibleObjectFromWindow(hwnd_, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                        reinterpret_cast<void**>(parent));
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT, IDispatch** child) override {
    if (child == nullptr) return E_POINTER;
    *child = nullptr;
    return E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (name == nullptr) return E_POINTER;
    *name = nullptr;
    if (!IsSelf(child)) return E_INVALIDARG;
    if (!Alive()) return CO_E_OBJNOTCONNECTED;
    const std::wstring& text = control_->Accessible().name;
    *name = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *name != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT, BSTR* value) override { return Nothing(value); }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* text) override {
    return Nothing(text);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (role == nullptr) return E_POINTER;
    ::VariantInit(role);
    if (!IsSelf(child)) return E_INVALIDARG;
    if (!Alive()) return CO_E_OBJNOTCONNECTED;
    role->vt = VT_I4;
    role->lVal = control_->Accessible().role == AccessibleRole::CheckButton
                     ? ROLE_SYSTEM_CHECKBUTTON
                     : ROLE_SYSTEM_PUSHBUTTON;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    if (state == nullptr) return E_POINTER;
    ::VariantInit(state);
    if (!IsSelf(child)) return E_INVALIDARG;
    if (!Alive()) return CO_E_OBJNOTCONNECTED;
    long bits = 0;
    if (!::IsWindowVisible(hwnd_)) bits |= STATE_SYSTEM_INVISIBLE;
    if (control_->ShowsFocus()) bits |= STATE_SYSTEM_FOCUSED;
    if (control_->Accessible().role == AccessibleRole::CheckButton) {
      bits |= STATE_SYSTEM_FOCUSABLE;
      if (control_->Accessible().checked) bits |= STATE_SYSTEM_CHECKED;
    }
    state->vt = VT_I4;
    state->lVal = bits;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* help) override { return Nothing(help); }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
    if (topic != nullptr) *topic = 0;
    return Nothing(file);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* keys) override {
    return Nothing(keys);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    if (focus == nullptr) return E_POINTER;
    ::VariantInit(focus);
    if (!Alive() || !control_->ShowsFocus()) return S_FALSE;
    focus->vt = VT_I4;
    focus->lVal = CHILDID_SELF;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (selection == nullptr) return E_POINTER;
    ::VariantInit(selection);
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    if (action == nullptr) return E_POINTER;
    *action = nullptr;
    if (!IsSelf(child)) return E_INVALIDARG;
    if (!Alive()) return CO_E_OBJNOTCONNECTED;
    const bool check = control_->Accessible().role == AccessibleRole::CheckButton;
    *action = ::SysAllocString(check ? L"切换" : L"按下");
    return *action != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT) override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) override {
    if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) {
      return E_POINTER;
    }
    *left = *top = *width = *height = 0;
    if (!IsSelf(child)) return E_INVALIDARG;
    RECT rc{};
    if (!Alive() || !::GetWindowRect(hwnd_, &rc)) return CO_E_OBJNOTCONNECTED;
    *left = rc.left;
    *top = rc.top;
    *width = rc.right - rc.left;
    *height = rc.bottom - rc.top;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long, VARIANT, VARIANT* end) override {
    if (end == nullptr) return E_POINTER;
    ::VariantInit(end);
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
    if (child == nullptr) return E_POINTER;
    ::VariantInit(child);
    RECT rc{};
    if (!Alive() || !::GetWindowRect(hwnd_, &rc)) return CO_E_OBJNOTCONNECTED;
    if (!::PtInRect(&rc, POINT{x, y})) return S_FALSE;
    child->vt = VT_I4;
    child->lVal = CHILDID_SELF;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    if (!IsSelf(child)) return E_INVALIDARG;
    if (!Alive()) return CO_E_OBJNOTCONNECTED;
    // A command may ask a question (a modal loop); the reader's call must not wait for it.
    ::PostMessageW(hwnd_, Win32Control::kDefaultActionMessage, 0, 0);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  ~AccessibleControl() = default;
  bool Alive() const { return !alive_.expired() && control_->Hwnd() == hwnd_; }
  static HRESULT Nothing(BSTR* out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return S_FALSE;
  }

  LONG refs_ = 1;
  Win32Control* control_;
  std::weak_ptr<bool> alive_;
  HWND hwnd_;
};

}  // namespace

void Win32Control::SetFocusMark(bool shown) {
  const bool wasVisible = FocusMarkVisible();
  focusMark_ = shown;
  // Repainted only when the look changes: a mark asked for before the keyboard is used in
  // the window shows nothing yet.
  if (hwnd_ && FocusMarkVisible() != wasVisible) ::InvalidateRect(hwnd_.get(), nullptr, TRUE);
}

bool Win32Control::FocusMarkVisible() const {
  return focusMark_ && hwnd_ && context_->FocusCuesShown(::GetAncestor(hwnd_.get(), GA_ROOT));
}

bool Win32Control::ShowsFocus() const {
  if (!hwnd_) return false;
  // A painted control stands for the focus of another (the switch's track, the question
  // box's tick for its hidden push button): it says so with its mark.
  return ::GetFocus() == hwnd_.get() || focusMark_;
}

bool Win32Control::ServeAccessible(WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (static_cast<DWORD>(lParam) != static_cast<DWORD>(OBJID_CLIENT)) return false;
  // A part of a described panel (a switch's track and knob) answers for the whole.
  Win32Control* described = this;
  while (described != nullptr && described->accessible_.role == AccessibleRole::None) {
    if (described->kind_ != ControlKind::Panel) return false;
    described = context_->Find(::GetParent(described->hwnd_.get()));
  }
  if (described == nullptr || !described->hwnd_ || !context_->EnsureCom()) return false;
  auto* object = new AccessibleControl(*described);
  result = ::LresultFromObject(IID_IAccessible, wParam, object);
  object->Release();
  return SUCCEEDED(result);
}

bool Win32Control::HandleAccessMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       LRESULT& result) {
  if (message == WM_GETOBJECT) return ServeAccessible(wParam, lParam, result);
  if (message == kDefaultActionMessage && kind_ == ControlKind::Panel) {
    Fire([](ControlEvents& e) { e.OnClick(); });
    result = 0;
    return true;
  }
  if (message != 0 && message == context_->ShowRequestMessage() && kind_ == ControlKind::Window) {
    bool shown = false;
    const std::weak_ptr<bool> alive = alive_;
    Fire([&](ControlEvents& e) { shown = e.OnShowRequest(); });
    // The window that showed itself comes to the front with the keyboard.
    if (shown && !alive.expired() && hwnd_ && ::IsWindowVisible(hwnd) && !::IsIconic(hwnd)) {
      ::SetForegroundWindow(hwnd);
    }
    result = 0;
    return true;
  }
  if (message == WM_ACTIVATE && kind_ == ControlKind::Window) {
    // As a dialog does: the control that had the keyboard gets it back when the window is
    // active again (after a question, from the task bar), not the window itself.
    const HWND focus = ::GetFocus();
    if (LOWORD(wParam) == WA_INACTIVE) {
      lastFocus_ = focus != nullptr && ::IsChild(hwnd, focus) ? focus : nullptr;
      return false;
    }
    if (!::IsIconic(hwnd) && lastFocus_ != nullptr && ::IsChild(hwnd, lastFocus_) &&
        ::IsWindowVisible(lastFocus_) && !(focus != nullptr && ::IsChild(hwnd, focus))) {
      ::SetFocus(lastFocus_);
      result = 0;
      return true;
    }
    return false;
  }
  if (message == WM_PAINT && FocusMarkVisible()) {
    PAINTSTRUCT ps{};
    if (HDC dc = ::BeginPaint(hwnd, &ps)) {
      if (canvas_) canvas_->PaintTo(dc, ps.rcPaint);
      RECT rc{};
      ::GetClientRect(hwnd, &rc);
      ::DrawFocusRect(dc, &rc);
      ::EndPaint(hwnd, &ps);
    }
    result = 0;
    return true;
  }
  return false;
}

}  // namespace tarvik::platform::win32
