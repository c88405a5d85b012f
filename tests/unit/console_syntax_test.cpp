// The console's command line syntax, repeat count, script tidying, time
// stamps and list line layouts.
#include <QtTest>

#include "console/command_line.h"
#include "console/console_run.h"
#include "console/list_layout.h"
#include "console/local_time.h"
#include "device_fakes.h"

using namespace kdx;
using namespace kdx::test;

Q_DECLARE_METATYPE(kdx::LineFault)

namespace {

QString Joined(const Entries& lines) {
  QStringList out;
  for (const auto& line : lines) out << QString::fromLatin1(line.c_str());
  return out.join('|');
}

}  // namespace

class ConsoleSyntaxTest : public QObject {
  Q_OBJECT
 private slots:
  void parse_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("text");  // the frame text, hex
    QTest::addColumn<kdx::LineFault>("fault");
    const auto ok = LineFault::None;
    QTest::newRow("C04") << "C04"
                         << "43 30 34" << ok;
    QTest::newRow("dollar and blank") << "C14$00 01"
                                      << "43 31 34 00 01" << ok;
    QTest::newRow("pair per marker") << "C04 1234"
                                     << "43 30 34 12 33 34" << ok;
    QTest::newRow("single digit at end") << "C04$4"
                                         << "43 30 34 04" << ok;
    QTest::newRow("pair then char") << "C04$414"
                                    << "43 30 34 41 34" << ok;
    QTest::newRow("surrounding blanks") << "   C10  "
                                        << "43 31 30" << ok;
    QTest::newRow("letters as digits") << "$1Z$ff"
                                       << "33 FF" << ok;
    QTest::newRow("other chars count 0") << "$#1"
                                         << "01" << ok;
    QTest::newRow("no C needed") << "xyz"
                                 << "78 79 7A" << ok;
    QTest::newRow("empty") << ""
                           << "" << ok;
    QTest::newRow("pair above FF") << "C04$GG"
                                   << "" << LineFault::ByteTooLarge;
    QTest::newRow("dollar at end") << "C04$"
                                   << "" << LineFault::Dangling;
    QTest::newRow("1019 bytes") << QString(1019, 'A') << QString("41 ").repeated(1019).trimmed()
                                << ok;
    QTest::newRow("1020 bytes") << QString(1020, 'A') << "" << LineFault::TooLong;
    QTest::newRow("1020 by pairs")
        << "A" + QString("$41").repeated(1019) << "" << LineFault::TooLong;
  }
  void parse() {
    QFETCH(QString, line);
    QFETCH(QString, text);
    QFETCH(kdx::LineFault, fault);
    const ParsedLine parsed = ParseCommandLine(line.toStdString());
    QCOMPARE(parsed.fault, fault);
    QCOMPARE(QString::fromStdString(HexBytes(parsed.text)), text);
  }

  void frame() {
    const ParsedLine parsed = ParseCommandLine("C04");
    QCOMPARE(QString::fromStdString(HexBytes(BuildConsoleFrame(0, parsed.text))),
             "F2 00 00 03 43 30 34 03 B5");
    QCOMPARE(QString::fromStdString(HexBytes(BuildConsoleFrame(0x0A, Hex("43 31 34 00 01")))),
             "F2 0A 00 05 43 31 34 00 01 03 B9");
  }

  void repeatCount_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("count");  // -999: not a number
    QTest::newRow("one") << "1" << 1;
    QTest::newRow("blanks") << "  3 " << 3;
    QTest::newRow("whole part") << "2.9" << 2;
    QTest::newRow("fraction only") << ".5" << 0;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("negative") << "-2" << -2;
    QTest::newRow("letters") << "abc" << -999;
    QTest::newRow("trailing letters") << "3x" << -999;
    QTest::newRow("empty") << "" << -999;
    QTest::newRow("two points") << "1.2.3" << -999;
    QTest::newRow("beyond 32 bits") << "2147483648" << -999;
    QTest::newRow("largest") << "2147483647" << 2147483647;
  }
  void repeatCount() {
    QFETCH(QString, text);
    QFETCH(int, count);
    const auto parsed = ParseRepeatCount(text.toStdString());
    QCOMPARE(parsed.value_or(-999), count);
  }

  void tidy_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("tidy");
    QTest::addColumn<int>("lines");  // of the tidy script
    QTest::newRow("initial") << "C04\r\n"
                             << "C04" << 1;
    QTest::newRow("empty lines") << "\r\nC10\r\n\r\n\r\nC11\r\n\r\n"
                                 << "C10\r\nC11" << 2;
    QTest::newRow("blank line kept") << "C10\r\n  \r\nC11"
                                     << "C10\r\n  \r\nC11" << 3;
    QTest::newRow("bare LF") << "C10\nC11\n"
                             << "C10\r\nC11" << 2;
    QTest::newRow("nothing") << "\r\n\r\n"
                             << "" << 0;
    QTest::newRow("bare CR") << "C10\rC11\r\r"
                             << "C10\r\nC11" << 2;
    QTest::newRow("CR before CR LF") << "\rC10\r\r\nC11"
                                     << "C10\r\nC11" << 2;
  }
  void tidy() {
    QFETCH(QString, script);
    QFETCH(QString, tidy);
    QFETCH(int, lines);
    const std::string tidied = TidyScript(script.toStdString());
    QCOMPARE(QString::fromStdString(tidied), tidy);
    QCOMPARE(static_cast<int>(ScriptLineCount(tidied)), lines);
  }

  // A script file of a megabyte is tidied (and then refused for its length)
  // at once: line by line from the start it took hours.
  void tidyLongScript() {
    std::string script;
    for (int i = 0; i < 200000; ++i) script += "C10\r\n\r\n\n";
    QElapsedTimer timer;
    timer.start();
    const std::string tidied = TidyScript(script);
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(ScriptLineCount(tidied), std::size_t(200000));
    QCOMPARE(tidied.size(), std::size_t(200000 * 5 - 2));
  }

  void timeStamp_data() {
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("ms");
    QTest::addColumn<QString>("stamp");
    QTest::newRow("padded") << 2026 << 7 << "[2026/03/04      05:06:07:7]";
    QTest::newRow("three digits") << 2026 << 123 << "[2026/03/04      05:06:07:123]";
    QTest::newRow("zero ms") << 999 << 0 << "[999/03/04      05:06:07:0]";
  }
  void timeStamp() {
    QFETCH(int, year);
    QFETCH(int, ms);
    QFETCH(QString, stamp);
    QCOMPARE(QString::fromStdString(TimeStamp({year, 3, 4, 5, 6, 7, ms})), stamp);
  }

  void trafficLines() {
    Bytes bytes;
    for (int i = 0; i < 27; ++i) bytes.push_back(static_cast<std::uint8_t>(i));
    QCOMPARE(Joined(TrafficByteLines("SD: ", bytes)),
             "SD: 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 14 15 16 17 18 "
             "|    19 1A ");
    QCOMPARE(Joined(TrafficByteLines("RD: ", Hex("F2 00"))), "RD: F2 00 ");
    QCOMPARE(QString::fromStdString(TrafficControlLine("SD: ", 0x04)), "SD: 04");
  }

  void historySections() {
    const Bytes frame =
        Hex("F2 00 00 14 43 31 34 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F "
            "10 03 00");
    QCOMPARE(Joined(CommandSection(frame, frame.size(), "[T]")),
             "--------------------------------------- Command "
             "---------------------------------------|[T]|Command:31h,  Parameter:34h|"
             "Data(Hex):00 01 02 03 04 05 06 07  - 08 09 0A 0B 0C 0D 0E 0F |"
             "       10 |");
    QCOMPARE(Joined(CommandSection(Hex("F2 00 00 03 43 30 34 03 B5"), 9, "[T]")).section('|', 2),
             "Command:30h,  Parameter:34h|Data(Hex):<No data>|");

    Bytes reply = Hex("50 31 34 30 31 32");
    for (int i = 0; i < 17; ++i) reply.push_back(static_cast<std::uint8_t>(0xA0 + i));
    reply.push_back(0x03);
    reply.push_back(0x77);
    QCOMPARE(Joined(ReplySection(reply, reply.size(), "[T]")),
             "----------------------------------------- Reply "
             "-----------------------------------------|[T]|Reply type=<Positive reply>|"
             "Command:31h,  Parameter:34h Status code:012|"
             "Data(Hex):A0 A1 A2 A3 A4 A5 A6 A7  - A8 A9 AA AB AC AD AE AF |"
             "          B0 |");
    QCOMPARE(Joined(ReplySection(Hex("4E 31 30 41 30 03 4F"), 7, "[T]")).section('|', 2),
             "Reply type=<Negative reply>|Command:31h,  Parameter:30h Status code:A0\x03|"
             "Data(Hex):<No data>|");
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(ConsoleSyntaxTest)
#include "console_syntax_test.moc"
