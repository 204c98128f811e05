#pragma once
// The batch files of the move and delete actions: their lines, and the refusal of rows whose folder or
// file name cannot be written into a batch line safely.
//
//   md "{BackupDir}{FolderTail}"
//   move "{Folder}\{FileName}" "{BackupDir}{FolderTail}\."
//   del "{Folder}\{FileName}"
//
// The file is CP949 with CR LF after every line. A name taken from a result file is untrusted: a double
// quote, a control character or one of < > | ? * would let a line run something else, and a character
// CP949 lacks would name another file, so such a row gets no line at all. A "%" is written as "%%" so
// that the platform's own command interpreter reads the same path.
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/text/text.h"

namespace vek {

// The part of a folder that is mirrored under the backup folder: for "X:\rest" the "\rest"; for a UNC
// folder "\\server\share\rest" the "\server\share\rest"; for a host folder "/a/b" the whole folder as
// "\a\b"; for "\rest" itself; otherwise "\" + the folder. At most 255 characters.
std::string FolderTail(std::string_view folder);
// The same without the cut.
std::string WholeFolderTail(std::string_view folder);

// Why a text cannot be written into a batch line (its characters), or nothing when it can.
std::optional<std::string> UnsafeNameReason(std::string_view text);
// Why a batch line for folder + "\" + fileName could name another file than the one listed, or nothing:
// unsafe characters, a colon outside the drive, a relative folder (neither empty, "X:\", "\rest", UNC nor a
// host absolute path), a "." or ".." segment, a segment or name ending in a dot or a blank, a reserved
// device name, or a separator inside the file name.
std::optional<std::string> UnsafePathReason(std::string_view folder, std::string_view fileName);
// A path for a message: control characters shown escaped ("\t", "\x07").
std::string DisplayPath(std::string_view text);
// A Windows path as Windows compares two: "/" read as "\", doubled and trailing separators folded (so the
// drive root "X:\" is "X:"), a leading "\\" of a network path kept, and upper-cased character by character.
std::string ComparablePath(std::string_view path);
// Whether a folder segment or file name is one of the names Windows reserves for devices: its part before
// the first dot, trailing blanks removed, is CON, PRN, AUX, NUL, CONIN$, CONOUT$ or CLOCK$, or COM or LPT
// followed by one digit (0-9, ¹, ² or ³), in any case.
bool IsReservedDeviceName(std::string_view segment);

// What the file system holds where a move would put a file, looked up before the batch is written: a
// real command interpreter would replace an existing file, or rename the moved file onto a file that
// stands where a folder should be.
class TargetProbe {
 public:
  virtual ~TargetProbe() = default;
  // Why no file may be moved to folder + "\" + name (Windows paths), or nothing when it may.
  virtual std::optional<std::string> Occupied(std::string_view folder, std::string_view name) = 0;
};

class BatchText {
 public:
  struct Refusal {
    int Row;
    std::string Path;  // folder + "\" + name as DisplayPath shows it
    std::string Reason;
  };

  // Checks a row; false (and the refusal noted) when it cannot be written. With a backup folder (a move)
  // the mirrored target folder must not be cut. maxCellChars > 0 is the width of the cells the folder and
  // name come from: a text that fills its cell may have been cut, so it is refused. Check each row once.
  bool Check(int row, std::string_view folder, std::string_view fileName, std::string_view backupDir,
             std::size_t maxCellChars = 0);
  // Notes a row that gets no line, with the path it names and why.
  void Refuse(int row, std::string_view path, std::string reason);

  // The lines of a row (row -1: a line of no row). The move and md lines of a row mirror its folder under
  // the backup folder; the Path forms take the folders as they are (a restore moves files back).
  void AddMd(std::string_view backupDir, std::string_view folder, int row = -1);
  void AddMove(std::string_view backupDir, std::string_view folder, std::string_view fileName, int row = -1);
  void AddDel(std::string_view folder, std::string_view fileName, int row = -1);
  void AddMdPath(std::string_view folder, int row = -1);
  void AddMovePath(std::string_view file, std::string_view folder, int row = -1);
  // Room for this many lines.
  void Reserve(std::size_t lines) {
    lines_.reserve(lines);
    info_.reserve(lines);
  }

  // Setting: a line that sets the interpreter up and acts on no file.
  enum class LineKind { Md, Move, Del, Setting };
  static bool IsFileLine(LineKind k) { return k == LineKind::Move || k == LineKind::Del; }
  struct LineInfo {
    int Row;
    LineKind Kind;
    std::string Source;  // the folder of an md line, the file of a move or del line (Windows paths)
    std::string Target;  // the file's path after a move
  };

  const std::vector<std::string>& Lines() const { return lines_; }
  // What each line is, parallel to Lines().
  const std::vector<LineInfo>& Info() const { return info_; }
  const std::vector<Refusal>& Refusals() const { return refusals_; }
  // A row that names the same file as a row above it: it gets no line of its own and shares the fate of
  // the line of that row (its leader).
  struct Follower {
    int Row;
    int Leader;
    std::string Path;  // the row's file (Windows path)
  };
  const std::vector<Follower>& Followers() const { return followers_; }
  void Follow(int row, int leader, std::string path) { followers_.push_back({row, leader, std::move(path)}); }
  // The lines that act on a file (move and del lines): what a user counts.
  std::size_t FileLineCount() const;
  // A command interpreter that runs with delayed expansion reads "!NAME!" as a variable, so a path holding
  // "!" would name another file: when any line holds one, the batch starts by turning that expansion off.
  // A batch without "!" is left as it is.
  void GuardDelayedExpansion();
  // The lines joined with CR LF after each (UTF-8), and the same in CP949 for the file.
  std::string Text() const;
  std::string Cp949Bytes() const;
  // A notice for the user naming how many rows were left out and why; empty when none was.
  std::string RefusalNotice() const;
  // A folder as Windows compares paths (ComparablePath), and its mirrored target folder, as small numbers
  // drawn from one series: two folders Windows reads as one get the same number. A file's place is then its
  // folder's number and its upper-cased name (a name holds no separator once the checks passed).
  struct FolderKeys {
    std::uint32_t Source = 0, Target = 0;
  };
  FolderKeys KeysOf(std::string_view backupDir, std::string_view folder) {
    const FolderFacts& f = Facts(backupDir, folder);
    return {f.SourceKey, f.TargetKey};
  }
  // The folder's mirrored target folder (a Windows path, as the lines write it).
  const std::string& TargetFolderOf(std::string_view backupDir, std::string_view folder) {
    return Facts(backupDir, folder).Target;
  }

 private:
  // What a folder's rows share: the checks of the folder text and its mirrored target folder, worked out
  // once per folder (a scan lists many files of each folder) for one backup folder.
  struct FolderFacts {
    std::optional<std::string> NameReason;    // its characters
    std::optional<std::string> FormReason;    // its form and segments
    std::optional<std::string> BackupReason;  // the mirrored target folder's
    std::size_t Chars = 0;
    std::string Target;                          // backup folder + tail
    std::string EscapedTarget;                   // as written into a line
    std::uint32_t SourceKey = 0, TargetKey = 0;  // see KeysOf
  };
  const FolderFacts& Facts(std::string_view backupDir, std::string_view folder);
  FolderFacts NewFacts(std::string_view backupDir, std::string_view folder);
  std::uint32_t KeyNumber(std::string key);
  // The one place each line form is written: an md line of a folder, the move line of a file into one.
  void AddMdLine(std::string_view escapedFolder, std::string folder, int row);
  void AddMoveLine(std::string file, std::string_view escapedFolder, std::string_view folder, int row);

  std::unordered_map<std::string, FolderFacts, plat::text::TextHash, std::equal_to<>> facts_;
  std::unordered_map<std::string, std::uint32_t> keyNumbers_;  // ComparablePath of a folder -> its number
  std::string factsBackupDir_;
  // The folder asked for last and its facts (pointing into facts_, so a copy starts without them).
  struct LastFacts {
    std::string_view Folder;
    const FolderFacts* Facts = nullptr;
    LastFacts() = default;
    LastFacts(const LastFacts&) {}
    LastFacts& operator=(const LastFacts&) {
      Folder = {};
      Facts = nullptr;
      return *this;
    }
  };
  LastFacts last_;
  std::vector<std::string> lines_;
  std::vector<LineInfo> info_;
  std::vector<Refusal> refusals_;
  std::vector<Follower> followers_;
};

// The rows a batch is built from: the grid in the window, a list on the command line.
class BatchRows {
 public:
  virtual ~BatchRows() = default;
  virtual int Count() = 0;
  virtual bool Ticked(int r) = 0;
  virtual std::string Folder(int r) = 0;
  virtual std::string FileName(int r) = 0;
  // What the result file said of the row's file, kept in a move's record.
  virtual std::string Kind(int r) { return {}; }
  virtual std::string Hits(int r) { return {}; }
  // The most characters the folder and name texts can hold (a cut text fills it); 0: no limit.
  virtual std::size_t MaxChars() { return 0; }
  // The row got its batch line and leaves the list.
  virtual void Remove(int r) = 0;
};

// From the last row to the first: the md line of every ticked row, then its move line (and the row
// leaves the list). An error while building one md line leaves out that line only. Of two rows whose
// files would meet (one backup file for both, or one moved onto the other's file) the upper one is moved
// and the lower one refused; a row naming the same file as a row above follows that row. With a probe, a
// row whose backup file is already taken is refused.
BatchText BuildMoveBatch(BatchRows& rows, std::string_view backupDir, TargetProbe* probe = nullptr);
// From the last row to the first: the del line of every ticked row (and the row leaves the list). A row
// naming the same file as a row above follows that row.
BatchText BuildDeleteBatch(BatchRows& rows);

}  // namespace vek
