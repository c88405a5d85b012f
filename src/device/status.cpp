#include "device/status.h"

#include <algorithm>

namespace kdx {

namespace {

// Status byte `index` (0 to 2) of a positive reply, or 0 (unknown) when the
// reply's text ends before it: the last two reply bytes are ETX and the check
// byte, never status.
std::uint8_t StatusByte(const Reply& reply, std::size_t index) {
  const std::size_t pos = 3 + index;
  if (reply.bytes.size() < 2 || pos >= reply.bytes.size() - 2) return 0;
  return reply.bytes[pos];
}

}  // namespace

std::string_view CardPositionText(std::uint8_t st0) {
  switch (st0) {
    case '0':
      return "No card in card channel";
    case '1':
      return "There is card at front side";
    case '2':
      return "There is card at RF/IC card operation position";
    default:
      return "";
  }
}

std::string_view StackerText(std::uint8_t st1) {
  switch (st1) {
    case '0':
      return "No card in stacker";
    case '1':
      return "Lack of card in stacker";
    case '2':
      return "Enough cards in stacker";
    default:
      return "";
  }
}

std::string_view ErrorBinText(std::uint8_t st2) {
  switch (st2) {
    case '0':
      return "The error card bin is not full";
    case '1':
      return "The error card bin is full";
    default:
      return "";
  }
}

std::string CardStatusMessage(std::uint8_t st0, std::uint8_t st1, std::uint8_t st2) {
  std::string text = "Card Status Success";
  for (auto sentence : {CardPositionText(st0), StackerText(st1), ErrorBinText(st2)}) {
    text += kCrLf;
    text += sentence;
  }
  return text;
}

void ShowCardStatus(DeviceContext& context, const DeviceOperation& row, const Reply& reply) {
  context.session.messages.show(
      row.boxTitle,
      CardStatusMessage(StatusByte(reply, 0), StatusByte(reply, 1), StatusByte(reply, 2)),
      Icon::Information);
}

SensorState SensorStateOf(std::uint8_t value) {
  if (value == '0') return SensorState::Off;
  if (value == '1') return SensorState::On;
  return SensorState::Unknown;
}

std::string_view SensorStateText(SensorState state) {
  switch (state) {
    case SensorState::On:
      return "On";
    case SensorState::Off:
      return "Off";
    case SensorState::Unknown:
      break;
  }
  return "";
}

void ShowSensorStates(DeviceContext& context, const DeviceOperation&, const Reply& reply) {
  auto& sensors = context.records.sensors;
  const ByteView data = reply.data();
  const std::size_t carried = std::min(data.size(), sensors.size());
  sensors.fill(0);
  std::copy_n(data.begin(), carried, sensors.begin());
  context.view.showSensors(sensors);
}

}  // namespace kdx
