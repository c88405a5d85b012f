#pragma once

#include <string>

namespace kdx {

// The device path behind port number `port` (1 for "COM1"). On Windows it is
// "COMn" itself. Elsewhere the environment variable KDX846_COMn names it, so
// a simulator's pseudo-terminal or a USB adapter can stand in for any port;
// without it, "COMn" is the n-th on-board serial port, /dev/ttyS<n-1>.
std::string ResolvePortPath(int port);

}  // namespace kdx
