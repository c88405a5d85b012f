#include <QtTest>

#include "link/frame.h"
#include "link_harness.h"

using namespace kdx;
using namespace kdx::test;

namespace {

const Bytes kStatusCommand = BuildCommand(0, '1', '0');
const std::string kStatusLine = "SD: F2 00 00 03 43 31 30 03 B0 \r\n";

struct Call {
  int result;
  std::int16_t count;
  Bytes reply;
};

Call Run(LinkHarness& h, const Bytes& command = kStatusCommand, std::int16_t count = 0) {
  Bytes reply(kReplyBufferSize);
  const int result =
      ExecuteCommand(h.session, command, static_cast<int>(command.size()), reply, count);
  return {result, count, reply};
}

// The device answers the first write (the command) with these deliveries.
void AnswerCommand(LinkHarness& h, std::vector<std::pair<std::int64_t, Bytes>> deliveries) {
  h.line.onWrite = [&h, deliveries](int index, const Bytes&) {
    if (index != 0) return;
    for (const auto& [delay, bytes] : deliveries) h.line.deliverIn(delay, bytes);
  };
}

}  // namespace

class TransactionTest : public QObject {
  Q_OBJECT
 private slots:
  void positiveReplyLeavesFourMonitorLines() {
    LinkHarness h;
    const Bytes frame = ReplyFrame("P10000");
    AnswerCommand(h, {{10, {kAck}}, {20, frame}});
    const Call c = Run(h);
    QCOMPARE(c.result, 0);
    QCOMPARE(int{c.count}, 8);  // "P", codes, three status bytes, ETX, BCC
    QCOMPARE(BytesToText(ByteView(c.reply).first(6)), std::string("P10000"));
    QCOMPARE(c.reply[6], kEtx);
    QCOMPARE(c.reply[7], frame.back());
    QCOMPARE(h.monitor.text(), kStatusLine + "RD: 06\r\n" +
                                   "RD: F2 00 00 06 50 31 30 30 30 30 03 " +
                                   HexByte(frame.back()) + " \r\nSD: 06\r\n");
    QVERIFY(h.messages.boxes.empty());
    QCOMPARE(h.line.writes().size(), std::size_t{2});
    QCOMPARE(h.line.writes()[1].bytes, Bytes{kAck});
    QCOMPARE(h.clock.nowMs(), std::int64_t{20});
  }

  void closedLinkSendsNothing() {
    LinkHarness h;
    h.state.linkOpen = false;
    const Call c = Run(h);
    QCOMPARE(c.result, 0);
    QCOMPARE(int{c.count}, 0);
    QVERIFY(h.line.writes().empty());
    QVERIFY(h.monitor.text().empty());
    QCOMPARE(h.messages.boxes.size(), std::size_t{1});
    QCOMPARE(h.messages.boxes[0].title, std::string("Caution"));
    QCOMPARE(h.messages.boxes[0].text, std::string("Comm. Port Setup First"));
    QCOMPARE(h.messages.boxes[0].icon, Icon::Exclamation);
  }

  void silentDeviceEndsWithEotAfterTwelveSeconds() {
    LinkHarness h;
    const Call c = Run(h, kStatusCommand, 5);
    QCOMPARE(c.result, -2);
    QCOMPARE(int{c.count}, 0);
    QCOMPARE(h.monitor.text(), kStatusLine + "SD: 04\r\n");
    QVERIFY(h.messages.boxes.empty());
    QCOMPARE(h.line.writes().size(), std::size_t{2});
    QCOMPARE(h.line.writes()[1].bytes, Bytes{kEot});
    QCOMPARE(h.line.writes()[1].atMs, std::int64_t{9000});  // 3 s for the ACK, 6 s for the head
    QCOMPARE(h.clock.nowMs(), std::int64_t{12000});
  }

  void nakIsUnitNotDetected() {
    LinkHarness h;
    AnswerCommand(h, {{5, {kNak}}});
    const Call c = Run(h, kStatusCommand, 7);
    QCOMPARE(c.result, -1);
    QCOMPARE(int{c.count}, 7);  // untouched
    QCOMPARE(h.monitor.text(), kStatusLine + "RD: 15\r\n\r\n");
    QCOMPARE(h.messages.boxes.size(), std::size_t{1});
    QCOMPARE(h.messages.boxes[0].text, std::string(kUnitNotDetected));
    QCOMPARE(h.messages.boxes[0].title, std::string("Caution"));
    QCOMPARE(h.line.writes().size(), std::size_t{1});  // no ACK, no EOT
    QCOMPARE(h.clock.nowMs(), std::int64_t{5});
  }

  void replyWithoutAckAfterThreeSecondsSucceeds() {
    LinkHarness h;
    AnswerCommand(h, {{5000, ReplyFrame("P10000")}});
    const Call c = Run(h);
    QCOMPARE(c.result, 0);
    QCOMPARE(int{c.count}, 8);
    QVERIFY(!QString::fromStdString(h.monitor.text()).contains("RD: 06"));
    QVERIFY(h.monitor.text().starts_with(kStatusLine + "RD: F2 00 00 06 "));
    QCOMPARE(h.clock.nowMs(), std::int64_t{5000});
  }

  void replyWithoutAckWithinThreeSecondsFails() {
    LinkHarness h;
    AnswerCommand(h, {{100, ReplyFrame("P10000")}});
    const Call c = Run(h);
    QCOMPARE(c.result, -1);
    QCOMPARE(h.monitor.text(), kStatusLine + "RD: F2\r\n\r\n");
    QCOMPARE(h.messages.boxes.at(0).text, std::string(kUnitNotDetected));
  }

  void headOnlyWaitsSixSecondsForTheRest() {
    LinkHarness h;
    // The head promises 6 text bytes; only 3 arrive.
    AnswerCommand(h, {{10, {kAck}}, {20, Bytes{0xF2, 0x00, 0x00, 0x06, 'P', '1', '0'}}});
    const Call c = Run(h, kStatusCommand, 3);
    QCOMPARE(c.result, -1);
    QCOMPARE(int{c.count}, 3);
    QCOMPARE(h.monitor.text(), kStatusLine + "RD: 06\r\nRD: F2 00 00 06 \r\n");
    QCOMPARE(h.messages.boxes.at(0).text, std::string(kCheckData));
    QCOMPARE(h.line.writes().size(), std::size_t{1});  // no ACK for a partial reply
    QCOMPARE(h.clock.nowMs(), std::int64_t{20 + 6000});
  }

  void bytesAfterEot_data() {
    QTest::addColumn<Bytes>("late");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("tail");
    QTest::addColumn<bool>("box");
    QTest::newRow("two bytes") << Bytes{0xAA, 0xBB} << -2 << "RD: AA BB " << false;
    QTest::newRow("three bytes show two") << Bytes{0x01, 0x02, 0x03} << -2 << "RD: 01 02 " << false;
    QTest::newRow("one byte") << Bytes{0x15} << -1 << "RD: 15 \r\n" << true;
  }
  void bytesAfterEot() {
    QFETCH(Bytes, late);
    QFETCH(int, result);
    QFETCH(QString, tail);
    QFETCH(bool, box);
    LinkHarness h;
    AnswerCommand(h, {{10, {kAck}}, {6500, late}});  // EOT goes at 6010
    const Call c = Run(h, kStatusCommand, 9);
    QCOMPARE(c.result, result);
    QCOMPARE(int{c.count}, result == -2 ? 0 : 9);
    QCOMPARE(QString::fromStdString(h.monitor.text()),
             QString::fromStdString(kStatusLine + "RD: 06\r\nSD: 04\r\n") + tail);
    QCOMPARE(h.messages.boxes.size(), std::size_t{box ? 1u : 0u});
    if (box) QCOMPARE(h.messages.boxes[0].text, std::string(kUnitNotDetected));
  }

  void oversizedReplyFailsWithCountSet() {
    LinkHarness h;
    Bytes text{'P', '1', '0', '0', '0', '0'};
    text.resize(1100, 0x41);
    AnswerCommand(h, {{10, {kAck}}, {20, ReplyFrame(text)}});
    const Call c = Run(h);
    QCOMPARE(c.result, -1);
    QCOMPARE(int{c.count}, 1102);
    QCOMPARE(c.reply.size(), kReplyBufferSize);
    QCOMPARE(c.reply[1024], std::uint8_t{0x41});
    QCOMPARE(h.messages.boxes.at(0).text, std::string(kCheckData));
    QCOMPARE(h.line.writes().back().bytes, Bytes{kAck});  // the reply was acknowledged
    QVERIFY(h.monitor.text().ends_with("SD: 06\r\n\r\n"));
  }

  void portErrorPicksTheBoxByPhase() {
    {
      LinkHarness h;  // error while waiting for the ACK: still detecting
      h.line.onWrite = [&h](int, const Bytes&) { h.line.breakLine(); };
      QCOMPARE(Run(h).result, -1);
      QCOMPARE(h.messages.boxes.at(0).text, std::string(kUnitNotDetected));
      QCOMPARE(h.monitor.text(), kStatusLine + "\r\n");
    }
    {
      LinkHarness h;  // error after the head arrived: the data box
      AnswerCommand(h, {{10, {kAck}}, {20, Bytes{0xF2, 0x00, 0x00, 0x06}}});
      h.line.breakAfterReads(2);  // the ACK and the head read fine, then the port fails
      QCOMPARE(Run(h).result, -1);
      QCOMPARE(h.messages.boxes.at(0).text, std::string(kCheckData));
      QCOMPARE(h.monitor.text(), kStatusLine + "RD: 06\r\nRD: F2 00 00 06 \r\n");
    }
  }

  void commandLineWraps() {
    LinkHarness h;
    const Bytes data(21, 0x11);  // 30-byte frame
    const Bytes command = BuildCommand(0, 'Q', '9', data);
    QCOMPARE(command.size(), std::size_t{30});
    const std::string line = CommandMonitorLine(command);
    const auto breakAt = line.find("\r\n");
    QCOMPARE(breakAt, std::size_t{4 + 24 * 3});             // 24 bytes on the first line
    QVERIFY(line.substr(breakAt, 9) == "\r\n       ");       // continuation: seven blanks
    QCOMPARE(line.size(), std::size_t{4 + 30 * 3 + 9 + 2});  // 6 bytes on the second line
    // 24 bytes: the break follows the very last byte.
    const std::string exact = CommandMonitorLine(Bytes(24, 0));
    QVERIFY(exact.ends_with("00 \r\n       \r\n"));
    // The monitor shows only the first `commandLength` bytes.
    Bytes reply(kReplyBufferSize);
    std::int16_t count = 0;
    ExecuteCommand(h.session, command, 3, reply, count);
    QVERIFY(h.monitor.text().starts_with("SD: F2 00 00 \r\nSD: 04"));
  }

  void replyLineWraps() {
    LinkHarness h;
    Bytes text{'P', 'Q', '9', '0', '0', '0'};
    text.resize(60, 0x22);  // 62 bytes after the head
    AnswerCommand(h, {{10, {kAck}}, {20, ReplyFrame(text)}});
    QCOMPARE(Run(h).result, 0);
    const QString monitor = QString::fromStdString(h.monitor.text());
    const QStringList lines = monitor.split("\r\n");
    // command, ACK, reply first line, two continuation lines, host ACK, ""
    QCOMPARE(lines.size(), 7);
    QCOMPARE(lines[2].size(), 4 + 26 * 3);
    QVERIFY(lines[3].startsWith("       "));
    QCOMPARE(lines[3].size(), 7 + 25 * 3);
    QCOMPARE(lines[4].size(), 7 + 15 * 3);  // 4 + 62 = 66 = 26 + 25 + 15
    QCOMPARE(lines[5], QString("SD: 06"));
  }

  void delayMsSurvivesTickWrapAround() {
    sim::VirtualClock clock;
    clock.setTickOffset(0xFFFFFFFFu - 100);  // wraps 100 ms into the wait
    DelayMs(clock, 250);
    QCOMPARE(clock.nowMs(), std::int64_t{250});
    DelayMs(clock, 0);
    DelayMs(clock, -5);
    QCOMPARE(clock.nowMs(), std::int64_t{250});
  }
};

QTEST_GUILESS_MAIN(TransactionTest)
#include "transaction_test.moc"
