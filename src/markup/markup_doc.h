// MarkupDoc: the program's small XML reader. It reads a text file in any of
// several encodings into UTF-16, indexes its elements in one pass into a flat
// element table, and lets the caller walk that table by element name and fetch
// the text of an element. Malformed documents are indexed as far as possible;
// the first problem is described in the result text and WellFormed() says
// whether to trust the tree.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "markup/element_table.h"
#include "markup/markup_tokenizer.h"
#include "markup/text_file.h"

namespace q730x {

class MarkupDoc {
 public:
  MarkupDoc();

  // Reads and parses a file; false when it cannot be read or is not well-formed.
  bool Load(const std::filesystem::path& path);
  // Replaces the document text with one from memory, and the loading report
  // that Parse() puts ahead of its error; the element table is emptied until
  // Parse() is called.
  void SetText(std::u16string text, std::u16string loadReport = {});
  // Rebuilds the element table from the text; returns WellFormed().
  bool Parse();
  bool WellFormed() const;

  // Navigation. The position is a parent, a current and a child element.
  void ResetPosition();
  // The next sibling of the current element named `name` (any name when empty),
  // or with no current element the first such child of the parent.
  bool FindElement(std::u16string_view name = {});
  // The next child of the current element named `name` (any when empty).
  bool FindChildElement(std::u16string_view name = {});
  // Makes the current child the current element.
  bool EnterElement();
  // Text content of the element at the child position (empty when it has child
  // elements, is empty, or was not ended).
  std::u16string GetChildText() const;
  // The text of element `name` in element `section` (or in a `section` nested
  // directly inside it, and so on); empty when there is none.
  std::u16string GetSectionValue(std::u16string_view section, std::u16string_view name);

  const std::u16string& Text() const { return text_; }
  const std::u16string& ResultText() const { return result_; }
  std::uint32_t Flags() const { return flags_; }
  void SetFlags(std::uint32_t flags) { flags_ = flags; }

  // Element table, for inspection: entry 0 is the document, elements follow
  // from 1 in document order.
  std::uint32_t ElementCount() const { return elements_.Count(); }
  const ElementRecord& Element(std::uint32_t index) const { return elements_[index]; }
  std::u16string_view ElementName(std::uint32_t index) const;
  std::uint32_t ParentIndex() const { return parent_; }
  std::uint32_t CurrentIndex() const { return current_; }
  std::uint32_t ChildIndex() const { return child_; }
  NodeKind CurrentNodeKind() const { return nodeKind_; }

 private:
  bool FindFrom(std::uint32_t first, std::u16string_view name, std::uint32_t& found) const;
  bool NamesEqual(std::u16string_view a, std::u16string_view b) const;

  std::u16string text_;
  std::u16string loadReport_;  // what the last load found, kept ahead of parse errors
  std::u16string result_;
  std::uint32_t flags_ = 0;
  ElementTable elements_;
  std::uint32_t parent_ = 0;
  std::uint32_t current_ = 0;
  std::uint32_t child_ = 0;
  NodeKind nodeKind_ = NODE_NONE;  // element, or none
  std::uint32_t nodeOffset_ = 0;
  std::uint32_t nodeLength_ = 0;
};

}  // namespace q730x
