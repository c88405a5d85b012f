// The decoders of card answers, status words and Mifare access conditions
// on arbitrary bytes: no read past the end (the input buffer is exactly the
// size given), every line non-empty, well-formed UTF-8 and short, the
// number of lines bounded by the bytes read, and the results consistent with
// what the bytes say.
//
// Input: the bytes themselves, decoded as an answer to reset, an answer to
// select, an answer to request B and a sector trailer; the last two are the
// status word.
#include <algorithm>

#include "fuzz_input.h"
#include "iso/answer_to_request_b.h"
#include "iso/answer_to_reset.h"
#include "iso/answer_to_select.h"
#include "iso/status_word_line.h"
#include "rf/access_conditions.h"

using namespace kdx;
using namespace kdx::fuzz;

namespace {

// Long enough for the longest explanation, short enough for one line.
constexpr std::size_t kMaxLine = 160;

void CheckLines(const DecodedLines& lines, std::size_t maxLines) {
  KDX_FUZZ_CHECK(!lines.empty() && lines.size() <= maxLines);
  for (const std::string& line : lines) {
    KDX_FUZZ_CHECK(!line.empty() && line.size() <= kMaxLine);
    KDX_FUZZ_CHECK(IsUtf8(line));
    KDX_FUZZ_CHECK(line.find('\n') == std::string::npos && line.find('\r') == std::string::npos);
  }
}

std::size_t CountStarting(const DecodedLines& lines, std::string_view start) {
  return static_cast<std::size_t>(std::count_if(
      lines.begin(), lines.end(), [&](const std::string& l) { return l.starts_with(start); }));
}

// Bytes 6 to 8 of a trailer from C1 C2 C3 of the four groups, as the
// datasheet lays them out: written here bit by bit, apart from the decoder.
Bytes EncodeAccess(const std::array<std::uint8_t, 4>& groups) {
  std::uint8_t c1 = 0, c2 = 0, c3 = 0;
  for (int g = 0; g < 4; ++g) {
    const std::uint8_t c = groups[static_cast<std::size_t>(g)];
    c1 |= static_cast<std::uint8_t>((c >> 2 & 1) << g);
    c2 |= static_cast<std::uint8_t>((c >> 1 & 1) << g);
    c3 |= static_cast<std::uint8_t>((c & 1) << g);
  }
  return {static_cast<std::uint8_t>((~c2 & 0x0F) << 4 | (~c1 & 0x0F)),
          static_cast<std::uint8_t>(c1 << 4 | (~c3 & 0x0F)),
          static_cast<std::uint8_t>(c3 << 4 | c2)};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteView bytes(data, size);

  // Answer to reset: at most a line per byte and a few more; at most one
  // verdict on TCK, and none after a truncation.
  const DecodedLines atr = DecodeAtr(bytes);
  CheckLines(atr, size + 8);
  KDX_FUZZ_CHECK(CountStarting(atr, "TCK") <= 1);
  if (atr.back().starts_with("truncated")) KDX_FUZZ_CHECK(CountStarting(atr, "TCK") == 0);
  if (size > 0 && data[0] != 0x3B && data[0] != 0x3F) KDX_FUZZ_CHECK(atr.size() == 1);
  for (const std::string& line : atr) {
    // A correct TCK makes T0 up to it XOR to zero: some prefix must do so.
    if (line.starts_with("TCK ") && line.ends_with(": correct")) {
      bool zero = false;
      std::uint8_t x = 0;
      for (std::size_t i = 1; i < size && !zero; ++i) zero = (x ^= data[i]) == 0 && i > 1;
      KDX_FUZZ_CHECK(zero);
    }
  }

  const DecodedLines ats = DecodeAts(bytes);
  CheckLines(ats, size + 8);
  if (size > 0 && data[0] == 0) KDX_FUZZ_CHECK(ats.size() == 1);

  const DecodedLines atqb = DecodeAtqb(bytes);
  CheckLines(atqb, 10);

  // Sector trailer: consistent access bytes decode into the four groups and
  // encode back to the same bytes; inconsistent ones give one line only.
  for (bool large : {false, true}) {
    const DecodedLines access = DecodeAccessConditions(bytes, large);
    CheckLines(access, 7);
    if (size < 9) {
      KDX_FUZZ_CHECK(access.size() == 1 &&
                     !AccessBytesConsistent(bytes.subspan(std::min<std::size_t>(size, 6))));
      continue;
    }
    const ByteView accessBytes = bytes.subspan(6, 3);
    const auto groups = AccessBits(accessBytes);
    KDX_FUZZ_CHECK(groups.has_value() == AccessBytesConsistent(accessBytes));
    KDX_FUZZ_CHECK(groups.has_value() == (access.size() >= 5));
    if (groups) {
      KDX_FUZZ_CHECK(EncodeAccess(*groups) == Bytes(accessBytes.begin(), accessBytes.end()));
      for (std::uint8_t c : *groups) KDX_FUZZ_CHECK(c < 8);
    }
  }

  // Status word: one line naming the last two bytes, none for fewer.
  const std::string status = ResponseStatusLine(bytes);
  if (size < 2) {
    KDX_FUZZ_CHECK(status.empty());
  } else {
    const std::string word = HexByte(data[size - 2]) + HexByte(data[size - 1]) + ": ";
    KDX_FUZZ_CHECK(status.starts_with(word) && status.size() > word.size());
    KDX_FUZZ_CHECK(status.size() <= kMaxLine && IsUtf8(status));
  }
  return 0;
}
