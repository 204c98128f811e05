// 완전삭제 through the batch interpreter against a bare loop doing the same steps over the same files (random
// pass, fsync, zero pass, fsync, rename to a random name, folder fsync, unlink), and the chained action log's
// writing time against the time of the move it records.
//
//   shred_ratio  interpreter time / bare loop time, 200 files of 1 MB (target at most 1.2)
//   dd_mb_s      dd's own figure writing 200 MB with a final fsync to the same folder, for information
//   log_share    time to append and write 20,000 chained records / time to move 20,000 small files with the
//                interpreter (md and move lines, one device; target at most 0.05)
// Each side starts each round from the same state: fresh files, flushed to disk before the clock starts; the
// rounds alternate which side goes first. Median and worst of the rounds are printed.
//   bench_shred   (3 rounds of each)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/action_log.h"
#include "platform/batch/batch.h"
#include "platform/os/os.h"
#include "platform/text/text.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kShredFiles = 200;
constexpr std::size_t kShredBytes = 1 << 20;
constexpr int kMoveFiles = 20000;
constexpr int kMoveFolders = 200;
constexpr int kRounds = 3;

double Seconds(Clock::time_point t0) {
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

void Die(const char* what) {
  std::fprintf(stderr, "bench_shred: %s\n", what);
  std::exit(1);
}

// The same fast generator the interpreter uses for its random pass, so both sides pay the same for it.
struct Xoshiro {
  std::uint64_t s[4];
  explicit Xoshiro(std::uint64_t seed) {
    std::mt19937_64 g(seed);
    for (auto& v : s) v = g();
  }
  static std::uint64_t Rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
  std::uint64_t Next() {
    const std::uint64_t r = Rotl(s[1] * 5, 7) * 9, t = s[1] << 17;
    s[2] ^= s[0], s[3] ^= s[1], s[1] ^= s[2], s[0] ^= s[3], s[2] ^= t, s[3] = Rotl(s[3], 45);
    return r;
  }
  void Fill(char* p, std::size_t n) {
    for (std::size_t i = 0; i + 8 <= n; i += 8) {
      const std::uint64_t v = Next();
      std::memcpy(p + i, &v, 8);
    }
  }
};

// Flushes the file system of a folder (not every disk of the machine, as sync would).
void SyncFolder(const std::string& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0 || ::syncfs(fd) != 0) Die("cannot flush the folder's file system");
  ::close(fd);
}

std::vector<std::string> MakeShredFiles(const std::string& dir, unsigned seed) {
  std::vector<std::string> paths;
  std::unique_ptr<char[]> buf(new char[kShredBytes]);
  Xoshiro rng(seed);
  for (int i = 0; i < kShredFiles; ++i) {
    paths.push_back(dir + "/고객명단_" + std::to_string(i) + ".xlsx");
    rng.Fill(buf.get(), kShredBytes);
    const int fd = ::open(paths.back().c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, buf.get(), kShredBytes) != ssize_t(kShredBytes)) Die("cannot write a file");
    ::close(fd);
  }
  SyncFolder(dir);
  return paths;
}

double ShredWithInterpreter(const std::vector<std::string>& paths) {
  std::string text;
  for (const std::string& p : paths) text += "del \"" + p + "\"\r\n";
  plat::batch::RunOptions options;
  options.Delete = plat::batch::DeleteMethod::Shred;
  std::ostringstream out;
  const auto t0 = Clock::now();
  const plat::batch::BatchResult r = plat::batch::RunBatchText(plat::text::Utf8ToCp949(text), out, options);
  const double s = Seconds(t0);
  if (r.succeeded != int(paths.size())) Die("the interpreter did not shred every file");
  return s;
}

// The steps, bare: no checks, no messages, no medium note.
double ShredWithLoop(const std::vector<std::string>& paths, const std::string& dir) {
  std::unique_ptr<char[]> random(new char[kShredBytes]), zeros(new char[kShredBytes]());
  Xoshiro rng(7);
  const auto t0 = Clock::now();
  const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
  for (std::size_t i = 0; i < paths.size(); ++i) {
    const int fd = ::open(paths[i].c_str(), O_RDWR | O_NOFOLLOW);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) Die("cannot open a file");
    for (const char* src : {static_cast<const char*>(nullptr), static_cast<const char*>(zeros.get())}) {
      for (off_t pos = 0; pos < st.st_size; pos += off_t(kShredBytes)) {
        const std::size_t n = std::size_t(std::min<off_t>(off_t(kShredBytes), st.st_size - pos));
        if (!src) rng.Fill(random.get(), n);
        if (::pwrite(fd, src ? src : random.get(), n, pos) != ssize_t(n)) Die("write failed");
      }
      if (::fsync(fd) != 0) Die("fsync failed");
    }
    ::close(fd);
    const std::string renamed = dir + "/.r" + std::to_string(rng.Next() % 1000000000);
    if (::rename(paths[i].c_str(), renamed.c_str()) != 0 || ::fsync(dirFd) != 0 ||
        ::unlink(renamed.c_str()) != 0)
      Die("rename or unlink failed");
  }
  ::close(dirFd);
  return Seconds(t0);
}

double DdMegabytesPerSecond(const std::string& dir) {
  const std::string cmd = "dd if=/dev/zero of='" + dir + "/dd.bin' bs=1M count=200 conv=fsync 2>&1";
  std::string out;
  if (FILE* p = ::popen(cmd.c_str(), "r")) {
    char buf[512];
    while (std::fgets(buf, sizeof buf, p)) out += buf;
    ::pclose(p);
  }
  ::unlink((dir + "/dd.bin").c_str());
  // "209715200 bytes (210 MB, 200 MiB) copied, 0.5 s, 419 MB/s"
  const std::size_t comma = out.rfind(", "), unit = out.rfind(" MB/s");
  if (comma != std::string::npos && unit != std::string::npos && unit > comma)
    return std::atof(out.c_str() + comma + 2);
  const std::size_t g = out.rfind(" GB/s");
  if (comma != std::string::npos && g != std::string::npos && g > comma)
    return 1000 * std::atof(out.c_str() + comma + 2);
  return 0;
}

// 20,000 files of 64 bytes in 200 folders, and the batch that moves them into a backup tree.
std::string MakeMoveFiles(const std::string& root, std::vector<vek::ActionRecord>& records) {
  std::string text;
  const std::string bytes(64, 'x');
  records.clear();
  for (int f = 0; f < kMoveFolders; ++f) plat::os::ForceDirectories(root + "/src/폴더" + std::to_string(f));
  for (int i = 0; i < kMoveFiles; ++i) {
    const std::string folder = "폴더" + std::to_string(i % kMoveFolders);
    const std::string src = root + "/src/" + folder + "/고객명단_" + std::to_string(i) + ".xlsx";
    const std::string dst = root + "/backup/" + folder;
    const int fd = ::open(src.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size()))
      Die("cannot write a file");
    ::close(fd);
    text += "md \"" + dst + "\"\r\nmove \"" + src + "\" \"" + dst + "\\.\"\r\n";
    vek::ActionRecord r;
    r.Time = "2026-05-02 14:00:00";
    r.User = "kim";
    r.Host = "pc-01";
    r.Batch = "c:\\batchmove.bat";
    r.Method = "이동";
    r.Source = "D:\\업무자료\\" + folder + "\\고객명단_" + std::to_string(i) + ".xlsx";
    r.Target = "C:\\보안예비자료\\업무자료\\" + folder + "\\고객명단_" + std::to_string(i) + ".xlsx";
    r.Size = "64";
    r.Kinds = "주민등록번호·전화번호";
    r.Hits = std::to_string(i % 97);
    r.Result = "성공";
    records.push_back(std::move(r));
  }
  SyncFolder(root);
  return text;
}

double MoveWithInterpreter(const std::string& utf8) {
  const std::string text = plat::text::Utf8ToCp949(utf8);  // as the batch file holds it
  std::ostringstream out;
  const auto t0 = Clock::now();
  const plat::batch::BatchResult r = plat::batch::RunBatchText(text, out);
  const double s = Seconds(t0);
  if (r.failed != 0) Die("the move failed");
  return s;
}

// The records as a run writes them: appended as files finish, written out at each look at the progress (here
// every 1,024 records) and at the end, with the head stored each time.
double WriteRecords(const std::string& dir, const std::vector<vek::ActionRecord>& records) {
  const auto t0 = Clock::now();
  {
    vek::ActionLog log(dir + "/actions.csv", dir + "/records.ini");
    for (std::size_t i = 0; i < records.size(); ++i) {
      log.Append(records[i]);
      if (i % 1024 == 1023) log.Flush();
    }
    if (!log.Flush()) Die("cannot write the records");
  }
  return Seconds(t0);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each round's line as it ends
  std::vector<double> shredRatios, logShares;
  for (int round = 0; round < kRounds; ++round) {
    QTemporaryDir a, b;
    if (!a.isValid() || !b.isValid()) Die("no temporary folder");
    const std::string da = a.path().toStdString(), db = b.path().toStdString();
    double ti = 0, tl = 0;
    if (round % 2 == 0) {
      ti = ShredWithInterpreter(MakeShredFiles(da, round));
      tl = ShredWithLoop(MakeShredFiles(db, round), db);
    } else {
      tl = ShredWithLoop(MakeShredFiles(db, round), db);
      ti = ShredWithInterpreter(MakeShredFiles(da, round));
    }
    shredRatios.push_back(ti / tl);
    std::printf("round %d: 완전삭제 of %d files of 1 MB: interpreter %.3f s, bare loop %.3f s, ratio %.3f\n",
                round + 1, kShredFiles, ti, tl, ti / tl);
  }
  double dd = 0;
  {
    QTemporaryDir d;
    dd = DdMegabytesPerSecond(d.path().toStdString());
  }
  for (int round = 0; round < kRounds; ++round) {
    QTemporaryDir files, records;
    std::vector<vek::ActionRecord> recs;
    const std::string text = MakeMoveFiles(files.path().toStdString(), recs);
    double tm = 0, tr = 0;
    if (round % 2 == 0) {
      tm = MoveWithInterpreter(text);
      tr = WriteRecords(records.path().toStdString(), recs);
    } else {
      tr = WriteRecords(records.path().toStdString(), recs);
      tm = MoveWithInterpreter(text);
    }
    logShares.push_back(tr / tm);
    std::printf("round %d: %d moves %.3f s, their chained records %.3f s, share %.4f\n", round + 1,
                kMoveFiles, tm, tr, tr / tm);
  }
  std::printf(
      "shred: shred_ratio=%.3f shred_ratio_worst=%.3f dd_mb_s=%.0f log_share=%.4f log_share_worst=%.4f\n",
      Median(shredRatios), *std::max_element(shredRatios.begin(), shredRatios.end()), dd, Median(logShares),
      *std::max_element(logShares.begin(), logShares.end()));
  return 0;
}
