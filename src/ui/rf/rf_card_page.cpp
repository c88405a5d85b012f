#include "ui/rf/rf_card_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "link/bytes.h"

namespace kdx::ui {

namespace {

// The station's operations come with the contactless card family; until
// then its buttons stay visibly unavailable.
QPushButton* Unavailable(const char* caption, const char* name) {
  auto* button = Named(new QPushButton(caption), name);
  button->setEnabled(false);
  return button;
}

QComboBox* Combo(const char* name) {
  auto* combo = Named(new QComboBox, name);
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);  // typed values never join the list
  return combo;
}

}  // namespace

RfCardPage::RfCardPage(const PageServices& services, QWidget* parent)
    : QWidget(parent), services_(services) {
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  top->addWidget(Named(new QLabel("By activation order"), ArrayName("ICLabel110", 21)));
  auto* order = Named(new QComboBox, "RFCardUPCombbox");
  order->addItems({"Type A,Type B", "Type B,Type A", "Type A(Only)", "Type B(Only)"});
  top->addWidget(order);
  top->addWidget(Unavailable("Activate", "RFCardUPBtn"));
  top->addWidget(Unavailable("Inquire Status", "RFCardStatusBtn"));
  top->addWidget(Unavailable("Deactivate", "RFCardDownBtn"));
  top->addStretch();
  layout->addLayout(top);

  auto* inner = Named(new QTabWidget, "SSTab3");
  auto* mifare = Named(new QTabWidget, "SSTab4");

  auto* s50 = new QWidget;
  auto* s50Layout = new QGridLayout(s50);
  auto* sector = Combo("SecNumberCombo");
  auto* block = Combo("BlockNumberCombo");
  auto* blocks = Combo("BlockLongCombo");
  auto* purseBlock = Combo("PurseBlockCombbox");
  s50Layout->addWidget(new QLabel("Sector"), 0, 0);
  s50Layout->addWidget(sector, 0, 1);
  s50Layout->addWidget(new QLabel("Block"), 1, 0);
  s50Layout->addWidget(block, 1, 1);
  s50Layout->addWidget(new QLabel("Blocks"), 2, 0);
  s50Layout->addWidget(blocks, 2, 1);
  s50Layout->addWidget(new QLabel("Purse block"), 3, 0);
  s50Layout->addWidget(purseBlock, 3, 1);
  s50Layout->setRowStretch(4, 1);
  s50Layout->setColumnStretch(2, 1);
  mifare->addTab(s50, "S50/S70");

  auto* ultralight = new QWidget;
  auto* ulLayout = new QGridLayout(ultralight);
  ulLayout->addWidget(new QLabel("Page"), 0, 0);
  auto* page = Combo("ULSecNumberCombo");
  ulLayout->addWidget(page, 0, 1);
  ulLayout->setRowStretch(1, 1);
  ulLayout->setColumnStretch(2, 1);
  mifare->addTab(ultralight, "Ultralight");

  inner->addTab(mifare, "MIFARE");
  inner->addTab(new QWidget, "ISO/IEC 14443 TYPE A");
  inner->addTab(new QWidget, "ISO/IEC 14443 TYPE B");
  layout->addWidget(inner, 1);

  // Filled when the window loads: the numbers in two-digit upper-case hex.
  auto fill = [](QComboBox* combo, int first, int count, int selected) {
    for (int i = first; i < first + count; ++i)
      combo->addItem(FromDevice(HexByte(std::uint8_t(i))));
    combo->setCurrentIndex(selected);
  };
  fill(sector, 0, 40, 1);
  fill(block, 0, 16, 0);
  fill(blocks, 1, 1, 0);
  fill(purseBlock, 0, 16, 0);
  fill(page, 0, 16, 4);
  order->setCurrentIndex(0);
}

}  // namespace kdx::ui
