// The RF CARD tab: its controls as built from the contactless table, the
// defaults the window loads, and the buttons against the simulated unit
// (frames, grids, labels, tab switching), with card type detection.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>

#include "model/control.h"
#include "rf/rf_operations.h"
#include "typing.h"
#include "ui/widgets/byte_grid.h"
#include "ui/widgets/key_filter_installer.h"
#include "window_harness.h"

using namespace kdx;
using namespace kdx::test;

namespace {

QString Q(std::string_view text) {
  return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

// True when `widget` stands in a frame captioned `frame`, or on a tab of
// that caption.
bool StandsIn(QWidget* widget, const QString& frame) {
  for (QWidget* w = widget; w; w = w->parentWidget()) {
    if (auto* box = qobject_cast<QGroupBox*>(w); box && box->title() == frame) return true;
    if (auto* tabs = qobject_cast<QTabWidget*>(w->parentWidget() ? w->parentWidget()->parentWidget()
                                                                 : nullptr)) {
      const int index = tabs->indexOf(w);
      if (index >= 0 && tabs->tabText(index) == frame) return true;
    }
  }
  return false;
}

std::vector<std::string> Frames(const SimWindow& w) {
  std::vector<std::string> frames;
  for (const auto& t : w.line.traffic()) {
    if (t.fromHost && t.bytes.size() > 1) frames.push_back(HexBytes(t.bytes));
  }
  return frames;
}

struct RfWindow : SimWindow {
  explicit RfWindow(const char* card) {
    QVERIFY(sim::ApplyControl(model, std::string("card ") + card).ok);
    QVERIFY(sim::ApplyControl(model, "place rf").ok);
  }
  void click(const char* name) { find<QPushButton>(name)->click(); }
  QTabWidget* tabs(const char* name) { return find<QTabWidget>(name); }
  QList<int> tabIndices() {
    return {tabs("SSTab1")->currentIndex(), tabs("SSTab3")->currentIndex(),
            tabs("SSTab4")->currentIndex(), tabs("SSTab2")->currentIndex()};
  }
  // Every tab control somewhere else.
  void turnTabsAway() {
    tabs("SSTab1")->setCurrentIndex(3);
    tabs("SSTab3")->setCurrentIndex(2);
    tabs("SSTab4")->setCurrentIndex(1);
    tabs("SSTab2")->setCurrentIndex(7);
  }
};

}  // namespace

class RfCardPageTest : public QObject {
  Q_OBJECT
 private slots:
  void buttonsFromTheTable() {
    WindowHarness h;
    for (const RfOperation& row : RfOperations()) {
      auto* button = h.find<QPushButton>(Q(row.control));
      QVERIFY2(button, row.control.data());
      QCOMPARE(button->text(), Q(row.caption));
      QCOMPARE(button->accessibleDescription(), Q(row.control));
      QVERIFY(button->isEnabled());
      QVERIFY2(StandsIn(button, Q(row.frame)), row.control.data());
    }
  }

  void controlsAndDefaults() {
    WindowHarness h;
    const QList<QPair<QString, QString>> lineEdits{{"ATRTypeAText", ""},
                                                   {"ATRTypeBText", ""},
                                                   {"TypeARAPDUText", ""},
                                                   {"TypeBRAPDUText", ""},
                                                   {"PurseValueText", "0"}};
    for (const auto& [name, text] : lineEdits) {
      auto* edit = h.find<QLineEdit>(name);
      QVERIFY2(edit, qPrintable(name));
      QCOMPARE(edit->text(), text);
      QCOMPARE(edit->accessibleDescription(), name);
    }
    auto* purse = h.find<QLineEdit>("PurseValueText");
    QCOMPARE(purse->maxLength(), 10);
    QCOMPARE(ui::KeyFilterInstaller::installedOn(purse), std::optional(KeyFilter::Decimal));
    for (const char* name : {"RFmessageLabel", "ULRFmessage", "CPURFTypeAmessage"}) {
      QVERIFY2(h.find<QLabel>(name), name);
    }
    QVERIFY(h.find<QRadioButton>("RfKeyAB1")->isChecked());
    QCOMPARE(h.find<QRadioButton>("RfKeyAB1")->text(), QString("KEY A"));
    QCOMPARE(h.find<QRadioButton>("RfKeyAB2")->text(), QString("KEY B"));
    QVERIFY(!h.find<QRadioButton>("RfKeyAB2")->isChecked());

    const struct {
      const char* name;
      int cells;
      QString text;
    } grids[] = {{"SRFPASSWORDLIST", 6, "FF"}, {"SRFTextLIST", 16, ""}, {"ULTextLIST", 4, ""}};
    for (const auto& g : grids) {
      auto* grid = h.find<ui::ByteGrid>(g.name);
      QVERIFY2(grid, g.name);
      QCOMPARE(grid->count(), g.cells);
      for (int i = 0; i < g.cells; ++i) QCOMPARE(grid->cellText(i), g.text);
      QVERIFY(h.find<QLineEdit>(ui::ArrayName(g.name, g.cells - 1)));
    }
    for (const char* caption :
         {"Password operation commands", "Read / Write RF Card Data", "PURSE COMMAND",
          "UL Card Data ", "UL Card Command", "APDU Command", "Return Information"}) {
      bool found = false;
      for (auto* box : h.window->findChildren<QGroupBox*>()) found |= box->title() == caption;
      QVERIFY2(found, caption);
    }
    for (const char* name : {"TypeACAPDUText", "TypeBCAPDUText"}) {
      auto* combo = h.find<QComboBox>(name);
      QCOMPARE(combo->count(), 3);
      QCOMPARE(combo->itemText(0), QString("0084000008"));
      QCOMPARE(combo->itemText(2), QString("00A404000E315041592E5359532E4444463031"));
      QCOMPARE(combo->currentText(), QString("00A40000023F00"));
      QCOMPARE(ui::KeyFilterInstaller::installedOn(combo->lineEdit()),
               std::optional(KeyFilter::HexWithBackspace));
    }
  }

  // The APDU boxes take typed hex, filtered where the keys arrive, and never
  // add it to their lists.
  void apduBoxesTakeFilteredText() {
    WindowHarness h;
    for (const char* name : {"TypeACAPDUText", "TypeBCAPDUText"}) {
      auto* combo = h.find<QComboBox>(name);
      QVERIFY(combo->isEditable());
      const int count = combo->count();
      QCOMPARE(TypeInto(combo, "a0g- 1\bf"), QString("A0F"));
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
      QCOMPARE(combo->count(), count);
    }
  }

  // The sector, block, count and page lists are lists: keys choose among
  // their items and no typed text gets in; the position of the chosen item
  // is the number sent.
  void numberListsTakeNoText() {
    RfWindow w("20/s50");
    const std::pair<const char*, const char*> lists[] = {{"SecNumberCombo", "01"},
                                                         {"BlockNumberCombo", "00"},
                                                         {"BlockLongCombo", "01"},
                                                         {"PurseBlockCombbox", "00"},
                                                         {"ULSecNumberCombo", "04"}};
    for (const auto& [name, selected] : lists) {
      auto* list = w.find<QComboBox>(name);
      QVERIFY2(!list->isEditable() && !list->lineEdit(), name);
      QVERIFY(BringIntoView(list));
      list->setFocus();
      QTest::keyClicks(QApplication::focusWidget(), "3Z");
      QVERIFY2(list->findText(list->currentText()) == list->currentIndex(), name);
      list->setCurrentText(selected);
    }
    auto* sector = w.find<QComboBox>("SecNumberCombo");
    QVERIFY(BringIntoView(sector));
    sector->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);  // "02"
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);   // "27"
    QCOMPARE(sector->currentText(), QString("27"));
    w.click("RFreadBtn");
    QCOMPARE(Q(Frames(w).back()), "F2 00 00 08 43 60 33 00 B0 27 00 01 03 7F");
  }

  void activationShowsTheCardAndItsTab_data() {
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("tabs");
    QTest::newRow("S50") << "-/s50"
                         << "Type A,Type B"
                         << "RFmessageLabel"
                         << "A1B2C301" << QList<int>{0, 0, 0, 7};
    QTest::newRow("Ultralight") << "-/ultralight"
                                << "Type A(Only)"
                                << "ULRFmessage"
                                << "045A6B7C8D9E01" << QList<int>{0, 0, 1, 7};
    QTest::newRow("Type A") << "-/typea"
                            << "Type B,Type A"
                            << "CPURFTypeAmessage"
                            << "08445501" << QList<int>{0, 1, 1, 7};
    QTest::newRow("Type B") << "-/typeb"
                            << "Type B(Only)"
                            << "ATRTypeBText"
                            << "503B4C5D0100000000007171" << QList<int>{0, 2, 1, 7};
  }
  void activationShowsTheCardAndItsTab() {
    QFETCH(QString, card);
    QFETCH(QString, protocol);
    QFETCH(QString, label);
    QFETCH(QString, text);
    QFETCH(QList<int>, tabs);
    RfWindow w(qPrintable(card));
    w.turnTabsAway();
    w.find<QComboBox>("RFCardUPCombbox")->setCurrentText(protocol);
    w.click("RFCardUPBtn");
    QCOMPARE(w.tabIndices(), tabs);
    auto* widget = w.find<QWidget>(label);
    const QString shown = qobject_cast<QLabel*>(widget) ? qobject_cast<QLabel*>(widget)->text()
                                                        : qobject_cast<QLineEdit*>(widget)->text();
    QCOMPARE(shown, text);
    QCOMPARE(w.messages.boxes.back().title, std::string("Activate"));
  }

  // Activate, Check password, Read Block Data and Write Block Data with the
  // cells typed in the grid.
  void blockRoundTripThroughTheGrids() {
    RfWindow w("20/s50");
    w.click("RFCardUPBtn");
    w.click("RFCheckPasswordBtn");
    QCOMPARE(Frames(w).back(),
             std::string("F2 00 00 0E 43 60 33 00 20 00 01 06 FF FF FF FF FF FF 03 C8"));
    QCOMPARE(w.messages.boxes.back().text, std::string("Check Password\r\nExecute OK\r\n9000"));
    auto* grid = w.find<ui::ByteGrid>("SRFTextLIST");
    w.find<QComboBox>("BlockNumberCombo")->setCurrentText("01");
    for (int i = 0; i < 16; ++i) grid->setCellText(i, QString("%1").arg(i + 0xA0, 2, 16).toUpper());
    w.click("RFwriteBtn");
    QCOMPARE(w.messages.boxes.back().text, std::string("Write Block Data\r\nExecute OK\r\n9000"));
    grid->clearCells();
    w.click("RFreadBtn");
    QCOMPARE(Frames(w).back(), std::string("F2 00 00 08 43 60 33 00 B0 01 01 01 03 58"));
    QCOMPARE(grid->cellText(0), QString("A0"));
    QCOMPARE(grid->cellText(15), QString("AF"));

    w.find<QLineEdit>("PurseValueText")->setText("1000");
    w.find<QComboBox>("PurseBlockCombbox")->setCurrentText("02");
    w.click("INITRFCmd");
    w.find<QLineEdit>("PurseValueText")->setText("5");
    w.click("ReadValueRfCmd");
    QCOMPARE(w.find<QLineEdit>("PurseValueText")->text(), QString("1000"));
  }

  // A grid on a tab out of sight takes the reply without pulling the focus.
  void hiddenGridKeepsTheFocusWhereItIs() {
    RfWindow w("-/ultralight");
    w.window->show();
    QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
    w.click("RFCardUPBtn");
    w.tabs("SSTab4")->setCurrentIndex(0);
    auto* purse = w.find<QLineEdit>("PurseValueText");
    purse->setFocus();
    w.click("ULCmdRread");
    QCOMPARE(w.find<ui::ByteGrid>("ULTextLIST")->cellText(3), QString("00"));
    QCOMPARE(QApplication::focusWidget(), purse);
  }

  void apduTypedAndAnswered() {
    RfWindow w("-/typea");
    w.click("RFCardUPBtn");
    QCOMPARE(TypeInto(w.find<QComboBox>("TypeACAPDUText"), "00a40000022f01\b0"), "00A40000022F00");
    w.click("SendTypeACmd");
    QCOMPARE(Frames(w).back(), std::string("F2 00 00 0A 43 60 34 00 A4 00 00 02 2F 00 03 65"));
    QCOMPARE(w.find<QLineEdit>("TypeARAPDUText")->text(), QString("6A82"));
    QCOMPARE(w.messages.boxes.back().text, std::string("Success"));
  }

  void cardTypeDetectionSwitchesTabs() {
    RfWindow w("20/ultralight");
    w.turnTabsAway();
    w.click("RFTestTypeCmd");
    QCOMPARE(w.messages.boxes.back().text, std::string("Test RF Type Complete\r\nUltralight card"));
    QCOMPARE(w.tabIndices(), (QList<int>{0, 0, 1, 7}));
    // The card is at the RF station: the IC detection finds nothing.
    w.turnTabsAway();
    w.click("ICTestTypeCmd");
    QCOMPARE(w.messages.boxes.back().text, std::string("Test IC Type Complete\r\nUnknow Type"));
    QCOMPARE(w.tabIndices(), (QList<int>{3, 2, 1, 7}));
    QVERIFY(sim::ApplyControl(w.model, "place ic").ok);
    w.click("ICTestTypeCmd");
    QCOMPARE(w.messages.boxes.back().text, std::string("Test IC Type Complete\r\nSLE4442 Card"));
    QCOMPARE(w.tabIndices(), (QList<int>{1, 2, 1, 1}));
  }
};

#include "test_main.h"
KDX_TEST_MAIN(RfCardPageTest)
#include "rf_card_page_test.moc"
