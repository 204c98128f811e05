#include "app/batch_session.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <unordered_set>

#include "app/batch_launcher.h"
#include "app/scan_load.h"
#include "platform/error.h"
#include "platform/os/os.h"
#include "platform/text/text.h"

namespace vek {
namespace {

// Failed files named one by one in a summary; the rest are counted and in the action log.
constexpr std::size_t kListedFailures = 15;
constexpr const char* kClosingNotice = "작업이 모두 종료 되면 누르십시오";

// The file a batch line acts on: its first quoted operand.
std::string LineSubject(std::string_view line) {
  const std::size_t a = line.find('"');
  const std::size_t b = a == std::string_view::npos ? a : line.find('"', a + 1);
  if (b == std::string_view::npos) return std::string(line);
  return std::string(line.substr(a + 1, b - a - 1));
}

// Whether a line acts on a file (move, del): read from its command word.
bool ActsOnFile(const std::optional<std::string>& line) {
  std::string_view word = line ? std::string_view(*line) : std::string_view();
  while (!word.empty() && (word.front() == ' ' || word.front() == '@')) word.remove_prefix(1);
  const std::string upper = plat::text::UpperCase(word.substr(0, word.find_first_of(" \"")));
  return upper == "MOVE" || upper == "DEL" || upper == "ERASE";
}

std::atomic<std::int64_t> g_recordingNs{0};
std::atomic<std::int64_t> g_recordingCpuNs{0};

std::int64_t ThreadCpuNs() {
  timespec ts{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return std::int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// Adds the time from its making to its end to the sessions' recording time (wall clock and thread CPU).
class RecordingClock {
 public:
  RecordingClock() : start_(std::chrono::steady_clock::now()), cpuStart_(ThreadCpuNs()) {}
  ~RecordingClock() {
    g_recordingNs +=
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start_)
            .count();
    g_recordingCpuNs += ThreadCpuNs() - cpuStart_;
  }

 private:
  std::chrono::steady_clock::time_point start_;
  std::int64_t cpuStart_;
};

std::string_view ActionWord(BatchAction a, bool shred) {
  switch (a) {
    case BatchAction::Move:
      return "이동";
    case BatchAction::Delete:
      return shred ? "완전삭제" : "삭제";
    case BatchAction::Restore:
      return "되돌림";
  }
  return {};
}

}  // namespace

std::string BatchOutcome::Summary() const {
  std::string s = GroupedNumber(Succeeded) + "개 " + std::string(ActionWord(Action, Shred)) + ", " +
                  GroupedNumber(Failed) + "개 실패";
  if (Refused > 0) s += ", " + GroupedNumber(Refused) + "개 제외";
  if (NotRun > 0) s += ", " + GroupedNumber(NotRun) + "개 취소(그대로 둠)";
  if (Duplicates > 0) s += ", " + GroupedNumber(Duplicates) + "개 중복(같은 파일)";
  if (Action == BatchAction::Restore) {
    if (!AllWell())
      s += "\n\n되돌리지 않은 파일은 백업 폴더에 그대로 있고, 이동 기록에 남아 있어 다시 되돌릴 수 있습니다.";
  } else {
    if (Failed > 0 || NotRun > 0) s += "\n실패하거나 취소된 항목은 목록에 체크된 채로 남아 있습니다.";
    if (Refused > 0) s += "\n제외된 항목은 목록에 체크된 채로 남아 있습니다.";
  }
  for (std::size_t i = 0; i < Failures.size() && i < kListedFailures; ++i)
    s += "\n\n" + DisplayPath(Failures[i].Path) + "\n  " + DisplayPath(Failures[i].Reason);
  if (Failures.size() > kListedFailures)
    s += "\n\n... 외 " + GroupedNumber(Failures.size() - kListedFailures) + "개 (작업 기록에 모두 있습니다)";
  if (!MediumWarnings.empty()) {
    // Per file: where the overwrite cannot promise that the old bytes are gone.
    s += "\n\n" + GroupedNumber((long long)MediumWarnings.size()) +
         "개 파일: " + std::string(plat::batch::kMediumWarning);
    for (std::size_t i = 0; i < MediumWarnings.size() && i < kListedFailures; ++i)
      s += "\n  " + DisplayPath(MediumWarnings[i].first) + " (" + MediumWarnings[i].second + ")";
    if (MediumWarnings.size() > kListedFailures)
      s += "\n  ... 외 " + GroupedNumber((long long)(MediumWarnings.size() - kListedFailures)) +
           "개 (작업 기록에 모두 있습니다)";
  }
  if (!RecordPath.empty()) s += "\n\n옮긴 파일은 \"되돌리기\"로 제자리에 돌려놓을 수 있습니다.";
  s += "\n작업 기록: " + ActionLogPath();
  if (!RecordProblem.empty()) s += "\n\n작업 기록을 남기지 못했습니다: " + RecordProblem;
  if (Action == BatchAction::Move) s += std::string("\n\n") + kClosingNotice;
  return s;
}

BatchSession::BatchSession(BatchAction action, BatchText batch)
    : action_(action), batch_(std::move(batch)), text_(batch_.Text()) {}

BatchSession::~BatchSession() {
  if (runner_) {
    runner_->Cancel();
    runner_->Wait();
  }
  if (batchLog_ >= 0) {
    WriteBatchLog();
    ::close(batchLog_);
  }
}

namespace {

// What the records need of each ticked row, read before the batch is built: a run the program does not watch
// takes its rows out of the list at once. withSize: the file's size now (a delete leaves nothing to ask).
template <class Facts>
std::vector<Facts> ReadFacts(BatchRows& rows, bool withSize) {
  std::vector<Facts> facts(std::size_t(std::max(0, rows.Count())));
  for (int r = 0; r < int(facts.size()); ++r) {
    try {
      if (!rows.Ticked(r)) continue;
      Facts& f = facts[std::size_t(r)];
      f.Kind = rows.Kind(r);
      f.Hits = rows.Hits(r);
      if (!withSize) continue;
      struct stat st {};
      const std::string host = plat::os::ResolvePath(rows.Folder(r) + "\\" + rows.FileName(r));
      if (::lstat(host.c_str(), &st) == 0) f.Size = std::to_string(st.st_size);
    } catch (const std::exception&) {
      // A row that cannot be read gets no line either.
    }
  }
  return facts;
}

}  // namespace

std::unique_ptr<BatchSession> BatchSession::ForMove(BatchRows& rows, std::string_view backupDir,
                                                    TargetProbe* probe) {
  auto facts = ReadFacts<RowFacts>(rows, false);
  std::unique_ptr<BatchSession> s(
      new BatchSession(BatchAction::Move, BuildMoveBatch(rows, backupDir, probe)));
  s->facts_ = std::move(facts);
  return s;
}

std::unique_ptr<BatchSession> BatchSession::ForDelete(BatchRows& rows, bool shred) {
  auto facts = ReadFacts<RowFacts>(rows, true);
  std::unique_ptr<BatchSession> s(new BatchSession(BatchAction::Delete, BuildDeleteBatch(rows)));
  s->facts_ = std::move(facts);
  s->shred_ = shred;
  return s;
}

std::unique_ptr<BatchSession> BatchSession::ForRestore(const MoveRecord& record, const RestorePlan& plan,
                                                       std::string recordPath) {
  // Each file goes back into its old folder (made again when it is gone), never over a file now there.
  BatchText batch;
  batch.Reserve(2 * plan.Restorable() + 1);
  for (std::size_t i = 0; i < record.Size(); ++i) {
    if (!RestorePlan::Restores(plan.Of(i))) continue;
    const std::string_view source = record.Source(i);
    const std::string_view folder = source.substr(0, source.find_last_of('\\'));
    batch.AddMdPath(folder, int(i));
    batch.AddMovePath(record.Target(i), folder, int(i));
  }
  batch.GuardDelayedExpansion();
  std::unique_ptr<BatchSession> s(new BatchSession(BatchAction::Restore, std::move(batch)));
  s->record_ = &record;
  s->plan_ = &plan;
  s->recordPath_ = std::move(recordPath);
  return s;
}

const std::string& BatchSession::Write(const std::string& windowsPath) {
  // Every line was checked on the way in, so the conversion cannot fail here.
  windowsPath_ = windowsPath;
  hostPath_ = plat::os::ResolvePath(windowsPath);
  written_ = plat::text::Utf8ToCp949(text_);
  plat::os::WriteFileBytes(hostPath_, written_);
  return written_;
}

void BatchSession::Start(const std::function<void(BatchRunner&)>& prepare) {
  std::vector<std::optional<std::string>> lines;
  if (!hostPath_.empty())
    lines = ReadBackBatchLines(plat::os::ReadFileBytes(hostPath_), written_, batch_.Lines());
  else
    lines.assign(batch_.Lines().begin(), batch_.Lines().end());
  mapped_ = lines.size() == batch_.Lines().size();
  filesBefore_.assign(lines.size() + 1, 0);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const bool file = mapped_ ? BatchText::IsFileLine(batch_.Info()[i].Kind) : ActsOnFile(lines[i]);
    filesBefore_[i + 1] = filesBefore_[i] + (file ? 1 : 0);
  }
  // What every record of the run shares.
  ActionRecord shared;
  shared.Time = NowText();
  shared.User = CurrentUserName();
  shared.Host = CurrentHostName();
  shared.Batch = action_ == BatchAction::Restore ? recordPath_ : windowsPath_;
  shared.Method = std::string(action_ == BatchAction::Move      ? kMethodMove
                              : action_ == BatchAction::Restore ? kMethodRestore
                              : shred_                          ? kMethodShred
                                                                : kMethodDelete);
  shared.Run = NewRunId();
  journal_ = std::make_unique<RunJournal>(action_ == BatchAction::Move, shared);
  records_ = RunRecords(std::move(shared));
  // Room for a record per file (and the refusals and the files left out), made once before the run.
  records_.Reserve(std::size_t(filesBefore_.back()) + batch_.Refusals().size());
  if (!hostPath_.empty()) {
    // The batch's own log beside it, as the interpreter writes it, line by line as the run goes.
    batchLog_ = ::open(BatchLogPath(hostPath_).c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (batchLog_ >= 0) logPending_ = "== " + records_.Shared().Time + " " + hostPath_ + "\n";
  }
  plat::batch::RunOptions options;
  if (shred_) options.Delete = plat::batch::DeleteMethod::Shred;
  plat::batch::ForgetMediumNotes();
  RecordRefusals();
  runner_ = std::make_unique<BatchRunner>(std::move(lines), options);
  if (prepare) prepare(*runner_);
  runner_->Start();
}

BatchSession::Progress BatchSession::Snapshot() const {
  const BatchRunner::Progress p = runner_->Snapshot();
  Progress out;
  out.FilesDone = filesBefore_[std::size_t(std::clamp(p.Done, 0, int(filesBefore_.size()) - 1))];
  out.Files = filesBefore_.back();
  out.Current = LineSubject(p.Current);
  out.Finished = p.Finished;
  return out;
}

void BatchSession::Cancel() {
  runner_->Cancel();
}

double BatchSession::RecordingSeconds() {
  return double(g_recordingNs.load()) / 1e9;
}

double BatchSession::RecordingCpuSeconds() {
  return double(g_recordingCpuNs.load()) / 1e9;
}

void BatchSession::Record() {
  const RecordingClock clock;
  if (runner_->TakeFinished([this](std::size_t i, const plat::batch::LineResult& r) { RecordLine(i, r); }) ==
      0)
    return;
  journal_->Flush();
  WriteBatchLog();
}

void BatchSession::WriteBatchLog() {
  if (batchLog_ < 0) return;
  // The log is the run's account for people, not its record: a write that fails is not retried.
  for (std::size_t done = 0; done < logPending_.size();) {
    const ssize_t n = ::write(batchLog_, logPending_.data() + done, logPending_.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += std::size_t(n);
  }
  logPending_.clear();
}

void BatchSession::RecordLine(std::size_t i, const plat::batch::LineResult& r) {
  using plat::batch::LineStatus;
  if (r.status == LineStatus::Succeeded) ++logOk_;
  if (r.status == LineStatus::Failed) ++logFailed_;
  if (batchLog_ >= 0) {
    for (const std::string& note : r.notes) {
      AppendKoreanDone(logPending_, note);
      logPending_ += '\n';
    }
    if (r.status != LineStatus::Skipped || !r.message.empty()) {
      AppendKoreanLine(logPending_, r);
      logPending_ += '\n';
    }
  }
  const BatchText::LineInfo* info = mapped_ ? &batch_.Info()[i] : nullptr;
  if ((info && !BatchText::IsFileLine(info->Kind)) || r.status == LineStatus::Skipped) return;
  const bool ok = r.status == LineStatus::Succeeded;
  // The record's fields are viewed where they are kept (the batch, the rows' facts, constants); what this
  // line makes of its own is kept here until the record is written and copied.
  std::string subject, reason, medium, size;
  RunRecords::File rec = FileOfLine(i, subject);
  rec.Result = ok ? kResultDone : kResultFailed;
  if (!ok) rec.Reason = reason = KoreanReason(r.message);
  if (r.shred) {
    rec.Medium = medium = r.shred->Medium.Text();
    if (!r.shred->Medium.Ok) mediumWarnings_.emplace_back(rec.Source, r.shred->Medium.Reason);
  }
  if (action_ == BatchAction::Restore && info) {
    RecordRestored(std::size_t(info->Row), ok, rec, size);
  } else if (ok && action_ == BatchAction::Move && info) {
    // The backup copy as the move left it, so that a restore puts back this file and no other; and what the
    // result file said of it, so that it comes back to the list as it was.
    // (The worker knows the file it renamed; a copy across devices is looked at here.)
    std::optional<FileStamp> stamp;
    if (r.placed)
      stamp = FileStamp{r.placed->Size, r.placed->MtimeNs, r.placed->Device, r.placed->Inode};
    else
      stamp = StampOf(plat::os::ResolvePath(info->Target));
    if (stamp) rec.Size = size = std::to_string(stamp->Size);
    journal_->AddMoved(rec, stamp);
  } else {
    journal_->Add(rec);
  }
  records_.Add(rec);
}

RunRecords::File BatchSession::FileOfLine(std::size_t i, std::string& subject) const {
  RunRecords::File rec;
  if (!mapped_) {
    rec.Source = subject = LineSubject(i < batch_.Lines().size() ? batch_.Lines()[i] : "");
    return rec;
  }
  const BatchText::LineInfo& info = batch_.Info()[i];
  rec.Source = info.Source;
  rec.Target = info.Target;
  AddFacts(info.Row, rec);
  return rec;
}

void BatchSession::AddFacts(int row, RunRecords::File& rec) const {
  if (row < 0 || std::size_t(row) >= facts_.size()) return;
  const RowFacts& f = facts_[std::size_t(row)];
  rec.Kinds = f.Kind;
  rec.Hits = f.Hits;
  rec.Size = f.Size;
}

void BatchSession::RecordRefusals() {
  // A restore's files left out stay in their move record, which says why; a move's or a delete's ticked rows
  // left out are the run's too: a 확인서 counts them as left.
  if (action_ == BatchAction::Restore) return;
  for (const BatchText::Refusal& refusal : batch_.Refusals()) {
    RunRecords::File rec;
    rec.Source = refusal.Path;
    rec.Result = kResultRefused;
    rec.Reason = refusal.Reason;
    AddFacts(refusal.Row, rec);
    journal_->Add(rec);
    records_.Add(rec);
  }
}

void BatchSession::RecordNotRun(std::size_t firstNotRun) {
  if (action_ == BatchAction::Restore) return;  // what did not go back stays in the move record
  for (std::size_t i = firstNotRun; i + 1 < filesBefore_.size(); ++i) {
    if (filesBefore_[i + 1] == filesBefore_[i]) continue;  // not a file's line
    std::string subject;
    RunRecords::File rec = FileOfLine(i, subject);
    rec.Result = kResultCancelled;
    rec.Reason = "취소되어 처리하지 않음";
    journal_->Add(rec);
    records_.Add(rec);
  }
}

void BatchSession::RecordRestored(std::size_t entry, bool ok, RunRecords::File& rec, std::string& size) {
  rec.Kinds = record_->Kind(entry);
  rec.Hits = record_->Hits(entry);
  // An older record's file is known again by its size only: said when it no longer matches.
  const std::int64_t before = plan_->SizeBefore(entry);
  const std::optional<FileStamp> now =
      ok ? StampOf(plat::os::ResolvePath(record_->Source(entry))) : std::nullopt;
  if (now) rec.Size = size = std::to_string(now->Size);
  if (ok && before >= 0 && (!now || now->Size != before)) rec.Reason = "되돌렸지만 크기가 되돌리기 전과 다름";
  if (ok) restored_.push_back(record_->Entry(entry));
  journal_->Add(rec);
}

void BatchSession::Tally(BatchOutcome& out, const std::vector<plat::batch::LineResult>& results) const {
  for (std::size_t i = 0; i < results.size(); ++i) {
    const plat::batch::LineResult& r = results[i];
    const BatchText::LineInfo* info = mapped_ ? &batch_.Info()[i] : nullptr;
    // A folder that could not be made shows in its move line's failure.
    if ((info && !BatchText::IsFileLine(info->Kind)) || r.status == plat::batch::LineStatus::Skipped)
      continue;
    const bool ok = r.status == plat::batch::LineStatus::Succeeded;
    ok ? ++out.Succeeded : ++out.Failed;
    if (ok && info && info->Row >= 0) out.DoneRows.push_back(info->Row);
    if (ok) continue;
    std::string path = info ? info->Source : LineSubject(i < batch_.Lines().size() ? batch_.Lines()[i] : "");
    out.Failures.push_back({std::move(path), KoreanReason(r.message)});
  }
  out.NotRun =
      std::size_t(filesBefore_.back() - filesBefore_[std::min(results.size(), filesBefore_.size() - 1)]);
}

BatchOutcome BatchSession::Finish() {
  runner_->Wait();
  Record();
  const std::vector<plat::batch::LineResult> results = runner_->TakeResults();
  BatchOutcome out;
  out.Action = action_;
  {
    const RecordingClock clock;
    RecordNotRun(results.size());
    out.RecordPath = journal_->Finish();
  }
  Tally(out, results);
  out.Refused = action_ == BatchAction::Restore ? plan_->Refused() : batch_.Refusals().size();
  out.Duplicates = batch_.Followers().size();
  // A row naming the same file as a handled row leaves with it, once its file is gone.
  if (!batch_.Followers().empty()) {
    const std::unordered_set<int> handled(out.DoneRows.begin(), out.DoneRows.end());
    for (const BatchText::Follower& f : batch_.Followers())
      if (handled.count(f.Leader) && !plat::os::FileExists(plat::os::ResolvePath(f.Path)))
        out.DoneRows.push_back(f.Row);
  }
  if (batchLog_ >= 0) {
    // The batch's own log ends with the totals.
    if (results.size() < batch_.Lines().size())
      logPending_ += "취소: " + std::to_string(results.size()) + "번째 줄 뒤에서 멈춤\n";
    logPending_ +=
        std::to_string(logOk_) + "줄 성공, " + std::to_string(logFailed_) + "줄 실패\n" + "종료 코드 " +
        std::to_string(logFailed_ ? plat::batch::kExitSomeFailed : plat::batch::kExitAllSucceeded) + "\n";
    WriteBatchLog();
    ::close(batchLog_);
    batchLog_ = -1;
  }
  out.RecordProblem = journal_->Problem();
  out.Shred = shred_;
  out.MediumWarnings = std::move(mediumWarnings_);
  out.Records = std::move(records_);
  out.Head = journal_->Head();
  if (action_ == BatchAction::Restore) {
    out.Restored = std::move(restored_);
    try {
      AppendRestored(recordPath_, out.Restored);
    } catch (const std::exception& e) {
      if (out.RecordProblem.empty()) out.RecordProblem = e.what();
    }
  }
  return out;
}

}  // namespace vek
