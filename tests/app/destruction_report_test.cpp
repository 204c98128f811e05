// 파기 확인서: the totals, the PDF's text read back with pdftotext, and the chart's bars measured on the page
// pdftoppm renders.
#include "app/destruction_report.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "app/action_log.h"
#include "platform/os/os.h"

namespace {

using vek::ActionRecord;

ActionRecord Rec(const char* method, const char* source, const char* kind, const char* hits,
                 bool done = true) {
  ActionRecord r;
  r.Time = "2024-05-02 14:00:00";
  r.User = "kim";
  r.Host = "pc-01";
  r.Batch = "c:\\batchdel.bat";
  r.Method = method;
  r.Source = source;
  r.Target = std::string(method) == "이동" ? std::string("C:\\보안예비자료") + (source + 2) : std::string();
  r.Size = "2048";
  r.Kinds = kind;
  r.Hits = hits;
  r.Result = done ? "성공" : "실패";
  if (!done) r.Reason = "file does not exist";
  return r;
}

// Three files destroyed (주민등록번호 30 hits, 계좌번호 5), one that could not be, two moved (never
// destroyed), and one the run did not handle.
vek::ReportInput Sample() {
  vek::ReportInput in;
  in.Operator = "kim";
  in.Host = "pc-01";
  in.From = in.To = "2024-05-02";
  in.Records = {Rec("완전삭제", "D:\\자료\\가.hwp", "주민등록번호", "10"),
                Rec("완전삭제", "D:\\자료\\나.xlsx", "주민등록번호", "20"),
                Rec("삭제", "D:\\자료\\다.txt", "계좌번호", "5"),
                Rec("완전삭제", "D:\\자료\\라.pdf", "계좌번호", "7", false),
                Rec("이동", "D:\\자료\\마.hwp", "주민등록번호", "100"),
                Rec("이동", "D:\\자료\\바.hwp", "여권번호", "50"),
                Rec("완전삭제", "D:\\자료\\사.doc", "휴대폰번호", "4", false)};
  in.Records.back().Result = "취소";  // not reached after Cancel
  in.Records.back().Reason = "취소되어 처리하지 않음";
  in.Head = vek::ChainHead{std::string(64, 'c'), 1234};
  return in;
}

std::string Squeezed(std::string s) {
  std::erase_if(s, [](char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\f' || c == '\t'; });
  return s;
}

bool Have(const char* tool) {
  return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

TEST(DestructionReport, MovesAreArchivedNeverDestroyedAndFailuresAndUnhandledFilesAreLeft) {
  const vek::ReportTotals t = vek::Summarize(Sample());
  EXPECT_EQ(t.Destroyed, 3);
  EXPECT_EQ(t.Left, 2);
  EXPECT_EQ(t.Archived, 2);
  EXPECT_EQ(t.PerMethod.at("완전삭제").Done, 2);
  EXPECT_EQ(t.PerMethod.at("완전삭제").Failed, 1);
  EXPECT_EQ(t.PerMethod.at("완전삭제").NotRun, 1);
  EXPECT_EQ(t.PerMethod.at("이동").Done, 2);
  EXPECT_EQ(t.Kinds, (std::vector<std::string>{"주민등록번호", "계좌번호", "휴대폰번호"}));
  EXPECT_EQ(t.HitsDestroyed.at("주민등록번호"), 30);  // the moved file's 100 hits are not destroyed
  EXPECT_EQ(t.HitsDestroyed.at("계좌번호"), 5);
  EXPECT_EQ(t.HitsLeft.at("계좌번호"), 7);
  EXPECT_EQ(t.HitsLeft.at("휴대폰번호"), 4);
  EXPECT_EQ(t.HitsDestroyed.count("여권번호") + t.HitsLeft.count("여권번호"), 0u);
}

class ReportFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Have("pdftotext") || !Have("pdftoppm"))
      GTEST_SKIP() << "poppler-utils (pdftotext, pdftoppm) is not installed";
    ASSERT_TRUE(dir_.isValid());
    pdf_ = dir_.path().toStdString() + "/확인서.pdf";
    html_ = dir_.path().toStdString() + "/확인서.html";
  }
  // The PDF's text without blanks and line breaks: pdftotext drops the narrow blanks between Korean words and
  // breaks table cells, so texts are compared as letters only.
  std::string Text() {
    const std::string txt = dir_.path().toStdString() + "/out.txt";
    EXPECT_EQ(std::system(("pdftotext '" + pdf_ + "' '" + txt + "'").c_str()), 0);
    const std::string text = plat::os::ReadFileBytes(txt);
    EXPECT_EQ(text.find('\x01'), std::string::npos) << "a blank that reads back as a control character";
    return Squeezed(text);
  }
  QTemporaryDir dir_;
  std::string pdf_, html_;
};

TEST_F(ReportFiles, ThePdfReadsBackWithTheTotalsTheFilesAndTheChainHead) {
  ASSERT_EQ(vek::WriteDestructionReport(Sample(), pdf_, html_), "");
  const std::string text = Text();
  for (const char* expected :
       {"개인정보 파기 확인서", "작업자", "kim", "pc-01", "2024-05-02", "파기한 파일: 3개", "남은 파일: 2개",
        "이동(보관): 2개", "가.hwp", "나.xlsx", "다.txt", "라.pdf", "마.hwp", "1234줄", "cccccccccccccccc"})
    EXPECT_NE(text.find(Squeezed(expected)), std::string::npos) << expected << "\n" << text;
  const std::string html = plat::os::ReadFileBytes(html_);
  EXPECT_NE(html.find("파기한 파일: 3개"), std::string::npos);
  EXPECT_NE(html.find("<img src=\"data:image/png;base64,"), std::string::npos);
}

TEST_F(ReportFiles, AThreeThousandFileRunListsEveryFileOnPagesThatEachStartWithTheTitleRow) {
  // A run over a whole PC: every file on the pages, in order, a long path wrapped inside its cell.
  vek::ReportInput in = Sample();
  in.Records.clear();
  const std::string longFolder =
      "D:\\업무자료\\" + std::string(12, 'x') + "\\아주긴폴더이름이계속이어지는경로\\";
  for (int i = 0; i < 3000; ++i)
    in.Records.push_back(
        Rec("완전삭제", (longFolder + "명단_" + std::to_string(i) + "끝.xlsx").c_str(), "계좌번호", "1"));
  in.Records.push_back(Rec("이동", "D:\\자료\\옮긴파일.hwp", "계좌번호", "2"));
  ASSERT_EQ(vek::WriteDestructionReport(in, pdf_, ""), "");
  const std::string text = Text();
  std::size_t at = text.find(Squeezed("파기한 파일 (3000개)"));
  ASSERT_NE(at, std::string::npos) << text.substr(0, 2000);
  for (const int i : {0, 1, 1499, 2999}) {
    const std::size_t next = text.find("명단_" + std::to_string(i) + "끝.xlsx", at);
    EXPECT_NE(next, std::string::npos) << i;
    if (next != std::string::npos) at = next;
  }
  EXPECT_NE(text.find(Squeezed("이동(보관)한 파일 (1개)"), at), std::string::npos);
  EXPECT_NE(text.find("옮긴파일.hwp", at), std::string::npos);
  // Every page after the first begins the table again with its title row.
  const std::string info = dir_.path().toStdString() + "/info.txt";
  ASSERT_EQ(std::system(("pdfinfo '" + pdf_ + "' > '" + info + "'").c_str()), 0);
  const std::string pagesLine = plat::os::ReadFileBytes(info);
  const std::size_t p = pagesLine.find("Pages:");
  ASSERT_NE(p, std::string::npos);
  const int pages = std::atoi(pagesLine.c_str() + p + 6);
  EXPECT_GT(pages, 30);
  const std::string page = dir_.path().toStdString() + "/page.txt";
  for (const int n : {2, pages / 2, pages}) {
    ASSERT_EQ(std::system(("pdftotext -f " + std::to_string(n) + " -l " + std::to_string(n) + " '" + pdf_ +
                           "' '" + page + "'")
                              .c_str()),
              0);
    EXPECT_NE(Squeezed(plat::os::ReadFileBytes(page)).find(Squeezed("검출수")), std::string::npos)
        << "page " << n;
  }
}

// The lengths, top to bottom, of the bars drawn in `colour` on the page (the legend's swatch first).
std::vector<int> Bars(const QImage& page, unsigned colour) {
  const auto near = [&](QRgb p) {
    return std::abs(qRed(p) - int(colour >> 16)) < 40 &&
           std::abs(qGreen(p) - int((colour >> 8) & 0xFF)) < 40 &&
           std::abs(qBlue(p) - int(colour & 0xFF)) < 40;
  };
  std::vector<int> bars;
  bool inBar = false;
  for (int y = 0; y < page.height(); ++y) {
    int run = 0, longest = 0;
    for (int x = 0; x < page.width(); ++x) {
      run = near(page.pixel(x, y)) ? run + 1 : 0;
      longest = std::max(longest, run);
    }
    if (longest > 2 && !inBar) bars.push_back(0);
    if (longest > 2) bars.back() = std::max(bars.back(), longest);
    inBar = longest > 2;
  }
  return bars;
}

TEST_F(ReportFiles, TheChartsBarsOnThePageAreInTheProportionsOfTheHits) {
  ASSERT_EQ(vek::WriteDestructionReport(Sample(), pdf_, ""), "");
  const std::string png = dir_.path().toStdString() + "/page";
  ASSERT_EQ(std::system(("pdftoppm -r 100 -f 1 -l 1 -png '" + pdf_ + "' '" + png + "'").c_str()), 0);
  QImage page(QString::fromStdString(png + "-1.png"));
  if (page.isNull()) page.load(QString::fromStdString(png + "-01.png"));
  ASSERT_FALSE(page.isNull());
  page = page.convertToFormat(QImage::Format_RGB32);

  const std::vector<int> destroyed = Bars(page, vek::kDestroyedColour), left = Bars(page, vek::kLeftColour);
  // Destroyed: the swatch, 주민등록번호 30, 계좌번호 5. Left: the swatch, 계좌번호 7, 휴대폰번호 4.
  ASSERT_EQ(destroyed.size(), 3u);
  ASSERT_EQ(left.size(), 3u);
  const double full = destroyed[1];
  EXPECT_GT(full, 200) << "the longest bar should span most of the chart";
  EXPECT_NEAR(destroyed[2] / full, 5.0 / 30, 0.02);
  EXPECT_NEAR(left[1] / full, 7.0 / 30, 0.02);
  EXPECT_NEAR(left[2] / full, 4.0 / 30, 0.02);
}

TEST_F(ReportFiles, TheReportCommandTakesThePeriodsRecordsFromTheLog) {
  const std::string log = dir_.path().toStdString() + "/actions.csv",
                    head = dir_.path().toStdString() + "/h.ini";
  {
    vek::ActionLog writer(log, head);
    for (ActionRecord r : Sample().Records) writer.Append(r);
    ActionRecord early = Rec("완전삭제", "D:\\자료\\지난달.hwp", "주민등록번호", "3");
    early.Time = "2024-04-30 23:59:59";
    writer.Append(early);
    ASSERT_TRUE(writer.Flush());
  }
  std::ostringstream out, err;
  EXPECT_EQ(vek::ReportCommand({"2024-05-01", "2024-05-31", pdf_, log, head}, out, err), 0) << err.str();
  const std::string text = Text();
  EXPECT_NE(text.find(Squeezed("파기한 파일: 3개")), std::string::npos) << text;
  EXPECT_NE(text.find(Squeezed("남은 파일: 2개")), std::string::npos) << text;
  EXPECT_EQ(text.find("지난달.hwp"), std::string::npos);
  EXPECT_NE(text.find("8줄"), std::string::npos) << "the head of the log, all eight records";
  EXPECT_TRUE(plat::os::FileExists(html_));
  std::ostringstream out2, err2;
  EXPECT_EQ(vek::ReportCommand({"2024-05-31", "2024-05-01", pdf_, log, head}, out2, err2), 2);
  EXPECT_EQ(vek::ReportCommand({"2024-5-1", "2024-05-31", pdf_}, out2, err2), 2);
}

}  // namespace
