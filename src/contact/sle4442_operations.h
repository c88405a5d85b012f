#pragma once

#include <span>
#include <string_view>

#include "contact/memory_card_context.h"

namespace kdx {

// Every button of the "SLE4442" tab, one row each, in the order the tab
// shows them: the three power buttons, then the card commands.
std::span<const Sle4442Operation> Sle4442Operations();

// The SLE4442 tab's row of button `control`, or nullptr.
const Sle4442Operation* FindSle4442Operation(std::string_view control);

}  // namespace kdx
