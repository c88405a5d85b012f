#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kdx {

// The keys a byte grid cell reacts to besides typed characters: the arrows
// on key press, Enter and Escape on key release.
enum class GridKey { Right, Left, Enter, Escape };

// What a key does to the text of the cell it was pressed in.
enum class CellEdit { None, Pad, Clear };

struct GridKeyAction {
  CellEdit edit = CellEdit::None;
  std::optional<int> focus;  // the cell that takes the focus; none: it stays

  bool operator==(const GridKeyAction&) const = default;
};

// The editing rules of a byte grid: a row of one-byte cells addressed by
// index, in which the focus runs from cell to cell by itself and wraps around
// at both ends. Cell texts are single-byte text; "character" means one byte.
class GridRules {
 public:
  // A grid of `count` cells; fewer than one is taken as one.
  explicit GridRules(int count);

  int count() const { return count_; }
  int last() const { return count_ - 1; }

  // The cell after `index`, cell 0 after the last.
  int next(int index) const;
  // The cell before `index`, the last cell before cell 0.
  int previous(int index) const;

  // A cell whose text grew longer than one character is full: it keeps the
  // last two characters and hands the focus to the next cell.
  static bool IsFull(std::string_view text) { return text.size() > 1; }
  static std::string KeepLastTwo(std::string_view text);

  // Padding when the focus leaves a cell: "7" -> "07"; "" and two or more
  // characters are left as they are.
  static std::string Pad(std::string_view text);

  // The edit and focus move a grid key makes in cell `index`.
  GridKeyAction onKey(int index, GridKey key) const;

 private:
  int count_;
};

}  // namespace kdx
