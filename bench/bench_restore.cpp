// Restoring from a large move record as the user does it: "되돌리기" on a record, the record read and every
// entry checked before the question. The entries name backup copies that are gone, so every one is checked
// and refused and nothing runs: what is measured is reading and checking.
//   s_per_100k         seconds per 100,000 entries (median of the rounds) for a record of 100,000 entries
//   peak_mb_per_100mb  the window's peak memory above its level before the restore, per 100 MB of record,
//                      for a record of about 100 MB
//   bench_restore   (5 rounds of 100,000 entries; one record of about 100 MB)
#include <QApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/batch_run.h"
#include "app/veksecurity_01.h"
#include "platform/ui/dialogs.h"

namespace {

using Clock = std::chrono::steady_clock;

// Writes a record of `entries` lines in 500 folders and returns its size in bytes.
std::size_t WriteRecord(const std::string& path, int entries) {
  std::ofstream out(path, std::ios::binary);
  out << "\xEF\xBB\xBF원본,대상,크기,수정시각,장치,아이노드,종류,검출수\r\n";
  std::string line;
  for (int i = 0; i < entries; ++i) {
    const std::string folder =
        "\\업무자료\\부서" + std::to_string(i % 20) + "\\폴더" + std::to_string(i % 500);
    const std::string name = "고객명단_" + std::to_string(i) + ".xlsx";
    line = "D:" + folder + "\\" + name + ",C:\\보안예비자료" + folder + "\\" + name +
           ",4096,1700000000000000000,2049," + std::to_string(100000 + i) + ",주민등록번호,12\r\n";
    out << line;
  }
  out.flush();
  return std::size_t(out.tellp());
}

long StatusKb(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::string(field).size());
  return -1;
}

void ResetPeak() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QTemporaryDir dir;
  const std::string root = dir.path().toStdString();
  setenv("VEKSECURITY_DRIVE_C", (root + "/C").c_str(), 1);
  setenv("VEKSECURITY_DRIVE_D", (root + "/D").c_str(), 1);
  setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
  plat::ui::ScriptedDialogs dialogs;  // the answer box is acknowledged; no question is reached
  TForm1 form;

  const std::string small = vek::ManifestDir() + "/move-small.csv";
  WriteRecord(small, 100000);
  std::vector<double> seconds;
  for (int round = 0; round < 5; ++round) {
    const auto t0 = Clock::now();
    form.RestoreMove(small);
    seconds.push_back(std::chrono::duration<double>(Clock::now() - t0).count());
    std::printf("round %d: %.3f s for 100,000 entries\n", round + 1, seconds.back());
  }
  std::sort(seconds.begin(), seconds.end());

  const std::string big = vek::ManifestDir() + "/move-big.csv";
  const double recordMb = double(WriteRecord(big, 900000)) / (1024.0 * 1024.0);
  ResetPeak();
  const long before = StatusKb("VmRSS:");
  form.RestoreMove(big);
  const long peak = StatusKb("VmHWM:");
  const double peakMb = double(peak - before) / 1024.0;
  std::printf("record of %.1f MB: peak %.1f MB above the %.1f MB before\n", recordMb, peakMb,
              double(before) / 1024.0);
  std::printf("restore: s_per_100k=%.3f worst_s_per_100k=%.3f peak_mb_per_100mb=%.1f\n",
              seconds[seconds.size() / 2], seconds.back(), peakMb / recordMb * 100.0);
  return 0;
}
