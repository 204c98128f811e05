// The preview's reading and detecting, against grep and per unit of document.
//
//   ratio_to_grep    reading a 50 MB CP949 text, decoding it and running every detector, against
//                    LC_ALL=C.UTF-8 grep -P -o with one alternation of the same patterns over the same text
//                    converted once to UTF-8, piped to wc -l (median of the rounds' ratios; the patterns
//                    are printed)
//   first_page_ms    in the window: an arrow key in the list to the preview pane's first page of a 1 MB .docx
//                    painted (the pane open, its quiet time after the last read over; read off the window's
//                    thread as a person meets it); the library's share alone (the first 4 KB read and
//                    detected) is printed beside it
//   docx_ms_per_mb   the same .docx read and detected whole, per megabyte of file
//   pdf_ms_per_page  a 40-page PDF read and detected, per page
// Each figure is the median of its rounds; the worst round of each is printed beside it.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/preview_pane.h"
#include "app/veksecurity_01.h"
#include "doc_writers.h"
#include "inspect/detect.h"
#include "inspect/extract.h"
#include "platform/text/text.h"
#include "platform/ui/dialogs.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 5;

double Ms(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double Worst(const std::vector<double>& v) {
  return *std::max_element(v.begin(), v.end());
}

// A deterministic mix of Korean prose, near misses (dates, prices, serials) and personal information.
class Corpus {
 public:
  std::string Line() {
    const std::string name = kNames[Next() % 8];
    switch (Next() % 8) {
      case 0:
        return name + " 고객님의 연락처는 010-" + D(4) + "-" + D(4) + " 이며 주민등록번호는 " + Birth() +
               "-1" + D(6) + " 입니다.";
      case 1:
        return "작성일 2023-" + D(2) + "-" + D(2) + ", 금액 " + D(3) + "," + D(3) + "원, 일련번호 SN-" +
               D(4) + "-" + D(6) + ".";
      case 2:
        return "담당자 " + name + " 전자우편 member" + D(4) + "@example.co.kr 로 문의하시기 바랍니다.";
      case 3:
        return "입금 계좌 110-" + D(3) + "-" + D(6) + " (예금주 " + name + "), 대표번호 1588-" + D(4);
      default:
        return "이 문단은 개인정보가 없는 보통의 업무 문서 내용으로, 회의 결과와 일정이 정리되어 있습니다.";
    }
  }

 private:
  static constexpr const char* kNames[8] = {"김민준", "이서연", "박지호", "최수아",
                                            "정도윤", "강하은", "조예준", "윤지우"};
  unsigned Next() { return state_ = state_ * 1103515245u + 12345u, state_ >> 8; }
  std::string D(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += char('0' + Next() % 10);
    return s;
  }
  std::string Birth() {
    char b[8];
    std::snprintf(b, sizeof b, "%02u%02u%02u", 60 + Next() % 40, 1 + Next() % 12, 1 + Next() % 28);
    return b;
  }
  unsigned state_ = 12345;
};

const char* const kGrepPattern =
    "\\b\\d{6}[- ]?[1-8]\\d{6}\\b"                           // registration numbers
    "|\\b01[016789][-. ]?\\d{3,4}[-. ]?\\d{4}\\b"            // mobile
    "|\\b0(?:2|[3-6][1-5]|70)[-. ]?\\d{3,4}[-. ]?\\d{4}\\b"  // telephone
    "|\\b1[568]\\d{2}-\\d{4}\\b"                             // national numbers
    "|\\b\\d{3,6}-\\d{2,6}-\\d{2,7}(?:-\\d{1,3})?\\b"        // bank accounts
    "|\\b[MSRGD]\\d{8}\\b|\\b[MSRGD]\\d{3}[A-Z]\\d{4}\\b"    // passports
    "|\\b\\d{2}-\\d{2}-\\d{6}-\\d{2}\\b"                     // driver's licences
    "|[A-Za-z0-9._%+-]+@[A-Za-z0-9.-]+\\.[A-Za-z]{2,}"       // addresses
    "|\\b\\d{4}[- ]?\\d{4}[- ]?\\d{4}[- ]?\\d{4}\\b|\\b3[47]\\d{2}[- ]?\\d{6}[- ]?\\d{5}\\b";  // cards

std::string ReadAll(const std::string& path) {
  std::string bytes(std::filesystem::file_size(path), '\0');
  std::ifstream(path, std::ios::binary).read(bytes.data(), std::streamsize(bytes.size()));
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTemporaryDir dir;
  const std::string base = dir.path().toStdString() + "/";

  // --- against grep ---------------------------------------------------------------------------------
  std::string utf8;
  Corpus corpus;
  while (utf8.size() < (std::size_t(50) << 20)) utf8 += corpus.Line() + "\r\n";
  const std::string cpPath = base + "text.cp949.txt", utf8Path = base + "text.utf8.txt";
  std::ofstream(cpPath, std::ios::binary) << plat::text::Utf8ToCp949(utf8);
  std::ofstream(utf8Path, std::ios::binary) << utf8;
  const std::string grep =
      "LC_ALL=C.UTF-8 grep -P -o '" + std::string(kGrepPattern) + "' '" + utf8Path + "' | wc -l";
  std::printf("grep patterns: %s\n", kGrepPattern);
  std::vector<double> ratios, oursMs, grepMs;
  std::size_t ours = 0;
  long grepCount = 0;
  for (int r = 0; r < kRounds; ++r) {
    const auto a = Clock::now();
    const std::string text = vek::inspect::DecodeText(ReadAll(cpPath));
    ours = vek::inspect::Detect(text).size();
    const auto b = Clock::now();
    std::FILE* p = popen(grep.c_str(), "r");
    if (!p || std::fscanf(p, "%ld", &grepCount) != 1) {
      std::fprintf(stderr, "bench_preview: grep -P did not run\n");
      return 1;
    }
    pclose(p);
    const auto c = Clock::now();
    oursMs.push_back(Ms(a, b));
    grepMs.push_back(Ms(b, c));
    ratios.push_back(Ms(a, b) / Ms(b, c));
  }
  std::printf(
      "50 MB CP949 text: ours %.0f ms (%zu matches), grep -P %.0f ms (%ld matches) (medians of %d rounds); "
      "ratio median %.2f, worst %.2f\n",
      Median(oursMs), ours, Median(grepMs), grepCount, kRounds, Median(ratios), Worst(ratios));

  // --- a 1 MB docx --------------------------------------------------------------------------------------
  const std::string docx = base + "big.docx";
  vek::samples::WordDocument w;
  for (std::size_t paragraphs = 2000;; paragraphs *= 2) {
    w.body.clear();
    Corpus c;
    for (std::size_t i = 0; i < paragraphs; ++i) w.body.push_back({c.Line()});
    vek::samples::WriteZip(docx, vek::samples::DocxParts(w));
    if (std::filesystem::file_size(docx) >= (std::size_t(1) << 20)) break;
  }
  const double docxMb = double(std::filesystem::file_size(docx)) / double(1 << 20);
  vek::inspect::Limits firstPage;
  firstPage.maxTextBytes = 4096;
  std::vector<double> firstMs, wholeMs;
  for (int r = 0; r < kRounds; ++r) {
    const auto a = Clock::now();
    const auto page = vek::inspect::Extract(docx, {}, firstPage);
    vek::inspect::Detect(page.text);
    const auto b = Clock::now();
    const auto whole = vek::inspect::Extract(docx);
    vek::inspect::Detect(whole.text);
    const auto c = Clock::now();
    firstMs.push_back(Ms(a, b));
    wholeMs.push_back(Ms(b, c) / docxMb);
  }
  std::printf(
      "docx of %.2f MB: first page %.1f ms (library only; worst %.1f), whole %.1f ms per MB (worst %.1f)\n",
      docxMb, Median(firstMs), Worst(firstMs), Median(wholeMs), Worst(wholeMs));

  // --- the window: a row change to the pane's first page painted ---------------------------------------
  std::vector<double> paneMs;
  int changeDelay = 0;
  {
    const std::string drives = base + "drives";
    std::filesystem::create_directories(drives + "/C");
    std::filesystem::create_directories(drives + "/D/자료");
    std::filesystem::copy_file(docx, drives + "/D/자료/big.docx");
    std::ofstream(drives + "/D/자료/small.txt") << "010-1234-5678\n";
    std::ofstream(drives + "/C/result.csv", std::ios::binary) << plat::text::Utf8ToCp949(
        "파일명,종류,수량,경로\r\nsmall.txt,휴대폰번호,1,D:\\자료\r\nbig.docx,주민등록번호,1,D:\\자료\r\n");
    qputenv("VEKSECURITY_DRIVE_C", QByteArray::fromStdString(drives + "/C"));
    qputenv("VEKSECURITY_DRIVE_D", QByteArray::fromStdString(drives + "/D"));
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(base + "data"));
    plat::ui::ScriptedDialogs dialogs;  // no box waits for an answer
    TForm1 form;
    form.resize(1156, 706);
    form.show();
    form.p_file->setText(QString::fromStdString(drives + "/C/result.csv"));
    form.ReadAndInsert();
    form.SetPreviewVisible(true);
    vek::TPreviewPane& pane = *form.Preview;
    // The rows by their names (the list orders its rows itself); they are neighbours.
    int smallRow = -1, bigRow = -1;
    for (int r = 0; r < form.Mgr_grid->RowCount(); ++r) {
      const std::string name = form.Mgr_grid->Cells(1, r).AsString();
      (name == "big.docx" ? bigRow : smallRow) = r;
    }
    if (smallRow < 0 || bigRow < 0) {
      std::fprintf(stderr, "bench_preview: the list does not hold both files\n");
      return 1;
    }
    // An arrow key into the list, as a person moves from one row to the next.
    const auto press = [&](int key) {
      QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier), up(QEvent::KeyRelease, key, Qt::NoModifier);
      QApplication::sendEvent(form.Mgr_grid, &down);
      QApplication::sendEvent(form.Mgr_grid, &up);
    };
    const int toBig = bigRow > smallRow ? Qt::Key_Down : Qt::Key_Up;
    const int toSmall = bigRow > smallRow ? Qt::Key_Up : Qt::Key_Down;
    // Until the pane has read the file of the row whole, and its quiet time after that read is over.
    const auto settle = [&](const char* name) {
      while (!pane.Complete() || !pane.Target().ListedPath.ends_with(name))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
      QThread::msleep(vek::TPreviewPane::kQuietMs + 50);  // the next read starts at once
      QCoreApplication::processEvents();
    };
    changeDelay = form.Mgr_grid->ChangeDelay();
    form.Mgr_grid->setFocus();
    form.Mgr_grid->SetRow(bigRow);
    for (int r = 0; r < kRounds; ++r) {
      press(toSmall);
      settle("small.txt");
      bool painted = false;
      Clock::time_point end;
      pane.OnFirstPage = [&] {
        if (!pane.Target().ListedPath.ends_with("big.docx")) return;
        pane.TextView->viewport()->repaint();
        end = Clock::now();
        painted = true;
      };
      const auto a = Clock::now();
      press(toBig);
      while (!painted) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
      pane.OnFirstPage = {};
      if (form.Mgr_grid->Row() != bigRow || pane.ShownText().isEmpty()) {
        std::fprintf(stderr, "bench_preview: the pane's first page is not the docx's\n");
        return 1;
      }
      paneMs.push_back(Ms(a, end));
      settle("big.docx");
    }
  }
  std::printf(
      "window: arrow key to the pane's first page painted %.1f ms (worst %.1f; the list tells of a row "
      "change "
      "%d ms after it)\n",
      Median(paneMs), Worst(paneMs), changeDelay);

  // --- a 40-page PDF -------------------------------------------------------------------------------------
  const std::string pdf = base + "pages.pdf";
  constexpr int kPages = 40;
  std::vector<std::string> pages;
  Corpus pc;
  for (int i = 0; i < kPages; ++i) {
    std::string page;
    for (int l = 0; l < 40; ++l) page += plat::text::Utf8CutBytes(pc.Line(), 90) + "\n";
    pages.push_back(page);
  }
  vek::samples::WritePdf(pdf, pages);
  std::vector<double> pdfMs;
  for (int r = 0; r < kRounds; ++r) {
    const auto a = Clock::now();
    const auto x = vek::inspect::Extract(pdf);
    vek::inspect::Detect(x.text);
    pdfMs.push_back(Ms(a, Clock::now()) / kPages);
  }
  std::printf("pdf of %d pages: %.2f ms per page (worst %.2f)\n", kPages, Median(pdfMs), Worst(pdfMs));
  std::printf("preview: ratio_to_grep=%.2f first_page_ms=%.1f docx_ms_per_mb=%.1f pdf_ms_per_page=%.2f\n",
              Median(ratios), Median(paneMs), Median(wholeMs), Median(pdfMs));
  return 0;
}
