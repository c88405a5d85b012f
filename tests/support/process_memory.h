#pragma once

#include <fstream>
#include <string>

namespace kdx::test {

// Resident memory of this process in kilobytes (VmRSS), or -1 where the
// system does not tell.
inline long ResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string word;
  while (status >> word) {
    if (word == "VmRSS:") {
      long kb = -1;
      status >> kb;
      return kb;
    }
  }
  return -1;
}

}  // namespace kdx::test
