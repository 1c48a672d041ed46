#pragma once
// The thread's TextFilter and NumberFormatter, created on first use and kept
// for the thread's life. Each call throws RuntimeFailure when the component
// cannot be created or its call fails; the calling routine traps it.

#include <string>

namespace merid {

std::string FilterText(const std::string& text);
double AdjustNumber(double number);
std::string AmountText(double number);

}  // namespace merid
