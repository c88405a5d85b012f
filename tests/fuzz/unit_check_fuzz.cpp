// The unit checks of the port dialog against whatever the device sends:
// IRUnitIfOk (behind "OK") and CommTest (the scan's probe), each over a
// scripted line on virtual time.
//
// Input: flags, a byte for the port failure, the address text (a length
// byte and up to four characters), then the device's deliveries (see
// fuzz_input.h), timed from the moment the status command is written.
//   flags bit 0  the port fails after as many reads as the next byte says
//                (0: at once)
//   flags bit 1  "Record Data" is checked
//   flags bit 2  the address text comes from the input, not "0"
#include <optional>

#include "fuzz_input.h"
#include "link/port_setup.h"
#include "link_harness.h"

using namespace kdx;
using namespace kdx::fuzz;

namespace {

struct Setup {
  std::uint8_t flags;
  std::uint8_t failAfter;
  std::string address;
  std::vector<Delivery> deliveries;
};

// A session whose device answers the first write with the deliveries.
void Prepare(test::LinkHarness& h, const Setup& s) {
  h.state.linkOpen = false;
  if (s.flags & 4) h.state.addressText = s.address;
  h.monitor.setRecord((s.flags & 2) != 0);
  h.line.open(1, 9600);
  h.line.onWrite = [&h, &s](int index, const Bytes&) {
    if (index != 0) return;
    std::int64_t at = 0;
    for (const auto& d : s.deliveries) h.line.deliverIn(at += d.delayMs, d.bytes);
  };
  if (s.flags & 1) {
    if (s.failAfter == 0)
      h.line.breakLine();
    else
      h.line.breakAfterReads(s.failAfter);
  }
}

// The host's ACK, when it sent one, and when.
std::optional<std::int64_t> AckedAt(const test::LinkHarness& h) {
  const auto& w = h.line.writes();
  if (w.size() == 2 && w[1].bytes == Bytes{kAck}) return w[1].atMs;
  return std::nullopt;
}

// What the host had read when it acknowledged: every delivery due by then
// (nothing is read later, and the input was discarded before the command).
Bytes ReceivedBy(const Setup& s, std::int64_t t) {
  Bytes got;
  std::int64_t at = 0;
  for (const auto& d : s.deliveries) {
    at += d.delayMs;
    if (at <= t) got.insert(got.end(), d.bytes.begin(), d.bytes.end());
  }
  return got;
}

// The verdict on those bytes, worked out from the frame layout alone: ACK,
// the head, then the rest as long as the head's length field says (bytes
// after it are not part of the reply), whose last byte must be the XOR of
// every byte from the head on; a reply text that starts with "P" or "N" is a
// unit.
std::string Verdict(const Bytes& got) {
  if (got.size() < 7 || got[0] != kAck) return "?";
  const std::size_t end = 5 + std::size_t{got[3]} * 256 + got[4] + 2;
  if (got.size() < end) return "?";
  std::uint8_t bcc = 0;
  for (std::size_t i = 1; i + 1 < end; ++i) bcc ^= got[i];
  if (bcc != got[end - 1]) return "ERROR";
  return got[5] == 'P' || got[5] == 'N' ? "OK" : "";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  InputReader in(data, size);
  Setup s;
  s.flags = in.byte();
  s.failAfter = in.byte();
  s.address = in.text(4);
  s.deliveries = ReadDeliveries(in);

  {
    test::LinkHarness h;
    Prepare(h, s);
    h.monitor.append("earlier\r\n");
    bool portError = true;
    const std::string result = IRUnitIfOk(h.session, &portError);
    KDX_FUZZ_CHECK(result == "OK" || result.empty() || result == "ERROR");
    // Three waits of 3 s at most; the check shows no box itself.
    KDX_FUZZ_CHECK(h.clock.nowMs() <= 9000);
    KDX_FUZZ_CHECK(h.messages.boxes.empty());
    KDX_FUZZ_CHECK(!h.state.linkOpen);
    if (portError) KDX_FUZZ_CHECK(result == "ERROR" && (s.flags & 1));
    const auto acked = AckedAt(h);
    if (result != "ERROR") KDX_FUZZ_CHECK(acked.has_value());
    if (acked) KDX_FUZZ_CHECK(result == Verdict(ReceivedBy(s, *acked)));
    if (result == "ERROR") KDX_FUZZ_CHECK(h.monitor.text().ends_with("\r\n"));
    // The monitor keeps the earlier text only when "Record Data" is checked.
    KDX_FUZZ_CHECK(h.monitor.text().starts_with("earlier") == ((s.flags & 2) != 0));
  }
  {
    test::LinkHarness h;
    Prepare(h, s);
    const bool found = CommTest(h.session);
    // The probe sleeps 250 ms, then waits 5 s for the head and 3 s for the rest.
    KDX_FUZZ_CHECK(h.clock.nowMs() <= 250 + 5000 + 3000);
    KDX_FUZZ_CHECK(h.monitor.text().empty() && h.messages.boxes.empty());
    const auto acked = AckedAt(h);
    if (found) KDX_FUZZ_CHECK(acked.has_value());
    if (acked) KDX_FUZZ_CHECK(found == (Verdict(ReceivedBy(s, *acked)) == "OK"));
  }
  return 0;
}
