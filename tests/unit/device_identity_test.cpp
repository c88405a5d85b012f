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
    LinkHarness h;
    FakeDeviceViews views;
    AnswerEveryCommand(h,
                       "P\xA2"
                       "0000  KDX846-0042 ");
    QCOMPARE(RunReadSerialNumber(h.session, views), CommandOutcome::Positive);
    QCOMPARE(SentCommands(h), std::vector<Bytes>{Hex("F2 00 00 04 43 A2 30 12 03 36")});
    QCOMPARE(h.state.serialNumber, std::string("  KDX846-0042 "));
    QCOMPARE(views.serialNumbers, std::vector<std::string>{"KDX846-0042"});
    QVERIFY(h.messages.boxes.empty());
  }

  void configurationTexts_data() {
    QTest::addColumn<QString>("record");  // '.' for a byte the reply did not carry
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("full") << "7V12ER2231"
                          << QStringList{"KDX-846",
                                         "V12",
                                         "Supports RF and contactless IC card Read/Write",
                                         "RS-232 Interface",
                                         "KDX Standard IC Card Read/Write Module",
                                         "KDX Standard RF Card Read/Write Module",
                                         "Support three SAM card operation",
                                         "Drawing card issuer Components"};
    QTest::newRow("none fitted") << "5abc0U0000"
                                 << QStringList{"",
                                                "abc",
                                                "No read-write card function",
                                                "USB Interface",
                                                "No IC Card Read/Write Module",
                                                "No RF Card Read/Write Module",
                                                "No SAM card operation functions",
                                                "Rub card issuer Components"};
    QTest::newRow("third party") << "7123IR1151"
                                 << QStringList{
                                        "KDX-846",
                                        "123",
                                        "Only supports contactless IC card Read/Write",
                                        "RS-232 Interface",
                                        "There IC card contacts components, for the third-party ",
                                        "There RF card contacts components, for the third-party ",
                                        "Support five SAM card operation",
                                        "Drawing card issuer Components"};
    QTest::newRow("IC 2, RF 0, interface X")
        << "7123CX2042"
        << QStringList{"KDX-846",
                       "123",
                       "Only supports RF Card Read/Write",
                       "",
                       "KDX Standard IC Card Read/Write Module",
                       "No RF Card Read/Write Module",
                       "Support four SAM card operation",
                       ""};
    QTest::newRow("undefined values")
        << "8123X?3362" << QStringList{"", "123", "", "", "", "", "", ""};
    QTest::newRow("SAM one, two") << "7000ER0010"
                                  << QStringList{"KDX-846",
                                                 "000",
                                                 "Supports RF and contactless IC card Read/Write",
                                                 "RS-232 Interface",
                                                 "No IC Card Read/Write Module",
                                                 "No RF Card Read/Write Module",
                                                 "Support for one SAM card operation",
                                                 "Rub card issuer Components"};
    QTest::newRow("SAM two") << "7000ER0020"
                             << QStringList{"KDX-846",
                                            "000",
                                            "Supports RF and contactless IC card Read/Write",
                                            "RS-232 Interface",
                                            "No IC Card Read/Write Module",
                                            "No RF Card Read/Write Module",
                                            "Support two SAM card operation",
                                            "Rub card issuer Components"};
    QTest::newRow("four bytes") << "7V1......."
                                << QStringList{"KDX-846", "V1", "", "", "", "", "", ""};
  }
  void configurationTexts() {
    QFETCH(QString, record);
    QFETCH(QStringList, lines);
    ConfigurationRecord r = Record(record.toStdString());
    for (auto& b : r)
      if (b == '.') b = 0;
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
    LinkHarness h;
    FakeDeviceViews views;
    h.state.configuration = Record("7999ER2251");  // an earlier reply
    const std::string text =
        "P\xA3"
        "0000" +
        data.toStdString();
    // Whatever the check byte is, it is not configuration.
    AnswerEveryCommand(h, text);
    QCOMPARE(RunReadConfiguration(h.session, views), CommandOutcome::Positive);
    ConfigurationRecord expected = Record(record.toStdString());
    for (auto& b : expected)
      if (b == '.') b = 0;
    QCOMPARE(h.state.configuration, expected);
    QCOMPARE(views.configurations.size(), std::size_t{1});
    QCOMPARE(Lines(views.configurations[0]), Lines(ConfigurationValueTexts(expected)));
  }
};

QTEST_GUILESS_MAIN(DeviceIdentityTest)
#include "device_identity_test.moc"
