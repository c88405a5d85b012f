#include "iso/historical_bytes.h"

#include <algorithm>
#include <string_view>

namespace kdx {

namespace {

constexpr std::size_t kShownBytes = 16;

std::string_view CompactTagName(std::uint8_t tag) {
  switch (tag) {
    case 0x1:
      return "country code";
    case 0x2:
      return "issuer identification number";
    case 0x3:
      return "card service data";
    case 0x4:
      return "initial access data";
    case 0x5:
      return "card issuer's data";
    case 0x6:
      return "pre-issuing data";
    case 0x7:
      return "card capabilities";
    case 0x8:
      return "status indicator";
    case 0xF:
      return "application identifier";
    default:
      return "RFU tag";
  }
}

// Life cycle status byte, SW1 SW2, or both, as the status indicator holds them.
std::string StatusIndicator(ByteView value) {
  switch (value.size()) {
    case 1:
      return "LCS " + HexByte(value[0]);
    case 2:
      return "SW " + HexBytes(value, "");
    case 3:
      return "LCS " + HexByte(value[0]) + ", SW " + HexBytes(value.subspan(1), "");
    default:
      return ShortHex(value);
  }
}

// Compact-TLV objects: tag in the high nibble, length in the low one.
void AppendCompactTlv(ByteView bytes, DecodedLines& lines) {
  ByteCursor cursor(bytes);
  std::uint8_t head = 0;
  while (cursor.next(head)) {
    const std::uint8_t tag = head >> 4;
    const std::size_t length = head & 0x0F;
    const ByteView value = cursor.take(length);
    std::string line =
        "compact-TLV " + HexByte(head) + " " + std::string(CompactTagName(tag)) + ": ";
    line += tag == 0x8 ? StatusIndicator(value) : ShortHex(value);
    if (value.size() < length) {
      line += " (truncated: " + std::to_string(length) + " bytes announced, " +
              std::to_string(value.size()) + " present)";
    }
    lines.push_back(std::move(line));
  }
}

}  // namespace

void AppendHistoricalBytes(ByteView bytes, DecodedLines& lines) {
  if (bytes.empty()) {
    lines.push_back("historical bytes: none");
    return;
  }
  // As text too, for the many cards that name themselves there; as long as
  // the hex shown.
  const ByteView shown = bytes.first(std::min<std::size_t>(bytes.size(), kShownBytes));
  lines.push_back("historical bytes: " + ShortHex(bytes, kShownBytes) + " \"" +
                  PrintableText(shown) + "\"");
  const std::uint8_t category = bytes[0];
  const ByteView rest = bytes.subspan(1);
  const std::string field = "category " + HexByte(category) + ": ";
  if (category == 0x00) {
    if (rest.size() < 3) {
      lines.push_back(field + "status indicator at the end (truncated: 3 bytes needed, " +
                      std::to_string(rest.size()) + " present)");
      return;
    }
    lines.push_back(field + "compact-TLV objects, status indicator in the last three bytes");
    AppendCompactTlv(rest.first(rest.size() - 3), lines);
    lines.push_back("status indicator: " + StatusIndicator(rest.last(3)));
  } else if (category == 0x10) {
    lines.push_back(field + "DIR data reference " +
                    (rest.empty() ? std::string("missing") : ShortHex(rest)));
  } else if (category == 0x80) {
    lines.push_back(field + "compact-TLV objects");
    AppendCompactTlv(rest, lines);
  } else if (category > 0x80 && category <= 0x8F) {
    lines.push_back(field + "reserved for future use");
  } else {
    lines.push_back(field + "proprietary");
  }
}

}  // namespace kdx
