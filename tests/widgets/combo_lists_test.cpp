// The editable combo boxes of the main window and the port dialog: the
// operator may type any text, checked where it is used, but Enter never adds
// it to the list. Typed with real key events.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "link/bytes.h"
#include "ui/link/port_setup_dialog.h"
#include "ui/widgets/key_filter_installer.h"
#include "window_harness.h"

using namespace kdx;
using namespace kdx::test;

namespace {

QStringList Items(const QComboBox* combo) {
  QStringList items;
  for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
  return items;
}

// Replaces the combo's text by typing `text`, then presses Enter.
void TypeAndEnter(QComboBox* combo, const QString& text) {
  QTest::keyClick(combo, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(combo, Qt::Key_Backspace);
  QTest::keyClicks(combo, text);
  QTest::keyClick(combo, Qt::Key_Return);
}

// The command frames (not the ACK or EOT) the window wrote.
QStringList Frames(const LinkHarness& h) {
  QStringList frames;
  for (const auto& write : h.line.writes()) {
    if (write.bytes.size() > 1) frames << QString::fromStdString(HexBytes(write.bytes));
  }
  return frames;
}

}  // namespace

class ComboListsTest : public QObject {
  Q_OBJECT
 private slots:
  // Every editable combo of the main window, the RF tab's included; what a
  // key filter admits of the typed text.
  void windowListsKeepTheirItems() {
    WindowHarness h;
    h.window->show();
    QStringList editable;
    for (auto* combo : h.window->findChildren<QComboBox*>()) {
      if (!combo->isEditable()) continue;
      editable << combo->objectName();
      const QStringList before = Items(combo);
      const auto filter = ui::KeyFilterInstaller::installedOn(combo->lineEdit());
      for (const char* text : {"ZZ", "100"}) {
        TypeAndEnter(combo, text);
        QCOMPARE(combo->currentText(),
                 filter ? ui::KeyFilterInstaller::admitted(*filter, text) : QString(text));
        QCOMPARE(Items(combo), before);
      }
    }
    editable.sort();
    QCOMPARE(editable, QStringList({"TypeACAPDUText", "TypeBCAPDUText", "cmbAddress846"}));
  }

  // A typed address stays typed text: checked by the operation, sent when
  // it is a hex number up to FF.
  void typedAddressIsCheckedBySending_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("frame");  // empty: refused before sending
    QTest::newRow("letters") << "ZZ"
                             << "";
    QTest::newRow("beyond FF") << "100"
                               << "";
    QTest::newRow("two digits") << "1F"
                                << "F2 1F 00 03 43 31 30 03 AF";
    QTest::newRow("listed") << "A"
                            << "F2 0A 00 03 43 31 30 03 BA";
  }
  void typedAddressIsCheckedBySending() {
    QFETCH(QString, typed);
    QFETCH(QString, frame);
    WindowHarness h;
    h.state.linkOpen = true;
    h.window->show();
    auto* address = h.find<QComboBox>("cmbAddress846");
    TypeAndEnter(address, typed);
    QCOMPARE(address->count(), 16);
    QCOMPARE(address->currentText(), typed);
    QTest::mouseClick(h.find<QPushButton>("CardStatusBtn"), Qt::LeftButton);
    if (frame.isEmpty()) {
      QVERIFY(Frames(h).isEmpty());
      QCOMPARE(h.messages.boxes.size(), std::size_t{1});
      QCOMPARE(h.messages.boxes[0].text, std::string("Error:Please Check The Data Effective"));
    } else {
      QCOMPARE(Frames(h), QStringList({frame}));
    }
  }

  // Enter in the port dialog presses "OK", which checks what was typed.
  void portDialogTypedValues_data() {
    QTest::addColumn<QString>("combo");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("box");  // empty: the link opened
    QTest::newRow("unknown port") << "PortCombo"
                                  << "COM99"
                                  << "Comm Port Setup Invalid";
    QTest::newRow("unknown rate") << "BaudCombo"
                                  << "fast"
                                  << "Baud Rate Setup Invalid";
    QTest::newRow("rate without unit") << "BaudCombo"
                                       << "4800"
                                       << "Baud Rate Setup Invalid";
    QTest::newRow("port the scan may find") << "PortCombo"
                                            << "COM16"
                                            << "";
    QTest::newRow("rate only typed") << "BaudCombo"
                                     << "115200 bits/s"
                                     << "";
  }
  void portDialogTypedValues() {
    QFETCH(QString, combo);
    QFETCH(QString, typed);
    QFETCH(QString, box);
    WindowHarness h;
    h.line.onWrite = [&h](int, const Bytes& bytes) {
      if (bytes.size() < 9) return;
      h.line.deliverIn(5, {kAck});
      h.line.deliverIn(10, ReplyFrame("P10000"));
    };
    ui::PortSetupDialog dialog(h.session, h.window.get());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* edited = dialog.findChild<QComboBox*>(combo);
    const QStringList before = Items(edited);
    TypeAndEnter(edited, typed);
    QCOMPARE(Items(edited), before);
    QCOMPARE(edited->currentText(), typed);
    if (box.isEmpty()) {
      QVERIFY(h.messages.boxes.empty());
      QVERIFY(h.state.linkOpen);
      QCOMPARE(h.line.lastPort(), combo == "PortCombo" ? 16 : 1);
      QCOMPARE(h.line.lastBaud(), combo == "BaudCombo" ? 115200 : 9600);
    } else {
      QCOMPARE(h.messages.boxes.size(), std::size_t{1});
      QCOMPARE(QString::fromStdString(h.messages.boxes[0].text), box);
      QVERIFY(!h.state.linkOpen);
      QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(edited));
    }
  }
};

#include "test_main.h"
KDX_TEST_MAIN(ComboListsTest)
#include "combo_lists_test.moc"
