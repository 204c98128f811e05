// Layout of a memory grid in group mode with 100 columns in 20 groups (two levels of three and two
// columns each), two footer rows, indicators and markers, 1000 rows scrolled to the middle and
// sideways. Counts the allocations per call with a replaced global operator new.
// Ends with "layout: ns_per_call=... allocations_per_call=...".
#include <benchmark/benchmark.h>

#include <QApplication>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "grid/memory/mem_grid.h"
#include "grid/structure/extents.h"

namespace {
std::atomic<long long> gAllocations{0};
}  // namespace

void* operator new(std::size_t n) {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n) {
  return operator new(n);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}

namespace {

constexpr int kGroups = 20, kColumnsPerGroup = 5, kRows = 1000;

void Build(TMemGrid& g) {
  g.resize(1200, 700);
  g.Model().Markers().SetVisible(true);
  g.Model().Footers().Add();
  g.Model().Footers().Add();
  for (int i = 0; i < kGroups; ++i) {
    TwGroup* grp = g.Model().Groups().Add();
    grp->SetLevels(2);
    grp->SetWidth(150);
    grp->SetWeight(3);
  }
  for (int i = 0; i < kGroups * kColumnsPerGroup; ++i) {
    TwMemColumn* c = g.AddColumn();
    c->SetDataType(i % 3 == 0 ? wdtLong : wdtString);
    c->Title().SetCaption("Column" + std::to_string(i));
    const int k = i % kColumnsPerGroup;
    c->SetPosition({i / kColumnsPerGroup, k < 3 ? 0 : 1, k < 3 ? k : k - 3});
  }
  g.Model().SetGroupMode(true);
  g.Model().SetFixedCount(2);
  g.BeginUpdate();
  for (int r = 0; r < kRows; ++r) g.AppendRow(false, false, false);
  g.EndUpdate(false);
  g.SetTopRow(kRows / 2);
  g.SetHorzOffset(g.Model().Extents().MaxHorzScroll() / 2);
}

void BM_Layout(benchmark::State& state) {
  TMemGrid g;
  Build(g);
  for (auto _ : state) {
    g.Model().Layout();
    benchmark::DoNotOptimize(g.Model().Extents().ContentRect());
  }
}
BENCHMARK(BM_Layout);

}  // namespace

int main(int argc, char** argv) {
  // Nothing is shown: without a display the grid lives on the off-screen platform.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();

  TMemGrid g;
  Build(g);
  if (!g.Model().CheckConsistency().empty() || g.Model().Extents().Count() != kGroups) {
    std::printf("layout: the grid is not what the benchmark means to lay out: %s\n",
                g.Model().CheckConsistency().c_str());
    return 1;
  }
  g.Model().Layout();  // the first layout may grow its arrays
  // Per-call time: best of three rounds of at least a quarter of a second each.
  double best = 1e9;
  long long calls = 0, allocations = 0;
  for (int round = 0; round < 3; ++round) {
    long long n = 0;
    const long long before = gAllocations.load();
    const auto start = std::chrono::steady_clock::now();
    double elapsed = 0;
    do {
      for (int k = 0; k < 1000; ++k) g.Model().Layout();
      n += 1000;
      elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    } while (elapsed < 0.25);
    allocations += gAllocations.load() - before;
    calls += n;
    best = std::min(best, elapsed / double(n));
  }
  std::printf("layout: ns_per_call=%.0f allocations_per_call=%.4f\n", best * 1e9,
              double(allocations) / double(calls));
  return 0;
}
