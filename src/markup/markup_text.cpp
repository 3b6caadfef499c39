#include "markup/markup_text.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace q730x {

std::size_t FindUnit(std::u16string_view text, char16_t c, std::size_t from) {
  const std::size_t size = text.size();
  const char16_t* p = text.data();
  std::size_t i = from;
#if defined(__SSE2__)
  // Eight units at a time (SSE2, which every x86-64 processor has): the
  // comparison's mask has two bits per matching unit.
  const __m128i wanted = _mm_set1_epi16(static_cast<short>(c));
  while (i + 8 <= size) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    const int mask = _mm_movemask_epi8(_mm_cmpeq_epi16(block, wanted));
    if (mask != 0) return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask))) / 2;
    i += 8;
  }
#else
  // A unit equal to c becomes zero after the XOR; the classic zero-lane test
  // flags a block that holds one (it never misses one, and a flagged block is
  // then checked unit by unit).
  const std::uint64_t pattern = 0x0001000100010001ull * c;
  while (i + 4 <= size) {
    std::uint64_t block;
    std::memcpy(&block, p + i, 8);
    block ^= pattern;
    if ((block - 0x0001000100010001ull) & ~block & 0x8000800080008000ull) break;
    i += 4;
  }
#endif
  for (; i < size; ++i)
    if (p[i] == c) return i;
  return std::u16string_view::npos;
}

std::u16string Utf16FromAscii(std::string_view ascii) {
  std::u16string out;
  out.reserve(ascii.size());
  for (char c : ascii) out.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
  return out;
}

void AppendNumber(std::u16string& text, std::uint64_t number) {
  char16_t digits[24];
  int count = 0;
  do {
    digits[count++] = static_cast<char16_t>(u'0' + number % 10);
    number /= 10;
  } while (number != 0);
  while (count > 0) text.push_back(digits[--count]);
}

void AppendCodePoint(std::u16string& text, std::uint32_t codePoint) {
  if (codePoint < 0x10000) {
    text.push_back(static_cast<char16_t>(codePoint));
  } else {
    codePoint -= 0x10000;
    text.push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
    text.push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
  }
}

std::wstring ToWide(std::u16string_view text) {
  std::wstring out;
  out.reserve(text.size());
  if constexpr (sizeof(wchar_t) == 2) {
    for (char16_t c : text) out.push_back(static_cast<wchar_t>(c));
  } else {
    for (std::size_t i = 0; i < text.size(); ++i) {
      std::uint32_t c = text[i];
      if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
          text[i + 1] < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
        ++i;
      }
      out.push_back(static_cast<wchar_t>(c));
    }
  }
  return out;
}

std::u16string FromWide(std::wstring_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (wchar_t c : text) {
    auto unit = static_cast<std::uint32_t>(c);
    if constexpr (sizeof(wchar_t) == 2) {
      out.push_back(static_cast<char16_t>(unit));
    } else {
      AppendCodePoint(out, unit <= 0x10FFFF ? unit : 0xFFFD);
    }
  }
  return out;
}

bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

}  // namespace q730x
