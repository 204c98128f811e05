// Text extraction, on documents each test writes itself: every format's places where text hides, and the
// files that must get a sentence instead of a crash, a hang or unbounded memory.
#include "inspect/extract.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stop_token>

#include "doc_writers.h"
#include "inspect/detect.h"
#include "platform/text/text.h"
#include "test_env.h"

using namespace vek::inspect;
using namespace vek::samples;

namespace {

class ExtractTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return (dir_.path() + "/").toStdString() + name; }
  std::string Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
    return Path(name);
  }
  std::string Read(const std::string& path) const {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
  }
  static bool Has(const Extraction& x, std::string_view s) { return x.text.find(s) != std::string::npos; }
  static std::string Summary(const Extraction& x) { return SummaryLine(Detect(x.text)); }

  QTemporaryDir dir_;
};

// The zip's central directory and local header give each entry's uncompressed size; this sets both.
std::string WithDeclaredSize(std::string zip, std::uint32_t size) {
  const auto put = [&](std::size_t at) {
    for (int i = 0; i < 4; ++i) zip[at + std::size_t(i)] = char((size >> (8 * i)) & 0xFF);
  };
  for (std::size_t p = zip.find("PK\x03\x04"); p != std::string::npos; p = zip.find("PK\x03\x04", p + 4))
    put(p + 22);
  for (std::size_t p = zip.find("PK\x01\x02"); p != std::string::npos; p = zip.find("PK\x01\x02", p + 4))
    put(p + 24);
  return zip;
}

}  // namespace

TEST_F(ExtractTest, PlainTextInEachEncodingPeopleSave) {
  const std::string text = "고객 홍길동 010-1234-5678\r\n주민 900101-1234568\r\n";
  std::string utf16le = "\xFF\xFE", utf16be = "\xFE\xFF", bare16;
  for (QChar c : QString::fromStdString(text)) {
    utf16le += char(c.unicode() & 0xFF), utf16le += char(c.unicode() >> 8);
    utf16be += char(c.unicode() >> 8), utf16be += char(c.unicode() & 0xFF);
  }
  bare16 = utf16le.substr(2);
  const std::pair<const char*, std::string> files[] = {
      {"cp949.txt", plat::text::Utf8ToCp949(text)},
      {"utf8.csv", text},
      {"bom.log", "\xEF\xBB\xBF" + text},
      {"le.json", utf16le},
      {"be.xml", utf16be},
      {"bare.txt", bare16},
  };
  for (const auto& [name, bytes] : files) {
    const Extraction x = Extract(Write(name, bytes));
    EXPECT_EQ(x.status, Status::Ok) << name << ": " << x.sentence;
    EXPECT_TRUE(Has(x, "고객 홍길동")) << name << ": " << x.text;
    EXPECT_EQ(Summary(x), "찾은 개인정보: 주민등록번호 1건, 휴대폰번호 1건") << name;
  }
  // A byte that is not CP949 costs only itself.
  const Extraction bad =
      Extract(Write("bad.txt", plat::text::Utf8ToCp949("첫 줄 010-1234-5678\n") + "\xFF\x80 둘째\n"));
  EXPECT_EQ(Summary(bad), "찾은 개인정보: 휴대폰번호 1건");
  EXPECT_TRUE(Has(bad, "\xEF\xBF\xBD")) << bad.text;
}

TEST_F(ExtractTest, HtmlLosesItsMarkupScriptsAndStyles) {
  const Extraction x = Extract(Write("page.HTML",
                                     "<html><head><title>명단</title><style>p{color:red}</style><script>var "
                                     "a='010-9999-8888';</script></head>"
                                     "<body><p>연락&nbsp;처</p><table><tr><td>김&amp;이</"
                                     "td><td>010-1234-5678</td></tr></table></body></html>"));
  EXPECT_EQ(x.status, Status::Ok);
  EXPECT_FALSE(Has(x, "color")) << x.text;
  EXPECT_TRUE(Has(x, "김&이\t010-1234-5678")) << x.text;
  EXPECT_EQ(Summary(x), "찾은 개인정보: 휴대폰번호 1건");
}

TEST_F(ExtractTest, WordDocumentEveryStoryAndNumbersSplitOverRuns) {
  WordDocument w;
  w.body = {{"주민등록번호: 9001", "01-12", "34568"}, {"둘째 문단"}};
  w.headers = {"머리 010-1111-2222"};
  w.footers = {"바닥 02-123-4567"};
  w.footnotes = {"각주 a@example.com"};
  w.comments = {"메모 010-3333-4444"};
  ASSERT_TRUE(WriteZip(Path("a.docx"), DocxParts(w)));
  const Extraction x = Extract(Path("a.docx"));
  EXPECT_EQ(x.status, Status::Ok) << x.sentence;
  EXPECT_EQ(x.format, "docx");
  EXPECT_TRUE(Has(x, "주민등록번호: 900101-1234568\n둘째 문단\n")) << x.text;
  EXPECT_TRUE(Has(x, "[머리글]\n머리")) << x.text;
  EXPECT_EQ(Summary(x), "찾은 개인정보: 주민등록번호 1건, 휴대폰번호 2건, 전화번호 1건, 이메일 1건");
}

TEST_F(ExtractTest, SpreadsheetSharedInlineAndNumericCells) {
  XlsxSheet s{"고객",
              {{{XlsxCell::Kind::Shared, "성명"}, {XlsxCell::Kind::Inline, "900101-1234568"}},
               {{XlsxCell::Kind::Number, "1012345678", "000-0000-0000"}, {XlsxCell::Kind::Number, "42"}},
               {{XlsxCell::Kind::Number, "1.098765432E+9", "000\\-0000\\-0000"}}}};
  ASSERT_TRUE(WriteZip(Path("b.xlsx"),
                       XlsxParts({s, XlsxSheet{"둘", {{{XlsxCell::Kind::Shared, "a@example.com"}}}}})));
  const Extraction x = Extract(Path("b.xlsx"));
  EXPECT_EQ(x.status, Status::Ok) << x.sentence;
  EXPECT_TRUE(Has(x, "[시트: 고객]\n성명\t900101-1234568\n010-1234-5678\t42\n010-9876-5432\n[시트: 둘]"))
      << x.text;
  EXPECT_FALSE(Has(x, "ふりがな")) << "phonetic guides are not the cell's text";
  EXPECT_EQ(Summary(x), "찾은 개인정보: 주민등록번호 1건, 휴대폰번호 2건, 이메일 1건");
}

TEST_F(ExtractTest, PresentationSlidesAndNotesAndHancomSections) {
  ASSERT_TRUE(WriteZip(Path("c.pptx"),
                       PptxParts({{{"첫 장"}, {"노트 010-1234-5678"}}, {{"둘째 900101-1234568"}, {}}})));
  const Extraction p = Extract(Path("c.pptx"));
  EXPECT_EQ(p.status, Status::Ok) << p.sentence;
  EXPECT_TRUE(Has(p, "[슬라이드 1]\n첫 장\n[슬라이드 1 노트]\n노트 010-1234-5678\n[슬라이드 2]")) << p.text;
  ASSERT_TRUE(WriteZip(Path("d.hwpx"), HwpxParts({{"가\t010-1234-5678"}, {"나 900101-1234568"}})));
  const Extraction h = Extract(Path("d.hwpx"));
  EXPECT_EQ(h.status, Status::Ok) << h.sentence;
  EXPECT_TRUE(Has(h, "가\t010-1234-5678\n나 900101-1234568")) << h.text;
}

TEST_F(ExtractTest, HwpEverySectionByRecordPastTheFirstFourKilobytes) {
  std::vector<std::string> first{"표 앞"};
  for (int i = 0; i < 80; ++i) first.push_back("채우는 문단입니다. 숫자는 없습니다.");
  first.push_back("늦은 번호 900101-1234568");
  const std::vector<std::string> sections{HwpParagraphs(first, true),
                                          HwpParagraphs({"둘째 구역 010-1234-5678"})};
  ASSERT_GT(sections[0].size(), 4096u);
  for (bool compressed : {true, false}) {
    ASSERT_TRUE(WriteHwp(Path("e.hwp"), sections, {compressed, false, false}));
    const Extraction x = Extract(Path("e.hwp"));
    EXPECT_EQ(x.status, Status::Ok) << x.sentence;
    EXPECT_TRUE(x.text.starts_with("표 앞\n"))
        << "the table control's eight units are not text: " << x.text.substr(0, 40);
    EXPECT_EQ(Summary(x), "찾은 개인정보: 주민등록번호 1건, 휴대폰번호 1건") << compressed;
  }
}

TEST_F(ExtractTest, HwpLockedDistributedOrLyingGetsASentence) {
  const std::vector<std::string> sections{HwpParagraphs({"본문 010-1234-5678"})};
  ASSERT_TRUE(WriteHwp(Path("pw.hwp"), sections, {true, true, false}));
  EXPECT_EQ(Extract(Path("pw.hwp")).status, Status::Encrypted);
  ASSERT_TRUE(WriteHwp(Path("dist.hwp"), sections, {true, false, true}));
  const Extraction dist = Extract(Path("dist.hwp"));
  EXPECT_EQ(dist.status, Status::Encrypted);
  EXPECT_NE(dist.sentence.find("배포용 문서"), std::string::npos) << dist.sentence;
  // A record whose length runs far past its stream: the paragraphs before it are kept.
  std::string lying = HwpParagraphs({"앞 문단 010-1234-5678"}) + HwpRecord(0x43, 1, "xx");
  lying[lying.size() - 6 + 3] = char(0x7F);  // the last header's size: 0x7F2 bytes instead of 2
  ASSERT_TRUE(WriteHwp(Path("lie.hwp"), {lying}));
  const Extraction lie = Extract(Path("lie.hwp"));
  EXPECT_EQ(lie.status, Status::Partial);
  EXPECT_EQ(Summary(lie), "찾은 개인정보: 휴대폰번호 1건");
  EXPECT_EQ(Extract(Write("junk.hwp", std::string(3000, 'j'))).status, Status::Damaged);
}

TEST_F(ExtractTest, PdfPagesAndALockedOrDamagedPdf) {
  ASSERT_TRUE(WritePdf(Path("f.pdf"), {"1쪽 900101-1234568", "2쪽 연락 010-1234-5678"}));
  const Extraction x = Extract(Path("f.pdf"));
  EXPECT_EQ(x.status, Status::Ok) << x.sentence;
  EXPECT_NE(x.text.find('\f'), std::string::npos) << "pages are apart";
  EXPECT_EQ(Summary(x), "찾은 개인정보: 주민등록번호 1건, 휴대폰번호 1건") << x.text;

  const std::string pdf = Read(Path("f.pdf"));
  const Extraction cut = Extract(Write("cut.pdf", pdf.substr(0, pdf.size() / 3)));
  EXPECT_FALSE(cut.status == Status::Ok && cut.sentence.empty() && cut.text.empty());
  EXPECT_EQ(Extract(Write("junk.pdf", "%PDF-1.4\n" + std::string(500, '(') + "\n%%EOF")).status,
            Status::Damaged);

  if (std::system("command -v qpdf >/dev/null 2>&1") != 0) GTEST_SKIP() << "qpdf is not installed";
  const std::string cmd =
      "qpdf --encrypt user owner 256 -- '" + Path("f.pdf") + "' '" + Path("locked.pdf") + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  const Extraction locked = Extract(Path("locked.pdf"));
  EXPECT_EQ(locked.status, Status::Encrypted);
  EXPECT_EQ(locked.sentence, "암호로 보호된 PDF라서 내용을 볼 수 없습니다.");
  EXPECT_TRUE(locked.text.empty());
}

TEST_F(ExtractTest, LegacyOfficeThroughItsToolOrASentence) {
  Write("old.doc", "\xD0\xCF\x11\xE0 not really");
  {
    EnvVar path("PATH", Path("empty-bin"));
    const Extraction x = Extract(Path("old.doc"));
    EXPECT_EQ(x.status, Status::Unsupported);
    EXPECT_EQ(x.sentence,
              "이 형식(.doc)은 여기서 미리 볼 수 없습니다. catdoc 프로그램이 설치되어 있지 않습니다.");
  }
  // A stand-in tool shows what the reader asks of it and takes its UTF-8 output.
  std::filesystem::create_directory(Path("bin"));
  Write("bin/xls2csv", "#!/bin/sh\necho \"args: $1 $2\"\necho '\"김\",\"010-1234-5678\"'\n");
  std::filesystem::permissions(Path("bin/xls2csv"), std::filesystem::perms::owner_all);
  Write("old.xls", "x");
  EnvVar path("PATH", Path("bin") + ":/usr/bin:/bin");
  const Extraction x = Extract(Path("old.xls"));
  EXPECT_EQ(x.status, Status::Ok) << x.sentence;
  EXPECT_TRUE(Has(x, "args: -d utf-8")) << x.text;
  EXPECT_EQ(Summary(x), "찾은 개인정보: 휴대폰번호 1건");
}

TEST_F(ExtractTest, HostileZipsGetASentenceWithinTheLimits) {
  Limits small;
  small.maxPartBytes = 1 << 20;
  small.maxUnpackedBytes = 2 << 20;
  // A bomb: ten megabytes of the same byte inside the body.
  WordDocument bomb;
  bomb.body = {{"시작 010-1234-5678"}, {std::string(10 << 20, 'a')}};
  ASSERT_TRUE(WriteZip(Path("bomb.docx"), DocxParts(bomb)));
  EXPECT_LT(std::filesystem::file_size(Path("bomb.docx")), 200000u);
  const Extraction b = Extract(Path("bomb.docx"), {}, small);
  EXPECT_EQ(b.status, Status::TooLarge);
  EXPECT_EQ(b.sentence, "문서의 압축을 풀면 너무 커서(10 MB) 열지 않았습니다.");
  EXPECT_TRUE(b.text.empty());
  // The same bomb declaring a small size: only that much is unpacked, and the failed checksum is told.
  const Extraction lying =
      Extract(Write("lying.docx", WithDeclaredSize(Read(Path("bomb.docx")), 1000)), {}, small);
  EXPECT_EQ(lying.status, Status::Partial);
  EXPECT_EQ(lying.sentence, "문서의 뒷부분이 손상되어 앞부분만 읽었습니다.");
  EXPECT_LE(lying.text.size(), 1000u);
  EXPECT_EQ(Summary(lying), "찾은 개인정보: 휴대폰번호 1건");

  // An entry that would climb out of an unpacking folder.
  Parts climbing = DocxParts({{{"본문"}}, {}, {}, {}, {}});
  climbing.push_back({"word/../../evil.xml", "x"});
  ASSERT_TRUE(WriteZip(Path("climb.docx"), climbing));
  const Extraction c = Extract(Path("climb.docx"));
  EXPECT_EQ(c.status, Status::Damaged);
  EXPECT_TRUE(c.text.empty());
  EXPECT_NE(c.sentence.find("(..)"), std::string::npos) << c.sentence;

  // Every entry declaring 2 GB.
  ASSERT_TRUE(WriteZip(Path("plain.docx"), DocxParts({{{"본문 010-1234-5678"}}, {}, {}, {}, {}})));
  const Extraction d =
      Extract(Write("declared.docx", WithDeclaredSize(Read(Path("plain.docx")), 0x80000000u)));
  EXPECT_EQ(d.status, Status::TooLarge);
  EXPECT_EQ(d.sentence, "문서의 압축을 풀면 너무 커서(2048 MB) 열지 않았습니다.");

  // Entity expansion: a document type declaration is refused before any entity is read.
  std::string laughs = "<?xml version=\"1.0\"?><!DOCTYPE w [<!ENTITY a \"aaaaaaaaaa\">";
  for (char e = 'b'; e <= 'k'; ++e) {
    const std::string ref = std::string("&") + char(e - 1) + ";";
    laughs += std::string("<!ENTITY ") + e + " \"" + ref + ref + ref + ref + ref + ref + ref + ref + ref +
              ref + "\">";
  }
  laughs += "]><w:document xmlns:w=\"w\"><w:body><w:p><w:r><w:t>&k;</w:t></w:r></w:p></w:body></w:document>";
  Parts entity = DocxParts({{{"x"}}, {}, {}, {}, {}});
  for (auto& [name, content] : entity)
    if (name == "word/document.xml") content = laughs;
  ASSERT_TRUE(WriteZip(Path("laughs.docx"), entity));
  const Extraction l = Extract(Path("laughs.docx"));
  EXPECT_EQ(l.status, Status::Damaged);
  EXPECT_EQ(l.sentence, "문서에 허용되지 않는 XML 선언(DTD)이 있어 열지 않았습니다.");

  EXPECT_EQ(Extract(Write("notzip.pptx", "PK\x03\x04 but nothing else")).status, Status::Damaged);
}

TEST_F(ExtractTest, AFirstPageIsTheBeginningOfTheWholeText) {
  // A long body of Korean lines with numbers and escaped characters, and one whose first thousands of
  // paragraphs are empty, so its first page lies past the part's beginning.
  WordDocument longBody, lateText;
  for (int i = 0; i < 20000; ++i)
    longBody.body.push_back(
        {"고객 " + std::to_string(i) + " 연락처 010-1234-" + std::to_string(1000 + i % 9000),
         " <기타> & \"메모\""});
  lateText.body.assign(5000, {""});
  for (int i = 0; i < 3000; ++i) lateText.body.push_back({"늦게 나오는 문단 " + std::to_string(i)});
  ASSERT_TRUE(WriteZip(Path("long.docx"), DocxParts(longBody)));
  ASSERT_TRUE(WriteZip(Path("late.docx"), DocxParts(lateText)));
  for (const char* name : {"long.docx", "late.docx"}) {
    const Extraction whole = Extract(Path(name));
    ASSERT_EQ(whole.status, Status::Ok) << name;
    for (std::size_t limit : {std::size_t(100), std::size_t(4096), std::size_t(65536)}) {
      Limits first;
      first.maxTextBytes = limit;
      const Extraction page = Extract(Path(name), {}, first);
      EXPECT_EQ(page.status, Status::Partial) << name << " " << limit;
      EXPECT_GT(page.text.size(), limit - 4) << name << " " << limit;
      EXPECT_EQ(whole.text.substr(0, page.text.size()), page.text) << name << " " << limit;
    }
  }
}

TEST_F(ExtractTest, FilesThatCannotBeReadSayWhy) {
  const Extraction missing = Extract(Path("없음.txt"));
  EXPECT_EQ(missing.status, Status::Missing);
  EXPECT_EQ(missing.sentence, "파일이 없습니다.");
  std::filesystem::create_directory(Path("folder.docx"));
  EXPECT_EQ(Extract(Path("folder.docx")).sentence, "파일이 아니라 폴더입니다.");
  EXPECT_EQ(Extract(Write("x.bin", "abc")).status, Status::Unsupported);

  Limits tiny;
  tiny.maxFileBytes = 1000;
  tiny.maxTextBytes = 64;
  WordDocument big;
  big.body.assign(50, {std::string(200, 'z')});
  ASSERT_TRUE(WriteZip(Path("big.docx"), DocxParts(big)));
  ASSERT_GT(std::filesystem::file_size(Path("big.docx")), 1000u);
  const Extraction tooBig = Extract(Path("big.docx"), {}, tiny);
  EXPECT_EQ(tooBig.status, Status::TooLarge);
  EXPECT_NE(tooBig.sentence.find("한도는 1 MB"), std::string::npos) << tooBig.sentence;

  // Plain text longer than the text limit: its start, cut at a character.
  std::string hangul;
  for (int i = 0; i < 100; ++i) hangul += "가";
  const Extraction cut = Extract(Write("long.txt", "aaaaaaaaaa" + hangul), {}, tiny);
  EXPECT_EQ(cut.status, Status::Partial);
  EXPECT_LE(cut.text.size(), 64u);
  EXPECT_TRUE(plat::text::IsValidUtf8(cut.text));
}

TEST_F(ExtractTest, AStopEndsTheReadingWithCancelled) {
  WordDocument w;
  w.body.assign(2000, {"문단 010-1234-5678"});
  ASSERT_TRUE(WriteZip(Path("g.docx"), DocxParts(w)));
  std::stop_source stop;
  stop.request_stop();
  const Extraction x = Extract(Path("g.docx"), stop.get_token());
  EXPECT_EQ(x.status, Status::Cancelled);
  EXPECT_TRUE(x.text.empty());
}

// A long CP949 text is decoded in pieces on several threads: the pieces join into the whole text, a lone
// lead byte before a line break (where pieces are cut) staying one replacement character.
TEST(DecodeLongText, PiecesJoinIntoTheWholeText) {
  std::string utf8, cp949;
  for (int i = 0; cp949.size() < (std::size_t(10) << 20); ++i) {
    const std::string line = "개인정보 " + std::to_string(i) + " 홍길동 010-1234-5678 ";
    utf8 += line;
    cp949 += plat::text::Utf8ToCp949(line);
    if (i % 5000 == 0) {
      utf8 += "\xEF\xBF\xBD";  // U+FFFD for the lone lead byte
      cp949 += '\xB0';
    }
    utf8 += '\n';
    cp949 += '\n';
  }
  const std::string decoded = vek::inspect::DecodeText(cp949);
  ASSERT_EQ(decoded.size(), utf8.size());
  EXPECT_TRUE(decoded == utf8);
}
