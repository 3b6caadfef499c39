// A small JSON document model for q730xctl's backup files: a strict reader
// that says where a document goes wrong, and a writer that puts short
// records on one line so that a backup reads like a list.
//
// Strings are UTF-16, as every text of the store is. The reader turns \u
// escapes into UTF-16 units as they stand, and the writer escapes a lone
// surrogate as \uXXXX, so any stored text survives a round trip, even one
// that is not valid Unicode.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace q730x::json {

class Value {
 public:
  enum class Kind { Null, Bool, Number, String, Array, Object };
  using Member = std::pair<std::string, Value>;  // names are ASCII in our files

  Value() = default;
  static Value Bool(bool b);
  static Value Number(std::int64_t n);
  static Value String(std::u16string s);
  static Value Array();
  static Value Object();

  Kind kind() const { return kind_; }
  bool IsNull() const { return kind_ == Kind::Null; }
  bool IsBool() const { return kind_ == Kind::Bool; }
  bool IsNumber() const { return kind_ == Kind::Number; }
  bool IsString() const { return kind_ == Kind::String; }
  bool IsArray() const { return kind_ == Kind::Array; }
  bool IsObject() const { return kind_ == Kind::Object; }

  bool AsBool() const { return bool_; }
  // Numbers are whole and within 64 bits; the reader refuses any other.
  std::int64_t AsNumber() const { return number_; }
  const std::u16string& AsString() const { return string_; }
  const std::vector<Value>& Items() const { return items_; }
  const std::vector<Member>& Members() const { return members_; }

  // Building.
  Value& Append(Value v);                      // arrays
  Value& Set(std::string name, Value v);       // objects: appended in order
  // Object member by name, or null when absent (or this is not an object).
  const Value* Find(std::string_view name) const;

 private:
  Kind kind_ = Kind::Null;
  bool bool_ = false;
  std::int64_t number_ = 0;
  std::u16string string_;
  std::vector<Value> items_;
  std::vector<Member> members_;
};

struct ParseError {
  int line = 0;
  int column = 0;
  std::string message;
};

// Limits that keep a hostile file from exhausting the tool.
constexpr std::size_t kMaxDocumentBytes = 64u << 20;
constexpr int kMaxDepth = 32;

// Reads a whole UTF-8 document (a byte-order mark is allowed). Duplicate
// member names, trailing text, numbers with fractions or exponents and
// numbers beyond 64 bits are errors.
std::optional<Value> Parse(std::string_view text, ParseError& error);

// Writes the value as UTF-8 with two-space indentation and a final newline.
// Arrays and objects made only of scalars that fit in a line stay on one line.
std::string Write(const Value& value);

// UTF-8 <-> UTF-16 for names and messages (lone surrogates become U+FFFD).
std::string ToUtf8(std::u16string_view text);
std::u16string FromAscii(std::string_view text);

}  // namespace q730x::json
