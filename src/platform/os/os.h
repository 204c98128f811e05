#pragma once
// Files, folders, the drive map, processes and the replaceable beep, sleep and clock.
//
// Paths given to these functions are host paths unless the name says Windows path. A Windows path of the
// program or of a scanner's result file is turned into a host path by ResolvePath (the drive map).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace plat::os {

// --- the drive map ------------------------------------------------------------------------------------
// "X:\rest" or "X:/rest": the folder of drive X, then rest with "\" read as "/". "\rest": drive C.
// "/rest": a host absolute path ("\" read as "/"). "\\server\share\rest": the folder the map names for
// "\\server\share" (variable VEKSECURITY_UNC_<SERVER>_<SHARE>), else no host path (empty result).
// Drive X's folder is $VEKSECURITY_DRIVE_X, else <XDG data home>/VekSecurity/drives/X. A relative path is
// taken as it is, separators mended.
// In the UNC variable's name, <SERVER> and <SHARE> are upper-cased and every character other than an ASCII
// letter or digit becomes "_". Under a drive or share, ".." is resolved lexically and never goes above its
// root ("C:\..\x" is "C:\x"); "." is dropped; a trailing separator is kept.
std::string ResolvePath(std::string_view windowsPath);
// The host folder of a drive letter (upper or lower case).
std::string DriveRoot(char letter);

// --- files --------------------------------------------------------------------------------------------
// A path holding a NUL names no file: these answer false for it.
bool FileExists(const std::string& hostPath);  // a file (not a folder)
bool DirectoryExists(const std::string& hostPath);
bool CreateDir(const std::string& hostPath);         // one level; false when it fails or exists
bool ForceDirectories(const std::string& hostPath);  // every missing level
bool DeleteFile(const std::string& hostPath);        // false when it fails or does not exist
// Whole-file bytes of a regular file of at most maxBytes; raises EFileError "Cannot open file \"%s\". %s"
// on failure, with the reason: the system's, or that the path is a folder, a device, a pipe or a socket,
// or that the file is larger than the limit. A pipe without a writer is refused, never waited for.
inline constexpr std::size_t kMaxReadFileBytes = std::size_t(1) << 30;
std::string ReadFileBytes(const std::string& hostPath, std::size_t maxBytes = kMaxReadFileBytes);
// Writes the bytes (replacing the file) through a temporary file and a rename, so a failed write leaves
// the old file; raises EFileError on failure.
void WriteFileBytes(const std::string& hostPath, std::string_view bytes);
// Folder part including the trailing separator ("\" or "/", whichever comes last), and the name part.
std::string ExtractFilePath(std::string_view path);
std::string ExtractFileName(std::string_view path);
std::string ChangeFileExt(std::string_view path, std::string_view ext);

// The folder of the running executable, without trailing separator.
std::string ExeDir();
// The executable's file name without extension (the application title).
std::string ExeTitle();

// --- ini files (CP949, "[Section]" and "Key=Value" lines, CR LF) ------------------------------------
class IniFile {
 public:
  explicit IniFile(std::string hostPath);
  const std::string& FileName() const { return path_; }
  // The value under [section] ident, or def when absent (sections and keys compare case-insensitively).
  std::string ReadString(std::string_view section, std::string_view ident, std::string_view def) const;
  // Writes the value, keeping every other line of the file. Raises plat::Exception
  // "Unable to write to %s" (with the file's path) when the file cannot be written.
  void WriteString(std::string_view section, std::string_view ident, std::string_view value);

 private:
  std::string path_;
};

// --- processes and the desktop ----------------------------------------------------------------------
// Opens a file or an address with the desktop's default program (never through a shell). False on failure.
bool OpenWithDefaultProgram(const std::string& hostPathOrUrl);
// Replaces the desktop for OpenWithDefaultProgram (tests); empty: the real desktop.
using OpenHandler = std::function<bool(const std::string& hostPathOrUrl)>;
void SetOpenHandler(OpenHandler h);
// Starts a program detached; false when it cannot be started.
bool StartDetached(const std::string& program, const std::vector<std::string>& args,
                   const std::string& workDir = {});

// --- beep, sleep, clock (replaceable so tests neither wait nor beep) -----------------------------------
void Beep();
void Sleep(int ms);
std::int64_t TickCount();  // milliseconds since an arbitrary start
using BeepHandler = std::function<void()>;
using SleepHandler = std::function<void(int)>;
using ClockHandler = std::function<std::int64_t()>;
void SetBeepHandler(BeepHandler h);    // empty: the real beep
void SetSleepHandler(SleepHandler h);  // empty: the real sleep
void SetClockHandler(ClockHandler h);  // empty: the real clock

}  // namespace plat::os
