#include "link/reply_catalogue.h"

#include <QtTest>
#include <set>

#include "recording_messages.h"

using namespace kdx;
using kdx::test::RecordingMessages;

class ReplyCatalogueTest : public QObject {
  Q_OBJECT
 private slots:
  void report_data() {
    QTest::addColumn<char>("e1");
    QTest::addColumn<char>("e0");
    QTest::addColumn<QString>("title");  // empty: no box
    QTest::addColumn<QString>("text");
    QTest::newRow("card jam") << '1' << '0' << "Negative response:10"
                              << "Card jam";
    QTest::newRow("placeholder") << '3' << '5' << "Negative response:35"
                                 << "--------";
    QTest::newRow("first code") << '0' << '0' << "Negative response:00"
                                << "A given command code is unidentified";
    QTest::newRow("not initialized") << 'B' << '0' << "Negative response:B0"
                                     << "Not received Initialize command";
    QTest::newRow("bin full") << 'A' << '1' << "Negative response:A1"
                              << "The Error Bin is Full";
    QTest::newRow("full stop kept") << '6' << '3' << "Negative response:63"
                                    << "IC card communication error (IC card does not respond).";
    QTest::newRow("curly quotes") << '6' << '4' << "Negative response:64"
                                  << QString::fromUtf8(
                                         "IC card communication error (Other than “63”)");
    QTest::newRow("single quotes") << '8' << '0' << "Negative response:80"
                                   << "Write Error (No '1')";
    QTest::newRow("gap after 69") << '7' << '0' << ""
                                  << "";
    QTest::newRow("lower case") << 'a' << '0' << ""
                                << "";
    QTest::newRow("trimmed to one char") << ' ' << '5' << ""
                                         << "";
    QTest::newRow("trailing blank") << '5' << ' ' << ""
                                    << "";
    QTest::newRow("nul bytes") << '\0' << '\0' << ""
                               << "";
  }
  void report() {
    QFETCH(char, e1);
    QFETCH(char, e0);
    QFETCH(QString, title);
    QFETCH(QString, text);
    RecordingMessages messages;
    ReportNegativeReply(messages, static_cast<std::uint8_t>(e1), static_cast<std::uint8_t>(e0));
    if (title.isEmpty()) {
      QVERIFY(messages.boxes.empty());
      return;
    }
    QCOMPARE(messages.boxes.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(messages.boxes[0].title), title);
    QCOMPARE(QString::fromUtf8(messages.boxes[0].text.c_str()), text);
    QCOMPARE(messages.boxes[0].icon, Icon::Information);
  }

  // Every code of the device: 00 to 69, 80, 81, A0, A1, B0, and no other.
  void catalogueCoversExactlyTheDeviceCodes() {
    std::set<std::string> expected;
    for (int i = 0; i <= 69; ++i)
      expected.insert(QString("%1").arg(i, 2, 10, QChar('0')).toStdString());
    for (const char* c : {"80", "81", "A0", "A1", "B0"}) expected.insert(c);
    QCOMPARE(NegativeReplyCodeCount(), std::size_t{75});
    int found = 0;
    int placeholders = 0;
    const std::string alphabet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (char a : alphabet) {
      for (char b : alphabet) {
        const auto text =
            NegativeReplyText(static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b));
        const bool known = expected.count(std::string{a, b}) > 0;
        const std::string code{a, b};
        QVERIFY2(text.has_value() == known, code.c_str());
        if (text) {
          ++found;
          if (*text == "--------") ++placeholders;
        }
      }
    }
    QCOMPARE(found, 75);
    // 06-09, 32-39, 42, 44, 47-49, 52, 56, 57, 59, 67, 68.
    QCOMPARE(placeholders, 23);
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(ReplyCatalogueTest)
#include "reply_catalogue_test.moc"
