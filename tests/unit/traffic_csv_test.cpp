#include "link/traffic_csv.h"

#include <QtTest>

#include "device/command_glossary.h"
#include "model/virtual_clock.h"

using namespace kdx;

namespace {

QString Q(const std::string& text) {
  return QString::fromUtf8(text.c_str());
}

struct FixedTime final : LocalTimeSource {
  LocalTime now() override { return {2026, 3, 4, 5, 6, 7, 8}; }
};

}  // namespace

class TrafficCsvTest : public QObject {
  Q_OBJECT
 private slots:
  // RFC 4180: quoted only when needed, quotes doubled, line ends kept.
  void fields_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");
    QTest::newRow("plain") << "Card status"
                           << "Card status";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("comma") << "a,b"
                           << "\"a,b\"";
    QTest::newRow("quote") << "say \"hi\""
                           << "\"say \"\"hi\"\"\"";
    QTest::newRow("CR LF") << "one\r\ntwo"
                           << "\"one\r\ntwo\"";
    QTest::newRow("LF alone") << "one\ntwo"
                              << "\"one\ntwo\"";
    QTest::newRow("semicolon and blanks stay bare") << " a; b "
                                                    << " a; b ";
    QTest::newRow("UTF-8 curly quotes stay bare")
        << QString::fromUtf8("(Other than “63”)") << QString::fromUtf8("(Other than “63”)");
    // What a spreadsheet would run: quoted, an apostrophe before the text.
    QTest::newRow("equals") << "=1+"
                            << "\"'=1+\"";
    QTest::newRow("plus") << "+1"
                          << "\"'+1\"";
    QTest::newRow("minus") << "-2+3"
                           << "\"'-2+3\"";
    QTest::newRow("at") << "@SU"
                        << "\"'@SU\"";
    QTest::newRow("tab") << "\t=1"
                         << "\"'\t=1\"";
    QTest::newRow("CR") << "\r=1"
                        << "\"'\r=1\"";
    QTest::newRow("formula with quotes and comma") << "=HYPERLINK(\"x\",1)"
                                                   << "\"'=HYPERLINK(\"\"x\"\",1)\"";
    QTest::newRow("sign inside stays bare") << "a=1+2"
                                            << "a=1+2";
  }
  void fields() {
    QFETCH(QString, text);
    QTEST(Q(CsvField(text.toStdString())), "field");
  }

  // Header and one record per row, CR LF after each.
  void document() {
    std::deque<TrafficRow> rows(2);
    rows[0] = {7,
               {2026, 3, 4, 5, 6, 7, 8},
               TrafficSource::Operation,
               "",
               "C10",
               "Card status",
               TrafficReply::Negative,
               "64 IC card communication error (Other than “63”)",
               "",
               40,
               {0xF2, 0x06},
               {0x06, 0x4E}};
    rows[1] = {8,
               {2026, 12, 31, 23, 59, 59, 999},
               TrafficSource::ScanProbe,
               "COM2 9600 bits/s",
               "C10",
               "Card status",
               TrafficReply::Positive,
               "",
               "a, \"b\"",
               250,
               {},
               {}};
    QCOMPARE(Q(TrafficCsv(rows)),
             QString::fromUtf8(
                 "No.,Time,Source,Command,Name,Reply,Detail,Status,Duration (ms),Sent,Received\r\n"
                 "7,2026-03-04 05:06:07.008,Operation,C10,Card status,Negative,"
                 "64 IC card communication error (Other than “63”),,40,F2 06,06 4E\r\n"
                 "8,2026-12-31 23:59:59.999,Scan COM2 9600 bits/s,C10,Card status,Positive,,"
                 "\"a, \"\"b\"\"\",250,,\r\n"));
    QCOMPARE(Q(TrafficCsv({})),
             "No.,Time,Source,Command,Name,Reply,Detail,Status,Duration (ms),Sent,Received\r\n");
  }

  // A console line and a device reply written to be run by a spreadsheet:
  // every such field comes out as text.
  void hostileDeviceFields() {
    sim::VirtualClock clock;
    FixedTime time;
    TrafficRecorder recorder(clock, time);
    const Bytes frame = {0xF2, 0x00, 0x00, 0x03, '=', '1', '+', 0x03, 0xE1};
    recorder.sent(TrafficSource::Console, frame);
    recorder.ack(0x06);
    recorder.head(Bytes{0xF2, 0x00, 0x00, 0x06});
    recorder.rest(Bytes{'P', '1', '+', '=', ' ', '+', 0x03, 0x00});
    recorder.control(0x06);
    recorder.ended(TrafficEnd::Reply);
    const std::string csv = TrafficCsv(recorder.rows());
    const QStringList fields = Q(csv.substr(csv.find("\r\n") + 2)).split(',');
    QCOMPARE(fields.value(3), "\"'=1+\"");
    QCOMPARE(fields.value(5), "Positive");
    QCOMPARE(fields.value(7), "\"'= $20 +\"");
    for (const QString& field : fields)
      QVERIFY2(!StartsLikeFormula(field.toStdString()), qPrintable(field));
  }

  // Device bytes in a text column are ASCII in the console's notation.
  void escapedText() {
    const Bytes bytes{'C', 0xA2, '0', ' ', '$', 0x00, 0x7F, '~'};
    QCOMPARE(Q(EscapedText(bytes)), "C$A20$20$24$00$7F~");
  }

  // Command names and the replies whose status the device defines.
  void glossary_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("status");
    QTest::newRow("card status") << QByteArray("P10020\x03\x00", 8)
                                 << "No card in card channel; Enough cards in stacker; "
                                    "The error card bin is not full";
    QTest::newRow("card status without status bytes")
        << QByteArray("P10\x03\x00", 5) << "status bytes missing";
    QTest::newRow("sensors all off")
        << QByteArray("P11000000000000000\x03\x00", 20) << "All sensors off";
    QTest::newRow("sensors, short and odd")
        << QByteArray("P110000101X\x03\x00", 13)
        << "On: PSS2, PSS4; unknown: PSS5, PSS6, PSS7, PSS8, PSS9, PSS10, KS1, KS2";
    QTest::newRow("IC card type") << QByteArray("PP000020\x03\x00", 10) << "SLE4442 Card";
    QTest::newRow("RF card type") << QByteArray("PP100012\x03\x00", 10) << "Ultralight card";
    QTest::newRow("RF card type outside the table")
        << QByteArray("PP100099\x03\x00", 10) << "Unknow Error";
    QTest::newRow("move: nothing defined") << QByteArray("P29000\x03\x00", 8) << "";
    QTest::newRow("negative") << QByteArray("N1010\x03\x00", 7) << "";
  }
  void glossary() {
    QFETCH(QByteArray, reply);
    const Bytes bytes(reply.begin(), reply.end());
    QTEST(Q(DeviceGlossary().status(bytes)), "status");
  }

  void names() {
    const DeviceGlossary g;
    QCOMPARE(Q(g.name('1', '0')), "Card status");
    QCOMPARE(Q(g.name('2', '9')), "Move card to the front");
    QCOMPARE(Q(g.name(0x60, '4')), "Type A APDU");
    QCOMPARE(Q(g.name(0xA5, '1')), "Set capture card counter");
    QCOMPARE(Q(g.name('R', '@')), "SAM select");
    QCOMPARE(Q(g.name('2', '7')), "");
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(TrafficCsvTest)
#include "traffic_csv_test.moc"
