// Mifare Classic access conditions: the decoder against the datasheet's
// tables for data blocks and sector trailers, the transport configuration
// and inconsistent bytes; a read of a sector trailer showing them beside the
// grid; the extra question before a trailer with inconsistent access bytes
// is written.
#include "rf/access_conditions.h"

#include <QtTest>

#include "rf/mifare_operations.h"
#include "rf_fakes.h"

using namespace kdx;
using namespace kdx::test;

using Lines = std::vector<std::string>;
Q_DECLARE_METATYPE(Lines)

namespace {

// A trailer: key A, the access bytes given, byte 9 69h, key B.
Bytes Trailer(std::string_view access) {
  return Hex("00 00 00 00 00 00 " + std::string(access) + " 69 FF FF FF FF FF FF");
}

const std::string kTransportTrailer =
    "trailer (001): key A: read never, write A; access bits: read A, write A; key B: read A, "
    "write A";
const std::string kAllByEither =
    "read A|B, write A|B, increment A|B, decrement/transfer/restore A|B";

const Lines kTransport{"access bytes FF 07 80: inverted bits match (A, B: with key A, key B)",
                       "block 0 (000): " + kAllByEither,
                       "block 1 (000): " + kAllByEither,
                       "block 2 (000): " + kAllByEither,
                       kTransportTrailer,
                       "key B: readable, so it cannot be used to authenticate",
                       "byte 9 69: user data"};

const std::string kInconsistentQuestion =
    "The access bits in bytes 6 to 8 do not match their inverted copy.\r\n"
    "The card would refuse every further access to this sector: it would be unusable for "
    "good.\r\nWrite them anyway?";
const std::string kTrailerQuestion =
    "Are you sure to modify\r\nthe password of present sector and control key memory area?";

}  // namespace

class AccessConditionsTest : public QObject {
  Q_OBJECT
 private slots:
  void transportConfiguration() {
    QCOMPARE(DecodeAccessConditions(Trailer("FF 07 80"), false), kTransport);
  }

  // The datasheet's data block table: all three blocks with the same bits,
  // the trailer in the transport configuration.
  void dataBlocks_data() {
    QTest::addColumn<QString>("access");
    QTest::addColumn<QString>("line");
    QTest::newRow("000") << "FF 07 80" << QString::fromStdString("block 1 (000): " + kAllByEither);
    QTest::newRow("001") << "FF 00 F0"
                         << "block 1 (001): read A|B, write never, increment never, "
                            "decrement/transfer/restore A|B";
    QTest::newRow("010") << "8F 07 87"
                         << "block 1 (010): read A|B, write never, increment never, "
                            "decrement/transfer/restore never";
    QTest::newRow("011") << "8F 00 F7"
                         << "block 1 (011): read B, write B, increment never, "
                            "decrement/transfer/restore never";
    QTest::newRow("100") << "F8 77 80"
                         << "block 1 (100): read A|B, write B, increment never, "
                            "decrement/transfer/restore never";
    QTest::newRow("101") << "F8 70 F0"
                         << "block 1 (101): read B, write never, increment never, "
                            "decrement/transfer/restore never";
    QTest::newRow("110") << "88 77 87"
                         << "block 1 (110): read A|B, write B, increment B, "
                            "decrement/transfer/restore A|B";
    QTest::newRow("111") << "88 70 F7"
                         << "block 1 (111): read never, write never, increment never, "
                            "decrement/transfer/restore never";
  }
  void dataBlocks() {
    QFETCH(QString, access);
    QFETCH(QString, line);
    const Lines lines = DecodeAccessConditions(Trailer(access.toStdString()), false);
    QCOMPARE(lines.size(), std::size_t{7});
    QCOMPARE(QString::fromStdString(lines[2]), line);
    QCOMPARE(QString::fromStdString(lines[1]), QString(line).replace("block 1", "block 0"));
    QCOMPARE(QString::fromStdString(lines[3]), QString(line).replace("block 1", "block 2"));
    QCOMPARE(lines[4], kTransportTrailer);
  }

  // The datasheet's sector trailer table, data blocks in transport
  // configuration; a readable key B cannot authenticate.
  void trailers_data() {
    QTest::addColumn<QString>("access");
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("keyBReadable");
    QTest::newRow("000") << "FF 0F 00"
                         << "trailer (000): key A: read never, write A; access bits: read "
                            "A, write never; key B: read A, write A"
                         << true;
    QTest::newRow("001") << "FF 07 80" << QString::fromStdString(kTransportTrailer) << true;
    QTest::newRow("010") << "7F 0F 08"
                         << "trailer (010): key A: read never, write never; access bits: read "
                            "A, write never; key B: read A, write never"
                         << true;
    QTest::newRow("011") << "7F 07 88"
                         << "trailer (011): key A: read never, write B; access bits: read "
                            "A|B, write B; key B: read never, write B"
                         << false;
    QTest::newRow("100") << "F7 8F 00"
                         << "trailer (100): key A: read never, write B; access bits: read "
                            "A|B, write never; key B: read never, write B"
                         << false;
    QTest::newRow("101") << "F7 87 80"
                         << "trailer (101): key A: read never, write never; access bits: read "
                            "A|B, write B; key B: read never, write never"
                         << false;
    QTest::newRow("110") << "77 8F 08"
                         << "trailer (110): key A: read never, write never; access bits: read "
                            "A|B, write never; key B: read never, write never"
                         << false;
    QTest::newRow("111") << "77 87 88"
                         << "trailer (111): key A: read never, write never; access bits: read "
                            "A|B, write never; key B: read never, write never"
                         << false;
  }
  void trailers() {
    QFETCH(QString, access);
    QFETCH(QString, line);
    QFETCH(bool, keyBReadable);
    const Lines lines = DecodeAccessConditions(Trailer(access.toStdString()), false);
    QCOMPARE(QString::fromStdString(lines[4]), line);
    QCOMPARE(lines[5] == "key B: readable, so it cannot be used to authenticate", keyBReadable);
    QCOMPARE(lines.back(), std::string("byte 9 69: user data"));
  }

  // Each block with bits of its own; an S70's sixteen-block sectors name
  // groups of five blocks.
  void blocksApart() {
    const Lines lines = DecodeAccessConditions(Trailer("6A 55 A9"), true);
    QCOMPARE(lines, (Lines{"access bytes 6A 55 A9: inverted bits match (A, B: with key A, key B)",
                           "blocks 0-4 (110): read A|B, write B, increment B, "
                           "decrement/transfer/restore A|B",
                           "blocks 5-9 (001): read A|B, write never, increment never, "
                           "decrement/transfer/restore A|B",
                           "blocks 10-14 (100): read A|B, write B, increment never, "
                           "decrement/transfer/restore never",
                           "trailer (011): key A: read never, write B; access bits: read "
                           "A|B, write B; key B: read never, write B",
                           "byte 9 69: user data"}));
  }

  void inconsistentBytes_data() {
    QTest::addColumn<QString>("access");
    QTest::newRow("last bit flipped") << "FF 07 81";
    QTest::newRow("all zero") << "00 00 00";
    QTest::newRow("all FF") << "FF FF FF";
    QTest::newRow("C1 and its copy both set") << "FF 17 80";
  }
  void inconsistentBytes() {
    QFETCH(QString, access);
    const Bytes trailer = Trailer(access.toStdString());
    QVERIFY(!AccessBytesConsistent(ByteView(trailer).subspan(6, 3)));
    QCOMPARE(DecodeAccessConditions(trailer, false),
             Lines{"access bytes " + access.toStdString() +
                   ": the inverted bits do not match, the card refuses every access to this "
                   "sector"});
  }

  void shortTrailer() {
    const Bytes eight = Hex("00 00 00 00 00 00 FF 07");
    QCOMPARE(DecodeAccessConditions(eight, false),
             Lines{"access bytes: truncated, the trailer has 8 bytes (6 to 8 needed)"});
    QVERIFY(!AccessBytesConsistent(ByteView(eight).subspan(6)));
    // Without byte 9 the decoding stops after the trailer's conditions.
    const Lines nine = DecodeAccessConditions(Hex("00 00 00 00 00 00 FF 07 80"), false);
    QCOMPARE(nine, Lines(kTransport.begin(), kTransport.end() - 1));
  }

  // A read shows the conditions of the trailer it put into the grid, a read
  // of another block clears them, a failed read leaves them.
  void readShowsTheTrailersConditions() {
    RfHarness h;
    h.view.in.sector = 0x01;
    h.view.in.block = 0x03;
    AnswerEveryCommand(h,
                       RfReply('3', Hex("00 00 00 00 00 00 FF 07 80 69 FF FF FF FF FF FF 90 00")));
    h.press("RFreadBtn");
    QCOMPARE(h.view.accessConditions, std::vector<Lines>{kTransport});
    QCOMPARE(h.view.block.text(6), std::string("FF"));

    AnswerEveryCommand(h,
                       RfReply('3', Hex("00 00 00 00 00 00 FF 07 80 69 FF FF FF FF FF FF 6F 00")));
    h.press("RFreadBtn");
    QCOMPARE(h.view.accessConditions.size(), std::size_t{1});

    h.view.in.block = 0x02;
    AnswerEveryCommand(h,
                       RfReply('3', Hex("00 00 00 00 00 00 FF 07 80 69 FF FF FF FF FF FF 90 00")));
    h.press("RFreadBtn");
    QCOMPARE(h.view.accessConditions.back(), Lines{});

    // Sector 20h: the trailer is block 0Fh and the groups hold five blocks.
    h.view.in.sector = 0x20;
    h.view.in.block = 0x0F;
    h.press("RFreadBtn");
    QCOMPARE(h.view.accessConditions.back()[1], "blocks 0-4 (000): " + kAllByEither);
  }

  // Before the usual question, a trailer whose access bytes are
  // inconsistent asks whether to lock the sector for good; Cancel at either
  // sends nothing. Consistent bytes, or another block, ask nothing extra.
  void inconsistentTrailerAsksFirst_data() {
    QTest::addColumn<QString>("block");
    QTest::addColumn<QString>("access");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QStringList>("questions");
    QTest::addColumn<QString>("frame");
    const QString inconsistent = QString::fromStdString(kInconsistentQuestion);
    const QString trailer = QString::fromStdString(kTrailerQuestion);
    QTest::newRow("inconsistent, OK")
        << "03"
        << "FF 07 81" << true << QStringList{inconsistent, trailer}
        << "F2 00 00 18 43 60 33 00 D1 01 03 01 11 11 11 11 11 11 FF 07 81 11 11 11 11 11 11 11 "
           "03 43";
    QTest::newRow("inconsistent, Cancel") << "03"
                                          << "FF 07 81" << false << QStringList{inconsistent} << "";
    QTest::newRow("consistent, OK")
        << "03"
        << "7F 07 88" << true << QStringList{trailer}
        << "F2 00 00 18 43 60 33 00 D1 01 03 01 11 11 11 11 11 11 7F 07 88 11 11 11 11 11 11 11 "
           "03 CA";
    QTest::newRow("consistent, Cancel") << "03"
                                        << "7F 07 88" << false << QStringList{trailer} << "";
    QTest::newRow("data block with the same bytes")
        << "02"
        << "FF 07 81" << false << QStringList{}
        << "F2 00 00 18 43 60 33 00 D1 01 02 01 11 11 11 11 11 11 FF 07 81 11 11 11 11 11 11 11 "
           "03 42";
  }
  void inconsistentTrailerAsksFirst() {
    QFETCH(QString, block);
    QFETCH(QString, access);
    QFETCH(bool, ok);
    QFETCH(QStringList, questions);
    QFETCH(QString, frame);
    RfHarness h;
    h.view.in.block = static_cast<std::uint8_t>(block.toUInt(nullptr, 16));
    h.view.fillBlockCells("11");
    const QStringList bytes = access.split(' ');
    for (int i = 0; i < 3; ++i) h.view.in.blockCells.setText(6 + i, bytes[i].toStdString());
    h.messages.answerOk = ok;
    AnswerEveryCommand(h, RfReply('3', Hex("90 00")));
    const CommandOutcome outcome = h.press("RFwriteBtn");
    QStringList asked;
    for (const auto& box : h.messages.boxes) {
      if (!box.question) continue;
      asked << QString::fromStdString(box.text);
      QCOMPARE(box.title, std::string("Caution"));
      QCOMPARE(box.icon, box.text == kTrailerQuestion ? Icon::Question : Icon::Exclamation);
    }
    QCOMPARE(asked, questions);
    if (frame.isEmpty()) {
      QCOMPARE(outcome, CommandOutcome::NotSent);
      QVERIFY(h.line.writes().empty());
      QCOMPARE(h.messages.boxes.size(), static_cast<std::size_t>(questions.size()));
      QCOMPARE(h.monitor.text(), std::string());
    } else {
      QCOMPARE(outcome, CommandOutcome::Positive);
      QCOMPARE(SentCommands(h), std::vector<Bytes>{Hex(frame.toStdString())});
    }
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(AccessConditionsTest)
#include "access_conditions_test.moc"
