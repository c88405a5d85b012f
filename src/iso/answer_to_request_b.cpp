#include "iso/answer_to_request_b.h"

#include "iso/contactless_fields.h"

namespace kdx {

namespace {

constexpr std::uint8_t kAtqbStart = 0x50;

std::string ProtocolType(std::uint8_t byte) {
  std::string text =
      "max frame " + FrameSize(byte >> 4) + ", protocol type " + std::to_string(byte & 0x0F);
  text += (byte & 0x01) ? " (ISO/IEC 14443-4)" : " (not ISO/IEC 14443-4)";
  return text;
}

std::string Timing(std::uint8_t byte) {
  std::string text = "FWT " + WaitingTime(byte >> 4) + " (FWI " + std::to_string(byte >> 4) + ")";
  text += ((byte >> 2) & 0x03) == 0x01 ? ", application data as AFI, CRC_B(AID), count"
                                       : ", application data proprietary";
  text += (byte & 0x02) ? ", NAD supported" : ", NAD not supported";
  text += (byte & 0x01) ? ", CID supported" : ", CID not supported";
  return text;
}

}  // namespace

DecodedLines DecodeAtqb(ByteView atqb) {
  DecodedLines lines;
  ByteCursor cursor(atqb);
  std::uint8_t first = 0;
  if (!cursor.next(first)) {
    lines.push_back(Truncated("ATQB", 0));
    return lines;
  }
  if (first != kAtqbStart) {
    lines.push_back("ATQB " + HexByte(first) + ": not an answer to request (50 expected)");
    return lines;
  }
  lines.push_back("ATQB 50: answer to request, Type B");
  const ByteView pupi = cursor.take(4);
  if (pupi.size() < 4) {
    lines.push_back(Truncated("PUPI", 1 + pupi.size()));
    return lines;
  }
  lines.push_back("PUPI: " + HexBytes(pupi, ""));
  const ByteView application = cursor.take(4);
  if (application.size() < 4) {
    lines.push_back(Truncated("application data", 5 + application.size()));
    return lines;
  }
  lines.push_back("application data: " + HexBytes(application, "") + " (AFI " +
                  HexByte(application[0]) + ")");
  const ByteView info = cursor.take(3);
  if (info.empty()) {
    lines.push_back(Truncated("protocol information", cursor.position()));
    return lines;
  }
  lines.push_back("bit rates " + HexByte(info[0]) + ": " + BitRates(info[0]));
  if (info.size() < 2) {
    lines.push_back(Truncated("frame size and protocol type", cursor.position()));
    return lines;
  }
  lines.push_back("frame " + HexByte(info[1]) + ": " + ProtocolType(info[1]));
  if (info.size() < 3) {
    lines.push_back(Truncated("FWI, ADC and FO", cursor.position()));
    return lines;
  }
  lines.push_back("timing " + HexByte(info[2]) + ": " + Timing(info[2]));
  std::uint8_t extended = 0;
  if (cursor.next(extended)) {
    const std::uint8_t sfgi = extended >> 4;
    lines.push_back("SFGI " + HexByte(extended) + ": SFGT " +
                    (sfgi == 0 ? std::string("none") : WaitingTime(sfgi)));
  }
  if (!cursor.atEnd())
    lines.push_back("after the answer: " + ShortHex(cursor.take(cursor.remaining())));
  return lines;
}

}  // namespace kdx
