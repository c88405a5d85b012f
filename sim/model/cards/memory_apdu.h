#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kdx::sim {

using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

// The commands a contact memory card takes from the device, written as an
// ISO/IEC 7816-4 style APDU: CLA, INS, P1, P2, a length byte, then the data
// of a write. The card answers with its data followed by SW1 SW2.
struct MemoryApdu {
  std::uint8_t cla = 0;
  std::uint8_t ins = 0;
  std::uint8_t p1 = 0;
  std::uint8_t p2 = 0;
  std::uint8_t length = 0;
  Bytes data;

  // True when the data after the length byte are as long as a command of
  // this kind needs: none for a read, `length` bytes for the others.
  bool dataFits(bool read) const { return data.size() == (read ? 0u : length); }
};

// Nothing for fewer than five bytes.
std::optional<MemoryApdu> ParseMemoryApdu(ByteView bytes);

// Status words the memory cards answer with.
enum StatusWord : std::uint16_t {
  kSwOk = 0x9000,
  kSwWrongLength = 0x6700,
  kSwWrongParameters = 0x6B00,
  kSwFailed = 0x6F00,
  kSwWrongPassword = 0x6F01,
  kSwLocked = 0x6F02,
  kSwUnknownInstruction = 0x6D00,
  kSwUnknownClass = 0x6E00,
};

inline constexpr std::uint8_t kMemoryClass = 0x00;
inline constexpr std::uint8_t kInsVerify = 0x20;
inline constexpr std::uint8_t kInsChangePassword = 0x24;
inline constexpr std::uint8_t kInsRead = 0xB0;
inline constexpr std::uint8_t kInsWrite = 0xD0;
// The most bytes one read or write moves.
inline constexpr std::size_t kMaxTransfer = 0x80;

// The outcome of presenting a card's PSC, and the status word it answers.
enum class Verification { Accepted, Wrong, Locked };
StatusWord VerificationStatus(Verification verification);

// `data` followed by the status word.
Bytes CardAnswer(StatusWord sw, Bytes data = {});

// The checks every read and write makes on an area of `size` bytes: the
// start must lie inside it (else wrong parameters) and the transfer must
// neither exceed kMaxTransfer nor run past its end (else wrong length).
std::optional<StatusWord> CheckRange(std::size_t start, std::size_t length, std::size_t size);

}  // namespace kdx::sim
