#include "unit_run.h"

#include <algorithm>
#include <csignal>
#include <memory>

#include "console/command_line.h"
#include "console/console_run.h"
#include "device/device_operations.h"
#include "device/identity.h"
#include "link/conversions.h"
#include "link/frame.h"
#include "link/session_file.h"
#include "link/traffic.h"

namespace kdx::run {

namespace {

// The identity reads' view: what the device code shows is what the run
// keeps.
class IdentityView final : public DeviceView {
 public:
  std::uint8_t chooseInitializeOption() override { return 0; }
  void showSensors(const SensorStates&) override {}
  void showSerialNumber(std::string_view shown) override { serial = shown; }
  void showConfiguration(const ConfigurationTexts&) override {}
  std::string counterText() const override { return {}; }
  void setCounterText(std::string_view) override {}
  void bringTabsToFront(std::span<const TabStop>) override {}

  std::string serial;  // as the serial number dialog shows it
};

const char* OutcomeText(CommandOutcome outcome) {
  switch (outcome) {
    case CommandOutcome::NoReply:
      return "no reply from the unit";
    case CommandOutcome::Negative:
      return "a negative reply";
    case CommandOutcome::Unrecognised:
      return "a reply neither positive nor negative";
    case CommandOutcome::NotSent:
      return "not sent";
    default:
      return "the exchange failed";
  }
}

// The configuration record's characters up to the first the reply did not
// carry.
std::string ConfigurationText(const ConfigurationRecord& record) {
  std::string text;
  for (std::uint8_t byte : record) {
    if (byte == 0) break;
    text += static_cast<char>(byte);
  }
  return Latin1ToUtf8(text);
}

}  // namespace

const char* StopCause(int status) {
  switch (status - 128) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
#ifndef _WIN32
    case SIGHUP:
      return "SIGHUP";
#endif
    default:
      return "stopped";
  }
}

namespace {

// Why a cancelled unit ended, from the status its cancel gave.
std::string CancelReason(int status) {
  if (status > 128) return std::string("cancelled (") + StopCause(status) + ")";
  return status == kExitOutput ? "cancelled: standard output could not be written"
                               : "cancelled: a report could not be written";
}

}  // namespace

// Message boxes go to the report; while the unit is being identified they
// are kept instead, for the warning that says why a read failed.
class UnitRun::UnitMessages final : public Messages {
 public:
  explicit UnitMessages(UnitReport& report) : report_(report) {}
  void show(std::string_view title, std::string_view text, Icon) override {
    if (!keeping_) return report_.message(MessageText(title, text));
    // The first line says it; the rest are the box's advice.
    const std::string body = MessageText(title, text);
    kept_.push_back(body.substr(0, body.find('\n')));
  }
  bool askOkCancel(std::string_view title, std::string_view text, Icon icon) override {
    show(title, text, icon);
    return false;
  }
  // Starts keeping boxes; returns those kept since, and stops.
  void keep() {
    keeping_ = true;
    kept_.clear();
  }
  std::vector<std::string> release() {
    keeping_ = false;
    return std::move(kept_);
  }

 private:
  UnitReport& report_;
  bool keeping_ = false;
  std::vector<std::string> kept_;
};

// Times each exchange on the line: from just before its first byte is
// written to the end of its traffic row, and each part that crossed it.
class UnitRun::ExchangeTimer final : public TrafficObserver {
 public:
  explicit ExchangeTimer(Clock& clock) : clock_(clock) {}
  void sent(TrafficSource, ByteView frame, std::string_view) override {
    start_ = end_ = clock_.nowMs();
    times.start(start_);
    if (!onEnded) return;
    frame_.assign(frame.begin(), frame.end());
    sentAt_ = wall ? IsoLocalTime(wall->now()) : std::string();
  }
  void ack(std::uint8_t byte) override { times.device(clock_.nowMs(), ByteView(&byte, 1)); }
  void head(ByteView bytes) override { times.device(clock_.nowMs(), bytes); }
  void rest(ByteView bytes) override { times.device(clock_.nowMs(), bytes); }
  void control(std::uint8_t byte) override { times.host(clock_.nowMs(), byte); }
  void late(ByteView bytes) override { times.device(clock_.nowMs(), bytes); }
  void ended(TrafficEnd end) override {
    end_ = clock_.nowMs();
    if (!onEnded) return;
    SessionExchange x =
        SessionExchangeOfParts(frame_, std::move(times.arrived), std::move(times.sent), end);
    x.ms = lastMs();
    x.time = sentAt_;
    onEnded(std::move(x));
  }
  std::int64_t lastMs() const { return end_ - start_; }

  ArrivalTimes times{kMaxSessionBytes};
  // Hears each exchange as a session exchange when it ends (the identity
  // reads, which are not script lines).
  std::function<void(SessionExchange&&)> onEnded;
  LocalTimeSource* wall = nullptr;  // for their time stamps

 private:
  Clock& clock_;
  Bytes frame_;
  std::string sentAt_;
  std::int64_t start_ = 0;
  std::int64_t end_ = 0;
};

UnitRun::UnitRun(SerialLine& line, Clock& clock, LocalTimeSource& time, const UnitRules& rules,
                 UnitReport& report, const std::atomic<int>& cancel)
    : rules_(rules),
      report_(report),
      cancel_(cancel),
      clock_(clock),
      messages_(std::make_unique<UnitMessages>(report)),
      timer_(std::make_unique<ExchangeTimer>(clock)),
      session_{line, clock, *messages_, monitor_, link_},
      view_(rules.format),
      context_{session_, state_, view_, time, nullptr, nullptr} {
  link_.linkOpen = true;
  link_.addressText = rules.address;
  context_.processEvents = [this] { beforeExchange(); };
  context_.onExchange = [this](const ExchangeRecord& record) { onExchange(record); };
  context_.lostPortAdvice = "Check the cable and run the script again.";
}

UnitRun::~UnitRun() = default;

// Serial number and configuration through the device operations the
// windows use; a read that fails leaves its value empty and says why.
void UnitRun::identify() {
  DeviceRecords records;
  IdentityView view;
  DeviceContext device{session_, records, view};
  session_.traffic = timer_.get();
  timer_->wall = &context_.time;
  timer_->onEnded = [this](SessionExchange&& x) {
    x.source = "identify";
    report_.identityRead(std::move(x));
  };
  messages_->keep();
  const CommandOutcome serial = RunDeviceOperation(device, *FindDeviceOperation("TypeReadsn"));
  std::vector<std::string> serialBoxes = messages_->release();
  std::string serialText = serial == CommandOutcome::Positive ? Latin1ToUtf8(view.serial) : "";
  if (serial != CommandOutcome::Positive) {
    std::string why = serialBoxes.empty() ? OutcomeText(serial) : serialBoxes.front();
    for (std::size_t i = 1; i < serialBoxes.size(); ++i) why += "; " + serialBoxes[i];
    report_.message("warning: serial number (A2h) not read: " + why +
                    "; recorded with an empty serial number");
  } else if (serialText.empty()) {
    report_.message("warning: the serial number (A2h) came back empty");
  }
  // A unit that did not answer the first read is not asked the second:
  // the script's own lines will tell.
  std::string configuration;
  const bool answered = serial != CommandOutcome::NoReply && serial != CommandOutcome::Failed;
  if (answered && link_.linkOpen && cancel_.load(std::memory_order_relaxed) == 0) {
    messages_->keep();
    const CommandOutcome read = RunDeviceOperation(device, *FindDeviceOperation("IRCONFIGCMD"));
    const std::vector<std::string> boxes = messages_->release();
    if (read == CommandOutcome::Positive) {
      configuration = ConfigurationText(records.configuration);
    } else {
      report_.message("warning: configuration (A3h) not read: " +
                      (boxes.empty() ? std::string(OutcomeText(read)) : boxes.front()));
    }
  }
  timer_->onEnded = nullptr;
  report_.identified(serialText, configuration);
}

void UnitRun::beforeExchange() {
  handOn();
  const int cancel = cancel_.load(std::memory_order_relaxed);
  if (cancel != 0 && cancelStatus_ == 0) {
    cancelStatus_ = cancel;
    CancelRun(context_);
  }
}

void UnitRun::onExchange(const ExchangeRecord& record) {
  ExchangeRow row;
  row.unit = rules_.unit;
  row.pass = pass_;
  row.line = line_;
  row.record = record;
  row.verdict = Classify(record);
  row.durationMs = timer_->lastMs();
  row.arrived = std::move(timer_->times.arrived);
  row.hostSent = std::move(timer_->times.sent);
  timer_->times.start(0);
  outcome_.add(row.verdict.kind);
  if (record.end != ExchangeEnd::Cancelled) ++exchanges_;
  std::string& text = view_.text();
  if (rules_.format == Format::Text) text += ExchangeText(record) + "\n";
  pending_ = std::move(row);
}

void UnitRun::handOn() {
  if (!pending_) return;
  pending_->text = std::move(view_.text());
  view_.text().clear();
  report_.exchange(std::move(*pending_));
  pending_.reset();
}

bool UnitRun::goOn(int result, std::optional<std::string>& reason) {
  if (!pending_) return result == kConsoleDone;
  const ExchangeRecord& record = pending_->record;
  const ReplyKind kind = pending_->verdict.kind;
  if (kind == ReplyKind::Positive) {
    silent_ = 0;
    return true;
  }
  if (rules_.stopOnFailure) {
    reason = std::string("stopped at its first failure (") + KindName(kind) + ")";
    return false;
  }
  if (!rules_.keepGoing) return result == kConsoleDone;
  if (kind == ReplyKind::PortLost || !link_.linkOpen) {
    reason = "its port was lost";
    return false;
  }
  if (record.outcome.fault) {
    reason = "port error: " + record.outcome.fault->reason;
    return false;
  }
  const bool answered = record.end == ExchangeEnd::Positive ||
                        record.end == ExchangeEnd::Negative || record.end == ExchangeEnd::Other;
  silent_ = answered ? 0 : silent_ + 1;
  if (silent_ >= kSilentExchangesToEnd) {
    reason =
        "stopped answering (" + std::to_string(silent_) + " exchanges in a row without a reply)";
    return false;
  }
  return true;
}

UnitResult UnitRun::run() {
  UnitResult result;
  if (rules_.identify) {
    identify();
  } else {
    report_.identified({}, {});
  }
  session_.traffic = timer_.get();
  LoadConsole(context_);
  const std::string script = TidyScript(rules_.script);
  const auto lines = static_cast<int>(std::min(ScriptLineCount(script), kMaxScriptLines));
  const std::uint8_t address = ParseAddress(rules_.address).value_or(0);
  Bytes reply(kReplyBufferSize);
  bool over = false;
  for (pass_ = 1; pass_ <= rules_.passes && !over; ++pass_) {
    if (pass_ > 1 && rules_.deadlineMs && clock_.nowMs() >= *rules_.deadlineMs) break;
    bool whole = true;
    for (int i = 0; i < lines; ++i) {
      const std::string text = ReadTextLine(script, i);
      // As in the console: past the last line the pass is over; a line
      // below "0" ends the run, and the pass with it.
      if (text.empty()) break;
      if (static_cast<unsigned char>(text[0]) < 0x30) {
        over = true;
        break;
      }
      if (!link_.linkOpen) {
        result.reason = "its port was lost";
        outcome_.add(ReplyKind::PortLost);
        over = true;
        whole = false;
        break;
      }
      line_ = i + 1;
      state_.currentLine = static_cast<std::uint8_t>(i);
      Bytes frame = BuildConsoleFrame(address, ParseCommandLine(text).text);
      int replyLength = 0;
      const int done =
          ConsoleTransaction(context_, frame, static_cast<int>(frame.size()), reply, replyLength);
      if (cancelStatus_ != 0) {
        result.cut = true;
        result.cutPass = pass_;
        result.cutLine = line_;
        result.reason = CancelReason(cancelStatus_);
      }
      const bool go = !result.cut && goOn(done, result.reason);
      handOn();
      if (!go) {
        over = true;
        whole = false;
        break;
      }
    }
    if (!whole) break;
    ++result.passesFinished;
    report_.passEnded(pass_);
  }
  handOn();
  result.exchanges = exchanges_;
  result.status = result.cut ? cancelStatus_ : outcome_.status();
  return result;
}

}  // namespace kdx::run
