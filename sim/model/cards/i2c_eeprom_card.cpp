#include "model/cards/i2c_eeprom_card.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace kdx::sim {

namespace {

constexpr std::array<EepromKind, 10> kKinds{{
    {"24C01", 128, 8, '1'},
    {"24C02", 256, 8, '2'},
    {"24C04", 512, 16, '3'},
    {"24C08", 1024, 16, '4'},
    {"24C16", 2048, 16, '5'},
    {"24C32", 4096, 32, '6'},
    {"24C64", 8192, 32, '7'},
    {"24C128", 16384, 64, '8'},
    {"24C256", 32768, 64, '9'},
    {"24C512", 65536, 128, ':'},
}};

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) ==
                  std::toupper(static_cast<unsigned char>(y));
         });
}

}  // namespace

std::optional<EepromKind> FindEepromKind(std::string_view name) {
  for (const EepromKind& kind : kKinds) {
    if (SameName(kind.name, name)) return kind;
  }
  return std::nullopt;
}

I2cEepromCard::I2cEepromCard(const EepromKind& kind) : kind_(kind), memory_(kind.size, 0xFF) {}

Bytes I2cEepromCard::read(std::size_t address, std::size_t count) const {
  Bytes out;
  out.reserve(count);
  for (std::size_t i = 0; i < count; ++i) out.push_back(byte(address + i));
  return out;
}

void I2cEepromCard::pageWrite(std::size_t address, ByteView data) {
  const std::size_t page = kind_.pageSize;
  const std::size_t base = (address % kind_.size) / page * page;
  std::size_t offset = address % page;
  for (std::uint8_t b : data) {
    memory_[base + offset] = b;
    offset = (offset + 1) % page;
  }
}

Bytes I2cEepromCard::respond(ByteView bytes) {
  const auto c = ParseMemoryApdu(bytes);
  if (!c) return CardAnswer(kSwWrongLength);
  if (c->cla != kMemoryClass) return CardAnswer(kSwUnknownClass);
  if (c->ins != kInsRead && c->ins != kInsWrite) return CardAnswer(kSwUnknownInstruction);
  const bool reading = c->ins == kInsRead;
  const std::size_t start = std::size_t{c->p1} * 256 + c->p2;
  if (const auto bad = CheckRange(start, c->length, kind_.size)) return CardAnswer(*bad);
  if (!c->dataFits(reading)) return CardAnswer(kSwWrongLength);
  if (reading) return CardAnswer(kSwOk, read(start, c->length));
  std::size_t done = 0;
  while (done < c->data.size()) {
    const std::size_t address = start + done;
    const std::size_t room = kind_.pageSize - address % kind_.pageSize;
    const std::size_t chunk = std::min(room, c->data.size() - done);
    pageWrite(address, ByteView(c->data).subspan(done, chunk));
    done += chunk;
  }
  return CardAnswer(kSwOk);
}

}  // namespace kdx::sim
