#include "markup/markup_tokenizer.h"

#include "markup/markup_text.h"

namespace q730x {
namespace {

constexpr std::size_t npos = std::u16string_view::npos;

bool StartsTagName(char16_t c) {
  return (c >= u'A' && c <= u'Z') || c == u'_' || c == u':' || c > 0x60;
}

void SetError(MarkupNode& node, const char* what, std::size_t offset, const char* tail) {
  node.error = Utf16FromAscii(what);
  node.error += u" at offset ";
  AppendNumber(node.error, offset);
  node.error += Utf16FromAscii(tail);
}

// A node that the text ends inside of.
void Unterminated(std::u16string_view text, std::size_t start, const char* kind, MarkupNode& node) {
  node.kind = NODE_MALFORMED;
  node.length = text.size() - start;
  SetError(node, kind, start, " unterminated");
}

// A node that starts with a character no node may start with; it runs to the
// next '>' (or the end of the text).
void Incorrect(std::u16string_view text, std::size_t start, const char* what, MarkupNode& node) {
  node.kind = NODE_MALFORMED;
  std::size_t gt = FindUnit(text, u'>', start + 1);
  node.length = (gt == npos ? text.size() : gt + 1) - start;
  node.error = u"Incorrect ";
  node.error += Utf16FromAscii(what);
  node.error += u" at offset ";
  AppendNumber(node.error, start);
}

// A node that ends with the first occurrence of terminator at or after from.
void UpTo(std::u16string_view text, std::size_t start, std::size_t from, std::u16string_view terminator,
          NodeKind kind, const char* unterminatedKind, MarkupNode& node) {
  std::size_t end = from;
  for (;;) {
    end = FindUnit(text, terminator[0], end);
    if (end == npos || text.substr(end, terminator.size()) == terminator) break;
    ++end;
  }
  if (end == npos) return Unterminated(text, start, unterminatedKind, node);
  node.kind = kind;
  node.length = end + terminator.size() - start;
}

void StartTag(std::u16string_view text, std::size_t start, MarkupNode& node) {
  const std::size_t size = text.size();
  std::size_t q = start + 1;
  while (q < size && !IsMarkupSpace(text[q]) && text[q] != u'/' && text[q] != u'>') ++q;
  const std::size_t nameEnd = q;
  node.nameStart = start + 1;
  node.nameLength = nameEnd - node.nameStart;
  bool afterEquals = false;
  while (q < size) {
    char16_t c = text[q];
    if (c == u'>') {
      // Empty when a '/' right before the '>' follows the name, white space or a quote.
      if (text[q - 1] == u'/') {
        std::size_t slash = q - 1;
        node.emptyElement = slash == nameEnd || IsMarkupSpace(text[slash - 1]) ||
                            text[slash - 1] == u'"' || text[slash - 1] == u'\'';
      }
      node.kind = NODE_ELEMENT;
      node.length = q + 1 - start;
      return;
    }
    if (c == u'=') {
      afterEquals = true;
    } else if ((c == u'"' || c == u'\'') && afterEquals) {
      std::size_t close = FindUnit(text, c, q + 1);
      if (close == npos) break;
      q = close;
      afterEquals = false;
    } else if (!IsMarkupSpace(c)) {
      afterEquals = false;
    }
    ++q;
  }
  Unterminated(text, start, "Element tag", node);
}

// A name runs to white space or one of the stop characters.
void NameUpTo(std::u16string_view text, std::size_t from, char16_t stop1, char16_t stop2, MarkupNode& node) {
  std::size_t q = from;
  while (q < text.size()) {
    char16_t c = text[q];
    if (IsMarkupSpace(c) || c == stop1 || c == stop2) break;
    ++q;
  }
  node.nameStart = from;
  node.nameLength = q - from;
}

void Declaration(std::u16string_view text, std::size_t start, MarkupNode& node) {
  const std::size_t size = text.size();
  if (start + 2 >= size) return Unterminated(text, start, "tag", node);
  char16_t c = text[start + 2];
  if (c == u'-') {
    if (start + 3 >= size) return Unterminated(text, start, "Comment", node);
    if (text[start + 3] != u'-') return Incorrect(text, start, "comment tag", node);
    return UpTo(text, start, start + 4, u"-->", NODE_COMMENT, "Comment", node);
  }
  if (c == u'[') {
    if (start + 3 >= size) return Unterminated(text, start, "CDATA Section", node);
    if (text[start + 3] != u'C') return Incorrect(text, start, "tag", node);
    return UpTo(text, start, start + 3, u"]]>", NODE_CDATA, "CDATA Section", node);
  }
  if (c == u'D') {
    // A document type ends at the first '>' outside its internal subset [...].
    int depth = 0;
    for (std::size_t q = start + 2; q < size; ++q) {
      if (text[q] == u'[') {
        ++depth;
      } else if (text[q] == u']') {
        if (depth > 0) --depth;
      } else if (text[q] == u'>' && depth == 0) {
        node.kind = NODE_DOCTYPE;
        node.length = q + 1 - start;
        return;
      }
    }
    return Unterminated(text, start, "Doctype", node);
  }
  if (c == u'E' || c == u'A' || c == u'N') {
    return UpTo(text, start, start + 2, u">", NODE_DOCTYPE, "Doctype", node);
  }
  Incorrect(text, start, "! tag", node);
}

}  // namespace

void NextMarkupNode(std::u16string_view text, std::size_t start, MarkupNode& node) {
  node.start = start;
  node.length = 0;
  node.emptyElement = false;
  node.nameStart = node.nameLength = 0;
  const std::size_t size = text.size();
  if (start >= size) {
    node.kind = NODE_END_OF_DOCUMENT;
    return;
  }
  if (text[start] != u'<') {
    std::size_t q = start;
    while (q < size && IsMarkupSpace(text[q])) ++q;
    if (q < size && text[q] != u'<') {
      q = FindUnit(text, u'<', q);
      if (q == npos) q = size;
      node.kind = NODE_TEXT;
    } else {
      node.kind = NODE_WHITESPACE;
    }
    node.length = q - start;
    return;
  }
  if (start + 1 >= size) return Unterminated(text, start, "tag", node);
  char16_t c = text[start + 1];
  if (StartsTagName(c)) return StartTag(text, start, node);
  switch (c) {
    case u'/':
      NameUpTo(text, start + 2, u'>', u'>', node);
      return UpTo(text, start, start + 2, u">", NODE_END_TAG, "Element end tag", node);
    case u'?':
      NameUpTo(text, start + 2, u'?', u'>', node);
      return UpTo(text, start, start + 2, u"?>", NODE_PROCESSING_INSTRUCTION, "Processing instruction",
                  node);
    case u'!':
      return Declaration(text, start, node);
    default:
      return Incorrect(text, start, "tag name character", node);
  }
}

std::u16string_view ComparisonName(std::u16string_view startTag) {
  constexpr std::u16string_view stops = u" \t\n\r<>=\\/?!\"';";
  std::size_t end = 1;
  while (end < startTag.size() && stops.find(startTag[end]) == npos) ++end;
  return startTag.substr(1, end - 1);
}

}  // namespace q730x
