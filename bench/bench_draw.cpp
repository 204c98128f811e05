// DrawTextCell of a 120 x 21 cell with Korean text against a bare QPainter::drawText of the same text
// into the same rectangle, on the same off-screen image. Ends with "draw: ratio_to_qpainter=...".
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <chrono>
#include <cstdio>
#include <string>

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

}  // namespace

int main(int argc, char** argv) {
  // It draws into images only: no display is needed.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  DrawUnitInitialize();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();

  double cell = 0, bare = 0;
  {
    TCanvas canvas(&Target());
    canvas.Brush.Color = clWindow;
    canvas.Font = TFont("굴림", -12);
    const TwDrawInfo p = Params();
    cell = SecondsPerCall(
        [&](int i) { DrawTextCell(canvas, Bounds((i % 8) * kW, ((i / 8) % 8) * kH, kW, kH), kText, p); });
  }
  {
    QPainter painter(&Target());
    painter.setFont(TFont("굴림", -12).QtFont());
    painter.setPen(Qt::black);
    const QString text = QString::fromStdString(kText);
    bare = SecondsPerCall([&](int i) {
      painter.drawText(QRect((i % 8) * kW, ((i / 8) % 8) * kH, kW, kH), Qt::AlignLeft | Qt::AlignVCenter,
                       text);
    });
  }
  DrawUnitFinalize();
  std::printf("draw: cell_us=%.2f qpainter_us=%.2f ratio_to_qpainter=%.2f\n", cell * 1e6, bare * 1e6,
              cell / bare);
  return 0;
}
