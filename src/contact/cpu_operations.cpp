#include "contact/cpu_operations.h"

#include <array>

#include "contact/cpu_card.h"
#include "link/frame.h"
#include "link/reply_catalogue.h"
#include "link/transaction.h"

namespace kdx {

namespace {

// The buttons' names in the two windows.
struct ControlNames {
  std::string_view coldReset, warmReset, sendApdu, status, deactivate;
};
constexpr ControlNames kCpuNames{"CPUColdResetBtn", "CPUWarmResetBtn", "SendCmdBtn",
                                 "CheckStatusBtn", "DownBtn"};
constexpr ControlNames kSamNames{"SimColdReset", "SimWarmReset", "SendCmd", "CheckStatusBtn",
                                 "Down"};

constexpr std::string_view kCpuWindowName = "CPUCARD";
constexpr std::string_view kSamWindowName = "SimCard";

constexpr std::array<std::string_view, 4> kCpuApdus{"0084000008", "00A40000023F00", "00C0000018",
                                                    "00A404000E315041592E5359532E4444463031"};
constexpr std::array<std::string_view, 3> kSamApdus{"0084000008", "00A40000023F00",
                                                    "00A404000E315041592E5359532E4444463031"};

std::string HexText(ByteView bytes) {
  return HexBytes(bytes, "");
}

// Checks before sending.

Outgoing ColdResetCheck(CpuCardContext& c) {
  c.view.clearResetText();
  return Outgoing::Send({c.view.inputs().emvActivation ? kEmvActivation : kIsoActivation});
}

Outgoing ResetCheck(CpuCardContext& c) {
  c.view.clearResetText();
  return Outgoing::Send();
}

Outgoing ApduCheck(CpuCardContext& c) {
  c.view.clearResponseText();
  const ApduText apdu = ParseApduText(c.view.inputs().apduText);
  switch (apdu.error) {
    case ApduTextError::OddLength:
      // Refused before the exchange begins: no CR LF either.
      return Outgoing{false, {}, std::nullopt, std::string(kCheckData), false};
    case ApduTextError::BadPair:
      return Outgoing::Refuse(kCheckData);
    case ApduTextError::None:
      break;
  }
  return Outgoing::Send(apdu.bytes);
}

Outgoing ChooseSamCheck(CpuCardContext& c) {
  c.view.clearResetText();
  const auto socket = SamSocketCode(c.view.inputs().socketText);
  if (!socket) return Outgoing{false, {}, std::nullopt, std::string(kChooseSamFirst), false};
  return Outgoing::Send({*socket});
}

// Positive replies.

void ShowReset(CpuCardContext& c, const CpuCardOperation& row, const Reply& reply) {
  const ResetAnswer answer = PositiveResetAnswer(reply);
  c.view.appendResetText(HexText(answer.atr));
  if (answer.protocol != '0' && answer.protocol != '1') return;
  const std::string text = std::string(row.boxText) + (answer.protocol == '0' ? "(T=0)" : "(T=1)");
  c.session.messages.show(row.boxTitle, text, Icon::Information);
}

void ShowApduResponse(CpuCardContext& c, const CpuCardOperation& row, const Reply& reply) {
  c.view.appendResponseText(HexText(reply.data()));
  c.session.messages.show(row.boxTitle, row.boxText, Icon::Information);
}

void ShowCpuStatus(CpuCardContext& c, const CpuCardOperation& row, const Reply& reply) {
  c.session.messages.show(row.boxTitle, CpuCardStatusText(reply, false), Icon::Information);
}

void ShowSamStatus(CpuCardContext& c, const CpuCardOperation& row, const Reply& reply) {
  c.session.messages.show(row.boxTitle, CpuCardStatusText(reply, true), Icon::Information);
}

// Negative replies.

// A reset keeps the data after the error code in `ResetTextBack`; the
// negative-reply report follows.
void ShowResetNegative(CpuCardContext& c, const CpuCardOperation&, const Reply& reply) {
  c.view.appendResetText(HexText(NegativeReplyData(reply)));
  ReportNegativeReply(c.session.messages, reply.at(3), reply.at(4));
}

// The cold reset's "69" with the protocol byte is the card refusing the
// EMV2000 activation: its ATR goes into `ResetTextBack` and its own box names
// the card's protocol.
void ShowColdResetNegative(CpuCardContext& c, const CpuCardOperation& row, const Reply& reply) {
  const ResetAnswer answer = IsEmvRefusal(reply) ? EmvRefusalAnswer(reply) : ResetAnswer{};
  if (!answer.protocol) {
    ShowResetNegative(c, row, reply);
    return;
  }
  c.view.appendResetText(HexText(answer.atr));
  const std::string text =
      std::string(kEmvRefusedText) + kCrLf + (*answer.protocol == '0' ? "T=0" : "T=1");
  c.session.messages.show("Negative response:69", text, Icon::Information);
}

using OnPositive = void (*)(CpuCardContext&, const CpuCardOperation&, const Reply&);

// The five buttons both windows have, for one twin. Card status and
// deactivate check the link before their prologue; the resets and the APDU
// exchange leave it to the transaction.
constexpr std::array<CpuCardOperation, 5> TwinRows(std::uint8_t command, std::string_view window,
                                                   const ControlNames& names,
                                                   std::string_view apduSuccess,
                                                   OnPositive showStatus) {
  return {{
      {.control = names.coldReset,
       .caption = "Cold Reset",
       .frame = window,
       .command = command,
       .parameter = kCpuColdResetParameter,
       .check = ColdResetCheck,
       .checkLinkFirst = false,
       .onPositive = ShowReset,
       .onNegative = ShowColdResetNegative,
       .boxTitle = "Cold Reset",
       .boxText = "Cold Reset Success"},
      {.control = names.warmReset,
       .caption = "Warm Reset",
       .frame = window,
       .command = command,
       .parameter = kCpuWarmResetParameter,
       .check = ResetCheck,
       .checkLinkFirst = false,
       .onPositive = ShowReset,
       .onNegative = ShowResetNegative,
       .boxTitle = "Warm Reset",
       .boxText = "Warm Reset Success"},
      {.control = names.sendApdu,
       .caption = "Send APDU",
       .frame = window,
       .command = command,
       .parameter = kCpuApduParameter,
       .check = ApduCheck,
       .checkLinkFirst = false,
       .onPositive = ShowApduResponse,
       .boxTitle = "C-APDU",
       .boxText = apduSuccess},
      {.control = names.status,
       .caption = "Card Status",
       .frame = window,
       .command = command,
       .parameter = kCpuStatusParameter,
       .onPositive = showStatus,
       .boxTitle = "Card Status"},
      {.control = names.deactivate,
       .caption = "Deactivate",
       .frame = window,
       .command = command,
       .parameter = kCpuDeactivateParameter,
       .boxTitle = "Deactivate",
       .boxText = "Deactivate Success"},
  }};
}

const std::array<CpuCardOperation, 5> kCpuRows =
    TwinRows(kCpuCardCommand, kCpuWindowName, kCpuNames, "Success", ShowCpuStatus);

// "Choose SAM" first, then the twin's buttons.
const std::array<CpuCardOperation, 6> kSamRows = [] {
  const auto twin = TwinRows(kSamCardCommand, kSamWindowName, kSamNames, "\xE6\x88\x90\xE5\x8A\x9F",
                             ShowSamStatus);
  std::array<CpuCardOperation, 6> rows{{{.control = "SelectSamCmd",
                                         .caption = "Choose SAM",
                                         .frame = kSamWindowName,
                                         .command = kSamCardCommand,
                                         .parameter = kChooseSamParameter,
                                         .check = ChooseSamCheck,
                                         .checkLinkFirst = false,
                                         .boxTitle = "Choose SAM",
                                         .boxText = "Choose SAM Success"}}};
  for (std::size_t i = 0; i < twin.size(); ++i) rows[i + 1] = twin[i];
  return rows;
}();

}  // namespace

std::span<const CpuCardOperation> CpuCardOperations(CpuCardWindow window) {
  if (window == CpuCardWindow::Sam) return kSamRows;
  return kCpuRows;
}

std::span<const std::string_view> ApduCommandList(CpuCardWindow window) {
  if (window == CpuCardWindow::Sam) return kSamApdus;
  return kCpuApdus;
}

const CpuCardOperation* FindCpuCardOperation(CpuCardWindow window, std::string_view control) {
  return FindRow(CpuCardOperations(window), control);
}

}  // namespace kdx
