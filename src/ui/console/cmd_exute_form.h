#pragma once

#include <QDialog>
#include <memory>

#include "console/console_run.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTextEdit;

namespace kdx::ui {

class FileDialogs;

// The command console "FORM OF COMMAND LINE": the script and its history on
// the COMMAND tab, the traffic list on the MONITOR tab. It is the view the
// console's runs talk to; each button runs its part to the end inside its
// click, and the window processes pending clicks once at the start of each
// command line, which is where "Stop" and "Cancel" take effect.
class CMDExuteForm final : public QDialog, public ConsoleView {
  Q_OBJECT
 public:
  // `time` gives the time stamps; the local time when none is given.
  CMDExuteForm(Session& session, FileDialogs& files, QWidget* parent = nullptr,
               LocalTimeSource* time = nullptr);
  ~CMDExuteForm() override;

  ConsoleState& consoleState() { return state_; }
  // Whether a button's run is under way (inside its click).
  bool running() const { return running_; }

  // ConsoleView
  void addEntry(ConsoleList list, std::string_view entry) override;
  void clearList(ConsoleList list) override;
  std::size_t entryCount(ConsoleList list) override;
  void selectLastEntry(ConsoleList list) override;
  void showBuiltLine(LineBuffer buffer, std::string_view line) override;
  std::string scriptText() override;
  void setScriptText(std::string_view text) override;
  void highlightLine(int line) override;
  std::string repeatText() override;
  void setLabel(ConsoleLabel label, std::string_view text) override;
  void setButtons(const ButtonStates& states) override;
  void setBusy(bool on) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void reject() override;

 private:
  QWidget* buildCommandTab();
  QWidget* buildMonitorTab();
  QListWidget* list(ConsoleList which) const;
  // Runs one of Start, Resume or Setp with the window marked as running.
  void run(void (*press)(ConsoleContext&));
  void saveScript();
  void loadScript();
  void saveTraffic();

  Session& session_;
  FileDialogs& files_;
  std::unique_ptr<LocalTimeSource> ownTime_;
  ConsoleState state_;
  ConsoleContext context_;
  bool running_ = false;
  int busy_ = 0;

  QPlainTextEdit* script_ = nullptr;
  QListWidget* history_ = nullptr;
  QListWidget* traffic_ = nullptr;
  QLineEdit* repeat_ = nullptr;
  QLineEdit* sent_ = nullptr;
  QLineEdit* received_ = nullptr;
  QTextEdit* rich_ = nullptr;
  QPushButton *start_ = nullptr, *resume_ = nullptr, *step_ = nullptr, *stop_ = nullptr,
              *cancel_ = nullptr, *load_ = nullptr, *close_ = nullptr;
  QLabel* labels_[6] = {};
};

// "Command Line": the console, modally, while the link is open.
void OpenConsole(Session& session, FileDialogs& files, QWidget* owner);

}  // namespace kdx::ui
