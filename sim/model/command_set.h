#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "model/device_state.h"

namespace kdx::sim {

using Bytes = std::vector<std::uint8_t>;

// A command frame's text as the device understands it.
struct Command {
  std::uint8_t code = 0;
  std::uint8_t parameter = 0;
  Bytes data;
};

// What the device answers: a positive reply with status bytes and data, or a
// negative one with a two-character error code (and, for the few replies
// that carry any, data after it).
struct Response {
  bool positive = true;
  // Status bytes of a positive reply; when empty the model fills in the
  // transport status (card position, stacker level, bin) as it stands after
  // the command.
  std::optional<std::array<std::uint8_t, 3>> status;
  std::array<std::uint8_t, 2> error{'0', '0'};
  Bytes data;

  static Response Positive(Bytes data = {}) {
    return Response{true, std::nullopt, {}, std::move(data)};
  }
  static Response Positive(std::string_view text) {
    return Positive(Bytes(text.begin(), text.end()));
  }
  static Response Negative(std::string_view code) {
    return Response{false,
                    std::nullopt,
                    {static_cast<std::uint8_t>(code[0]), static_cast<std::uint8_t>(code[1])},
                    {}};
  }
};

// Error codes the device uses.
inline constexpr std::string_view kUnknownCommand = "00";
inline constexpr std::string_view kBadParameter = "01";
inline constexpr std::string_view kImpossible = "02";  // no card where the command needs one
inline constexpr std::string_view kBadData = "04";
inline constexpr std::string_view kNoAnswerToReset = "61";
inline constexpr std::string_view kNotReset = "65";  // a card command before its reset
inline constexpr std::string_view kNoCards = "A0";
inline constexpr std::string_view kBinFull = "A1";
inline constexpr std::string_view kNotInitialized = "B0";

// Handles every parameter code of one command code; answers "01" itself for
// a parameter it does not know.
using CommandHandler = std::function<Response(DeviceState&, const Command&)>;

// The commands the device answers, by command code. Each family of commands
// registers its handlers here, so a new family needs no change to dispatch.
class CommandSet {
 public:
  void add(std::uint8_t code, CommandHandler handler) { handlers_[code] = std::move(handler); }
  bool knows(std::uint8_t code) const { return handlers_.count(code) != 0; }
  // Runs the handler for the command's code; "00" when there is none.
  Response dispatch(DeviceState& state, const Command& command) const;

 private:
  std::map<std::uint8_t, CommandHandler> handlers_;
};

// The families answered today: transport (initialize, status, moves, entry,
// card type detection) and identity (serial number, configuration, counter).
void AddTransportCommands(CommandSet& commands);
void AddIdentityCommands(CommandSet& commands);
// Contact memory cards at the IC station: SLE4442, SLE4428 ("S") and 24Cxx
// ("T").
void AddContactMemoryCommands(CommandSet& commands);
// The IC station lets go of the card in the channel: a powered memory chip
// loses its power. Card moves and initialize call it.
void ReleaseContacts(DeviceState& state);
// The contactless station (60h): activation, status, Mifare instructions, APDUs.
void AddRfCommands(CommandSet& commands);
// Contact CPU cards at the IC station ("Q") and SAMs ("R").
void AddCpuSamCommands(CommandSet& commands);
// Powers down the CPU card in the channel (its contacts are released) and,
// with `sams`, every SAM. Card moves and initialize call it.
void ReleaseCpuCards(DeviceState& state, bool sams);
// Every family above.
void AddStandardCommands(CommandSet& commands);

}  // namespace kdx::sim
