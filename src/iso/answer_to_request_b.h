#pragma once

#include "iso/decoded_lines.h"

namespace kdx {

// Explains the answer to request (ATQB) of an ISO/IEC 14443-3 Type B card:
// 50h, the PUPI, the application data, and the protocol information (bit
// rates, maximum frame size, protocol type, frame waiting time, how the
// application data are coded, NAD and CID, and in the extended answer the
// start-up guard time). An answer that ends early says what is missing.
// Never reads past the end of `atqb`.
DecodedLines DecodeAtqb(ByteView atqb);

}  // namespace kdx
