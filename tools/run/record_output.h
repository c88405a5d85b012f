#pragma once

#include <cstdio>
#include <map>
#include <optional>
#include <string>

#include "run_record.h"

namespace kdx::run {

// One exchange as a JSON object on one line, with its unit: "unit" (its
// number), "port", "serial" and "ms" (the exchange's duration) before the
// single-unit run's fields.
std::string UnitExchangeJson(const ExchangeRow& row, const UnitIdentity& unit);

// The records on standard output: the text format's lines (each line
// after "PORT: " when units are named) or one JSON object per exchange.
// Written out at flush(), which the merging thread calls after each batch of
// records; a failed write is kept as failure() and nothing more is written.
class StreamSink final : public RecordSink {
 public:
  StreamSink(std::FILE* out, Format format, bool nameUnits)
      : out_(out), json_(format == Format::JsonLines), nameUnits_(nameUnits) {}

  void unitStarted(const UnitIdentity& identity) override { units_[identity.unit] = identity; }
  void exchange(const ExchangeRow& row) override;
  void flush() override;
  std::optional<std::string> failure() const override { return error_; }

 private:
  void write(const std::string& text);

  std::FILE* out_;
  bool json_;
  bool nameUnits_;
  std::map<int, UnitIdentity> units_;
  std::optional<std::string> error_;
};

}  // namespace kdx::run
