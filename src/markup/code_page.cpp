#include "markup/code_page.h"

#include "markup/encoding_names.h"
#include "markup/markup_platform.h"
#include "markup/markup_text.h"
#include "markup/utf8.h"

namespace q730x {
namespace {

void AppendUtf32AsUtf16(std::string_view bytes, bool bigEndian, std::u16string& out) {
  for (std::size_t i = 0; i + 4 <= bytes.size(); i += 4) {
    auto b = [&](std::size_t k) { return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + k])); };
    std::uint32_t c = bigEndian ? (b(0) << 24 | b(1) << 16 | b(2) << 8 | b(3))
                                : (b(3) << 24 | b(2) << 16 | b(1) << 8 | b(0));
    if (c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) c = 0xFFFD;
    AppendCodePoint(out, c);
  }
}

}  // namespace

bool ConvertToUtf16(std::uint32_t codePage, std::string_view bytes, std::u16string& out) {
  out.clear();
  switch (codePage) {
    case kCodePageUtf8:
      out.reserve(bytes.size());
      AppendUtf8AsUtf16(bytes, out);
      return true;
    case kCodePageUtf32LE:
    case kCodePageUtf32BE:
      out.reserve(bytes.size() / 4);
      AppendUtf32AsUtf16(bytes, codePage == kCodePageUtf32BE, out);
      return true;
    default:
      if (bytes.empty()) return true;
      return PlatformConvertCodePage(codePage, bytes, out);
  }
}

}  // namespace q730x
