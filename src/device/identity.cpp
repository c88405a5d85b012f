#include "device/identity.h"

#include <algorithm>

#include "link/conversions.h"

namespace kdx {

namespace {

std::string_view IdentifierText(std::uint8_t value) {
  return value == '7' ? "KDX-846" : "";
}

std::string_view CardOperationsText(std::uint8_t value) {
  switch (value) {
    case '0':
      return "No read-write card function";
    case 'I':
      return "Only supports contactless IC card Read/Write";
    case 'C':
      return "Only supports RF Card Read/Write";
    case 'E':
      return "Supports RF and contactless IC card Read/Write";
    default:
      return "";
  }
}

std::string_view InterfaceText(std::uint8_t value) {
  switch (value) {
    case 'R':
      return "RS-232 Interface";
    case 'U':
      return "USB Interface";
    default:
      return "";
  }
}

std::string_view IcModuleText(std::uint8_t value) {
  switch (value) {
    case '0':
      return "No IC Card Read/Write Module";
    case '1':
      return "There IC card contacts components, for the third-party ";
    case '2':
      return "KDX Standard IC Card Read/Write Module";
    default:
      return "";
  }
}

std::string_view RfModuleText(std::uint8_t value) {
  switch (value) {
    case '0':
      return "No RF Card Read/Write Module";
    case '1':
      return "There RF card contacts components, for the third-party ";
    case '2':
      return "KDX Standard RF Card Read/Write Module";
    default:
      return "";
  }
}

std::string_view SamSocketsText(std::uint8_t value) {
  switch (value) {
    case '0':
      return "No SAM card operation functions";
    case '1':
      return "Support for one SAM card operation";
    case '2':
      return "Support two SAM card operation";
    case '3':
      return "Support three SAM card operation";
    case '4':
      return "Support four SAM card operation";
    case '5':
      return "Support five SAM card operation";
    default:
      return "";
  }
}

std::string_view DispenserText(std::uint8_t value) {
  switch (value) {
    case '0':
      return "Rub card issuer Components";
    case '1':
      return "Drawing card issuer Components";
    default:
      return "";
  }
}

}  // namespace

std::string TrimmedSerialNumber(std::string_view text) {
  return std::string(TrimBlanks(text));
}

Outgoing SerialNumberRequest(DeviceContext&) {
  return Outgoing::Send({kReadSerialData});
}

void ShowSerialNumber(DeviceContext& context, const DeviceOperation&, const Reply& reply) {
  context.records.serialNumber = reply.dataText();
  context.view.showSerialNumber(TrimmedSerialNumber(context.records.serialNumber));
}

ConfigurationTexts ConfigurationValueTexts(const ConfigurationRecord& record) {
  ConfigurationTexts texts;
  texts[0] = IdentifierText(record[0]);
  // The software code is three characters; bytes the reply did not carry add
  // nothing.
  for (std::size_t i = 1; i <= 3; ++i) {
    if (record[i] != 0) texts[1] += static_cast<char>(record[i]);
  }
  texts[2] = CardOperationsText(record[4]);
  texts[3] = InterfaceText(record[5]);
  texts[4] = IcModuleText(record[6]);
  texts[5] = RfModuleText(record[7]);
  texts[6] = SamSocketsText(record[8]);
  texts[7] = DispenserText(record[9]);
  return texts;
}

void ShowConfiguration(DeviceContext& context, const DeviceOperation&, const Reply& reply) {
  auto& record = context.records.configuration;
  const ByteView data = reply.data();
  const std::size_t carried = std::min(data.size(), record.size());
  record.fill(0);
  std::copy_n(data.begin(), carried, record.begin());
  context.view.showConfiguration(ConfigurationValueTexts(record));
}

}  // namespace kdx
