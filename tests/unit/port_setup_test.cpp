#include "link/port_setup.h"

#include <QtTest>
#include <cstdlib>

#include "link/frame.h"
#include "link/port_names.h"
#include "link_harness.h"

using namespace kdx;
using namespace kdx::test;

namespace {

struct FakeView : PortSetupView {
  std::string port = "COM1";
  std::string baud = "9600 bits/s";
  std::vector<std::string> statuses;
  std::string focus;
  bool accepted = false;
  std::string portText() override { return port; }
  std::string baudText() override { return baud; }
  void setPortText(const std::string& t) override { port = t; }
  void setBaudText(const std::string& t) override { baud = t; }
  void setScanStatus(const std::string& t) override { statuses.push_back(t); }
  void focusPort() override { focus = "PortCombo"; }
  void focusBaud() override { focus = "BaudCombo"; }
  void accept() override { accepted = true; }
};

// A unit that answers each status command with `reply` (a whole frame).
void Unit(LinkHarness& h, Bytes reply, std::uint8_t ack = kAck) {
  h.line.onWrite = [&h, reply, ack](int, const Bytes& bytes) {
    if (bytes.size() < 9) return;  // the host's ACK
    h.line.deliverIn(5, {ack});
    h.line.deliverIn(10, reply);
  };
}

Bytes WithWrongCheckByte(Bytes frame) {
  frame.back() ^= 0x5A;
  return frame;
}

}  // namespace

class PortSetupTest : public QObject {
  Q_OBJECT
 private slots:
  void texts() {
    QCOMPARE(ParsePortText("COM1"), std::optional<int>(1));
    QCOMPARE(ParsePortText("COM15"), std::optional<int>(15));
    QCOMPARE(ParsePortText("COM16"), std::optional<int>(16));  // the scan can find a unit there
    QVERIFY(!ParsePortText("COM17"));
    QVERIFY(!ParsePortText("com3"));
    QVERIFY(!ParsePortText("COM03"));
    QVERIFY(!ParsePortText("COM0"));
    QVERIFY(!ParsePortText(" COM1"));
    QCOMPARE(ParseBaudText("115200 bits/s"), std::optional<int>(115200));
    QVERIFY(!ParseBaudText("4800 bits/s"));
    QVERIFY(!ParseBaudText("9600"));
  }

  void okOutcomes_data() {
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("baud");
    QTest::addColumn<Bytes>("reply");  // empty: silent unit
    QTest::addColumn<int>("ack");
    QTest::addColumn<bool>("linkOpen");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("focus");
    const Bytes positive = ReplyFrame("P10000");
    QTest::newRow("positive reply") << "COM3"
                                    << "9600 bits/s" << positive << 6 << true << ""
                                    << "";
    QTest::newRow("typed 115200") << "COM3"
                                  << "115200 bits/s" << positive << 6 << true << ""
                                  << "";
    QTest::newRow("negative reply opens too")
        << "COM1"
        << "9600 bits/s" << ReplyFrame("N10B0") << 6 << true << ""
        << "";
    QTest::newRow("other marker opens") << "COM1"
                                        << "9600 bits/s" << ReplyFrame("X10000") << 6 << true << ""
                                        << "";
    Bytes stray = positive;  // bytes after the frame are not part of the reply
    stray.insert(stray.end(), {0x03, 0x7E});
    QTest::newRow("stray bytes after the reply") << "COM1"
                                                 << "9600 bits/s" << stray << 6 << true << ""
                                                 << "";
    QTest::newRow("wrong check byte")
        << "COM1"
        << "9600 bits/s" << WithWrongCheckByte(positive) << 6 << false << "Unit not detected"
        << "";
    QTest::newRow("NAK") << "COM1"
                         << "9600 bits/s" << positive << 0x15 << false << "Unit not detected"
                         << "";
    QTest::newRow("silent") << "COM1"
                            << "9600 bits/s" << Bytes{} << 0 << false << "Unit not detected"
                            << "";
    QTest::newRow("lower-case port")
        << "com3"
        << "9600 bits/s" << positive << 6 << false << "Comm Port Setup Invalid"
        << "PortCombo";
    QTest::newRow("bad rate") << "COM3"
                              << "4800 bits/s" << positive << 6 << false
                              << "Baud Rate Setup Invalid"
                              << "BaudCombo";
  }
  void okOutcomes() {
    QFETCH(QString, port);
    QFETCH(QString, baud);
    QFETCH(Bytes, reply);
    QFETCH(int, ack);
    QFETCH(bool, linkOpen);
    QFETCH(QString, box);
    QFETCH(QString, focus);
    LinkHarness h;
    h.state.linkOpen = true;  // "OK" clears it first
    if (!reply.empty()) Unit(h, reply, static_cast<std::uint8_t>(ack));
    FakeView view;
    view.port = port.toStdString();
    view.baud = baud.toStdString();
    ConfirmPortSetup(h.session, view);
    QCOMPARE(h.state.linkOpen, linkOpen);
    QCOMPARE(view.accepted, linkOpen);
    QCOMPARE(h.line.isOpen(), linkOpen);
    QCOMPARE(QString::fromStdString(view.focus), focus);
    if (box.isEmpty()) {
      QVERIFY(h.messages.boxes.empty());
    } else {
      QCOMPARE(h.messages.boxes.size(), std::size_t{1});
      QVERIFY(h.messages.boxes[0].text.starts_with(box.toStdString()));
      QCOMPARE(h.messages.boxes[0].title, std::string("Caution"));
      QCOMPARE(h.messages.boxes[0].icon, Icon::Exclamation);
    }
    if (linkOpen) QCOMPARE(h.line.lastBaud(), ParseBaudText(baud.toStdString()).value());
  }

  void okMonitorsTheUnitCheck() {
    LinkHarness h;
    const Bytes reply = ReplyFrame("P10000");
    Unit(h, reply);
    FakeView view;
    h.monitor.append("old\r\n");
    ConfirmPortSetup(h.session, view);
    QCOMPARE(h.monitor.text(), "SD: F2 00 00 03 43 31 30 03 B0 \r\nRD: 06\r\nRD: " +
                                   HexBytes(reply) + " \r\nSD: 06\r\n");
    // A failed check ends its lines with CR LF.
    LinkHarness bad;
    Unit(bad, WithWrongCheckByte(reply));
    ConfirmPortSetup(bad.session, view);
    QVERIFY(bad.monitor.text().ends_with("SD: 06\r\n\r\n"));
  }

  // Every failure of the port itself gets a box naming the port, its device
  // and the system's reason; the link stays closed and the dialog open.
  void okReportsPortFailures_data() {
    QTest::addColumn<int>("openError");
    QTest::addColumn<QString>("during");  // what befalls the port in the unit check
    QTest::addColumn<QString>("box");
    const int opens = static_cast<int>(OpenError::None);
    QTest::newRow("missing port")
        << static_cast<int>(OpenError::NoSuchPort) << ""
        << "Comm Port Selection Invalid, Please Select Right Comm. Port\r\n"
           "COM1 (/dev/ttyUSB0): no such thing";
    QTest::newRow("port in use")
        << static_cast<int>(OpenError::InUse) << ""
        << "Comm. Port is Used for Some Equipment, Please Select Other One\r\n"
           "COM1 (/dev/ttyUSB0): no such thing";
    QTest::newRow("other open error")
        << static_cast<int>(OpenError::Other) << ""
        << "Communication port COM1 (/dev/ttyUSB0) could not be opened: no such thing.";
    QTest::newRow("device lost in the check")
        << opens << "lost"
        << "Communication port COM1 (/dev/ttyUSB0) was lost during the unit check: "
           "Input/output error.\r\nCheck the cable and press OK again.";
    QTest::newRow("port error in the check")
        << opens << "error"
        << "Communication port COM1 (/dev/ttyUSB0) failed during the unit check: "
           "Input/output error.";
  }
  void okReportsPortFailures() {
    QFETCH(int, openError);
    QFETCH(QString, during);
    QFETCH(QString, box);
    LinkHarness h;
    h.line.openResult = static_cast<OpenError>(openError);
    h.line.openReason = "no such thing";
    h.line.onWrite = [&h, during](int, const Bytes&) {
      if (during == "lost") h.line.loseDevice();
      if (during == "error") h.line.breakLine();
    };
    FakeView view;
    ConfirmPortSetup(h.session, view);
    QVERIFY(!h.state.linkOpen);
    QVERIFY(!view.accepted);
    QVERIFY(!h.line.isOpen());
    QCOMPARE(h.messages.boxes.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(h.messages.boxes[0].text), box);
    QCOMPARE(h.messages.boxes[0].title, std::string("Caution"));
    QCOMPARE(h.messages.boxes[0].icon, Icon::Exclamation);
  }

  void okRefusesABadAddressBeforeOpening() {
    LinkHarness h;
    h.state.addressText = "G1";
    FakeView view;
    ConfirmPortSetup(h.session, view);
    QCOMPARE(h.line.openCount(), 0);
    QCOMPARE(h.messages.boxes.at(0).text, std::string(kCheckData));
  }

  void scanFindsUnitOnCom2At38400() {
    LinkHarness h;
    std::vector<std::pair<int, int>> tried;
    h.line.onOpen = [&](int port, int baud) {
      tried.emplace_back(port, baud);
      return port <= 3 ? OpenError::None : OpenError::NoSuchPort;
    };
    h.line.onWrite = [&h](int, const Bytes& bytes) {
      if (bytes.size() < 9 || h.line.lastPort() != 2 || h.line.lastBaud() != 38400) return;
      h.line.deliverIn(5, {kAck});
      h.line.deliverIn(10, ReplyFrame("P10000"));
    };
    FakeView view;
    QVERIFY(ScanPorts(h.session, view));
    const std::vector<std::pair<int, int>> expected{{1, 9600},  {1, 19200},  {1, 38400},
                                                    {1, 57600}, {1, 115200}, {2, 9600},
                                                    {2, 19200}, {2, 38400}};
    QCOMPARE(tried, expected);
    QCOMPARE(view.statuses.front(), std::string("Please wait for a while, it is scanning......"));
    QCOMPARE(view.statuses.back(), std::string("Found KDX-846 AT COM2 Baut Rate 38400"));
    QCOMPARE(view.port, std::string("COM2"));
    QCOMPARE(view.baud, std::string("38400 bits/s"));
    QVERIFY(h.line.isOpen());
    QVERIFY(!h.state.linkOpen);         // "OK" confirms
    QVERIFY(h.monitor.text().empty());  // the scan's test is silent
    // Each silent attempt costs the 250 ms wait and no more.
    QCOMPARE(h.clock.nowMs(), std::int64_t{7 * 250 + 250});
  }

  void scanFindingNothing() {
    LinkHarness h;
    int opens = 0;
    h.line.onOpen = [&](int, int) {
      ++opens;
      return OpenError::None;
    };
    FakeView view;
    QVERIFY(!ScanPorts(h.session, view));
    QCOMPARE(opens, 16 * 5);
    QCOMPARE(view.statuses.back(), std::string("No Found KDX-846"));
    QVERIFY(!h.line.isOpen());
    QCOMPARE(view.port, std::string("COM1"));
  }

  void commTestNeedsTheAckWithin250ms() {
    LinkHarness h;
    h.line.onWrite = [&h](int, const Bytes& bytes) {
      if (bytes.size() < 9) return;
      h.line.deliverIn(300, {kAck});
      h.line.deliverIn(310, ReplyFrame("P10000"));
    };
    QVERIFY(!CommTest(h.session));
    LinkHarness bad;
    Unit(bad, WithWrongCheckByte(ReplyFrame("P10000")));
    QVERIFY(!CommTest(bad.session));
    LinkHarness good;
    Unit(good, ReplyFrame("N1001"));
    QVERIFY(CommTest(good.session));
    QCOMPARE(good.line.writes().back().bytes, Bytes{kAck});
  }

  // COMn names a serial device unless KDX846_COMn points elsewhere.
  void portPaths() {
    ::unsetenv("KDX846_COM3");
    QCOMPARE(ResolvePortPath(3), std::string("/dev/ttyS2"));
    QCOMPARE(ResolvePortPath(13), std::string("/dev/ttyS12"));
    ::setenv("KDX846_COM3", "/tmp/kdx-sim/port", 1);
    QCOMPARE(ResolvePortPath(3), std::string("/tmp/kdx-sim/port"));
    ::setenv("KDX846_COM3", "", 1);
    QCOMPARE(ResolvePortPath(3), std::string("/dev/ttyS2"));
    ::unsetenv("KDX846_COM3");
  }

  void closeLinkClearsTheFlagEvenWhenClosed() {
    LinkHarness h;
    h.state.linkOpen = true;
    CloseLink(h.session);
    QVERIFY(!h.state.linkOpen);
    QVERIFY(!h.line.isOpen());
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(PortSetupTest)
#include "port_setup_test.moc"
