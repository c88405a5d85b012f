#include "model/device_model.h"

#include <string>

#include "link/bytes.h"
#include "model/reply_frame.h"

namespace kdx::sim {

DeviceModel::DeviceModel() {
  AddStandardCommands(commands_);
}

void DeviceModel::trace(std::string_view what, const Bytes& raw) {
  if (!onTrace) return;
  std::string line(what);
  line += ' ';
  line += HexBytes(raw);
  onTrace(line);
}

void DeviceModel::receive(ByteView bytes, std::int64_t nowMs) {
  for (HostInput& in : parser_.feed(bytes, nowMs)) {
    switch (in.kind) {
      case HostInput::Kind::Control:
        if (in.control == kAck) {
          trace("host ACK", in.raw);
          // Only an ACK after the whole reply went out completes the exchange.
          if (awaitingAck_ && output_.empty()) {
            awaitingAck_ = false;
            ++completed_;
          }
        } else {
          trace("host EOT", in.raw);
          if (awaitingAck_ || !output_.empty()) ++abandoned_;
          awaitingAck_ = false;
          output_.clear();
        }
        break;
      case HostInput::Kind::Broken:
        if (in.address != address_) {
          trace("frame for another address, ignored:", in.raw);
          break;
        }
        trace("frame refused (" + in.why + "):", in.raw);
        output_.clear();
        awaitingAck_ = false;
        if (fault_ != Fault::Silent) schedule(nowMs + latencyMs_, Bytes{kNak});
        break;
      case HostInput::Kind::Command:
        if (in.address != address_) {
          trace("frame for another address, ignored:", in.raw);
          break;
        }
        trace("frame", in.raw);
        handleCommand(in, nowMs);
        break;
    }
  }
}

void DeviceModel::handleCommand(const HostInput& in, std::int64_t nowMs) {
  output_.clear();
  awaitingAck_ = false;
  if (fault_ == Fault::Silent) return;
  if (fault_ == Fault::Nak) {
    schedule(nowMs + latencyMs_, Bytes{kNak});
    return;
  }

  const Response response = commands_.dispatch(state_, in.command);
  ++commandsRun_;
  const Bytes text = ReplyText(in.command, response, state_.statusBytes());
  Bytes reply = ReplyFrame(address_, text);
  const std::int64_t ackAt = nowMs + latencyMs_;
  std::int64_t replyAt = nowMs + 2 * latencyMs_;

  switch (fault_) {
    case Fault::NoAck:
      schedule(nowMs + kNoAckReplyMs, std::move(reply));
      awaitingAck_ = true;
      return;
    case Fault::LateHead:
      replyAt = nowMs + kLateHeadReplyMs;
      break;
    case Fault::Truncated:
      reply.resize(reply.size() - kTruncatedShortBy);
      break;
    case Fault::BadBcc:
      reply.back() ^= 0xFF;
      break;
    case Fault::Oversize: {
      Bytes longText = text;
      longText.resize(kOversizeTextLength, '0');
      reply = ReplyFrame(address_, longText);
      break;
    }
    case Fault::Garbage:
      reply = garbage();
      break;
    default:
      break;
  }
  schedule(ackAt, Bytes{kAck});
  schedule(replyAt, std::move(reply));
  awaitingAck_ = true;
}

Bytes DeviceModel::garbage() {
  Bytes bytes(kGarbageLength);
  std::uniform_int_distribution<int> byte(0, 255);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(byte(random_));
  return bytes;
}

std::optional<std::int64_t> DeviceModel::nextOutputAt() const {
  if (output_.empty()) return std::nullopt;
  return output_.begin()->first;
}

Bytes DeviceModel::takeOutput(std::int64_t upToMs) {
  Bytes out;
  while (!output_.empty() && output_.begin()->first <= upToMs) {
    const Bytes& b = output_.begin()->second;
    out.insert(out.end(), b.begin(), b.end());
    output_.erase(output_.begin());
  }
  return out;
}

}  // namespace kdx::sim
