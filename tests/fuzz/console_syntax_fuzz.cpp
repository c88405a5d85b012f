// The command console's line syntax on arbitrary operator text: a command
// line parsed into its frame text and framed, the repeat count, and the
// script tidied before a run, each with the round trips that hold.
//
// Input: the unit address (one byte), then the text, used as a command
// line, as the repeat count's field and as a whole script.
#include <algorithm>
#include <string>
#include <vector>

#include "console/command_line.h"
#include "console/console_run.h"
#include "fuzz_input.h"
#include "link/conversions.h"
#include "link/frame.h"

using namespace kdx;
using namespace kdx::fuzz;

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

std::string DollarPair(std::uint8_t b) {
  return {'$', kHexDigits[b >> 4], kHexDigits[b & 15]};
}

// A command line for `text` in the operator's notation: characters that
// stand for themselves as they are, every other byte as "$HH".
std::string LineFor(ByteView text, bool allPairs) {
  std::string line;
  for (std::uint8_t b : text) {
    if (!allPairs && b > ' ' && b < 0x7F && b != '$')
      line += static_cast<char>(b);
    else
      line += DollarPair(b);
  }
  return line;
}

void CheckLine(std::uint8_t address, std::string_view line) {
  const ParsedLine parsed = ParseCommandLine(line);
  if (!parsed.ok()) {
    // A refusal frames nothing.
    KDX_FUZZ_CHECK(parsed.text.empty());
    if (parsed.fault == LineFault::Dangling) KDX_FUZZ_CHECK(line.find('$') != line.npos);
    return;
  }
  KDX_FUZZ_CHECK(parsed.text.size() <= kMaxConsoleText);

  const Bytes frame = BuildConsoleFrame(address, parsed.text);
  const std::size_t n = parsed.text.size();
  KDX_FUZZ_CHECK(frame.size() == n + 6 && frame.size() <= kConsoleFrameBuffer);
  KDX_FUZZ_CHECK(frame[0] == kStx && frame[1] == address);
  KDX_FUZZ_CHECK((static_cast<std::size_t>(frame[2]) << 8 | frame[3]) == n);
  KDX_FUZZ_CHECK(std::equal(parsed.text.begin(), parsed.text.end(), frame.begin() + 4));
  KDX_FUZZ_CHECK(frame[n + 4] == kEtx);
  std::uint8_t bcc = 0;
  for (std::uint8_t b : frame) bcc ^= b;
  KDX_FUZZ_CHECK(bcc == 0);

  // Written back in the operator's notation, the text parses to itself.
  for (bool allPairs : {true, false}) {
    const ParsedLine again = ParseCommandLine(LineFor(parsed.text, allPairs));
    KDX_FUZZ_CHECK(again.ok() && again.text == parsed.text);
  }
}

void CheckRepeatCount(std::string_view text) {
  const auto count = ParseRepeatCount(text);
  const std::string_view trimmed = TrimBlanks(text);
  const bool digitsOnly =
      !trimmed.empty() && trimmed.size() <= 9 &&
      std::all_of(trimmed.begin(), trimmed.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (digitsOnly) KDX_FUZZ_CHECK(count && *count == std::stoi(std::string(trimmed)));
  if (!count) return;
  // A count is a decimal number: written out, with or without a fraction,
  // it reads back the same.
  const std::string written = std::to_string(*count);
  KDX_FUZZ_CHECK(ParseRepeatCount(written) == count);
  KDX_FUZZ_CHECK(ParseRepeatCount(" " + written + ".75 ") == count);
}

// The script's non-empty lines, as ReadTextLine reads them one by one.
std::vector<std::string> NonEmptyLines(std::string_view text) {
  std::vector<std::string> lines;
  const std::size_t count = ScriptLineCount(text);
  for (std::size_t i = 0; i < count; ++i) {
    std::string line = ReadTextLine(text, static_cast<std::int32_t>(i));
    if (!line.empty()) lines.push_back(std::move(line));
  }
  return lines;
}

void CheckScript(std::string_view script) {
  const std::string tidy = TidyScript(script);
  // No empty lines and no line end at either end; nothing but the empty
  // lines dropped, and tidying again changes nothing.
  KDX_FUZZ_CHECK(tidy.find("\r\n\r\n") == tidy.npos);
  KDX_FUZZ_CHECK(!tidy.starts_with("\r\n") && !tidy.ends_with("\r\n"));
  const std::vector<std::string> lines = NonEmptyLines(script);
  KDX_FUZZ_CHECK(ScriptLineCount(tidy) == lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i)
    KDX_FUZZ_CHECK(ReadTextLine(tidy, static_cast<std::int32_t>(i)) == lines[i]);
  KDX_FUZZ_CHECK(ScriptLineCount(tidy) <= ScriptLineCount(script));
  KDX_FUZZ_CHECK(TidyScript(tidy) == tidy);
  KDX_FUZZ_CHECK(tidy.size() <= script.size() + ScriptLineCount(script));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  InputReader in(data, size);
  const std::uint8_t address = in.byte();
  const Bytes rest = in.bytes(size);
  const std::string text(rest.begin(), rest.end());

  CheckLine(address, text);
  CheckRepeatCount(text);
  CheckScript(text);
  // The lines of a script are framed one by one.
  const std::string tidy = TidyScript(text);
  const std::size_t lines = std::min(ScriptLineCount(tidy), kMaxScriptLines);
  for (std::size_t i = 0; i < lines; ++i)
    CheckLine(address, ReadTextLine(tidy, static_cast<std::int32_t>(i)));
  return 0;
}
