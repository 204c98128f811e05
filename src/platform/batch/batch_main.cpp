// The interpreter's command line. vekbatch [--shred] [--log LOG] [--pause] FILE.bat: runs a batch file of the
// program (md, move, del) and prints, in UTF-8, one line per command as it runs and a summary. Exit code 0
// when every line succeeded, 1 when any failed, 2 for wrong usage or a file that cannot be read. FILE is a
// host path, or a Windows path ("c:\batchmove.bat") read through the drive map (without a ".." segment).
//   --shred     del is 완전삭제: each file's data is overwritten before it is removed, and each line says
//               what its medium lets the overwrite promise (see shred.h, medium.h)
//   --log LOG   also append the output (with a heading naming the file and the time) to LOG
//   --pause     wait for Enter at the end, so that a terminal window opened for the run stays readable
// SIGTERM, SIGHUP and SIGINT end the run after removing the partial copy of a move in progress.
#include <ctime>
#include <fstream>
#include <iostream>
#include <streambuf>
#include <string>

#include "platform/batch/batch.h"
#include "platform/os/os.h"

namespace {

bool LooksLikeWindowsPath(const std::string& p) {
  const bool drive =
      p.size() >= 2 && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z')) && p[1] == ':';
  return drive || (!p.empty() && p[0] == '\\');
}

std::string Now() {
  const std::time_t t = std::time(nullptr);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", std::localtime(&t));
  return buf;
}

// Writes to the terminal as the lines run and keeps a copy for the log.
class TeeBuf : public std::streambuf {
 public:
  explicit TeeBuf(std::ostream& shown) : shown_(shown) {}
  const std::string& Kept() const { return kept_; }

 protected:
  int overflow(int c) override {
    if (c == traits_type::eof()) return traits_type::not_eof(c);
    kept_ += char(c);
    shown_.put(char(c));
    return c;
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    kept_.append(s, std::size_t(n));
    shown_.write(s, n);
    return n;
  }
  int sync() override {
    shown_.flush();
    return 0;
  }

 private:
  std::ostream& shown_;
  std::string kept_;
};

}  // namespace

namespace plat::batch {

int VekbatchMain(int argc, char** argv) {
  std::string log, file;
  bool pause = false, usage = false;
  RunOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--log" && i + 1 < argc)
      log = argv[++i];
    else if (a == "--pause")
      pause = true;
    else if (a == "--shred")
      options.Delete = DeleteMethod::Shred;
    else if (file.empty() && !a.empty() && a.rfind("--", 0) != 0)
      file = a;
    else
      usage = true;
  }
  if (usage || file.empty()) {
    std::cerr << "usage: vekbatch [--shred] [--log LOG] [--pause] FILE.bat\n";
    return kExitUnreadable;
  }
  if (LooksLikeWindowsPath(file) && HasParentSegment(file)) {
    // The drive map puts the rest under the drive's folder; ".." would leave it.
    std::cerr << "vekbatch: a \"..\" segment is not allowed in a path: " << file << "\n";
    return kExitUnreadable;
  }
  InstallInterruptCleanup();
  const std::string path = LooksLikeWindowsPath(file) ? plat::os::ResolvePath(file) : file;
  TeeBuf tee(std::cout);
  std::ostream out(&tee);
  const int code = RunBatchFile(path, out, options);
  out.flush();
  if (!log.empty()) {
    std::ofstream l(log, std::ios::app | std::ios::binary);
    l << "== " << Now() << " " << path << "\n" << tee.Kept() << "exit code " << code << "\n";
    if (!l) std::cerr << "vekbatch: cannot append to " << log << "\n";
  }
  if (pause) {
    std::cout << "\n계속하려면 Enter 키를 누르십시오 . . ." << std::flush;
    std::string line;
    std::getline(std::cin, line);
  }
  return code;
}

}  // namespace plat::batch
