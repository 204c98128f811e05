// Moving files as the user does it: ticked rows in the window's grid, the move button answered Yes, the batch
// written, read back and run on the batch runner's worker thread behind the progress dialog, the batch's
// log, the action log and the move record written, the handled rows taken out of the list. Against a bare
// loop in the same run that makes the folders (mkdir) and renames each file after its own no-replace check
// (lstat of the target, then rename). Where /dev/shm lies on another device than the temporary folder, also
// 2,000 files moved across devices against a bare copy, fsync, compare, unlink loop.
//
// Both sides start each round from the same state: a fresh sandbox holding the same files, flushed to disk
// before the clock starts. The rounds alternate which side goes first; the figure is the median of the
// rounds' ratios.
//   bench_batch   (20,000 files of 64 bytes in 200 folders; 9 rounds; across devices 2,000 files, 3 rounds)
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
#include <functional>
#include <string>
#include <vector>

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

double Seconds(Clock::time_point t0) {
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

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
  const auto t0 = Clock::now();
  form.BitBtn4Click(&form);
  const double t = Seconds(t0);
  const std::string expected = std::to_string(files) + "개 이동, 0개 실패";
  bool summarised = false;
  for (const auto& shown : dialogs.History()) summarised = summarised || shown.Text.rfind(expected, 0) == 0;
  if (!summarised || g->RowCount() != 0) Fail("the window's move did not move every file");
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

// The bare loop: make every target folder, then rename each file into it after checking the name is free.
double RenameLoop(Sandbox& s, const std::string& targetRoot) {
  const auto t0 = Clock::now();
  for (int f = 0; f < kFolders; ++f) MakeFolders(s.Host(targetRoot, f));
  int failed = 0;
  for (std::size_t i = 0; i < s.names.size(); ++i) {
    const int f = int(i % kFolders);
    const std::string to = s.Host(targetRoot, f) + "/" + s.names[i];
    const std::string from = s.Host(s.root + "/D", f) + "/" + s.names[i];
    struct stat st;
    if (::lstat(to.c_str(), &st) == 0 || ::rename(from.c_str(), to.c_str()) != 0) ++failed;
  }
  const double t = Seconds(t0);
  if (failed) Fail("renames failed in the bare loop");
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

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

std::string Figure(double ratio) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", ratio);
  return buf;
}

struct Comparison {
  double Program, Bare;  // the medians of each side
  double Ratio;          // the median of the rounds' ratios
};

// Runs both sides `rounds` times, alternating which goes first. The ratio is taken round by round, the two
// sides of a round running back to back under the same load of the shared machine, and the median of those
// counts.
Comparison Compare(int rounds, const std::function<double()>& program, const std::function<double()>& bare) {
  std::vector<double> p, b, ratios;
  for (int round = 0; round < rounds; ++round) {
    if (round % 2 == 0) {
      p.push_back(program());
      b.push_back(bare());
    } else {
      b.push_back(bare());
      p.push_back(program());
    }
    ratios.push_back(b.back() > 0 ? p.back() / b.back() : 0.0);
  }
  return {Median(p), Median(b), Median(ratios)};
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  setenv("VEKSECURITY_TERMINAL", "none", 1);  // the batch runs in the window
  QApplication app(argc, argv);

  const Comparison within = Compare(
      kRounds,
      [] {
        Sandbox s(kFiles);
        return MoveFromTheWindow(s, s.root + "/C", kFiles);
      },
      [] {
        Sandbox s(kFiles);
        return RenameLoop(s, s.root + "/C/보안예비자료");
      });
  std::printf("within one device: %d files, window %.3f s, rename loop %.3f s (medians of %d rounds)\n",
              kFiles, within.Program, within.Bare, kRounds);
  std::string figures = "ratio_to_rename_loop=" + Figure(within.Ratio);

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
    figures += " cross_device_ratio_to_copy_loop=" + Figure(across.Ratio);
  } else {
    std::printf("across devices: not measured (/dev/shm is missing, not writable or on the same device)\n");
  }
  std::printf("batch: %s\n", figures.c_str());
  return 0;
}
