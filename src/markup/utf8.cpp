#include "markup/utf8.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif


namespace q730x {
namespace {

// Number of continuation bytes after a lead byte of 0x80 or more, and the
// payload bits of the lead; -1 when no sequence starts with it.
int ContinuationCount(unsigned lead, std::uint32_t& payload) {
  if ((lead & 0x20) == 0) {
    payload = lead & 0x1F;
    return 1;
  }
  if ((lead & 0x10) == 0) {
    payload = lead & 0x0F;
    return 2;
  }
  if ((lead & 0x08) == 0) {
    payload = lead & 0x07;
    return 3;
  }
  return -1;
}

// Decodes the sequence at bytes[i]; returns its length, 0 when it is broken.
std::size_t DecodeSequence(std::string_view bytes, std::size_t i, std::uint32_t& codePoint) {
  unsigned lead = static_cast<unsigned char>(bytes[i]);
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  }
  int more = ContinuationCount(lead, codePoint);
  if (more < 0 || bytes.size() - i <= static_cast<std::size_t>(more)) return 0;
  for (int k = 1; k <= more; ++k) {
    unsigned c = static_cast<unsigned char>(bytes[i + k]);
    if ((c & 0x80) == 0) return 0;
    codePoint = codePoint << 6 | (c & 0x3F);
  }
  return static_cast<std::size_t>(more) + 1;
}

}  // namespace

bool PassesUtf8Test(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size() && bytes[i] != 0) {
    std::uint32_t codePoint = 0;
    std::size_t length = DecodeSequence(bytes, i, codePoint);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

void AppendUtf8AsUtf16(std::string_view bytes, std::u16string& out) {
  // Never more units than bytes: size the output once and write through a pointer.
  const std::size_t base = out.size();
  out.resize(base + bytes.size());
  char16_t* dest = out.data() + base;
  const auto* src = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t size = bytes.size();
  std::size_t i = 0;
  while (i < size) {
    // Runs of ASCII are the common case: sixteen bytes at a time (SSE2, which
    // every x86-64 processor has), then eight, while they last.
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    while (size - i >= 16) {
      __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
      if (_mm_movemask_epi8(block) != 0) break;
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dest), _mm_unpacklo_epi8(block, zero));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + 8), _mm_unpackhi_epi8(block, zero));
      dest += 16;
      i += 16;
    }
#endif
    while (size - i >= 8) {
      std::uint64_t block;
      std::memcpy(&block, src + i, 8);
      if (block & 0x8080808080808080ull) break;
      for (int k = 0; k < 8; ++k) dest[k] = src[i + k];
      dest += 8;
      i += 8;
    }
    if (i >= size) break;
    unsigned b = src[i];
    if (b < 0x80) {
      *dest++ = static_cast<char16_t>(b);
      ++i;
      continue;
    }
    std::uint32_t codePoint = 0;
    std::size_t length = DecodeSequence(bytes, i, codePoint);
    if (length == 0 || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint < 0xE000)) {
      *dest++ = u'\uFFFD';
      i += length == 0 ? 1 : length;
    } else if (codePoint >= 0x10000) {  // four bytes in, two units out
      codePoint -= 0x10000;
      *dest++ = static_cast<char16_t>(0xD800 + (codePoint >> 10));
      *dest++ = static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
      i += length;
    } else {
      *dest++ = static_cast<char16_t>(codePoint);
      i += length;
    }
  }
  out.resize(static_cast<std::size_t>(dest - out.data()));
}

}  // namespace q730x
