// The byte grid driven by real key and mouse events on a shown, active window.
#include "ui/widgets/byte_grid.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QtTest>
#include <memory>

#include "ui/widgets/key_filter_installer.h"

using kdx::ui::ByteGrid;
using kdx::ui::ByteGridShape;

Q_DECLARE_METATYPE(ByteGridShape)

namespace {

// Types each key into whatever widget has the focus at that moment, as a
// keyboard does; the grid moves the focus between keys.
void TypeAtFocus(const QString& keys) {
  for (const QChar key : keys) QTest::keyClick(QApplication::focusWidget(), key.toLatin1());
}

void PressAtFocus(Qt::Key key) {
  QTest::keyClick(QApplication::focusWidget(), key);
}

int FocusedCell(const ByteGrid& grid) {
  for (int i = 0; i < grid.count(); ++i) {
    if (grid.cell(i) == QApplication::focusWidget()) return i;
  }
  return -1;
}

}  // namespace

class ByteGridTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<ByteGrid> grid_;

  // A shown, active grid with the focus in cell `index`.
  bool showWithFocus(const ByteGridShape& shape, int index) {
    grid_ = std::make_unique<ByteGrid>(shape);
    grid_->show();
    grid_->activateWindow();
    if (!QTest::qWaitForWindowActive(grid_.get())) return false;
    grid_->cell(index)->setFocus(Qt::OtherFocusReason);
    return FocusedCell(*grid_) == index;
  }

 private slots:
  void cleanup() { grid_.reset(); }

  void typedKeysAreFiltered() {
    QVERIFY(showWithFocus(ByteGridShape::srfText(), 0));
    TypeAtFocus(QStringLiteral("a"));
    QCOMPARE(grid_->cellText(0), QStringLiteral("A"));
    TypeAtFocus(QStringLiteral("g- "));
    PressAtFocus(Qt::Key_Backspace);
    QCOMPARE(grid_->cellText(0), QStringLiteral("A"));
    QCOMPARE(FocusedCell(*grid_), 0);
    // Delete still edits.
    PressAtFocus(Qt::Key_Home);
    PressAtFocus(Qt::Key_Delete);
    QCOMPARE(grid_->cellText(0), QString());
  }

  // Pasted and dropped text is filtered as typed keys are, and a cell filled
  // with it hands the focus on like a typed one.
  void pastedAndDroppedTextIsFiltered_data() {
    QTest::addColumn<bool>("drop");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("focus");
    QTest::newRow("paste nothing admitted") << false << "ZZ"
                                            << "" << 5;
    QTest::newRow("paste") << false << "zz 1a"
                           << "1A" << 6;
    QTest::newRow("drop nothing admitted") << true << "ZZ"
                                           << "" << 5;
    QTest::newRow("drop") << true << "x7f"
                          << "7F" << 6;
  }
  void pastedAndDroppedTextIsFiltered() {
    QFETCH(bool, drop);
    QFETCH(QString, text);
    QFETCH(QString, result);
    QFETCH(int, focus);
    QVERIFY(showWithFocus(ByteGridShape::icText(), 5));
    QLineEdit* cell = grid_->cell(5);
    if (drop) {
      QMimeData data;
      data.setText(text);
      const QPoint middle = cell->rect().center();
      QDragEnterEvent enter(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QCoreApplication::sendEvent(cell, &enter);
      QDropEvent event(QPointF(middle), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QCoreApplication::sendEvent(cell, &event);
    } else {
      QGuiApplication::clipboard()->setText(text);
      QTest::keyClick(cell, Qt::Key_V, Qt::ControlModifier);
    }
    QCOMPARE(grid_->cellText(5), result);
    QCOMPARE(FocusedCell(*grid_), focus);
  }

  void twoDigitsHandTheFocusOn() {
    QVERIFY(showWithFocus(ByteGridShape::srfText(), 0));
    TypeAtFocus(QStringLiteral("123"));
    QCOMPARE(grid_->cellText(0), QStringLiteral("12"));
    QCOMPARE(grid_->cellText(1), QStringLiteral("3"));
    QCOMPARE(FocusedCell(*grid_), 1);
  }

  // A run of digits fills the whole grid and continues from cell 0.
  void lastCellWrapsToFirst_data() {
    QTest::addColumn<ByteGridShape>("shape");
    QTest::addColumn<int>("last");
    QTest::newRow("ICText") << ByteGridShape::icText() << 127;
    QTest::newRow("SRFTextLIST") << ByteGridShape::srfText() << 15;
    QTest::newRow("ULTextLIST") << ByteGridShape::ulText() << 3;
    QTest::newRow("SRFPASSWORDLIST") << ByteGridShape::srfPassword() << 5;
  }
  void lastCellWrapsToFirst() {
    QFETCH(ByteGridShape, shape);
    QFETCH(int, last);
    QVERIFY(showWithFocus(shape, last));
    // The key grid's preset text is selected on focus and typed over.
    TypeAtFocus(QStringLiteral("4c"));
    QCOMPARE(grid_->cellText(last), QStringLiteral("4C"));
    QCOMPARE(FocusedCell(*grid_), 0);
    TypeAtFocus(QStringLiteral("5"));
    QCOMPARE(grid_->cellText(0), QStringLiteral("5"));
  }

  void arrowsWrapBothWays_data() {
    QTest::addColumn<ByteGridShape>("shape");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("to");
    QTest::newRow("Left in cell 0") << ByteGridShape::srfText() << 0 << int(Qt::Key_Left) << 15;
    QTest::newRow("Right in last") << ByteGridShape::srfText() << 15 << int(Qt::Key_Right) << 0;
    QTest::newRow("Left in ICText 0") << ByteGridShape::icText() << 0 << int(Qt::Key_Left) << 127;
    QTest::newRow("Up not handled") << ByteGridShape::ulText() << 2 << int(Qt::Key_Up) << 2;
  }
  void arrowsWrapBothWays() {
    QFETCH(ByteGridShape, shape);
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(int, to);
    QVERIFY(showWithFocus(shape, from));
    PressAtFocus(static_cast<Qt::Key>(key));
    QCOMPARE(FocusedCell(*grid_), to);
  }

  // "7" is padded to "07" however the operator leaves the cell, and the
  // focus lands where the key or click sends it; an empty cell stays empty.
  void leavingPads_data() {
    QTest::addColumn<int>("key");  // 0: mouse click on cell 9
    QTest::addColumn<int>("to");
    QTest::newRow("Tab") << int(Qt::Key_Tab) << 5;
    QTest::newRow("Right") << int(Qt::Key_Right) << 5;
    QTest::newRow("Left") << int(Qt::Key_Left) << 3;
    QTest::newRow("Return") << int(Qt::Key_Return) << 5;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << 5;
    QTest::newRow("mouse") << 0 << 9;
  }
  void leavingPads() {
    QFETCH(int, key);
    QFETCH(int, to);
    for (const QString& typed : {QStringLiteral("7"), QString()}) {
      QVERIFY(showWithFocus(ByteGridShape::srfText(), 4));
      TypeAtFocus(typed);
      if (key == 0) {
        QTest::mouseClick(grid_->cell(9), Qt::LeftButton);
      } else {
        PressAtFocus(static_cast<Qt::Key>(key));
      }
      QCOMPARE(grid_->cellText(4), typed.isEmpty() ? QString() : QStringLiteral("07"));
      QCOMPARE(FocusedCell(*grid_), to);
    }
  }

  void escapeClearsAndKeepsFocus() {
    QVERIFY(showWithFocus(ByteGridShape::ulText(), 2));
    TypeAtFocus(QStringLiteral("7"));
    PressAtFocus(Qt::Key_Left);
    PressAtFocus(Qt::Key_Right);
    QCOMPARE(grid_->cellText(2), QStringLiteral("07"));
    PressAtFocus(Qt::Key_Escape);
    QCOMPARE(grid_->cellText(2), QString());
    QCOMPARE(FocusedCell(*grid_), 2);
  }

  // Whatever brings the focus in, the whole text is selected and overtyped.
  void focusSelectsWholeText() {
    QVERIFY(showWithFocus(ByteGridShape::srfPassword(), 0));
    PressAtFocus(Qt::Key_Tab);
    QCOMPARE(grid_->cell(1)->selectedText(), QStringLiteral("FF"));
    QTest::mouseClick(grid_->cell(4), Qt::LeftButton);
    QCOMPARE(FocusedCell(*grid_), 4);
    QCOMPARE(grid_->cell(4)->selectedText(), QStringLiteral("FF"));
    TypeAtFocus(QStringLiteral("0"));
    QCOMPARE(grid_->cellText(4), QStringLiteral("0"));
  }

  // Written text keeps its last two characters, also past a length limit of
  // two, and hands the focus on like typed text.
  void writtenTextKeepsLastTwo_data() {
    QTest::addColumn<ByteGridShape>("shape");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("focus");
    QTest::newRow("SRFTextLIST") << ByteGridShape::srfText() << 5 << 6;
    QTest::newRow("SRFTextLIST last") << ByteGridShape::srfText() << 15 << 0;
    QTest::newRow("ICText") << ByteGridShape::icText() << 40 << 41;
  }
  void writtenTextKeepsLastTwo() {
    QFETCH(ByteGridShape, shape);
    QFETCH(int, index);
    QFETCH(int, focus);
    QVERIFY(showWithFocus(shape, 1));
    grid_->setCellText(index, QStringLiteral("1234"));
    QCOMPARE(grid_->cellText(index), QStringLiteral("34"));
    QCOMPARE(FocusedCell(*grid_), focus);
  }

  // A grid out of sight takes the text but leaves the focus where it is.
  void hiddenGridLeavesFocusAlone() {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* field = new QLineEdit(&window);
    auto* pages = new QStackedWidget(&window);
    auto* front = new QLabel(QStringLiteral("front"), pages);
    auto* onHiddenPage = new ByteGrid(ByteGridShape::srfText(), pages);
    pages->addWidget(front);
    pages->addWidget(onHiddenPage);
    layout->addWidget(field);
    layout->addWidget(pages);
    ByteGrid neverShown(ByteGridShape::ulText());
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    field->setFocus();
    QCOMPARE(QApplication::focusWidget(), field);

    onHiddenPage->setCellText(0, QStringLiteral("1234"));
    neverShown.setCellText(3, QStringLiteral("AB"));
    QCOMPARE(onHiddenPage->cellText(0), QStringLiteral("34"));
    QCOMPARE(neverShown.cellText(3), QStringLiteral("AB"));
    QCOMPARE(QApplication::focusWidget(), field);

    // Once its page is in front, the same grid moves the focus again.
    pages->setCurrentWidget(onHiddenPage);
    onHiddenPage->setCellText(7, QStringLiteral("EE"));
    QCOMPARE(FocusedCell(*onHiddenPage), 8);
  }

  // A shown grid whose window is in the background leaves the focus alone.
  void gridInBackgroundWindowLeavesFocusAlone() {
    QVERIFY(showWithFocus(ByteGridShape::srfText(), 2));
    QLineEdit front;
    front.show();
    front.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&front));
    front.setFocus();
    QVERIFY(!grid_->isActiveWindow());
    grid_->setCellText(9, QStringLiteral("99"));
    QCOMPARE(grid_->cellText(9), QStringLiteral("99"));
    QCOMPARE(QApplication::focusWidget(), &front);
    // Back in the grid's window, the operator is still in the cell they left.
    grid_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(grid_.get()));
    QCOMPARE(FocusedCell(*grid_), 2);
  }

  // Enter and Escape belong to the cell, not to a dialog around the grid.
  void dialogKeepsEnterAndEscapeOut() {
    QDialog dialog;
    auto* grid = new ByteGrid(ByteGridShape::ulText(), &dialog);
    (new QVBoxLayout(&dialog))->addWidget(grid);
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    grid->cell(0)->setFocus();
    TypeAtFocus(QStringLiteral("5"));
    PressAtFocus(Qt::Key_Return);
    PressAtFocus(Qt::Key_Escape);
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), 0);
    QCOMPARE(grid->cellText(0), QStringLiteral("05"));
    QCOMPARE(FocusedCell(*grid), 1);
  }

  void namesAndLayout() {
    ByteGrid ic(ByteGridShape::icText());
    QCOMPARE(ic.objectName(), QStringLiteral("ICText"));
    QCOMPARE(ic.count(), 128);
    QCOMPARE(ic.cell(5)->objectName(), QStringLiteral("ICText(5)"));
    QCOMPARE(ic.cell(128), nullptr);
    QCOMPARE(ic.cell(0)->maxLength(), 2);
    QStringList labels;
    for (const auto* label : ic.findChildren<QLabel*>()) labels << label->text();
    QCOMPARE(labels.size(), 16 + 8);
    QCOMPARE(labels.count(QStringLiteral("07")), 2);  // column and row heading
    QCOMPARE(labels.count(QStringLiteral("0F")), 1);  // column heading only
    // Row 7 sits below row 0, column 15 right of column 0.
    ic.resize(ic.sizeHint());
    ic.layout()->activate();
    QVERIFY(ic.cell(112)->geometry().top() > ic.cell(0)->geometry().top());
    QCOMPARE(ic.cell(112)->geometry().left(), ic.cell(0)->geometry().left());
    QVERIFY(ic.cell(15)->geometry().left() > ic.cell(0)->geometry().left());
    ByteGrid key(ByteGridShape::srfPassword());
    QCOMPARE(key.count(), 6);
    QCOMPARE(key.cell(0)->maxLength(), QLineEdit().maxLength());  // no limit
  }

  void bytesReadAndWritten() {
    ByteGrid grid(ByteGridShape::ulText());
    grid.setCellText(0, QStringLiteral("7"));
    grid.setCellText(2, QStringLiteral("ab"));
    grid.setCellText(3, QStringLiteral("F0"));
    QCOMPARE(grid.bytes(), (kdx::Bytes{0x07, 0x00, 0xAB, 0xF0}));
    grid.setBytes(kdx::Bytes{0x0A, 0xFF, 0x10}, 2);
    QCOMPARE(grid.cellTexts(), (std::vector<std::string>{"7", "", "0A", "FF"}));
    grid.clearCells();
    QCOMPARE(grid.bytes(), (kdx::Bytes{0, 0, 0, 0}));
  }
};

#include "test_main.h"
KDX_TEST_MAIN(ByteGridTest)
#include "byte_grid_test.moc"
