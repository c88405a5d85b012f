// Contact memory cards in the simulated unit: power, status and the card
// commands through the device, the negative replies, and scenarios run with
// the tabs' operations against the simulated cards.
#include <QtTest>

#include "contact_fakes.h"
#include "model/control.h"
#include "sim_rig.h"

using namespace kdx;
using namespace kdx::test;
using sim::CardPosition;

namespace {

void PlaceCard(SimRig& rig, const char* typeCode, CardPosition where = CardPosition::IcStation) {
  rig.model.state().initialized = true;
  rig.model.state().placeCard(where, sim::Card{sim::ContactFace{typeCode}, std::nullopt});
}

// The reply's data as hex, or "N" and the error code of a negative reply.
std::string Send(SimRig& rig, const std::string& step) {
  Reply reply;
  rig.run(std::uint8_t(step[0]), std::uint8_t(step[1]), Hex(step.substr(2)), reply);
  if (reply.negative()) return std::string("N") + char(reply.at(3)) + char(reply.at(4));
  return HexBytes(reply.data());
}

// The operations of one tab, with the tab's initial fields, against the
// simulated unit; press() gives the text of the box the button showed.
template <class Inputs, const OperationRow<MemoryCardContext<Inputs>>* (*Find)(std::string_view)>
struct SimTab : SimRig {
  FakeMemoryCardView<Inputs> view;
  MemoryCardContext<Inputs> context{session, view};

  std::string press(std::string_view control) {
    messages.boxes.clear();
    RunOperation(context, *Find(control));
    return messages.boxes.empty() ? "" : messages.boxes.back().text;
  }
};

struct Sle4442Sim : SimTab<Sle4442Inputs, FindSle4442Operation> {
  Sle4442Sim() { view.fields = {"00", "80", "FF", "FF", "FF"}; }
};

const std::string kWrongPsc = "Verification Password error\r\n6F01";
const std::string kScrapped =
    "Card has been scrapped (password validation error over the number of cards permit "
    "error)\r\n6F02";

}  // namespace

class SimContactMemoryTest : public QObject {
  Q_OBJECT
 private slots:
  // Each row: the card at the IC station and a run of commands ("S0" and
  // hex data) with the reply data or error code each must get.
  void deviceCommands_data() {
    QTest::addColumn<QString>("card");
    QTest::addColumn<QStringList>("steps");
    QTest::newRow("no card")
        << ""
        << QStringList{"S0>N02", "T0 30>N02", "S2>30", "T2>30", "S3 00 B0 00 00 01>N65", "S1>"};
    QTest::newRow("card at the front") << "front" << QStringList{"S0>N02", "S4 00 B0 00 00 01>N65"};
    QTest::newRow("CPU card") << "10" << QStringList{"S0>N61", "T0 30>N61", "S2>30"};
    QTest::newRow("SLE4442") << "20"
                             << QStringList{"S3 00 B0 00 00 01>N65",
                                            "T0 30>N61",
                                            "S0>A2 13 10 91",
                                            "S2>31",
                                            "T2>30",
                                            "S3 00 B0 00 00 02>A2 13 90 00",
                                            "S4 00 B0 00 00 01>N62",
                                            "T3 00 B0 00 00 01>N62",
                                            "S1>",
                                            "S2>30",
                                            "S3 00 B0 00 00 01>N65"};
    QTest::newRow("SLE4428") << "21"
                             << QStringList{
                                    "S0>92 23 10 91",        "S2>32", "S4 00 B0 03 FF 01>FF 90 00",
                                    "S3 00 B0 00 00 01>N62", "S1>",   "S2>30"};
    QTest::newRow("24C01") << "30"
                           << QStringList{"S0>N61",
                                          "T0 30>31",
                                          "T2>31",
                                          "S2>30",
                                          "T3 00 B0 00 7F 01>FF 90 00",
                                          "T3 00 B0 00 80 01>6B 00",
                                          "S3 00 B0 00 00 01>N62",
                                          "S1>",
                                          "T2>30",
                                          "T3 00 B0 00 00 01>N65"};
    QTest::newRow("24C512") << "39" << QStringList{"T0>3A", "T2>3A", "T3 00 B0 FF FF 01>FF 90 00"};
    QTest::newRow("unknown parameters") << "20" << QStringList{"S5>N01", "T1>N01"};
  }
  void deviceCommands() {
    QFETCH(QString, card);
    QFETCH(QStringList, steps);
    SimRig rig;
    if (card == "front") {
      PlaceCard(rig, "20", CardPosition::Front);
    } else if (!card.isEmpty()) {
      PlaceCard(rig, qPrintable(card));
    }
    for (const QString& step : steps) {
      const std::string command = step.section('>', 0, 0).remove(' ').toStdString();
      QCOMPARE(QString::fromStdString(Send(rig, command)), step.section('>', 1));
    }
  }

  // A card that leaves the IC station loses power and the PSC presented.
  void movingTheCardPowersItDown() {
    SimRig rig;
    PlaceCard(rig, "20");
    QCOMPARE(Send(rig, "S0"), std::string("A2 13 10 91"));
    QCOMPARE(Send(rig, "S3 00 20 03 01 03 FF FF FF"), std::string("90 00"));
    QCOMPARE(Send(rig, "29"), std::string(""));
    QCOMPARE(Send(rig, "21"), std::string(""));
    QCOMPARE(Send(rig, "S2"), std::string("30"));
    QCOMPARE(Send(rig, "S0"), std::string("A2 13 10 91"));
    QCOMPARE(Send(rig, "S3 00 D0 00 40 01 12"), std::string("6F 01"));
    // The card keeps its memory while it stays in the channel.
    QCOMPARE(Send(rig, "S3 00 20 03 01 03 FF FF FF"), std::string("90 00"));
    QCOMPARE(Send(rig, "S3 00 D0 00 40 01 12"), std::string("90 00"));
    QCOMPARE(Send(rig, "03"), std::string("4B 44 58 2D 38 34 36 20 56 31 2E 30 31"));  // card stays
    QCOMPARE(Send(rig, "S2"), std::string("30"));
    QCOMPARE(Send(rig, "S0"), std::string("A2 13 10 91"));
    QCOMPARE(Send(rig, "S3 00 B0 00 40 01"), std::string("12 90 00"));
  }

  // The control line that puts a card where the test or the demo wants it.
  void placeControl() {
    SimRig rig;
    QVERIFY(sim::ApplyControl(rig.model, "card sle4428/-").ok);
    QVERIFY(sim::ApplyControl(rig.model, "place ic").ok);
    QCOMPARE(Send(rig, "S0"), std::string("92 23 10 91"));
    QVERIFY(sim::ApplyControl(rig.model, "place front").ok);
    QCOMPARE(Send(rig, "S2"), std::string("30"));
    QCOMPARE(Send(rig, "S0"), std::string("N02"));
    QVERIFY(sim::ApplyControl(rig.model, "place none").ok);
    QVERIFY(!rig.model.state().channelCard);
    QVERIFY(!sim::ApplyControl(rig.model, "place bin").ok);
    QCOMPARE(rig.model.state().stackerCount, 50);  // cards placed come from outside
  }

  void sle4442WrongPscsLockTheCard() {
    Sle4442Sim tab;
    PlaceCard(tab, "20");
    QCOMPARE(tab.press("SiemensICUp1"), std::string("SLE4442 Activate success"));
    tab.view.fields.password2 = "00";
    for (const char* counter : {"06", "04", "00"}) {
      QCOMPARE(tab.press("SL4442Pass"), kWrongPsc);
      QCOMPARE(tab.press("SL4442ReadAnquan"),
               "Execute OK\r\n" + std::string(counter) + "000000\r\n9000");
    }
    tab.view.fields.password2 = "FF";
    QCOMPARE(tab.press("SL4442Pass"), kScrapped);
    tab.view.fields.length = "01";
    tab.view.grid.fill("55");
    QCOMPARE(tab.press("SL4442WriteCenChu"), kScrapped);
    QCOMPARE(tab.press("SL4442Change"), kScrapped);
    QCOMPARE(tab.press("SL4442ReadCenChu"), std::string("Execute OK\r\n9000"));
    QCOMPARE(tab.view.grid.cells[0], std::string("A2"));
  }

  void sle4442ProtectedByteStaysAsItIs() {
    Sle4442Sim tab;
    PlaceCard(tab, "20");
    tab.press("SiemensICUp1");
    QCOMPARE(tab.press("SL4442Pass"), std::string("Execute OK\r\n9000"));
    tab.view.fields = {"00", "04", "FF", "FF", "FF"};
    tab.view.grid.fill("00 00 00 00");
    QCOMPARE(tab.press("SL4442WriteCenChu"), std::string("Execute Error\r\n6F00"));
    QCOMPARE(tab.press("SL4442ReadCenChu"), std::string("Execute OK\r\n9000"));
    QCOMPARE(tab.view.grid.cells[0] + tab.view.grid.cells[3], std::string("A291"));
    // Protecting a byte of the first 32 fixes it.
    tab.view.fields = {"1F", "01", "FF", "FF", "FF"};
    tab.view.grid.fill("5A");
    QCOMPARE(tab.press("SL4442WriteCenChu"), std::string("Execute OK\r\n9000"));
    QCOMPARE(tab.press("SL4442WriteBaoHu"), std::string("Execute OK\r\n9000"));
    tab.view.grid.fill("A5");
    QCOMPARE(tab.press("SL4442WriteCenChu"), std::string("Execute Error\r\n6F00"));
    QCOMPARE(tab.press("SL4442ReadCenChu"), std::string("Execute OK\r\n9000"));
    QCOMPARE(tab.view.grid.cells[0], std::string("5A"));
  }
};

#include "test_main.h"
KDX_TEST_GUILESS_MAIN(SimContactMemoryTest)
#include "sim_contact_memory_test.moc"
