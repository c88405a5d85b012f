// The console transaction over a scripted line on virtual time: each way an
// exchange ends, with its list lines, message, timing and what the host sent.
#include <QtTest>

#include "console_fakes.h"
#include "device_fakes.h"

using namespace kdx;
using namespace kdx::test;

namespace {

using Script = std::vector<std::pair<std::int64_t, Bytes>>;

const Bytes kFrame = Hex("F2 00 00 03 43 31 30 03 B0");

QStringList Lines(const std::vector<std::string>& lines) {
  QStringList out;
  for (const auto& l : lines) out << QString::fromLatin1(l.c_str());
  return out;
}

}  // namespace

Q_DECLARE_METATYPE(Script)

class ConsoleTransactionTest : public QObject {
  Q_OBJECT
 private slots:
  void paths_data() {
    QTest::addColumn<Script>("script");  // the device's answer to the command
    QTest::addColumn<int>("result");
    QTest::addColumn<QStringList>("traffic");  // after the command's line
    QTest::addColumn<QStringList>("history");  // after the command section
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("endMs");
    QTest::addColumn<QString>("after");  // host writes after the command
    const Bytes ack{kAck};
    const Bytes reply = ReplyFrame("P10000");
    const QString timeout = "Reply type='ReplyTimeout'";
    const QString commError =
        "Communication Error\r\nPossible Causes:\r\n1)Communication Setup Error\r\n"
        "2)Wrong Address Selected\r\n3)No connected\r\n4)No Power On Unit";
    const QString checkData = "Error:Please Check The Data Effective";
    const QString rule =
        "----------------------------------------- Reply "
        "-----------------------------------------";
    QTest::newRow("positive") << Script{{10, ack}, {20, reply}} << 0
                              << QStringList{"RD: 06", "RD: F2 00 00 06 50 31 30 30 30 30 03 96 ",
                                             "SD: 06", ""}
                              << QStringList{rule,
                                             "[2026/03/04      05:06:07:9]",
                                             "Reply type=<Positive reply>",
                                             "Command:31h,  Parameter:30h Status code:000",
                                             "Data(Hex):<No data>",
                                             ""}
                              << "" << 20 << "06";
    QTest::newRow("silent") << Script{} << -1 << QStringList{}
                            << QStringList{rule, "[2026/03/04      05:06:07:9]", timeout,
                                           "",   "ExecuteCommand failed: 6h",    "",
                                           ""}
                            << commError << 500 << "";
    QTest::newRow("NAK") << Script{{10, Bytes{kNak}}} << -1 << QStringList{"RD: 15"}
                         << QStringList{rule, "[2026/03/04      05:06:07:9]", timeout,
                                        "",   "ExecuteCommand failed: 6h",    "",
                                        ""}
                         << commError << 10 << "";
    QTest::newRow("ACK late") << Script{{501, ack}, {510, reply}} << -1 << QStringList{}
                              << QStringList{rule, "[2026/03/04      05:06:07:9]", timeout,
                                             "",   "ExecuteCommand failed: 6h",    "",
                                             ""}
                              << commError << 500 << "";
    QTest::newRow("no head") << Script{{10, ack}} << -2 << QStringList{"RD: 06", "SD: 04"}
                             << QStringList{} << "Stop communication process" << 13010 << "04";
    QTest::newRow("no head, answer to EOT")
        << Script{{10, ack}, {10020, Bytes{kAck}}} << -2
        << QStringList{"RD: 06", "SD: 04", "RD: 06"} << QStringList{}
        << "Stop communication process" << 10020 << "04";
    QTest::newRow("rest missing") << Script{{10, ack}, {20, Hex("F2 00 00 06 50 31")}} << -1
                                  << QStringList{"RD: 06", "RD: F2 00 00 06 "}
                                  << QStringList{"", ""} << checkData << 10020 << "";
    Bytes longText(1100, '0');
    longText[0] = 'P';
    QTest::newRow("longer than the buffer")
        << Script{{10, ack}, {20, ReplyFrame(longText)}} << -1 << QStringList{}
        << QStringList{"", ""} << checkData << 20 << "06";
  }
  void paths() {
    QFETCH(Script, script);
    QFETCH(int, result);
    QFETCH(QStringList, traffic);
    QFETCH(QStringList, history);
    QFETCH(QString, box);
    QFETCH(int, endMs);
    QFETCH(QString, after);
    LinkHarness h;
    ConsoleRig c(h.session);
    h.line.onWrite = [&h, script](int index, const Bytes&) {
      if (index != 0) return;
      for (const auto& [delay, bytes] : script) h.line.deliverIn(delay, bytes);
    };
    Bytes frame = Hex("F2 00 00 03 43 31 30");
    Bytes reply(kReplyBufferSize);
    int replyLength = 99;
    QCOMPARE(ConsoleTransaction(c.context, frame, 9, reply, replyLength), result);
    QCOMPARE(frame, kFrame);  // ETX and the check byte put in
    QCOMPARE(h.line.writes().at(0).bytes, kFrame);
    QStringList got = Lines(c.view.traffic);
    QCOMPARE(got.takeFirst(), "SD: F2 00 00 03 43 31 30 03 B0 ");
    if (QTest::currentDataTag() != QByteArray("longer than the buffer")) QCOMPARE(got, traffic);
    QStringList hist = Lines(c.view.history);
    QCOMPARE(hist.mid(0, 5).join('|'),
             "--------------------------------------- Command "
             "---------------------------------------|[2026/03/04      05:06:07:8]|"
             "Command:31h,  Parameter:30h|Data(Hex):<No data>|");
    QCOMPARE(hist.mid(5), history);
    QStringList boxes;
    for (const auto& b : h.messages.boxes) {
      QCOMPARE(b.title, std::string("Caution"));
      QCOMPARE(b.icon, Icon::Exclamation);
      boxes << QString::fromStdString(b.text);
    }
    QCOMPARE(boxes.join('|'), box);
    QCOMPARE(h.clock.nowMs(), endMs);
    QStringList writes;
    for (std::size_t i = 1; i < h.line.writes().size(); ++i)
      writes << QString::fromStdString(HexBytes(h.line.writes()[i].bytes));
    QCOMPARE(writes.join(' '), after);
    if (result == 0) {
      QCOMPARE(replyLength, 8);
      QCOMPARE(Bytes(reply.begin(), reply.begin() + 8), Hex("50 31 30 30 30 30 03 96"));
    } else if (result == -2) {
      QCOMPARE(replyLength, 0);
    }
  }

  // A reply of more than 25 bytes: the head and 21 bytes on the first line.
  void longReplyLines() {
    LinkHarness h;
    ConsoleRig c(h.session);
    AnswerEveryCommand(h, "P10000" + std::string(20, 'A'));
    Bytes frame = Hex("F2 00 00 03 43 31 30");
    Bytes reply;
    int length = 0;
    QCOMPARE(ConsoleTransaction(c.context, frame, 9, reply, length), 0);
    QCOMPARE(Lines(c.view.traffic).mid(2, 2),
             QStringList({"RD: F2 00 00 1A 50 31 30 30 30 30 41 41 41 41 41 41 41 41 41 41 41 "
                          "41 41 41 41 ",
                          "    41 41 41 41 41 03 8A "}));
    QCOMPARE(Lines(c.view.history).at(9),
             "Data(Hex):41 41 41 41 41 41 41 41  - 41 41 41 41 41 "
             "41 41 41 ");
    QCOMPARE(Lines(c.view.history).at(10), "          41 41 41 41 ");
  }

  void linkClosed() {
    LinkHarness h;
    h.state.linkOpen = false;
    ConsoleRig c(h.session);
    Bytes frame = Hex("F2 00 00 03 43 31 30");
    Bytes reply;
    int length = 5;
    QCOMPARE(ConsoleTransaction(c.context, frame, 9, reply, length), 0);
    QCOMPARE(length, 0);
    QVERIFY(h.line.writes().empty());
    QCOMPARE(h.messages.boxes.at(0).text, std::string("Comm. Port Setup First"));
    QCOMPARE(c.eventRounds, 0);
  }

  // A broken port: the write fails and the exchange ends as with no ACK.
  void portFailure() {
    LinkHarness h;
    ConsoleRig c(h.session);
    h.line.breakLine();
    Bytes frame = Hex("F2 00 00 03 43 31 30");
    Bytes reply;
    int length = 0;
    QCOMPARE(ConsoleTransaction(c.context, frame, 9, reply, length), -1);
    QVERIFY(h.messages.boxes.at(0).text.rfind("Communication Error", 0) == 0);
    QCOMPARE(h.clock.nowMs(), 0);
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(ConsoleTransactionTest)
#include "console_transaction_test.moc"
