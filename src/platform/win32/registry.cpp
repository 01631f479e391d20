#include "platform/win32/registry.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/win32/handles.h"

namespace tarvik::platform::win32 {
namespace {

// Full access as the program asks for it: every specific right plus reading the key's
// security (KEY_WRITE | KEY_READ).
constexpr REGSAM kFullAccess = 0x2003F;

HKEY RootKey(RegistryRoot root) {
  return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
}

bool IsStringType(std::uint32_t type) {
  return type == REG_SZ || type == REG_EXPAND_SZ;
}

class Win32RegistryKey final : public RegistryKey {
 public:
  explicit Win32RegistryKey(unique_hkey key) : key_(std::move(key)) {}

  std::uint32_t SetValue(const std::wstring& name, const RegistryData& data) override {
    if (IsStringType(data.type)) {
      // Stored as Unicode with its terminating NUL, so any path survives whatever the
      // system's code page can hold.
      const std::wstring text = data.text + L'\0';
      return static_cast<std::uint32_t>(::RegSetValueExW(
          key_.get(), name.c_str(), 0, data.type, reinterpret_cast<const BYTE*>(text.data()),
          static_cast<DWORD>(text.size() * sizeof(wchar_t))));
    }
    return static_cast<std::uint32_t>(::RegSetValueExW(
        key_.get(), name.c_str(), 0, data.type, reinterpret_cast<const BYTE*>(data.bytes.data()),
        static_cast<DWORD>(data.bytes.size())));
  }

  std::uint32_t DeleteValue(const std::wstring& name) override {
    return static_cast<std::uint32_t>(::RegDeleteValueW(key_.get(), name.c_str()));
  }

 private:
  unique_hkey key_;
};

}  // namespace

RegistryKeyResult CreateRegistryKey(RegistryRoot root, const std::wstring& path,
                                    const std::wstring& className) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  const LONG status =
      ::RegCreateKeyExW(RootKey(root), path.c_str(), 0,
                        className.empty() ? nullptr : const_cast<wchar_t*>(className.c_str()),
                        REG_OPTION_NON_VOLATILE, kFullAccess, nullptr, &key, &disposition);
  if (status != ERROR_SUCCESS) return {static_cast<std::uint32_t>(status), nullptr};
  return {kRegistryOk, std::make_unique<Win32RegistryKey>(unique_hkey(key))};
}

RegistryReadResult ReadRegistryValue(RegistryRoot root, const std::wstring& path,
                                     const std::wstring& name) {
  HKEY opened = nullptr;
  LONG status = ::RegOpenKeyExW(RootKey(root), path.c_str(), 0, KEY_QUERY_VALUE, &opened);
  if (status != ERROR_SUCCESS) return {static_cast<std::uint32_t>(status), {}};
  const unique_hkey key(opened);
  // The value may change between the size query and the read; retry with the new size.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD type = 0;
    DWORD size = 0;
    status = ::RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &size);
    if (status != ERROR_SUCCESS) return {static_cast<std::uint32_t>(status), {}};
    std::vector<BYTE> buffer(size + sizeof(wchar_t));
    DWORD got = size;
    status = ::RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, buffer.data(), &got);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS) return {static_cast<std::uint32_t>(status), {}};
    RegistryReadResult result{kRegistryOk, {}};
    result.data.type = type;
    if (IsStringType(type)) {
      std::wstring text(got / sizeof(wchar_t), L'\0');
      if (!text.empty()) std::memcpy(text.data(), buffer.data(), text.size() * sizeof(wchar_t));
      while (!text.empty() && text.back() == L'\0') text.pop_back();
      result.data.text = std::move(text);
    } else {
      result.data.bytes.assign(reinterpret_cast<const char*>(buffer.data()), got);
    }
    return result;
  }
  return {static_cast<std::uint32_t>(ERROR_MORE_DATA), {}};
}

}  // namespace tarvik::platform::win32
