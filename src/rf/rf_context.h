#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "device/tab_stop.h"
#include "input/cell_grid.h"
#include "iso/decoded_lines.h"
#include "link/operation.h"
#include "rf/cell_texts.h"

namespace kdx {

// The operator's input on the RF CARD tab, read in one go when a button is
// pressed. Text fields and the editable combos are taken by their text, grids
// by their cells, the number lists by the position of the chosen item, which
// is the number itself.
struct RfInputs {
  std::string protocol;         // RFCardUPCombbox
  bool keyB = false;            // RfKeyAB2 ("KEY B") selected rather than RfKeyAB1
  CellTexts keyCells;           // SRFPASSWORDLIST
  std::uint8_t sector = 0;      // SecNumberCombo: 0 to 39
  std::uint8_t block = 0;       // BlockNumberCombo: 0 to 15
  std::uint8_t blockCount = 0;  // BlockLongCombo: the count sent is one more
  CellTexts blockCells;         // SRFTextLIST
  std::uint8_t purseBlock = 0;  // PurseBlockCombbox: 0 to 15
  std::string purseValue;       // PurseValueText
  std::uint8_t page = 0;        // ULSecNumberCombo: 0 to 15
  CellTexts pageCells;          // ULTextLIST
  std::string apduA;            // TypeACAPDUText
  std::string apduB;            // TypeBCAPDUText
};

// What an activation shows of the card: serial numbers (UIDs) and answers,
// as hex text. Empty fields are shown empty.
struct RfCardFields {
  std::string mifareUid;      // RFmessageLabel
  std::string ultralightUid;  // ULRFmessage
  std::string typeAUid;       // CPURFTypeAmessage
  std::string typeAAnswer;    // ATRTypeAText
  std::string typeBAnswer;    // ATRTypeBText
  bool operator==(const RfCardFields&) const = default;
};

// The two APDU tabs.
enum class ApduTab { TypeA, TypeB };

// The RF CARD tab as the contactless operations see it.
class RfView {
 public:
  virtual ~RfView() = default;
  virtual RfInputs inputs() const = 0;
  virtual void showCardFields(const RfCardFields& fields) = 0;
  // Brings the listed tabs to the front, in the order given.
  virtual void bringTabsToFront(std::span<const TabStop> stops) = 0;
  // The block grid SRFTextLIST and the page grid ULTextLIST, for replies.
  virtual CellGrid& blockGrid() = 0;
  virtual CellGrid& pageGrid() = 0;
  virtual void setPurseValue(std::string_view text) = 0;
  // The response box of an APDU tab (TypeARAPDUText, TypeBRAPDUText).
  virtual void setApduResponse(ApduTab tab, std::string_view text) = 0;
  // The access conditions of the sector trailer a read has put into
  // SRFTextLIST, shown beside the grid; none after a read of another block.
  virtual void showAccessConditions(const DecodedLines& lines) = 0;
};

// What every contactless operation works on.
struct RfContext {
  Session& session;
  RfView& view;
};

using RfOperation = OperationRow<RfContext>;

}  // namespace kdx
