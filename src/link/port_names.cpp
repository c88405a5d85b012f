#include "link/port_names.h"

#include <cstdlib>

namespace kdx {

std::string ResolvePortPath(int port) {
  const std::string name = "COM" + std::to_string(port);
#ifdef _WIN32
  return name;
#else
  const std::string variable = "KDX846_" + name;
  if (const char* path = std::getenv(variable.c_str()); path != nullptr && *path != '\0')
    return path;
  return "/dev/ttyS" + std::to_string(port - 1);
#endif
}

}  // namespace kdx
