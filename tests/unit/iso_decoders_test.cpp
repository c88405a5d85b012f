// The decoders of a card's answers and status words: answers to reset of
// T=0 and T=1 cards, in direct and inverse convention, with a right, wrong
// and absent TCK and cut short at every kind of byte; answers to select and
// Type B answers to request; one line per status word.
#include <QtTest>

#include "device_fakes.h"
#include "iso/answer_to_request_b.h"
#include "iso/answer_to_reset.h"
#include "iso/answer_to_select.h"
#include "iso/status_word_line.h"

using namespace kdx;
using namespace kdx::test;

using Lines = std::vector<std::string>;
Q_DECLARE_METATYPE(Lines)

namespace {

// The first `n` bytes in a buffer of their own, so that reading past them
// is caught by the sanitizers.
Lines DecodeFirst(Lines (*decode)(ByteView), const Bytes& bytes, std::size_t n) {
  const Bytes prefix(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
  return decode(prefix);
}

// The lines as one text, so that a failure shows them.
QString Joined(const Lines& lines) {
  QStringList out;
  for (const std::string& line : lines) out << QString::fromStdString(line);
  return out.join('\n');
}

}  // namespace

class IsoDecodersTest : public QObject {
  Q_OBJECT
 private slots:
  void answersToReset_data() {
    QTest::addColumn<Bytes>("atr");
    QTest::addColumn<Lines>("lines");
    QTest::newRow("T=0, no interface bytes") << Hex("3B 02 14 50")
                                             << Lines{"TS 3B: direct convention",
                                                      "T0 02: 2 historical bytes, no further "
                                                      "interface bytes",
                                                      "protocols: T=0 (default)",
                                                      "historical bytes: 14 50 \".P\"",
                                                      "category 14: proprietary",
                                                      "TCK: absent (only T=0 offered)"};
    QTest::newRow("T=1 with TA1 TB1 TC1, IFSC, BWI/CWI")
        << Hex("3B FA 13 00 00 81 31 FE 45 4A 43 4F 50 34 31 56 32 32 31 96")
        << Lines{"TS 3B: direct convention",
                 "T0 FA: 10 historical bytes, next TA1 TB1 TC1 TD1",
                 "TA1 13: Fi 372 (f max 5 MHz), Di 4, F/D 93 clocks per bit",
                 "TB1 00: no programming voltage (VPP not connected)",
                 "TC1 00: no extra guard time",
                 "TD1 81: T=1, next TD2",
                 "TD2 31: T=1, next TA3 TB3",
                 "TA3 FE: IFSC 254 bytes",
                 "TB3 45: BWI 4, CWI 5",
                 "protocols: T=1",
                 "historical bytes: 4A 43 4F 50 34 31 56 32 32 31 \"JCOP41V221\"",
                 "category 4A: proprietary",
                 "TCK 96: correct"};
    QTest::newRow("inverse convention, T=0, programming voltage")
        << Hex("3F 65 25 00 2C 09 69 90 00")
        << Lines{"TS 3F: inverse convention",
                 "T0 65: 5 historical bytes, next TB1 TC1",
                 "TB1 25: programming voltage PI 5, current code 1 (deprecated)",
                 "TC1 00: no extra guard time",
                 "protocols: T=0 (default)",
                 "historical bytes: 2C 09 69 90 00 \",.i..\"",
                 "category 2C: proprietary",
                 "TCK: absent (only T=0 offered)"};
    QTest::newRow("inverse convention, T=1, Fi 372 Di 12")
        << Hex("3F 96 18 81 31 FE 45 49 53 4F 2D 54 31 98")
        << Lines{"TS 3F: inverse convention",
                 "T0 96: 6 historical bytes, next TA1 TD1",
                 "TA1 18: Fi 372 (f max 5 MHz), Di 12, F/D 31 clocks per bit",
                 "TD1 81: T=1, next TD2",
                 "TD2 31: T=1, next TA3 TB3",
                 "TA3 FE: IFSC 254 bytes",
                 "TB3 45: BWI 4, CWI 5",
                 "protocols: T=1",
                 "historical bytes: 49 53 4F 2D 54 31 \"ISO-T1\"",
                 "category 49: proprietary",
                 "TCK 98: correct"};
    QTest::newRow("minimum guard time, waiting time, F/D not whole")
        << Hex("3B D0 66 FF 40 0A")
        << Lines{"TS 3B: direct convention",
                 "T0 D0: 0 historical bytes, next TA1 TC1 TD1",
                 "TA1 66: Fi 1860 (f max 20 MHz), Di 32, F/D 58.13 clocks per bit",
                 "TC1 FF: minimum guard time (12 etu for T=0, 11 etu for T=1)",
                 "TD1 40: T=0, next TC2",
                 "TC2 0A: waiting time integer WI 10, WT = 9600 x Fi/f",
                 "protocols: T=0",
                 "historical bytes: none",
                 "TCK: absent (only T=0 offered)"};
    QTest::newRow("T=15 global bytes need a TCK")
        << Hex("3B 80 80 1F 07 18")
        << Lines{"TS 3B: direct convention",
                 "T0 80: 0 historical bytes, next TD1",
                 "TD1 80: T=0, next TD2",
                 "TD2 1F: global interface bytes follow, next TA3",
                 "TA3 07: clock stop not supported; classes A (5 V), B (3 V), C (1.8 V)",
                 "protocols: T=0",
                 "historical bytes: none",
                 "TCK 18: correct"};
    QTest::newRow("compact-TLV with status indicator, T=0 and T=1")
        << Hex("3B 8C 80 01 80 31 80 65 B0 83 11 C0 A9 82 90 00 00")
        << Lines{"TS 3B: direct convention",
                 "T0 8C: 12 historical bytes, next TD1",
                 "TD1 80: T=0, next TD2",
                 "TD2 01: T=1, no further interface bytes",
                 "protocols: T=0, T=1",
                 "historical bytes: 80 31 80 65 B0 83 11 C0 A9 82 90 00 \".1.e........\"",
                 "category 80: compact-TLV objects",
                 "compact-TLV 31 card service data: 80",
                 "compact-TLV 65 pre-issuing data: B0 83 11 C0 A9",
                 "compact-TLV 82 status indicator: SW 9000",
                 "TCK 00: correct"};
    QTest::newRow("category 00, status in the last three bytes")
        << Hex("3B 66 00 00 00 31 C0 05 90 00")
        << Lines{"TS 3B: direct convention",
                 "T0 66: 6 historical bytes, next TB1 TC1",
                 "TB1 00: no programming voltage (VPP not connected)",
                 "TC1 00: no extra guard time",
                 "protocols: T=0 (default)",
                 "historical bytes: 00 31 C0 05 90 00 \".1....\"",
                 "category 00: compact-TLV objects, status indicator in the last three bytes",
                 "compact-TLV 31 card service data: C0",
                 "status indicator: LCS 05, SW 9000",
                 "TCK: absent (only T=0 offered)"};
    QTest::newRow("not an ATR, bytes after one")
        << Hex("A2 13 10 91") << Lines{"TS A2: not an answer to reset (3B or 3F expected)"};
    QTest::newRow("bytes after the answer")
        << Hex("3B 00 AB CD") << Lines{"TS 3B: direct convention",
                                       "T0 00: 0 historical bytes, no further interface bytes",
                                       "protocols: T=0 (default)",
                                       "historical bytes: none",
                                       "TCK: absent (only T=0 offered)",
                                       "after the answer: AB CD"};
  }
  void answersToReset() {
    QFETCH(Bytes, atr);
    QFETCH(Lines, lines);
    QCOMPARE(Joined(DecodeAtr(atr)), Joined(lines));
  }

  // A wrong TCK changes the verdict and nothing else.
  void wrongTck() {
    Lines right = DecodeAtr(Hex("3B FA 13 00 00 81 31 FE 45 4A 43 4F 50 34 31 56 32 32 31 96"));
    const Lines wrong =
        DecodeAtr(Hex("3B FA 13 00 00 81 31 FE 45 4A 43 4F 50 34 31 56 32 32 31 9D"));
    QCOMPARE(wrong.back(), std::string("TCK 9D: wrong, 96 expected"));
    right.back() = wrong.back();
    QCOMPARE(Joined(wrong), Joined(right));
  }

  // Cut short at every kind of byte: the lines decoded so far, then what is
  // missing; never a byte past the end.
  void truncatedAnswersToReset_data() {
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("last");
    QTest::newRow("nothing") << 0 << "truncated: TS missing after 0 bytes";
    QTest::newRow("TS only") << 1 << "truncated: T0 missing after 1 byte";
    QTest::newRow("in TA1 TB1") << 3 << "truncated: TB1 missing after 3 bytes";
    QTest::newRow("TD1 missing") << 5 << "truncated: TD1 missing after 5 bytes";
    QTest::newRow("TB3 missing") << 8 << "truncated: TB3 missing after 8 bytes";
    QTest::newRow("no historical byte")
        << 9 << "truncated: 10 historical bytes announced, 0 present";
    QTest::newRow("three historical bytes")
        << 12 << "truncated: 10 historical bytes announced, 3 present";
    QTest::newRow("TCK missing") << 19 << "truncated: TCK missing after 19 bytes";
  }
  void truncatedAnswersToReset() {
    QFETCH(int, length);
    QFETCH(QString, last);
    const Bytes atr = Hex("3B FA 13 00 00 81 31 FE 45 4A 43 4F 50 34 31 56 32 32 31 96");
    const Lines full = DecodeAtr(atr);
    const Lines lines = DecodeFirst(DecodeAtr, atr, static_cast<std::size_t>(length));
    QVERIFY(!lines.empty());
    QCOMPARE(QString::fromStdString(lines.back()), last);
    // Everything before the last line is what the whole answer says too,
    // the historical bytes line aside (it shows the bytes present).
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
      if (lines[i].starts_with("historical bytes") || lines[i].starts_with("category")) continue;
      QCOMPARE(lines[i], full[i]);
    }
  }

  void answersToSelect_data() {
    QTest::addColumn<Bytes>("ats");
    QTest::addColumn<Lines>("lines");
    QTest::newRow("TA TB TC, one historical byte")
        << Hex("06 75 77 81 02 80")
        << Lines{"TL 06: 6 bytes with TL",
                 "T0 75: FSC 64 bytes, TA, TB, TC",
                 "TA 77: card to reader 106, 212, 424, 848 kbit/s; reader to card 106, 212, 424, "
                 "848 kbit/s",
                 "TB 81: FWT 77.33 ms (FWI 8), SFGT 604.1 \xC2\xB5s (SFGI 1)",
                 "TC 02: CID supported, NAD not supported",
                 "historical bytes: 80 \".\"",
                 "category 80: compact-TLV objects"};
    QTest::newRow("106 kbit/s only, no historical bytes")
        << Hex("05 78 80 70 02")
        << Lines{"TL 05: 5 bytes with TL",
                 "T0 78: FSC 256 bytes, TA, TB, TC",
                 "TA 80: card to reader 106 kbit/s; reader to card 106 kbit/s; same rate both ways",
                 "TB 70: FWT 38.66 ms (FWI 7), SFGT none (SFGI 0)",
                 "TC 02: CID supported, NAD not supported",
                 "historical bytes: none"};
    QTest::newRow("TB only, proprietary historical bytes, CRC after TL")
        << Hex("08 28 00 4A 43 4F 50 76 AB CD")
        << Lines{"TL 08: 8 bytes with TL",
                 "T0 28: FSC 256 bytes, TB",
                 "TB 00: FWT 302 \xC2\xB5s (FWI 0), SFGT none (SFGI 0)",
                 "historical bytes: 4A 43 4F 50 76 \"JCOPv\"",
                 "category 4A: proprietary",
                 "after TL: AB CD"};
    QTest::newRow("TL alone")
        << Hex("01")
        << Lines{"TL 01: 1 byte with TL",
                 "T0: absent, FSC 32 bytes, 106 kbit/s, CID supported (defaults)",
                 "historical bytes: none"};
    QTest::newRow("TL too short for T0's bytes")
        << Hex("02 70")
        << Lines{"TL 02: 2 bytes with TL", "T0 70: FSC 16 bytes, TA, TB, TC",
                 "TA: missing, TL too short"};
    QTest::newRow("TL 0") << Hex("00 78")
                          << Lines{"TL 00: not an answer to select (TL counts itself)"};
    QTest::newRow("truncated in TB")
        << Hex("06 75 77")
        << Lines{"TL 06: 6 bytes with TL", "T0 75: FSC 64 bytes, TA, TB, TC",
                 "TA 77: card to reader 106, 212, 424, 848 kbit/s; "
                 "reader to card 106, 212, 424, 848 kbit/s",
                 "truncated: TB missing after 3 bytes"};
    QTest::newRow("truncated in the historical bytes")
        << Hex("08 28 00 4A 43")
        << Lines{"TL 08: 8 bytes with TL",
                 "T0 28: FSC 256 bytes, TB",
                 "TB 00: FWT 302 \xC2\xB5s (FWI 0), SFGT none (SFGI 0)",
                 "historical bytes: 4A 43 \"JC\"",
                 "category 4A: proprietary",
                 "truncated: 8 bytes announced, 5 present"};
    QTest::newRow("empty") << Bytes{} << Lines{"truncated: TL missing after 0 bytes"};
  }
  void answersToSelect() {
    QFETCH(Bytes, ats);
    QFETCH(Lines, lines);
    QCOMPARE(Joined(DecodeFirst(DecodeAts, ats, ats.size())), Joined(lines));
  }

  void answersToRequestB_data() {
    QTest::addColumn<Bytes>("atqb");
    QTest::addColumn<Lines>("lines");
    const Lines head{"ATQB 50: answer to request, Type B", "PUPI: 3B4C5D01"};
    auto with = [&](Lines more) {
      Lines all = head;
      all.insert(all.end(), more.begin(), more.end());
      return all;
    };
    QTest::newRow("ISO/IEC 14443-4 card")
        << Hex("50 3B 4C 5D 01 00 00 00 00 00 71 71")
        << with({"application data: 00000000 (AFI 00)",
                 "bit rates 00: card to reader 106 kbit/s; reader to card 106 kbit/s",
                 "frame 71: max frame 128 bytes, protocol type 1 (ISO/IEC 14443-4)",
                 "timing 71: FWT 38.66 ms (FWI 7), application data proprietary, NAD not "
                 "supported, CID supported"});
    QTest::newRow("extended, all rates, AFI coding")
        << Hex("50 3B 4C 5D 01 10 12 34 01 F3 80 86 20")
        << with({"application data: 10123401 (AFI 10)",
                 "bit rates F3: card to reader 106, 212, 424, 848 kbit/s; reader to card 106, "
                 "212, 424 kbit/s; same rate both ways",
                 "frame 80: max frame 256 bytes, protocol type 0 (not ISO/IEC 14443-4)",
                 "timing 86: FWT 77.33 ms (FWI 8), application data as AFI, CRC_B(AID), count, "
                 "NAD supported, CID not supported",
                 "SFGI 20: SFGT 1.21 ms"});
    QTest::newRow("truncated in the PUPI")
        << Hex("50 3B 4C")
        << Lines{"ATQB 50: answer to request, Type B", "truncated: PUPI missing after 3 bytes"};
    QTest::newRow("truncated in the protocol information")
        << Hex("50 3B 4C 5D 01 00 00 00 00 00 71")
        << with({"application data: 00000000 (AFI 00)",
                 "bit rates 00: card to reader 106 kbit/s; reader to card 106 kbit/s",
                 "frame 71: max frame 128 bytes, protocol type 1 (ISO/IEC 14443-4)",
                 "truncated: FWI, ADC and FO missing after 11 bytes"});
    QTest::newRow("not an ATQB") << Hex("05 78")
                                 << Lines{"ATQB 05: not an answer to request (50 expected)"};
  }
  void answersToRequestB() {
    QFETCH(Bytes, atqb);
    QFETCH(Lines, lines);
    QCOMPARE(Joined(DecodeFirst(DecodeAtqb, atqb, atqb.size())), Joined(lines));
  }

  void statusWords_data() {
    QTest::addColumn<Bytes>("response");
    QTest::addColumn<QString>("line");
    QTest::newRow("9000") << Hex("90 00") << "9000: normal processing";
    QTest::newRow("data then 9000") << Hex("01 02 03 90 00") << "9000: normal processing";
    QTest::newRow("6114") << Hex("61 14")
                          << "6114: 20 bytes waiting, fetch them with GET RESPONSE (00C0000014)";
    QTest::newRow("6100") << Hex("61 00")
                          << "6100: 256 or more bytes waiting, fetch them with GET RESPONSE "
                             "(00C0000000)";
    QTest::newRow("6C14") << Hex("6C 14") << "6C14: wrong Le, the exact length is 20 (Le 14)";
    QTest::newRow("6C00") << Hex("6C 00") << "6C00: wrong Le, the exact length is 256 (Le 00)";
    QTest::newRow("6282") << Hex("62 82")
                          << "6282: warning, end of file or record reached before Le bytes";
    QTest::newRow("62F1") << Hex("62 F1") << "62F1: warning, memory unchanged";
    QTest::newRow("63C2") << Hex("63 C2") << "63C2: warning, 2 tries left";
    QTest::newRow("63C1") << Hex("63 C1") << "63C1: warning, 1 try left";
    QTest::newRow("63C0") << Hex("63 C0") << "63C0: warning, 0 tries left";
    QTest::newRow("6300") << Hex("63 00") << "6300: warning, memory changed";
    QTest::newRow("6700") << Hex("67 00") << "6700: wrong length (Lc or Le)";
    QTest::newRow("6781") << Hex("67 81") << "6781: wrong length";
    QTest::newRow("6882") << Hex("68 82") << "6882: secure messaging not supported";
    QTest::newRow("6982") << Hex("69 82") << "6982: security status not satisfied";
    QTest::newRow("6983") << Hex("69 83") << "6983: authentication method blocked";
    QTest::newRow("6A82") << Hex("6A 82") << "6A82: file or application not found";
    QTest::newRow("6A86") << Hex("6A 86") << "6A86: incorrect parameters P1-P2";
    QTest::newRow("6B00") << Hex("6B 00") << "6B00: wrong parameters P1-P2";
    QTest::newRow("6D00") << Hex("6D 00") << "6D00: instruction code not supported or invalid";
    QTest::newRow("6E00") << Hex("6E 00") << "6E00: class not supported";
    QTest::newRow("6F00") << Hex("6F 00") << "6F00: no precise diagnosis";
    QTest::newRow("6F01") << Hex("6F 01") << "6F01: unknown status word";
    QTest::newRow("1234") << Hex("12 34") << "1234: unknown status word";
    QTest::newRow("one byte") << Hex("90") << "";
    QTest::newRow("nothing") << Bytes{} << "";
  }
  void statusWords() {
    QFETCH(Bytes, response);
    QFETCH(QString, line);
    QCOMPARE(QString::fromStdString(ResponseStatusLine(response)), line);
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(IsoDecodersTest)
#include "iso_decoders_test.moc"
