#include <QtTest>

#include "device_fakes.h"

using namespace kdx;
using namespace kdx::test;

namespace {

ConfigurationRecord Record(std::string_view ten) {
  ConfigurationRecord r{};
  for (std::size_t i = 0; i < ten.size() && i < r.size(); ++i) r[i] = std::uint8_t(ten[i]);
  return r;
}

QStringList Lines(const ConfigurationTexts& texts) {
  QStringList out;
  for (const auto& t : texts) out << QString::fromStdString(t);
  return out;
}

}  // namespace

class DeviceIdentityTest : public QObject {
  Q_OBJECT
 private slots:
  void serialNumberIsStoredAndShownTrimmed() {
    DeviceHarness h;
    AnswerEveryCommand(h, "P\2420000  KDX846-0042 ");  // A2 in octal: the digits stay digits
    QCOMPARE(h.press("TypeReadsn"), CommandOutcome::Positive);
    QCOMPARE(h.records.serialNumber, std::string("  KDX846-0042 "));
    QCOMPARE(h.view.serialNumbers, std::vector<std::string>{"KDX846-0042"});
    QVERIFY(h.messages.boxes.empty());
  }

  // Each row changes bytes of the record "7V12ER2231" from `index` on; only
  // the line of the changed value differs from that record's lines.
  void configurationTexts_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("bytes");  // '.' for a byte the reply did not carry
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("text");
    auto row = [](const char* name, int index, const char* bytes, int line, const char* text) {
      QTest::newRow(name) << index << QString(bytes) << line << QString(text);
    };
    row("as read", 0, "7", 0, "KDX-846");
    row("other identifier", 0, "5", 0, "");
    row("software code", 1, "abc", 1, "abc");
    row("code of two bytes", 3, ".", 1, "V1");
    row("no card function", 4, "0", 2, "No read-write card function");
    row("contactless IC only", 4, "I", 2, "Only supports contactless IC card Read/Write");
    row("RF only", 4, "C", 2, "Only supports RF Card Read/Write");
    row("card function X", 4, "X", 2, "");
    row("USB", 5, "U", 3, "USB Interface");
    row("interface X", 5, "X", 3, "");
    row("interface missing", 5, ".", 3, "");
    row("no IC module", 6, "0", 4, "No IC Card Read/Write Module");
    row("third-party IC", 6, "1", 4, "There IC card contacts components, for the third-party ");
    row("IC module 3", 6, "3", 4, "");
    row("no RF module", 7, "0", 5, "No RF Card Read/Write Module");
    row("third-party RF", 7, "1", 5, "There RF card contacts components, for the third-party ");
    row("RF module ?", 7, "?", 5, "");
    row("no SAM", 8, "0", 6, "No SAM card operation functions");
    row("one SAM", 8, "1", 6, "Support for one SAM card operation");
    row("two SAM", 8, "2", 6, "Support two SAM card operation");
    row("four SAM", 8, "4", 6, "Support four SAM card operation");
    row("five SAM", 8, "5", 6, "Support five SAM card operation");
    row("six SAM", 8, "6", 6, "");
    row("rub issuer", 9, "0", 7, "Rub card issuer Components");
    row("issuer 2", 9, "2", 7, "");
  }
  void configurationTexts() {
    QFETCH(int, index);
    QFETCH(QString, bytes);
    QFETCH(int, line);
    QFETCH(QString, text);
    QStringList lines{"KDX-846",
                      "V12",
                      "Supports RF and contactless IC card Read/Write",
                      "RS-232 Interface",
                      "KDX Standard IC Card Read/Write Module",
                      "KDX Standard RF Card Read/Write Module",
                      "Support three SAM card operation",
                      "Drawing card issuer Components"};
    lines[line] = text;
    ConfigurationRecord r = Record("7V12ER2231");
    for (int i = 0; i < bytes.size(); ++i) {
      r[std::size_t(index + i)] = bytes[i] == '.' ? 0 : std::uint8_t(bytes[i].toLatin1());
    }
    QCOMPARE(Lines(ConfigurationValueTexts(r)), lines);
  }

  void configurationReplyFillsTheRecord_data() {
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("record");  // '.' for unknown
    QTest::newRow("ten") << "7V12ER2231"
                         << "7V12ER2231";
    QTest::newRow("more than ten") << "7V12ER2231XYZ"
                                   << "7V12ER2231";
    QTest::newRow("six") << "7V12ER"
                         << "7V12ER....";
  }
  void configurationReplyFillsTheRecord() {
    QFETCH(QString, data);
    QFETCH(QString, record);
    DeviceHarness h;
    h.records.configuration = Record("7999ER2251");  // an earlier reply
    // Whatever the check byte is, it is not configuration.
    AnswerEveryCommand(h, "P\2430000" + data.toStdString());
    QCOMPARE(h.press("IRCONFIGCMD"), CommandOutcome::Positive);
    ConfigurationRecord expected = Record(record.toStdString());
    for (auto& b : expected)
      if (b == '.') b = 0;
    QCOMPARE(h.records.configuration, expected);
    QCOMPARE(h.view.configurations.size(), std::size_t{1});
    QCOMPARE(Lines(h.view.configurations[0]), Lines(ConfigurationValueTexts(expected)));
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(DeviceIdentityTest)
#include "device_identity_test.moc"
