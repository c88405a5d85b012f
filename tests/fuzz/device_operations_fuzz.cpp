// Every device-management button against arbitrary replies: each row of
// DeviceOperations() runs, in table order, over a scripted line on virtual
// time with a recording view, like an operator pressing them all in turn.
//
// Input: the INITIALIZE dialog's choice (one byte), the counter field's text
// (a length byte and up to five characters), flags, then the device's
// deliveries (see fuzz_input.h), sent in answer to every command frame.
//   flags bit 0  "Record Data" is checked
#include <algorithm>

#include "device/card_type.h"
#include "device_fakes.h"
#include "fuzz_input.h"

using namespace kdx;
using namespace kdx::fuzz;

namespace {

bool IsDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// What every box must look like: UTF-8 texts (the message service's
// encoding), the row's own title or the caution or negative-reply title,
// with the icon that goes with it.
void CheckBox(const test::RecordingMessages::Box& box, const DeviceOperation& row) {
  KDX_FUZZ_CHECK(IsUtf8(box.title) && IsUtf8(box.text));
  KDX_FUZZ_CHECK(!box.question);
  if (box.title == kCaution) {
    KDX_FUZZ_CHECK(box.icon == Icon::Exclamation);
    KDX_FUZZ_CHECK(box.text == kCheckData || box.text == kUnitNotDetected);
    return;
  }
  KDX_FUZZ_CHECK(box.icon == Icon::Information);
  KDX_FUZZ_CHECK(box.title == row.boxTitle ||
                 (box.title.starts_with("Negative response:") && box.title.size() == 20));
}

// A card type box after a positive reply: the row's text, CR LF and the
// meaning of a type code, with that meaning's tabs brought to the front
// (none for the unknown types).
void CheckCardType(const test::DeviceHarness& h, const DeviceOperation& row, std::size_t tabs) {
  KDX_FUZZ_CHECK(h.messages.boxes.size() == 1);
  const std::string& text = h.messages.boxes[0].text;
  const std::string head = std::string(row.boxText) + "\r\n";
  KDX_FUZZ_CHECK(text.starts_with(head));
  const std::string_view shown = std::string_view(text).substr(head.size());
  const auto meaning = [&](std::string_view code) {
    return row.parameter == kRfCardTypeParameter ? RfCardType(code) : IcCardType(code);
  };
  std::vector<TabStop> expected;
  bool known = shown == "Unknow Error";
  for (int code = 0; code < 100 && !known; ++code) {
    const char digits[] = {static_cast<char>('0' + code / 10), static_cast<char>('0' + code % 10)};
    const CardTypeMeaning m = meaning(std::string_view(digits, 2));
    if (m.text == shown) {
      known = true;
      expected = m.tabs;
    }
  }
  KDX_FUZZ_CHECK(known);
  KDX_FUZZ_CHECK(h.view.tabs.size() == tabs + (expected.empty() ? 0 : 1));
  if (!expected.empty()) KDX_FUZZ_CHECK(h.view.tabs.back() == expected);
}

// The type code of any reply: at most two characters, no blank at either end.
void CheckCardTypeCode(const std::vector<Delivery>& deliveries) {
  for (const auto& d : deliveries) {
    const std::string code = CardTypeCode(Reply{d.bytes});
    KDX_FUZZ_CHECK(code.size() <= 2);
    KDX_FUZZ_CHECK(code.empty() || (code.front() != ' ' && code.back() != ' '));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  InputReader in(data, size);
  test::DeviceHarness h;
  h.view.choice = in.byte();
  h.view.counter = in.text(5);
  const std::uint8_t flags = in.byte();
  const auto deliveries = ReadDeliveries(in);
  h.monitor.setRecord((flags & 1) != 0);
  CheckCardTypeCode(deliveries);
  h.line.onWrite = [&](int, const Bytes& bytes) {
    if (bytes.empty() || bytes[0] != kStx) return;  // the host's ACK or EOT
    std::int64_t at = 0;
    for (const auto& d : deliveries) h.line.deliverIn(at += d.delayMs, d.bytes);
  };

  for (const DeviceOperation& row : DeviceOperations()) {
    h.messages.boxes.clear();
    const int dialogs = h.view.dialogsShown();
    const std::int64_t start = h.clock.nowMs();
    const std::size_t writes = h.line.writes().size();
    const std::size_t tabs = h.view.tabs.size();
    const CommandOutcome outcome = RunDeviceOperation(h.context, row);

    // One exchange at most, within its time limits.
    KDX_FUZZ_CHECK(h.clock.nowMs() - start <= 18000);
    KDX_FUZZ_CHECK(h.line.writes().size() - writes <= 2);
    KDX_FUZZ_CHECK(h.messages.boxes.size() <= 1);
    for (const auto& box : h.messages.boxes) CheckBox(box, row);
    // A dialog only for a positive reply, and never more than one.
    KDX_FUZZ_CHECK(h.view.dialogsShown() - dialogs <= 1);
    if (outcome != CommandOutcome::Positive) KDX_FUZZ_CHECK(h.view.dialogsShown() == dialogs);

    const bool withdrawn = outcome == CommandOutcome::NotSent && row.control == "ReaderResetBtn" &&
                           !IsInitializeCode(h.view.choice);
    if (!withdrawn) KDX_FUZZ_CHECK(h.monitor.text().ends_with("\r\n"));

    const bool cardType =
        row.command == kCardTypeCommand &&
        (row.parameter == kRfCardTypeParameter || row.parameter == kIcCardTypeParameter);
    if (cardType && outcome == CommandOutcome::Positive)
      CheckCardType(h, row, tabs);
    else
      KDX_FUZZ_CHECK(h.view.tabs.size() == tabs);
    if (row.control == "IRTenKaReadCMD") {
      // Emptied before sending; afterwards at most three digits.
      KDX_FUZZ_CHECK(h.view.counter.size() <= 3 && IsDigits(h.view.counter));
    }
    if (row.control == "TypeReadsn" && outcome == CommandOutcome::Positive) {
      const std::string& shown = h.view.serialNumbers.back();
      KDX_FUZZ_CHECK(shown.empty() || (shown.front() != ' ' && shown.back() != ' '));
    }
    if (row.control == "IRCONFIGCMD" && outcome == CommandOutcome::Positive) {
      const ConfigurationTexts& texts = h.view.configurations.back();
      KDX_FUZZ_CHECK(texts[0].empty() || texts[0] == "KDX-846");
      KDX_FUZZ_CHECK(texts[1].size() <= 3);
    }
  }
  return 0;
}
