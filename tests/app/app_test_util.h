#pragma once
// Helpers of the document manager's tests: text conversions at the Qt boundary, small file helpers, and
// the scoped environment variables of test_env.h.
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>
#include <cstdlib>
#include <optional>
#include <string>

#include "app/action_log.h"
#include "app/batch_run.h"
#include "grid/memory/mem_grid.h"
#include "platform/os/os.h"
#include "test_env.h"

namespace apptest {

using ::EnvVar;

inline QString Q(const std::string& s) {
  return QString::fromUtf8(s.data(), qsizetype(s.size()));
}
inline std::string S(const QString& s) {
  return s.toUtf8().toStdString();
}

inline bool MakeFile(const std::string& path, const std::string& bytes = "x") {
  QFile f(Q(path));
  if (!f.open(QIODevice::WriteOnly)) return false;
  return f.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
}

inline std::string ReadBytes(const std::string& path) {
  QFile f(Q(path));
  if (!f.open(QIODevice::ReadOnly)) return "<missing>";
  return f.readAll().toStdString();
}

inline bool Exists(const std::string& path) {
  return QFileInfo::exists(Q(path));
}

// Two temporary drive folders, C and D, that the drive map points at while the object lives.
struct DriveSandbox {
  QTemporaryDir dir;
  std::string c = S(dir.path()) + "/C";
  std::string d = S(dir.path()) + "/D";
  EnvVar driveC{"VEKSECURITY_DRIVE_C", c};
  EnvVar driveD{"VEKSECURITY_DRIVE_D", d};
  // The program's records for the user (action log, move records) stay in the sandbox too.
  EnvVar dataHome{"XDG_DATA_HOME", S(dir.path()) + "/data"};
  DriveSandbox() {
    plat::os::ForceDirectories(c);
    plat::os::ForceDirectories(d);
  }
};

// The action log as "method|source|target|result|reason" lines, one per record, for finding records in tests.
inline std::string LoggedActions() {
  std::string out;
  for (const vek::LoggedRecord& l : vek::ReadActionLog(vek::ActionLogPath())) {
    const vek::ActionRecord& r = l.Record;
    out += r.Method + "|" + r.Source + "|" + r.Target + "|" + r.Result + "|" + r.Reason + "\n";
  }
  return out;
}

// Appends a row to the document manager's grid: its file name and folder, ticked or not.
inline void AddListRow(TMemGrid* g, const std::string& name, const std::string& folder, bool ticked) {
  const int r = g->RowCount();
  g->AppendRow(true, false, false);
  g->Cells(1, r).SetAsString(name);
  g->Cells(4, r).SetAsString(folder);
  if (ticked) g->Cells(0, r).SetAsBoolean(true);
}

}  // namespace apptest
