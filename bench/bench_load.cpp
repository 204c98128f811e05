// Loading a large scanner result file: the whole program listing it (VekSecurity --list FILE > /dev/null)
// against a minimal baseline that only reads the file, splits it into lines and fields, decodes CP949
// and checks that each named file exists.
//   bench_load [LINES]   (default 200,000; about 90% of the lines name existing files)
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <iconv.h>
#include <spawn.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/text/text.h"

extern char** environ;

namespace {

constexpr int kFilesPerFolder = 200;

std::string Seconds(double s) { return std::to_string(s); }

// Writes the result file (CP949) and the files 90% of its lines name, under root/D.
void Generate(const std::string& root, int lines, const std::string& file) {
  const char* kinds[] = {"주민등록번호", "휴대폰번호·전화번호", "계좌번호", "이메일"};
  std::string text = plat::text::Utf8ToCp949("파일명,종류,건수,경로,일시\r\n");
  for (int i = 0; i < lines; ++i) {
    const int folder = i / kFilesPerFolder;
    const std::string winFolder = "D:\\업무자료\\부서" + std::to_string(folder % 50) + "\\폴더" + std::to_string(folder);
    const std::string name = "고객명단_" + std::to_string(i) + ".xlsx";
    text += plat::text::Utf8ToCp949(name + "," + kinds[i % 4] + "," + std::to_string(1 + i % 300) + "," + winFolder +
                                    ",2026-12-01\r\n");
    if (i % 10 == 9) continue;  // one line in ten names a file that is gone
    const std::string hostFolder =
        root + "/D/업무자료/부서" + std::to_string(folder % 50) + "/폴더" + std::to_string(folder);
    if (i % kFilesPerFolder == 0) {
      const std::string cmd = hostFolder;
      std::string partial;
      for (std::size_t p = 1; p != std::string::npos; p = cmd.find('/', p + 1)) ::mkdir(cmd.substr(0, p).c_str(), 0755);
      ::mkdir(cmd.c_str(), 0755);
    }
    const int fd = ::open((hostFolder + "/" + name).c_str(), O_CREAT | O_WRONLY, 0644);
    if (fd >= 0) ::close(fd);
  }
  std::ofstream(file, std::ios::binary) << text;
}

// The baseline: read, split, decode, check existence; returns the rows whose files exist.
int Baseline(const std::string& root, const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  iconv_t cd = iconv_open("UTF-8", "CP949");
  std::vector<char> out(1 << 16);
  int found = 0;
  std::size_t start = bytes.find('\n') + 1;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::size_t len = end - start;
    if (len && bytes[start + len - 1] == '\r') --len;
    char* src = bytes.data() + start;
    char* dst = out.data();
    std::size_t inLeft = len, outLeft = out.size();
    iconv(cd, &src, &inLeft, &dst, &outLeft);
    const std::string line(out.data(), out.size() - outLeft);
    std::size_t f[4], p = 0;
    for (int k = 0; k < 4; ++k) {
      f[k] = p;
      p = line.find(',', p) + 1;
    }
    const std::string name = line.substr(0, f[1] - 1);
    std::string folder = line.substr(f[3] + 3, p - f[3] - 4);
    for (char& ch : folder)
      if (ch == '\\') ch = '/';
    struct stat st;
    if (::stat((root + "/D/" + folder + "/" + name).c_str(), &st) == 0 && S_ISREG(st.st_mode)) ++found;
    start = end + 1;
  }
  iconv_close(cd);
  return found;
}

double RunProgram(const std::string& exe, const std::string& file) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  const std::string listArg = "--list";
  char* argv[] = {const_cast<char*>(exe.c_str()), const_cast<char*>(listArg.c_str()),
                  const_cast<char*>(file.c_str()), const_cast<char*>("--keywords"), const_cast<char*>("off"), nullptr};
  const auto t0 = std::chrono::steady_clock::now();
  pid_t pid;
  if (posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv, environ) != 0) {
    std::fprintf(stderr, "cannot start %s\n", exe.c_str());
    std::exit(1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  posix_spawn_file_actions_destroy(&actions);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int lines = argc > 1 ? std::atoi(argv[1]) : 200000;
  QTemporaryDir tmp;
  // BENCH_LOAD_KEEP=1 keeps the generated sandbox for profiling and prints where it is.
  tmp.setAutoRemove(qEnvironmentVariableIsEmpty("BENCH_LOAD_KEEP"));
  const std::string root = tmp.path().toStdString();
  if (!tmp.autoRemove()) std::printf("sandbox=%s\n", root.c_str());
  ::mkdir((root + "/C").c_str(), 0755);
  ::mkdir((root + "/D").c_str(), 0755);
  const std::string file = root + "/C/result.csv";
  Generate(root, lines, file);
  ::setenv("VEKSECURITY_DRIVE_C", (root + "/C").c_str(), 1);
  ::setenv("VEKSECURITY_DRIVE_D", (root + "/D").c_str(), 1);
  const std::string exe = QCoreApplication::applicationDirPath().toStdString() + "/../VekSecurity";

  double base = 1e9, program = 1e9;
  int rows = 0;
  for (int run = 0; run < 3; ++run) {  // the first run also warms the file-system caches
    const auto t0 = std::chrono::steady_clock::now();
    rows = Baseline(root, file);
    base = std::min(base, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    program = std::min(program, RunProgram(exe, file));
  }
  std::printf("baseline_s=%s program_s=%s\n", Seconds(base).c_str(), Seconds(program).c_str());
  std::printf("load: rows=%d ratio_to_baseline=%.3f\n", rows, program / base);
  return 0;
}
