// How the contactless buttons read positive replies: the activation's card
// kinds and identity fields, the status names, the three status word paths,
// and replies shorter than the positions read.
#include <QtTest>

#include "rf/activation.h"
#include "rf_fakes.h"

using namespace kdx;
using namespace kdx::test;

namespace {

std::vector<TabStop> Tabs(std::initializer_list<TabStop> stops) {
  return stops;
}

}  // namespace

class RfRepliesTest : public QObject {
  Q_OBJECT
 private slots:
  void activation_data() {
    QTest::addColumn<Bytes>("data");
    QTest::addColumn<RfCardFields>("fields");
    QTest::addColumn<std::vector<TabStop>>("tabs");
    QTest::addColumn<QString>("message");
    const QString typeA =
        "The RF Card is activated \r\nthe card in line with ISO / IEC 14443 Type A protocol";
    QTest::newRow("type A with its answer") << Hex("41 04 00 04 01 02 03 0A 20 05 78 80")
                                            << RfCardFields{"", "", "0102030A", "057880", ""}
                                            << Tabs({{"SSTab1", 0}, {"SSTab3", 1}}) << typeA;
    QTest::newRow("type A ending after the SAK")
        << Hex("41 04 00 04 01 02 03 04 20") << RfCardFields{"", "", "01020304", "", ""}
        << Tabs({{"SSTab1", 0}, {"SSTab3", 1}}) << typeA;
    QTest::newRow("type A, UID cut short")
        << Hex("41 04 00 07 01 02") << RfCardFields{"", "", "0102", "", ""}
        << Tabs({{"SSTab1", 0}, {"SSTab3", 1}}) << typeA;
    QTest::newRow("type A, no UID length")
        << Hex("41 04") << RfCardFields{} << Tabs({{"SSTab1", 0}, {"SSTab3", 1}}) << typeA;
    QTest::newRow("type B")
        << Hex("42 50 12 34 56 78") << RfCardFields{"", "", "", "", "5012345678"}
        << Tabs({{"SSTab1", 0}, {"SSTab3", 2}})
        << "The RF Card is activated \r\nthe card in line with ISO / IEC 14443 Type B protocol";
    QTest::newRow("ultralight, 7-byte UID")
        << Hex("4D 00 44 07 04 0A 22 33 44 55 66") << RfCardFields{"", "040A2233445566", "", "", ""}
        << Tabs({{"SSTab1", 0}, {"SSTab3", 0}, {"SSTab4", 1}})
        << "The RF Card is activated\r\nMifare one UL card";
    QTest::newRow("S70") << Hex("4D 00 02 04 0A 0B 0C 0D")
                         << RfCardFields{"0A0B0C0D", "", "", "", ""}
                         << Tabs({{"SSTab1", 0}, {"SSTab3", 0}, {"SSTab4", 0}})
                         << "The RF Card is activated\r\nMifare one S70 card";
    QTest::newRow("mifare of another kind") << Hex("4D 00 08 04 0A 0B 0C 0D") << RfCardFields{}
                                            << Tabs({}) << "The RF Card is activated\r\n";
    QTest::newRow("mifare without its ATQA")
        << Hex("4D") << RfCardFields{} << Tabs({}) << "The RF Card is activated\r\n";
    QTest::newRow("another kind") << Hex("43 00 04") << RfCardFields{} << Tabs({}) << "";
    QTest::newRow("no data") << Bytes{} << RfCardFields{} << Tabs({}) << "";
  }
  void activation() {
    QFETCH(Bytes, data);
    QFETCH(RfCardFields, fields);
    QFETCH(std::vector<TabStop>, tabs);
    QFETCH(QString, message);
    RfHarness h;
    AnswerEveryCommand(h, RfReply('0', data));
    QCOMPARE(h.press("RFCardUPBtn"), CommandOutcome::Positive);
    // Cleared before the exchange, then filled from the reply.
    QCOMPARE(h.view.fields.front(), RfCardFields{});
    QCOMPARE(h.view.fields.back(), fields);
    QCOMPARE(h.view.tabs.empty() ? std::vector<TabStop>{} : h.view.tabs.back(), tabs);
    if (message.isEmpty()) {
      QVERIFY(h.messages.boxes.empty());
      QCOMPARE(h.view.fields.size(), std::size_t{1});
    } else {
      QCOMPARE(h.messages.boxes.size(), std::size_t{1});
      QCOMPARE(h.messages.boxes[0].text, message.toStdString());
    }
  }

  void statusNames_data() {
    QTest::addColumn<Bytes>("data");
    QTest::addColumn<QString>("name");
    QTest::newRow("00") << Bytes{'0', '0'} << "Non_card";
    QTest::newRow("10") << Bytes{'1', '0'} << "Mifare one S50 card";
    QTest::newRow("11") << Bytes{'1', '1'} << "Mifare one S70 card";
    QTest::newRow("12") << Bytes{'1', '2', 'x'} << "Mifare one UL card";
    QTest::newRow("20") << Bytes{'2', '0'} << "Type A CPU card";
    QTest::newRow("30") << Bytes{'3', '0'} << "Type B CPU card";
    QTest::newRow("trimmed ' 0'") << Bytes{' ', '0'} << "";
    QTest::newRow("one byte") << Bytes{'1'} << "";
    QTest::newRow("none") << Bytes{} << "";
  }
  void statusNames() {
    QFETCH(Bytes, data);
    QFETCH(QString, name);
    RfHarness h;
    AnswerEveryCommand(h, RfReply('2', data));
    h.press("RFCardStatusBtn");
    QCOMPARE(h.messages.boxes.at(0).text, "The RF Card is activated\r\n" + name.toStdString());
    QVERIFY(h.view.fields.empty());
    QVERIFY(h.view.tabs.empty());
  }

  // "9000" fills the grid or the field, "6F00" and any other status word
  // leave them; the result line follows the status word.
  void statusWords_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<Bytes>("data");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QStringList>("shown");  // grid cells or purse value
    const QStringList untouched;
    QTest::newRow("block 9000") << "RFreadBtn"
                                << Hex("05 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 90 00")
                                << "Execute OK"
                                << "9000"
                                << QStringList{"05", "01", "02", "03", "04", "05", "06", "07",
                                               "08", "09", "0A", "0B", "0C", "0D", "0E", "0F"};
    QTest::newRow("block 6F00") << "RFreadBtn" << Hex("6F 00") << "Execute Error"
                                << "6F00" << untouched;
    QTest::newRow("block 6F01") << "RFreadBtn" << Hex("6F 01") << ""
                                << "6F01" << untouched;
    QTest::newRow("block, 10 bytes before the status")
        << "RFreadBtn" << Hex("01 02 03 04 05 06 07 08 09 0A 90 00") << "Execute OK"
        << "9000" << QStringList{"01", "02", "03", "04", "05", "06", "07", "08",
                                 "09", "0A", "",   "",   "",   "",   "",   ""};
    QTest::newRow("block, one data byte") << "RFreadBtn" << Hex("90") << ""
                                          << "90" << untouched;
    QTest::newRow("page 9000, longer data")
        << "ULCmdRread" << Hex("01 02 03 04 05 06 07 08 90 00") << "Execute OK"
        << "9000" << QStringList{"01", "02", "03", "04"};
    QTest::newRow("page 6F00") << "ULCmdRread" << Hex("01 02 03 04 6F 00") << "Execute Error"
                               << "6F00" << untouched;
    QTest::newRow("value 9000") << "ReadValueRfCmd" << Hex("10 27 00 00 90 00") << "Execute OK"
                                << "9000" << QStringList{"10000"};
    QTest::newRow("value above 2^31")
        << "ReadValueRfCmd" << Hex("FF FF FF FF 90 00") << "Execute OK"
        << "9000" << QStringList{"4294967295"};
    QTest::newRow("value 6F00") << "ReadValueRfCmd" << Hex("10 27 00 00 6F 00") << "Execute Error"
                                << "6F00" << untouched;
    QTest::newRow("value, two bytes only") << "ReadValueRfCmd" << Hex("10 27 90 00") << "Execute OK"
                                           << "9000" << untouched;
    QTest::newRow("write 6B00") << "RFwriteBtn" << Hex("6B 00") << ""
                                << "6B00" << untouched;
  }
  void statusWords() {
    QFETCH(QString, control);
    QFETCH(Bytes, data);
    QFETCH(QString, result);
    QFETCH(QString, status);
    QFETCH(QStringList, shown);
    RfHarness h;
    h.view.in.purseBlock = 0x01;
    h.view.in.block = 0x01;
    h.view.fillBlockCells("AA");
    AnswerEveryCommand(h, RfReply('3', data));
    QCOMPARE(h.press(control.toStdString()), CommandOutcome::Positive);
    const auto& box = h.messages.boxes.at(0);
    QVERIFY(box.text.ends_with("\r\n" + result.toStdString() + "\r\n" + status.toStdString()));
    QStringList seen;
    if (control == "ReadValueRfCmd") {
      for (const auto& v : h.view.purseWrites) seen << QString::fromStdString(v);
    } else {
      CellTexts& grid = control == "ULCmdRread" ? h.view.page : h.view.block;
      for (int i = 0; i < grid.cellCount(); ++i) seen << QString::fromStdString(grid.text(i));
      if (seen.join("").isEmpty()) seen.clear();
    }
    QCOMPARE(seen, shown);
  }

  void apduResponseIntoItsTab() {
    RfHarness h;
    AnswerEveryCommand(h, RfReply('5', Hex("01 02 6A 82")));
    h.press("SendTypeBCmd");
    QCOMPARE(h.view.responseB, std::string("01026A82"));
    QCOMPARE(h.view.responseA, std::string("unchanged"));
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(RfRepliesTest)
#include "rf_replies_test.moc"
