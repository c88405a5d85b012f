#include "ui/widgets/byte_grid.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>

#include "ui/widgets/key_filter_installer.h"
#include "ui/widgets/texts.h"

namespace kdx::ui {

// One cell: a line edit that reports its keys and focus changes to its grid
// by index, and keeps its whole text selected when it takes the focus.
class ByteCell final : public QLineEdit {
 public:
  ByteCell(ByteGrid* grid, int index) : QLineEdit(grid), grid_(grid), index_(index) {}

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    switch (event->key()) {
      case Qt::Key_Right:
        grid_->onKey(index_, GridKey::Right);
        return;
      case Qt::Key_Left:
        grid_->onKey(index_, GridKey::Left);
        return;
      case Qt::Key_Return:
      case Qt::Key_Enter:
      case Qt::Key_Escape:
        // Acted on when released; taken here so that a dialog around the grid
        // does not also see them as its default or cancel button.
        event->accept();
        return;
      default:
        QLineEdit::keyPressEvent(event);
    }
  }

  void keyReleaseEvent(QKeyEvent* event) override {
    if (!event->isAutoRepeat()) {
      switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
          grid_->onKey(index_, GridKey::Enter);
          return;
        case Qt::Key_Escape:
          grid_->onKey(index_, GridKey::Escape);
          return;
        default:
          break;
      }
    }
    QLineEdit::keyReleaseEvent(event);
  }

  void focusInEvent(QFocusEvent* event) override {
    QLineEdit::focusInEvent(event);
    selectAll();
    // The click that gave the focus would put the cursor at the click point;
    // the selection is restored when the button comes up.
    selectOnRelease_ = event->reason() == Qt::MouseFocusReason;
  }

  void mouseReleaseEvent(QMouseEvent* event) override {
    QLineEdit::mouseReleaseEvent(event);
    if (selectOnRelease_ && !hasSelectedText()) selectAll();
    selectOnRelease_ = false;
  }

  void focusOutEvent(QFocusEvent* event) override {
    QLineEdit::focusOutEvent(event);
    // Another window or a menu taking over leaves the operator in this cell.
    const auto reason = event->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
      grid_->onFocusLost(index_);
    }
  }

 private:
  ByteGrid* grid_;
  int index_;
  bool selectOnRelease_ = false;
};

namespace {

QLabel* Heading(int number, QWidget* parent) {
  auto* label = new QLabel(FromDevice(HexByte(static_cast<std::uint8_t>(number))), parent);
  label->setAlignment(Qt::AlignCenter);
  return label;
}

}  // namespace

ByteGridShape ByteGridShape::icText() {
  return {QStringLiteral("ICText"), 128, 16, 2, true, true, {}, {}};
}

ByteGridShape ByteGridShape::srfText() {
  return {QStringLiteral("SRFTextLIST"), 16, 16, 0, false, true, {}, {}};
}

ByteGridShape ByteGridShape::ulText() {
  return {QStringLiteral("ULTextLIST"), 4, 4, 0, false, false, {}, {}};
}

ByteGridShape ByteGridShape::srfPassword() {
  return {QStringLiteral("SRFPASSWORDLIST"),
          6,
          6,
          0,
          false,
          false,
          QString::fromLatin1(kDefaultKeyByte),
          QColor(192, 192, 0)};
}

ByteGrid::ByteGrid(const ByteGridShape& shape, QWidget* parent)
    : QWidget(parent), rules_(shape.count) {
  build(shape);
  connect(this, &QObject::objectNameChanged, this, &ByteGrid::nameCells);
  setObjectName(shape.name);
  nameCells();
}

ByteGrid::~ByteGrid() = default;

void ByteGrid::build(const ByteGridShape& shape) {
  const int columns = shape.columns < 1 ? 1 : shape.columns;
  const int firstRow = shape.columnHeadings ? 1 : 0;
  const int firstColumn = shape.rowLabels ? 1 : 0;
  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  if (shape.columnHeadings) {
    for (int column = 0; column < columns; ++column) {
      layout->addWidget(Heading(column, this), 0, firstColumn + column);
    }
  }
  cells_.reserve(static_cast<std::size_t>(rules_.count()));
  for (int index = 0; index < rules_.count(); ++index) {
    const int row = index / columns;
    const int column = index % columns;
    if (shape.rowLabels && column == 0) {
      layout->addWidget(Heading(row, this), firstRow + row, 0);
    }
    auto* cell = new ByteCell(this, index);
    KeyFilterInstaller::install(cell, KeyFilter::StrictHex);
    if (shape.maxLength > 0) cell->setMaxLength(shape.maxLength);
    cell->setAlignment(Qt::AlignCenter);
    cell->setFixedWidth(cell->fontMetrics().horizontalAdvance(QStringLiteral("DDD")) + 10);
    if (shape.cellBackground.isValid()) {
      QPalette palette = cell->palette();
      palette.setColor(QPalette::Base, shape.cellBackground);
      cell->setPalette(palette);
    }
    cell->setText(shape.initialText);
    connect(cell, &QLineEdit::textChanged, this,
            [this, index](const QString& text) { onTextChanged(index, text); });
    layout->addWidget(cell, firstRow + row, firstColumn + column);
    cells_.push_back(cell);
  }
}

void ByteGrid::nameCells() {
  const QString name = objectName();
  for (int index = 0; index < count(); ++index) {
    const QString cellName = QStringLiteral("%1(%2)").arg(name).arg(index);
    cells_[static_cast<std::size_t>(index)]->setObjectName(cellName);
    cells_[static_cast<std::size_t>(index)]->setAccessibleDescription(cellName);
  }
}

QLineEdit* ByteGrid::cell(int index) const {
  if (index < 0 || index >= count()) return nullptr;
  return cells_[static_cast<std::size_t>(index)];
}

QString ByteGrid::cellText(int index) const {
  const QLineEdit* edit = cell(index);
  return edit ? edit->text() : QString();
}

void ByteGrid::setCellText(int index, const QString& text) {
  QLineEdit* edit = cell(index);
  if (!edit) return;
  // Cut to the last two first, so that a length limit of two does not keep
  // the first two instead.
  const QString kept = FromDevice(GridRules::KeepLastTwo(text.toLatin1().toStdString()));
  edit->setText(kept);
}

std::string ByteGrid::text(int index) const {
  return ToDevice(cellText(index));
}

void ByteGrid::setText(int index, std::string_view text) {
  setCellText(index, FromDevice(text));
}

void ByteGrid::clearCells() {
  for (auto* edit : cells_) edit->clear();
}

std::vector<std::string> ByteGrid::cellTexts() const {
  std::vector<std::string> texts;
  texts.reserve(cells_.size());
  for (const auto* edit : cells_) texts.push_back(edit->text().toLatin1().toStdString());
  return texts;
}

Bytes ByteGrid::bytes() const {
  return GridBytes(*this, 0, count());
}

void ByteGrid::setBytes(ByteView bytes, int first) {
  WriteGridBytes(*this, bytes, first);
}

void ByteGrid::onTextChanged(int index, const QString& text) {
  if (adjusting_ == index) return;  // the grid's own rewrite below
  const std::string latin = text.toLatin1().toStdString();
  if (!GridRules::IsFull(latin)) return;
  if (latin.size() > 2) {
    adjusting_ = index;
    cells_[static_cast<std::size_t>(index)]->setText(FromDevice(GridRules::KeepLastTwo(latin)));
    adjusting_ = -1;
  }
  if (!focusMoveHeld_ && mayMoveFocus()) moveFocus(rules_.next(index));
}

void ByteGrid::onKey(int index, GridKey key) {
  const GridKeyAction action = rules_.onKey(index, key);
  switch (action.edit) {
    case CellEdit::Pad:
      pad(index);
      break;
    case CellEdit::Clear:
      cells_[static_cast<std::size_t>(index)]->clear();
      break;
    case CellEdit::None:
      break;
  }
  if (action.focus) moveFocus(*action.focus);
}

void ByteGrid::onFocusLost(int index) {
  // The focus is already on its way to where the operator sent it (a click,
  // Tab), and padding leaves it there.
  pad(index);
}

// Padding fills the cell, which by the full-cell rule would move the focus
// on; here the key or the focus change that asked for the padding decides.
void ByteGrid::pad(int index) {
  QLineEdit* edit = cells_[static_cast<std::size_t>(index)];
  const bool held = focusMoveHeld_;
  focusMoveHeld_ = true;
  edit->setText(FromDevice(GridRules::Pad(edit->text().toLatin1().toStdString())));
  focusMoveHeld_ = held;
}

void ByteGrid::moveFocus(int index) {
  if (!mayMoveFocus()) return;
  cells_[static_cast<std::size_t>(index)]->setFocus(Qt::OtherFocusReason);
}

bool ByteGrid::mayMoveFocus() const {
  return isVisible() && window()->isActiveWindow();
}

}  // namespace kdx::ui
