#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "contact/memory_card_context.h"

namespace kdx {

// Command codes of the memory cards: "S" for SLE4442 and SLE4428 (and the
// deactivation of every memory card), "T" for the 24Cxx cards.
inline constexpr std::uint8_t kSleCommand = 'S';
inline constexpr std::uint8_t kAt24Command = 'T';
inline constexpr std::uint8_t kActivateParameter = '0';
inline constexpr std::uint8_t kDeactivateParameter = '1';
inline constexpr std::uint8_t kStatusParameter = '2';
inline constexpr std::uint8_t kSle4442Parameter = '3';
inline constexpr std::uint8_t kSle4428Parameter = '4';
inline constexpr std::uint8_t kAt24CardParameter = '3';

// APDU instructions of the memory card commands.
inline constexpr std::uint8_t kInsRead = 0xB0;
inline constexpr std::uint8_t kInsWrite = 0xD0;

inline constexpr std::string_view kTransmitCommand = "Transmit Command";
inline constexpr std::string_view kAddressOutOfRange = "Address out of range";

// The bytes of an APDU whose every field converted, or nothing.
struct ApduBuilder {
  Bytes bytes;
  bool ok = true;

  ApduBuilder& add(std::uint8_t byte) {
    bytes.push_back(byte);
    return *this;
  }
  ApduBuilder& field(std::string_view text);
  // The data of a write: `length` cells of the grid from cell 0, each exactly
  // two hex digits, preceded by the length byte. A length beyond the grid, or
  // a cell that is empty or holds one digit, fails the whole APDU: a lone
  // digit would shift every later byte and put bytes on the card the operator
  // never typed.
  ApduBuilder& lengthAndGridData(std::string_view length, const CellGrid& grid);

  // Step 3 of the card command sequence: the APDU to send, or the data
  // caution with nothing sent.
  Outgoing outgoing() const;
};

// What a positive reply's card data do after the status word "9000".
enum class CardReplyUse {
  StatusOnly,  // nothing: the box shows the status word alone
  Grid,        // into the cells of `ICText` from cell 0
  Inline,      // into the box, as one hex string after "Execute OK"
};

// Step 6 of the card command sequence: the card's data and status word at
// the end of a positive reply go to the grid and the "Transmit Command" box.
// Data beyond the grid's last cell, or a reply too short to hold a status
// word, end with the data caution instead of the box.
void ShowCardReply(Session& session, CellGrid& grid, CardReplyUse use, const Reply& reply);

// Positive replies of the power buttons. SLE4442 and SLE4428 share theirs:
// the answer to reset names either card on both tabs.
void ShowSleActivation(Session& session, const Reply& reply);
void ShowSleStatus(Session& session, const Reply& reply);
void ShowAt24Activation(Session& session, const Reply& reply);
void ShowAt24Status(Session& session, const Reply& reply);

// The same, as operation rows take them.
template <class Context>
void ShowStatusWord(Context& c, const OperationRow<Context>&, const Reply& r) {
  ShowCardReply(c.session, c.view.dataGrid(), CardReplyUse::StatusOnly, r);
}
template <class Context>
void ShowGridRead(Context& c, const OperationRow<Context>&, const Reply& r) {
  ShowCardReply(c.session, c.view.dataGrid(), CardReplyUse::Grid, r);
}
template <class Context>
void ShowInlineRead(Context& c, const OperationRow<Context>&, const Reply& r) {
  ShowCardReply(c.session, c.view.dataGrid(), CardReplyUse::Inline, r);
}
template <class Context>
void SleActivated(Context& c, const OperationRow<Context>&, const Reply& r) {
  ShowSleActivation(c.session, r);
}
template <class Context>
void SleStatus(Context& c, const OperationRow<Context>&, const Reply& r) {
  ShowSleStatus(c.session, r);
}

// Step 4 for the reads: every cell of `ICText` is emptied before the fields
// are read and anything is sent.
template <class Context>
CellGrid& EmptiedGrid(Context& c) {
  CellGrid& grid = c.view.dataGrid();
  grid.clearCells();
  return grid;
}

}  // namespace kdx
