#include "link/port_setup.h"

#include <algorithm>

#include "link/frame.h"
#include "link/receive.h"

namespace kdx {

namespace {

// The unit check behind "OK" waits up to 3 s for each part of the reply.
constexpr ReceiveLimits kUnitCheckLimits{3000, 3000, 3000, true};
// The scan's probe sleeps 250 ms, then takes the ACK only if it is there.
constexpr std::int32_t kScanAckDelayMs = 250;
constexpr ReceiveLimits kScanLimits{0, 5000, 3000, true};

constexpr std::string_view kPortInvalid = "Comm Port Setup Invalid";
constexpr std::string_view kBaudInvalid = "Baud Rate Setup Invalid";
constexpr std::string_view kNoSuchPort =
    "Comm Port Selection Invalid, Please Select Right Comm. Port";
constexpr std::string_view kPortInUse =
    "Comm. Port is Used for Some Equipment, Please Select Other One";

// ": reason", or nothing when the system gave none.
std::string Because(std::string_view reason) {
  return reason.empty() ? std::string() : ": " + std::string(reason);
}

// What "OK" shows when the port did not open. The two known conditions keep
// their own texts, with the device and the system's reason on a second line;
// anything else names them in a sentence of its own.
std::string OpenFailureText(int port, const OpenResult& opened) {
  const std::string label = PortLabel(port, opened.path);
  switch (opened.error) {
    case OpenError::NoSuchPort:
    case OpenError::InUse: {
      std::string text(opened.error == OpenError::NoSuchPort ? kNoSuchPort : kPortInUse);
      if (!opened.path.empty() || !opened.reason.empty())
        text += "\r\n" + label + Because(opened.reason);
      return text;
    }
    case OpenError::None:
    case OpenError::Other:
      break;
  }
  return "Communication port " + label + " could not be opened" + Because(opened.reason) + ".";
}

// What "OK" shows when the port itself failed during the unit check (the
// unit is not to blame, so "Unit not detected" would mislead).
std::string UnitCheckFaultText(int port, const OpenResult& opened,
                               const std::optional<PortFault>& fault) {
  const PortFault f = fault.value_or(PortFault{false, port, opened.path, {}});
  const std::string label = PortLabel(port, f.path);
  if (f.gone) {
    return "Communication port " + label + " was lost during the unit check" + Because(f.reason) +
           ".\r\nCheck the cable and press OK again.";
  }
  return "Communication port " + label + " failed during the unit check" + Because(f.reason) + ".";
}

// The unit check's command: card status at the current address.
std::optional<Bytes> StatusCommand(Session& session) {
  const auto address = ParseAddress(session.state.addressText);
  if (!address) return std::nullopt;
  return BuildCommand(*address, '1', '0');
}

bool IsReplyMarker(const Bytes& rest) {
  return !rest.empty() && (rest[0] == 'P' || rest[0] == 'N');
}

// The unit check's monitor lines: the ACK line, then head and rest on one
// line without breaks.
class UnitCheckLog final : public ReceiveLog {
 public:
  explicit UnitCheckLog(Monitor& monitor) : monitor_(monitor) {}
  void ack(std::uint8_t byte) override { monitor_.append("RD: " + HexByte(byte) + kCrLf); }
  void head(ByteView head) override { monitor_.append("RD: " + HexBytes(head) + " "); }
  void rest(ByteView rest) override { monitor_.append(HexBytes(rest) + " \r\n"); }

 private:
  Monitor& monitor_;
};

// How a receive that requires the ACK ended short of a reply.
TrafficEnd UnfinishedEnd(const Received& received) {
  if (received.portError) return TrafficEnd::PortError;
  switch (received.stoppedAt) {
    case ReceiveStage::Ack:
      return received.ack ? TrafficEnd::NotAck : TrafficEnd::NoAck;
    case ReceiveStage::Head:
      return TrafficEnd::NoHead;
    case ReceiveStage::Rest:
    case ReceiveStage::Done:
      break;
  }
  return TrafficEnd::Incomplete;
}

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

std::string BaudText(int rate) {
  return std::to_string(rate) + " bits/s";
}
std::string PortText(int port) {
  return "COM" + std::to_string(port);
}

std::string IRUnitIfOk(Session& session, bool* portError) {
  SerialLine& line = session.line;
  Monitor& monitor = session.monitor;
  UnitCheckLog log(monitor);
  TrafficNotes notes(session.traffic, &log);
  if (portError) *portError = false;
  auto error = [&](bool byPort, TrafficEnd end) {
    notes.end(end);
    if (portError) *portError = byPort;
    monitor.append(kCrLf);
    return std::string("ERROR");
  };

  monitor.prologue();
  line.discardInput();
  line.discardOutput();
  const auto command = StatusCommand(session);
  if (!command) return error(false, TrafficEnd::PortError);
  notes.sent(TrafficSource::UnitCheck, *command);
  if (!line.write(*command)) return error(true, TrafficEnd::PortError);
  monitor.append("SD: " + HexBytes(*command) + " \r\n");

  const Received received = ReceiveReply(line, session.clock, kUnitCheckLimits, &notes);
  if (!received.complete()) return error(received.portError, UnfinishedEnd(received));

  if (!line.write(Bytes{kAck})) return error(true, TrafficEnd::PortError);
  notes.control(kAck);
  monitor.append("SD: 06\r\n");

  if (!CheckByteMatches(received.head, received.rest))
    return error(false, TrafficEnd::BadCheckByte);
  notes.end(TrafficEnd::Reply);
  return IsReplyMarker(received.rest) ? "OK" : "";
}

bool CommTest(Session& session, std::string_view where) {
  SerialLine& line = session.line;
  const auto command = StatusCommand(session);
  if (!command) return false;
  TrafficNotes notes(session.traffic);
  line.discardInput();
  notes.sent(TrafficSource::ScanProbe, *command, where);
  if (!line.write(*command)) return false;
  // The ACK must already be there after this wait: the probe looks once.
  DelayMs(session.clock, kScanAckDelayMs);
  const Received received = ReceiveReply(line, session.clock, kScanLimits, &notes);
  if (!received.complete()) {
    notes.end(UnfinishedEnd(received));
    return false;
  }
  if (!line.write(Bytes{kAck})) return false;
  notes.control(kAck);
  const bool matches = CheckByteMatches(received.head, received.rest);
  notes.end(matches ? TrafficEnd::Reply : TrafficEnd::BadCheckByte);
  return matches && IsReplyMarker(received.rest);
}

bool OpenComm(Session& session, int port, int baud, OpenResult* result) {
  session.line.close();
  OpenResult opened = session.line.open(port, baud);
  const bool ok = opened.ok();
  if (result) *result = std::move(opened);
  return ok;
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
  OpenResult opened;
  if (!OpenComm(session, *port, *baud, &opened)) {
    ShowCaution(session.messages, OpenFailureText(*port, opened));
    return;
  }
  bool portError = false;
  const std::string result = IRUnitIfOk(session, &portError);
  if (result != "ERROR") {
    session.state.linkOpen = true;
    session.state.port = *port;
    session.state.baud = *baud;
    view.accept();
    return;
  }
  // A unit that did not answer properly gets the box; a port that failed
  // under the check is named with the system's reason.
  ShowCaution(session.messages, portError ? UnitCheckFaultText(*port, opened, session.line.fault())
                                          : std::string(kUnitNotDetected));
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
      if (CommTest(session, PortText(port) + " " + BaudText(rate))) {
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

std::string PortLabel(int port, std::string_view path) {
  if (port <= 0) return std::string(path);
  std::string label = PortText(port);
  if (!path.empty()) label += " (" + std::string(path) + ")";
  return label;
}

std::string LostPortText(const PortFault& fault, std::string_view advice) {
  return "Communication port " + PortLabel(fault.port, fault.path) + " was lost" +
         Because(fault.reason) + ".\r\n" + std::string(advice);
}

bool DropLostLink(Session& session, std::string_view advice) {
  const std::optional<PortFault> fault = session.line.fault();
  if (!fault || !fault->gone) return false;
  CloseLink(session);
  ShowCaution(session.messages, LostPortText(*fault, advice));
  return true;
}

}  // namespace kdx
