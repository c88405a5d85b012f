#include "input/cell_grid.h"

#include <algorithm>

namespace kdx {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::uint8_t CellByte(std::string_view text) {
  unsigned value = 0;
  for (char c : text) {
    const int digit = HexDigit(c);
    value = value * 16 + static_cast<unsigned>(digit < 0 ? 0 : digit);
  }
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
    if (text.size() != 2 || HexDigit(text[0]) < 0 || HexDigit(text[1]) < 0) return std::nullopt;
    out.push_back(CellByte(text));
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
