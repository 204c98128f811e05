// Extract: the file's checks (exists, readable, size), the choice of reader by extension, and the plain-text
// reader with its encodings.
#include "inspect/extract.h"

#include <sys/stat.h>

#include <QBuffer>
#include <QByteArray>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <thread>
#include <vector>

#include "inspect/formats.h"
#include "inspect/line_pieces.h"
#include "platform/text/text.h"

namespace vek::inspect {

namespace detail {

namespace say {
std::string Damaged(std::string_view format) {
  return "문서가 손상되었거나 " + std::string(format) + " 형식이 아니어서 내용을 읽을 수 없습니다.";
}
std::string DamagedAfter() {
  return "문서의 뒷부분이 손상되어 앞부분만 읽었습니다.";
}
std::string TooLong(const Limits& l) {
  return "문서가 길어 앞부분 " + std::to_string(l.maxTextBytes >> 20) + " MB만 읽었습니다.";
}
std::string PartTooLarge() {
  return "문서의 압축을 풀면 너무 커서 앞부분만 읽었습니다.";
}
std::string Encrypted() {
  return "암호로 보호된 문서라서 내용을 볼 수 없습니다.";
}
std::string Doctype() {
  return "문서에 허용되지 않는 XML 선언(DTD)이 있어 열지 않았습니다.";
}
}  // namespace say

void SetOutcome(Extraction& x, Status s, std::string sentence) {
  if (x.status != Status::Ok) return;
  x.status = s;
  x.sentence = std::move(sentence);
}

void NoteFull(Extraction& x, const TextSink& sink, const Limits& l) {
  if (sink.Full()) SetOutcome(x, Status::Partial, say::TooLong(l));
}

namespace {

void AppendUtf16(std::string& out, std::string_view b, bool bigEndian) {
  out.reserve(out.size() + b.size() * 3 / 2);
  const auto unit = [&](std::size_t i) -> char16_t {
    const auto hi = static_cast<unsigned char>(b[bigEndian ? i : i + 1]);
    const auto lo = static_cast<unsigned char>(b[bigEndian ? i + 1 : i]);
    return char16_t(hi << 8 | lo);
  };
  for (std::size_t i = 0; i + 1 < b.size(); i += 2) {
    char32_t cp = unit(i);
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < b.size()) {
      const char16_t low = unit(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    AppendCodePoint(out, cp);
  }
}

// UTF-16 without a mark: NUL bytes in most odd (little endian) or even (big endian) places of the start.
int GuessUtf16(std::string_view b) {
  const std::size_t n = std::min<std::size_t>(b.size(), 4096) & ~std::size_t(1);
  if (n < 4) return 0;
  std::size_t evenNul = 0, oddNul = 0;
  for (std::size_t i = 0; i < n; i += 2) {
    evenNul += b[i] == 0;
    oddNul += b[i + 1] == 0;
  }
  const std::size_t pairs = n / 2;
  if (oddNul * 10 >= pairs * 4 && evenNul * 10 < pairs) return 1;  // little endian
  if (evenNul * 10 >= pairs * 4 && oddNul * 10 < pairs) return 2;  // big endian
  return 0;
}

// CP949 with every byte that does not decode replaced by U+FFFD. The double-byte characters come from a
// table filled once from the platform's converter, so a long text decodes in one pass without a call per
// line or character.
class Cp949Table {
 public:
  static const Cp949Table& Get() {
    static const Cp949Table table;
    return table;
  }
  // The code point of lead and trail bytes, 0 when they are no character.
  char16_t At(unsigned char lead, unsigned char trail) const {
    if (lead < 0x81 || lead == 0xFF || trail < 0x41 || trail == 0xFF) return 0;
    return cp_[std::size_t(lead - 0x81) * kTrails + (trail - 0x41)];
  }

 private:
  static constexpr std::size_t kTrails = 0xFF - 0x41;
  Cp949Table() : cp_(std::size_t(0xFF - 0x81) * kTrails, 0) {
    std::string utf8;
    for (unsigned lead = 0x81; lead < 0xFF; ++lead)
      for (unsigned trail = 0x41; trail < 0xFF; ++trail) {
        const char pair[2] = {char(lead), char(trail)};
        if (!plat::text::TryCp949ToUtf8(std::string_view(pair, 2), utf8) || utf8.size() != 3) continue;
        const auto u = [&](std::size_t i) { return char16_t(static_cast<unsigned char>(utf8[i])); };
        cp_[std::size_t(lead - 0x81) * kTrails + (trail - 0x41)] =
            char16_t((u(0) & 0x0F) << 12 | (u(1) & 0x3F) << 6 | (u(2) & 0x3F));
      }
  }
  std::vector<char16_t> cp_;
};

void AppendCp949Piece(std::string& out, std::string_view b) {
  const Cp949Table& table = Cp949Table::Get();
  // Room for valid text (two bytes grow into three at most); only bytes that are no character need more.
  std::size_t used = out.size();
  out.resize(used + b.size() * 3 / 2 + 8);
  char* o = out.data() + used;
  char* end = out.data() + out.size();
  const auto* p = reinterpret_cast<const unsigned char*>(b.data());
  const std::size_t n = b.size();
  for (std::size_t i = 0; i < n;) {
    if (end - o < 4) {
      used = std::size_t(o - out.data());
      out.resize(out.size() + (n - i) * 3 + 8);
      o = out.data() + used;
      end = out.data() + out.size();
    }
    const unsigned char c = p[i];
    if (c < 0x80) {
      *o++ = char(c);
      ++i;
      continue;
    }
    const char16_t cp = i + 1 < n ? table.At(c, p[i + 1]) : 0;
    const char32_t w = cp ? cp : 0xFFFD;  // a lone or invalid byte: U+FFFD for that byte alone
    if (w < 0x800) {
      *o++ = char(0xC0 | (w >> 6));
      *o++ = char(0x80 | (w & 0x3F));
    } else {
      *o++ = char(0xE0 | (w >> 12));
      *o++ = char(0x80 | ((w >> 6) & 0x3F));
      *o++ = char(0x80 | (w & 0x3F));
    }
    i += cp ? 2 : 1;
  }
  out.resize(std::size_t(o - out.data()));
}

// A line break is never the second byte of a CP949 character, so a long text is decoded in pieces cut after
// line breaks, one thread each, and the pieces put together in order.
void AppendCp949Lenient(std::string& out, std::string_view b) {
  const std::vector<std::size_t> cuts = LinePieces(b);
  if (cuts.size() == 2) return AppendCp949Piece(out, b);
  std::vector<std::string> pieces(cuts.size() - 2);
  {
    std::vector<std::jthread> workers;
    for (std::size_t k = 1; k + 1 < cuts.size(); ++k)
      workers.emplace_back(
          [&, k] { AppendCp949Piece(pieces[k - 1], b.substr(cuts[k], cuts[k + 1] - cuts[k])); });
    AppendCp949Piece(out, b.substr(0, cuts[1]));
  }
  std::size_t total = out.size();
  for (const std::string& piece : pieces) total += piece.size();
  out.reserve(total);
  for (const std::string& piece : pieces) out += piece;
}

// Character data of HTML: the XML entities, and a no-break space as a blank.
void AppendHtmlDecoded(std::string& out, std::string_view raw) {
  for (std::size_t nb; (nb = raw.find("&nbsp;")) != std::string_view::npos; raw.remove_prefix(nb + 6)) {
    AppendXmlDecoded(out, raw.substr(0, nb));
    out += ' ';
  }
  AppendXmlDecoded(out, raw);
}

// The text of an HTML page: markup, scripts and styles removed, block ends as line breaks, cells as tabs.
std::string HtmlText(std::string_view h) {
  std::string out;
  out.reserve(h.size() / 2);
  const auto lower = [](std::string_view s) {
    std::string l(s);
    for (char& c : l)
      if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return l;
  };
  std::size_t i = 0;
  while (i < h.size()) {
    const std::size_t lt = h.find('<', i);
    AppendHtmlDecoded(out, h.substr(i, (lt == std::string_view::npos ? h.size() : lt) - i));
    if (lt == std::string_view::npos) break;
    if (h.substr(lt).starts_with("<!--")) {
      const std::size_t e = h.find("-->", lt + 4);
      i = e == std::string_view::npos ? h.size() : e + 3;
      continue;
    }
    const std::size_t gt = h.find('>', lt);
    if (gt == std::string_view::npos) break;
    std::size_t ne = lt + 1;
    if (ne < gt && h[ne] == '/') ++ne;
    std::size_t ns = ne;
    while (ne < gt && h[ne] != ' ' && h[ne] != '/' && h[ne] != '\t' && h[ne] != '\n' && h[ne] != '\r') ++ne;
    const std::string name = lower(h.substr(ns, ne - ns));
    i = gt + 1;
    if ((name == "script" || name == "style") && h[lt + 1] != '/') {
      const std::string close = "</" + name;
      std::size_t e = i;
      for (;;) {
        e = h.find("</", e);
        if (e == std::string_view::npos || lower(h.substr(e, close.size())) == close) break;
        e += 2;
      }
      const std::size_t end = e == std::string_view::npos ? std::string_view::npos : h.find('>', e);
      i = end == std::string_view::npos ? h.size() : end + 1;
      continue;
    }
    static constexpr std::string_view kBlocks[] = {"p",  "br", "div", "tr",    "li", "h1", "h2",    "h3",
                                                   "h4", "h5", "h6",  "table", "ul", "ol", "title", "hr"};
    if ((name == "td" || name == "th") && h[lt + 1] != '/') {
      out += '\t';
    } else if (std::find(std::begin(kBlocks), std::end(kBlocks), name) != std::end(kBlocks)) {
      if (!out.empty() && out.back() != '\n') out += '\n';
    }
  }
  return out;
}

}  // namespace

void ExtractPlain(std::string_view bytes, bool html, bool cut, Extraction& x, const Limits& l) {
  std::string text = DecodeText(bytes);
  if (html) text = HtmlText(text);
  TextSink sink(x.text, l.maxTextBytes);
  sink.Append(text);
  NoteFull(x, sink, l);
  if (cut) SetOutcome(x, Status::Partial, say::TooLong(l));
}

}  // namespace detail

using namespace detail;

std::string DecodeText(std::string_view b) {
  std::string out;
  const auto starts = [b](std::string_view m) { return b.substr(0, m.size()) == m; };
  if (starts("\xEF\xBB\xBF")) {
    b.remove_prefix(3);
    if (plat::text::IsValidUtf8(b)) return std::string(b);
    AppendCp949Lenient(out, b);  // a mark in front of text that is not UTF-8 after all
    return out;
  }
  if (starts("\xFF\xFE") || starts("\xFE\xFF")) {
    AppendUtf16(out, b.substr(2), b[0] == '\xFE');
    return out;
  }
  if (const int guess = GuessUtf16(b)) {
    AppendUtf16(out, b, guess == 2);
    return out;
  }
  if (plat::text::IsValidUtf8(b)) return std::string(b);
  // A text cut in the middle of a UTF-8 character is still UTF-8.
  std::size_t tail = b.size();
  while (tail > 0 && b.size() - tail < 4 && (static_cast<unsigned char>(b[tail - 1]) & 0xC0) == 0x80) --tail;
  if (tail > 0 && b.size() - tail < 4 && static_cast<unsigned char>(b[tail - 1]) >= 0xC0 &&
      plat::text::IsValidUtf8(b.substr(0, tail - 1)))
    return std::string(b.substr(0, tail - 1));
  AppendCp949Lenient(out, b);
  return out;
}

namespace {

std::string Lower(std::string_view s) {
  std::string l(s);
  for (char& c : l)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return l;
}

std::string Extension(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  const std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
  return Lower(path.substr(dot + 1));
}

enum class Family { Plain, Html, Zip, Hwp, Pdf, Legacy, None };

Family FamilyOf(std::string_view ext) {
  if (ext == "txt" || ext == "csv" || ext == "log" || ext == "xml" || ext == "json") return Family::Plain;
  if (ext == "html" || ext == "htm") return Family::Html;
  if (ext == "docx" || ext == "xlsx" || ext == "pptx" || ext == "hwpx") return Family::Zip;
  if (ext == "hwp") return Family::Hwp;
  if (ext == "pdf") return Family::Pdf;
  if (ext == "doc" || ext == "xls" || ext == "ppt") return Family::Legacy;
  return Family::None;
}

std::string MegaBytes(std::uint64_t bytes) {
  return std::to_string((bytes + (1 << 20) - 1) >> 20);
}

// Reads at most max bytes of a file; false with the reason's sentence when it cannot.
bool ReadPrefix(const std::string& path, std::uint64_t max, std::string& out, std::string& sentence) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    sentence = errno == EACCES ? "파일을 읽을 권한이 없습니다." : "파일을 열 수 없습니다.";
    return false;
  }
  out.resize(std::size_t(max));
  const std::size_t got = std::fread(out.data(), 1, out.size(), f);
  const bool failed = std::ferror(f);
  std::fclose(f);
  out.resize(got);
  if (failed) sentence = "파일을 읽는 중에 오류가 났습니다.";
  return !failed;
}

void Dispatch(std::string_view bytes, Family family, std::string_view ext, bool cut, Extraction& x,
              const Limits& l, std::stop_token stop) {
  switch (family) {
    case Family::Plain:
      ExtractPlain(bytes, false, cut, x, l);
      break;
    case Family::Html:
      ExtractPlain(bytes, true, cut, x, l);
      break;
    case Family::Zip: {
      if (bytes.starts_with("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) {
        if (OleHasStream(bytes, "EncryptedPackage"))
          SetOutcome(x, Status::Encrypted, say::Encrypted());
        else
          SetOutcome(x, Status::Damaged, say::Damaged(ext));
        break;
      }
      QByteArray data = QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size()));
      QBuffer buffer(&data);
      buffer.open(QIODevice::ReadOnly);
      ExtractZip(buffer, ext, x, l, stop);
      break;
    }
    case Family::Hwp:
      ExtractHwp(bytes, x, l, stop);
      break;
    case Family::Pdf:
      ExtractPdf(bytes, x, l, stop);
      break;
    case Family::Legacy:
    case Family::None:
      SetOutcome(x, Status::Unsupported, "이 형식은 미리 볼 수 없습니다.");
      break;
  }
  if (stop.stop_requested()) {
    x.status = Status::Cancelled;
    x.sentence = "읽기를 그만두었습니다.";
    x.text.clear();
  }
}

}  // namespace

bool IsPreviewable(std::string_view path) {
  return FamilyOf(Extension(path)) != Family::None;
}

Extraction ExtractBytes(std::string_view bytes, std::string_view format, std::stop_token stop,
                        const Limits& l) {
  Extraction x;
  x.format = Lower(format);
  const Family family = FamilyOf(x.format);
  Dispatch(bytes, family == Family::Legacy ? Family::None : family, x.format, false, x, l, stop);
  return x;
}

Extraction Extract(const std::string& path, std::stop_token stop, const Limits& l) {
  Extraction x;
  x.format = Extension(path);
  const Family family = FamilyOf(x.format);
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR)
      SetOutcome(x, Status::Missing, "파일이 없습니다.");
    else
      SetOutcome(x, Status::Unreadable,
                 errno == EACCES ? "파일을 읽을 권한이 없습니다." : "파일을 읽을 수 없습니다.");
    return x;
  }
  if (S_ISDIR(st.st_mode)) {
    SetOutcome(x, Status::Unreadable, "파일이 아니라 폴더입니다.");
    return x;
  }
  if (!S_ISREG(st.st_mode)) {
    SetOutcome(x, Status::Unreadable, "보통 파일이 아니어서(장치, 파이프 등) 읽지 않았습니다.");
    return x;
  }
  if (family == Family::None) {
    SetOutcome(x, Status::Unsupported,
               x.format.empty() ? "확장자가 없는 파일은 미리 볼 수 없습니다."
                                : "이 형식(." + x.format + ")은 미리 볼 수 없습니다.");
    return x;
  }
  const auto size = std::uint64_t(st.st_size);
  const bool plain = family == Family::Plain || family == Family::Html;
  // Plain text is read up to what the text may hold (a CP949 byte never grows into more than 3/2 bytes
  // of UTF-8, nor UTF-16's two bytes into more than three); every other format needs its whole file.
  if (!plain && size > l.maxFileBytes) {
    SetOutcome(x, Status::TooLarge,
               "파일이 너무 커서(" + MegaBytes(size) + " MB) 미리 볼 수 없습니다. 한도는 " +
                   MegaBytes(l.maxFileBytes) + " MB입니다.");
    return x;
  }
  if (family == Family::Legacy) {
    ExtractLegacy(path, x.format, x, l, stop);
    return x;
  }
  const std::uint64_t want = plain ? std::min<std::uint64_t>(size, l.maxTextBytes) : size;
  std::string bytes, sentence;
  if (!ReadPrefix(path, want, bytes, sentence)) {
    SetOutcome(x, Status::Unreadable, sentence);
    return x;
  }
  Dispatch(bytes, family, x.format, plain && size > want, x, l, stop);
  return x;
}

}  // namespace vek::inspect
