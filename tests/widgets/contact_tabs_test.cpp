// The SLE4442, SLE4428 and 24CXX tabs: their controls, and every button
// pressed in the main window against the in-process simulated unit with a
// card of the family at the IC station.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include "typing.h"
#include "ui/widgets/byte_grid.h"
#include "ui/widgets/key_filter_installer.h"
#include "window_harness.h"

using namespace kdx;
using namespace kdx::test;

namespace {

// One press of a button: the fields it changes first ("name=value"), the
// grid cells from 0 ("12 34"; empty leaves the grid), the frame that must go
// out ("" for none), the box it must show and the grid it must leave ("" for
// not checked, "-" for all empty).
struct Step {
  const char* button;
  QStringList fields;
  const char* cells;
  const char* frame;
  const char* title;
  const char* text;
  const char* grid = "";
};

// A simulated unit with a card of type `typeCode` at the IC station.
void PlaceCard(SimWindow& w, const char* typeCode) {
  auto& s = w.model.state();
  s.initialized = true;
  s.placeCard(sim::CardPosition::IcStation, sim::Card{sim::ContactFace{typeCode}, std::nullopt});
}

std::vector<std::string> Frames(const SimWindow& w) {
  std::vector<std::string> frames;
  for (const auto& t : w.line.traffic()) {
    if (t.fromHost && t.bytes.size() > 1) frames.push_back(HexBytes(t.bytes));
  }
  return frames;
}

std::string GridText(const ui::ByteGrid& grid) {
  std::string text;
  for (const auto& cell : grid.cellTexts()) {
    if (cell.empty()) break;
    text += (text.empty() ? "" : " ") + cell;
  }
  return text.empty() ? "-" : text;
}

void Run(SimWindow& w, const std::vector<Step>& steps) {
  auto* grid = w.find<ui::ByteGrid>("ICText");
  for (const Step& step : steps) {
    const QByteArray where = QByteArray(step.button) + " " + step.fields.join(' ').toLatin1();
    for (const QString& f : step.fields) {
      auto* edit = w.find<QLineEdit>(f.section('=', 0, 0));
      QVERIFY2(edit, where);
      edit->setText(f.section('=', 1));
    }
    if (*step.cells) {
      grid->clearCells();
      const QStringList cells = QString(step.cells).split(' ');
      for (int i = 0; i < cells.size(); ++i) grid->setCellText(i, cells[i]);
    }
    const auto framesBefore = Frames(w).size();
    const auto boxesBefore = w.messages.boxes.size();
    w.find<QPushButton>(step.button)->click();
    const auto frames = Frames(w);
    if (*step.frame) {
      QVERIFY2(frames.size() == framesBefore + 1, where);
      QCOMPARE(frames.back(), std::string(step.frame));
    } else {
      QVERIFY2(frames.size() == framesBefore, where);
    }
    QVERIFY2(w.messages.boxes.size() == boxesBefore + 1, where);
    QCOMPARE(w.messages.boxes.back().title, std::string(step.title));
    QCOMPARE(w.messages.boxes.back().text, std::string(step.text));
    if (*step.grid) QCOMPARE(GridText(*grid), std::string(step.grid));
  }
}

}  // namespace

class ContactTabsTest : public QObject {
  Q_OBJECT
 private slots:
  void fieldsStartAsTheCardsExpect_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("initial");
    const char* fields[][2] = {{"SL4442Add1", "00"},  {"SL4442Long", "80"},  {"SL4442Pass1", "FF"},
                               {"SL4442Pass2", "FF"}, {"SL4442Pass3", "FF"}, {"SL4428Add1", "00"},
                               {"SL4428Add2", "00"},  {"SL4428Long", "80"},  {"SL4428Pass1", "FF"},
                               {"SL4428Pass2", "FF"}, {"IC24XXADD1", "00"},  {"IC24XXADD2", "00"},
                               {"IC24XXLONG", "80"}};
    for (const auto& f : fields) QTest::newRow(f[0]) << f[0] << f[1];
  }
  void fieldsStartAsTheCardsExpect() {
    QFETCH(QString, name);
    QFETCH(QString, initial);
    WindowHarness h;
    auto* edit = h.find<QLineEdit>(name);
    QVERIFY(edit);
    QCOMPARE(edit->text(), initial);
    QCOMPARE(edit->maxLength(), 2);
    QCOMPARE(edit->accessibleDescription(), name);
    QCOMPARE(ui::KeyFilterInstaller::installedOn(edit), std::optional(KeyFilter::StrictHex));
    QCOMPARE(TypeInto(edit, "a-g 1\b2"), QString("A1"));
  }

  void buttonsAndLabelsOnTheirTabs() {
    WindowHarness h;
    auto* tabs = h.find<QTabWidget>("SSTab2");
    const struct {
      int tab;
      QStringList buttons;
      QStringList captions;
      QStringList labels;
    } expected[] = {
        {1,
         {"SiemensICUp1", "SiemensICStatus1", "SiemensICDown1", "SL4442Pass", "SL4442Change",
          "SL4442ReadAnquan", "SL4442ReadCenChu", "SL4442ReadBaoHu", "SL4442WriteCenChu",
          "SL4442WriteBaoHu"},
         {"Activate", "Inquire Status", "Deactivate", "Verification Password", "Change Password",
          "Read Security Memory", "Read Main Memory", "Read Protection Memory", "Write Main Memory",
          "Write Protection Memory"},
         {"Address:", "Length:", "Password:",
          "Main Memory Add. Range : 0x00-0xFF        Main Memory Longth Range :0x01--0x80    "
          "Protection Memory Add. Range :0x00-0x1F   Protection Memory Longth Range :0x01--0x20"}},
        {2,
         {"SiemensICUp2", "SiemensICStatus2", "SiemensICDown2", "SL4428PASS", "SL4428CHANGE",
          "SL4428READAREA", "SL4428READBIT", "SL4428WRITEAREA1", "SL4428WRITEAREA2"},
         {"Activate", "Inquire Status", "Deactivate", "Check Password", "Change Password",
          "Read Main Memory", "Read Protection Memory", "Write Without Protection Bit",
          "Write With Protection Bit"},
         {"Address  Range :0x0000-0x03FF", "Length(0x01--0x80)", "Password:"}},
        {4,
         {"IC24Reset", "IC24ICStatus", "IC24ICDown", "IC24XXREAD", "IC24XXWRITE"},
         {"Activate", "Inquire Status", "Deactivate", "Read Data", "Write Data"},
         {"Length: 0x01--0x80"}},
    };
    for (const auto& e : expected) {
      QWidget* tab = tabs->widget(e.tab);
      QStringList names, captions, labels;
      for (auto* b : tab->findChildren<QPushButton*>()) {
        names << b->objectName();
        captions << b->text();
        QCOMPARE(b->accessibleDescription(), b->objectName());
      }
      for (auto* l : tab->findChildren<QLabel*>()) labels << l->text();
      QCOMPARE(names, e.buttons);
      QCOMPARE(captions, e.captions);
      QCOMPARE(labels, e.labels);
    }
    QCOMPARE(h.find<QLabel>("ICLabel110(37)")->text(), QString("Length: 0x01--0x80"));
  }

  void sle4442Buttons() {
    SimWindow w;
    PlaceCard(w, "20");
    Run(w, {
               {"SiemensICStatus1",
                {},
                "",
                "F2 00 00 03 43 53 32 03 D0",
                "Inquire Status",
                "SLE4442/4428 Deactivated"},
               {"SiemensICUp1",
                {},
                "",
                "F2 00 00 03 43 53 30 03 D2",
                "Activate",
                "SLE4442 Activate success"},
               {"SiemensICStatus1",
                {},
                "",
                "F2 00 00 03 43 53 32 03 D0",
                "Inquire Status",
                "SLE4442 Activated"},
               {"SL4442WriteCenChu",
                {"SL4442Add1=20", "SL4442Long=02"},
                "AB CD",
                "F2 00 00 0A 43 53 33 00 D0 00 20 02 AB CD 03 4C",
                "Transmit Command",
                "Verification Password error\r\n6F01"},
               {"SL4442Pass",
                {},
                "",
                "F2 00 00 0B 43 53 33 00 20 03 01 03 FF FF FF 03 07",
                "Transmit Command",
                "Execute OK\r\n9000"},
               {"SL4442WriteCenChu",
                {},
                "",
                "F2 00 00 0A 43 53 33 00 D0 00 20 02 AB CD 03 4C",
                "Transmit Command",
                "Execute OK\r\n9000"},
               {"SL4442ReadCenChu",
                {},
                "",
                "F2 00 00 08 43 53 33 00 B0 00 20 02 03 48",
                "Transmit Command",
                "Execute OK\r\n9000",
                "AB CD"},
               {"SL4442ReadBaoHu",
                {"SL4442Add1=00", "SL4442Long=20"},
                "",
                "F2 00 00 08 43 53 33 00 B0 01 00 20 03 4B",
                "Transmit Command",
                "Execute OK\r\n9000",
                "00 00 00 00 00 00 00 00 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01 01 "
                "01 01 "
                "01 01 01"},
               {"SL4442WriteBaoHu",
                {"SL4442Add1=10", "SL4442Long=01"},
                "FF",
                "F2 00 00 09 43 53 33 00 D0 01 10 01 FF 03 E4",
                "Transmit Command",
                "Execute OK\r\n9000"},
               {"SL4442Change",
                {"SL4442Pass1=12", "SL4442Pass2=34", "SL4442Pass3=56"},
                "",
                "F2 00 00 0B 43 53 33 00 D0 02 01 03 12 34 56 03 79",
                "Transmit Command",
                "Execute OK\r\n9000"},
               {"SL4442ReadAnquan",
                {},
                "",
                "F2 00 00 08 43 53 33 00 B0 02 00 04 03 6C",
                "Transmit Command",
                "Execute OK\r\n07123456\r\n9000",
                "-"},
               {"SL4442WriteCenChu",
                {"SL4442Long=81"},
                "",
                "",
                "Caution",
                "Error:Please Check The Data Effective"},
               {"SiemensICDown1",
                {},
                "",
                "F2 00 00 03 43 53 31 03 D3",
                "Deactivate",
                "Deactivate success"},
               {"SL4442Pass",
                {},
                "",
                "F2 00 00 0B 43 53 33 00 20 03 01 03 12 34 56 03 88",
                "Negative response:65",
                "HOST sends command for IC card communication before receiving ATR"},
           });
  }

  void sle4428Buttons() {
    SimWindow w;
    PlaceCard(w, "21");
    Run(w, {
               {"SiemensICUp2",
                {},
                "",
                "F2 00 00 03 43 53 30 03 D2",
                "Activate",
                "SLE4428 Activate success"},
               {"SiemensICStatus2",
                {},
                "",
                "F2 00 00 03 43 53 32 03 D0",
                "Inquire Status",
                "SLE4428 Activated"},
               {"SL4428PASS",
                {},
                "",
                "F2 00 00 0A 43 53 34 00 20 00 00 02 FF FF 03 FD",
                "Transmit Command",
                "Execute OK\r\n9000"},
               {"SL4428WRITEAREA2",
                {"SL4428Add1=01", "SL4428Add2=20", "SL4428Long=02"},
                "12 34",
                "F2 00 00 0A 43 53 34 00 D0 21 20 02 12 34 03 2A",
                "Transmit Command",
                "Execute OK\r\n9000"},
               {"SL4428WRITEAREA1",
                {},
                "56 78",
                "F2 00 00 0A 43 53 34 00 D0 01 20 02 56 78 03 02",
                "Transmit Command",
                "Execute Error\r\n6F00"},
               {"SL4428READAREA",
                {},
                "",
                "F2 00 00 08 43 53 34 00 B0 01 20 02 03 4E",
                "Transmit Command",
                "Execute OK\r\n9000",
                "12 34"},
               {"SL4428READBIT",
                {"SL4428Add1=03", "SL4428Add2=00", "SL4428Long=04"},
                "",
                "F2 00 00 08 43 53 34 00 B0 10 00 04 03 79",
                "Transmit Command",
                "Execute OK\r\n9000",
                "00 00 00 00"},
               {"SL4428CHANGE",
                {"SL4428Pass1=12", "SL4428Pass2=34"},
                "",
                "F2 00 00 0A 43 53 34 00 24 01 00 02 12 34 03 DE",
                "Transmit Command",
                "Execute OK\r\n9000"},
               {"SL4428WRITEAREA1", {"SL4428Add1=04"}, "", "", "Caution", "Address out of range"},
               {"SiemensICDown2",
                {},
                "",
                "F2 00 00 03 43 53 31 03 D3",
                "Deactivate",
                "Deactivate success"},
               {"SiemensICStatus2",
                {},
                "",
                "F2 00 00 03 43 53 32 03 D0",
                "Inquire Status",
                "SLE4442/4428 Deactivated"},
           });
  }

  void at24Buttons() {
    SimWindow w;
    PlaceCard(w, "31");
    Run(w, {
               {"IC24ICStatus",
                {},
                "",
                "F2 00 00 03 43 54 32 03 D7",
                "Inquire Status)",
                "Non_card(24CXXX) actived"},
               {"IC24Reset",
                {},
                "",
                "F2 00 00 04 43 54 30 30 03 E2",
                "Activate",
                "24C02 Activate Success"},
               {"IC24ICStatus",
                {},
                "",
                "F2 00 00 03 43 54 32 03 D7",
                "Inquire Status)",
                "24C02 actived"},
               {"IC24XXWRITE",
                {"IC24XXADD1=00", "IC24XXADD2=10", "IC24XXLONG=02"},
                "12 34",
                "F2 00 00 0A 43 54 33 00 D0 00 10 02 12 34 03 3B",
                "Transmit Command",
                "Execute OK\r\n9000"},
               {"IC24XXREAD",
                {},
                "99",
                "F2 00 00 08 43 54 33 00 B0 00 10 02 03 7F",
                "Transmit Command",
                "Execute OK\r\n9000",
                "12 34"},
               {"IC24XXREAD",
                {"IC24XXADD2=F0", "IC24XXLONG=20"},
                "",
                "F2 00 00 08 43 54 33 00 B0 00 F0 20 03 BD",
                "Transmit Command",
                "The lenth of Lc is overflow and Command Cannot be Executed\r\n6700",
                "-"},
               {"IC24XXWRITE",
                {"IC24XXLONG=02"},
                "1 23",
                "",
                "Caution",
                "Error:Please Check The Data Effective"},
               {"IC24ICDown",
                {},
                "",
                "F2 00 00 03 43 53 31 03 D3",
                "Deactivate",
                "Deactivate Success"},
           });
  }
};

#include "test_main.h"
KDX_TEST_MAIN(ContactTabsTest)
#include "contact_tabs_test.moc"
