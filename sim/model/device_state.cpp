#include "model/device_state.h"

namespace kdx::sim {

std::uint8_t DeviceState::stackerLevel() const {
  if (stackerCount <= 0) return '0';
  if (stackerCount <= kLowStacker) return '1';
  return '2';
}

std::array<std::uint8_t, 3> DeviceState::statusBytes() const {
  std::uint8_t where = '0';
  if (position == CardPosition::Front) where = '1';
  if (position == CardPosition::IcStation || position == CardPosition::RfStation) where = '2';
  return {where, stackerLevel(), static_cast<std::uint8_t>(binFull() ? '1' : '0')};
}

// The sensors along the card path, from the stacker to the front gate:
//   PSS1  a card in the stacker              PSS2  the stacker holds enough cards
//   PSS3  card at the front gate (outer)     PSS4  card at the front gate (inner)
//   PSS5  card at the RF station (entry)     PSS6  card at the RF station (stop)
//   PSS7  card at the IC station (entry)     PSS8  card at the IC station (stop)
//   PSS9  a card in the error bin            PSS10 front shutter open (entry allowed)
//   KS1   IC contacts pressed onto a card    KS2   error bin full
std::array<std::uint8_t, 12> DeviceState::sensors() const {
  auto on = [](bool b) { return static_cast<std::uint8_t>(b ? '1' : '0'); };
  const bool front = position == CardPosition::Front;
  const bool rf = position == CardPosition::RfStation;
  const bool ic = position == CardPosition::IcStation;
  // clang-format off
  return {on(stackerCount > 0), on(stackerCount > kLowStacker),
          on(front),            on(front),
          on(rf),               on(rf),
          on(ic),               on(ic),
          on(binCount > 0),     on(entryAllowed),
          on(ic),               on(binFull())};
  // clang-format on
}

void DeviceState::placeCard(CardPosition where, std::optional<Card> card) {
  position = where;
  channelCard = where == CardPosition::None ? std::nullopt : std::move(card);
}

void DeviceState::captureCard() {
  ++binCount;
  placeCard(CardPosition::None, std::nullopt);
}

const char* PositionName(CardPosition position) {
  switch (position) {
    case CardPosition::None:
      return "none";
    case CardPosition::Front:
      return "front";
    case CardPosition::IcStation:
      return "ic";
    case CardPosition::RfStation:
      return "rf";
  }
  return "none";
}

}  // namespace kdx::sim
