#include <QApplication>
#include <QTimer>
#include <QtTest>

#include "device_fakes.h"
#include "ui/device/config_form.h"
#include "ui/device/device_page.h"
#include "ui/device/read_sn_form.h"
#include "ui/device/reset_option_form.h"
#include "ui/device/sensor_state_form.h"
#include "window_harness.h"

using namespace kdx;
using namespace kdx::test;
using namespace kdx::ui;

namespace {

// Every named control is findable by the same name as its description.
void CheckNamesAreDescriptions(QWidget& dialog) {
  QCOMPARE(dialog.accessibleDescription(), dialog.objectName());
  for (auto* child : dialog.findChildren<QWidget*>()) {
    if (child->objectName().isEmpty()) continue;
    QCOMPARE(child->accessibleDescription(), child->objectName());
  }
}

// Twelve states from a literal of twelve characters, NUL bytes included.
template <std::size_t N>
SensorStates States(const char (&twelve)[N]) {
  static_assert(N == SensorStates().size() + 1, "twelve states");
  SensorStates s{};
  for (std::size_t i = 0; i < s.size(); ++i) s[i] = std::uint8_t(twelve[i]);
  return s;
}

}  // namespace

class DeviceDialogsTest : public QObject {
  Q_OBJECT
 private slots:
  void resetOptionFormLayout() {
    ResetOptionForm form;
    QCOMPARE(form.objectName(), QString("ResetOptionForm"));
    QCOMPARE(form.windowTitle(), QString("INITIALIZE Option"));
    const QStringList names{"Option1", "Option2", "Option4", "Option5", "Option6", "Option7"};
    const QStringList captions{
        "If card is in, move card to the front",
        "If card is in, move card to the error card bin",
        "Only initialinze, retain the card inside",
        "If card is in, move card to the front and counter will work.",
        "If card is in, move card to the error card bin and counter will work.",
        "If card is in, retain the card inside  and counter will work."};
    const auto buttons = form.findChildren<QRadioButton*>();
    QCOMPARE(buttons.size(), qsizetype{6});
    for (int i = 0; i < 6; ++i) {
      QRadioButton* option = form.option(std::size_t(i));
      QCOMPARE(option->objectName(), names[i]);
      QCOMPARE(option->text(), captions[i]);
      QCOMPARE(option->isChecked(), i == 0);
    }
    // Top to bottom in table order.
    form.show();
    for (int i = 1; i < 6; ++i) {
      QVERIFY(form.option(std::size_t(i))->y() > form.option(std::size_t(i - 1))->y());
    }
    QCOMPARE(form.okButton()->objectName(), QString("Command1"));
    QCOMPARE(form.okButton()->text(), QString("OK"));
    QCOMPARE(form.cancelButton()->objectName(), QString("Command2"));
    QCOMPARE(form.cancelButton()->text(), QString("Cancel"));
    CheckNamesAreDescriptions(form);
    QCOMPARE(form.selectedCode(), std::uint8_t{0});  // nothing chosen yet
  }

  void resetOptionFormAnswers_data() {
    QTest::addColumn<int>("option");   // -1 keeps the default
    QTest::addColumn<QString>("how");  // "ok", "cancel", "close", "escape"
    QTest::addColumn<int>("code");
    QTest::newRow("default, OK") << -1 << "ok" << int{'0'};
    QTest::newRow("Option2, OK") << 1 << "ok" << int{'1'};
    QTest::newRow("Option4, OK") << 2 << "ok" << int{'3'};
    QTest::newRow("Option5, OK") << 3 << "ok" << int{'4'};
    QTest::newRow("Option6, OK") << 4 << "ok" << int{'5'};
    QTest::newRow("Option7, OK") << 5 << "ok" << int{'7'};
    QTest::newRow("Option7, Cancel") << 5 << "cancel" << 0;
    QTest::newRow("closed by the frame") << 3 << "close" << 0;
    QTest::newRow("escape") << 3 << "escape" << 0;
  }
  void resetOptionFormAnswers() {
    QFETCH(int, option);
    QFETCH(QString, how);
    QFETCH(int, code);
    ResetOptionForm form;
    form.show();
    if (option >= 0) QTest::mouseClick(form.option(std::size_t(option)), Qt::LeftButton);
    if (option > 0) QVERIFY(!form.option(0)->isChecked());  // the options are exclusive
    if (how == "ok") QTest::mouseClick(form.okButton(), Qt::LeftButton);
    if (how == "cancel") QTest::mouseClick(form.cancelButton(), Qt::LeftButton);
    if (how == "close") form.close();
    if (how == "escape") QTest::keyClick(&form, Qt::Key_Escape);
    QVERIFY(!form.isVisible());
    QCOMPARE(int{form.selectedCode()}, code);
    QCOMPARE(form.result(), code ? int{QDialog::Accepted} : int{QDialog::Rejected});
  }

  void sensorStateForm() {
    SensorStateForm form(
        States("10\0"
               "1 00001"
               "1x"));
    QCOMPARE(form.objectName(), QString("SensorStateForm"));
    QCOMPARE(form.windowTitle(), QString("Auto test the status of the sensor"));
    const QStringList captionNames{"Label0", "Label1", "Labe2",  "Label3", "Label4",   "Label5",
                                   "Label6", "Label7", "Label8", "Label9", "Label111", "Label1112"};
    const QStringList texts{"On", "Off", "", "On", "", "Off", "Off", "Off", "Off", "On", "On", ""};
    const QColor normal = QLabel().palette().color(QPalette::WindowText);
    QVERIFY(normal != QColor(255, 0, 0));
    QCOMPARE(form.findChildren<QLabel*>().size(), qsizetype{24});
    QVERIFY(form.findChild<QLabel*>("Label2") == nullptr);
    for (int i = 0; i < 12; ++i) {
      auto* caption = form.findChild<QLabel*>(captionNames[i]);
      QVERIFY2(caption, qPrintable(captionNames[i]));
      const QString sensor = i < 10 ? QString::number(i + 1) : QString("KS%1").arg(i - 9);
      const QString pss = i < 10 ? "PSS" + sensor : sensor;
      QCOMPARE(caption->text(), QString("Sensor %1 (%2)").arg(sensor, pss));
      auto* state = form.findChild<QLabel*>(QString("Label%1").arg(10 + i));
      QVERIFY(state);
      QCOMPARE(state, form.stateLabel(std::size_t(i)));
      QCOMPARE(state->text(), texts[i]);
      const QColor colour = state->palette().color(QPalette::WindowText);
      QCOMPARE(colour, texts[i] == "On" ? QColor(255, 0, 0) : normal);
    }
    QCOMPARE(form.okButton()->objectName(), QString("Command1"));
    QCOMPARE(form.okButton()->text(), QString("OK"));
    CheckNamesAreDescriptions(form);
  }

  void readSnForm() {
    ReadSnForm form("KDX846-0042");
    QCOMPARE(form.objectName(), QString("ReadSn"));
    QCOMPARE(form.windowTitle(), QString("Read SN of Card Reader"));
    auto* text = form.findChild<QLineEdit*>("Text1");
    QVERIFY(text);
    QCOMPARE(text->text(), QString("KDX846-0042"));
    QCOMPARE(form.okButton()->objectName(), QString("Command1"));
    CheckNamesAreDescriptions(form);
    form.show();
    QTest::mouseClick(form.okButton(), Qt::LeftButton);
    QVERIFY(!form.isVisible());
  }

  void configForm() {
    const ConfigurationTexts values =
        ConfigurationValueTexts({'7', 'V', '1', '2', 'E', 'X', '2', '0', '3', '1'});
    ConfigForm form(values);
    QCOMPARE(form.objectName(), QString("ConfigForm"));
    QCOMPARE(form.windowTitle(), QString("Card machine configuration information"));
    const QStringList captions{"Card machiner identifies words",
                               "Software code",
                               "Support the type of card operation",
                               "Communication Interface",
                               "IC Card Module Type",
                               "RF Card Module Type",
                               "SAM Card Module Type",
                               "Dispense card component type"};
    const QStringList texts{"KDX-846",
                            "V12",
                            "Supports RF and contactless IC card Read/Write",
                            "",
                            "KDX Standard IC Card Read/Write Module",
                            "No RF Card Read/Write Module",
                            "Support three SAM card operation",
                            "Drawing card issuer Components"};
    for (int i = 0; i < 8; ++i) {
      QCOMPARE(form.captionLabel(std::size_t(i))->text(), captions[i]);
      auto* value = form.findChild<QLabel*>(QString("Label%1").arg(10 + i));
      QVERIFY(value);
      QCOMPARE(value->text(), texts[i]);
      // Each value stands to the right of its caption, lines top to bottom.
      form.show();
      QCOMPARE(value->geometry().center().y(),
               form.captionLabel(std::size_t(i))->geometry().center().y());
      QVERIFY(value->x() > form.captionLabel(std::size_t(i))->x());
    }
    CheckNamesAreDescriptions(form);
  }

  // The real modal run: the operator presses buttons while exec() waits,
  // with the normal cursor although the operation shows the busy one.
  void adapterRunsTheDialogModally() {
    WindowHarness h;
    auto* views = h.window->findChild<DevicePage*>();
    QVERIFY(views);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // Should the dialog not be found, close whatever is modal rather than hang.
    QTimer rescue;
    rescue.setSingleShot(true);
    connect(&rescue, &QTimer::timeout, [] {
      if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    });
    rescue.start(5000);
    QTimer::singleShot(0, [] {
      QWidget* modal = QApplication::activeModalWidget();
      QVERIFY(modal);
      QCOMPARE(modal->objectName(), QString("ResetOptionForm"));
      QCOMPARE(QApplication::overrideCursor()->shape(), Qt::ArrowCursor);
      modal->findChild<QRadioButton*>("Option4")->click();
      modal->findChild<QPushButton*>("Command1")->click();
    });
    QCOMPARE(views->chooseInitializeOption(), std::uint8_t{'3'});
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QApplication::restoreOverrideCursor();
  }
};

#include "test_main.h"
KDX_TEST_MAIN(DeviceDialogsTest)
#include "device_dialogs_test.moc"
