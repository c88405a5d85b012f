// The CPU card and SAM windows' operations against the in-process simulated
// unit: each button of both windows on T=0, T=1 and EMV-refusing cards and
// on the SAM sockets, with the device's refusals.
#include <QtTest>

#include "cpu_card_fakes.h"
#include "model/control.h"

using namespace kdx;
using namespace kdx::test;
using sim::CardPosition;

namespace {

const auto kCpu = CpuCardWindow::Cpu;
const auto kSam = CpuCardWindow::Sam;
const std::string kSlow = "The card has been activated, working frequency of 3.57 MHZ";
const std::string kFast = "The card has been activated, working frequency of 7.16 MHZ";
const std::string kOff = "Card is not activated";
const std::string kDirectoryFci = "6F12840E315041592E5359532E4444463031A500";
const std::string kSuccessCn = "\xE6\x88\x90\xE5\x8A\x9F";

// A simulated unit with a card of contact type `code` at the IC station.
struct Station : CpuCardSim {
  explicit Station(std::string code = "10") {
    auto& s = model.state();
    s.initialized = true;
    if (!code.empty()) s.placeCard(CardPosition::IcStation, sim::Card{sim::ContactFace{code}, {}});
  }
  // Presses `control` and returns the title and text of the one box shown.
  std::pair<std::string, std::string> box(CpuCardWindow window, std::string_view control) {
    messages.boxes.clear();
    press(window, control);
    if (messages.boxes.size() != 1) return {"boxes:", std::to_string(messages.boxes.size())};
    return {messages.boxes[0].title, messages.boxes[0].text};
  }
  std::string apdu(CpuCardWindow window, std::string_view text) {
    view.in.apduText = text;
    messages.boxes.clear();
    press(window, window == kCpu ? "SendCmdBtn" : "SendCmd");
    return view.responseText;
  }
};

using Box = std::pair<std::string, std::string>;

}  // namespace

class SimCpuSamTest : public QObject {
  Q_OBJECT
 private slots:
  // Every CPU window button on the T=0 card.
  void cpuCardT0() {
    Station st("10");
    QCOMPARE(st.box(kCpu, "CheckStatusBtn"), Box("Card Status", kOff));
    QCOMPARE(st.box(kCpu, "CPUColdResetBtn"), Box("Cold Reset", "Cold Reset Success(T=0)"));
    QCOMPARE(st.view.resetText, std::string("3B6800004350552D54300100"));
    QCOMPARE(st.box(kCpu, "CheckStatusBtn"), Box("Card Status", kSlow));
    QCOMPARE(st.apdu(kCpu, "00A40000023F00"), std::string("9000"));
    QCOMPARE(st.messages.boxes[0].title, std::string("C-APDU"));
    QCOMPARE(st.messages.boxes[0].text, std::string("Success"));
    const std::string challenge = st.apdu(kCpu, "0084000008");
    QCOMPARE(challenge.size(), std::size_t{20});
    QVERIFY(challenge.ends_with("9000"));
    QCOMPARE(st.apdu(kCpu, "00A404000E315041592E5359532E4444463031"), std::string("6114"));
    QCOMPARE(st.apdu(kCpu, "00C0000018"), std::string("6C14"));
    QCOMPARE(st.apdu(kCpu, "00C0000014"), kDirectoryFci + "9000");
    QCOMPARE(st.apdu(kCpu, "00A40000022F01"), std::string("6A82"));
    QCOMPARE(st.apdu(kCpu, "00CA9F7F00"), std::string("6D00"));
    QCOMPARE(st.apdu(kCpu, "0084000009"), std::string("6700"));
    QCOMPARE(st.box(kCpu, "CPUWarmResetBtn"), Box("Warm Reset", "Warm Reset Success(T=0)"));
    QCOMPARE(st.view.resetText, std::string("3B6800004350552D54300100"));
    QCOMPARE(st.box(kCpu, "CheckStatusBtn"), Box("Card Status", kFast));
    QCOMPARE(st.box(kCpu, "DownBtn"), Box("Deactivate", "Deactivate Success"));
    QCOMPARE(st.box(kCpu, "CheckStatusBtn"), Box("Card Status", kOff));
    // Nothing for an unpowered card.
    st.view.in.apduText = "0084000008";
    QCOMPARE(st.box(kCpu, "SendCmdBtn"),
             Box("Negative response:65",
                 "HOST sends command for IC card communication before receiving ATR"));
    QCOMPARE(st.box(kCpu, "CPUWarmResetBtn").first, std::string("Negative response:65"));
  }

  void cpuCardT1() {
    Station st("11");
    st.view.in.emvActivation = false;
    QCOMPARE(st.box(kCpu, "CPUColdResetBtn"), Box("Cold Reset", "Cold Reset Success(T=1)"));
    QCOMPARE(st.view.resetText, std::string("3B888131FE454350552D543101008C"));
    QCOMPARE(st.apdu(kCpu, "00A404000E315041592E5359532E4444463031"), kDirectoryFci + "9000");
  }

  // The EMV2000 activation refused with "69", protocol and ATR; the
  // ISO/IEC 7816-3 activation powers the card.
  void emvRefusingCard() {
    Station st;
    QVERIFY(sim::ApplyControl(st.model, "card isocpu/-").ok);
    QCOMPARE(st.box(kCpu, "CPUColdResetBtn"),
             Box("Negative response:69",
                 "Tried to communicate with IC card not supported in Protocol EMV2000.\r\nT=1"));
    QCOMPARE(st.view.resetText, std::string("3F96188131FE4549534F2D543198"));
    QCOMPARE(st.box(kCpu, "CheckStatusBtn"), Box("Card Status", kOff));
    st.view.in.emvActivation = false;
    QCOMPARE(st.box(kCpu, "CPUColdResetBtn"), Box("Cold Reset", "Cold Reset Success(T=1)"));
    QCOMPARE(st.box(kCpu, "CheckStatusBtn"), Box("Card Status", kSlow));
  }

  void icStationRefusals_data() {
    QTest::addColumn<QString>("code");  // empty: no card at the station
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::newRow("no card") << ""
                             << "Negative response:02"
                             << "Command execution is impossible";
    QTest::newRow("memory card") << "20"
                                 << "Negative response:61"
                                 << "Receiving error of ATR";
  }
  void icStationRefusals() {
    QFETCH(QString, code);
    QFETCH(QString, title);
    QFETCH(QString, text);
    Station st(code.toStdString());
    for (const char* button : {"CPUColdResetBtn", "CPUWarmResetBtn", "SendCmdBtn"}) {
      QCOMPARE(st.box(kCpu, button), Box(title.toStdString(), text.toStdString()));
    }
    QCOMPARE(st.box(kCpu, "CheckStatusBtn"), Box("Card Status", kOff));
    QCOMPARE(st.box(kCpu, "DownBtn"), Box("Deactivate", "Deactivate Success"));
  }

  // Moving the card releases the contacts; initialize powers everything down.
  void movesAndInitializePowerDown() {
    Station st;
    st.box(kCpu, "CPUColdResetBtn");
    Reply reply;
    st.run('2', '0', reply);
    st.run('2', '1', reply);
    QCOMPARE(st.box(kCpu, "CheckStatusBtn"), Box("Card Status", kOff));
    st.box(kCpu, "CPUColdResetBtn");
    st.box(kSam, "SimColdReset");
    st.run('0', '3', reply);
    QCOMPARE(st.box(kCpu, "CheckStatusBtn"), Box("Card Status", kOff));
    QCOMPARE(st.box(kSam, "CheckStatusBtn"),
             Box("Card Status", kOff + "\r\nCurrent SAM card is  No.1 "));
  }

  // Every SAM window button, over two sockets.
  void samSockets() {
    Station st;
    QCOMPARE(st.box(kSam, "SelectSamCmd"), Box("Choose SAM", "Choose SAM Success"));
    QCOMPARE(st.box(kSam, "SimColdReset"), Box("Cold Reset", "Cold Reset Success(T=0)"));
    QCOMPARE(st.view.resetText, std::string("3B66000053414D315430"));
    QCOMPARE(st.box(kSam, "CheckStatusBtn"),
             Box("Card Status", kSlow + "\r\nCurrent SAM card is  No.1 "));
    const std::string challenge = st.apdu(kSam, "0084000008");
    QCOMPARE(challenge.size(), std::size_t{20});
    QCOMPARE(st.messages.boxes[0].text, kSuccessCn);
    QCOMPARE(st.apdu(kSam, "00A404000E315041592E5359532E4444463031"), std::string("6114"));

    st.view.in.socketText = "SAM 2";
    QCOMPARE(st.box(kSam, "SelectSamCmd"), Box("Choose SAM", "Choose SAM Success"));
    QCOMPARE(st.box(kSam, "CheckStatusBtn"),
             Box("Card Status", kOff + "\r\nCurrent SAM card is  No.2"));
    QCOMPARE(st.box(kSam, "SimWarmReset").first, std::string("Negative response:65"));
    QCOMPARE(st.box(kSam, "SimColdReset"), Box("Cold Reset", "Cold Reset Success(T=1)"));
    QCOMPARE(st.view.resetText, std::string("3B868131FE4553414D32543185"));
    QCOMPARE(st.box(kSam, "SimWarmReset"), Box("Warm Reset", "Warm Reset Success(T=1)"));
    QCOMPARE(st.box(kSam, "CheckStatusBtn"),
             Box("Card Status", kFast + "\r\nCurrent SAM card is  No.2"));
    QCOMPARE(st.box(kSam, "Down"), Box("Deactivate", "Deactivate Success"));
    QCOMPARE(st.box(kSam, "CheckStatusBtn"),
             Box("Card Status", kOff + "\r\nCurrent SAM card is  No.2"));
    // SAM 1 stayed powered while SAM 2 was in use.
    st.view.in.socketText = "SAM 1";
    st.box(kSam, "SelectSamCmd");
    QCOMPARE(st.box(kSam, "CheckStatusBtn"),
             Box("Card Status", kSlow + "\r\nCurrent SAM card is  No.1 "));
  }

  void samRefusals_data() {
    QTest::addColumn<QString>("socket");
    QTest::addColumn<QString>("control");  // applied before
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    const QString data = "Command data error";
    QTest::newRow("beyond the count") << "SAM 3"
                                      << ""
                                      << "Negative response:04" << data;
    QTest::newRow("SAM 14") << "SAM 14"
                            << "sams 5"
                            << "Negative response:04" << data;
    QTest::newRow("no sockets") << "SAM 1"
                                << "sams 0"
                                << "Negative response:04" << data;
    QTest::newRow("empty socket") << "SAM 2"
                                  << "sam 2 out"
                                  << "Negative response:02"
                                  << "Command execution is impossible";
  }
  void samRefusals() {
    QFETCH(QString, socket);
    QFETCH(QString, control);
    QFETCH(QString, title);
    QFETCH(QString, text);
    Station st;
    if (!control.isEmpty()) QVERIFY(sim::ApplyControl(st.model, control.toStdString()).ok);
    st.view.in.socketText = socket.toStdString();
    QCOMPARE(st.box(kSam, "SelectSamCmd"), Box(title.toStdString(), text.toStdString()));
  }

  // A SAM taken out of the socket in use: nothing to talk to.
  void samTakenOut() {
    Station st;
    st.box(kSam, "SimColdReset");
    QVERIFY(sim::ApplyControl(st.model, "sam 1 out").ok);
    QCOMPARE(st.box(kSam, "SimColdReset").first, std::string("Negative response:02"));
    QVERIFY(sim::ApplyControl(st.model, "sam 1 in").ok);
    QCOMPARE(st.box(kSam, "SimColdReset").second, std::string("Cold Reset Success(T=0)"));
    QVERIFY(!sim::ApplyControl(st.model, "sam 6 in").ok);
    QVERIFY(!sim::ApplyControl(st.model, "sam 1").ok);
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(SimCpuSamTest)
#include "sim_cpu_sam_test.moc"
