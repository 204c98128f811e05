// Loading a large scanner result file, the way the user does it and the way a script does it.
//
//   list    the whole program listing it (VekSecurity --list FILE > /dev/null) against a bare baseline
//           that only reads the file, splits it into lines and fields, decodes CP949 and checks that
//           each named file exists.
//   window  the window's own load (ReadAndInsert into Mgr_grid, then one paint of the grid) against a
//           bare baseline in the same process that reads, splits, decodes, filters, stats and stores the
//           same rows in a plain arena (process CPU time, best of three).
//   cr      the window's load of the same file with CR-only line ends against the CR LF file.
//   memory  peak resident memory of a process doing the window's load against one loading the same rows
//           into column vectors of QString shown in a QTableView (both start Qt and paint once).
//
//   bench_load [LINES]   (default 200,000; about 90% of the lines name existing files)
#include <fcntl.h>
#include <iconv.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractTableModel>
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "app/veksecurity_01.h"
#include "grid/memory/mem_grid.h"
#include "platform/text/text.h"
#include "platform/ui/dialogs.h"

extern char** environ;

namespace {

constexpr int kFilesPerFolder = 200;

std::string Seconds(double s) {
  return std::to_string(s);
}

double CpuNow() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

std::string ReadAll(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Writes the result file (CP949) and the files 90% of its lines name, under root/D.
void Generate(const std::string& root, int lines, const std::string& file) {
  const char* kinds[] = {"주민등록번호", "휴대폰번호·전화번호", "계좌번호", "이메일"};
  std::string text = plat::text::Utf8ToCp949("파일명,종류,건수,경로,일시\r\n");
  for (int i = 0; i < lines; ++i) {
    const int folder = i / kFilesPerFolder;
    const std::string winFolder =
        "D:\\업무자료\\부서" + std::to_string(folder % 50) + "\\폴더" + std::to_string(folder);
    const std::string name = "고객명단_" + std::to_string(i) + ".xlsx";
    text += plat::text::Utf8ToCp949(name + "," + kinds[i % 4] + "," + std::to_string(1 + i % 300) + "," +
                                    winFolder + ",2026-12-01\r\n");
    if (i % 10 == 9) continue;  // one line in ten names a file that is gone
    const std::string hostFolder =
        root + "/D/업무자료/부서" + std::to_string(folder % 50) + "/폴더" + std::to_string(folder);
    if (i % kFilesPerFolder == 0) {
      for (std::size_t p = 1; p != std::string::npos; p = hostFolder.find('/', p + 1))
        ::mkdir(hostFolder.substr(0, p).c_str(), 0755);
      ::mkdir(hostFolder.c_str(), 0755);
    }
    const int fd = ::open((hostFolder + "/" + name).c_str(), O_CREAT | O_WRONLY, 0644);
    if (fd >= 0) ::close(fd);
  }
  std::ofstream(file, std::ios::binary) << text;
}

// The bare pipeline both baselines share: each data line of the CR LF file decoded, split into its first
// four fields, and kept when its file exists. onRow(name, kind, hits, folder).
template <class OnRow>
int BarePipeline(const std::string& root, const std::string& bytes, bool filter, OnRow&& onRow) {
  iconv_t cd = iconv_open("UTF-8", "CP949");
  std::vector<char> out(1 << 16);
  std::string path;
  int found = 0;
  std::size_t start = bytes.find('\n') + 1;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::size_t len = end - start;
    if (len && bytes[start + len - 1] == '\r') --len;
    char* src = const_cast<char*>(bytes.data()) + start;
    char* dst = out.data();
    std::size_t inLeft = len, outLeft = out.size();
    iconv(cd, &src, &inLeft, &dst, &outLeft);
    const std::string_view line(out.data(), out.size() - outLeft);
    std::size_t f[5], p = 0;
    for (int k = 0; k < 5; ++k) {
      f[k] = p;
      const std::size_t comma = line.find(',', p);
      p = comma == std::string_view::npos ? line.size() + 1 : comma + 1;
    }
    const std::string_view name = line.substr(0, f[1] - 1), kind = line.substr(f[1], f[2] - f[1] - 1),
                           hits = line.substr(f[2], f[3] - f[2] - 1),
                           folder = line.substr(f[3], f[4] - f[3] - 1);
    bool keep = true;
    if (filter) {
      // The window's rules with its filters off still look at the kind and the count of every line.
      int h = 0;
      for (char c : hits) h = h * 10 + (c - '0');
      for (const char* k : {"전화", "핸드폰", "휴대", "주민", "계좌"})
        if (kind.find(k) != std::string_view::npos) keep = keep && h >= 0;
    }
    path.assign(root).append("/D/").append(folder.substr(3)).append("/").append(name);
    for (std::size_t i = root.size() + 3; i < path.size(); ++i)
      if (path[i] == '\\') path[i] = '/';
    struct stat st;
    if (keep && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
      ++found;
      onRow(name, kind, hits, folder);
    }
    start = end + 1;
  }
  iconv_close(cd);
  return found;
}

// The --list baseline: read, split, decode, check existence.
int ListBaseline(const std::string& root, const std::string& file) {
  const std::string bytes = ReadAll(file);
  return BarePipeline(root, bytes, false, [](auto&&...) {});
}

// The window baseline: the same, with the filter rules and the kept rows stored in one arena.
struct Arena {
  std::string text;
  std::vector<std::uint32_t> offsets;  // five per row: start of each field and the end
};

int WindowBaseline(const std::string& root, const std::string& file, Arena& arena) {
  arena.text.clear();
  arena.offsets.clear();
  const std::string bytes = ReadAll(file);
  return BarePipeline(root, bytes, true,
                      [&](std::string_view a, std::string_view b, std::string_view c, std::string_view d) {
                        for (std::string_view f : {a, b, c, d}) {
                          arena.offsets.push_back(std::uint32_t(arena.text.size()));
                          arena.text.append(f);
                        }
                        arena.offsets.push_back(std::uint32_t(arena.text.size()));
                      });
}

double RunProgram(const std::string& exe, const std::vector<std::string>& args) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv{const_cast<char*>(exe.c_str())};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const auto t0 = std::chrono::steady_clock::now();
  pid_t pid;
  if (posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
    std::fprintf(stderr, "cannot start %s\n", exe.c_str());
    std::exit(1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  posix_spawn_file_actions_destroy(&actions);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s %s failed\n", exe.c_str(), args.empty() ? "" : args[0].c_str());
    std::exit(1);
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// The window as the user has it, loading FILE with the personal-information filter off.
struct Window {
  plat::ui::ScriptedDialogs dialogs;  // the bench answers no dialog
  TForm1 form;
  explicit Window(const std::string& file) {
    form.resize(1156, 706);
    form.show();
    QApplication::processEvents();
    form.cb1->setChecked(false);
    form.p_file->setText(QString::fromStdString(file));
  }
  // The load and one paint of the grid; returns the rows listed.
  int Load() {
    form.ReadAndInsert();
    form.Mgr_grid->viewport()->repaint();
    return form.Mgr_grid->RowCount();
  }
};

// Four columns of QString behind a QTableView: how a Qt program would commonly hold the rows.
class ColumnModel : public QAbstractTableModel {
 public:
  std::vector<QString> cols[4];
  int rowCount(const QModelIndex& = {}) const override { return int(cols[0].size()); }
  int columnCount(const QModelIndex& = {}) const override { return 4; }
  QVariant data(const QModelIndex& i, int role) const override {
    if (role != Qt::DisplayRole) return {};
    return cols[i.column()][std::size_t(i.row())];
  }
};

// The process's own peak resident memory (VmHWM; ru_maxrss would also count the parent's memory, which a
// spawned child shares until it runs its program).
long PeakKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  return 0;
}

int WritePeak(const std::string& to) {
  std::ofstream(to) << PeakKb();
  return 0;
}

int ChildWindow(const std::string& file, const std::string& peakTo) {
  Window w(file);
  if (w.Load() <= 0) return 1;
  return WritePeak(peakTo);
}

int ChildTableView(const std::string& root, const std::string& file, const std::string& peakTo) {
  auto* model = new ColumnModel;
  const std::string bytes = ReadAll(file);
  const int rows = BarePipeline(
      root, bytes, true, [&](std::string_view a, std::string_view b, std::string_view c, std::string_view d) {
        const std::string_view f[4] = {a, b, c, d};
        for (int k = 0; k < 4; ++k)
          model->cols[k].push_back(QString::fromUtf8(f[k].data(), qsizetype(f[k].size())));
      });
  QTableView view;
  view.setModel(model);
  view.verticalHeader()->setDefaultSectionSize(21);
  view.resize(1156, 706);
  view.show();
  QApplication::processEvents();
  view.viewport()->repaint();
  if (rows <= 0) return 1;
  return WritePeak(peakTo);
}

long ReadPeak(const std::string& from) {
  std::ifstream in(from);
  long kb = 0;
  in >> kb;
  return kb;
}

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  if (argc >= 5 && std::strcmp(argv[1], "--child-window") == 0) return ChildWindow(argv[3], argv[4]);
  if (argc >= 5 && std::strcmp(argv[1], "--child-tableview") == 0)
    return ChildTableView(argv[2], argv[3], argv[4]);

  const int lines = argc > 1 ? std::atoi(argv[1]) : 200000;
  QTemporaryDir tmp;
  // BENCH_LOAD_KEEP=1 keeps the generated sandbox for profiling and prints where it is.
  tmp.setAutoRemove(qEnvironmentVariableIsEmpty("BENCH_LOAD_KEEP"));
  const std::string root = tmp.path().toStdString();
  if (!tmp.autoRemove()) std::printf("sandbox=%s\n", root.c_str());
  ::mkdir((root + "/C").c_str(), 0755);
  ::mkdir((root + "/D").c_str(), 0755);
  const std::string file = root + "/C/result.csv";
  const std::string crFile = root + "/C/result_cr.csv";
  Generate(root, lines, file);
  {
    std::string cr = ReadAll(file);
    std::size_t w = 0;
    for (std::size_t r = 0; r < cr.size(); ++r)
      if (!(cr[r] == '\n' && r > 0 && cr[r - 1] == '\r')) cr[w++] = cr[r];
    cr.resize(w);
    std::ofstream(crFile, std::ios::binary) << cr;
  }
  ::setenv("VEKSECURITY_DRIVE_C", (root + "/C").c_str(), 1);
  ::setenv("VEKSECURITY_DRIVE_D", (root + "/D").c_str(), 1);
  const std::string exe = QCoreApplication::applicationDirPath().toStdString() + "/../VekSecurity";
  const std::string self = QCoreApplication::applicationFilePath().toStdString();

  // --list against the bare baseline (wall time; both run alone).
  double listBase = 1e9, program = 1e9;
  int rows = 0;
  for (int run = 0; run < 3; ++run) {  // the first run also warms the file-system caches
    const auto t0 = std::chrono::steady_clock::now();
    rows = ListBaseline(root, file);
    listBase =
        std::min(listBase, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    program = std::min(program, RunProgram(exe, {"--list", file, "--keywords", "off"}));
  }

  // The window's load against the arena baseline, and the CR-only file, in this process (CPU time).
  double windowBase = 1e9, window = 1e9, windowCr = 1e9;
  int windowRows = 0, baseRows = 0, crRows = 0;
  {
    Window w(file);
    Arena arena;
    for (int run = 0; run < 3; ++run) {
      double t0 = CpuNow();
      baseRows = WindowBaseline(root, file, arena);
      windowBase = std::min(windowBase, CpuNow() - t0);
      w.form.Mgr_grid->ClearRows();
      t0 = CpuNow();
      windowRows = w.Load();
      window = std::min(window, CpuNow() - t0);
      w.form.p_file->setText(QString::fromStdString(crFile));
      w.form.Mgr_grid->ClearRows();
      t0 = CpuNow();
      crRows = w.Load();
      windowCr = std::min(windowCr, CpuNow() - t0);
      w.form.p_file->setText(QString::fromStdString(file));
    }
  }
  if (windowRows != baseRows || crRows != baseRows || rows != baseRows) {
    std::fprintf(stderr, "row counts differ: window %d, CR-only %d, baselines %d and %d\n", windowRows,
                 crRows, baseRows, rows);
    return 1;
  }

  // Peak memory, each load in a process of its own.
  const std::string peakFile = root + "/peak_kb";
  RunProgram(self, {"--child-window", root, file, peakFile});
  const long windowKb = ReadPeak(peakFile);
  const double tableS = RunProgram(self, {"--child-tableview", root, file, peakFile});
  const long tableKb = ReadPeak(peakFile);

  std::printf("list_baseline_s=%s program_s=%s\n", Seconds(listBase).c_str(), Seconds(program).c_str());
  std::printf("window_baseline_cpu_s=%s window_cpu_s=%s window_cr_cpu_s=%s\n", Seconds(windowBase).c_str(),
              Seconds(window).c_str(), Seconds(windowCr).c_str());
  std::printf("window_peak_kb=%ld tableview_peak_kb=%ld tableview_wall_s=%s\n", windowKb, tableKb,
              Seconds(tableS).c_str());
  std::printf(
      "load: rows=%d ratio_to_baseline=%.3f window_ratio_to_baseline=%.3f cr_ratio_to_crlf=%.3f "
      "memory_ratio_to_tableview=%.3f\n",
      rows, program / listBase, window / windowBase, windowCr / window, double(windowKb) / double(tableKb));
  return 0;
}
