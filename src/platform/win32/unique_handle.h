#pragma once
// One small move-only owner for every kind of OS handle. A traits type names the handle
// type, its "no handle" value and how it is closed; each handle kind gets one alias
// (handles.h). Copying is deleted so a handle can never be closed twice.
//
// Deliberately free of <windows.h>: the template itself is tested natively.

#include <utility>

namespace tarvik::platform::win32 {

template <typename Traits>
class UniqueHandle {
 public:
  using Type = typename Traits::Type;

  UniqueHandle() noexcept = default;
  explicit UniqueHandle(Type value) noexcept : value_(value) {}
  ~UniqueHandle() { Close(); }

  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  Type get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return value_ != Traits::Invalid(); }

  // Gives up ownership without closing (e.g. the OS already destroyed the object).
  Type release() noexcept { return std::exchange(value_, Traits::Invalid()); }

  void reset(Type value = Traits::Invalid()) noexcept {
    if (value == value_) return;
    Close();
    value_ = value;
  }

  // For APIs that return a handle through an out-parameter: closes the current one first.
  Type* put() noexcept {
    reset();
    return &value_;
  }

 private:
  void Close() noexcept {
    if (value_ != Traits::Invalid()) Traits::Close(std::exchange(value_, Traits::Invalid()));
  }

  Type value_ = Traits::Invalid();
};

}  // namespace tarvik::platform::win32
