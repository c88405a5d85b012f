// The session file's parser against arbitrary text, and the replay against
// whatever it accepts. A file that parses must write back to lines that
// parse to the same exchanges; the replayed unit, fed every recorded frame
// and the host's control bytes, must answer with no more than the recorded
// bytes, and whatever it says is due must be there to take.
//
// Input: the text of a session file.
#include <algorithm>
#include <cstdint>
#include <string_view>

#include "link/session_file.h"
#include "model/replay_unit.h"

using namespace kdx;

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  SessionFileError error;
  const auto file = ParseSessionFile(text, error);
  if (!file) {
    Check(!error.reason.empty());
    return 0;
  }
  std::string again = SessionHeaderLine(file->header) + "\n";
  for (const SessionExchange& x : file->exchanges) again += SessionExchangeLine(x) + "\n";
  const auto reread = ParseSessionFile(again, error);
  Check(reread.has_value());
  Check(reread->exchanges.size() == file->exchanges.size());
  for (std::size_t i = 0; i < file->exchanges.size(); ++i) {
    const SessionExchange& a = file->exchanges[i];
    const SessionExchange& b = reread->exchanges[i];
    Check(a.sent == b.sent && a.receivedBytes() == b.receivedBytes() && a.reply == b.reply &&
          a.outcome == b.outcome && a.detail == b.detail && a.host.size() == b.host.size());
  }

  std::size_t recordedBytes = 0;
  for (const SessionExchange& x : file->exchanges) recordedBytes += x.receivedBytes().size();
  for (bool timing : {true, false}) {
    sim::ReplayUnit unit(file->exchanges, timing, nullptr);
    std::int64_t now = 0;
    std::size_t out = 0;
    for (const SessionExchange& x : file->exchanges) {
      unit.receive(x.sent, now);
      for (const TimedBytes& host : x.host) {
        now += 1;
        unit.receive(host.bytes, now);
      }
      while (const auto next = unit.nextOutputAt()) {
        now = std::max(now, *next);
        const std::size_t taken = unit.takeOutput(now).size();
        Check(taken > 0);
        out += taken;
      }
      now += 1000;
    }
    Check(unit.answered() + unit.unrecorded() <= static_cast<int>(file->exchanges.size()) * 2);
    // Each exchange's bytes go out at most once per frame sent.
    Check(out <= recordedBytes);
  }
  return 0;
}
