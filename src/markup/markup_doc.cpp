#include "markup/markup_doc.h"

#include "markup/char_references.h"
#include "markup/markup_parser.h"
#include "markup/markup_text.h"

namespace q730x {

MarkupDoc::MarkupDoc() { Parse(); }

bool MarkupDoc::Load(const std::filesystem::path& path) {
  if (!ReadTextFile(path, text_, loadReport_, flags_)) {
    // The table would index a text that is gone: drop it with the text.
    result_ = loadReport_;
    elements_.Clear();
    ResetPosition();
    return false;
  }
  return Parse();
}

void MarkupDoc::SetText(std::u16string text, std::u16string loadReport) {
  text_ = std::move(text);
  loadReport_ = std::move(loadReport);
  result_ = loadReport_;
  elements_.Clear();
  ResetPosition();
}

bool MarkupDoc::Parse() {
  ResetPosition();
  std::u16string error;
  ParseElements(text_, (flags_ & MDF_IGNORECASE) != 0, elements_, error);
  result_ = loadReport_;
  if (!result_.empty() && !error.empty()) result_ += u" ";
  result_ += error;
  return WellFormed();
}

bool MarkupDoc::WellFormed() const {
  if (!elements_.Exists()) return false;
  const ElementRecord& document = elements_[0];
  if (document.flags & ELEMENT_DOCUMENT_ILL_FORMED) return false;
  return document.firstChild != 0 && elements_[document.firstChild].nextSibling == 0;
}

void MarkupDoc::ResetPosition() {
  parent_ = current_ = child_ = 0;
  nodeKind_ = NODE_NONE;
  nodeOffset_ = nodeLength_ = 0;
}

std::u16string_view MarkupDoc::ElementName(std::uint32_t index) const {
  if (index == 0 || index >= elements_.Count()) return {};
  const ElementRecord& r = elements_[index];
  if (r.start >= text_.size()) return {};
  return ComparisonName(std::u16string_view(text_).substr(r.start, r.StartTagLength()));
}

bool MarkupDoc::NamesEqual(std::u16string_view a, std::u16string_view b) const {
  return (flags_ & MDF_IGNORECASE) ? EqualsIgnoringAsciiCase(a, b) : a == b;
}

bool MarkupDoc::FindFrom(std::uint32_t first, std::u16string_view name, std::uint32_t& found) const {
  for (std::uint32_t i = first; i != 0; i = elements_[i].nextSibling) {
    if (name.empty() || NamesEqual(ElementName(i), name)) {
      found = i;
      return true;
    }
  }
  return false;
}

bool MarkupDoc::FindElement(std::u16string_view name) {
  if (!elements_.Exists()) return false;
  std::uint32_t first = current_ != 0 ? elements_[current_].nextSibling : elements_[parent_].firstChild;
  std::uint32_t found = 0;
  if (!FindFrom(first, name, found)) return false;
  current_ = found;
  parent_ = elements_[found].parent;
  child_ = 0;
  nodeKind_ = NODE_ELEMENT;
  nodeOffset_ = elements_[found].start;
  nodeLength_ = elements_[found].length;
  return true;
}

bool MarkupDoc::FindChildElement(std::u16string_view name) {
  if (!elements_.Exists()) return false;
  if (current_ == 0 && !FindElement()) return false;
  std::uint32_t first = child_ != 0 ? elements_[child_].nextSibling : elements_[current_].firstChild;
  std::uint32_t found = 0;
  if (!FindFrom(first, name, found)) return false;
  child_ = found;
  current_ = elements_[found].parent;
  parent_ = elements_[current_].parent;
  return true;
}

bool MarkupDoc::EnterElement() {
  if (current_ == 0 || nodeKind_ != NODE_ELEMENT) return false;
  parent_ = current_;
  current_ = child_;
  child_ = 0;
  nodeKind_ = current_ != 0 ? NODE_ELEMENT : NODE_NONE;
  return true;
}

std::u16string MarkupDoc::GetChildText() const {
  if (child_ == 0 || child_ >= elements_.Count()) return {};
  const ElementRecord& r = elements_[child_];
  if (r.firstChild != 0 || (r.flags & ELEMENT_NOT_ENDED)) return {};
  const std::size_t begin = std::size_t{r.start} + r.StartTagLength();
  const std::size_t end = std::size_t{r.start} + r.length - r.EndTagLength();
  if (end <= begin || end > text_.size()) return {};
  const std::u16string_view content = std::u16string_view(text_).substr(begin, end - begin);
  if (content.find(u'<') == std::u16string_view::npos) return DecodeReferences(content);

  // Text and CDATA sections, in order; comments and the like give nothing.
  std::u16string out;
  MarkupNode node;
  for (std::size_t pos = 0;; pos = node.start + node.length) {
    NextMarkupNode(content, pos, node);
    if (node.kind == NODE_END_OF_DOCUMENT) break;
    if (node.kind == NODE_TEXT) {
      AppendDecodedReferences(content.substr(node.start, node.length), out);
    } else if (node.kind == NODE_CDATA && node.length >= 12) {
      out.append(content.substr(node.start + 9, node.length - 12));
    }
  }
  return out;
}

std::u16string MarkupDoc::GetSectionValue(std::u16string_view section, std::u16string_view name) {
  ResetPosition();
  // Each round enters one level deeper, so this ends.
  for (;;) {
    if (!FindChildElement(section)) return {};
    EnterElement();
    if (FindChildElement(name)) return GetChildText();
  }
}

}  // namespace q730x
