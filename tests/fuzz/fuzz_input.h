#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "link/bytes.h"

namespace kdx::fuzz {

// A property every input must keep; a broken one aborts, which the fuzzer
// records as a crash together with the input.
#define KDX_FUZZ_CHECK(condition) ::kdx::fuzz::Check((condition), #condition, __FILE__, __LINE__)
void Check(bool holds, const char* what, const char* file, int line);

// Reads a fuzz input front to back, so that a seed can be written by hand.
// Past the end every value is 0 and every byte string empty.
class InputReader {
 public:
  InputReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool empty() const { return pos_ >= size_; }
  std::uint8_t byte();
  // Two bytes, high byte first.
  std::uint16_t word();
  // Up to `count` bytes, fewer when the input ends first.
  Bytes bytes(std::size_t count);
  // A text of up to `maxLength` characters: one length byte, then the text.
  std::string text(std::size_t maxLength);

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// Bytes the far end sends, `delayMs` after the previous delivery (the first
// one after the write that starts the exchange).
struct Delivery {
  std::int64_t delayMs;
  Bytes bytes;
};

// The rest of the input as deliveries, each: delay in ms (two bytes), byte
// count (two bytes), the bytes. Delays up to 65.5 s reach past every time
// limit of an exchange.
std::vector<Delivery> ReadDeliveries(InputReader& in);

// Whether `text` is well-formed UTF-8, the encoding the message service takes.
bool IsUtf8(std::string_view text);

}  // namespace kdx::fuzz
