// Scrolling a 1600 x 900 memory grid of 1,000,000 rows (five columns: a tick, three texts, a number):
// one wheel step at a time (one row, the strip scroll) and by thumb jumps to spread-out positions, each
// step followed by the paint it causes. Ends with "scroll: ms_per_row_step=... ms_per_thumb_jump=...".
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>
#include <QWheelEvent>
#include <chrono>
#include <cstdio>
#include <string>

#include "grid/memory/mem_grid.h"

namespace {

constexpr int kRows = 1000000;
constexpr int kRowSteps = 2000;
constexpr int kThumbJumps = 300;

void Wheel(QWidget* vp, int delta) {
  const QPoint p(vp->width() / 2, vp->height() / 2);
  QWheelEvent e(p, vp->mapToGlobal(p), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                Qt::NoScrollPhase, false);
  QApplication::sendEvent(vp, &e);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM",
          qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  TMemGrid g;
  const TwDataType types[] = {wdtBool, wdtString, wdtString, wdtString, wdtLong};
  const int widths[] = {26, 400, 500, 80, 500};
  for (int i = 0; i < 5; ++i) {
    TwMemColumn* c = g.AddColumn();
    c->SetDataType(types[i]);
    c->SetColWidth(widths[i]);
  }
  g.resize(1600, 900);
  g.show();
  g.BeginUpdate();
  g.SetRowCount(kRows);
  for (int r = 0; r < kRows; r += 7) {
    g.Cells(1, r).SetAsString("document_" + std::to_string(r) + ".hwp");
    g.Cells(2, r).SetAsString("주민등록번호 2건");
  }
  g.EndUpdate(true);
  QApplication::processEvents();

  using clock = std::chrono::steady_clock;
  auto start = clock::now();
  for (int i = 0; i < kRowSteps; ++i) {
    Wheel(g.viewport(), -120);
    QApplication::processEvents();
  }
  const double rowMs = std::chrono::duration<double, std::milli>(clock::now() - start).count() / kRowSteps;
  const int afterWheel = g.TopRow();

  start = clock::now();
  unsigned seed = 12345;
  for (int i = 0; i < kThumbJumps; ++i) {
    seed = seed * 1103515245u + 12345u;
    g.verticalScrollBar()->setValue(int(seed % unsigned(g.verticalScrollBar()->maximum())));
    QApplication::processEvents();
  }
  const double thumbMs =
      std::chrono::duration<double, std::milli>(clock::now() - start).count() / kThumbJumps;
  if (afterWheel != kRowSteps || g.Row() != 0) {
    std::printf("scroll: the wheel did not scroll one row per step (TopRow %d, Row %d)\n", afterWheel,
                g.Row());
    return 1;
  }
  std::printf("scroll: ms_per_row_step=%.3f ms_per_thumb_jump=%.3f\n", rowMs, thumbMs);
  return 0;
}
