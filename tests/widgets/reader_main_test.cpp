#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "device/device_operations.h"
#include "link/frame.h"
#include "ui/link/port_setup_dialog.h"
#include "ui/widgets/byte_grid.h"
#include "ui/widgets/key_filter_installer.h"
#include "window_harness.h"

using namespace kdx;
using namespace kdx::test;

namespace {

QStringList TabCaptions(QTabWidget* tabs) {
  QStringList captions;
  for (int i = 0; i < tabs->count(); ++i) captions << tabs->tabText(i);
  return captions;
}

QStringList ComboItems(QComboBox* combo) {
  QStringList items;
  for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
  return items;
}

// The buttons of the left column top to bottom: name and caption.
const QList<QPair<QString, QString>> kLeftColumn{
    {"IROpencom", "Setup Comm"},
    {"IRCLOSECOM", "Close Comm"},
    {"ReaderResetBtn", "INITIALIZE"},
    {"CardStatusBtn", "Card Status"},
    {"SensorStatusBtn", "Sensor Status"},
    {"RFTestTypeCmd", "RF Card Type"},
    {"ICTestTypeCmd", "IC Card Type"},
    {"AllCardInBtn", "Allowed"},
    {"NoCardInBtn", "Prohibition"},
    {"MoveCardToFront1Btn", "the front"},
    {"MoveCardToFront2Btn", "the front,hold the card"},
    {"MoveCardToRFBtn", "the RF card operation position"},
    {"MoveCardToICCBtn", "the IC card operation position"},
    {"MoveCardToRecycleBinBtn", "Error Card Bin"},
    {"OpenCmdFormBtn", "Command Line"},
    {"EXITGRM", "Exit"}};

// Answers the status command with a positive reply, like a unit on the line.
void AnswerStatus(LinkHarness& h) {
  h.line.onWrite = [&h](int, const Bytes& bytes) {
    if (bytes.size() < 9) return;
    h.line.deliverIn(5, {kAck});
    h.line.deliverIn(10, ReplyFrame("P10000"));
  };
}

}  // namespace

class ReaderMainTest : public QObject {
  Q_OBJECT
 private slots:
  void captionsAndLeftColumnOrder() {
    WindowHarness h;
    QCOMPARE(h.window->windowTitle(), QString("TEST846_V10_EN (2010/12/07)"));
    h.window->show();
    int lastY = -1;
    int lastX = -1;
    for (const auto& [name, caption] : kLeftColumn) {
      auto* button = h.find<QPushButton>(name);
      QVERIFY2(button, qPrintable(name));
      QCOMPARE(button->text(), caption);
      QCOMPARE(button->accessibleDescription(), name);
      QCOMPARE(button->accessibleName(), caption);
      // Top to bottom, and left to right within a row.
      const QPoint at = button->mapTo(h.window.get(), QPoint(0, 0));
      QVERIFY2(at.y() > lastY || (at.y() == lastY && at.x() > lastX), qPrintable(name));
      lastY = at.y();
      lastX = at.x();
    }
    const QList<QPair<QString, QString>> frames{{"FrameComm", "COMM. PORT SETTING"},
                                                {"Frame1", "RESET / STATUS"},
                                                {"FRAMEOTHER(0)", "AUTOTEST CARD TYPE"},
                                                {"Frame3", "Enter Control\n"},
                                                {"Frame2", "Card Move to"},
                                                {"FRAMEOTHER(7)", "Command Line"}};
    for (const auto& [name, caption] : frames) {
      auto* frame = h.find<QGroupBox>(name);
      QVERIFY2(frame, qPrintable(name));
      QCOMPARE(frame->title(), caption);
      QCOMPARE(frame->accessibleDescription(), name);
    }
    QCOMPARE(h.find<QLabel>("Label2")->text(), QString("Device Addr:"));
  }

  // Every row of the device operation table has its button, captioned from
  // the row, in the row's frame.
  void deviceButtonsComeFromTheTable() {
    WindowHarness h;
    for (const DeviceOperation& row : DeviceOperations()) {
      const QString name = QString::fromLatin1(row.control.data(), qsizetype(row.control.size()));
      auto* button = h.find<QPushButton>(name);
      QVERIFY2(button, qPrintable(name));
      QCOMPARE(button->text().toStdString(), std::string(row.caption));
      auto* frame = qobject_cast<QGroupBox*>(button->parentWidget());
      QVERIFY2(frame, qPrintable(name));
      QCOMPARE(frame->objectName().toStdString(), std::string(row.frame));
    }
  }

  void tabOrderFollowsTheLeftColumn() {
    WindowHarness h;
    QStringList order;
    QWidget* w = h.find<QWidget>("cmbAddress846");
    for (int i = 0; i < 200 && w; ++i) {
      if (auto* button = qobject_cast<QPushButton*>(w);
          button && button->focusPolicy() & Qt::TabFocus) {
        if (order.contains(button->objectName())) break;
        order << button->objectName();
      }
      w = w->nextInFocusChain();
    }
    QStringList left;
    for (const auto& button : kLeftColumn) left << button.first;
    QCOMPARE(order.mid(0, left.size()), left);
  }

  void tabsInOrder() {
    WindowHarness h;
    QCOMPARE(TabCaptions(h.find<QTabWidget>("SSTab1")),
             QStringList({"RF CARD", "IC CARD", "EXTEND FUNCTION", "MONITOR"}));
    QCOMPARE(TabCaptions(h.find<QTabWidget>("SSTab2")),
             QStringList({"CPU/SAM", "SLE4442", "SLE4428", "AT88SC102", "24CXX", "AT88SC1604",
                          "AT88SC1608", "AT45D041"}));
    QCOMPARE(TabCaptions(h.find<QTabWidget>("SSTab3")),
             QStringList({"MIFARE", "ISO/IEC 14443 TYPE A", "ISO/IEC 14443 TYPE B"}));
    QCOMPARE(TabCaptions(h.find<QTabWidget>("SSTab4")), QStringList({"S50/S70", "Ultralight"}));
  }

  void icTabFieldsAndGrid() {
    WindowHarness h;
    auto* grid = h.find<ui::ByteGrid>("ICText");
    QVERIFY(grid);
    QCOMPARE(grid->count(), 128);
    QCOMPARE(h.find<QLineEdit>("ICText(127)")->accessibleDescription(), QString("ICText(127)"));
    QCOMPARE(h.find<QGroupBox>("ICframeComm(9)")->title(), QString("IC Card Data"));

    const QList<QPair<QString, QString>> initial{{"ATC1604A6format", "30"}, {"ATC1604add1", "00"},
                                                 {"ATC1604add2", "00"},     {"ATC1604Long", "80"},
                                                 {"ATC1604pass1", ""},      {"ATC1608Add", ""},
                                                 {"ATC1608Vri08", ""}};
    for (const auto& [name, text] : initial) {
      auto* edit = h.find<QLineEdit>(name);
      QVERIFY2(edit, qPrintable(name));
      QCOMPARE(edit->text(), text);
      QCOMPARE(ui::KeyFilterInstaller::installedOn(edit), std::optional(KeyFilter::StrictHex));
    }
    QVERIFY(!ui::KeyFilterInstaller::installedOn(h.find<QLineEdit>("ATC1608pass2")));

    // The buttons of the families without operations send and show nothing.
    auto* tabs = h.find<QTabWidget>("SSTab2");
    for (int i = 0; i < tabs->count(); ++i) {
      if (!tabs->tabText(i).startsWith("AT")) continue;
      const auto buttons = tabs->widget(i)->findChildren<QPushButton*>();
      QVERIFY(!buttons.isEmpty());
      for (auto* button : buttons) button->click();
    }
    QVERIFY(h.messages.boxes.empty());
    QVERIFY(h.line.writes().empty());
    QVERIFY(h.monitor.text().empty());
  }

  void extendTabFields() {
    WindowHarness h;
    auto* counter = h.find<QLineEdit>("IRTenKaEdit");
    QCOMPARE(counter->text(), QString("000"));
    QCOMPARE(counter->maxLength(), 3);
    QCOMPARE(ui::KeyFilterInstaller::installedOn(counter),
             std::optional(KeyFilter::DecimalWithBackspace));
    QCOMPARE(h.find<QLineEdit>("IRLifeEdit")->maxLength(), 8);
  }

  void busyCursorDuringAnExchange() {
    WindowHarness h;
    h.state.linkOpen = true;
    std::optional<Qt::CursorShape> during;
    h.line.onWrite = [&](int index, const Bytes&) {
      if (index == 0 && QApplication::overrideCursor())
        during = QApplication::overrideCursor()->shape();
    };
    h.find<QPushButton>("CardStatusBtn")->click();
    QCOMPARE(during, std::optional(Qt::WaitCursor));
    QVERIFY(!QApplication::overrideCursor());
  }

  void rfCombosAtLoad() {
    WindowHarness h;
    auto hexItems = [](int first, int count) {
      QStringList items;
      for (int i = first; i < first + count; ++i)
        items << QString("%1").arg(i, 2, 16, QChar('0')).toUpper();
      return items;
    };
    const struct {
      const char* name;
      QStringList items;
      QString selected;
    } combos[] = {{"SecNumberCombo", hexItems(0, 40), "01"},
                  {"BlockNumberCombo", hexItems(0, 16), "00"},
                  {"BlockLongCombo", {"01"}, "01"},
                  {"PurseBlockCombbox", hexItems(0, 16), "00"},
                  {"ULSecNumberCombo", hexItems(0, 16), "04"},
                  {"RFCardUPCombbox",
                   {"Type A,Type B", "Type B,Type A", "Type A(Only)", "Type B(Only)"},
                   "Type A,Type B"}};
    for (const auto& c : combos) {
      auto* combo = h.find<QComboBox>(c.name);
      QVERIFY2(combo, c.name);
      QCOMPARE(ComboItems(combo), c.items);
      QCOMPARE(combo->currentText(), c.selected);
    }
  }

  void addressFollowsTheCombo() {
    WindowHarness h;
    QCOMPARE(ComboItems(h.find<QComboBox>("cmbAddress846")),
             QStringList(
                 {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "A", "B", "C", "D", "E", "F"}));
    QCOMPARE(h.state.addressText, std::string("0"));
    h.find<QComboBox>("cmbAddress846")->setCurrentText("A");
    QCOMPARE(h.state.addressText, std::string("A"));
    h.find<QComboBox>("cmbAddress846")->setEditText("1F");
    QCOMPARE(h.state.addressText, std::string("1F"));
  }

  void windowButtonsNeedTheLink() {
    WindowHarness h;
    for (const char* name : {"OpenCmdFormBtn", "SIMRUN", "CPURUN"}) {
      h.messages.boxes.clear();
      auto* button = h.find<QPushButton>(name);
      QVERIFY(button->isEnabled());
      button->click();
      QCOMPARE(h.messages.boxes.size(), std::size_t{1});
      QCOMPARE(h.messages.boxes[0].text, std::string("Comm. Port Setup First"));
      QCOMPARE(h.messages.boxes[0].title, std::string("Caution"));
      QCOMPARE(h.messages.boxes[0].icon, Icon::Exclamation);
    }
    QVERIFY(h.line.writes().empty());
  }

  void closeCommClearsTheLink() {
    WindowHarness h;
    h.state.linkOpen = true;
    h.line.open(1, 9600);
    h.find<QPushButton>("IRCLOSECOM")->click();
    QVERIFY(!h.state.linkOpen);
    QVERIFY(!h.line.isOpen());
    h.find<QPushButton>("IRCLOSECOM")->click();  // already closed: only the flag
    QVERIFY(!h.state.linkOpen);
    QVERIFY(h.messages.boxes.empty());
  }

  void monitorMirrorsAndRecords() {
    WindowHarness h;
    auto* text = h.find<QPlainTextEdit>("SDTDText");
    auto* record = h.find<QCheckBox>("CheckRecord");
    QCOMPARE(record->text(), QString("Record Data"));
    QVERIFY(!record->isChecked());
    h.monitor.append("SD: F2 00 \r\n");
    h.monitor.epilogue();
    QCOMPARE(text->toPlainText(), QString("SD: F2 00 \n\n"));
    h.monitor.prologue();
    QCOMPARE(text->toPlainText(), QString());
    record->setChecked(true);
    h.monitor.append("SD: 01 \r\n");
    h.monitor.epilogue();
    h.monitor.prologue();
    h.monitor.append("SD: 02 \r\n");
    QCOMPARE(text->toPlainText(), QString("SD: 01 \n\nSD: 02 \n"));
    h.find<QPushButton>("ClearSDTDText")->click();
    QVERIFY(h.monitor.text().empty());
    QCOMPARE(text->toPlainText(), QString());
    QVERIFY(record->isChecked());  // clearing does not touch the check box
  }

  void saveWritesTrimmedTextWithCrLf() {
    QTemporaryDir dir;
    WindowHarness h;
    const QString path = dir.filePath("LOG.TXT");
    h.files.answer = path;
    h.monitor.append("  \r\nSD: F2 00 \r\nRD: 06\r\n\r\n  ");
    h.find<QPushButton>("SaveSDTDText")->click();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("\r\nSD: F2 00 \r\nRD: 06\r\n\r\n"));
    QCOMPARE(h.messages.boxes.size(), std::size_t{1});
    QCOMPARE(h.messages.boxes[0].title, std::string("Save As..."));
    QCOMPARE(QString::fromStdString(h.messages.boxes[0].text),
             "File Name is LOG.TXT\r\nFull path and file is " + path);
    QCOMPARE(h.messages.boxes[0].icon, Icon::None);

    // Saving again replaces the earlier content.
    h.monitor.clear();
    h.monitor.append("SD: 06\r\n");
    h.find<QPushButton>("SaveSDTDText")->click();
    file.close();
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("SD: 06\r\n"));
  }

  void saveCancelledOrFailing() {
    QTemporaryDir dir;
    WindowHarness h;
    h.monitor.append("SD: 06\r\n");
    h.find<QPushButton>("SaveSDTDText")->click();  // cancelled
    QCOMPARE(h.files.asked, 1);
    QVERIFY(h.messages.boxes.empty());

    // A folder that is not there is refused before the "File Name is" box.
    h.files.answer = dir.filePath("missing/folder/LOG.TXT");
    h.find<QPushButton>("SaveSDTDText")->click();
    QCOMPARE(h.messages.boxes.size(), std::size_t{1});
    QCOMPARE(h.messages.boxes[0].title, std::string("mnuFileSaveAsDialog_Click"));
    QVERIFY(h.messages.boxes[0].text.starts_with("Error: "));
    QCOMPARE(h.messages.boxes[0].icon, Icon::None);
    QVERIFY(!QFile::exists(h.files.answer));
  }

  void portDialogOkOpensTheLink() {
    WindowHarness h;
    AnswerStatus(h);
    ui::PortSetupDialog dialog(h.session, h.window.get());
    QCOMPARE(dialog.windowTitle(), QString("Communication Setting"));
    QCOMPARE(dialog.findChild<QComboBox*>("PortCombo")->currentText(), QString("COM1"));
    QCOMPARE(dialog.findChild<QComboBox*>("PortCombo")->count(), 15);
    QCOMPARE(dialog.findChild<QComboBox*>("BaudCombo")->currentText(), QString("9600 bits/s"));
    QCOMPARE(ComboItems(dialog.findChild<QComboBox*>("BaudCombo")),
             QStringList({"9600 bits/s", "19200 bits/s", "38400 bits/s", "57600 bits/s"}));
    QVERIFY(dialog.findChild<QLabel*>("PortPath")->text().contains("/"));
    dialog.findChild<QComboBox*>("BaudCombo")->setEditText("115200 bits/s");
    dialog.findChild<QPushButton*>("Command1")->click();
    QVERIFY(h.state.linkOpen);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(h.line.lastBaud(), 115200);
    QVERIFY(h.monitor.text().starts_with("SD: F2 00 00 03 43 31 30 03 B0 \r\n"));
    // The window buttons of unbuilt windows are disabled while the link is open.
    h.find<QPushButton>("IRCLOSECOM")->click();
    QVERIFY(h.find<QPushButton>("CPURUN")->isEnabled());
  }

  void portDialogRefusals() {
    WindowHarness h;
    ui::PortSetupDialog dialog(h.session, h.window.get());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* port = dialog.findChild<QComboBox*>("PortCombo");
    port->setEditText("com3");
    dialog.findChild<QPushButton*>("Command1")->click();
    QCOMPARE(h.messages.boxes.back().text, std::string("Comm Port Setup Invalid"));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(port));
    port->setEditText("COM16");  // the scan may find a unit there
    dialog.findChild<QComboBox*>("BaudCombo")->setEditText("4800");
    dialog.findChild<QPushButton*>("Command1")->click();
    QCOMPARE(h.messages.boxes.back().text, std::string("Baud Rate Setup Invalid"));
    dialog.findChild<QComboBox*>("BaudCombo")->setEditText("9600 bits/s");
    dialog.findChild<QPushButton*>("Command1")->click();  // silent unit
    QVERIFY(h.messages.boxes.back().text.starts_with("Unit not detected\r\n"));
    QVERIFY(!h.state.linkOpen);
    QVERIFY(dialog.isVisible());
    QCOMPARE(h.line.lastPort(), 16);
    dialog.findChild<QPushButton*>("Command2")->click();
    QVERIFY(!dialog.isVisible());
  }

  void portDialogFoldsAndScans() {
    WindowHarness h;
    ui::PortSetupDialog dialog(h.session, h.window.get());
    dialog.show();
    auto* label = dialog.findChild<QLabel*>("AutoLabel");
    auto* scan = dialog.findChild<QPushButton*>("Command3");
    QCOMPARE(label->text(), QString("'AUTO SCAN'   Unfold -->>"));
    QVERIFY(!scan->isVisible());
    const int folded = dialog.height();
    QTest::mouseClick(label, Qt::LeftButton);
    QCOMPARE(label->text(), QString("'AUTO SCAN' Fold <<--"));
    QVERIFY(scan->isVisible());
    QVERIFY(dialog.height() > folded);
    QCOMPARE(dialog.findChild<QLabel*>("Label1")->text(), QString());

    h.line.onOpen = [](int port, int) {
      return port <= 2 ? OpenError::None : OpenError::NoSuchPort;
    };
    h.line.onWrite = [&h](int, const Bytes& bytes) {
      if (bytes.size() < 9 || h.line.lastPort() != 2 || h.line.lastBaud() != 38400) return;
      h.line.deliverIn(5, {kAck});
      h.line.deliverIn(10, ReplyFrame("P10000"));
    };
    scan->click();
    QCOMPARE(dialog.findChild<QLabel*>("Label1")->text(),
             QString("Found KDX-846 AT COM2 Baut Rate 38400"));
    QCOMPARE(dialog.findChild<QComboBox*>("PortCombo")->currentText(), QString("COM2"));
    QCOMPARE(dialog.findChild<QComboBox*>("BaudCombo")->currentText(), QString("38400 bits/s"));
    QTest::mouseClick(label, Qt::LeftButton);
    QCOMPARE(label->text(), QString("'AUTO SCAN'   Unfold -->>"));
    QCOMPARE(dialog.height(), folded);
  }
};

#include "test_main.h"
KDX_TEST_MAIN(ReaderMainTest)
#include "reader_main_test.moc"
