// libFuzzer target for the markup reader: the input is the bytes of a file.
// Each input goes through encoding detection and conversion, parsing, every
// navigation operation and the text of every element, so that the sanitizers
// see every read the reader makes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "markup/markup_doc.h"
#include "markup/text_file.h"

namespace {

void Walk(q730x::MarkupDoc& doc) {
  // Every element's text, reached through the navigation operations.
  doc.ResetPosition();
  for (int guard = 0; guard < 4096 && doc.FindChildElement(); ++guard) {
    (void)doc.GetChildText();
  }
  doc.ResetPosition();
  for (int depth = 0; depth < 64; ++depth) {
    if (!doc.FindChildElement()) break;
    (void)doc.GetChildText();
    if (!doc.EnterElement()) break;
    (void)doc.FindElement();
  }
  (void)doc.GetSectionValue(u"config", u"str_title");
  (void)doc.GetSectionValue(u"Info", u"Version");
  for (std::uint32_t i = 1; i < doc.ElementCount() && i < 4096; ++i) (void)doc.ElementName(i);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::u16string text, report;
  std::uint32_t flags = 0;
  q730x::DecodeTextBytes(bytes, text, report, flags);

  q730x::MarkupDoc doc;
  doc.SetText(text, report);
  doc.Parse();
  (void)doc.WellFormed();
  Walk(doc);

  // The same text compared without regard to letter case.
  doc.SetFlags(q730x::MDF_IGNORECASE);
  doc.SetText(std::move(text));
  doc.Parse();
  Walk(doc);
  return 0;
}
