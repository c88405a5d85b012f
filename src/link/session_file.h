#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/bytes.h"
#include "link/traffic.h"

namespace kdx {

// A session file: what a unit did on the line, one JSON object per line
// (JSON Lines, UTF-8). The first line is the header, every further line one
// exchange. The README describes every field.
inline constexpr int kSessionFormatVersion = 1;
inline constexpr std::string_view kSessionFormatName = "kdx846-session";
// Larger files are refused before they are read.
inline constexpr std::uintmax_t kMaxSessionFileBytes = 64u << 20;
// Longer lines are refused: an exchange keeps at most kMaxSessionBytes
// device bytes, three characters each in hex.
inline constexpr std::size_t kMaxSessionLineBytes = 1u << 20;
// Device bytes one exchange records at most.
inline constexpr std::size_t kMaxSessionBytes = 65536;
// No exchange waits this long for anything: a later offset is not a
// recording but a broken file.
inline constexpr std::int64_t kMaxArrivalMs = 600000;

struct SessionHeader {
  int version = kSessionFormatVersion;
  std::string tool;  // the program and its version: "kdx846-run 1.0"
  std::string port;  // as the operator named it: "COM1" or a device path
  std::string path;  // the device path it was opened as
  int baud = 9600;
  std::string address = "0";  // hexadecimal
  std::string serial;         // the unit's serial number; empty when not known
  std::string configuration;  // its configuration; empty when not known
  std::string started;        // local time, ISO 8601 to the millisecond
};

// How an exchange came out, in general terms.
inline constexpr std::string_view kOutcomes[] = {"positive",  "negative",     "other",
                                                 "no-answer", "link-failure", "cancelled"};

struct SessionExchange {
  std::uint64_t number = 0;  // 1, 2, ... in the order of the file
  std::string source;        // operation, unit-check, scan, console, script
  std::string where;         // a scan probe's port and rate
  int pass = 0;              // a script's pass and line, from 1; 0 elsewhere
  int line = 0;
  std::string time;                  // when the command went out, ISO 8601 local time
  Bytes sent;                        // the command frame (EOT alone for a cancel)
  std::vector<TimedBytes> received;  // every device byte, timed from the frame's writing
  std::vector<TimedBytes> host;      // the host's ACK or EOT after the frame
  std::string outcome;               // one of kOutcomes
  std::string kind;     // the runner's finer kind ("bad-check", "no-head"...); may be empty
  std::string code;     // a negative reply's two code characters
  std::string detail;   // why, in words; may be empty
  Bytes reply;          // the reply frame from "P" or "N" through its check byte, when one came
  std::int64_t ms = 0;  // how long the exchange took

  Bytes receivedBytes() const;
};

struct SessionFile {
  SessionHeader header;
  std::vector<SessionExchange> exchanges;
};

// The lines, without their line feed.
std::string SessionHeaderLine(const SessionHeader& header);
std::string SessionExchangeLine(const SessionExchange& exchange);

// Why a file was refused: the line (from 1; 0 for the file as a whole) and
// the reason.
struct SessionFileError {
  std::size_t line = 0;
  std::string reason;
  std::string text() const;  // "line 3: invalid JSON: ..." or the reason alone
};

// Reads a whole file's text strictly: every line must be complete JSON of
// this format and version, hex must be hex, offsets in order and within
// kMaxArrivalMs. Nothing is returned for a file with any fault.
std::optional<SessionFile> ParseSessionFile(std::string_view text, SessionFileError& error);
// The same for a file on disk, refused unread when larger than
// kMaxSessionFileBytes.
std::optional<SessionFile> ReadSessionFile(const std::string& path, SessionFileError& error);

// A whole session file of the window's rows numbered `from` on: the header
// (its start time the first row's, when it gives none), then one line per
// row, each ended by a line feed.
std::string SessionFileText(SessionHeader header, const std::deque<TrafficRow>& rows,
                            std::uint64_t from);

// An exchange as a traffic observer heard it (the frame, the timed parts,
// how it ended) as a session exchange: the outcome, the reply and a negative
// reply's code.
SessionExchange SessionExchangeOfParts(ByteView frame, std::vector<TimedBytes> arrived,
                                       std::vector<TimedBytes> host, TrafficEnd end);
// A traffic window row as a session exchange.
SessionExchange SessionExchangeOf(const TrafficRow& row);
std::string_view SessionSourceName(TrafficSource source);

// What --expect compares of an exchange, as texts: "reply" (the kind where
// both sides have one, else the outcome), "command", "parameter", "status",
// "error", "data".
struct ExchangeDifference {
  std::string field;
  std::string recorded;
  std::string now;
};
struct CompareRules {
  bool ignoreData = false;
  bool ignoreStatus = false;  // the status of a positive reply and a negative one's code
};
std::vector<ExchangeDifference> CompareExchanges(const SessionExchange& recorded,
                                                 const SessionExchange& now,
                                                 const CompareRules& rules);

}  // namespace kdx
