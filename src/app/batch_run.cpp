#include "app/batch_run.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <cstdlib>
#include <fstream>

#include "app/command_line.h"
#include "platform/os/os.h"
#include "platform/text/text.h"

namespace vek {

namespace {

std::string GetEnv(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

// One CSV record per line as AppendCsvField writes them (quoted fields may hold commas, quotes and line ends).
std::vector<std::vector<std::string>> ParseCsv(std::string_view text) {
  std::vector<std::vector<std::string>> records;
  std::vector<std::string> record;
  std::string field;
  bool quoted = false, any = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
      continue;
    }
    if (c == '"') {
      quoted = true;
      any = true;
    } else if (c == ',') {
      record.push_back(std::move(field));
      field.clear();
      any = true;
    } else if (c == '\n' || c == '\r') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      if (any || !field.empty()) {
        record.push_back(std::move(field));
        records.push_back(std::move(record));
      }
      record.clear();
      field.clear();
      any = false;
    } else {
      field += c;
      any = true;
    }
  }
  if (any || !field.empty()) {
    record.push_back(std::move(field));
    records.push_back(std::move(record));
  }
  return records;
}

template <class Fields>
void AppendCsvLine(std::string& to, const Fields& fields) {
  bool first = true;
  for (const std::string_view field : fields) {
    if (!first) to += ',';
    first = false;
    AppendCsvField(to, field);
  }
  to += "\r\n";
}

void AppendCsvLine(std::string& to, std::initializer_list<std::string_view> fields) {
  AppendCsvLine<std::initializer_list<std::string_view>>(to, fields);
}

std::string CsvLine(const std::vector<std::string>& fields) {
  std::string line;
  AppendCsvLine(line, fields);
  return line;
}

constexpr std::string_view kManifestHeading = "원본,대상";

}  // namespace

std::vector<std::optional<std::string>> BatchFileLines(std::string_view bytes) {
  std::vector<std::optional<std::string>> lines;
  // CP949 is stateless and no byte of a double-byte character is a line end, so a file whose every line
  // is valid decodes whole into the same lines; only a file with a bad line is decoded line by line.
  std::string whole;
  if (plat::text::TryCp949ToUtf8(bytes, whole)) {
    const std::vector<std::string_view> split = plat::batch::SplitBatchLines(whole);
    lines.reserve(split.size());
    for (const std::string_view line : split) lines.emplace_back(std::in_place, line);
    return lines;
  }
  for (const std::string_view raw : plat::batch::SplitBatchLines(bytes)) lines.push_back(plat::text::TryCp949ToUtf8(raw));
  return lines;
}

std::vector<std::optional<std::string>> ReadBackBatchLines(std::string_view onDisk, std::string_view written,
                                                           const std::vector<std::string>& lines) {
  const bool asWritten = onDisk == written && std::none_of(lines.begin(), lines.end(), [](const std::string& l) {
                           return l.find('\n') != std::string::npos;
                         });
  if (!asWritten) return BatchFileLines(onDisk);
  return std::vector<std::optional<std::string>>(lines.begin(), lines.end());
}

BatchRunner::BatchRunner(std::vector<std::optional<std::string>> lines) : lines_(std::move(lines)) {
  results_.reserve(lines_.size());
}

BatchRunner::~BatchRunner() {
  Cancel();
  Wait();
}

void BatchRunner::Start() {
  if (worker_.joinable() || finished_) return;
  worker_ = std::thread([this] { Run(); });
}

void BatchRunner::Wait() {
  if (worker_.joinable()) worker_.join();
}

void BatchRunner::Run() {
  // Each run looks again for partial copies an interrupted earlier run left in its target folders.
  plat::batch::ForgetCleanedFolders();
  for (std::size_t i = 0; i < lines_.size() && !cancel_; ++i) {
    current_ = int(i);
    plat::batch::LineResult r;
    if (lines_[i]) {
      try {
        r = plat::batch::RunBatchLine(*lines_[i]);
      } catch (const std::exception& e) {
        r.status = plat::batch::LineStatus::Failed;
        r.message = e.what();
      }
    } else {
      r.status = plat::batch::LineStatus::Failed;
      r.message = "the line is not valid CP949 text";
    }
    r.number = int(i) + 1;
    results_.push_back(std::move(r));
    current_ = -1;
    done_ = int(i) + 1;
    if (OnLineDone) OnLineDone(i, results_.back());
  }
  finished_ = true;
  if (OnFinished) OnFinished();
}

std::size_t BatchRunner::TakeFinished(const std::function<void(std::size_t, const plat::batch::LineResult&)>& take) {
  const std::size_t done = std::size_t(done_.load());
  const std::size_t from = taken_;
  for (; taken_ < done; ++taken_)
    if (take) take(taken_, results_[taken_]);
  return done - from;
}

BatchRunner::Progress BatchRunner::Snapshot() const {
  Progress p;
  p.Total = int(lines_.size());
  p.Done = done_;
  p.Finished = finished_;
  p.Cancelled = cancel_ && p.Done < p.Total;
  // The lines never change while the worker runs, so the line being run is read without a lock.
  const int current = current_;
  if (current >= 0 && std::size_t(current) < lines_.size()) p.Current = lines_[std::size_t(current)].value_or(std::string());
  return p;
}

std::string KoreanReason(std::string_view message) {
  struct Known {
    std::string_view prefix;
    std::string_view korean;
  };
  static constexpr Known kKnown[] = {
      {"target exists: ", "대상 폴더에 같은 이름의 파일이 이미 있음(덮어쓰지 않음): "},
      {"source does not exist: ", "원본 파일이 없음(옮겨졌거나 지워졌을 수 있음): "},
      {"file does not exist: ", "파일이 없음(옮겨졌거나 지워졌을 수 있음): "},
      {"target folder does not exist: ", "대상 폴더가 없음: "},
      {"cannot create folder ", "폴더를 만들지 못함: "},
      {"a file of that name exists: ", "폴더 이름과 같은 파일이 있음: "},
      {"no host path for ", "이 컴퓨터에 없는 드라이브나 네트워크 경로: "},
      {"no host folder for ", "이 컴퓨터에 없는 드라이브나 네트워크 경로: "},
      {"source is a folder, not a file: ", "원본이 파일이 아니라 폴더임: "},
      {"source is not a regular file: ", "원본이 일반 파일이 아님: "},
      {"cannot delete ", "지우지 못함: "},
      {"cannot move ", "옮기지 못함: "},
      {"cannot copy ", "복사하지 못함: "},
      {"cannot open ", "열지 못함: "},
      {"cannot read ", "읽지 못함: "},
      {"the source changed while it was being ", "옮기는 동안 원본이 바뀜: "},
      {"the copy in ", "복사본이 원본과 다름(원본은 그대로 둠): "},
      {"the line is not valid CP949 text", "배치 파일의 줄을 읽을 수 없음"},
  };
  for (const Known& k : kKnown)
    if (message.starts_with(k.prefix)) return std::string(k.korean) + std::string(message.substr(k.prefix.size()));
  return "실패: " + std::string(message);
}

std::string UserDataDir() {
  std::string data = GetEnv("XDG_DATA_HOME");
  if (data.empty() || data.front() != '/') data = QDir::homePath().toStdString() + "/.local/share";
  const std::string dir = data + "/VekSecurity";
  plat::os::ForceDirectories(dir);
  return dir;
}

std::string ActionLogPath() { return UserDataDir() + "/actions.csv"; }

void AppendActionLog(const std::vector<std::vector<std::string>>& rows) {
  const std::string path = ActionLogPath();
  const bool fresh = !plat::os::FileExists(path);
  std::ofstream out(path, std::ios::app | std::ios::binary);
  if (fresh) out << "\xEF\xBB\xBF" << CsvLine({"시간", "배치", "작업", "원본", "대상", "결과", "사유"});
  for (const auto& r : rows) out << CsvLine(r);
  if (!out) throw std::runtime_error("작업 기록을 쓰지 못했습니다: " + path);
}

std::string ManifestDir() {
  const std::string dir = UserDataDir() + "/manifests";
  plat::os::ForceDirectories(dir);
  return dir;
}

namespace {

std::string NewManifestPath() {
  const std::string stamp = QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss-zzz").toStdString();
  std::string path = ManifestDir() + "/move-" + stamp + ".csv";
  for (int n = 2; plat::os::FileExists(path); ++n) path = ManifestDir() + "/move-" + stamp + "-" + std::to_string(n) + ".csv";
  return path;
}

}  // namespace

std::string WriteManifest(const std::vector<ManifestEntry>& entries) {
  if (entries.empty()) return {};
  const std::string path = NewManifestPath();
  std::string text = "\xEF\xBB\xBF" + std::string(kManifestHeading) + "\r\n";
  for (const ManifestEntry& e : entries) text += CsvLine({e.Source, e.Target});
  plat::os::WriteFileBytes(path, text);
  return path;
}

std::vector<ManifestEntry> ReadManifest(const std::string& hostPath) {
  std::string text = plat::os::ReadFileBytes(hostPath);
  if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
  std::vector<ManifestEntry> entries;
  const auto records = ParseCsv(text);
  for (std::size_t i = 0; i < records.size(); ++i) {
    const auto& r = records[i];
    if (i == 0 && r.size() == 2 && r[0] == "원본") continue;  // the heading
    if (r.size() >= 2 && !r[0].empty() && !r[1].empty()) entries.push_back({r[0], r[1]});
  }
  return entries;
}

void RewriteManifest(const std::string& hostPath, const std::vector<ManifestEntry>& left) {
  if (left.empty()) {
    plat::os::DeleteFile(hostPath);
    return;
  }
  std::string text = "\xEF\xBB\xBF" + std::string(kManifestHeading) + "\r\n";
  for (const ManifestEntry& e : left) text += CsvLine({e.Source, e.Target});
  plat::os::WriteFileBytes(hostPath, text);
}

std::string LatestManifest() {
  const QDir dir(QString::fromStdString(ManifestDir()));
  const QFileInfoList files = dir.entryInfoList({"move-*.csv"}, QDir::Files, QDir::Name);
  return files.isEmpty() ? std::string() : files.back().absoluteFilePath().toStdString();
}

RunJournal::RunJournal(bool move) : move_(move), logPath_(ActionLogPath()) {}

RunJournal::~RunJournal() {
  try {
    Finish();
  } catch (...) {
  }
}

void RunJournal::Add(std::initializer_list<std::string_view> logRow, const ManifestEntry* moved) {
  if (moved)
    AddMoved(logRow, moved->Source, moved->Target);
  else
    AddRow(logRow);
}

void RunJournal::AddMoved(std::initializer_list<std::string_view> logRow, std::string_view source,
                          std::string_view target) {
  if (move_) AppendCsvLine(manifestPending_, {source, target});
  AddRow(logRow);
}

void RunJournal::AddRow(std::initializer_list<std::string_view> logRow) {
  AppendCsvLine(logPending_, logRow);
  if (++rowsPending_ >= kRowsPerWrite) Flush();
}

void RunJournal::Write(std::FILE*& file, const std::string& path, std::string& pending, std::string_view heading) {
  if (pending.empty()) return;
  if (!file) {
    const bool fresh = !plat::os::FileExists(path);
    file = std::fopen(path.c_str(), "ab");
    if (!file) {
      if (problem_.empty()) problem_ = path + ": " + std::strerror(errno);
      pending.clear();
      return;
    }
    if (fresh && !heading.empty()) {
      std::fputs("\xEF\xBB\xBF", file);
      std::fwrite(heading.data(), 1, heading.size(), file);
    }
  }
  const bool ok = std::fwrite(pending.data(), 1, pending.size(), file) == pending.size() && std::fflush(file) == 0;
  if (!ok && problem_.empty()) problem_ = path + ": " + std::strerror(errno);
  pending.clear();
}

void RunJournal::Flush() {
  rowsPending_ = 0;
  static const std::string logHeading = CsvLine({"시간", "배치", "작업", "원본", "대상", "결과", "사유"});
  static const std::string manifestHeading = std::string(kManifestHeading) + "\r\n";
  Write(log_, logPath_, logPending_, logHeading);
  if (!manifestPending_.empty() && manifestPath_.empty()) manifestPath_ = NewManifestPath();
  Write(manifest_, manifestPath_, manifestPending_, manifestHeading);
}

std::string RunJournal::Finish() {
  Flush();
  for (std::FILE** f : {&log_, &manifest_}) {
    if (*f && std::fclose(*f) != 0 && problem_.empty()) problem_ = std::strerror(errno);
    *f = nullptr;
  }
  return manifestPath_;
}

std::string NowText() {
  return QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm:ss").toStdString();
}

}  // namespace vek
