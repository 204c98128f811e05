#pragma once
// The chained action log: one CSV line per file action of every run, appended only, each line carrying a
// SHA-256 hash chained to the line before, and the chain's head (last hash and record count) kept apart in
// the user's settings, so that a changed, removed or inserted line, or a cut tail, is found.
//
// A chained line (UTF-8, CR LF; the file starts with a byte-order mark and a heading line):
//   번호,시간,사용자,호스트,배치,방법,원본,대상,크기,종류,검출수,매체,결과,사유,작업ID,해시
// 번호 counts records from 1; 작업ID is the same for every record of one run; 해시 is 64 lower-case hex
// digits:
//   hash(n) = SHA-256( hash(n-1) as its 32 bytes, then the line's bytes up to and including the comma
//             before its hash ),   hash(0) = 32 zero bytes.
// Fields are quoted as CSV wants; a line break inside a field is written as a blank, so one record is one
// line. Chained lines written before runs had an identity lack 작업ID (14 fields before the hash) and are
// read as they are. Lines written before the chain existed (시간,배치,작업,원본,대상,결과,사유) are
// "unchained": read, never reported broken; headings stand only before the first chained line.
//
// The head lives in the settings file ChainHeadPath() (an ini file beside the log: [ActionLog] Head=,
// Lines=), rewritten whole at each Flush that added records; a run's FlushLines stores it at most once a
// second (lines after the stored head read as intact, "머리 뒤에 이어 쓴 기록"), and its last Flush stores
// it. The writer continues from the head, not from the
// file's last line, so a cut tail stays visible after further runs; a file longer than the head whose record
// at the head's count carries the head's hash (the program ended between writing lines and storing the head)
// is continued from its last line.
//
// Writers in several processes take turns: each Flush holds an exclusive lock (flock) on the log while it
// reads the head, appends its lines and stores the new head, and numbers and hashes its lines only then, so
// two windows appending at once still leave one chain. Readers hold a shared lock while they read.
//
// What the chain cannot find: a rewrite of the whole log and of the settings by someone with the user's
// rights (both are the user's files).
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vek {

// Whether a field must be quoted in a delimited line: it holds the delimiter, a quote or a line break.
bool NeedsQuotes(std::string_view s, char delimiter);

// The methods a record names.
inline constexpr std::string_view kMethodMove = "이동";
inline constexpr std::string_view kMethodDelete = "삭제";
inline constexpr std::string_view kMethodShred = "완전삭제";
inline constexpr std::string_view kMethodRestore = "되돌리기";
// The results a record names.
inline constexpr std::string_view kResultDone = "성공";
inline constexpr std::string_view kResultFailed = "실패";
// A ticked file the run did not act on: left out before the batch was written, or not reached after Cancel.
inline constexpr std::string_view kResultRefused = "제외";
inline constexpr std::string_view kResultCancelled = "취소";

struct ActionRecord {
  std::string Time;  // "YYYY-MM-DD HH:MM:SS": the run's start
  std::string User, Host;
  std::string Batch;   // the batch file (Windows path) or, for a restore, the move record
  std::string Method;  // kMethodMove, kMethodDelete, kMethodShred, kMethodRestore
  std::string Source, Target;
  std::string Size;         // bytes, as a decimal text; empty when unknown
  std::string Kinds, Hits;  // what the result file said of the file
  std::string Medium;       // the medium note of a 완전삭제
  std::string Result;       // kResultDone, kResultFailed, kResultRefused or kResultCancelled
  std::string Reason;
  std::string Run;  // the run's identity (NewRunId), shared by its records; empty in older lines
  bool operator==(const ActionRecord&) const = default;
};

// One run's records: the fields all of them share (time, user, host, batch, method and the run's identity)
// kept once, and each file's own fields.
class RunRecords {
 public:
  // A file's own fields, viewed where the caller keeps them: Add copies them.
  struct File {
    std::string_view Source, Target, Size, Kinds, Hits, Medium, Result, Reason;
    // The fields in the order a record writes them.
    std::array<std::string_view, 8> Fields() const {
      return {Source, Target, Size, Kinds, Hits, Medium, Result, Reason};
    }
  };
  RunRecords() = default;
  // shared: the run's time, user, host, batch, method and identity; its other fields are not used.
  explicit RunRecords(ActionRecord shared);
  const ActionRecord& Shared() const { return shared_; }
  void Reserve(std::size_t files);
  void Add(const File& file);
  bool Empty() const { return ends_.empty(); }
  std::size_t Size() const { return ends_.size() / kFields; }
  // Record i whole, and every record.
  ActionRecord operator[](std::size_t i) const;
  std::vector<ActionRecord> All() const;

 private:
  static constexpr std::size_t kFields = std::tuple_size_v<decltype(File{}.Fields())>;
  ActionRecord shared_;
  // Every file's fields one after another in one text (no allocation per field), and where each ends.
  std::string text_;
  std::vector<std::size_t> ends_;
};

// A new run's identity: 16 lower-case hex digits from the system's random source.
std::string NewRunId();

// The user's name and the machine's, for the records.
std::string CurrentUserName();
std::string CurrentHostName();

struct ChainHead {
  std::string Hash;        // hash of the last record written
  std::int64_t Lines = 0;  // its number (records written in all)
  bool operator==(const ChainHead&) const = default;
};

// The settings file that keeps the head: UserDataDir()/records.ini.
std::string ChainHeadPath();
std::optional<ChainHead> ReadChainHead(const std::string& headPath = ChainHeadPath());

// Appends records to the log. Append costs a CSV line in memory; Flush takes the log's lock, numbers and
// hashes what waits after the chain's head as it is now, writes it (one write) and stores the head. Not
// thread-safe: one writer object on one thread at a time (other objects and processes may write the same
// log).
class ActionLog {
 public:
  // The program's log (ActionLogPath()) and head (ChainHeadPath()) unless told otherwise.
  ActionLog();
  ActionLog(std::string logPath, std::string headPath);
  ~ActionLog();
  ActionLog(const ActionLog&) = delete;
  ActionLog& operator=(const ActionLog&) = delete;

  void Append(const ActionRecord& record);
  // The same for the records of one run: StartRun formats the fields they share once (RunRecords::Shared),
  // and each AppendFile then costs only the file's own fields.
  void StartRun(const ActionRecord& shared);
  void AppendFile(const RunRecords::File& file);
  // Writes out the waiting lines and stores the head; `durable` also syncs the log to the disk first.
  // Returns false when a record could not be written (Problem() says why; nothing of them is left in the
  // file, they stay waiting and the next Flush tries again).
  bool Flush(bool durable = false);
  // The same during a run: the waiting lines are written, the head is stored when HeadEvery() has passed
  // since it last was (or by the next Flush).
  bool FlushLines();
  static constexpr std::chrono::seconds kHeadEvery{1};
  std::chrono::steady_clock::duration HeadEvery() const { return headEvery_; }
  void SetHeadEvery(std::chrono::steady_clock::duration every) { headEvery_ = every; }
  const std::string& Problem() const { return problem_; }
  // The head after the last records this writer wrote.
  ChainHead Head() const { return head_; }
  // Records appended and not yet written.
  std::size_t Waiting() const { return ends_.size(); }
  const std::string& Path() const { return logPath_; }

  // Lines are written out by themselves once this many bytes wait.
  static constexpr std::size_t kWriteBytes = 1 << 20;

 private:
  // Under the lock: the head the waiting lines go on from, and what the file needs before them.
  bool Resume(long long fileSize, std::string& out);
  bool Write(bool durable, bool storeHead);
  // Under the lock: the settings take head_.
  bool StoreHead();

  std::string logPath_, headPath_;
  int fd_ = -1;
  std::string runHead_, runTail_;      // StartRun's fields before and after a file's own, with their commas
  std::string waiting_;                // each waiting record's fields, each followed by its comma
  std::vector<std::uint32_t> ends_;    // where each waiting record ends in waiting_
  std::string out_;                    // the lines of one write
  ChainHead head_;                     // after this writer's last write (what the settings then held)
  long long end_ = -1;                 // the file's size after this writer's last write; -1 before
  std::optional<ChainHead> settings_;  // what the settings held after this writer last read or stored them
  std::optional<std::chrono::steady_clock::time_point> stored_;  // when this writer last stored the head
  bool headPending_ = false;                                     // lines written whose head is not stored yet
  std::chrono::steady_clock::duration headEvery_ = kHeadEvery;
  std::string problem_;
};

// --- reading and checking -------------------------------------------------------------------------------

struct LoggedRecord {
  ActionRecord Record;
  std::int64_t Number = 0;  // the record's number; 0 for an unchained line
  std::int64_t Line = 0;    // 1-based line of the file
};
// Every record of the log, chained or not (headings left out). Throws plat::Exception when the file cannot be
// read; a missing file has no records.
std::vector<LoggedRecord> ReadActionLog(const std::string& logPath);

struct LogCheck {
  enum class State {
    Intact,      // every chained line follows from the one before and the head matches
    NoHead,      // the chain is whole, but no head is kept to compare with (a cut tail cannot be seen)
    Changed,     // Line was edited
    Removed,     // records before Line are missing
    Inserted,    // Line was added
    CutTail,     // the last records are missing
    Rewritten,   // the chain is whole but does not end at the head: rewritten from some line on
    Unreadable,  // the file cannot be read
  };
  State Result = State::Intact;
  std::int64_t Line = 0;  // the first line concerned (for CutTail and Rewritten, the last line of the file)
  std::int64_t Unchained = 0, Chained = 0;
  std::string Message;  // one line for people, naming the line
  bool Broken() const { return Result != State::Intact && Result != State::NoHead; }
};
// Checks the log against the head (none: only the chain itself is checked).
LogCheck VerifyActionLog(const std::string& logPath, const std::optional<ChainHead>& head);

// `VekSecurity --verify-log [LOG [HEAD]]`: prints the verdict; exit code 0 intact, 1 broken or unreadable,
// 3 intact but no head kept.
int VerifyLogCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace vek
