#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "device_fakes.h"
#include "rf/rf_operations.h"
#include "rf_inputs.h"

namespace kdx::test {

// The RF CARD tab recorded instead of shown: the inputs as the window loads
// them (editable by the test), and every display the operations write.
struct FakeRfView final : RfView {
  RfInputs in = LoadedRfInputs();
  std::vector<RfCardFields> fields;
  std::vector<std::vector<TabStop>> tabs;
  CellTexts block{std::vector<std::string>(16)};
  CellTexts page{std::vector<std::string>(4)};
  std::vector<std::string> purseWrites;
  std::string responseA = "unchanged";
  std::string responseB = "unchanged";
  std::vector<DecodedLines> accessConditions;

  RfInputs inputs() const override { return in; }
  void showCardFields(const RfCardFields& f) override { fields.push_back(f); }
  void bringTabsToFront(std::span<const TabStop> stops) override {
    tabs.emplace_back(stops.begin(), stops.end());
  }
  CellGrid& blockGrid() override { return block; }
  CellGrid& pageGrid() override { return page; }
  void setPurseValue(std::string_view text) override { purseWrites.emplace_back(text); }
  void setApduResponse(ApduTab tab, std::string_view text) override {
    (tab == ApduTab::TypeA ? responseA : responseB) = text;
  }
  void showAccessConditions(const DecodedLines& lines) override {
    accessConditions.push_back(lines);
  }

  void setCells(CellTexts& grid, const std::vector<std::string>& texts) {
    for (int i = 0; i < static_cast<int>(texts.size()); ++i)
      grid.setText(i, texts[static_cast<std::size_t>(i)]);
  }
  void fillBlockCells(std::string_view text) {
    for (int i = 0; i < 16; ++i) in.blockCells.setText(i, text);
  }
  void fillPageCells(std::string_view text) {
    for (int i = 0; i < 4; ++i) in.pageCells.setText(i, text);
  }
};

// A scripted line and a fake RF CARD tab: runs the contactless operations
// by their button names.
struct RfHarness : LinkHarness {
  FakeRfView view;
  RfContext context{session, view};

  CommandOutcome press(std::string_view control) {
    const RfOperation* row = FindRfOperation(control);
    if (!row) throw std::invalid_argument("no RF operation " + std::string(control));
    return RunRfOperation(context, *row);
  }
};

// A positive 60h reply text: "P", command, parameter, status "000", data.
inline Bytes RfReply(std::uint8_t parameter, const Bytes& data) {
  Bytes text{'P', 0x60, parameter, '0', '0', '0'};
  text.insert(text.end(), data.begin(), data.end());
  return text;
}

// The device acknowledges every command frame and answers it with `text`.
inline void AnswerEveryCommand(LinkHarness& h, const Bytes& text) {
  const Bytes frame = ReplyFrame(text);
  h.line.onWrite = [&h, frame](int, const Bytes& bytes) {
    if (bytes.empty() || bytes[0] != kStx) return;
    h.line.deliverIn(10, {kAck});
    h.line.deliverIn(20, frame);
  };
}

}  // namespace kdx::test
