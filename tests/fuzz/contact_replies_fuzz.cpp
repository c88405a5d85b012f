// Every contact card button against arbitrary replies: the rows of the
// SLE4442, SLE4428 and 24CXX tables over their shared card data grid, then
// those of the CPU card and SAM windows, in table order, over a scripted
// line on virtual time, with views whose inputs are taken from the fuzz
// input as well. A read past the end of a reply stops the run (the
// library's bounds checks and AddressSanitizer).
//
// Input: a count of input fields to set, each as a field number and its
// text (a length byte and the text; see SetField), then the device's
// deliveries (see fuzz_input.h), sent in answer to every command frame.
// Fields not set keep the texts the tabs and windows load with.
#include "contact/at24_operations.h"
#include "contact/cpu_operations.h"
#include "contact/sle4428_operations.h"
#include "contact/sle4442_operations.h"
#include "fuzz_grid.h"
#include "fuzz_input.h"
#include "link_harness.h"

using namespace kdx;
using namespace kdx::fuzz;

namespace {

constexpr std::int64_t kLongestExchangeMs =
    kAckWaitMs + kHeadWaitMs + kRestWaitMs + kAfterEotWaitMs;
constexpr int kGridCells = 128;  // ICText

template <class Inputs>
struct FuzzMemoryView final : MemoryCardView<Inputs> {
  FuzzMemoryView(Inputs fields, CheckedGrid& grid) : fields(std::move(fields)), grid(grid) {}
  Inputs inputs() const override { return fields; }
  CellGrid& dataGrid() override { return grid; }
  Inputs fields;
  CheckedGrid& grid;
};

// A card window whose result boxes must only ever hold hex pairs.
struct FuzzCpuView final : CpuCardView {
  CpuCardInputs in{true, "00A40000023F00", "SAM 1"};
  std::string resetText, responseText;

  CpuCardInputs inputs() const override { return in; }
  void clearResetText() override { resetText.clear(); }
  void appendResetText(std::string_view hex) override {
    KDX_FUZZ_CHECK(IsHexText(hex));
    resetText += hex;
  }
  void clearResponseText() override { responseText.clear(); }
  void appendResponseText(std::string_view hex) override {
    KDX_FUZZ_CHECK(IsHexText(hex));
    responseText += hex;
  }
};

struct Views {
  CheckedGrid grid{kGridCells};
  FuzzMemoryView<Sle4442Inputs> sle4442{{"00", "80", "FF", "FF", "FF"}, grid};
  FuzzMemoryView<Sle4428Inputs> sle4428{{"00", "00", "80", "FF", "FF"}, grid};
  FuzzMemoryView<At24Inputs> at24{{"00", "00", "80"}, grid};
  FuzzCpuView cpu, sam;
};

// Sets input field `field` (taken modulo the field count) to `text`:
// 0-4 the SLE4442 fields, 5-9 the SLE4428 ones, 10-12 the 24CXX ones, 13-14
// the CPU window's reset option and APDU, 15-17 the SAM window's reset
// option, APDU and socket, 18 on the cells of the card data grid.
void SetField(Views& v, std::uint8_t field, const std::string& text) {
  std::string* const texts[] = {&v.sle4442.fields.address,    &v.sle4442.fields.length,
                                &v.sle4442.fields.password1,  &v.sle4442.fields.password2,
                                &v.sle4442.fields.password3,  &v.sle4428.fields.highAddress,
                                &v.sle4428.fields.lowAddress, &v.sle4428.fields.length,
                                &v.sle4428.fields.password1,  &v.sle4428.fields.password2,
                                &v.at24.fields.highAddress,   &v.at24.fields.lowAddress,
                                &v.at24.fields.length,        nullptr,
                                &v.cpu.in.apduText,           nullptr,
                                &v.sam.in.apduText,           &v.sam.in.socketText};
  constexpr int kTexts = static_cast<int>(std::size(texts));
  const int f = field % (kTexts + kGridCells);
  if (f == 13) {
    v.cpu.in.emvActivation = text.empty();
  } else if (f == 15) {
    v.sam.in.emvActivation = text.empty();
  } else if (f < kTexts) {
    *texts[f] = text;
  } else {
    v.grid.cells[static_cast<std::size_t>(f - kTexts)] = text;
  }
}

// The checks after every button: one exchange at most, within its time
// limits, one box at most in UTF-8, and the grid written only for a
// positive reply.
template <class Run>
void Press(test::LinkHarness& h, Views& v, Run run) {
  h.messages.boxes.clear();
  const std::int64_t start = h.clock.nowMs();
  const std::size_t writes = h.line.writes().size();
  const int gridWrites = v.grid.writes;
  const CommandOutcome outcome = run();
  KDX_FUZZ_CHECK(h.clock.nowMs() - start <= kLongestExchangeMs);
  KDX_FUZZ_CHECK(h.line.writes().size() - writes <= 2);
  KDX_FUZZ_CHECK(h.messages.boxes.size() <= 1);
  for (const auto& box : h.messages.boxes) {
    KDX_FUZZ_CHECK(IsUtf8(box.title) && IsUtf8(box.text));
    KDX_FUZZ_CHECK(!box.question);
  }
  if (outcome != CommandOutcome::Positive) KDX_FUZZ_CHECK(v.grid.writes == gridWrites);
}

template <class Row, class Inputs>
void PressAll(test::LinkHarness& h, Views& v, std::span<const Row> rows,
              FuzzMemoryView<Inputs>& view) {
  MemoryCardContext<Inputs> context{h.session, view};
  for (const Row& row : rows) Press(h, v, [&] { return RunOperation(context, row); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  InputReader in(data, size);
  test::LinkHarness h;
  Views v;
  for (int n = in.byte(); n > 0; --n) {
    const std::uint8_t field = in.byte();
    SetField(v, field, in.text(255));
  }
  const auto deliveries = ReadDeliveries(in);
  h.line.onWrite = [&](int, const Bytes& bytes) {
    if (bytes.empty() || bytes[0] != kStx) return;  // the host's ACK or EOT
    std::int64_t at = 0;
    for (const auto& d : deliveries) h.line.deliverIn(at += d.delayMs, d.bytes);
  };

  PressAll(h, v, Sle4442Operations(), v.sle4442);
  PressAll(h, v, Sle4428Operations(), v.sle4428);
  PressAll(h, v, At24Operations(), v.at24);
  for (auto [window, view] :
       {std::pair{CpuCardWindow::Cpu, &v.cpu}, std::pair{CpuCardWindow::Sam, &v.sam}}) {
    CpuCardContext context{h.session, *view};
    for (const CpuCardOperation& row : CpuCardOperations(window))
      Press(h, v, [&] { return RunOperation(context, row); });
  }
  return 0;
}
