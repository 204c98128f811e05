#pragma once
// What the document manager keeps for the whole program, in one place that the window and what it runs are
// given: where its settings file lies, which backup folder the user chose, and the fields of the result
// line read last.
#include <string>
#include <vector>

#include "app/scan_result.h"

namespace vek {

struct AppContext {
  // The two backup folders the window offers.
  static constexpr const char* kBackupDirC = "C:\\보안예비자료";
  static constexpr const char* kBackupDirD = "D:\\보안예비자료";
  static std::vector<std::string> BackupDirs() { return {kBackupDirC, kBackupDirD}; }

  // Folder of the running executable, without trailing separator, where "Resort.ini" lies; set when the
  // window is made. Tests may point it elsewhere.
  std::string ProgramDir;
  // The backup folder chosen by the radio buttons; set by RB1Click.
  std::string BackupDir;
  // Fields of the result-file line being processed.
  TItemFields ItemFields;
};

}  // namespace vek
