#include "link/frame.h"

#include <QtTest>

using namespace kdx;

Q_DECLARE_METATYPE(kdx::Bytes)

class FrameTest : public QObject {
  Q_OBJECT
 private slots:
  void commandFrames_data() {
    QTest::addColumn<int>("address");
    QTest::addColumn<char>("command");
    QTest::addColumn<char>("parameter");
    QTest::addColumn<Bytes>("data");
    QTest::addColumn<Bytes>("expected");
    QTest::newRow("card status, address 0")
        << 0 << '1' << '0' << Bytes{}
        << Bytes{0xF2, 0x00, 0x00, 0x03, 0x43, 0x31, 0x30, 0x03, 0xB0};
    QTest::newRow("address F") << 0x0F << '1' << '0' << Bytes{}
                               << Bytes{0xF2, 0x0F, 0x00, 0x03, 0x43, 0x31, 0x30, 0x03, 0xBF};
    QTest::newRow("serial number with one data byte")
        << 0 << '\xA2' << '0' << Bytes{0x12}
        << Bytes{0xF2, 0x00, 0x00, 0x04, 0x43, 0xA2, 0x30, 0x12, 0x03, 0x36};
  }
  void commandFrames() {
    QFETCH(int, address);
    QFETCH(char, command);
    QFETCH(char, parameter);
    QFETCH(Bytes, data);
    QFETCH(Bytes, expected);
    const Bytes frame =
        BuildCommand(static_cast<std::uint8_t>(address), static_cast<std::uint8_t>(command),
                     static_cast<std::uint8_t>(parameter), data);
    QCOMPARE(HexBytes(frame), HexBytes(expected));
  }

  void longCommandHasHighLengthByte() {
    const Bytes data(300, 0x55);
    const Bytes frame = BuildCommand(0, 'Q', '9', data);
    QCOMPARE(frame.size(), std::size_t{309});
    QCOMPARE(frame[2], std::uint8_t{0x01});
    QCOMPARE(frame[3], std::uint8_t{0x2F});
    QCOMPARE(frame[307], kEtx);
    std::uint8_t bcc = 0;
    for (std::size_t i = 0; i < 308; ++i) bcc ^= frame[i];
    QCOMPARE(frame[308], bcc);
  }

  void checkByteRoutines() {
    const Bytes frame{0xF2, 0x00, 0x00, 0x03, 0x43, 0x30, 0x30, 0x03, 0x00};
    QCOMPARE(ComputeBcc(frame), std::uint8_t{0xB1});
    QCOMPARE(ComputeBcc(Bytes{0x7E}), std::uint8_t{0});
    QCOMPARE(ComputeBcc(Bytes{}), std::uint8_t{0});
    QCOMPARE(ComputeBccRange(frame, 7), std::uint8_t{0xB1});
    QCOMPARE(ComputeBccRange(frame, 0), std::uint8_t{0xF2});
    QCOMPARE(ComputeBccRange(frame, -1), std::uint8_t{0});
    QCOMPARE(ComputeBccRange(frame, 100), std::uint8_t{0xB1});  // clamped; last byte is 0
  }

  void addressText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("address");  // -1: refused
    QTest::newRow("0") << "0" << 0;
    QTest::newRow("F") << "F" << 0x0F;
    QTest::newRow("A") << "A" << 0x0A;
    QTest::newRow("two digits") << "1F" << 0x1F;
    QTest::newRow("leading zero") << "00" << 0;
    QTest::newRow("leading zeros") << "000F" << 0x0F;
    QTest::newRow("lower case") << "ff" << 0xFF;
    QTest::newRow("blanks around") << " 3 " << 3;
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("blank") << " " << -1;
    QTest::newRow("too large") << "100" << -1;
    QTest::newRow("not hex") << "G" << -1;
    QTest::newRow("sign") << "-1" << -1;
    QTest::newRow("inner blank") << "1 2" << -1;
  }
  void addressText() {
    QFETCH(QString, text);
    QFETCH(int, address);
    const auto parsed = ParseAddress(text.toStdString());
    if (address < 0) {
      QVERIFY(!parsed);
    } else {
      QVERIFY(parsed);
      QCOMPARE(int{*parsed}, address);
    }
  }

  // The one hex digit and hex byte parser every input uses; the characters
  // next to each digit range are the edges a copy would get wrong.
  void hexDigit_data() {
    QTest::addColumn<char>("c");
    QTest::addColumn<int>("value");  // -1: not a hex digit
    const std::pair<char, int> rows[] = {{'0', 0},  {'9', 9},  {'A', 10}, {'F', 15}, {'a', 10},
                                         {'f', 15}, {'/', -1}, {':', -1}, {'@', -1}, {'G', -1},
                                         {'`', -1}, {'g', -1}, {' ', -1}, {'\0', -1}};
    for (const auto& [c, value] : rows) QTest::addRow("%d", int{c}) << c << value;
  }
  void hexDigit() {
    QFETCH(char, c);
    QFETCH(int, value);
    const auto digit = HexDigit(c);
    QCOMPARE(digit ? int{*digit} : -1, value);
  }

  void hexByte_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");  // -1: refused
    QTest::newRow("one digit") << "7" << 0x07;
    QTest::newRow("two digits") << "7F" << 0x7F;
    QTest::newRow("lower case") << "ab" << 0xAB;
    QTest::newRow("leading zero") << "0c" << 0x0C;
    QTest::newRow("largest") << "FF" << 0xFF;
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("three digits") << "0FF" << -1;
    QTest::newRow("blank after") << "7 " << -1;
    QTest::newRow("blank before") << " 7" << -1;
    QTest::newRow("not hex") << "7G" << -1;
    QTest::newRow("sign") << "-1" << -1;
  }
  void hexByte() {
    QFETCH(QString, text);
    QFETCH(int, value);
    const auto byte = ParseHexByte(text.toStdString());
    QCOMPARE(byte ? int{*byte} : -1, value);
  }

  void hexText() {
    QCOMPARE(HexByte(0x0A), std::string("0A"));
    QCOMPARE(HexBytes(Bytes{0xF2, 0x00, 0x1F}), std::string("F2 00 1F"));
    QCOMPARE(HexBytes(Bytes{0xF2, 0x00}, ""), std::string("F200"));
    Bytes out;
    QVERIFY(ParseHexBytes("f2 00 1F", out));
    QCOMPARE(out, (Bytes{0xF2, 0x00, 0x1F}));
    QVERIFY(!ParseHexBytes("F2 0", out));
    QVERIFY(!ParseHexBytes("F2 0G", out));
    QCOMPARE(Latin1ToUtf8("A\xE9"), std::string("A\xC3\xA9"));  // e acute
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(FrameTest)
#include "frame_test.moc"
