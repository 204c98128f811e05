#pragma once
// Running a generated batch inside the program: the batch interpreter's line rules on a worker thread,
// progress that the window polls, Cancel between lines (never in the middle of a copy), and the records a
// user can read and undo: the action log and the manifest of every move.
#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/batch/batch.h"

namespace vek {

// The lines of a batch file (CP949, CR LF or LF): the UTF-8 text of each, or nothing for a line that is
// not valid CP949 (it fails when run). An empty last line after a final line end is not a line.
std::vector<std::optional<std::string>> BatchFileLines(std::string_view cp949Bytes);

class BatchRunner {
 public:
  struct Progress {
    int Done = 0;      // lines finished
    int Total = 0;     // lines in all
    std::string Current;  // the line being run, empty between lines
    bool Finished = false;
    bool Cancelled = false;  // stopped early at the user's request
  };

  explicit BatchRunner(std::vector<std::optional<std::string>> lines);
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
  int Total() const { return int(lines_.size()); }

 private:
  void Run();

  std::vector<std::optional<std::string>> lines_;
  std::vector<plat::batch::LineResult> results_;
  mutable std::mutex mutex_;  // guards current_ and results_ while the worker runs
  std::string current_;
  std::atomic<int> done_{0};
  std::atomic<bool> cancel_{false};
  std::atomic<bool> finished_{false};
  std::thread worker_;
};

// The interpreter's reason for a failed line, in Korean for the user (the path it names kept).
std::string KoreanReason(std::string_view message);

// The folder of the program's records for the user: <XDG data home>/VekSecurity (created on demand).
std::string UserDataDir();
// The action log: one CSV line per file action (time, batch, action, source, target, result, reason).
std::string ActionLogPath();
void AppendActionLog(const std::vector<std::vector<std::string>>& rows);
// The manifests of moves: a CSV file per move, one line per moved file: source (Windows path), target.
std::string ManifestDir();

struct ManifestEntry {
  std::string Source;  // the file's Windows path before the move
  std::string Target;  // its Windows path in the backup folder
};
// Writes a new manifest and returns its host path (empty when there was nothing to write).
std::string WriteManifest(const std::vector<ManifestEntry>& entries);
std::vector<ManifestEntry> ReadManifest(const std::string& hostPath);
// Rewrites a manifest with the entries still to restore, or removes it when none is left.
void RewriteManifest(const std::string& hostPath, const std::vector<ManifestEntry>& left);
// The newest manifest's host path, or empty.
std::string LatestManifest();

// The current local time as "YYYY-MM-DD HH:MM:SS".
std::string NowText();

}  // namespace vek
