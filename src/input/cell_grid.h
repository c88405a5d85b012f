#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "link/bytes.h"

namespace kdx {

// A byte grid as the card operations see it: a row of one-byte cells
// addressed by index, each holding single-byte text (normally two hex
// digits). Operations read the cells' texts and write reply bytes back; the
// widget behind it applies its own editing rules to what is written.
class CellGrid {
 public:
  virtual ~CellGrid() = default;
  virtual int cellCount() const = 0;
  // The text of cell `index`; "" for an index outside the grid.
  virtual std::string text(int index) const = 0;
  // Writes cell `index` as the program does after a reply; outside the grid
  // nothing happens.
  virtual void setText(int index, std::string_view text) = 0;
  virtual void clearCells() = 0;
};

// Cell text read as a hex number, as the card operations read a grid: "" is
// 00, "7" is 07, hex letters in either case; a character that is not a hex
// digit counts as 0 in its place, and only the low byte is kept.
std::uint8_t CellByte(std::string_view text);

// Cells `first` to `first + count - 1` (clamped to the grid) read with CellByte.
Bytes GridBytes(const CellGrid& grid, int first, int count);

// The same cells, but only when each holds exactly two hex digits: the check
// a write makes before sending, so that bytes the operator never typed do not
// reach a card. Nothing when any cell falls short or the range leaves the grid.
std::optional<Bytes> StrictGridBytes(const CellGrid& grid, int first, int count);

// Writes `bytes` as two-digit hex into the cells from `first` on; bytes past
// the last cell are dropped.
void WriteGridBytes(CellGrid& grid, ByteView bytes, int first = 0);

}  // namespace kdx
