#include <QtTest>

#include "device_fakes.h"

using namespace kdx;
using namespace kdx::test;

namespace {

// An address at which the reply frame's check byte equals `bcc`, so that a
// reader that strays past the reply text would find a plausible value there.
std::uint8_t AddressGivingBcc(std::string_view text, std::uint8_t bcc) {
  for (int a = 0; a < 256; ++a) {
    if (ReplyFrame(text, std::uint8_t(a)).back() == bcc) return std::uint8_t(a);
  }
  return 0;
}

SensorStates States(std::string_view twelve) {
  SensorStates s{};
  for (std::size_t i = 0; i < twelve.size() && i < s.size(); ++i) {
    s[i] = twelve[i] == '.' ? 0 : std::uint8_t(twelve[i]);
  }
  return s;
}

}  // namespace

class DeviceStatusTest : public QObject {
  Q_OBJECT
 private slots:
  void cardStatusSentences_data() {
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("text");
    QTest::newRow("front, lack, full")
        << "111"
        << "Card Status Success\r\nThere is card at front side\r\nLack of card in stacker\r\n"
           "The error card bin is full";
    QTest::newRow("operation position, enough")
        << "220"
        << "Card Status Success\r\nThere is card at RF/IC card operation position\r\n"
           "Enough cards in stacker\r\nThe error card bin is not full";
    QTest::newRow("unknown position")
        << "321"
        << "Card Status Success\r\n\r\nEnough cards in stacker\r\nThe error card bin is full";
    QTest::newRow("unknown stacker and bin")
        << "132"
        << "Card Status Success\r\nThere is card at front side\r\n\r\n";
  }
  void cardStatusSentences() {
    QFETCH(QString, status);
    QFETCH(QString, text);
    DeviceHarness h;
    AnswerEveryCommand(h, "P10" + status.toStdString());
    QCOMPARE(h.press("CardStatusBtn"), CommandOutcome::Positive);
    QCOMPARE(h.messages.boxes.size(), std::size_t{1});
    QCOMPARE(h.messages.boxes[0].title, std::string("Card Status"));
    QCOMPARE(QString::fromStdString(h.messages.boxes[0].text), text);
    QCOMPARE(h.messages.boxes[0].icon, Icon::Information);
  }

  // A positive reply that ends before its status bytes: ETX and the check
  // byte are not status, even when the check byte happens to be "0".
  void shortCardStatusReplyLeavesLinesEmpty() {
    DeviceHarness h;
    const std::uint8_t address = AddressGivingBcc("P102", '0');
    QCOMPARE(ReplyFrame("P102", address).back(), std::uint8_t{'0'});
    AnswerEveryCommand(h, "P102", address);
    QCOMPARE(h.press("CardStatusBtn"), CommandOutcome::Positive);
    QCOMPARE(h.messages.boxes.at(0).text,
             std::string("Card Status Success\r\nThere is card at RF/IC card operation position"
                         "\r\n\r\n"));
  }

  void sensorReplyFillsTheStates_data() {
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("states");  // '.' for unknown
    QTest::newRow("twelve") << "101100111000"
                            << "101100111000";
    QTest::newRow("more than twelve") << "11111111111100"
                                      << "111111111111";
    QTest::newRow("unknown bytes kept") << "10x1 0100110"
                                        << "10x1 0100110";
    QTest::newRow("five") << "10110"
                          << "10110.......";
    QTest::newRow("none") << ""
                          << "............";
  }
  void sensorReplyFillsTheStates() {
    QFETCH(QString, data);
    QFETCH(QString, states);
    DeviceHarness h;
    h.records.sensors = States("111111111111");  // an earlier reply
    const std::string text = "P11000" + data.toStdString();
    // The check byte reads "1": a reader that strays past the data would
    // show an extra sensor "On".
    AnswerEveryCommand(h, text, AddressGivingBcc(text, '1'));
    QCOMPARE(h.press("SensorStatusBtn"), CommandOutcome::Positive);
    const SensorStates expected = States(states.toStdString());
    QCOMPARE(h.records.sensors, expected);
    QCOMPARE(h.view.sensors.size(), std::size_t{1});
    QCOMPARE(h.view.sensors[0], expected);
    QVERIFY(h.messages.boxes.empty());
  }

  void failedSensorQueryKeepsTheLastStates() {
    DeviceHarness h;
    h.records.sensors = States("101010101010");
    AnswerEveryCommand(h, "N1110");
    QCOMPARE(h.press("SensorStatusBtn"), CommandOutcome::Negative);
    QCOMPARE(h.records.sensors, States("101010101010"));
    QVERIFY(h.view.sensors.empty());
    QCOMPARE(h.messages.boxes.at(0).text, std::string("Card jam"));
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(DeviceStatusTest)
#include "device_status_test.moc"
