#include "ui/rf/ultralight_tab.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "rf/mifare_operations.h"
#include "rf/rf_operations.h"
#include "ui/widgets/byte_grid.h"

namespace kdx::ui {

UltralightTab::UltralightTab(const RfButtonMaker& button, QWidget* parent) : QWidget(parent) {
  auto* layout = new QGridLayout(this);
  serial = SerialLabel("ULRFmessage");
  page = HexList("ULSecNumberCombo", 0, kPagesListed, 4);
  layout->addWidget(new QLabel("Card SN"), 0, 0);
  layout->addWidget(serial, 0, 1);
  layout->addWidget(new QLabel("Block"), 1, 0);
  layout->addWidget(page, 1, 1, Qt::AlignLeft);

  auto* data = RfFrame("UL Card Data ");
  pageGrid = new ByteGrid(ByteGridShape::ulText());
  (new QVBoxLayout(data))->addWidget(pageGrid);
  layout->addWidget(data, 2, 0, 1, 2);

  auto* commands = RfFrame(kPageFrame);
  auto* buttons = new QHBoxLayout(commands);
  buttons->addWidget(button("ULCmdRread"));
  buttons->addWidget(button("ULCmdRwrite"));
  layout->addWidget(commands, 2, 2);
  layout->setColumnStretch(3, 1);
  layout->setRowStretch(3, 1);
}

}  // namespace kdx::ui
