#include "app/batch_run.h"

#include <sys/stat.h>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <istream>

#include "app/command_line.h"
#include "platform/error.h"
#include "platform/os/os.h"
#include "platform/text/text.h"

namespace vek {

namespace {

std::string GetEnv(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

// Reads CSV records as AppendCsvField writes them (quoted fields may hold commas, quotes and line ends),
// one at a time, so that a large file is never held whole.
class CsvReader {
 public:
  explicit CsvReader(std::istream& in) : in_(in) {}
  // The next record's fields; false at the end. Empty lines are skipped.
  bool Next(std::vector<std::string>& record) {
    record.clear();
    std::string field;
    bool quoted = false, any = false;
    for (;;) {
      const int ch = in_.get();
      if (ch == EOF) break;
      const char c = char(ch);
      if (quoted) {
        if (c == '"' && in_.peek() == '"') {
          field += '"';
          in_.get();
        } else if (c == '"') {
          quoted = false;
        } else {
          field += c;
        }
        continue;
      }
      if (c == '"') {
        quoted = any = true;
      } else if (c == ',') {
        record.push_back(std::move(field));
        field.clear();
        any = true;
      } else if (c == '\n' || c == '\r') {
        if (c == '\r' && in_.peek() == '\n') in_.get();
        if (any || !field.empty()) {
          record.push_back(std::move(field));
          return true;
        }
      } else {
        field += c;
        any = true;
      }
    }
    if (any || !field.empty()) {
      record.push_back(std::move(field));
      return true;
    }
    return false;
  }

 private:
  std::istream& in_;
};

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

constexpr std::string_view kManifestHeading = "원본,대상,크기,수정시각,장치,아이노드,종류,검출수";
constexpr std::string_view kRestoredHeading = "시간,원본,대상";

bool ToInt(const std::string& s, std::int64_t& v) {
  if (s.empty()) return false;
  char* end = nullptr;
  errno = 0;
  v = std::strtoll(s.c_str(), &end, 10);
  return errno == 0 && end == s.c_str() + s.size();
}

void AppendManifestLine(std::string& to, std::string_view source, std::string_view target,
                        const std::optional<FileStamp>& stamp, std::string_view kind, std::string_view hits) {
  if (!stamp) {
    AppendCsvLine(to, {source, target, "", "", "", "", kind, hits});
    return;
  }
  // The four numbers in one buffer on the stack (no string per number).
  char digits[4][24];
  std::string_view numbers[4];
  const std::int64_t values[2] = {stamp->Size, stamp->MtimeNs};
  const std::uint64_t ids[2] = {stamp->Device, stamp->Inode};
  for (int i = 0; i < 4; ++i) {
    const auto end = i < 2 ? std::to_chars(digits[i], digits[i] + 24, values[i]).ptr
                           : std::to_chars(digits[i], digits[i] + 24, ids[i - 2]).ptr;
    numbers[i] = std::string_view(digits[i], std::size_t(end - digits[i]));
  }
  AppendCsvLine(to, {source, target, numbers[0], numbers[1], numbers[2], numbers[3], kind, hits});
}

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
  for (const std::string_view raw : plat::batch::SplitBatchLines(bytes))
    lines.push_back(plat::text::TryCp949ToUtf8(raw));
  return lines;
}

std::vector<std::optional<std::string>> ReadBackBatchLines(std::string_view onDisk, std::string_view written,
                                                           const std::vector<std::string>& lines) {
  const bool asWritten = onDisk == written &&
                         std::none_of(lines.begin(), lines.end(),
                                      [](const std::string& l) { return l.find('\n') != std::string::npos; });
  if (!asWritten) return BatchFileLines(onDisk);
  return std::vector<std::optional<std::string>>(lines.begin(), lines.end());
}

BatchRunner::BatchRunner(std::vector<std::optional<std::string>> lines, plat::batch::RunOptions options)
    : lines_(std::move(lines)), options_(options) {
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
        r = plat::batch::RunBatchLine(*lines_[i], options_);
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

std::size_t BatchRunner::TakeFinished(
    const std::function<void(std::size_t, const plat::batch::LineResult&)>& take) {
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
  if (current >= 0 && std::size_t(current) < lines_.size())
    p.Current = lines_[std::size_t(current)].value_or(std::string());
  return p;
}

namespace {

// The system's error texts (strerror) a file action can end with, in Korean.
std::string KoreanError(std::string_view text) {
  struct Known {
    std::string_view english, korean;
  };
  static constexpr Known kErrors[] = {
      {"Operation not permitted", "허용되지 않은 작업"},
      {"Permission denied", "접근 권한이 없음"},
      {"No such file or directory", "파일이나 폴더가 없음"},
      {"File exists", "이미 있음"},
      {"No space left on device", "디스크 공간이 부족함"},
      {"Read-only file system", "읽기 전용 파일 시스템"},
      {"Device or resource busy", "사용 중임"},
      {"Text file busy", "사용 중임"},
      {"Is a directory", "폴더임"},
      {"Not a directory", "폴더가 아님"},
      {"Directory not empty", "폴더가 비어 있지 않음"},
      {"Input/output error", "입출력 오류"},
      {"File name too long", "이름이 너무 김"},
      {"Too many levels of symbolic links", "심볼릭 링크가 너무 많이 이어짐"},
      {"Invalid cross-device link", "다른 장치로 이름을 바꿀 수 없음"},
      {"Invalid argument", "잘못된 인수"},
      {"Disk quota exceeded", "디스크 할당량을 넘음"},
      {"File too large", "파일이 너무 큼"},
      {"Too many open files", "열린 파일이 너무 많음"},
      {"Stale file handle", "네트워크 파일 핸들이 끊김"},
  };
  for (const Known& k : kErrors)
    if (text == k.english) return std::string(k.korean);
  return std::string(text);
}

// The rest of a message after its known beginning, appended to `to`: " to " between two paths as an arrow,
// a system error at the end and the host path in Korean. A rest that names its paths only (the usual line
// of a run) is appended as it is, without a copy.
void AppendKoreanRest(std::string& to, std::string_view rest, bool twoPaths = false) {
  if (!twoPaths && rest.find(" (") == std::string_view::npos && rest.find(": ") == std::string_view::npos &&
      rest.find(" after copying it") == std::string_view::npos) {
    to += rest;
    return;
  }
  std::string out(rest);
  const auto replace = [&](std::string_view from, std::string_view to) {
    for (std::size_t at = out.find(from); at != std::string::npos; at = out.find(from, at + to.size()))
      out.replace(at, from.size(), to);
  };
  replace(" (host path ", " (이 컴퓨터의 경로 ");
  replace(" (not in the drive map)", " (드라이브 연결에 없음)");
  replace(" (copy removed)", " (복사본은 지움)");
  replace(" after copying it", " (복사한 뒤)");
  replace("; source kept: ", "; 원본은 그대로 둠: ");
  // "X to Y: error": the last " to " before the error (a path may hold " to " itself).
  if (twoPaths)
    if (const std::size_t to = out.rfind(" to ", out.rfind(": ")); to != std::string::npos)
      out.replace(to, 4, " -> ");
  if (const std::size_t colon = out.rfind(": "); colon != std::string::npos)
    out = out.substr(0, colon + 2) + KoreanError(out.substr(colon + 2));
  to += out;
}

std::string KoreanRest(std::string_view rest, bool twoPaths = false) {
  std::string out;
  AppendKoreanRest(out, rest, twoPaths);
  return out;
}

// The path a shred message names between two known pieces ("... of PATH stopped after ...").
std::string Between(std::string_view message, std::string_view before, std::string_view after) {
  const std::size_t a = message.find(before);
  if (a == std::string_view::npos) return std::string(message);
  const std::size_t from = a + before.size();
  const std::size_t b = message.rfind(after);
  return std::string(
      message.substr(from, b == std::string_view::npos || b < from ? std::string_view::npos : b - from));
}

}  // namespace

std::string KoreanReason(std::string_view message) {
  // 완전삭제's own failures: what happened to the file matters more than the words.
  if (message.starts_with("not shredded: "))
    return "완전삭제하지 않음(다른 하드 링크가 있어 그 이름으로 데이터가 남음): " +
           Between(message, "not shredded: ", " has ");
  if (message.starts_with("shred interrupted: "))
    return "덮어쓰기가 중간에 멈춤(파일은 그 자리에 남음): " +
           Between(message, "the overwrite of ", " stopped after ") +
           (message.ends_with("not overwritten") ? " (덮어쓰지 않음)" : " (일부만 덮어씀)");
  if (message.starts_with("overwritten, but "))
    return "덮어썼지만 지우지 못함(파일이 남아 있음): " + KoreanRest(message.substr(17));
  struct Known {
    std::string_view prefix;
    std::string_view korean;
  };
  static constexpr Known kKnown[] = {
      {"target exists: ", "대상 폴더에 같은 이름의 파일이 이미 있음(덮어쓰지 않음): "},
      {"source does not exist: ", "원본 파일이 없음(옮겨졌거나 지워졌을 수 있음): "},
      {"file does not exist: ", "파일이 없음(옮겨졌거나 지워졌을 수 있음): "},
      {"target folder does not exist: ", "대상 폴더가 없음: "},
      {"target is not a folder: ", "대상이 폴더가 아님: "},
      {"cannot create folder ", "폴더를 만들지 못함: "},
      {"cannot create a file in ", "파일을 만들지 못함: "},
      {"a file of that name exists: ", "폴더 이름과 같은 파일이 있음: "},
      {"no host path for ", "이 컴퓨터에 없는 드라이브나 네트워크 경로: "},
      {"no host folder for ", "이 컴퓨터에 없는 드라이브나 네트워크 경로: "},
      {"source is a folder, not a file: ", "원본이 파일이 아니라 폴더임: "},
      {"source names a folder, not a file: ", "원본이 파일이 아니라 폴더임: "},
      {"is a folder, not a file: ", "파일이 아니라 폴더임: "},
      {"names a folder, not a file: ", "파일이 아니라 폴더임: "},
      {"source is not a regular file: ", "원본이 일반 파일이 아님: "},
      {"cannot delete ", "지우지 못함: "},
      {"cannot move ", "옮기지 못함: "},
      {"cannot copy ", "복사하지 못함: "},
      {"cannot flush the copy in ", "복사본을 디스크에 쓰지 못함: "},
      {"cannot check the copy of ", "복사본을 확인하지 못함: "},
      {"cannot compare the copy of ", "복사본을 비교하지 못함: "},
      {"cannot name the copy ", "복사본의 이름을 붙이지 못함: "},
      {"cannot finish the copy ", "복사를 마치지 못함: "},
      {"cannot open ", "열지 못함: "},
      {"cannot read ", "읽지 못함: "},
      {"the source changed while it was being ", "옮기는 동안 원본이 바뀜: "},
      {"the copy in ", "복사본이 원본과 다름(원본은 그대로 둠): "},
      {"the line is not valid CP949 text", "배치 파일의 줄을 읽을 수 없음"},
      {"unknown command: ", "알 수 없는 명령: "},
      {"cannot find the data of ", "파일의 데이터 위치를 알 수 없음: "},
      {"not a regular file: ", "일반 파일이 아님: "},
      {"the file changed while it was being opened: ", "여는 동안 파일이 바뀜: "},
      {"the link changed while it was being deleted: ", "지우는 동안 링크가 바뀜: "},
      {"cannot delete the link ", "링크를 지우지 못함: "},
      {"cannot open the folder of ", "폴더를 열지 못함: "},
  };
  for (const Known& k : kKnown)
    if (message.starts_with(k.prefix))
      return std::string(k.korean) + KoreanRest(message.substr(k.prefix.size()),
                                                k.prefix == "cannot move " || k.prefix == "cannot copy ");
  return "실패: " + KoreanRest(message);
}

std::string KoreanLine(const plat::batch::LineResult& r) {
  std::string out;
  AppendKoreanLine(out, r);
  return out;
}

std::string KoreanDone(std::string_view message) {
  std::string out;
  AppendKoreanDone(out, message);
  return out;
}

void AppendKoreanLine(std::string& out, const plat::batch::LineResult& r) {
  if (r.status != plat::batch::LineStatus::Failed) return AppendKoreanDone(out, r.message);
  out += "실패: ";
  out += std::to_string(r.number);
  out += "번째 줄: ";
  out += KoreanReason(r.message);
}

void AppendKoreanDone(std::string& out, std::string_view message) {
  struct Known {
    std::string_view prefix, korean;
    bool pathsOnly;  // the rest names paths and nothing else: appended as it is, whatever a path holds
  };
  static constexpr Known kDone[] = {
      {"moved ", "옮김: ", true},
      {"folder exists: ", "폴더 있음: ", true},
      {"created ", "폴더 만듦: ", true},
      {"deleted ", "지움: ", true},
      {"removed an interrupted copy: ", "중단된 복사본을 지움: ", false},
      {"shredded ", "완전삭제함: ", false},
      {"removed the link ", "링크만 지움: ", false},
  };
  for (const Known& k : kDone)
    if (message.starts_with(k.prefix)) {
      out += k.korean;
      if (k.pathsOnly)
        out += message.substr(k.prefix.size());
      else
        AppendKoreanRest(out, message.substr(k.prefix.size()));
      return;
    }
  out += message;
}

std::string UserDataDir() {
  std::string data = GetEnv("XDG_DATA_HOME");
  if (data.empty() || data.front() != '/') data = QDir::homePath().toStdString() + "/.local/share";
  const std::string dir = data + "/VekSecurity";
  plat::os::ForceDirectories(dir);
  return dir;
}

std::string ActionLogPath() {
  return UserDataDir() + "/actions.csv";
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
  for (int n = 2; plat::os::FileExists(path); ++n)
    path = ManifestDir() + "/move-" + stamp + "-" + std::to_string(n) + ".csv";
  return path;
}

}  // namespace

std::optional<FileStamp> StampOf(const std::string& hostPath) {
  struct stat st {};
  if (::lstat(hostPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return FileStamp{std::int64_t(st.st_size),
                   std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                   std::uint64_t(st.st_dev), std::uint64_t(st.st_ino)};
}

void MoveRecord::Add(const std::vector<std::string>& f) {
  if (f.size() < 2 || f[0].empty() || f[1].empty()) return;
  Item item{};
  item.At = text_.size();
  const auto put = [&](const std::string& s, std::size_t max) {
    const std::size_t n = std::min(s.size(), max);
    text_.append(s, 0, n);
    return n;
  };
  item.SourceLen = std::uint32_t(put(f[0], UINT32_MAX));
  item.TargetLen = std::uint32_t(put(f[1], UINT32_MAX));
  if (f.size() >= 6) {
    std::int64_t size = 0, mtime = 0, dev = 0, ino = 0;
    item.Stamped =
        ToInt(f[2], size) && ToInt(f[3], mtime) && ToInt(f[4], dev) && ToInt(f[5], ino) && size >= 0;
    if (item.Stamped) item.Stamp = {size, mtime, std::uint64_t(dev), std::uint64_t(ino)};
  }
  if (f.size() >= 8) {
    item.KindLen = std::uint16_t(put(f[6], UINT16_MAX));
    item.HitsLen = std::uint16_t(put(f[7], UINT16_MAX));
  }
  entries_.push_back(item);
}

std::string_view MoveRecord::Kind(std::size_t i) const {
  const Item& e = entries_[i];
  return Text(e.At + e.SourceLen + e.TargetLen, e.KindLen);
}

std::string_view MoveRecord::Hits(std::size_t i) const {
  const Item& e = entries_[i];
  return Text(e.At + e.SourceLen + e.TargetLen + e.KindLen, e.HitsLen);
}

ManifestEntry MoveRecord::Entry(std::size_t i) const {
  return {std::string(Source(i)), std::string(Target(i)), Stamp(i), std::string(Kind(i)),
          std::string(Hits(i))};
}

MoveRecord MoveRecord::Read(const std::string& hostPath) {
  std::ifstream in(hostPath, std::ios::binary);
  if (!in)
    throw plat::Exception("이동 기록을 읽지 못했습니다: " + hostPath + " (" + std::strerror(errno) + ")");
  std::vector<char> buffer(1 << 20);
  in.rdbuf()->pubsetbuf(buffer.data(), std::streamsize(buffer.size()));
  char bom[3] = {};
  in.read(bom, 3);
  if (!(in.gcount() == 3 && std::string_view(bom, 3) == "\xEF\xBB\xBF")) {
    in.clear();
    in.seekg(0);
  }
  MoveRecord record;
  // Room for the whole record at once: growing by doubling would hold the old and the new copy together.
  // Pages not written are never taken from the system, so an estimate on the high side costs nothing.
  std::error_code sizeError;
  const auto bytes = std::filesystem::file_size(hostPath, sizeError);
  if (!sizeError) {
    record.text_.reserve(std::size_t(bytes));
    record.entries_.reserve(std::size_t(bytes / 32) + 16);  // no line is shorter
  }
  CsvReader reader(in);
  std::vector<std::string> fields;
  for (bool first = true; reader.Next(fields); first = false) {
    if (first && !fields.empty() && fields[0] == "원본") continue;  // the heading
    record.Add(fields);
  }
  return record;
}

std::string WriteManifest(const std::vector<ManifestEntry>& entries) {
  if (entries.empty()) return {};
  const std::string path = NewManifestPath();
  std::string text = "\xEF\xBB\xBF" + std::string(kManifestHeading) + "\r\n";
  for (const ManifestEntry& e : entries)
    AppendManifestLine(text, e.Source, e.Target, e.Stamp, e.Kind, e.Hits);
  plat::os::WriteFileBytes(path, text);
  return path;
}

std::vector<ManifestEntry> ReadManifest(const std::string& hostPath) {
  const MoveRecord record = MoveRecord::Read(hostPath);
  std::vector<ManifestEntry> entries;
  entries.reserve(record.Size());
  for (std::size_t i = 0; i < record.Size(); ++i) entries.push_back(record.Entry(i));
  return entries;
}

std::string RestoredRecordPath(const std::string& manifestHostPath) {
  std::string path = manifestHostPath;
  if (path.ends_with(".csv")) path.resize(path.size() - 4);
  return path + ".restored.csv";
}

void AppendRestored(const std::string& manifestHostPath, const std::vector<ManifestEntry>& restored) {
  if (restored.empty()) return;
  const std::string path = RestoredRecordPath(manifestHostPath);
  const bool fresh = !plat::os::FileExists(path);
  std::string text;
  if (fresh) text = "\xEF\xBB\xBF" + std::string(kRestoredHeading) + "\r\n";
  const std::string when = NowText();
  for (const ManifestEntry& e : restored) AppendCsvLine(text, {when, e.Source, e.Target});
  std::ofstream out(path, std::ios::app | std::ios::binary);
  out << text;
  out.flush();
  if (!out) throw plat::Exception("되돌린 기록을 쓰지 못했습니다: " + path);
}

std::vector<std::string> ReadRestored(const std::string& manifestHostPath) {
  std::vector<std::string> keys;
  std::ifstream in(RestoredRecordPath(manifestHostPath), std::ios::binary);
  if (!in) return keys;
  CsvReader reader(in);
  std::vector<std::string> f;
  for (bool first = true; reader.Next(f); first = false) {
    if (first && !f.empty() && f[0].ends_with("시간")) continue;
    if (f.size() >= 3) keys.push_back(f[1] + '\0' + f[2]);
  }
  return keys;
}

namespace {

// Lines of a file that end in a line feed: a record's entries plus its heading (names never hold one).
std::size_t CountLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::size_t n = 0;
  char buf[1 << 16];
  while (in.read(buf, sizeof buf) || in.gcount() > 0)
    n += std::size_t(std::count(buf, buf + in.gcount(), '\n'));
  return n;
}

}  // namespace

std::string LatestManifest() {
  const QDir dir(QString::fromStdString(ManifestDir()));
  const QFileInfoList files = dir.entryInfoList({"move-*.csv"}, QDir::Files, QDir::Name);
  for (auto it = files.rbegin(); it != files.rend(); ++it) {
    const std::string path = it->absoluteFilePath().toStdString();
    if (path.ends_with(".restored.csv")) continue;
    const std::string restored = RestoredRecordPath(path);
    // Both files have a heading; a record whose every file is back is done.
    if (plat::os::FileExists(restored) && CountLines(restored) >= CountLines(path)) continue;
    return path;
  }
  return {};
}

RunJournal::RunJournal(bool move, const ActionRecord& shared) : move_(move) {
  log_.StartRun(shared);
}

RunJournal::~RunJournal() {
  try {
    Finish();
  } catch (...) {
  }
}

void RunJournal::Add(const RunRecords::File& record) {
  log_.AppendFile(record);
  if (++rowsPending_ >= kRowsPerWrite) Flush();
}

void RunJournal::AddMoved(const RunRecords::File& record, const std::optional<FileStamp>& stamp) {
  if (move_)
    AppendManifestLine(manifestPending_, record.Source, record.Target, stamp, record.Kinds, record.Hits);
  log_.AppendFile(record);
  if (++rowsPending_ >= kRowsPerWrite) Flush();
}

void RunJournal::Flush() {
  rowsPending_ = 0;
  if (!log_.FlushLines() && problem_.empty()) problem_ = log_.Problem();
  if (manifestPending_.empty()) return;
  if (manifestPath_.empty()) manifestPath_ = NewManifestPath();
  if (!manifest_) {
    manifest_ = std::fopen(manifestPath_.c_str(), "ab");
    if (!manifest_) {
      if (problem_.empty()) problem_ = manifestPath_ + ": " + std::strerror(errno);
      manifestPending_.clear();
      return;
    }
    const std::string heading = "\xEF\xBB\xBF" + std::string(kManifestHeading) + "\r\n";
    std::fwrite(heading.data(), 1, heading.size(), manifest_);
  }
  const bool ok = std::fwrite(manifestPending_.data(), 1, manifestPending_.size(), manifest_) ==
                      manifestPending_.size() &&
                  std::fflush(manifest_) == 0;
  if (!ok && problem_.empty()) problem_ = manifestPath_ + ": " + std::strerror(errno);
  manifestPending_.clear();
}

std::string RunJournal::Finish() {
  Flush();
  if (!log_.Flush() && problem_.empty()) problem_ = log_.Problem();  // the head after the run's last record
  if (manifest_ && std::fclose(manifest_) != 0 && problem_.empty()) problem_ = std::strerror(errno);
  manifest_ = nullptr;
  return manifestPath_;
}

std::string NowText() {
  return QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm:ss").toStdString();
}

}  // namespace vek
