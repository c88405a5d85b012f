// The traffic rows against whatever the device sends, whenever it sends it:
// one exchange of ExecuteCommand, the unit check, the scan's probe or a
// console line over a scripted line on virtual time, with the recorder and
// the device's glossary attached, then the rows as CSV, where no field may
// be one a spreadsheet would run as a formula.
//
// Input: the routine (low two bits: 0 ExecuteCommand, 1 IRUnitIfOk, 2
// CommTest, 3 a console line; bit 2: the port fails after as many reads as
// the next byte says, 0 at once), that byte, the command and parameter codes
// (ExecuteCommand and the console), then the device's deliveries (see
// fuzz_input.h), timed from the moment the command is written.
#include <algorithm>

#include "console/console_transaction.h"
#include "console_fakes.h"
#include "device/command_glossary.h"
#include "fuzz_input.h"
#include "link/frame.h"
#include "link/port_setup.h"
#include "link/traffic_csv.h"
#include "link_harness.h"

using namespace kdx;
using namespace kdx::fuzz;

namespace {

struct FixedTime final : LocalTimeSource {
  LocalTime now() override { return {2026, 12, 8, 9, 5, 3, 7}; }
};

// The longest each routine may wait on the line.
constexpr std::int64_t kLongestMs[] = {
    kAckWaitMs + kHeadWaitMs + std::max(kRestWaitMs, kAfterEotWaitMs),  // ExecuteCommand
    3000 + 3000 + 3000,                                                 // unit check
    250 + 5000 + 3000,                                                  // probe
    kConsoleLimits.ackMs + kConsoleLimits.headMs +
        std::max(kConsoleLimits.restMs, kConsoleAfterEotMs),  // console
};

bool RowTextsUtf8(const TrafficRow& row) {
  return IsUtf8(row.where) && IsUtf8(row.command) && IsUtf8(row.name) && IsUtf8(row.detail) &&
         IsUtf8(row.status);
}

std::size_t Count(std::string_view text, std::string_view piece) {
  std::size_t n = 0;
  for (auto pos = text.find(piece); pos != std::string_view::npos; pos = text.find(piece, pos + 1))
    ++n;
  return n;
}

// Whether no field of `record` (one CSV record without its CR LF) would be
// run as a formula: neither its bare text nor its quoted text starts like one.
bool NoFormulaFields(std::string_view record) {
  std::size_t pos = 0;
  for (;;) {
    std::string_view field;
    if (pos < record.size() && record[pos] == '"') {
      std::size_t end = pos + 1;
      while (end < record.size() &&
             !(record[end] == '"' && (end + 1 == record.size() || record[end + 1] != '"')))
        end += record[end] == '"' ? 2 : 1;
      field = record.substr(pos + 1, end - pos - 1);
      pos = end + 1;
    } else {
      const std::size_t end = std::min(record.find(',', pos), record.size());
      field = record.substr(pos, end - pos);
      pos = end;
    }
    if (StartsLikeFormula(field)) return false;
    if (pos >= record.size()) return true;
    ++pos;  // the comma
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  InputReader in(data, size);
  const std::uint8_t mode = in.byte();
  const std::uint8_t failAfter = in.byte();
  const std::uint8_t code = in.byte();
  const std::uint8_t parameter = in.byte();
  const auto deliveries = ReadDeliveries(in);
  const int routine = mode & 3;

  test::LinkHarness h;
  FixedTime time;
  DeviceGlossary glossary;
  TrafficRecorder recorder(h.clock, time, &glossary);
  h.session.traffic = &recorder;
  h.line.open(1, 9600);
  h.line.onWrite = [&](int index, const Bytes&) {
    if (index != 0) return;
    std::int64_t at = 0;
    for (const auto& d : deliveries) h.line.deliverIn(at += d.delayMs, d.bytes);
  };
  if (mode & 4) {
    if (failAfter == 0)
      h.line.breakLine();
    else
      h.line.breakAfterReads(failAfter);
  }

  Bytes command = BuildCommand(0, code, parameter);
  Bytes reply(kReplyBufferSize);
  switch (routine) {
    case 0: {
      std::int16_t count = 0;
      ExecuteCommand(h.session, command, static_cast<int>(command.size()), reply, count);
      break;
    }
    case 1:
      IRUnitIfOk(h.session);
      command = BuildCommand(0, '1', '0');
      break;
    case 2:
      CommTest(h.session, "COM1 9600 bits/s");
      command = BuildCommand(0, '1', '0');
      break;
    default: {
      test::ConsoleRig console(h.session);
      Bytes frame(command.begin(), command.end() - 2);
      int length = 0;
      ConsoleTransaction(console.context, frame, static_cast<int>(command.size()), reply, length);
      break;
    }
  }

  // One row for the one exchange, its command as sent, its texts UTF-8, its
  // duration within the routine's limits, and every byte the host wrote.
  KDX_FUZZ_CHECK(recorder.rows().size() == 1);
  const TrafficRow& row = recorder.rows().front();
  KDX_FUZZ_CHECK(row.number == 1);
  KDX_FUZZ_CHECK(RowTextsUtf8(row));
  KDX_FUZZ_CHECK(row.durationMs >= 0 && row.durationMs <= kLongestMs[routine]);
  KDX_FUZZ_CHECK(row.durationMs == h.clock.nowMs());
  Bytes written;
  for (const auto& w : h.line.writes())
    written.insert(written.end(), w.bytes.begin(), w.bytes.end());
  KDX_FUZZ_CHECK(row.sent == written || (written.empty() && row.sent == command));
  KDX_FUZZ_CHECK(row.sent.size() >= command.size() &&
                 std::equal(command.begin(), command.end(), row.sent.begin()));
  if (row.reply == TrafficReply::Positive || row.reply == TrafficReply::Negative ||
      row.reply == TrafficReply::Other)
    KDX_FUZZ_CHECK(row.received.size() >= 6 && !written.empty() && written.back() == kAck);
  if (row.reply != TrafficReply::Positive) KDX_FUZZ_CHECK(row.status.empty());
  KDX_FUZZ_CHECK(row.received.size() <= kRowBytesKept && row.detail.size() < 512);

  // The CSV: UTF-8, a header and one record, no line end inside a field.
  const std::string csv = TrafficCsv(recorder.rows());
  KDX_FUZZ_CHECK(IsUtf8(csv));
  KDX_FUZZ_CHECK(Count(csv, "\r\n") == 2 && Count(csv, "\n") == 2);
  const std::size_t record = csv.find("\r\n") + 2;
  KDX_FUZZ_CHECK(NoFormulaFields(std::string_view(csv).substr(record, csv.size() - record - 2)));
  return 0;
}
