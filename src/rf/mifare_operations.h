#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "rf/rf_context.h"

namespace kdx {

// The checks and reply handling of the Mifare sector key, block, purse and
// Ultralight page buttons. Each check reads the operator's input, refuses
// what cannot or must not be sent before anything goes out (no CR LF in the
// monitor then), and builds the instruction block.

// Card geometry: sectors 0 to 31 have four blocks with the trailer in block
// 3, sectors 32 to 39 sixteen with the trailer in block 15. The tab's lists
// offer every sector, blocks 0 to 15 in each, one block count and Ultralight
// pages 0 to 15.
inline constexpr int kSectorCount = 40;
inline constexpr int kBlocksListed = 16;
inline constexpr int kBlockCountsListed = 1;
inline constexpr int kPagesListed = 16;
std::uint8_t TrailerBlock(std::uint8_t sector);

inline constexpr std::string_view kFillCellsFirst = "Please input the data first";
inline constexpr std::string_view kWriteProhibited = "Write Prohibit In The Block";
inline constexpr std::string_view kNoPurseBlock = "The block does not support the purse operation";
inline constexpr std::string_view kVendorPages =
    "The block is the vendor code area, the block is not written";
inline constexpr std::string_view kModifyTrailer =
    "Are you sure to modify\r\nthe password of present sector and control key memory area?";
// Asked before kModifyTrailer when the access bytes to be written (cells 6
// to 8) do not hold a matching inverted copy.
inline constexpr std::string_view kInconsistentAccessBits =
    "The access bits in bytes 6 to 8 do not match their inverted copy.\r\n"
    "The card would refuse every further access to this sector: it would be "
    "unusable for good.\r\nWrite them anyway?";

// Sector keys: D0h (store in EEPROM), 20h (check), D5h (change, always
// with key type 00h) with the six key cells; 21h (load from EEPROM) without.
Outgoing StoreKeyRequest(RfContext& context);
Outgoing LoadKeyRequest(RfContext& context);
Outgoing CheckKeyRequest(RfContext& context);
Outgoing ChangeKeyRequest(RfContext& context);

// Block read (B0h) and write (D1h) of SRFTextLIST. A read of a sector
// trailer also shows its access conditions; a write of a trailer whose
// access bytes are inconsistent asks kInconsistentAccessBits first.
Outgoing ReadBlockRequest(RfContext& context);
Outgoing WriteBlockRequest(RfContext& context);
void ShowBlockRead(RfContext& context, const RfOperation& row, const Reply& reply);

// Purse: initialize (D2h), increment (D3h), decrement (D4h) with the value,
// read (B1h) into PurseValueText.
Outgoing InitValueRequest(RfContext& context);
Outgoing IncrementRequest(RfContext& context);
Outgoing DecrementRequest(RfContext& context);
Outgoing ReadValueRequest(RfContext& context);
void ShowPurseValue(RfContext& context, const RfOperation& row, const Reply& reply);

// The purse value as sent: 0 to 2147483647 in decimal digits, least
// significant byte first. Nothing for any other text.
std::optional<Bytes> PurseValueBytes(std::string_view text);

// Ultralight page read (B0h) and write (D1h) of ULTextLIST.
Outgoing ReadPageRequest(RfContext& context);
Outgoing WritePageRequest(RfContext& context);
void ShowPageRead(RfContext& context, const RfOperation& row, const Reply& reply);

}  // namespace kdx
