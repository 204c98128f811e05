// The window's move, delete and restore actions: the questions, the progress of a batch session, its summary,
// and the rows taken out of (or put back into) the list. The session does the work.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstring>

#include "app/batch_launcher.h"
#include "app/batch_session.h"
#include "app/batch_targets.h"
#include "app/destruction_report.h"
#include "app/restore_plan.h"
#include "app/scan_load.h"
#include "app/veksecurity_01.h"
#include "grid/structure/scope_guard.h"
#include "platform/batch/medium.h"
#include "platform/os/os.h"

namespace {

QString Q(const std::string& s) {
  return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

constexpr const char* kMoveBatch = "c:\\batchmove.bat";
constexpr const char* kDeleteBatch = "c:\\batchdel.bat";
// Files named one by one behind a question's "자세히"; the rest are counted.
constexpr std::size_t kListedDetails = 2000;

// The grid's rows as the batch builders see them. A row that gets its lines stays in the grid until its
// line has run; only a terminal run (which the program does not watch) takes it out at once.
class GridBatchRows : public vek::BatchRows {
 public:
  GridBatchRows(TForm1& form, bool removeAtOnce)
      : form_(form), g_(form.Mgr_grid), removeAtOnce_(removeAtOnce) {}
  int Count() override { return g_->RowCount(); }
  bool Ticked(int r) override { return g_->Cells(TForm1::kTickColumn, r).AsBoolean(); }
  std::string Folder(int r) override { return g_->Cells(TForm1::kFolderColumn, r).AsString(); }
  std::string FileName(int r) override { return g_->Cells(TForm1::kNameColumn, r).AsString(); }
  std::string Kind(int r) override { return g_->Cells(TForm1::kKindColumn, r).AsString(); }
  std::string Hits(int r) override { return g_->Cells(TForm1::kHitsColumn, r).AsString(); }
  void Remove(int r) override {
    if (removeAtOnce_) form_.RemoveListRows({r});
  }
  std::size_t MaxChars() override {
    return std::size_t(std::max(0, std::min(g_->Column(TForm1::kNameColumn)->DataWidth(),
                                            g_->Column(TForm1::kFolderColumn)->DataWidth())));
  }

 private:
  TForm1& form_;
  TMemGrid* g_;
  bool removeAtOnce_;
};

// While it lives, Ctrl+C in a message box copies the box's texts, as a user expects of a message box (Qt's
// own box does so only on Windows): the title, the text, the note under it, the check box with its state and
// the buttons, between lines of dashes. The blanks of zero width that let long paths wrap are left out.
class MessageBoxCopy : public QObject {
 public:
  MessageBoxCopy() { qApp->installEventFilter(this); }
  ~MessageBoxCopy() override { qApp->removeEventFilter(this); }
  MessageBoxCopy(const MessageBoxCopy&) = delete;
  MessageBoxCopy& operator=(const MessageBoxCopy&) = delete;

  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() != QEvent::KeyPress || !static_cast<QKeyEvent*>(e)->matches(QKeySequence::Copy))
      return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    auto* box = widget ? qobject_cast<QMessageBox*>(widget->window()) : nullptr;
    if (!box) return false;
    const QString line = QStringLiteral("---------------------------\n");
    QString text = line + box->windowTitle() + u'\n' + line + box->text() + u'\n' + line;
    if (!box->informativeText().isEmpty()) text += box->informativeText() + u'\n' + line;
    if (const QCheckBox* check = box->checkBox())
      text += (check->isChecked() ? QStringLiteral("[v] ") : QStringLiteral("[ ] ")) + check->text() + u'\n' +
              line;
    for (const QAbstractButton* b : box->buttons())
      if (b->isVisible()) text += b->text() + QStringLiteral("   ");
    text += u'\n' + line;
    text.remove(QChar(0x200B));
    QGuiApplication::clipboard()->setText(text);
    return true;
  }
};

std::string Elapsed(qint64 ms) {
  const qint64 s = ms / 1000;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%lld:%02lld", static_cast<long long>(s / 60),
                static_cast<long long>(s % 60));
  return buf;
}

// The question before a restore: how many files go back, into which folders, and what cannot be checked or
// done; the files themselves behind "자세히".
std::string RestoreQuestion(const vek::RestorePlan& plan, const std::string& path) {
  using vek::GroupedNumber;
  std::string text = "옮긴 파일 " + GroupedNumber(plan.Restorable()) +
                     "개를 원래 자리로 되돌리시겠습니까 ? \n\n되돌릴 폴더 " +
                     GroupedNumber(plan.Folders().size()) + "곳:";
  constexpr std::size_t kNamedFolders = 5;
  for (std::size_t i = 0; i < plan.Folders().size() && i < kNamedFolders; ++i)
    text += "\n  " + vek::DisplayPath(plan.Folders()[i]);
  if (plan.Folders().size() > kNamedFolders)
    text += "\n  ... 외 " + GroupedNumber(plan.Folders().size() - kNamedFolders) + "곳";
  if (plan.Unstamped() > 0)
    text += "\n\n" + GroupedNumber(plan.Unstamped()) +
            "개는 예전 형식의 이동 기록이라 이동한 그 파일인지 끝까지 확인할 수 없습니다(자리와 크기만 "
            "확인합니다).";
  if (plan.Refused() > 0)
    text += "\n\n" + GroupedNumber(plan.Refused()) +
            "개는 되돌릴 수 없어 제외합니다. 그 파일들은 백업 폴더와 이동 기록에 그대로 남습니다.";
  return text + "\n\n이동 기록: " + path;
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
  if (plan.Count() > listed) details += "... 외 " + vek::GroupedNumber(plan.Count() - listed) + "개\n";
  return details;
}

}  // namespace

void TForm1::SetMemoText(std::string text) {
  memoText_ = std::move(text);
  memoPending_ = !Memo1->isVisible();
  if (!memoPending_) Memo1->setPlainText(Q(memoText_));
}

void TForm1::TellRefusals(const vek::BatchText& batch) {
  const std::string notice = batch.RefusalNotice();
  if (!notice.empty())
    plat::ui::CurrentDialogs().MessageBox(this, notice, plat::ui::ApplicationTitle(),
                                          plat::ui::MB_OK | plat::ui::MB_ICONWARNING);
}

void TForm1::BitBtn4Click(QObject*) {
  plat::os::CreateDir(plat::os::ResolvePath(context_.BackupDir));  // failure ignored
  if (!MsgBoxQuestion("정말 이동하시겠습니까 ? ")) return;
  RunBatchAction(vek::BatchAction::Move);
}

void TForm1::BitBtn6Click(QObject*) {
  // One Enter must not delete: No is the default button. The count follows the question's own text.
  const std::string question =
      "영구 삭제됩니다. 정말 진행하시겠습니까 ? \n\n영구 삭제할 파일: " + vek::GroupedNumber(CountTicked()) +
      "개";
  if (vek::TerminalRequested()) {
    // The program learns nothing of a batch run in a terminal: no 완전삭제, and no record of it.
    if (MsgBoxQuestion(question + "\n\n터미널에서 실행하면 결과를 알 수 없어 작업 기록을 남길 수 없습니다.",
                       true))
      RunBatchAction(vek::BatchAction::Delete);
    return;
  }
  bool shred = false;
  const MessageBoxCopy copy;  // the note on what the medium can promise can be copied and kept
  const int answer = plat::ui::CurrentDialogs().MessageBoxWithCheck(
      this, question, plat::ui::ApplicationTitle(),
      plat::ui::MB_YESNO | plat::ui::MB_ICONQUESTION | plat::ui::MB_DEFBUTTON2, "완전삭제(복구 불가)", shred,
      MediumQuestionNote());
  if (answer == plat::ui::IDYES) RunBatchAction(vek::BatchAction::Delete, shred);
}

std::string TForm1::MediumQuestionNote() {
  // What overwriting can promise for the ticked files, grouped by the device they lie on.
  std::vector<std::string> paths;
  for (int r = 0; r < Mgr_grid->RowCount(); ++r)
    if (Mgr_grid->Cells(kTickColumn, r).AsBoolean())
      paths.push_back(plat::os::ResolvePath(RowFolder(r) + "\\" + RowFileName(r)));
  std::string note = "완전삭제는 파일의 내용을 덮어쓴 뒤 지웁니다.";
  for (const plat::batch::MediumGroup& g : plat::batch::GroupByMedium(paths))
    note += "\n" + (g.Note.DeviceName.empty() ? std::string("(장치 모름)") : g.Note.DeviceName) + ": " +
            g.Note.Text() + " (" + vek::GroupedNumber((long long)g.Files.size()) + "개)";
  return note;
}

void TForm1::RunBatchAction(vek::BatchAction action, bool shred) {
  const bool move = action == vek::BatchAction::Move;
  const char* file = move ? kMoveBatch : kDeleteBatch;
  ShowWait();
  // The wait notice goes however the batch's writing ends.
  const TwScopeExit hide([this] { HideWait(); });
  SetMemoText({});
  const bool terminal = vek::TerminalRequested();
  GridBatchRows rows(*this, terminal);
  const std::unique_ptr<vek::BatchSession> session =
      move ? vek::BatchSession::ForMove(rows, context_.BackupDir, vek::HostTargetProbe().get())
           : vek::BatchSession::ForDelete(rows, shred);
  SetMemoText(session->Text());
  session->Write(file);
  if (terminal) {
    // The terminal shows the batch's own output; the program does not learn the outcome.
    TellStartFailure(file, OKPostExec(file, 1));
    HideWait();
    TellRefusals(session->Batch());
    FitIndicatorWidth();
    if (move) {
      plat::os::Sleep(3000);
      plat::ui::CurrentDialogs().ShowMessage(this, "작업이 모두 종료 되면 누르십시오");
    }
    return;
  }
  HideWait();
  TellRefusals(session->Batch());
  const vek::BatchOutcome outcome = RunSession(*session,
                                               move    ? "파일 이동"
                                               : shred ? "완전삭제"
                                                       : "파일 삭제",
                                               move    ? "파일을 옮기는 중입니다"
                                               : shred ? "파일을 덮어쓰고 지우는 중입니다"
                                                       : "파일을 지우는 중입니다");
  // Rows whose file was handled leave the list; failed, left-out and cancelled ones stay, still ticked.
  RemoveListRows(outcome.DoneRows);
  FitIndicatorWidth();
  ShowOutcome(outcome);
}

void TForm1::ShowOutcome(const vek::BatchOutcome& outcome) {
  const int flags =
      plat::ui::MB_OK | (outcome.AllWell() ? plat::ui::MB_ICONINFORMATION : plat::ui::MB_ICONWARNING);
  const MessageBoxCopy copy;  // the summary names files and reasons a user may want to keep
  if (outcome.Records.Empty() || outcome.Action == vek::BatchAction::Restore) {
    plat::ui::CurrentDialogs().MessageBox(this, outcome.Summary(), plat::ui::ApplicationTitle(), flags);
    return;
  }
  if (plat::ui::CurrentDialogs().MessageBoxWithAction(this, outcome.Summary(), plat::ui::ApplicationTitle(),
                                                      flags, "확인서 보기") == plat::ui::IDACTION)
    OpenRunReport(outcome);
}

void TForm1::OpenRunReport(const vek::BatchOutcome& outcome) {
  // The 확인서 of this run from its records, as the action log holds them: the files it destroyed and those
  // it left (failed, left out, cancelled), so that it reads the same when opened later from "작업 기록".
  vek::ReportInput input;
  input.Operator = vek::CurrentUserName();
  input.Host = vek::CurrentHostName();
  input.From = input.To = outcome.Records.Shared().Time.substr(0, 10);
  input.Records = outcome.Records.All();
  input.Head = outcome.Head;
  if (std::string pdf = vek::OpenDestructionReport(this, input, vek::RunReportName(outcome.Records.Shared()));
      !pdf.empty())
    LastReport = std::move(pdf);
}

void TForm1::TellStartFailure(const std::string& batch, int code) {
  if (code == 0) return;
  // The handled rows have already left the list: the user must know that nothing was done to the files.
  const std::string text = "배치 파일을 실행하지 못했습니다. 파일은 이동되거나 삭제되지 않았습니다.\n" +
                           plat::os::ResolvePath(batch) + "\n(" + std::strerror(code) + ")";
  plat::ui::CurrentDialogs().MessageBox(this, text, plat::ui::ApplicationTitle(),
                                        plat::ui::MB_OK | plat::ui::MB_ICONERROR);
}

int TForm1::OKPostExec(const std::string& Command, int) {
  return vek::StartBatch(plat::os::ResolvePath(Command));
}

vek::BatchOutcome TForm1::RunSession(vek::BatchSession& session, const std::string& title,
                                     const std::string& doing) {
  QEventLoop loop;
  session.Start([&](vek::BatchRunner& runner) {
    // The end of the run ends the wait at once, not at the next look at the progress.
    runner.OnFinished = [&loop] {
      QMetaObject::invokeMethod(
          &loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    };
    if (BeforeBatchRun) BeforeBatchRun(runner);
  });
  // The window's controls take nothing while the batch runs (its rows are being acted on); the progress
  // dialog, a window of its own, keeps its Cancel button.
  batchRunning_ = true;
  centralWidget()->setEnabled(false);
  const TwScopeExit restore([this] {
    centralWidget()->setEnabled(true);
    batchRunning_ = false;
  });
  QProgressDialog dialog(this);
  dialog.setObjectName("BatchProgress");
  dialog.setWindowTitle(Q(title));
  dialog.setWindowModality(Qt::WindowModal);
  dialog.setAutoClose(false);
  dialog.setAutoReset(false);
  dialog.setMinimumWidth(520);
  dialog.setCancelButtonText(Q("취소"));
  QElapsedTimer clock;
  clock.start();
  // The records of finished files are written here, beside the worker, not on its thread.
  const auto update = [&] {
    session.Record();
    const vek::BatchSession::Progress p = session.Snapshot();
    if (p.Finished) {
      loop.quit();
      return;
    }
    std::string label = doing + " (" + vek::GroupedNumber(p.FilesDone) + " / " + vek::GroupedNumber(p.Files) +
                        ")\n" + vek::DisplayPath(p.Current) + "\n경과 시간 " + Elapsed(clock.elapsed());
    if (dialog.wasCanceled()) label = "취소하는 중입니다. 지금 처리 중인 파일까지 마칩니다.\n" + label;
    dialog.setRange(0, std::max(1, p.Files));
    dialog.setLabelText(Q(label));
    dialog.setValue(p.FilesDone);
    // Short runs end before the dialog is worth showing.
    if (!dialog.isVisible() && clock.elapsed() >= 300) dialog.show();
  };
  connect(&dialog, &QProgressDialog::canceled, &dialog, [&] { session.Cancel(); });
  QTimer tick;
  connect(&tick, &QTimer::timeout, &dialog, update);
  tick.start(50);
  update();
  if (!session.Snapshot().Finished) loop.exec();
  tick.stop();
  dialog.hide();
  return session.Finish();
}

void TForm1::RestoreMove(const std::string& manifestHostPath) {
  const std::string path = manifestHostPath.empty() ? vek::LatestManifest() : manifestHostPath;
  if (path.empty() || !plat::os::FileExists(path)) {
    plat::ui::CurrentDialogs().MessageBox(this, "되돌릴 이동 기록이 없습니다.", plat::ui::ApplicationTitle(),
                                          plat::ui::MB_OK | plat::ui::MB_ICONINFORMATION);
    return;
  }
  const vek::MoveRecord record = vek::MoveRecord::Read(path);
  const vek::RestorePlan plan(record, vek::AppContext::BackupDirs(), vek::ReadRestored(path));
  auto& dialogs = plat::ui::CurrentDialogs();
  if (plan.Restorable() == 0) {
    dialogs.MessageBoxWithDetails(
        this,
        "이 이동 기록에서 되돌릴 수 있는 파일이 없습니다. " + vek::GroupedNumber(plan.Count()) +
            "개 모두 백업 폴더와 이동 기록에 그대로 남아 있습니다.\n이동 기록: " + path,
        RestoreDetails(plan, record), plat::ui::ApplicationTitle(),
        plat::ui::MB_OK | plat::ui::MB_ICONWARNING);
    return;
  }
  if (dialogs.MessageBoxWithDetails(this, RestoreQuestion(plan, path), RestoreDetails(plan, record),
                                    plat::ui::ApplicationTitle(),
                                    plat::ui::MB_YESNO | plat::ui::MB_ICONQUESTION) != plat::ui::IDYES)
    return;
  const std::unique_ptr<vek::BatchSession> session = vek::BatchSession::ForRestore(record, plan, path);
  const vek::BatchOutcome outcome = RunSession(*session, "되돌리기", "파일을 원래 자리로 옮기는 중입니다");
  PutBackRows(outcome.Restored);
  ShowOutcome(outcome);
}

void TForm1::PutBackRows(const std::vector<vek::ManifestEntry>& restored) {
  // The files put back return to the list, unticked, as the result file listed them.
  if (restored.empty()) return;
  for (const vek::ManifestEntry& e : restored) {
    const std::size_t cut = e.Source.find_last_of('\\');
    const int r = Mgr_grid->RowCount();
    Mgr_grid->AppendRow(true, false, false);
    Mgr_grid->Cells(kNameColumn, r).SetAsString(e.Source.substr(cut + 1));
    Mgr_grid->Cells(kKindColumn, r).SetAsString(e.Kind);
    Mgr_grid->Cells(kHitsColumn, r).SetAsString(e.Hits);
    Mgr_grid->Cells(kFolderColumn, r).SetAsString(e.Source.substr(0, cut));
  }
  FitIndicatorWidth();
  UpdateCountLine();
}
