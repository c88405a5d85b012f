#include "ui/monitor/monitor_page.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/adapters/file_dialogs.h"
#include "ui/monitor/monitor_view.h"
#include "ui/widgets/named.h"

namespace kdx::ui {

MonitorPage::MonitorPage(Session& session, FileDialogs& files, QWidget* parent)
    : QWidget(parent), session_(session), files_(files) {
  auto* layout = new QVBoxLayout(this);
  view_ = Named(new MonitorView(session_.monitor), "SDTDText");
  layout->addWidget(view_, 1);
  auto* row = new QHBoxLayout;
  auto* clear = Named(new QPushButton("Clear Data"), "ClearSDTDText");
  auto* record = Named(new QCheckBox("Record Data"), "CheckRecord");
  record->setChecked(session_.monitor.record());
  auto* save = Named(new QPushButton("Save To"), "SaveSDTDText");
  row->addWidget(clear);
  row->addWidget(record);
  row->addStretch();
  row->addWidget(save);
  layout->addLayout(row);
  connect(clear, &QPushButton::clicked, this, [this] { session_.monitor.clear(); });
  connect(record, &QCheckBox::toggled, this, [this](bool on) { session_.monitor.setRecord(on); });
  connect(save, &QPushButton::clicked, this, &MonitorPage::save);
}

void MonitorPage::save() {
  SaveTextAs(files_, session_.messages, this, session_.monitor.trimmedText());
}

}  // namespace kdx::ui
