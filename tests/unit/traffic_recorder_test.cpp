#include <QtTest>

#include "console/console_transaction.h"
#include "console_fakes.h"
#include "device/command_glossary.h"
#include "link/frame.h"
#include "link/port_setup.h"
#include "link/traffic.h"
#include "link_harness.h"

using namespace kdx;
using namespace kdx::test;

namespace {

using Script = std::vector<std::pair<std::int64_t, Bytes>>;

struct FixedTime final : LocalTimeSource {
  LocalTime now() override { return {2026, 3, 4, 5, 6, 7, 8}; }
};

// A session with the recorder installed, as the main window wires it.
struct Recorded : LinkHarness {
  FixedTime time;
  DeviceGlossary glossary;
  TrafficRecorder recorder{clock, time, &glossary};
  Recorded() { session.traffic = &recorder; }
};

// The device answers the first write (the command) with these deliveries.
void Answer(LinkHarness& h, const Script& deliveries) {
  h.line.onWrite = [&h, deliveries](int index, const Bytes&) {
    if (index != 0) return;
    for (const auto& [delay, bytes] : deliveries) h.line.deliverIn(delay, bytes);
  };
}

int Execute(LinkHarness& h, const Bytes& command) {
  Bytes reply(kReplyBufferSize);
  std::int16_t count = 0;
  return ExecuteCommand(h.session, command, static_cast<int>(command.size()), reply, count);
}

Bytes WithBadCheckByte(Bytes frame) {
  frame.back() ^= 0xFF;
  return frame;
}

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

Q_DECLARE_METATYPE(Script)

class TrafficRecorderTest : public QObject {
  Q_OBJECT
 private slots:
  // Every way ExecuteCommand ends, as one row: reply kind, detail, status,
  // duration on the virtual clock and every byte each side sent. The same
  // exchange without the recorder leaves the monitor byte for byte the same.
  void operationRows_data() {
    QTest::addColumn<QByteArray>("parameter");
    QTest::addColumn<Script>("script");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("detail");
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("ms");
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QString>("received");
    const Bytes ack{kAck};
    const Bytes positive = ReplyFrame("P10120");
    const QString cmd = "F2 00 00 03 43 31 30 03 B0";
    QTest::newRow("positive card status")
        << QByteArray("0") << Script{{10, ack}, {20, positive}} << "Positive"
        << ""
        << "There is card at front side; Enough cards in stacker; The error card bin is not full"
        << 20 << cmd + " 06"
        << "06 F2 00 00 06 50 31 30 31 32 30 03 95";
    QTest::newRow("status bytes the device does not define")
        << QByteArray("0") << Script{{10, ack}, {20, ReplyFrame("P10322")}} << "Positive"
        << ""
        << "unknown card position 3; Enough cards in stacker; unknown error card bin state 2" << 20
        << cmd + " 06"
        << "06 " + Q(HexBytes(ReplyFrame("P10322")));
    QTest::newRow("sensor status")
        << QByteArray("1") << Script{{10, ack}, {30, ReplyFrame("P11000100000000001")}}
        << "Positive"
        << ""
        << "On: PSS1, KS2" << 30 << "F2 00 00 03 43 31 31 03 B1 06"
        << "06 " + Q(HexBytes(ReplyFrame("P11000100000000001")));
    QTest::newRow("negative with the catalogue text")
        << QByteArray("0") << Script{{10, ack}, {40, ReplyFrame("N1010")}} << "Negative"
        << "10 Card jam"
        << "" << 40 << cmd + " 06"
        << "06 F2 00 00 05 4E 31 30 31 30 03 BA";
    QTest::newRow("negative code outside the catalogue")
        << QByteArray("0") << Script{{10, ack}, {40, ReplyFrame("N1070")}} << "Negative"
        << "70 (not in the catalogue)"
        << "" << 40 << cmd + " 06"
        << "06 " + Q(HexBytes(ReplyFrame("N1070")));
    QTest::newRow("neither P nor N")
        << QByteArray("0") << Script{{10, ack}, {20, ReplyFrame("X10")}} << "Other"
        << "first byte 58h"
        << "" << 20 << cmd + " 06"
        << "06 " + Q(HexBytes(ReplyFrame("X10")));
    QTest::newRow("a reply for another command")
        << QByteArray("0") << Script{{10, ack}, {20, ReplyFrame("P31000")}} << "Positive"
        << "answers C31"
        << "0 0 0" << 20 << cmd + " 06"
        << "06 " + Q(HexBytes(ReplyFrame("P31000")));
    QTest::newRow("wrong check byte")
        << QByteArray("0") << Script{{10, ack}, {20, WithBadCheckByte(positive)}} << "Positive"
        << "check byte wrong"
        << "There is card at front side; Enough cards in stacker; The error card bin is not full"
        << 20 << cmd + " 06"
        << "06 " + Q(HexBytes(WithBadCheckByte(positive)));
    QTest::newRow("bytes after the frame")
        << QByteArray("0") << Script{{10, ack}, {20, Concat(positive, {0x55, 0x66})}} << "Positive"
        << "2 bytes after the frame"
        << "There is card at front side; Enough cards in stacker; The error card bin is not full"
        << 20 << cmd + " 06"
        << "06 " + Q(HexBytes(positive)) + " 55 66";
    QTest::newRow("NAK") << QByteArray("0") << Script{{5, {kNak}}} << "Failure"
                         << "15h instead of ACK"
                         << "" << 5 << cmd << "15";
    QTest::newRow("no ACK, reply within 3 s")
        << QByteArray("0") << Script{{100, positive}} << "Failure"
        << "F2h instead of ACK"
        << "" << 100 << cmd << "F2";
    QTest::newRow("no ACK, reply after 3 s")
        << QByteArray("0") << Script{{5000, positive}} << "Positive"
        << ""
        << "There is card at front side; Enough cards in stacker; The error card bin is not full"
        << 5000 << cmd + " 06" << Q(HexBytes(positive));
    QTest::newRow("silent: EOT") << QByteArray("0") << Script{} << "No reply"
                                 << "EOT sent"
                                 << "" << 12000 << cmd + " 04"
                                 << "";
    QTest::newRow("bytes after EOT")
        << QByteArray("0") << Script{{10, ack}, {6500, Bytes{0xAA, 0xBB, 0xCC}}} << "No reply"
        << "EOT sent; answered AA BB CC"
        << "" << 6500 << cmd + " 04"
        << "06 AA BB CC";
    QTest::newRow("one byte after EOT")
        << QByteArray("0") << Script{{10, ack}, {6500, Bytes{0x15}}} << "Failure"
        << "EOT sent; answered 15"
        << "" << 6500 << cmd + " 04"
        << "06 15";
    QTest::newRow("truncated reply")
        << QByteArray("0") << Script{{10, ack}, {20, Bytes{0xF2, 0x00, 0x00, 0x06, 'P', '1'}}}
        << "Failure"
        << "reply incomplete: 8 bytes announced after the head"
        << "" << 6020 << cmd << "06 F2 00 00 06";
    const Bytes huge = ReplyFrame(std::string(1100, 'P'));
    QTest::newRow("longer than the reply buffer")
        << QByteArray("0") << Script{{10, ack}, {20, huge}} << "Failure"
        << "reply too long for the reply buffer"
        << "" << 20 << cmd + " 06"
        << "06 " + Q(HexBytes(huge));
  }
  void operationRows() {
    QFETCH(QByteArray, parameter);
    QFETCH(Script, script);
    const Bytes command = BuildCommand(0, '1', static_cast<std::uint8_t>(parameter[0]));
    Recorded h;
    Answer(h, script);
    const int result = Execute(h, command);

    QCOMPARE(h.recorder.rows().size(), std::size_t{1});
    const TrafficRow& row = h.recorder.rows().front();
    QCOMPARE(row.number, std::uint64_t{1});
    QCOMPARE(Q(TimeOfDayText(row.time)), "05:06:07.008");
    QCOMPARE(row.source, TrafficSource::Operation);
    QCOMPARE(Q(row.command), "C1" + QString(parameter));
    QCOMPARE(Q(row.name), parameter == "0" ? "Card status" : "Sensor status");
    QTEST(Q(std::string(TrafficReplyText(row.reply))), "reply");
    QTEST(Q(row.detail), "detail");
    QTEST(Q(row.status), "status");
    QTEST(static_cast<int>(row.durationMs), "ms");
    QTEST(Q(HexBytes(row.sent)), "sent");
    QTEST(Q(HexBytes(row.received)), "received");

    LinkHarness plain;
    Answer(plain, script);
    QCOMPARE(Execute(plain, command), result);
    QCOMPARE(Q(h.monitor.text()), Q(plain.monitor.text()));
    QCOMPARE(h.line.writes().size(), plain.line.writes().size());
    QCOMPARE(h.messages.boxes.size(), plain.messages.boxes.size());
  }

  // The link closed: nothing on the line, so no row.
  void linkClosedAddsNoRow() {
    Recorded h;
    h.state.linkOpen = false;
    Execute(h, BuildCommand(0, '1', '0'));
    QVERIFY(h.recorder.rows().empty());
  }

  // Only the last `limit` rows stay; the numbers go on counting.
  void keepsTheLastRows() {
    Recorded h;
    TrafficRecorder small(h.clock, h.time, nullptr, 3);
    h.session.traffic = &small;
    std::size_t appended = 0, dropped = 0;
    small.onAppended = [&] { ++appended; };
    small.onDropped = [&](std::size_t n) { dropped += n; };
    for (int i = 0; i < 5; ++i) {
      h.line.deliverIn(1, Concat({kAck}, ReplyFrame("P10000")));
      Execute(h, BuildCommand(0, '1', '0'));
    }
    QCOMPARE(appended, std::size_t{5});
    QCOMPARE(dropped, std::size_t{2});
    QCOMPARE(small.rows().size(), std::size_t{3});
    QCOMPARE(small.rows().front().number, std::uint64_t{3});
    QCOMPARE(small.rows().back().number, std::uint64_t{5});
    QCOMPARE(Q(small.rows().back().name), "");  // no glossary
    small.clear();
    QVERIFY(small.rows().empty());
  }

  // Noise after the reply is counted but a row keeps only its share of bytes,
  // so that a flooding line cannot grow the rows without bound.
  void keepsABoundedShareOfBytes() {
    Recorded h;
    const Bytes noise(100000, 0x55);
    h.line.deliverIn(1, Concat(Concat({kAck}, ReplyFrame("P10000")), noise));
    Execute(h, BuildCommand(0, '1', '0'));
    QCOMPARE(h.recorder.rows().size(), std::size_t{1});
    const TrafficRow& row = h.recorder.rows().back();
    QCOMPARE(row.received.size(), kRowBytesKept);
    QCOMPARE(Q(std::string(TrafficReplyText(row.reply))), "Positive");
    const std::string total = std::to_string(1 + ReplyFrame("P10000").size() + noise.size());
    QCOMPARE(Q(row.detail), Q("100000 bytes after the frame; the first 2048 of " + total +
                              " bytes received are kept"));
  }

  // The unit check behind "OK" and the scan's probe are rows of their own.
  void unitCheckAndProbe() {
    Recorded h;
    Answer(h, {{10, {kAck}}, {20, WithBadCheckByte(ReplyFrame("P10000"))}});
    QCOMPARE(IRUnitIfOk(h.session), std::string("ERROR"));
    QCOMPARE(h.recorder.rows().size(), std::size_t{1});
    QCOMPARE(h.recorder.rows()[0].source, TrafficSource::UnitCheck);
    QCOMPARE(h.recorder.rows()[0].reply, TrafficReply::Failure);
    QCOMPARE(Q(h.recorder.rows()[0].detail), "check byte wrong");

    h.line.onWrite = nullptr;
    QVERIFY(!CommTest(h.session, "COM3 19200 bits/s"));
    QCOMPARE(h.recorder.rows().size(), std::size_t{2});
    const TrafficRow& probe = h.recorder.rows()[1];
    QCOMPARE(probe.source, TrafficSource::ScanProbe);
    QCOMPARE(Q(probe.where), "COM3 19200 bits/s");
    QCOMPARE(Q(probe.detail), "no ACK");
    QCOMPARE(probe.durationMs, std::int64_t{250});
  }

  // A console line and a console cancel: rows beside the console's lists.
  void consoleRows() {
    Recorded h;
    ConsoleRig c(h.session);
    Answer(h, {{10, {kAck}}, {20, ReplyFrame("N1010")}});
    Bytes frame = BuildCommand(0, '1', '0');
    frame.resize(7);
    Bytes reply(kReplyBufferSize);
    int length = 0;
    QCOMPARE(ConsoleTransaction(c.context, frame, 9, reply, length), kConsoleDone);
    c.consoleState.stop = StopRequest::Cancel;
    h.line.onWrite = nullptr;
    QCOMPARE(ConsoleTransaction(c.context, frame, 9, reply, length), kConsoleStopped);

    QCOMPARE(h.recorder.rows().size(), std::size_t{2});
    const TrafficRow& line = h.recorder.rows()[0];
    QCOMPARE(line.source, TrafficSource::Console);
    QCOMPARE(Q(line.command), "C10");
    QCOMPARE(Q(line.detail), "10 Card jam");
    const TrafficRow& cancel = h.recorder.rows()[1];
    QCOMPARE(Q(cancel.command), "EOT");
    QCOMPARE(cancel.reply, TrafficReply::NoReply);
    QCOMPARE(Q(HexBytes(cancel.sent)), "04");
    QCOMPARE(cancel.durationMs, std::int64_t{3000});

    // A line shorter than a command: its text alone, not ETX and the check
    // byte, and no name or answer of a command it does not carry.
    c.consoleState.stop = StopRequest::None;
    h.line.deliverIn(10, Concat({kAck}, ReplyFrame("N1010")));
    Bytes shortLine{0xF2, 0x00, 0x00, 0x01, 'C'};
    QCOMPARE(ConsoleTransaction(c.context, shortLine, 7, reply, length), kConsoleDone);
    QCOMPARE(Q(HexBytes(h.recorder.rows()[2].sent)), "F2 00 00 01 43 03 B3 06");
    QCOMPARE(Q(h.recorder.rows()[2].command), "C");
    QCOMPARE(Q(h.recorder.rows()[2].name), "");
    QCOMPARE(Q(h.recorder.rows()[2].detail), "10 Card jam");
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(TrafficRecorderTest)
#include "traffic_recorder_test.moc"
