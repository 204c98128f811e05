// Loading a large scanner result file, the way the user does it and the way a script does it.
//
//   list    the whole program listing it (VekSecurity --list FILE > /dev/null) against a bare baseline
//           that only reads the file, splits it into lines and fields, decodes CP949 and checks that
//           each named file exists.
//   window  the window's own load (ReadAndInsert into Mgr_grid, then one paint of the grid) against a
//           bare baseline in the same process that reads, splits, decodes, filters, stats and stores the
//           same rows in a plain arena (process CPU time).
//   cr      the window's load of the same file with CR-only line ends against the CR LF file.
//   memory  peak resident memory of a process doing the window's load against one loading the same rows
//           into column vectors of QString shown in a QTableView (both start Qt and paint once).
//   server  a file server's scan: a result file of ten times LINES lines naming each file of the sandbox ten
//           times. scale_ratio is the window's load time per line (CPU) of that file over the LINES file's;
//           memory_per_row_ratio_to_bare the peak resident memory per listed row of a process doing the
//           window's load of it against one doing the bare load into the arena (both start Qt);
//           sort_2m_ratio_to_1m the CPU time of a click on the file name title of the window's list holding
//           that file's rows against one holding the rows of its first half.
//
// Each part runs in rounds; the median and the worst of the rounds' figures are printed (name and
// name_worst), and the targets hold for the worst.
//
//   bench_load [LINES]   (default 200,000; about 90% of the files named exist)
//
// The sandbox (the files and the result files) is built once in the temporary folder and reused by later
// runs with the same LINES; its place is printed.
#include <fcntl.h>
#include <iconv.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractTableModel>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/veksecurity_01.h"
#include "grid/memory/mem_grid.h"
#include "grid/structure/extents.h"
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

const char* const kKinds[] = {"주민등록번호", "휴대폰번호·전화번호", "계좌번호", "이메일"};

// The result file's line (CP949) naming file i of the sandbox with the given kind and count.
std::string ResultLine(int i, const char* kind, int hits) {
  const int folder = i / kFilesPerFolder;
  std::string line = "고객명단_";
  line += std::to_string(i);
  line += ".xlsx,";
  line += kind;
  line += ',';
  line += std::to_string(hits);
  line += ",D:\\업무자료\\부서";
  line += std::to_string(folder % 50);
  line += "\\폴더";
  line += std::to_string(folder);
  line += ",2026-12-01\r\n";
  return plat::text::Utf8ToCp949(line);
}

// Writes the result file (CP949) and the files 90% of its lines name, under root/D.
void Generate(const std::string& root, int lines, const std::string& file) {
  std::string text = plat::text::Utf8ToCp949("파일명,종류,건수,경로,일시\r\n");
  for (int i = 0; i < lines; ++i) {
    text += ResultLine(i, kKinds[i % 4], 1 + i % 300);
    if (i % 10 == 9) continue;  // one line in ten names a file that is gone
    const int folder = i / kFilesPerFolder;
    const std::string hostFolder =
        root + "/D/업무자료/부서" + std::to_string(folder % 50) + "/폴더" + std::to_string(folder);
    if (i % kFilesPerFolder == 0) {
      for (std::size_t p = 1; p != std::string::npos; p = hostFolder.find('/', p + 1))
        ::mkdir(hostFolder.substr(0, p).c_str(), 0755);
      ::mkdir(hostFolder.c_str(), 0755);
    }
    const int fd =
        ::open((hostFolder + "/고객명단_" + std::to_string(i) + ".xlsx").c_str(), O_CREAT | O_WRONLY, 0644);
    if (fd >= 0) ::close(fd);
  }
  std::ofstream(file, std::ios::binary) << text;
}

// A file server's scan: each of the first `files` files named on ten lines in a row, with their kinds and
// counts.
void GenerateServerScan(int files, const std::string& file) {
  std::ofstream out(file, std::ios::binary);
  out << plat::text::Utf8ToCp949("파일명,종류,건수,경로,일시\r\n");
  std::string text;
  for (int i = 0; i < files; ++i) {
    for (int k = 0; k < 10; ++k) text += ResultLine(i, kKinds[(i + k) % 4], 1 + (i + 7 * k) % 300);
    if (text.size() > (1 << 22)) {
      out << text;
      text.clear();
    }
  }
  out << text;
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

pid_t StartProgram(const std::string& exe, const std::vector<std::string>& args) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv{const_cast<char*>(exe.c_str())};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid;
  if (posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
    std::fprintf(stderr, "cannot start %s\n", exe.c_str());
    std::exit(1);
  }
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

void WaitProgram(pid_t pid, const std::string& what) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s failed\n", what.c_str());
    std::exit(1);
  }
}

double RunProgram(const std::string& exe, const std::vector<std::string>& args) {
  const auto t0 = std::chrono::steady_clock::now();
  WaitProgram(StartProgram(exe, args), exe + " " + (args.empty() ? "" : args[0]));
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

// Writes "PEAK_KB ROWS".
int WritePeak(const std::string& to, int rows) {
  std::ofstream(to) << PeakKb() << ' ' << rows;
  return 0;
}

int ChildWindow(const std::string& file, const std::string& peakTo) {
  Window w(file);
  const int rows = w.Load();
  if (rows <= 0) return 1;
  return WritePeak(peakTo, rows);
}

// The bare load of the window baseline, its rows kept in the arena.
int ChildBare(const std::string& root, const std::string& file, const std::string& peakTo) {
  Arena arena;
  const int rows = WindowBaseline(root, file, arena);
  if (rows <= 0) return 1;
  return WritePeak(peakTo, rows);
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
  return WritePeak(peakTo, rows);
}

struct Peak {
  long Kb = 0;
  long Rows = 0;
};

Peak ReadPeak(const std::string& from) {
  std::ifstream in(from);
  Peak p;
  in >> p.Kb >> p.Rows;
  return p;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double Worst(const std::vector<double>& v) {
  return *std::max_element(v.begin(), v.end());
}

// The sandbox of LINES: built once, reused while its stamp says it is whole.
std::string Sandbox(int lines) {
  const std::string root = QDir::tempPath().toStdString() + "/vek_bench_load_" + std::to_string(lines);
  const std::string stamp = root + "/complete";
  const std::string want = "sandbox 2 " + std::to_string(lines);
  std::string have;
  std::getline(std::ifstream(stamp), have);
  if (have == want) return root;
  QDir(QString::fromStdString(root)).removeRecursively();
  ::mkdir(root.c_str(), 0755);
  ::mkdir((root + "/C").c_str(), 0755);
  ::mkdir((root + "/D").c_str(), 0755);
  const std::string file = root + "/C/result.csv";
  Generate(root, lines, file);
  {
    std::string cr = ReadAll(file);
    std::size_t w = 0;
    for (std::size_t r = 0; r < cr.size(); ++r)
      if (!(cr[r] == '\n' && r > 0 && cr[r - 1] == '\r')) cr[w++] = cr[r];
    cr.resize(w);
    std::ofstream(root + "/C/result_cr.csv", std::ios::binary) << cr;
  }
  GenerateServerScan(lines, root + "/C/server.csv");
  GenerateServerScan(lines / 2, root + "/C/server_half.csv");
  std::ofstream(stamp) << want << '\n';
  return root;
}

double CpuTimed(const std::function<void()>& f) {
  const double t0 = CpuNow();
  f();
  return CpuNow() - t0;
}

// A click on the file name's title of the window's list, and the paint it asks for.
void ClickNameTitle(Window& w) {
  TMemGrid* g = w.form.Mgr_grid;
  const TwGridExtents& e = g->Model().Extents();
  int band = 0;
  while (band < g->Model().Columns().VisibleCount() &&
         g->Model().Columns().VisibleItems(band)->Index() != TForm1::kNameColumn)
    ++band;
  const TRect t = e.HeaderCellRect(band);
  QTest::mouseClick(g->viewport(), Qt::LeftButton, Qt::NoModifier,
                    QPoint((t.Left + t.Right) / 2, (t.Top + t.Bottom) / 2));
  QApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  if (argc >= 5 && std::strcmp(argv[1], "--child-window") == 0) return ChildWindow(argv[3], argv[4]);
  if (argc >= 5 && std::strcmp(argv[1], "--child-bare") == 0) return ChildBare(argv[2], argv[3], argv[4]);
  if (argc >= 5 && std::strcmp(argv[1], "--child-tableview") == 0)
    return ChildTableView(argv[2], argv[3], argv[4]);

  const int lines = argc > 1 ? std::atoi(argv[1]) : 200000;
  const std::string root = Sandbox(lines);
  std::printf("sandbox=%s\n", root.c_str());
  const std::string file = root + "/C/result.csv";
  const std::string crFile = root + "/C/result_cr.csv";
  const std::string serverFile = root + "/C/server.csv";
  const std::string halfFile = root + "/C/server_half.csv";
  ::setenv("VEKSECURITY_DRIVE_C", (root + "/C").c_str(), 1);
  ::setenv("VEKSECURITY_DRIVE_D", (root + "/D").c_str(), 1);
  const std::string exe = QCoreApplication::applicationDirPath().toStdString() + "/../VekSecurity";
  const std::string self = QCoreApplication::applicationFilePath().toStdString();
  constexpr int kRounds = 3;

  // --list against the bare baseline (wall time; both run alone).
  std::vector<double> listRatio;
  int rows = 0;
  for (int run = 0; run <= kRounds; ++run) {  // run 0 warms the file-system caches and is not counted
    const auto t0 = std::chrono::steady_clock::now();
    rows = ListBaseline(root, file);
    const double base = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double program = RunProgram(exe, {"--list", file, "--keywords", "off"});
    if (run > 0) listRatio.push_back(program / base);
  }

  // The window's load against the arena baseline, and the CR-only file, in this process (CPU time).
  std::vector<double> windowRatio, crRatio;
  int windowRows = 0, baseRows = 0, crRows = 0;
  {
    Window w(file);
    Arena arena;
    for (int run = 0; run < kRounds; ++run) {
      const double base = CpuTimed([&] { baseRows = WindowBaseline(root, file, arena); });
      w.form.Mgr_grid->ClearRows();
      const double window = CpuTimed([&] { windowRows = w.Load(); });
      w.form.p_file->setText(QString::fromStdString(crFile));
      w.form.Mgr_grid->ClearRows();
      const double cr = CpuTimed([&] { crRows = w.Load(); });
      w.form.p_file->setText(QString::fromStdString(file));
      windowRatio.push_back(window / base);
      crRatio.push_back(cr / window);
      std::printf("window round %d: baseline %.3f s, window %.3f s, CR-only %.3f s (CPU)\n", run + 1, base,
                  window, cr);
      std::fflush(stdout);
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
  const long windowKb = ReadPeak(peakFile).Kb;
  const double tableS = RunProgram(self, {"--child-tableview", root, file, peakFile});
  const long tableKb = ReadPeak(peakFile).Kb;

  // The file server's scan: ten lines per file, against the LINES file and against its own first half.
  // Each round loads the three files afresh; the sort's time is that of four clicks in a row on the name's
  // title (ascending, descending, ascending, descending) in each list.
  std::vector<double> scaleRatio, sortRatio;
  int serverRows = 0, halfRows = 0;
  {
    Window small(file), half(halfFile), big(serverFile);
    for (int run = 0; run < kRounds; ++run) {
      const double smallS = CpuTimed([&] { small.Load(); });
      const double bigS = CpuTimed([&] { serverRows = big.Load(); });
      halfRows = half.Load();
      const auto clicks = [](Window& w) {
        return CpuTimed([&] {
          for (int k = 0; k < 4; ++k) ClickNameTitle(w);
        });
      };
      const double sortHalf = clicks(half);
      const double sortBig = clicks(big);
      scaleRatio.push_back((bigS / (10.0 * lines)) / (smallS / lines));
      sortRatio.push_back(sortBig / sortHalf);
      std::printf(
          "server round %d: load of %d lines %.3f s, of %d lines %.3f s; four clicks on the name title with "
          "%d rows %.3f s, with %d rows %.3f s (CPU)\n",
          run + 1, lines, smallS, 10 * lines, bigS, halfRows, sortHalf, serverRows, sortBig);
      std::fflush(stdout);
    }
  }
  // The window's load and the bare one run side by side: each process's own peak is what is measured.
  std::vector<double> memoryRatio;
  for (int run = 0; run < kRounds; ++run) {
    const std::string windowPeakFile = root + "/peak_window", barePeakFile = root + "/peak_bare";
    const pid_t windowPid = StartProgram(self, {"--child-window", root, serverFile, windowPeakFile});
    const pid_t barePid = StartProgram(self, {"--child-bare", root, serverFile, barePeakFile});
    WaitProgram(windowPid, "the window's load");
    WaitProgram(barePid, "the bare load");
    const Peak window = ReadPeak(windowPeakFile);
    const Peak bare = ReadPeak(barePeakFile);
    if (window.Rows != bare.Rows || window.Rows != serverRows) {
      std::fprintf(stderr, "row counts differ: window %ld, bare %ld, list %d\n", window.Rows, bare.Rows,
                   serverRows);
      return 1;
    }
    memoryRatio.push_back((double(window.Kb) / double(window.Rows)) / (double(bare.Kb) / double(bare.Rows)));
    std::printf("memory round %d: %ld rows, window peak %ld kB, bare peak %ld kB\n", run + 1, window.Rows,
                window.Kb, bare.Kb);
    std::fflush(stdout);
  }

  std::printf("window_peak_kb=%ld tableview_peak_kb=%ld tableview_wall_s=%s\n", windowKb, tableKb,
              Seconds(tableS).c_str());
  std::printf(
      "load: rows=%d ratio_to_baseline=%.3f ratio_to_baseline_worst=%.3f window_ratio_to_baseline=%.3f "
      "window_ratio_to_baseline_worst=%.3f cr_ratio_to_crlf=%.3f cr_ratio_to_crlf_worst=%.3f "
      "memory_ratio_to_tableview=%.3f scale_ratio=%.3f scale_ratio_worst=%.3f "
      "memory_per_row_ratio_to_bare=%.3f memory_per_row_ratio_to_bare_worst=%.3f sort_2m_ratio_to_1m=%.3f "
      "sort_2m_ratio_to_1m_worst=%.3f\n",
      rows, Median(listRatio), Worst(listRatio), Median(windowRatio), Worst(windowRatio), Median(crRatio),
      Worst(crRatio), double(windowKb) / double(tableKb), Median(scaleRatio), Worst(scaleRatio),
      Median(memoryRatio), Worst(memoryRatio), Median(sortRatio), Worst(sortRatio));
  return 0;
}
