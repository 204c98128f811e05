#include "doc_writers.h"

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-output.h>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>
#include <zlib.h>

#include <QFont>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QString>
#include <map>

namespace vek::samples {

namespace {

std::string Esc(const std::string& s) {
  std::string o;
  for (char c : s) {
    switch (c) {
      case '&':
        o += "&amp;";
        break;
      case '<':
        o += "&lt;";
        break;
      case '>':
        o += "&gt;";
        break;
      case '"':
        o += "&quot;";
        break;
      default:
        o += c;
    }
  }
  return o;
}

const char* const kXmlHead = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
const char* const kW =
    "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";
const char* const kRelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

std::string Relationships(const std::vector<std::pair<std::string, std::string>>& typeAndTarget) {
  std::string x = std::string(kXmlHead) +
                  "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
  int id = 1;
  for (const auto& [type, target] : typeAndTarget)
    x += "<Relationship Id=\"rId" + std::to_string(id++) + "\" Type=\"" + kRelNs + type + "\" Target=\"" +
         target + "\"/>";
  return x + "</Relationships>";
}

std::string ContentTypes(const std::vector<std::pair<std::string, std::string>>& overrides) {
  std::string x =
      std::string(kXmlHead) +
      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
      "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
      "<Default Extension=\"xml\" ContentType=\"application/xml\"/>";
  for (const auto& [part, type] : overrides)
    x += "<Override PartName=\"/" + part + "\" ContentType=\"" + type + "\"/>";
  return x + "</Types>";
}

std::string WordParagraph(const std::vector<std::string>& runs) {
  std::string x = "<w:p><w:pPr><w:tabs><w:tab w:val=\"left\" w:pos=\"720\"/></w:tabs></w:pPr>";
  for (const std::string& r : runs)
    x += "<w:r><w:rPr><w:b/></w:rPr><w:t xml:space=\"preserve\">" + Esc(r) + "</w:t></w:r>";
  return x + "</w:p>";
}

void AppendUtf16(std::string& out, const std::string& utf8) {
  const QString s = QString::fromStdString(utf8);
  for (QChar c : s) {
    out += char(c.unicode() & 0xFF);
    out += char(c.unicode() >> 8);
  }
}

void AppendLe(std::string& out, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out += char((v >> (8 * i)) & 0xFF);
}

std::string RawDeflate(const std::string& in) {
  z_stream z{};
  deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, uLong(in.size())), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  z.avail_in = uInt(in.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = uInt(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

bool WriteChild(GsfOutfile* parent, const char* name, const std::string& data) {
  GsfOutput* child = gsf_outfile_new_child(parent, name, FALSE);
  if (!child) return false;
  const bool ok = gsf_output_write(child, data.size(), reinterpret_cast<const guint8*>(data.data()));
  gsf_output_close(child);
  g_object_unref(child);
  return ok;
}

}  // namespace

bool WriteZip(const std::string& path, const Parts& parts) {
  QuaZip zip(QString::fromStdString(path));
  if (!zip.open(QuaZip::mdCreate)) return false;
  bool ok = true;
  for (const auto& [name, content] : parts) {
    QuaZipFile f(&zip);
    if (!f.open(QIODevice::WriteOnly, QuaZipNewInfo(QString::fromStdString(name)))) {
      ok = false;
      break;
    }
    ok = f.write(content.data(), qint64(content.size())) == qint64(content.size());
    f.close();
    if (!ok || f.getZipError() != 0) {
      ok = false;
      break;
    }
  }
  zip.close();
  return ok && zip.getZipError() == 0;
}

Parts DocxParts(const WordDocument& d) {
  const std::string wml = "application/vnd.openxmlformats-officedocument.wordprocessingml.";
  std::vector<std::pair<std::string, std::string>> overrides{
      {"word/document.xml", wml + "document.main+xml"}};
  std::vector<std::pair<std::string, std::string>> rels;
  Parts parts;
  std::string sect = "<w:sectPr>";
  for (std::size_t i = 0; i < d.headers.size(); ++i) {
    const std::string name = "header" + std::to_string(i + 1) + ".xml";
    parts.push_back({"word/" + name, std::string(kXmlHead) + "<w:hdr " + kW + ">" +
                                         WordParagraph({d.headers[i]}) + "</w:hdr>"});
    overrides.push_back({"word/" + name, wml + "header+xml"});
    rels.push_back({"header", name});
    sect += "<w:headerReference w:type=\"default\" r:id=\"rId" + std::to_string(rels.size()) + "\"/>";
  }
  for (std::size_t i = 0; i < d.footers.size(); ++i) {
    const std::string name = "footer" + std::to_string(i + 1) + ".xml";
    parts.push_back({"word/" + name, std::string(kXmlHead) + "<w:ftr " + kW + ">" +
                                         WordParagraph({d.footers[i]}) + "</w:ftr>"});
    overrides.push_back({"word/" + name, wml + "footer+xml"});
    rels.push_back({"footer", name});
    sect += "<w:footerReference w:type=\"default\" r:id=\"rId" + std::to_string(rels.size()) + "\"/>";
  }
  sect += "</w:sectPr>";
  if (!d.footnotes.empty()) {
    std::string x = std::string(kXmlHead) + "<w:footnotes " + kW + ">";
    for (std::size_t i = 0; i < d.footnotes.size(); ++i)
      x += "<w:footnote w:id=\"" + std::to_string(i + 1) + "\">" + WordParagraph({d.footnotes[i]}) +
           "</w:footnote>";
    parts.push_back({"word/footnotes.xml", x + "</w:footnotes>"});
    overrides.push_back({"word/footnotes.xml", wml + "footnotes+xml"});
    rels.push_back({"footnotes", "footnotes.xml"});
  }
  if (!d.comments.empty()) {
    std::string x = std::string(kXmlHead) + "<w:comments " + kW + ">";
    for (std::size_t i = 0; i < d.comments.size(); ++i)
      x += "<w:comment w:id=\"" + std::to_string(i) + "\" w:author=\"검토자\">" +
           WordParagraph({d.comments[i]}) + "</w:comment>";
    parts.push_back({"word/comments.xml", x + "</w:comments>"});
    overrides.push_back({"word/comments.xml", wml + "comments+xml"});
    rels.push_back({"comments", "comments.xml"});
  }
  std::string body = std::string(kXmlHead) + "<w:document " + kW + "><w:body>";
  for (const auto& p : d.body) body += WordParagraph(p);
  body += sect + "</w:body></w:document>";
  parts.insert(parts.begin(), {"word/document.xml", body});
  parts.insert(parts.begin(), {"_rels/.rels", Relationships({{"officeDocument", "word/document.xml"}})});
  parts.insert(parts.begin(), {"[Content_Types].xml", ContentTypes(overrides)});
  parts.push_back({"word/_rels/document.xml.rels", Relationships(rels)});
  return parts;
}

Parts XlsxParts(const std::vector<XlsxSheet>& sheets) {
  const std::string sml = "application/vnd.openxmlformats-officedocument.spreadsheetml.";
  const char* const kS =
      "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";
  std::vector<std::pair<std::string, std::string>> overrides{
      {"xl/workbook.xml", sml + "sheet.main+xml"},
      {"xl/sharedStrings.xml", sml + "sharedStrings+xml"},
      {"xl/styles.xml", sml + "styles+xml"}};
  std::vector<std::pair<std::string, std::string>> rels;
  std::vector<std::string> shared;
  std::map<std::string, int> formatStyle;  // code -> cellXfs index
  Parts parts;
  std::string workbook = std::string(kXmlHead) + "<workbook " + kS + "><sheets>";
  for (std::size_t s = 0; s < sheets.size(); ++s) {
    const std::string name = "sheet" + std::to_string(s + 1) + ".xml";
    rels.push_back({"worksheet", "worksheets/" + name});
    overrides.push_back({"xl/worksheets/" + name, sml + "worksheet+xml"});
    workbook += "<sheet name=\"" + Esc(sheets[s].name) + "\" sheetId=\"" + std::to_string(s + 1) +
                "\" r:id=\"rId" + std::to_string(rels.size()) + "\"/>";
    std::string x = std::string(kXmlHead) + "<worksheet " + kS + "><sheetData>";
    for (std::size_t r = 0; r < sheets[s].rows.size(); ++r) {
      x += "<row r=\"" + std::to_string(r + 1) + "\">";
      for (std::size_t c = 0; c < sheets[s].rows[r].size() && c < 26; ++c) {
        const XlsxCell& cell = sheets[s].rows[r][c];
        const std::string ref = std::string(1, char('A' + c)) + std::to_string(r + 1);
        switch (cell.kind) {
          case XlsxCell::Kind::Shared:
            x += "<c r=\"" + ref + "\" t=\"s\"><v>" + std::to_string(shared.size()) + "</v></c>";
            shared.push_back(cell.text);
            break;
          case XlsxCell::Kind::Inline:
            x += "<c r=\"" + ref + "\" t=\"inlineStr\"><is><t>" + Esc(cell.text) + "</t></is></c>";
            break;
          case XlsxCell::Kind::Number: {
            std::string style;
            if (!cell.numberFormat.empty()) {
              const auto it = formatStyle.emplace(cell.numberFormat, int(formatStyle.size()) + 1).first;
              style = " s=\"" + std::to_string(it->second) + "\"";
            }
            x += "<c r=\"" + ref + "\"" + style + "><v>" + cell.text + "</v></c>";
            break;
          }
        }
      }
      x += "</row>";
    }
    parts.push_back({"xl/worksheets/" + name, x + "</sheetData></worksheet>"});
  }
  workbook += "</sheets></workbook>";
  rels.push_back({"sharedStrings", "sharedStrings.xml"});
  rels.push_back({"styles", "styles.xml"});
  std::string sst =
      std::string(kXmlHead) + "<sst " + kS + " count=\"" + std::to_string(shared.size()) + "\">";
  for (const std::string& s : shared)
    sst += "<si><r><t xml:space=\"preserve\">" + Esc(s) +
           "</t></r><rPh sb=\"0\" eb=\"1\"><t>ふりがな</t></rPh></si>";
  sst += "</sst>";
  std::vector<std::pair<int, std::string>> byStyle;
  for (const auto& [code, style] : formatStyle) byStyle.push_back({style, code});
  std::sort(byStyle.begin(), byStyle.end());
  std::string styles = std::string(kXmlHead) + "<styleSheet " + kS + "><numFmts count=\"" +
                       std::to_string(byStyle.size()) + "\">";
  for (const auto& [style, code] : byStyle)
    styles += "<numFmt numFmtId=\"" + std::to_string(163 + style) + "\" formatCode=\"" + Esc(code) + "\"/>";
  styles += "</numFmts><cellXfs count=\"" + std::to_string(byStyle.size() + 1) + "\"><xf numFmtId=\"0\"/>";
  for (const auto& [style, code] : byStyle)
    styles += "<xf numFmtId=\"" + std::to_string(163 + style) + "\" applyNumberFormat=\"1\"/>";
  styles += "</cellXfs></styleSheet>";
  parts.insert(parts.begin(), {"xl/workbook.xml", workbook});
  parts.insert(parts.begin(), {"_rels/.rels", Relationships({{"officeDocument", "xl/workbook.xml"}})});
  parts.insert(parts.begin(), {"[Content_Types].xml", ContentTypes(overrides)});
  parts.push_back({"xl/_rels/workbook.xml.rels", Relationships(rels)});
  parts.push_back({"xl/sharedStrings.xml", sst});
  parts.push_back({"xl/styles.xml", styles});
  return parts;
}

Parts PptxParts(const std::vector<Slide>& slides) {
  const std::string pml = "application/vnd.openxmlformats-officedocument.presentationml.";
  const char* const kP =
      "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
      "xmlns:p=\"http://schemas.openxmlformats.org/presentationml/2006/main\"";
  const auto shapes = [](const std::vector<std::string>& paragraphs) {
    std::string x = "<p:cSld><p:spTree><p:sp><p:txBody><a:bodyPr/>";
    for (const std::string& p : paragraphs)
      x += "<a:p><a:r><a:rPr lang=\"ko-KR\"/><a:t>" + Esc(p) + "</a:t></a:r></a:p>";
    return x + "</p:txBody></p:sp></p:spTree></p:cSld>";
  };
  std::vector<std::pair<std::string, std::string>> overrides{
      {"ppt/presentation.xml", pml + "presentation.main+xml"}};
  std::vector<std::pair<std::string, std::string>> rels;
  Parts parts;
  std::string pres = std::string(kXmlHead) + "<p:presentation " + kP + "><p:sldIdLst>";
  for (std::size_t i = 0; i < slides.size(); ++i) {
    const std::string n = std::to_string(i + 1);
    rels.push_back({"slide", "slides/slide" + n + ".xml"});
    pres +=
        "<p:sldId id=\"" + std::to_string(256 + i) + "\" r:id=\"rId" + std::to_string(rels.size()) + "\"/>";
    overrides.push_back({"ppt/slides/slide" + n + ".xml", pml + "slide+xml"});
    parts.push_back({"ppt/slides/slide" + n + ".xml", std::string(kXmlHead) + "<p:sld " + kP + ">" +
                                                          shapes(slides[i].paragraphs) + "</p:sld>"});
    if (!slides[i].notes.empty()) {
      overrides.push_back({"ppt/notesSlides/notesSlide" + n + ".xml", pml + "notesSlide+xml"});
      parts.push_back(
          {"ppt/notesSlides/notesSlide" + n + ".xml",
           std::string(kXmlHead) + "<p:notes " + kP + ">" + shapes(slides[i].notes) + "</p:notes>"});
      parts.push_back({"ppt/slides/_rels/slide" + n + ".xml.rels",
                       Relationships({{"notesSlide", "../notesSlides/notesSlide" + n + ".xml"}})});
    }
  }
  pres += "</p:sldIdLst></p:presentation>";
  parts.insert(parts.begin(), {"ppt/presentation.xml", pres});
  parts.insert(parts.begin(), {"_rels/.rels", Relationships({{"officeDocument", "ppt/presentation.xml"}})});
  parts.insert(parts.begin(), {"[Content_Types].xml", ContentTypes(overrides)});
  parts.push_back({"ppt/_rels/presentation.xml.rels", Relationships(rels)});
  return parts;
}

Parts HwpxParts(const std::vector<std::vector<std::string>>& sections) {
  const char* const kH =
      "xmlns:hs=\"http://www.hancom.co.kr/hwpml/2011/section\" "
      "xmlns:hp=\"http://www.hancom.co.kr/hwpml/2011/paragraph\"";
  Parts parts{{"mimetype", "application/hwp+zip"}};
  std::string manifest = std::string(kXmlHead) +
                         "<odf:manifest xmlns:odf=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\"/>";
  std::string hpf =
      std::string(kXmlHead) + "<opf:package xmlns:opf=\"http://www.idpf.org/2007/opf/\"><opf:manifest>";
  std::string spine = "<opf:spine>";
  for (std::size_t s = 0; s < sections.size(); ++s) {
    const std::string name = "section" + std::to_string(s) + ".xml";
    hpf += "<opf:item id=\"section" + std::to_string(s) + "\" href=\"Contents/" + name +
           "\" media-type=\"application/xml\"/>";
    spine += "<opf:itemref idref=\"section" + std::to_string(s) + "\"/>";
    std::string x = std::string(kXmlHead) + "<hs:sec " + kH + ">";
    for (const std::string& p : sections[s]) {
      x += "<hp:p paraPrIDRef=\"0\" styleIDRef=\"0\"><hp:run charPrIDRef=\"0\"><hp:t>";
      // A tab inside the text, written as OWPML does.
      const std::size_t tab = p.find('\t');
      x += tab == std::string::npos
               ? Esc(p)
               : Esc(p.substr(0, tab)) + "<hp:tab width=\"4000\"/>" + Esc(p.substr(tab + 1));
      x += "</hp:t></hp:run></hp:p>";
    }
    parts.push_back({"Contents/" + name, x + "</hs:sec>"});
  }
  parts.push_back({"Contents/content.hpf", hpf + "</opf:manifest>" + spine + "</opf:spine></opf:package>"});
  parts.push_back({"META-INF/manifest.xml", manifest});
  return parts;
}

std::string HwpRecord(unsigned tag, unsigned level, const std::string& payload) {
  std::string r;
  const std::size_t size = payload.size();
  AppendLe(r, (tag & 0x3FF) | (level & 0x3FF) << 10 | std::uint32_t(size >= 0xFFF ? 0xFFF : size) << 20, 4);
  if (size >= 0xFFF) AppendLe(r, std::uint32_t(size), 4);
  return r + payload;
}

std::string HwpParagraphs(const std::vector<std::string>& paragraphs, bool withControl) {
  constexpr unsigned kParaHeader = 0x10 + 50, kParaText = 0x10 + 51;
  std::string out;
  for (std::size_t i = 0; i < paragraphs.size(); ++i) {
    std::string text;
    if (withControl && i == 0) {
      // A table control ("tbl " with its data): eight units that are not text.
      AppendLe(text, 11, 2);
      text += "lbt ";
      for (int k = 0; k < 4; ++k) AppendLe(text, 0x4142, 2);
      AppendLe(text, 11, 2);
    }
    AppendUtf16(text, paragraphs[i]);
    AppendLe(text, 13, 2);
    std::string header;
    AppendLe(header, std::uint32_t(text.size() / 2), 4);
    header.append(18, '\0');
    out += HwpRecord(kParaHeader, 0, header);
    out += HwpRecord(kParaText, 1, text);
  }
  return out;
}

bool WriteHwp(const std::string& path, const std::vector<std::string>& sections, const HwpOptions& o) {
  GError* err = nullptr;
  GsfOutput* file = GSF_OUTPUT(gsf_output_stdio_new(path.c_str(), &err));
  if (!file) {
    if (err) g_error_free(err);
    return false;
  }
  GsfOutfile* ole = gsf_outfile_msole_new(file);
  std::string header = "HWP Document File";
  header.resize(32, '\0');
  AppendLe(header, 0x05000300, 4);
  AppendLe(header, (o.compressed ? 1u : 0u) | (o.password ? 2u : 0u) | (o.distribution ? 4u : 0u), 4);
  header.resize(256, '\0');
  bool ok = WriteChild(ole, "FileHeader", header);
  const std::string docInfo = HwpRecord(0x10, 0, std::string(26, '\0'));
  ok = ok && WriteChild(ole, "DocInfo", o.compressed ? RawDeflate(docInfo) : docInfo);
  GsfOutput* body = gsf_outfile_new_child(ole, o.distribution ? "ViewText" : "BodyText", TRUE);
  for (std::size_t i = 0; ok && i < sections.size(); ++i)
    ok = WriteChild(GSF_OUTFILE(body), ("Section" + std::to_string(i)).c_str(),
                    o.compressed ? RawDeflate(sections[i]) : sections[i]);
  gsf_output_close(body);
  g_object_unref(body);
  ok = gsf_output_close(GSF_OUTPUT(ole)) && ok;  // closes the file under it too
  g_object_unref(ole);
  g_object_unref(file);
  return ok;
}

bool WritePdf(const std::string& path, const std::vector<std::string>& pages) {
  QPdfWriter writer(QString::fromStdString(path));
  writer.setPageSize(QPageSize(QPageSize::A4));
  writer.setResolution(72);
  QPainter p;
  if (!p.begin(&writer)) return false;
  p.setFont(QFont(QStringLiteral("NanumGothic"), 11));
  for (std::size_t i = 0; i < pages.size(); ++i) {
    if (i > 0) writer.newPage();
    int y = 60;
    for (const QString& line : QString::fromStdString(pages[i]).split(QLatin1Char('\n'))) {
      p.drawText(50, y, line);
      y += 16;
    }
  }
  return p.end();
}

}  // namespace vek::samples
