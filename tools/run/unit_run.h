#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "console/console_transaction.h"
#include "link/link_state.h"
#include "link/monitor.h"
#include "run_output.h"
#include "run_record.h"

namespace kdx::run {

// How one unit runs the script.
struct UnitRules {
  int unit = 1;
  std::string script;  // as read; tidied as the console tidies it
  std::string address = "0";
  Format format = Format::Text;
  std::int32_t passes = 1;  // at most this many
  // On the run's clock: no pass starts at or after it (--duration).
  std::optional<std::int64_t> deadlineMs;
  // Reads the serial number and the configuration before the first line.
  bool identify = false;
  // A station run goes on after an exchange that got no reply or a broken
  // one, and ends only when the unit has stopped answering or its port
  // failed. Otherwise the console's rule: such an exchange ends the run.
  bool keepGoing = false;
  bool stopOnFailure = false;  // ends at the first exchange that is not positive
};

// A unit that has not answered this many exchanges in a row has stopped
// answering: its run ends.
inline constexpr int kSilentExchangesToEnd = 3;

// Hears one unit's run, in order: its identity once (before the first
// line), its message boxes and warnings, each exchange as the next begins
// (with the lines the console added after its record), each whole pass.
class UnitReport {
 public:
  virtual ~UnitReport() = default;
  virtual void identified(const std::string& serial, const std::string& configuration) = 0;
  // Each exchange of the identity reads, before identified().
  virtual void identityRead(SessionExchange&&) {}
  // A message box or a warning as the runner prints it (see MessageText).
  virtual void message(const std::string& text) = 0;
  virtual void exchange(ExchangeRow&& row) = 0;
  virtual void passEnded(int pass) = 0;
};

// What cut a run short, from the status its cancel gave: "SIGINT",
// "SIGTERM" or "SIGHUP" for 128 and the signal's number, else "stopped" (a
// failed output or report).
const char* StopCause(int status);

// How a unit's run came out.
struct UnitResult {
  int status = 0;  // as Outcome ranks it; a cut run's status is the one its cancel gave
  int passesFinished = 0;
  std::optional<std::string> reason;  // why it ended early
  int exchanges = 0;                  // exchanges that sent their command
  // Where a cancel cut the run: the EOT went out instead of this command.
  bool cut = false;
  int cutPass = 0;
  int cutLine = 0;
};

// One unit's run of the script over its own line: the console's syntax,
// transaction and time limits, pass after pass. Synchronous: it returns
// when the run is over. Shares nothing with other units' runs; `cancel` is
// the one value another thread writes: a nonzero status there stops the
// run at its next command as "Cancel" does (EOT instead of the command), and
// becomes the run's status.
class UnitRun {
 public:
  UnitRun(SerialLine& line, Clock& clock, LocalTimeSource& time, const UnitRules& rules,
          UnitReport& report, const std::atomic<int>& cancel);
  ~UnitRun();
  UnitRun(const UnitRun&) = delete;
  UnitRun& operator=(const UnitRun&) = delete;

  UnitResult run();

 private:
  class UnitMessages;
  class ExchangeTimer;

  void identify();
  void onExchange(const ExchangeRecord& record);
  void beforeExchange();
  void handOn();  // the exchange waiting for its trailing lines goes to the report
  // After an exchange: whether the run goes on; the reason when it does not.
  bool goOn(int result, std::optional<std::string>& reason);

  const UnitRules& rules_;
  UnitReport& report_;
  const std::atomic<int>& cancel_;
  Clock& clock_;
  Monitor monitor_;
  LinkState link_;
  std::unique_ptr<UnitMessages> messages_;
  std::unique_ptr<ExchangeTimer> timer_;
  Session session_;
  ConsoleState state_;
  RunView view_;
  ConsoleContext context_;
  Outcome outcome_;
  int pass_ = 1;
  int line_ = 1;
  int silent_ = 0;  // exchanges in a row without a reply
  int exchanges_ = 0;
  int cancelStatus_ = 0;
  std::optional<ExchangeRow> pending_;
};

}  // namespace kdx::run
