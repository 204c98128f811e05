// Sorting 1,000,000 rows of a memory grid by a text column (Korean file names), the way a person does it:
// a mouse click on the column's title in the shown grid, until the grid has painted the sorted rows.
//
//   cpu_ratio_to_key_sort   CPU time of the click against the simplest correct Korean sort of the same texts
//                           in the same round: an ICU sort key made for each text, then std::stable_sort of
//                           the row numbers by those keys' bytes, on one thread. CPU time of the whole
//                           process, so the figure does not depend on a second core being free.
//   wall_ratio_to_key_sort  the same in wall-clock time.
//   ratio_to_stable_sort    the click's wall time against std::stable_sort of the same texts by their bytes
//                           in a plain std::vector<std::string> (not Korean order; for information).
//
// Each round fills the grid afresh and runs the three; the median and the worst of the rounds are printed,
// and the grid's order is checked against the key sort's every round.
#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <QApplication>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "grid/memory/mem_grid.h"
#include "grid/structure/extents.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRows = 1000000;
constexpr int kRounds = 3;

std::vector<std::string> Texts() {
  const char* words[] = {"고객명단",   "급여대장", "설문응답", "회원목록", "신청서", "상담기록",
                         "참가자명단", "견적서",   "report",   "Budget",   "명부",   "연락처"};
  std::mt19937 rng(42);
  std::vector<std::string> t;
  t.reserve(kRows);
  for (int i = 0; i < kRows; ++i) {
    std::string s = words[rng() % 12];
    s += '_';
    s += std::to_string(2019 + rng() % 6);
    s += '_';
    s += std::to_string(rng() % 100000);
    s += ".xlsx";
    t.push_back(std::move(s));
  }
  return t;
}

double CpuNow() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

struct Times {
  double Wall = 0, Cpu = 0;
};

template <class F>
Times Timed(F&& f) {
  const double c0 = CpuNow();
  const auto t0 = Clock::now();
  f();
  return {std::chrono::duration<double>(Clock::now() - t0).count(), CpuNow() - c0};
}

// The baseline: one ICU key per text (Korean collation), the row numbers stable-sorted by the keys' bytes.
std::vector<int> KeySort(const std::vector<std::string>& texts) {
  UErrorCode status = U_ZERO_ERROR;
  UCollator* coll = ucol_open("ko_KR", &status);
  if (U_FAILURE(status)) {
    std::fprintf(stderr, "no Korean collation\n");
    std::exit(1);
  }
  std::vector<std::string> keys(texts.size());
  std::vector<UChar> utf16;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    utf16.resize(texts[i].size() + 1);
    int32_t length = 0;
    status = U_ZERO_ERROR;
    u_strFromUTF8(utf16.data(), int32_t(utf16.size()), &length, texts[i].data(), int32_t(texts[i].size()),
                  &status);
    std::string& key = keys[i];
    key.resize(std::size_t(length) * 4 + 16);
    int32_t n = ucol_getSortKey(coll, utf16.data(), length, reinterpret_cast<uint8_t*>(key.data()),
                                int32_t(key.size()));
    if (n > int32_t(key.size())) {
      key.resize(std::size_t(n));
      n = ucol_getSortKey(coll, utf16.data(), length, reinterpret_cast<uint8_t*>(key.data()), n);
    }
    key.resize(std::size_t(n - 1));  // without the closing NUL
  }
  ucol_close(coll);
  std::vector<int> order(texts.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&keys](int a, int b) { return keys[std::size_t(a)] < keys[std::size_t(b)]; });
  return order;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double Worst(const std::vector<double>& v) {
  return *std::max_element(v.begin(), v.end());
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const std::vector<std::string> texts = Texts();

  TMemGrid g;
  g.AddColumn()->SetDataType(wdtString);
  g.AddColumn()->SetDataType(wdtBool);
  g.Column(0)->SetDataWidth(64);  // the longest text whole
  g.Column(0)->SetWidth(240);
  g.Column(0)->Title().SetClicking(true);
  g.OnColumnTitleClick = [&g](QObject*, TwColumn* column) { g.SortRows({{column->Index()}}); };
  g.resize(800, 600);
  g.show();
  QApplication::processEvents();
  const TRect title = g.Model().Extents().HeaderCellRect(0);
  const QPoint titleMid((title.Left + title.Right) / 2, (title.Top + title.Bottom) / 2);

  std::vector<double> cpuRatio, wallRatio, byteRatio;
  for (int round = 0; round < kRounds; ++round) {
    g.BeginUpdate();
    g.ClearRows();
    for (int i = 0; i < kRows; ++i) {
      g.AppendRow(false, false, false);
      g.Cells(0, i).SetAsString(texts[std::size_t(i)]);
    }
    g.EndUpdate(true);
    QApplication::processEvents();

    // The click, and the paint of the sorted rows it asks for.
    const Times click = Timed([&] {
      QTest::mouseClick(g.viewport(), Qt::LeftButton, Qt::NoModifier, titleMid);
      QApplication::processEvents();
    });
    std::vector<int> order;
    const Times keySort = Timed([&] { order = KeySort(texts); });
    for (int i = 0; i < kRows; ++i)
      if (g.Cells(0, i).AsString() != texts[std::size_t(order[std::size_t(i)])]) {
        std::fprintf(stderr, "round %d: row %d of the grid is \"%s\", the key sort has \"%s\"\n", round, i,
                     g.Cells(0, i).AsString().c_str(), texts[std::size_t(order[std::size_t(i)])].c_str());
        return 1;
      }
    std::vector<std::string> copy = texts;
    const Times byteSort = Timed([&] { std::stable_sort(copy.begin(), copy.end()); });

    cpuRatio.push_back(click.Cpu / keySort.Cpu);
    wallRatio.push_back(click.Wall / keySort.Wall);
    byteRatio.push_back(click.Wall / byteSort.Wall);
    std::printf(
        "round %d: click %.3f s (CPU %.3f s), key sort %.3f s (CPU %.3f s), byte-wise stable_sort %.3f s\n",
        round + 1, click.Wall, click.Cpu, keySort.Wall, keySort.Cpu, byteSort.Wall);
    std::fflush(stdout);
  }
  std::printf(
      "sort: cpu_ratio_to_key_sort=%.3f cpu_ratio_to_key_sort_worst=%.3f wall_ratio_to_key_sort=%.3f "
      "wall_ratio_to_key_sort_worst=%.3f ratio_to_stable_sort=%.2f ratio_to_stable_sort_worst=%.2f\n",
      Median(cpuRatio), Worst(cpuRatio), Median(wallRatio), Worst(wallRatio), Median(byteRatio),
      Worst(byteRatio));
  return 0;
}
