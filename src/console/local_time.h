#pragma once

#include <string>

#include "link/local_time.h"

namespace kdx {

// "[2026/12/08      09:05:03:7]": month, day, hour, minute and second in two
// digits, year and milliseconds unpadded, six blanks between date and time.
std::string TimeStamp(const LocalTime& time);

}  // namespace kdx
