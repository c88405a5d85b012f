#include "record_output.h"

#include <cerrno>
#include <cstring>

#include "link/json_reader.h"

namespace kdx::run {

std::string UnitExchangeJson(const ExchangeRow& row, const UnitIdentity& unit) {
  const std::string fields = ExchangeJson(row.record, row.line, row.pass);
  return "{\"unit\":" + std::to_string(unit.unit) + ",\"port\":" + JsonString(unit.port) +
         ",\"serial\":" + JsonString(unit.serial) + ",\"ms\":" + std::to_string(row.durationMs) +
         "," + fields.substr(1);
}

void StreamSink::exchange(const ExchangeRow& row) {
  if (error_) return;
  const UnitIdentity& unit = units_[row.unit];
  if (json_) return write(UnitExchangeJson(row, unit) + "\n");
  if (!nameUnits_) return write(row.text);
  const std::string prefix = unit.port + ": ";
  std::string text;
  text.reserve(row.text.size() + 32 * prefix.size());
  for (std::size_t at = 0; at < row.text.size();) {
    const std::size_t end = row.text.find('\n', at);
    const std::size_t next = end == std::string::npos ? row.text.size() : end + 1;
    text += prefix;
    text.append(row.text, at, next - at);
    at = next;
  }
  write(text);
}

void StreamSink::write(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), out_);
}

void StreamSink::flush() {
  if (error_) return;
  const bool failed = std::fflush(out_) != 0;
  const int why = errno;
  if (failed || std::ferror(out_)) error_ = failed ? std::strerror(why) : "write error";
}

}  // namespace kdx::run
