// Moving files as the user does it: ticked rows in the window's grid, the move button answered Yes, the batch
// written, read back and run on the batch runner's worker thread behind the progress dialog, the batch's
// log, the action log and the move record written, the handled rows taken out of the list. Against the safe
// loop in the same run: the folders made (mkdir), and for each file an lstat of the source, a rename that
// never replaces (renameat2, RENAME_NOREPLACE) and its two record lines written through stdio. Where /dev/shm
// lies on another device than the temporary folder, also 2,000 files moved across devices against a bare
// copy, fsync, compare, unlink loop.
//
// 완전삭제 as the user does it: 200 ticked files of 1 MB, the delete button answered Yes with
// "완전삭제(복구 불가)" checked, against one C loop doing the same steps over the same files (random pass,
// fsync, zero pass, fsync, rename to a random name, folder fsync, unlink); dd's own figure for information.
//
// Both sides start each round from the same state: a fresh sandbox holding the same files, flushed to disk
// before the clock starts. The rounds alternate which side goes first; the figure is the median of the
// rounds' ratios, and the worst round is printed beside it.
//   ratio_to_safe_loop    window move / safe loop (20,000 files of 64 bytes in 200 folders; 9 rounds; target
//                         at most 1.2)
//   cpu_ratio_to_safe_loop  the same in the processor time of the whole process (target at most 1.2)
//   log_share             the processor time the run spent keeping its records (action log, move record,
//                         batch log) / the window move's time, in the same rounds (target at most 0.05)
//   log_wall_share        the same in wall-clock time: adds the time the recording thread waited for a core
//                         while the worker and the machine's other work ran
//   cross_device_ratio_to_copy_loop   across devices, 2,000 files, 3 rounds (when /dev/shm is elsewhere)
//   shred_ratio           window 완전삭제 / bare loop (200 files of 1 MB; 5 rounds; target at most 1.2)
//   dd_mb_s               dd writing 200 MB with a final fsync to the same folder
// `bench_batch --moves` measures the moves within one device only, `bench_batch --shred` 완전삭제 only (for a
// profiler).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/batch_session.h"
#include "app/scan_load.h"
#include "app/veksecurity_01.h"
#include "platform/os/os.h"
#include "platform/ui/dialogs.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFolders = 200;
constexpr int kFiles = 20000;
constexpr int kCrossFiles = 2000;
constexpr int kRounds = 9;
constexpr int kCrossRounds = 3;
constexpr int kShredFiles = 200;
constexpr std::size_t kShredBytes = 1 << 20;
constexpr int kShredRounds = 5;

double Seconds(Clock::time_point t0) {
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

// The processor time of the whole process (every thread), in seconds.
double ProcessCpu() {
  timespec ts{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// The processor time of the last timed side (from its clock's start to its end).
double g_lastCpu = 0;

// Starts a side's wall clock and processor clock together.
struct SideClock {
  Clock::time_point wall = Clock::now();
  double cpu = ProcessCpu();
  double Stop() {
    g_lastCpu = ProcessCpu() - cpu;
    return Seconds(wall);
  }
};

// A round's files: drive D under `root` holds `files` files of 64 bytes in kFolders folders.
struct Sandbox {
  QTemporaryDir dir;
  std::string root = dir.path().toStdString();
  std::vector<std::string> tails;  // "\업무자료\부서N\폴더M" of each folder
  std::vector<std::string> names;  // file i lies in folder tails[i % kFolders]

  explicit Sandbox(int files) {
    for (int f = 0; f < kFolders; ++f) {
      tails.push_back("\\업무자료\\부서" + std::to_string(f % 20) + "\\폴더" + std::to_string(f));
      plat::os::ForceDirectories(Host(root + "/D", f));
    }
    const std::string bytes(64, 'x');
    for (int i = 0; i < files; ++i) {
      names.push_back("고객명단_" + std::to_string(i) + ".xlsx");
      const std::string path = Host(root + "/D", i % kFolders) + "/" + names.back();
      const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
      if (fd >= 0) {
        (void)!::write(fd, bytes.data(), bytes.size());
        ::close(fd);
      }
    }
    ::sync();  // the setup's files on disk before the clock starts, for both sides
  }
  // Folder f of the tree under a host root.
  std::string Host(const std::string& top, int f) const {
    std::string p = top + tails[std::size_t(f)];
    std::replace(p.begin(), p.end(), '\\', '/');
    return p;
  }
};

bool Fail(const char* what) {
  std::fprintf(stderr, "bench_batch: %s\n", what);
  return false;
}

// The share of the last window move's time its records took: in the recording threads' processor time, and
// in wall-clock time (which adds the time those threads waited for a core on a loaded machine).
double g_lastLogShare = 0;
double g_lastLogWallShare = 0;

// The window's move: the grid holds every file, ticked; the clock runs from the button to the summary.
double MoveFromTheWindow(Sandbox& s, const std::string& driveC, int files) {
  plat::os::ForceDirectories(driveC);
  setenv("VEKSECURITY_DRIVE_C", driveC.c_str(), 1);
  setenv("VEKSECURITY_DRIVE_D", (s.root + "/D").c_str(), 1);
  setenv("XDG_DATA_HOME", (s.root + "/data").c_str(), 1);  // the action log and move records of this round
  plat::ui::ScriptedDialogs dialogs;
  TForm1 form;
  form.RB1Click(&form);  // the backup folder on drive C
  TMemGrid* g = form.Mgr_grid;
  g->BeginUpdate();
  for (int i = 0; i < files; ++i) {
    g->AppendRow(true, false, false);
    g->Cells(1, i).SetAsString(s.names[std::size_t(i)]);
    g->Cells(4, i).SetAsString("D:" + s.tails[std::size_t(i % kFolders)]);
    g->Cells(0, i).SetAsBoolean(true);
  }
  g->EndUpdate(true);
  QApplication::processEvents();
  dialogs.QueueAnswer(plat::ui::IDYES);
  const double recordingBefore = vek::BatchSession::RecordingSeconds();
  const double recordingCpuBefore = vek::BatchSession::RecordingCpuSeconds();
  SideClock clock;
  form.BitBtn4Click(&form);
  const double t = clock.Stop();
  g_lastLogShare = (vek::BatchSession::RecordingCpuSeconds() - recordingCpuBefore) / t;
  g_lastLogWallShare = (vek::BatchSession::RecordingSeconds() - recordingBefore) / t;
  const std::string expected = vek::GroupedNumber(files) + "개 이동, 0개 실패";  // as the summary writes it
  bool summarised = false;
  for (const auto& shown : dialogs.History()) summarised = summarised || shown.Text.rfind(expected, 0) == 0;
  if (!summarised || g->RowCount() != 0) {
    Fail("the window's move did not move every file");
    if (!dialogs.History().empty())
      std::fprintf(stderr, "%.300s\n(%d rows left)\n", dialogs.History().back().Text.c_str(), g->RowCount());
  }
  return t;
}

// mkdir for the folder, and for the folders above it that are missing.
bool MakeFolders(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) == 0 || errno == EEXIST) return true;
  if (errno != ENOENT) return false;
  const std::size_t cut = path.find_last_of('/');
  return cut != std::string::npos && cut > 0 && MakeFolders(path.substr(0, cut)) &&
         ::mkdir(path.c_str(), 0777) == 0;
}

// The safe loop: what a careful move must do at the least, written the simplest way. Every target folder
// made; for each file an lstat of the source (a regular file, and its stamp for the record), a rename that
// never replaces (renameat2 with RENAME_NOREPLACE), and its records as plain lines: one in an action log
// (time, user, host, method, source, target, size, result) and one in a move record (source, target, size,
// modification time, device, inode), each file written through stdio and closed at the end.
double SafeLoop(Sandbox& s, const std::string& targetRoot) {
  SideClock clock;
  for (int f = 0; f < kFolders; ++f) MakeFolders(s.Host(targetRoot, f));
  std::FILE* log = std::fopen((s.root + "/safe-actions.csv").c_str(), "ab");
  std::FILE* record = std::fopen((s.root + "/safe-record.csv").c_str(), "ab");
  int failed = log && record ? 0 : 1;
  const std::string user = "user", host = "host";
  char when[32];
  const std::time_t now = std::time(nullptr);
  std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", std::localtime(&now));
  for (std::size_t i = 0; i < s.names.size() && !failed; ++i) {
    const int f = int(i % kFolders);
    const std::string to = s.Host(targetRoot, f) + "/" + s.names[i];
    const std::string from = s.Host(s.root + "/D", f) + "/" + s.names[i];
    struct stat st;
    const bool ok = ::lstat(from.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
                    ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0;
    if (!ok) ++failed;
    std::fprintf(log, "%s,%s,%s,이동,%s,%s,%lld,%s\n", when, user.c_str(), host.c_str(), from.c_str(),
                 to.c_str(), (long long)st.st_size, ok ? "완료" : "실패");
    std::fprintf(record, "%s,%s,%lld,%lld,%llu,%llu\n", from.c_str(), to.c_str(), (long long)st.st_size,
                 (long long)st.st_mtim.tv_sec * 1000000000 + st.st_mtim.tv_nsec,
                 (unsigned long long)st.st_dev, (unsigned long long)st.st_ino);
  }
  if (log) std::fclose(log);
  if (record) std::fclose(record);
  const double t = clock.Stop();
  if (failed) Fail("renames failed in the safe loop");
  return t;
}

// The bare cross-device loop: copy into a new file, fsync, read both back and compare, unlink the source.
double CopyLoop(Sandbox& s, const std::string& targetRoot) {
  const auto t0 = Clock::now();
  for (int f = 0; f < kFolders; ++f) MakeFolders(s.Host(targetRoot, f));
  int failed = 0;
  for (std::size_t i = 0; i < s.names.size(); ++i) {
    const int f = int(i % kFolders);
    const std::string to = s.Host(targetRoot, f) + "/" + s.names[i];
    const std::string from = s.Host(s.root + "/D", f) + "/" + s.names[i];
    const std::string bytes = plat::os::ReadFileBytes(from);
    const int fd = ::open(to.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0) {
      ++failed;
      continue;
    }
    (void)!::write(fd, bytes.data(), bytes.size());
    ::fsync(fd);
    ::close(fd);
    if (plat::os::ReadFileBytes(from) == plat::os::ReadFileBytes(to) && ::unlink(from.c_str()) == 0) continue;
    ++failed;
  }
  const double t = Seconds(t0);
  if (failed) Fail("copies failed in the bare loop");
  return t;
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
  if (fd < 0 || ::syncfs(fd) != 0) Fail("cannot flush the folder's file system");
  if (fd >= 0) ::close(fd);
}

// A round's files to shred: kShredFiles files of 1 MB of random bytes in one folder of drive D.
struct ShredSandbox {
  QTemporaryDir dir;
  std::string root = dir.path().toStdString();
  std::string folder = root + "/D/고객";
  std::vector<std::string> names;

  explicit ShredSandbox(unsigned seed) {
    plat::os::ForceDirectories(folder);
    std::unique_ptr<char[]> buf(new char[kShredBytes]);
    Xoshiro rng(seed);
    for (int i = 0; i < kShredFiles; ++i) {
      names.push_back("고객명단_" + std::to_string(i) + ".xlsx");
      rng.Fill(buf.get(), kShredBytes);
      const int fd = ::open((folder + "/" + names.back()).c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
      if (fd < 0 || ::write(fd, buf.get(), kShredBytes) != ssize_t(kShredBytes)) Fail("cannot write a file");
      if (fd >= 0) ::close(fd);
    }
    SyncFolder(root);
  }
};

// The window's 완전삭제: every file ticked, the question's box checked and Yes; the clock runs from the
// button to the summary.
double ShredFromTheWindow(ShredSandbox& s) {
  plat::os::ForceDirectories(s.root + "/C");
  setenv("VEKSECURITY_DRIVE_C", (s.root + "/C").c_str(), 1);
  setenv("VEKSECURITY_DRIVE_D", (s.root + "/D").c_str(), 1);
  setenv("XDG_DATA_HOME", (s.root + "/data").c_str(), 1);
  plat::ui::ScriptedDialogs dialogs;
  TForm1 form;
  TMemGrid* g = form.Mgr_grid;
  g->BeginUpdate();
  for (int i = 0; i < kShredFiles; ++i) {
    g->AppendRow(true, false, false);
    g->Cells(1, i).SetAsString(s.names[std::size_t(i)]);
    g->Cells(4, i).SetAsString("D:\\고객");
    g->Cells(0, i).SetAsBoolean(true);
  }
  g->EndUpdate(true);
  QApplication::processEvents();
  dialogs.QueueCheck(true);
  dialogs.QueueAnswer(plat::ui::IDYES);
  const auto t0 = Clock::now();
  form.BitBtn6Click(&form);
  const double t = Seconds(t0);
  const std::string expected = std::to_string(kShredFiles) + "개 완전삭제, 0개 실패";
  bool summarised = false;
  for (const auto& shown : dialogs.History()) summarised = summarised || shown.Text.rfind(expected, 0) == 0;
  if (!summarised || g->RowCount() != 0) Fail("the window's 완전삭제 did not shred every file");
  return t;
}

// The steps, bare: no checks, no messages, no medium note, no records.
double ShredLoop(ShredSandbox& s) {
  std::unique_ptr<char[]> random(new char[kShredBytes]), zeros(new char[kShredBytes]());
  Xoshiro rng(7);
  const auto t0 = Clock::now();
  const int dirFd = ::open(s.folder.c_str(), O_RDONLY | O_DIRECTORY);
  int failed = 0;
  for (const std::string& name : s.names) {
    const std::string path = s.folder + "/" + name;
    const int fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
      ++failed;
      continue;
    }
    for (const char* src : {static_cast<const char*>(nullptr), static_cast<const char*>(zeros.get())}) {
      for (off_t pos = 0; pos < st.st_size; pos += off_t(kShredBytes)) {
        const std::size_t n = std::size_t(std::min<off_t>(off_t(kShredBytes), st.st_size - pos));
        if (!src) rng.Fill(random.get(), n);
        if (::pwrite(fd, src ? src : random.get(), n, pos) != ssize_t(n)) ++failed;
      }
      if (::fsync(fd) != 0) ++failed;
    }
    ::close(fd);
    const std::string renamed = s.folder + "/.r" + std::to_string(rng.Next() % 1000000000);
    if (::rename(path.c_str(), renamed.c_str()) != 0 || ::fsync(dirFd) != 0 || ::unlink(renamed.c_str()) != 0)
      ++failed;
  }
  ::close(dirFd);
  const double t = Seconds(t0);
  if (failed) Fail("steps failed in the bare shred loop");
  return t;
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
  const std::size_t comma = out.rfind(", ");
  if (comma == std::string::npos) return 0;
  const double value = std::atof(out.c_str() + comma + 2);
  if (out.find(" GB/s", comma) != std::string::npos) return 1000 * value;
  if (out.find(" kB/s", comma) != std::string::npos) return value / 1000;
  return out.find(" MB/s", comma) != std::string::npos ? value : 0;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

double Worst(const std::vector<double>& v) {
  return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
}

// " name=value" with the value's digits after the point.
std::string Figure(const char* name, double value, int digits = 2) {
  char buf[96];
  std::snprintf(buf, sizeof buf, " %s=%.*f", name, digits, value);
  return buf;
}

struct Comparison {
  double Program, Bare;  // the medians of each side
  double Ratio;          // the median of the rounds' ratios
  double WorstRatio;     // the highest of them
  double CpuRatio;       // the same in processor time (for sides that report it through g_lastCpu)
  double WorstCpuRatio;
};

// Runs both sides `rounds` times, alternating which goes first. The ratio is taken round by round, the two
// sides of a round running back to back under the same load of the shared machine, and the median of those
// counts.
Comparison Compare(int rounds, const std::function<double()>& program, const std::function<double()>& bare) {
  std::vector<double> p, b, ratios, cpuRatios;
  for (int round = 0; round < rounds; ++round) {
    g_lastCpu = 0;
    double programCpu = 0, bareCpu = 0;
    if (round % 2 == 0) {
      p.push_back(program());
      programCpu = g_lastCpu;
      b.push_back(bare());
      bareCpu = g_lastCpu;
    } else {
      b.push_back(bare());
      bareCpu = g_lastCpu;
      p.push_back(program());
      programCpu = g_lastCpu;
    }
    ratios.push_back(b.back() > 0 ? p.back() / b.back() : 0.0);
    cpuRatios.push_back(bareCpu > 0 ? programCpu / bareCpu : 0.0);
  }
  return {Median(p), Median(b), Median(ratios), Worst(ratios), Median(cpuRatios), Worst(cpuRatios)};
}

// The moves within one device, and across devices where /dev/shm lies elsewhere (unless withinOnly).
std::string MovesAndCopies(bool withinOnly) {
  std::vector<double> logShares, logWallShares;
  const Comparison within = Compare(
      kRounds,
      [&] {
        Sandbox s(kFiles);
        const double t = MoveFromTheWindow(s, s.root + "/C", kFiles);
        logShares.push_back(g_lastLogShare);
        logWallShares.push_back(g_lastLogWallShare);
        std::printf(
            "move round %zu: window %.3f s, records %.3f s of processor time (share %.4f), %.3f s of "
            "wall-clock time (share %.4f)\n",
            logShares.size(), t, t * g_lastLogShare, g_lastLogShare, t * g_lastLogWallShare,
            g_lastLogWallShare);
        return t;
      },
      [] {
        Sandbox s(kFiles);
        return SafeLoop(s, s.root + "/C/보안예비자료");
      });
  std::printf("within one device: %d files, window %.3f s, safe loop %.3f s (medians of %d rounds)\n", kFiles,
              within.Program, within.Bare, kRounds);
  std::string figures = Figure("ratio_to_safe_loop", within.Ratio);
  figures += Figure("ratio_to_safe_loop_worst", within.WorstRatio);
  figures += Figure("cpu_ratio_to_safe_loop", within.CpuRatio);
  figures += Figure("cpu_ratio_to_safe_loop_worst", within.WorstCpuRatio);
  figures += Figure("log_share", Median(logShares), 4);
  figures += Figure("log_share_worst", Worst(logShares), 4);
  figures += Figure("log_wall_share", Median(logWallShares), 4);

  if (withinOnly) return figures;
  struct stat tmpSt, shmSt;
  QTemporaryDir probe;
  if (::stat("/dev/shm", &shmSt) == 0 && ::stat(probe.path().toLocal8Bit().constData(), &tmpSt) == 0 &&
      shmSt.st_dev != tmpSt.st_dev && ::access("/dev/shm", W_OK) == 0) {
    const Comparison across = Compare(
        kCrossRounds,
        [] {
          Sandbox s(kCrossFiles);
          QTemporaryDir shm(QStringLiteral("/dev/shm/bench_batch-XXXXXX"));
          return MoveFromTheWindow(s, shm.path().toStdString(), kCrossFiles);
        },
        [] {
          Sandbox s(kCrossFiles);
          QTemporaryDir shm(QStringLiteral("/dev/shm/bench_batch-XXXXXX"));
          return CopyLoop(s, shm.path().toStdString() + "/보안예비자료");
        });
    std::printf("across devices: %d files, window %.3f s, copy loop %.3f s (medians of %d rounds)\n",
                kCrossFiles, across.Program, across.Bare, kCrossRounds);
    figures += Figure("cross_device_ratio_to_copy_loop", across.Ratio);
    figures += Figure("cross_device_ratio_to_copy_loop_worst", across.WorstRatio);
  } else {
    std::printf("across devices: not measured (/dev/shm is missing, not writable or on the same device)\n");
  }
  return figures;
}

// 완전삭제 from the window against the bare loop, and dd's figure.
std::string Shreds() {
  unsigned seed = 0;
  const Comparison shred = Compare(
      kShredRounds,
      [&] {
        ShredSandbox s(++seed);
        const double t = ShredFromTheWindow(s);
        std::printf("완전삭제 round: window %.3f s\n", t);
        return t;
      },
      [&] {
        ShredSandbox s(++seed);
        const double t = ShredLoop(s);
        std::printf("완전삭제 round: bare loop %.3f s\n", t);
        return t;
      });
  double dd = 0;
  {
    QTemporaryDir d;
    dd = DdMegabytesPerSecond(d.path().toStdString());
  }
  std::printf(
      "완전삭제: %d files of 1 MB, window %.3f s, bare loop %.3f s (medians of %d rounds); dd %.0f MB/s\n",
      kShredFiles, shred.Program, shred.Bare, kShredRounds, dd);
  std::string figures = Figure("shred_ratio", shred.Ratio, 3);
  figures += Figure("shred_ratio_worst", shred.WorstRatio, 3);
  figures += Figure("dd_mb_s", dd, 0);
  return figures;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  setenv("VEKSECURITY_TERMINAL", "none", 1);  // the batch runs in the window
  QApplication app(argc, argv);

  std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each line as it is printed
  const std::string mode = argc > 1 ? argv[1] : "";
  std::string figures;
  if (mode != "--shred") figures = MovesAndCopies(mode == "--moves");
  if (mode == "--moves") {
    std::printf("batch:%s\n", figures.c_str());
    return 0;
  }
  figures += Shreds();
  std::printf("batch:%s\n", figures.c_str());
  return 0;
}
