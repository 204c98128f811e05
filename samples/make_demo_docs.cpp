// make_demo_docs DIR [--manifest]: writes real documents of each format the preview reads natively, with
// made-up personal information, into DIR/D/업무자료/2024/미리보기, and adds a scanner line for each to the
// result file DIR/C/result.csv (CP949, CR LF) when it exists. With --manifest it prints, per document, its
// host path, a tab and the summary line its contents call for ("찾은 개인정보: 주민등록번호 4건, ...").
#include <QGuiApplication>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "doc_writers.h"
#include "platform/text/text.h"

namespace {

using namespace vek::samples;

// The kinds in the order the summary line lists them.
constexpr std::array<const char*, 9> kKinds = {"주민등록번호", "외국인등록번호", "휴대폰번호",
                                               "전화번호",     "계좌번호",       "여권번호",
                                               "운전면허번호", "이메일",         "신용카드번호"};
enum K { Rrn, Arn, Mobile, Phone, Account, Passport, License, Email, Card };

const char* const kNames[] = {"김민준", "이서연", "박지호", "최수아", "정도윤",
                              "강하은", "조예준", "윤지우", "장서준", "임하윤"};

std::string Pad(int v, int width) {
  std::string s = std::to_string(v);
  return std::string(std::size_t(std::max(0, width - int(s.size()))), '0') + s;
}

// One document's made-up people; every number it hands out is counted for the expected summary.
class Demo {
 public:
  std::string Name(int i) const { return kNames[i % 10]; }
  std::string ResidentNumber(int i) { return Registration(i, false); }
  std::string ForeignerNumber(int i) { return Registration(i, true); }
  std::string MobileNumber(int i) {
    ++counts_[Mobile];
    return "010-" + Pad(2000 + i * 137 % 7000, 4) + "-" + Pad(1000 + i * 911 % 9000, 4);
  }
  std::string PhoneNumber(int i) {
    ++counts_[Phone];
    return "02-" + Pad(300 + i * 7, 3) + "-" + Pad(4000 + i * 37, 4);
  }
  std::string AccountNumber(int i) {
    ++counts_[Account];
    return "110-" + Pad(100 + i, 3) + "-" + Pad(123456 + i * 7, 6);
  }
  std::string EmailAddress(int i) {
    ++counts_[Email];
    return "member" + std::to_string(i) + "@example.com";
  }
  std::string PassportNumber(int i) {
    ++counts_[Passport];
    return "M" + Pad(20240000 + i * 13, 8);
  }
  std::string LicenseNumber(int i) {
    ++counts_[License];
    return "11-" + Pad(10 + i % 80, 2) + "-" + Pad(123456 + i * 31, 6) + "-" + Pad(10 + i, 2);
  }
  std::string CardNumber(int i) {
    ++counts_[Card];
    std::string d = "4" + Pad(53201511 + i * 7, 8) + Pad(283030 + i, 6);  // 15 digits, then the Luhn digit
    int sum = 0;
    for (std::size_t k = 0; k < d.size(); ++k) {
      int v = d[d.size() - 1 - k] - '0';
      if (k % 2 == 0 && (v *= 2) > 9) v -= 9;
      sum += v;
    }
    d += char('0' + (10 - sum % 10) % 10);
    return d.substr(0, 4) + "-" + d.substr(4, 4) + "-" + d.substr(8, 4) + "-" + d.substr(12, 4);
  }

  std::string Summary() const {
    std::string s = "찾은 개인정보: ";
    bool any = false;
    for (std::size_t k = 0; k < kKinds.size(); ++k) {
      if (!counts_[k]) continue;
      s += std::string(any ? ", " : "") + kKinds[k] + " " + std::to_string(counts_[k]) + "건";
      any = true;
    }
    return any ? s : s + "없음";
  }
  // The scanner's kind field and hit count for the result file.
  std::string ScannerKind() const {
    std::string s;
    for (std::size_t k = 0; k < kKinds.size(); ++k)
      if (counts_[k]) s += (s.empty() ? "" : "·") + std::string(kKinds[k]);
    return s;
  }
  int Total() const {
    int t = 0;
    for (int c : counts_) t += c;
    return t;
  }

 private:
  std::string Registration(int i, bool foreigner) {
    ++counts_[foreigner ? Arn : Rrn];
    const int yy = 60 + i * 7 % 40, mm = 1 + i % 12, dd = 1 + i * 3 % 28;
    std::string d = Pad(yy, 2) + Pad(mm, 2) + Pad(dd, 2) + char('0' + (foreigner ? 5 : 1) + i % 2) +
                    Pad(i * 4271 % 100000, 5);
    static constexpr int kWeights[12] = {2, 3, 4, 5, 6, 7, 8, 9, 2, 3, 4, 5};
    int sum = 0;
    for (int k = 0; k < 12; ++k) sum += (d[std::size_t(k)] - '0') * kWeights[k];
    d += char('0' + ((foreigner ? 13 : 11) - sum % 11) % 10);
    return d.substr(0, 6) + "-" + d.substr(6);
  }
  std::array<int, 9> counts_{};
};

struct Written {
  std::string path, name;
  Demo demo;
};

bool WriteText(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary);
  f << bytes;
  return bool(f);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: make_demo_docs DIR [--manifest]\n");
    return 2;
  }
  const std::string root = argv[1];
  const bool manifest = argc > 2 && std::string(argv[2]) == "--manifest";
  qputenv("QT_QPA_PLATFORM", "offscreen");  // the PDF writer needs fonts, not a screen
  QGuiApplication app(argc, argv);
  const std::string windowsFolder = "D:\\업무자료\\2024\\미리보기";
  const std::filesystem::path folder = std::filesystem::path(root) / "D" / "업무자료" / "2024" / "미리보기";
  std::filesystem::create_directories(folder);
  std::vector<Written> docs;
  bool ok = true;
  const auto add = [&](const std::string& name, Demo demo, bool written) {
    ok = ok && written;
    docs.push_back({(folder / name).string(), name, demo});
  };

  {  // Word: a registration number split over runs, a telephone in the header, an address in a footnote.
    Demo d;
    WordDocument w;
    w.body.push_back({"고객 명단 (내부용)"});
    for (int i = 0; i < 4; ++i) {
      const std::string rrn = d.ResidentNumber(i);
      w.body.push_back({"성명: " + d.Name(i) + ", 주민등록번호: ", rrn.substr(0, 9), rrn.substr(9),
                        ", 연락처: " + d.MobileNumber(i)});
    }
    w.headers.push_back("담당 부서 " + d.PhoneNumber(1));
    w.footnotes.push_back("문의: " + d.EmailAddress(1));
    w.comments.push_back("확인 필요 " + d.MobileNumber(9));
    add("고객명단_미리보기.docx", d, WriteZip((folder / "고객명단_미리보기.docx").string(), DocxParts(w)));
  }
  {  // Excel: telephone numbers stored as numbers with a picture format.
    Demo d;
    XlsxSheet s{"고객",
                {{{XlsxCell::Kind::Shared, "성명"},
                  {XlsxCell::Kind::Shared, "주민등록번호"},
                  {XlsxCell::Kind::Shared, "휴대폰"},
                  {XlsxCell::Kind::Shared, "이메일"}}}};
    for (int i = 0; i < 5; ++i) {
      std::string mobile = d.MobileNumber(i + 2);
      std::string digits;
      for (char c : mobile.substr(1))
        if (c != '-') digits += c;
      s.rows.push_back({{XlsxCell::Kind::Shared, d.Name(i)},
                        {XlsxCell::Kind::Inline, d.ResidentNumber(i + 10)},
                        {XlsxCell::Kind::Number, digits, "000-0000-0000"},
                        {XlsxCell::Kind::Shared, d.EmailAddress(i + 2)}});
    }
    add("연락처_미리보기.xlsx", d, WriteZip((folder / "연락처_미리보기.xlsx").string(), XlsxParts({s})));
  }
  {  // PowerPoint: numbers on slides and in the notes.
    Demo d;
    std::vector<Slide> slides{
        {{"행사 참가자 연락처", d.Name(1) + " " + d.MobileNumber(1), d.Name(2) + " " + d.MobileNumber(2)},
         {"발표자 메모: " + d.ResidentNumber(3)}},
        {{"참가비 입금 계좌 " + d.AccountNumber(4)}, {}}};
    add("발표자료_미리보기.pptx", d,
        WriteZip((folder / "발표자료_미리보기.pptx").string(), PptxParts(slides)));
  }
  {  // Hancom OWPML.
    Demo d;
    std::vector<std::string> ps{"신청서 접수 목록"};
    for (int i = 0; i < 3; ++i)
      ps.push_back(d.Name(i) + "\t" + d.ResidentNumber(i + 20) + "\t" + d.MobileNumber(i + 20));
    add("신청서_미리보기.hwpx", d, WriteZip((folder / "신청서_미리보기.hwpx").string(), HwpxParts({ps})));
  }
  {  // HWP 5.0: two sections, a table control, numbers far past the first 4 KB.
    Demo d;
    std::vector<std::string> first{"급여 대장", d.Name(0) + " " + d.ResidentNumber(30)};
    for (int i = 0; i < 60; ++i)
      first.push_back("이 문단은 급여 대장의 설명입니다. 지급 기준과 공제 항목을 적습니다.");
    first.push_back(d.Name(1) + " " + d.ResidentNumber(31) + " " + d.MobileNumber(31));
    std::vector<std::string> second{d.Name(2) + " " + d.ResidentNumber(32) + " " + d.MobileNumber(32)};
    add("급여대장_미리보기.hwp", d,
        WriteHwp((folder / "급여대장_미리보기.hwp").string(),
                 {HwpParagraphs(first, true), HwpParagraphs(second)}));
  }
  {  // PDF: two pages.
    Demo d;
    const std::string p1 = "계약자 명부\n" + d.Name(0) + " " + d.ResidentNumber(40) + "\n" + d.Name(1) + " " +
                           d.ResidentNumber(41);
    const std::string p2 = "연락처 " + d.MobileNumber(42) + "\n전자우편 " + d.EmailAddress(42);
    add("계약서_미리보기.pdf", d, WritePdf((folder / "계약서_미리보기.pdf").string(), {p1, p2}));
  }
  {  // Plain text in CP949 with every other kind.
    Demo d;
    std::string t = "회원 목록\r\n";
    t += d.Name(0) + " 주민등록번호 " + d.ResidentNumber(50) + "\r\n";
    t += d.Name(1) + " 외국인등록번호 " + d.ForeignerNumber(51) + "\r\n";
    t += d.Name(2) + " 여권번호 " + d.PassportNumber(52) + "\r\n";
    t += d.Name(3) + " 운전면허 " + d.LicenseNumber(53) + "\r\n";
    t += d.Name(4) + " 카드 " + d.CardNumber(54) + "\r\n";
    t += d.Name(5) + " 자택 " + d.PhoneNumber(55) + "\r\n";
    add("회원목록_미리보기.txt", d,
        WriteText((folder / "회원목록_미리보기.txt").string(), plat::text::Utf8ToCp949(t)));
  }
  {  // CSV in UTF-8 with a byte-order mark.
    Demo d;
    std::string t = "\xEF\xBB\xBF성명,휴대폰,계좌\n";
    for (int i = 0; i < 3; ++i)
      t += d.Name(i) + "," + d.MobileNumber(i + 60) + "," + d.AccountNumber(i + 60) + "\n";
    add("명부_미리보기.csv", d, WriteText((folder / "명부_미리보기.csv").string(), t));
  }

  const std::filesystem::path result = std::filesystem::path(root) / "C" / "result.csv";
  if (std::filesystem::exists(result)) {
    std::string lines;
    for (const Written& w : docs)
      lines += w.name + "," + w.demo.ScannerKind() + "," + std::to_string(w.demo.Total()) + "," +
               windowsFolder + ",2026-12-01 09:00,\r\n";
    std::ofstream f(result, std::ios::binary | std::ios::app);
    f << plat::text::Utf8ToCp949(lines);
    ok = ok && bool(f);
  }
  if (manifest)
    for (const Written& w : docs) std::cout << w.path << '\t' << w.demo.Summary() << '\n';
  if (!ok)
    std::fprintf(stderr, "make_demo_docs: some documents could not be written under %s\n", folder.c_str());
  return ok ? 0 : 1;
}
