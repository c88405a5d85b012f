// The contactless operations against the in-process simulated unit with a
// card at the RF station: what an operator does with each kind of card.
#include <QtTest>

#include "model/control.h"
#include "rf_fakes.h"
#include "sim_rig.h"

using namespace kdx;
using namespace kdx::test;

namespace {

const std::string kOk = "\r\nExecute OK\r\n9000";

// The unit with a card of kind `card` ("CONTACT/CONTACTLESS") at the RF
// station, and the RF CARD tab as the window loads it.
struct RfSim : SimRig {
  FakeRfView view;
  RfContext context{session, view};

  explicit RfSim(const char* card) {
    control(std::string("card ") + card);
    control("place rf");
  }
  void control(const std::string& line) { QVERIFY(sim::ApplyControl(model, line).ok); }
  CommandOutcome press(std::string_view name) {
    return RunRfOperation(context, *FindRfOperation(name));
  }
  std::string lastText() const { return messages.boxes.back().text; }
  std::string lastTitle() const { return messages.boxes.back().title; }
};

}  // namespace

class RfScenarioTest : public QObject {
  Q_OBJECT
 private slots:
  void loadKeyThenReadModifyWriteABlock() {
    RfSim r("20/s50");
    r.press("RFCardUPBtn");
    // Nothing authenticated yet: the card refuses with 6F01.
    r.press("RFreadBtn");
    QCOMPARE(r.lastText(), std::string("Read block data\r\n\r\n6F01"));
    r.press("StoreKeyToEEBtn");
    QCOMPARE(r.lastText(), std::string("Download password to EEPROM \r\nExxcute OK\r\n9000"));
    r.press("ReadKeyFromEEBtn");
    QCOMPARE(r.lastText(), "Load password from the EEPROM " + kOk);
    r.view.in.block = 0x02;
    r.press("RFreadBtn");
    QCOMPARE(r.lastText(), "Read block data" + kOk);
    QCOMPARE(r.view.block.text(0), std::string("00"));
    // Modify what was read and write it back.
    for (int i = 0; i < 16; ++i) r.view.in.blockCells.setText(i, r.view.block.text(i));
    r.view.in.blockCells.setText(0, "12");
    r.view.in.blockCells.setText(15, "EF");
    r.press("RFwriteBtn");
    QCOMPARE(r.lastText(), "Write Block Data" + kOk);
    r.view.block.clearCells();
    r.press("RFreadBtn");
    QCOMPARE(r.view.block.text(0), std::string("12"));
    QCOMPARE(r.view.block.text(1), std::string("00"));
    QCOMPARE(r.view.block.text(15), std::string("EF"));
  }

  void wrongKeyAndChangedKey() {
    RfSim r("20/s50");
    r.press("RFCardUPBtn");
    r.view.in.keyCells.setText(0, "00");
    r.press("RFCheckPasswordBtn");
    QCOMPARE(r.lastText(), std::string("Check Password\r\n\r\n6F01"));
    r.view.in.keyCells.setText(0, "FF");
    r.press("RFCheckPasswordBtn");
    QCOMPARE(r.lastText(), "Check Password" + kOk);
    // Key A of sector 01 becomes 11FFFFFFFFFF; the old key then fails.
    r.view.in.keyCells.setText(0, "11");
    r.press("RFChangePasswordBtn");
    QCOMPARE(r.lastText(), "Change Password" + kOk);
    r.view.in.keyCells.setText(0, "FF");
    r.press("RFCheckPasswordBtn");
    QCOMPARE(r.lastText(), std::string("Check Password\r\n\r\n6F01"));
    // The trailer reads key A as zeros.
    r.view.in.keyCells.setText(0, "11");
    r.press("RFCheckPasswordBtn");
    r.view.in.block = 0x03;
    r.press("RFreadBtn");
    QCOMPARE(r.view.block.text(0), std::string("00"));
    QCOMPARE(r.view.block.text(6), std::string("FF"));
    QCOMPARE(r.view.block.text(7), std::string("07"));
  }

  void purseArithmetic() {
    RfSim r("20/s50");
    r.press("RFCardUPBtn");
    r.press("RFCheckPasswordBtn");
    r.view.in.purseBlock = 0x01;
    r.press("INCRFCmd");
    QCOMPARE(r.lastText(), std::string("Increment\r\nExecute Error\r\n6F00"));  // not a value block
    r.view.in.purseValue = "1000";
    r.press("INITRFCmd");
    QCOMPARE(r.lastText(), "Initialize success" + kOk);
    r.view.in.purseValue = "500";
    r.press("INCRFCmd");
    QCOMPARE(r.lastText(), "Increment" + kOk);
    r.view.in.purseValue = "200";
    r.press("DECRFCmd");
    QCOMPARE(r.lastText(), "Decrement" + kOk);
    r.press("ReadValueRfCmd");
    QCOMPARE(r.lastText(), "Read success" + kOk);
    QCOMPARE(r.view.purseWrites, std::vector<std::string>{"1300"});
    r.view.in.purseValue = "1301";
    r.press("DECRFCmd");
    QCOMPARE(r.lastText(), std::string("Decrement\r\nExecute Error\r\n6F00"));
    r.press("ReadValueRfCmd");
    QCOMPARE(r.view.purseWrites.back(), std::string("1300"));
  }

  void ultralightLockedPageRefusesAWrite() {
    RfSim r("-/ultralight");
    r.press("RFCardUPBtn");
    r.view.fillPageCells("AB");
    r.press("ULCmdRwrite");
    QCOMPARE(r.lastText(), "Write Block Data" + kOk);
    r.press("ULCmdRread");
    QCOMPARE(r.view.page.text(3), std::string("AB"));
    // Lock byte 0 bit 4 locks page 4, after the question.
    r.view.in.page = 0x02;
    r.view.setCells(r.view.in.pageCells, {"00", "00", "10", "00"});
    r.press("ULCmdRwrite");
    QVERIFY(r.messages.boxes[r.messages.boxes.size() - 2].question);
    QCOMPARE(r.lastText(), "Write Block Data" + kOk);
    r.view.in.page = 0x04;
    r.view.fillPageCells("CD");
    r.press("ULCmdRwrite");
    QCOMPARE(r.lastText(), std::string("Write Block Data\r\nExecute Error\r\n6F00"));
    r.press("ULCmdRread");
    QCOMPARE(r.view.page.text(0), std::string("AB"));
    // The serial number pages read back as the activation showed them.
    r.view.in.page = 0x00;
    r.press("ULCmdRread");
    QCOMPARE(r.view.page.text(0) + r.view.page.text(1) + r.view.page.text(2),
             std::string("045A6B"));
  }

  void getChallengeAndSelect() {
    RfSim r("-/typea");
    r.press("RFCardUPBtn");
    r.view.in.apduA = "0084000008";
    QCOMPARE(r.press("SendTypeACmd"), CommandOutcome::Positive);
    QCOMPARE(r.lastTitle(), std::string("C-APDU"));
    QCOMPARE(r.lastText(), std::string("Success"));
    QCOMPARE(r.view.responseA.size(), std::size_t{20});
    QVERIFY(r.view.responseA.ends_with("9000"));
    const std::string first = r.view.responseA;
    r.press("SendTypeACmd");
    QVERIFY(r.view.responseA != first);
    r.view.in.apduA = "00A40000022F00";
    r.press("SendTypeACmd");
    QCOMPARE(r.view.responseA, std::string("6A82"));
    QCOMPARE(r.lastText(), std::string("Success"));

    RfSim b("-/typeb");
    b.view.in.protocol = "Type B(Only)";
    b.press("RFCardUPBtn");
    b.press("SendTypeBCmd");
    QCOMPARE(b.view.responseB, std::string("9000"));
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(RfScenarioTest)
#include "rf_scenario_test.moc"
