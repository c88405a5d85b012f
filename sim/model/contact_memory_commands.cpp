// Contact memory cards at the IC station: SLE4442 and SLE4428 under command
// "S", 24Cxx EEPROMs under "T".
//
// Device semantics:
// - "S" "0" and "T" "0" power up the memory card at the IC station and
//   answer with its answer to reset (SLE cards: four bytes) or its kind code
//   (24Cxx: "1" 24C01 to ":" 24C512). "S" "1" powers down whatever memory
//   card is powered. "S" "2" tells which SLE card is powered ("0" none, "1"
//   SLE4442, "2" SLE4428); "T" "2" the 24Cxx kind ("0" none).
// - "S" "3" (SLE4442), "S" "4" (SLE4428) and "T" "3" (24Cxx) hand their data,
//   an APDU, to the powered card; its answer (data and status word) is the
//   reply data.
// - Negative replies: "02" power-up with no card at the IC station; "61"
//   (no valid answer to reset) power-up of a card without a chip of the
//   family addressed; "65" a card command while no memory card is powered;
//   "62" a card command for another family than the one powered; "01" an
//   unknown parameter code.
// - A card leaves the IC station, or the device is initialized: its contacts
//   are released and the chip loses power (ReleaseContacts).
#include "model/command_set.h"

namespace kdx::sim {

namespace {

constexpr std::uint8_t kSleCommand = 'S';
constexpr std::uint8_t kEepromCommand = 'T';
constexpr std::string_view kOtherProtocol = "62";

bool CardAtStation(const DeviceState& s) {
  return s.position == CardPosition::IcStation && s.channelCard.has_value();
}

// The memory chip of the card at the IC station, made on first contact.
ContactMemory* MemoryAtStation(DeviceState& s) {
  if (!CardAtStation(s) || !s.channelCard->contact) return nullptr;
  ContactFace& face = *s.channelCard->contact;
  if (!face.memory) face.memory = MakeContactMemory(face.typeCode);
  return face.memory ? &*face.memory : nullptr;
}

ContactMemory* PoweredMemory(DeviceState& s) {
  ContactMemory* memory = MemoryAtStation(s);
  return memory && memory->powered ? memory : nullptr;
}

// Powers up the chip of the card at the IC station when `answer` knows its
// family, and replies with what `answer` gives.
Response PowerUp(DeviceState& s, std::optional<Bytes> (*answer)(ContactMemory&)) {
  if (!CardAtStation(s)) return Response::Negative(kImpossible);
  ContactMemory* memory = MemoryAtStation(s);
  const auto reply = memory ? answer(*memory) : std::nullopt;
  if (!reply) return Response::Negative(kNoAnswerToReset);
  memory->powerDown();
  memory->powered = true;
  return Response::Positive(*reply);
}

std::optional<Bytes> SleAnswerToReset(ContactMemory& memory) {
  if (memory.as<Sle4442Card>()) {
    return Bytes(Sle4442Card::kAnswerToReset.begin(), Sle4442Card::kAnswerToReset.end());
  }
  if (memory.as<Sle4428Card>()) {
    return Bytes(Sle4428Card::kAnswerToReset.begin(), Sle4428Card::kAnswerToReset.end());
  }
  return std::nullopt;
}

std::optional<Bytes> EepromKindCode(ContactMemory& memory) {
  if (const auto* chip = memory.as<I2cEepromCard>()) return Bytes{chip->kind().kindCode};
  return std::nullopt;
}

template <class Chip>
Response CardCommand(DeviceState& s, const Command& c) {
  ContactMemory* memory = PoweredMemory(s);
  if (!memory) return Response::Negative(kNotReset);
  Chip* chip = memory->as<Chip>();
  if (!chip) return Response::Negative(kOtherProtocol);
  return Response::Positive(chip->respond(c.data));
}

Response SleCommands(DeviceState& s, const Command& c) {
  switch (c.parameter) {
    case '0':
      return PowerUp(s, SleAnswerToReset);
    case '1':
      ReleaseContacts(s);
      return Response::Positive();
    case '2': {
      ContactMemory* memory = PoweredMemory(s);
      if (memory && memory->as<Sle4442Card>()) return Response::Positive("1");
      if (memory && memory->as<Sle4428Card>()) return Response::Positive("2");
      return Response::Positive("0");
    }
    case '3':
      return CardCommand<Sle4442Card>(s, c);
    case '4':
      return CardCommand<Sle4428Card>(s, c);
    default:
      return Response::Negative(kBadParameter);
  }
}

Response EepromCommands(DeviceState& s, const Command& c) {
  switch (c.parameter) {
    case '0':
      return PowerUp(s, EepromKindCode);
    case '2': {
      ContactMemory* memory = PoweredMemory(s);
      const I2cEepromCard* chip = memory ? memory->as<I2cEepromCard>() : nullptr;
      return Response::Positive(Bytes{chip ? chip->kind().kindCode : std::uint8_t{'0'}});
    }
    case '3':
      return CardCommand<I2cEepromCard>(s, c);
    default:
      return Response::Negative(kBadParameter);
  }
}

}  // namespace

void ReleaseContacts(DeviceState& s) {
  if (s.channelCard && s.channelCard->contact && s.channelCard->contact->memory) {
    s.channelCard->contact->memory->powerDown();
  }
}

void AddContactMemoryCommands(CommandSet& commands) {
  commands.add(kSleCommand, SleCommands);
  commands.add(kEepromCommand, EepromCommands);
}

}  // namespace kdx::sim
