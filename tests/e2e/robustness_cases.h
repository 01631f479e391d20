#pragma once
// End-to-end cases for the file and window helpers where Windows (and Wine) differ from the
// native test build: links inside a deleted folder, and windows whose thread is stuck.

#include <vector>

#include "cls_window_cases.h"

namespace tarvik::e2e {

std::vector<NamedCase> RobustnessCases();

}  // namespace tarvik::e2e
