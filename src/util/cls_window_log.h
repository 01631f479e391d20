#pragma once
// What clsWindow's parts share inside the class's own files: the argument texts of the debug
// log and the waits between steps. Not for use outside src/util/cls_window*.cpp.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace tarvik::util::cls_window_detail {

inline constexpr int kFadeStepMs = 10;
inline constexpr int kFinderRetryMs = 300;
inline constexpr int kSettleBeforeClickMs = 50;  // lets the target see the pointer arrive first
inline constexpr int kGlideSteps = 10;
inline constexpr int kGlideStepMs = 10;

inline std::wstring Num(std::intmax_t value) {
  return std::to_wstring(value);
}
inline std::wstring Flag(bool value) {
  return value ? L"True" : L"False";
}
inline std::wstring Opt(std::optional<int> value) {
  return value ? Num(*value) : std::wstring();
}

inline platform::Point Centre(const platform::Rect& r) {
  return {r.left + r.width / 2, r.top + r.height / 2};
}

}  // namespace tarvik::util::cls_window_detail
