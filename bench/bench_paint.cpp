// A full repaint of a 1600 x 900 grid scrolled to row 500,000 of 1,000,000 rows of the document manager's
// five columns, against the same data in a QTableView over a minimal table model backed by column
// vectors; the memory per row of both stores; and how many cells a one-row scroll repaints. The two
// repaints alternate over nine rounds, each side's time in a round the best of three batches of 20
// repaints; the ratio is given as the median and the worst of the rounds.
#include <benchmark/benchmark.h>

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "grid/memory/mem_grid.h"

namespace {

constexpr int kRows = 1000000;
constexpr int kTop = 500000;
constexpr int kRepaints = 20;
constexpr int kRounds = 9;

const char* kTitles[] = {"C", "파일명", "내용", "수량", "경로"};
const int kWidths[] = {26, 232, 295, 37, 1077};

struct Texts {
  std::vector<std::string> name, kind, hits, folder;
};

Texts MakeTexts() {
  Texts t;
  const char* kinds[] = {"주민등록번호", "주민등록번호, 휴대폰번호", "운전면허번호", "여권번호, 계좌번호"};
  for (int i = 0; i < 1024; ++i) {
    t.name.push_back("고객명단_" + std::to_string(2000 + i) + ".xlsx");
    t.kind.push_back(kinds[i % 4]);
    t.hits.push_back(std::to_string(1 + i % 250));
    t.folder.push_back("D:\\업무자료\\2023년\\영업부\\고객관리\\" + std::to_string(i % 97));
  }
  return t;
}

// The baseline: one vector per column.
class ColumnModel : public QAbstractTableModel {
 public:
  std::vector<char> tick;
  std::vector<std::string> cols[4];
  int rowCount(const QModelIndex& = {}) const override { return int(tick.size()); }
  int columnCount(const QModelIndex& = {}) const override { return 5; }
  QVariant data(const QModelIndex& i, int role) const override {
    if (i.column() == 0)
      return role == Qt::CheckStateRole ? QVariant(tick[std::size_t(i.row())] ? Qt::Checked : Qt::Unchecked)
                                        : QVariant();
    if (role != Qt::DisplayRole) return {};
    const std::string& s = cols[i.column() - 1][std::size_t(i.row())];
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
  }
  QVariant headerData(int section, Qt::Orientation o, int role) const override {
    if (role != Qt::DisplayRole) return {};
    return o == Qt::Horizontal ? QString::fromUtf8(kTitles[section]) : QVariant(section + 1);
  }
  std::size_t Bytes() const {
    std::size_t b = tick.capacity();
    for (const auto& c : cols) {
      b += c.capacity() * sizeof(std::string);
      for (const std::string& s : c)
        if (s.capacity() > 15) b += s.capacity() + 1;  // beyond the short-string buffer
    }
    return b;
  }
};

template <class F>
// The time per call of the best of three batches of kRepaints calls (a batch the shared machine took the
// processor from does not count against one side alone).
double MsPerCall(F&& f) {
  f();  // warm up
  double best = 1e300;
  for (int batch = 0; batch < 3; ++batch) {
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < kRepaints; ++i) f();
    best = std::min(
        best,
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count() / kRepaints);
  }
  return best;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

// Counts the cells of the last paint.
struct CellCounter : TwGridObserver {
  std::size_t cells = 0;
  void PaintStarted() override { cells = 0; }
  void CellPainted(const TwPaintedCell&) override { ++cells; }
};

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const Texts t = MakeTexts();

  TMemGrid grid;
  for (int i = 0; i < 5; ++i) {
    TwMemColumn* c = grid.AddColumn();
    c->Title().SetCaption(kTitles[i]);
    c->SetDataType(i == 0 ? wdtBool : wdtString);
    c->SetDataWidth(i == 0 ? 1 : 255);
    c->SetColWidth(kWidths[i]);
    c->SetColor(0xC0DCC0);
  }
  grid.Model().SetRowHeight(21);
  grid.BeginUpdate();
  for (int r = 0; r < kRows; ++r) {
    const std::size_t k = std::size_t(r & 1023);
    grid.AppendRow(true, false, false);
    grid.Cells(1, r).SetAsString(t.name[k]);
    grid.Cells(2, r).SetAsString(t.kind[k]);
    grid.Cells(3, r).SetAsString(t.hits[k]);
    grid.Cells(4, r).SetAsString(t.folder[k]);
  }
  grid.EndUpdate(false);
  grid.resize(1600, 900);
  grid.show();
  grid.SetTopRow(kTop);
  QApplication::processEvents();

  ColumnModel model;
  model.tick.assign(kRows, 0);
  for (auto& c : model.cols) c.reserve(kRows);
  for (int r = 0; r < kRows; ++r) {
    const std::size_t k = std::size_t(r & 1023);
    model.cols[0].push_back(t.name[k]);
    model.cols[1].push_back(t.kind[k]);
    model.cols[2].push_back(t.hits[k]);
    model.cols[3].push_back(t.folder[k]);
  }
  QTableView view;
  view.setModel(&model);
  view.verticalHeader()->setDefaultSectionSize(21);
  for (int i = 0; i < 5; ++i) view.setColumnWidth(i, kWidths[i]);
  view.resize(1600, 900);
  view.show();
  view.scrollTo(model.index(kTop, 0), QAbstractItemView::PositionAtTop);
  QApplication::processEvents();

  std::vector<double> gridMs, viewMs, ratios;
  for (int round = 0; round < kRounds; ++round) {
    gridMs.push_back(MsPerCall([&] { grid.viewport()->repaint(); }));
    viewMs.push_back(MsPerCall([&] { view.viewport()->repaint(); }));
    ratios.push_back(gridMs.back() / viewMs.back());
    std::printf("round %d: grid %.3f ms, tableview %.3f ms, ratio %.3f\n", round + 1, gridMs.back(),
                viewMs.back(), ratios.back());
  }

  // A one-row scroll: the rows already shown move, and only the uncovered strip is painted.
  CellCounter counter;
  grid.Model().SetObserver(&counter);
  grid.SetTopRow(kTop + 1);
  QApplication::processEvents();
  const std::size_t cellsOneRow = counter.cells;
  grid.viewport()->repaint();
  const std::size_t cellsFull = counter.cells;
  grid.Model().SetObserver(nullptr);

  const double gridBytes = double(grid.MemoryUsed()) / kRows;
  const double viewBytes = double(model.Bytes()) / kRows;
  std::printf(
      "grid_ms=%.3f tableview_ms=%.3f grid_bytes_per_row=%.1f tableview_bytes_per_row=%.1f "
      "cells_painted_full=%zu\n",
      Median(gridMs), Median(viewMs), gridBytes, viewBytes, cellsFull);
  std::printf(
      "paint: ratio_to_tableview=%.3f ratio_to_tableview_worst=%.3f memory_ratio_to_tableview=%.3f "
      "cells_painted_one_row_scroll=%zu\n",
      Median(ratios), *std::max_element(ratios.begin(), ratios.end()), gridBytes / viewBytes, cellsOneRow);
  return 0;
}
