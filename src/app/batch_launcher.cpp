#include "app/batch_launcher.h"

#include <QProcess>
#include <QStandardPaths>
#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/os/os.h"

namespace vek {

namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

// The terminal emulator to open, or empty for a detached run.
QString TerminalProgram() {
  const char* choice = std::getenv("VEKSECURITY_TERMINAL");
  if (choice && *choice) return std::string(choice) == "none" ? QString() : QStandardPaths::findExecutable(choice);
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (!(display && *display) && !(wayland && *wayland)) return {};
  for (const char* t : {"x-terminal-emulator", "xfce4-terminal", "konsole", "xterm"}) {
    const QString path = QStandardPaths::findExecutable(t);
    if (!path.isEmpty()) return path;
  }
  return {};
}

}  // namespace

std::string BatchInterpreter() {
  const std::string beside = plat::os::ExeDir() + "/vekbatch";
  if (plat::os::FileExists(beside)) return beside;
  return QStandardPaths::findExecutable("vekbatch").toStdString();
}

std::string BatchLogPath(const std::string& batchHostPath) { return plat::os::ChangeFileExt(batchHostPath, ".log"); }

int StartBatch(const std::string& batchHostPath) {
  const std::string interpreter = BatchInterpreter();
  if (interpreter.empty() || !plat::os::FileExists(batchHostPath)) return ENOENT;
  QStringList args{"--log", Q(BatchLogPath(batchHostPath))};
  QProcess process;
  const QString terminal = TerminalProgram();
  if (!terminal.isEmpty()) {
    process.setProgram(terminal);
    process.setArguments(QStringList{"-e", Q(interpreter)} + args + QStringList{"--pause", Q(batchHostPath)});
  } else {
    process.setProgram(Q(interpreter));
    process.setArguments(args + QStringList{Q(batchHostPath)});
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.setStandardInputFile(QProcess::nullDevice());
  }
  process.setWorkingDirectory(Q(plat::os::ExtractFilePath(batchHostPath)));
  return process.startDetached() ? 0 : ECHILD;
}

}  // namespace vek
