#include "link/conversions.h"

#include <QtTest>

#include "link/monitor.h"

using namespace kdx;

class ConversionsTest : public QObject {
  Q_OBJECT
 private slots:
  void doubleType() {
    QCOMPARE(DoubleType("A"), std::string("0A"));
    QCOMPARE(DoubleType(""), std::string("00"));
    QCOMPARE(DoubleType("1F"), std::string("1F"));
    QCOMPARE(DoubleType("100"), std::string(""));
  }

  void padBinary8() {
    QCOMPARE(PadBinary8(""), std::string(""));
    QCOMPARE(PadBinary8("101"), std::string("00000101"));
    QCOMPARE(PadBinary8("10000000"), std::string("10000000"));
    QCOMPARE(PadBinary8("111111111"), std::string("0000000111111111"));
  }

  void hexTextToNumber() {
    QCOMPARE(HexTextToNumber(""), 0.0);
    QCOMPARE(HexTextToNumber("0"), 0.0);
    QCOMPARE(HexTextToNumber("1F"), 31.0);
    QCOMPARE(HexTextToNumber("0100"), 256.0);
    QCOMPARE(HexTextToNumber("00A0"), 160.0);
    QCOMPARE(HexTextToNumber("00a0"), 160.0);
    QCOMPARE(HexTextToNumber("FFFF"), 65535.0);
    QCOMPARE(HexTextToNumber("FFFFFFFFFFFF"), 281474976710655.0);  // beyond 32 bits
  }

  void charDigitValue() {
    QCOMPARE(CharDigitValue("0"), std::int16_t{0});
    QCOMPARE(CharDigitValue("9"), std::int16_t{9});
    QCOMPARE(CharDigitValue("a"), std::int16_t{10});
    QCOMPARE(CharDigitValue("f"), std::int16_t{15});
    QCOMPARE(CharDigitValue("z"), std::int16_t{35});
    QCOMPARE(CharDigitValue("G"), std::int16_t{16});
    QCOMPARE(CharDigitValue("#"), std::int16_t{0});
    QCOMPARE(CharDigitValue("12"), std::int16_t{0});
    QCOMPARE(CharDigitValue(""), std::int16_t{0});
  }

  void readTextLine() {
    const std::string text = "F2 00\r\n\r\nthird\r\nlast";
    QCOMPARE(ReadTextLine(text, 0), std::string("F2 00"));
    QCOMPARE(ReadTextLine(text, 1), std::string(""));
    QCOMPARE(ReadTextLine(text, 2), std::string("third"));
    QCOMPARE(ReadTextLine(text, 3), std::string("last"));
    QCOMPARE(ReadTextLine(text, 4), std::string(""));
    QCOMPARE(ReadTextLine(text, -1), std::string(""));
    QCOMPARE(ReadTextLine("a\nb", 1), std::string("b"));
    QCOMPARE(ReadTextLine("", 0), std::string(""));
  }

  void monitorPrologueEpilogueAndTrim() {
    Monitor monitor;
    std::string mirrored;
    monitor.onAppend = [&](std::string_view piece) { mirrored += piece; };
    monitor.onClear = [&] { mirrored.clear(); };

    monitor.append("SD: first\r\n");
    monitor.epilogue();
    monitor.prologue();  // not recording: emptied
    QVERIFY(monitor.text().empty());
    monitor.append("SD: second\r\n");
    monitor.epilogue();
    monitor.setRecord(true);
    monitor.prologue();  // recording: kept
    monitor.append("SD: third\r\n");
    QCOMPARE(monitor.text(), std::string("SD: second\r\n\r\nSD: third\r\n"));
    QCOMPARE(mirrored, monitor.text());
    monitor.clear();
    QVERIFY(monitor.text().empty() && mirrored.empty());

    monitor.append("  \r\nSD: 06 \r\n  ");
    QCOMPARE(monitor.trimmedText(), std::string("\r\nSD: 06 \r\n"));  // blanks only, not line ends
    monitor.clear();
    monitor.append("   ");
    QCOMPARE(monitor.trimmedText(), std::string(""));
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(ConversionsTest)
#include "conversions_test.moc"
