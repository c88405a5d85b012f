#pragma once

#include <string>
#include <utility>
#include <vector>

#include "input/cell_grid.h"

namespace kdx {

// The texts of a byte grid's cells as they stood when an operation read them:
// a grid of its own, so that the write checks read it as they read the grid.
class CellTexts final : public CellGrid {
 public:
  CellTexts() = default;
  explicit CellTexts(std::vector<std::string> texts) : texts_(std::move(texts)) {}

  int cellCount() const override { return static_cast<int>(texts_.size()); }
  std::string text(int index) const override {
    return index >= 0 && index < cellCount() ? texts_[static_cast<std::size_t>(index)] : "";
  }
  void setText(int index, std::string_view text) override {
    if (index >= 0 && index < cellCount()) texts_[static_cast<std::size_t>(index)] = text;
  }
  void clearCells() override {
    for (auto& t : texts_) t.clear();
  }

 private:
  std::vector<std::string> texts_;
};

}  // namespace kdx
