#pragma once

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "link/session_file.h"
#include "run_record.h"

namespace kdx::run {

// One exchange of a run as a session file's exchange ("source": "script").
SessionExchange SessionExchangeOfRow(const ExchangeRow& row, std::uint64_t number);

// The file --record writes for a unit: FILE itself for a run of one unit;
// with several, the port's name goes before the extension ("rec.jsonl" and
// "/dev/ttyUSB0" give "rec-ttyUSB0.jsonl"), and a name two ports would share
// gets the unit's number too.
std::vector<std::string> RecordPaths(const std::string& path,
                                     const std::vector<std::string>& ports);

// --record: a session file per unit, its header written when the unit has
// been identified, each exchange's line written out as the exchange ends,
// so that a killed run keeps every exchange it finished.
class SessionRecorder final : public RecordSink {
 public:
  struct Settings {
    std::string path;
    std::vector<std::string> ports;
    int baud = 9600;
    std::string address = "0";
    std::string tool;  // "kdx846-run 1.0"
  };
  // Creates every file; nothing and the reason when one cannot be.
  static std::unique_ptr<SessionRecorder> Open(const Settings& settings, std::string& error);
  ~SessionRecorder() override;

  void runStarted(const RunInfo& info) override;
  void unitStarted(const UnitIdentity& identity) override;
  void exchange(const ExchangeRow& row) override;
  std::optional<std::string> failure() const override { return error_; }

 private:
  struct File {
    std::string path;
    std::FILE* file = nullptr;
    std::uint64_t next = 1;
  };
  explicit SessionRecorder(Settings settings) : settings_(std::move(settings)) {}
  void write(File& file, const std::string& line);

  Settings settings_;
  std::string started_;
  std::vector<File> files_;
  std::optional<std::string> error_;
};

// --expect: compares each exchange with the recorded one of the same pass
// and line, and prints one line per difference on `err`. Recorded lines the
// run did not reach are differences too.
class ExpectSink final : public RecordSink {
 public:
  ExpectSink(SessionFile recording, CompareRules rules, std::FILE* err, bool nameUnits);

  void unitStarted(const UnitIdentity& identity) override;
  void exchange(const ExchangeRow& row) override;
  void unitEnded(const UnitEnd& end) override;
  bool differs() const override { return differences_ > 0; }
  void printWith(std::function<void(const std::string&)> print) override {
    print_ = std::move(print);
  }
  int differences() const { return differences_; }

 private:
  void say(int unit, const std::string& text);

  SessionFile recording_;
  std::map<std::pair<int, int>, std::size_t> byLine_;  // (pass, line) -> exchange
  CompareRules rules_;
  std::FILE* err_;
  std::function<void(const std::string&)> print_;
  bool nameUnits_;
  std::map<int, std::string> ports_;
  std::map<int, std::set<std::pair<int, int>>> seen_;
  int differences_ = 0;
};

}  // namespace kdx::run
