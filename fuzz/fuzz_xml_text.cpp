// The XML reader of the office parts on any bytes: the walk ends, keeps within the text limit, never
// expands an entity, and attribute lookups stay inside the tag.
#include <string>

#include "fuzz_check.h"
#include "inspect/xml_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view xml = fuzz::Text(data, size);
  static constexpr std::string_view kText[] = {"t", "delText"}, kTab[] = {"tab"}, kBreak[] = {"br"},
                                    kPara[] = {"p"}, kSkip[] = {"rPr"};
  const vek::inspect::XmlTextRules rules{kText, kTab, kBreak, kPara, kSkip};
  std::string out;
  vek::inspect::TextSink sink(out, 4096);
  vek::inspect::WalkXmlText(xml, rules, sink, {});
  fuzz::Check(out.size() <= 4096, "the text stays within its limit");
  // Decoded text never outgrows what was written: no entity is expanded beyond its own reference.
  std::string decoded;
  vek::inspect::AppendXmlDecoded(decoded, xml);
  fuzz::Check(decoded.size() <= xml.size(), "decoding does not expand", xml, decoded);
  vek::inspect::XmlReader r(xml);
  for (int n = 0; n < 100000; ++n) {
    const auto t = r.Next();
    if (t == vek::inspect::XmlReader::Token::Eof || t == vek::inspect::XmlReader::Token::Error) break;
    fuzz::Check(r.Position() <= xml.size(), "the reader stays inside the input");
    if (t == vek::inspect::XmlReader::Token::Start) {
      const std::string_view v = r.Attr("val");
      fuzz::Check(v.empty() || (v.data() >= xml.data() && v.data() + v.size() <= xml.data() + xml.size()),
                  "an attribute value lies inside the input");
    }
  }
  return 0;
}
