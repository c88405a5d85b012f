#pragma once

namespace kdx {

// A moment of local time, to the millisecond.
struct LocalTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

// Where time stamps come from: the system's local time in a real run, a fixed
// or stepping time in tests.
class LocalTimeSource {
 public:
  virtual ~LocalTimeSource() = default;
  virtual LocalTime now() = 0;
};

class SystemLocalTime final : public LocalTimeSource {
 public:
  LocalTime now() override;
};

}  // namespace kdx
