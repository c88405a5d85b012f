// kdx846-run's arguments, exit status and JSON lines.
#include "run_output.h"

#include <QtTest>

#include "device_fakes.h"
#include "run_options.h"

using namespace kdx;
using namespace kdx::run;

Q_DECLARE_METATYPE(std::vector<kdx::ExchangeEnd>)

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
    if (QTest::currentDataTag() == QByteArray("everything")) {
      QCOMPARE(options.script, std::string("s.txt"));
      QCOMPARE(options.port, std::string("/dev/ttyUSB0"));
      QCOMPARE(options.baud, 115200);
      QCOMPARE(options.address, std::string("1f"));
      QCOMPARE(options.repeat, std::string("3"));
      QCOMPARE(options.format, Format::JsonLines);
    }
  }

  void exitStatus_data() {
    QTest::addColumn<std::vector<kdx::ExchangeEnd>>("ends");
    QTest::addColumn<int>("status");
    using E = ExchangeEnd;
    QTest::newRow("nothing sent") << std::vector<E>{} << 0;
    QTest::newRow("all positive") << std::vector<E>{E::Positive, E::Positive} << 0;
    QTest::newRow("a negative") << std::vector<E>{E::Positive, E::Negative, E::Positive} << 1;
    QTest::newRow("neither P nor N") << std::vector<E>{E::Other} << 1;
    QTest::newRow("negative then no ACK") << std::vector<E>{E::Negative, E::NoAck} << 2;
    QTest::newRow("no head") << std::vector<E>{E::NoHead} << 2;
    QTest::newRow("failed") << std::vector<E>{E::Failed} << 2;
    QTest::newRow("cancelled") << std::vector<E>{E::Negative, E::Cancelled} << 130;
  }
  void exitStatus() {
    QFETCH(std::vector<kdx::ExchangeEnd>, ends);
    QFETCH(int, status);
    Outcome outcome;
    for (ExchangeEnd end : ends) outcome.add(end);
    QCOMPARE(outcome.status(), status);
  }

  void json() {
    ExchangeRecord positive;
    positive.time = {2026, 3, 4, 5, 6, 7, 8};
    positive.sent = test::Hex("F2 00 00 03 43 31 30 03 B0");
    positive.end = ExchangeEnd::Positive;
    positive.reply = test::Hex("50 31 30 30 32 30 AB CD 03 94");
    QCOMPARE(QString::fromStdString(ExchangeJson(positive, 2, 1)),
             "{\"time\":\"2026-03-04T05:06:07.008\",\"pass\":1,\"line\":2,"
             "\"sent\":\"F2 00 00 03 43 31 30 03 B0\",\"reply\":\"positive\",\"command\":\"31\","
             "\"parameter\":\"30\",\"status\":\"020\",\"data\":\"AB CD\",\"bytes\":\"50 31 30 30 "
             "32 30 AB CD 03 94\"}");

    ExchangeRecord negative = positive;
    negative.end = ExchangeEnd::Negative;
    negative.reply = test::Hex("4E 5A 30 22 5C 03 D0");
    QCOMPARE(QString::fromStdString(ExchangeJson(negative, 1, 3)),
             "{\"time\":\"2026-03-04T05:06:07.008\",\"pass\":3,\"line\":1,"
             "\"sent\":\"F2 00 00 03 43 31 30 03 B0\",\"reply\":\"negative\",\"command\":\"5A\","
             "\"parameter\":\"30\",\"error\":\"\\\"\\\\\",\"data\":\"\",\"bytes\":\"4E 5A 30 22 5C "
             "03 D0\"}");

    ExchangeRecord cancelled;
    cancelled.time = positive.time;
    cancelled.sent = Bytes{0x04};
    cancelled.end = ExchangeEnd::Cancelled;
    QCOMPARE(QString::fromStdString(ExchangeJson(cancelled, 1, 1)),
             "{\"time\":\"2026-03-04T05:06:07.008\",\"pass\":1,\"line\":1,\"sent\":\"04\","
             "\"reply\":\"cancelled\"}");
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(RunOutputTest)
#include "run_output_test.moc"
