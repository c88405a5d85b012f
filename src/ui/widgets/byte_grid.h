#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <vector>

#include "input/cell_grid.h"
#include "input/grid_rules.h"
#include "link/bytes.h"

class QLineEdit;

namespace kdx::ui {

class ByteCell;

// How a byte grid looks: its array name, its cells and their arrangement.
struct ByteGridShape {
  QString name;                 // the array name, e.g. "ICText"
  int count = 1;                // number of cells
  int columns = 1;              // cells per row; index = row * columns + column
  int maxLength = 0;            // characters per cell; 0 for no limit
  bool rowLabels = false;       // "00", "01", ... beside each row
  bool columnHeadings = false;  // "00" .. "0F" above the columns
  QString initialText;          // text of every cell at creation
  QColor cellBackground;        // invalid: the style's own

  // The contact memory card data: 128 cells, 8 rows of 16, two characters each.
  static ByteGridShape icText();
  // One Mifare block: 16 cells in a row under the column headings.
  static ByteGridShape srfText();
  // One Ultralight page: 4 cells in a row.
  static ByteGridShape ulText();
  // The 6-byte Mifare sector key, on dark yellow, preset to the default key.
  static ByteGridShape srfPassword();
};

// The text each cell of the sector key grid starts with: the six cells
// together make the card family's factory default key FFFFFFFFFFFF.
inline constexpr const char* kDefaultKeyByte = "FF";

// A row or block of one-byte hex cells addressed by index. Each cell is a
// line edit with the strict hex filter, named "<array name>(<index>)" in its
// objectName and accessibleDescription. While the operator types, the focus
// runs from cell to cell by itself:
//   - a cell whose text grows longer than one character keeps its last two
//     and hands the focus to the next cell, whatever wrote the text;
//   - Right and Left arrow (on press) and Enter (on release) pad the cell
//     ("7" -> "07") and move to the next or previous cell, wrapping around;
//   - Escape (on release) empties the cell; leaving a cell pads it;
//   - a cell that takes the focus selects its whole text.
//
// The grid only moves the focus when it can be seen and its window is the
// active one. Text written into a grid on a hidden tab or in a window in the
// background still keeps its last two characters, but the focus stays where
// the operator has it: a grid out of sight must not pull keystrokes into it.
class ByteGrid final : public QWidget, public CellGrid {
  Q_OBJECT

 public:
  explicit ByteGrid(const ByteGridShape& shape, QWidget* parent = nullptr);
  ~ByteGrid() override;

  int count() const { return static_cast<int>(cells_.size()); }
  QLineEdit* cell(int index) const;

  QString cellText(int index) const;
  // Writes a cell as the command code does after a reply; the full-cell rule
  // applies (at most the last two characters stay, the focus moves on) even
  // in a cell with a length limit.
  void setCellText(int index, const QString& text);
  // The grid as the card operations read and write it (single-byte text).
  int cellCount() const override { return count(); }
  std::string text(int index) const override;
  void setText(int index, std::string_view text) override;
  // Empties every cell.
  void clearCells() override;

  // All cell texts, in index order.
  std::vector<std::string> cellTexts() const;
  // Each cell's text read as a hex number, as the command code reads a grid:
  // an empty cell gives 00, "7" gives 07 (CellByte).
  Bytes bytes() const;
  // Writes the bytes as two-digit hex into the cells from `first` on (bytes
  // beyond the last cell are dropped).
  void setBytes(ByteView bytes, int first = 0);

 private:
  friend class ByteCell;

  void build(const ByteGridShape& shape);
  void nameCells();
  void onTextChanged(int index, const QString& text);
  void onKey(int index, GridKey key);
  void onFocusLost(int index);
  void pad(int index);
  void moveFocus(int index);
  bool mayMoveFocus() const;

  GridRules rules_;
  std::vector<ByteCell*> cells_;
  int adjusting_ = -1;          // cell whose text the grid itself is rewriting
  bool focusMoveHeld_ = false;  // padding: the caller decides where the focus goes
};

}  // namespace kdx::ui
