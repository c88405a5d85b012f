#pragma once

#include <string>
#include <vector>

#include "rf/rf_context.h"

namespace kdx::test {

// The RF CARD tab's inputs as the window loads them: the first protocol,
// key A, six FF key cells, sector 01 block 00 for one block (the first
// count), purse block 00
// with value 0, Ultralight page 04, and SELECT 3F00 on both APDU tabs.
inline RfInputs LoadedRfInputs() {
  return RfInputs{"Type A,Type B",
                  false,
                  CellTexts(std::vector<std::string>(6, "FF")),
                  0x01,
                  0x00,
                  0x00,
                  CellTexts(std::vector<std::string>(16)),
                  0x00,
                  "0",
                  0x04,
                  CellTexts(std::vector<std::string>(4)),
                  "00A40000023F00",
                  "00A40000023F00"};
}

}  // namespace kdx::test
