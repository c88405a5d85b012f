#include "model/reply_frame.h"

#include "model/frame_parser.h"

namespace kdx::sim {

Bytes ReplyText(const Command& command, const Response& response,
                const std::array<std::uint8_t, 3>& status) {
  Bytes text{static_cast<std::uint8_t>(response.positive ? 'P' : 'N'), command.code,
             command.parameter};
  if (response.positive) {
    const auto& st = response.status ? *response.status : status;
    text.insert(text.end(), st.begin(), st.end());
    text.insert(text.end(), response.data.begin(), response.data.end());
  } else {
    text.insert(text.end(), response.error.begin(), response.error.end());
    text.insert(text.end(), response.data.begin(), response.data.end());
  }
  return text;
}

Bytes ReplyFrame(std::uint8_t address, const Bytes& text) {
  Bytes frame{kStx, address, static_cast<std::uint8_t>(text.size() >> 8),
              static_cast<std::uint8_t>(text.size() & 0xFF)};
  frame.insert(frame.end(), text.begin(), text.end());
  frame.push_back(kEtx);
  std::uint8_t bcc = 0;
  for (const auto b : frame) bcc ^= b;
  frame.push_back(bcc);
  return frame;
}

}  // namespace kdx::sim
