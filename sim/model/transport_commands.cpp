// Transport commands: initialize, card and sensor status, card moves, card
// entry control and card type detection.
//
// Device semantics:
// - Every command that moves a card ("2" moves) is refused with "B0" until
//   the first initialize. Status, entry control and detection always work.
// - A move with an empty channel first takes a card from the stacker ("A0"
//   when the stacker is empty too); a card already in the channel is moved
//   from wherever it is, including the front gate.
// - Moving to the error bin refuses with "A1" when the bin is full; the card
//   stays where it was.
// - Initialize: with a card in the channel (front gate included), options
//   "0"/"4" move it to the front gate, "1"/"5" capture it in the error bin
//   ("A1" when the bin is full: the card stays, nothing is counted, but the
//   device counts as initialized), "3"/"7" leave it where it is. "4", "5"
//   and "7" add one to the capture card counter for the card found inside
//   (999 wraps to 000). The reply data is the firmware text.
// - Card type detection reports the contact face of the card at the IC
//   station and the contactless face of the card at the RF station; with no
//   card at that station, or no such face, the type is "00".
#include "model/command_set.h"

namespace kdx::sim {

namespace {

Response Initialize(DeviceState& s, const Command& c) {
  const std::uint8_t p = c.parameter;
  if (p != '0' && p != '1' && p != '3' && p != '4' && p != '5' && p != '7') {
    return Response::Negative(kBadParameter);
  }
  ReleaseCpuCards(s, true);
  s.initialized = true;
  ReleaseContacts(s);
  if (!s.cardInChannel()) return Response::Positive(s.firmwareText);
  const bool toBin = p == '1' || p == '5';
  if (toBin && s.binFull()) return Response::Negative(kBinFull);
  if (p == '4' || p == '5' || p == '7') s.captureCounter = (s.captureCounter + 1) % 1000;
  if (p == '0' || p == '4') s.position = CardPosition::Front;
  if (toBin) s.captureCard();
  return Response::Positive(s.firmwareText);
}

Response Status(DeviceState& s, const Command& c) {
  if (c.parameter == '0') return Response::Positive();
  if (c.parameter == '1') {
    const auto sensors = s.sensors();
    return Response::Positive(Bytes(sensors.begin(), sensors.end()));
  }
  return Response::Negative(kBadParameter);
}

Response Move(DeviceState& s, const Command& c) {
  CardPosition target = CardPosition::None;
  switch (c.parameter) {
    case '9':
    case '0':
      target = CardPosition::Front;
      break;
    case '1':
      target = CardPosition::IcStation;
      break;
    case '2':
      target = CardPosition::RfStation;
      break;
    case '3':
      break;  // the error bin
    default:
      return Response::Negative(kBadParameter);
  }
  if (!s.initialized) return Response::Negative(kNotInitialized);
  if (!s.cardInChannel() && s.stackerCount <= 0) return Response::Negative(kNoCards);
  if (target == CardPosition::None && s.binFull()) return Response::Negative(kBinFull);
  if (!s.cardInChannel()) {
    --s.stackerCount;
    s.placeCard(CardPosition::IcStation, s.stackerCard);
  }
  ReleaseContacts(s);
  if (target == CardPosition::None) {
    s.captureCard();
  } else {
    s.position = target;
  }
  ReleaseCpuCards(s, false);
  return Response::Positive();
}

Response EntryControl(DeviceState& s, const Command& c) {
  if (c.parameter != '0' && c.parameter != '1') return Response::Negative(kBadParameter);
  s.entryAllowed = c.parameter == '0';
  return Response::Positive();
}

Response DetectType(DeviceState& s, const Command& c) {
  if (c.parameter != '0' && c.parameter != '1') return Response::Negative(kBadParameter);
  std::string code = "00";
  if (s.channelCard) {
    if (c.parameter == '0' && s.position == CardPosition::IcStation && s.channelCard->contact)
      code = s.channelCard->contact->typeCode;
    if (c.parameter == '1' && s.position == CardPosition::RfStation && s.channelCard->contactless)
      code = s.channelCard->contactless->typeCode;
  }
  return Response::Positive(code);
}

}  // namespace

void AddTransportCommands(CommandSet& commands) {
  commands.add('0', Initialize);
  commands.add('1', Status);
  commands.add('2', Move);
  commands.add('3', EntryControl);
  commands.add('P', DetectType);
}

}  // namespace kdx::sim
