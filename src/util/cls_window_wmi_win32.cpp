// clsWindow's command lines on Win32: a query to the management service (WMI), with small
// owners for the COM objects, strings and variants it hands out.

#include <windows.h>

#include <oleauto.h>
#include <wbemidl.h>

#include <string>
#include <utility>

#include "platform/win32/handles.h"
#include "util/cls_window_wmi.h"

namespace tarvik::util {
namespace {

using platform::win32::ComApartment;

constexpr LONG kWmiRowTimeoutMs = 5000;

// ---- small COM owners ---------------------------------------------------------------------

template <typename T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() { Reset(); }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;

  T* get() const { return ptr_; }
  T* operator->() const { return ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }
  T** put() {
    Reset();
    return &ptr_;
  }

 private:
  void Reset() {
    if (ptr_ != nullptr) std::exchange(ptr_, nullptr)->Release();
  }
  T* ptr_ = nullptr;
};

class Bstr {
 public:
  explicit Bstr(const std::wstring& text)
      : value_(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  ~Bstr() { ::SysFreeString(value_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return value_; }

 private:
  BSTR value_;
};

class Variant {
 public:
  Variant() { ::VariantInit(&value_); }
  ~Variant() { ::VariantClear(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT* put() { return &value_; }
  const VARIANT& get() const { return value_; }

 private:
  VARIANT value_;
};

}  // namespace

// "Select * from Win32_Process Where ProcessId='<pid>'" at "winmgmts:\\.\root\cimv2".
std::wstring QueryCommandLine(std::uint32_t pid) {
  const ComApartment apartment;
  ComRef<IWbemLocator> locator;
  if (FAILED(::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                reinterpret_cast<void**>(locator.put())))) {
    return {};
  }
  const Bstr nameSpace(L"ROOT\\CIMV2");
  ComRef<IWbemServices> services;
  if (FAILED(locator->ConnectServer(nameSpace.get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                    services.put()))) {
    return {};
  }
  ::CoSetProxyBlanket(services.get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                      RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
  const Bstr language(L"WQL");
  const Bstr query(L"Select * from Win32_Process Where ProcessId='" + std::to_wstring(pid) + L"'");
  ComRef<IEnumWbemClassObject> rows;
  if (FAILED(services->ExecQuery(
          language.get(), query.get(),
          static_cast<long>(WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY), nullptr,
          rows.put()))) {
    return {};
  }
  ComRef<IWbemClassObject> row;
  ULONG count = 0;
  if (FAILED(rows->Next(kWmiRowTimeoutMs, 1, row.put(), &count)) || count == 0 || !row) {
    return {};
  }
  Variant value;
  if (FAILED(row->Get(L"CommandLine", 0, value.put(), nullptr, nullptr))) return {};
  if (value.get().vt != VT_BSTR || value.get().bstrVal == nullptr) return {};
  return std::wstring(value.get().bstrVal, ::SysStringLen(value.get().bstrVal));
}

}  // namespace tarvik::util
