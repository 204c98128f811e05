// 파기 확인서: totals, the chart, the HTML text, and the PDF on QPdfWriter.
#include "app/destruction_report.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QByteArray>
#include <QCursor>
#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextDocument>
#include <QUrl>
#include <algorithm>
#include <memory>
#include <ostream>
#include <set>
#include <tuple>

#include "app/batch_run.h"
#include "grid/structure/scope_guard.h"
#include "platform/os/os.h"
#include "platform/ui/dialogs.h"

namespace vek {
namespace {

constexpr const char* kTitle = "개인정보 파기 확인서";
// Hangul from fonts-nanum. (NanumGothic's blank comes out of the PDF's text as U+0001: Qt's writer maps that
// font's space glyph wrongly, and a copied or searched text would lose its word breaks.)
constexpr const char* kFontFamily = "NanumBarunGothic";
constexpr const char* kChartName = "chart.png";
// The chart as painted: one band per kind with its two bars.
constexpr int kChartWidth = 1400, kLabelWidth = 380, kBarAreaWidth = 860, kBarHeight = 26, kBandGap = 18,
              kLegendHeight = 56, kChartMargin = 12;
// The chart's width on the page, in the document's pixels.
constexpr int kChartShownWidth = 640;

bool Destroying(const std::string& method) {
  return method == kMethodDelete || method == kMethodShred;
}
bool Done(const ActionRecord& r) {
  return r.Result == kResultDone;
}

std::int64_t HitsOf(const std::string& hits) {
  std::int64_t n = 0;
  for (char c : hits) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + (c - '0');
  }
  return n;
}

std::string Html(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string KindName(const std::string& kind) {
  return kind.empty() ? "(종류 없음)" : kind;
}

// The method as the document names it.
std::string MethodLabel(const std::string& method) {
  if (method == kMethodMove) return "이동(보관)";
  return method;
}

std::string Count(int n) {
  return std::to_string(n) + "개";
}

void Row(std::string& h, const std::vector<std::string>& cells, const char* tag = "td") {
  h += "<tr>";
  for (const std::string& c : cells) h += std::string("<") + tag + ">" + Html(c) + "</" + tag + ">";
  h += "</tr>\n";
}

constexpr const char* kStyle =
    "<style>body{font-family:'NanumBarunGothic',sans-serif;font-size:10pt}"
    "table{border-collapse:collapse;margin-bottom:8pt}th,td{border:1px solid #888;padding:2pt 5pt;"
    "text-align:left;vertical-align:top}th{background:#e8e8e8}.hash{font-family:monospace;font-size:8pt}"
    "</style>";

std::string HtmlStart() {
  return std::string("<!DOCTYPE html>\n<html lang=\"ko\"><head><meta charset=\"utf-8\"><title>") + kTitle +
         "</title>\n" + kStyle + "</head><body>\n";
}

// The heading, the totals and the chart at `chartSrc`.
std::string FrontHtml(const ReportInput& in, const ReportTotals& t, const std::string& chartSrc) {
  std::string h = std::string("<h1>") + kTitle + "</h1>\n";
  h += "<table cellspacing=\"0\" cellpadding=\"3\" border=\"1\">\n";
  Row(h, {"작업자", in.Operator});
  Row(h, {"컴퓨터", in.Host});
  Row(h, {"기간", in.From == in.To ? in.From : in.From + " ~ " + in.To});
  Row(h, {"작성 시각", NowText()});
  h += "</table>\n";

  h += "<h2>방법별 합계</h2>\n<table cellspacing=\"0\" cellpadding=\"3\" border=\"1\">\n";
  Row(h, {"방법", "완료", "실패", "제외·취소"}, "th");
  for (const std::string_view m : {kMethodShred, kMethodDelete, kMethodMove, kMethodRestore}) {
    const auto it = t.PerMethod.find(std::string(m));
    if (it == t.PerMethod.end()) continue;
    Row(h, {MethodLabel(std::string(m)), Count(it->second.Done), Count(it->second.Failed),
            Count(it->second.NotRun)});
  }
  h += "</table>\n";
  h += "<p>파기한 파일: " + Count(t.Destroyed) + " &nbsp; 남은 파일: " + Count(t.Left) +
       " &nbsp; 이동(보관): " + Count(t.Archived) + " (이동은 파기로 세지 않습니다)</p>\n";

  h += "<h2>개인정보 종류별 검출 수</h2>\n";
  if (t.Kinds.empty()) {
    h += "<p>검출 수가 있는 파일이 없습니다.</p>\n";
  } else {
    h += "<p><img src=\"" + chartSrc + "\" width=\"" + std::to_string(kChartShownWidth) +
         "\" alt=\"검출 수 막대 그래프\"></p>\n";
    h += "<table cellspacing=\"0\" cellpadding=\"3\" border=\"1\">\n";
    Row(h, {"종류", "파기", "남음"}, "th");
    for (const std::string& k : t.Kinds) {
      const auto d = t.HitsDestroyed.find(k), l = t.HitsLeft.find(k);
      Row(h, {KindName(k), std::to_string(d == t.HitsDestroyed.end() ? 0 : d->second),
              std::to_string(l == t.HitsLeft.end() ? 0 : l->second)});
    }
    h += "</table>\n";
  }
  return h;
}

// The files of the document, table by table: those destroyed, those left, those moved, those restored.
struct FileTable {
  const char* Heading;
  bool Target;  // a column for where the file went
  std::vector<const ActionRecord*> Records;
  std::vector<std::string> Titles() const {
    if (Target) return {"방법", "원본", "대상", "크기", "종류", "검출수", "결과", "사유/매체"};
    return {"방법", "파일", "크기", "종류", "검출수", "결과", "사유/매체"};
  }
  // A record's cells, in the titles' order.
  std::vector<std::string> Cells(const ActionRecord& r) const {
    std::vector<std::string> c{MethodLabel(r.Method), r.Source};
    if (Target) c.push_back(r.Target);
    for (const std::string* f : {&r.Size, &r.Kinds, &r.Hits, &r.Result}) c.push_back(*f);
    c.push_back(r.Reason.empty() ? r.Medium : r.Reason);
    return c;
  }
};

std::vector<FileTable> FileTables(const ReportInput& in) {
  std::vector<FileTable> tables{{"파기한 파일", false, {}},
                                {"파기하지 못한 파일", false, {}},
                                {"이동(보관)한 파일", true, {}},
                                {"되돌린 파일", true, {}}};
  for (const ActionRecord& r : in.Records) {
    if (Destroying(r.Method))
      tables[Done(r) ? 0 : 1].Records.push_back(&r);
    else if (r.Method == kMethodMove)
      tables[2].Records.push_back(&r);
    else if (r.Method == kMethodRestore)
      tables[3].Records.push_back(&r);
  }
  std::erase_if(tables, [](const FileTable& t) { return t.Records.empty(); });
  return tables;
}

std::string FileTableHeading(const FileTable& t) {
  return std::string(t.Heading) + " (" + Count(int(t.Records.size())) + ")";
}

std::string ChainHtml(const ReportInput& in) {
  std::string h = "<h2>작업 기록의 체인</h2>\n";
  if (in.Head)
    h += "<p>기록 수: " + std::to_string(in.Head->Lines) + "줄<br>마지막 해시: <span class=\"hash\">" +
         Html(in.Head->Hash) + "</span></p>\n";
  else
    h += "<p>기록의 머리가 없습니다(체인 이전 기록).</p>\n";
  return h;
}

// The whole document with the chart at `chartSrc`.
std::string BuildHtml(const ReportInput& in, const ReportTotals& t, const std::string& chartSrc) {
  std::string h = HtmlStart() + FrontHtml(in, t, chartSrc);
  for (const FileTable& t : FileTables(in)) {
    h += "<h2>" + Html(FileTableHeading(t)) +
         "</h2>\n<table cellspacing=\"0\" cellpadding=\"3\" border=\"1\">\n";
    Row(h, t.Titles(), "th");
    for (const ActionRecord* r : t.Records) Row(h, t.Cells(*r));
    h += "</table>\n";
  }
  return h + ChainHtml(in) + "</body></html>\n";
}

// The pages of the PDF as they are filled, top to bottom, in the document's pixels (96 to the inch).
class PdfPages {
 public:
  explicit PdfPages(QPdfWriter& writer) : writer_(writer), painter_(&writer) {}
  bool Active() const { return painter_.isActive(); }
  QPainter& Painter() { return painter_; }
  int Width() const { return writer_.width(); }
  int Height() const { return writer_.height(); }
  int Y() const { return y_; }
  void Down(int by) { y_ += by; }
  // A new page unless `height` more fits on this one (a page just begun takes anything).
  bool Room(int height) {
    if (y_ == 0 || y_ + height <= Height()) return false;
    writer_.newPage();
    y_ = 0;
    return true;
  }
  // A text document laid out to the pages' width, page after page from a fresh page (`paged`), or whole from
  // here (a short one).
  void Document(QTextDocument& doc, bool paged) {
    doc.documentLayout()->setPaintDevice(&writer_);
    if (!paged) {
      doc.setTextWidth(Width());
      Room(int(doc.size().height()));
      painter_.save();
      painter_.translate(0, y_);
      doc.drawContents(&painter_);
      painter_.restore();
      y_ += int(doc.size().height());
      return;
    }
    doc.setPageSize(QSizeF(Width(), Height()));
    const int pages = doc.pageCount();
    for (int p = 0; p < pages; ++p) {
      if (p > 0) writer_.newPage();
      painter_.save();
      painter_.translate(0, -p * Height());
      doc.drawContents(&painter_, QRectF(0, p * Height(), Width(), Height()));
      painter_.restore();
    }
    const QRectF last = doc.documentLayout()->blockBoundingRect(doc.lastBlock());
    y_ = int(last.bottom() + doc.documentMargin()) - (pages - 1) * Height();
  }

 private:
  QPdfWriter& writer_;
  QPainter painter_;
  int y_ = 0;
};

// A file table painted row by row, its title row again at the top of every page it runs onto.
void PaintFileTable(PdfPages& pages, const FileTable& table) {
  QPainter& p = pages.Painter();
  QFont headingFont(kFontFamily);
  headingFont.setPointSizeF(12);
  headingFont.setBold(true);
  QFont font(kFontFamily);
  font.setPointSizeF(8);
  const QFontMetrics headingMetrics(headingFont, p.device()), fm(font, p.device());
  const std::vector<std::string> titles = table.Titles();
  // Widths in shares of the line: the paths take most of it.
  const std::vector<double> shares = table.Target ? std::vector<double>{8, 25, 25, 7, 11, 6, 6, 12}
                                                  : std::vector<double>{8, 42, 8, 12, 7, 7, 16};
  std::vector<int> left{0};
  for (double share : shares) left.push_back(left.back() + int(pages.Width() * share / 100));
  left.back() = pages.Width() - 1;
  constexpr int kPad = 3;
  const int line = fm.height();
  const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere;
  const auto heightOf = [&](const std::vector<QString>& cells) {
    int h = line;
    for (std::size_t c = 0; c < cells.size(); ++c) {
      const int width = left[c + 1] - left[c] - 2 * kPad;
      if (fm.horizontalAdvance(cells[c]) <= width) continue;
      h = std::max(h, fm.boundingRect(QRect(0, 0, width, 1 << 20), flags, cells[c]).height());
    }
    return h + 2 * kPad;
  };
  const auto paintRow = [&](const std::vector<QString>& cells, int height, bool title) {
    const int y = pages.Y();
    for (std::size_t c = 0; c < cells.size(); ++c) {
      const QRect cell(left[c], y, left[c + 1] - left[c], height);
      if (title) p.fillRect(cell, QColor(0xe8, 0xe8, 0xe8));
      p.setPen(QColor(0x88, 0x88, 0x88));
      p.drawRect(cell);
      p.setPen(Qt::black);
      p.drawText(cell.adjusted(kPad, kPad, -kPad, -kPad), flags, cells[c]);
    }
    pages.Down(height);
  };
  std::vector<QString> titleCells;
  for (const std::string& t : titles) titleCells.push_back(QString::fromStdString(t));
  const int titleHeight = heightOf(titleCells);
  // The heading stays with the title row and the first row.
  const int gap = headingMetrics.height() / 2;
  pages.Room(gap + 2 * headingMetrics.height() + titleHeight + 3 * line);
  if (pages.Y() > 0) pages.Down(gap);
  p.setFont(headingFont);
  p.setPen(Qt::black);
  p.drawText(QRect(0, pages.Y(), pages.Width(), headingMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
             QString::fromStdString(FileTableHeading(table)));
  pages.Down(headingMetrics.height() + gap / 2);
  p.setFont(font);
  paintRow(titleCells, titleHeight, true);
  std::vector<QString> cells;
  for (const ActionRecord* r : table.Records) {
    cells.clear();
    for (const std::string& c : table.Cells(*r)) cells.push_back(QString::fromStdString(c));
    const int height = heightOf(cells);
    if (pages.Room(height)) paintRow(titleCells, titleHeight, true);
    paintRow(cells, height, false);
  }
}

QByteArray Png(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes;
}

bool WriteText(const std::string& path, const std::string& text, std::string& error) {
  QFile f(QString::fromStdString(path));
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      f.write(text.data(), qint64(text.size())) != qint64(text.size()) || !f.flush()) {
    error = path + ": " + f.errorString().toStdString();
    return false;
  }
  return true;
}

bool ValidDay(const std::string& s) {
  return s.size() == 10 && QDate::fromString(QString::fromStdString(s), "yyyy-MM-dd").isValid();
}

// The distinct values of a field, joined, in first-seen order; `fallback` when none.
std::string Distinct(const std::vector<ActionRecord>& records, std::string ActionRecord::*field,
                     std::string fallback) {
  std::vector<std::string> seen;
  for (const ActionRecord& r : records)
    if (!(r.*field).empty() && std::find(seen.begin(), seen.end(), r.*field) == seen.end())
      seen.push_back(r.*field);
  if (seen.empty()) return fallback;
  std::string out;
  for (const std::string& s : seen) out += (out.empty() ? "" : ", ") + s;
  return out;
}

}  // namespace

ReportTotals Summarize(const ReportInput& in) {
  ReportTotals t;
  const auto addKind = [&](const std::string& kind) {
    if (std::find(t.Kinds.begin(), t.Kinds.end(), kind) == t.Kinds.end()) t.Kinds.push_back(kind);
  };
  for (const ActionRecord& r : in.Records) {
    ReportTotals::Method& m = t.PerMethod[r.Method];
    (Done(r) ? m.Done : r.Result == kResultFailed ? m.Failed : m.NotRun) += 1;
    if (r.Method == kMethodMove && Done(r)) ++t.Archived;
    if (!Destroying(r.Method)) continue;
    const std::int64_t hits = HitsOf(r.Hits);
    if (Done(r)) {
      ++t.Destroyed;
      if (hits > 0) {
        addKind(r.Kinds);
        t.HitsDestroyed[r.Kinds] += hits;
      }
    } else {
      ++t.Left;
      if (hits > 0) {
        addKind(r.Kinds);
        t.HitsLeft[r.Kinds] += hits;
      }
    }
  }
  return t;
}

QImage HitsChart(const ReportTotals& t) {
  const int bands = std::max<int>(1, int(t.Kinds.size()));
  const int height = kChartMargin * 2 + kLegendHeight + bands * (2 * kBarHeight + kBandGap);
  QImage image(kChartWidth, height, QImage::Format_RGB32);
  image.fill(Qt::white);
  std::int64_t most = 0;
  for (const auto& [k, v] : t.HitsDestroyed) most = std::max(most, v);
  for (const auto& [k, v] : t.HitsLeft) most = std::max(most, v);
  QPainter p(&image);
  QFont font(kFontFamily);
  font.setPixelSize(22);
  p.setFont(font);
  const QColor destroyed{QRgb(kDestroyedColour)}, left{QRgb(kLeftColour)};
  // Legend.
  int x = kLabelWidth;
  for (const auto& [colour, label] : {std::pair{destroyed, "파기"}, std::pair{left, "남음"}}) {
    p.fillRect(x, kChartMargin + 12, 24, 24, colour);
    p.setPen(Qt::black);
    p.drawText(x + 32, kChartMargin + 32, QString::fromUtf8(label));
    x += 160;
  }
  const QFontMetrics fm(font);
  int y = kChartMargin + kLegendHeight;
  for (const std::string& kind : t.Kinds) {
    p.setPen(Qt::black);
    const QString label =
        fm.elidedText(QString::fromStdString(KindName(kind)), Qt::ElideRight, kLabelWidth - 20);
    p.drawText(QRect(kChartMargin, y, kLabelWidth - 20 - kChartMargin, 2 * kBarHeight),
               Qt::AlignVCenter | Qt::AlignRight, label);
    for (const auto& [series, colour, offset] :
         {std::tuple{&t.HitsDestroyed, destroyed, 0}, std::tuple{&t.HitsLeft, left, kBarHeight}}) {
      const auto it = series->find(kind);
      const std::int64_t v = it == series->end() ? 0 : it->second;
      const int length = most > 0 ? int((v * kBarAreaWidth + most / 2) / most) : 0;
      if (length > 0) p.fillRect(kLabelWidth, y + offset + 2, length, kBarHeight - 4, colour);
      p.setPen(Qt::black);
      p.drawText(QRect(kLabelWidth + length + 8, y + offset, 200, kBarHeight),
                 Qt::AlignVCenter | Qt::AlignLeft, QString::number(v));
    }
    y += 2 * kBarHeight + kBandGap;
  }
  return image;
}

namespace {

// The document as HTML, the chart inside it.
std::string HtmlWithChart(const ReportInput& input, const ReportTotals& totals, const QImage& chart) {
  return BuildHtml(input, totals, "data:image/png;base64," + Png(chart).toBase64().toStdString());
}

}  // namespace

std::string DestructionReportHtml(const ReportInput& input) {
  const ReportTotals totals = Summarize(input);
  return HtmlWithChart(input, totals, HitsChart(totals));
}

std::string WriteDestructionReport(const ReportInput& input, const std::string& pdfPath,
                                   const std::string& htmlPath) {
  const ReportTotals totals = Summarize(input);
  const QImage chart = HitsChart(totals);
  std::string error;
  if (!htmlPath.empty() && !WriteText(htmlPath, HtmlWithChart(input, totals, chart), error)) return error;

  QPdfWriter writer(QString::fromStdString(pdfPath));
  writer.setPageSize(QPageSize(QPageSize::A4));
  writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
  writer.setResolution(96);  // the document's pixels
  writer.setTitle(QString::fromUtf8(kTitle));
  writer.setCreator("VekSecurity");
  // The heading, totals and chart, and the chain's head, are laid out as text documents; the files are
  // painted row by row (a text document takes minutes to lay out a table of tens of thousands of rows).
  PdfPages pages(writer);
  if (!pages.Active()) return pdfPath + ": PDF를 쓰지 못했습니다";
  QFont font(kFontFamily);
  font.setPointSizeF(10);
  QTextDocument front;
  front.setDefaultFont(font);
  front.addResource(QTextDocument::ImageResource, QUrl(kChartName), chart);
  front.setHtml(
      QString::fromStdString(HtmlStart() + FrontHtml(input, totals, kChartName) + "</body></html>"));
  pages.Document(front, true);
  for (const FileTable& t : FileTables(input)) PaintFileTable(pages, t);
  QTextDocument chain;
  chain.setDefaultFont(font);
  chain.setHtml(QString::fromStdString(HtmlStart() + ChainHtml(input) + "</body></html>"));
  pages.Document(chain, false);
  if (!pages.Painter().end()) return pdfPath + ": PDF를 쓰지 못했습니다";
  if (!QFile::exists(QString::fromStdString(pdfPath))) return pdfPath + ": PDF를 쓰지 못했습니다";
  return {};
}

std::vector<ActionRecord> RecordsOfPeriod(const std::vector<LoggedRecord>& log, const std::string& from,
                                          const std::string& to) {
  std::vector<ActionRecord> out;
  for (const LoggedRecord& lr : log) {
    const std::string day = lr.Record.Time.substr(0, 10);
    if (day.size() == 10 && day >= from && day <= to) out.push_back(lr.Record);
  }
  return out;
}

std::string RunReportName(const ActionRecord& first) {
  std::string name = first.Time;
  name += '_';
  name += first.Method;
  if (!first.Run.empty()) {
    name += '_';
    name += first.Run.substr(0, 8);
  }
  return name;
}

std::string OpenDestructionReport(QWidget* parent, const ReportInput& input, std::string name) {
  for (char& c : name)
    if (c == ' ' || c == ':') c = c == ' ' ? '_' : '-';
  const std::string dir = UserDataDir() + "/reports";
  plat::os::ForceDirectories(dir);
  const std::string pdf = dir + "/파기확인서_" + name + ".pdf";
  // A run over a whole disk lists tens of thousands of files: a few seconds.
  QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  std::string problem;
  {
    const TwScopeExit restore([] { QGuiApplication::restoreOverrideCursor(); });
    problem = WriteDestructionReport(input, pdf, dir + "/파기확인서_" + name + ".html");
  }
  if (!problem.empty()) {
    plat::ui::CurrentDialogs().MessageBox(parent, "확인서를 만들지 못했습니다: " + problem,
                                          plat::ui::ApplicationTitle(),
                                          plat::ui::MB_OK | plat::ui::MB_ICONERROR);
    return {};
  }
  plat::os::OpenWithDefaultProgram(pdf);
  return pdf;
}

int ReportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() < 3 || args.size() > 5) {
    err << "VekSecurity: usage: VekSecurity --report FROM TO OUT.pdf [LOG [HEAD.ini]] (dates as "
           "YYYY-MM-DD)\n";
    return 2;
  }
  const std::string &from = args[0], &to = args[1];
  if (!ValidDay(from) || !ValidDay(to) || to < from) {
    err << "VekSecurity: --report takes two dates as YYYY-MM-DD, the first not after the second\n";
    return 2;
  }
  const std::string pdf = plat::os::ResolvePath(args[2]);
  std::string html = pdf;
  if (html.size() > 4 && QString::fromStdString(html.substr(html.size() - 4)).toLower() == ".pdf")
    html.resize(html.size() - 4);
  html += ".html";
  const std::string log = args.size() > 3 ? plat::os::ResolvePath(args[3]) : ActionLogPath();
  const std::string headPath = args.size() > 4 ? plat::os::ResolvePath(args[4]) : ChainHeadPath();

  // The command line runs without the window's application; fonts and the PDF writer need one.
  std::unique_ptr<QGuiApplication> app;
  if (!QGuiApplication::instance()) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
      qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "VekSecurity";
    static char* argv[] = {name, nullptr};
    app = std::make_unique<QGuiApplication>(argc, argv);
  }
  try {
    ReportInput in;
    in.From = from;
    in.To = to;
    in.Records = RecordsOfPeriod(ReadActionLog(log), from, to);
    in.Operator = Distinct(in.Records, &ActionRecord::User, CurrentUserName());
    in.Host = Distinct(in.Records, &ActionRecord::Host, CurrentHostName());
    in.Head = ReadChainHead(headPath);
    if (const std::string e = WriteDestructionReport(in, pdf, html); !e.empty()) {
      err << "VekSecurity: " << e << "\n";
      return 1;
    }
    const ReportTotals t = Summarize(in);
    out << pdf << "\n"
        << html << "\n"
        << "파기한 파일: " << t.Destroyed << "개, 남은 파일: " << t.Left << "개, 이동(보관): " << t.Archived
        << "개\n";
    return 0;
  } catch (const std::exception& e) {
    err << "VekSecurity: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace vek
