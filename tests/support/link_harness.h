#pragma once

#include "link/operation.h"
#include "link/transaction.h"
#include "recording_messages.h"
#include "scripted_line.h"

namespace kdx::test {

// A session over a scripted line on virtual time, with the link open.
struct LinkHarness {
  sim::VirtualClock clock;
  ScriptedLine line{clock};
  RecordingMessages messages;
  Monitor monitor;
  LinkState state;
  Session session{line, clock, messages, monitor, state};

  LinkHarness() { state.linkOpen = true; }
};

// A reply frame as the device sends it: F2, address, length, text, ETX, BCC.
inline Bytes ReplyFrame(const Bytes& text, std::uint8_t address = 0) {
  Bytes frame;
  frame.reserve(text.size() + 6);
  frame.push_back(0xF2);
  frame.push_back(address);
  frame.push_back(static_cast<std::uint8_t>(text.size() >> 8));
  frame.push_back(static_cast<std::uint8_t>(text.size() & 0xFF));
  for (auto b : text) frame.push_back(b);
  frame.push_back(0x03);
  std::uint8_t bcc = 0;
  for (auto b : frame) bcc ^= b;
  frame.push_back(bcc);
  return frame;
}

inline Bytes ReplyFrame(std::string_view text, std::uint8_t address = 0) {
  return ReplyFrame(Bytes(text.begin(), text.end()), address);
}

}  // namespace kdx::test
