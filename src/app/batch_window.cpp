// The window's move, delete and restore actions: the batch is written as before, then run inside the
// program with a progress dialog, and the window shows what really happened.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <set>
#include <unordered_set>

#include "app/batch_launcher.h"
#include "app/batch_run.h"
#include "app/batch_targets.h"
#include "app/restore_plan.h"
#include "app/veksecurity_01.h"
#include "grid/structure/scope_guard.h"
#include "platform/os/os.h"
#include "platform/text/text.h"

namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

constexpr const char* kMoveBatch = "c:\\batchmove.bat";
constexpr const char* kDeleteBatch = "c:\\batchdel.bat";
// Failed files named one by one in a summary; the rest are counted and in the action log.
constexpr std::size_t kListedFailures = 15;
// Files named one by one behind a question's "자세히"; the rest are counted.
constexpr std::size_t kListedDetails = 2000;
constexpr const char* kClosingNotice = "작업이 모두 종료 되면 누르십시오";
// The backup folders a move may have used.
const std::vector<std::string> kBackupDirs{"C:\\보안예비자료", "D:\\보안예비자료"};

// Thousands grouped with commas, as every count the user reads.
std::string Count(std::size_t n) {
  std::string digits = std::to_string(n), out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

// For each line, how many of the lines before it act on a file (one more entry at the end: all of them),
// so that progress counts files, not lines.
std::vector<int> FilesBefore(const std::vector<std::optional<std::string>>& lines) {
  std::vector<int> before(lines.size() + 1, 0);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view word = lines[i] ? std::string_view(*lines[i]) : std::string_view();
    while (!word.empty() && (word.front() == ' ' || word.front() == '@')) word.remove_prefix(1);
    word = word.substr(0, word.find_first_of(" \""));
    const bool file = plat::text::UpperCase(word) == "MOVE" || plat::text::UpperCase(word) == "DEL" ||
                      plat::text::UpperCase(word) == "ERASE";
    before[i + 1] = before[i] + (file ? 1 : 0);
  }
  return before;
}

// The grid's rows as the batch builders see them. A row that gets its lines stays in the grid until its
// line has run; only a terminal run (which the program does not watch) takes it out at once.
class GridBatchRows : public vek::BatchRows {
 public:
  GridBatchRows(TMemGrid* g, bool removeAtOnce) : g_(g), removeAtOnce_(removeAtOnce) {}
  int Count() override { return g_->RowCount(); }
  bool Ticked(int r) override { return g_->Cells(0, r).AsBoolean(); }
  std::string Folder(int r) override { return g_->Cells(4, r).AsString(); }
  std::string FileName(int r) override { return g_->Cells(1, r).AsString(); }
  void Remove(int r) override {
    if (removeAtOnce_) g_->DeleteRow(r, 1, false);
  }
  std::size_t MaxChars() override {
    return std::size_t(std::max(0, std::min(g_->Column(1)->DataWidth(), g_->Column(4)->DataWidth())));
  }

 private:
  TMemGrid* g_;
  bool removeAtOnce_;
};

std::string Elapsed(qint64 ms) {
  const qint64 s = ms / 1000;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%lld:%02lld", static_cast<long long>(s / 60), static_cast<long long>(s % 60));
  return buf;
}

// The file a batch line acts on, for the progress dialog: its first quoted operand.
std::string LineSubject(const std::string& line) {
  const std::size_t a = line.find('"');
  const std::size_t b = a == std::string::npos ? a : line.find('"', a + 1);
  if (b == std::string::npos) return line;
  return line.substr(a + 1, b - a - 1);
}

// Takes rows out of the grid, consecutive ones in one deletion: a hundred thousand handled rows are one
// move of the pools' tails, not one each.
void RemoveRows(TMemGrid* grid, std::vector<int> rows) {
  std::sort(rows.begin(), rows.end(), std::greater<int>());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  grid->BeginUpdate();
  for (auto it = rows.begin(); it != rows.end();) {
    const int last = *it;
    int first = last;
    for (++it; it != rows.end() && *it == first - 1; ++it) first = *it;
    if (last < grid->RowCount()) grid->DeleteRow(first, last - first + 1, false);
  }
  grid->EndUpdate(true);
}

}  // namespace

void TForm1::SetMemoText(std::string text) {
  memoText_ = std::move(text);
  memoPending_ = !Memo1->isVisible();
  if (!memoPending_) Memo1->setPlainText(Q(memoText_));
}

int TForm1::CountTicked() {
  int n = 0;
  for (int r = 0; r < Mgr_grid->RowCount(); ++r)
    if (Mgr_grid->Cells(0, r).AsBoolean()) ++n;
  return n;
}

std::string TForm1::SaveBatch(const std::string& windowsPath, const vek::BatchText& batch) {
  // The text is built once, for the memo and the file. Every line was checked on the way in, so the
  // conversion cannot fail here.
  SetMemoText(batch.Text());
  std::string bytes = plat::text::Utf8ToCp949(MemoText());
  plat::os::WriteFileBytes(plat::os::ResolvePath(windowsPath), bytes);
  return bytes;
}

void TForm1::TellRefusals(const vek::BatchText& batch) {
  const std::string notice = batch.RefusalNotice();
  if (!notice.empty())
    plat::ui::CurrentDialogs().MessageBox(this, notice, plat::ui::ApplicationTitle(),
                                          plat::ui::MB_OK | plat::ui::MB_ICONWARNING);
}

void TForm1::BitBtn4Click(QObject*) {
  plat::os::CreateDir(plat::os::ResolvePath(BackupDir));  // failure ignored
  if (!MsgBoxQuestion("정말 이동하시겠습니까 ? ")) return;
  ShowWait();
  // The wait notice goes however the batch's writing ends.
  TwScopeExit hide([this] { HideWait(); });
  SetMemoText({});
  const bool terminal = vek::TerminalRequested();
  GridBatchRows rows(Mgr_grid, terminal);
  const vek::BatchText batch = vek::BuildMoveBatch(rows, BackupDir, vek::HostTargetProbe().get());
  const std::string written = SaveBatch(kMoveBatch, batch);
  if (terminal) {
    // The terminal shows the batch's own output; the program does not learn the outcome.
    TellStartFailure(kMoveBatch, OKPostExec(kMoveBatch, 1));
    HideWait();
    TellRefusals(batch);
    FitIndicatorWidth();
    plat::os::Sleep(3000);
    plat::ui::CurrentDialogs().ShowMessage(this, kClosingNotice);
    return;
  }
  HideWait();
  TellRefusals(batch);
  // The summary of a run the program watched ends with the closing notice: one OK ends it.
  RunBatchInWindow(kMoveBatch, batch, written, BatchAction::Move);
}

void TForm1::BitBtn6Click(QObject*) {
  // One Enter must not delete: No is the default button. The count follows the question's own text.
  const int ticked = CountTicked();
  if (!MsgBoxQuestion("영구 삭제됩니다. 정말 진행하시겠습니까 ? \n\n영구 삭제할 파일: " + std::to_string(ticked) + "개",
                      true))
    return;
  SetMemoText({});
  ShowWait();
  TwScopeExit hide([this] { HideWait(); });
  const bool terminal = vek::TerminalRequested();
  GridBatchRows rows(Mgr_grid, terminal);
  const vek::BatchText batch = vek::BuildDeleteBatch(rows);
  const std::string written = SaveBatch(kDeleteBatch, batch);
  if (terminal) {
    TellStartFailure(kDeleteBatch, OKPostExec(kDeleteBatch, 1));
    HideWait();
    TellRefusals(batch);
    FitIndicatorWidth();
    return;
  }
  HideWait();
  TellRefusals(batch);
  RunBatchInWindow(kDeleteBatch, batch, written, BatchAction::Delete);
}

void TForm1::TellStartFailure(const std::string& batch, int code) {
  if (code == 0) return;
  // The handled rows have already left the list: the user must know that nothing was done to the files.
  const std::string text = "배치 파일을 실행하지 못했습니다. 파일은 이동되거나 삭제되지 않았습니다.\n" +
                           plat::os::ResolvePath(batch) + "\n(" + std::strerror(code) + ")";
  plat::ui::CurrentDialogs().MessageBox(this, text, plat::ui::ApplicationTitle(),
                                        plat::ui::MB_OK | plat::ui::MB_ICONERROR);
}

int TForm1::OKPostExec(const std::string& Command, int) { return vek::StartBatch(plat::os::ResolvePath(Command)); }

std::vector<plat::batch::LineResult> TForm1::RunLines(std::vector<std::optional<std::string>> lines,
                                                       const std::string& title, const std::string& doing,
                                                       const LineDone& onLine, const std::function<void()>& onTaken) {
  const std::vector<int> filesBefore = FilesBefore(lines);
  vek::BatchRunner runner(std::move(lines));
  const auto take = [&] {
    if (runner.TakeFinished(onLine) > 0 && onTaken) onTaken();
  };
  QEventLoop loop;
  // The end of the run ends the wait at once, not at the next look at the progress.
  runner.OnFinished = [&loop] { QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection); };
  if (BeforeBatchRun) BeforeBatchRun(runner);
  // The window's controls take nothing while the batch runs (its rows are being acted on); the progress
  // dialog, a window of its own, keeps its Cancel button.
  batchRunning_ = true;
  centralWidget()->setEnabled(false);
  const TwScopeExit restore([this] {
    centralWidget()->setEnabled(true);
    batchRunning_ = false;
  });
  runner.Start();
  QProgressDialog dialog(this);
  dialog.setObjectName("BatchProgress");
  dialog.setWindowTitle(Q(title));
  dialog.setWindowModality(Qt::WindowModal);
  dialog.setAutoClose(false);
  dialog.setAutoReset(false);
  dialog.setMinimumWidth(520);
  dialog.setRange(0, std::max(1, filesBefore.back()));
  dialog.setCancelButtonText(Q("취소"));
  QElapsedTimer clock;
  clock.start();
  QTimer tick;
  // The records of finished lines are written here, beside the worker, not on its thread.
  const auto update = [&] {
    take();
    const vek::BatchRunner::Progress p = runner.Snapshot();
    if (p.Finished) {
      loop.quit();
      return;
    }
    // Progress counts files: folder lines are steps of the file that follows them.
    const int files = filesBefore[std::size_t(std::clamp(p.Done, 0, int(filesBefore.size()) - 1))];
    std::string label = doing + " (" + Count(std::size_t(files)) + " / " + Count(std::size_t(filesBefore.back())) +
                        ")\n" + vek::DisplayPath(LineSubject(p.Current)) + "\n경과 시간 " + Elapsed(clock.elapsed());
    if (dialog.wasCanceled()) label = "취소하는 중입니다. 지금 처리 중인 파일까지 마칩니다.\n" + label;
    dialog.setLabelText(Q(label));
    dialog.setValue(files);
    // Short runs end before the dialog is worth showing.
    if (!dialog.isVisible() && clock.elapsed() >= 300) dialog.show();
  };
  connect(&dialog, &QProgressDialog::canceled, &dialog, [&] { runner.Cancel(); });
  connect(&tick, &QTimer::timeout, &dialog, update);
  tick.start(50);
  update();
  if (!runner.Finished()) loop.exec();
  tick.stop();
  runner.Wait();
  take();
  dialog.hide();
  return runner.TakeResults();
}

void TForm1::RunBatchInWindow(const std::string& windowsPath, const vek::BatchText& batch, std::string_view written,
                              BatchAction action) {
  const std::string host = plat::os::ResolvePath(windowsPath);
  // The file on disk is what runs, so that the batch file stays the record of what was done.
  std::vector<std::optional<std::string>> lines =
      vek::ReadBackBatchLines(plat::os::ReadFileBytes(host), written, batch.Lines());
  const bool mapped = lines.size() == batch.Lines().size();
  const bool move = action == BatchAction::Move;
  const std::string when = vek::NowText();
  // Every file action is recorded as soon as the window sees it done (at its next look at the progress): a
  // run that is killed half-way still leaves the action log and the manifest of what it moved.
  vek::RunJournal journal(move);
  // The batch's own log beside it, as the interpreter writes it, line by line as the run goes.
  std::vector<char> batchLogBuffer(1 << 16);
  std::ofstream batchLog;
  batchLog.rdbuf()->pubsetbuf(batchLogBuffer.data(), std::streamsize(batchLogBuffer.size()));
  batchLog.open(vek::BatchLogPath(host), std::ios::app | std::ios::binary);
  batchLog << "== " << vek::NowText() << " " << host << "\n";
  int logOk = 0, logFailed = 0;
  const auto record = [&](std::size_t i, const plat::batch::LineResult& r) {
    if (r.status == plat::batch::LineStatus::Succeeded) ++logOk;
    if (r.status == plat::batch::LineStatus::Failed) ++logFailed;
    for (const std::string& note : r.notes) batchLog << note << "\n";
    if (r.status != plat::batch::LineStatus::Skipped || !r.message.empty()) batchLog << plat::batch::FormatLine(r) << "\n";
    const vek::BatchText::LineInfo* info = mapped ? &batch.Info()[i] : nullptr;
    if ((info && !vek::BatchText::IsFileLine(info->Kind)) || r.status == plat::batch::LineStatus::Skipped) return;
    const bool ok = r.status == plat::batch::LineStatus::Succeeded;
    const std::string subject = info ? std::string() : LineSubject(batch.Lines().size() > i ? batch.Lines()[i] : "");
    const std::string_view source = info ? std::string_view(info->Source) : std::string_view(subject);
    const std::string_view target = info ? std::string_view(info->Target) : std::string_view();
    const std::string reason = ok ? std::string() : vek::KoreanReason(r.message);
    const std::initializer_list<std::string_view> row = {when, windowsPath, move ? "이동" : "삭제", source, target,
                                                         ok ? "성공" : "실패", reason};
    if (ok && move && info) {
      // The backup copy as the move left it, so that a restore puts back this file and no other; and what
      // the result file said of it, so that it comes back to the list as it was.
      const bool listed = info->Row >= 0 && info->Row < Mgr_grid->RowCount();
      journal.AddMoved(row, info->Source, info->Target, vek::StampOf(plat::os::ResolvePath(info->Target)),
                       listed ? Mgr_grid->Cells(2, info->Row).AsString() : std::string(),
                       listed ? Mgr_grid->Cells(3, info->Row).AsString() : std::string());
    } else {
      journal.Add(row, nullptr);
    }
  };
  const std::vector<plat::batch::LineResult> results =
      RunLines(std::move(lines), move ? "파일 이동" : "파일 삭제", move ? "파일을 옮기는 중입니다" : "파일을 지우는 중입니다", record,
               [&] {
                 journal.Flush();
                 batchLog.flush();
               });
  const std::string manifest = journal.Finish();

  // The batch's own log ends with the totals.
  if (results.size() < batch.Lines().size()) batchLog << "cancelled after line " << results.size() << "\n";
  batchLog << logOk << " succeeded, " << logFailed << " failed\n"
           << "exit code " << (logFailed ? plat::batch::kExitSomeFailed : plat::batch::kExitAllSucceeded) << "\n";
  batchLog.close();

  // Rows whose file line succeeded leave the list; failed ones and those not run stay, still ticked.
  std::vector<int> done;  // rows from the last up
  std::vector<std::pair<std::string, std::string>> failures;  // path, reason
  int succeeded = 0, failed = 0;
  for (std::size_t i = 0; i < results.size(); ++i) {
    const plat::batch::LineResult& r = results[i];
    const vek::BatchText::LineInfo* info = mapped ? &batch.Info()[i] : nullptr;
    const bool ok = r.status == plat::batch::LineStatus::Succeeded;
    // A folder that could not be made shows in its move line's failure.
    if (info && !vek::BatchText::IsFileLine(info->Kind)) continue;
    if (r.status == plat::batch::LineStatus::Skipped) continue;
    ok ? ++succeeded : ++failed;
    const std::string source = info ? info->Source : LineSubject(batch.Lines().size() > i ? batch.Lines()[i] : "");
    if (ok && info && info->Row >= 0) done.push_back(info->Row);
    if (!ok) failures.emplace_back(source, vek::KoreanReason(r.message));
  }
  const int notRun = int(std::count_if(batch.Info().begin() + std::ptrdiff_t(std::min(results.size(), batch.Info().size())),
                                       batch.Info().end(),
                                       [](const auto& info) { return vek::BatchText::IsFileLine(info.Kind); }));
  // A row naming the same file as a row above leaves with it, once its file is gone.
  {
    const std::unordered_set<int> handled(done.begin(), done.end());
    for (const vek::BatchText::Follower& f : batch.Followers())
      if (handled.count(f.Leader) && f.Row < Mgr_grid->RowCount() &&
          !plat::os::FileExists(plat::os::ResolvePath(RowFolder(f.Row) + "\\" + RowFileName(f.Row))))
        done.push_back(f.Row);
  }
  RemoveRows(Mgr_grid, std::move(done));
  FitIndicatorWidth();

  const std::string recordProblem =
      journal.Problem().empty() ? std::string() : "\n\n작업 기록을 남기지 못했습니다: " + journal.Problem();

  // The counts add up to the rows that were ticked.
  std::string summary = Count(std::size_t(succeeded)) + "개 " + (move ? "이동" : "삭제") + ", " +
                        Count(std::size_t(failed)) + "개 실패";
  if (!batch.Refusals().empty()) summary += ", " + Count(batch.Refusals().size()) + "개 제외";
  if (notRun > 0) summary += ", " + Count(std::size_t(notRun)) + "개 취소(그대로 둠)";
  if (!batch.Followers().empty()) summary += ", " + Count(batch.Followers().size()) + "개 중복(같은 파일)";
  if (failed > 0 || notRun > 0) summary += "\n실패하거나 취소된 항목은 목록에 체크된 채로 남아 있습니다.";
  if (!batch.Refusals().empty()) summary += "\n제외된 항목은 목록에 체크된 채로 남아 있습니다.";
  for (std::size_t i = 0; i < failures.size() && i < kListedFailures; ++i)
    summary += "\n\n" + vek::DisplayPath(failures[i].first) + "\n  " + vek::DisplayPath(failures[i].second);
  if (failures.size() > kListedFailures)
    summary += "\n\n... 외 " + Count(failures.size() - kListedFailures) + "개 (작업 기록에 모두 있습니다)";
  if (!manifest.empty()) summary += "\n\n옮긴 파일은 \"되돌리기\"로 제자리에 돌려놓을 수 있습니다.";
  summary += "\n작업 기록: " + vek::ActionLogPath() + recordProblem;
  if (move) summary += std::string("\n\n") + kClosingNotice;
  plat::ui::CurrentDialogs().MessageBox(this, summary, plat::ui::ApplicationTitle(),
                                        plat::ui::MB_OK | (failed || notRun ? plat::ui::MB_ICONWARNING : plat::ui::MB_ICONINFORMATION));
}

namespace {

// The question before a restore: how many files go back, into which folders, and what cannot be checked or
// done; the files themselves behind "자세히".
std::string RestoreQuestion(const vek::RestorePlan& plan, const std::string& path) {
  std::string text = "옮긴 파일 " + Count(plan.Restorable()) + "개를 원래 자리로 되돌리시겠습니까 ? \n\n되돌릴 폴더 " +
                     Count(plan.Folders().size()) + "곳:";
  constexpr std::size_t kNamedFolders = 5;
  for (std::size_t i = 0; i < plan.Folders().size() && i < kNamedFolders; ++i)
    text += "\n  " + vek::DisplayPath(plan.Folders()[i]);
  if (plan.Folders().size() > kNamedFolders) text += "\n  ... 외 " + Count(plan.Folders().size() - kNamedFolders) + "곳";
  if (plan.Unstamped() > 0)
    text += "\n\n" + Count(plan.Unstamped()) +
            "개는 예전 형식의 이동 기록이라 이동한 그 파일인지 끝까지 확인할 수 없습니다(자리와 크기만 확인합니다).";
  if (plan.Refused() > 0)
    text += "\n\n" + Count(plan.Refused()) + "개는 되돌릴 수 없어 제외합니다. 그 파일들은 백업 폴더와 이동 기록에 그대로 남습니다.";
  text += "\n\n이동 기록: " + path;
  return text;
}

std::string RestoreDetails(const vek::RestorePlan& plan, const vek::MoveRecord& record) {
  std::string details;
  std::size_t listed = 0;
  for (std::size_t i = 0; i < plan.Count() && listed < kListedDetails; ++i, ++listed) {
    const vek::RestorePlan::Verdict v = plan.Of(i);
    details += vek::DisplayPath(record.Target(i)) + " -> " + vek::DisplayPath(record.Source(i));
    if (v == vek::RestorePlan::Verdict::RestoreUnstamped) details += "  (자리와 크기만 확인)";
    if (!vek::RestorePlan::Restores(v)) details += "\n  제외: " + std::string(vek::RestorePlan::Reason(v));
    details += "\n";
  }
  if (plan.Count() > listed) details += "... 외 " + Count(plan.Count() - listed) + "개\n";
  return details;
}

}  // namespace

void TForm1::RestoreMove(const std::string& manifestHostPath) {
  std::string path = manifestHostPath;
  if (path.empty()) path = vek::LatestManifest();
  if (path.empty() || !plat::os::FileExists(path)) {
    plat::ui::CurrentDialogs().MessageBox(this, "되돌릴 이동 기록이 없습니다.", plat::ui::ApplicationTitle(),
                                          plat::ui::MB_OK | plat::ui::MB_ICONINFORMATION);
    return;
  }
  const vek::MoveRecord record = vek::MoveRecord::Read(path);
  const vek::RestorePlan plan(record, kBackupDirs, vek::ReadRestored(path));
  if (plan.Restorable() == 0) {
    plat::ui::CurrentDialogs().MessageBoxWithDetails(
        this,
        "이 이동 기록에서 되돌릴 수 있는 파일이 없습니다. " + Count(plan.Count()) +
            "개 모두 백업 폴더와 이동 기록에 그대로 남아 있습니다.\n이동 기록: " + path,
        RestoreDetails(plan, record), plat::ui::ApplicationTitle(), plat::ui::MB_OK | plat::ui::MB_ICONWARNING);
    return;
  }
  if (plat::ui::CurrentDialogs().MessageBoxWithDetails(this, RestoreQuestion(plan, path), RestoreDetails(plan, record),
                                                       plat::ui::ApplicationTitle(),
                                                       plat::ui::MB_YESNO | plat::ui::MB_ICONQUESTION) != plat::ui::IDYES)
    return;
  // Each file goes back into its old folder (made again when it is gone), never over a file now there.
  vek::BatchText batch;
  batch.Reserve(2 * plan.Restorable() + 1);
  for (std::size_t i = 0; i < record.Size(); ++i) {
    if (!vek::RestorePlan::Restores(plan.Of(i))) continue;
    const std::string_view source = record.Source(i);
    const std::string_view folder = source.substr(0, source.find_last_of('\\'));
    batch.AddMdPath(folder, int(i));
    batch.AddMovePath(record.Target(i), folder, int(i));
  }
  batch.GuardDelayedExpansion();
  std::vector<std::optional<std::string>> lines(batch.Lines().begin(), batch.Lines().end());
  const std::vector<plat::batch::LineResult> results =
      RunLines(std::move(lines), "되돌리기", "파일을 원래 자리로 옮기는 중입니다");
  std::size_t back = 0, failed = 0;
  std::vector<std::pair<std::string, std::string>> failures;
  std::vector<std::vector<std::string>> logRows;
  std::vector<vek::ManifestEntry> restored;
  const std::string when = vek::NowText();
  for (std::size_t i = 0; i < results.size(); ++i) {
    const vek::BatchText::LineInfo& info = batch.Info()[i];
    if (info.Kind != vek::BatchText::LineKind::Move) continue;
    const std::size_t entry = std::size_t(info.Row);
    bool ok = results[i].status == plat::batch::LineStatus::Succeeded;
    std::string reason = ok ? std::string() : vek::KoreanReason(results[i].message);
    const std::string source(record.Source(entry));
    // An older record's file is known again by its size only: said when it no longer matches.
    const std::int64_t before = plan.SizeBefore(entry);
    if (ok && before >= 0) {
      const std::optional<vek::FileStamp> now = vek::StampOf(plat::os::ResolvePath(source));
      if (!now || now->Size != before) reason = "되돌렸지만 크기가 되돌리기 전과 다름";
    }
    if (ok) {
      ++back;
      restored.push_back(record.Entry(entry));
    } else {
      ++failed;
      failures.emplace_back(std::string(record.Target(entry)), reason);
    }
    logRows.push_back({when, path, "되돌리기", std::string(record.Target(entry)), source, ok ? "성공" : "실패", reason});
  }
  // The files put back return to the list, unticked, as the result file listed them.
  for (const vek::ManifestEntry& e : restored) {
    const std::size_t cut = e.Source.find_last_of('\\');
    const int r = Mgr_grid->RowCount();
    Mgr_grid->AppendRow(true, false, false);
    Mgr_grid->Cells(1, r).SetAsString(e.Source.substr(cut + 1));
    Mgr_grid->Cells(2, r).SetAsString(e.Kind);
    Mgr_grid->Cells(3, r).SetAsString(e.Hits);
    Mgr_grid->Cells(4, r).SetAsString(e.Source.substr(0, cut));
  }
  if (!restored.empty()) {
    FitIndicatorWidth();
    UpdateCountLine();
  }
  std::string recordProblem;
  try {
    if (!logRows.empty()) vek::AppendActionLog(logRows);
    vek::AppendRestored(path, restored);
  } catch (const std::exception& e) {
    recordProblem = std::string("\n\n작업 기록을 남기지 못했습니다: ") + e.what();
  }
  const std::size_t notRun = plan.Restorable() - back - failed;
  std::string summary = Count(back) + "개 되돌림, " + Count(failed) + "개 실패";
  if (plan.Refused() > 0) summary += ", " + Count(plan.Refused()) + "개 제외";
  if (notRun > 0) summary += ", " + Count(notRun) + "개 취소(그대로 둠)";
  for (std::size_t i = 0; i < failures.size() && i < kListedFailures; ++i)
    summary += "\n\n" + vek::DisplayPath(failures[i].first) + "\n  " + vek::DisplayPath(failures[i].second);
  if (back < record.Size())
    summary += "\n\n되돌리지 않은 파일은 백업 폴더에 그대로 있고, 이동 기록에 남아 있어 다시 되돌릴 수 있습니다.";
  summary += "\n작업 기록: " + vek::ActionLogPath() + recordProblem;
  plat::ui::CurrentDialogs().MessageBox(
      this, summary, plat::ui::ApplicationTitle(),
      plat::ui::MB_OK | (failed || notRun || plan.Refused() ? plat::ui::MB_ICONWARNING : plat::ui::MB_ICONINFORMATION));
}
