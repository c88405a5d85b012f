#include "unit_worker.h"

#include "link/clock.h"
#include "runner_line.h"

namespace kdx::run {

void Wakeup::post() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    pending_ = true;
  }
  posted_.notify_one();
}

void Wakeup::wait(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  posted_.wait_for(lock, timeout, [this] { return pending_; });
  pending_ = false;
}

// The run's report, queued as events.
class UnitWorker::Report final : public UnitReport {
 public:
  explicit Report(UnitWorker& worker) : worker_(worker) {}
  void identified(const std::string& serial, const std::string& configuration) override {
    worker_.identity_.serial = serial;
    worker_.identity_.configuration = configuration;
    worker_.post(UnitStarted{worker_.identity_});
  }
  void identityRead(SessionExchange&& read) override {
    worker_.identity_.reads.push_back(std::move(read));
  }
  void message(const std::string& text) override { worker_.post(UnitMessage{text}); }
  void exchange(ExchangeRow&& row) override { worker_.post(std::move(row)); }
  void passEnded(int pass) override { worker_.post(UnitPassEnded{pass}); }

 private:
  UnitWorker& worker_;
};

UnitWorker::UnitWorker(UnitIdentity identity, int baud, UnitRules rules, Wakeup& wakeup)
    : identity_(std::move(identity)), baud_(baud), rules_(std::move(rules)), wakeup_(wakeup) {}

UnitWorker::~UnitWorker() {
  join();
}

void UnitWorker::start() {
  thread_ = std::thread([this] { run(); });
}

void UnitWorker::runHere(std::function<void()> afterEvent) {
  afterEvent_ = std::move(afterEvent);
  run();
}

void UnitWorker::join() {
  if (thread_.joinable()) thread_.join();
}

void UnitWorker::cancel(int status) {
  int none = 0;
  cancel_.compare_exchange_strong(none, status);
}

void UnitWorker::take(std::vector<UnitEvent>& out) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (queue_.empty()) return;
    if (out.empty()) {
      out.swap(queue_);
    } else {
      for (auto& event : queue_) out.push_back(std::move(event));
      queue_.clear();
    }
  }
  room_.notify_one();
}

void UnitWorker::post(UnitEvent&& event) {
  bool first = false;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    room_.wait(lock, [this] { return queue_.size() < kMaxQueued; });
    first = queue_.empty();
    queue_.push_back(std::move(event));
  }
  if (afterEvent_) {
    afterEvent_();
  } else if (first) {
    wakeup_.post();
  }
}

void UnitWorker::run() {
  identity_.path = RunnerPortPath(identity_.port);
  std::string error;
  auto line = OpenRunnerLine(identity_.port, baud_, error);
  if (!line) {
    post(UnitStarted{identity_});
    post(UnitMessage{"cannot open " + error});
    UnitEnded ended;
    ended.end = {identity_.unit, kExitLink, 0, "cannot open " + error};
    ended.result.status = kExitLink;
    post(std::move(ended));
    return;
  }
  SteadyClock clock;
  SystemLocalTime time;
  Report report(*this);
  UnitRun unit(*line, clock, time, rules_, report, cancel_);
  UnitEnded ended;
  ended.result = unit.run();
  line->close();
  ended.end = {identity_.unit, ended.result.status, ended.result.passesFinished,
               ended.result.reason};
  post(std::move(ended));
}

}  // namespace kdx::run
