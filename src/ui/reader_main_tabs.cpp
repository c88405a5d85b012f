// The card and extended-function tabs of the main window.
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "link/conversions.h"
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
  auto* life = frame("Life Counter Read", 1);
  new QVBoxLayout(life);
  auto* capture = frame("Capture Card Counter", 6);
  new QVBoxLayout(capture);
  auto* config = frame("Unit configuration", 5);
  (new QVBoxLayout(config))->addWidget(Button("Unit configuration", "IRCONFIGCMD"));
  auto* sn = frame("Unit SN OPERATION", 4);
  (new QVBoxLayout(sn))->addWidget(Button("Read SN", "TypeReadsn"));
  layout->addWidget(life, 0, 0);
  layout->addWidget(capture, 0, 1);
  layout->addWidget(config, 1, 0);
  layout->addWidget(sn, 1, 1);
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
