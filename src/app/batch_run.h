#pragma once
// Running a generated batch inside the program: the batch interpreter's line rules on a worker thread,
// progress that the window polls, Cancel between lines (never in the middle of a copy), and the records a
// user can read and undo: the action log and the manifest of every move.
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "app/action_log.h"
#include "platform/batch/batch.h"

namespace vek {

// The lines of a batch file (CP949, CR LF or LF): the UTF-8 text of each, or nothing for a line that is
// not valid CP949 (it fails when run). An empty last line after a final line end is not a line.
std::vector<std::optional<std::string>> BatchFileLines(std::string_view cp949Bytes);
// The lines of a batch file read back as `onDisk` after `lines` were written to it as `written`. A file that
// holds exactly the bytes written reads as those lines (the encoding takes only a text it gives back whole,
// and a line without a line feed stays one line), without decoding it again; any other file is decoded.
std::vector<std::optional<std::string>> ReadBackBatchLines(std::string_view onDisk, std::string_view written,
                                                           const std::vector<std::string>& lines);

class BatchRunner {
 public:
  struct Progress {
    int Done = 0;         // lines finished
    int Total = 0;        // lines in all
    std::string Current;  // the line being run, empty between lines
    bool Finished = false;
    bool Cancelled = false;  // stopped early at the user's request
  };

  // options: how the lines act (a del that shreds, say).
  explicit BatchRunner(std::vector<std::optional<std::string>> lines, plat::batch::RunOptions options = {});
  ~BatchRunner();
  BatchRunner(const BatchRunner&) = delete;
  BatchRunner& operator=(const BatchRunner&) = delete;

  // Runs every line on a worker thread; each line's result is kept, its number 1-based.
  void Start();
  // Stops after the line being run; safe from any thread.
  void Cancel() { cancel_ = true; }
  bool Finished() const { return finished_; }
  // Waits for the worker to end.
  void Wait();
  Progress Snapshot() const;
  // The results of the lines that ran, in order (after Finished: lines not run because of Cancel have none).
  const std::vector<plat::batch::LineResult>& Results() const { return results_; }
  // The same, moved out, once the worker has ended.
  std::vector<plat::batch::LineResult> TakeResults() {
    Wait();
    return std::move(results_);
  }
  int Total() const { return int(lines_.size()); }

  // Calls `take` for each line finished since the last call (index from 0), in order, on the calling
  // thread, while the worker goes on. Call it from one thread only.
  // Returns how many it handed over.
  std::size_t TakeFinished(
      const std::function<void(std::size_t index, const plat::batch::LineResult& result)>& take);

  // Set before Start; both are called on the worker thread. OnLineDone hears each finished line (index
  // from 0) as soon as it is done; OnFinished hears the end of the run, after the last line's result.
  std::function<void(std::size_t index, const plat::batch::LineResult& result)> OnLineDone;
  std::function<void()> OnFinished;

 private:
  void Run();

  std::vector<std::optional<std::string>> lines_;
  plat::batch::RunOptions options_;
  // Room for every line is reserved at the start: the worker's appends never move a finished result, and
  // done_ tells how many may be read while it runs.
  std::vector<plat::batch::LineResult> results_;
  std::atomic<int> current_{-1};  // the line being run, -1 between lines
  std::atomic<int> done_{0};
  std::size_t taken_ = 0;  // lines handed to TakeFinished
  std::atomic<bool> cancel_{false};
  std::atomic<bool> finished_{false};
  std::thread worker_;
};

// The interpreter's reason for a failed line, in Korean for the user (the path it names kept).
std::string KoreanReason(std::string_view message);
// A line's result as the window's batch log writes it, in Korean: what was done, or why it failed and on
// which line.
std::string KoreanLine(const plat::batch::LineResult& r);
// What a line or a note says it did ("moved ...", "removed an interrupted copy: ..."), in Korean.
std::string KoreanDone(std::string_view message);
// The same two appended to out (a run's log is written line by line without a string per line).
void AppendKoreanLine(std::string& out, const plat::batch::LineResult& r);
void AppendKoreanDone(std::string& out, std::string_view message);

// The folder of the program's records for the user: <XDG data home>/VekSecurity (created on demand).
std::string UserDataDir();
// The action log (action_log.h): one chained record per file action of every run.
std::string ActionLogPath();
// The manifests of moves: a CSV file per move, one line per moved file: source (Windows path), target.
std::string ManifestDir();

// A backup copy as a move left it, to know it again before it is put back.
struct FileStamp {
  std::int64_t Size = -1;
  std::int64_t MtimeNs = 0;  // modification time, nanoseconds since 1970
  std::uint64_t Device = 0;
  std::uint64_t Inode = 0;
  bool operator==(const FileStamp&) const = default;
};
// The stamp of a host path, the path itself and not a link's target; nothing when it is missing or not a
// regular file.
std::optional<FileStamp> StampOf(const std::string& hostPath);

struct ManifestEntry {
  std::string Source;              // the file's Windows path before the move
  std::string Target;              // its Windows path in the backup folder
  std::optional<FileStamp> Stamp;  // the backup copy right after the move; none in older records
  std::string Kind, Hits;          // what the result file said of the file
};

// A move record as read back, held compactly: a record of millions of files costs about its own size.
class MoveRecord {
 public:
  // Reads a record in either form (source and target only, or with stamps, kind and hits); throws
  // plat::Exception when it cannot be read.
  static MoveRecord Read(const std::string& hostPath);
  std::size_t Size() const { return entries_.size(); }
  std::string_view Source(std::size_t i) const { return Text(entries_[i].At, entries_[i].SourceLen); }
  std::string_view Target(std::size_t i) const {
    return Text(entries_[i].At + entries_[i].SourceLen, entries_[i].TargetLen);
  }
  std::string_view Kind(std::size_t i) const;
  std::string_view Hits(std::size_t i) const;
  std::optional<FileStamp> Stamp(std::size_t i) const {
    return entries_[i].Stamped ? std::optional<FileStamp>(entries_[i].Stamp) : std::nullopt;
  }
  ManifestEntry Entry(std::size_t i) const;

 private:
  void Add(const std::vector<std::string>& fields);
  std::string_view Text(std::uint64_t at, std::uint32_t len) const {
    return std::string_view(text_).substr(at, len);
  }
  struct Item {
    std::uint64_t At;  // source, target, kind and hits one after another in text_
    std::uint32_t SourceLen, TargetLen;
    std::uint16_t KindLen, HitsLen;
    bool Stamped;
    FileStamp Stamp;
  };
  std::string text_;
  std::vector<Item> entries_;
};

// Writes a new move record and returns its host path (empty when there was nothing to write).
std::string WriteManifest(const std::vector<ManifestEntry>& entries);
std::vector<ManifestEntry> ReadManifest(const std::string& hostPath);
// The newest move record with files not yet put back, or empty.
std::string LatestManifest();
// What restores of a move record have put back, kept beside it (the record itself is never rewritten):
// one line per file, appended by each restore.
std::string RestoredRecordPath(const std::string& manifestHostPath);
void AppendRestored(const std::string& manifestHostPath, const std::vector<ManifestEntry>& restored);
// The keys (source and target joined by a NUL) of the files restores have put back.
std::vector<std::string> ReadRestored(const std::string& manifestHostPath);

// The records of one run, written while it runs: each finished file action's row of the action log and,
// for a move, each moved file's line of a new manifest. A run that is killed half-way still leaves the
// record and the way back for what it moved. Rows are written out in groups (and at the end).
class RunJournal {
 public:
  // shared: the fields every record of the run shares (RunRecords::Shared).
  RunJournal(bool move, const ActionRecord& shared);
  ~RunJournal();
  RunJournal(const RunJournal&) = delete;
  RunJournal& operator=(const RunJournal&) = delete;

  // One finished file action: its record in the chained action log, and for a moved file its entry in the
  // move record.
  void Add(const RunRecords::File& record);
  // A moved file: its record, and its move-record entry from the record's source, target, kinds and hits.
  void AddMoved(const RunRecords::File& record, const std::optional<FileStamp>& stamp);
  // Writes out what is waiting; a write that fails is kept as Problem() (the run goes on).
  void Flush();
  // Flushes and closes; returns the manifest's host path (empty when nothing was moved).
  std::string Finish();
  // The first failure to write a record, empty when none.
  const std::string& Problem() const { return problem_; }
  // The action log's head after this run's records.
  ChainHead Head() const { return log_.Head(); }

  // Records are written out in groups of this many, and whatever waits at each Flush: the window flushes at
  // each look at the progress, so a run killed half-way leaves the records of all but its last moment.
  static constexpr int kRowsPerWrite = 1024;

 private:
  bool move_;
  ActionLog log_;
  std::string manifestPath_;
  std::FILE* manifest_ = nullptr;
  std::string manifestPending_;
  int rowsPending_ = 0;
  std::string problem_;
};

// The current local time as "YYYY-MM-DD HH:MM:SS".
std::string NowText();

}  // namespace vek
