#pragma once
// The command interpreter for the batch files the program writes (md, move, del), in place of the Windows
// one.
//
// A batch file is CP949 text with CR LF (or LF) line ends. Every line is decoded on its own, so one line that
// is not valid CP949 fails alone. Each line prints one UTF-8 line saying what it did or why it failed, and
// the next line always runs; a summary line ends the output.
//
// What a line may hold:
//   ""  "@echo off"  "echo TEXT"  "rem TEXT"  ":: TEXT"   accepted; echo prints TEXT ("echo on/off" nothing)
//   setlocal DisableDelayedExpansion   accepted: "!" is never expanded here anyway
//   md "PATH"   (mkdir)          creates every missing folder; an existing folder is success
//   move "FILE" "FOLDER\."       moves one file into an existing folder ("FOLDER" and "FOLDER\" too);
//                                never replaces a file; across devices: copy, flush, verify, then delete
//   del "FILE"  (erase)          deletes one file; switches /F and /Q are tolerated. With DeleteMethod::Shred
//                                (vekbatch --shred) it is 완전삭제: the data is overwritten first (shred.h)
// "@" may precede any command. "%%" stands for one "%"; a single "%" stays as it is (no variables are
// expanded). Operands are double-quoted or single words; quotes must balance. Paths go through the drive map
// (plat::os::ResolvePath). Wildcards ("*", "?") and the shell's operators (& | < > ^) outside quotes are
// refused, never interpreted. Anything else is an unknown command.
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/batch/medium.h"

namespace plat::batch {

// How del removes a file.
enum class DeleteMethod {
  Unlink,  // removes the name; the bytes stay on the disk until it reuses them
  Shred,  // 완전삭제: random bytes, flush, zeros, flush over the file's data, a random name, then removal
};

// Settings of one run, chosen per call (the window's worker picks them for each batch it runs).
struct RunOptions {
  DeleteMethod Delete = DeleteMethod::Unlink;
};

// How a del under DeleteMethod::Shred ended.
enum class ShredEnd {
  Shredded,     // overwritten, renamed and removed
  LinkRemoved,  // a symbolic link: the link was removed, its target not touched
  Refused,      // not touched: another hard link, not a regular file, missing, ...
  Interrupted,  // the overwrite stopped part-way: the file is still there, partly overwritten
  NotRemoved,   // overwritten, but renaming or removing it failed: it is still there (under a random name)
};
struct ShredReport {
  ShredEnd End = ShredEnd::Refused;
  MediumNote Medium;             // what the medium lets the overwrite promise
  std::int64_t Overwritten = 0;  // bytes of data overwritten by the last pass that ran
  std::int64_t DataBytes = 0;    // bytes of data (holes left out) the file had
};

enum class LineStatus {
  Skipped,    // empty, a comment, "echo" (its text is the message), "echo off": counts neither way
  Succeeded,  // an md, move or del that did its work
  Failed,     // anything that did not: bad encoding, bad syntax, unknown command, a failed action
};

struct LineResult {
  int number = 0;  // 1-based line number in the file (0 when run through RunBatchLine)
  LineStatus status = LineStatus::Skipped;
  // One line of UTF-8: what the line did ("moved D:\a.hwp -> C:\b\"), or for a failure why it failed,
  // naming the path ("target exists: C:\b\a.hwp"). Empty for a silent line.
  std::string message;
  // Lines printed before the message: what was done on the way ("removed an interrupted copy: C:\b\.vekbatch-
  // Ab12Cd", a partial copy that an earlier, killed run left in the target folder).
  std::vector<std::string> notes;
  // Set for a del run under DeleteMethod::Shred.
  std::optional<ShredReport> shred;
  // Set for a file a move renamed within its device: the file as it was found just before the rename, which
  // keeps its device, inode, size and modification time. The caller records the moved file from it without
  // looking at the file again.
  struct Placed {
    std::int64_t Size = 0;
    std::int64_t MtimeNs = 0;
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
  };
  std::optional<Placed> placed;
};

inline constexpr int kExitAllSucceeded = 0;  // every line succeeded (or was skipped)
inline constexpr int kExitSomeFailed = 1;    // at least one line failed
inline constexpr int kExitUnreadable = 2;    // wrong usage, or the batch file cannot be read

struct BatchResult {
  std::vector<LineResult> lines;  // every line of the text, in order (skipped ones included)
  int succeeded = 0;
  int failed = 0;
  int ExitCode() const { return failed == 0 ? kExitAllSucceeded : kExitSomeFailed; }
};

// What a line asks for, read without touching any file.
enum class Command {
  None,        // empty, a comment, "echo" alone, "echo on/off"
  Echo,        // prints `text`
  MakeFolder,  // operands: the folder
  Move,        // operands: the file, the target folder
  Delete,      // operands: the file
};
struct ParsedLine {
  Command command = Command::None;
  std::vector<std::string> operands;  // as written, quotes removed, "%%" folded; never empty texts
  std::string text;                   // Echo's text
  std::string error;                  // why the line is refused (then nothing else is set)
};

// Whether a path has a segment (between "\\" or "/" separators) that names the folder above: "..", also
// with further dots or trailing blanks, which Windows drops.
bool HasParentSegment(std::string_view path);

// Reads one line that is already decoded to UTF-8 (without its line end). A path operand with a ".."
// segment (between "\" or "/" separators, alone or with trailing dots or blanks) is refused, whatever the
// drive map would make of it.
ParsedLine ParseBatchLine(std::string_view utf8Line);

// Runs one line that is already decoded to UTF-8 (without its line end).
LineResult RunBatchLine(std::string_view utf8Line, const RunOptions& options = {});

// The lines of a batch file's bytes, still CP949: CR LF or LF ends a line; an empty last line after a final
// line end is no line.
std::vector<std::string_view> SplitBatchLines(std::string_view bytes);

// Splits the CP949 text into lines and runs each. Prints, per line: its notes, the message of a success or of
// an echo, "failed: line N: REASON" for a failure, nothing for a silent line; then "N succeeded, M failed".
BatchResult RunBatchText(std::string_view cp949Bytes, std::ostream& out, const RunOptions& options = {});

// Reads the host file and runs it as RunBatchText does. Returns the exit code: kExitUnreadable (with a
// message printed) when the file cannot be read, else that of the result.
int RunBatchFile(const std::string& hostPath, std::ostream& out, const RunOptions& options = {});

// The text of one printed line for a result ("failed: line N: ..." for a failure).
std::string FormatLine(const LineResult& r);

// The interpreter's executable: vekbatch [--shred] [--log LOG] [--pause] FILE.bat (see batch_main.cpp).
// Returns the exit code.
int VekbatchMain(int argc, char** argv);

// For the interpreter's own process: SIGTERM, SIGHUP and SIGINT remove the partial copy of a move across
// devices before the process ends by that signal (a signal ignored when this is called stays ignored).
void InstallInterruptCleanup();

// --- seams for tests ------------------------------------------------------------------------------------
// Empty members mean the real behaviour.
struct MoveHooks {
  // Replaces the first rename of a move (host paths; must never replace `to`). Returns 0 or an errno value;
  // EXDEV sends the move down the copy, flush, verify, delete path even on one device.
  std::function<int(const std::string& from, const std::string& to)> rename;
  // Called with the host path of the finished, flushed temporary copy before it is verified.
  std::function<void(const std::string& tempPath)> afterCopy;
  // Called after each block written to the temporary copy, with the bytes it holds so far.
  std::function<void(const std::string& tempPath, std::int64_t copied)> copyProgress;
};
void SetMoveHooks(MoveHooks hooks);
struct ShredHooks {
  // Called before each block of the overwrite is written (pass 1 random, 2 zeros) with the bytes that pass
  // has written; a non-zero errno value fails that write as the disk would.
  std::function<int(int pass, std::int64_t written)> beforeWrite;
};
void SetShredHooks(ShredHooks hooks);
// Stale partial copies are looked for once per target folder and run, and media once per device and run;
// this starts a new run (RunBatchText does it itself).
void ForgetCleanedFolders();

}  // namespace plat::batch
