#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "device/device_context.h"

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

// INITIALIZE's check before sending, after the link check and the monitor
// prologue: the option dialog, whose choice becomes the program-wide
// initialize code and the parameter code. A cancelled dialog (or a code the
// table does not hold) sends nothing and the monitor gets no CR LF.
Outgoing ChooseInitializeOption(DeviceContext& context);

// A positive reply: "Reset success" and the reply's data as text.
void ShowInitialized(DeviceContext& context, const DeviceOperation& row, const Reply& reply);

}  // namespace kdx
