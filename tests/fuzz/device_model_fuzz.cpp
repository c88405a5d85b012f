// The simulated device on arbitrary host bytes: DeviceModel::receive with
// its fault modes, latencies and control lines.
//
// Input: the fault mode (one byte, taken modulo the number of modes), the
// latency in ms (one byte), then pieces, each: the gap before it in units of
// 32 ms (one byte), a kind byte and its content:
//   kind 0  raw bytes: a count byte, the bytes
//   kind 1  a well-formed command frame to the device: command code,
//           parameter code, a data count byte, the data
//   kind 2  a control line (as kdx846-sim reads them): a length byte, the text
//   other   the host's ACK
// After each piece the output due by then is taken and checked.
#include "fuzz_input.h"
#include "link/frame.h"
#include "model/control.h"
#include "model/device_model.h"

using namespace kdx::fuzz;
using kdx::Bytes;
using kdx::sim::DeviceModel;
using kdx::sim::Fault;
using kdx::sim::FrameParser;
using kdx::sim::HostInput;

namespace {

constexpr Fault kFaults[] = {Fault::Off,    Fault::Nak,      Fault::NoAck,
                             Fault::Silent, Fault::LateHead, Fault::Truncated,
                             Fault::BadBcc, Fault::Oversize, Fault::Garbage};

// Output of a device that keeps to the protocol: ACK, NAK and whole reply
// frames to its own address, each text "P" or "N", command and parameter.
void CheckOutput(const Bytes& out, std::uint8_t address) {
  std::size_t i = 0;
  while (i < out.size()) {
    if (out[i] == kdx::kAck || out[i] == kdx::kNak) {
      ++i;
      continue;
    }
    KDX_FUZZ_CHECK(out[i] == kdx::kStx && i + 4 <= out.size());
    const std::size_t length = out[i + 2] * 256u + out[i + 3];
    const std::size_t end = i + length + 6;
    KDX_FUZZ_CHECK(length >= 3 && end <= out.size() && out[i + 1] == address);
    KDX_FUZZ_CHECK(out[i + 4] == 'P' || out[i + 4] == 'N');
    KDX_FUZZ_CHECK(out[end - 2] == kdx::kEtx);
    std::uint8_t bcc = 0;
    for (std::size_t k = i; k + 1 < end; ++k) bcc ^= out[k];
    KDX_FUZZ_CHECK(bcc == out[end - 1]);
    i = end;
  }
}

// The last input of a feed that decides what the device says next: a frame
// to its address (answered) or an EOT (silences it).
const HostInput* Decisive(const std::vector<HostInput>& inputs, std::uint8_t address) {
  const HostInput* last = nullptr;
  for (const auto& in : inputs) {
    if (in.kind == HostInput::Kind::Control && in.control == kdx::kEot) last = &in;
    if (in.kind != HostInput::Kind::Control && in.address == address) last = &in;
  }
  return last;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  InputReader in(data, size);
  DeviceModel model;
  model.setGarbageSeed(1);
  const Fault fault = kFaults[in.byte() % std::size(kFaults)];
  model.setFault(fault);
  model.setLatencyMs(in.byte());
  // A second reading of the same bytes, to know what the device heard.
  FrameParser shadow;
  bool controlled = false;
  std::int64_t now = 0;

  while (!in.empty()) {
    now += in.byte() * 32;
    Bytes bytes;
    switch (in.byte()) {
      case 0:
        bytes = in.bytes(in.byte());
        break;
      case 1: {
        const std::uint8_t code = in.byte();
        const std::uint8_t parameter = in.byte();
        bytes = kdx::BuildCommand(model.address(), code, parameter, in.bytes(in.byte()));
        break;
      }
      case 2:
        kdx::sim::ApplyControl(model, in.text(40));
        controlled = true;
        break;
      default:
        bytes = {kdx::kAck};
        break;
    }
    model.receive(bytes, now);
    const auto heard = shadow.feed(bytes, now);
    const bool keepsProtocol =
        !controlled && (fault == Fault::Off || fault == Fault::Nak || fault == Fault::NoAck ||
                        fault == Fault::LateHead || fault == Fault::Oversize);
    // A behaving device answers the last frame it heard: ACK and a reply
    // echoing its command and parameter, or NAK for a broken frame.
    const HostInput* decisive = Decisive(heard, model.address());
    const bool answers = !controlled && fault == Fault::Off && decisive &&
                         decisive->kind != HostInput::Kind::Control;
    if (answers) now += 2 * model.latencyMs();
    const Bytes out = model.takeOutput(now);
    if (keepsProtocol) CheckOutput(out, model.address());
    if (answers && decisive->kind == HostInput::Kind::Broken) {
      KDX_FUZZ_CHECK(out == Bytes{kdx::kNak});
    } else if (answers) {
      const Bytes& raw = decisive->raw;
      KDX_FUZZ_CHECK(out.size() >= 10 && out[0] == kdx::kAck);
      KDX_FUZZ_CHECK(out[6] == raw[5] && out[7] == raw[6]);
    }

    const auto& s = model.state();
    KDX_FUZZ_CHECK(s.channelCard.has_value() == s.cardInChannel());
    KDX_FUZZ_CHECK(s.captureCounter >= 0 && s.captureCounter <= 999);
    if (!controlled) {
      KDX_FUZZ_CHECK(s.stackerCount >= 0 && s.binCount >= 0 && s.binCount <= s.binCapacity);
    }
    KDX_FUZZ_CHECK(model.exchangesCompleted() <= model.commandsRun());
  }
  return 0;
}
