// Links the core library alone: if it needed Qt, this would not link.
#include "link/frame.h"

int main() {
  const auto frame = kdx::BuildCommand(0, '1', '0');
  return frame.size() == 9 && frame.back() == kdx::ComputeBcc(frame) ? 0 : 1;
}
