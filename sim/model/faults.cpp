#include "model/faults.h"

#include <array>
#include <utility>

namespace kdx::sim {

namespace {

constexpr std::array<std::pair<Fault, std::string_view>, 9> kNames{{
    {Fault::Off, "off"},
    {Fault::Nak, "nak"},
    {Fault::NoAck, "no-ack"},
    {Fault::Silent, "silent"},
    {Fault::LateHead, "late-head"},
    {Fault::Truncated, "truncated"},
    {Fault::BadBcc, "bad-bcc"},
    {Fault::Oversize, "oversize"},
    {Fault::Garbage, "garbage"},
}};

}  // namespace

std::optional<Fault> ParseFault(std::string_view name) {
  for (const auto& [fault, text] : kNames) {
    if (text == name) return fault;
  }
  return std::nullopt;
}

std::string_view FaultName(Fault fault) {
  for (const auto& [f, text] : kNames) {
    if (f == fault) return text;
  }
  return "off";
}

}  // namespace kdx::sim
