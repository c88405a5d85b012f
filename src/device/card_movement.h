#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "link/operation.h"

namespace kdx {

// One transport button: the command it sends (no data) and the box that
// confirms a positive reply.
struct MoveCommand {
  std::string_view button;
  std::string_view caption;
  std::uint8_t command;
  std::uint8_t parameter;
  std::string_view successText;
  std::string_view successTitle;
};

// The "Card Move to" buttons top to bottom, then "Enter Control" left to
// right. The plain front move sends "9"; the front move that holds the card
// sends "0".
inline constexpr std::array<MoveCommand, 7> kMoveCommands{{
    {"MoveCardToFront1Btn", "the front", '2', '9', "Move card to the front success",
     "Move card to the front"},
    {"MoveCardToFront2Btn", "the front,hold the card", '2', '0',
     "Move card to the front with hold card success", "Move card to the front with hold card"},
    {"MoveCardToRFBtn", "the RF card operation position", '2', '2',
     "Move card to RF card operation position success", "Move card to RF card operation position"},
    {"MoveCardToICCBtn", "the IC card operation position", '2', '1',
     "Move card to IC card operation position success", "Move card to IC card operation position"},
    {"MoveCardToRecycleBinBtn", "Error Card Bin", '2', '3',
     "Move card to the error card bin success", "Move card to the error card bin"},
    {"AllCardInBtn", "Allowed", '3', '0', "Allowed success", "Allowed"},
    {"NoCardInBtn", "Prohibition", '3', '1', "Prohibition success", "Prohibition"},
}};

// The row of a button by its name, or nullptr for another name.
const MoveCommand* FindMoveCommand(std::string_view button);

// Any of the seven buttons: the standard command sequence with the row's
// codes; a positive reply shows the row's success box. Status bytes and data
// of the reply are not shown (they are in the monitor).
CommandOutcome RunMoveCommand(Session& session, const MoveCommand& row);

}  // namespace kdx
