#pragma once
// End-to-end cases for the question box on real Win32: the box is shown by the driver itself
// over a main window of its own and answered from a second thread with real input.

#include <vector>

#include "cls_window_cases.h"

namespace tarvik::e2e {

std::vector<NamedCase> QuestionCases();

}  // namespace tarvik::e2e
