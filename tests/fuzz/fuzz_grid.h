#pragma once

#include <string>
#include <vector>

#include "fuzz_input.h"
#include "input/cell_grid.h"

namespace kdx::fuzz {

// Whether `text` is a byte as a grid cell shows one: two hex digits.
inline bool IsHexPair(std::string_view text) {
  auto hex = [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); };
  return text.size() == 2 && hex(text[0]) && hex(text[1]);
}

// Whether `text` is hex pairs without separators ("3B6500"), as the answer
// and response fields show replies.
inline bool IsHexText(std::string_view text) {
  if (text.size() % 2 != 0) return false;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    if (!IsHexPair(text.substr(i, 2))) return false;
  }
  return true;
}

// A byte grid that checks every cell an operation writes: two hex digits,
// at an index inside the grid. The cells the operator typed are set through
// `cells` directly and may hold anything.
struct CheckedGrid final : CellGrid {
  explicit CheckedGrid(std::size_t count) : cells(count) {}

  int cellCount() const override { return static_cast<int>(cells.size()); }
  std::string text(int index) const override {
    return index >= 0 && index < cellCount() ? cells[static_cast<std::size_t>(index)] : "";
  }
  void setText(int index, std::string_view text) override {
    KDX_FUZZ_CHECK(index >= 0 && index < cellCount());
    KDX_FUZZ_CHECK(IsHexPair(text));
    cells[static_cast<std::size_t>(index)] = text;
    ++writes;
  }
  void clearCells() override {
    for (auto& c : cells) c.clear();
  }

  std::vector<std::string> cells;
  int writes = 0;
};

}  // namespace kdx::fuzz
