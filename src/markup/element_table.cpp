#include "markup/element_table.h"

#include <algorithm>

namespace q730x {

void ElementTable::Clear() {
  segments_.clear();
  segmentSizes_.clear();
  count_ = capacity_ = 0;
}

void ElementTable::Reset(std::uint32_t reserve) {
  Clear();
  Reserve(std::max<std::uint32_t>(reserve, 1));
  count_ = 1;
  (*this)[0] = ElementRecord{};
}

void ElementTable::Reserve(std::uint32_t records) {
  // Only the last segment can be smaller than a full one; a small table thus
  // costs what it holds, not 2 MB.
  while (capacity_ < records) {
    if (!segments_.empty() && segmentSizes_.back() < kSegmentRecords) {
      std::uint32_t oldSize = segmentSizes_.back();
      std::uint32_t newSize = std::min(kSegmentRecords, oldSize + (records - capacity_));
      auto grown = std::make_unique<ElementRecord[]>(newSize);
      std::copy(segments_.back().get(), segments_.back().get() + oldSize, grown.get());
      segments_.back() = std::move(grown);
      segmentSizes_.back() = newSize;
      capacity_ += newSize - oldSize;
    } else {
      std::uint32_t size = std::min(kSegmentRecords, records - capacity_);
      segments_.push_back(std::make_unique<ElementRecord[]>(size));
      segmentSizes_.push_back(size);
      capacity_ += size;
    }
  }
}

std::uint32_t ElementTable::Add() {
  if (count_ == capacity_) {
    std::uint64_t grown = std::max<std::uint64_t>(std::uint64_t{count_} * 3 / 2, count_ + 1u);
    Reserve(static_cast<std::uint32_t>(std::min<std::uint64_t>(grown, 0xFFFFFFFFu)));
  }
  std::uint32_t index = count_++;
  (*this)[index] = ElementRecord{};
  return index;
}

}  // namespace q730x
