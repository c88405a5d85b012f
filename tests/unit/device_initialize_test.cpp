#include <QtTest>

#include "device_fakes.h"

using namespace kdx;
using namespace kdx::test;

class DeviceInitializeTest : public QObject {
  Q_OBJECT
 private slots:
  void chosenOptionIsTheParameter_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("frame");
    QTest::newRow("front") << int{'0'} << "F2 00 00 03 43 30 30 03 B1";
    QTest::newRow("error bin") << int{'1'} << "F2 00 00 03 43 30 31 03 B0";
    QTest::newRow("retain") << int{'3'} << "F2 00 00 03 43 30 33 03 B2";
    QTest::newRow("front, counting") << int{'4'} << "F2 00 00 03 43 30 34 03 B5";
    QTest::newRow("error bin, counting") << int{'5'} << "F2 00 00 03 43 30 35 03 B4";
    QTest::newRow("retain, counting") << int{'7'} << "F2 00 00 03 43 30 37 03 B6";
  }
  void chosenOptionIsTheParameter() {
    QFETCH(int, code);
    QFETCH(QString, frame);
    DeviceHarness h;
    h.view.choice = static_cast<std::uint8_t>(code);
    AnswerEveryCommand(h, std::string("P0") + char(code) + "000");
    QCOMPARE(h.press("ReaderResetBtn"), CommandOutcome::Positive);
    QCOMPARE(h.view.optionDialogs, 1);
    QCOMPARE(int{h.records.initializeCode}, code);
    QCOMPARE(SentCommands(h), std::vector<Bytes>{Hex(frame.toStdString())});
  }

  void replyWithoutDataShowsAnEmptyLine() {
    DeviceHarness h;
    AnswerEveryCommand(h, "P00000");
    QCOMPARE(h.press("ReaderResetBtn"), CommandOutcome::Positive);
    QCOMPARE(h.messages.boxes.at(0).text, std::string("Reset success\r\n"));
  }

  // Cancel (or the dialog closed by its frame) sends nothing and appends no
  // CR LF; the prologue has already run, so without "Record Data" the monitor
  // is empty afterwards.
  void cancelSendsNothing_data() {
    QTest::addColumn<bool>("record");
    QTest::addColumn<int>("choice");
    QTest::addColumn<QString>("monitor");
    QTest::newRow("cancel") << false << 0 << "";
    QTest::newRow("cancel, recording") << true << 0 << "earlier\r\n";
    // A code the dialog never offers is not sent either.
    QTest::newRow("code 2") << false << int{'2'} << "";
    QTest::newRow("code 6, recording") << true << int{'6'} << "earlier\r\n";
  }
  void cancelSendsNothing() {
    QFETCH(bool, record);
    QFETCH(int, choice);
    QFETCH(QString, monitor);
    DeviceHarness h;
    h.view.choice = static_cast<std::uint8_t>(choice);
    h.records.initializeCode = '5';  // left from an earlier run
    h.monitor.append("earlier\r\n");
    h.monitor.setRecord(record);
    AnswerEveryCommand(h, "P00000");
    QCOMPARE(h.press("ReaderResetBtn"), CommandOutcome::NotSent);
    QCOMPARE(h.view.optionDialogs, 1);
    QVERIFY(h.line.writes().empty());
    QVERIFY(h.messages.boxes.empty());
    QCOMPARE(QString::fromStdString(h.monitor.text()), monitor);
    QCOMPARE(int{h.records.initializeCode}, choice);
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(DeviceInitializeTest)
#include "device_initialize_test.moc"
