#pragma once
// End-to-end cases of edge snapping, auto-hide at the left screen edge, the floating window,
// its pop-up, the wheel over it and the way back. One program instance, driven with real
// input; with TARVIK_E2E_SHOTS set, screenshots of the docked, floating and pop-up states.

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace tarvik::e2e {

// The name of each case and why it failed (empty when it passed). No other instance of the
// program may be running.
std::vector<std::pair<std::wstring, std::wstring>> RunFloatCases(
    const std::filesystem::path& sourceExe);

}  // namespace tarvik::e2e
