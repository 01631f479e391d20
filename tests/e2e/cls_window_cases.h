#pragma once
// End-to-end cases for clsWindow itself, run by the driver against a small window it makes.

#include <string>
#include <utility>
#include <vector>

namespace tarvik::e2e {

// A case returns true when it held, and otherwise puts the reason into its argument.
using CaseFunction = bool (*)(std::wstring& why);
using NamedCase = std::pair<const wchar_t*, CaseFunction>;

std::vector<NamedCase> ClsWindowCases();

}  // namespace tarvik::e2e
