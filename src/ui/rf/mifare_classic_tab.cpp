#include "ui/rf/mifare_classic_tab.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "rf/mifare_operations.h"
#include "rf/rf_operations.h"
#include "ui/widgets/byte_grid.h"
#include "ui/widgets/decoded_view.h"
#include "ui/widgets/key_filter_installer.h"

namespace kdx::ui {

MifareClassicTab::MifareClassicTab(const RfButtonMaker& button, QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);

  auto* top = new QHBoxLayout;
  serial = SerialLabel("RFmessageLabel");
  top->addWidget(new QLabel("Card SN"));
  top->addWidget(serial);
  top->addSpacing(20);
  sector = HexList("SecNumberCombo", 0, kSectorCount, 1);
  top->addWidget(new QLabel("The current number of sectors"));
  top->addWidget(sector);
  top->addStretch();
  layout->addLayout(top);

  auto* keyFrame = RfFrame(kKeyFrame);
  auto* keyLayout = new QGridLayout(keyFrame);
  keys = new ByteGrid(ByteGridShape::srfPassword());
  keyA = Named(new QRadioButton("KEY A"), "RfKeyAB1");
  keyB = Named(new QRadioButton("KEY B"), "RfKeyAB2");
  keyA->setChecked(true);
  keyLayout->addWidget(new QLabel("Sector password"), 0, 0);
  keyLayout->addWidget(keys, 0, 1);
  keyLayout->addWidget(keyA, 0, 2);
  keyLayout->addWidget(keyB, 0, 3);
  auto* keyButtons = new QHBoxLayout;
  for (auto control :
       {"StoreKeyToEEBtn", "ReadKeyFromEEBtn", "RFCheckPasswordBtn", "RFChangePasswordBtn"}) {
    keyButtons->addWidget(button(control));
  }
  keyLayout->addLayout(keyButtons, 1, 0, 1, 4);
  keyLayout->setColumnStretch(4, 1);
  layout->addWidget(keyFrame);

  auto* blockFrame = RfFrame(kBlockFrame);
  auto* blockLayout = new QGridLayout(blockFrame);
  block = HexList("BlockNumberCombo", 0, kBlocksListed, 0);
  blockCount = HexList("BlockLongCombo", 1, kBlockCountsListed, 0);
  blockGrid = new ByteGrid(ByteGridShape::srfText());
  blockLayout->addWidget(new QLabel("Start Block"), 0, 0);
  blockLayout->addWidget(block, 0, 1);
  blockLayout->addWidget(new QLabel("Block Numbers"), 0, 2);
  blockLayout->addWidget(blockCount, 0, 3);
  blockLayout->addWidget(button("RFreadBtn"), 0, 4);
  blockLayout->addWidget(button("RFwriteBtn"), 0, 5);
  blockLayout->addWidget(blockGrid, 1, 0, 1, 7);
  accessConditions = DecodedView("SRFTextLISTAccess", 7);
  blockLayout->addWidget(accessConditions, 2, 0, 1, 7);
  blockLayout->setColumnStretch(6, 1);
  layout->addWidget(blockFrame);

  auto* purseFrame = RfFrame(kPurseFrame);
  auto* purseLayout = new QGridLayout(purseFrame);
  purseBlock = HexList("PurseBlockCombbox", 0, kBlocksListed, 0);
  purseValue = Named(new QLineEdit("0"), "PurseValueText");
  purseValue->setMaxLength(10);
  KeyFilterInstaller::install(purseValue, KeyFilter::Decimal);
  purseLayout->addWidget(new QLabel("Block Number(HEX)"), 0, 0);
  purseLayout->addWidget(purseBlock, 0, 1);
  purseLayout->addWidget(new QLabel("value(DEC)"), 0, 2);
  purseLayout->addWidget(purseValue, 0, 3);
  auto* purseButtons = new QHBoxLayout;
  for (auto control : {"INITRFCmd", "INCRFCmd", "DECRFCmd", "ReadValueRfCmd"}) {
    purseButtons->addWidget(button(control));
  }
  purseLayout->addLayout(purseButtons, 1, 0, 1, 4);
  purseLayout->setColumnStretch(4, 1);
  layout->addWidget(purseFrame);
  layout->addStretch();
}

}  // namespace kdx::ui
