#include "model/control.h"

#include <charconv>
#include <cstdio>
#include <sstream>

namespace kdx::sim {

std::optional<int> ParseCount(std::string_view text) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty() || value < 0) {
    return std::nullopt;
  }
  return value;
}

std::optional<std::pair<int, std::optional<int>>> ParseBinFill(std::string_view text) {
  const auto slash = text.find('/');
  const auto count = ParseCount(text.substr(0, slash));
  if (!count) return std::nullopt;
  if (slash == std::string_view::npos) return std::make_pair(*count, std::optional<int>());
  const auto capacity = ParseCount(text.substr(slash + 1));
  if (!capacity) return std::nullopt;
  return std::make_pair(*count, capacity);
}

std::optional<CardPosition> ParsePosition(std::string_view text) {
  for (auto p : {CardPosition::None, CardPosition::Front, CardPosition::IcStation,
                 CardPosition::RfStation}) {
    if (text == PositionName(p)) return p;
  }
  return std::nullopt;
}

std::string StateLine(const DeviceModel& model) {
  const DeviceState& s = model.state();
  char counter[8];
  std::snprintf(counter, sizeof counter, "%03d", s.captureCounter % 1000);
  std::ostringstream out;
  out << "initialized=" << (s.initialized ? "yes" : "no") << " fault=" << FaultName(model.fault())
      << " latency=" << model.latencyMs() << " stacker=" << s.stackerCount
      << " level=" << static_cast<char>(s.stackerLevel()) << " cards=" << CardText(s.stackerCard)
      << " channel=" << PositionName(s.position)
      << " card=" << (s.channelCard ? CardText(*s.channelCard) : "-") << " bin=" << s.binCount
      << '/' << s.binCapacity << " entry=" << (s.entryAllowed ? "allowed" : "prohibited")
      << " counter=" << counter << " sams=" << s.samSockets << " serial=" << s.serialNumber
      << " rf=" << (s.rf.active ? "active" : "off");
  return out.str();
}

ControlResult ApplyControl(DeviceModel& model, std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
  while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
  const auto space = line.find(' ');
  const std::string_view word = line.substr(0, space);
  std::string_view arg =
      space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
  while (!arg.empty() && arg.front() == ' ') arg.remove_prefix(1);
  DeviceState& s = model.state();
  const auto refuse = [&](std::string_view why) {
    return ControlResult{false, std::string(word) + ": " + std::string(why), std::nullopt};
  };

  if (word == "state") return {true, StateLine(model), std::nullopt};
  if (word == "fault") {
    const auto fault = ParseFault(arg);
    if (!fault) return refuse("unknown fault mode");
    model.setFault(*fault);
    return {};
  }
  if (word == "stacker" || word == "latency" || word == "sams") {
    const auto n = ParseCount(arg);
    if (!n) return refuse("expects a number");
    if (word == "stacker") s.stackerCount = *n;
    if (word == "latency") model.setLatencyMs(*n);
    if (word == "sams") {
      if (*n > 5) return refuse("0 to 5 sockets");
      s.samSockets = *n;
    }
    return {};
  }
  if (word == "serial") {
    // What A2h answers; the unit's own number on a line of simulated units.
    if (arg.empty() || arg.size() > kMaxSerialLength) return refuse("expects 1 to 64 characters");
    s.serialNumber = std::string(arg);
    return {};
  }
  if (word == "bin") {
    const auto fill = ParseBinFill(arg);
    if (!fill) return refuse("expects N or N/CAP");
    s.binCount = fill->first;
    if (fill->second) s.binCapacity = *fill->second;
    return {};
  }
  if (word == "card") {
    const auto card = ParseCard(arg);
    if (!card) return refuse("expects CONTACT/CONTACTLESS");
    s.stackerCard = *card;
    if (s.channelCard) s.channelCard = *card;
    s.rf.reset();
    return {};
  }
  if (word == "place") {
    // A fresh card of the stacker's kind, as if an operator had laid it
    // there; the card that was in the channel goes, powered down.
    const auto where = ParsePosition(arg);
    if (!where) return refuse("expects none, front, ic or rf");
    ReleaseContacts(s);
    s.placeCard(*where, s.stackerCard);
    s.rf.reset();
    return {};
  }
  if (word == "insert") {
    if (!s.entryAllowed) return refuse("card entry is prohibited");
    if (s.cardInChannel()) return refuse("a card is in the channel");
    s.placeCard(CardPosition::Front, s.stackerCard);
    return {};
  }
  if (word == "take") {
    if (s.position != CardPosition::Front) return refuse("no card at the front gate");
    s.placeCard(CardPosition::None, std::nullopt);
    return {};
  }
  if (word == "flood") {
    if (arg == "off") return {true, {}, FloodRequest{}};
    const auto blank = arg.find(' ');
    const auto rate = ParseCount(arg.substr(0, blank));
    const auto seconds =
        blank == std::string_view::npos ? std::nullopt : ParseCount(arg.substr(blank + 1));
    if (!rate || !seconds) return refuse("expects BYTES_PER_SECOND SECONDS, or off");
    return {true, {}, FloodRequest{*rate, *seconds}};
  }
  if (word == "sam") {
    const auto blank = arg.find(' ');
    const auto socket = ParseCount(arg.substr(0, blank));
    const std::string_view what =
        blank == std::string_view::npos ? std::string_view() : arg.substr(blank + 1);
    if (!socket || *socket < 1 || *socket > SamSockets::kSockets ||
        (what != "in" && what != "out")) {
      return refuse("expects a socket 1 to 5 and in or out");
    }
    auto& card = s.sams.cards[static_cast<std::size_t>(*socket - 1)];
    if (what == "in") {
      card = ContactCpuCard::Sam(*socket);
    } else {
      card.reset();
    }
    return {};
  }
  return refuse("unknown control");
}

}  // namespace kdx::sim
