// Every contactless button against arbitrary replies: each row of
// RfOperations() runs, in table order, over a scripted line on virtual time
// with a view whose inputs are taken from the fuzz input as well, like an
// operator pressing them all in turn. A read past the end of a reply stops
// the run (the library's bounds checks and AddressSanitizer).
//
// Input: flags, a count of input fields to set, each as a field number and
// its text (a length byte and the text; see kFields), then the device's
// deliveries (see fuzz_input.h), sent in answer to every command frame.
//   flags bit 0  the operator answers "OK" to the sector trailer question
// Fields not set keep the texts the RF CARD tab loads with.
#include <algorithm>

#include "fuzz_grid.h"
#include "fuzz_input.h"
#include "link_harness.h"
#include "rf/mifare_operations.h"
#include "rf/rf_operations.h"
#include "rf_inputs.h"

using namespace kdx;
using namespace kdx::fuzz;

namespace {

constexpr std::int64_t kLongestExchangeMs =
    kAckWaitMs + kHeadWaitMs + kRestWaitMs + kAfterEotWaitMs;

// The RF CARD tab: its inputs as the window loads them, and displays that
// check what the operations write into them.
struct FuzzRfView final : RfView {
  RfInputs in = test::LoadedRfInputs();
  CheckedGrid block{16};
  CheckedGrid page{4};
  int fieldWrites = 0, tabWrites = 0, purseWrites = 0, responseWrites = 0;

  RfInputs inputs() const override { return in; }
  void showCardFields(const RfCardFields& f) override {
    ++fieldWrites;
    for (const std::string* s :
         {&f.mifareUid, &f.ultralightUid, &f.typeAUid, &f.typeAAnswer, &f.typeBAnswer})
      KDX_FUZZ_CHECK(IsHexText(*s));
  }
  void bringTabsToFront(std::span<const TabStop> stops) override {
    ++tabWrites;
    KDX_FUZZ_CHECK(!stops.empty() && stops.size() <= 3);
  }
  CellGrid& blockGrid() override { return block; }
  CellGrid& pageGrid() override { return page; }
  void setPurseValue(std::string_view text) override {
    ++purseWrites;
    // A 32-bit count, in decimal.
    KDX_FUZZ_CHECK(!text.empty() && text.size() <= 10);
    KDX_FUZZ_CHECK(
        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }));
  }
  void setApduResponse(ApduTab, std::string_view text) override {
    ++responseWrites;
    KDX_FUZZ_CHECK(IsHexText(text));
  }
  void showAccessConditions(const DecodedLines& lines) override {
    // A trailer's conditions: a heading and at most six more lines.
    KDX_FUZZ_CHECK(lines.size() <= 7);
    for (const std::string& line : lines) KDX_FUZZ_CHECK(IsUtf8(line));
  }
};

// An item of a number list, as the window offers them: the first byte of
// `text` picks it.
std::uint8_t Pick(const std::string& text, int count) {
  return static_cast<std::uint8_t>(text.empty() ? 0 : static_cast<unsigned char>(text[0]) % count);
}

// Sets input field `field` (taken modulo the field count) to `text`; a list
// field to the item `text` picks.
void SetField(RfInputs& in, std::uint8_t field, const std::string& text) {
  const auto cell = [&](CellTexts& grid, int first) { grid.setText(field - first, text); };
  switch (field % 36) {
    case 0:
      in.protocol = text;
      break;
    case 1:
      in.keyB = !text.empty();
      break;
    case 8:
      in.sector = Pick(text, kSectorCount);
      break;
    case 9:
      in.block = Pick(text, kBlocksListed);
      break;
    case 10:
      in.blockCount = Pick(text, kBlockCountsListed);
      break;
    case 27:
      in.purseBlock = Pick(text, kBlocksListed);
      break;
    case 28:
      in.purseValue = text;
      break;
    case 29:
      in.page = Pick(text, kPagesListed);
      break;
    case 34:
      in.apduA = text;
      break;
    case 35:
      in.apduB = text;
      break;
    default:
      field %= 36;
      if (field < 8)
        cell(in.keyCells, 2);  // 2-7: the key's six cells
      else if (field < 27)
        cell(in.blockCells, 11);  // 11-26: the block's sixteen
      else
        cell(in.pageCells, 30);  // 30-33: the page's four
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  InputReader in(data, size);
  test::LinkHarness h;
  FuzzRfView view;
  RfContext context{h.session, view};
  const std::uint8_t flags = in.byte();
  h.messages.answerOk = (flags & 1) != 0;
  for (int n = in.byte(); n > 0; --n) {
    const std::uint8_t field = in.byte();
    SetField(view.in, field, in.text(255));
  }
  const auto deliveries = ReadDeliveries(in);
  h.line.onWrite = [&](int, const Bytes& bytes) {
    if (bytes.empty() || bytes[0] != kStx) return;  // the host's ACK or EOT
    std::int64_t at = 0;
    for (const auto& d : deliveries) h.line.deliverIn(at += d.delayMs, d.bytes);
  };

  for (const RfOperation& row : RfOperations()) {
    h.messages.boxes.clear();
    const std::int64_t start = h.clock.nowMs();
    const std::size_t writes = h.line.writes().size();
    const int tabs = view.tabWrites;
    const int blockWrites = view.block.writes, pageWrites = view.page.writes;
    const CommandOutcome outcome = RunRfOperation(context, row);

    // One exchange at most, within its time limits.
    KDX_FUZZ_CHECK(h.clock.nowMs() - start <= kLongestExchangeMs);
    KDX_FUZZ_CHECK(h.line.writes().size() - writes <= 2);
    KDX_FUZZ_CHECK(view.tabWrites - tabs <= 1);
    // One box, after the sector trailer question for a block write.
    KDX_FUZZ_CHECK(h.messages.boxes.size() <= (row.control == "RFwriteBtn" ? 2u : 1u));
    for (const auto& box : h.messages.boxes) {
      KDX_FUZZ_CHECK(IsUtf8(box.title) && IsUtf8(box.text));
      KDX_FUZZ_CHECK(!box.question || row.control == "RFwriteBtn");
    }
    // Only a positive reply fills the grids, each its own button's.
    if (outcome != CommandOutcome::Positive || row.control != "RFreadBtn")
      KDX_FUZZ_CHECK(view.block.writes == blockWrites);
    if (outcome != CommandOutcome::Positive || row.control != "ULCmdRread")
      KDX_FUZZ_CHECK(view.page.writes == pageWrites);
    if (outcome != CommandOutcome::Positive) KDX_FUZZ_CHECK(view.tabWrites == tabs);
  }
  return 0;
}
