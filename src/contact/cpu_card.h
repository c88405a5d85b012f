#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "link/operation.h"

namespace kdx {

// Command codes of the CPU card at the IC station and of the SAM sockets;
// the parameter codes are the same for both.
inline constexpr std::uint8_t kCpuCardCommand = 'Q';
inline constexpr std::uint8_t kSamCardCommand = 'R';
inline constexpr std::uint8_t kCpuColdResetParameter = '0';
inline constexpr std::uint8_t kCpuWarmResetParameter = '8';
inline constexpr std::uint8_t kCpuApduParameter = '9';
inline constexpr std::uint8_t kCpuStatusParameter = '2';
inline constexpr std::uint8_t kCpuDeactivateParameter = '1';
inline constexpr std::uint8_t kChooseSamParameter = '@';

// The cold reset's data byte: the EMV2000 or the ISO/IEC 7816-3 activation.
inline constexpr std::uint8_t kEmvActivation = '0';
inline constexpr std::uint8_t kIsoActivation = '3';

// An APDU of 252 bytes fills the frame's one-byte length field (FFh).
inline constexpr std::size_t kMaxApduDigits = 504;

inline constexpr std::string_view kEmvRefusedText =
    "Tried to communicate with IC card not supported in Protocol EMV2000.";
inline constexpr std::string_view kChooseSamFirst = "Please Choose SAM Number First";

// The data a reset reply carries: the protocol byte ("0" T=0, "1" T=1), when
// the reply reaches it, and the ATR after it.
struct ResetAnswer {
  std::optional<std::uint8_t> protocol;
  Bytes atr;
};

// A positive reset reply: data byte 1 is the protocol, the rest the ATR.
ResetAnswer PositiveResetAnswer(const Reply& reply);

// True for the negative reply "69": the card does not take the EMV2000
// activation.
bool IsEmvRefusal(const Reply& reply);

// A negative "69" reply: the byte after the error code is the protocol, the
// bytes after it the ATR.
ResetAnswer EmvRefusalAnswer(const Reply& reply);

// The bytes of a negative reply after its error code, up to the end of text.
Bytes NegativeReplyData(const Reply& reply);

// Data byte `index` (from 1) of a positive reply, when the reply reaches it.
std::optional<std::uint8_t> ReplyDataByte(const Reply& reply, std::size_t index);

// The APDU text of `CmdText`: pairs of characters, each pair (blanks around
// it trimmed) one or two hex digits, at most 504 characters.
enum class ApduTextError {
  None,
  OddLength,  // refused before the exchange begins (no CR LF)
  BadPair,    // a pair that is not hex, or too long for the frame
};
struct ApduText {
  Bytes bytes;
  ApduTextError error = ApduTextError::None;
};
ApduText ParseApduText(std::string_view text);

// "SAM 1" to "SAM 14", exactly so, give the socket codes "0" (30h) to "="
// (3Dh); any other text gives nothing.
std::optional<std::uint8_t> SamSocketCode(std::string_view text);

// The card status texts: the power and clock state of data byte 1 and the
// socket in use of data byte 2 (SAM only); "" for other values.
std::string_view CardPowerText(std::uint8_t state);
std::string_view SamSocketText(std::uint8_t socket);

// The "Card Status" box text: the power text, and for a SAM a CR LF and the
// socket text. Bytes the reply does not carry count as unknown values.
std::string CpuCardStatusText(const Reply& reply, bool withSocket);

}  // namespace kdx
