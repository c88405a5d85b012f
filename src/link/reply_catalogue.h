#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "link/messages.h"

namespace kdx {

// The text for a negative reply's error code, or nothing for a code the
// device does not define. The code is E1 then E0 as characters, blanks trimmed;
// comparison is exact ("a0" is not "A0").
std::optional<std::string_view> NegativeReplyText(std::uint8_t e1, std::uint8_t e0);

// The negative-reply report: one information box titled "Negative response:"
// and the two untrimmed characters, or nothing for an unknown code.
void ReportNegativeReply(Messages& messages, std::uint8_t e1, std::uint8_t e0);

// Number of codes in the catalogue (for tests and documentation).
std::size_t NegativeReplyCodeCount();

}  // namespace kdx
