#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "link/operation.h"

namespace kdx {

// One choice of the INITIALIZE option dialog: the option button, its caption
// and the parameter code it sends.
struct InitializeOption {
  std::string_view control;
  std::string_view caption;
  std::uint8_t code;
};

// The six options, top to bottom as the dialog lists them. Codes "2" and "6"
// are never sent.
inline constexpr std::array<InitializeOption, 6> kInitializeOptions{{
    {"Option1", "If card is in, move card to the front", '0'},
    {"Option2", "If card is in, move card to the error card bin", '1'},
    {"Option4", "Only initialinze, retain the card inside", '3'},
    {"Option5", "If card is in, move card to the front and counter will work.", '4'},
    {"Option6", "If card is in, move card to the error card bin and counter will work.", '5'},
    {"Option7", "If card is in, retain the card inside  and counter will work.", '7'},
}};

inline constexpr std::uint8_t kInitializeCommand = '0';

// True for the six codes of the table; 0 and anything else mean "send nothing".
bool IsInitializeCode(std::uint8_t code);

// Asks the operator which option to use, modally.
class InitializeView {
 public:
  virtual ~InitializeView() = default;
  // The chosen parameter code, or 0 when nothing is to be sent (Cancel, or
  // the dialog closed by its frame).
  virtual std::uint8_t chooseInitializeOption() = 0;
};

// "INITIALIZE": link check, monitor prologue (also when the operator then
// cancels), the option dialog, and unless cancelled the command "0" with the
// chosen code; a positive reply shows "Reset success" and the reply's data as
// text. A cancelled dialog ends the operation without the monitor's CR LF.
CommandOutcome RunInitialize(Session& session, InitializeView& view);

}  // namespace kdx
