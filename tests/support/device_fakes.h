#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "device/counter.h"
#include "device/device_operations.h"
#include "device/identity.h"
#include "device/initialize.h"
#include "device/status.h"
#include "link_harness.h"

namespace kdx::test {

// The device-management dialogs and the counter field, recorded instead of
// shown.
struct FakeDeviceView final : DeviceView {
  std::uint8_t choice = '0';
  int optionDialogs = 0;
  std::vector<SensorStates> sensors;
  std::vector<std::string> serialNumbers;
  std::vector<ConfigurationTexts> configurations;
  std::string counter = "000";
  std::vector<std::string> counterWrites;
  std::vector<std::vector<TabStop>> tabs;

  std::uint8_t chooseInitializeOption() override {
    ++optionDialogs;
    return choice;
  }
  void showSensors(const SensorStates& states) override { sensors.push_back(states); }
  void showSerialNumber(std::string_view text) override { serialNumbers.emplace_back(text); }
  void showConfiguration(const ConfigurationTexts& values) override {
    configurations.push_back(values);
  }
  std::string counterText() const override { return counter; }
  void setCounterText(std::string_view text) override {
    counter = text;
    counterWrites.push_back(counter);
  }
  void bringTabsToFront(std::span<const TabStop> stops) override {
    tabs.emplace_back(stops.begin(), stops.end());
  }
  int dialogsShown() const {
    return static_cast<int>(sensors.size() + serialNumbers.size() + configurations.size());
  }
};

// A scripted line with the device-management records and a fake view: runs
// the device operations by their button names.
struct DeviceHarness : LinkHarness {
  DeviceRecords records;
  FakeDeviceView view;
  DeviceContext context{session, records, view};

  CommandOutcome press(std::string_view control) {
    const DeviceOperation* row = FindDeviceOperation(control);
    if (!row) throw std::invalid_argument("no device operation " + std::string(control));
    return RunDeviceOperation(context, *row);
  }
};

// The device acknowledges every command frame after 10 ms and answers it with
// a reply frame carrying `text` after 20 ms.
inline void AnswerEveryCommand(LinkHarness& h, std::string_view text, std::uint8_t address = 0) {
  const Bytes frame = ReplyFrame(text, address);
  h.line.onWrite = [&h, frame](int, const Bytes& bytes) {
    if (bytes.empty() || bytes[0] != kStx) return;  // the host's ACK
    h.line.deliverIn(10, {kAck});
    h.line.deliverIn(20, frame);
  };
}

// Bytes from hex pairs separated by blanks.
inline Bytes Hex(std::string_view pairs) {
  Bytes out;
  ParseHexBytes(pairs, out);
  return out;
}

// The monitor text of one complete exchange followed by the operation's CR LF.
inline std::string ExchangeText(const Bytes& command, const Bytes& replyFrame) {
  return CommandMonitorLine(command) + "RD: 06\r\nRD: " + HexBytes(replyFrame) +
         " \r\nSD: 06\r\n\r\n";
}

// The command frames the line carried, without the host's ACKs and EOTs.
inline std::vector<Bytes> SentCommands(const LinkHarness& h) {
  std::vector<Bytes> frames;
  for (const auto& w : h.line.writes()) {
    if (!w.bytes.empty() && w.bytes[0] == kStx) frames.push_back(w.bytes);
  }
  return frames;
}

}  // namespace kdx::test
