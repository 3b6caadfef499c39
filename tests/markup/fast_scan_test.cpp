// The reader's block-at-a-time scans agree with a plain unit-by-unit reading
// wherever the wanted unit or a non-ASCII byte falls within or across blocks.
#include <gtest/gtest.h>

#include <string>

#include "markup/markup_text.h"
#include "markup/utf8.h"

namespace q730x {
namespace {

TEST(FastScan, FindUnitAgreesWithFindAtEveryOffsetAndAlignment) {
  // Units that look like the target after the XOR trick's borrow (0x8000,
  // 0xFFFF, 0x0000, neighbours of '<') must not be taken for it.
  const char16_t fillers[] = {u'a', 0x0000, 0x8000, 0xFFFF, u'<' + 1, u'<' - 1, 0x3C00, 0x013C};
  for (char16_t filler : fillers) {
    for (std::size_t length = 0; length <= 13; ++length) {
      for (std::size_t hit = 0; hit <= length; ++hit) {
        std::u16string text(length, filler);
        if (hit < length) text[hit] = u'<';
        for (std::size_t from = 0; from <= length + 1; ++from) {
          EXPECT_EQ(FindUnit(text, u'<', from), std::u16string_view(text).find(u'<', from))
              << "filler " << int(filler) << " length " << length << " hit " << hit << " from "
              << from;
        }
      }
    }
  }
}

// The UTF-16 of text that is ASCII apart from "é" (C3 A9), by plain reading.
std::u16string Expected(const std::string& bytes) {
  std::u16string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (static_cast<unsigned char>(bytes[i]) == 0xC3) {
      out += u'\u00E9';
      ++i;
    } else {
      out += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]));
    }
  }
  return out;
}

TEST(FastScan, Utf8ToUtf16AcrossBlockBoundaries) {
  for (std::size_t before = 0; before <= 40; ++before) {
    for (std::size_t after : {0, 1, 7, 8, 15, 16, 17, 33}) {
      std::string bytes(before, 'x');
      bytes += "\xC3\xA9";
      bytes.append(after, 'y');
      std::u16string out = u"kept";  // the conversion appends
      AppendUtf8AsUtf16(bytes, out);
      EXPECT_EQ(out, u"kept" + Expected(bytes)) << before << " + " << after;
    }
  }
  // A broken sequence right after a long ASCII run still gives U+FFFD.
  std::u16string out;
  AppendUtf8AsUtf16(std::string(20, 'a') + "\xC3" + std::string(20, 'b'), out);
  EXPECT_EQ(out, std::u16string(20, u'a') + u'\uFFFD' + std::u16string(20, u'b'));
}

}  // namespace
}  // namespace q730x
