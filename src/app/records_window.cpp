#include "app/records_window.h"

#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>
#include <future>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "app/application.h"
#include "app/batch_run.h"
#include "app/destruction_report.h"
#include "app/veksecurity_01.h"
#include "platform/os/os.h"
#include "platform/ui/dialogs.h"

namespace vek {

namespace {

QString Q(std::string_view s) {
  return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

QDate DayOf(const std::string& time) {
  return QDate::fromString(Q(time.substr(0, 10)), QStringLiteral("yyyy-MM-dd"));
}

// "YYYY-MM-DD HH:MM:SS" -> "YYYYMMDD-HHMMSS", as move records name their creation time.
std::string ManifestStamp(const std::string& time) {
  std::string out;
  for (char c : time) {
    if (c == ' ')
      out += '-';
    else if (c >= '0' && c <= '9')
      out += c;
  }
  return out;
}

// The one operator (or host) of the records, their names joined when several, or this computer's.
std::string Named(const std::vector<ActionRecord>& records, std::string ActionRecord::*field,
                  const std::string& def) {
  std::vector<std::string> names;
  for (const ActionRecord& r : records)
    if (!(r.*field).empty() && std::find(names.begin(), names.end(), r.*field) == names.end())
      names.push_back(r.*field);
  if (names.empty()) return def;
  std::string out = names.front();
  for (std::size_t i = 1; i < names.size(); ++i) out += ", " + names[i];
  return out;
}

}  // namespace

std::vector<LoggedRun> GroupRuns(const std::vector<LoggedRecord>& log) {
  std::vector<LoggedRun> runs;
  std::unordered_map<std::string, std::size_t> index;
  std::string key;
  std::size_t last = 0;
  for (std::size_t i = 0; i < log.size(); ++i) {
    const ActionRecord& r = log[i].Record;
    // A run's records stand together: the run of the record before is tried first, without a look-up. A
    // record with the run's identity belongs to that run alone; one without (written before runs had one)
    // to the run of its start time, batch and method.
    LoggedRun* run = nullptr;
    if (!runs.empty() && runs[last].Run == r.Run &&
        (!r.Run.empty() ||
         (runs[last].Time == r.Time && runs[last].Batch == r.Batch && runs[last].Method == r.Method))) {
      run = &runs[last];
    } else {
      if (!r.Run.empty())
        key.assign(1, '\x1e').append(r.Run);
      else
        key.assign(r.Time).append(1, '\x1f').append(r.Batch).append(1, '\x1f').append(r.Method);
      const auto [it, fresh] = index.try_emplace(key, runs.size());
      if (fresh) runs.push_back({r.Time, r.Batch, r.Method, r.Run, 0, 0, 0, {}});
      last = it->second;
      run = &runs[last];
    }
    ++run->Files;
    if (r.Result == kResultDone)
      ++run->Done;
    else if (r.Result == kResultFailed)
      ++run->Failed;
    run->Records.push_back(std::uint32_t(i));
  }
  return runs;
}

std::string ManifestOfRun(const LoggedRun& run, const std::vector<LoggedRecord>& log,
                          const std::string& manifestDir) {
  std::unordered_set<std::string_view> sources;
  for (std::uint32_t i : run.Records) sources.insert(log[i].Record.Source);
  const std::string start = ManifestStamp(run.Time);
  const QDir dir(Q(manifestDir));
  // Names sort as the records were created: "move-YYYYMMDD-HHMMSS-zzz.csv".
  for (const QFileInfo& f : dir.entryInfoList({QStringLiteral("move-*.csv")}, QDir::Files, QDir::Name)) {
    const std::string name = f.fileName().toStdString();
    if (name.ends_with(".restored.csv") || name.size() < 5 + start.size() ||
        name.compare(5, start.size(), start) < 0)
      continue;
    const std::string path = f.absoluteFilePath().toStdString();
    try {
      const MoveRecord record = MoveRecord::Read(path);
      if (record.Size() > 0 && sources.count(record.Source(0))) return path;
    } catch (const std::exception&) {
      // An unreadable record is not this run's.
    }
  }
  return {};
}

RecordsWindow::RecordsWindow(TForm1* form) : QDialog(form), form_(form) {
  setObjectName(QStringLiteral("RecordsWindow"));
  setWindowTitle(Q("작업 기록"));
  resize(720, 440);
  auto* column = new QVBoxLayout(this);
  Warning = new QLabel(this);
  Warning->setObjectName(QStringLiteral("Warning"));
  Warning->setStyleSheet(QStringLiteral("color: red;"));
  Warning->setWordWrap(true);
  Warning->hide();
  column->addWidget(Warning);

  auto* filter = new QHBoxLayout;
  From = new QDateEdit(this);
  To = new QDateEdit(this);
  for (QDateEdit* e : {From, To}) {
    e->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    e->setCalendarPopup(true);
  }
  From->setObjectName(QStringLiteral("From"));
  To->setObjectName(QStringLiteral("To"));
  MethodBox = new QComboBox(this);
  MethodBox->setObjectName(QStringLiteral("MethodBox"));
  MethodBox->addItem(Q("전체"));
  for (std::string_view m : {kMethodMove, kMethodDelete, kMethodShred, kMethodRestore})
    MethodBox->addItem(Q(m));
  filter->addWidget(new QLabel(Q("기간"), this));
  filter->addWidget(From);
  filter->addWidget(new QLabel(QStringLiteral("~"), this));
  filter->addWidget(To);
  filter->addSpacing(12);
  filter->addWidget(new QLabel(Q("방법"), this));
  filter->addWidget(MethodBox);
  filter->addStretch(1);
  column->addLayout(filter);

  Runs = new QTableWidget(0, 5, this);
  Runs->setObjectName(QStringLiteral("Runs"));
  Runs->setHorizontalHeaderLabels({Q("시간"), Q("방법"), Q("파일"), Q("성공"), Q("실패")});
  Runs->setSelectionBehavior(QAbstractItemView::SelectRows);
  Runs->setSelectionMode(QAbstractItemView::SingleSelection);
  Runs->setEditTriggers(QAbstractItemView::NoEditTriggers);
  Runs->verticalHeader()->hide();
  Runs->horizontalHeader()->setStretchLastSection(true);
  column->addWidget(Runs, 1);

  auto* buttons = new QHBoxLayout;
  ReportButton = new QPushButton(Q("확인서 보기"), this);
  ReportButton->setObjectName(QStringLiteral("ReportButton"));
  ReportButton->setToolTip(Q("고른 작업의 확인서, 고른 작업이 없으면 보이는 기간의 확인서"));
  RestoreButton = new QPushButton(Q("되돌리기"), this);
  RestoreButton->setObjectName(QStringLiteral("RestoreButton"));
  RestoreButton->setToolTip(Q("고른 이동 작업의 파일을 제자리로 되돌리기"));
  auto* close = new QPushButton(Q("닫기"), this);
  buttons->addWidget(ReportButton);
  buttons->addWidget(RestoreButton);
  buttons->addStretch(1);
  buttons->addWidget(close);
  column->addLayout(buttons);

  connect(From, &QDateEdit::dateChanged, this, [this] { Guarded(this, [&] { Fill(); }); });
  connect(To, &QDateEdit::dateChanged, this, [this] { Guarded(this, [&] { Fill(); }); });
  connect(MethodBox, &QComboBox::currentIndexChanged, this, [this] { Guarded(this, [&] { Fill(); }); });
  connect(Runs, &QTableWidget::itemSelectionChanged, this, [this] { UpdateButtons(); });
  connect(ReportButton, &QPushButton::clicked, this, [this] { Guarded(this, [&] { ShowReport(); }); });
  connect(RestoreButton, &QPushButton::clicked, this, [this] { Guarded(this, [&] { RestoreSelected(); }); });
  connect(close, &QPushButton::clicked, this, &QDialog::hide);
}

void RecordsWindow::Reload() {
  const std::string path = ActionLogPath();
  // The chain is checked while the records are read: both walk the whole file.
  std::future<LogCheck> checking =
      std::async(std::launch::async, [path, head = ReadChainHead()] { return VerifyActionLog(path, head); });
  log_ = ReadActionLog(path);
  const LogCheck check = checking.get();
  Warning->setText(Q(check.Message));
  Warning->setVisible(check.Broken());
  runs_ = GroupRuns(log_);
  // The dates take in every run (and today).
  QDate first = QDate::currentDate(), last = first;
  for (const LoggedRun& run : runs_) {
    const QDate day = DayOf(run.Time);
    if (!day.isValid()) continue;
    first = std::min(first, day);
    last = std::max(last, day);
  }
  {
    const QSignalBlocker a(From), b(To);
    From->setDate(first);
    To->setDate(last);
  }
  Fill();
}

void RecordsWindow::Fill() {
  const QDate from = From->date(), to = To->date();
  const QString method = MethodBox->currentIndex() > 0 ? MethodBox->currentText() : QString();
  const std::string methodText = method.toStdString();
  shown_.clear();
  for (int i = 0; i < int(runs_.size()); ++i) {
    const LoggedRun& run = runs_[i];
    if (!methodText.empty() && run.Method != methodText) continue;
    const QDate day = DayOf(run.Time);
    if (day.isValid() && (day < from || day > to)) continue;
    shown_.push_back(i);
  }
  // Newest first.
  std::stable_sort(shown_.begin(), shown_.end(), [&](int a, int b) { return runs_[a].Time > runs_[b].Time; });
  Runs->clearSelection();
  Runs->setRowCount(int(shown_.size()));
  for (int row = 0; row < int(shown_.size()); ++row) {
    const LoggedRun& run = runs_[shown_[row]];
    const QString cells[] = {Q(run.Time), Q(run.Method), QString::number(run.Files),
                             QString::number(run.Done), QString::number(run.Failed)};
    for (int c = 0; c < 5; ++c) {
      auto* item = new QTableWidgetItem(cells[c]);
      if (c >= 2) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      item->setToolTip(Q(run.Batch));
      Runs->setItem(row, c, item);
    }
  }
  Runs->resizeColumnsToContents();
  UpdateButtons();
}

void RecordsWindow::hideEvent(QHideEvent* e) {
  // The records are read again when the window opens: a hidden window keeps none of a large log.
  runs_.clear();
  shown_.clear();
  Runs->setRowCount(0);
  std::vector<LoggedRecord>().swap(log_);
  QDialog::hideEvent(e);
}

const LoggedRun* RecordsWindow::SelectedRun() const {
  const QModelIndexList rows = Runs->selectionModel()->selectedRows();
  if (rows.isEmpty()) return nullptr;
  const int row = rows.front().row();
  return row >= 0 && row < int(shown_.size()) ? &runs_[shown_[row]] : nullptr;
}

void RecordsWindow::UpdateButtons() {
  const LoggedRun* run = SelectedRun();
  RestoreButton->setEnabled(run && run->Method == kMethodMove);
  ReportButton->setEnabled(run || !shown_.empty());
}

void RecordsWindow::ShowReport() {
  ReportInput input;
  std::string name;
  if (const LoggedRun* run = SelectedRun()) {
    for (std::uint32_t i : run->Records) input.Records.push_back(log_[i].Record);
    input.From = input.To = run->Time.substr(0, 10);
    name = RunReportName(input.Records.front());
  } else {
    for (int r : shown_)
      for (std::uint32_t i : runs_[r].Records) input.Records.push_back(log_[i].Record);
    input.From = From->date().toString(QStringLiteral("yyyy-MM-dd")).toStdString();
    input.To = To->date().toString(QStringLiteral("yyyy-MM-dd")).toStdString();
    name = input.From + "_" + input.To;
    if (MethodBox->currentIndex() > 0) {
      name += '_';
      name += MethodBox->currentText().toStdString();
    }
  }
  input.Operator = Named(input.Records, &ActionRecord::User, CurrentUserName());
  input.Host = Named(input.Records, &ActionRecord::Host, CurrentHostName());
  input.Head = ReadChainHead();
  if (std::string pdf = OpenDestructionReport(this, input, name); !pdf.empty()) LastReport = std::move(pdf);
}

void RecordsWindow::RestoreSelected() {
  const LoggedRun* run = SelectedRun();
  if (!run || run->Method != kMethodMove) return;
  const std::string path = ManifestOfRun(*run, log_, ManifestDir());
  if (path.empty()) {
    plat::ui::CurrentDialogs().MessageBox(this, "이 작업의 이동 기록을 찾지 못했습니다.",
                                          plat::ui::ApplicationTitle(),
                                          plat::ui::MB_OK | plat::ui::MB_ICONWARNING);
    return;
  }
  form_->RestoreMove(path);
  Reload();
}

}  // namespace vek

void TForm1::ShowRecordsWindow() {
  auto* window = findChild<vek::RecordsWindow*>(QStringLiteral("RecordsWindow"), Qt::FindDirectChildrenOnly);
  if (!window) window = new vek::RecordsWindow(this);
  window->Reload();
  window->show();
  window->raise();
  window->activateWindow();
}
