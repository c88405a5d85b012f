#include "link/frame.h"

#include <algorithm>

#include "link/conversions.h"

namespace kdx {

std::uint8_t ComputeBcc(ByteView buffer) {
  if (buffer.empty()) return 0;
  return ComputeBccRange(buffer, static_cast<int>(buffer.size()) - 2);
}

std::uint8_t ComputeBccRange(ByteView buffer, int last) {
  std::uint8_t bcc = 0;
  if (last < 0) return bcc;
  auto end = std::min<std::size_t>(static_cast<std::size_t>(last) + 1, buffer.size());
  for (std::size_t i = 0; i < end; ++i) bcc ^= buffer[i];
  return bcc;
}

Bytes BuildCommand(std::uint8_t address, std::uint8_t command, std::uint8_t parameter,
                   ByteView data) {
  const std::size_t n = data.size();
  const std::size_t textLength = n + 3;
  Bytes frame(n + 9);
  frame[0] = kStx;
  frame[1] = address;
  frame[2] = static_cast<std::uint8_t>(textLength / 256);
  frame[3] = static_cast<std::uint8_t>(textLength % 256);
  frame[4] = 'C';
  frame[5] = command;
  frame[6] = parameter;
  std::copy(data.begin(), data.end(), frame.begin() + 7);
  frame[7 + n] = kEtx;
  frame[8 + n] = ComputeBcc(frame);
  return frame;
}

std::optional<std::uint8_t> ParseAddress(std::string_view text) {
  text = TrimBlanks(text);
  // Leading zeros do not count: "00F" is 0Fh.
  while (text.size() > 2 && text.front() == '0') text.remove_prefix(1);
  return ParseHexByte(text);
}

}  // namespace kdx
