#pragma once

#include <span>
#include <string_view>

#include "contact/memory_card_context.h"

namespace kdx {

// Every button of the "24CXX" tab, one row each, in the order the tab shows
// them.
std::span<const At24Operation> At24Operations();

// The 24CXX tab's row of button `control`, or nullptr.
const At24Operation* FindAt24Operation(std::string_view control);

}  // namespace kdx
