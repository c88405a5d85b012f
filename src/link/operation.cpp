#include "link/operation.h"

#include "link/frame.h"
#include "link/reply_catalogue.h"
#include "link/transaction.h"

namespace kdx {

ByteView Reply::data() const {
  if (bytes.size() < 9) return {};
  return ByteView(bytes).subspan(6, bytes.size() - 8);
}

bool CheckLink(Session& session) {
  if (session.state.linkOpen) return true;
  ShowCaution(session.messages, kPortSetupFirst);
  return false;
}

CommandOutcome Transact(Session& session, std::uint8_t command, std::uint8_t parameter,
                        ByteView data, Reply& reply, bool explainNegative) {
  reply.bytes.clear();
  const auto address = ParseAddress(session.state.addressText);
  if (!address) {
    ShowCaution(session.messages, kCheckData);
    return CommandOutcome::NotSent;
  }
  const Bytes frame = BuildCommand(*address, command, parameter, data);
  Bytes buffer(kReplyBufferSize);
  std::int16_t count = 0;
  const int result = ExecuteCommand(session, frame, static_cast<int>(frame.size()), buffer, count);
  if (result == kExchangeNoReply) return CommandOutcome::NoReply;
  if (result != kExchangeDone) return CommandOutcome::Failed;
  if (count <= 0) return CommandOutcome::NotSent;
  reply.bytes.assign(buffer.begin(), buffer.begin() + count);
  if (reply.positive()) return CommandOutcome::Positive;
  if (reply.negative()) {
    if (explainNegative) ReportNegativeReply(session.messages, reply.at(3), reply.at(4));
    return CommandOutcome::Negative;
  }
  return CommandOutcome::Unrecognised;
}

CommandOutcome RunCommand(Session& session, std::uint8_t command, std::uint8_t parameter,
                          const std::function<Outgoing()>& check,
                          const std::function<void(const Reply&)>& onPositive, Reply* replyOut,
                          const CommandHooks& hooks) {
  if (replyOut) replyOut->bytes.clear();
  if (hooks.checkLinkFirst && !CheckLink(session)) return CommandOutcome::NotSent;
  session.monitor.prologue();
  const Outgoing out = check ? check() : Outgoing::Send();
  if (!out.send) {
    if (!out.refusal.empty()) ShowCaution(session.messages, out.refusal);
    if (out.crlf) session.monitor.epilogue();
    return CommandOutcome::NotSent;
  }
  Reply reply;
  const auto outcome = Transact(session, command, out.parameter.value_or(parameter), out.data,
                                reply, !hooks.onNegative);
  if (outcome == CommandOutcome::Positive && onPositive) onPositive(reply);
  if (outcome == CommandOutcome::Negative && hooks.onNegative) hooks.onNegative(reply);
  session.monitor.epilogue();
  if (replyOut) *replyOut = std::move(reply);
  return outcome;
}

CommandOutcome RunCommand(Session& session, std::uint8_t command, std::uint8_t parameter,
                          ByteView data, const std::function<void(const Reply&)>& onPositive,
                          Reply* reply) {
  return RunCommand(
      session, command, parameter,
      [data] { return Outgoing::Send(Bytes(data.begin(), data.end())); }, onPositive, reply);
}

}  // namespace kdx
