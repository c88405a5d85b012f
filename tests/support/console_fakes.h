#pragma once

#include <map>
#include <string>
#include <vector>

#include "console/console_run.h"
#include "link/conversions.h"

namespace kdx::test {

// The console window recorded instead of shown: both lists, the script box
// with its highlighted line, every label write and every button state.
struct FakeConsoleView final : ConsoleView {
  std::vector<std::string> history;
  std::vector<std::string> traffic;
  std::string script = "C04\r\n";
  std::string repeat = "1";
  int highlighted = -1;
  std::map<ConsoleLabel, std::vector<std::string>> labels;
  std::vector<ButtonStates> buttons;
  std::string sentBuffer, receivedBuffer;
  int clears = 0;
  int busy = 0;

  std::vector<std::string>& list(ConsoleList l) {
    return l == ConsoleList::History ? history : traffic;
  }
  void addEntry(ConsoleList l, std::string_view entry) override { list(l).emplace_back(entry); }
  void clearList(ConsoleList l) override {
    ++clears;
    list(l).clear();
  }
  std::size_t entryCount(ConsoleList l) override { return list(l).size(); }
  void selectLastEntry(ConsoleList) override {}
  void showBuiltLine(LineBuffer b, std::string_view line) override {
    (b == LineBuffer::Sent ? sentBuffer : receivedBuffer) = line;
  }
  std::string scriptText() override { return script; }
  void setScriptText(std::string_view text) override { script = text; }
  void highlightLine(int line) override { highlighted = line; }
  std::string repeatText() override { return repeat; }
  void setLabel(ConsoleLabel label, std::string_view text) override {
    labels[label].emplace_back(text);
  }
  void setButtons(const ButtonStates& states) override { buttons.push_back(states); }
  void setBusy(bool on) override { busy += on ? 1 : 0; }

  std::string label(ConsoleLabel l) const {
    auto it = labels.find(l);
    return it == labels.end() || it->second.empty() ? std::string() : it->second.back();
  }
};

// A clock for time stamps that moves one millisecond each time it is read.
struct SteppingTime final : LocalTimeSource {
  LocalTime time{2026, 3, 4, 5, 6, 7, 8};
  LocalTime now() override {
    LocalTime t = time;
    ++time.millisecond;
    return t;
  }
};

// The enabled states of a named row of the table, to compare with.
inline bool SameButtons(const ButtonStates& a, const ButtonStates& b) {
  return a.start == b.start && a.resume == b.resume && a.step == b.step && a.stop == b.stop &&
         a.cancel == b.cancel && a.script == b.script;
}

// A console over any session: `processEvents` runs the test's hook, if any.
struct ConsoleRig {
  FakeConsoleView view;
  ConsoleState consoleState;
  SteppingTime time;
  std::function<void()> onEvents;
  int eventRounds = 0;
  ConsoleContext context;

  explicit ConsoleRig(Session& session)
      : context{session,
                consoleState,
                view,
                time,
                [this] {
                  ++eventRounds;
                  if (onEvents) onEvents();
                },
                nullptr} {
    LoadConsole(context);
  }
};

}  // namespace kdx::test
