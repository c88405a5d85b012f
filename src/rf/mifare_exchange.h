#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "rf/rf_context.h"

namespace kdx {

// Command and parameter codes of the contactless station.
inline constexpr std::uint8_t kRfCommand = 0x60;
inline constexpr std::uint8_t kRfActivate = '0';
inline constexpr std::uint8_t kRfDeactivate = '1';
inline constexpr std::uint8_t kRfStatus = '2';
inline constexpr std::uint8_t kRfMifare = '3';
inline constexpr std::uint8_t kRfTypeAApdu = '4';
inline constexpr std::uint8_t kRfTypeBApdu = '5';

// Instruction codes of the Mifare instruction exchange.
inline constexpr std::uint8_t kCheckKeyInstruction = 0x20;
inline constexpr std::uint8_t kLoadKeyInstruction = 0x21;
inline constexpr std::uint8_t kReadBlockInstruction = 0xB0;
inline constexpr std::uint8_t kReadValueInstruction = 0xB1;
inline constexpr std::uint8_t kStoreKeyInstruction = 0xD0;
inline constexpr std::uint8_t kWriteBlockInstruction = 0xD1;
inline constexpr std::uint8_t kInitValueInstruction = 0xD2;
inline constexpr std::uint8_t kIncrementInstruction = 0xD3;
inline constexpr std::uint8_t kDecrementInstruction = 0xD4;
inline constexpr std::uint8_t kChangeKeyInstruction = 0xD5;

// The instruction block: 00h, instruction, P1, P2, and for instructions that
// carry data the length (or count) byte and the data.
Bytes MifareInstruction(std::uint8_t instruction, std::uint8_t p1, std::uint8_t p2);
Bytes MifareInstruction(std::uint8_t instruction, std::uint8_t p1, std::uint8_t p2,
                        std::uint8_t lengthByte, ByteView data = {});

// The status word of a positive reply, the last two bytes of its data, as
// four hex digits ("9000"). A data field shorter than two bytes gives the hex
// of what it holds, and no status word that could pass for success.
std::string StatusText(const Reply& reply);

// The data before the status word (empty when the reply holds no more).
ByteView DataBeforeStatus(const Reply& reply);

inline constexpr std::string_view kStatusSuccess = "9000";
inline constexpr std::string_view kStatusFailure = "6F00";
inline constexpr std::string_view kExecuteOk = "Execute OK";
inline constexpr std::string_view kExecuteError = "Execute Error";

// The result line for a status text: `success` for "9000", "Execute Error"
// for "6F00", empty otherwise.
std::string_view ResultLine(std::string_view status, std::string_view success = kExecuteOk);

// heading CR LF result line CR LF status text.
std::string MifareMessage(std::string_view heading, std::string_view result,
                          std::string_view status);

// Shows a positive reply of an instruction: the row's title, its text as the
// heading, the result line and the status text.
void ShowMifareResult(RfContext& context, const RfOperation& row, const Reply& reply);
// The same with the EEPROM download's own success text, "Exxcute OK".
void ShowKeyDownloadResult(RfContext& context, const RfOperation& row, const Reply& reply);

// A list position typed or chosen in a combo whose items are two-digit hex
// numbers ("00", "0A", "27"): the text read as a hex number of one or two
// digits, blanks around it ignored, below `count`. Nothing otherwise.
std::optional<std::uint8_t> HexListPosition(std::string_view text, int count);

// The refusal of input that cannot be sent ("Error:Please Check The Data
// Effective"): nothing is sent and the monitor gets no CR LF.
Outgoing RefuseInput();

}  // namespace kdx
