// One million AppendRow calls with four text writes each, on the document manager's five columns.
// Prints the time per row and the bytes the store holds per row.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "grid/memory/mem_grid.h"

namespace {

constexpr int kRows = 1000000;

void SetUpColumns(TMemGrid& g) {
  const char* titles[] = {"C", "파일명", "내용", "수량", "경로"};
  for (int i = 0; i < 5; ++i) {
    TwMemColumn* c = g.AddColumn();
    c->Title().SetCaption(titles[i]);
    c->SetDataType(i == 0 ? wdtBool : wdtString);
    c->SetDataWidth(i == 0 ? 1 : 255);
  }
}

// Texts shaped like a scanner's result lines: about 115 bytes of UTF-8 per row.
struct RowTexts {
  std::vector<std::string> name, kind, hits, folder;
};

RowTexts MakeTexts() {
  RowTexts t;
  const char* kinds[] = {"주민등록번호", "주민등록번호, 휴대폰번호", "운전면허번호", "여권번호, 계좌번호"};
  for (int i = 0; i < 1024; ++i) {
    t.name.push_back("고객명단_" + std::to_string(2000 + i) + ".xlsx");
    t.kind.push_back(kinds[i % 4]);
    t.hits.push_back(std::to_string(1 + i % 250));
    t.folder.push_back("D:\\업무자료\\2023년\\영업부 고객관리\\개인정보 점검대상\\" + std::to_string(i % 97));
  }
  return t;
}

double FillOnce(const RowTexts& t, std::size_t& bytes, std::size_t& rawBytes) {
  TMemGrid g;
  SetUpColumns(g);
  rawBytes = 0;
  const auto start = std::chrono::steady_clock::now();
  g.BeginUpdate();
  for (int r = 0; r < kRows; ++r) {
    const int k = r & 1023;
    g.AppendRow(true, false, false);
    g.Cells(1, r).SetAsString(t.name[std::size_t(k)]);
    g.Cells(2, r).SetAsString(t.kind[std::size_t(k)]);
    g.Cells(3, r).SetAsString(t.hits[std::size_t(k)]);
    g.Cells(4, r).SetAsString(t.folder[std::size_t(k)]);
  }
  g.EndUpdate(false);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  for (int r = 0; r < kRows; r += 997) benchmark::DoNotOptimize(g.Cells(4, r).AsString());
  const int k = 0;
  rawBytes = t.name[k].size() + t.kind[k].size() + t.hits[k].size() + t.folder[k].size();
  bytes = g.MemoryUsed();
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const RowTexts texts = MakeTexts();
  double best = 1e9;
  std::size_t bytes = 0, raw = 0;
  for (int run = 0; run < 3; ++run) best = std::min(best, FillOnce(texts, bytes, raw));
  std::printf("rows=%d raw_text_bytes_per_row=%zu\n", kRows, raw);
  std::fflush(stderr);
  std::printf("store: ns_per_row=%.0f bytes_per_row=%.1f\n", best * 1e9 / kRows, double(bytes) / kRows);
  return 0;
}
