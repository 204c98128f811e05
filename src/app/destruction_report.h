#pragma once
// 파기 확인서: a document in Korean confirming what a run (or the runs of a period) destroyed, from the
// records of the action log. It names the operator, the host and the period, gives the totals per method, a
// bar chart of the hits per kind of personal information destroyed and of those left (files not handled), and
// lists the files with their results. Moves are listed apart as "이동(보관)" and never counted as destroyed;
// restores likewise. The chain head of the action log is printed on it. Written as PDF (Qt's PDF writer) and
// HTML.
#include <cstdint>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/action_log.h"

class QImage;
class QWidget;

namespace vek {

struct ReportInput {
  std::string Operator, Host;
  std::string From, To;  // the period shown ("2024-05-01"); the same day twice for one run
  // The records of the run or the period. The files not destroyed (left) are those of 삭제 and 완전삭제
  // records that did not succeed: failed, left out before the batch (제외), or not reached after Cancel
  // (취소); the run keeps a record of each, so the 확인서 reads the same from the summary and from the log.
  std::vector<ActionRecord> Records;
  std::optional<ChainHead> Head;
};

// What the document says in numbers.
struct ReportTotals {
  struct Method {
    int Done = 0, Failed = 0;
    int NotRun = 0;  // left out before the batch, or not reached after Cancel
  };
  std::map<std::string, Method> PerMethod;  // keyed by the record's method (이동, 삭제, 완전삭제, 되돌리기)
  int Destroyed = 0;                        // 삭제 and 완전삭제 done
  int Left = 0;      // 삭제/완전삭제 records not done: failed, left out, cancelled
  int Archived = 0;  // 이동 done: kept in the backup folder
  // Hits per kind: destroyed, and left. Kinds in first-seen order.
  std::vector<std::string> Kinds;
  std::map<std::string, std::int64_t> HitsDestroyed, HitsLeft;
};
ReportTotals Summarize(const ReportInput& input);

// The chart of hits per kind (destroyed and left, two bars per kind), as drawn on the document.
// Bars are painted in kDestroyedColour and kLeftColour, lengths proportional to the hits.
QImage HitsChart(const ReportTotals& totals);
inline constexpr unsigned kDestroyedColour = 0x1F4E9A;
inline constexpr unsigned kLeftColour = 0xE07B00;

// The document as HTML (the chart embedded as a PNG).
std::string DestructionReportHtml(const ReportInput& input);
// Writes the PDF and, when htmlPath is not empty, the HTML. Returns an error text, empty on success.
// Needs a QGuiApplication.
std::string WriteDestructionReport(const ReportInput& input, const std::string& pdfPath,
                                   const std::string& htmlPath);

// The records of the runs that started between the two days (YYYY-MM-DD, both included).
std::vector<ActionRecord> RecordsOfPeriod(const std::vector<LoggedRecord>& log, const std::string& from,
                                          const std::string& to);
// The name a run's 확인서 files get: its start, its method and, when it has one, its identity (two runs may
// start within one second).
std::string RunReportName(const ActionRecord& first);

// Writes the 확인서 as reports/파기확인서_NAME.pdf (and .html) in the user's data folder (blanks and colons
// of NAME made safe for a file name) and opens the PDF with the desktop's program; a failure is told in an
// error box. Returns the PDF's host path, or empty when it could not be written.
std::string OpenDestructionReport(QWidget* parent, const ReportInput& input, std::string name);

// `VekSecurity --report FROM TO OUT.pdf [LOG [HEAD.ini]]`: the 확인서 of a period, as OUT.pdf and OUT.html.
int ReportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace vek
