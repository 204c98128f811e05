// vekbatch FILE.bat: runs a batch file of the program (md, move, del) and prints, in UTF-8, one line per
// command and a summary. Exit code 0 when every line succeeded, 1 when any failed, 2 for wrong usage or a
// file that cannot be read. FILE is a host path, or a Windows path ("c:\batchmove.bat") read through the
// drive map.
#include <iostream>
#include <string>

#include "platform/batch/batch.h"
#include "platform/os/os.h"

namespace {

bool LooksLikeWindowsPath(const std::string& p) {
  const bool drive = p.size() >= 2 && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z')) && p[1] == ':';
  return drive || (!p.empty() && p[0] == '\\');
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || std::string(argv[1]).empty()) {
    std::cerr << "usage: vekbatch FILE.bat\n";
    return plat::batch::kExitUnreadable;
  }
  const std::string arg = argv[1];
  const std::string path = LooksLikeWindowsPath(arg) ? plat::os::ResolvePath(arg) : arg;
  return plat::batch::RunBatchFile(path, std::cout);
}
