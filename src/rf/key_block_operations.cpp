// Sector keys and block read and write.
#include <algorithm>

#include "rf/access_conditions.h"
#include "rf/mifare_exchange.h"
#include "rf/mifare_operations.h"

namespace kdx {

std::uint8_t TrailerBlock(std::uint8_t sector) {
  return sector < 32 ? 3 : 15;
}

namespace {

constexpr int kKeyLength = 6;
constexpr int kBlockLength = 16;
constexpr std::size_t kAccessBytes = 6;
// Sectors from 32 on hold sixteen blocks (an S70's upper 2 KB).
constexpr std::uint8_t kFirstLargeSector = 32;

// Key type and sector, and for the instructions that carry it the key.
Outgoing KeyRequest(RfContext& context, std::uint8_t instruction, bool withKey, bool keyTypeSent) {
  const RfInputs in = context.view.inputs();
  const std::uint8_t keyType = keyTypeSent && in.keyB ? 0x01 : 0x00;
  if (!withKey) return Outgoing::Send(MifareInstruction(instruction, keyType, in.sector));
  const auto key = StrictGridBytes(in.keyCells, 0, kKeyLength);
  if (!key) return RefuseInput();
  return Outgoing::Send(MifareInstruction(instruction, keyType, in.sector, kKeyLength, *key));
}

struct BlockChoice {
  std::uint8_t sector;
  std::uint8_t block;
  std::uint8_t count;
};

BlockChoice ChosenBlocks(const RfInputs& in) {
  // The count list starts at "01": its list position plus one.
  return BlockChoice{in.sector, in.block, static_cast<std::uint8_t>(in.blockCount + 1)};
}

}  // namespace

Outgoing StoreKeyRequest(RfContext& context) {
  return KeyRequest(context, kStoreKeyInstruction, true, true);
}

Outgoing LoadKeyRequest(RfContext& context) {
  return KeyRequest(context, kLoadKeyInstruction, false, true);
}

Outgoing CheckKeyRequest(RfContext& context) {
  return KeyRequest(context, kCheckKeyInstruction, true, true);
}

Outgoing ChangeKeyRequest(RfContext& context) {
  return KeyRequest(context, kChangeKeyInstruction, true, false);
}

Outgoing ReadBlockRequest(RfContext& context) {
  const BlockChoice choice = ChosenBlocks(context.view.inputs());
  return Outgoing::Send(
      MifareInstruction(kReadBlockInstruction, choice.sector, choice.block, choice.count));
}

// The cells first, then the manufacturer block, then the question before a
// sector trailer is overwritten.
Outgoing WriteBlockRequest(RfContext& context) {
  const RfInputs in = context.view.inputs();
  const BlockChoice choice = ChosenBlocks(in);
  const auto data = StrictGridBytes(in.blockCells, 0, kBlockLength * choice.count);
  if (!data) return Outgoing::Refuse(kFillCellsFirst, false);
  if (choice.sector == 0 && choice.block == 0) return Outgoing::Refuse(kWriteProhibited, false);
  if (choice.block == TrailerBlock(choice.sector)) {
    // Access bits without their inverted copy lock the sector for good:
    // that question comes before the usual one.
    Messages& messages = context.session.messages;
    const ByteView access = ByteView(*data).subspan(kAccessBytes, 3);
    if (!AccessBytesConsistent(access) &&
        !messages.askOkCancel(kCaution, kInconsistentAccessBits, Icon::Exclamation)) {
      return Outgoing::Withdraw();
    }
    if (!messages.askOkCancel(kCaution, kModifyTrailer, Icon::Question)) {
      return Outgoing::Withdraw();
    }
  }
  return Outgoing::Send(
      MifareInstruction(kWriteBlockInstruction, choice.sector, choice.block, choice.count, *data));
}

// A successful read fills the grid with the first 16 bytes of the data, or
// with as many as came before the status word. When the block read is the
// sector trailer its access conditions are shown beside the grid; any other
// block clears them, since the grid then no longer holds a trailer.
void ShowBlockRead(RfContext& context, const RfOperation& row, const Reply& reply) {
  if (StatusText(reply) == kStatusSuccess) {
    const ByteView data = DataBeforeStatus(reply);
    const ByteView block = data.first(std::min<std::size_t>(data.size(), kBlockLength));
    WriteGridBytes(context.view.blockGrid(), block);
    const BlockChoice choice = ChosenBlocks(context.view.inputs());
    if (choice.block == TrailerBlock(choice.sector)) {
      context.view.showAccessConditions(
          DecodeAccessConditions(block, choice.sector >= kFirstLargeSector));
    } else {
      context.view.showAccessConditions({});
    }
  }
  ShowMifareResult(context, row, reply);
}

}  // namespace kdx
