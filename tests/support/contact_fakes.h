#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "contact/at24_operations.h"
#include "contact/sle4428_operations.h"
#include "contact/sle4442_operations.h"
#include "device_fakes.h"

namespace kdx::test {

// A grid of plain text cells, as the card operations see `ICText`.
struct FakeGrid final : CellGrid {
  std::vector<std::string> cells = std::vector<std::string>(128);
  int clears = 0;

  int cellCount() const override { return static_cast<int>(cells.size()); }
  std::string text(int index) const override {
    return index >= 0 && index < cellCount() ? cells[static_cast<std::size_t>(index)] : "";
  }
  void setText(int index, std::string_view text) override {
    if (index >= 0 && index < cellCount()) cells[static_cast<std::size_t>(index)] = text;
  }
  void clearCells() override {
    ++clears;
    for (auto& c : cells) c.clear();
  }
  // Cells from 0 holding the hex pairs of `pairs` ("12 34").
  void fill(std::string_view pairs) {
    for (std::size_t i = 0; i < pairs.size(); i += 3) cells[i / 3] = pairs.substr(i, 2);
  }
};

template <class Inputs>
struct FakeMemoryCardView final : MemoryCardView<Inputs> {
  Inputs fields;
  FakeGrid grid;
  Inputs inputs() const override { return fields; }
  CellGrid& dataGrid() override { return grid; }
};

// One memory card tab over a scripted line: the fields start as the tab's
// initial texts; buttons are pressed by name.
template <class Inputs, const OperationRow<MemoryCardContext<Inputs>>* (*Find)(std::string_view)>
struct MemoryCardHarness : LinkHarness {
  FakeMemoryCardView<Inputs> view;
  MemoryCardContext<Inputs> context{session, view};

  CommandOutcome press(std::string_view control) {
    const auto* row = Find(control);
    if (!row) throw std::invalid_argument("no operation " + std::string(control));
    return RunOperation(context, *row);
  }
};

struct Sle4442Harness : MemoryCardHarness<Sle4442Inputs, FindSle4442Operation> {
  Sle4442Harness() { view.fields = {"00", "80", "FF", "FF", "FF"}; }
};
struct Sle4428Harness : MemoryCardHarness<Sle4428Inputs, FindSle4428Operation> {
  Sle4428Harness() { view.fields = {"00", "00", "80", "FF", "FF"}; }
};
struct At24Harness : MemoryCardHarness<At24Inputs, FindAt24Operation> {
  At24Harness() { view.fields = {"00", "00", "80"}; }
};

}  // namespace kdx::test
