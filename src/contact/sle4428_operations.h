#pragma once

#include <span>
#include <string_view>

#include "contact/memory_card_context.h"

namespace kdx {

// Every button of the "SLE4428" tab, one row each, in the order the tab
// shows them: the three power buttons (the same commands and texts as on the
// SLE4442 tab), then the card commands.
std::span<const Sle4428Operation> Sle4428Operations();

// The SLE4428 tab's row of button `control`, or nullptr.
const Sle4428Operation* FindSle4428Operation(std::string_view control);

}  // namespace kdx
