#include "iso/answer_to_reset.h"

#include <array>
#include <string_view>

#include "iso/historical_bytes.h"

namespace kdx {

namespace {

// Clock rate conversion factor Fi with the highest clock it allows, and the
// baud rate adjustment factor Di, by their nibbles in TA1 (0: RFU).
constexpr std::array<unsigned, 16> kFi{372, 372, 558, 744,  1116, 1488, 1860, 0,
                                       0,   512, 768, 1024, 1536, 2048, 0,    0};
constexpr std::array<std::string_view, 16> kFMax{"4", "5", "6",   "8",  "12", "16", "20", "",
                                                 "",  "5", "7.5", "10", "15", "20", "",   ""};
constexpr std::array<unsigned, 16> kDi{0, 1, 2, 4, 8, 16, 32, 64, 12, 20, 0, 0, 0, 0, 0, 0};

constexpr std::uint8_t kNoProtocol = 0xFF;
constexpr std::uint8_t kGlobalBytes = 15;

std::string Name(char kind, int index) {
  return std::string("T") + kind + std::to_string(index);
}

// The interface bytes an indicator nibble announces, for index `i`.
std::string Announced(std::uint8_t y, int i) {
  std::string text;
  constexpr char kinds[] = {'A', 'B', 'C', 'D'};
  for (int bit = 0; bit < 4; ++bit) {
    if (y & (1 << bit)) text += (text.empty() ? "" : " ") + Name(kinds[bit], i);
  }
  return text.empty() ? "no further interface bytes" : "next " + text;
}

std::string RateFactors(std::uint8_t ta1) {
  const unsigned fi = kFi[ta1 >> 4];
  const unsigned di = kDi[ta1 & 0x0F];
  std::string text =
      fi ? "Fi " + std::to_string(fi) + " (f max " + std::string(kFMax[ta1 >> 4]) + " MHz)"
         : std::string("Fi reserved");
  text += di ? ", Di " + std::to_string(di) : std::string(", Di reserved");
  if (fi && di) text += ", F/D " + Ratio(fi, di) + " clocks per bit";
  return text;
}

std::string GuardTime(std::uint8_t tc1) {
  if (tc1 == 0xFF) return "minimum guard time (12 etu for T=0, 11 etu for T=1)";
  if (tc1 == 0) return "no extra guard time";
  return "extra guard time " + std::to_string(tc1) + " etu";
}

std::string ProgrammingVoltage(std::uint8_t tb) {
  if (tb == 0) return "no programming voltage (VPP not connected)";
  return "programming voltage PI " + std::to_string(tb & 0x1F) + ", current code " +
         std::to_string((tb >> 5) & 0x03) + " (deprecated)";
}

std::string SpecificMode(std::uint8_t ta2) {
  std::string text = "specific mode T=" + std::to_string(ta2 & 0x0F);
  text += (ta2 & 0x80) ? ", mode cannot change" : ", mode can change";
  text += (ta2 & 0x10) ? ", implicit parameters" : ", parameters as TA1";
  return text;
}

std::string ClockStopAndClass(std::uint8_t ta) {
  static constexpr std::array<std::string_view, 4> kStop{
      "clock stop not supported", "clock stop in state L", "clock stop in state H",
      "clock stop in either state"};
  std::string text(kStop[ta >> 6]);
  std::string classes;
  constexpr const char* kClasses[] = {"A (5 V)", "B (3 V)", "C (1.8 V)"};
  for (int bit = 0; bit < 3; ++bit) {
    if (ta & (1 << bit)) classes += (classes.empty() ? "" : ", ") + std::string(kClasses[bit]);
  }
  return text + "; classes " + (classes.empty() ? std::string("none named") : classes);
}

// What interface byte `kind` of index `i` means; `protocol` is the T named
// by TD(i-1), kNoProtocol for i = 1.
std::string Meaning(char kind, int i, std::uint8_t protocol, std::uint8_t value) {
  if (i == 1) {
    if (kind == 'A') return RateFactors(value);
    if (kind == 'B') return ProgrammingVoltage(value);
    return GuardTime(value);
  }
  if (i == 2 && protocol != kGlobalBytes) {
    if (kind == 'A') return SpecificMode(value);
    if (kind == 'B') return "programming voltage PI2 " + std::to_string(value) + " (deprecated)";
    if (protocol == 0) {
      return "waiting time integer WI " + std::to_string(value) +
             (value == 0 ? " (reserved)" : ", WT = " + std::to_string(960U * value) + " x Fi/f");
    }
  }
  if (protocol == 1 && i >= 3) {
    if (kind == 'A') {
      if (value == 0 || value == 0xFF) return "IFSC reserved value";
      return "IFSC " + std::to_string(value) + " bytes";
    }
    if (kind == 'B') {
      return "BWI " + std::to_string(value >> 4) + ", CWI " + std::to_string(value & 0x0F);
    }
    return (value & 0x01) ? "error detection CRC" : "error detection LRC";
  }
  if (protocol == kGlobalBytes) {
    if (kind == 'A') return ClockStopAndClass(value);
    if (kind == 'B') return value == 0 ? "no SPU contact use" : "SPU use " + HexByte(value);
    return "reserved (global)";
  }
  return "specific to T=" + std::to_string(protocol);
}

std::string Protocols(std::uint16_t offered) {
  std::string text;
  for (int t = 0; t < 15; ++t) {
    if (offered & (1U << t)) text += (text.empty() ? "T=" : ", T=") + std::to_string(t);
  }
  return text;
}

}  // namespace

DecodedLines DecodeAtr(ByteView atr) {
  DecodedLines lines;
  ByteCursor cursor(atr);
  std::uint8_t ts = 0;
  if (!cursor.next(ts)) {
    lines.push_back(Truncated("TS", 0));
    return lines;
  }
  if (ts != 0x3B && ts != 0x3F) {
    lines.push_back("TS " + HexByte(ts) + ": not an answer to reset (3B or 3F expected)");
    return lines;
  }
  lines.push_back("TS " + HexByte(ts) + ": " +
                  (ts == 0x3B ? "direct convention" : "inverse convention"));
  std::uint8_t t0 = 0;
  if (!cursor.next(t0)) {
    lines.push_back(Truncated("T0", cursor.position()));
    return lines;
  }
  const std::size_t historical = t0 & 0x0F;
  lines.push_back("T0 " + HexByte(t0) + ": " + Count(historical, "historical byte") + ", " +
                  Announced(t0 >> 4, 1));

  std::uint8_t check = t0;  // XOR from T0 on
  std::uint8_t y = t0 >> 4;
  std::uint8_t protocol = kNoProtocol;
  std::uint16_t offered = 0;
  bool onlyT0 = true;  // TCK is sent unless T=0 is the only T indicated
  for (int i = 1; y != 0; ++i) {
    constexpr char kinds[] = {'A', 'B', 'C'};
    for (int bit = 0; bit < 3; ++bit) {
      if (!(y & (1 << bit))) continue;
      std::uint8_t value = 0;
      if (!cursor.next(value)) {
        lines.push_back(Truncated(Name(kinds[bit], i), cursor.position()));
        return lines;
      }
      check ^= value;
      lines.push_back(Name(kinds[bit], i) + " " + HexByte(value) + ": " +
                      Meaning(kinds[bit], i, protocol, value));
    }
    if (!(y & 0x08)) break;
    std::uint8_t td = 0;
    if (!cursor.next(td)) {
      lines.push_back(Truncated(Name('D', i), cursor.position()));
      return lines;
    }
    check ^= td;
    protocol = td & 0x0F;
    y = td >> 4;
    onlyT0 = onlyT0 && protocol == 0;
    const std::string what = protocol == kGlobalBytes ? std::string("global interface bytes follow")
                                                      : "T=" + std::to_string(protocol);
    if (protocol != kGlobalBytes) offered |= static_cast<std::uint16_t>(1U << protocol);
    lines.push_back(Name('D', i) + " " + HexByte(td) + ": " + what + ", " + Announced(y, i + 1));
  }
  lines.push_back("protocols: " + (offered ? Protocols(offered) : std::string("T=0 (default)")));

  const ByteView history = cursor.take(historical);
  for (std::uint8_t b : history) check ^= b;
  AppendHistoricalBytes(history, lines);
  if (history.size() < historical) {
    lines.push_back("truncated: " + std::to_string(historical) + " historical bytes announced, " +
                    std::to_string(history.size()) + " present");
    return lines;
  }
  if (!onlyT0) {
    std::uint8_t tck = 0;
    if (!cursor.next(tck)) {
      lines.push_back(Truncated("TCK", cursor.position()));
      return lines;
    }
    if ((check ^ tck) == 0) {
      lines.push_back("TCK " + HexByte(tck) + ": correct");
    } else {
      lines.push_back("TCK " + HexByte(tck) + ": wrong, " + HexByte(check) + " expected");
    }
  } else {
    lines.push_back("TCK: absent (only T=0 offered)");
  }
  if (!cursor.atEnd()) {
    const ByteView extra = cursor.take(cursor.remaining());
    lines.push_back("after the answer: " + ShortHex(extra));
  }
  return lines;
}

}  // namespace kdx
