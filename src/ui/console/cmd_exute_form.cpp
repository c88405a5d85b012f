#include "ui/console/cmd_exute_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextEdit>
#include <QVBoxLayout>

#include "link/conversions.h"
#include "link/operation.h"
#include "ui/adapters/file_dialogs.h"
#include "ui/console/console_files.h"
#include "ui/widgets/busy_cursor.h"
#include "ui/widgets/named.h"

namespace kdx::ui {

namespace {

// 12090 by 10320 twips at 15 twips a pixel.
constexpr QSize kFormSize(806, 688);

QPushButton* Button(const char* caption, const char* name) {
  return Named(new QPushButton(caption), name);
}

}  // namespace

CMDExuteForm::CMDExuteForm(Session& session, FileDialogs& files, QWidget* parent,
                           LocalTimeSource* time)
    : QDialog(parent),
      session_(session),
      files_(files),
      ownTime_(time ? nullptr : std::make_unique<SystemLocalTime>()),
      context_{session,
               state_,
               *this,
               time ? *time : *ownTime_,
               [] { QCoreApplication::processEvents(); },
               nullptr} {
  Named(this, "CMDExuteForm");
  setWindowTitle("FORM OF COMMAND LINE");
  setFixedSize(kFormSize);
  auto* layout = new QVBoxLayout(this);
  auto* tabs = Named(new QTabWidget, "SSTab1");
  tabs->addTab(buildCommandTab(), "COMMAND");
  tabs->addTab(buildMonitorTab(), "MONITOR");
  layout->addWidget(tabs, 1);
  close_ = Button("Close", "EXITGRM");
  connect(close_, &QPushButton::clicked, this, &QDialog::close);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  bottom->addWidget(close_);
  layout->addLayout(bottom);
  LoadConsole(context_);
}

CMDExuteForm::~CMDExuteForm() {
  if (busy_ > 0) QApplication::restoreOverrideCursor();
}

QWidget* CMDExuteForm::buildCommandTab() {
  auto* page = new QWidget;
  auto* grid = new QGridLayout(page);
  script_ = Named(new QPlainTextEdit, "CmdStrText");
  script_->setLineWrapMode(QPlainTextEdit::NoWrap);
  script_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  script_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  script_->setPlainText("C04\n");
  history_ = Named(new QListWidget, "CmdStrBackList");
  history_->setUniformItemSizes(true);
  grid->addWidget(script_, 0, 0);
  grid->addWidget(history_, 0, 1);
  grid->setColumnStretch(0, 1);
  grid->setColumnStretch(1, 2);

  start_ = Button("Start", "CmdExBtn");
  step_ = Button("Setp", "CmdStepBtn");
  resume_ = Button("Resume", "CmdResumeBtn");
  stop_ = Button("Stop", "CmdStopBtn");
  cancel_ = Button("Cancel", "CmdCANCLEBtn");
  auto* save = Button("Save", "SaveCmdStrText");
  load_ = Button("Load", "ImportCmdStrText");
  auto* clear = Button("Clear Data", "ClearCmdStrBackText");
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {start_, step_, resume_, stop_, cancel_, save, load_, clear})
    buttons->addWidget(b);
  grid->addLayout(buttons, 1, 0, 1, 2);

  auto* frame = Named(new QGroupBox("Repeat Counter"), "ICframeComm");
  auto* frameLayout = new QHBoxLayout(frame);
  repeat_ = Named(new QLineEdit("1"), "LianXuText");
  const char* names[] = {"Label1", "Label2", "Label3", "Label6", "Label7", "Label8"};
  for (int i = 0; i < 6; ++i) labels_[i] = Named(new QLabel, names[i]);
  labels_[0]->setText("0");
  frameLayout->addWidget(repeat_);
  frameLayout->addWidget(labels_[0]);
  auto* status = new QHBoxLayout;
  status->addWidget(frame);
  for (int i = 1; i < 6; ++i) status->addWidget(labels_[i]);
  sent_ = Named(new QLineEdit, "txtBytesSended");
  received_ = Named(new QLineEdit, "txtBytesReceived");
  for (QLineEdit* buffer : {sent_, received_}) {
    buffer->setReadOnly(true);
    status->addWidget(buffer, 1);
  }
  grid->addLayout(status, 2, 0, 1, 2);

  connect(start_, &QPushButton::clicked, this, [this] { run(&StartRun); });
  connect(resume_, &QPushButton::clicked, this, [this] { run(&ResumeRun); });
  connect(step_, &QPushButton::clicked, this, [this] { run(&StepRun); });
  connect(stop_, &QPushButton::clicked, this, [this] { StopRun(context_); });
  connect(cancel_, &QPushButton::clicked, this, [this] { CancelRun(context_); });
  connect(save, &QPushButton::clicked, this, &CMDExuteForm::saveScript);
  connect(load_, &QPushButton::clicked, this, &CMDExuteForm::loadScript);
  connect(clear, &QPushButton::clicked, history_, &QListWidget::clear);
  return page;
}

QWidget* CMDExuteForm::buildMonitorTab() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  traffic_ = Named(new QListWidget, "lstResults");
  traffic_->setUniformItemSizes(true);
  layout->addWidget(traffic_, 1);
  auto* row = new QHBoxLayout;
  auto* clear = Button("Clear Data", "ClearSDTDText");
  auto* save = Button("Save To", "SaveSDTDText");
  row->addWidget(clear);
  row->addWidget(Named(new QCheckBox("Record Data"), "CheckRecord"));
  row->addStretch();
  row->addWidget(save);
  layout->addLayout(row);
  rich_ = Named(new QTextEdit, "RichTextBox1");
  rich_->setAcceptRichText(false);
  rich_->setMaximumHeight(120);
  layout->addWidget(rich_);
  connect(clear, &QPushButton::clicked, traffic_, &QListWidget::clear);
  connect(save, &QPushButton::clicked, this, &CMDExuteForm::saveTraffic);
  return page;
}

QListWidget* CMDExuteForm::list(ConsoleList which) const {
  return which == ConsoleList::History ? history_ : traffic_;
}

void CMDExuteForm::addEntry(ConsoleList which, std::string_view entry) {
  list(which)->addItem(FromDevice(entry));
}

void CMDExuteForm::clearList(ConsoleList which) {
  list(which)->clear();
}

std::size_t CMDExuteForm::entryCount(ConsoleList which) {
  return static_cast<std::size_t>(list(which)->count());
}

void CMDExuteForm::selectLastEntry(ConsoleList which) {
  QListWidget* l = list(which);
  l->setCurrentRow(l->count() - 1);
}

void CMDExuteForm::showBuiltLine(LineBuffer buffer, std::string_view line) {
  (buffer == LineBuffer::Sent ? sent_ : received_)->setText(FromDevice(line));
}

std::string CMDExuteForm::scriptText() {
  QString text = script_->toPlainText();
  text.replace('\n', "\r\n");
  return ToDevice(text);
}

void CMDExuteForm::setScriptText(std::string_view text) {
  QString plain = FromDevice(text);
  plain.remove('\r');
  if (plain != script_->toPlainText()) script_->setPlainText(plain);
}

void CMDExuteForm::highlightLine(int line) {
  QList<QTextEdit::ExtraSelection> selections;
  const QTextBlock block = script_->document()->findBlockByNumber(line);
  if (line >= 0 && block.isValid()) {
    QTextEdit::ExtraSelection selection;
    selection.cursor = QTextCursor(block);
    selection.cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    selection.format.setFontWeight(QFont::Bold);
    selection.format.setForeground(QColor(0, 0, 255));
    selections.append(selection);
    script_->setTextCursor(selection.cursor);
  }
  script_->setExtraSelections(selections);
  script_->repaint();
}

std::string CMDExuteForm::repeatText() {
  return ToDevice(repeat_->text());
}

void CMDExuteForm::setLabel(ConsoleLabel label, std::string_view text) {
  labels_[static_cast<int>(label)]->setText(FromDevice(text));
}

void CMDExuteForm::setButtons(const ButtonStates& s) {
  start_->setEnabled(s.start);
  resume_->setEnabled(s.resume);
  step_->setEnabled(s.step);
  stop_->setEnabled(s.stop);
  cancel_->setEnabled(s.cancel);
  if (s.script != ButtonStates::Script::Unchanged)
    script_->setEnabled(s.script == ButtonStates::Script::On);
}

void CMDExuteForm::setBusy(bool on) {
  if (on) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ++busy_;
  } else if (busy_ > 0) {
    QApplication::restoreOverrideCursor();
    --busy_;
  }
}

void CMDExuteForm::run(void (*press)(ConsoleContext&)) {
  // The window takes clicks while a line runs (that is how Stop and Cancel
  // get through). A second Start, Resume or Setp then, such as the second
  // click of a double click on "Setp", would run as a step inside the step
  // and send the same line again: it is ignored.
  if (running_) return;
  // While a run holds the click, "Load" would change the script under it and
  // "Close" would destroy the window it runs in: both wait for its end.
  running_ = true;
  load_->setEnabled(false);
  close_->setEnabled(false);
  press(context_);
  running_ = false;
  load_->setEnabled(true);
  close_->setEnabled(true);
}

void CMDExuteForm::closeEvent(QCloseEvent* event) {
  if (running_) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void CMDExuteForm::reject() {
  if (!running_) QDialog::reject();
}

void CMDExuteForm::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  if (size() != kFormSize && !isMinimized()) resize(kFormSize);
}

void CMDExuteForm::saveScript() {
  const std::string text(TrimBlanks(scriptText()));
  if (SaveTextAs(files_, session_.messages, this, text)) rich_->setPlainText(FromDevice(text));
}

void CMDExuteForm::loadScript() {
  const auto text = LoadScriptFile(files_, session_.messages, this);
  if (!text) return;
  rich_->setPlainText(*text);
  setScriptText(TrimBlanks(ToDevice(*text)));
}

void CMDExuteForm::saveTraffic() {
  QStringList entries;
  for (int i = 0; i < traffic_->count(); ++i) entries << traffic_->item(i)->text();
  const auto path = ConfirmSavePath(files_, session_.messages, this);
  if (!path) return;
  QString error;
  int code = 0;
  {
    // The busy pointer while the text is built and written, not over the
    // dialog, the name box or an error box.
    BusyCursor busy;
    const QByteArray bytes = TrafficFileBytes(entries);
    rich_->setPlainText(QString::fromLatin1(bytes));
    code = WriteFileAtomically(*path, bytes, &error);
  }
  if (code != 0) ShowFileError(session_.messages, code, error);
}

void OpenConsole(Session& session, FileDialogs& files, QWidget* owner) {
  if (!CheckLink(session)) return;
  CMDExuteForm form(session, files, owner);
  form.exec();
}

}  // namespace kdx::ui
