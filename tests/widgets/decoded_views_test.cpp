// The read-only views that explain the answers and responses beside their
// boxes, against the in-process simulated unit: each is filled after the
// operation that fills its box, follows the box when it is cleared, and
// leaves the specified boxes and message texts as they were.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "model/control.h"
#include "ui/widgets/byte_grid.h"
#include "window_harness.h"

using namespace kdx;
using namespace kdx::test;

namespace {

QStringList Lines(const QPlainTextEdit* view) {
  const QString text = view->toPlainText();
  return text.isEmpty() ? QStringList{} : text.split('\n');
}

std::vector<std::string> BoxTexts(const SimWindow& w) {
  std::vector<std::string> texts;
  for (const auto& box : w.messages.boxes) texts.push_back(box.text);
  return texts;
}

struct CardWindow : SimWindow {
  CardWindow(const char* card, const char* place) {
    QVERIFY(sim::ApplyControl(model, std::string("card ") + card).ok);
    QVERIFY(sim::ApplyControl(model, std::string("place ") + place).ok);
  }
  void click(const char* name) { find<QPushButton>(name)->click(); }
};

template <class W>
W* Child(QWidget* parent, const char* name) {
  auto* widget = parent->findChild<W*>(name);
  if (widget) {
    // Named like every control: object name and accessible description.
    if (widget->accessibleDescription() != QString(name)) return nullptr;
  }
  return widget;
}

}  // namespace

class DecodedViewsTest : public QObject {
  Q_OBJECT
 private slots:
  // CPU window: the ATR of a T=0 card explained, the status word of each
  // response named; the SAM window: a T=1 SAM's ATR, emptied with its box
  // by "Choose SAM".
  void cpuAndSamWindows() {
    CardWindow w("t0cpu/-", "ic");
    bool ran = false;
    WhenModal([&](QWidget* d) {
      auto* atr = Child<QPlainTextEdit>(d, "ResetTextBack");
      auto* details = Child<QPlainTextEdit>(d, "ResetTextBackDetails");
      auto* response = Child<QPlainTextEdit>(d, "BackText");
      auto* status = Child<QLabel>(d, "ReturnStatusLine");
      QVERIFY(atr && details && response && status);
      QVERIFY(details->isReadOnly());
      QCOMPARE(Lines(details), QStringList{});
      Child<QPushButton>(d, "CPUColdResetBtn")->click();
      QCOMPARE(atr->toPlainText(), QString("3B6800004350552D54300100"));
      QCOMPARE(Lines(details),
               (QStringList{"TS 3B: direct convention", "T0 68: 8 historical bytes, next TB1 TC1",
                            "TB1 00: no programming voltage (VPP not connected)",
                            "TC1 00: no extra guard time", "protocols: T=0 (default)",
                            "historical bytes: 43 50 55 2D 54 30 01 00 \"CPU-T0..\"",
                            "category 43: proprietary", "TCK: absent (only T=0 offered)"}));
      QCOMPARE(status->text(), QString());

      auto* apdu = Child<QComboBox>(d, "CmdText");
      apdu->setCurrentText("00A404000E315041592E5359532E4444463031");
      Child<QPushButton>(d, "SendCmdBtn")->click();
      QCOMPARE(response->toPlainText(), QString("6114"));
      QCOMPARE(status->text(),
               QString("6114: 20 bytes waiting, fetch them with GET RESPONSE (00C0000014)"));
      apdu->setCurrentText("00C0000014");
      Child<QPushButton>(d, "SendCmdBtn")->click();
      QVERIFY(response->toPlainText().endsWith("9000"));
      QCOMPARE(status->text(), QString("9000: normal processing"));
      // An odd APDU text is refused after the box is cleared: the line goes with it.
      apdu->setCurrentText("00A");
      Child<QPushButton>(d, "SendCmdBtn")->click();
      QCOMPARE(response->toPlainText(), QString());
      QCOMPARE(status->text(), QString());
      ran = true;
      Child<QPushButton>(d, "BackCmd")->click();
    });
    w.click("CPURUN");
    QVERIFY(ran);

    ran = false;
    WhenModal([&](QWidget* d) {
      auto* atr = Child<QPlainTextEdit>(d, "ResetTextBack");
      auto* details = Child<QPlainTextEdit>(d, "ResetTextBackDetails");
      QVERIFY(atr && details && Child<QLabel>(d, "ReturnStatusLine"));
      Child<QComboBox>(d, "SimNo1")->setCurrentIndex(1);
      Child<QPushButton>(d, "SelectSamCmd")->click();
      Child<QPushButton>(d, "SimColdReset")->click();
      QCOMPARE(atr->toPlainText(), QString("3B868131FE4553414D32543185"));
      const QStringList lines = Lines(details);
      QCOMPARE(lines.size(), 10);
      QCOMPARE(lines[4], QString("TA3 FE: IFSC 254 bytes"));
      QCOMPARE(lines.back(), QString("TCK 85: correct"));
      Child<QPushButton>(d, "SelectSamCmd")->click();
      QCOMPARE(atr->toPlainText(), QString());
      QCOMPARE(Lines(details), QStringList{});
      ran = true;
      Child<QPushButton>(d, "BackCmd")->click();
    });
    w.click("SIMRUN");
    QVERIFY(ran);
    QCOMPARE(BoxTexts(w), (std::vector<std::string>{"Cold Reset Success(T=0)", "Success", "Success",
                                                    "Error:Please Check The Data Effective",
                                                    "Choose SAM Success", "Cold Reset Success(T=1)",
                                                    "Choose SAM Success"}));
  }

  // Type A and Type B tabs: the answer explained after the activation, the
  // status word after "Send APDU".
  void contactlessApduTabs_data() {
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("details");
    QTest::newRow("Type A") << "-/typea"
                            << "TypeA"
                            << "0578807002"
                            << QStringList{"TL 05: 5 bytes with TL",
                                           "T0 78: FSC 256 bytes, TA, TB, TC",
                                           "TA 80: card to reader 106 kbit/s; reader to card 106 "
                                           "kbit/s; same rate both ways",
                                           "TB 70: FWT 38.66 ms (FWI 7), SFGT none (SFGI 0)",
                                           "TC 02: CID supported, NAD not supported",
                                           "historical bytes: none"};
    QTest::newRow("Type B") << "-/typeb"
                            << "TypeB"
                            << "503B4C5D0100000000007171"
                            << QStringList{
                                   "ATQB 50: answer to request, Type B",
                                   "PUPI: 3B4C5D01",
                                   "application data: 00000000 (AFI 00)",
                                   "bit rates 00: card to reader 106 kbit/s; reader to card 106 "
                                   "kbit/s",
                                   "frame 71: max frame 128 bytes, protocol type 1 (ISO/IEC "
                                   "14443-4)",
                                   "timing 71: FWT 38.66 ms (FWI 7), application data "
                                   "proprietary, NAD not supported, CID supported"};
  }
  void contactlessApduTabs() {
    QFETCH(QString, card);
    QFETCH(QString, prefix);
    QFETCH(QString, answer);
    QFETCH(QStringList, details);
    CardWindow w(qPrintable(card), "rf");
    auto* answerBox = w.find<QLineEdit>("ATR" + prefix + "Text");
    auto* view = w.find<QPlainTextEdit>("ATR" + prefix + "TextDetails");
    auto* status = w.find<QLabel>(prefix + "ReturnStatusLine");
    QVERIFY(answerBox && view && status);
    QCOMPARE(view->accessibleDescription(), "ATR" + prefix + "TextDetails");
    QCOMPARE(status->accessibleDescription(), prefix + "ReturnStatusLine");
    w.click("RFCardUPBtn");
    QCOMPARE(answerBox->text(), answer);
    QCOMPARE(Lines(view), details);

    w.find<QComboBox>(prefix + "CAPDUText")->setCurrentText("0084000008");
    w.find<QPushButton>("Send" + prefix + "Cmd")->click();
    const QString response = w.find<QLineEdit>(prefix + "RAPDUText")->text();
    QCOMPARE(response.size(), 20);
    QVERIFY(response.endsWith("9000"));
    QCOMPARE(status->text(), QString("9000: normal processing"));
    QCOMPARE(w.messages.boxes.back().title, std::string("C-APDU"));
    QCOMPARE(w.messages.boxes.back().text, std::string("Success"));
  }

  // S50/S70 tab: reading the sector trailer shows its access conditions
  // under the grid; reading a data block clears them.
  void mifareTrailerRead() {
    CardWindow w("20/s50", "rf");
    auto* view = w.find<QPlainTextEdit>("SRFTextLISTAccess");
    QVERIFY(view);
    QCOMPARE(view->accessibleDescription(), QString("SRFTextLISTAccess"));
    QVERIFY(view->isReadOnly());
    w.click("RFCardUPBtn");
    w.click("RFCheckPasswordBtn");
    w.find<QComboBox>("BlockNumberCombo")->setCurrentText("03");
    w.click("RFreadBtn");
    QCOMPARE(w.messages.boxes.back().text, std::string("Read block data\r\nExecute OK\r\n9000"));
    auto* grid = w.find<ui::ByteGrid>("SRFTextLIST");
    QCOMPARE(grid->cellText(6) + grid->cellText(7) + grid->cellText(8), QString("FF0780"));
    const QStringList lines = Lines(view);
    QCOMPARE(lines.size(), 7);
    QCOMPARE(lines[0],
             QString("access bytes FF 07 80: inverted bits match (A, B: with key A, key B)"));
    QCOMPARE(lines[4], QString("trailer (001): key A: read never, write A; access bits: read "
                               "A, write A; key B: read A, write A"));
    w.find<QComboBox>("BlockNumberCombo")->setCurrentText("01");
    w.click("RFreadBtn");
    QCOMPARE(Lines(view), QStringList{});
  }
};

#include "test_main.h"
KDX_TEST_MAIN(DecodedViewsTest)
#include "decoded_views_test.moc"
