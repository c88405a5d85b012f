#pragma once

#include "link/traffic.h"

namespace kdx {

// The KDX-846's commands as the traffic rows name them, one name per command
// and parameter code, and the replies whose status the device defines in
// words: card status (the three status bytes), sensor status (which sensors
// are on) and the IC and RF card type.
class DeviceGlossary final : public CommandGlossary {
 public:
  std::string name(std::uint8_t command, std::uint8_t parameter) const override;
  std::string status(ByteView reply) const override;
};

}  // namespace kdx
