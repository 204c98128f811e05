// DrawTextCell of a 120 x 21 cell with Korean text against a bare QPainter::drawText of the same text
// into the same rectangle, on the same off-screen image, over nine alternating rounds (median and worst).
// A grid paints the same texts again on every repaint, and the font keeps what it measured and shaped;
// the cold figure draws a text never drawn before in every call, for both sides. Ends with
// "draw: ratio_to_qpainter=...".
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "grid/view/draw_helpers.h"

using namespace plat::paint;

namespace {

constexpr int kW = 120, kH = 21;
const std::string kText = "고객명단_2023.xlsx";

QImage& Target() {
  static QImage img(kW * 8, kH * 8, QImage::Format_RGB32);
  return img;
}

TwDrawInfo Params() {
  TwDrawInfo p;
  p.VertLineWidth = p.HorzLineWidth = 1;
  p.VertLineColor = p.HorzLineColor = clSilver;
  p.Layout = tlCenter;
  p.FitStyle = wfitEnd;
  p.Margins[0] = p.Margins[2] = 2;
  return p;
}

void BM_DrawTextCell(benchmark::State& state) {
  TCanvas canvas(&Target());
  canvas.Brush.Color = clWindow;
  canvas.Font = TFont("굴림", -12);
  const TwDrawInfo p = Params();
  int i = 0;
  for (auto _ : state) {
    const int x = (i % 8) * kW, y = ((i / 8) % 8) * kH;
    DrawTextCell(canvas, Bounds(x, y, kW, kH), kText, p);
    ++i;
  }
}

void BM_QPainterDrawText(benchmark::State& state) {
  QPainter painter(&Target());
  const TFont font("굴림", -12);
  painter.setFont(font.QtFont());
  painter.setPen(Qt::black);
  const QString text = QString::fromStdString(kText);
  int i = 0;
  for (auto _ : state) {
    const int x = (i % 8) * kW, y = ((i / 8) % 8) * kH;
    painter.drawText(QRect(x, y, kW, kH), Qt::AlignLeft | Qt::AlignVCenter, text);
    ++i;
  }
}

BENCHMARK(BM_DrawTextCell);
BENCHMARK(BM_QPainterDrawText);

// The per-call time of f over enough calls to take about a quarter of a second, best of three.
template <class F>
double SecondsPerCall(F&& f) {
  double best = 1e9;
  for (int round = 0; round < 3; ++round) {
    int n = 0;
    const auto start = std::chrono::steady_clock::now();
    double elapsed = 0;
    do {
      for (int k = 0; k < 200; ++k) f(n++);
      elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    } while (elapsed < 0.25);
    best = std::min(best, elapsed / n);
  }
  return best;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  // It draws into images only: no display is needed.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  DrawUnitInitialize();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();

  TCanvas canvas(&Target());
  canvas.Brush.Color = clWindow;
  canvas.Font = TFont("굴림", -12);
  const TwDrawInfo p = Params();
  const QFont font = TFont("굴림", -12).QtFont();
  const QString text = QString::fromStdString(kText);
  auto bareCall = [&](QPainter& painter, int i, const QString& t) {
    painter.drawText(QRect((i % 8) * kW, ((i / 8) % 8) * kH, kW, kH), Qt::AlignLeft | Qt::AlignVCenter, t);
  };
  std::vector<double> ratios, cells, bares;
  for (int round = 0; round < 9; ++round) {
    canvas.Begin(&Target());
    const double cell = SecondsPerCall(
        [&](int i) { DrawTextCell(canvas, Bounds((i % 8) * kW, ((i / 8) % 8) * kH, kW, kH), kText, p); });
    canvas.End();
    QPainter painter(&Target());
    painter.setFont(font);
    painter.setPen(Qt::black);
    const double bare = SecondsPerCall([&](int i) { bareCall(painter, i, text); });
    painter.end();
    cells.push_back(cell);
    bares.push_back(bare);
    ratios.push_back(cell / bare);
    std::printf("round %d: cell %.2f us, qpainter %.2f us, ratio %.2f\n", round + 1, cell * 1e6, bare * 1e6,
                cell / bare);
  }
  // Cold: a new text in every call (the serial number makes each one unique).
  double coldCell = 0, coldBare = 0;
  {
    canvas.Begin(&Target());
    int serial = 0;
    coldCell = SecondsPerCall([&](int i) {
      const std::string t = "고객명단_" + std::to_string(++serial) + ".xlsx";
      DrawTextCell(canvas, Bounds((i % 8) * kW, ((i / 8) % 8) * kH, kW, kH), t, p);
    });
    canvas.End();
    QPainter painter(&Target());
    painter.setFont(font);
    painter.setPen(Qt::black);
    coldBare = SecondsPerCall([&](int i) {
      const std::string t = "고객명단_" + std::to_string(++serial) + ".xlsx";
      bareCall(painter, i, QString::fromStdString(t));
    });
  }
  const double cell = Median(cells), bare = Median(bares);
  DrawUnitFinalize();
  std::printf("cold: cell %.2f us, qpainter %.2f us\n", coldCell * 1e6, coldBare * 1e6);
  std::printf(
      "draw: cell_us=%.2f qpainter_us=%.2f ratio_to_qpainter=%.2f ratio_to_qpainter_worst=%.2f "
      "cold_ratio_to_qpainter=%.2f\n",
      cell * 1e6, bare * 1e6, Median(ratios), *std::max_element(ratios.begin(), ratios.end()),
      coldCell / coldBare);
  return 0;
}
