#include "markup/markup_parser.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "markup/markup_text.h"
#include "markup/markup_tokenizer.h"

namespace q730x {
namespace {

// How many elements of each name are open, keyed by a hash of the name. It
// lets an end tag that matches no open element be rejected without walking a
// deep stack, so that no input makes the pass quadratic. Ordinary documents
// never need it: it is built the first time a deep stack would be walked.
class OpenNameCounts {
 public:
  OpenNameCounts() : slots_(64) {}

  void Add(std::uint64_t hash) {
    if ((used_ + 1) * 2 > slots_.size()) Grow();
    Slot& slot = Find(hash);
    if (slot.hash == 0) {
      slot.hash = hash;
      ++used_;
    }
    ++slot.count;
  }
  void Remove(std::uint64_t hash) {
    Slot& slot = Find(hash);
    if (slot.hash != 0 && slot.count > 0) --slot.count;
  }
  std::uint32_t Count(std::uint64_t hash) {
    Slot& slot = Find(hash);
    return slot.hash == 0 ? 0 : slot.count;
  }

 private:
  struct Slot {
    std::uint64_t hash = 0;  // 0: free
    std::uint32_t count = 0;
  };
  Slot& Find(std::uint64_t hash) {
    std::size_t mask = slots_.size() - 1;
    std::size_t i = static_cast<std::size_t>(hash) & mask;
    while (slots_[i].hash != 0 && slots_[i].hash != hash) i = (i + 1) & mask;
    return slots_[i];
  }
  void Grow() {
    std::vector<Slot> old;
    old.swap(slots_);
    slots_.resize(old.size() * 2);
    for (const Slot& s : old) {
      if (s.hash != 0) Find(s.hash) = s;
    }
  }
  std::vector<Slot> slots_;
  std::size_t used_ = 0;
};

class Parser {
 public:
  Parser(std::u16string_view text, bool ignoreCase, ElementTable& table, std::u16string& error)
      : text_(text), ignoreCase_(ignoreCase), table_(table), error_(error) {}

  void Run() {
    open_.reserve(6);
    MarkupNode node;
    std::size_t pos = 0;
    for (;;) {
      NextMarkupNode(text_, pos, node);
      switch (node.kind) {
        case NODE_ELEMENT:
          StartTag(node);
          break;
        case NODE_END_TAG:
          EndTag(node);
          break;
        case NODE_MALFORMED:
          MarkBadData();
          SetError(node.error);
          break;
        case NODE_END_OF_DOCUMENT:
          if (!open_.empty()) CloseNotEnded(0, nullptr);
          Finish();
          return;
        default:
          break;  // text, white space, comments and the like add nothing
      }
      pos = node.start + node.length;
    }
  }

 private:
  struct OpenElement {
    std::uint32_t index;
    std::uint32_t nameStart;
    std::uint32_t nameLength;
    std::uint64_t nameHash;
  };

  // False only when no open element can have this name. A shallow stack is
  // simply walked; a deep one is looked up in the name counts.
  bool MayBeOpen(std::u16string_view name) {
    constexpr std::size_t kWalkDepth = 256;
    if (open_.size() <= kWalkDepth && !countsActive_) return true;
    if (!countsActive_) {
      countsActive_ = true;
      for (OpenElement& e : open_) {
        e.nameHash = Hash(Name(e));
        counts_.Add(e.nameHash);
      }
    }
    return counts_.Count(Hash(name)) > 0;
  }

  std::u16string_view Name(const OpenElement& e) const { return text_.substr(e.nameStart, e.nameLength); }

  std::uint64_t Hash(std::u16string_view name) const {
    std::uint64_t h = 1469598103934665603ull;
    for (char16_t c : name) h = (h ^ (ignoreCase_ ? AsciiLower(c) : c)) * 1099511628211ull;
    return h == 0 ? 1 : h;
  }

  bool NamesEqual(std::u16string_view a, std::u16string_view b) const {
    return ignoreCase_ ? EqualsIgnoringAsciiCase(a, b) : a == b;
  }

  void SetError(const std::u16string& text) {
    if (error_.empty()) error_ = text;
  }

  // A problem met while `open_.back()` is the innermost open element.
  void MarkBadData() {
    table_[0].flags |= ELEMENT_DOCUMENT_ILL_FORMED;
    if (!open_.empty()) table_[open_.back().index].flags |= ELEMENT_BAD_DATA;
  }

  void TooLong(const char* what, std::size_t offset) {
    MarkBadData();
    std::u16string text = Utf16FromAscii(what);
    text += u" at offset ";
    AppendNumber(text, offset);
    text += u" too long";
    SetError(text);
  }

  void AppendChild(std::uint32_t parent, std::uint32_t child) {
    ElementRecord& p = table_[parent];
    if (p.firstChild == 0) {
      p.firstChild = child;
      table_[child].prevSibling = child;
      table_[child].flags |= ELEMENT_FIRST_CHILD;
    } else {
      ElementRecord& first = table_[p.firstChild];
      std::uint32_t last = first.prevSibling;
      first.prevSibling = child;
      table_[last].nextSibling = child;
      table_[child].prevSibling = last;
    }
  }

  void StartTag(const MarkupNode& node) {
    std::uint32_t parent = open_.empty() ? 0 : open_.back().index;
    std::uint32_t index = table_.Add();
    std::uint32_t startLength = static_cast<std::uint32_t>(node.length);
    if (node.length > kMaxStartTagLength) {
      startLength = kMaxStartTagLength;
      TooLong("Element tag", node.start);
    }
    ElementRecord& r = table_[index];
    r.start = static_cast<std::uint32_t>(node.start);
    r.tagLengths = startLength;
    r.flags = static_cast<std::uint32_t>(std::min<std::size_t>(open_.size(), ELEMENT_LEVEL_MASK));
    r.parent = parent;
    AppendChild(parent, index);
    if (node.emptyElement) {
      r.length = startLength;
      return;
    }
    if (open_.size() == open_.capacity()) open_.reserve(open_.size() * 2 + 6);
    OpenElement e{index, static_cast<std::uint32_t>(node.nameStart), static_cast<std::uint32_t>(node.nameLength), 0};
    if (countsActive_) {
      e.nameHash = Hash(Name(e));
      counts_.Add(e.nameHash);
    }
    open_.push_back(e);
  }

  void EndTag(const MarkupNode& node) {
    std::u16string_view name = text_.substr(node.nameStart, node.nameLength);
    std::size_t match = open_.size();
    if (!open_.empty() && NamesEqual(Name(open_.back()), name)) {
      match = open_.size() - 1;
    } else if (!MayBeOpen(name)) {
      // No open element has this name.
    } else {
      for (std::size_t i = open_.size(); i-- > 0;) {
        if (NamesEqual(Name(open_[i]), name)) {
          match = i;
          break;
        }
      }
    }
    if (match == open_.size()) {
      MarkBadData();
      std::u16string text = u"No start tag for end tag '";
      text += name;
      text += u"' at offset ";
      AppendNumber(text, node.start);
      SetError(text);
      return;
    }
    if (match + 1 < open_.size()) CloseNotEnded(match + 1, &node);
    std::uint32_t endLength = static_cast<std::uint32_t>(node.length);
    if (node.length > kMaxEndTagLength) {
      endLength = kMaxEndTagLength;
      TooLong("End tag", node.start);
    }
    ElementRecord& r = table_[open_[match].index];
    r.length = static_cast<std::uint32_t>(node.start + node.length - r.start);
    r.tagLengths = (r.tagLengths & kMaxStartTagLength) | endLength << 22;
    if (countsActive_) counts_.Remove(open_[match].nameHash);
    open_.pop_back();
  }

  // Closes open_[keep..] as not ended, innermost first: each keeps only its
  // start tag, and its children become its following siblings. The children
  // are relinked one list at a time and get their new parent in one walk at
  // the end, so each element is moved once.
  void CloseNotEnded(std::size_t keep, const MarkupNode* endTag) {
    table_[0].flags |= ELEMENT_DOCUMENT_ILL_FORMED;
    const OpenElement& innermost = open_.back();
    std::u16string text;
    if (endTag) {
      text = u"End tag '";
      text += text_.substr(endTag->nameStart, endTag->nameLength);
      text += u"' at offset ";
      AppendNumber(text, endTag->start + 1);
      text += u" does not match start tag '";
      text += Name(innermost);
      text += u"' at offset ";
      AppendNumber(text, table_[innermost.index].start);
    } else {
      text = u"Element '";
      text += Name(innermost);
      text += u"' at offset ";
      AppendNumber(text, table_[innermost.index].start);
      text += u" not ended";
    }
    SetError(text);

    const std::uint32_t outer = open_[keep].index;
    const std::uint32_t newParent = table_[outer].parent;
    bool badData = false;
    for (std::size_t i = open_.size(); i-- > keep;) {
      std::uint32_t index = open_[i].index;
      ElementRecord& r = table_[index];
      r.length = r.StartTagLength();
      r.tagLengths &= kMaxStartTagLength;
      r.flags |= ELEMENT_NOT_ENDED;
      if (r.flags & ELEMENT_BAD_DATA) {
        badData = true;
        r.flags &= ~ELEMENT_BAD_DATA;
      }
      if (r.firstChild != 0) {
        std::uint32_t first = r.firstChild;
        std::uint32_t last = table_[first].prevSibling;
        table_[first].flags &= ~ELEMENT_FIRST_CHILD;
        table_[first].prevSibling = index;
        r.nextSibling = first;
        r.firstChild = 0;
        table_[table_[r.parent].firstChild].prevSibling = last;
      }
      if (countsActive_) counts_.Remove(open_[i].nameHash);
    }
    if (badData) table_[newParent].flags |= ELEMENT_BAD_DATA;
    for (std::uint32_t c = table_[outer].nextSibling; c != 0; c = table_[c].nextSibling) {
      table_[c].parent = newParent;
    }
    open_.resize(keep);
  }

  void Finish() {
    table_[0].length = static_cast<std::uint32_t>(text_.size());
    std::uint32_t root = table_[0].firstChild;
    if (root == 0) {
      error_ = u"No root element";
    } else if (HasSecondTopLevelElement(root)) {
      error_ = u"Root element has sibling";
    }
  }

  // A second element written at the top level. Elements that only came up
  // there because an element around them was not ended keep their deeper
  // level; for them the not-ended error is the one worth reporting.
  bool HasSecondTopLevelElement(std::uint32_t root) const {
    for (std::uint32_t c = table_[root].nextSibling; c != 0; c = table_[c].nextSibling) {
      if (table_[c].Level() == 0) return true;
    }
    return false;
  }

  std::u16string_view text_;
  bool ignoreCase_;
  ElementTable& table_;
  std::u16string& error_;
  std::vector<OpenElement> open_;
  OpenNameCounts counts_;
  bool countsActive_ = false;
};

}  // namespace

void ParseElements(std::u16string_view text, bool ignoreCase, ElementTable& table, std::u16string& error) {
  error.clear();
  table.Reset(static_cast<std::uint32_t>(std::min<std::size_t>(text.size(), kMaxDocumentUnits) / 64 + 8));
  if (text.empty()) {
    error = u"Empty document";
    return;
  }
  if (text.size() > kMaxDocumentUnits) {
    table[0].flags |= ELEMENT_DOCUMENT_ILL_FORMED;
    error = u"Document too large";
    return;
  }
  Parser(text, ignoreCase, table, error).Run();
}

}  // namespace q730x
