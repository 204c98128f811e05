// vekbatch [--log LOG] [--pause] FILE.bat: runs a batch file of the program (md, move, del) and prints, in
// UTF-8, one line per command and a summary. Exit code 0 when every line succeeded, 1 when any failed, 2
// for wrong usage or a file that cannot be read. FILE is a host path, or a Windows path
// ("c:\batchmove.bat") read through the drive map.
//   --log LOG   also append the output (with a heading naming the file and the time) to LOG
//   --pause     wait for Enter at the end, so that a terminal window opened for the run stays readable
#include <ctime>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "platform/batch/batch.h"
#include "platform/os/os.h"

namespace {

bool LooksLikeWindowsPath(const std::string& p) {
  const bool drive = p.size() >= 2 && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z')) && p[1] == ':';
  return drive || (!p.empty() && p[0] == '\\');
}

std::string Now() {
  const std::time_t t = std::time(nullptr);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", std::localtime(&t));
  return buf;
}

}  // namespace

int main(int argc, char** argv) {
  std::string log, file;
  bool pause = false, usage = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--log" && i + 1 < argc)
      log = argv[++i];
    else if (a == "--pause")
      pause = true;
    else if (file.empty() && !a.empty() && a.rfind("--", 0) != 0)
      file = a;
    else
      usage = true;
  }
  if (usage || file.empty()) {
    std::cerr << "usage: vekbatch [--log LOG] [--pause] FILE.bat\n";
    return plat::batch::kExitUnreadable;
  }
  const std::string path = LooksLikeWindowsPath(file) ? plat::os::ResolvePath(file) : file;
  std::ostringstream out;
  const int code = plat::batch::RunBatchFile(path, out);
  std::cout << out.str() << std::flush;
  if (!log.empty()) {
    std::ofstream l(log, std::ios::app | std::ios::binary);
    l << "== " << Now() << " " << path << "\n" << out.str() << "exit code " << code << "\n";
    if (!l) std::cerr << "vekbatch: cannot append to " << log << "\n";
  }
  if (pause) {
    std::cout << "\n계속하려면 Enter 키를 누르십시오 . . ." << std::flush;
    std::string line;
    std::getline(std::cin, line);
  }
  return code;
}
