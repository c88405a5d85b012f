#include "link/port_names.h"

#include <cstdlib>

namespace kdx {

std::string ResolvePortPath(int port) {
  const std::string name = "COM" + std::to_string(port);
#ifdef _WIN32
  return name;
#else
  if (const char* path = std::getenv(("KDX846_" + name).c_str()); path && *path) return path;
  return "/dev/ttyS" + std::to_string(port - 1);
#endif
}

}  // namespace kdx
