// Keystroke filters on plain line edits, driven by real key events.
#include "ui/widgets/key_filter_installer.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QtTest>

using kdx::KeyFilter;
using kdx::ui::KeyFilterInstaller;

Q_DECLARE_METATYPE(kdx::KeyFilter)

namespace {

// The ways an operator pastes the clipboard into a field.
enum class PasteBy { CtrlV, ShiftInsert, ContextMenu };

void Paste(QLineEdit& edit, PasteBy how) {
  switch (how) {
    case PasteBy::CtrlV:
      QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
      return;
    case PasteBy::ShiftInsert:
      QTest::keyClick(&edit, Qt::Key_Insert, Qt::ShiftModifier);
      return;
    case PasteBy::ContextMenu: {
      QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint(2, 2),
                                edit.mapToGlobal(QPoint(2, 2)));
      QCoreApplication::sendEvent(&edit, &request);
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      QVERIFY(menu);
      QAction* paste = nullptr;
      for (auto* action : menu->actions()) {
        if (action->text().startsWith(QStringLiteral("&Paste"))) paste = action;
      }
      QVERIFY(paste);
      paste->trigger();
      menu->close();
      return;
    }
  }
}

// Drags `text` over `edit` and drops it in the middle; returns whether the
// edit took the drop (it gets one only when it accepted the drag).
bool Drop(QLineEdit& edit, const QString& text) {
  QMimeData data;
  data.setText(text);
  const QPoint middle = edit.rect().center();
  QDragEnterEvent enter(middle, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                        Qt::NoModifier);
  QCoreApplication::sendEvent(&edit, &enter);
  QDropEvent drop(QPointF(middle), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                  Qt::NoModifier);
  QCoreApplication::sendEvent(&edit, &drop);
  return enter.isAccepted() && drop.isAccepted();
}

}  // namespace

Q_DECLARE_METATYPE(PasteBy)

class KeyFilterInstallerTest : public QObject {
  Q_OBJECT

 private slots:
  // Typed characters: what each filter makes of a run of keys.
  void typing_data() {
    QTest::addColumn<KeyFilter>("filter");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("result");
    QTest::newRow("strict hex upper-cases") << KeyFilter::StrictHex << "0a9fBc"
                                            << "0A9FBC";
    QTest::newRow("strict hex drops others") << KeyFilter::StrictHex << "g-1 x.2Z"
                                             << "12";
    QTest::newRow("hex with Backspace upper-cases") << KeyFilter::HexWithBackspace << "de ad"
                                                    << "DEAD";
    QTest::newRow("decimal keeps digits") << KeyFilter::Decimal << "1a2F3 -4"
                                          << "1234";
    QTest::newRow("decimal with Backspace keeps digits")
        << KeyFilter::DecimalWithBackspace << "0x10"
        << "010";
  }
  void typing() {
    QFETCH(KeyFilter, filter);
    QFETCH(QString, keys);
    QFETCH(QString, result);
    QLineEdit edit;
    KeyFilterInstaller::install(&edit, filter);
    QTest::keyClicks(&edit, keys);
    QCOMPARE(edit.text(), result);
  }

  // Backspace is a character to the filters; Delete is not and always works.
  void backspaceAndDelete_data() {
    QTest::addColumn<KeyFilter>("filter");
    QTest::addColumn<QString>("afterBackspace");
    QTest::newRow("strict hex") << KeyFilter::StrictHex << "1234";
    QTest::newRow("hex with Backspace") << KeyFilter::HexWithBackspace << "123";
    QTest::newRow("decimal") << KeyFilter::Decimal << "1234";
    QTest::newRow("decimal with Backspace") << KeyFilter::DecimalWithBackspace << "123";
  }
  void backspaceAndDelete() {
    QFETCH(KeyFilter, filter);
    QFETCH(QString, afterBackspace);
    QLineEdit edit;
    KeyFilterInstaller::install(&edit, filter);
    QTest::keyClicks(&edit, QStringLiteral("1234"));
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QCOMPARE(edit.text(), afterBackspace);
    QTest::keyClick(&edit, Qt::Key_Home);
    // Delete as X11 reports it, carrying the DEL character.
    QTest::sendKeyEvent(QTest::Click, &edit, Qt::Key_Delete, QStringLiteral("\x7f"),
                        Qt::NoModifier);
    QCOMPARE(edit.text(), afterBackspace.mid(1));
    // Shortcuts pass: select all, then Delete empties the field.
    QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&edit, Qt::Key_Delete);
    QCOMPARE(edit.text(), QString());
  }

  // The purse value: ten decimal digits at most, no Backspace.
  void decimalWithLengthLimit() {
    QLineEdit edit(QStringLiteral("0"));
    edit.setMaxLength(10);
    KeyFilterInstaller::install(&edit, KeyFilter::Decimal);
    edit.selectAll();
    QTest::keyClicks(&edit, QStringLiteral("98765432109"));
    QCOMPARE(edit.text(), QStringLiteral("9876543210"));
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QCOMPARE(edit.text(), QStringLiteral("9876543210"));
  }

  // An upper-cased letter is typed like any key: the length limit holds.
  void upperCasedLetterRespectsLimit() {
    QLineEdit edit;
    edit.setMaxLength(2);
    KeyFilterInstaller::install(&edit, KeyFilter::StrictHex);
    QTest::keyClicks(&edit, QStringLiteral("abc"));
    QCOMPARE(edit.text(), QStringLiteral("AB"));
  }

  // Pasted text goes through the filter one character at a time, whichever
  // way it is pasted; Backspace and Tab in it are not keys.
  void pasteIsFiltered_data() {
    QTest::addColumn<KeyFilter>("filter");
    QTest::addColumn<PasteBy>("how");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("result");  // pasted after "7"
    QTest::newRow("hex, Ctrl+V") << KeyFilter::StrictHex << PasteBy::CtrlV << "zz9a-b"
                                 << "79AB";
    QTest::newRow("hex with Backspace, Shift+Insert")
        << KeyFilter::HexWithBackspace << PasteBy::ShiftInsert << "1\b2 c"
        << "712C";
    QTest::newRow("decimal, Ctrl+V") << KeyFilter::Decimal << PasteBy::CtrlV << "zz9"
                                     << "79";
    QTest::newRow("decimal with Backspace, menu")
        << KeyFilter::DecimalWithBackspace << PasteBy::ContextMenu << "4\b\t5\u00b2e"
        << "745";
    QTest::newRow("nothing admitted") << KeyFilter::Decimal << PasteBy::CtrlV << "ZZ"
                                      << "7";
  }
  void pasteIsFiltered() {
    QFETCH(KeyFilter, filter);
    QFETCH(PasteBy, how);
    QFETCH(QString, clipboard);
    QFETCH(QString, result);
    QLineEdit edit(QStringLiteral("7"));
    KeyFilterInstaller::install(&edit, filter);
    QGuiApplication::clipboard()->setText(clipboard);
    Paste(edit, how);
    QCOMPARE(edit.text(), result);
  }

  // A paste replaces the selection, stops at the length limit and is undone
  // as one step.
  void pasteKeepsLimitAndUndo() {
    QLineEdit edit(QStringLiteral("0"));
    edit.setMaxLength(4);
    KeyFilterInstaller::install(&edit, KeyFilter::StrictHex);
    edit.selectAll();
    QGuiApplication::clipboard()->setText(QStringLiteral("x1y2z3a4"));
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit.text(), QStringLiteral("123A"));
    QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(edit.text(), QStringLiteral("0"));
  }

  // A middle click pastes the selection on platforms that have one (X11).
  void middleClickPasteIsFiltered() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard->supportsSelection()) QSKIP("this platform has no selection to paste");
    QLineEdit edit(QStringLiteral("7"));
    KeyFilterInstaller::install(&edit, KeyFilter::StrictHex);
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    clipboard->setText(QStringLiteral("zz 0d"), QClipboard::Selection);
    QTRY_COMPARE(clipboard->text(QClipboard::Selection), QStringLiteral("zz 0d"));
    QTest::mouseClick(&edit, Qt::MiddleButton, Qt::NoModifier, QPoint(edit.width() - 2, 5));
    QCOMPARE(edit.text(), QStringLiteral("70D"));
  }

  // Dropped text is filtered like pasted text; a drop of nothing admitted is
  // refused, so that a moving drag does not take the text from its source.
  void dropIsFiltered_data() {
    QTest::addColumn<KeyFilter>("filter");
    QTest::addColumn<QString>("dropped");
    QTest::addColumn<QString>("result");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("hex") << KeyFilter::StrictHex << "ZZ0f"
                         << "0F" << true;
    QTest::newRow("decimal") << KeyFilter::Decimal << "zz9"
                             << "9" << true;
    QTest::newRow("nothing admitted") << KeyFilter::HexWithBackspace << "ZZ"
                                      << "" << false;
  }
  void dropIsFiltered() {
    QFETCH(KeyFilter, filter);
    QFETCH(QString, dropped);
    QFETCH(QString, result);
    QFETCH(bool, accepted);
    QLineEdit edit;
    KeyFilterInstaller::install(&edit, filter);
    QCOMPARE(Drop(edit, dropped), accepted);
    QCOMPARE(edit.text(), result);
  }

  // Text the program writes is not a keystroke.
  void programmaticTextIsNotFiltered() {
    QLineEdit edit;
    KeyFilterInstaller::install(&edit, KeyFilter::Decimal);
    edit.setText(QStringLiteral("xyz"));
    QCOMPARE(edit.text(), QStringLiteral("xyz"));
  }

  void installingAgainReplaces() {
    QLineEdit edit;
    QVERIFY(!KeyFilterInstaller::installedOn(&edit));
    KeyFilterInstaller::install(&edit, KeyFilter::StrictHex);
    KeyFilterInstaller::install(&edit, KeyFilter::Decimal);
    QCOMPARE(KeyFilterInstaller::installedOn(&edit), std::optional(KeyFilter::Decimal));
    QCOMPARE(edit.findChildren<KeyFilterInstaller*>().size(), 1);
    QTest::keyClicks(&edit, QStringLiteral("A1"));
    QCOMPARE(edit.text(), QStringLiteral("1"));
  }
};

#include "test_main.h"
KDX_TEST_MAIN(KeyFilterInstallerTest)
#include "key_filter_installer_test.moc"
