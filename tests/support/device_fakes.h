#pragma once

#include <string>
#include <vector>

#include "device/counter.h"
#include "device/identity.h"
#include "device/initialize.h"
#include "device/status.h"
#include "link_harness.h"

namespace kdx::test {

// The device-management dialogs, recorded instead of shown.
struct FakeDeviceViews final : InitializeView, SensorView, SerialNumberView, ConfigurationView {
  std::uint8_t choice = '0';
  int optionDialogs = 0;
  std::vector<SensorStates> sensors;
  std::vector<std::string> serialNumbers;
  std::vector<ConfigurationTexts> configurations;

  std::uint8_t chooseInitializeOption() override {
    ++optionDialogs;
    return choice;
  }
  void showSensors(const SensorStates& states) override { sensors.push_back(states); }
  void showSerialNumber(std::string_view text) override { serialNumbers.emplace_back(text); }
  void showConfiguration(const ConfigurationTexts& values) override {
    configurations.push_back(values);
  }
  int dialogsShown() const {
    return static_cast<int>(sensors.size() + serialNumbers.size() + configurations.size());
  }
};

// The counter entry field, remembering every text it was given.
struct FakeCounterField final : CounterField {
  std::string value = "000";
  std::vector<std::string> written;

  std::string text() const override { return value; }
  void setText(std::string_view text) override {
    value = text;
    written.push_back(value);
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
