#include "app/batch_launcher.h"

#include <QProcess>
#include <QStandardPaths>
#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/os/os.h"

namespace vek {

namespace {

QString Q(const std::string& s) {
  return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// The terminal emulator VEKSECURITY_TERMINAL names, or empty.
QString TerminalProgram() {
  const char* choice = std::getenv("VEKSECURITY_TERMINAL");
  if (!choice || !*choice || std::string(choice) == "none") return {};
  return QStandardPaths::findExecutable(choice);
}

}  // namespace

std::string BatchInterpreter() {
  const std::string beside = plat::os::ExeDir() + "/vekbatch";
  if (plat::os::FileExists(beside)) return beside;
  return QStandardPaths::findExecutable("vekbatch").toStdString();
}

std::string BatchLogPath(const std::string& batchHostPath) {
  return plat::os::ChangeFileExt(batchHostPath, ".log");
}

bool TerminalRequested() {
  const char* choice = std::getenv("VEKSECURITY_TERMINAL");
  return choice && *choice && std::string(choice) != "none";
}

int StartBatch(const std::string& batchHostPath) {
  const std::string interpreter = BatchInterpreter();
  const QString terminal = TerminalProgram();
  if (interpreter.empty() || terminal.isEmpty() || !plat::os::FileExists(batchHostPath)) return ENOENT;
  QProcess process;
  process.setProgram(terminal);
  process.setArguments(QStringList{"-e", Q(interpreter), "--log", Q(BatchLogPath(batchHostPath)), "--pause",
                                   Q(batchHostPath)});
  process.setWorkingDirectory(Q(plat::os::ExtractFilePath(batchHostPath)));
  return process.startDetached() ? 0 : ECHILD;
}

}  // namespace vek
