// Keystroke filters on line edits and on editable combo boxes, driven as an
// operator drives them: a click into the field, then real key events to the
// widget that has the focus.
#include "ui/widgets/key_filter_installer.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QVBoxLayout>
#include <QtTest>
#include <functional>

#include "typing.h"

using kdx::KeyFilter;
using kdx::test::ClickInto;
using kdx::ui::KeyFilterInstaller;

Q_DECLARE_METATYPE(kdx::KeyFilter)

namespace {

// Where the filtered line edit stands: alone, or as the text box of an
// editable combo box, which takes the focus and the keys in its place.
enum class Host { LineEdit, Combo };

// A window holding one filtered field beside an unfiltered one.
struct Field {
  QWidget window;
  QComboBox* combo = nullptr;
  QLineEdit* edit = nullptr;

  Field(Host host, KeyFilter filter, const QString& text = {}, int maxLength = 32767) {
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLineEdit);
    if (host == Host::Combo) {
      combo = new QComboBox;
      combo->setEditable(true);
      combo->setInsertPolicy(QComboBox::NoInsert);
      edit = combo->lineEdit();
      layout->addWidget(combo);
    } else {
      edit = new QLineEdit;
      layout->addWidget(edit);
    }
    edit->setText(text);
    edit->setMaxLength(maxLength);
    KeyFilterInstaller::install(edit, filter);
  }
  // Clicks into the field; the widget that then has the focus.
  QWidget* focus() { return ClickInto(combo ? static_cast<QWidget*>(combo) : edit); }
};

// Rows for both hosts.
void NewRows(const char* name, const std::function<void(QTestData&)>& values) {
  for (Host host : {Host::LineEdit, Host::Combo}) {
    QTestData& row =
        QTest::newRow(qPrintable(QString(name) + (host == Host::Combo ? ", combo" : "")));
    row << host;
    values(row);
  }
}

// The ways an operator pastes the clipboard into a field.
enum class PasteBy { CtrlV, ShiftInsert, ContextMenu };

void Paste(QWidget* focus, QLineEdit& edit, PasteBy how) {
  switch (how) {
    case PasteBy::CtrlV:
      QTest::keyClick(focus, Qt::Key_V, Qt::ControlModifier);
      return;
    case PasteBy::ShiftInsert:
      QTest::keyClick(focus, Qt::Key_Insert, Qt::ShiftModifier);
      return;
    case PasteBy::ContextMenu: {
      // The menu belongs to the text box under the pointer.
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

Q_DECLARE_METATYPE(Host)
Q_DECLARE_METATYPE(PasteBy)

class KeyFilterInstallerTest : public QObject {
  Q_OBJECT

 private slots:
  // Typed characters: what each filter makes of a run of keys.
  void typing_data() {
    QTest::addColumn<Host>("host");
    QTest::addColumn<KeyFilter>("filter");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("result");
    NewRows("strict hex upper-cases", [](QTestData& r) {
      r << KeyFilter::StrictHex << "0a9fBc"
        << "0A9FBC";
    });
    NewRows("strict hex drops others", [](QTestData& r) {
      r << KeyFilter::StrictHex << "g-1 x.2Z"
        << "12";
    });
    NewRows("hex with Backspace upper-cases", [](QTestData& r) {
      r << KeyFilter::HexWithBackspace << "de ad"
        << "DEAD";
    });
    NewRows("hex with Backspace edits", [](QTestData& r) {
      r << KeyFilter::HexWithBackspace << "a0g- 1\bf"
        << "A0F";
    });
    NewRows("decimal keeps digits", [](QTestData& r) {
      r << KeyFilter::Decimal << "1a2F3 -4"
        << "1234";
    });
    NewRows("decimal with Backspace keeps digits", [](QTestData& r) {
      r << KeyFilter::DecimalWithBackspace << "0x10"
        << "010";
    });
  }
  void typing() {
    QFETCH(Host, host);
    QFETCH(KeyFilter, filter);
    QFETCH(QString, keys);
    QFETCH(QString, result);
    Field field(host, filter);
    QWidget* focus = field.focus();
    QVERIFY(focus);
    QCOMPARE(focus, host == Host::Combo ? static_cast<QWidget*>(field.combo) : field.edit);
    QTest::keyClicks(focus, keys);
    QCOMPARE(field.edit->text(), result);
  }

  // Backspace is a character to the filters; Delete is not and always works.
  void backspaceAndDelete_data() {
    QTest::addColumn<Host>("host");
    QTest::addColumn<KeyFilter>("filter");
    QTest::addColumn<QString>("afterBackspace");
    NewRows("strict hex", [](QTestData& r) { r << KeyFilter::StrictHex << "1234"; });
    NewRows("hex with Backspace", [](QTestData& r) { r << KeyFilter::HexWithBackspace << "123"; });
    NewRows("decimal", [](QTestData& r) { r << KeyFilter::Decimal << "1234"; });
    NewRows("decimal with Backspace",
            [](QTestData& r) { r << KeyFilter::DecimalWithBackspace << "123"; });
  }
  void backspaceAndDelete() {
    QFETCH(Host, host);
    QFETCH(KeyFilter, filter);
    QFETCH(QString, afterBackspace);
    Field field(host, filter);
    QWidget* focus = field.focus();
    QVERIFY(focus);
    QTest::keyClicks(focus, QStringLiteral("1234"));
    QTest::keyClick(focus, Qt::Key_Backspace);
    QCOMPARE(field.edit->text(), afterBackspace);
    QTest::keyClick(focus, Qt::Key_Home);
    // Delete as X11 reports it, carrying the DEL character.
    QTest::sendKeyEvent(QTest::Click, focus, Qt::Key_Delete, QStringLiteral("\x7f"),
                        Qt::NoModifier);
    QCOMPARE(field.edit->text(), afterBackspace.mid(1));
    // Shortcuts pass: select all, then Delete empties the field.
    QTest::keyClick(focus, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(focus, Qt::Key_Delete);
    QCOMPARE(field.edit->text(), QString());
  }

  // The purse value: ten decimal digits at most, no Backspace.
  void decimalWithLengthLimit() {
    Field field(Host::LineEdit, KeyFilter::Decimal, QStringLiteral("0"), 10);
    QWidget* focus = field.focus();
    QVERIFY(focus);
    QTest::keyClick(focus, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(focus, QStringLiteral("98765432109"));
    QCOMPARE(field.edit->text(), QStringLiteral("9876543210"));
    QTest::keyClick(focus, Qt::Key_Backspace);
    QCOMPARE(field.edit->text(), QStringLiteral("9876543210"));
  }

  // An upper-cased letter is typed like any key: the length limit holds.
  void upperCasedLetterRespectsLimit_data() {
    QTest::addColumn<Host>("host");
    NewRows("limit 2", [](QTestData&) {});
  }
  void upperCasedLetterRespectsLimit() {
    QFETCH(Host, host);
    Field field(host, KeyFilter::StrictHex, QString(), 2);
    QWidget* focus = field.focus();
    QVERIFY(focus);
    QTest::keyClicks(focus, QStringLiteral("abc"));
    QCOMPARE(field.edit->text(), QStringLiteral("AB"));
  }

  // Pasted text goes through the filter one character at a time, whichever
  // way it is pasted; Backspace and Tab in it are not keys.
  void pasteIsFiltered_data() {
    QTest::addColumn<Host>("host");
    QTest::addColumn<KeyFilter>("filter");
    QTest::addColumn<PasteBy>("how");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("result");  // pasted after "7"
    NewRows("hex, Ctrl+V", [](QTestData& r) {
      r << KeyFilter::StrictHex << PasteBy::CtrlV << "zz9a-b"
        << "79AB";
    });
    NewRows("hex with Backspace, Shift+Insert", [](QTestData& r) {
      r << KeyFilter::HexWithBackspace << PasteBy::ShiftInsert << "1\b2 c"
        << "712C";
    });
    NewRows("decimal, Ctrl+V", [](QTestData& r) {
      r << KeyFilter::Decimal << PasteBy::CtrlV << "zz9"
        << "79";
    });
    NewRows("decimal with Backspace, menu", [](QTestData& r) {
      r << KeyFilter::DecimalWithBackspace << PasteBy::ContextMenu << "4\b\t5\u00b2e"
        << "745";
    });
    NewRows("nothing admitted", [](QTestData& r) {
      r << KeyFilter::Decimal << PasteBy::CtrlV << "ZZ"
        << "7";
    });
  }
  void pasteIsFiltered() {
    QFETCH(Host, host);
    QFETCH(KeyFilter, filter);
    QFETCH(PasteBy, how);
    QFETCH(QString, clipboard);
    QFETCH(QString, result);
    Field field(host, filter, QStringLiteral("7"));
    QWidget* focus = field.focus();
    QVERIFY(focus);
    QTest::keyClick(focus, Qt::Key_End);
    QGuiApplication::clipboard()->setText(clipboard);
    Paste(focus, *field.edit, how);
    QCOMPARE(field.edit->text(), result);
  }

  // A paste replaces the selection, stops at the length limit and is undone
  // as one step.
  void pasteKeepsLimitAndUndo() {
    Field field(Host::LineEdit, KeyFilter::StrictHex, QStringLiteral("0"), 4);
    QWidget* focus = field.focus();
    QVERIFY(focus);
    QTest::keyClick(focus, Qt::Key_A, Qt::ControlModifier);
    QGuiApplication::clipboard()->setText(QStringLiteral("x1y2z3a4"));
    QTest::keyClick(focus, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(field.edit->text(), QStringLiteral("123A"));
    QTest::keyClick(focus, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(field.edit->text(), QStringLiteral("0"));
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

  // On a combo box too the new filter alone is at work.
  void installingAgainReplaces() {
    Field field(Host::Combo, KeyFilter::StrictHex);
    KeyFilterInstaller::install(field.edit, KeyFilter::Decimal);
    QCOMPARE(KeyFilterInstaller::installedOn(field.edit), std::optional(KeyFilter::Decimal));
    QCOMPARE(field.edit->findChildren<KeyFilterInstaller*>().size(), 1);
    QWidget* focus = field.focus();
    QVERIFY(focus);
    QTest::keyClicks(focus, QStringLiteral("A1"));
    QCOMPARE(field.edit->text(), QStringLiteral("1"));
  }
};

#include "test_main.h"
KDX_TEST_MAIN(KeyFilterInstallerTest)
#include "key_filter_installer_test.moc"
