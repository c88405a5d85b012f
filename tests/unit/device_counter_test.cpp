#include <QtTest>

#include "device_fakes.h"

using namespace kdx;
using namespace kdx::test;

// In the reply texts "\245" is the counter command A5, in octal so that the
// digits after it stay digits.

class DeviceCounterTest : public QObject {
  Q_OBJECT
 private slots:
  void readCounterFillsTheField() {
    DeviceHarness h;
    h.view.counter = "999";
    std::string atSend = "unset";
    AnswerEveryCommand(h, "P\2450000123");
    auto answer = h.line.onWrite;
    h.line.onWrite = [&](int index, const Bytes& bytes) {
      if (index == 0) atSend = h.view.counter;
      answer(index, bytes);
    };
    QCOMPARE(h.press("IRTenKaReadCMD"), CommandOutcome::Positive);
    QCOMPARE(atSend, std::string(""));  // emptied before sending
    QCOMPARE(h.view.counter, std::string("123"));
  }

  // The field holds three digits; a reply it cannot hold is refused, not cut.
  void readCounterRefusesDataTheFieldCannotHold_data() {
    QTest::addColumn<QString>("data");
    QTest::newRow("four digits") << "1234";
    QTest::newRow("letters") << "1A";
  }
  void readCounterRefusesDataTheFieldCannotHold() {
    QFETCH(QString, data);
    DeviceHarness h;
    AnswerEveryCommand(h, "P\2450000" + data.toStdString());
    QCOMPARE(h.press("IRTenKaReadCMD"), CommandOutcome::Positive);
    QCOMPARE(h.view.counter, std::string(""));
    QCOMPARE(h.messages.boxes.size(), std::size_t{1});
    QCOMPARE(h.messages.boxes[0].title, std::string("Caution"));
    QCOMPARE(h.messages.boxes[0].text, std::string("Error:Please Check The Data Effective"));
    QVERIFY(h.monitor.text().ends_with("SD: 06\r\n\r\n"));
  }

  void setCounterPadsAndSends_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("padded");
    QTest::addColumn<QString>("frame");
    QTest::newRow("one digit") << "7"
                               << "007"
                               << "F2 00 00 06 43 A5 31 30 30 37 03 17";
    QTest::newRow("empty") << ""
                           << "000"
                           << "F2 00 00 06 43 A5 31 30 30 30 03 10";
    QTest::newRow("two digits") << "12"
                                << "012"
                                << "F2 00 00 06 43 A5 31 30 31 32 03 13";
    QTest::newRow("three digits") << "905"
                                  << "905"
                                  << "F2 00 00 06 43 A5 31 39 30 35 03 1C";
  }
  void setCounterPadsAndSends() {
    QFETCH(QString, field);
    QFETCH(QString, padded);
    QFETCH(QString, frame);
    DeviceHarness h;
    h.view.counter = field.toStdString();
    AnswerEveryCommand(h, "P\2451000");
    QCOMPARE(h.press("IRTenKaFormatCMD"), CommandOutcome::Positive);
    QCOMPARE(QString::fromStdString(h.view.counter), padded);
    QCOMPARE(SentCommands(h), std::vector<Bytes>{Hex(frame.toStdString())});
  }

  void setCounterRefusesOtherText_data() {
    QTest::addColumn<QString>("field");
    QTest::newRow("four digits") << "1234";
    QTest::newRow("letter") << "12a";
    QTest::newRow("blank") << " 7";
    QTest::newRow("sign") << "-1";
  }
  void setCounterRefusesOtherText() {
    QFETCH(QString, field);
    for (bool record : {false, true}) {
      DeviceHarness h;
      h.view.counter = field.toStdString();
      h.monitor.append("earlier\r\n");
      h.monitor.setRecord(record);
      AnswerEveryCommand(h, "P\2451000");
      QCOMPARE(h.press("IRTenKaFormatCMD"), CommandOutcome::NotSent);
      QVERIFY(h.line.writes().empty());
      QVERIFY(h.view.counterWrites.empty());  // not rewritten
      QCOMPARE(h.messages.boxes.size(), std::size_t{1});
      QCOMPARE(h.messages.boxes[0].title, std::string("Caution"));
      QCOMPARE(h.messages.boxes[0].text, std::string("Error:Please Check The Data Effective"));
      QCOMPARE(h.messages.boxes[0].icon, Icon::Exclamation);
      QCOMPARE(h.monitor.text(), std::string(record ? "earlier\r\n\r\n" : "\r\n"));
    }
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(DeviceCounterTest)
#include "device_counter_test.moc"
