// The CPU card and SAM windows opened from "CPU Card" and "Sam Card" with
// the link open (the caution with the link closed is the main window's
// test): modal, every control with its name, caption, list, default and key
// filter, fresh defaults on every opening, "Cancel" sending nothing, the
// buttons over the simulated cards, and message boxes over the window.
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "device_fakes.h"
#include "typing.h"
#include "ui/adapters/qt_messages.h"
#include "ui/contact/cpu_card_dialog.h"
#include "ui/widgets/key_filter_installer.h"
#include "window_harness.h"

using namespace kdx;
using namespace kdx::test;

namespace {

QStringList Items(const QComboBox* combo) {
  QStringList items;
  for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
  return items;
}

// Opens the window of `button` and runs `act` on it while it is shown;
// returns after it has closed.
void WithWindow(WindowHarness& h, const char* button, std::function<void(QDialog*)> act) {
  bool ran = false;
  WhenModal([&](QWidget* modal) {
    ran = true;
    act(qobject_cast<QDialog*>(modal));
    if (modal->isVisible()) modal->findChild<QPushButton*>("BackCmd")->click();
  });
  h.find<QPushButton>(button)->click();
  QVERIFY(ran);
}

}  // namespace

class CpuCardWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void controls_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("buttons");  // name=caption
    QTest::addColumn<QString>("options");
    QTest::addColumn<QStringList>("apdus");
    const QStringList common{"Warm Reset", "Card Status", "Deactivate"};
    QTest::newRow("CPU") << "CPURUN"
                         << "CPUCARD"
                         << "CPU Card"
                         << QStringList{"CPUColdResetBtn=Cold Reset", "CPUWarmResetBtn=Warm Reset",
                                        "SendCmdBtn=Send APDU",       "CheckStatusBtn=Card Status",
                                        "DownBtn=Deactivate",         "BackCmd=Cancel"}
                         << "CPUVCCOPTION"
                         << QStringList{"0084000008", "00A40000023F00", "00C0000018",
                                        "00A404000E315041592E5359532E4444463031"};
    QTest::newRow("SAM") << "SIMRUN"
                         << "SimCard"
                         << "SAM Card" << QStringList{"SelectSamCmd=Choose SAM",
                                                      "SimColdReset=Cold Reset",
                                                      "SimWarmReset=Warm Reset",
                                                      "SendCmd=Send APDU",
                                                      "CheckStatusBtn=Card Status",
                                                      "Down=Deactivate",
                                                      "BackCmd=Cancel"}
                         << "SAMVCCOPTION"
                         << QStringList{"0084000008", "00A40000023F00",
                                        "00A404000E315041592E5359532E4444463031"};
  }
  void controls() {
    QFETCH(QString, button);
    QFETCH(QString, window);
    QFETCH(QString, caption);
    QFETCH(QStringList, buttons);
    QFETCH(QString, options);
    QFETCH(QStringList, apdus);
    WindowHarness h;
    h.state.linkOpen = true;
    WithWindow(h, qPrintable(button), [&](QDialog* d) {
      QVERIFY(d);
      QCOMPARE(d->objectName(), window);
      QCOMPARE(d->accessibleDescription(), window);
      QCOMPARE(d->windowTitle(), caption);
      QVERIFY(d->isModal());
      QCOMPARE(d->parentWidget(), h.window.get());
      for (const QString& entry : buttons) {
        const QString name = entry.section('=', 0, 0);
        auto* b = d->findChild<QPushButton*>(name);
        QVERIFY2(b, qPrintable(name));
        QCOMPARE(b->text(), entry.section('=', 1));
        QCOMPARE(b->accessibleDescription(), name);
      }
      QCOMPARE(d->findChild<QGroupBox*>("Frame1")->title(), QString("Cold Reset Option"));
      auto* emv = d->findChild<QRadioButton*>(options + "(0)");
      auto* iso = d->findChild<QRadioButton*>(options + "(1)");
      QVERIFY(emv && iso);
      QCOMPARE(emv->text(), QString("VCC=5V with the EMV2000 ver4.0"));
      QCOMPARE(iso->text(), QString("VCC=5V with the ISO/IEC7816-3"));
      QCOMPARE(emv->accessibleDescription(), options + "(0)");
      QVERIFY(emv->isChecked() && !iso->isChecked());
      for (const char* box : {"ResetTextBack", "BackText"}) {
        auto* text = d->findChild<QPlainTextEdit*>(box);
        QVERIFY2(text, box);
        QCOMPARE(text->toPlainText(), QString());
      }
      auto* apdu = d->findChild<QComboBox*>("CmdText");
      QVERIFY(apdu->isEditable());
      QCOMPARE(apdu->currentText(), QString("00A40000023F00"));
      QCOMPARE(Items(apdu), apdus);
      QCOMPARE(ui::KeyFilterInstaller::installedOn(apdu->lineEdit()),
               std::optional(KeyFilter::HexWithBackspace));
      auto* socket = d->findChild<QComboBox*>("SimNo1");
      QCOMPARE(socket != nullptr, window == "SimCard");
      if (socket) {
        QVERIFY(socket->isEditable());
        QCOMPARE(socket->currentText(), QString("SAM 1"));
        QCOMPARE(Items(socket), (QStringList{"SAM 1", "SAM 2", "SAM 3", "SAM 4", "SAM 5", "SAM 6",
                                             "SAM 7", "SAM 8"}));
      }
    });
  }

  // Typing into CmdText after a click into it, the keys going where the
  // window system sends them: hex letters upper-cased, other keys dropped,
  // Backspace deletes.
  void apduKeys_data() {
    QTest::addColumn<QString>("button");
    QTest::newRow("CPU") << "CPURUN";
    QTest::newRow("SAM") << "SIMRUN";
  }
  void apduKeys() {
    QFETCH(QString, button);
    WindowHarness h;
    h.state.linkOpen = true;
    WithWindow(h, qPrintable(button), [&](QDialog* d) {
      auto* combo = d->findChild<QComboBox*>("CmdText");
      QCOMPARE(TypeInto(combo, "a0g- 1\bf"), QString("A0F"));
      QCOMPARE(TypeInto(combo, "9", true), QString("A0F9"));
    });
  }

  // Changed inputs and results do not survive the window; "Cancel" sends
  // nothing.
  void reopenStartsFromDefaults_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("options");
    QTest::newRow("CPU") << "CPURUN"
                         << "CPUVCCOPTION";
    QTest::newRow("SAM") << "SIMRUN"
                         << "SAMVCCOPTION";
  }
  void reopenStartsFromDefaults() {
    QFETCH(QString, button);
    QFETCH(QString, options);
    WindowHarness h;
    h.state.linkOpen = true;
    WithWindow(h, qPrintable(button), [&](QDialog* d) {
      d->findChild<QRadioButton*>(options + "(1)")->setChecked(true);
      d->findChild<QComboBox*>("CmdText")->setCurrentText("0084000008");
      if (auto* socket = d->findChild<QComboBox*>("SimNo1")) socket->setCurrentText("SAM 9");
      d->findChild<QPushButton*>("BackCmd")->click();
      QVERIFY(!d->isVisible());
    });
    QVERIFY(h.line.writes().empty());
    QCOMPARE(h.monitor.text(), std::string());
    WithWindow(h, qPrintable(button), [&](QDialog* d) {
      QVERIFY(d->findChild<QRadioButton*>(options + "(0)")->isChecked());
      QCOMPARE(d->findChild<QComboBox*>("CmdText")->currentText(), QString("00A40000023F00"));
      if (auto* socket = d->findChild<QComboBox*>("SimNo1"))
        QCOMPARE(socket->currentText(), QString("SAM 1"));
    });
  }

  // A button runs its row on the window's inputs and fills its result box.
  void buttonShowsReplyInWindow() {
    WindowHarness h;
    h.state.linkOpen = true;
    AnswerEveryCommand(h, "PQ00001;\x8E");
    WithWindow(h, "CPURUN", [&](QDialog* d) {
      d->findChild<QRadioButton*>("CPUVCCOPTION(1)")->setChecked(true);
      d->findChild<QPushButton*>("CPUColdResetBtn")->click();
      QCOMPARE(d->findChild<QPlainTextEdit*>("ResetTextBack")->toPlainText(), QString("3B8E"));
    });
    QCOMPARE(SentCommands(h), std::vector<Bytes>{Hex("F2 00 00 04 43 51 30 33 03 E4")});
    QCOMPARE(h.messages.boxes.size(), std::size_t{1});
    QCOMPARE(h.messages.boxes[0].text, std::string("Cold Reset Success(T=1)"));
  }

  // The windows over the simulated unit: a T=0 card at the IC station and
  // the SAM in socket 2.
  void simulatedCards() {
    SimWindow w;
    w.model.state().initialized = true;
    w.model.state().placeCard(sim::CardPosition::IcStation, sim::Card{sim::ContactFace{"10"}, {}});
    WhenModal([&](QWidget* d) {
      d->findChild<QPushButton*>("CPUColdResetBtn")->click();
      d->findChild<QComboBox*>("CmdText")->setCurrentIndex(0);
      d->findChild<QPushButton*>("SendCmdBtn")->click();
      QCOMPARE(d->findChild<QPlainTextEdit*>("ResetTextBack")->toPlainText(),
               QString("3B6800004350552D54300100"));
      const QString response = d->findChild<QPlainTextEdit*>("BackText")->toPlainText();
      QCOMPARE(response.size(), 20);
      QVERIFY(response.endsWith("9000"));
      d->findChild<QPushButton*>("BackCmd")->click();
    });
    w.find<QPushButton>("CPURUN")->click();
    WhenModal([&](QWidget* d) {
      d->findChild<QComboBox*>("SimNo1")->setCurrentIndex(1);
      d->findChild<QPushButton*>("SelectSamCmd")->click();
      d->findChild<QRadioButton*>("SAMVCCOPTION(1)")->setChecked(true);
      d->findChild<QPushButton*>("SimColdReset")->click();
      d->findChild<QPushButton*>("CheckStatusBtn")->click();
      QCOMPARE(d->findChild<QPlainTextEdit*>("ResetTextBack")->toPlainText(),
               QString("3B868131FE4553414D32543185"));
      d->findChild<QPushButton*>("BackCmd")->click();
    });
    w.find<QPushButton>("SIMRUN")->click();
    std::vector<std::string> texts;
    for (const auto& box : w.messages.boxes) texts.push_back(box.text);
    QCOMPARE(texts, (std::vector<std::string>{
                        "Cold Reset Success(T=0)", "Success", "Choose SAM Success",
                        "Cold Reset Success(T=1)",
                        "The card has been activated, working frequency of 3.57 MHZ\r\n"
                        "Current SAM card is  No.2"}));
  }

  // Message boxes stand over the modal window in use.
  void boxesStandOverTheModalWindow() {
    QWidget owner;
    ui::QtMessages messages(&owner);
    QDialog window(&owner);
    QWidget* parent = nullptr;
    WhenModal([&](QWidget*) {
      WhenModal([&](QWidget* box) {
        parent = box->parentWidget();
        qobject_cast<QMessageBox*>(box)->accept();
      });
      messages.show("Cold Reset", "Cold Reset Success(T=0)", Icon::Information);
      window.reject();
    });
    window.exec();
    QCOMPARE(parent, &window);
  }
};

#include "test_main.h"
KDX_TEST_MAIN(CpuCardWindowTest)
#include "cpu_card_window_test.moc"
