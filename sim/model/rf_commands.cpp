// The contactless station (60h):
// - "0" activate: two data bytes, the protocols to try in order ('A', 'B',
//   '0' for none in second place; anything else "04"). The card at the RF
//   station answers when its protocol is among them; a Type B card is not
//   found with "Type A(Only)". No card answering: "63". The reply data is the
//   card's kind and identity (ContactlessChip::activationData).
// - "1" deactivate: switches the field off; always positive.
// - "2" status: the active card's type code, "00" with none.
// - "3" the Mifare instruction exchange (mifare_instructions.cpp).
// - "4", "5" a command APDU to the active Type A or Type B CPU card; the
//   reply data is the card's response with its status word.
// A command for a card that is not active (none activated, the card moved
// away, or a card of another kind) gets "65" everywhere.
#include "model/cards/contactless_chip.h"
#include "model/command_set.h"
#include "model/rf_station.h"

namespace kdx::sim {

namespace {

constexpr std::uint8_t kRf = 0x60;
constexpr std::string_view kNoCardAnswers = "63";
constexpr std::string_view kCardNotActive = "65";

ContactlessChip* ActiveChip(DeviceState& s) {
  return s.rf.active ? ChipAtRfStation(s) : nullptr;
}

Response Activate(DeviceState& s, const Command& c) {
  const auto& d = c.data;
  const auto protocol = [](std::uint8_t b) { return b == 'A' || b == 'B'; };
  if (d.size() != 2 || !protocol(d[0]) || !(protocol(d[1]) || d[1] == '0')) {
    return Response::Negative(kBadData);
  }
  s.rf.reset();
  ContactlessChip* chip = ChipAtRfStation(s);
  if (!chip) return Response::Negative(kNoCardAnswers);
  const std::uint8_t wanted = chip->isTypeB() ? 'B' : 'A';
  if (d[0] != wanted && d[1] != wanted) return Response::Negative(kNoCardAnswers);
  s.rf.active = true;
  return Response::Positive(chip->activationData());
}

Response Apdu(DeviceState& s, const Command& c) {
  ContactlessChip* chip = ActiveChip(s);
  auto* card = chip ? std::get_if<Iso7816Card>(&chip->memory) : nullptr;
  if (!card || chip->isTypeB() != (c.parameter == '5')) {
    return Response::Negative(kCardNotActive);
  }
  return Response::Positive(card->transmit(c.data));
}

Response Rf(DeviceState& s, const Command& c) {
  switch (c.parameter) {
    case '0':
      return Activate(s, c);
    case '1':
      s.rf.reset();
      return Response::Positive();
    case '2': {
      ContactlessChip* chip = ActiveChip(s);
      return Response::Positive(chip ? chip->typeCode : std::string("00"));
    }
    case '3': {
      auto reply = RunMifareInstruction(s, c.data);
      if (!reply) return Response::Negative(kCardNotActive);
      return Response::Positive(std::move(*reply));
    }
    case '4':
    case '5':
      return Apdu(s, c);
    default:
      return Response::Negative(kBadParameter);
  }
}

}  // namespace

ContactlessChip* ChipAtRfStation(DeviceState& s) {
  if (s.position != CardPosition::RfStation || !s.channelCard || !s.channelCard->contactless) {
    return nullptr;
  }
  auto& face = *s.channelCard->contactless;
  if (!face.chip) face.chip = MakeContactlessChip(face.typeCode, ++s.rf.cardsMade);
  return &*face.chip;
}

void AddRfCommands(CommandSet& commands) {
  commands.add(kRf, Rf);
}

}  // namespace kdx::sim
