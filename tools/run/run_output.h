#pragma once

#include <cstdio>
#include <string>

#include "console/console_transaction.h"
#include "link/messages.h"
#include "run_options.h"

namespace kdx::run {

// The console's view without a window: in text format each list entry goes
// to `out` as it is added; the script and the repeat count are held here.
class RunView final : public ConsoleView {
 public:
  RunView(std::FILE* out, Format format, std::string script, std::string repeat)
      : out_(out),
        text_(format == Format::Text),
        script_(std::move(script)),
        repeat_(std::move(repeat)) {}

  void addEntry(ConsoleList list, std::string_view entry) override;
  void clearList(ConsoleList list) override { counts_[Index(list)] = 0; }
  std::size_t entryCount(ConsoleList list) override { return counts_[Index(list)]; }
  void selectLastEntry(ConsoleList) override {}
  void showBuiltLine(LineBuffer, std::string_view) override {}
  std::string scriptText() override { return script_; }
  void setScriptText(std::string_view text) override { script_ = text; }
  void highlightLine(int) override {}
  std::string repeatText() override { return repeat_; }
  void setLabel(ConsoleLabel, std::string_view) override {}
  void setButtons(const ButtonStates&) override {}

 private:
  static int Index(ConsoleList list) { return list == ConsoleList::History ? 0 : 1; }
  std::FILE* out_;
  bool text_;
  std::string script_;
  std::string repeat_;
  std::size_t counts_[2] = {0, 0};
};

// Message boxes as lines on standard error: "kdx846-run: Caution: ...".
class RunMessages final : public Messages {
 public:
  explicit RunMessages(std::FILE* err) : err_(err) {}
  void show(std::string_view title, std::string_view text, Icon icon) override;
  bool askOkCancel(std::string_view title, std::string_view text, Icon icon) override {
    show(title, text, icon);
    return false;
  }

 private:
  std::FILE* err_;
};

// One exchange as a JSON object on one line: time, line and pass, the bytes
// sent, the reply's kind, codes and data.
std::string ExchangeJson(const ExchangeRecord& record, int line, int pass);

// The exit status the exchanges so far call for.
class Outcome {
 public:
  void add(ExchangeEnd end);
  int status() const;

 private:
  bool negative_ = false;
  bool linkFailed_ = false;
  bool cancelled_ = false;
};

}  // namespace kdx::run
