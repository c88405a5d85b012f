// The card and extended-function tabs of the main window.
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "link/conversions.h"
#include "ui/key_filter_installer.h"
#include "ui/reader_main.h"
#include "ui/widget_names.h"

namespace kdx::ui {

namespace {

QPushButton* Button(const QString& caption, const QString& name, bool enabled = false) {
  auto* button = Named(new QPushButton(caption), name);
  button->setEnabled(enabled);
  return button;
}

QComboBox* Combo(const QString& name) {
  auto* combo = Named(new QComboBox, name);
  combo->setEditable(true);
  return combo;
}

}  // namespace

QWidget* ReaderMain::buildRfTab() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* top = new QHBoxLayout;
  top->addWidget(Named(new QLabel("By activation order"), ArrayName("ICLabel110", 21)));
  auto* order = Named(new QComboBox, "RFCardUPCombbox");
  order->addItems({"Type A,Type B", "Type B,Type A", "Type A(Only)", "Type B(Only)"});
  top->addWidget(order);
  top->addWidget(Button("Activate", "RFCardUPBtn"));
  top->addWidget(Button("Inquire Status", "RFCardStatusBtn"));
  top->addWidget(Button("Deactivate", "RFCardDownBtn"));
  top->addStretch();
  layout->addLayout(top);

  auto* inner = Named(new QTabWidget, "SSTab3");
  auto* mifare = Named(new QTabWidget, "SSTab4");

  auto* s50 = new QWidget;
  auto* s50Layout = new QGridLayout(s50);
  s50Layout->addWidget(new QLabel("Sector"), 0, 0);
  s50Layout->addWidget(Combo("SecNumberCombo"), 0, 1);
  s50Layout->addWidget(new QLabel("Block"), 1, 0);
  s50Layout->addWidget(Combo("BlockNumberCombo"), 1, 1);
  s50Layout->addWidget(new QLabel("Blocks"), 2, 0);
  s50Layout->addWidget(Combo("BlockLongCombo"), 2, 1);
  s50Layout->addWidget(new QLabel("Purse block"), 3, 0);
  s50Layout->addWidget(Combo("PurseBlockCombbox"), 3, 1);
  s50Layout->setRowStretch(4, 1);
  s50Layout->setColumnStretch(2, 1);
  mifare->addTab(s50, "S50/S70");

  auto* ultralight = new QWidget;
  auto* ulLayout = new QGridLayout(ultralight);
  ulLayout->addWidget(new QLabel("Page"), 0, 0);
  ulLayout->addWidget(Combo("ULSecNumberCombo"), 0, 1);
  ulLayout->setRowStretch(1, 1);
  ulLayout->setColumnStretch(2, 1);
  mifare->addTab(ultralight, "Ultralight");

  inner->addTab(mifare, "MIFARE");
  inner->addTab(new QWidget, "ISO/IEC 14443 TYPE A");
  inner->addTab(new QWidget, "ISO/IEC 14443 TYPE B");
  layout->addWidget(inner, 1);
  return page;
}

QWidget* ReaderMain::buildExtendTab() {
  auto* page = new QWidget;
  auto* layout = new QGridLayout(page);
  auto frame = [](const QString& caption, int index) {
    return Named(new QGroupBox(caption), ArrayName("FRAMEOTHER", index));
  };

  // Life counters: shown for reference; the unit offers no command for them.
  auto* life = frame("Life Counter Read", 1);
  auto* lifeLayout = new QGridLayout(life);
  const char* lifeOptions[] = {"Number of Dispensing card from stack", "Number of IC contact press",
                               "Number of Moving card to RF card operation position"};
  for (int i = 0; i < 3; ++i) {
    auto* option = Named(new QRadioButton(lifeOptions[i]), ArrayName("ReadReaderLifeOption", i));
    lifeLayout->addWidget(option, i, 0, 1, 3);
  }
  auto* lifeEdit = Named(new QLineEdit("00000000"), "IRLifeEdit");
  lifeEdit->setMaxLength(8);
  lifeLayout->addWidget(new QLabel("Counter:"), 3, 0);
  lifeLayout->addWidget(lifeEdit, 3, 1);
  lifeLayout->addWidget(new QLabel("(DEC)"), 3, 2);

  auto* capture = frame("Capture Card Counter", 6);
  auto* captureLayout = new QGridLayout(capture);
  auto* counter = Named(new QLineEdit("000"), "IRTenKaEdit");
  counter->setMaxLength(3);
  counter->setMaximumWidth(60);
  KeyFilterInstaller::install(counter, KeyFilter::DecimalWithBackspace);
  counter_ = std::make_unique<QtCounterField>(*counter);
  captureLayout->addWidget(counter, 0, 0);
  captureLayout->addWidget(Button("Read Counter", "IRTenKaReadCMD", true), 0, 1);
  captureLayout->addWidget(Button("InitializeI Counter", "IRTenKaFormatCMD", true), 0, 2);

  auto* config = frame("Unit configuration", 5);
  (new QVBoxLayout(config))->addWidget(Button("Unit configuration", "IRCONFIGCMD", true));
  auto* sn = frame("Unit SN OPERATION", 4);
  (new QVBoxLayout(sn))->addWidget(Button("Read SN", "TypeReadsn", true));

  layout->addWidget(sn, 0, 0);
  layout->addWidget(config, 0, 1);
  layout->addWidget(capture, 1, 0);
  layout->addWidget(life, 1, 1);
  layout->setRowStretch(2, 1);
  return page;
}

void ReaderMain::fillCombos() {
  // Entries are numbers in upper-case hex, two digits except for the address.
  auto fill = [this](const char* name, int first, int count, int selected, bool twoDigits = true) {
    auto* combo = findChild<QComboBox*>(name);
    for (int i = first; i < first + count; ++i) {
      const std::string hex = QString::number(i, 16).toUpper().toStdString();
      combo->addItem(FromStd(twoDigits ? DoubleType(hex) : hex));
    }
    combo->setCurrentIndex(selected);
  };
  fill("SecNumberCombo", 0, 40, 1);
  fill("BlockNumberCombo", 0, 16, 0);
  fill("BlockLongCombo", 1, 1, 0);
  fill("PurseBlockCombbox", 0, 16, 0);
  fill("ULSecNumberCombo", 0, 16, 4);
  fill("cmbAddress846", 0, 16, 0, false);
  findChild<QComboBox*>("RFCardUPCombbox")->setCurrentIndex(0);
}

}  // namespace kdx::ui
