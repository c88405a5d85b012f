#include "link/json_reader.h"

#include "link/bytes.h"

namespace kdx {

namespace {

class JsonReader {
 public:
  explicit JsonReader(std::string_view text) : text_(text) {}

  // The one value the text holds, or the reason it holds none.
  std::optional<Json> document(std::string& error) {
    Json value;
    if (!parse(value, 0)) {
      error = error_;
      return std::nullopt;
    }
    skipBlanks();
    if (at_ != text_.size()) {
      error = "invalid JSON: text after the object at column " + std::to_string(at_ + 1);
      return std::nullopt;
    }
    return value;
  }

 private:
  static constexpr int kMaxDepth = 8;

  bool fail(const std::string& why) {
    if (error_.empty()) {
      error_ = at_ >= text_.size()
                   ? "invalid JSON: the line ends early (" + why + ")"
                   : "invalid JSON: " + why + " at column " + std::to_string(at_ + 1);
    }
    return false;
  }
  void skipBlanks() {
    while (at_ < text_.size() &&
           (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\r' || text_[at_] == '\n'))
      ++at_;
  }
  bool take(char c) {
    skipBlanks();
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  bool word(std::string_view w) {
    if (text_.substr(at_, w.size()) != w) return fail("unknown word");
    at_ += w.size();
    return true;
  }

  bool parse(Json& out, int depth) {
    if (depth > kMaxDepth) return fail("nested too deeply");
    skipBlanks();
    if (at_ >= text_.size()) return fail("a value is missing");
    switch (text_[at_]) {
      case '{':
        out.type = Json::Type::Object;
        return object(out, depth);
      case '[':
        out.type = Json::Type::Array;
        return array(out, depth);
      case '"':
        out.type = Json::Type::String;
        return string(out.text);
      case 't':
        out.type = Json::Type::Bool;
        out.flag = true;
        return word("true");
      case 'f':
        out.type = Json::Type::Bool;
        return word("false");
      case 'n':
        return word("null");
      default:
        out.type = Json::Type::Number;
        return number(out.number);
    }
  }

  bool object(Json& out, int depth) {
    ++at_;
    if (take('}')) return true;
    do {
      skipBlanks();
      std::string key;
      if (at_ >= text_.size() || text_[at_] != '"') return fail("a member name is missing");
      if (!string(key)) return false;
      if (out.find(key)) return fail("\"" + key + "\" twice");
      if (!take(':')) return fail("\":\" is missing");
      Json value;
      if (!parse(value, depth + 1)) return false;
      out.names.push_back(std::move(key));
      out.values.push_back(std::move(value));
    } while (take(','));
    return take('}') || fail("\"}\" is missing");
  }

  bool array(Json& out, int depth) {
    ++at_;
    if (take(']')) return true;
    do {
      Json value;
      if (!parse(value, depth + 1)) return false;
      out.items.push_back(std::move(value));
    } while (take(','));
    return take(']') || fail("\"]\" is missing");
  }

  bool number(std::int64_t& out) {
    const bool negative = at_ < text_.size() && text_[at_] == '-';
    if (negative) ++at_;
    const std::size_t first = at_;
    std::int64_t value = 0;
    while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') {
      if (at_ - first >= 15) return fail("a number too large");
      value = value * 10 + (text_[at_++] - '0');
    }
    if (at_ == first) return fail("not a value");
    if (at_ < text_.size() && (text_[at_] == '.' || text_[at_] == 'e' || text_[at_] == 'E'))
      return fail("a number that is not whole");
    out = negative ? -value : value;
    return true;
  }

  static void Utf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | code >> 6);
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | code >> 12);
      out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | code >> 18);
      out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }

  bool hex4(std::uint32_t& code) {
    code = 0;
    for (int i = 0; i < 4; ++i) {
      if (at_ >= text_.size()) return fail("a \\u escape ends early");
      const auto digit = HexDigit(text_[at_++]);
      if (!digit) return fail("a \\u escape that is not hex");
      code = code << 4 | *digit;
    }
    return true;
  }

  bool string(std::string& out) {
    ++at_;
    while (at_ < text_.size()) {
      const char c = text_[at_++];
      if (c == '"') return true;
      if (static_cast<unsigned char>(c) < 0x20) return fail("a control character in a string");
      if (c != '\\') {
        out += c;
        continue;
      }
      if (at_ >= text_.size()) break;
      const char e = text_[at_++];
      switch (e) {
        case '"':
        case '\\':
        case '/':
          out += e;
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u': {
          std::uint32_t code = 0;
          if (!hex4(code)) return false;
          if (code >= 0xD800 && code < 0xDC00) {
            std::uint32_t low = 0;
            if (text_.substr(at_, 2) != "\\u") return fail("a lone surrogate");
            at_ += 2;
            if (!hex4(low) || low < 0xDC00 || low > 0xDFFF) return fail("a lone surrogate");
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
          } else if (code >= 0xDC00 && code < 0xE000) {
            return fail("a lone surrogate");
          }
          Utf8(out, code);
          break;
        }
        default:
          --at_;
          return fail("an unknown escape");
      }
    }
    return fail("a string is not closed");
  }

  std::string_view text_;
  std::size_t at_ = 0;
  std::string error_;
};

}  // namespace

const Json* Json::find(std::string_view key) const {
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i] == key) return &values[i];
  }
  return nullptr;
}

std::optional<Json> ParseJson(std::string_view text, std::string& error) {
  return JsonReader(text).document(error);
}

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
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

}  // namespace kdx
