#pragma once

#include "iso/decoded_lines.h"

namespace kdx {

// Appends what the historical bytes of an answer to reset or to select say
// (ISO/IEC 7816-4): the bytes with their printable text, the category
// indicator and, for the categories that carry them, the compact-TLV
// objects and the status indicator. An object whose length runs past the
// end is reported as truncated.
void AppendHistoricalBytes(ByteView bytes, DecodedLines& lines);

}  // namespace kdx
