#include "input/cell_grid.h"

#include <algorithm>

namespace kdx {

std::uint8_t CellByte(std::string_view text) {
  unsigned value = 0;
  for (char c : text) value = value * 16 + HexDigit(c).value_or(0);
  return static_cast<std::uint8_t>(value & 0xFFu);
}

Bytes GridBytes(const CellGrid& grid, int first, int count) {
  Bytes out;
  for (int i = std::max(first, 0); i < first + count && i < grid.cellCount(); ++i) {
    out.push_back(CellByte(grid.text(i)));
  }
  return out;
}

std::optional<Bytes> StrictGridBytes(const CellGrid& grid, int first, int count) {
  if (first < 0 || count < 0 || first + count > grid.cellCount()) return std::nullopt;
  Bytes out;
  out.reserve(static_cast<std::size_t>(count));
  for (int i = first; i < first + count; ++i) {
    const std::string text = grid.text(i);
    const auto byte = text.size() == 2 ? ParseHexByte(text) : std::nullopt;
    if (!byte) return std::nullopt;
    out.push_back(*byte);
  }
  return out;
}

void WriteGridBytes(CellGrid& grid, ByteView bytes, int first) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const int index = first + static_cast<int>(i);
    if (index < 0) continue;
    if (index >= grid.cellCount()) break;
    grid.setText(index, HexByte(bytes[i]));
  }
}

}  // namespace kdx
