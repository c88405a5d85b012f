#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "link/bytes.h"

namespace kdx {

// What a decoder makes of some bytes: short UTF-8 lines, each
// "field: meaning", in the order the fields stand in the input.
using DecodedLines = std::vector<std::string>;

// Reads bytes front to back for a decoder that must never look past the end.
class ByteCursor {
 public:
  explicit ByteCursor(ByteView bytes) : bytes_(bytes) {}

  bool atEnd() const { return pos_ >= bytes_.size(); }
  std::size_t position() const { return pos_; }
  std::size_t remaining() const { return bytes_.size() - pos_; }
  // The next byte, or false at the end (then `out` is left alone).
  bool next(std::uint8_t& out) {
    if (atEnd()) return false;
    out = bytes_[pos_++];
    return true;
  }
  // Up to `count` bytes, fewer when the input ends first.
  ByteView take(std::size_t count) {
    const std::size_t n = count < remaining() ? count : remaining();
    const ByteView piece = bytes_.subspan(pos_, n);
    pos_ += n;
    return piece;
  }

 private:
  ByteView bytes_;
  std::size_t pos_ = 0;
};

// Hex pairs joined by blanks; past `limit` bytes the rest is summed up as
// "... (n bytes)", so that one line stays short whatever the input.
std::string ShortHex(ByteView bytes, std::size_t limit = 16);

// The bytes as characters where they are printable ASCII, "." elsewhere.
std::string PrintableText(ByteView bytes);

// "truncated: TB1 missing after 3 bytes".
std::string Truncated(std::string_view missing, std::size_t length);

// "1 byte", "2 bytes": a count and its noun.
std::string Count(std::size_t n, std::string_view noun);

// A ratio with at most two decimals and no trailing zeros: "31", "46.5".
std::string Ratio(unsigned numerator, unsigned denominator);

}  // namespace kdx
