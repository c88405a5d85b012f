#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/bytes.h"
#include "link/clock.h"
#include "link/local_time.h"
#include "link/receive.h"

namespace kdx {

// Which routine talked on the line.
enum class TrafficSource {
  Operation,  // a command button through ExecuteCommand
  UnitCheck,  // the port dialog's "OK"
  ScanProbe,  // one port and rate of "SCAN"
  Console,    // a command line of the console
};

// How an exchange ended, as the routine that ran it saw it.
enum class TrafficEnd {
  Reply,          // a complete reply frame arrived and was acknowledged
  NotAck,         // the first byte after the command was not ACK
  NoAck,          // no ACK where the routine requires one
  NoHead,         // no reply head, and the routine gives up without EOT
  NoReply,        // no reply head: EOT sent
  StrayAfterEot,  // a single byte answered the EOT: the unit is not the one expected
  Incomplete,     // the head came, the rest did not
  TooLong,        // the reply does not fit the reply buffer
  BadCheckByte,   // the unit check or a probe found a wrong check byte
  PortError,      // the port failed during the exchange
  Cancelled,      // the console's "Cancel": EOT went out instead of the command
};

// The reply column of a row.
enum class TrafficReply { Positive, Negative, Other, NoReply, Failure };

// Hears one exchange as the monitor does: the bytes that went out, each part
// of the reply as soon as it is read (the ReceiveLog calls), the host's
// closing ACK or EOT, what answered the EOT, and the end. `sent` opens an
// exchange and `ended` closes it; the routines call nothing else between
// exchanges.
class TrafficObserver : public ReceiveLog {
 public:
  // `frame` is written next (or was written); `where` names the port and
  // rate of a scan probe.
  virtual void sent(TrafficSource source, ByteView frame, std::string_view where = {}) = 0;
  // The host's single control byte: ACK after a reply, EOT instead of one.
  virtual void control(std::uint8_t byte) = 0;
  // The bytes that answered an EOT.
  virtual void late(ByteView bytes) = 0;
  virtual void ended(TrafficEnd end) = 0;
};

// What the rows say about a command; the device layer knows it.
class CommandGlossary {
 public:
  virtual ~CommandGlossary() = default;
  // "Card status" for command "1", parameter "0"; empty when unknown.
  virtual std::string name(std::uint8_t command, std::uint8_t parameter) const = 0;
  // A positive reply's status bytes (or data) in words, where its command
  // defines them; empty otherwise. `reply` runs from "P" to the check byte.
  virtual std::string status(ByteView reply) const = 0;
};

// A row keeps at most this many bytes of what the device sent (two reply
// buffers' worth), so that a line flooding with noise cannot make thousands of
// rows hold gigabytes; the row says how many arrived.
inline constexpr std::size_t kRowBytesKept = 2048;

// Bytes that crossed the line together, and when: milliseconds after the
// command frame was written.
struct TimedBytes {
  std::int64_t ms = 0;
  Bytes bytes;
  // The host's bytes only: how many reads of the device's bytes came before
  // them (offsets in whole milliseconds cannot tell the order).
  std::size_t after = 0;
};

// When each part of one exchange crossed the line: every read of the
// device's bytes (ACK, head, rest, what answered an EOT) and the host's
// control byte after the frame, timed from the frame's writing. Keeps at
// most `limit` device bytes, as a row does.
class ArrivalTimes {
 public:
  explicit ArrivalTimes(std::size_t limit = kRowBytesKept) : limit_(limit) {}
  void start(std::int64_t nowMs);
  void device(std::int64_t nowMs, ByteView bytes);
  void host(std::int64_t nowMs, std::uint8_t byte);

  std::vector<TimedBytes> arrived;  // the device's bytes, in order
  std::vector<TimedBytes> sent;     // the host's bytes after the frame

 private:
  std::size_t limit_;
  std::size_t kept_ = 0;
  std::int64_t startMs_ = 0;
};

// One exchange as the traffic window shows it. Every text is UTF-8.
struct TrafficRow {
  std::uint64_t number = 0;  // 1 for the first exchange heard
  LocalTime time;            // when the command went out
  TrafficSource source = TrafficSource::Operation;
  std::string where;    // the port and rate of a scan probe
  std::string command;  // the frame's first three text bytes, "C10"
  std::string name;     // "Card status"
  TrafficReply reply = TrafficReply::Failure;
  std::string detail;  // the negative reply's code and text, or why it failed
  std::string status;  // the positive reply's status in words
  std::int64_t durationMs = 0;
  Bytes sent;      // every byte the host sent, in order
  Bytes received;  // every byte the device sent, in order
  // How the exchange ended, and when each part crossed the line (for a
  // session file).
  TrafficEnd end = TrafficEnd::PortError;
  std::vector<TimedBytes> arrived{};
  std::vector<TimedBytes> hostSent{};
};

// Keeps the last `limit` exchanges as rows. Install it as the session's
// traffic observer; the window reads `rows()` and hears the changes.
class TrafficRecorder final : public TrafficObserver {
 public:
  static constexpr std::size_t kDefaultLimit = 10000;

  TrafficRecorder(Clock& clock, LocalTimeSource& time, const CommandGlossary* glossary = nullptr,
                  std::size_t limit = kDefaultLimit);

  void sent(TrafficSource source, ByteView frame, std::string_view where = {}) override;
  void ack(std::uint8_t byte) override;
  void head(ByteView head) override;
  void rest(ByteView arrived) override;
  void control(std::uint8_t byte) override;
  void late(ByteView bytes) override;
  void ended(TrafficEnd end) override;

  const std::deque<TrafficRow>& rows() const { return rows_; }
  std::size_t limit() const { return limit_; }
  void clear();
  // A session (for "Save Session...") is the rows from this number on: the
  // newest row when the link opened (its unit check), or the first row
  // after the last clear().
  void markSessionStart() { sessionFrom_ = rows_.empty() ? next_ : rows_.back().number; }
  std::uint64_t sessionFrom() const { return sessionFrom_; }

  // After a row was added at the end; after `count` rows were dropped at the
  // front to keep within the limit; after the rows were cleared.
  std::function<void()> onAppended;
  std::function<void(std::size_t count)> onDropped;
  std::function<void()> onCleared;

 private:
  struct Pending {
    TrafficRow row;
    std::int64_t startMs;  // set by sent()
    Bytes head;
    Bytes arrived;  // everything read after the head
    Bytes late;     // what answered an EOT
    ArrivalTimes times;
    // Counted in full, kept up to kRowBytesKept. (No member initialisers:
    // clang would then not see Pending as default-constructible inside this
    // class; emplace() value-initialises them to zero.)
    std::size_t receivedTotal;
    std::size_t arrivedTotal;
    std::size_t lateTotal;
  };
  void finish(Pending& pending, TrafficEnd end);

  Clock& clock_;
  LocalTimeSource& time_;
  const CommandGlossary* glossary_;
  std::size_t limit_;
  std::uint64_t next_ = 1;
  std::uint64_t sessionFrom_ = 1;
  std::optional<Pending> pending_;
  std::deque<TrafficRow> rows_;
};

// The calls one exchange makes on the session's observer, doing nothing
// without one, and closing the exchange at most once.
class TrafficNotes final : public ReceiveLog {
 public:
  // `log` (the monitor's or a list's lines) hears the reply's parts first.
  TrafficNotes(TrafficObserver* observer, ReceiveLog* log = nullptr)
      : observer_(observer), log_(log) {}
  TrafficNotes(const TrafficNotes&) = delete;
  TrafficNotes& operator=(const TrafficNotes&) = delete;
  // An exchange left by an early return still gets its row.
  ~TrafficNotes() { end(TrafficEnd::PortError); }

  void sent(TrafficSource source, ByteView frame, std::string_view where = {});
  void ack(std::uint8_t byte) override;
  void head(ByteView head) override;
  void rest(ByteView arrived) override;
  void control(std::uint8_t byte) {
    if (open_) observer_->control(byte);
  }
  void late(ByteView bytes) {
    if (open_) observer_->late(bytes);
  }
  void end(TrafficEnd end);

 private:
  TrafficObserver* observer_;
  ReceiveLog* log_;
  bool open_ = false;
};

// Texts of the columns.
std::string_view TrafficSourceText(TrafficSource source);
std::string_view TrafficReplyText(TrafficReply reply);
// "09:05:03.007"
std::string TimeOfDayText(const LocalTime& time);
// "2026-12-08 09:05:03.007"
std::string DateTimeText(const LocalTime& time);
// Device bytes as text in the console's notation: printable ASCII as it is,
// any other byte (and "$" and the blank) as "$" and two hex digits, so the
// result is ASCII and could be typed into a command line.
std::string EscapedText(ByteView bytes);

}  // namespace kdx
