#pragma once

#include <array>
#include <optional>

#include "model/cards/contact_cpu_card.h"

namespace kdx::sim {

// The SAM sockets: a SAM in each of them to begin with (the configuration's
// socket count decides how many the device uses), and the socket the SAM
// commands address.
struct SamSockets {
  static constexpr int kSockets = 5;

  std::array<std::optional<ContactCpuCard>, kSockets> cards = Filled();
  int selected = 0;  // from 0

  // Every socket with its own SAM.
  static std::array<std::optional<ContactCpuCard>, kSockets> Filled() {
    std::array<std::optional<ContactCpuCard>, kSockets> out;
    for (int i = 0; i < kSockets; ++i) out[i] = ContactCpuCard::Sam(i + 1);
    return out;
  }

  bool operator==(const SamSockets&) const = default;
};

}  // namespace kdx::sim
