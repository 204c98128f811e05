// The zip formats: .docx, .xlsx, .pptx (Office Open XML) and .hwpx (Hancom's OWPML), read through QuaZip.
//
// A package is opened only when every entry name is safe ("..", an absolute path or a drive are refused:
// such a file was made to attack an unpacker) and no entry is encrypted. Parts are unpacked into memory
// one at a time, each bounded by the limits whatever size the entry declares, so a zip bomb costs at most
// maxPartBytes of memory and maxUnpackedBytes of work.
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipfileinfo.h>

#include <algorithm>
#include <limits>
#include <map>
#include <vector>

#include "inspect/formats.h"

namespace vek::inspect::detail {

namespace {

std::string Lower(std::string_view s) {
  std::string l(s);
  for (char& c : l)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return l;
}

bool UnsafeName(std::string_view n) {
  if (n.empty() || n[0] == '/' || n[0] == '\\' || (n.size() >= 2 && n[1] == ':')) return true;
  std::size_t b = 0;
  while (b <= n.size()) {
    std::size_t e = n.find_first_of("/\\", b);
    if (e == std::string_view::npos) e = n.size();
    if (n.substr(b, e - b) == "..") return true;
    b = e + 1;
  }
  return false;
}

// "ppt/slides/slide12.xml" sorts after "ppt/slides/slide2.xml".
bool NaturalLess(const std::string& a, const std::string& b) {
  const auto number = [](const std::string& s) {
    std::size_t e = s.rfind('.');
    if (e == std::string::npos) e = s.size();
    std::size_t d = e;
    while (d > 0 && s[d - 1] >= '0' && s[d - 1] <= '9') --d;
    return std::make_pair(s.substr(0, d), d < e && e - d < 9 ? std::stol(s.substr(d, e - d)) : -1L);
  };
  return number(a) < number(b);
}

class Package {
 public:
  Package(QIODevice& device, const Limits& l, std::stop_token stop) : zip_(&device), l_(l), stop_(stop) {}
  ~Package() { zip_.close(); }

  bool Open(Extraction& x, std::string_view format) {
    if (!zip_.open(QuaZip::mdUnzip)) {
      SetOutcome(x, Status::Damaged, say::Damaged(format));
      return false;
    }
    int count = 0;
    for (bool more = zip_.goToFirstFile(); more; more = zip_.goToNextFile()) {
      if (++count > l_.maxZipEntries) {
        SetOutcome(x, Status::TooLarge, "문서 안의 항목이 너무 많아 열지 않았습니다.");
        return false;
      }
      if (count % 256 == 0 && stop_.stop_requested()) return false;
      QuaZipFileInfo64 info;
      if (!zip_.getCurrentFileInfo(&info)) break;
      const std::string name = info.name.toStdString();
      if (UnsafeName(name)) {
        SetOutcome(x, Status::Damaged, "문서 안에 경로가 올바르지 않은 항목(..)이 있어 열지 않았습니다.");
        return false;
      }
      if (info.uncompressedSize > l_.maxUnpackedBytes) {
        SetOutcome(x, Status::TooLarge,
                   "문서의 압축을 풀면 너무 커서(" + std::to_string(info.uncompressedSize >> 20) +
                       " MB) 열지 않았습니다.");
        return false;
      }
      if (info.isEncrypted()) {
        SetOutcome(x, Status::Encrypted, say::Encrypted());
        return false;
      }
      names_.emplace(Lower(name), name);
    }
    if (zip_.getZipError() != 0 && names_.empty()) {
      SetOutcome(x, Status::Damaged, say::Damaged(format));
      return false;
    }
    return true;
  }

  bool Has(std::string_view name) const { return names_.count(Lower(name)) > 0; }

  // The names under a folder whose file name starts with stem and ends in ".xml", in natural order.
  std::vector<std::string> Parts(std::string_view folder, std::string_view stem) const {
    std::vector<std::string> out;
    const std::string prefix = Lower(folder) + Lower(stem);
    for (const auto& [lower, name] : names_) {
      if (!lower.starts_with(prefix) || !lower.ends_with(".xml")) continue;
      if (lower.find('/', folder.size()) != std::string::npos) continue;  // not in a sub-folder
      out.push_back(lower);
    }
    std::sort(out.begin(), out.end(), NaturalLess);
    return out;
  }

  // Unpacks a part (name compared without case). False when it is missing or unreadable; a part cut at
  // the limit is returned in part, with the outcome noted. With prefix, at most that many bytes are
  // unpacked (a first page needs only the part's beginning); whole tells whether the part was read to its
  // end.
  bool Read(std::string_view name, std::string& out, Extraction& x,
            std::size_t prefix = std::numeric_limits<std::size_t>::max(), bool* whole = nullptr) {
    if (whole) *whole = false;
    out.clear();
    const auto it = names_.find(Lower(name));
    if (it == names_.end()) return false;
    if (!zip_.setCurrentFile(QString::fromStdString(it->second))) return false;
    QuaZipFile f(&zip_);
    if (!f.open(QIODevice::ReadOnly)) {
      SetOutcome(x, Status::Partial, say::DamagedAfter());
      return false;
    }
    const std::size_t cap =
        std::min(l_.maxPartBytes, l_.maxUnpackedBytes - std::min(unpacked_, l_.maxUnpackedBytes));
    constexpr std::size_t kChunk = 1 << 16;
    for (;;) {
      if (stop_.stop_requested()) break;
      if (out.size() >= prefix) return true;  // the beginning asked for (no checksum to check yet)
      if (out.size() >= cap) {
        SetOutcome(x, Status::Partial, say::PartTooLarge());
        break;
      }
      const std::size_t want = std::min({kChunk, cap - out.size(), prefix - out.size()});
      const std::size_t at = out.size();
      out.resize(at + want);
      const qint64 got = f.read(out.data() + at, qint64(want));
      if (got <= 0) {
        out.resize(at);
        if (got < 0) SetOutcome(x, Status::Partial, say::DamagedAfter());
        break;
      }
      out.resize(at + std::size_t(got));
    }
    unpacked_ += out.size();
    const bool atEnd = f.atEnd();
    f.close();
    // An entry read to its end whose checksum fails: its size or data lie (a size may be declared small to
    // slip past a limit), so only what was read is trusted.
    if (atEnd && f.getZipError() != UNZ_OK) SetOutcome(x, Status::Partial, say::DamagedAfter());
    if (whole) *whole = true;
    return true;
  }

 private:
  QuaZip zip_;
  const Limits& l_;
  std::stop_token stop_;
  std::map<std::string, std::string> names_;  // lower case -> as stored
  std::size_t unpacked_ = 0;
};

// Where relationships point: relationship id -> part name (lower case), resolved against the source part.
std::map<std::string, std::string> Relationships(
    Package& p, const std::string& sourcePart, Extraction& x,
    std::vector<std::pair<std::string, std::string>>* typed = nullptr) {
  std::map<std::string, std::string> out;
  const std::size_t slash = sourcePart.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : sourcePart.substr(0, slash + 1);
  const std::string relsName = folder + "_rels/" + sourcePart.substr(folder.size()) + ".rels";
  std::string xml;
  if (!p.Read(relsName, xml, x)) return out;
  XmlReader r(xml);
  for (XmlReader::Token t; (t = r.Next()) != XmlReader::Token::Eof && t != XmlReader::Token::Error;) {
    if (t != XmlReader::Token::Start || r.LocalName() != "Relationship") continue;
    if (r.Attr("TargetMode") == "External") continue;
    std::string target;
    AppendXmlDecoded(target, r.Attr("Target"));
    std::string path = target.starts_with("/") ? target.substr(1) : folder + target;
    // Fold "a/../b" (never above the root).
    std::vector<std::string> segs;
    std::size_t b = 0;
    while (b <= path.size()) {
      std::size_t e = path.find('/', b);
      if (e == std::string::npos) e = path.size();
      const std::string seg = path.substr(b, e - b);
      if (seg == "..") {
        if (!segs.empty()) segs.pop_back();
      } else if (!seg.empty() && seg != ".") {
        segs.push_back(seg);
      }
      b = e + 1;
    }
    path.clear();
    for (const std::string& s : segs) path += (path.empty() ? "" : "/") + s;
    const std::string id(r.Attr("Id"));
    out[id] = Lower(path);
    if (typed) typed->emplace_back(std::string(r.Attr("Type")), Lower(path));
  }
  return out;
}

// Walks one part into the text under a label line ("[머리글]"); the label goes when the part gave no text.
// False when the walk must end (the text is full, the part refused, or a stop).
// A first page (little room left in the text) unpacks the part's beginning first, this many bytes of XML per
// byte of room: it nearly always holds the text wanted, and a large document then shows its first page
// without its whole body being unpacked. Only when the beginning does not fill the text is the part read
// whole and walked again.
constexpr std::size_t kFirstPageRoom = std::size_t(1) << 20;
constexpr std::size_t kPrefixPerTextByte = 16;

bool WalkPart(Package& p, std::string_view part, std::string_view label, const XmlTextRules& rules,
              TextSink& sink, Extraction& x, std::string_view format, std::stop_token stop) {
  std::string xml;
  const std::size_t before = sink.Text().size();
  const auto walk = [&] {
    if (!label.empty()) {
      sink.EndLine();
      sink.Append(label);
      sink.Append('\n');
    }
    const std::size_t afterLabel = sink.Text().size();
    const XmlWalk w = WalkXmlText(xml, rules, sink, stop);
    if (sink.Text().size() == afterLabel) sink.Text().resize(before);
    sink.EndLine();
    return w;
  };
  XmlWalk w = XmlWalk::Done;
  bool walked = false;
  if (const std::size_t room = sink.Room(); room > 0 && room <= kFirstPageRoom) {
    bool whole = false;
    if (!p.Read(part, xml, x, room * kPrefixPerTextByte, &whole)) return !stop.stop_requested();
    if (!whole) {
      // Cut before the last tag's "<": every text and tag walked is then whole, as in the whole part.
      const std::size_t lastTag = xml.rfind('<');
      xml.resize(lastTag == std::string::npos ? 0 : lastTag);
      w = walk();
      if (w == XmlWalk::Full || w == XmlWalk::Cancelled) {
        walked = true;
      } else {
        sink.Truncate(before);
        if (!p.Read(part, xml, x)) return !stop.stop_requested();
      }
    }
  } else if (!p.Read(part, xml, x)) {
    return !stop.stop_requested();
  }
  if (!walked) w = walk();
  switch (w) {
    case XmlWalk::Done:
      return true;
    case XmlWalk::Full:
      return false;
    case XmlWalk::Cancelled:
      return false;
    case XmlWalk::Doctype:
      sink.Text().resize(before);
      SetOutcome(x, Status::Damaged, say::Doctype());
      return false;
    case XmlWalk::Malformed:
      SetOutcome(x, before == 0 && sink.Text().empty() ? Status::Damaged : Status::Partial,
                 before == 0 && sink.Text().empty() ? say::Damaged(format) : say::DamagedAfter());
      return true;
  }
  return true;
}

// --- Word ---------------------------------------------------------------------------------------------

constexpr std::string_view kWordText[] = {"t", "delText"}, kWordTab[] = {"tab"}, kWordBreak[] = {"br", "cr"},
                           kParagraph[] = {"p"}, kWordSkip[] = {"pPr", "rPr", "instrText", "tabs"};
constexpr XmlTextRules kWordRules{kWordText, kWordTab, kWordBreak, kParagraph, kWordSkip};

void Docx(Package& p, TextSink& sink, Extraction& x, std::stop_token stop) {
  std::string body = "word/document.xml";
  for (const auto& [type, target] : [&] {
         std::vector<std::pair<std::string, std::string>> typed;
         Relationships(p, "", x, &typed);
         return typed;
       }())
    if (type.ends_with("/officeDocument")) body = target;
  if (!p.Has(body)) {
    SetOutcome(x, Status::Damaged, say::Damaged("docx"));
    return;
  }
  if (!WalkPart(p, body, "", kWordRules, sink, x, "docx", stop)) return;
  const std::size_t slash = body.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : body.substr(0, slash + 1);
  const std::pair<std::string_view, std::string_view> kParts[] = {{"header", "[머리글]"},
                                                                  {"footer", "[바닥글]"},
                                                                  {"footnotes", "[각주]"},
                                                                  {"endnotes", "[미주]"},
                                                                  {"comments", "[메모]"}};
  for (const auto& [stem, label] : kParts)
    for (const std::string& part : p.Parts(folder, stem))
      if (!WalkPart(p, part, label, kWordRules, sink, x, "docx", stop)) return;
}

// --- PowerPoint ---------------------------------------------------------------------------------------

constexpr std::string_view kT[] = {"t"}, kBr[] = {"br"};
constexpr XmlTextRules kSlideRules{kT, {}, kBr, kParagraph, {}};

void Pptx(Package& p, TextSink& sink, Extraction& x, std::stop_token stop) {
  const std::vector<std::string> slides = p.Parts("ppt/slides/", "slide");
  if (slides.empty() && !p.Has("ppt/presentation.xml")) {
    SetOutcome(x, Status::Damaged, say::Damaged("pptx"));
    return;
  }
  int n = 0;
  for (const std::string& slide : slides) {
    ++n;
    if (!WalkPart(p, slide, "[슬라이드 " + std::to_string(n) + "]", kSlideRules, sink, x, "pptx", stop))
      return;
    std::vector<std::pair<std::string, std::string>> typed;
    Relationships(p, slide, x, &typed);
    for (const auto& [type, target] : typed)
      if (type.ends_with("/notesSlide") && !WalkPart(p, target, "[슬라이드 " + std::to_string(n) + " 노트]",
                                                     kSlideRules, sink, x, "pptx", stop))
        return;
  }
}

// --- Hancom OWPML -------------------------------------------------------------------------------------

constexpr std::string_view kLineBreak[] = {"lineBreak"};
constexpr XmlTextRules kHwpxRules{kT, kWordTab, kLineBreak, kParagraph, {}};

void Hwpx(Package& p, TextSink& sink, Extraction& x, std::stop_token stop) {
  std::string manifest;
  if (p.Read("META-INF/manifest.xml", manifest, x) && manifest.find("encryption-data") != std::string::npos) {
    SetOutcome(x, Status::Encrypted, say::Encrypted());
    return;
  }
  const std::vector<std::string> sections = p.Parts("Contents/", "section");
  if (sections.empty()) {
    SetOutcome(x, Status::Damaged, say::Damaged("hwpx"));
    return;
  }
  for (const std::string& s : sections)
    if (!WalkPart(p, s, "", kHwpxRules, sink, x, "hwpx", stop)) return;
}

// --- Excel --------------------------------------------------------------------------------------------

// A cell number format made only of digit places ("0", "#") and literals ("-", blanks, brackets, "\x",
// quoted text), applied to an integer: "000-0000-0000" shows 1012345678 as "010-1234-5678".
bool DigitPicture(std::string_view code, std::string_view digits, std::string& out) {
  code = code.substr(0, code.find(';'));
  std::vector<std::pair<char, std::string>> items;  // '0', '#' or 'L' with its literal
  int places = 0;
  for (std::size_t i = 0; i < code.size(); ++i) {
    const char c = code[i];
    if (c == '0' || c == '#') {
      items.push_back({c, {}});
      ++places;
    } else if (c == '\\' && i + 1 < code.size()) {
      items.push_back({'L', std::string(1, code[++i])});
    } else if (c == '"') {
      const std::size_t e = code.find('"', i + 1);
      if (e == std::string_view::npos) return false;
      items.push_back({'L', std::string(code.substr(i + 1, e - i - 1))});
      i = e;
    } else if (c == '-' || c == ' ' || c == '(' || c == ')') {
      items.push_back({'L', std::string(1, c)});
    } else {
      return false;
    }
  }
  if (places == 0) return false;
  std::string rev;
  std::size_t d = digits.size();
  int placesLeft = places;
  for (std::size_t i = items.size(); i-- > 0;) {
    const auto& [kind, lit] = items[i];
    if (kind == 'L') {
      rev.append(lit.rbegin(), lit.rend());
      continue;
    }
    --placesLeft;
    if (placesLeft == 0)  // the first place takes every digit left over
      while (d > 1) rev += digits[--d];
    if (d > 0)
      rev += digits[--d];
    else if (kind == '0')
      rev += '0';
  }
  out.assign(rev.rbegin(), rev.rend());
  return true;
}

// A cell's number as text: an integer value (also one written as 9.001011234567E+12) in plain digits.
std::string NumberText(std::string_view v, std::string* integerDigits) {
  std::string s(v);
  char* end = nullptr;
  const double d = std::strtod(s.c_str(), &end);
  if (end && *end == 0 && !s.empty() && d >= 0 && d < 1e15 && d == double(static_cast<long long>(d))) {
    s = std::to_string(static_cast<long long>(d));
    if (integerDigits) *integerDigits = s;
  }
  return s;
}

struct Styles {
  std::map<int, std::string> formats;  // numFmtId -> code
  std::vector<int> cellFormats;        // cellXfs index -> numFmtId
};

Styles ReadStyles(Package& p, Extraction& x) {
  Styles st;
  std::string xml;
  if (!p.Read("xl/styles.xml", xml, x)) return st;
  XmlReader r(xml);
  int depthInXfs = 0;
  for (XmlReader::Token t; (t = r.Next()) != XmlReader::Token::Eof && t != XmlReader::Token::Error;) {
    const std::string_view n = r.LocalName();
    if (t == XmlReader::Token::Start) {
      if (n == "numFmt") {
        std::string code;
        AppendXmlDecoded(code, r.Attr("formatCode"));
        st.formats[std::atoi(std::string(r.Attr("numFmtId")).c_str())] = code;
      } else if (n == "cellXfs") {
        depthInXfs = 1;
      } else if (depthInXfs == 1 && n == "xf") {
        st.cellFormats.push_back(std::atoi(std::string(r.Attr("numFmtId")).c_str()));
        ++depthInXfs;
      } else if (depthInXfs > 0) {
        ++depthInXfs;
      }
    } else if (t == XmlReader::Token::End && depthInXfs > 0) {
      --depthInXfs;
    }
  }
  return st;
}

// Shared strings, within the text limit (phonetic guides left out).
std::vector<std::string> ReadSharedStrings(Package& p, Extraction& x, const Limits& l) {
  std::vector<std::string> out;
  std::string xml;
  if (!p.Read("xl/sharedStrings.xml", xml, x)) return out;
  XmlReader r(xml);
  int inT = 0, inPhonetic = 0;
  std::size_t total = 0;
  for (XmlReader::Token t; (t = r.Next()) != XmlReader::Token::Eof && t != XmlReader::Token::Error;) {
    const std::string_view n = r.LocalName();
    if (t == XmlReader::Token::Start) {
      if (n == "si") out.emplace_back();
      if (n == "t") ++inT;
      if (n == "rPh") ++inPhonetic;
    } else if (t == XmlReader::Token::End) {
      if (n == "t" && inT) --inT;
      if (n == "rPh" && inPhonetic) --inPhonetic;
    } else if (inT && !inPhonetic && !out.empty()) {
      const std::size_t before = out.back().size();
      r.AppendText(out.back());
      if ((total += out.back().size() - before) > l.maxTextBytes) break;
    }
  }
  return out;
}

void Xlsx(Package& p, TextSink& sink, Extraction& x, const Limits& l, std::stop_token stop) {
  if (!p.Has("xl/workbook.xml")) {
    SetOutcome(x, Status::Damaged, say::Damaged("xlsx"));
    return;
  }
  const std::vector<std::string> shared = ReadSharedStrings(p, x, l);
  const Styles styles = ReadStyles(p, x);
  // The sheets in the workbook's order, with their names.
  std::vector<std::pair<std::string, std::string>> sheets;  // name, part
  {
    const auto rels = Relationships(p, "xl/workbook.xml", x);
    std::string xml;
    p.Read("xl/workbook.xml", xml, x);
    XmlReader r(xml);
    for (XmlReader::Token t; (t = r.Next()) != XmlReader::Token::Eof && t != XmlReader::Token::Error;) {
      if (t != XmlReader::Token::Start || r.LocalName() != "sheet") continue;
      const auto it = rels.find(std::string(r.Attr("id")));
      if (it == rels.end()) continue;
      std::string name;
      AppendXmlDecoded(name, r.Attr("name"));
      sheets.emplace_back(name, it->second);
    }
    if (sheets.empty())
      for (const std::string& part : p.Parts("xl/worksheets/", "sheet")) sheets.emplace_back("", part);
  }
  std::string xml, value, inlineText, digits, shown;
  for (const auto& [name, part] : sheets) {
    if (!p.Read(part, xml, x)) continue;
    const std::size_t before = sink.Text().size();
    sink.EndLine();
    sink.Append("[시트" + (name.empty() ? std::string() : ": " + name) + "]\n");
    const std::size_t afterLabel = sink.Text().size();
    XmlReader r(xml);
    std::string type;
    int style = 0, inValue = 0, inInline = 0, cellsInRow = 0;
    std::size_t nextStopCheck = 1 << 16;
    XmlReader::Token t;
    while ((t = r.Next()) != XmlReader::Token::Eof && t != XmlReader::Token::Error && !sink.Full()) {
      if (r.Position() >= nextStopCheck) {
        if (stop.stop_requested()) return;
        nextStopCheck = r.Position() + (1 << 16);
      }
      const std::string_view n = r.LocalName();
      if (t == XmlReader::Token::Start) {
        if (n == "c") {
          type.assign(r.Attr("t"));
          style = std::atoi(std::string(r.Attr("s")).c_str());
          value.clear();
          inlineText.clear();
        } else if (n == "v") {
          ++inValue;
        } else if (n == "t") {
          ++inInline;
        }
      } else if (t == XmlReader::Token::End) {
        if (n == "v" && inValue) --inValue;
        if (n == "t" && inInline) --inInline;
        if (n == "row") {
          sink.EndLine();
          cellsInRow = 0;
        } else if (n == "c") {
          if (type == "s") {
            const std::size_t i = std::size_t(std::atol(value.c_str()));
            shown = value.empty() || i >= shared.size() ? std::string() : shared[i];
          } else if (type == "inlineStr") {
            shown = inlineText;
          } else if (type.empty() || type == "n") {
            digits.clear();
            shown = NumberText(value, &digits);
            const int fmt = style >= 0 && std::size_t(style) < styles.cellFormats.size()
                                ? styles.cellFormats[std::size_t(style)]
                                : 0;
            const auto code = styles.formats.find(fmt);
            if (!digits.empty() && code != styles.formats.end()) DigitPicture(code->second, digits, shown);
          } else {
            shown = value;
          }
          if (!shown.empty()) {
            if (cellsInRow++ > 0) sink.Append('\t');
            sink.Append(shown);
          }
        }
      } else if (t == XmlReader::Token::Text) {
        if (inValue)
          r.AppendText(value);
        else if (inInline)
          r.AppendText(inlineText);
      }
    }
    if (t == XmlReader::Token::Error && r.HasDoctype()) {
      SetOutcome(x, Status::Damaged, say::Doctype());
      return;
    }
    if (t == XmlReader::Token::Error) SetOutcome(x, Status::Partial, say::DamagedAfter());
    if (sink.Text().size() == afterLabel) sink.Text().resize(before);
    sink.EndLine();
    if (sink.Full()) {
      NoteFull(x, sink, l);
      return;
    }
  }
}

}  // namespace

void ExtractZip(QIODevice& device, std::string_view format, Extraction& x, const Limits& l,
                std::stop_token stop) {
  Package p(device, l, stop);
  if (!p.Open(x, format)) return;
  TextSink sink(x.text, l.maxTextBytes);
  if (format == "docx")
    Docx(p, sink, x, stop);
  else if (format == "xlsx")
    Xlsx(p, sink, x, l, stop);
  else if (format == "pptx")
    Pptx(p, sink, x, stop);
  else
    Hwpx(p, sink, x, stop);
  if (sink.Full()) NoteFull(x, sink, l);
  if (x.status == Status::Damaged || x.status == Status::Encrypted) x.text.clear();
}

}  // namespace vek::inspect::detail
