// The single pass that builds a document's element table.
#pragma once

#include <string>
#include <string_view>

#include "markup/element_table.h"

namespace q730x {

// Largest document the parser indexes: offsets in the table are 32-bit.
constexpr std::size_t kMaxDocumentUnits = 1u << 30;

// Rebuilds table from text. Malformed markup never stops the pass; error
// receives the first problem (or "No root element" / "Root element has
// sibling", which take precedence), or stays empty.
void ParseElements(std::u16string_view text, bool ignoreCase, ElementTable& table, std::u16string& error);

}  // namespace q730x
