#pragma once

#include <string>
#include <string_view>

#include "console/console_state.h"

namespace kdx {

enum class ConsoleList { History, Traffic };  // CmdStrBackList, lstResults
enum class LineBuffer { Sent, Received };     // txtBytesSended, txtBytesReceived
// Label1 (remaining repetitions), Label2 (lines), Label3 (current line),
// Label6 (repeat count), Label7 (remaining, as a number), Label8 (steps).
enum class ConsoleLabel { Remaining, Lines, CurrentLine, RepeatCount, RemainingNumber, Steps };

// The console window as the runs see it. The Qt window implements it; the
// headless runner prints the lists instead.
class ConsoleView {
 public:
  virtual ~ConsoleView() = default;

  virtual void addEntry(ConsoleList list, std::string_view entry) = 0;
  virtual void clearList(ConsoleList list) = 0;
  virtual std::size_t entryCount(ConsoleList list) = 0;
  // Selects the last entry, so that the list scrolls with the traffic.
  virtual void selectLastEntry(ConsoleList list) = 0;
  // The line buffer shows the last list line built.
  virtual void showBuiltLine(LineBuffer buffer, std::string_view line) = 0;

  // The script (`CmdStrText`) with CR LF line ends.
  virtual std::string scriptText() = 0;
  virtual void setScriptText(std::string_view text) = 0;
  // Shows line `line` (from 0) bold in blue, or no line for -1 (the whole
  // text plain in the window-text colour).
  virtual void highlightLine(int line) = 0;

  virtual std::string repeatText() = 0;  // LianXuText
  virtual void setLabel(ConsoleLabel label, std::string_view text) = 0;
  virtual void setButtons(const ButtonStates& states) = 0;
  // Shows the busy state while a command line is exchanged.
  virtual void setBusy(bool) {}
};

}  // namespace kdx
