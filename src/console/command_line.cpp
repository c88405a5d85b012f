#include "console/command_line.h"

#include <limits>

#include "link/conversions.h"
#include "link/frame.h"

namespace kdx {

namespace {

int Digit(char c) {
  return CharDigitValue(std::string_view(&c, 1));
}

}  // namespace

ParsedLine ParseCommandLine(std::string_view line) {
  ParsedLine out;
  const std::string_view text = TrimBlanks(line);
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (c == '$' || c == ' ') {
      const std::size_t left = text.size() - i - 1;
      if (left == 0) {
        out.fault = LineFault::Dangling;
        break;
      }
      int value = Digit(text[i + 1]);
      if (left >= 2) value = value * 16 + Digit(text[i + 2]);
      if (value > 0xFF) {
        out.fault = LineFault::ByteTooLarge;
        break;
      }
      out.text.push_back(static_cast<std::uint8_t>(value));
      i += left >= 2 ? 3 : 2;
    } else {
      out.text.push_back(static_cast<std::uint8_t>(c));
      ++i;
    }
    if (out.text.size() > kMaxConsoleText) {
      out.fault = LineFault::TooLong;
      break;
    }
  }
  if (!out.ok()) out.text.clear();
  return out;
}

Bytes BuildConsoleFrame(std::uint8_t address, ByteView text) {
  Bytes frame;
  frame.reserve(text.size() + 6);
  frame.push_back(kStx);
  frame.push_back(address);
  frame.push_back(static_cast<std::uint8_t>(text.size() >> 8));
  frame.push_back(static_cast<std::uint8_t>(text.size() & 0xFF));
  frame.insert(frame.end(), text.begin(), text.end());
  frame.push_back(kEtx);
  frame.push_back(0);
  frame.back() = ComputeBccRange(frame, static_cast<int>(frame.size()) - 2);
  return frame;
}

std::optional<std::int32_t> ParseRepeatCount(std::string_view text) {
  text = TrimBlanks(text);
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  const auto point = text.find('.');
  const std::string_view whole = text.substr(0, point);
  const std::string_view fraction =
      point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
  if (whole.empty() && fraction.empty()) return std::nullopt;
  for (char c : fraction) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  std::int64_t value = 0;
  for (char c : whole) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  }
  return static_cast<std::int32_t>(negative ? -value : value);
}

}  // namespace kdx
