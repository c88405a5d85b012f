// The checks the contactless buttons make before anything is sent: each
// refusal shows its box, sends nothing and leaves the monitor without the
// closing CR LF; confirmations asked before a sector trailer or the lock
// page are written.
#include <QtTest>
#include <functional>

#include "rf/apdu_operations.h"
#include "rf/mifare_operations.h"
#include "rf_fakes.h"

using namespace kdx;
using namespace kdx::test;

namespace {

const std::string kCheckDataText = "Error:Please Check The Data Effective";
const std::string kFill = "Please input the data first";
const std::string kQuestion =
    "Are you sure to modify\r\nthe password of present sector and control key memory area?";

struct Refusal {
  const char* name;
  const char* control;
  std::function<void(FakeRfView&)> setup;
  std::string text;
};

std::vector<Refusal> Refusals() {
  auto sector = [](std::uint8_t s, std::uint8_t b) {
    return [=](FakeRfView& v) {
      v.in.sector = s;
      v.in.block = b;
      v.in.purseBlock = b;
      v.fillBlockCells("11");
    };
  };
  auto page = [](std::uint8_t p, const char* cell) {
    return [=](FakeRfView& v) {
      v.in.page = p;
      v.fillPageCells("01");
      v.in.pageCells.setText(3, cell);
    };
  };
  auto apdu = [](std::string text) { return [=](FakeRfView& v) { v.in.apduA = text; }; };
  auto oneDigitKey = [](FakeRfView& v) { v.in.keyCells.setText(2, "F"); };
  return {
      {"key cell with one digit: check", "RFCheckPasswordBtn", oneDigitKey, kCheckDataText},
      {"key cell with one digit: store", "StoreKeyToEEBtn", oneDigitKey, kCheckDataText},
      {"empty key cell: change", "RFChangePasswordBtn",
       [](FakeRfView& v) { v.in.keyCells.setText(5, ""); }, kCheckDataText},
      {"block cell empty", "RFwriteBtn",
       [](FakeRfView& v) {
         v.fillBlockCells("11");
         v.in.blockCells.setText(15, "");
       },
       kFill},
      {"manufacturer block", "RFwriteBtn", sector(0x00, 0x00), "Write Prohibit In The Block"},
      {"manufacturer block, cell short", "RFwriteBtn",
       [](FakeRfView& v) {
         v.in.sector = 0x00;
         v.fillBlockCells("11");
         v.in.blockCells.setText(7, "1");
       },
       kFill},
      {"purse: manufacturer block", "INITRFCmd", sector(0x00, 0x00),
       "The block does not support the purse operation"},
      {"purse: trailer 05/03", "INCRFCmd", sector(0x05, 0x03),
       "The block does not support the purse operation"},
      {"purse: trailer 21/0F", "ReadValueRfCmd", sector(0x21, 0x0F),
       "The block does not support the purse operation"},
      {"purse: empty value", "DECRFCmd",
       [](FakeRfView& v) {
         v.in.purseBlock = 0x01;
         v.in.purseValue = "";
       },
       kCheckDataText},
      {"purse: value too large", "INITRFCmd",
       [](FakeRfView& v) {
         v.in.purseBlock = 0x01;
         v.in.purseValue = "2147483648";
       },
       kCheckDataText},
      {"purse: value not decimal", "INCRFCmd",
       [](FakeRfView& v) {
         v.in.purseBlock = 0x01;
         v.in.purseValue = "12a";
       },
       kCheckDataText},
      {"page 00", "ULCmdRwrite", page(0x00, "04"),
       "The block is the vendor code area, the block is not written"},
      {"page 01", "ULCmdRwrite", page(0x01, "04"),
       "The block is the vendor code area, the block is not written"},
      {"page 00, cell short", "ULCmdRwrite", page(0x00, "4"), kFill},
      {"apdu of odd length", "SendTypeACmd", apdu("00A4000"), kCheckDataText},
      {"apdu not hex", "SendTypeACmd", apdu("00A4G0"), kCheckDataText},
      {"apdu of 253 bytes", "SendTypeACmd", apdu(std::string(506, '0')), kCheckDataText},
      {"unknown protocol text", "RFCardUPBtn", [](FakeRfView& v) { v.in.protocol = "Type C"; },
       kCheckDataText},
  };
}

}  // namespace

class RfChecksTest : public QObject {
  Q_OBJECT
 private slots:
  void refusedBeforeSending_data() {
    QTest::addColumn<int>("index");
    const auto cases = Refusals();
    for (int i = 0; i < static_cast<int>(cases.size()); ++i) QTest::newRow(cases[i].name) << i;
  }
  void refusedBeforeSending() {
    QFETCH(int, index);
    const Refusal c = Refusals()[static_cast<std::size_t>(index)];
    for (bool record : {false, true}) {
      RfHarness h;
      c.setup(h.view);
      h.monitor.append("earlier\r\n");
      h.monitor.setRecord(record);
      QCOMPARE(h.press(c.control), CommandOutcome::NotSent);
      QVERIFY(h.line.writes().empty());
      QCOMPARE(h.monitor.text(), std::string(record ? "earlier\r\n" : ""));
      QCOMPARE(h.messages.boxes.size(), std::size_t{1});
      QCOMPARE(h.messages.boxes[0].title, std::string("Caution"));
      QCOMPARE(h.messages.boxes[0].text, c.text);
      QCOMPARE(h.messages.boxes[0].icon, Icon::Exclamation);
    }
  }

  // Blocks and pages that ask first: Cancel sends nothing and adds no CR LF;
  // OK sends. The others are sent without a question.
  void confirmations_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("sector");
    QTest::addColumn<QString>("block");
    QTest::addColumn<bool>("asks");
    QTest::addColumn<QString>("frame");
    // Cells 6 to 8 hold the transport access bytes, so that no trailer
    // write here meets the question about inconsistent access bits.
    const QString tail = " 11 11 11 11 11 11 FF 07 80 11 11 11 11 11 11 11 03 ";
    QTest::newRow("sector 01 block 03")
        << "RFwriteBtn"
        << "01"
        << "03" << true << "F2 00 00 18 43 60 33 00 D1 01 03 01" + tail + "42";
    QTest::newRow("sector 20 block 0F")
        << "RFwriteBtn"
        << "20"
        << "0F" << true << "F2 00 00 18 43 60 33 00 D1 20 0F 01" + tail + "6F";
    QTest::newRow("sector 20 block 03")
        << "RFwriteBtn"
        << "20"
        << "03" << false << "F2 00 00 18 43 60 33 00 D1 20 03 01" + tail + "63";
    QTest::newRow("page 02") << "ULCmdRwrite"
                             << ""
                             << "02" << true
                             << "F2 00 00 0C 43 60 33 00 D1 02 00 01 01 02 03 04 03 3B";
    QTest::newRow("page 03") << "ULCmdRwrite"
                             << ""
                             << "03" << false
                             << "F2 00 00 0C 43 60 33 00 D1 03 00 01 01 02 03 04 03 3A";
  }
  void confirmations() {
    QFETCH(QString, control);
    QFETCH(QString, sector);
    QFETCH(QString, block);
    QFETCH(bool, asks);
    QFETCH(QString, frame);
    for (bool ok : {false, true}) {
      RfHarness h;
      h.view.in.sector = static_cast<std::uint8_t>(sector.toUInt(nullptr, 16));
      h.view.in.block = static_cast<std::uint8_t>(block.toUInt(nullptr, 16));
      h.view.in.page = h.view.in.block;
      h.view.fillBlockCells("11");
      h.view.setCells(h.view.in.blockCells, {"11", "11", "11", "11", "11", "11", "FF", "07", "80"});
      h.view.setCells(h.view.in.pageCells, {"01", "02", "03", "04"});
      h.messages.answerOk = ok;
      AnswerEveryCommand(h, RfReply('3', Hex("90 00")));
      const auto outcome = h.press(control.toStdString());
      if (asks) {
        QVERIFY(h.messages.boxes[0].question);
        QCOMPARE(h.messages.boxes[0].title, std::string("Caution"));
        QCOMPARE(h.messages.boxes[0].text, kQuestion);
        QCOMPARE(h.messages.boxes[0].icon, Icon::Question);
      } else {
        QVERIFY(!h.messages.boxes[0].question);
      }
      if (asks && !ok) {
        QCOMPARE(outcome, CommandOutcome::NotSent);
        QVERIFY(h.line.writes().empty());
        QCOMPARE(h.messages.boxes.size(), std::size_t{1});
        QCOMPARE(h.monitor.text(), std::string());
      } else {
        QCOMPARE(outcome, CommandOutcome::Positive);
        QCOMPARE(SentCommands(h), std::vector<Bytes>{Hex(frame.toStdString())});
        QCOMPARE(h.messages.boxes.back().title, std::string("Write Block Data"));
      }
    }
  }

  void purseValueEncoding() {
    QCOMPARE(PurseValueBytes("0"), std::optional(Hex("00 00 00 00")));
    QCOMPARE(PurseValueBytes("1000"), std::optional(Hex("E8 03 00 00")));
    QCOMPARE(PurseValueBytes("0000001000"), std::optional(Hex("E8 03 00 00")));
    QCOMPARE(PurseValueBytes("2147483647"), std::optional(Hex("FF FF FF 7F")));
    QCOMPARE(PurseValueBytes("99999999999999999999"), std::nullopt);
    QCOMPARE(PurseValueBytes(" 1"), std::nullopt);
  }

  void apduText() {
    QCOMPARE(ApduBytes("00a4"), std::optional(Hex("00 A4")));
    QCOMPARE(ApduBytes("0 A4"), std::optional(Hex("00 A4")));  // pairs trimmed of blanks
    QCOMPARE(ApduBytes(""), std::optional(Bytes{}));
    QCOMPARE(ApduBytes(std::string(504, 'F')), std::optional(Bytes(252, 0xFF)));
    QCOMPARE(ApduBytes("  "), std::nullopt);
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(RfChecksTest)
#include "rf_checks_test.moc"
