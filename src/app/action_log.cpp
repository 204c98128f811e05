// The chained action log: writing, reading back, checking (the format is in action_log.h).
#include "app/action_log.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <QByteArray>
#include <QRandomGenerator>
#include <QString>
#include <QSysInfo>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <ostream>
#include <sstream>

#include "app/batch_run.h"
#include "app/sha256.h"
#include "platform/error.h"
#include "platform/os/os.h"

namespace vek {

bool NeedsQuotes(std::string_view s, char delimiter) {
  const auto special = [delimiter](char c) { return c == delimiter || c == '"' || c == '\r' || c == '\n'; };
  std::size_t i = 0;
#if defined(__SSE2__)
  // Sixteen bytes at a time, compared with the four bytes at once.
  const __m128i d = _mm_set1_epi8(delimiter), q = _mm_set1_epi8('"'), cr = _mm_set1_epi8('\r'),
                lf = _mm_set1_epi8('\n');
  for (; i + 16 <= s.size(); i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data() + i));
    const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, d), _mm_cmpeq_epi8(v, q)),
                                     _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)));
    if (_mm_movemask_epi8(hit) != 0) return true;
  }
#endif
  for (; i < s.size(); ++i)
    if (special(s[i])) return true;
  return false;
}

namespace {

constexpr std::size_t kHashHex = 64;
constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kHeading =
    "번호,시간,사용자,호스트,배치,방법,원본,대상,크기,종류,검출수,매체,결과,사유,작업ID,해시";
// The heading of chained lines written before runs had an identity.
constexpr std::string_view kUnnamedRunsHeading =
    "번호,시간,사용자,호스트,배치,방법,원본,대상,크기,종류,검출수,매체,결과,사유,해시";
// The heading of the lines written before the chain.
constexpr std::string_view kOldHeading = "시간,배치,작업,원본,대상,결과,사유";
const std::string kZeroHash(kHashHex, '0');

// hash(n) = SHA-256(hash(n-1) as 32 bytes, then the line's body), handed out as 64 lower-case hex digits.
class ChainHash {
 public:
  // `prevHex` is 64 hex digits.
  std::string Next(std::string_view prevHex, std::string_view body) {
    Sha256Digest hash = Digest(prevHex);
    Advance(hash, body);
    std::string hex;
    AppendHex(hex, hash);
    return hex;
  }
  // The 32 bytes that 64 hex digits spell.
  static Sha256Digest Digest(std::string_view hex) {
    Sha256Digest raw;
    for (std::size_t i = 0; i < raw.size(); ++i)
      raw[i] = std::uint8_t(Nibble(hex[2 * i]) << 4 | Nibble(hex[2 * i + 1]));
    return raw;
  }
  // `hash` becomes the hash of the line whose body follows it.
  static void Advance(Sha256Digest& hash, std::string_view body) {
    hash = Sha256(std::string_view(reinterpret_cast<const char*>(hash.data()), hash.size()), body);
  }
  static void AppendHex(std::string& to, const Sha256Digest& hash) {
    static constexpr char kHex[] = "0123456789abcdef";
    char hex[kHashHex];
    for (std::size_t i = 0; i < hash.size(); ++i) {
      hex[2 * i] = kHex[hash[i] >> 4];
      hex[2 * i + 1] = kHex[hash[i] & 15];
    }
    to.append(hex, kHashHex);
  }

 private:
  static int Nibble(char c) { return c <= '9' ? c - '0' : c - 'a' + 10; }
};

bool IsHex(std::string_view s) {
  for (char c : s)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

// A line of the chain taken apart: its number, the bytes its hash covers, and its hash.
struct ChainedLine {
  std::int64_t Number = 0;
  std::string_view Body, Hash;
};

// Whether a line (without its line end) has the chained form: digits, a comma, ..., a comma, 64 hex digits.
bool ParseChained(std::string_view line, ChainedLine& out) {
  if (line.size() < kHashHex + 3 || line[line.size() - kHashHex - 1] != ',') return false;
  const std::string_view hash = line.substr(line.size() - kHashHex);
  if (!IsHex(hash)) return false;
  std::size_t digits = 0;
  std::int64_t n = 0;
  while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9' && digits < 18)
    n = n * 10 + (line[digits++] - '0');
  if (digits == 0 || line[digits] != ',' || n <= 0) return false;
  out.Number = n;
  out.Body = line.substr(0, line.size() - kHashHex);
  out.Hash = hash;
  return true;
}

// The lines of a text (LF or CR LF); an empty last line after a final line end is no line.
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    pos = next;
  }
  return lines;
}

bool IsHeading(std::string_view line) {
  return line == kHeading || line == kUnnamedRunsHeading || line == kOldHeading;
}

std::string SystemError(const std::string& path) {
  return path + ": " + std::strerror(errno);
}

// flock, again when a signal interrupts the wait.
int Lock(int fd, int how) {
  int r;
  do r = ::flock(fd, how);
  while (r != 0 && errno == EINTR);
  return r;
}

// The whole file, read under a shared lock so that no writer's lines are caught half-way; empty when it does
// not exist. Throws plat::Exception when it cannot be read. A writer that holds the log's lock reads without
// one (`locked` false): a second lock of this process on the same file would wait for the first.
std::string ReadWhole(const std::string& path, bool locked = true) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return {};
    throw plat::Exception(SystemError(path));
  }
  if (locked) Lock(fd, LOCK_SH);  // a file system without locks is read as it is
  std::string bytes;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && st.st_size > 0) bytes.reserve(std::size_t(st.st_size));
  char buf[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const std::string problem = SystemError(path);
      ::close(fd);
      throw plat::Exception(problem);
    }
    if (n == 0) break;
    bytes.append(buf, std::size_t(n));
  }
  ::close(fd);
  if (bytes.starts_with(kBom)) bytes.erase(0, kBom.size());
  return bytes;
}

// One CSV line split into fields (quotes as CSV has them).
std::vector<std::string> SplitCsv(std::string_view line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        fields.back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        fields.back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

// One CSV field, scanned once: most fields need no quotes. A line break becomes a blank (one record, one
// line).
void AppendField(std::string& to, std::string_view s) {
  if (!NeedsQuotes(s, ',')) {
    to += s;
    return;
  }
  to += '"';
  for (char c : s) {
    if (c == '\r' || c == '\n') c = ' ';
    to += c;
    if (c == '"') to += '"';
  }
  to += '"';
}

// The last chained line in the file's last 64 KB, if any.
std::optional<ChainHead> LastChained(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return std::nullopt;
  const std::streamoff size = in.tellg();
  const std::streamoff from = std::max<std::streamoff>(0, size - (1 << 16));
  std::string tail(std::size_t(size - from), '\0');
  in.seekg(from);
  in.read(tail.data(), std::streamsize(tail.size()));
  const std::vector<std::string_view> lines = Lines(tail);
  for (std::size_t i = lines.size(); i-- > 0;) {
    ChainedLine c;
    if (ParseChained(lines[i], c)) return ChainHead{std::string(c.Hash), c.Number};
    if (!lines[i].empty()) break;  // the last line is not chained
  }
  return std::nullopt;
}

// The hash the file's record `number` carries, if the file has it.
std::optional<std::string> HashOfRecord(const std::string& path, std::int64_t number) {
  const std::string text = ReadWhole(path, false);
  for (std::string_view line : Lines(text)) {
    ChainedLine c;
    if (ParseChained(line, c) && c.Number == number) return std::string(c.Hash);
  }
  return std::nullopt;
}

std::string LineText(std::int64_t line) {
  return std::to_string(line) + "행";
}

}  // namespace

std::string CurrentUserName() {
  if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name && *pw->pw_name) return pw->pw_name;
  if (const char* u = std::getenv("USER")) return u;
  return std::to_string(::geteuid());
}

std::string CurrentHostName() {
  return QSysInfo::machineHostName().toStdString();
}

std::string ChainHeadPath() {
  return UserDataDir() + "/records.ini";
}

std::optional<ChainHead> ReadChainHead(const std::string& headPath) {
  if (!plat::os::FileExists(headPath)) return std::nullopt;
  // Read afresh each time (an ini reader that caches by the file's time could miss a head rewritten within
  // the same moment): the [ActionLog] section's Head and Lines.
  std::string text;
  try {
    text = plat::os::ReadFileBytes(headPath);
  } catch (const std::exception&) {
    return std::nullopt;
  }
  std::string hash, linesText, section;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (line.starts_with('[')) {
      section = line;
    } else if (section == "[ActionLog]" && line.starts_with("Head=")) {
      hash = line.substr(5);
    } else if (section == "[ActionLog]" && line.starts_with("Lines=")) {
      linesText = line.substr(6);
    }
  }
  char* stop = nullptr;
  const long long lines = linesText.empty() ? 0 : std::strtoll(linesText.c_str(), &stop, 10);
  if (linesText.empty() || *stop != '\0' || lines <= 0 || hash.size() != kHashHex || !IsHex(hash))
    return std::nullopt;
  return ChainHead{hash, std::int64_t(lines)};
}

std::string NewRunId() {
  static constexpr char kHex[] = "0123456789abcdef";
  std::uint64_t v = QRandomGenerator::system()->generate64();
  std::string id(16, '0');
  for (char& c : id) {
    c = kHex[v & 15];
    v >>= 4;
  }
  return id;
}

ActionLog::ActionLog() : ActionLog(ActionLogPath(), ChainHeadPath()) {}

ActionLog::ActionLog(std::string logPath, std::string headPath)
    : logPath_(std::move(logPath)), headPath_(std::move(headPath)), head_{kZeroHash, 0} {}

ActionLog::~ActionLog() {
  try {
    Flush();
  } catch (...) {
  }
  if (fd_ >= 0) ::close(fd_);
}

void ActionLog::Append(const ActionRecord& r) {
  for (const std::string* f : {&r.Time, &r.User, &r.Host, &r.Batch, &r.Method, &r.Source, &r.Target, &r.Size,
                               &r.Kinds, &r.Hits, &r.Medium, &r.Result, &r.Reason, &r.Run}) {
    AppendField(waiting_, *f);
    waiting_ += ',';
  }
  ends_.push_back(std::uint32_t(waiting_.size()));
  if (waiting_.size() >= kWriteBytes) Flush();
}

void ActionLog::StartRun(const ActionRecord& r) {
  runHead_.clear();
  for (const std::string* f : {&r.Time, &r.User, &r.Host, &r.Batch, &r.Method}) {
    AppendField(runHead_, *f);
    runHead_ += ',';
  }
  runTail_.clear();
  AppendField(runTail_, r.Run);
  runTail_ += ',';
}

void ActionLog::AppendFile(const RunRecords::File& f) {
  waiting_ += runHead_;
  for (const std::string_view field : f.Fields()) {
    AppendField(waiting_, field);
    waiting_ += ',';
  }
  waiting_ += runTail_;
  ends_.push_back(std::uint32_t(waiting_.size()));
  if (waiting_.size() >= kWriteBytes) Flush();
}

bool ActionLog::Resume(long long fileSize, std::string& out) {
  // Nobody wrote since this writer's last lines (the file ends where they ended, and the settings hold the
  // head they left): the chain goes on from there without reading anything back.
  const std::optional<ChainHead> stored = ReadChainHead(headPath_);
  if (end_ >= 0 && fileSize == end_ && stored == settings_) return true;
  settings_ = stored;
  const std::optional<ChainHead> tail = fileSize > 0 ? LastChained(logPath_) : std::nullopt;
  ChainHead from{kZeroHash, 0};
  if (stored) {
    from = *stored;
    // Lines written after the head was last stored (the program ended in between) are the chain's own.
    if (tail && tail->Lines > stored->Lines && HashOfRecord(logPath_, stored->Lines) == stored->Hash)
      from = *tail;
  } else if (tail) {
    from = *tail;
  }
  head_ = from;
  // The heading opens the file, or the chain after the lines written before it.
  if (fileSize == 0) out += kBom;
  if (fileSize == 0 || head_.Lines == 0) {
    out += kHeading;
    out += "\r\n";
  }
  return true;
}

bool ActionLog::Flush(bool durable) {
  return Write(durable, true);
}

bool ActionLog::FlushLines() {
  return Write(false, !stored_ || std::chrono::steady_clock::now() - *stored_ >= headEvery_);
}

bool ActionLog::Write(bool durable, bool storeHead) {
  if (ends_.empty() && !(storeHead && headPending_)) return true;
  if (fd_ < 0) {
    fd_ = ::open(logPath_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) {
      problem_ = SystemError(logPath_);
      return false;
    }
  }
  if (Lock(fd_, LOCK_EX) != 0 && errno != ENOLCK && errno != EOPNOTSUPP) {
    problem_ = SystemError(logPath_);
    return false;
  }
  struct Unlock {
    int fd;
    ~Unlock() { ::flock(fd, LOCK_UN); }
  } unlock{fd_};
  struct stat st {};
  if (::fstat(fd_, &st) != 0) {
    problem_ = SystemError(logPath_);
    return false;
  }
  if (ends_.empty()) {
    // Only the head of lines written earlier: stored unless another writer has gone on from them since.
    headPending_ = false;
    if (st.st_size != end_ || ReadChainHead(headPath_) != settings_) return true;
    return StoreHead();
  }
  const ChainHead before = head_;
  out_.clear();
  Resume(st.st_size, out_);
  // Numbered and hashed now, after the head as it stands under the lock.
  // The hash goes from line to line as its 32 bytes; each line gets it in hex.
  ChainHead head = head_;
  Sha256Digest hash = ChainHash::Digest(head.Hash);
  std::size_t from = 0;
  char number[24];
  for (const std::uint32_t end : ends_) {
    const std::size_t at = out_.size();
    out_.append(number, std::to_chars(number, number + sizeof number, head.Lines + 1).ptr);
    out_ += ',';
    out_.append(waiting_, from, end - from);
    ChainHash::Advance(hash, std::string_view(out_).substr(at));
    ChainHash::AppendHex(out_, hash);
    out_ += "\r\n";
    ++head.Lines;
    from = end;
  }
  head.Hash.assign(out_, out_.size() - 2 - kHashHex, kHashHex);
  for (std::size_t done = 0; done < out_.size();) {
    const ssize_t n = ::write(fd_, out_.data() + done, out_.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      problem_ = SystemError(logPath_);
      // No part of a line stays behind: the file is cut back to where this write began (the lock is held).
      if (::ftruncate(fd_, st.st_size) != 0) problem_ += " (일부만 써진 줄이 남았습니다)";
      head_ = before;
      end_ = -1;
      return false;
    }
    done += std::size_t(n);
  }
  waiting_.clear();
  ends_.clear();
  head_ = head;
  end_ = st.st_size + (long long)out_.size();
  if (durable && ::fdatasync(fd_) != 0) {
    problem_ = SystemError(logPath_);
    return false;
  }
  if (!storeHead) {
    headPending_ = true;
    return true;
  }
  return StoreHead();
}

bool ActionLog::StoreHead() {
  // A small ini text, written whole under a temporary name and renamed over the old one, so that a crash
  // leaves one head or the other.
  std::string text = "[ActionLog]\nHead=";
  text += head_.Hash;
  text += "\nLines=";
  text += std::to_string(head_.Lines);
  text += "\n";
  const std::string temp = headPath_ + ".new";
  bool ok = false;
  if (std::FILE* f = std::fopen(temp.c_str(), "wb")) {
    ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = std::fclose(f) == 0 && ok;
    ok = ok && std::rename(temp.c_str(), headPath_.c_str()) == 0;
    if (!ok) std::remove(temp.c_str());
  }
  headPending_ = false;
  if (!ok) {
    problem_ = headPath_ + ": 기록의 머리를 저장하지 못했습니다: " + std::strerror(errno);
    end_ = -1;  // the next write looks at the file again
    return false;
  }
  settings_ = head_;
  stored_ = std::chrono::steady_clock::now();
  return true;
}

RunRecords::RunRecords(ActionRecord shared) : shared_(std::move(shared)) {}

void RunRecords::Reserve(std::size_t files) {
  ends_.reserve(files * kFields);
  text_.reserve(files * 160);  // two paths and a few short fields
}

void RunRecords::Add(const File& f) {
  for (const std::string_view field : f.Fields()) {
    text_ += field;
    ends_.push_back(text_.size());
  }
}

ActionRecord RunRecords::operator[](std::size_t i) const {
  ActionRecord r = shared_;
  std::size_t at = i * kFields, from = at == 0 ? 0 : ends_[at - 1];
  for (std::string* field :
       {&r.Source, &r.Target, &r.Size, &r.Kinds, &r.Hits, &r.Medium, &r.Result, &r.Reason}) {
    field->assign(text_, from, ends_[at] - from);
    from = ends_[at++];
  }
  return r;
}

std::vector<ActionRecord> RunRecords::All() const {
  std::vector<ActionRecord> all;
  all.reserve(Size());
  for (std::size_t i = 0; i < Size(); ++i) all.push_back((*this)[i]);
  return all;
}

std::vector<LoggedRecord> ReadActionLog(const std::string& logPath) {
  std::vector<LoggedRecord> out;
  const std::string text = ReadWhole(logPath);
  std::int64_t lineNo = 0;
  for (std::string_view line : Lines(text)) {
    ++lineNo;
    if (line.empty() || IsHeading(line)) continue;
    LoggedRecord lr;
    lr.Line = lineNo;
    ChainedLine c;
    if (ParseChained(line, c)) {
      std::vector<std::string> f = SplitCsv(c.Body.substr(0, c.Body.size() - 1));
      // 15 fields; 14 in lines written before runs had an identity.
      if (f.size() != 15 && f.size() != 14) continue;
      lr.Number = c.Number;
      ActionRecord& r = lr.Record;
      r.Time = f[1], r.User = f[2], r.Host = f[3], r.Batch = f[4], r.Method = f[5], r.Source = f[6];
      r.Target = f[7], r.Size = f[8], r.Kinds = f[9], r.Hits = f[10], r.Medium = f[11], r.Result = f[12];
      r.Reason = f[13];
      if (f.size() == 15) r.Run = f[14];
    } else {
      std::vector<std::string> f = SplitCsv(line);
      if (f.size() != 7) continue;
      ActionRecord& r = lr.Record;
      r.Time = f[0], r.Batch = f[1], r.Method = f[2], r.Source = f[3], r.Target = f[4], r.Result = f[5];
      r.Reason = f[6];
    }
    out.push_back(std::move(lr));
  }
  return out;
}

LogCheck VerifyActionLog(const std::string& logPath, const std::optional<ChainHead>& head) {
  LogCheck check;
  std::string text;
  try {
    text = ReadWhole(logPath);
  } catch (const std::exception& e) {
    check.Result = LogCheck::State::Unreadable;
    check.Message = e.what();
    return check;
  }
  const std::vector<std::string_view> lines = Lines(text);
  ChainHash sha;
  std::string prev = kZeroHash;
  std::int64_t prevNumber = 0, lastLine = 0;
  std::optional<std::string> hashAtHead;  // the hash of the record numbered as the head's count
  const auto fail = [&](LogCheck::State state, std::int64_t line, std::string message) {
    check.Result = state;
    check.Line = line;
    check.Message = std::move(message);
    return check;
  };
  // The chained line after index i, if any.
  const auto nextChained = [&](std::size_t i, ChainedLine& next) {
    for (std::size_t j = i + 1; j < lines.size(); ++j) {
      if (lines[j].empty()) continue;
      return ParseChained(lines[j], next);
    }
    return false;
  };
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    const std::int64_t no = std::int64_t(i) + 1;
    if (line.empty()) continue;
    ChainedLine c;
    const bool chained = ParseChained(line, c);
    if (!chained) {
      if (prevNumber > 0) {
        // A line of another form inside the chain: added, when the chain goes on past it; else a chained line
        // so changed that it lost its form.
        ChainedLine next;
        const bool haveNext = nextChained(i, next);
        if (haveNext ? next.Number == prevNumber + 1 && sha.Next(prev, next.Body) == next.Hash
                     : !head || head->Lines <= prevNumber)
          return fail(LogCheck::State::Inserted, no, LineText(no) + "이 끼워 넣어졌습니다(체인에 없는 줄)");
        return fail(LogCheck::State::Changed, no,
                    LineText(no) + "이 바뀌었습니다(기록 " + std::to_string(prevNumber + 1) + "번)");
      }
      if (!IsHeading(line)) ++check.Unchained;
      continue;
    }
    if (c.Number == prevNumber + 1 && sha.Next(prev, c.Body) == c.Hash) {
      prev = std::string(c.Hash);
      prevNumber = c.Number;
      lastLine = no;
      ++check.Chained;
      if (head && c.Number == head->Lines) hashAtHead = prev;
      continue;
    }
    // The first line that does not follow. Inserted: the next line follows from the one before this one.
    ChainedLine next;
    const bool haveNext = nextChained(i, next);
    if (haveNext && next.Number == prevNumber + 1 && sha.Next(prev, next.Body) == next.Hash)
      return fail(LogCheck::State::Inserted, no, LineText(no) + "이 끼워 넣어졌습니다");
    if (!haveNext && head && head->Lines == prevNumber && prevNumber > 0)
      return fail(LogCheck::State::Inserted, no, LineText(no) + "이 기록의 머리 뒤에 끼워 넣어졌습니다");
    // Removed: the numbers jump, and the lines after go on from this one's number.
    if (c.Number > prevNumber + 1 && (!haveNext || next.Number == c.Number + 1)) {
      const std::int64_t first = prevNumber + 1, last = c.Number - 1;
      return fail(LogCheck::State::Removed, no,
                  LineText(no) + " 앞에서 기록 " +
                      (first == last ? std::to_string(first) + "번이"
                                     : std::to_string(first) + "~" + std::to_string(last) + "번이") +
                      " 지워졌습니다");
    }
    return fail(LogCheck::State::Changed, no,
                LineText(no) + "이 바뀌었습니다(기록 " + std::to_string(prevNumber + 1) + "번)");
  }
  if (!head && check.Chained == 0 && check.Unchained == 0) {
    check.Message = "작업 기록이 없습니다";
    return check;
  }
  if (!head) {
    check.Result = LogCheck::State::NoHead;
    check.Message = "체인은 온전하지만 기록의 머리가 설정에 없어 잘린 끝은 알 수 없습니다";
    return check;
  }
  if (prevNumber < head->Lines) {
    return fail(LogCheck::State::CutTail, lastLine,
                "끝이 잘렸습니다: 기록 " + std::to_string(prevNumber + 1) + "~" +
                    std::to_string(head->Lines) + "번이 없습니다(" + LineText(lastLine) + " 뒤)");
  }
  if (hashAtHead != head->Hash)
    return fail(LogCheck::State::Rewritten, lastLine,
                "체인이 기록의 머리와 맞지 않습니다: 기록 " + std::to_string(head->Lines) +
                    "번 또는 그 앞이 다시 쓰였습니다");
  check.Message = "온전합니다: 체인 기록 " + std::to_string(check.Chained) + "줄";
  if (check.Unchained > 0)
    check.Message += ", 체인 이전 기록(unchained) " + std::to_string(check.Unchained) + "줄";
  if (prevNumber > head->Lines)
    check.Message += ", 머리 뒤에 이어 쓴 기록 " + std::to_string(prevNumber - head->Lines) + "줄";
  return check;
}

int VerifyLogCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() > 2) {
    err << "VekSecurity: usage: VekSecurity --verify-log [LOG [HEAD.ini]]\n";
    return 2;
  }
  const std::string log = args.size() > 0 ? plat::os::ResolvePath(args[0]) : ActionLogPath();
  const std::string headPath = args.size() > 1 ? plat::os::ResolvePath(args[1]) : ChainHeadPath();
  const std::optional<ChainHead> head = ReadChainHead(headPath);
  const LogCheck c = VerifyActionLog(log, head);
  out << log << ": " << c.Message << "\n";
  if (head) out << "기록의 머리: " << head->Lines << "번, " << head->Hash << "\n";
  if (c.Broken()) {
    err << "VekSecurity: 작업 기록이 손상되었습니다: " << c.Message << "\n";
    return 1;
  }
  return c.Result == LogCheck::State::NoHead ? 3 : 0;
}

}  // namespace vek
