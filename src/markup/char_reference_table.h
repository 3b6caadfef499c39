// The table of named character references used by DecodeReferences.
#pragma once

#include <cstddef>
#include <cstdint>

namespace q730x {

struct CharReferenceName {
  const char* name;     // lower-case spelling
  std::uint32_t lower;  // code point of the lower-case spelling
  std::uint32_t other;  // code point of every other spelling
};

// Sorted by name (byte order), for binary search.
extern const CharReferenceName kCharReferenceNames[];
extern const std::size_t kCharReferenceNameCount;

}  // namespace q730x
