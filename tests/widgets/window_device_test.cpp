// The transport and identity buttons of the main window against the
// in-process simulated unit: frames on the line, boxes, dialogs, monitor.
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "device_fakes.h"
#include "typing.h"
#include "ui/device/device_page.h"
#include "ui/tab_router.h"
#include "window_harness.h"

using namespace kdx;
using namespace kdx::test;
using sim::CardPosition;

namespace {

void Click(SimWindow& w, const char* name) {
  w.find<QPushButton>(name)->click();
}

// What the host sent on the line, exchange by exchange (ACKs left out).
std::vector<std::string> Frames(const SimWindow& w) {
  std::vector<std::string> frames;
  for (const auto& t : w.line.traffic()) {
    if (t.fromHost && t.bytes.size() > 1) frames.push_back(HexBytes(t.bytes));
  }
  return frames;
}

// Presses the default button of the next modal dialog.
void AcceptNextDialog() {
  WhenModal([](QWidget* dialog) { dialog->findChild<QPushButton*>("Command1")->click(); });
}

void Initialize(SimWindow& w) {
  AcceptNextDialog();
  Click(w, "ReaderResetBtn");
}

}  // namespace

class WindowDeviceTest : public QObject {
  Q_OBJECT
 private slots:
  void transportRoundTrip() {
    SimWindow w;
    Initialize(w);
    QCOMPARE(Frames(w).back(), std::string("F2 00 00 03 43 30 30 03 B1"));
    QCOMPARE(w.messages.boxes.back().title, std::string("Reset"));
    QCOMPARE(w.messages.boxes.back().text, std::string("Reset success\r\nKDX-846 V1.01"));
    QVERIFY(w.model.state().initialized);

    const struct {
      const char* button;
      const char* frame;
      CardPosition position;
      const char* box;
    } moves[] = {
        {"MoveCardToFront1Btn", "F2 00 00 03 43 32 39 03 BA", CardPosition::Front,
         "Move card to the front success"},
        {"MoveCardToRFBtn", "F2 00 00 03 43 32 32 03 B1", CardPosition::RfStation,
         "Move card to RF card operation position success"},
        {"MoveCardToICCBtn", "F2 00 00 03 43 32 31 03 B2", CardPosition::IcStation,
         "Move card to IC card operation position success"},
        {"MoveCardToFront2Btn", "F2 00 00 03 43 32 30 03 B3", CardPosition::Front,
         "Move card to the front with hold card success"},
        {"MoveCardToRecycleBinBtn", "F2 00 00 03 43 32 33 03 B0", CardPosition::None,
         "Move card to the error card bin success"},
    };
    for (const auto& m : moves) {
      Click(w, m.button);
      QCOMPARE(Frames(w).back(), std::string(m.frame));
      QCOMPARE(w.model.state().position, m.position);
      QCOMPARE(w.messages.boxes.back().text, std::string(m.box));
      QCOMPARE(w.messages.boxes.back().icon, Icon::Information);
    }
    QCOMPARE(w.model.state().binCount, 1);

    Click(w, "AllCardInBtn");
    QVERIFY(w.model.state().entryAllowed);
    QCOMPARE(w.messages.boxes.back().title, std::string("Allowed"));
    Click(w, "NoCardInBtn");
    QVERIFY(!w.model.state().entryAllowed);
    QCOMPARE(w.messages.boxes.back().text, std::string("Prohibition success"));

    Click(w, "MoveCardToICCBtn");
    Click(w, "CardStatusBtn");
    QCOMPARE(Frames(w).back(), std::string("F2 00 00 03 43 31 30 03 B0"));
    QCOMPARE(w.messages.boxes.back().title, std::string("Card Status"));
    QCOMPARE(w.messages.boxes.back().text,
             std::string("Card Status Success\r\nThere is card at RF/IC card operation position\r\n"
                         "Enough cards in stacker\r\nThe error card bin is not full"));
  }

  // A page needs no main window: built alone over the simulated unit, its
  // buttons run through the runner it is given.
  void devicePageStandsAlone() {
    SimRig rig;
    DeviceRecords records;
    ui::WindowButtons windows(rig.session);
    ui::TabRouter tabs;
    int runs = 0;
    ui::PageServices services{rig.session,
                              [&runs](const std::function<void()>& op) {
                                ++runs;
                                op();
                              },
                              windows, tabs};
    QWidget host;
    ui::DevicePage page(services, records, &host);
    QPushButton* status = nullptr;
    for (auto* frame : page.leftColumnFrames()) {
      if (!status) status = frame->findChild<QPushButton*>("CardStatusBtn");
    }
    QVERIFY(status);
    status->click();
    QCOMPARE(runs, 1);
    QCOMPARE(rig.line.traffic().at(0).bytes, Hex("F2 00 00 03 43 31 30 03 B0"));
    QCOMPARE(rig.messages.boxes.at(0).title, std::string("Card Status"));
  }

  void sensorDialogShowsTheUnitsSensors() {
    SimWindow w;
    Initialize(w);
    Click(w, "MoveCardToICCBtn");
    QStringList states;
    QList<QColor> colours;
    WhenModal([&](QWidget* dialog) {
      QCOMPARE(dialog->windowTitle(), QString("Auto test the status of the sensor"));
      for (int i = 10; i <= 21; ++i) {
        auto* label = dialog->findChild<QLabel*>(QString("Label%1").arg(i));
        states << label->text();
        colours << label->palette().color(QPalette::WindowText);
      }
      dialog->findChild<QPushButton*>("Command1")->click();
    });
    Click(w, "SensorStatusBtn");
    const auto expected = w.model.state().sensors();
    QCOMPARE(states.size(), 12);
    for (int i = 0; i < 12; ++i) {
      QCOMPARE(states[i], QString(expected[static_cast<std::size_t>(i)] == '1' ? "On" : "Off"));
      if (states[i] == "On") QCOMPARE(colours[i], QColor(255, 0, 0));
    }
    QVERIFY(states.contains("On") && states.contains("Off"));
  }

  void cancelledInitializeSendsNothing() {
    SimWindow w;
    w.monitor.append("old traffic\r\n");
    WhenModal([](QWidget* dialog) { dialog->findChild<QPushButton*>("Command2")->click(); });
    Click(w, "ReaderResetBtn");
    QVERIFY(Frames(w).empty());
    QVERIFY(w.monitor.text().empty());  // cleared before the dialog, no CR LF after
    QVERIFY(w.messages.boxes.empty());
  }

  void optionDialogChoosesTheCode() {
    SimWindow w;
    WhenModal([](QWidget* dialog) {
      dialog->findChild<QRadioButton*>("Option6")->setChecked(true);
      dialog->findChild<QPushButton*>("Command1")->click();
    });
    Click(w, "ReaderResetBtn");
    QCOMPARE(Frames(w).back(), std::string("F2 00 00 03 43 30 35 03 B4"));
  }

  void monitorWithAndWithoutRecord() {
    SimWindow w;
    Click(w, "CardStatusBtn");
    Click(w, "CardStatusBtn");
    const std::string one = w.monitor.text();
    QCOMPARE(QString::fromStdString(one).count("SD: F2"), 1);  // only the last exchange
    QVERIFY(one.ends_with("SD: 06\r\n\r\n"));
    w.find<QCheckBox>("CheckRecord")->setChecked(true);
    Click(w, "CardStatusBtn");
    QCOMPARE(w.monitor.text(), one + one);
  }

  void identityAndCounter() {
    SimWindow w;
    QString serial;
    WhenModal([&](QWidget* dialog) {
      serial = dialog->findChild<QLineEdit*>("Text1")->text();
      dialog->findChild<QPushButton*>("Command1")->click();
    });
    Click(w, "TypeReadsn");
    QCOMPARE(Frames(w).back(), std::string("F2 00 00 04 43 A2 30 12 03 36"));
    QCOMPARE(serial, QString("KDX846-00000000001"));

    w.model.state().samSockets = 3;
    QStringList values;
    WhenModal([&](QWidget* dialog) {
      for (int i = 10; i <= 17; ++i)
        values << dialog->findChild<QLabel*>(QString("Label%1").arg(i))->text();
      dialog->findChild<QPushButton*>("Command1")->click();
    });
    Click(w, "IRCONFIGCMD");
    QCOMPARE(values.value(0), QString("KDX-846"));
    QCOMPARE(values.value(3), QString("RS-232 Interface"));
    QCOMPARE(values.value(4), QString("KDX Standard IC Card Read/Write Module"));
    QCOMPARE(values.value(6), QString("Support three SAM card operation"));

    auto* field = w.find<QLineEdit>("IRTenKaEdit");
    QCOMPARE(TypeInto(field, "x7"), QString("7"));  // the decimal filter drops the letter
    Click(w, "IRTenKaFormatCMD");
    QCOMPARE(field->text(), QString("007"));
    QCOMPARE(w.model.state().captureCounter, 7);
    QCOMPARE(w.messages.boxes.back().text, std::string("InitializeI Counter Success"));
    field->setText("");
    w.model.state().captureCounter = 123;
    Click(w, "IRTenKaReadCMD");
    QCOMPARE(field->text(), QString("123"));
    QCOMPARE(w.messages.boxes.back().title, std::string("Read Counter"));
  }
};

#include "test_main.h"
KDX_TEST_MAIN(WindowDeviceTest)
#include "window_device_test.moc"
