#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "run_record.h"
#include "unit_run.h"

namespace kdx::run {

// What a unit's worker hands the merging thread, in the order it happened.
struct UnitStarted {
  UnitIdentity identity;
};
struct UnitMessage {
  std::string text;  // as MessageText makes it, without the program's and the unit's name
};
struct UnitPassEnded {
  int pass = 0;
};
struct UnitEnded {
  UnitEnd end;
  UnitResult result;
};
using UnitEvent = std::variant<UnitStarted, UnitMessage, ExchangeRow, UnitPassEnded, UnitEnded>;

// Wakes the merging thread when a worker has events for it. Workers post
// only when their queue was empty, so a busy merger is not woken for every
// exchange.
class Wakeup {
 public:
  void post();
  // Returns when something was posted since the last wait, or after
  // `timeout`.
  void wait(std::chrono::milliseconds timeout);

 private:
  std::mutex mutex_;
  std::condition_variable posted_;
  bool pending_ = false;
};

// One unit's thread: opens its port, runs the script there with its own
// line, session and console, and queues what happens for the merging thread.
// The queue is the worker's own; the merger takes everything in it at once.
class UnitWorker {
 public:
  UnitWorker(UnitIdentity identity, int baud, UnitRules rules, Wakeup& wakeup);
  ~UnitWorker();
  UnitWorker(const UnitWorker&) = delete;
  UnitWorker& operator=(const UnitWorker&) = delete;

  void start();
  // Runs the unit on the calling thread instead, with `afterEvent` called
  // after each event is queued: a run of one unit needs no second thread,
  // and its records go out as they come without a thread to wake.
  void runHere(std::function<void()> afterEvent);
  // Ends the unit's run at its next command as "Cancel" does, with `status`
  // as its status; the first cancel is the one that counts.
  void cancel(int status);
  // Moves the events queued so far to the end of `out`.
  void take(std::vector<UnitEvent>& out);
  void join();

 private:
  class Report;
  // A queue this long makes the worker wait for the merger: a merger that
  // cannot keep up (a slow reader of standard output) holds the unit back
  // instead of letting its records pile up in memory.
  static constexpr std::size_t kMaxQueued = 1024;

  void run();
  void post(UnitEvent&& event);

  UnitIdentity identity_;
  int baud_;
  UnitRules rules_;
  Wakeup& wakeup_;
  std::atomic<int> cancel_{0};
  std::function<void()> afterEvent_;
  std::mutex mutex_;
  std::condition_variable room_;
  std::vector<UnitEvent> queue_;
  std::thread thread_;
};

}  // namespace kdx::run
