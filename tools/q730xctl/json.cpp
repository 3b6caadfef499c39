#include "json.h"

#include <cstdio>

namespace q730x::json {

// ---- Values -----------------------------------------------------------------

Value Value::Bool(bool b) {
  Value v;
  v.kind_ = Kind::Bool;
  v.bool_ = b;
  return v;
}

Value Value::Number(std::int64_t n) {
  Value v;
  v.kind_ = Kind::Number;
  v.number_ = n;
  return v;
}

Value Value::String(std::u16string s) {
  Value v;
  v.kind_ = Kind::String;
  v.string_ = std::move(s);
  return v;
}

Value Value::Array() {
  Value v;
  v.kind_ = Kind::Array;
  return v;
}

Value Value::Object() {
  Value v;
  v.kind_ = Kind::Object;
  return v;
}

Value& Value::Append(Value v) {
  items_.push_back(std::move(v));
  return items_.back();
}

Value& Value::Set(std::string name, Value v) {
  members_.emplace_back(std::move(name), std::move(v));
  return members_.back().second;
}

const Value* Value::Find(std::string_view name) const {
  for (const Member& m : members_)
    if (m.first == name) return &m.second;
  return nullptr;
}

// ---- UTF conversions --------------------------------------------------------

namespace {

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | c >> 6);
    out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += char(0xE0 | c >> 12);
    out += char(0x80 | (c >> 6 & 0x3F));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xF0 | c >> 18);
    out += char(0x80 | (c >> 12 & 0x3F));
    out += char(0x80 | (c >> 6 & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

bool IsHigh(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLow(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t u = text[i];
    if (IsHigh(u) && i + 1 < text.size() && IsLow(text[i + 1])) {
      AppendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else if (IsHigh(u) || IsLow(u)) {
      AppendUtf8(out, 0xFFFD);
    } else {
      AppendUtf8(out, u);
    }
  }
  return out;
}

std::u16string FromAscii(std::string_view text) { return std::u16string(text.begin(), text.end()); }

// ---- Reader -----------------------------------------------------------------

namespace {

class Reader {
 public:
  Reader(std::string_view text, ParseError& error) : text_(text), error_(error) {}

  std::optional<Value> Document() {
    if (text_.size() > kMaxDocumentBytes) return Fail("the file is larger than 64 MB");
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
    std::optional<Value> v = ReadValue(0);
    if (!v) return std::nullopt;
    SkipSpace();
    if (pos_ != text_.size()) return Fail("unexpected text after the document");
    return v;
  }

 private:
  std::nullopt_t Fail(const std::string& message) {
    if (error_.message.empty()) {
      int line = 1, column = 1;
      for (std::size_t i = 0; i < pos_ && i < text_.size(); ++i) {
        if (text_[i] == '\n') {
          ++line;
          column = 1;
        } else if ((text_[i] & 0xC0) != 0x80) {
          ++column;
        }
      }
      error_ = {line, column, message};
    }
    return std::nullopt;
  }

  void SkipSpace() {
    while (pos_ < text_.size() &&
           (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n' || text_[pos_] == '\r'))
      ++pos_;
  }

  bool Literal(std::string_view word) {
    if (text_.substr(pos_, word.size()) != word) return false;
    pos_ += word.size();
    return true;
  }

  std::optional<Value> ReadValue(int depth) {
    if (depth > kMaxDepth) return Fail("the document nests too deeply");
    SkipSpace();
    if (pos_ >= text_.size()) return Fail("unexpected end of the file");
    const char c = text_[pos_];
    if (c == '{') return ReadObject(depth);
    if (c == '[') return ReadArray(depth);
    if (c == '"') {
      std::u16string s;
      if (!ReadString(s)) return std::nullopt;
      return Value::String(std::move(s));
    }
    if (c == '-' || (c >= '0' && c <= '9')) return ReadNumber();
    if (Literal("true")) return Value::Bool(true);
    if (Literal("false")) return Value::Bool(false);
    if (Literal("null")) return Value();
    return Fail("expected a value");
  }

  std::optional<Value> ReadObject(int depth) {
    ++pos_;
    Value object = Value::Object();
    SkipSpace();
    if (pos_ < text_.size() && text_[pos_] == '}') {
      ++pos_;
      return object;
    }
    for (;;) {
      SkipSpace();
      if (pos_ >= text_.size() || text_[pos_] != '"') return Fail("expected a member name in quotes");
      const std::size_t nameStart = pos_;
      std::u16string name;
      if (!ReadString(name)) return std::nullopt;
      const std::string key = ToUtf8(name);
      if (object.Find(key)) {
        pos_ = nameStart;
        return Fail("the member \"" + key + "\" appears twice");
      }
      SkipSpace();
      if (pos_ >= text_.size() || text_[pos_] != ':') return Fail("expected ':' after a member name");
      ++pos_;
      std::optional<Value> v = ReadValue(depth + 1);
      if (!v) return std::nullopt;
      object.Set(key, std::move(*v));
      SkipSpace();
      if (pos_ < text_.size() && text_[pos_] == ',') {
        ++pos_;
        continue;
      }
      if (pos_ < text_.size() && text_[pos_] == '}') {
        ++pos_;
        return object;
      }
      return Fail("expected ',' or '}' in an object");
    }
  }

  std::optional<Value> ReadArray(int depth) {
    ++pos_;
    Value array = Value::Array();
    SkipSpace();
    if (pos_ < text_.size() && text_[pos_] == ']') {
      ++pos_;
      return array;
    }
    for (;;) {
      std::optional<Value> v = ReadValue(depth + 1);
      if (!v) return std::nullopt;
      array.Append(std::move(*v));
      SkipSpace();
      if (pos_ < text_.size() && text_[pos_] == ',') {
        ++pos_;
        continue;
      }
      if (pos_ < text_.size() && text_[pos_] == ']') {
        ++pos_;
        return array;
      }
      return Fail("expected ',' or ']' in an array");
    }
  }

  std::optional<Value> ReadNumber() {
    const std::size_t start = pos_;
    const bool negative = text_[pos_] == '-';
    if (negative) ++pos_;
    if (pos_ >= text_.size() || text_[pos_] < '0' || text_[pos_] > '9') return Fail("expected a digit");
    if (text_[pos_] == '0' && pos_ + 1 < text_.size() && text_[pos_ + 1] >= '0' && text_[pos_ + 1] <= '9')
      return Fail("a number may not start with 0");
    std::uint64_t magnitude = 0;
    while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') {
      const unsigned digit = unsigned(text_[pos_] - '0');
      if (magnitude > (UINT64_C(0x7FFFFFFFFFFFFFFF) - digit) / 10) {
        pos_ = start;
        return Fail("the number is too large");
      }
      magnitude = magnitude * 10 + digit;
      ++pos_;
    }
    if (pos_ < text_.size() && (text_[pos_] == '.' || text_[pos_] == 'e' || text_[pos_] == 'E'))
      return Fail("only whole numbers are used here");
    return Value::Number(negative ? -std::int64_t(magnitude) : std::int64_t(magnitude));
  }

  bool Hex4(char16_t& unit) {
    if (pos_ + 4 > text_.size()) return Fail("a \\u escape needs four hex digits"), false;
    unit = 0;
    for (int i = 0; i < 4; ++i) {
      const char h = text_[pos_++];
      int d = -1;
      if (h >= '0' && h <= '9') d = h - '0';
      if (h >= 'a' && h <= 'f') d = h - 'a' + 10;
      if (h >= 'A' && h <= 'F') d = h - 'A' + 10;
      if (d < 0) return Fail("a \\u escape needs four hex digits"), false;
      unit = char16_t(unit << 4 | d);
    }
    return true;
  }

  // One UTF-8 character into UTF-16 units; false on a malformed sequence.
  bool ReadUtf8(std::u16string& out) {
    const auto byte = [&](std::size_t i) { return std::uint8_t(text_[i]); };
    const std::uint8_t b0 = byte(pos_);
    int length = 0;
    char32_t c = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) length = 2, c = b0 & 0x1F;
    else if (b0 >= 0xE0 && b0 <= 0xEF) length = 3, c = b0 & 0x0F;
    else if (b0 >= 0xF0 && b0 <= 0xF4) length = 4, c = b0 & 0x07;
    else return Fail("the text is not valid UTF-8"), false;
    if (pos_ + length > text_.size()) return Fail("the text is not valid UTF-8"), false;
    for (int i = 1; i < length; ++i) {
      if ((byte(pos_ + i) & 0xC0) != 0x80) return Fail("the text is not valid UTF-8"), false;
      c = c << 6 | (byte(pos_ + i) & 0x3F);
    }
    const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < least[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
      return Fail("the text is not valid UTF-8"), false;
    pos_ += length;
    if (c >= 0x10000) {
      out += char16_t(0xD800 + ((c - 0x10000) >> 10));
      out += char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += char16_t(c);
    }
    return true;
  }

  bool ReadString(std::u16string& out) {
    ++pos_;  // the opening quote
    for (;;) {
      if (pos_ >= text_.size()) return Fail("a text in quotes does not end"), false;
      const unsigned char c = std::uint8_t(text_[pos_]);
      if (c == '"') {
        ++pos_;
        return true;
      }
      if (c < 0x20) return Fail("a control character inside a text must be escaped"), false;
      if (c == '\\') {
        if (++pos_ >= text_.size()) return Fail("a text in quotes does not end"), false;
        const char e = text_[pos_++];
        switch (e) {
          case '"': out += u'"'; break;
          case '\\': out += u'\\'; break;
          case '/': out += u'/'; break;
          case 'b': out += u'\b'; break;
          case 'f': out += u'\f'; break;
          case 'n': out += u'\n'; break;
          case 'r': out += u'\r'; break;
          case 't': out += u'\t'; break;
          case 'u': {
            char16_t unit = 0;
            if (!Hex4(unit)) return false;
            out += unit;
            break;
          }
          default:
            pos_ -= 2;  // point at the backslash
            return Fail("unknown escape in a text"), false;
        }
        continue;
      }
      if (c < 0x80) {
        out += char16_t(c);
        ++pos_;
      } else if (!ReadUtf8(out)) {
        return false;
      }
    }
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  ParseError& error_;
};

// ---- Writer -----------------------------------------------------------------

void WriteString(std::string& out, std::u16string_view s) {
  out += '"';
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char16_t u = s[i];
    char escape[8];
    switch (u) {
      case u'"': out += "\\\""; continue;
      case u'\\': out += "\\\\"; continue;
      case u'\n': out += "\\n"; continue;
      case u'\r': out += "\\r"; continue;
      case u'\t': out += "\\t"; continue;
      default: break;
    }
    if (u < 0x20 || u == 0x7F) {
      std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(u));
      out += escape;
    } else if (IsHigh(u) && i + 1 < s.size() && IsLow(s[i + 1])) {
      out += ToUtf8(s.substr(i, 2));
      ++i;
    } else if (IsHigh(u) || IsLow(u)) {
      std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(u));  // kept as it is stored
      out += escape;
    } else {
      out += ToUtf8(s.substr(i, 1));
    }
  }
  out += '"';
}

bool IsScalar(const Value& v) { return !v.IsArray() && !v.IsObject(); }

void WriteValue(std::string& out, const Value& v, int indent);

// A container of scalars as one line, or empty when it would not fit.
std::string OneLine(const Value& v, int indent) {
  std::string line;
  if (v.IsArray()) {
    line += '[';
    for (std::size_t i = 0; i < v.Items().size(); ++i) {
      if (!IsScalar(v.Items()[i])) return "";
      if (i) line += ", ";
      WriteValue(line, v.Items()[i], 0);
    }
    line += ']';
  } else {
    line += '{';
    for (std::size_t i = 0; i < v.Members().size(); ++i) {
      if (!IsScalar(v.Members()[i].second)) return "";
      if (i) line += ", ";
      WriteString(line, FromAscii(v.Members()[i].first));
      line += ": ";
      WriteValue(line, v.Members()[i].second, 0);
    }
    line += '}';
  }
  return indent + line.size() <= 120 ? line : "";
}

void WriteValue(std::string& out, const Value& v, int indent) {
  switch (v.kind()) {
    case Value::Kind::Null: out += "null"; return;
    case Value::Kind::Bool: out += v.AsBool() ? "true" : "false"; return;
    case Value::Kind::Number: out += std::to_string(v.AsNumber()); return;
    case Value::Kind::String: WriteString(out, v.AsString()); return;
    case Value::Kind::Array:
    case Value::Kind::Object: break;
  }
  const bool array = v.IsArray();
  const std::size_t count = array ? v.Items().size() : v.Members().size();
  if (count == 0) {
    out += array ? "[]" : "{}";
    return;
  }
  if (std::string line = OneLine(v, indent); !line.empty()) {
    out += line;
    return;
  }
  out += array ? "[\n" : "{\n";
  for (std::size_t i = 0; i < count; ++i) {
    out.append(indent + 2, ' ');
    if (array) {
      WriteValue(out, v.Items()[i], indent + 2);
    } else {
      WriteString(out, FromAscii(v.Members()[i].first));
      out += ": ";
      WriteValue(out, v.Members()[i].second, indent + 2);
    }
    out += i + 1 < count ? ",\n" : "\n";
  }
  out.append(indent, ' ');
  out += array ? ']' : '}';
}

}  // namespace

std::optional<Value> Parse(std::string_view text, ParseError& error) {
  error = {};
  return Reader(text, error).Document();
}

std::string Write(const Value& value) {
  std::string out;
  WriteValue(out, value, 0);
  out += '\n';
  return out;
}

}  // namespace q730x::json
