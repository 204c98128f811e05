#pragma once
// "작업 기록": the past runs of the action log, one row per run (its records share the run's identity; older
// records without one, the start time, the batch and the method), filtered by date and method; the 확인서 of
// a run or of the period shown, and the way back for a move. A log whose chain is broken is said in red above
// the list.
#include <QDialog>
#include <cstdint>
#include <string>
#include <vector>

#include "app/action_log.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QTableWidget;
class TForm1;

namespace vek {

// One run as the window lists it.
struct LoggedRun {
  std::string Time, Batch, Method;
  std::string Run;  // the run's identity; empty for records written before runs had one
  int Files = 0, Done = 0, Failed = 0;
  std::vector<std::uint32_t> Records;  // indices into the log read
};
// The runs of a log in the order they started, grouped in one pass.
std::vector<LoggedRun> GroupRuns(const std::vector<LoggedRecord>& log);

// The move record a move run wrote: the earliest manifest in `manifestDir` created at or after the run's
// start whose first file is one of the run's sources. Empty when there is none.
std::string ManifestOfRun(const LoggedRun& run, const std::vector<LoggedRecord>& log,
                          const std::string& manifestDir);

class RecordsWindow : public QDialog {
  Q_OBJECT

 public:
  explicit RecordsWindow(TForm1* form);

  // Reads the log again and lists its runs (the filter's dates widened to take in every run).
  void Reload();
  // The run of the selected row, or nullptr.
  const LoggedRun* SelectedRun() const;
  // "확인서 보기": the 확인서 of the selected run, or of the runs listed when none is selected.
  void ShowReport();
  // "되돌리기": puts back the files of the selected move run.
  void RestoreSelected();

  QLabel* Warning = nullptr;  // the broken log's line, hidden while the log is whole
  QDateEdit* From = nullptr;
  QDateEdit* To = nullptr;
  QComboBox* MethodBox = nullptr;  // "전체", then the methods
  QTableWidget* Runs = nullptr;    // 시간, 방법, 파일, 성공, 실패; newest first
  QPushButton* ReportButton = nullptr;
  QPushButton* RestoreButton = nullptr;
  // The PDF of the 확인서 written last.
  std::string LastReport;

 protected:
  void hideEvent(QHideEvent* e) override;

 private:
  void Fill();
  void UpdateButtons();

  TForm1* form_;
  std::vector<LoggedRecord> log_;
  std::vector<LoggedRun> runs_;
  std::vector<int> shown_;  // the run of each row of the table
};

}  // namespace vek
