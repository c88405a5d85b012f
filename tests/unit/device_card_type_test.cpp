// Card type detection: every code of both tables, the codes outside them,
// the trimmed code, and the tabs each brings to the front.
#include <QtTest>

#include "device/card_type.h"
#include "device_fakes.h"

using namespace kdx;
using namespace kdx::test;

Q_DECLARE_METATYPE(std::vector<kdx::TabStop>)

namespace {

using Stops = std::vector<TabStop>;

const Stops kS50{{"SSTab1", 0}, {"SSTab3", 0}, {"SSTab4", 0}};
const Stops kUl{{"SSTab1", 0}, {"SSTab3", 0}, {"SSTab4", 1}};
const Stops kCpu{{"SSTab1", 1}, {"SSTab2", 0}};
const Stops k24{{"SSTab1", 1}, {"SSTab2", 4}};

}  // namespace

class DeviceCardTypeTest : public QObject {
  Q_OBJECT
 private slots:
  void codes_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("text");
    QTest::addColumn<Stops>("tabs");
    const QString rf = "RFTestTypeCmd";
    const QString ic = "ICTestTypeCmd";
    QTest::newRow("RF 00") << rf << QByteArray("00") << "Unknow Type" << Stops{};
    QTest::newRow("RF 10") << rf << QByteArray("10") << "S50 card" << kS50;
    QTest::newRow("RF 11") << rf << QByteArray("11") << "S70 card" << kS50;
    QTest::newRow("RF 12") << rf << QByteArray("12") << "Ultralight card" << kUl;
    QTest::newRow("RF 20") << rf << QByteArray("20") << "Type A CPU"
                           << Stops{{"SSTab1", 0}, {"SSTab3", 1}};
    QTest::newRow("RF 30") << rf << QByteArray("30") << "Type B CPU"
                           << Stops{{"SSTab1", 0}, {"SSTab3", 2}};
    QTest::newRow("RF 99") << rf << QByteArray("99") << "Unknow Error" << Stops{};
    QTest::newRow("RF 21 (an IC code)") << rf << QByteArray("21") << "Unknow Error" << Stops{};
    QTest::newRow("RF ' 1' trimmed") << rf << QByteArray(" 1") << "Unknow Error" << Stops{};
    QTest::newRow("RF one byte") << rf << QByteArray("1") << "Unknow Error" << Stops{};
    QTest::newRow("RF no data") << rf << QByteArray() << "Unknow Error" << Stops{};
    QTest::newRow("IC 00") << ic << QByteArray("00") << "Unknow Type" << Stops{};
    QTest::newRow("IC 10") << ic << QByteArray("10") << "T=0 CPU Card" << kCpu;
    QTest::newRow("IC 11") << ic << QByteArray("11") << "T=1 CPU Card" << kCpu;
    QTest::newRow("IC 20") << ic << QByteArray("20") << "SLE4442 Card"
                           << Stops{{"SSTab1", 1}, {"SSTab2", 1}};
    QTest::newRow("IC 21") << ic << QByteArray("21") << "SLE4428 Card"
                           << Stops{{"SSTab1", 1}, {"SSTab2", 2}};
    const char* sizes[] = {"01", "02", "04", "08", "16", "32", "64", "128", "256"};
    for (int i = 0; i < 9; ++i) {
      const QByteArray code = QByteArray("3") + char('0' + i);
      QTest::newRow(qPrintable("IC " + code))
          << ic << code << QString("24C%1 Card").arg(sizes[i]) << k24;
    }
    QTest::newRow("IC 99") << ic << QByteArray("99") << "Unknow Error" << Stops{};
    QTest::newRow("IC '2 ' trimmed") << ic << QByteArray("2 ") << "Unknow Error" << Stops{};
    QTest::newRow("IC 39") << ic << QByteArray("39") << "Unknow Error" << Stops{};
  }
  void codes() {
    QFETCH(QString, control);
    QFETCH(QByteArray, data);
    QFETCH(QString, text);
    QFETCH(Stops, tabs);
    DeviceHarness h;
    const bool rf = control == "RFTestTypeCmd";
    AnswerEveryCommand(h, std::string("PP") + (rf ? '1' : '0') + "000" + data.toStdString());
    QCOMPARE(h.press(control.toStdString()), CommandOutcome::Positive);
    QCOMPARE(h.messages.boxes.size(), std::size_t{1});
    const std::string first = rf ? "Test RF Type Complete" : "Test IC Type Complete";
    QCOMPARE(h.messages.boxes[0].title, std::string(rf ? "Test RF Type" : "Test IC Type"));
    QCOMPARE(h.messages.boxes[0].text, first + "\r\n" + text.toStdString());
    QCOMPARE(h.messages.boxes[0].icon, Icon::Information);
    QCOMPARE(h.view.tabs.size(), std::size_t(tabs.empty() ? 0 : 1));
    if (!tabs.empty()) QCOMPARE(h.view.tabs[0], tabs);
  }

  void negativeReplyChangesNoTab() {
    DeviceHarness h;
    AnswerEveryCommand(h, "NP163");
    QCOMPARE(h.press("RFTestTypeCmd"), CommandOutcome::Negative);
    QVERIFY(h.view.tabs.empty());
    QCOMPARE(h.messages.boxes.at(0).title, std::string("Negative response:63"));
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(DeviceCardTypeTest)
#include "device_card_type_test.moc"
