#include "run_output.h"

#include "link/bytes.h"

namespace kdx::run {

namespace {

std::string Two(int value) {
  return (value < 10 ? "0" : "") + std::to_string(value);
}

std::string IsoTime(const LocalTime& t) {
  std::string ms = std::to_string(t.millisecond);
  ms.insert(0, 3 - std::min<std::size_t>(ms.size(), 3), '0');
  return std::to_string(t.year) + "-" + Two(t.month) + "-" + Two(t.day) + "T" + Two(t.hour) + ":" +
         Two(t.minute) + ":" + Two(t.second) + "." + ms;
}

// A JSON string of device characters: one byte, one character (Latin-1).
std::string JsonText(std::string_view text) {
  std::string out = "\"";
  for (char c : Latin1ToUtf8(text)) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      const char* hex = "0123456789abcdef";
      out += "\\u00";
      out += hex[u >> 4];
      out += hex[u & 15];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

const char* KindName(ExchangeEnd end) {
  switch (end) {
    case ExchangeEnd::Positive:
      return "positive";
    case ExchangeEnd::Negative:
      return "negative";
    case ExchangeEnd::Other:
      return "other";
    case ExchangeEnd::NoAck:
      return "no-ack";
    case ExchangeEnd::NoHead:
      return "no-head";
    case ExchangeEnd::Failed:
      return "failed";
    case ExchangeEnd::Stopped:
      return "stopped";
    case ExchangeEnd::Cancelled:
      return "cancelled";
    case ExchangeEnd::LinkClosed:
      return "link-closed";
  }
  return "failed";
}

// Reply bytes from `first` to the one before ETX.
std::string DataHex(const Bytes& reply, std::size_t first) {
  if (reply.size() < first + 2) return "";
  return HexBytes(ByteView(reply).subspan(first, reply.size() - 2 - first));
}

}  // namespace

void RunView::addEntry(ConsoleList list, std::string_view entry) {
  ++counts_[Index(list)];
  if (!text_) return;
  // Entries are ASCII but for a device's characters above 7Fh.
  bool ascii = true;
  for (char c : entry) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) {
    std::fwrite(entry.data(), 1, entry.size(), out_);
  } else {
    const std::string line = Latin1ToUtf8(entry);
    std::fwrite(line.data(), 1, line.size(), out_);
  }
  std::fputc('\n', out_);
}

void RunMessages::show(std::string_view title, std::string_view text, Icon) {
  std::string body = Latin1ToUtf8(text);
  for (std::size_t at; (at = body.find("\r\n")) != std::string::npos;) body.replace(at, 2, "\n  ");
  std::fprintf(err_, "kdx846-run: %.*s: %s\n", static_cast<int>(title.size()), title.data(),
               body.c_str());
  std::fflush(err_);
}

std::string ExchangeJson(const ExchangeRecord& r, int line, int pass) {
  std::string json = "{\"time\":\"" + IsoTime(r.time) + "\",\"pass\":" + std::to_string(pass) +
                     ",\"line\":" + std::to_string(line) + ",\"sent\":\"" + HexBytes(r.sent) +
                     "\",\"reply\":\"" + KindName(r.end) + "\"";
  const Bytes& reply = r.reply;
  if (!reply.empty()) {
    if (reply.size() >= 3) {
      json +=
          ",\"command\":\"" + HexByte(reply[1]) + "\",\"parameter\":\"" + HexByte(reply[2]) + "\"";
    }
    if (r.end == ExchangeEnd::Positive && reply.size() >= 6) {
      json += ",\"status\":" + JsonText(BytesToText(ByteView(reply).subspan(3, 3)));
      json += ",\"data\":\"" + DataHex(reply, 6) + "\"";
    } else if (r.end == ExchangeEnd::Negative && reply.size() >= 5) {
      json += ",\"error\":" + JsonText(BytesToText(ByteView(reply).subspan(3, 2)));
      json += ",\"data\":\"" + DataHex(reply, 5) + "\"";
    }
    json += ",\"bytes\":\"" + HexBytes(reply) + "\"";
  }
  return json + "}";
}

void Outcome::add(ExchangeEnd end) {
  switch (end) {
    case ExchangeEnd::Positive:
      break;
    case ExchangeEnd::Negative:
    case ExchangeEnd::Other:
      negative_ = true;
      break;
    case ExchangeEnd::Cancelled:
    case ExchangeEnd::Stopped:
      cancelled_ = true;
      break;
    default:
      linkFailed_ = true;
      break;
  }
}

int Outcome::status() const {
  if (cancelled_) return kExitCancelled;
  if (linkFailed_) return kExitLink;
  if (negative_) return kExitNegative;
  return kExitPositive;
}

}  // namespace kdx::run
