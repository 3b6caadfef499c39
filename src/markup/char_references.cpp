#include "markup/char_references.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "markup/char_reference_table.h"
#include "markup/markup_text.h"

namespace q730x {
namespace {

constexpr std::size_t kMaxReferenceBody = 9;  // characters between '&' and ';'

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Code point of a numeric body ("#65", "#x41"), 0 when it is not one.
std::uint32_t NumericReference(std::u16string_view body) {
  bool hex = body.size() >= 2 && (body[1] == u'x' || body[1] == u'X');
  std::size_t first = hex ? 2 : 1;
  if (first >= body.size()) return 0;
  std::uint32_t value = 0;
  for (std::size_t i = first; i < body.size(); ++i) {
    int digit = hex ? HexDigit(body[i]) : (body[i] >= u'0' && body[i] <= u'9' ? body[i] - u'0' : -1);
    if (digit < 0) return 0;
    value = value * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
    if (value > 0x10FFFF) return 0;  // at most 8 digits fit the body, so no overflow first
  }
  return value;
}

// Code point of a named body ("amp", "Agrave"), 0 when the name is unknown.
std::uint32_t NamedReference(std::u16string_view body) {
  char lower[kMaxReferenceBody + 1] = {};
  bool allLower = true;
  for (std::size_t i = 0; i < body.size(); ++i) {
    char16_t c = AsciiLower(body[i]);
    if (c != body[i]) allLower = false;
    lower[i] = static_cast<char>(c);
  }
  const CharReferenceName* begin = kCharReferenceNames;
  const CharReferenceName* end = kCharReferenceNames + kCharReferenceNameCount;
  const CharReferenceName* found = std::lower_bound(
      begin, end, lower, [](const CharReferenceName& entry, const char* key) {
        return std::strcmp(entry.name, key) < 0;
      });
  if (found == end || std::strcmp(found->name, lower) != 0) return 0;
  return allLower ? found->lower : found->other;
}

}  // namespace

void AppendDecodedReferences(std::u16string_view text, std::u16string& out) {
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t amp = text.find(u'&', i);
    if (amp == std::u16string_view::npos) {
      out.append(text.substr(i));
      return;
    }
    out.append(text.substr(i, amp - i));
    // Look for the ';' within reach, over ASCII characters only.
    std::size_t semicolon = std::u16string_view::npos;
    for (std::size_t j = amp + 1; j < text.size() && j <= amp + 1 + kMaxReferenceBody; ++j) {
      if (text[j] == u';') {
        semicolon = j;
        break;
      }
      if (text[j] >= 0x80) break;
    }
    std::uint32_t codePoint = 0;
    if (semicolon != std::u16string_view::npos && semicolon > amp + 1) {
      std::u16string_view body = text.substr(amp + 1, semicolon - amp - 1);
      codePoint = body[0] == u'#' ? NumericReference(body) : NamedReference(body);
      // A lone surrogate is not a character; such a reference stays as written.
      if (codePoint >= 0xD800 && codePoint < 0xE000) codePoint = 0;
    }
    if (codePoint == 0) {
      out.push_back(u'&');
      i = amp + 1;
    } else {
      AppendCodePoint(out, codePoint);
      i = semicolon + 1;
    }
  }
}

std::u16string DecodeReferences(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  AppendDecodedReferences(text, out);
  return out;
}

}  // namespace q730x
