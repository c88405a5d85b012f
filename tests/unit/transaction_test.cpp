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

using Script = std::vector<std::pair<std::int64_t, Bytes>>;

// The device answers the first write (the command) with these deliveries.
void AnswerCommand(LinkHarness& h, Script deliveries) {
  h.line.onWrite = [&h, deliveries](int index, const Bytes&) {
    if (index != 0) return;
    for (const auto& [delay, bytes] : deliveries) h.line.deliverIn(delay, bytes);
  };
}

}  // namespace

Q_DECLARE_METATYPE(Script)

class TransactionTest : public QObject {
  Q_OBJECT
 private slots:
  // Each way an exchange ends: result, reply count (9 before the call), the
  // monitor after the command line, the box, when it ended and what the host
  // sent after the command.
  void exchangePaths_data() {
    QTest::addColumn<Script>("script");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("monitor");
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("endMs");
    QTest::addColumn<QString>("sent");
    const Bytes frame = ReplyFrame("P10000");
    const QString reply = "RD: " + QString::fromStdString(HexBytes(frame)) + " \r\nSD: 06\r\n";
    const QString notDetected = QString::fromUtf8(kUnitNotDetected);
    const QString checkData = QString::fromUtf8(kCheckData);
    const Bytes ack{kAck};
    QTest::newRow("positive") << Script{{10, ack}, {20, frame}} << 0 << 8 << "RD: 06\r\n" + reply
                              << "" << 20 << "06";
    QTest::newRow("silent: EOT after 3 s for the ACK and 6 s for the head")
        << Script{} << -2 << 0 << "SD: 04\r\n"
        << "" << 12000 << "04";
    QTest::newRow("NAK") << Script{{5, {kNak}}} << -1 << 9 << "RD: 15\r\n\r\n"
                         << notDetected << 5 << "";
    QTest::newRow("reply without ACK after 3 s")
        << Script{{5000, frame}} << 0 << 8 << reply << "" << 5000 << "06";
    QTest::newRow("reply without ACK within 3 s")
        << Script{{100, frame}} << -1 << 9 << "RD: F2\r\n\r\n"
        << notDetected << 100 << "";
    // The head promises 6 text bytes; only 3 arrive.
    QTest::newRow("head, then the rest missing for 6 s")
        << Script{{10, ack}, {20, Bytes{0xF2, 0x00, 0x00, 0x06, 'P', '1', '0'}}} << -1 << 9
        << "RD: 06\r\nRD: F2 00 00 06 \r\n"
        << checkData << 6020 << "";
    // The EOT goes at 6010.
    QTest::newRow("two bytes after EOT") << Script{{10, ack}, {6500, Bytes{0xAA, 0xBB}}} << -2 << 0
                                         << "RD: 06\r\nSD: 04\r\nRD: AA BB "
                                         << "" << 6500 << "04";
    QTest::newRow("three bytes after EOT show two")
        << Script{{10, ack}, {6500, Bytes{0x01, 0x02, 0x03}}} << -2 << 0
        << "RD: 06\r\nSD: 04\r\nRD: 01 02 "
        << "" << 6500 << "04";
    QTest::newRow("one byte after EOT")
        << Script{{10, ack}, {6500, Bytes{0x15}}} << -1 << 9 << "RD: 06\r\nSD: 04\r\nRD: 15 \r\n"
        << notDetected << 6500 << "04";
  }
  void exchangePaths() {
    QFETCH(Script, script);
    QFETCH(int, result);
    QFETCH(int, count);
    QFETCH(QString, monitor);
    QFETCH(QString, box);
    QFETCH(int, endMs);
    QFETCH(QString, sent);
    LinkHarness h;
    AnswerCommand(h, script);
    const Call c = Run(h, kStatusCommand, 9);
    QCOMPARE(c.result, result);
    QCOMPARE(int{c.count}, count);
    if (result == 0) {  // the reply after its head
      QCOMPARE(Bytes(c.reply.begin(), c.reply.begin() + count),
               Bytes(script.back().second.begin() + 4, script.back().second.end()));
    }
    QCOMPARE(QString::fromStdString(h.monitor.text()),
             QString::fromStdString(kStatusLine) + monitor);
    QCOMPARE(h.messages.boxes.size(), std::size_t{box.isEmpty() ? 0u : 1u});
    if (!box.isEmpty()) {
      QCOMPARE(QString::fromStdString(h.messages.boxes[0].text), box);
      QCOMPARE(h.messages.boxes[0].title, std::string("Caution"));
    }
    QCOMPARE(h.clock.nowMs(), std::int64_t{endMs});
    QStringList hostBytes;
    for (std::size_t i = 1; i < h.line.writes().size(); ++i) {
      hostBytes << QString::fromStdString(HexBytes(h.line.writes()[i].bytes));
    }
    QCOMPARE(hostBytes.join(' '), sent);
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
    QCOMPARE(h.messages.boxes[0].text, std::string("Comm. Port Setup First"));
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

  // Stray bytes that arrive with the reply frame show in the monitor but are
  // not part of the reply: it ends where its length field says.
  void bytesAfterTheReplyFrameAreNotReply() {
    LinkHarness h;
    const Bytes frame = ReplyFrame(
        "P\xA2"
        "0000SN123");
    Bytes burst = frame;
    burst.push_back(0x03);
    burst.push_back(0x7E);
    AnswerCommand(h, {{10, {kAck}}, {20, burst}});
    const Call c = Run(h);
    QCOMPARE(c.result, 0);
    QCOMPARE(int{c.count}, int(frame.size()) - 4);
    QCOMPARE(Bytes(c.reply.begin(), c.reply.begin() + c.count),
             Bytes(frame.begin() + 4, frame.end()));
    QCOMPARE(h.monitor.text(),
             kStatusLine + "RD: 06\r\nRD: " + HexBytes(burst) + " \r\nSD: 06\r\n");
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
    QCOMPARE(breakAt, std::size_t{4 + 24 * 3});              // 24 bytes on the first line
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

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(TransactionTest)
#include "transaction_test.moc"
