// The XML reader of the office parts: what it decodes, what it refuses, and where a walk's text goes.
#include "inspect/xml_text.h"

#include <gtest/gtest.h>

#include <string>

using vek::inspect::AppendXmlDecoded;
using vek::inspect::TextSink;
using vek::inspect::WalkXmlText;
using vek::inspect::XmlReader;
using vek::inspect::XmlTextRules;
using vek::inspect::XmlWalk;

namespace {

constexpr std::string_view kText[] = {"t"}, kTab[] = {"tab"}, kBreak[] = {"br"}, kPara[] = {"p"},
                           kSkip[] = {"rPr"};
const XmlTextRules kRules{kText, kTab, kBreak, kPara, kSkip};

std::string Walk(std::string_view xml, XmlWalk expected, std::size_t limit = 1000) {
  std::string out;
  TextSink sink(out, limit);
  EXPECT_EQ(WalkXmlText(xml, kRules, sink, {}), expected) << xml;
  return out;
}

}  // namespace

TEST(XmlText, DecodesThePredefinedEntitiesAndCharacterReferencesOnly) {
  std::string out;
  AppendXmlDecoded(out, "a&lt;b&gt;&amp;&quot;&apos; &#54620;&#xAE00; &#0; &#x110000; &nbsp; & &unknown;");
  EXPECT_EQ(out, "a<b>&\"' 한글 \xEF\xBF\xBD \xEF\xBF\xBD &nbsp; & &unknown;");
}

TEST(XmlText, KeepsTextOfTextElementsWithTabsBreaksAndParagraphs) {
  EXPECT_EQ(
      Walk("<?xml version='1.0'?><d><p><rPr><t>hidden</t></rPr><t>0</t><t>10-12</t><tab/><t a='x>y'>34</t>"
           "<br/><t><![CDATA[<5678>]]></t></p><!-- <t>no</t> --><p><x>outside</x><t>둘</t></p></d>",
           XmlWalk::Done),
      "010-12\t34\n<5678>\n둘\n");
}

TEST(XmlText, RefusesADocumentTypeAndStopsAtMalformedMarkupOrTheLimit) {
  EXPECT_EQ(Walk("<!DOCTYPE d [<!ENTITY a 'aaaa'>]><d><t>&a;</t></d>", XmlWalk::Doctype), "");
  EXPECT_EQ(Walk("<d><p><t>kept</t></p><t attr='unterminated></d>", XmlWalk::Malformed), "kept\n");
  EXPECT_EQ(Walk("<d><t>가나다라</t></d>", XmlWalk::Full, 7), "가나");  // cut at a character
}

TEST(XmlText, ReadsAttributesByLocalNameWhateverTheQuotes) {
  XmlReader r("<c r=\"A1\" x:t='s' s = \"3\"/><v>1</v>");
  ASSERT_EQ(r.Next(), XmlReader::Token::Start);
  EXPECT_EQ(r.LocalName(), "c");
  EXPECT_EQ(r.Attr("t"), "s");
  EXPECT_EQ(r.Attr("s"), "3");
  EXPECT_EQ(r.Attr("missing"), "");
  EXPECT_EQ(r.Next(), XmlReader::Token::End);  // the empty element ends at once
  EXPECT_EQ(r.Next(), XmlReader::Token::Start);
}
