#pragma once
// One run of a move, a delete or a restore, from start to end and without a window: the batch built from the
// rows (or the files of a move record that may go back), written in CP949 and read back, run line by line on
// the batch runner's worker thread, each finished file recorded at once (the action log, the move record,
// the batch's own log), and in the end an outcome: which rows were handled, which failed and why, which were
// left out before the batch, which Cancel left alone, and the summary the user reads.
//
// The window only shows it: it asks the questions, shows the progress and the summary, and takes the
// handled rows out of its list.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/batch_run.h"
#include "app/batch_text.h"
#include "app/restore_plan.h"

namespace vek {

enum class BatchAction { Move, Delete, Restore };

// What a run did.
struct BatchOutcome {
  BatchAction Action = BatchAction::Move;
  // The rows whose file was handled, a row naming the same file as one of them included once its file is
  // gone; for a restore, the record's entries put back.
  std::vector<int> DoneRows;
  struct Failure {
    std::string Path;
    std::string Reason;
  };
  std::vector<Failure> Failures;
  std::size_t Succeeded = 0, Failed = 0;
  std::size_t Refused = 0;     // rows left out before the batch was written
  std::size_t NotRun = 0;      // files Cancel left alone
  std::size_t Duplicates = 0;  // rows naming a file another row names
  std::string RecordPath;      // the move record written, empty when nothing was moved
  std::string RecordProblem;   // why a record could not be written, empty when every one was
  bool Shred = false;          // a delete that overwrote each file first
  // 완전삭제: files whose medium cannot promise that the overwrite reached their blocks, with the note.
  std::vector<std::pair<std::string, std::string>> MediumWarnings;
  // The run's records, as the action log holds them: every file acted on, and every ticked file left out
  // before the batch (제외) or not reached after Cancel (취소).
  RunRecords Records;
  ChainHead Head;                       // the action log's head after them
  std::vector<ManifestEntry> Restored;  // a restore's files put back, as the record gave them

  // The counts add up to the rows ticked: "3개 이동, 4개 실패, 2개 제외"; then the failures by name, where
  // the records are, and for a move the closing notice, so that one OK ends a finished run.
  std::string Summary() const;
  bool AllWell() const { return Failed == 0 && NotRun == 0 && Refused == 0; }
};

class BatchSession {
 public:
  // A move of the ticked rows into the backup folder; with a probe, backup files already taken are left out.
  static std::unique_ptr<BatchSession> ForMove(BatchRows& rows, std::string_view backupDir,
                                               TargetProbe* probe);
  // A delete of the ticked rows; shred: 완전삭제 (each file overwritten before it is removed).
  static std::unique_ptr<BatchSession> ForDelete(BatchRows& rows, bool shred = false);
  // The files of a move record that the plan lets go back (recordPath names the record in the logs).
  static std::unique_ptr<BatchSession> ForRestore(const MoveRecord& record, const RestorePlan& plan,
                                                  std::string recordPath);
  ~BatchSession();

  const BatchText& Batch() const { return batch_; }
  BatchAction Action() const { return action_; }
  // The text of the lines (UTF-8, CR LF after each), what the batch file holds in CP949.
  const std::string& Text() const { return text_; }
  // Writes the batch file (a Windows path, through the drive map) and returns the bytes written; throws
  // plat::Exception when it cannot be written.
  const std::string& Write(const std::string& windowsPath);

  // Starts the run on the worker thread: a written batch file runs as it is on the disk, so that it stays
  // the record of what was done; a restore runs its lines as built. `prepare` is given the runner before
  // it starts (to hear the end of the run, or for tests that hold it at a chosen line).
  void Start(const std::function<void(BatchRunner&)>& prepare = {});
  struct Progress {
    int FilesDone = 0;
    int Files = 0;        // the files of the run (folder lines are steps of the file after them)
    std::string Current;  // the file being handled
    bool Finished = false;
  };
  Progress Snapshot() const;
  void Cancel();
  // Records the files finished since the last call, on the calling thread, while the worker goes on: a run
  // killed half-way still leaves the action log and the move record of what it did.
  void Record();
  // Waits for the worker, records the rest and works out the outcome.
  BatchOutcome Finish();

  // The time every session of this process has spent keeping its records (building them, the action log,
  // the move record, the batch's own log), in seconds: what the records cost beside the run itself.
  static double RecordingSeconds();
  // The same in the processor time of the threads that kept them (without the time they waited for a core).
  static double RecordingCpuSeconds();

 private:
  BatchSession(BatchAction action, BatchText batch);
  void RecordLine(std::size_t i, const plat::batch::LineResult& r);
  // The records of ticked files the run did not act on: left out before the batch, or after Cancel.
  void RecordRefusals();
  void RecordNotRun(std::size_t firstNotRun);
  // size: where the size's text is kept until the record is written.
  void RecordRestored(std::size_t entry, bool ok, RunRecords::File& rec, std::string& size);
  // The fields of line i's file that the batch knows: its paths and its row's facts; for a line the batch
  // did not build, the file the line names (kept in `subject`).
  RunRecords::File FileOfLine(std::size_t i, std::string& subject) const;
  void AddFacts(int row, RunRecords::File& rec) const;
  void Tally(BatchOutcome& out, const std::vector<plat::batch::LineResult>& results) const;

  BatchAction action_;
  BatchText batch_;
  std::string text_;
  std::string windowsPath_, hostPath_, written_;
  // What the result file said of each ticked row (its kind and hits) and the file's size before the run,
  // for the records.
  struct RowFacts {
    std::string Kind, Hits, Size;
  };
  std::vector<RowFacts> facts_;
  bool shred_ = false;
  RunRecords records_;  // this run's records, for its 확인서
  // A restore's record and its checks.
  const MoveRecord* record_ = nullptr;
  const RestorePlan* plan_ = nullptr;
  std::string recordPath_;
  std::vector<ManifestEntry> restored_;
  std::vector<std::pair<std::string, std::string>> mediumWarnings_;

  std::vector<int> filesBefore_;  // per line: the file lines before it
  bool mapped_ = false;           // the lines run are the lines built
  std::unique_ptr<BatchRunner> runner_;
  std::unique_ptr<RunJournal> journal_;
  // The batch's own log: its lines wait in logPending_ and are appended at each look at the progress.
  int batchLog_ = -1;
  std::string logPending_;
  void WriteBatchLog();
  int logOk_ = 0, logFailed_ = 0;
};

}  // namespace vek
