#pragma once

#include "iso/decoded_lines.h"

namespace kdx {

// Explains an answer to reset (ISO/IEC 7816-3) line by line: TS (direct or
// inverse convention), T0, every interface byte TAi, TBi, TCi, TDi with its
// meaning (Fi/Di and F/D, guard time, waiting time, specific mode, IFSC,
// BWI/CWI, error detection, clock stop and class), the protocols offered,
// the historical bytes, and the check byte TCK: correct, wrong (with the
// value expected), or absent because only T=0 is offered. An answer that
// ends early says what is missing after the lines that could be decoded;
// bytes after the answer are counted. Never reads past the end of `atr`.
DecodedLines DecodeAtr(ByteView atr);

}  // namespace kdx
