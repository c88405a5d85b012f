#include "console/list_layout.h"

#include <algorithm>

namespace kdx {

namespace {

constexpr std::size_t kTrafficBytesPerLine = 25;
constexpr std::size_t kDataBytesPerLine = 16;
constexpr std::size_t kCommandIndent = 7;
constexpr std::size_t kReplyIndent = 10;

std::uint8_t At(ByteView bytes, std::size_t pos) {
  return pos < bytes.size() ? bytes[pos] : 0;
}

std::string Codes(ByteView bytes) {
  return "Command:" + HexByte(At(bytes, 1)) + "h,  Parameter:" + HexByte(At(bytes, 2)) + "h";
}

}  // namespace

Entries TrafficByteLines(std::string_view head, ByteView bytes) {
  Entries lines;
  std::string line(head);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0 && i % kTrafficBytesPerLine == 0) {
      lines.push_back(std::move(line));
      line = "    ";
    }
    line += HexByte(bytes[i]);
    line += ' ';
  }
  lines.push_back(std::move(line));
  return lines;
}

std::string TrafficControlLine(std::string_view head, std::uint8_t byte) {
  return std::string(head) + HexByte(byte);
}

Entries DataLines(ByteView data, std::size_t indent) {
  if (data.empty()) return {std::string(kNoData)};
  Entries lines;
  std::string line = "Data(Hex):";
  for (std::size_t i = 0; i < data.size(); ++i) {
    if (i > 0 && i % kDataBytesPerLine == 0) {
      lines.push_back(std::move(line));
      line.assign(indent, ' ');
    }
    line += HexByte(data[i]);
    line += ' ';
    if (i % kDataBytesPerLine == 7) line += " - ";
  }
  lines.push_back(std::move(line));
  return lines;
}

Entries CommandSection(ByteView frame, std::size_t length, std::string_view stamp) {
  Entries lines{
      std::string(kCommandRule), std::string(stamp),
      "Command:" + HexByte(At(frame, 5)) + "h,  Parameter:" + HexByte(At(frame, 6)) + "h"};
  length = std::min(length, frame.size());
  const ByteView data = length < 10 ? ByteView{} : frame.subspan(7, length - 9);
  for (auto& line : DataLines(data, kCommandIndent)) lines.push_back(std::move(line));
  lines.emplace_back();
  return lines;
}

Entries ReplySection(ByteView reply, std::size_t length, std::string_view stamp) {
  Entries lines{
      std::string(kReplyRule), std::string(stamp),
      At(reply, 0) == 'P' ? "Reply type=<Positive reply>" : "Reply type=<Negative reply>"};
  std::string codes = Codes(reply) + " Status code:";
  // The status characters as they stand; a short reply has fewer of them.
  for (std::size_t pos = 3; pos <= 5 && pos < std::min(length, reply.size()); ++pos)
    codes += static_cast<char>(reply[pos]);
  lines.push_back(std::move(codes));
  length = std::min(length, reply.size());
  const ByteView data = length < 9 ? ByteView{} : reply.subspan(6, length - 8);
  for (auto& line : DataLines(data, kReplyIndent)) lines.push_back(std::move(line));
  lines.emplace_back();
  return lines;
}

Entries ReplyTypeSection(std::string_view typeLine, std::string_view stamp) {
  return {std::string(kReplyRule), std::string(stamp), std::string(typeLine)};
}

}  // namespace kdx
