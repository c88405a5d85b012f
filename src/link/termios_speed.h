#pragma once

// The termios speed of a rate in bits/s, for the programs that set up a POSIX
// terminal themselves: the simulator's pseudo-terminal and the headless
// runner's line. The window goes through QSerialPort instead.
#ifndef _WIN32

#include <termios.h>

#include <optional>

namespace kdx {

inline std::optional<speed_t> TermiosSpeed(int baud) {
  switch (baud) {
    case 1200:
      return B1200;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    case 230400:
      return B230400;
    default:
      return std::nullopt;
  }
}

}  // namespace kdx

#endif
