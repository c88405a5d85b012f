// Contact CPU cards at the IC station ("Q") and SAMs in their sockets ("R").
//
// Device semantics:
// - "Q"/"R" "0" cold reset (data "0" EMV2000 or "3" ISO/IEC 7816-3
//   activation), "8" warm reset, "9" APDU exchange, "2" card status, "1"
//   deactivate; "R" "@" chooses the SAM socket (data: "0" socket 1 up to
//   "=" socket 14).
// - A reset answers the protocol ("0" T=0, "1" T=1) and the ATR. A card that
//   refuses the EMV2000 activation answers "69" with the protocol and the
//   ATR after the error code, and stays unpowered.
// - The card status answers the power and clock ("0" off, "1" 3.57 MHz, "2"
//   7.16 MHz after a warm reset); for "R" also the socket in use ("0" for
//   socket 1). Deactivation always succeeds.
// - The APDU exchange answers the card's response APDU.
// - Negative replies, one per situation: "01" an unknown parameter code;
//   "04" reset data other than "0" or "3", or a socket number outside the
//   sockets the configuration reports; "02" no card to talk to (none at the
//   IC station, or an empty socket); "61" a card at the IC station without a
//   microprocessor (no answer to reset); "65" a warm reset or an APDU for a
//   card that is not powered.
// - Initialize powers every CPU card and SAM down; a card move releases the
//   IC contacts and the CPU card there loses power (ReleaseCpuCards).
#include "model/command_set.h"

namespace kdx::sim {

namespace {

constexpr std::uint8_t kCpuCommand = 'Q';
constexpr std::uint8_t kSamCommand = 'R';
constexpr std::string_view kEmvRefused = "69";

// Where a command finds its card: the card, or the refusal.
struct Target {
  ContactCpuCard* card = nullptr;
  std::string_view refusal;
};

// The CPU card at the IC station, its microprocessor made on first contact.
Target IcCard(DeviceState& s) {
  if (s.position != CardPosition::IcStation || !s.channelCard || !s.channelCard->contact) {
    return {nullptr, kImpossible};
  }
  ContactFace& face = *s.channelCard->contact;
  if (!face.cpu) {
    if (face.typeCode == "10") face.cpu = ContactCpuCard::T0Card();
    if (face.typeCode == "11") face.cpu = ContactCpuCard::T1Card();
  }
  if (!face.cpu) return {nullptr, kNoAnswerToReset};
  return {&*face.cpu, {}};
}

Target SelectedSam(DeviceState& s) {
  if (s.sams.selected >= s.samSockets) return {nullptr, kBadData};
  auto& card = s.sams.cards[static_cast<std::size_t>(s.sams.selected)];
  if (!card) return {nullptr, kImpossible};
  return {&*card, {}};
}

Bytes ResetData(const ContactCpuCard& card) {
  Bytes data;
  data.reserve(card.atr().size() + 1);
  data.push_back(static_cast<std::uint8_t>(card.protocol()));
  for (std::uint8_t b : card.atr()) data.push_back(b);
  return data;
}

// The parameter codes both command groups share.
Response CardCommand(const Command& c, Target target, std::uint8_t socketByte) {
  switch (c.parameter) {
    case '0': {
      if (c.data.size() != 1 || (c.data[0] != '0' && c.data[0] != '3')) {
        return Response::Negative(kBadData);
      }
      if (!target.card) return Response::Negative(target.refusal);
      if (!target.card->coldReset(c.data[0] == '0')) {
        Response refused = Response::Negative(kEmvRefused);
        refused.data = ResetData(*target.card);
        return refused;
      }
      return Response::Positive(ResetData(*target.card));
    }
    case '8':
      if (!target.card) return Response::Negative(target.refusal);
      if (!target.card->warmReset()) return Response::Negative(kNotReset);
      return Response::Positive(ResetData(*target.card));
    case '9':
      if (!target.card) return Response::Negative(target.refusal);
      if (!target.card->powered()) return Response::Negative(kNotReset);
      return Response::Positive(target.card->transmit(c.data));
    case '2': {
      Bytes data{static_cast<std::uint8_t>(target.card ? target.card->power()
                                                       : ContactCpuCard::Power::Off)};
      if (socketByte) data.push_back(socketByte);
      return Response::Positive(data);
    }
    case '1':
      if (target.card) target.card->deactivate();
      return Response::Positive();
    default:
      return Response::Negative(kBadParameter);
  }
}

Response CpuCard(DeviceState& s, const Command& c) {
  return CardCommand(c, IcCard(s), 0);
}

Response SamCard(DeviceState& s, const Command& c) {
  if (c.parameter == '@') {
    const int socket = c.data.size() == 1 ? c.data[0] - '0' : -1;
    if (socket < 0 || socket > 13 || socket >= s.samSockets) return Response::Negative(kBadData);
    if (!s.sams.cards[static_cast<std::size_t>(socket)]) return Response::Negative(kImpossible);
    s.sams.selected = socket;
    return Response::Positive();
  }
  return CardCommand(c, SelectedSam(s), static_cast<std::uint8_t>('0' + s.sams.selected));
}

}  // namespace

void ReleaseCpuCards(DeviceState& s, bool sams) {
  if (s.channelCard && s.channelCard->contact && s.channelCard->contact->cpu) {
    s.channelCard->contact->cpu->deactivate();
  }
  if (!sams) return;
  for (auto& card : s.sams.cards) {
    if (card) card->deactivate();
  }
}

void AddCpuSamCommands(CommandSet& commands) {
  commands.add(kCpuCommand, CpuCard);
  commands.add(kSamCommand, SamCard);
}

}  // namespace kdx::sim
