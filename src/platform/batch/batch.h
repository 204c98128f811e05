#pragma once
// The command interpreter for the batch files the program writes (md, move, del), in place of the Windows one.
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
//   del "FILE"  (erase)          deletes one file; switches /F and /Q are tolerated
// "@" may precede any command. "%%" stands for one "%"; a single "%" stays as it is (no variables are
// expanded). Operands are double-quoted or single words; quotes must balance. Paths go through the drive map
// (plat::os::ResolvePath). Wildcards ("*", "?") and the shell's operators (& | < > ^) outside quotes are
// refused, never interpreted. Anything else is an unknown command.
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace plat::batch {

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
LineResult RunBatchLine(std::string_view utf8Line);

// The lines of a batch file's bytes, still CP949: CR LF or LF ends a line; an empty last line after a final
// line end is no line.
std::vector<std::string_view> SplitBatchLines(std::string_view bytes);

// Splits the CP949 text into lines and runs each. Prints, per line: its notes, the message of a success or of
// an echo, "failed: line N: REASON" for a failure, nothing for a silent line; then "N succeeded, M failed".
BatchResult RunBatchText(std::string_view cp949Bytes, std::ostream& out);

// Reads the host file and runs it as RunBatchText does. Returns the exit code: kExitUnreadable (with a
// message printed) when the file cannot be read, else that of the result.
int RunBatchFile(const std::string& hostPath, std::ostream& out);

// The text of one printed line for a result ("failed: line N: ..." for a failure).
std::string FormatLine(const LineResult& r);

// The interpreter's executable: vekbatch [--log LOG] [--pause] FILE.bat (see batch_main.cpp). Returns the
// exit code.
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
// Stale partial copies are looked for once per target folder and run; this starts a new run (RunBatchText
// does it itself).
void ForgetCleanedFolders();

}  // namespace plat::batch
