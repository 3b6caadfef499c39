// The markup reader on documents given as text: values, text content, error
// texts, the element table and navigation.
#include "markup/markup_doc.h"

#include <gtest/gtest.h>

#include "markup/char_references.h"
#include "markup_test_text.h"

namespace q730x {
namespace {

using test::U16;
using test::U8;

struct Parsed {
  MarkupDoc doc;
  bool wellFormed = false;
  explicit Parsed(std::string_view text) {
    doc.SetText(U16(text));
    wellFormed = doc.Parse();
  }
  std::string Value(std::string_view section, std::string_view name) {
    return U8(doc.GetSectionValue(U16(section), U16(name)));
  }
  std::string Result() const { return U8(doc.ResultText()); }
};

TEST(MarkupDoc, NewDocumentIsEmpty) {
  MarkupDoc doc;
  EXPECT_EQ(U8(doc.ResultText()), "Empty document");
  EXPECT_FALSE(doc.WellFormed());
  EXPECT_EQ(doc.Flags(), 0u);
  EXPECT_EQ(U8(doc.GetSectionValue(u"config", u"a")), "");
}

TEST(MarkupDoc, SectionValues) {
  Parsed p("<root><config><a>x</a></config></root>");
  EXPECT_TRUE(p.wellFormed);
  EXPECT_EQ(p.Result(), "");
  EXPECT_EQ(p.Value("config", "a"), "x");
  EXPECT_EQ(p.Value("config", "b"), "");
  EXPECT_EQ(p.Value("Config", "a"), "");  // letter case counts
  EXPECT_EQ(p.Value("config", "A"), "");
}

TEST(MarkupDoc, SectionValueLooksIntoNestedSections) {
  Parsed p("<r><config><config><a>y</a></config></config></r>");
  EXPECT_EQ(p.Value("config", "a"), "y");
  // A key found at the outer level wins over a nested one; the first of two counts.
  Parsed q("<r><config><a>1</a><config><a>2</a></config><a>3</a></config></r>");
  EXPECT_EQ(q.Value("config", "a"), "1");
  // Only a section nested directly inside is searched, not a second sibling section.
  Parsed s("<r><config><b>1</b></config><config><a>2</a></config></r>");
  EXPECT_EQ(s.Value("config", "a"), "");
  // The section must be a child of the root, not the root itself.
  Parsed t("<config><a>x</a></config>");
  EXPECT_EQ(t.Value("config", "a"), "");
}

TEST(MarkupDoc, TextContent) {
  EXPECT_EQ(Parsed("<r><config><a>  two words&amp;more  </a></config></r>").Value("config", "a"),
            "  two words&more  ");
  EXPECT_EQ(Parsed("<r><config><a>x<b/>y</a></config></r>").Value("config", "a"), "");
  EXPECT_EQ(Parsed("<r><config><a>x<!-- c -->y<![CDATA[<z>]]></a></config></r>").Value("config", "a"),
            "xy<z>");
  EXPECT_EQ(Parsed("<r><config><a><![CDATA[a &amp; b]]></a></config></r>").Value("config", "a"),
            "a &amp; b");  // verbatim
  EXPECT_EQ(Parsed("<r><config><a> <?pi x?> t&lt; </a></config></r>").Value("config", "a"), " t< ");
  EXPECT_EQ(Parsed("<r><config><a/></config></r>").Value("config", "a"), "");
  EXPECT_EQ(Parsed("<r><config><a></a></config></r>").Value("config", "a"), "");
  EXPECT_EQ(Parsed("<r><config><a attr=\"v>\">t</a ></config></r>").Value("config", "a"), "t");
  EXPECT_EQ(Parsed("<r><config><a>line1&#10;line2</a></config></r>").Value("config", "a"), "line1\nline2");
  EXPECT_EQ(Parsed("<r><config><a>\xE4\xB8\xAD\xE6\x96\x87</a></config></r>").Value("config", "a"),
            "\xE4\xB8\xAD\xE6\x96\x87");
  // An element that is not ended has no text, even in an ill-formed document.
  Parsed p("<r><config><a>x</config></r>");
  EXPECT_FALSE(p.wellFormed);
  EXPECT_EQ(p.Value("config", "a"), "");
}

TEST(MarkupDoc, CharacterReferences) {
  EXPECT_EQ(U8(DecodeReferences(u"&#65;&#x41;&#X41;")), "AAA");
  EXPECT_EQ(U8(DecodeReferences(u"&AMP;&amp;&lt;&gt;&quot;&apos;&nbsp;")), "&&<>\"'\xC2\xA0");
  EXPECT_EQ(U8(DecodeReferences(u"&agrave;&Agrave;&AGRAVE;")), "\xC3\xA0\xC3\x80\xC3\x80");
  EXPECT_EQ(U8(DecodeReferences(u"&sigma;&Sigma;&dagger;&Dagger;")), "\xCF\x83\xCE\xA3\xE2\x80\xA0\xE2\x80\xA1");
  EXPECT_EQ(U8(DecodeReferences(u"&rarr;&rArr;")), "\xE2\x86\x92\xE2\x87\x92");
  EXPECT_EQ(U8(DecodeReferences(u"&#x1F600;")), "\xF0\x9F\x98\x80");  // a surrogate pair
  // Left as written: unknown names, code point 0, no ';', too long, non-ASCII, out of range.
  EXPECT_EQ(U8(DecodeReferences(u"&bogus; &#0; &amp &; &#; &#x; &abcdefghij; &\u00e9; &#x110000; &#xD800;")),
            "&bogus; &#0; &amp &; &#; &#x; &abcdefghij; &\xC3\xA9; &#x110000; &#xD800;");
  EXPECT_EQ(U8(DecodeReferences(u"&&amp;&")), "&&&");
  EXPECT_EQ(U8(DecodeReferences(u"&#123456789;")), "&#123456789;");
}

TEST(MarkupDoc, ErrorTexts) {
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"<r><a></r>", "End tag 'r' at offset 7 does not match start tag 'a' at offset 3"},
      {"<r><a>", "Element 'a' at offset 3 not ended"},
      {"<r></x></r>", "No start tag for end tag 'x' at offset 3"},
      {"<r><1/></r>", "Incorrect tag name character at offset 3"},
      {"<r><!-- x", "Comment at offset 3 unterminated"},
      {"<r><!x></r>", "Incorrect ! tag at offset 3"},
      {"<r><!-x></r>", "Incorrect comment tag at offset 3"},
      {"<r><![X></r>", "Incorrect tag at offset 3"},
      {"<r><![CDATA[x", "CDATA Section at offset 3 unterminated"},
      {"<r><?pi", "Processing instruction at offset 3 unterminated"},
      {"<r><!DOCTYPE", "Doctype at offset 3 unterminated"},
      {"<r><a b='>", "Element tag at offset 3 unterminated"},
      {"<r></r", "Element end tag at offset 3 unterminated"},
      {"<r><", "tag at offset 3 unterminated"},
      {"<a/><b/>", "Root element has sibling"},
      {"hello", "No root element"},
      {"<!-- only -->", "No root element"},
      {"<r><1/></r><s/>", "Root element has sibling"},  // replaces the first error
      {"", "Empty document"},
  };
  for (const Case& c : cases) {
    Parsed p(c.text);
    EXPECT_FALSE(p.wellFormed) << c.text;
    EXPECT_EQ(p.Result(), c.error) << c.text;
  }
}

TEST(MarkupDoc, WellFormedDocuments) {
  for (const char* text : {
           "<r/>",
           "<?xml version=\"1.0\"?>\n<!DOCTYPE r [<!ENTITY e \"x>\">]>\n<r a='1' b=\"2\"><c/><d></d></r>\n",
           "<r><![CDATA[ <not> </tags> ]]><!-- <x> --></r>",
           "  <r >text</r >  ",
           "<r:x><_a/><\xC3\xA9/></r:x>",
           "<r><a b=1/></a></r>",  // the '/' belongs to the unquoted value
       }) {
    EXPECT_TRUE(Parsed(text).wellFormed) << text;
  }
}

TEST(MarkupDoc, OnlyTheFirstErrorIsKept) {
  Parsed p("<r></x><1/></r>");
  EXPECT_EQ(p.Result(), "No start tag for end tag 'x' at offset 3");
}

TEST(MarkupDoc, ElementRecords) {
  //        0123456789012345678901234567890
  Parsed p("<r><a x='1'>t</a><b/><c></c ></r>");
  ASSERT_TRUE(p.wellFormed);
  ASSERT_EQ(p.doc.ElementCount(), 5u);
  const ElementRecord& doc = p.doc.Element(0);
  EXPECT_EQ(doc.firstChild, 1u);
  EXPECT_EQ(doc.length, 33u);
  const ElementRecord& r = p.doc.Element(1);
  EXPECT_EQ(r.start, 0u);
  EXPECT_EQ(r.length, 33u);
  EXPECT_EQ(r.StartTagLength(), 3u);
  EXPECT_EQ(r.EndTagLength(), 4u);
  EXPECT_EQ(r.Level(), 0u);
  EXPECT_EQ(r.firstChild, 2u);
  const ElementRecord& a = p.doc.Element(2);
  EXPECT_EQ(a.start, 3u);
  EXPECT_EQ(a.length, 14u);
  EXPECT_EQ(a.StartTagLength(), 9u);
  EXPECT_EQ(a.Level(), 1u);
  EXPECT_TRUE(a.flags & ELEMENT_FIRST_CHILD);
  EXPECT_EQ(a.prevSibling, 4u);  // a first child points at the last child
  EXPECT_EQ(a.nextSibling, 3u);
  const ElementRecord& b = p.doc.Element(3);
  EXPECT_EQ(b.length, 4u);  // empty element: its start tag
  EXPECT_EQ(b.EndTagLength(), 0u);
  EXPECT_FALSE(b.flags & ELEMENT_FIRST_CHILD);
  const ElementRecord& c = p.doc.Element(4);
  EXPECT_EQ(c.EndTagLength(), 5u);
  EXPECT_EQ(c.prevSibling, 3u);
  EXPECT_EQ(c.nextSibling, 0u);
  EXPECT_EQ(c.parent, 1u);
  EXPECT_EQ(U8(p.doc.ElementName(2)), "a");
}

TEST(MarkupDoc, NotEndedElementsGiveTheirChildrenToTheirParent) {
  Parsed p("<r><a><b/><c>t</c></r>");
  EXPECT_EQ(p.Result(), "End tag 'r' at offset 19 does not match start tag 'a' at offset 3");
  ASSERT_EQ(p.doc.ElementCount(), 5u);
  const ElementRecord& a = p.doc.Element(2);
  EXPECT_TRUE(a.flags & ELEMENT_NOT_ENDED);
  EXPECT_EQ(a.length, 3u);
  EXPECT_EQ(a.firstChild, 0u);
  EXPECT_EQ(a.nextSibling, 3u);
  EXPECT_EQ(p.doc.Element(3).parent, 1u);
  EXPECT_EQ(p.doc.Element(4).parent, 1u);
  EXPECT_FALSE(p.doc.Element(3).flags & ELEMENT_FIRST_CHILD);
  EXPECT_EQ(p.doc.Element(2).prevSibling, 4u);  // r's last child is now c
  EXPECT_TRUE(p.doc.Element(0).flags & ELEMENT_DOCUMENT_ILL_FORMED);
  // r itself was ended by its end tag.
  EXPECT_FALSE(p.doc.Element(1).flags & ELEMENT_NOT_ENDED);
  EXPECT_EQ(p.doc.Element(1).length, 22u);
}

TEST(MarkupDoc, BadDataMovesToTheParentOfANotEndedElement) {
  Parsed p("<r><a><1></r>");
  EXPECT_FALSE(p.doc.Element(2).flags & ELEMENT_BAD_DATA);
  EXPECT_TRUE(p.doc.Element(1).flags & ELEMENT_BAD_DATA);
  Parsed q("<r></x><a/></r>");
  EXPECT_TRUE(q.doc.Element(1).flags & ELEMENT_BAD_DATA);
  EXPECT_FALSE(q.doc.Element(2).flags & ELEMENT_BAD_DATA);
}

TEST(MarkupDoc, EndOfDocumentClosesEveryOpenElement) {
  Parsed p("<r><a><b>");
  EXPECT_EQ(p.Result(), "Element 'b' at offset 6 not ended");
  // All three end up side by side at the top.
  EXPECT_EQ(p.doc.Element(1).nextSibling, 2u);
  EXPECT_EQ(p.doc.Element(2).nextSibling, 3u);
  EXPECT_EQ(p.doc.Element(3).parent, 0u);
  EXPECT_EQ(p.doc.Element(2).parent, 0u);
}

TEST(MarkupDoc, LargeTablesGrowAcrossSegments) {
  std::string text = "<r>";
  for (int i = 0; i < 70000; ++i) text += "<e/>";
  text += "<last>v</last></r>";
  // Few units per element, so the table outgrows its first reservation.
  Parsed p("<x><config>" + text + "</config></x>");
  ASSERT_TRUE(p.wellFormed);
  EXPECT_EQ(p.doc.ElementCount(), 70000u + 5u);
  EXPECT_EQ(U8(p.doc.ElementName(70004)), "last");
  EXPECT_EQ(p.doc.Element(70004).parent, 3u);
  EXPECT_EQ(p.Value("config", "r"), "");
}

TEST(MarkupDoc, DeepAndHostileNestingStaysLinear) {
  // A deep stack of open elements and many end tags that match none of them:
  // must finish promptly, not walk the stack for each end tag.
  std::string text;
  for (int i = 0; i < 100000; ++i) text += "<a>";
  for (int i = 0; i < 100000; ++i) text += "</b>";
  for (int i = 0; i < 100000; ++i) text += "<c/>";
  Parsed p(text);
  EXPECT_FALSE(p.wellFormed);
  EXPECT_EQ(p.Result(), "No start tag for end tag 'b' at offset 300000");
  EXPECT_EQ(p.doc.Element(1).Level(), 0u);
  EXPECT_EQ(p.doc.Element(70000).Level(), 65535u);  // the level saturates
}

TEST(MarkupDoc, OverlongEndTagIsAnErrorNotACorruption) {
  Parsed p("<r>x</r" + std::string(2000, ' ') + ">");
  EXPECT_FALSE(p.wellFormed);
  EXPECT_EQ(p.Result(), "End tag at offset 4 too long");
  EXPECT_EQ(p.doc.Element(1).StartTagLength(), 3u);
}

TEST(MarkupDoc, Navigation) {
  Parsed p("<r><a>1</a><b>2</b><a>3</a></r>");
  MarkupDoc& doc = p.doc;
  EXPECT_TRUE(doc.FindElement(u"r"));
  EXPECT_EQ(doc.CurrentIndex(), 1u);
  EXPECT_FALSE(doc.FindElement(u"r"));  // no sibling after it
  EXPECT_EQ(doc.CurrentIndex(), 1u);    // nothing changed
  EXPECT_TRUE(doc.FindChildElement(u"a"));
  EXPECT_EQ(U8(doc.GetChildText()), "1");
  EXPECT_TRUE(doc.FindChildElement(u"a"));
  EXPECT_EQ(U8(doc.GetChildText()), "3");
  EXPECT_FALSE(doc.FindChildElement(u"a"));
  EXPECT_EQ(doc.ChildIndex(), 4u);
  doc.ResetPosition();
  EXPECT_TRUE(doc.FindChildElement());  // the root becomes current first
  EXPECT_EQ(doc.CurrentIndex(), 1u);
  EXPECT_EQ(doc.ChildIndex(), 2u);
  EXPECT_TRUE(doc.FindChildElement());
  EXPECT_EQ(U8(doc.GetChildText()), "2");
  EXPECT_TRUE(doc.EnterElement());
  EXPECT_EQ(doc.ParentIndex(), 1u);
  EXPECT_EQ(doc.CurrentIndex(), 3u);
  EXPECT_EQ(doc.ChildIndex(), 0u);
  EXPECT_TRUE(doc.FindElement(u"a"));  // the sibling after b
  EXPECT_EQ(doc.CurrentIndex(), 4u);
  EXPECT_FALSE(doc.FindChildElement());
  EXPECT_TRUE(doc.EnterElement());  // no child: the position holds nothing
  EXPECT_EQ(doc.CurrentNodeKind(), NODE_NONE);
  EXPECT_FALSE(doc.EnterElement());
}

TEST(MarkupDoc, IgnoreCaseFlag) {
  MarkupDoc doc;
  doc.SetFlags(MDF_IGNORECASE);
  doc.SetText(U16("<R><Config><A>v</a></config></r>"));
  EXPECT_TRUE(doc.Parse());
  EXPECT_EQ(U8(doc.GetSectionValue(u"config", u"a")), "v");
}

TEST(MarkupDoc, ReparseReplacesTheTable) {
  MarkupDoc doc;
  doc.SetText(U16("<r><a/><a/><a/></r>"));
  EXPECT_TRUE(doc.Parse());
  EXPECT_TRUE(doc.Parse());
  EXPECT_EQ(U8(doc.ResultText()), "");
  doc.SetText(U16("<s/>"));
  EXPECT_FALSE(doc.FindElement());  // no table until parsed
  EXPECT_EQ(U8(doc.GetChildText()), "");
  EXPECT_TRUE(doc.Parse());
  EXPECT_EQ(doc.ElementCount(), 2u);
}

}  // namespace
}  // namespace q730x
