#pragma once

#include "iso/decoded_lines.h"

namespace kdx {

// Explains the answer to select (ATS) of an ISO/IEC 14443-4 Type A card,
// starting at its length byte TL: T0 (FSC and the bytes that follow), TA
// (bit rates), TB (frame waiting time and start-up guard time), TC (CID and
// NAD), and the historical bytes. An answer shorter than TL says so after
// what could be decoded; bytes after TL (a CRC, say) are counted. Never
// reads past the end of `ats`.
DecodedLines DecodeAts(ByteView ats);

}  // namespace kdx
