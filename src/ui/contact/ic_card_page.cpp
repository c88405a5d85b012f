// The "IC CARD" tab: the card data grid and the inner tabs of the contact
// card families.
#include "ui/contact/ic_card_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "ui/contact/at24_tab.h"
#include "ui/contact/cpu_card_dialog.h"
#include "ui/contact/sle4428_tab.h"
#include "ui/contact/sle4442_tab.h"
#include "ui/widgets/byte_grid.h"
#include "ui/widgets/key_filter_installer.h"
#include "ui/widgets/named.h"

namespace kdx::ui {

namespace {

struct Field {
  const char* label;
  const char* name;
  const char* initial = "";
  bool filtered = true;
};

// A page of labelled hex entry fields and buttons. These card families have
// no operations on this unit: their buttons are there to be seen and send
// nothing.
QWidget* EntryPage(std::initializer_list<Field> fields,
                   std::initializer_list<const char*> buttons) {
  auto* page = new QWidget;
  auto* layout = new QGridLayout(page);
  int row = 0;
  int column = 0;
  for (const Field& f : fields) {
    auto* edit = Named(new QLineEdit(f.initial), f.name);
    edit->setMaximumWidth(80);
    if (f.filtered) KeyFilterInstaller::install(edit, KeyFilter::StrictHex);
    layout->addWidget(new QLabel(f.label), row, column * 2);
    layout->addWidget(edit, row, column * 2 + 1);
    if (++column == 3) {
      column = 0;
      ++row;
    }
  }
  auto* buttonRow = new QHBoxLayout;
  for (const char* caption : buttons) buttonRow->addWidget(new QPushButton(caption));
  buttonRow->addStretch();
  layout->addLayout(buttonRow, row + 1, 0, 1, 6);
  layout->setRowStretch(row + 2, 1);
  layout->setColumnStretch(6, 1);
  return page;
}

QWidget* At88sc1608Page() {
  auto* page = EntryPage({{"Address", "ATC1608Add"},
                          {"Length", "ATC1608Long"},
                          {"Password 1", "ATC1608pass1"},
                          {"Password 2", "ATC1608pass2", "", false},
                          {"Password 3", "ATC1608pass3"}},
                         {"Activate", "Read Data", "Write Data", "Verify", "Deactivate"});
  auto* layout = static_cast<QGridLayout*>(page->layout());
  auto* keys = new QHBoxLayout;
  keys->addWidget(new QLabel("Verify"));
  for (int i = 1; i <= 8; ++i) {
    auto* edit = Named(new QLineEdit, QString("ATC1608Vri%1").arg(i, 2, 10, QChar('0')));
    edit->setMaximumWidth(40);
    KeyFilterInstaller::install(edit, KeyFilter::StrictHex);
    keys->addWidget(edit);
  }
  keys->addStretch();
  layout->addLayout(keys, layout->rowCount(), 0, 1, 6);
  return page;
}

}  // namespace

IcCardPage::IcCardPage(const PageServices& services, QWidget* parent)
    : QWidget(parent), services_(services) {
  auto* layout = new QVBoxLayout(this);
  auto* data = Named(new QGroupBox("IC Card Data"), ArrayName("ICframeComm", 9));
  grid_ = new ByteGrid(ByteGridShape::icText());
  (new QVBoxLayout(data))->addWidget(grid_);
  layout->addWidget(data);

  auto* inner = Named(new QTabWidget, "SSTab2");
  auto* cpuSam = new QWidget;
  auto* cpuLayout = new QGridLayout(cpuSam);
  cpuLayout->addWidget(
      services_.windows.add("Sam Card", "SIMRUN",
                            [this] { OpenCpuCardWindow(CpuCardWindow::Sam, services_, window()); }),
      0, 0);
  cpuLayout->addWidget(
      services_.windows.add("CPU Card", "CPURUN",
                            [this] { OpenCpuCardWindow(CpuCardWindow::Cpu, services_, window()); }),
      0, 1);
  cpuLayout->setColumnStretch(2, 1);
  cpuLayout->setRowStretch(1, 1);
  inner->addTab(cpuSam, "CPU/SAM");
  inner->addTab(new Sle4442Tab(services_, *grid_), "SLE4442");
  inner->addTab(new Sle4428Tab(services_, *grid_), "SLE4428");
  inner->addTab(EntryPage({{"Address", "AT102Add"}, {"Length", "AT102Long"}},
                          {"Activate", "Read Data", "Write Data", "Deactivate"}),
                "AT88SC102");
  inner->addTab(new At24Tab(services_, *grid_), "24CXX");
  inner->addTab(EntryPage({{"Format", "ATC1604A6format", "30"},
                           {"Address", "ATC1604add1", "00"},
                           {"Address 2", "ATC1604add2", "00"},
                           {"Length", "ATC1604Long", "80"},
                           {"Password 1", "ATC1604pass1"},
                           {"Password 2", "ATC1604pass2"}},
                          {"Activate", "Read Data", "Write Data", "Verify", "Deactivate"}),
                "AT88SC1604");
  inner->addTab(At88sc1608Page(), "AT88SC1608");
  inner->addTab(EntryPage({{"Page", "AT45Page"}, {"Length", "AT45Long"}},
                          {"Activate", "Read Data", "Write Data", "Deactivate"}),
                "AT45D041");
  layout->addWidget(inner, 1);
  tabs_ = inner;
}

}  // namespace kdx::ui
