// The CPU and SAM windows' input rules and reply readings: APDU text, socket
// names, card status texts and the data of negative replies, short replies
// included. The reset replies are read in the operations' test.
#include <QtTest>

#include "contact/cpu_card.h"
#include "device_fakes.h"

using namespace kdx;
using namespace kdx::test;

Q_DECLARE_METATYPE(kdx::ApduTextError)

namespace {

Reply R(std::string_view text) {
  return Reply{Bytes(text.begin(), text.end())};
}

}  // namespace

class CpuCardTextTest : public QObject {
  Q_OBJECT
 private slots:
  void apduText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<ApduTextError>("error");
    QTest::addColumn<QString>("bytes");
    const QString max = QString("AB").repeated(252);
    QTest::newRow("empty") << "" << ApduTextError::None << "";
    QTest::newRow("select") << "00A40000023F00" << ApduTextError::None << "00 A4 00 00 02 3F 00";
    QTest::newRow("lower case pairs") << "00a4" << ApduTextError::None << "00 A4";
    QTest::newRow("blank before a digit") << " A0B" << ApduTextError::None << "0A 0B";
    QTest::newRow("11 digits") << "00A40000023" << ApduTextError::OddLength << "";
    QTest::newRow("504 digits") << max << ApduTextError::None
                                << QString("AB ").repeated(252).trimmed();
    QTest::newRow("505 digits") << max + "A" << ApduTextError::OddLength << "";
    QTest::newRow("506 digits") << max + "AB" << ApduTextError::BadPair << "";
    QTest::newRow("non-hex pair") << "00G4" << ApduTextError::BadPair << "";
    QTest::newRow("blank pair") << "00  " << ApduTextError::BadPair << "";
    QTest::newRow("sign") << "-1" << ApduTextError::BadPair << "";
  }
  void apduText() {
    QFETCH(QString, text);
    QFETCH(ApduTextError, error);
    QFETCH(QString, bytes);
    const ApduText apdu = ParseApduText(text.toStdString());
    QCOMPARE(apdu.error, error);
    QCOMPARE(apdu.bytes, Hex(bytes.toStdString()));
  }

  void socketCode_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("code");  // -1: refused
    for (int n = 1; n <= 14; ++n)
      QTest::newRow(qPrintable(QString("SAM %1").arg(n)))
          << QString("SAM %1").arg(n) << 0x30 + n - 1;
    for (const char* refused :
         {"SAM 15", "SAM 0", "sam 1", "SAM1", "SAM  1", "SAM 01", " SAM 1", "SAM 1 ", "", "SAM"}) {
      QTest::newRow(refused) << refused << -1;
    }
  }
  void socketCode() {
    QFETCH(QString, text);
    QFETCH(int, code);
    const auto socket = SamSocketCode(text.toStdString());
    QCOMPARE(socket ? int(*socket) : -1, code);
  }

  // Status replies: "P", command, parameter, three status bytes, the data
  // bytes, ETX and the check byte.
  void statusText_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("sam");
    QTest::addColumn<QString>("text");
    const QString off = "Card is not activated";
    const QString slow = "The card has been activated, working frequency of 3.57 MHZ";
    const QString fast = "The card has been activated, working frequency of 7.16 MHZ";
    QTest::newRow("cpu 0") << QByteArray("PQ20000\3x") << false << off;
    QTest::newRow("cpu 1") << QByteArray("PQ20001\3x") << false << slow;
    QTest::newRow("cpu 2") << QByteArray("PQ20002\3x") << false << fast;
    QTest::newRow("cpu 7") << QByteArray("PQ20007\3x") << false << "";
    QTest::newRow("cpu no data") << QByteArray("PQ2000\3x") << false << "";
    QTest::newRow("sam 1 0") << QByteArray("PR200010\3x") << true
                             << slow + "\r\nCurrent SAM card is  No.1 ";
    QTest::newRow("sam 0 1") << QByteArray("PR200001\3x") << true
                             << off + "\r\nCurrent SAM card is  No.2";
    QTest::newRow("sam 2 2") << QByteArray("PR200022\3x") << true
                             << fast + "\r\nCurrent SAM card is  No.3";
    QTest::newRow("sam 1 3") << QByteArray("PR200013\3x") << true
                             << slow + "\r\nCurrent SAM card is  No.4";
    QTest::newRow("sam 1 4") << QByteArray("PR200014\3x") << true
                             << slow + "\r\nCurrent SAM card is  No.5";
    QTest::newRow("sam 1 7") << QByteArray("PR200017\3x") << true << slow + "\r\n";
    QTest::newRow("sam 1 only") << QByteArray("PR20001\3x") << true << slow + "\r\n";
    QTest::newRow("sam 9 9") << QByteArray("PR200099\3x") << true << "\r\n";
  }
  void statusText() {
    QFETCH(QByteArray, reply);
    QFETCH(bool, sam);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(CpuCardStatusText(R(reply.toStdString()), sam)), text);
  }

  void negativeData() {
    QCOMPARE(NegativeReplyData(R("NQ863\x12\x34\3x")), Hex("12 34"));
    QCOMPARE(NegativeReplyData(R("NQ863\3x")), Bytes{});
    QCOMPARE(NegativeReplyData(R("NQ8")), Bytes{});
    QCOMPARE(NegativeReplyData(R("PQ8000\x12\3x")), Bytes{});
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(CpuCardTextTest)
#include "cpu_card_text_test.moc"
