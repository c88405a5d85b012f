#include "ui/rf/rf_card_page.h"

#include <QHBoxLayout>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "iso/answer_to_request_b.h"
#include "iso/answer_to_select.h"
#include "rf/activation.h"
#include "rf/rf_operations.h"
#include "ui/rf/apdu_card_tab.h"
#include "ui/rf/mifare_classic_tab.h"
#include "ui/rf/ultralight_tab.h"
#include "ui/widgets/byte_grid.h"

namespace kdx::ui {

namespace {

// The chosen item's position in a list whose position is the number.
std::uint8_t ListPosition(const QComboBox& list) {
  return static_cast<std::uint8_t>(std::max(list.currentIndex(), 0));
}

CellTexts Cells(const ByteGrid& grid) {
  return CellTexts(grid.cellTexts());
}

}  // namespace

RfCardPage::RfCardPage(const PageServices& services, QWidget* parent)
    : QWidget(parent), services_(services), context_{services.session, *this} {
  const RfButtonMaker button = [this](std::string_view control) {
    const RfOperation* row = FindRfOperation(control);
    Q_ASSERT(row);
    return OperationButton(*row, context_, services_.run);
  };

  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  top->addWidget(Named(new QLabel("By activation order"), ArrayName("ICLabel110", 21)));
  protocol_ = Named(new QComboBox, "RFCardUPCombbox");
  for (auto item : kProtocolItems) protocol_->addItem(FromDevice(item));
  protocol_->setCurrentIndex(0);
  top->addWidget(protocol_);
  for (auto control : {"RFCardUPBtn", "RFCardStatusBtn", "RFCardDownBtn"}) {
    top->addWidget(button(control));
  }
  top->addStretch();
  layout->addLayout(top);

  protocolTabs_ = Named(new QTabWidget, "SSTab3");
  mifareTabs_ = Named(new QTabWidget, "SSTab4");
  classic_ = new MifareClassicTab(button);
  ultralight_ = new UltralightTab(button);
  mifareTabs_->addTab(classic_, "S50/S70");
  mifareTabs_->addTab(ultralight_, "Ultralight");
  typeA_ = new ApduCardTab({"CPURFTypeAmessage", "ATRTypeAText", "TypeACAPDUText", "SendTypeACmd",
                            "TypeARAPDUText", "ATRTypeATextDetails", "TypeAReturnStatusLine"},
                           DecodeAts, button);
  typeB_ = new ApduCardTab({nullptr, "ATRTypeBText", "TypeBCAPDUText", "SendTypeBCmd",
                            "TypeBRAPDUText", "ATRTypeBTextDetails", "TypeBReturnStatusLine"},
                           DecodeAtqb, button);
  protocolTabs_->addTab(mifareTabs_, "MIFARE");
  protocolTabs_->addTab(typeA_, "ISO/IEC 14443 TYPE A");
  protocolTabs_->addTab(typeB_, "ISO/IEC 14443 TYPE B");
  layout->addWidget(protocolTabs_, 1);
}

RfInputs RfCardPage::inputs() const {
  RfInputs in;
  in.protocol = ToDevice(protocol_->currentText());
  in.keyB = !classic_->keyA->isChecked();
  in.keyCells = Cells(*classic_->keys);
  in.sector = ListPosition(*classic_->sector);
  in.block = ListPosition(*classic_->block);
  in.blockCount = ListPosition(*classic_->blockCount);
  in.blockCells = Cells(*classic_->blockGrid);
  in.purseBlock = ListPosition(*classic_->purseBlock);
  in.purseValue = ToDevice(classic_->purseValue->text());
  in.page = ListPosition(*ultralight_->page);
  in.pageCells = Cells(*ultralight_->pageGrid);
  in.apduA = ToDevice(typeA_->command->currentText());
  in.apduB = ToDevice(typeB_->command->currentText());
  return in;
}

void RfCardPage::showCardFields(const RfCardFields& fields) {
  classic_->serial->setText(FromDevice(fields.mifareUid));
  ultralight_->serial->setText(FromDevice(fields.ultralightUid));
  typeA_->serial->setText(FromDevice(fields.typeAUid));
  typeA_->answer->setText(FromDevice(fields.typeAAnswer));
  typeB_->answer->setText(FromDevice(fields.typeBAnswer));
}

void RfCardPage::bringTabsToFront(std::span<const TabStop> stops) {
  services_.tabs.bringToFront(stops);
}

CellGrid& RfCardPage::blockGrid() {
  return *classic_->blockGrid;
}

CellGrid& RfCardPage::pageGrid() {
  return *ultralight_->pageGrid;
}

void RfCardPage::setPurseValue(std::string_view text) {
  classic_->purseValue->setText(FromDevice(text));
}

void RfCardPage::setApduResponse(ApduTab tab, std::string_view text) {
  (tab == ApduTab::TypeA ? typeA_ : typeB_)->response->setText(FromDevice(text));
}

void RfCardPage::showAccessConditions(const DecodedLines& lines) {
  ShowDecodedLines(*classic_->accessConditions, lines);
}

}  // namespace kdx::ui
