#include "device/command_glossary.h"

#include <algorithm>
#include <array>

#include "device/card_type.h"
#include "device/status.h"

namespace kdx {

namespace {

struct CommandName {
  std::uint8_t command;
  std::uint8_t parameter;
  std::string_view name;
};

// Every command and parameter code the tool sends, by area.
constexpr std::array kNames{
    CommandName{'0', '0', "Initialize, card to the front"},
    CommandName{'0', '1', "Initialize, card to the error card bin"},
    CommandName{'0', '3', "Initialize, card retained"},
    CommandName{'0', '4', "Initialize, card to the front, counting"},
    CommandName{'0', '5', "Initialize, card to the error card bin, counting"},
    CommandName{'0', '7', "Initialize, card retained, counting"},
    CommandName{'1', '0', "Card status"},
    CommandName{'1', '1', "Sensor status"},
    CommandName{'2', '9', "Move card to the front"},
    CommandName{'2', '0', "Move card to the front, hold"},
    CommandName{'2', '1', "Move card to the IC position"},
    CommandName{'2', '2', "Move card to the RF position"},
    CommandName{'2', '3', "Move card to the error card bin"},
    CommandName{'3', '0', "Card entry allowed"},
    CommandName{'3', '1', "Card entry prohibited"},
    CommandName{'P', '0', "IC card type"},
    CommandName{'P', '1', "RF card type"},
    CommandName{'S', '0', "Memory card activate"},
    CommandName{'S', '1', "Memory card deactivate"},
    CommandName{'S', '2', "Memory card status"},
    CommandName{'S', '3', "SLE4442 card command"},
    CommandName{'S', '4', "SLE4428 card command"},
    CommandName{'T', '0', "24Cxx activate"},
    CommandName{'T', '2', "24Cxx status"},
    CommandName{'T', '3', "24Cxx card command"},
    CommandName{'Q', '0', "CPU card cold reset"},
    CommandName{'Q', '8', "CPU card warm reset"},
    CommandName{'Q', '9', "CPU card APDU"},
    CommandName{'Q', '2', "CPU card status"},
    CommandName{'Q', '1', "CPU card deactivate"},
    CommandName{'R', '@', "SAM select"},
    CommandName{'R', '0', "SAM cold reset"},
    CommandName{'R', '8', "SAM warm reset"},
    CommandName{'R', '9', "SAM APDU"},
    CommandName{'R', '2', "SAM status"},
    CommandName{'R', '1', "SAM deactivate"},
    CommandName{0x60, '0', "RF activate"},
    CommandName{0x60, '1', "RF deactivate"},
    CommandName{0x60, '2', "RF status"},
    CommandName{0x60, '3', "Mifare instruction"},
    CommandName{0x60, '4', "Type A APDU"},
    CommandName{0x60, '5', "Type B APDU"},
    CommandName{0xA2, '0', "Read serial number"},
    CommandName{0xA3, '0', "Read configuration"},
    CommandName{0xA5, '0', "Read capture card counter"},
    CommandName{0xA5, '1', "Set capture card counter"},
};

// A sentence, or what the byte was when the device defines no sentence for it.
std::string Sentence(std::string_view sentence, std::string_view what, std::uint8_t value) {
  if (!sentence.empty()) return std::string(sentence);
  const std::uint8_t byte[] = {value};
  return "unknown " + std::string(what) + " " + EscapedText(byte);
}

// The three status bytes of card status as the device's sentences.
std::string CardStatusWords(const Reply& reply) {
  // The last two bytes are ETX and the check byte, never status.
  if (reply.bytes.size() < 8) return "status bytes missing";
  const std::uint8_t st0 = reply.bytes[3], st1 = reply.bytes[4], st2 = reply.bytes[5];
  return Sentence(CardPositionText(st0), "card position", st0) + "; " +
         Sentence(StackerText(st1), "stacker state", st1) + "; " +
         Sentence(ErrorBinText(st2), "error card bin state", st2);
}

// "On: PSS1, KS2" from the sensor reply's first twelve data bytes; the
// sensors whose byte is neither "0" nor "1", or missing, are named apart.
std::string SensorWords(const Reply& reply) {
  const ByteView data = reply.data();
  std::string on;
  std::string unknown;
  for (std::size_t i = 0; i < kSensorLines.size(); ++i) {
    // "Sensor 1 (PSS1)" gives "PSS1".
    std::string_view caption = kSensorLines[i].caption;
    caption = caption.substr(caption.find('(') + 1);
    caption.remove_suffix(1);
    const SensorState state = i < data.size() ? SensorStateOf(data[i]) : SensorState::Unknown;
    std::string& list = state == SensorState::On ? on : unknown;
    if (state == SensorState::Off) continue;
    if (!list.empty()) list += ", ";
    list += caption;
  }
  std::string text = on.empty() ? "All sensors off" : "On: " + on;
  if (!unknown.empty()) text += "; unknown: " + unknown;
  return text;
}

}  // namespace

std::string DeviceGlossary::name(std::uint8_t command, std::uint8_t parameter) const {
  const auto* found = std::find_if(kNames.begin(), kNames.end(), [&](const CommandName& n) {
    return n.command == command && n.parameter == parameter;
  });
  return found == kNames.end() ? std::string() : std::string(found->name);
}

std::string DeviceGlossary::status(ByteView bytes) const {
  if (bytes.size() < 3 || bytes[0] != 'P') return {};
  const Reply reply{Bytes(bytes.begin(), bytes.end())};
  if (bytes[1] == kStatusCommand && bytes[2] == kCardStatusParameter) return CardStatusWords(reply);
  if (bytes[1] == kStatusCommand && bytes[2] == kSensorStatusParameter) return SensorWords(reply);
  if (bytes[1] == kCardTypeCommand && bytes[2] == kIcCardTypeParameter)
    return std::string(IcCardType(CardTypeCode(reply)).text);
  if (bytes[1] == kCardTypeCommand && bytes[2] == kRfCardTypeParameter)
    return std::string(RfCardType(CardTypeCode(reply)).text);
  return {};
}

}  // namespace kdx
