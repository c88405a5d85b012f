// The texts made from reply bytes, on arbitrary bytes: the configuration
// dialog's values, the card status sentences, the negative-reply catalogue,
// and the hex and single-byte text conversions the monitor and the dialogs
// use.
//
// Input: the bytes themselves; the first ten are the configuration record,
// the first three the status bytes, the first two the error code.
#include <algorithm>
#include <cctype>

#include "device/identity.h"
#include "device/status.h"
#include "fuzz_input.h"
#include "link/reply_catalogue.h"

using namespace kdx;
using namespace kdx::fuzz;

namespace {

std::size_t Count(std::string_view text, std::string_view piece) {
  std::size_t n = 0;
  for (auto at = text.find(piece); at != std::string_view::npos; at = text.find(piece, at + 1)) ++n;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteView bytes(data, size);
  auto at = [&](std::size_t i) { return i < size ? data[i] : std::uint8_t{0}; };

  ConfigurationRecord record{};
  for (std::size_t i = 0; i < record.size(); ++i) record[i] = at(i);
  const ConfigurationTexts texts = ConfigurationValueTexts(record);
  KDX_FUZZ_CHECK(texts[0].empty() || texts[0] == "KDX-846");
  KDX_FUZZ_CHECK(texts[1].size() <= 3);
  for (std::size_t i = 2; i < texts.size(); ++i) {
    // Every table text is plain ASCII, and an unknown byte gives no text.
    KDX_FUZZ_CHECK(std::all_of(texts[i].begin(), texts[i].end(),
                               [](char c) { return c >= 0x20 && c < 0x7F; }));
    KDX_FUZZ_CHECK(texts[i].empty() || record[i + 2] >= '0');
  }

  const std::string status = CardStatusMessage(at(0), at(1), at(2));
  KDX_FUZZ_CHECK(status.starts_with("Card Status Success\r\n"));
  KDX_FUZZ_CHECK(Count(status, "\r\n") == 3 && IsUtf8(status));

  const auto negative = NegativeReplyText(at(0), at(1));
  if (negative) {
    // Catalogue codes are two characters from "0" to "9", "A" and "B".
    const auto code = [](std::uint8_t c) { return (c >= '0' && c <= '9') || c == 'A' || c == 'B'; };
    KDX_FUZZ_CHECK(code(at(0)) && code(at(1)) && !negative->empty() && IsUtf8(*negative));
  }

  // Hex text and back; parsing arbitrary text never yields more bytes than
  // half its hex digits.
  const std::string hex = HexBytes(bytes);
  Bytes back;
  KDX_FUZZ_CHECK(ParseHexBytes(hex, back) && back == Bytes(bytes.begin(), bytes.end()));
  const std::string text = BytesToText(bytes);
  if (ParseHexBytes(text, back)) {
    const auto digits = std::count_if(text.begin(), text.end(),
                                      [](unsigned char c) { return std::isxdigit(c) != 0; });
    KDX_FUZZ_CHECK(back.size() * 2 == static_cast<std::size_t>(digits));
  }
  // Device text to the message service's UTF-8: always well-formed, one
  // character per byte.
  const std::string utf8 = Latin1ToUtf8(text);
  KDX_FUZZ_CHECK(IsUtf8(utf8));
  KDX_FUZZ_CHECK(static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
                   return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
                 })) == size);
  return 0;
}
