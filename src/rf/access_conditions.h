#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "iso/decoded_lines.h"

namespace kdx {

// The access conditions of a Mifare Classic sector, held in bytes 6 to 8 of
// its trailer: for each of the four block groups (blocks 0, 1, 2 and the
// trailer; in the 16-block sectors of an S70 the groups are blocks 0-4,
// 5-9, 10-14 and the trailer) the bits C1 C2 C3, stored once plain and once
// inverted.

// C1 C2 C3 of each group as a number C1*4 + C2*2 + C3, group 3 the trailer;
// nothing when `access` has fewer than three bytes or the inverted copy
// does not match.
std::optional<std::array<std::uint8_t, 4>> AccessBits(ByteView access);

// Whether the three access bytes hold a matching inverted copy. A trailer
// written without one makes its sector unusable for good.
bool AccessBytesConsistent(ByteView access);

// What key A and key B may do with each block group of the sector whose
// trailer is `trailer` (its bytes 6 to 8 are read), per the access condition
// tables of the Mifare Classic datasheet; when the inverted bits do not
// match, only that. A trailer shorter than nine bytes is reported as
// truncated. `sixteenBlocks` names the groups of an S70's large sectors.
DecodedLines DecodeAccessConditions(ByteView trailer, bool sixteenBlocks);

}  // namespace kdx
