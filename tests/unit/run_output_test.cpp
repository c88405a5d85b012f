// kdx846-run's arguments, exit status, records and JSON lines.
#include "run_output.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include "console_fakes.h"
#include "device_fakes.h"
#include "link_harness.h"
#include "record_output.h"
#include "run_options.h"
#include "sha256.h"

using namespace kdx;
using namespace kdx::run;

namespace {

using Script = std::vector<std::pair<std::int64_t, Bytes>>;

// One console line "C10" against a unit that answers with `script`; `port`
// is "broken" or "lost" for a port that fails at the first write or while
// the ACK is awaited.
ExchangeRecord RunLine(const Script& script, const QString& port) {
  test::LinkHarness h;
  h.line.open(1, 9600);
  test::ConsoleRig c(h.session);
  ExchangeRecord record;
  c.context.onExchange = [&record](const ExchangeRecord& r) { record = r; };
  if (port == "broken") h.line.breakLine();
  h.line.onWrite = [&h, script, port](int index, const Bytes&) {
    if (index != 0) return;
    if (port == "lost") h.line.loseDevice();
    for (const auto& [delay, bytes] : script) h.line.deliverIn(delay, bytes);
  };
  Bytes frame = test::Hex("F2 00 00 03 43 31 30");
  Bytes reply;
  int length = 0;
  ConsoleTransaction(c.context, frame, 9, reply, length);
  return record;
}

}  // namespace

Q_DECLARE_METATYPE(std::vector<kdx::run::ReplyKind>)
Q_DECLARE_METATYPE(Script)

class RunOutputTest : public QObject {
  Q_OBJECT
 private slots:
  void options_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("error");  // empty: accepted
    QTest::newRow("minimal") << QStringList{"s.txt", "--port", "COM1"} << "";
    QTest::newRow("everything") << QStringList{"--port", "/dev/ttyUSB0", "s.txt", "--baud",
                                               "115200", "--address",    "1f",    "--repeat",
                                               "3",      "--format",     "jsonl"}
                                << "";
    QTest::newRow("values after =")
        << QStringList{"--port=/dev/ttyUSB0", "s.txt",      "--baud=115200",
                       "--address=1f",        "--repeat=3", "--format=jsonl"}
        << "";
    QTest::newRow("value after the first =")
        << QStringList{"s.txt", "--port=COM1", "--address==1"}
        << "--address =1: not a hexadecimal number from 0 to FF";
    QTest::newRow("empty value after =")
        << QStringList{"s.txt", "--port="} << "no port given (--port COMn or a device path)";
    QTest::newRow("help with a value") << QStringList{"--help=all"} << "--help takes no value";
    QTest::newRow("COM16") << QStringList{"s.txt", "--port", "COM16"} << "";
    QTest::newRow("COM0") << QStringList{"s.txt", "--port", "COM0"}
                          << "--port COM0: no such port (COM1 to COM16); a file of that name is "
                             "./COM0";
    QTest::newRow("COM17") << QStringList{"s.txt", "--port=COM17"}
                           << "--port COM17: no such port (COM1 to COM16); a file of that name "
                              "is ./COM17";
    QTest::newRow("no script") << QStringList{"--port", "COM1"} << "no script given";
    QTest::newRow("no port") << QStringList{"s.txt"}
                             << "no port given (--port COMn or a device path)";
    QTest::newRow("two scripts") << QStringList{"a", "b", "--port", "COM1"}
                                 << "more than one script: a, b";
    QTest::newRow("value missing") << QStringList{"s.txt", "--port"} << "--port needs a value";
    QTest::newRow("odd rate") << QStringList{"s.txt", "--port", "COM1", "--baud", "1234"}
                              << "--baud 1234: not a rate (1200 to 230400 bits/s)";
    QTest::newRow("address above FF") << QStringList{"s.txt", "--port", "COM1", "--address", "100"}
                                      << "--address 100: not a hexadecimal number from 0 to FF";
    QTest::newRow("repeat 0") << QStringList{"s.txt", "--port", "COM1", "--repeat", "0"}
                              << "--repeat 0: The Value should > 0";
    QTest::newRow("repeat not a number")
        << QStringList{"s.txt", "--port", "COM1", "--repeat", "two"}
        << "--repeat two: The Value should > 0";
    QTest::newRow("format") << QStringList{"s.txt", "--port", "COM1", "--format", "xml"}
                            << "--format xml: text or jsonl";
    QTest::newRow("unknown") << QStringList{"s.txt", "--port", "COM1", "--fast", "1"}
                             << "unknown option --fast";
    QTest::newRow("unknown, last")
        << QStringList{"s.txt", "--port", "COM1", "--fast"} << "unknown option --fast";
    QTest::newRow("a station") << QStringList{"s.txt",
                                              "--port",
                                              "COM1",
                                              "--port=COM2",
                                              "--duration",
                                              "1h30m",
                                              "--stop-on-failure",
                                              "--no-identify",
                                              "--junit",
                                              "run.xml",
                                              "--results=runs.db"}
                               << "";
    QTest::newRow("a port twice") << QStringList{"s.txt", "--port", "COM1", "--port", "COM1"}
                                  << "--port COM1: given twice";
    QStringList seventeen{"s.txt"};
    for (int i = 1; i <= 17; ++i) seventeen << "--port" << QString("/dev/ttyUSB%1").arg(i);
    QTest::newRow("17 units") << seventeen << "--port /dev/ttyUSB17: at most 16 units";
    QTest::newRow("duration without a unit")
        << QStringList{"s.txt", "--port", "COM1", "--duration", "90"}
        << "--duration 90: a time such as 90s, 30m or 8h";
    QTest::newRow("a flag with a value")
        << QStringList{"s.txt", "--port", "COM1", "--no-identify=1"}
        << "--no-identify takes no value";
    QTest::newRow("report without a file")
        << QStringList{"s.txt", "--port", "COM1", "--junit="} << "--junit: no file name";
  }
  void options() {
    QFETCH(QStringList, args);
    QFETCH(QString, error);
    std::vector<std::string> argv;
    for (const QString& a : args) argv.push_back(a.toStdString());
    RunOptions options;
    std::string why;
    QCOMPARE(ParseRunOptions(argv, options, why), error.isEmpty());
    QCOMPARE(QString::fromStdString(why), error);
    const QByteArray tag = QTest::currentDataTag();
    if (tag == "everything" || tag == "values after =") {
      QCOMPARE(options.script, std::string("s.txt"));
      QCOMPARE(options.ports, std::vector<std::string>{"/dev/ttyUSB0"});
      QCOMPARE(options.baud, 115200);
      QCOMPARE(options.address, std::string("1f"));
      QCOMPARE(options.repeat, std::string("3"));
      QCOMPARE(options.format, Format::JsonLines);
    }
    // A single unit without the station's options runs as it always did.
    if (error.isEmpty()) QCOMPARE(IsStationRun(options), tag == "a station");
    if (tag == "a station") {
      QCOMPARE(options.ports, (std::vector<std::string>{"COM1", "COM2"}));
      QCOMPARE(options.durationMs, std::optional<std::int64_t>(5400000));
      QVERIFY(options.stopOnFailure && !options.identify && !options.repeatGiven);
      QCOMPARE(options.junitPath + " " + options.resultsPath, std::string("run.xml runs.db"));
    }
  }

  void duration_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("ms");  // -1: refused
    QTest::newRow("seconds") << "90s" << qint64(90000);
    QTest::newRow("minutes") << "30m" << qint64(1800000);
    QTest::newRow("hours") << "8h" << qint64(28800000);
    QTest::newRow("parts") << "1h30m15s" << qint64(5415000);
    QTest::newRow("a year") << "8784h" << qint64(8784LL * 3600000);
    QTest::newRow("over a year") << "8785h" << qint64(-1);
    QTest::newRow("huge") << "99999999999999999999s" << qint64(-1);
    QTest::newRow("zero") << "0s" << qint64(-1);
    QTest::newRow("no unit") << "90" << qint64(-1);
    QTest::newRow("no number") << "s" << qint64(-1);
    QTest::newRow("other unit") << "2d" << qint64(-1);
    QTest::newRow("upper case") << "2H" << qint64(-1);
    QTest::newRow("negative") << "-5s" << qint64(-1);
    QTest::newRow("blank") << "5 s" << qint64(-1);
    QTest::newRow("empty") << "" << qint64(-1);
  }
  void duration() {
    QFETCH(QString, text);
    QFETCH(qint64, ms);
    QCOMPARE(ParseDuration(text.toStdString()).value_or(-1), ms);
  }

  void scriptHash_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("hash");
    QTest::newRow("empty") << QByteArray()
                           << "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
    QTest::newRow("abc") << QByteArray("abc")
                         << "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    QTest::newRow("55 bytes: one last block")
        << QByteArray(55, 'a')
        << "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318";
    QTest::newRow("56 bytes: two last blocks")
        << QByteArray("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")
        << "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1";
    QTest::newRow("64 bytes") << QByteArray(64, 'a')
                              << "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb";
  }
  void scriptHash() {
    QFETCH(QByteArray, text);
    QTEST(QString::fromStdString(Sha256Hex(text.toStdString())), "hash");
  }

  // Records on standard output name their unit: every text line after the
  // port, every JSON object with the unit, its port, serial number and the
  // exchange's duration.
  void unitRecords() {
    ExchangeRow row;
    row.unit = 2;
    row.pass = 3;
    row.line = 1;
    row.durationMs = 12;
    row.record.time = {2026, 3, 4, 5, 6, 7, 8};
    row.record.sent = Bytes{0x04};
    row.record.end = ExchangeEnd::Cancelled;
    row.text = "SD: 04\n\nResult: cancelled; received: nothing\n";
    const UnitIdentity unit{2, "COM2", "/dev/ttyS1", "KDX \"2\"", "7101ER2220"};
    QCOMPARE(QString::fromStdString(UnitExchangeJson(row, unit)),
             "{\"unit\":2,\"port\":\"COM2\",\"serial\":\"KDX \\\"2\\\"\",\"ms\":12,"
             "\"time\":\"2026-03-04T05:06:07.008\",\"pass\":3,\"line\":1,\"sent\":\"04\","
             "\"reply\":\"cancelled\",\"received\":\"\"}");
    for (const bool named : {false, true}) {
      std::FILE* file = std::tmpfile();
      StreamSink sink(file, Format::Text, named);
      sink.unitStarted(unit);
      sink.exchange(row);
      sink.flush();
      std::rewind(file);
      char buffer[256] = {};
      const std::size_t got = std::fread(buffer, 1, sizeof buffer - 1, file);
      std::fclose(file);
      QCOMPARE(QByteArray(buffer, static_cast<int>(got)),
               named ? QByteArray("COM2: SD: 04\nCOM2: \nCOM2: Result: cancelled; received: "
                                  "nothing\n")
                     : QByteArray::fromStdString(row.text));
      QVERIFY(!sink.failure());
    }
  }

  void exitStatus_data() {
    QTest::addColumn<std::vector<ReplyKind>>("kinds");
    QTest::addColumn<int>("status");
    using K = ReplyKind;
    QTest::newRow("nothing sent") << std::vector<K>{} << 0;
    QTest::newRow("all positive") << std::vector<K>{K::Positive, K::Positive} << 0;
    QTest::newRow("a negative") << std::vector<K>{K::Positive, K::Negative, K::Positive} << 1;
    QTest::newRow("neither P nor N") << std::vector<K>{K::Other} << 1;
    QTest::newRow("replies not to be trusted")
        << std::vector<K>{K::BadCheck, K::WrongReply, K::ShortReply} << 1;
    QTest::newRow("negative then no ACK") << std::vector<K>{K::Negative, K::NoAck} << 2;
    QTest::newRow("NAK") << std::vector<K>{K::Nak} << 2;
    QTest::newRow("not ACK") << std::vector<K>{K::NotAck} << 2;
    QTest::newRow("no head") << std::vector<K>{K::NoHead} << 2;
    QTest::newRow("failed") << std::vector<K>{K::Failed} << 2;
    QTest::newRow("port lost") << std::vector<K>{K::BadCheck, K::PortLost} << 2;
    QTest::newRow("cancelled") << std::vector<K>{K::Negative, K::Cancelled} << 130;
  }
  void exitStatus() {
    QFETCH(std::vector<ReplyKind>, kinds);
    QFETCH(int, status);
    Outcome outcome;
    for (ReplyKind kind : kinds) outcome.add(kind);
    QCOMPARE(outcome.status(), status);
  }

  // What a hostile unit's answers come to in the records: the kind and its
  // reason, every byte that arrived, only the fields the reply holds, and
  // the exit status.
  void hostileUnit_data() {
    QTest::addColumn<Script>("script");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("received");
    QTest::addColumn<QString>("fields");  // reply fields in the JSON object
    QTest::addColumn<int>("status");
    const Bytes ack{kAck};
    Bytes badCheck = test::ReplyFrame("P10000");
    badCheck.back() = 0x6B;
    Bytes longText(1100, '0');
    longText[0] = 'P';
    const Bytes tooLong = test::ReplyFrame(longText);
    Bytes tooLongReceived = ack;
    tooLongReceived.insert(tooLongReceived.end(), tooLong.begin(), tooLong.end());
    const QString all = "command parameter status data bytes";
    QTest::newRow("positive") << Script{{10, ack}, {20, test::ReplyFrame("P10020")}} << ""
                              << "positive"
                              << ""
                              << "06 F2 00 00 06 50 31 30 30 32 30 03 94" << all << 0;
    QTest::newRow("negative") << Script{{10, ack}, {20, test::ReplyFrame("N1010")}} << ""
                              << "negative"
                              << ""
                              << "06 F2 00 00 05 4E 31 30 31 30 03 BA"
                              << "command parameter error data bytes" << 1;
    QTest::newRow("wrong check byte") << Script{{10, ack}, {20, badCheck}} << ""
                                      << "bad-check"
                                      << "check byte 6Bh, expected 96h"
                                      << "06 F2 00 00 06 50 31 30 30 30 30 03 6B"
                                      << "command parameter bytes" << 1;
    QTest::newRow("reply to another parameter")
        << Script{{10, ack}, {20, test::ReplyFrame("P11000")}} << ""
        << "wrong-reply"
        << "answers command 31h parameter 31h, not 31h 30h"
        << "06 F2 00 00 06 50 31 31 30 30 30 03 97"
        << "command parameter bytes" << 1;
    QTest::newRow("positive without its status")
        << Script{{10, ack}, {20, test::ReplyFrame("P10")}} << ""
        << "short-reply"
        << "positive reply of 3 text bytes, at least 6 expected"
        << "06 F2 00 00 03 50 31 30 03 A3"
        << "command parameter bytes" << 1;
    QTest::newRow("positive without its parameter")
        << Script{{10, ack}, {20, test::ReplyFrame("P1")}} << ""
        << "short-reply"
        << "positive reply of 2 text bytes, at least 6 expected"
        << "06 F2 00 00 02 50 31 03 92"
        << "bytes" << 1;
    QTest::newRow("negative without its code")
        << Script{{10, ack}, {20, test::ReplyFrame("N10")}} << ""
        << "short-reply"
        << "negative reply of 3 text bytes, at least 5 expected"
        << "06 F2 00 00 03 4E 31 30 03 BD"
        << "command parameter bytes" << 1;
    QTest::newRow("neither P nor N") << Script{{10, ack}, {20, test::ReplyFrame("X10000")}} << ""
                                     << "other"
                                     << "first byte 58h"
                                     << "06 F2 00 00 06 58 31 30 30 30 30 03 9E"
                                     << "command parameter bytes" << 1;
    QTest::newRow("NAK") << Script{{10, {kNak}}} << ""
                         << "nak"
                         << "15h instead of ACK"
                         << "15"
                         << "" << 2;
    QTest::newRow("reply without ACK") << Script{{10, test::ReplyFrame("P10000")}} << ""
                                       << "not-ack"
                                       << "F2h instead of ACK"
                                       << "F2"
                                       << "" << 2;
    QTest::newRow("silence") << Script{} << ""
                             << "no-ack"
                             << "no answer in time"
                             << ""
                             << "" << 2;
    QTest::newRow("no head, EOT answered") << Script{{10, ack}, {10020, Bytes{0x15, 0x15}}} << ""
                                           << "no-head"
                                           << "no reply head; EOT sent, answered 15 15"
                                           << "06 15 15"
                                           << "" << 2;
    QTest::newRow("rest cut short")
        << Script{{10, ack}, {20, test::Hex("F2 00 00 06 50 31 30")}} << ""
        << "failed"
        << "reply incomplete: 8 bytes announced after the head, 3 arrived"
        << "06 F2 00 00 06 50 31 30"
        << "" << 2;
    QTest::newRow("longer than the buffer")
        << Script{{10, ack}, {20, tooLong}} << ""
        << "failed"
        << "reply of 1102 bytes after the head, longer than the 1025-byte buffer"
        << QString::fromStdString(HexBytes(tooLongReceived)) << "" << 2;
    QTest::newRow("port error") << Script{} << "broken"
                                << "failed"
                                << "the command could not be written: Input/output error"
                                << ""
                                << "" << 2;
    QTest::newRow("port lost") << Script{} << "lost"
                               << "port-lost"
                               << "COM1 (/dev/ttyUSB0) was lost: Input/output error"
                               << ""
                               << "" << 2;
  }
  void hostileUnit() {
    QFETCH(Script, script);
    QFETCH(QString, port);
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QFETCH(QString, received);
    QFETCH(QString, fields);
    QFETCH(int, status);
    const ExchangeRecord record = RunLine(script, port);
    const ReplyVerdict verdict = Classify(record);
    QCOMPARE(QString(KindName(verdict.kind)), kind);
    QCOMPARE(QString::fromStdString(verdict.reason), reason);
    Outcome outcome;
    outcome.add(record);
    QCOMPARE(outcome.status(), status);

    const QJsonObject json =
        QJsonDocument::fromJson(QByteArray::fromStdString(ExchangeJson(record, 1, 1))).object();
    QCOMPARE(json["reply"].toString(), kind);
    QCOMPARE(json["reason"].toString(), reason);
    QCOMPARE(json.contains("reason"), !reason.isEmpty());
    QCOMPARE(json["received"].toString(), received);
    QStringList present;
    for (const char* key : {"command", "parameter", "status", "error", "data", "bytes"})
      if (json.contains(key)) present << key;
    QCOMPARE(present.join(' '), fields);

    QCOMPARE(QString::fromStdString(ExchangeText(record)),
             "Result: " + kind + (reason.isEmpty() ? "" : " (" + reason + ")") +
                 "; received: " + (received.isEmpty() ? "nothing" : received));
  }

  void json() {
    ExchangeRecord positive;
    positive.time = {2026, 3, 4, 5, 6, 7, 8};
    positive.sent = test::Hex("F2 00 00 03 43 31 30 03 B0");
    positive.end = ExchangeEnd::Positive;
    positive.reply = test::Hex("50 31 30 30 32 30 AB CD 03 FC");
    positive.outcome.ack = kAck;
    positive.outcome.head = test::Hex("F2 00 00 08");
    positive.outcome.reply = positive.reply;
    QCOMPARE(QString::fromStdString(ExchangeJson(positive, 2, 1)),
             "{\"time\":\"2026-03-04T05:06:07.008\",\"pass\":1,\"line\":2,"
             "\"sent\":\"F2 00 00 03 43 31 30 03 B0\",\"reply\":\"positive\",\"command\":\"31\","
             "\"parameter\":\"30\",\"status\":\"020\",\"data\":\"AB CD\",\"bytes\":\"50 31 30 30 "
             "32 30 AB CD 03 FC\",\"received\":\"06 F2 00 00 08 50 31 30 30 32 30 AB CD 03 FC\"}");

    ExchangeRecord negative = positive;
    negative.end = ExchangeEnd::Negative;
    negative.reply = test::Hex("4E 31 30 22 5C 03 C5");
    negative.outcome.head = test::Hex("F2 00 00 05");
    negative.outcome.reply = negative.reply;
    QCOMPARE(QString::fromStdString(ExchangeJson(negative, 1, 3)),
             "{\"time\":\"2026-03-04T05:06:07.008\",\"pass\":3,\"line\":1,"
             "\"sent\":\"F2 00 00 03 43 31 30 03 B0\",\"reply\":\"negative\",\"command\":\"31\","
             "\"parameter\":\"30\",\"error\":\"\\\"\\\\\",\"data\":\"\",\"bytes\":\"4E 31 30 22 5C "
             "03 C5\",\"received\":\"06 F2 00 00 05 4E 31 30 22 5C 03 C5\"}");

    ExchangeRecord cancelled;
    cancelled.time = positive.time;
    cancelled.sent = Bytes{0x04};
    cancelled.end = ExchangeEnd::Cancelled;
    QCOMPARE(QString::fromStdString(ExchangeJson(cancelled, 1, 1)),
             "{\"time\":\"2026-03-04T05:06:07.008\",\"pass\":1,\"line\":1,\"sent\":\"04\","
             "\"reply\":\"cancelled\",\"received\":\"\"}");
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(RunOutputTest)
#include "run_output_test.moc"
