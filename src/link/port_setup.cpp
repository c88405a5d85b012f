#include "link/port_setup.h"

#include <algorithm>

#include "link/frame.h"

namespace kdx {

namespace {

constexpr std::int64_t kUnitCheckWaitMs = 3000;
constexpr std::int32_t kScanAckDelayMs = 250;
constexpr std::int64_t kScanHeadWaitMs = 5000;
constexpr std::int64_t kScanRestWaitMs = 3000;

constexpr std::string_view kPortInvalid = "Comm Port Setup Invalid";
constexpr std::string_view kBaudInvalid = "Baud Rate Setup Invalid";
constexpr std::string_view kNoSuchPort =
    "Comm Port Selection Invalid, Please Select Right Comm. Port";
constexpr std::string_view kPortInUse =
    "Comm. Port is Used for Some Equipment, Please Select Other One";

// The unit check's command: card status at the current address.
std::optional<Bytes> StatusCommand(Session& session) {
  const auto address = ParseAddress(session.state.addressText);
  if (!address) return std::nullopt;
  return BuildCommand(*address, '1', '0');
}

// XOR of the head and every further byte but the last equals the last.
bool CheckByteMatches(const Bytes& head, const Bytes& rest) {
  if (rest.empty()) return false;
  std::uint8_t bcc = 0;
  for (auto b : head) bcc ^= b;
  for (std::size_t i = 0; i + 1 < rest.size(); ++i) bcc ^= rest[i];
  return bcc == rest.back();
}

bool IsReplyMarker(const Bytes& rest) { return !rest.empty() && (rest[0] == 'P' || rest[0] == 'N'); }

std::int64_t Deadline(Session& s, std::int64_t ms) { return s.clock.nowMs() + ms; }

}  // namespace

std::optional<int> ParsePortText(std::string_view text) {
  if (!text.starts_with("COM")) return std::nullopt;
  for (int port = 1; port <= kHighestPort; ++port) {
    if (text == PortText(port)) return port;
  }
  return std::nullopt;
}

std::optional<int> ParseBaudText(std::string_view text) {
  for (int rate : kScanRates) {
    if (text == BaudText(rate)) return rate;
  }
  return std::nullopt;
}

std::string BaudText(int rate) { return std::to_string(rate) + " bits/s"; }
std::string PortText(int port) { return "COM" + std::to_string(port); }

std::string IRUnitIfOk(Session& session, bool* portError) {
  SerialLine& line = session.line;
  Monitor& monitor = session.monitor;
  if (portError) *portError = false;
  auto error = [&](bool byPort) {
    if (portError) *portError = byPort;
    monitor.append(kCrLf);
    return std::string("ERROR");
  };

  monitor.prologue();
  line.discardInput();
  line.discardOutput();
  const auto command = StatusCommand(session);
  if (!command) return error(false);
  if (!line.write(*command)) return error(true);
  monitor.append("SD: " + HexBytes(*command) + " \r\n");

  // Waits up to the check's limit for `count` bytes and reads `take` of them
  // (0: every waiting byte); the error result when they do not come.
  auto receive = [&](std::size_t count, std::size_t take,
                     Bytes& out) -> std::optional<std::string> {
    switch (line.waitForBytes(count, Deadline(session, kUnitCheckWaitMs))) {
      case WaitResult::Failed:
        return error(true);
      case WaitResult::TimedOut:
        return error(false);
      case WaitResult::Ready:
        break;
    }
    if (!line.read(take, out) || out.size() < std::max<std::size_t>(take, 1)) return error(true);
    return std::nullopt;
  };

  Bytes ack;
  if (auto failed = receive(1, 1, ack)) return *failed;
  monitor.append("RD: " + HexByte(ack[0]) + kCrLf);
  if (ack[0] != kAck) return error(false);

  Bytes head;
  if (auto failed = receive(4, 4, head)) return *failed;
  monitor.append("RD: " + HexBytes(head) + " ");

  Bytes rest;
  const std::size_t expected = static_cast<std::size_t>(ReplyTextLength(head)) + 2;
  if (auto failed = receive(expected, 0, rest)) return *failed;
  monitor.append(HexBytes(rest) + " \r\n");

  if (!line.write(Bytes{kAck})) return error(true);
  monitor.append("SD: 06\r\n");

  if (!CheckByteMatches(head, rest)) return error(false);
  return IsReplyMarker(rest) ? "OK" : "";
}

bool CommTest(Session& session) {
  SerialLine& line = session.line;
  const auto command = StatusCommand(session);
  if (!command) return false;
  line.discardInput();
  if (!line.write(*command)) return false;
  DelayMs(session.clock, kScanAckDelayMs);
  Bytes ack;
  if (line.bytesWaiting() == 0 || !line.read(1, ack) || ack.empty() || ack[0] != kAck) return false;
  Bytes head;
  if (line.waitForBytes(4, Deadline(session, kScanHeadWaitMs)) != WaitResult::Ready) return false;
  if (!line.read(4, head) || head.size() != 4) return false;
  const std::size_t expected = static_cast<std::size_t>(ReplyTextLength(head)) + 2;
  if (line.waitForBytes(expected, Deadline(session, kScanRestWaitMs)) != WaitResult::Ready) return false;
  Bytes rest;
  if (!line.read(0, rest)) return false;
  if (!line.write(Bytes{kAck})) return false;
  return CheckByteMatches(head, rest) && IsReplyMarker(rest);
}

bool OpenComm(Session& session, int port, int baud, OpenError* error) {
  session.line.close();
  const OpenError result = session.line.open(port, baud);
  if (error) *error = result;
  return result == OpenError::None;
}

void ConfirmPortSetup(Session& session, PortSetupView& view) {
  session.state.linkOpen = false;
  const auto port = ParsePortText(view.portText());
  if (!port) {
    ShowCaution(session.messages, kPortInvalid);
    view.focusPort();
    return;
  }
  const auto baud = ParseBaudText(view.baudText());
  if (!baud) {
    ShowCaution(session.messages, kBaudInvalid);
    view.focusBaud();
    return;
  }
  if (!ParseAddress(session.state.addressText)) {
    ShowCaution(session.messages, kCheckData);
    return;
  }
  OpenError openError = OpenError::None;
  if (!OpenComm(session, *port, *baud, &openError)) {
    if (openError == OpenError::NoSuchPort) ShowCaution(session.messages, kNoSuchPort);
    if (openError == OpenError::InUse) ShowCaution(session.messages, kPortInUse);
    return;
  }
  bool portError = false;
  const std::string result = IRUnitIfOk(session, &portError);
  if (result != "ERROR") {
    session.state.linkOpen = true;
    view.accept();
    return;
  }
  // A port that failed under the check is reported like any other port
  // error (silently); a unit that did not answer properly gets the box.
  if (!portError) ShowCaution(session.messages, kUnitNotDetected);
  session.line.close();
}

bool ScanPorts(Session& session, PortSetupView& view) {
  // The scan closes and reopens the port, so a link opened earlier no longer
  // stands for a checked unit: the operator confirms the result with "OK".
  session.state.linkOpen = false;
  if (!ParseAddress(session.state.addressText)) {
    ShowCaution(session.messages, kCheckData);
    return false;
  }
  view.setScanStatus("Please wait for a while, it is scanning......");
  int foundPort = 0;
  int foundRate = 0;
  bool opened = false;
  for (int port = 1; port <= kHighestPort && foundPort == 0; ++port) {
    for (int rate : kScanRates) {
      opened = OpenComm(session, port, rate);
      if (!opened) continue;
      if (CommTest(session)) {
        foundPort = port;
        foundRate = rate;
        break;
      }
      opened = false;
      session.line.close();
    }
  }
  if (opened && foundPort != 0) {
    view.setScanStatus("Found KDX-846 AT COM" + std::to_string(foundPort) + " Baut Rate " +
                       std::to_string(foundRate));
    view.setPortText(PortText(foundPort));
    view.setBaudText(BaudText(foundRate));
    return true;
  }
  session.line.close();
  view.setScanStatus("No Found KDX-846");
  return false;
}

void CloseLink(Session& session) {
  session.line.close();
  session.state.linkOpen = false;
}

}  // namespace kdx
