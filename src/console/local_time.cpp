#include "console/local_time.h"

namespace kdx {

namespace {

std::string Two(int value) {
  std::string text = std::to_string(value);
  return text.size() < 2 ? "0" + text : text;
}

}  // namespace

std::string TimeStamp(const LocalTime& t) {
  return "[" + std::to_string(t.year) + "/" + Two(t.month) + "/" + Two(t.day) + "      " +
         Two(t.hour) + ":" + Two(t.minute) + ":" + Two(t.second) + ":" +
         std::to_string(t.millisecond) + "]";
}

}  // namespace kdx
