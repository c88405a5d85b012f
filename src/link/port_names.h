#pragma once

#include <string>

namespace kdx {

// The device path behind "COMn": the port name itself on Windows; elsewhere
// the environment variable KDX846_COMn, or else /dev/ttyS<n-1>.
std::string ResolvePortPath(int port);

}  // namespace kdx
