#include "model/cards/memory_apdu.h"

namespace kdx::sim {

std::optional<MemoryApdu> ParseMemoryApdu(ByteView bytes) {
  if (bytes.size() < 5) return std::nullopt;
  return MemoryApdu{bytes[0], bytes[1], bytes[2],
                    bytes[3], bytes[4], Bytes(bytes.begin() + 5, bytes.end())};
}

Bytes CardAnswer(StatusWord sw, Bytes data) {
  data.push_back(static_cast<std::uint8_t>(sw >> 8));
  data.push_back(static_cast<std::uint8_t>(sw & 0xFF));
  return data;
}

std::optional<StatusWord> CheckRange(std::size_t start, std::size_t length, std::size_t size) {
  if (start >= size) return kSwWrongParameters;
  if (length > kMaxTransfer || start + length > size) return kSwWrongLength;
  return std::nullopt;
}

StatusWord VerificationStatus(Verification verification) {
  switch (verification) {
    case Verification::Accepted:
      return kSwOk;
    case Verification::Wrong:
      return kSwWrongPassword;
    case Verification::Locked:
      return kSwLocked;
  }
  return kSwFailed;
}

}  // namespace kdx::sim
