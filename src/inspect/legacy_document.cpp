// The legacy binary Office formats through the catdoc tools, when PATH has them: catdoc (.doc), xls2csv
// (.xls), catppt (.ppt), asked for UTF-8. The tool runs with a time limit and its output is bounded; a
// stop kills it.
#include <QProcess>
#include <QStandardPaths>
#include <QString>

#include "inspect/formats.h"
#include "platform/text/text.h"

namespace vek::inspect::detail {

void ExtractLegacy(const std::string& hostPath, std::string_view format, Extraction& x, const Limits& l,
                   std::stop_token stop) {
  const char* tool = format == "doc" ? "catdoc" : format == "xls" ? "xls2csv" : "catppt";
  const QString program = QStandardPaths::findExecutable(QString::fromLatin1(tool));
  if (program.isEmpty()) {
    SetOutcome(x, Status::Unsupported,
               "이 형식(." + std::string(format) + ")은 여기서 미리 볼 수 없습니다. " + tool +
                   " 프로그램이 설치되어 있지 않습니다.");
    return;
  }
  QStringList args{QStringLiteral("-d"), QStringLiteral("utf-8")};
  if (format == "doc") args << QStringLiteral("-w");
  args << QString::fromStdString(hostPath);
  QProcess p;
  p.setProcessChannelMode(QProcess::SeparateChannels);
  p.setStandardInputFile(QProcess::nullDevice());
  p.start(program, args, QIODevice::ReadOnly);
  if (!p.waitForStarted(5000)) {
    SetOutcome(x, Status::Unsupported, std::string(tool) + " 프로그램을 실행할 수 없습니다.");
    return;
  }
  std::string out;
  bool cut = false, late = false;
  constexpr int kSliceMs = 50;
  for (int waited = 0;;) {
    const bool finished = p.waitForFinished(kSliceMs);
    const QByteArray chunk = p.readAllStandardOutput();
    out.append(chunk.constData(), std::size_t(chunk.size()));
    if (finished || p.state() == QProcess::NotRunning) break;
    if (stop.stop_requested() || out.size() > l.maxTextBytes || (waited += kSliceMs) > l.toolTimeoutMs) {
      cut = out.size() > l.maxTextBytes;
      late = !cut && !stop.stop_requested();
      p.kill();
      p.waitForFinished(2000);
      break;
    }
  }
  if (stop.stop_requested()) return;
  if (late) {
    SetOutcome(x, Status::Damaged,
               std::string(tool) + "이(가) 제한 시간 안에 끝나지 않아 읽기를 그만두었습니다.");
    return;
  }
  if (!cut && (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) && out.empty()) {
    SetOutcome(
        x, Status::Damaged,
        std::string(tool) + "이(가) 이 문서를 읽지 못했습니다. 손상되었거나 암호가 걸린 문서일 수 있습니다.");
    return;
  }
  TextSink sink(x.text, l.maxTextBytes);
  sink.Append(plat::text::IsValidUtf8(out) ? out : DecodeText(out));
  NoteFull(x, sink, l);
  if (cut) SetOutcome(x, Status::Partial, say::TooLong(l));
}

}  // namespace vek::inspect::detail
