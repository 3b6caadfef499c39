// The markup tokenizer: reports one node of a UTF-16 text at a time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace q730x {

enum NodeKind : int {
  NODE_END_TAG = 0,
  NODE_ELEMENT = 1,  // a start tag
  NODE_TEXT = 2,
  NODE_WHITESPACE = 4,  // only space, tab, LF and CR
  NODE_CDATA = 8,
  NODE_PROCESSING_INSTRUCTION = 16,
  NODE_COMMENT = 32,
  NODE_DOCTYPE = 64,  // also the declarations <!ELEMENT, <!ATTLIST, <!NOTATION, <!ENTITY
  NODE_MALFORMED = -1,
  NODE_END_OF_DOCUMENT = -2,
  NODE_NONE = -3,  // no node: the navigation position holds no element
};

struct MarkupNode {
  NodeKind kind = NODE_END_OF_DOCUMENT;
  std::size_t start = 0;   // offset of the node's first unit
  std::size_t length = 0;  // units up to and including its last one
  bool emptyElement = false;  // <a/>
  // The name of a start tag, end tag or processing instruction, as an offset
  // and length into the text.
  std::size_t nameStart = 0;
  std::size_t nameLength = 0;
  std::u16string error;  // what is wrong with a malformed node
};

// Reports the node that starts at offset start of text into node. At the end
// of the text the node is NODE_END_OF_DOCUMENT; otherwise its length is at
// least 1, so the next node starts at node.start + node.length.
void NextMarkupNode(std::u16string_view text, std::size_t start, MarkupNode& node);

// The name of an element for comparisons: the run after its '<' up to the
// first space, tab, LF, CR, '<', '>', '=', '\', '/', '?', '!', '"', '\'' or ';'.
std::u16string_view ComparisonName(std::u16string_view startTag);

}  // namespace q730x
