// Reading files of every encoding path into UTF-16: byte order marks, declared
// encodings, UTF-8 detection, null removal, and the loading report.
#include "markup/text_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "markup/encoding_names.h"
#include "markup/markup_doc.h"
#include "markup_test_text.h"

namespace q730x {
namespace {

using test::U16;
using test::U8;

struct Decoded {
  std::u16string text, report;
  std::uint32_t flags = 0;
  explicit Decoded(std::string_view bytes, std::uint32_t callerFlags = 0) : flags(callerFlags) {
    DecodeTextBytes(bytes, text, report, flags);
  }
  std::string Text() const { return U8(text); }
  std::string Report() const { return U8(report); }
};

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(static_cast<char>(v));
  return out;
}

// UTF-16 bytes of an ASCII text, little- or big-endian.
std::string Wide(std::string_view ascii, bool bigEndian) {
  std::string out;
  for (char c : ascii) {
    out += bigEndian ? '\0' : c;
    out += bigEndian ? c : '\0';
  }
  return out;
}

TEST(TextFile, Utf8WithAndWithoutMark) {
  Decoded marked("\xEF\xBB\xBF<r/>");
  EXPECT_EQ(marked.Report(), "UTF-8 BOM + length 4 to 4 wide chars ");
  EXPECT_EQ(marked.Text(), "<r/>");
  EXPECT_EQ(marked.flags, unsigned{MDF_UTF8PREAMBLE});

  Decoded plain("<r>\xE4\xB8\xAD</r>");
  EXPECT_EQ(plain.Report(), "UTF-8 length 10 to 8 wide chars ");
  EXPECT_EQ(plain.Text(), "<r>\xE4\xB8\xAD</r>");
  EXPECT_EQ(plain.flags, 0u);
}

TEST(TextFile, Utf16WithMarks) {
  Decoded le("\xFF\xFE" + Wide("<r>", false) + Bytes({0x2D, 0x4E}) + Wide("</r>", false));
  EXPECT_EQ(le.Report(), "UTF-16LE BOM + length 8 ");
  EXPECT_EQ(le.Text(), "<r>\xE4\xB8\xAD</r>");
  EXPECT_EQ(le.flags, unsigned{MDF_UTF16LEFILE});

  Decoded be("\xFE\xFF" + Wide("<r>", true) + Bytes({0x4E, 0x2D}) + Wide("</r>", true));
  EXPECT_EQ(be.Report(), "UTF-16BE BOM + length 8 endian swap ");
  EXPECT_EQ(be.Text(), "<r>\xE4\xB8\xAD</r>");
  EXPECT_EQ(be.flags, unsigned{MDF_UTF16BEFILE});

  Decoded odd("\xFF\xFE" + Wide("<r/>", false) + "x");  // a stray last byte is dropped
  EXPECT_EQ(odd.Text(), "<r/>");
}

TEST(TextFile, Utf16AndUtf32WithoutMark) {
  Decoded le(Wide("<?xml version=\"1.0\" encoding=\"UTF-16\"?><r/>", false));
  EXPECT_EQ(le.Report(), "UTF-16LE length 43 ");
  EXPECT_EQ(le.Text(), "<?xml version=\"1.0\" encoding=\"UTF-16\"?><r/>");
  EXPECT_EQ(le.flags, unsigned{MDF_UTF16LEFILE});

  Decoded be(Wide("<r>x</r>", true));
  EXPECT_EQ(be.Report(), "UTF-16BE length 8 endian swap ");
  EXPECT_EQ(be.Text(), "<r>x</r>");

  Decoded le32(Bytes({'<', 0, 0, 0, 'r', 0, 0, 0, '/', 0, 0, 0, '>', 0, 0, 0, 0x00, 0xF6, 0x01, 0}));
  EXPECT_EQ(le32.Report(), "UTF-32LE length 5 to 6 wide chars ");
  EXPECT_EQ(le32.Text(), "<r/>\xF0\x9F\x98\x80");

  Decoded be32(Bytes({0, 0, 0, '<', 0, 0, 0, 'r', 0, 0, 0, '/', 0, 0, 0, '>'}));
  EXPECT_EQ(be32.Text(), "<r/>");
}

TEST(TextFile, ByteFileDeclaringUtf16IsReadByItsBytes) {
  Decoded d("<?xml version=\"1.0\" encoding=\"utf-16\"?><r>\xC3\xA9</r>");
  EXPECT_EQ(d.Report(), "UTF-8 length 48 to 47 wide chars ");
  EXPECT_EQ(d.Text(), "<?xml version=\"1.0\" encoding=\"utf-16\"?><r>\xC3\xA9</r>");
}

TEST(TextFile, DeclaredGb2312) {
  // <r>中文</r> in GB2312: 中 D6 D0, 文 CE C4.
  std::string bytes = "<?xml version=\"1.0\" encoding=\"gb2312\"?><r>\xD6\xD0\xCE\xC4</r>";
  Decoded d(bytes);
  EXPECT_EQ(d.Report(), "gb2312 length 50 to 48 wide chars ");
  EXPECT_EQ(d.Text(), "<?xml version=\"1.0\" encoding=\"gb2312\"?><r>\xE4\xB8\xAD\xE6\x96\x87</r>");
}

TEST(TextFile, HtmlMetaCharset) {
  Decoded d(
      "<html><head><meta name=x><META HTTP-EQUIV='content-type' content=\"text/html; charset = gb2312\">"
      "</head><body>\xD6\xD0</body></html>");
  EXPECT_EQ(d.Report().substr(0, 7), "gb2312 ");
  EXPECT_NE(d.Text().find("<body>\xE4\xB8\xAD</body>"), std::string::npos);

  // Only inside an html document, and only before </head>.
  EXPECT_EQ(DetectDeclaredEncoding(u"<x><meta http-equiv=\"Content-Type\" content=\"charset=big5\">"), u"");
  EXPECT_EQ(DetectDeclaredEncoding(u"<html></head><meta http-equiv=\"Content-Type\" content=\"charset=big5\">"),
            u"");
  EXPECT_EQ(DetectDeclaredEncoding(u"<html><meta http-equiv=Content-Type content='text/html;charset=big5'>"),
            u"big5");
  EXPECT_EQ(DetectDeclaredEncoding(u"<?xml version='1.0' encoding='koi8-r' ?><r/>"), u"koi8-r");
  EXPECT_EQ(DetectDeclaredEncoding(u"<?xml version='1.0'?><?xml encoding='koi8-r'?>"), u"");
  EXPECT_EQ(DetectDeclaredEncoding(u"<?xml encoding=\"latin1\"?>"), u"latin1");
  // Only the first processing instruction is looked at.
  EXPECT_EQ(DetectDeclaredEncoding(u"<?other?><?xml encoding=\"latin1\"?>"), u"");
}

TEST(TextFile, NullsAreRemoved) {
  Decoded d(std::string("<r>a\0b\0</r>", 11));
  EXPECT_EQ(d.Report(), "UTF-8 length 11 (2 nulls removed) to 9 wide chars ");
  EXPECT_EQ(d.Text(), "<r>ab</r>");

  Decoded wide("\xFF\xFE" + Wide("<r>", false) + std::string(2, '\0') + Wide("</r>", false));
  EXPECT_EQ(wide.Report(), "UTF-16LE BOM + length 8 (1 nulls removed) ");
  EXPECT_EQ(wide.Text(), "<r></r>");
}

TEST(TextFile, DetectionAndTheDefaultCodePage) {
  Decoded utf8("caf\xC3\xA9");
  EXPECT_EQ(utf8.Report(), "UTF-8 length 5 (used UTF-8 detection) to 4 wide chars ");
  EXPECT_EQ(utf8.Text(), "caf\xC3\xA9");

  Decoded ansi("caf\xE9 ok");  // not UTF-8: the default code page (Western here)
  EXPECT_EQ(ansi.Report(), "ANSI length 7 (used UTF-8 detection) to 7 wide chars ");
  EXPECT_EQ(ansi.Text(), "caf\xC3\xA9 ok");

  Decoded empty("");
  EXPECT_EQ(empty.Report(), "ANSI 0 length ");
  EXPECT_EQ(empty.Text(), "");

  Decoded onlyMark("\xFF\xFE");
  EXPECT_EQ(onlyMark.Report(), "UTF-16LE BOM + 0 length ");
}

TEST(TextFile, CallerFlagsAreKeptExceptFileFlags) {
  Decoded d("\xEF\xBB\xBF<r/>", MDF_IGNORECASE | MDF_READFILE | MDF_UTF16LEFILE | MDF_WRITEFILE);
  EXPECT_EQ(d.flags, unsigned{MDF_IGNORECASE | MDF_UTF8PREAMBLE});
}

TEST(TextFile, CodePagesOfEncodingNames) {
  EXPECT_EQ(CodePageForEncoding(u""), 0u);
  EXPECT_EQ(CodePageForEncoding(u"GB2312"), 936u);
  EXPECT_EQ(CodePageForEncoding(u"gbk"), 936u);
  EXPECT_EQ(CodePageForEncoding(u"Shift_JIS"), 932u);
  EXPECT_EQ(CodePageForEncoding(u"utf-8"), 65001u);
  EXPECT_EQ(CodePageForEncoding(u"ISO-8859-1"), 28591u);
  EXPECT_EQ(CodePageForEncoding(u"iso_646.irv:1991"), 20127u);
  EXPECT_EQ(CodePageForEncoding(u"_iso-2022-jp$sio"), 50222u);
  EXPECT_EQ(CodePageForEncoding(u"UTF-32BE"), 65005u);
  EXPECT_EQ(CodePageForEncoding(u"utf-32"), 0u);  // only "UTF-32" in capitals counts
  EXPECT_EQ(CodePageForEncoding(u"no-such-encoding"), 0u);
  EXPECT_EQ(CodePageForEncoding(std::u16string(100, u'a')), 0u);
  EXPECT_EQ(CodePageForEncoding(u"gb2312\u00e9"), 0u);
}

class TextFileOnDisk : public testing::Test {
 protected:
  std::filesystem::path Write(const char* name, std::string_view bytes) {
    std::filesystem::path path = std::filesystem::temp_directory_path() / name;
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    written_.push_back(path);
    return path;
  }
  void TearDown() override {
    for (const auto& p : written_) std::filesystem::remove(p);
  }
  std::vector<std::filesystem::path> written_;
};

TEST_F(TextFileOnDisk, LoadParsesAndReports) {
  MarkupDoc doc;
  EXPECT_TRUE(doc.Load(Write("q730x_markup_ok.xml", "<r><config><a>x</a></config></r>")));
  EXPECT_EQ(U8(doc.ResultText()), "UTF-8 length 32 to 32 wide chars ");
  EXPECT_EQ(U8(doc.GetSectionValue(u"config", u"a")), "x");

  EXPECT_FALSE(doc.Load(Write("q730x_markup_empty.xml", "")));
  EXPECT_EQ(U8(doc.ResultText()), "ANSI 0 length  Empty document");

  EXPECT_FALSE(doc.Load(Write("q730x_markup_bad.xml", "<r><a></r>")));
  EXPECT_EQ(U8(doc.ResultText()),
            "UTF-8 length 10 to 10 wide chars  End tag 'r' at offset 7 does not match start tag 'a' at offset 3");
}

TEST_F(TextFileOnDisk, MissingFileGivesTheSystemMessage) {
  MarkupDoc doc;
  ASSERT_TRUE(doc.Load(Write("q730x_markup_first.xml", "<r><config><a>x</a></config></r>")));
  EXPECT_FALSE(doc.Load(std::filesystem::temp_directory_path() / "q730x_no_such_file.xml"));
  EXPECT_FALSE(doc.ResultText().empty());
  EXPECT_EQ(doc.ResultText().find(u'\n'), std::u16string::npos);
  EXPECT_EQ(doc.Text(), u"");
  // Nothing of the previous document is left to read.
  EXPECT_FALSE(doc.WellFormed());
  EXPECT_EQ(U8(doc.GetSectionValue(u"config", u"a")), "");
}

}  // namespace
}  // namespace q730x
