#pragma once
// A civil date and time, as the library's clock gives it (local time).

namespace merid {

struct DateTime {
  int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
};

}  // namespace merid
