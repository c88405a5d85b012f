#include "ui/monitor/monitor_page.h"

#include <QCheckBox>
#include <QFileInfo>
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
  auto* monitorView = Named(new MonitorView(session_.monitor), "SDTDText");
  layout->addWidget(monitorView, 1);
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
  const auto path = files_.saveTextFile(this);
  if (!path) return;
  const QString name = QFileInfo(*path).fileName();
  session_.messages.show(
      "Save As...", ("File Name is " + name + "\r\nFull path and file is " + *path).toStdString(),
      Icon::None);
  const std::string text = session_.monitor.trimmedText();
  QString error;
  const int code = WriteFileAtomically(
      *path, QByteArray(text.data(), static_cast<qsizetype>(text.size())), &error);
  if (code != 0) {
    session_.messages.show("mnuFileSaveAsDialog_Click",
                           ("Error: " + QString::number(code) + " " + error).toStdString(),
                           Icon::None);
  }
}

}  // namespace kdx::ui
