#include "console/local_time.h"

#include <chrono>
#include <ctime>

namespace kdx {

namespace {

std::string Two(int value) {
  std::string text = std::to_string(value);
  return text.size() < 2 ? "0" + text : text;
}

}  // namespace

LocalTime SystemLocalTime::now() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t seconds = system_clock::to_time_t(now);
  std::tm parts{};
#ifdef _WIN32
  localtime_s(&parts, &seconds);
#else
  localtime_r(&seconds, &parts);
#endif
  const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,       parts.tm_hour,
          parts.tm_min,         parts.tm_sec,     static_cast<int>(ms)};
}

std::string TimeStamp(const LocalTime& t) {
  return "[" + std::to_string(t.year) + "/" + Two(t.month) + "/" + Two(t.day) + "      " +
         Two(t.hour) + ":" + Two(t.minute) + ":" + Two(t.second) + ":" +
         std::to_string(t.millisecond) + "]";
}

}  // namespace kdx
