#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "model/cards/contact_cpu_card.h"
#include "model/cards/contact_memory.h"
#include "model/cards/contactless_chip.h"

namespace kdx::sim {

// The chip a card carries on its contacts, by the type code the IC card type
// detection reports ("10" T=0 CPU ... "38" 24C256; "39" 24C512, which the
// detection does not know). A memory chip's contents come with the card
// once the station first talks to it.
struct ContactFace {
  // From the type code alone (ContactFace{"20"}, or just {"20"}); no chip yet.
  ContactFace(std::string code = {}) : typeCode(std::move(code)) {}
  std::string typeCode;
  std::optional<ContactMemory> memory;
  // The microprocessor of a CPU card ("10", "11"): made when the IC station
  // first talks to the card, or chosen with the card ("isocpu").
  std::optional<ContactCpuCard> cpu;
  bool operator==(const ContactFace&) const = default;
};

// The chip a card carries for the RF station, by the type code the RF card
// type detection reports ("10" S50, "11" S70, "12" Ultralight, "20" Type A
// CPU, "30" Type B CPU).
struct ContactlessFace {
  std::string typeCode;
  // Made when the RF station first reaches the card, so that each card
  // dispensed from the stacker is a fresh one; it then keeps its memory.
  std::optional<ContactlessChip> chip = std::nullopt;
  bool operator==(const ContactlessFace&) const = default;
};

// One simulated card. Either face may be absent (a plain plastic card has
// neither). The card families add their memory and behaviour to the faces.
struct Card {
  std::optional<ContactFace> contact;
  std::optional<ContactlessFace> contactless;

  bool operator==(const Card&) const = default;
};

// Parses "CONTACT/CONTACTLESS": each side is a two-digit type code, a name
// ("sle4442", "24c02", "t0cpu", "s50", "ultralight", "typea", ...; "isocpu"
// a T=1 CPU card that refuses the EMV2000 activation) or "-"
// for an absent face. Empty optional when the text is not understood.
std::optional<Card> ParseCard(std::string_view text);

// The card as "CONTACT/CONTACTLESS" with type codes and "-" for absent faces.
std::string CardText(const Card& card);

// True for the type codes the IC and the RF detection tables know.
bool IsKnownContactCode(std::string_view code);
bool IsKnownContactlessCode(std::string_view code);

}  // namespace kdx::sim
