// The flat table of elements that the markup parser builds: fixed-size
// records linked by index, stored in segments of 65,536 records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace q730x {

struct ElementRecord {
  std::uint32_t start = 0;       // offset of the element's '<'
  std::uint32_t length = 0;      // '<' to the end of the end tag (start tag only if empty or not ended)
  std::uint32_t tagLengths = 0;  // start tag length (low 22 bits), end tag length (high 10 bits)
  std::uint32_t flags = 0;       // nesting level (low 16 bits) and the ELEMENT_ bits
  std::uint32_t parent = 0;
  std::uint32_t firstChild = 0;   // 0: none
  std::uint32_t nextSibling = 0;  // 0: none
  std::uint32_t prevSibling = 0;  // for a first child: the last child of the same parent

  std::uint32_t StartTagLength() const { return tagLengths & 0x3FFFFF; }
  std::uint32_t EndTagLength() const { return tagLengths >> 22; }
  std::uint32_t Level() const { return flags & 0xFFFF; }
};
static_assert(sizeof(ElementRecord) == 32);
static_assert(offsetof(ElementRecord, start) == 0 && offsetof(ElementRecord, length) == 4);
static_assert(offsetof(ElementRecord, tagLengths) == 8 && offsetof(ElementRecord, flags) == 12);
static_assert(offsetof(ElementRecord, parent) == 16 && offsetof(ElementRecord, firstChild) == 20);
static_assert(offsetof(ElementRecord, nextSibling) == 24 && offsetof(ElementRecord, prevSibling) == 28);

constexpr std::uint32_t kMaxStartTagLength = 0x3FFFFF;
constexpr std::uint32_t kMaxEndTagLength = 0x3FF;

enum ElementFlag : std::uint32_t {
  ELEMENT_LEVEL_MASK = 0xFFFF,
  ELEMENT_FIRST_CHILD = 0x80000,
  ELEMENT_NOT_ENDED = 0x100000,
  ELEMENT_BAD_DATA = 0x200000,
  ELEMENT_DOCUMENT_ILL_FORMED = 0x800000,  // entry 0 only
};

class ElementTable {
 public:
  static constexpr std::uint32_t kSegmentBits = 16;
  static constexpr std::uint32_t kSegmentRecords = 1u << kSegmentBits;

  // Empties the table, makes room for `reserve` records and adds a cleared entry 0.
  void Reset(std::uint32_t reserve);
  // Frees everything; the table no longer exists.
  void Clear();

  bool Exists() const { return count_ > 0; }
  std::uint32_t Count() const { return count_; }
  std::uint32_t Capacity() const { return capacity_; }

  // Adds a cleared record and returns its index. When every reserved record is
  // in use the table grows to 1.5 times the number in use. References to
  // records taken before the call may be invalidated.
  std::uint32_t Add();

  ElementRecord& operator[](std::uint32_t index) {
    return segments_[index >> kSegmentBits][index & (kSegmentRecords - 1)];
  }
  const ElementRecord& operator[](std::uint32_t index) const {
    return segments_[index >> kSegmentBits][index & (kSegmentRecords - 1)];
  }

 private:
  void Reserve(std::uint32_t records);

  std::vector<std::unique_ptr<ElementRecord[]>> segments_;
  std::vector<std::uint32_t> segmentSizes_;
  std::uint32_t count_ = 0;
  std::uint32_t capacity_ = 0;
};

}  // namespace q730x
