#include "link/session_file.h"

#include <QtTest>

#include "device/command_glossary.h"
#include "link/frame.h"
#include "link_harness.h"
#include "model/replay_unit.h"

using namespace kdx;
using namespace kdx::test;

namespace {

struct FixedTime final : LocalTimeSource {
  LocalTime now() override { return {2026, 3, 4, 5, 6, 7, 8}; }
};

const std::string kHeader =
    R"({"format":"kdx846-session","version":1,"tool":"kdx846-run 1.0","port":"COM1",)"
    R"("baud":9600,"address":"0","serial":"","configuration":"","started":"2026-03-04T05:06:07.008"})";

// One exchange line: a sound one, with `fields` replacing its members (an
// empty value leaves the member out).
std::string ExchangeLine(const std::map<std::string, std::string>& fields) {
  std::map<std::string, std::string> all{
      {"n", "1"},
      {"source", R"("script")"},
      {"pass", "1"},
      {"line", "1"},
      {"time", R"("2026-03-04T05:06:07.008")"},
      {"sent", R"("F2 00 00 03 43 31 30 03 B0")"},
      {"received",
       R"([{"ms":5,"bytes":"06"},{"ms":10,"bytes":"F2 00 00 06 50 31 30 32 32 30 03 96"}])"},
      {"host", R"([{"ms":10,"bytes":"06","after":2}])"},
      {"outcome", R"("positive")"},
      {"ms", "10"}};
  for (const auto& [key, value] : fields) {
    if (value.empty()) {
      all.erase(key);
    } else {
      all[key] = value;
    }
  }
  std::string line = "{";
  for (const auto& [key, value] : all) {
    if (line.size() > 1) line += ",";
    line += "\"" + key + "\":" + value;
  }
  return line + "}";
}

SessionExchange Recorded(std::string_view reply, std::string kind = {}) {
  SessionExchange x;
  x.reply = Bytes(reply.begin(), reply.end());
  x.reply.push_back(kEtx);
  x.reply.push_back(0);
  x.outcome = reply.empty() ? "no-answer" : reply[0] == 'P' ? "positive" : "negative";
  x.kind = std::move(kind);
  return x;
}

QStringList Fields(const std::vector<ExchangeDifference>& differences) {
  QStringList out;
  for (const auto& d : differences)
    out << QString::fromStdString(d.field + ": " + d.recorded + " -> " + d.now);
  return out;
}

// Drains a replayed unit up to `upTo`: each delivery as "time: bytes".
QStringList Drain(sim::ReplayUnit& unit, std::int64_t upTo) {
  QStringList out;
  while (const auto next = unit.nextOutputAt()) {
    if (*next > upTo) break;
    out << QString::number(*next) + ": " + QString::fromStdString(HexBytes(unit.takeOutput(*next)));
  }
  return out;
}

SessionExchange Replayed(std::uint64_t number, const Bytes& frame, std::vector<TimedBytes> received,
                         std::vector<TimedBytes> host) {
  SessionExchange x;
  x.number = number;
  x.sent = frame;
  x.received = std::move(received);
  x.host = std::move(host);
  x.outcome = "positive";
  return x;
}

}  // namespace

class SessionFileTest : public QObject {
  Q_OBJECT
 private slots:
  // A hostile or broken file is refused with the line and the reason, and
  // nothing of it is returned.
  void refusals_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("reason");
    const QString header = QString::fromStdString(kHeader) + "\n";
    const auto exchange = [](const std::map<std::string, std::string>& fields) {
      return QString::fromStdString(ExchangeLine(fields)) + "\n";
    };
    QTest::newRow("empty") << "" << 1 << "no header line";
    QTest::newRow("truncated last line")
        << header + exchange({}).chopped(20) << 2 << "truncated: the last line has no line feed";
    QTest::newRow("invalid JSON") << header + "{\"n\":1,,}\n" << 2 << "invalid JSON";
    QTest::newRow("wrong version") << QString(header).replace("\"version\":1", "\"version\":2") << 1
                                   << "version 2 is not supported";
    QTest::newRow("hex that is not hex")
        << header + exchange({{"sent", R"("F2 0G 00")"}}) << 2 << "\"sent\" is not hex";
    QTest::newRow("a trailing blank in hex")
        << header + exchange({{"sent", R"("F2 ")"}}) << 2 << "\"sent\" is not hex";
    QTest::newRow("negative offset")
        << header + exchange({{"received", R"([{"ms":-5,"bytes":"06"}])"}, {"host", "[]"}}) << 2
        << "\"received[0].ms\" is negative";
    QTest::newRow("absurd offset")
        << header + exchange({{"received", R"([{"ms":99999999,"bytes":"06"}])"}, {"host", "[]"}})
        << 2 << "outside 0 to 600000";
    QTest::newRow("offsets out of order")
        << header + exchange({{"received", R"([{"ms":9,"bytes":"06"},{"ms":3,"bytes":"F2"}])"}})
        << 2 << "earlier than the part before it";
    QTest::newRow("host byte after parts that never came")
        << header + exchange({{"host", R"([{"ms":10,"bytes":"06","after":7}])"}}) << 2
        << "outside 0 to 2";
    QTest::newRow("unknown outcome")
        << header + exchange({{"outcome", R"("fine")"}}) << 2 << "\"outcome\" \"fine\" is not one";
    QTest::newRow("missing field")
        << header + exchange({{"sent", ""}}) << 2 << "\"sent\" is missing";
    QTest::newRow("deep nesting") << header + QString(40, '[') + QString(40, ']') + "\n"
                                  << 2 << "nested too deeply";
    QTest::newRow("third line broken")
        << header + exchange({}) + exchange({{"n", "0"}}) << 3 << "\"n\" is 0";
  }
  void refusals() {
    QFETCH(QString, text);
    QFETCH(int, line);
    QFETCH(QString, reason);
    SessionFileError error;
    QVERIFY(!ParseSessionFile(text.toStdString(), error));
    QCOMPARE(static_cast<int>(error.line), line);
    QVERIFY2(QString::fromStdString(error.reason).contains(reason), error.text().c_str());
  }

  // A file over the size limit (a sparse 100 MB file) is refused before it
  // is read; a file that is not there, or not a file, says so.
  void fileRefusals() {
    QTemporaryDir dir;
    const QString path = dir.filePath("big.jsonl");
    QFile big(path);
    QVERIFY(big.open(QIODevice::WriteOnly));
    QVERIFY(big.resize(100 * 1000 * 1000));
    big.close();
    SessionFileError error;
    QVERIFY(!ReadSessionFile(path.toStdString(), error));
    QCOMPARE(error.line, std::size_t{0});
    QVERIFY2(error.reason.find("larger than 67108864 bytes") != std::string::npos,
             error.reason.c_str());
    QVERIFY(!ReadSessionFile(dir.filePath("none.jsonl").toStdString(), error));
    QVERIFY(error.reason.find("cannot read it") != std::string::npos);
    QVERIFY(!ReadSessionFile(dir.path().toStdString(), error));
    QCOMPARE(error.reason, std::string("not a regular file"));
  }

  // An exchange as the traffic recorder hears it on virtual time becomes a
  // session line with each part's offset from the frame, the host's ACK after
  // the parts it followed, and the reply; written and read back it is the
  // same.
  void recordedRowRoundTrip() {
    LinkHarness h;
    FixedTime time;
    DeviceGlossary glossary;
    TrafficRecorder recorder{h.clock, time, &glossary};
    h.session.traffic = &recorder;
    const Bytes reply = ReplyFrame("N1010");
    h.line.onWrite = [&](int index, const Bytes&) {
      if (index != 0) return;
      h.line.deliverIn(7, {kAck});
      h.line.deliverIn(30, Bytes(reply.begin(), reply.begin() + 4));
      h.line.deliverIn(45, Bytes(reply.begin() + 4, reply.end()));
    };
    const Bytes command = BuildCommand(0, '1', '0');
    Bytes buffer(kReplyBufferSize);
    std::int16_t count = 0;
    ExecuteCommand(h.session, command, static_cast<int>(command.size()), buffer, count);
    QCOMPARE(recorder.rows().size(), std::size_t{1});
    const SessionExchange x = SessionExchangeOf(recorder.rows().front());
    QCOMPARE(x.sent, command);
    QCOMPARE(x.outcome, std::string("negative"));
    QCOMPARE(x.code, std::string("10"));
    QCOMPARE(x.reply, Bytes(reply.begin() + 4, reply.end()));
    QCOMPARE(x.received.size(), std::size_t{3});
    QCOMPARE(x.received[0].ms, std::int64_t{7});
    QCOMPARE(x.received[1].ms, std::int64_t{30});
    QCOMPARE(x.received[2].ms, std::int64_t{45});
    QCOMPARE(x.host.size(), std::size_t{1});
    QCOMPARE(x.host[0].bytes, Bytes{kAck});
    QCOMPARE(x.host[0].after, std::size_t{3});

    SessionHeader header;
    header.tool = "kdx846 1.0";
    header.serial = "SN \"1\"\n";
    const std::string text = SessionHeaderLine(header) + "\n" + SessionExchangeLine(x) + "\n";
    SessionFileError error;
    const auto file = ParseSessionFile(text, error);
    QVERIFY2(file, error.text().c_str());
    QCOMPARE(file->header.serial, header.serial);
    const SessionExchange& back = file->exchanges.at(0);
    QCOMPARE(back.receivedBytes(), x.receivedBytes());
    QCOMPARE(back.received[2].ms, std::int64_t{45});
    QCOMPARE(back.host[0].after, std::size_t{3});
    QCOMPARE(back.reply, x.reply);
    QCOMPARE(back.detail, x.detail);
    QCOMPARE(back.source, std::string("operation"));
  }

  // What --expect compares, field by field, and what each rule leaves out.
  void comparison_data() {
    QTest::addColumn<QString>("recorded");
    QTest::addColumn<QString>("now");
    QTest::addColumn<bool>("ignoreData");
    QTest::addColumn<bool>("ignoreStatus");
    QTest::addColumn<QStringList>("differences");
    QTest::newRow("same") << "P10220AB"
                          << "P10220AB" << false << false << QStringList{};
    QTest::newRow("status") << "P10220"
                            << "P10020" << false << false << QStringList{"status: 220 -> 020"};
    QTest::newRow("status ignored") << "P10220"
                                    << "P10020" << false << true << QStringList{};
    QTest::newRow("data") << "P102201234"
                          << "P102201235" << false << false
                          << QStringList{"data: 31 32 33 34 -> 31 32 33 35"};
    QTest::newRow("data ignored, status still counts")
        << "P102201234"
        << "P100201235" << true << false << QStringList{"status: 220 -> 020"};
    QTest::newRow("negative code") << "N1010"
                                   << "N1020" << false << false << QStringList{"error: 10 -> 20"};
    QTest::newRow("negative code ignored with the status")
        << "N1010"
        << "N1020" << false << true << QStringList{};
    QTest::newRow("positive against negative")
        << "P10220"
        << "N1010" << true << true << QStringList{"reply: positive -> negative"};
    QTest::newRow("another command answered")
        << "P10220"
        << "P11220" << false << false << QStringList{"parameter: 30 -> 31"};
    QTest::newRow("no answer now")
        << "P10220"
        << "" << false << false
        << QStringList{"reply: positive -> no-answer", "command: 31 -> (none)",
                       "parameter: 30 -> (none)", "status: 220 -> (none)"};
  }
  void comparison() {
    QFETCH(QString, recorded);
    QFETCH(QString, now);
    QFETCH(bool, ignoreData);
    QFETCH(bool, ignoreStatus);
    QFETCH(QStringList, differences);
    const auto a = Recorded(recorded.toStdString());
    auto b = Recorded(now.toStdString());
    if (now.isEmpty()) b.reply.clear();
    QCOMPARE(Fields(CompareExchanges(a, b, {ignoreData, ignoreStatus})), differences);
  }

  // Recorded bytes at their offsets from the frame; bytes recorded after the
  // host's EOT wait for it; the next recording of the same frame, then the
  // last again; without timing all at once.
  void replayTiming() {
    const Bytes frame = BuildCommand(0, '1', '0');
    const Bytes late = ReplyFrame("P10220");
    std::vector<SessionExchange> file{
        Replayed(1, frame, {{5, {kAck}}, {12, ReplyFrame("P10120")}}, {{12, {kAck}, 2}}),
        Replayed(2, frame, {{4, {kAck}}, {10500, late}}, {{10003, {kEot}, 1}})};
    sim::ReplayUnit unit(file, true, nullptr);
    QStringList trace;
    unit.onTrace = [&](std::string_view line) {
      trace << QString::fromUtf8(line.data(), line.size());
    };

    unit.receive(frame, 100);
    QCOMPARE(
        Drain(unit, 1000),
        (QStringList{"105: 06", "112: " + QString::fromStdString(HexBytes(ReplyFrame("P10120")))}));
    unit.receive(Bytes{kAck}, 113);
    QVERIFY(!unit.nextOutputAt());

    unit.receive(frame, 2000);
    QCOMPARE(Drain(unit, 20000), QStringList{"2004: 06"});
    unit.receive(Bytes{kEot}, 12003);
    QCOMPARE(Drain(unit, 20000), QStringList{"12500: " + QString::fromStdString(HexBytes(late))});

    // A third time: the last recording again.
    unit.receive(frame, 30000);
    QCOMPARE(Drain(unit, 30010), QStringList{"30004: 06"});
    QCOMPARE(unit.answered(), 3);
    QVERIFY(trace.at(0).contains("answered by recorded exchange 1"));
    QVERIFY(trace.at(1).contains("answered by recorded exchange 2"));
    QVERIFY(trace.at(2).contains("its last recording again"));

    sim::ReplayUnit quick(file, false, nullptr);
    quick.receive(frame, 100);
    QCOMPARE(Drain(quick, 100),
             QStringList{"100: 06 " + QString::fromStdString(HexBytes(ReplyFrame("P10120")))});
  }

  // A frame never recorded gets the device model's answer as the fallback;
  // a recorded frame after it drops what the model had left.
  void replayUnrecorded() {
    const Bytes recorded = BuildCommand(0, '1', '0');
    const Bytes other = BuildCommand(0, '1', '1');
    std::vector<SessionExchange> file{Replayed(1, recorded, {{5, {kAck}}}, {})};
    sim::DeviceModel model;
    sim::ReplayUnit fallback(file, true, &model);
    fallback.receive(other, 0);
    const QStringList answer = Drain(fallback, 1000);
    QCOMPARE(answer.size(), 2);
    QCOMPARE(answer.at(0), QString("5: 06"));
    QVERIFY(answer.at(1).contains("50 31 31"));  // "P11": the model's sensor status
    fallback.receive(Bytes{kAck}, 20);
    QVERIFY(model.exchangesCompleted() == 1);
    fallback.receive(recorded, 2000);
    QCOMPARE(Drain(fallback, 3000), QStringList{"2005: 06"});
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(SessionFileTest)
#include "session_file_test.moc"
